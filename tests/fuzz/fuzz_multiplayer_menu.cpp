// Fuzz target: the lobby's menu table read from arbitrary bytes; rows stay within their limits.
#include "game/screens/lobby/MPlayIF.h"
#include "platform/system/MessageBox.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = (platform::SetMessageEcho(false), true);
    (void)quiet;
    FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (!file)
        return 0;
    CMultiplayerMenuData menu;
    menu.Read(file, "fuzz");
    std::fclose(file);
    if (menu.Count() > CMultiplayerMenuData::kMaxRows)
        __builtin_trap();
    for (const CMultiplayerMenuRow& row : menu.m_aRows)
        if (row.strName.size() > 259 || row.strText.size() > 99 || row.nX > 800 || row.nY > 600)
            __builtin_trap();
    return 0;
}
