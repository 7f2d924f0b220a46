// Fuzz target: the "SaveData.zrd" header from arbitrary bytes (the state blocks have their owners' targets).
#include "game/app/SavedGame.h"
#include "core/util/ByteStream.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CByteReader in(data, size);
    CSaveHeader header;
    std::string error;
    if (ReadSaveHeader(in, header, &error)) {
        // An accepted name is one plain ".zri" file name.
        if (header.strScenario.find('/') != std::string::npos || header.strScenario.find("..") != std::string::npos)
            __builtin_trap();
        IsSaveNewer("1.0", header.strVersion);
        CByteWriter out;
        if (!WriteSaveHeader(out, header))
            __builtin_trap();
    }
    return 0;
}
