// The players as the EOC and IAP screens see them: the local record and, in a network game, the session's table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CGame;

struct CScreenPlayer {
    int32_t nId = -1;
    uint32_t* pRoleFlags = nullptr; // the record's role flags (null for none)
    std::string strName;
};

// True when the game has a session and is not single play.
bool IsNetworkGame(const CGame* game);
// The session's records in use (id not -1); empty outside a network game.
std::vector<CScreenPlayer> GetPlayerTable(CGame* game);
// The local player's record: the session's in a network game, else the game's own.
CScreenPlayer GetLocalPlayer(CGame* game);
// Id of the player whose role flags hold `flag` (network game only), -1 none.
int32_t FindRoleHolder(CGame* game, uint32_t flag);
// The name of the player with that id (the local name in single play), empty for -1 or none.
std::string PlayerName(CGame* game, int32_t id);
// May the local player act for the section: the holder of its chief flag only, else the local flags.
bool MayActForSection(CGame* game, int section);
