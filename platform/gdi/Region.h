// Clip regions as lists of rectangles: union, intersection with a rectangle, hit tests and the bounding box.
#pragma once

#include "platform/display/Geometry.h"

#include <vector>

namespace platform::gdi {

class Region {
public:
    Region() = default;
    explicit Region(const RECT& rect) { AddRect(rect); }

    // Adds the rectangle to the region (empty rectangles are ignored). Rectangles may overlap.
    void AddRect(const RECT& rect);
    // Keeps only the part inside the rectangle.
    void IntersectRect(const RECT& rect);
    void Clear() { m_rects.clear(); }

    bool Empty() const { return m_rects.empty(); }
    bool Contains(int x, int y) const;
    // The smallest rectangle holding the region; all zero when empty.
    RECT GetBox() const;
    const std::vector<RECT>& Rects() const { return m_rects; }

private:
    std::vector<RECT> m_rects;
};

} // namespace platform::gdi
