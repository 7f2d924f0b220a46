// Player look-ups shared by the EOC and IAP screens and the EOC unit data.
#include "game/screens/eoc/EOCPlayers.h"

#include "game/app/Game.h"
#include "game/screens/eoc/EOCUnitData.h"
#include "net/session/NetGameSession.h"

bool IsNetworkGame(const CGame* game)
{
    return game && game->m_pSession && !(game->m_uMode & kModeSingle);
}

std::vector<CScreenPlayer> GetPlayerTable(CGame* game)
{
    std::vector<CScreenPlayer> players;
    if (!IsNetworkGame(game))
        return players;
    CNetGameSession& session = *game->m_pSession;
    for (int i = 0; i < session.SlotCount(); ++i) {
        CSessionPlayer& p = session.Slot(i);
        if (p.m_nPlayerId != -1)
            players.push_back({p.m_nPlayerId, &p.m_uRoleFlags, p.m_strName});
    }
    return players;
}

CScreenPlayer GetLocalPlayer(CGame* game)
{
    if (!game)
        return {};
    if (IsNetworkGame(game)) {
        if (CSessionPlayer* p = game->m_pSession->GetLocalPlayer())
            return {p->m_nPlayerId, &p->m_uRoleFlags, p->m_strName};
    }
    CLocalPlayer* local = game->GetLocalPlayerInfo();
    return {local->nPlayerId, &local->uRoleFlags, local->strName};
}

int32_t FindRoleHolder(CGame* game, uint32_t flag)
{
    for (const CScreenPlayer& p : GetPlayerTable(game)) {
        if (p.pRoleFlags && (*p.pRoleFlags & flag))
            return p.nId;
    }
    return -1;
}

std::string PlayerName(CGame* game, int32_t id)
{
    if (id == -1 || !game)
        return {};
    if (!IsNetworkGame(game))
        return GetLocalPlayer(game).strName;
    for (const CScreenPlayer& p : GetPlayerTable(game)) {
        if (p.nId == id)
            return p.strName;
    }
    return {};
}

bool MayActForSection(CGame* game, int section)
{
    if (!game || section < 0 || section >= kSections)
        return false;
    const uint32_t flag = kSectionRoleFlags[section];
    const CScreenPlayer local = GetLocalPlayer(game);
    const int32_t holder = FindRoleHolder(game, flag);
    if (holder != -1)
        return holder == local.nId;
    return local.pRoleFlags && (*local.pRoleFlags & flag);
}
