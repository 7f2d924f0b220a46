// The window-message vocabulary the game routes: message ids, button flags and packed mouse positions.
#pragma once

#include <cstdint>

namespace platform {

enum EWindowMessage : uint32_t {
    WM_CREATE = 0x0001,
    WM_DESTROY = 0x0002,
    WM_MOVE = 0x0003,
    WM_SIZE = 0x0005,
    WM_ACTIVATE = 0x0006,
    WM_CLOSE = 0x0010,
    WM_QUIT = 0x0012,
    WM_KEYDOWN = 0x0100,
    WM_CHAR = 0x0102,
    WM_COMMAND = 0x0111,
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_RBUTTONDOWN = 0x0204,
    WM_RBUTTONUP = 0x0205,
};

// Button state in a mouse message's wParam.
constexpr uint32_t MK_LBUTTON = 0x1;
constexpr uint32_t MK_RBUTTON = 0x2;

struct WindowMessage {
    uint32_t message = 0;
    uint32_t wParam = 0;
    int32_t lParam = 0;
};

// x in the low 16 bits, y in the high 16 bits, both signed.
constexpr int32_t MakePointParam(int x, int y)
{
    return static_cast<int32_t>((static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16) | static_cast<uint16_t>(x));
}
constexpr int PointParamX(int32_t lParam)
{
    return static_cast<int16_t>(static_cast<uint32_t>(lParam) & 0xFFFF);
}
constexpr int PointParamY(int32_t lParam)
{
    return static_cast<int16_t>(static_cast<uint32_t>(lParam) >> 16);
}

} // namespace platform
