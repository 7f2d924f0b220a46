// The window-message vocabulary the game and the editors route: message ids, key codes, button flags, mouse positions.
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
    WM_KEYUP = 0x0101,
    WM_CHAR = 0x0102,
    WM_COMMAND = 0x0111,
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_RBUTTONDOWN = 0x0204,
    WM_LBUTTONDBLCLK = 0x0203,
    WM_RBUTTONUP = 0x0205,
    WM_MOUSEWHEEL = 0x020A,
};

// Button state in a mouse message's wParam.
constexpr uint32_t MK_LBUTTON = 0x1;
constexpr uint32_t MK_RBUTTON = 0x2;
constexpr uint32_t MK_SHIFT = 0x4;
constexpr uint32_t MK_CONTROL = 0x8;
constexpr uint32_t MK_MBUTTON = 0x10;

// Virtual-key codes of the keys the game and the editors act on.
constexpr uint32_t VK_BACK = 0x08;
constexpr uint32_t VK_TAB = 0x09;
constexpr uint32_t VK_RETURN = 0x0D;
constexpr uint32_t VK_SHIFT = 0x10;
constexpr uint32_t VK_CONTROL = 0x11;
constexpr uint32_t VK_MENU = 0x12;
constexpr uint32_t VK_ESCAPE = 0x1B;
constexpr uint32_t VK_SPACE = 0x20;
constexpr uint32_t VK_PRIOR = 0x21;
constexpr uint32_t VK_NEXT = 0x22;
constexpr uint32_t VK_END = 0x23;
constexpr uint32_t VK_HOME = 0x24;
constexpr uint32_t VK_LEFT = 0x25;
constexpr uint32_t VK_UP = 0x26;
constexpr uint32_t VK_RIGHT = 0x27;
constexpr uint32_t VK_DOWN = 0x28;
constexpr uint32_t VK_INSERT = 0x2D;
constexpr uint32_t VK_DELETE = 0x2E;
// '0'..'9' are 0x30..0x39 and 'A'..'Z' 0x41..0x5A.
constexpr uint32_t VK_NUMPAD0 = 0x60; // ..VK_NUMPAD9 = 0x69
constexpr uint32_t VK_MULTIPLY = 0x6A;
constexpr uint32_t VK_ADD = 0x6B;
constexpr uint32_t VK_SUBTRACT = 0x6D;
constexpr uint32_t VK_DECIMAL = 0x6E;
constexpr uint32_t VK_DIVIDE = 0x6F;
constexpr uint32_t VK_F1 = 0x70; // ..VK_F12 = 0x7B
constexpr uint32_t VK_OEM_PLUS = 0xBB;
constexpr uint32_t VK_OEM_COMMA = 0xBC;
constexpr uint32_t VK_OEM_MINUS = 0xBD;
constexpr uint32_t VK_OEM_PERIOD = 0xBE;

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
