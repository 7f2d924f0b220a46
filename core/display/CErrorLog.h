// The draw-failure reporter: callers pass a result and a text; it records nothing.
#pragma once

#include "core/display/DDrawTypes.h"

namespace platform {
class IPresentTarget;
}

class CErrorLog {
public:
    CErrorLog() = default;
    ~CErrorLog() {}
    void LogError(HRESULT result, const platform::IPresentTarget* window, const char* text)
    {
        (void)result;
        (void)window;
        (void)text;
    }
};
