// Fuzzes the pop-up frame list reader: six bounded bitmap names or a refusal.
#include "core/widgets/CPopupMenuView.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > kMaxPopupFrameListBytes)
        size = kMaxPopupFrameListBytes;
    std::string names[6];
    if (ParsePopupFrameList(reinterpret_cast<const char*>(data), size, names)) {
        for (const std::string& name : names)
            if (name.empty() || name.size() > 259)
                std::abort();
    }
    return 0;
}
