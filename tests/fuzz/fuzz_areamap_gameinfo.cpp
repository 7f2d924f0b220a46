// Fuzz target: "GameInfo.txt" as the area-map editor reads it, from arbitrary bytes, and the bitmap names made
// from its file names.
#include "core/world/GameInfo.h"
#include "editors/areamap/model/AreaMapNames.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CGameInfo info;
    std::string error;
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (!ParseGameInfo(text, info, &error))
        return 0;
    CheckGameInfoLines(info, {CGameInfo::kTileArtSmall, CGameInfo::kStationList}, &error);
    for (const std::string& name : info.aNames) {
        if (name.size() > CGameInfo::kMaxName)
            __builtin_trap();
        std::string bitmap;
        if (vellisk::MakeBitmapName(name, &bitmap) && bitmap.size() > vellisk::kMaxBitmapName)
            __builtin_trap();
        vellisk::CAreaMapNames made;
        vellisk::NamesFromBitmap("/d/Maps/" + name, "/d", &made);
    }
    return 0;
}
