// Copies the hand-written text sources (lists, settings, rules, score table) into the data folder, keeping
// their relative paths; the player's own "ZR.ini" in an existing folder is left as the game rewrote it.
// Also copies the game's font from the system's Liberation fonts.
#include "tools/demo/DemoData.h"

#include "platform/gdi/Font.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace demo {

namespace {

std::vector<uint8_t> ReadAll(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

void CopyTextSources(const std::string& sourceFolder, Output& out)
{
    std::error_code ec;
    if (!fs::is_directory(sourceFolder, ec)) {
        out.Fail("no source folder " + sourceFolder);
        return;
    }
    std::vector<fs::path> files;
    for (auto it = fs::recursive_directory_iterator(sourceFolder, ec); it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (ec)
            break;
        if (it->is_regular_file() && it->path().extension() != ".md")
            files.push_back(it->path());
    }
    std::sort(files.begin(), files.end()); // a fixed order, whatever the file system lists
    for (const fs::path& p : files) {
        std::string relative = fs::relative(p, sourceFolder).generic_string();
        if (relative == "ZR.ini" && fs::exists(out.Path(relative)))
            continue;
        out.Bytes(relative, ReadAll(p));
        // The scenario editor copies "_Scores.csv" beside every new scenario: the demo's table is the template.
        if (relative == "Millbrook Scores.csv")
            out.Bytes("_Scores.csv", ReadAll(p));
    }
}

void MakeFolders(Output& out)
{
    // A client stores the host's scenario files here (and its map bitmap in "Maps"), a joined saved game in
    // "GameFromHost"; the game does not create them. Saved games go below "Saves".
    for (const char* folder : {"ScenarioFromHost/Maps", "GameFromHost", "Saves"}) {
        std::error_code ec;
        fs::create_directories(out.Path(folder), ec);
        if (ec)
            out.Fail("cannot make " + out.Path(folder));
    }
}

void MakeFont(Output& out)
{
    // The game adds "Art/accid___.ttf" at start; a bold Liberation face stands in for its display font.
    const std::string file = platform::gdi::FindFontFile("Arial", true, false);
    if (file.empty()) {
        out.Fail("no Liberation Sans font to copy");
        return;
    }
    out.Bytes("Art/accid___.ttf", ReadAll(file));
}

} // namespace demo
