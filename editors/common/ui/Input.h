// Qt's keys and mouse buttons as the virtual-key codes and MK_ flags the editors' views act on.
#pragma once

#include <cstdint>

// The virtual-key code of a Qt key (0 for keys the views have no code for). Digits and operators of the keypad
// (the keypad modifier set) give the VK_NUMPAD0..9, VK_ADD, VK_SUBTRACT, VK_MULTIPLY, VK_DIVIDE, VK_DECIMAL codes;
// '=' and '+' give VK_OEM_PLUS, '-' and '_' VK_OEM_MINUS; letters give their upper-case code.
uint32_t VirtualKeyFromQt(int qtKey, bool keypad);
// MK_LBUTTON, MK_RBUTTON, MK_MBUTTON, MK_SHIFT and MK_CONTROL of Qt's buttons and keyboard modifiers (as ints).
uint32_t MouseFlagsFromQt(int buttons, int modifiers);
