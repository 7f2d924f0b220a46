// Fuzz target: the role grid's table read from arbitrary bytes; a loaded grid keeps every cell on screen.
#include "game/screens/role/RoleIF.h"
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
    CRoleMenuData grid;
    const bool ok = grid.Read(file, "fuzz");
    std::fclose(file);
    if (ok != grid.m_bLoaded)
        __builtin_trap();
    if (ok)
        for (int r = 0; r < CRoleMenuData::kRows; ++r)
            for (int c = 0; c < CRoleMenuData::kColumns; ++c)
                if (grid.CellX(c) > 800 || grid.CellY(r) > 600)
                    __builtin_trap();
    return 0;
}
