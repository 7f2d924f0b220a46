// Order behaviours: the work a squad does each game step in its current action, the tests by which squads
// find each other (assault, aid, evacuation, escort, towing, loading), and loading into vehicles.
#include "core/world/PathData.h"
#include "core/world/Sprite.h"
#include "core/world/SpriteManager.h"
#include "core/world/UnitTaskRecord.h"
#include "game/app/GameMessages.h"
#include "game/sim/Squad.h"
#include "game/sim/SquadManager.h"
#include "game/sim/SquadServices.h"
#include "core/util/ByteStream.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

int Trunc(float value)
{
    return TruncInt(value);
}

uint32_t OwnAgencyBit(const CSquad* squad)
{
    int index = squad->m_pSprite ? squad->m_pSprite->m_Placement.AgencyIndex : -1;
    return index >= 0 && index <= 11 ? (32u << index) : 0u;
}

int Persons(const CSquad* s)
{
    return s->m_pUnitRecord ? s->m_pUnitRecord->m_nPersons : 0;
}

// Damage drawn from a squad's damage range.
int DamageFrom(const CSquad* s)
{
    if (!s->m_pUnitRecord)
        return 0;
    int low = s->m_pUnitRecord->m_nDamageLow, high = s->m_pUnitRecord->m_nDamageHigh;
    return SquadRand() % std::max(1, high - low) + low;
}

} // namespace

// ---- geometry and factors ----

bool CSquad::InRange(const CSquad* other, int range) const
{
    if (!other || other->IsHidden())
        return false;
    const int64_t dx = static_cast<int64_t>(Trunc(m_fX)) - Trunc(other->m_fX);
    const int64_t dy = static_cast<int64_t>(Trunc(m_fY)) - Trunc(other->m_fY);
    return std::llabs(dx) < range && std::llabs(dy) < range;
}

bool CSquad::InSight(const CSquad* other) const
{
    CPathData* grid = m_pManager ? m_pManager->GetPathGrid() : nullptr;
    if (!grid || !other)
        return true;
    return grid->HasLineOfSight(Trunc(m_fX), Trunc(m_fY), Trunc(other->m_fX), Trunc(other->m_fY), 500);
}

bool CSquad::IsSeenBy(const CSquad* viewer) const
{
    if (!m_pSprite)
        return false;
    uint32_t flags = static_cast<uint32_t>(m_pSprite->m_Placement.Flags);
    return (flags & kSpriteDrawn) || (flags & OwnAgencyBit(viewer));
}

float CSquad::AbilityFor(int action) const
{
    const CUnitTaskRecord* r = m_pUnitRecord;
    if (!r)
        return 0.0f;
    switch (action) {
    case kActAssault:
        return r->m_fAssault;
    case kActSearchForBomb:
        return r->m_fSearchForBomb;
    case kActFirstAid:
        return r->m_fFirstAid;
    case kActClearDebris:
    case kActClearObstruction:
        return r->m_fClearDebris;
    case kActFightFire:
        return r->m_fFightFire;
    case kActFightHazard:
        return r->m_fFightHazard;
    case kActUtilityWork:
        return r->m_fUtilityWork;
    case kActPerimeter:
        return r->m_fPerimeter;
    case kActDefuseBomb:
        return r->m_fDefuseBomb;
    case kActNegotiate:
        return r->m_fNegotiate;
    case kActEvacuate:
    case kActTowVehicle:
        return r->m_fEvacuate;
    case kActEscort:
        return r->m_fEscort;
    case kActSupervise:
        return r->m_fSupervise;
    case kActDirect:
        return r->m_fDirect;
    default:
        return 0.0f;
    }
}

float CSquad::MediaFactor()
{
    for (CSquad* s : m_pManager->Units()) {
        if (s == this || s->IsVehicle() || s->TemplateIndex() != 19 || s->IsDown() || s->m_pLink)
            continue;
        if (InRange(s, 96) && InSight(s)) {
            ++Services().Score().nTicksAnnoying;
            return 0.5f;
        }
    }
    return 1.0f;
}

float CSquad::AssistFactor(int action)
{
    if (!IsResponder())
        return 1.0f;
    switch (action) {
    case kActAssault:
    case kActSearchForBomb:
    case kActFirstAid:
    case kActClearDebris:
    case kActClearObstruction:
    case kActFightFire:
    case kActFightHazard:
    case kActUtilityWork:
    case kActPerimeter:
        break;
    default:
        return 1.0f;
    }
    CSquad* best = nullptr;
    float bestValue = 0.0f;
    for (CSquad* s : m_pManager->Vehicles()) {
        if (s == this || s->IsCompliant() || s->IsKilled() || !s->m_pUnitRecord)
            continue;
        int a = s->m_nState;
        if (a == kActMoveSlowly || a == kActMove || a == kActPerimeter || a == kActUnloadAll || a == kActNotReady)
            continue;
        if (!s->InRange(this, s->m_pUnitRecord->m_nDetectionRange * 32))
            continue;
        float value = s->AbilityFor(action);
        // An ability of exactly 1.0 is no help; nor is none at all.
        if (value == 1.0f || value <= 0.0f)
            continue;
        if (!best || value > bestValue ||
            (value == bestValue && s->m_pUnitRecord->m_nDetectionRange > best->m_pUnitRecord->m_nDetectionRange)) {
            best = s;
            bestValue = value;
        }
    }
    if (!best)
        return 1.0f;
    if (best->m_nState != kActAssisting) {
        best->SetState(kActAssisting, true, false, true);
        best->m_pTarget = this;
    }
    return bestValue;
}

