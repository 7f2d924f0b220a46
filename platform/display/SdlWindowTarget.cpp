// SDL2 window target: creates the window and renderer and uploads each frame as an RGB565 texture.
#include "platform/display/SdlWindowTarget.h"

#include <SDL.h>

#include <cstring>

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
    SDL_AddEventWatch(&SdlWindowTarget::WatchEvents, target.get());
    return target;
}

SdlWindowTarget::~SdlWindowTarget()
{
    SDL_DelEventWatch(&SdlWindowTarget::WatchEvents, this);
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

int SdlWindowTarget::WatchEvents(void* self, SDL_Event* event)
{
    auto* target = static_cast<SdlWindowTarget*>(self);
    if (event->type == SDL_RENDER_TARGETS_RESET || event->type == SDL_RENDER_DEVICE_RESET) {
        target->m_bShownLost = true;
    } else if (event->type == SDL_WINDOWEVENT && target->m_pWindow &&
               event->window.windowID == SDL_GetWindowID(target->m_pWindow)) {
        switch (event->window.event) {
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_RESIZED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_MAXIMIZED:
        case SDL_WINDOWEVENT_RESTORED:
            target->m_bShownLost = true;
            break;
        default:
            break;
        }
    }
    return 1;
}

bool SdlWindowTarget::SameAsShown(const PixelSurface& frame) const
{
    return m_shownSize.cx == frame.Width() && m_shownSize.cy == frame.Height() &&
           std::memcmp(m_shown.data(), frame.Data(), m_shown.size() * sizeof(uint16_t)) == 0;
}

bool SdlWindowTarget::Present(const PixelSurface& frame, std::string* error)
{
    if (frame.Empty()) {
        if (error)
            *error = "empty frame";
        return false;
    }
    // An idle screen draws the same picture frame after frame: it is shown once.
    if (!m_bShownLost.exchange(false) && SameAsShown(frame))
        return true;
    if (!EnsureTexture(frame.Width(), frame.Height(), error)) {
        m_bShownLost = true;
        return false;
    }
    if (SDL_UpdateTexture(m_pTexture, nullptr, frame.Data(), frame.PitchBytes()) != 0 ||
        SDL_SetRenderDrawColor(m_pRenderer, 0, 0, 0, 255) != 0 || SDL_RenderClear(m_pRenderer) != 0 ||
        SDL_RenderCopy(m_pRenderer, m_pTexture, nullptr, nullptr) != 0) {
        if (error)
            *error = SDL_GetError();
        m_bShownLost = true;
        return false;
    }
    SDL_RenderPresent(m_pRenderer);
    m_shown.assign(frame.Data(), frame.Data() + static_cast<size_t>(frame.Width()) * frame.Height());
    m_shownSize = SIZE{frame.Width(), frame.Height()};
    ++m_nShown;
    return true;
}

} // namespace platform
