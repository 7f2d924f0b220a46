// Executing a fired event: its incident text, squad order, zone flags, Resource Points, hazard and equipment.
#include "core/events/ConditionKinds.h"
#include "core/events/ZREventsData.h"
#include "game/rules/EventEngine.h"
#include "game/sim/SimRandom.h"
#include "core/persist/DataRange.h"

#include <algorithm>
#include <cstdio>

namespace {

const char* const kDirectionNames[8] = {"North", "NorthWest", "West", "SouthWest",
                                        "South", "SouthEast", "East", "NorthEast"};

const char* const kAtSiteSentences[5] = {
    "An explosion has occurred at the incident site. ",           "A fire has started at the incident site. ",
    "An electrical hazard was discovered at the incident site. ", "A gas leak was discovered at the incident site. ",
    "A water leak was discovered at the incident site. ",
};

const char* const kAwaySentences[5] = {
    "An explosion has occurred %d meters %s of the incident site. ",
    "A fire has started %d meters %s of the incident site. ",
    "An electrical hazard was discovered %d meters %s of the incident site. ",
    "A gas leak was discovered %d meters %s of the incident site. ",
    "A water leak was discovered %d meters %s of the incident site. ",
};

// Largest batch of zone nodes one result can place (the incident world's batch holds 200 entries).
constexpr int kMaxZoneNodes = 200;

int64_t FloorTo32(int64_t value)
{
    return value >= 0 ? value / 32 * 32 : -((-value + 31) / 32 * 32);
}

bool IsDown(const CEngineSquadInfo& info)
{
    return info.nHealthState == 2 || info.nHealthState == 3;
}

} // namespace

std::string IncidentSentence(int32_t effect, bool atSite, int32_t metres, int32_t direction)
{
    if (effect < 0 || effect >= 5)
        return std::string();
    if (atSite)
        return kAtSiteSentences[effect];
    char text[160];
    std::snprintf(text, sizeof text, kAwaySentences[effect], metres, kDirectionNames[std::clamp(direction, 0, 7)]);
    return text;
}

std::string CEventEngine::BuildIncidentText(const CZREvent* event) const
{
    std::string prefix;
    for (uint32_t id : event->m_vTrigger) {
        const CZRArgument* trigger = FindTrigger(static_cast<int32_t>(id));
        if (!trigger)
            continue;
        for (const CZRCondition* condition : trigger->m_vConditions) {
            const auto* environment = dynamic_cast<const CConditionEnvironmentBased*>(condition);
            // A condition that never saw its effect has no place to tell.
            if (!environment || environment->m_nX < 0 || environment->m_nY < 0)
                continue;
            int32_t metres = 0;
            int32_t direction = 0;
            const bool atSite = Host().LocateFromIncidentSite(environment->m_nX, environment->m_nY, metres, direction);
            prefix = IncidentSentence(environment->m_nEffect, atSite, metres, direction) + prefix;
        }
    }
    return prefix;
}

// The squad order of a result. "State 2 or 3" is the squad's health state (incapacitated, killed). For a
// linked squad (one held by another: evacuated, escorted, supervised, loading) the test value is the holding
// squad's health in percent, so an order reaches a squad held by a healthy holder four times in five.
bool CEventEngine::OrderSquad(const CZRResult& result)
{
    CSquad* squad = Host().FindSquad(result.m_nSquadAgency, result.m_nSquadID);
    CEngineSquadInfo info;
    if (!squad || !Host().GetSquadInfo(squad, info))
        return false;
    int32_t x = result.m_nOrderX;
    int32_t y = result.m_nOrderY;
    if (x < 0 || y < 0) {
        x = CheckedInt(info.fX);
        y = CheckedInt(info.fY);
    }
    if (IsDown(info))
        return false;
    float holder = 0.0f;
    if (Host().GetHolderValue(squad, holder) && static_cast<float>(SimRand() % 100) >= holder - 20.0f)
        return false;
    if (info.nAgency == 6 && (info.uFlags & 0x100))
        return false;
    int32_t order = result.m_nOrderID;
    if ((info.uTypeFlags & 0x20000) && order != 18)
        return false;
    // An order outside the action table cannot be given; the event still fires.
    if (order < 0 || order > 44)
        return true;
    uint32_t flagBits = 0;
    CSquad* target = nullptr;
    if (order == 3) {
        flagBits |= 2;
        if (info.nSpriteKind == 4)
            order = 2;
    }
    if (order == 19)
        target = Host().FindSquadAt(x, y);
    else if (order == 18)
        target = squad;
    m_pTargetSquad = target;
    Host().GiveOrder(squad, order, x, y, flagBits, target);
    if (order != 37)
        Host().RevealSquad(squad);
    return true;
}