float CSquad::Work(int action, float ability, bool withAssist)
{
    float work = Services().SquadFactor(action, AgencyKind()) * static_cast<float>(Persons(this)) * ability *
                 m_fEfficiency * MediaFactor();
    if (withAssist)
        work *= AssistFactor(action);
    return work;
}

void CSquad::EndAction()
{
    SetState(kActIdle, true, true, true);
}

void CSquad::SendTo(CSquad* other, int x, int y)
{
    if (!other)
        return;
    if (other->InMap(x, y)) {
        other->m_nDestX = x;
        other->m_nDestY = y;
    }
    other->m_nFlags |= kSqPathRequest;
    other->m_nNextState = kActMoveSlowly;
}

// ---- target tests ----

bool CSquad::CanAssault(const CSquad* other) const
{
    if (!other || other == this || other->IsDown() || !other->m_pSprite)
        return false;
    if (IsResponder() && !(other->AgencyKind() == 6 && !other->IsCompliant()))
        return false;
    return other->IsSeenBy(this) && InRange(other, 20) && InSight(other);
}

CSquad* CSquad::BestAssaultTarget() const
{
    CSquad* best = nullptr;
    const uint32_t own = OwnAgencyBit(this);
    for (CSquad* s : m_pManager->Units()) {
        if (!CanAssault(s) || !(static_cast<uint32_t>(s->m_pSprite->m_Placement.Flags) & own))
            continue;
        if (!best || s->m_pUnitRecord->m_nDamageHigh > best->m_pUnitRecord->m_nDamageHigh)
            best = s;
    }
    return best;
}

bool CSquad::CanAid(const CSquad* other) const
{
    if (!other || other->IsKilled() || !other->m_pUnitRecord)
        return false;
    if (other->AgencyKind() == 6 && !other->IsCompliant())
        return false;
    int a = other->m_nState;
    if (a != kActIdle && a != kActFirstAid && a != kActIncapacitated)
        return false;
    if (!other->IsSeenBy(this) || !InRange(other, 16) || !InSight(other))
        return false;
    if (other->m_fContamination > 0.0f)
        return true;
    return other->m_fHealthPct < 100.0f && Persons(this) * AbilityFor(kActFirstAid) > 0.5f && other != this;
}

bool CSquad::CanDirect(const CSquad* other) const
{
    if (!other || other == this || other->IsDown() || other->m_pLink || !other->IsCompliant() || other->IsLoaded())
        return false;
    if (!other->m_pUnitRecord || other->m_pUnitRecord->m_fDirect <= 0.0f || !other->m_pSprite)
        return false;
    if (!(static_cast<uint32_t>(other->m_pSprite->m_Placement.Flags) & OwnAgencyBit(this)))
        return false;
    return InRange(other, 64) && InSight(other);
}

bool CSquad::CanSupervise(const CSquad* other) const
{
    if (!other || other == this || other->IsDown() || !other->IsCompliant() || other->IsVehicle() ||
        other->m_nState != kActIdle)
        return false;
    if (other->m_pLink && other->m_pLink != this && AgencyKind() != 6)
        return false;
    return other->IsSeenBy(this) && InRange(other, 40) && InSight(other);
}

bool CSquad::CanLoad(const CSquad* other) const
{
    if (!other || !other->IsCompliant() || other->IsVehicle() || other->IsLoaded() || !other->m_pSprite)
        return false;
    if (!(static_cast<uint32_t>(other->m_pSprite->m_Placement.Flags) & OwnAgencyBit(this)))
        return false;
    if (!InRange(other, other->IsDown() ? 16 : 64))
        return false;
    return const_cast<CSquad*>(this)->LoadSquad(const_cast<CSquad*>(other), false, false);
}

bool CSquad::HasRoomFor(const CSquad* unit) const
{
    if (!IsVehicle() || IsCompliant() || IsKilled() || IsMovingAction(m_nState) || !m_pUnitRecord ||
        m_pUnitRecord->m_nCapacity <= 0 || !unit)
        return false;
    int persons = Persons(unit);
    bool freeSlot = false;
    for (CSquad* s : m_apLoaded) {
        if (s)
            persons += Persons(s);
        else
            freeSlot = true;
    }
    return freeSlot && persons <= m_pUnitRecord->m_nCapacity;
}

