// "GameInfo.txt": positional file names, one a line, each followed by a comment.
#include "editors/tacmap/model/GameInfo.h"

#include "platform/system/MessageBox.h"
#include "platform/system/Paths.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace tacmap {

std::vector<std::string> ParseGameInfo(const std::string& text, int lines)
{
    std::vector<std::string> names;
    size_t at = 0;
    while (static_cast<int>(names.size()) < lines) {
        // "%s" skips blanks and line ends, so blank lines never count.
        while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])))
            ++at;
        if (at >= text.size())
            break;
        const size_t start = at;
        while (at < text.size() && !std::isspace(static_cast<unsigned char>(text[at])))
            ++at;
        names.push_back(text.substr(start, std::min<size_t>(at - start, 259)));
        while (at < text.size() && text[at] != '\n')
            ++at; // the comment
    }
    names.resize(static_cast<size_t>(lines < 0 ? 0 : lines));
    return names;
}

bool ReadGameInfo(const std::string& dataFolder, int lines, std::vector<std::string>* names)
{
    const std::string path = platform::JoinPath(dataFolder, "GameInfo.txt");
    FILE* file = platform::OpenFile(path, "r");
    std::string text;
    bool read = file != nullptr;
    if (file) {
        char buffer[4096];
        size_t got = 0;
        while (text.size() < kMaxGameInfoBytes && (got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            text.append(buffer, got);
        read = !std::ferror(file); // a folder of that name opens but does not read
        std::fclose(file);
    }
    if (!read) {
        platform::ShowMessageBox("Failed to open the game info file.", path, platform::MessageIcon::Error);
        platform::DebugOutput(path);
        return false;
    }
    *names = ParseGameInfo(text, lines);
    return true;
}

} // namespace tacmap
