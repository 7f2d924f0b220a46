// Fuzz target: the events editor's ICS unit table reader over a file of arbitrary bytes.
#include "editors/events/model/EventsDocument.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = "/tmp/fuzz_ostrel_unit_table." + std::to_string(::getpid()) + ".csv";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    for (int section = 0; section < kUnitSections; ++section) {
        std::vector<std::string> table(kUnitTableSizes[section]);
        if (!COstrelDocument::ReadUnitTable(path, &table) || table.size() != size_t(kUnitTableSizes[section]))
            __builtin_trap();
    }
    std::remove(path.c_str());
    return 0;
}
