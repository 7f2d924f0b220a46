// The keyboard's lock lights through XKB's named indicators ("Caps Lock", "Num Lock", "Scroll Lock").
#include "editors/common/ui/LockKeysX11.h"

#ifdef ZR_HAVE_X11
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace {
bool IndicatorOn(Display* display, const char* name)
{
    const Atom atom = XInternAtom(display, name, True);
    int state = 0;
    return atom != None && XkbGetNamedIndicator(display, atom, nullptr, &state, nullptr, nullptr) && state;
}
} // namespace

bool ReadX11LockStates(void* handle, bool* caps, bool* num, bool* scroll)
{
    auto* display = static_cast<Display*>(handle);
    if (!display)
        return false;
    *caps = IndicatorOn(display, "Caps Lock");
    *num = IndicatorOn(display, "Num Lock");
    *scroll = IndicatorOn(display, "Scroll Lock");
    return true;
}
#else
bool ReadX11LockStates(void*, bool*, bool*, bool*)
{
    return false;
}
#endif