bool CSquad::LoadSquad(CSquad* squad, bool apply, bool force)
{
    if (!IsVehicle() || !squad || squad->IsVehicle() || squad->IsLoaded() || !m_pUnitRecord)
        return false;
    int persons = Persons(squad);
    for (CSquad* s : m_apLoaded)
        if (s)
            persons += Persons(s);
    if (persons > m_pUnitRecord->m_nCapacity && !force)
        return false;
    for (CSquad*& slot : m_apLoaded) {
        if (slot)
            continue;
        if (apply) {
            slot = squad;
            if (squad->m_pSprite)
                squad->m_pSprite->m_Placement.Flags |= kSpriteLoaded;
        }
        return true;
    }
    return false;
}

CSquad* CSquad::FindCasualty(bool apply)
{
    auto rank = [](const CSquad* s) {
        int kind = s->AgencyKind();
        bool responder = kind >= 0 && kind <= 4;
        if (s->m_nHealthState == kHealthIncapacitated)
            return kind == 5 ? 0 : responder ? 1 : kind == 6 ? 2 : 3;
        return 4 + (kind == 5 ? 0 : responder ? 1 : kind == 6 ? 2 : 3);
    };
    CSquad* best = nullptr;
    for (CSquad* s : m_pManager->Units()) {
        if (s == this || !s->IsDown() || s->IsLoaded() || !InRange(s, 16))
            continue;
        if (s->m_pLink && s->m_pLink != s && s->m_pLink->AgencyKind() == 6)
            continue;
        if (!best || rank(s) < rank(best) || (rank(s) == rank(best) && s->m_fHealthPct < best->m_fHealthPct))
            best = s;
    }
    if (best && apply) {
        best->m_pLink = this;
        m_pTarget = best;
        SendTo(best, Trunc(m_fX), Trunc(m_fY));
        Services().Notify(kNotifyActionStarted, this, kActEvacuate);
        m_nOutcome = 0;
    }
    return best;
}

bool CSquad::GatherFollowers(bool apply)
{
    bool any = false;
    const bool threat = AgencyKind() == 6;
    for (CSquad* s : m_pManager->Units()) {
        if (s == this || !s->IsCompliant() || s->IsDown() || s->IsLoaded() || !InRange(s, 32) || !InSight(s))
            continue;
        if (!threat && s->m_pLink && s->m_pLink != s && s->m_pLink->AgencyKind() == 6)
            continue;
        any = true;
        if (!apply)
            return true;
        s->m_pLink = this;
        SendTo(s, Trunc(m_fX), Trunc(m_fY));
    }
    if (any && apply) {
        Services().Notify(kNotifyActionStarted, this, kActEscort);
        m_nOutcome = 0;
        m_nTimer = 4;
    }
    return any;
}

CSquad* CSquad::FindTowVehicle(bool apply)
{
    for (CSquad* s : m_pManager->Vehicles()) {
        if (s == this || s->IsHidden() || !InRange(s, 16))
            continue;
        if (s->IsResponder() && !s->IsKilled())
            continue;
        if (s->m_pLink && s->m_pLink->m_nState == kActTowVehicle)
            continue;
        if (apply) {
            s->m_pLink = this;
            m_pTarget = s;
            Services().Notify(kNotifyActionStarted, this, kActTowVehicle);
            SendTo(s, Trunc(m_fX), Trunc(m_fY));
            m_nTimer = 1;
            m_nOutcome = 0;
        }
        return s;
    }
    return nullptr;
}

// ---- work per action ----

