// Fuzz target: the area-map editor's "GameInfo.txt" names by line, from arbitrary bytes, and the bitmap names
// made from them.
#include "editors/areamap/model/AreaMapNames.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> names;
    std::string error;
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (vellisk::ParseGameInfoNames(text, 8, &names, &error)) {
        if (names.size() != 8)
            __builtin_trap();
        for (const std::string& name : names) {
            if (name.size() > vellisk::kMaxBitmapName)
                __builtin_trap();
            std::string bitmap;
            if (vellisk::MakeBitmapName(name, &bitmap) && bitmap.size() > vellisk::kMaxBitmapName)
                __builtin_trap();
            vellisk::CAreaMapNames made;
            vellisk::NamesFromBitmap("/d/Maps/" + name, "/d", &made);
        }
    }
    return 0;
}
