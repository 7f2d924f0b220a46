// The game's window as a present target: an SDL2 window showing 16-bit frames through a streaming texture.
#pragma once

#include "platform/display/PresentTarget.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
union SDL_Event;

namespace platform {

class SdlWindowTarget : public IPresentTarget {
public:
    // Windowed: a captioned window of the client size, centred. Otherwise a borderless desktop-sized
    // window that scales the picture (no display-mode change). The window starts hidden; call Show.
    // Null with a reason when SDL's video or the window cannot start.
    static std::unique_ptr<SdlWindowTarget> Create(const std::string& caption, int clientWidth, int clientHeight,
                                                   bool windowed, std::string* error);
    ~SdlWindowTarget() override;
    SdlWindowTarget(const SdlWindowTarget&) = delete;
    SdlWindowTarget& operator=(const SdlWindowTarget&) = delete;

    SIZE ClientSize() const override { return m_size; }
    POINT ClientOrigin() const override;
    // A frame of the same pixels as the one on screen is not sent again, unless the window may have lost its
    // picture since (exposed, shown, resized, its renderer reset).
    bool Present(const PixelSurface& frame, std::string* error) override;
    // Frames really sent to the screen.
    int ShownCount() const { return m_nShown; }

    void Show(bool shown);
    bool IsWindowed() const { return m_bWindowed; }
    // For the window layer's event pump and for parenting dialogs.
    SDL_Window* Window() const { return m_pWindow; }

private:
    SdlWindowTarget() = default;
    bool EnsureTexture(int width, int height, std::string* error);
    bool SameAsShown(const PixelSurface& frame) const;
    static int WatchEvents(void* self, SDL_Event* event);

    SDL_Window* m_pWindow = nullptr;
    SDL_Renderer* m_pRenderer = nullptr;
    SDL_Texture* m_pTexture = nullptr;
    SIZE m_size{};
    SIZE m_textureSize{};
    bool m_bWindowed = true;
    // The picture on screen, and whether the window may have lost it (set from SDL's event watch).
    std::vector<uint16_t> m_shown;
    SIZE m_shownSize{};
    std::atomic<bool> m_bShownLost{true};
    int m_nShown = 0;
};

} // namespace platform