void CSquad::DoWork()
{
    ISquadWorld& world = Services().World();
    const int x = Trunc(m_fX), y = Trunc(m_fY);
    switch (m_nState) {
    case kActMoveSlowly:
    case kActMove:
        if (IsVehicle())
            PlayDriveSound();
        else if (TemplateIndex() == 19 && m_pTile && world.FacilityAt(m_pTile) == kCodeIncidentSite)
            m_nFlags |= kSqInfiltrated;
        break;
    case kActAssault:
        WorkAssault();
        break;
    case kActSearchForBomb:
        WorkSearchForBomb();
        break;
    case kActEvacuate:
    case kActTowVehicle:
        WorkEvacuate();
        break;
    case kActEscort:
        WorkEscort();
        break;
    case kActSupervise:
        WorkSupervise();
        break;
    case kActFirstAid:
        WorkFirstAid();
        break;
    case kActClearDebris:
        WorkClearDebris();
        break;
    case kActFightFire:
        WorkFightFire();
        break;
    case kActFightHazard:
        WorkFightHazard();
        break;
    case kActDefuseBomb:
        WorkDefuse();
        break;
    case kActNegotiate:
        WorkNegotiate();
        break;
    case kActUtilityWork:
        WorkUtility();
        break;
    case kActPerimeter:
        WorkPerimeter();
        break;
    case kActLoadSquad:
        WorkLoad();
        break;
    case kActUnloadAll:
        WorkUnload();
        break;
    case kActGetInVehicle:
        WorkGetIn();
        break;
    case kActAssisting:
        WorkAssisting();
        break;
    case kActExplode:
        world.ApplyIncidentType(2, x, y);
        EndAction();
        break;
    case kActStartFire:
        world.StartFire(x, y, (SquadRand() % 3) * 5 + 5);
        EndAction();
        break;
    case kActSpillChemical:
        world.AddChemicalEntry(x, y, world.SpillFactor());
        world.SendBatch();
        EndAction();
        break;
    case kActSabotageGas:
    case kActSabotageWater:
    case kActSabotageElectricity: {
        int code = m_nState == kActSabotageGas     ? kCodeGasLeak
                   : m_nState == kActSabotageWater ? kCodeWaterLeak
                                                   : kCodeElectrical;
        world.AddHazardEntry(x, y, code, 1.0f);
        world.SendBatch();
        EndAction();
        break;
    }
    case kActGoToIncident:
    case kActReturnToIncident: {
        CSpriteManager* sprites = m_pManager->GetSpriteManager();
        const CSprite* templates = sprites ? sprites->GetTemplates(kVehicleSprite) : nullptr;
        int index = TemplateIndex();
        if (IsVehicle() && templates && index >= 0 && index < sprites->GetTemplateCount(kVehicleSprite) &&
            templates[index].m_pUnitTask && m_pUnitRecord)
            m_pUnitRecord->m_fSpeed = templates[index].m_pUnitTask->m_fSpeed;
        m_pManager->DeployToIncident(this);
        break;
    }
    case kActGoToStation: {
        CByteWriter w;
        w.WriteI32(m_nID);
        w.WriteI32(IsVehicle() ? 1 : 0);
        w.WriteZeros(24);
        Services().Post(kGmSquadAtStation, w.Bytes(), w.Size());
        break;
    }
    case kActReturnToStation:
        if (IsVehicle()) {
            CByteWriter w;
            w.WriteI32(m_nID);
            w.WriteI32(1);
            w.WriteZeros(24);
            Services().Post(kGmSquadReleased, w.Bytes(), w.Size());
        }
        break;
    case kActNotReady:
        WorkNotReady();
        break;
    case kActHidden:
        if (m_pSprite)
            m_pSprite->m_Placement.Flags |= kSpriteHidden;
        EndAction();
        break;
    case kActDirect:
        EndAction();
        break;
    case kActSetKilled:
    case kActSetIncapacitated:
    case kActSetWounded:
    case kActSetInjured:
        WorkSetHealth(m_nState);
        break;
    case kActClearObstruction:
        WorkClearObstruction();
        break;
    default:
        break;
    }
}

void CSquad::WorkSearchForBomb()
{
    CSquadServices& services = Services();
    ++services.Score().nAnnoyableTicks;
    if (m_nTimer == 0) {
        float p = Work(kActSearchForBomb, AbilityFor(kActSearchForBomb));
        int n = 1 + Trunc(10.0f * std::max(0.0f, 1.0f - p));
        int first = SquadRand() % 30;
        m_nTimer = first + (SquadRand() % n) * 30 + 31;
        return;
    }
    if (--m_nTimer > 0)
        return;
    ISquadWorld& world = services.World();
    bool hidden = false;
    if (m_pTile && world.ObjectAt(m_pTile, &hidden) == kCodeBomb) {
        world.RevealBomb(m_pTile);
        PlayActionSound(24, false);
    } else {
        PlayActionSound(23, false);
    }
    EndAction();
}

void CSquad::WorkEvacuate()
{
    const bool tow = m_nState == kActTowVehicle;
    if (m_nOutcome == 12) {
        bool found = tow ? FindTowVehicle(true) != nullptr : FindCasualty(true) != nullptr;
        if (!found) {
            EndAction();
            return;
        }
        if (tow)
            PlayActionSound(41, false, 0.35f);
        return;
    }
    if (!m_pTarget) {
        EndAction();
        return;
    }
    if (m_nTimer > 0)
        --m_nTimer;
    if (m_nTimer <= 0) {
        SendTo(m_pTarget, Trunc(m_fX), Trunc(m_fY));
        m_nTimer = 1;
    }
}

void CSquad::WorkEscort()
{
    if (m_nOutcome == 12) {
        if (!GatherFollowers(true))
            EndAction();
        else
            PlayActionSound(28, false);
        return;
    }
    if (m_nTimer > 0) {
        --m_nTimer;
        return;
    }
    m_nTimer = 4;
    bool any = false;
    for (CSquad* s : m_pManager->Units()) {
        if (s->m_pLink == this && s != this) {
            SendTo(s, Trunc(m_fX), Trunc(m_fY));
            any = true;
        }
    }
    if (!any)
        EndAction();
}

