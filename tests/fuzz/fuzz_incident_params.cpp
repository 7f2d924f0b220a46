// Reads an arbitrary simulation parameters file.
#include "game/sim/IncidentWorld.h"

#include <cstdint>
#include <cstdio>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FILE* f = std::tmpfile();
    if (!f)
        return 0;
    if (size)
        std::fwrite(data, 1, size, f);
    std::rewind(f);
    CIncidentParams params;
    std::string error;
    ReadIncidentParams(f, params, error);
    std::fclose(f);
    return 0;
}
