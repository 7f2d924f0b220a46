// "GameInfo.txt" by position: the text check, the words of each line and the lines a reader needs.
#include "core/world/GameInfo.h"

#include "platform/system/Paths.h"

#include <cctype>
#include <cstdio>

namespace {

constexpr size_t kGameInfoMaxBytes = 64 * 1024;

bool Refuse(std::string* error, const std::string& why)
{
    if (error)
        *error = why;
    return false;
}

bool IsTextByte(unsigned char c)
{
    return c >= 0x20 || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

} // namespace

bool ParseGameInfo(const std::string& text, CGameInfo& info, std::string* error)
{
    info = CGameInfo();
    for (unsigned char c : text)
        if (!IsTextByte(c))
            return Refuse(error, "GameInfo.txt is not a text file");
    size_t pos = 0;
    for (int line = 0; line < CGameInfo::kLineCount && pos < text.size(); ++line) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        size_t a = pos;
        while (a < end && std::isspace(static_cast<unsigned char>(text[a])))
            ++a;
        size_t b = a;
        while (b < end && !std::isspace(static_cast<unsigned char>(text[b])))
            ++b;
        if (b - a > CGameInfo::kMaxName)
            return Refuse(error, "GameInfo.txt: the name on line " + std::to_string(line + 1) + " is too long");
        info.aNames[line] = text.substr(a, b - a);
        pos = end + 1;
    }
    return true;
}

bool ReadGameInfo(const std::string& path, CGameInfo& info, std::string* error)
{
    FILE* file = platform::OpenFile(path, "rb");
    if (!file)
        return Refuse(error, path);
    std::string text(kGameInfoMaxBytes, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), file));
    // A folder of that name opens but does not read.
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed)
        return Refuse(error, path);
    return ParseGameInfo(text, info, error);
}

bool CheckGameInfoLines(const CGameInfo& info, std::initializer_list<CGameInfo::ELine> needed, std::string* error)
{
    for (CGameInfo::ELine line : needed)
        if (line >= 0 && line < CGameInfo::kLineCount && info.aNames[line].empty())
            return Refuse(error, "GameInfo.txt: line " + std::to_string(line + 1) + " names no file");
    return true;
}
