// "GameInfo.txt": the positional list of the data files a scenario is built from, read by the game and the
// scenario editor alike.
#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>
#include <string>

// The 17 positional lines of "GameInfo.txt": the first blank-free word of each line (a file name).
struct CGameInfo {
    enum ELine {
        kTileArtSmall = 0,
        kTileArtLarge = 1,
        kTileTypeList = 2,
        kUnitTaskList = 3,
        kTerrainFeatureList = 4,
        kPopupMenuList = 5,
        kStationList = 6,
        kSectionUnitList = 8, // 8 to 12: sections 0 to 4
        kUnitFactorList = 14,
        kIncidentParameterList = 15,
        kScoreRuleList = 16,
        kLineCount = 17
    };
    // Longest file name kept from a line (a longer word is refused).
    static constexpr size_t kMaxName = 259;
    std::array<std::string, kLineCount> aNames;
};

// Reads the lines by position: a blank line keeps its place (an empty name); missing lines at the end stay
// empty. False with a reason naming "GameInfo.txt" when the bytes are no text (a NUL or another control
// character than tab, carriage return, line and form feed) or a word is longer than kMaxName.
bool ParseGameInfo(const std::string& text, CGameInfo& info, std::string* error = nullptr);
// The file itself (at most 64 KB read); false with its path as the reason when it cannot be read.
bool ReadGameInfo(const std::string& path, CGameInfo& info, std::string* error = nullptr);
// False with a reason naming "GameInfo.txt" and the line when one of the lines a reader needs names no file.
bool CheckGameInfoLines(const CGameInfo& info, std::initializer_list<CGameInfo::ELine> needed,
                        std::string* error = nullptr);
