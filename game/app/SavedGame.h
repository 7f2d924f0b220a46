// Saved games: the "SaveData.zrd" header, the order of its state blocks, save folders and their removal.
#pragma once

#include "game/app/PlayInstant.h"

#include <cstddef>
#include <cstdint>
#include <string>

class CByteReader;
class CByteWriter;
class CIncidentWorld;
class CSquadGame;

constexpr size_t kSaveVersionSize = 12;
constexpr size_t kSaveScenarioSize = 50;
constexpr size_t kSaveHeaderSize = kSaveVersionSize + kSaveScenarioSize + 4;
// Largest "SaveData.zrd" read back.
constexpr size_t kSaveDataMaxBytes = 32u * 1024u * 1024u;

struct CSaveHeader {
    std::string strVersion;  // the writing program's version text
    std::string strScenario; // the scenario file name (".zri", no folders)
    int32_t nIAPMark = 0;    // HHMM at which the current IAP period began
};

// The 66-byte header: version (12 bytes, zero padded), scenario file name (50 bytes, zero padded), IAP mark.
// False when a text does not fit its field with its terminator.
bool WriteSaveHeader(CByteWriter& out, const CSaveHeader& header);
// Reads and checks the header: terminated texts, a scenario name that ends in ".zri" and has neither folder
// separators nor "..". False with a reason otherwise.
bool ReadSaveHeader(CByteReader& in, CSaveHeader& header, std::string* error = nullptr);
// True when a file of version `saved` is newer than the running `running` (byte-wise, as strcmp).
bool IsSaveNewer(const std::string& running, const std::string& saved);
// A save name is one folder name: not empty, no separators, not "." or "..", at most 63 characters.
bool IsValidSaveName(const std::string& name);

// After the eight blocks: the incident world's pass timers and fire cursor ("ZUR1" and five int32), which the
// blocks leave out. The reader takes none at all (an older save) or exactly one whose values a game can have
// written; anything else is refused and nothing is set.
void SaveRunTrailer(const CIncidentWorld* world, CByteWriter& out);
bool ReadRunTrailer(CByteReader& in, CIncidentWorld* world);

// After the run trailer: the squads' movement that their records leave out ("ZSM1", then both managers' movement
// records), so that moving squads go on along the same paths at the same speeds. A save without it (an older
// one) is taken; its moving squads ask for their paths again.
void SaveSquadMovement(const CSquadGame* squads, CByteWriter& out);
bool ReadSquadMovement(CByteReader& in, CSquadGame* squads);
// Everything after the eight blocks, each part missing in older saves from where it is missing on: the run
// trailer, the squads' movement (the movement alone in a game without an incident world), the incident world's
// tile marks (IncidentWorld.h), the instant of play (PlayInstant.h). Anything else is refused. `instant` is the
// saved one, or a fresh one when none is saved.
bool ReadSaveTail(CByteReader& in, CIncidentWorld* world, CSquadGame* squads, CPlayInstant& instant);

// Removes a folder and everything in it; symbolic links are removed as links and never followed. True when
// the folder itself is gone. Removals go through the platform's file layer.
bool DeleteFolderTree(const std::string& folder);

// Clears what killed saves left in the folder of saved games: the folders a save fills ("<name>.~<pid>.saving")
// and keeps the old save in while the new one takes its name ("<name>.~<pid>.old"), of writers no longer
// running, and their forms without a writer of earlier versions. A kept-aside old save whose name no save holds
// any more takes it back. Returns how many folders were removed.
int RemoveStaleSaveFolders(const std::string& saves);

// The EOC unit data's block: 4 bytes, five 32-byte section records, 5 x 28 unit values.
constexpr size_t kEOCBlockSize = 4 + 5 * 32 + 5 * 28 * 4;
