// Squad condition (health, contamination, fatigue, health state), cost accrual, the link check and the idle
// behaviour of civilians and threats: the authority's game step of one squad.
#include "core/world/PathData.h"
#include "core/world/Sprite.h"
#include "core/world/UnitTaskRecord.h"
#include "game/sim/Squad.h"
#include "game/sim/SquadManager.h"
#include "game/sim/SquadServices.h"

#include <algorithm>
#include <cmath>

namespace {

int Trunc(float value)
{
    return TruncInt(value);
}

float FatigueRate(int action)
{
    switch (action) {
    case kActIdle:
        return -2.0f;
    case kActMoveSlowly:
        return 0.8f;
    case kActMove:
        return 3.0f;
    case kActAssault:
        return 4.0f;
    case kActSearchForBomb:
        return 1.0f;
    case kActEvacuate:
        return 1.7f;
    case kActEscort:
        return 1.0f;
    case kActSupervise:
        return 0.7f;
    case kActFirstAid:
        return 1.0f;
    case kActClearDebris:
    case kActFightFire:
    case kActFightHazard:
        return 2.0f;
    case kActDefuseBomb:
        return 1.2f;
    case kActNegotiate:
        return 0.5f;
    case kActUtilityWork:
        return 1.0f;
    case kActPerimeter:
        return 0.7f;
    case kActSubdued:
        return -1.0f;
    case kActClearObstruction:
        return 2.0f;
    default:
        return 0.0f;
    }
}

// The health floor: 10 % of the maximum, as the integer trunc(max x 10) / 100.
float HealthFloor(float maximum)
{
    return static_cast<float>(TruncInt(maximum * 10.0f) / 100);
}

} // namespace

void CSquad::GameStep()
{
    CPathData* grid = m_pManager->GetPathGrid();
    m_pTile = grid ? grid->GetCellAt(Trunc(m_fX), Trunc(m_fY)) : nullptr;
    UpdateCondition();
    DoWork();
    if (m_pManager && Services().bAuthority)
        IdleBehaviour();
    if (!OnAreaMap())
        AccrueCost();
}

void CSquad::UpdateVehicleCondition()
{
    if (m_nHealthState == kHealthKilled)
        return;
    ISquadWorld& world = Services().World();
    if (OnAreaMap()) {
        if (m_nFlags & kSqWaitAtStation) {
            if (--m_nTimer <= 0) {
                m_nTimer = 0;
                m_nFlags &= ~kSqWaitAtStation;
                m_nFlags |= kSqPathRequest;
                if (m_pSprite)
                    m_pSprite->m_Placement.Flags &= ~kSpriteWaiting;
                m_nNextState = kActGoToIncident;
            }
        }
    } else if (m_pTile && world.FireClassAt(m_pTile) > 0) {
        if (--m_nTimer <= 0) {
            if (SquadRand() % 100 < Trunc(world.FireIntensityAt(m_pTile)) / 5) {
                world.ApplyIncidentType(0, Trunc(m_fX), Trunc(m_fY));
                m_fHealthPct = 10.0f;
            } else {
                m_nTimer = 6;
            }
        }
    }
    UpdateHealthState();
}

