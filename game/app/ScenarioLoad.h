// "GameInfo.txt", the names a scenario file gives, and loading a scenario into the game object.
#pragma once

#include <array>
#include <cstddef>
#include <string>

class CGame;

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

// Reads the lines by position: a blank line keeps its place (an empty name). False with a reason when a
// word is longer than kMaxName; missing lines at the end stay empty.
bool ParseGameInfo(const std::string& text, CGameInfo& info, std::string* error = nullptr);
// The file itself (at most 64 KB read); false when it cannot be opened.
bool ReadGameInfo(const std::string& path, CGameInfo& info, std::string* error = nullptr);

// The names a scenario file name gives (it may carry folders, e.g. "Saves/x/Millbrook.zri").
struct CScenarioNames {
    std::string strScenario;  // as given
    std::string strStem;      // without ".zri"
    std::string strAreaMap;   // stem + ".zra"
    std::string strAgencyCsv; // stem + ".csv"
    std::string strFileName;  // the last path part, with its extension
};
// False unless the name ends in ".zri" (any case) after at least one character.
bool DeriveScenarioNames(const std::string& scenario, CScenarioNames& names);

// The game's scenario loader (installed as CGame::m_fnLoadScenario): reads "GameInfo.txt", the scenario
// and area-map archives named by the game's scenario name, and builds the scenario's objects. False, with a
// message box, when anything the scenario cannot run without is missing; nothing half-built stays behind.
bool LoadScenarioForGame(CGame& game);
