// Reads arbitrary bytes as a screen's art list: at most the asked rows, no crash, the fatal latch only by rule.
#include "game/screens/art/ArtList.h"
#include "platform/system/MessageBox.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A private folder for the list, removed at exit.
    struct Folder {
        std::filesystem::path path;
        Folder()
        {
            platform::SetMessageEcho(false);
            path = std::filesystem::temp_directory_path() / ("zr-fuzz-art-" + std::to_string(getpid()));
            std::filesystem::create_directories(path / "GUI");
        }
        ~Folder()
        {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    };
    static const Folder folder;
    const std::filesystem::path& dir = folder.path;
    {
        FILE* f = std::fopen((dir / "GUI" / "List.csv").c_str(), "wb");
        if (!f)
            return 0;
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    ClearScreenFatal();
    CArtList list;
    list.Load(nullptr, dir.string(), "List.csv", 63);
    if (list.Rows().size() > 63)
        std::abort();
    for (const CArtRow& row : list.Rows())
        if (row.pSurface || row.width != 0 || row.height != 0)
            std::abort(); // nothing loads without a display
    // Each line alone through the row parser.
    std::string text(reinterpret_cast<const char*>(data), size);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        std::string name;
        int x = 0, y = 0;
        if (ParseArtRow(line, name, x, y) && (name.empty() || x < -100000 || x > 100000 || y < -100000 || y > 100000))
            std::abort();
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    ClearScreenFatal();
    platform::ClearRecordedMessages();
    return 0;
}
