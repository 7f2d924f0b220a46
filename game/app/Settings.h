// The "ZR.ini" settings file: player name and positional switches, read at start-up and rewritten on a lobby start.
#pragma once

#include <string>

// Longest player name and host address kept from the file.
constexpr size_t kSettingsNameMax = 32;
constexpr size_t kSettingsHostMax = 32;

// What "ZR.ini" holds, by line: 1 name, 2 windowed, 3 path-finder log, 4 sound, 5 incident orders,
// 6 host address, 7 skip the splash.
struct CSettingsValues {
    std::string strName;
    bool bWindowed = false;
    bool bAStarLog = false;
    bool bSound = true;
    bool bIncidentOrders = false;
    std::string strHost;
    bool bSkipSplash = false;
};

// Reads the file into `values`; lines that are absent keep their defaults. Only '1' switches a flag on
// and only '0' switches sound off. False when the file cannot be opened (all defaults hold).
bool ReadSettingsFile(const std::string& path, CSettingsValues& values);

// Rewrites the file with a new name (line 1) and, when `host` is not empty, a new host address (line 6);
// lines 2 to 5 and 7 keep their label and value words. Lines the old file lacks are written from
// `current` with labels of our own. The new file replaces the old one whole. False, with the reason in `error`,
// when it cannot be written.
bool RewriteSettingsFile(const std::string& path, const std::string& name, const std::string& host,
                         const CSettingsValues& current, std::string* error = nullptr);