void CSquad::WorkSupervise()
{
    bool any = false;
    for (CSquad* s : m_pManager->Units()) {
        if (CanSupervise(s)) {
            s->m_pLink = this;
            any = true;
        }
    }
    if (!any)
        EndAction();
}

void CSquad::WorkFirstAid()
{
    ++Services().Score().nAnnoyableTicks;
    PlayActionSound(22, false);
    const float aid = Work(kActFirstAid, AbilityFor(kActFirstAid));
    bool any = false;
    for (CSquad* s : m_pManager->Units()) {
        if (!CanAid(s))
            continue;
        s->AddContamination(-aid / 30.0f);
        s->AddHealth(aid / 15.0f);
        any = true;
    }
    if (!any)
        EndAction();
}

// Hazard work: a roll against the chance (percent) sets success (outcome 7) with a time of base to 2 x base - 1
// steps, or failure with base steps; when the time has run out after a success the hazard at the squad goes.
void CSquad::RollHazardWork(float chance, int base)
{
    if (static_cast<float>(SquadRand() % 100) < chance) {
        m_nOutcome = 7;
        m_nTimer = SquadRand() % base + base;
    } else {
        m_nOutcome = 0;
        m_nTimer = base;
    }
}

void CSquad::FinishHazardWork(ISquadWorld& world)
{
    // The countdown stops at zero; there the next step rolls again or, with outcome 7, the work is done.
    m_nTimer = m_nTimer > 1 ? m_nTimer - 1 : 0;
    if (m_nTimer > 0 || m_nOutcome != 7)
        return;
    world.AddHazardEntry(Trunc(m_fX), Trunc(m_fY), -1, 0.0f);
    world.SendBatch();
    EndAction();
}

void CSquad::WorkClearDebris()
{
    CSquadServices& services = Services();
    ++services.Score().nAnnoyableTicks;
    ISquadWorld& world = services.World();
    if (m_nTimer == 0) {
        bool hidden = false;
        if (!m_pTile || world.ObjectAt(m_pTile, &hidden) != kCodeDebris) {
            EndAction();
            return;
        }
        PlayActionSound(5, false);
        float work = Work(kActClearDebris, AbilityFor(kActClearDebris));
        RollHazardWork(work, 60);
        return;
    }
    FinishHazardWork(world);
}

void CSquad::WorkFightFire()
{
    CSquadServices& services = Services();
    ISquadWorld& world = services.World();
    CPathData* grid = m_pManager->GetPathGrid();
    if (!m_pTile || !world.FireWithin(m_pTile, 2)) {
        EndAction();
        return;
    }
    ++services.Score().nAnnoyableTicks;
    const float w = services.SquadFactor(kActFightFire, AgencyKind()) * static_cast<float>(Persons(this)) *
                    AbilityFor(kActFightFire) * MediaFactor() * AssistFactor(kActFightFire);
    float near = static_cast<float>(SquadRand() % 20 + 20) * world.FireFightingFactor() * m_fEfficiency * w / 30.0f;
    if (grid) {
        m_fVisitAmount = near;
        grid->VisitTilesAround(3, m_pTile, 0, this);
        grid->VisitTilesAround(3, m_pTile, 1, this);
    }
    float far = static_cast<float>(SquadRand() % 15 + 5) * m_fEfficiency * w / 30.0f;
    if (grid) {
        m_fVisitAmount = far;
        grid->VisitTilesAround(3, m_pTile, 2, this);
    }
    PlayActionSound(9, false, 0.5f);
}

void CSquad::WorkFightHazard()
{
    CSquadServices& services = Services();
    ISquadWorld& world = services.World();
    CPathData* grid = m_pManager->GetPathGrid();
    if (!m_pTile || !world.ChemicalWithin(m_pTile, 1)) {
        EndAction();
        return;
    }
    ++services.Score().nAnnoyableTicks;
    const float w = services.SquadFactor(kActFightHazard, AgencyKind()) * static_cast<float>(Persons(this)) *
                    AbilityFor(kActFightHazard) * MediaFactor() * AssistFactor(kActFightHazard);
    float amount = static_cast<float>(SquadRand() % 40 + 50) * m_fEfficiency * w / 30.0f;
    if (grid) {
        m_fVisitAmount = amount;
        grid->VisitTilesAround(5, m_pTile, 0, this);
        m_fVisitAmount = amount * 0.5f;
        grid->VisitTilesAround(5, m_pTile, 1, this);
    }
    PlayActionSound(27, false);
}

void CSquad::WorkUtility()
{
    CSquadServices& services = Services();
    ++services.Score().nAnnoyableTicks;
    ISquadWorld& world = services.World();
    if (m_nTimer == 0) {
        bool hidden = false;
        int code = m_pTile ? world.ObjectAt(m_pTile, &hidden) : -1;
        if (code < kCodeWaterLeak || code > kCodeGasLeak) {
            EndAction();
            return;
        }
        PlayActionSound(32, false);
        float chance = Work(kActUtilityWork, AbilityFor(kActUtilityWork));
        int index = TemplateIndex();
        bool matches = (code == kCodeElectrical && index == 12) || (code != kCodeElectrical && index == 13);
        if (!matches)
            chance *= 0.4f;
        RollHazardWork(chance, 90);
        return;
    }
    FinishHazardWork(world);
}

