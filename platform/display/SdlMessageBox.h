// A message-box backend that shows a real dialog through SDL2 when a window system is there.
#pragma once

#include "platform/system/MessageBox.h"

struct SDL_Window;

namespace platform {

// Install with SetMessageBoxBackend. Headless runs (no display, or SDL's offscreen or dummy video driver)
// never get a dialog: the text goes to stderr and nothing blocks.
class SdlMessageBoxBackend : public IMessageBoxBackend {
public:
    explicit SdlMessageBoxBackend(SDL_Window* parent = nullptr) : m_pParent(parent) {}
    void Show(const MessageRecord& message) override;
    void SetParent(SDL_Window* parent) { m_pParent = parent; }

    // True when a dialog could be shown (a display exists and the video driver is not a headless one).
    static bool HasWindowSystem();

private:
    SDL_Window* m_pParent;
};

} // namespace platform
