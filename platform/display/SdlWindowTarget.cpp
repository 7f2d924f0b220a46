// SDL2 window target: creates the window and renderer and uploads each frame as an RGB565 texture.
#include "platform/display/SdlWindowTarget.h"

#include <SDL.h>

namespace platform {

std::unique_ptr<SdlWindowTarget> SdlWindowTarget::Create(const std::string& caption, int clientWidth, int clientHeight,
                                                         bool windowed, std::string* error)
{
    if (clientWidth <= 0 || clientHeight <= 0 || clientWidth > kMaxSurfaceSide || clientHeight > kMaxSurfaceSide) {
        if (error)
            *error = "invalid window size";
        return nullptr;
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        if (error)
            *error = SDL_GetError();
        return nullptr;
    }
    std::unique_ptr<SdlWindowTarget> target(new SdlWindowTarget());
    target->m_bWindowed = windowed;
    target->m_size = SIZE{clientWidth, clientHeight};
    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (!windowed)
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS;
    target->m_pWindow = SDL_CreateWindow(caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, clientWidth,
                                         clientHeight, flags);
    if (!target->m_pWindow) {
        if (error)
            *error = SDL_GetError();
        return nullptr; // the destructor quits the video subsystem
    }
    target->m_pRenderer = SDL_CreateRenderer(target->m_pWindow, -1, 0);
    if (!target->m_pRenderer)
        target->m_pRenderer = SDL_CreateRenderer(target->m_pWindow, -1, SDL_RENDERER_SOFTWARE);
    if (!target->m_pRenderer) {
        if (error)
            *error = SDL_GetError();
        return nullptr;
    }
    // The picture keeps its size and proportions whatever the window's size.
    SDL_RenderSetLogicalSize(target->m_pRenderer, clientWidth, clientHeight);
    return target;
}

SdlWindowTarget::~SdlWindowTarget()
{
    if (m_pTexture)
        SDL_DestroyTexture(m_pTexture);
    if (m_pRenderer)
        SDL_DestroyRenderer(m_pRenderer);
    if (m_pWindow)
        SDL_DestroyWindow(m_pWindow);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

POINT SdlWindowTarget::ClientOrigin() const
{
    int x = 0, y = 0;
    SDL_GetWindowPosition(m_pWindow, &x, &y);
    return POINT{x, y};
}

void SdlWindowTarget::Show(bool shown)
{
    if (shown)
        SDL_ShowWindow(m_pWindow);
    else
        SDL_HideWindow(m_pWindow);
}

bool SdlWindowTarget::EnsureTexture(int width, int height, std::string* error)
{
    if (m_pTexture && m_textureSize.cx == width && m_textureSize.cy == height)
        return true;
    if (m_pTexture)
        SDL_DestroyTexture(m_pTexture);
    m_pTexture = SDL_CreateTexture(m_pRenderer, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING, width, height);
    if (!m_pTexture) {
        if (error)
            *error = SDL_GetError();
        m_textureSize = SIZE{};
        return false;
    }
    m_textureSize = SIZE{width, height};
    return true;
}

bool SdlWindowTarget::Present(const PixelSurface& frame, std::string* error)
{
    if (frame.Empty()) {
        if (error)
            *error = "empty frame";
        return false;
    }
    if (!EnsureTexture(frame.Width(), frame.Height(), error))
        return false;
    if (SDL_UpdateTexture(m_pTexture, nullptr, frame.Data(), frame.PitchBytes()) != 0 ||
        SDL_SetRenderDrawColor(m_pRenderer, 0, 0, 0, 255) != 0 || SDL_RenderClear(m_pRenderer) != 0 ||
        SDL_RenderCopy(m_pRenderer, m_pTexture, nullptr, nullptr) != 0) {
        if (error)
            *error = SDL_GetError();
        return false;
    }
    SDL_RenderPresent(m_pRenderer);
    return true;
}

} // namespace platform
