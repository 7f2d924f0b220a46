// Reading text files one bounded line at a time.
#include "game/util/TextLine.h"

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