void CSquad::UpdateCondition()
{
    if (!m_pUnitRecord)
        return;
    if (IsVehicle()) {
        UpdateVehicleCondition();
        return;
    }
    CSquadServices& services = Services();
    ISquadWorld& world = services.World();
    const float maximum = m_pUnitRecord->m_fMaxHealth;
    float a = 0.0f;
    if (!IsLoaded() && m_pTile) {
        static const float kHeat[4] = {0.0f, 2.0f, 10.0f, 50.0f};
        int band = std::clamp(world.FireClassAt(m_pTile), 0, 3);
        float heat = kHeat[band];
        float chemical = world.ChemicalAt(m_pTile) / 32.0f;
        int kind = AgencyKind();
        if ((m_nFlags & kSqGear) && (kind == 1 || kind == 4)) {
            heat *= world.GearHeatFactor();
            chemical *= world.GearChemicalFactor();
        }
        a = std::max(heat, chemical);
    }
    const int facility = m_pTile ? world.FacilityAt(m_pTile) : 0;
    if (facility == kCodeCasualtyCenter) {
        a = 0.0f;
        bool uncompliantThreat = AgencyKind() == 6 && !IsCompliant();
        if (!IsKilled() && !uncompliantThreat &&
            (m_nState == kActIdle || m_nState == kActFirstAid || m_nState == kActIncapacitated)) {
            float c = (services.UnitBits(1) & 0x400) ? 0.99f : 0.9f;
            if (services.UnitBits(1) & 0x800)
                c *= 1.2f;
            if (m_fContamination > 0.0f)
                m_fContamination -= c / 30.0f;
            if (m_fHealthPct < 100.0f)
                m_fHealth += c / 15.0f;
        }
    }
    const float b = std::max(a / 30.0f, m_fContamination);
    m_fHealth -= b;
    const float ceiling =
        m_nHealthState == kHealthIncapacitated ? static_cast<float>(TruncInt(maximum * 60.0f) / 100) : maximum;
    m_fHealth = std::max(HealthFloor(maximum), std::min(m_fHealth, ceiling));
    m_fHealthPct = maximum > 0.0f ? Percent(m_fHealth, maximum) : 100.0f;
    if (m_fHealthPct <= 10.0f)
        m_fContamination = 0.0f;
    else if (m_fHealthPct <= 90.0f)
        m_fContamination = std::max(b, m_fContamination);

    float e = FatigueRate(m_nState) / 30.0f;
    if (e > 0.0f && (services.UnitBits(3) & 0x20))
        e *= m_fWorkRate;
    if (e < 0.0f) {
        if (facility == kCodeBase || facility == kCodeStagingArea || facility == kCodeCasualtyCenter)
            e *= m_fRestRate;
        if (services.UnitBits(3) & 0x100)
            e *= m_fRecoveryRate;
    }
    if (m_nHealthState == kHealthInjured)
        e *= m_fInjuredRate;
    const float maxFatigue = m_pUnitRecord->m_fMaxFatigue;
    m_fFatigue = std::clamp(m_fFatigue + e, 0.0f, std::max(maxFatigue, 0.0f));
    m_fFatiguePct = maxFatigue > 0.0f ? Percent(m_fFatigue, maxFatigue) : 0.0f;
    UpdateHealthState();
}

void CSquad::GoDown(int action, bool report)
{
    SetState(action, true, false, report);
    m_nFlags |= kSqCompliant;
    if (m_pManager && m_pSprite) {
        int index = m_pSprite->m_Placement.AgencyIndex;
        if (index >= 0 && index <= 11)
            m_pManager->MarkSideForRecheck(32u << index);
    }
}

void CSquad::UpdateHealthState()
{
    if (!m_pSprite)
        return;
    if (IsVehicle()) {
        if (!OnAreaMap() && m_fHealthPct <= 10.0f && m_nHealthState != kHealthKilled) {
            m_pSprite->SetModifiers(kModDestroyed, true);
            m_nHealthState = kHealthKilled;
            Stop();
            m_nFlags |= kSqKilledOnce;
            Services().LeaveTargetingFor(this);
            SetState(kActKilled, true, true, true);
        }
        bool carries = HasLoadedSquads() && m_pUnitRecord && m_pUnitRecord->m_nCapacity > 0;
        m_pSprite->SetModifiers(kModCarries, carries);
        m_fEfficiency = 1.0f;
        return;
    }
    if ((m_nFlags & kSqGear) && !(m_pSprite->m_Placement.Modifiers & kModGear))
        m_pSprite->SetModifiers(kModGear, true);
    int state = m_fHealthPct <= 10.0f   ? kHealthKilled
                : m_fHealthPct <= 60.0f ? kHealthIncapacitated
                : m_fHealthPct < 90.0f  ? kHealthInjured
                                        : kHealthWell;
    if (state != m_nHealthState) {
        m_nHealthState = state;
        m_pSprite->SetModifiers(kModKilled, state == kHealthKilled);
        m_pSprite->SetModifiers(kModIncapacitated, state == kHealthIncapacitated);
        m_pSprite->SetModifiers(kModInjured, state == kHealthInjured);
        if (state == kHealthKilled)
            GoDown(kActKilled, true);
        else if (state == kHealthIncapacitated)
            GoDown(kActIncapacitated, true);
    }
    if (m_fFatiguePct > 75.0f) {
        m_nFatigueLevel = 2;
        m_fEfficiency = 0.5f;
    } else if (m_fFatiguePct > 50.0f) {
        m_nFatigueLevel = 1;
        m_fEfficiency = 0.75f;
    } else {
        m_nFatigueLevel = 0;
        m_fEfficiency = 1.0f;
    }
}

bool CSquad::AddHealth(float delta)
{
    if (!m_pUnitRecord)
        return false;
    const float maximum = m_pUnitRecord->m_fMaxHealth;
    float before = m_fHealth;
    m_fHealth = std::max(HealthFloor(maximum), std::min(m_fHealth + delta, maximum));
    m_fHealthPct = maximum > 0.0f ? Percent(m_fHealth, maximum) : 100.0f;
    return m_fHealth != before;
}