void CSquad::WorkPerimeter()
{
    CSquadServices& services = Services();
    ++services.Score().nAnnoyableTicks;
    if (m_nTimer < 6) {
        ++m_nTimer;
        return;
    }
    m_nTimer = 0;
    const bool vehicle = IsVehicle();
    const float ability = AbilityFor(kActPerimeter);
    float range = MediaFactor() * AssistFactor(kActPerimeter) * 60.0f;
    if (vehicle)
        range *= ability;
    const float factor = services.SquadFactor(kActPerimeter, AgencyKind());
    const float chance =
        vehicle ? factor * ability * 60.0f : factor * static_cast<float>(Persons(this)) * ability * m_fEfficiency;
    const int r = Trunc(range);
    auto hold = [&](CSquad* s) {
        if (static_cast<float>(SquadRand() % 100) >= chance)
            return;
        s->m_pLink = this;
        s->Stop();
        s->StopLoopSound();
        if (s->m_pSprite)
            s->m_pSprite->m_Placement.Flags |= kSpriteIdleMarker;
        s->SetIdleMarker(true);
        s->m_nNextState = 0;
    };
    for (CSquad* s : m_pManager->Units())
        if (s != this && s->IsCompliant() && !s->m_pLink && !s->IsDown() && s->m_nState != kActSubdued &&
            InRange(s, r) && InSight(s))
            hold(s);
    for (CSquad* s : m_pManager->Vehicles())
        if (s != this && s->IsCompliant() && !s->m_pLink && !s->IsKilled() && InRange(s, r))
            hold(s);
}

void CSquad::WorkLoad()
{
    if (m_nTimer == 0) {
        if (!m_pTarget) {
            EndAction();
            return;
        }
        m_pTarget->GiveOrder(m_nOrderPlayer, kActGetInVehicle, Trunc(m_fX), Trunc(m_fY), kSqPathRequest, this);
        m_pTarget->m_pLink = this;
        m_nTimer = 1;
        return;
    }
    if (!m_pTarget || !m_pManager->ContainsSquad(m_pTarget) || m_pTarget->GetStatusIndex() != kActGetInVehicle) {
        m_pTarget = nullptr;
        EndAction();
    }
}

void CSquad::WorkUnload()
{
    CPathData* grid = m_pManager->GetPathGrid();
    for (CSquad*& slot : m_apLoaded) {
        CSquad* s = slot;
        if (!s)
            continue;
        for (int attempt = 0; attempt < 20; ++attempt) {
            int x = Trunc(m_fX) + (SquadRand() % 2) * 12 + SquadRand() % 6 - 6;
            int y = Trunc(m_fY) + (SquadRand() % 2) * 16 + SquadRand() % 4 - 8;
            // Off the map (no tile) counts as blocked.
            CPathTile* tile = grid && InMap(x, y) ? grid->GetTileAt(x, y) : nullptr;
            if (!tile || tile->m_abyCosts[kFootCost] == CPathTile::kImpassable || tile->m_byTileType == 162)
                continue;
            s->m_fX = static_cast<float>(x);
            s->m_fY = static_cast<float>(y);
            s->m_fReportedX = s->m_fSeenX = s->m_fX;
            s->m_fReportedY = s->m_fSeenY = s->m_fY;
            if (s->m_pSprite)
                s->m_pSprite->m_Placement.Flags &= ~kSpriteLoaded;
            s->PlaceSprite();
            s->m_nFlags |= kSqPositionChanged;
            s->m_nVisFlags |= kVisFirstPass;
            slot = nullptr;
            Services().Redraw();
            PlayActionSound(21, false, 0.75f);
            break;
        }
    }
    EndAction();
}

void CSquad::WorkGetIn()
{
    if (m_pTarget && m_pTarget->LoadSquad(this, true, false))
        PlayActionSound(21, false, 0.75f);
    m_pTarget = nullptr;
    EndAction();
}

void CSquad::WorkAssisting()
{
    CSquad* assisted = m_pTarget;
    if (assisted && !assisted->IsDown() && (assisted->m_nState < kActIdle || assisted->m_nState > kActMove))
        return;
    m_pTarget = nullptr;
    EndAction();
}

void CSquad::TakeDamage(const CSquad* winner, float contaminationFactor)
{
    float damage = static_cast<float>(DamageFrom(winner));
    if (AgencyKind() == 0 && (m_nFlags & kSqGear) && SquadRand() % 100 < 70)
        damage *= 0.5f;
    AddHealth(-damage);
    AddContamination(damage * contaminationFactor / 30.0f);
}

