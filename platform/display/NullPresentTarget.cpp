// The screenless present target.
#include "platform/display/PresentTarget.h"

namespace platform {

bool NullPresentTarget::Present(const PixelSurface& frame, std::string* error)
{
    if (m_bFail) {
        if (error)
            *error = "present refused by the null target";
        return false;
    }
    ++m_nPresents;
    m_lastFrame = SIZE{frame.Width(), frame.Height()};
    return true;
}

} // namespace platform
