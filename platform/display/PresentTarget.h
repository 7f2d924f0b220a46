// Where a finished frame goes: the interface a window (SDL2 now, a Qt widget later) implements, and a null target.
#pragma once

#include "platform/display/Geometry.h"
#include "platform/display/PixelSurface.h"

#include <string>

namespace platform {

class IPresentTarget {
public:
    virtual ~IPresentTarget() = default;
    // Size of the picture the window shows, in picture pixels (the client area).
    virtual SIZE ClientSize() const = 0;
    // Screen position of the client area's top-left corner.
    virtual POINT ClientOrigin() const = 0;
    // Shows the frame; false with a reason when it cannot.
    virtual bool Present(const PixelSurface& frame, std::string* error) = 0;
};

// A target without a screen, for tests and headless runs: counts frames and can be told to fail.
class NullPresentTarget : public IPresentTarget {
public:
    NullPresentTarget(int width, int height) : m_size{width, height} {}
    SIZE ClientSize() const override { return m_size; }
    POINT ClientOrigin() const override { return m_origin; }
    bool Present(const PixelSurface& frame, std::string* error) override;

    void SetOrigin(POINT origin) { m_origin = origin; }
    void SetFailPresents(bool fail) { m_bFail = fail; }
    int PresentCount() const { return m_nPresents; }
    // Size of the last frame shown.
    SIZE LastFrameSize() const { return m_lastFrame; }

private:
    SIZE m_size;
    POINT m_origin{};
    bool m_bFail = false;
    int m_nPresents = 0;
    SIZE m_lastFrame{};
};

} // namespace platform