void CEventEngine::FlagZone(const CZRResult& result)
{
    const CTacticalMapZone* zone = nullptr;
    for (const CTacticalMapZone* candidate : m_pData->m_vZones) {
        if (candidate && candidate->m_nUniqueID == result.m_nZoneToBeFlagged) {
            zone = candidate;
            break;
        }
    }
    if (!zone)
        return;
    const int32_t bits = result.m_nConnectionNodeFlag & 0x60;
    const int32_t flag = bits == 0x20 ? 1 : bits == 0x40 ? 2 : 0;
    const int32_t key = Host().GetZoneGroupKey();
    const ZoneRect& box = zone->m_rcBoundingBox;
    int placed = 0;
    bool full = false;
    for (int64_t x = FloorTo32(box.left); x < box.right && !full; x += 32) {
        for (int64_t y = FloorTo32(box.top); y < box.bottom; y += 32) {
            // A full batch (or a box larger than one batch) ends the flagging.
            if (placed >= kMaxZoneNodes ||
                !Host().PushZoneNode(static_cast<int32_t>(x), static_cast<int32_t>(y), key, flag)) {
                full = true;
                break;
            }
            ++placed;
        }
    }
    if (placed > 0)
        Host().FinishZoneFlagging();
}

void CEventEngine::PlaceHazard(const CZRResult& result)
{
    const int32_t v = result.m_nHazardValue;
    const int32_t x = result.m_nHazardX;
    const int32_t y = result.m_nHazardY;
    const bool hidden = result.m_bHideHazard;
    const int32_t size = v == 0 ? 0 : v == 1 ? 1 : 2;
    switch (result.m_nHazardKind) {
    case 1:
        Host().Explode(x, y, std::clamp(v, 0, 2));
        break;
    case 2:
        Host().SpillChemical(x, y, v);
        break;
    case 3:
        Host().StartFire(x, y, v == 1 ? 15.0f : v == 2 ? 25.0f : 5.0f);
        break;
    case 4:
        Host().PlaceObject(x, y, 8, static_cast<float>(v), 0, hidden);
        break;
    case 5:
        Host().PlaceObject(x, y, 9, static_cast<float>(v), 0, hidden);
        break;
    case 6:
        Host().PlaceObject(x, y, 10, static_cast<float>(v), 0, hidden);
        break;
    case 7:
        Host().PlaceObject(x, y, 128, static_cast<float>(size), result.m_nBlowBombFrom, hidden);
        break;
    default:
        break;
    }
}

bool CEventEngine::Equip(const CZRResult& result, bool& asked)
{
    asked = std::any_of(std::begin(result.m_abEquipAgency), std::end(result.m_abEquipAgency), [](bool b) { return b; });
    CEngineSquadInfo info;
    if (!asked || !m_pCurrentSquad || !Host().GetSquadInfo(m_pCurrentSquad, info))
        return false;
    if (info.nAgency < 0 || info.nAgency > 4 || !result.m_abEquipAgency[info.nAgency])
        return false;
    if ((info.uFlags & 0x40) || info.nSpriteKind == 4 || IsDown(info) || !Host().IsOnEquipmentNode(m_pCurrentSquad))
        return false;
    Host().EquipSquad(m_pCurrentSquad);
    return true;
}

// The squad order and the equipment are settled first: an event that cannot execute yet waits for a later
// notification, and its other effects (zone flags, Resource Points, hazard) happen once, when it executes.
// They used to be applied at every attempt.
void CEventEngine::Execute(CZREvent* event)
{
    const std::string saved = event->m_strEventText;
    const CZRResult* result = event->m_pResult;
    if (result) {
        event->m_strEventText = BuildIncidentText(event) + saved;
        bool ordered = true;
        if (result->m_nOrderID != 0)
            ordered = OrderSquad(*result);
        bool asked = false;
        const bool equipped = ordered && Equip(*result, asked);
        if (!ordered || (asked && !equipped)) {
            event->m_strEventText = saved;
            return;
        }
        if (result->m_nZoneToBeFlagged != -1)
            FlagZone(*result);
        if (result->m_nZRPoints != 0)
            Host().GrantResourcePoints(static_cast<float>(result->m_nZRPoints));
        if (result->m_nHazardKind != 0 && result->m_nHazardX != -1 && result->m_nHazardY != -1)
            PlaceHazard(*result);
    }
    static const int32_t kNoScores[3] = {0, 0, 0};
    Host().ReportEvent(*event, result ? result->m_anScore : kNoScores, result ? result->m_nCost : 0);
    event->m_bHasBeenExecuted = true;
    if (m_mapDelays.count(event))
        EndDelay(event);
    if (std::find(m_aFired.begin(), m_aFired.end(), event) == m_aFired.end())
        m_aFired.push_back(event);
    event->m_strEventText = saved;
}