bool CSquad::AddContamination(float delta)
{
    float before = m_fContamination;
    m_fContamination = std::clamp(m_fContamination + delta, 0.0f, 100.0f);
    return m_fContamination != before;
}

void CSquad::AccrueCost()
{
    int kind = AgencyKind();
    if (!m_pUnitRecord || !m_pHomeStation || kind < 0 || kind > 4 || kind == 2)
        return;
    float rate = 1.0f;
    if (IsVehicle() && m_pTile && Services().World().FacilityAt(m_pTile) == kCodeStagingArea)
        rate = 0.25f;
    Services().Score().fRunningCost += m_pUnitRecord->m_fCostRate * rate;
}

void CSquad::LinkCheck()
{
    if (m_pLink && m_pLink != this) {
        const CSquad* holder = m_pLink;
        const int action = holder->m_nState;
        bool keep =
            !holder->IsDown() && (action == kActEvacuate || action == kActEscort || action == kActSupervise ||
                                  action == kActPerimeter || action == kActLoadSquad || action == kActTowVehicle);
        if (keep && action == kActEscort && IsDown())
            keep = false;
        if (keep)
            return;
        if (m_nHealthState == kHealthIncapacitated) {
            bool report = !(m_nFlags & kSqIncapacitatedOnce);
            SetState(kActIncapacitated, true, false, report);
        } else if (m_nHealthState == kHealthKilled) {
            bool report = !(m_nFlags & kSqKilledOnce);
            SetState(kActKilled, true, false, report);
        } else if (AgencyKind() == 6 && IsCompliant()) {
            SetState(kActSubdued, true, false, false);
        } else {
            SetState(kActIdle, true, true, true);
        }
        m_pLink = nullptr;
        return;
    }
    if (m_pLink || IsVehicle() || !m_pTile)
        return;
    const int index = TemplateIndex();
    const int facility = Services().World().FacilityAt(m_pTile);
    if ((index >= 16 && index <= 18 && facility == kCodeEvacuationCenter) ||
        (index == 19 && facility == kCodeMediaCenter)) {
        m_pLink = this;
        EndAction();
    }
}

void CSquad::IdleBehaviour()
{
    if (IsResponder() || IsVehicle() || IsHidden() || IsLoaded() || IsDown() || m_nState != kActIdle)
        return;
    ISquadWorld& world = Services().World();
    const bool heldElsewhere = m_pLink && m_pLink->m_nState != kActSupervise && m_pLink->m_nState != kActPerimeter;
    if (!heldElsewhere && m_fContamination > 0.0f && m_fHealthPct < 90.0f && m_pTile) {
        CPathTile* safest = world.SafestCell(m_pTile);
        if (safest && safest != m_pTile) {
            int x = std::clamp(safest->m_nX + SquadRand() % 32, 0, m_pManager->MapWidth() - 1);
            int y = std::clamp(safest->m_nY + SquadRand() % 32, 0, m_pManager->MapHeight() - 1);
            GiveOrder(-1, kActMoveSlowly, x, y, kSqPathRequest | kSqFast, nullptr);
            return;
        }
    }
    if (TemplateIndex() != 19 || m_pLink)
        return;
    if (m_nTimer > 0) {
        --m_nTimer;
        return;
    }
    auto qualifies = [this](const CSquad* s, int range) {
        if (!s || !s->IsResponder() || s->IsHidden() || s->IsDown())
            return false;
        int a = s->m_nState;
        bool working = a == kActSearchForBomb || a == kActFirstAid || a == kActClearDebris || a == kActFightFire ||
                       a == kActDefuseBomb || a == kActNegotiate || a == kActUtilityWork;
        return working && InRange(s, range) && InSight(s);
    };
    if (!(m_pTarget && m_pManager->ContainsSquad(m_pTarget) && qualifies(m_pTarget, 96))) {
        m_pTarget = nullptr;
        for (CSquad* s : m_pManager->Units()) {
            if (s != this && qualifies(s, 192)) {
                m_pTarget = s;
                int x = static_cast<int>(std::clamp<int64_t>(int64_t{Trunc(s->m_fX)} + SquadRand() % 32 - 16, 0,
                                                             m_pManager->MapWidth() - 1));
                int y = static_cast<int>(std::clamp<int64_t>(int64_t{Trunc(s->m_fY)} + SquadRand() % 32 - 16, 0,
                                                             m_pManager->MapHeight() - 1));
                GiveOrder(-1, kActMoveSlowly, x, y, kSqPathRequest, s);
                break;
            }
        }
    }
    m_nTimer = 120;
}
