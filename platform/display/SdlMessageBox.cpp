// SDL2 message boxes, with a stderr fallback whenever no window system is there.
#include "platform/display/SdlMessageBox.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform {

bool SdlMessageBoxBackend::HasWindowSystem()
{
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0))
        return false;
    const char* current = SDL_GetCurrentVideoDriver();
    if (current && (std::strcmp(current, "offscreen") == 0 || std::strcmp(current, "dummy") == 0))
        return false;
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

void SdlMessageBoxBackend::Show(const MessageRecord& message)
{
    Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
    if (message.icon == MessageIcon::Error)
        flags = SDL_MESSAGEBOX_ERROR;
    else if (message.icon == MessageIcon::Warning)
        flags = SDL_MESSAGEBOX_WARNING;
    if (HasWindowSystem() &&
        SDL_ShowSimpleMessageBox(flags, message.title.c_str(), message.text.c_str(), m_pParent) == 0)
        return;
    std::fprintf(stderr, "%s: %s\n", message.title.c_str(), message.text.c_str());
}

} // namespace platform