void CSquad::Subdue()
{
    Stop();
    SetIdleMarker(false);
    m_nFlags |= kSqCompliant;
    SetState(kActSubdued, false, false, true);
    m_nVisFlags |= kVisSubdued;
}

void CSquad::WorkAssault()
{
    CSquadServices& services = Services();
    ISquadWorld& world = services.World();
    if (m_nTimer == 0) {
        if (IsResponder() || !m_pTarget)
            m_pTarget = BestAssaultTarget();
        CSquad* target = m_pTarget;
        if (!target) {
            EndAction();
            return;
        }
        auto strength = [&](const CSquad* s) {
            return Trunc(services.SquadFactor(kActAssault, s->AgencyKind()) * static_cast<float>(Persons(s)) *
                         s->AbilityFor(kActAssault) * s->m_fEfficiency);
        };
        const int a = strength(this), d = strength(target);
        if (a < 1 && d < 1) {
            m_pTarget = nullptr;
            EndAction();
            return;
        }
        const bool sharpshooter = !IsVehicle() && TemplateIndex() == 1;
        int winner = 0, r = 0;
        // A long run of misses is cut off (each round has a real chance to decide when a or d is at least 1).
        for (r = 1; r <= 1000 && !winner; ++r) {
            if (sharpshooter && SquadRand() % 100 < a)
                winner = 1;
            else if (SquadRand() % 100 < d)
                winner = 2;
            else if (SquadRand() % 100 < a)
                winner = 1;
            if (winner)
                break;
        }
        if (!winner) {
            m_pTarget = nullptr;
            EndAction();
            return;
        }
        m_nOutcome = winner;
        m_nTimer = SquadRand() % 30 + 30 * r - 29;
        target->SetState(kActIdle, true, true, true);
        ++services.Score().nAssaults;
        PlayActionSound(10, false);
        return;
    }
    if (!m_pTarget) {
        EndAction();
        return;
    }
    if (--m_nTimer > 0) {
        if (m_nTimer % 2 == 0) {
            static const int kShots[3] = {10, 12, 13};
            PlayActionSound(kShots[m_nTimer % 3], true);
        }
        return;
    }
    CSquad* target = m_pTarget;
    const float factor = world.ContaminationFactor();
    CSquad* loser = m_nOutcome == 1 ? target : this;
    const CSquad* winner = m_nOutcome == 1 ? this : target;
    loser->TakeDamage(winner, factor);
    if (loser->AgencyKind() == 6 && !loser->IsCompliant())
        loser->Subdue();
    const int c1 = (!IsVehicle() && TemplateIndex() == 1) ? 2 : 15;
    const int c2 = (!target->IsVehicle() && target->TemplateIndex() == 1) ? 5 : 35;
    for (CSquad* s : m_pManager->Units()) {
        if (s == this || s == target || s->IsKilled() || !InRange(s, 32) || !InSight(s))
            continue;
        float x = 0.0f;
        if (SquadRand() % 100 < c1)
            x = static_cast<float>(DamageFrom(this));
        if (SquadRand() % 100 < c2)
            x = static_cast<float>(DamageFrom(target));
        if (x != 0.0f) {
            s->AddHealth(-x);
            s->AddContamination(x * factor / 30.0f);
        }
    }
    m_pTarget = nullptr;
    EndAction();
}

void CSquad::WorkDefuse()
{
    CSquadServices& services = Services();
    ISquadWorld& world = services.World();
    const int x = Trunc(m_fX), y = Trunc(m_fY);
    if (m_nTimer == 0) {
        bool hidden = false;
        if (!m_pTile || world.ObjectAt(m_pTile, &hidden) != kCodeBomb || hidden) {
            EndAction();
            return;
        }
        ++services.Score().nAnnoyableTicks;
        const float p = services.SquadFactor(kActDefuseBomb, AgencyKind()) * static_cast<float>(Persons(this)) *
                        AbilityFor(kActDefuseBomb) * MediaFactor();
        if (static_cast<float>(SquadRand() % 100) < p * m_fEfficiency * 25.0f)
            m_nOutcome = 3;
        else if (static_cast<float>(SquadRand() % 100) < (1.0f - p) * 10.0f)
            m_nOutcome = 4;
        else
            m_nOutcome = 0;
        m_nTimer = m_nOutcome ? SquadRand() % 30 + 1 : 30;
        return;
    }
    if (--m_nTimer > 0 || (m_nOutcome != 3 && m_nOutcome != 4))
        return;
    if (m_nOutcome == 3) {
        world.AddHazardEntry(x, y, -1, 0.0f);
        world.AddHazardEntry(x, y, kCodeBombDefused, 0.0f);
        world.SendBatch();
        PlayActionSound(25, false);
    } else {
        int type = m_pTile ? Trunc(world.ObjectValueAt(m_pTile)) : 0;
        world.AddHazardEntry(x, y, -1, 0.0f);
        world.SendBatch();
        world.ApplyIncidentType(type, x, y);
    }
    EndAction();
}

