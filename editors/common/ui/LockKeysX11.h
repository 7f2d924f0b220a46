// The keyboard's lock lights read from an X11 display (kept apart: X11's headers clash with Qt's names).
#pragma once

// Fills caps, num and scroll lock from the display's named indicators; false without X11 or a display.
bool ReadX11LockStates(void* display, bool* caps, bool* num, bool* scroll);
