// The game's window as a present target: an SDL2 window showing 16-bit frames through a streaming texture.
#pragma once

#include "platform/display/PresentTarget.h"

#include <memory>
#include <string>

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;

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
    bool Present(const PixelSurface& frame, std::string* error) override;

    void Show(bool shown);
    bool IsWindowed() const { return m_bWindowed; }
    // For the window layer's event pump and for parenting dialogs.
    SDL_Window* Window() const { return m_pWindow; }

private:
    SdlWindowTarget() = default;
    bool EnsureTexture(int width, int height, std::string* error);

    SDL_Window* m_pWindow = nullptr;
    SDL_Renderer* m_pRenderer = nullptr;
    SDL_Texture* m_pTexture = nullptr;
    SIZE m_size{};
    SIZE m_textureSize{};
    bool m_bWindowed = true;
};

} // namespace platform
