// Plain drawing types shared by the display, the GDI layer and their callers: rectangles, points, sizes, colours.
#pragma once

#include <cstdint>

// A colour as 0x00BBGGRR.
using COLORREF = uint32_t;
constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;

constexpr COLORREF RGB(int r, int g, int b)
{
    return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(COLORREF c)
{
    return static_cast<int>(c & 0xFF);
}
constexpr int GetGValue(COLORREF c)
{
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int GetBValue(COLORREF c)
{
    return static_cast<int>((c >> 16) & 0xFF);
}

// Edges left/top inclusive, right/bottom exclusive.
struct RECT {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

struct POINT {
    int32_t x = 0;
    int32_t y = 0;
};

struct SIZE {
    int32_t cx = 0;
    int32_t cy = 0;
};

inline bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
