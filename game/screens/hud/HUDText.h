// Readers of the HUD's text files: the art-list row count, the pop-up menus file and the info-text lists.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

// Largest text file the HUD reads whole (its files are a few kilobytes).
constexpr size_t kMaxHudTextFile = 1024 * 1024;
// Longest line kept from a HUD text file; longer lines are cut.
constexpr size_t kMaxHudLine = 1024;

// Splits text into lines the way "%[^\n]\n" reads them: line ends ("\n", "\r\n") dropped, blank lines and the
// blanks that open a line skipped.
std::vector<std::string> SplitHudLines(const std::string& text);

// The number of rows after the two header lines whose bitmap name (the text before the first comma) is not
// empty, counted up to the first row that has none.
int CountArtRows(const std::string& text);

// The five menu slots the HUD fills, by section name.
constexpr int kHudMenuSlots = 16;
constexpr int kHudMenuCommand = 0;
constexpr int kHudMenuOptions = 3;
constexpr int kHudMenuFilters = 4;
constexpr int kHudMenuOverlays = 5;
constexpr int kHudMenuMsgFilters = 15;

struct CHudMenuDef {
    bool bPresent = false;
    std::vector<std::string> aItems; // in file order; an item's value is its index here
};

// Reads "HUDPopupMenus.txt": '@' lines open a section ("@Command", "@Options", "@Filters", "@Overlays",
// "@Msg Filters", any case), '#' lines are comments, other lines are items of the open section (lines before
// the first section belong to none and are dropped). False for any other '@' line.
bool ParseHudPopupMenus(const std::string& text, std::array<CHudMenuDef, kHudMenuSlots>& menus);

// Reads an info-text list: entry i is line i from its fifth character on while lines start with '@'; the first
// line that does not ends the list. At most `maxEntries` entries, each cut to 255 characters.
std::vector<std::string> ParseInfoTexts(const std::string& text, size_t maxEntries);

// Reads a whole file (case-blind path) of at most kMaxHudTextFile bytes; false when it cannot be opened.
bool ReadHudTextFile(const std::string& path, std::string& text);
