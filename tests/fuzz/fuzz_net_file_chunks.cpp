// Fuzzes a client's receipt of a file: byte 0 picks the file kind, then chunks {int32 counter; uint16 used;
// bytes}; nothing is written past the kind's limit and a failed receipt leaves no file.
#include "game/app/FileTransfer.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    static const std::string target =
        (std::filesystem::temp_directory_path() / ("zr-fuzz-chunks-" + std::to_string(::getpid()))).string();
    std::error_code ec;
    std::filesystem::remove(target, ec);
    const int slot = data[0] % kFileSlots;
    CFileReceipt receipt(slot, target);
    size_t pos = 1;
    CFileReceipt::EResult result = CFileReceipt::EResult::More;
    while (pos + 6 <= size && result != CFileReceipt::EResult::Written && result != CFileReceipt::EResult::Failed) {
        const int32_t counter = static_cast<int32_t>(data[pos] | data[pos + 1] << 8 | data[pos + 2] << 16 |
                                                     static_cast<uint32_t>(data[pos + 3]) << 24);
        const size_t used = data[pos + 4] | data[pos + 5] << 8;
        pos += 6;
        const size_t take = std::min(used, size - pos);
        result = receipt.Add(counter, data + pos, take);
        pos += take;
    }
    const bool exists = std::filesystem::exists(target, ec);
    if (exists != (result == CFileReceipt::EResult::Written))
        std::abort();
    if (exists && std::filesystem::file_size(target, ec) > FileKindOfSlot(slot)->nLimit)
        std::abort();
    std::filesystem::remove(target, ec);
    std::filesystem::remove(target + ".part", ec);
    return 0;
}
