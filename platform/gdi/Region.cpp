// Clip regions as lists of rectangles.
#include "platform/gdi/Region.h"

#include "platform/display/PixelSurface.h"

#include <algorithm>

namespace platform::gdi {

void Region::AddRect(const RECT& rect)
{
    if (IsRectEmpty(rect))
        return;
    // A rectangle that continues the last one on the same rows widens it (keeps row runs compact).
    if (!m_rects.empty()) {
        RECT& last = m_rects.back();
        if (last.top == rect.top && last.bottom == rect.bottom && last.right == rect.left) {
            last.right = rect.right;
            return;
        }
    }
    m_rects.push_back(rect);
}

void Region::IntersectRect(const RECT& rect)
{
    std::vector<RECT> kept;
    for (const RECT& r : m_rects) {
        RECT i = IntersectRects(r, rect);
        if (!IsRectEmpty(i))
            kept.push_back(i);
    }
    m_rects.swap(kept);
}

bool Region::Contains(int x, int y) const
{
    return std::any_of(m_rects.begin(), m_rects.end(),
                       [&](const RECT& r) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; });
}

RECT Region::GetBox() const
{
    if (m_rects.empty())
        return RECT{0, 0, 0, 0};
    RECT box = m_rects.front();
    for (const RECT& r : m_rects) {
        box.left = std::min(box.left, r.left);
        box.top = std::min(box.top, r.top);
        box.right = std::max(box.right, r.right);
        box.bottom = std::max(box.bottom, r.bottom);
    }
    return box;
}

} // namespace platform::gdi
