// The squads' view of the game: message posting, random draws, sounds, event notices and the input state.
#include "game/sim/SquadServices.h"

#include "game/screens/eoc/EOC.h"
#include "game/sim/SimRandom.h"

#include <utility>

int SquadRand()
{
    return SimRand();
}

void SetSquadRandom(std::function<int()> source)
{
    SetSimRandomSource(std::move(source));
}

void CSquadServices::Post(uint16_t id, const uint8_t* payload, size_t length)
{
    if (fnPost)
        fnPost(id, payload, length);
}

void CSquadServices::Notify(int kind, CSquad* squad, int action)
{
    if (fnNotify)
        fnNotify(kind, squad, action);
}

int CSquadServices::PlaySound(int sound, float volume, bool loop)
{
    return fnPlaySound ? fnPlaySound(sound, volume, loop) : -1;
}

void CSquadServices::StopLoop(int channel)
{
    if (channel >= 0 && fnStopLoop)
        fnStopLoop(channel);
}

void CSquadServices::LeaveTargetingFor(const CSquad* squad)
{
    if (!squad || pOrderSquad != squad)
        return;
    pOrderSquad = nullptr;
    if (fnLeaveTargeting)
        fnLeaveTargeting();
}

void CSquadServices::Redraw()
{
    if (fnRedraw)
        fnRedraw();
}

ISquadWorld& CSquadServices::World()
{
    return pWorld ? *pWorld : m_emptyWorld;
}

CSquadScoreCounts& CSquadServices::Score()
{
    return pScore ? *pScore : m_ownScore;
}

uint32_t CSquadServices::UnitBits(int section) const
{
    if (!pEOC || section < 0 || section >= kSections)
        return 0;
    return pEOC->m_aSections[static_cast<size_t>(section)].uActivated;
}

float CSquadServices::SquadFactor(int action, int agencyKind) const
{
    if (agencyKind == 2 || agencyKind > 4 || !pEOC)
        return 1.0f;
    return pEOC->GetSquadFactor(action, agencyKind);
}
