// Readers of the HUD's text files.
#include "game/screens/hud/HUDText.h"

#include "core/util/TextLine.h"

#include "platform/system/Paths.h"

#include <cctype>
#include <cstdio>
#include <strings.h>

std::vector<std::string> SplitHudLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t pos = 0;
    const size_t n = text.size();
    while (pos < n) {
        // The "\n" of the pattern eats every blank before the next line.
        while (pos < n && std::isspace(static_cast<unsigned char>(text[pos])))
            ++pos;
        if (pos >= n)
            break;
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = n;
        std::string line = text.substr(pos, std::min(end - pos, kMaxHudLine));
        while (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        pos = end;
    }
    return lines;
}

int CountArtRows(const std::string& text)
{
    // The headers are taken line by line as they are, blank or not.
    size_t pos = 0;
    for (int header = 0; header < 2 && pos < text.size(); ++header) {
        const size_t end = text.find('\n', pos);
        pos = end == std::string::npos ? text.size() : end + 1;
    }
    int rows = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(pos, end - pos);
        const size_t comma = line.find(',');
        const std::string name = line.substr(0, comma);
        bool blank = true;
        for (char c : name)
            if (!std::isspace(static_cast<unsigned char>(c)))
                blank = false;
        if (blank || comma == std::string::npos)
            break;
        ++rows;
        pos = end + 1;
    }
    return rows;
}

namespace {

int SectionSlot(const std::string& name)
{
    static const struct {
        const char* name;
        int slot;
    } kSections[] = {{"@Command", kHudMenuCommand},
                     {"@Options", kHudMenuOptions},
                     {"@Filters", kHudMenuFilters},
                     {"@Overlays", kHudMenuOverlays},
                     {"@Msg Filters", kHudMenuMsgFilters}};
    for (const auto& s : kSections)
        if (strcasecmp(name.c_str(), s.name) == 0)
            return s.slot;
    return -1;
}

} // namespace

bool ParseHudPopupMenus(const std::string& text, std::array<CHudMenuDef, kHudMenuSlots>& menus)
{
    menus = {};
    int current = -1;
    for (std::string line : SplitHudLines(text)) {
        if (line[0] == '#')
            continue;
        if (line[0] == '@') {
            while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back())))
                line.pop_back();
            current = SectionSlot(line);
            if (current < 0)
                return false;
            // A section named again starts its menu afresh.
            menus[current] = CHudMenuDef{};
            menus[current].bPresent = true;
            continue;
        }
        if (current >= 0)
            menus[current].aItems.push_back(line);
    }
    return true;
}

std::vector<std::string> ParseInfoTexts(const std::string& text, size_t maxEntries)
{
    std::vector<std::string> entries;
    for (const std::string& line : SplitHudLines(text)) {
        if (entries.size() >= maxEntries || line[0] != '@')
            break;
        // Mended: a line shorter than its four-character prefix gives an empty entry, not bytes past its end.
        entries.push_back(line.size() > 4 ? line.substr(4, 255) : std::string());
    }
    return entries;
}

bool ReadHudTextFile(const std::string& path, std::string& text)
{
    return ReadTextFile(path, text, kMaxHudTextFile);
}
