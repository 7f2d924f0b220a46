// The names a scenario file gives, and loading a scenario into the game object (over "GameInfo.txt").
#pragma once

#include "core/world/GameInfo.h"

#include <string>

class CGame;

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