void CSquad::WorkNegotiate()
{
    CSquadServices& services = Services();
    ++services.Score().nAnnoyableTicks;
    auto talking = [](const CSquad* s) { return s && (s->m_nState == kActIdle || s->m_nState == kActSupervise); };
    if (m_nTimer == 0) {
        for (CSquad* s : m_pManager->Units()) {
            if (s != this && !s->IsDown() && s->m_nState == kActNegotiate) {
                EndAction();
                return;
            }
        }
        const bool anywhere = services.Waived() || (services.UnitBits(3) & 0x2);
        CSquad* target = nullptr;
        for (CSquad* s : m_pManager->Units()) {
            if (s->AgencyKind() != 6 || s->IsCompliant() || s->IsHidden() || !talking(s) || !s->m_pUnitRecord)
                continue;
            if (!anywhere && !InRange(s, 48))
                continue;
            if (!target || s->m_pUnitRecord->m_fNegotiate < target->m_pUnitRecord->m_fNegotiate)
                target = s;
        }
        if (!target) {
            EndAction();
            return;
        }
        m_pTarget = target;
        const float t = target->m_fEfficiency > 0.0f ? 1.0f / target->m_fEfficiency : 1.0f;
        if (static_cast<float>(SquadRand() % 100) <
                t * static_cast<float>(Persons(target)) * target->m_pUnitRecord->m_fNegotiate ||
            !talking(target)) {
            m_nOutcome = 5;
        } else {
            float chance = services.SquadFactor(kActNegotiate, AgencyKind()) * static_cast<float>(Persons(this)) *
                           AbilityFor(kActNegotiate) * m_fEfficiency * m_pManager->m_fNegotiationFactor *
                           MediaFactor() * t;
            m_nOutcome = static_cast<float>(SquadRand() % 100) < chance ? 6 : 0;
        }
        m_nTimer = m_nOutcome ? SquadRand() % 30 + 1 : 30;
        PlayActionSound(29, false);
        return;
    }
    if (!m_pTarget) {
        EndAction();
        return;
    }
    if (!talking(m_pTarget))
        m_nOutcome = 5;
    if (--m_nTimer > 0 || (m_nOutcome != 5 && m_nOutcome != 6))
        return;
    if (m_nOutcome == 5) {
        PlayActionSound(31, true);
        m_pManager->m_fNegotiationFactor = std::max(0.0f, m_pManager->m_fNegotiationFactor - 0.05f);
    } else {
        PlayActionSound(30, true);
        m_pTarget->m_nFlags |= kSqCompliant;
        m_pTarget->SetState(kActSubdued, true, true, true);
        m_pTarget->m_nVisFlags |= kVisSubdued;
    }
    EndAction();
}

void CSquad::WorkNotReady()
{
    if (m_nTimer > 0)
        --m_nTimer;
    if (m_nTimer > 0)
        return;
    switch (m_nOutcome) {
    case 10:
        m_nOutcome = 0;
        m_nTimer = 60;
        break;
    case 11:
        m_nOutcome = 0;
        m_nTimer = 120;
        break;
    default:
        SetState(kActIdle, true, true, true);
        m_nFlags &= ~kSqDeploying;
        break;
    }
}

void CSquad::WorkSetHealth(int action)
{
    if (!m_pUnitRecord)
        return;
    const float m = m_pUnitRecord->m_fMaxHealth;
    // The spread is at least 1, so a small maximum health never divides by zero.
    auto spread = [](float from, float to) { return std::max(1, TruncInt(to - from)); };
    switch (action) {
    case kActSetKilled:
        m_fHealth = m * 0.1f;
        break;
    case kActSetIncapacitated:
        m_fHealth = m * 0.1f + static_cast<float>(SquadRand() % spread(m * 0.1f, m * 0.6f));
        AddContamination(1.0f / 120.0f);
        break;
    case kActSetWounded:
        m_fHealth = m * 0.6f + static_cast<float>(SquadRand() % spread(m * 0.6f, m * 0.9f));
        AddContamination(1.0f / 120.0f);
        break;
    default:
        m_fHealth = m * 0.9f + static_cast<float>(SquadRand() % spread(m * 0.9f, m));
        break;
    }
    EndAction();
}

void CSquad::WorkClearObstruction()
{
    ISquadWorld& world = Services().World();
    int obstruction = world.ObstructionAt(Trunc(m_fX), Trunc(m_fY));
    if (obstruction < 0) {
        EndAction();
        return;
    }
    float work = Services().SquadFactor(kActClearObstruction, AgencyKind()) * static_cast<float>(Persons(this)) *
                 AbilityFor(kActClearDebris) * m_fEfficiency * MediaFactor() * AssistFactor(kActClearDebris);
    world.WorkObstruction(obstruction, work);
    PlayActionSound(4, false);
}
