// Reads arbitrary bytes as "ZR.ini": the name and host stay within their bounds, and the file rewritten from
// what was read reads back the same.
#include "game/app/Settings.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace {

// A folder of this process, removed at exit.
const std::filesystem::path& Folder()
{
    struct Made {
        std::filesystem::path path =
            std::filesystem::temp_directory_path() / ("zr-fuzz-settings-" + std::to_string(getpid()));
        Made() { std::filesystem::create_directories(path); }
        ~Made()
        {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    };
    static const Made made;
    return made.path;
}

bool Write(const std::filesystem::path& path, const uint8_t* data, size_t size)
{
    FILE* file = std::fopen(path.string().c_str(), "wb");
    if (!file)
        return false;
    const bool ok = size == 0 || std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && ok;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::filesystem::path path = Folder() / "ZR.ini";
    if (!Write(path, data, size))
        return 0;
    CSettingsValues values;
    if (!ReadSettingsFile(path.string(), values))
        return 0;
    if (values.strName.size() > kSettingsNameMax || values.strHost.size() > kSettingsHostMax)
        std::abort();
    // Rewritten with what was read, the switches read back unchanged.
    if (!RewriteSettingsFile(path.string(), values.strName, values.strHost, values))
        return 0;
    CSettingsValues again;
    if (!ReadSettingsFile(path.string(), again))
        std::abort();
    if (again.bWindowed != values.bWindowed || again.bAStarLog != values.bAStarLog || again.bSound != values.bSound ||
        again.bIncidentOrders != values.bIncidentOrders || again.bSkipSplash != values.bSkipSplash)
        std::abort();
    return 0;
}
