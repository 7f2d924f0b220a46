// Icons: a colour bitmap and a mask bitmap of the same size (white mask pixels are transparent).
#pragma once

#include "platform/gdi/DeviceBitmap.h"

namespace platform::gdi {

struct Icon {
    DeviceBitmap color;
    DeviceBitmap mask; // usually 1 bit: 1 (white) transparent, 0 (black) opaque
};

} // namespace platform::gdi
