// Reading text files: bounded lines, or a whole file up to a limit.
#include "core/util/TextLine.h"

#include "platform/system/Paths.h"

#include <algorithm>

bool ReadBoundedLine(FILE* file, std::string& line, size_t maxLength)
{
    line.clear();
    int c;
    bool any = false;
    while ((c = std::fgetc(file)) != EOF) {
        any = true;
        if (c == '\n')
            break;
        if (line.size() < maxLength)
            line.push_back(static_cast<char>(c));
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return any;
}

bool ReadTextFile(const std::string& path, std::string& text, size_t limit, bool* whole)
{
    text.clear();
    if (whole)
        *whole = true;
    FILE* file = platform::OpenFile(path, "rb");
    if (!file)
        return false;
    char buffer[8192];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        const size_t room = limit - text.size();
        text.append(buffer, std::min(got, room));
        if (got > room) {
            if (whole)
                *whole = false;
            break;
        }
    }
    std::fclose(file);
    return true;
}
