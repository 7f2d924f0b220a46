// The squad manager: its two lists, lookups, picking, the steps over its squads, synchronisation records,
// end-of-scenario counts and its saved-game block.
#include "game/sim/SquadManager.h"

#include "core/events/ZREvent.h"
#include "core/widgets/CPopupMenu.h"
#include "core/world/Map2DLinked.h"
#include "core/world/PathData.h"
#include "core/world/Sprite.h"
#include "core/world/SpriteManager.h"
#include "core/world/StationData.h"
#include "core/world/UnitTaskRecord.h"
#include "game/app/GameMessages.h"
#include "game/sim/Squad.h"
#include "game/sim/SquadServices.h"
#include "core/util/ByteStream.h"
#include "platform/system/MessageBox.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <set>

QF_IMPLEMENT_SERIAL(CSquadManager, 1)

namespace {
// Services of a manager that was never given any (tests of lists alone).
CSquadServices& FallbackServices()
{
    static CSquadServices services;
    return services;
}

int Trunc(float value)
{
    return TruncInt(value);
}

void WritePlacement(CByteWriter& out, const CPlacement& p)
{
    for (int32_t v :
         {p.AgencyIndex, p.Flags, p.Id, p.Type, p.ServiceId, p.WorldX, p.WorldY, p.Modifiers, p.Extra1, p.Extra2})
        out.WriteI32(v);
}

void ReadPlacement(CByteReader& in, CPlacement& p)
{
    for (int32_t* v : {&p.AgencyIndex, &p.Flags, &p.Id, &p.Type, &p.ServiceId, &p.WorldX, &p.WorldY, &p.Modifiers,
                       &p.Extra1, &p.Extra2})
        in.ReadI32(*v);
}

} // namespace

CSquadManager::CSquadManager()
{
    m_aSyncBuffer.assign(kSyncHeaderSize, 0);
}

CSquadManager::~CSquadManager()
{
    // Both lists go; pointers between squads of this manager die with them, the other manager's into this one
    // are cleared.
    std::vector<CSquad*> all = m_aUnits;
    all.insert(all.end(), m_aVehicles.begin(), m_aVehicles.end());
    m_aUnits.clear();
    m_aVehicles.clear();
    for (CSquad* s : all) {
        if (m_pOther) {
            for (const auto* list : {&m_pOther->m_aUnits, &m_pOther->m_aVehicles}) {
                for (CSquad* o : *list) {
                    if (o->m_pLink == s)
                        o->m_pLink = nullptr;
                    if (o->m_pTarget == s)
                        o->m_pTarget = nullptr;
                    for (CSquad*& l : o->m_apLoaded)
                        if (l == s)
                            l = nullptr;
                }
            }
        }
        if (m_pServices) {
            if (m_pServices->pSelected == s)
                m_pServices->pSelected = nullptr;
            if (m_pServices->pOrderSquad == s)
                m_pServices->pOrderSquad = nullptr;
        }
        delete s;
    }
    if (m_pOther && m_pOther->m_pOther == this)
        m_pOther->m_pOther = nullptr;
}

CSquadServices& CSquadManager::Services() const
{
    return m_pServices ? *m_pServices : FallbackServices();
}

void CSquadManager::Attach(CSpriteManager* sprites, CSquadManager* other, CMap2DLinked* map, CDisplay* display,
                           const CModeRecord* modeRecord, CEOCUnitData* eoc, CPathData* pathGrid)
{
    m_pSprites = sprites;
    m_pOther = other;
    m_pMap = map;
    m_pDisplay = display;
    m_pModeRecord = modeRecord;
    m_pEOC = eoc;
    m_pPathGrid = pathGrid;
    if (!sprites)
        return;
    for (CSprite* s = sprites->GetHead(); s; s = s->m_pNext) {
        int kind = s->Kind();
        if (kind != kUnitSprite && kind != kVehicleSprite)
            continue;
        if (CSquad* squad = AddSquad(kind))
            squad->AttachSprite(s, this);
    }
}

int CSquadManager::MapWidth() const
{
    return m_pMap && m_pMap->GetColumns() > 0 ? m_pMap->GetColumns() * 32 : 3200;
}

int CSquadManager::MapHeight() const
{
    return m_pMap && m_pMap->GetRows() > 0 ? m_pMap->GetRows() * 32 : 2400;
}

// ---- lists ----

CSquad* CSquadManager::AddSquad(int kind, CSquad* squad)
{
    std::vector<CSquad*>& list = kind == kUnitSprite ? m_aUnits : m_aVehicles;
    int32_t& count = kind == kUnitSprite ? m_nUnitCount : m_nVehicleCount;
    if (!squad) {
        squad = new (std::nothrow) CSquad(count + 1);
        if (!squad)
            return nullptr;
    }
    ++count;
    squad->m_nID = count;
    list.push_back(squad);
    return squad;
}

void CSquadManager::RemoveSquad(CSquad* squad, bool deleteIt)
{
    if (!squad)
        return;
    bool found = false;
    for (auto* list : {&m_aUnits, &m_aVehicles}) {
        auto it = std::find(list->begin(), list->end(), squad);
        if (it != list->end()) {
            list->erase(it);
            found = true;
            break;
        }
    }
    if (!found)
        return;
    if (squad->m_pSprite && m_pSprites)
        m_pSprites->RemoveSprite(squad->m_pSprite, false);
    if (deleteIt)
        DeleteSquad(squad);
}

void CSquadManager::SweepPointersTo(const CSquad* squad)
{
    for (CSquadManager* manager : {this, m_pOther}) {
        if (!manager)
            continue;
        for (const auto* list : {&manager->m_aUnits, &manager->m_aVehicles}) {
            for (CSquad* o : *list) {
                if (o->m_pLink == squad)
                    o->m_pLink = nullptr;
                if (o->m_pTarget == squad)
                    o->m_pTarget = nullptr;
                for (CSquad*& l : o->m_apLoaded)
                    if (l == squad)
                        l = nullptr;
            }
        }
    }
    CSquadServices& services = Services();
    services.LeaveTargetingFor(squad);
    if (services.pSelected == squad)
        services.pSelected = nullptr;
}

void CSquadManager::DeleteSquad(CSquad* squad)
{
    SweepPointersTo(squad);
    CSprite* sprite = squad->m_pSprite;
    delete squad;
    // The sprite was unlinked from its manager on removal; nothing else holds it.
    if (sprite) {
        sprite->DetachSharedImages();
        delete sprite;
    }
}

bool CSquadManager::Owns(const CSquad* squad) const
{
    return squad && squad->m_pManager == this;
}

CSquad* CSquadManager::FindSquad(int32_t number, int mask) const
{
    if (number < 0)
        return nullptr;
    auto byId = [](const std::vector<CSquad*>& list, int32_t id) -> CSquad* {
        for (CSquad* s : list)
            if (s->m_nID == id)
                return s;
        return nullptr;
    };
    if (number >= kVehicleNumberBase)
        return byId(m_aVehicles, number - kVehicleNumberBase);
    CSquad* found = nullptr;
    if (mask & 0x1)
        found = byId(m_aUnits, number);
    if (!found && (mask & 0x2))
        found = byId(m_aVehicles, number);
    return found;
}

int32_t CSquadManager::GetSquadNumber(const CSquad* squad)
{
    if (!squad)
        return -1;
    return squad->IsVehicle() ? squad->m_nID + kVehicleNumberBase : squad->m_nID;
}

CSquad* CSquadManager::FindSquadBySprite(int32_t serviceId, int32_t agencyKind, int mask) const
{
    auto search = [&](const std::vector<CSquad*>& list) -> CSquad* {
        for (CSquad* s : list)
            if (s->m_pSprite && s->m_pSprite->m_Placement.ServiceId == serviceId && s->AgencyKind() == agencyKind)
                return s;
        return nullptr;
    };
    CSquad* found = nullptr;
    if (mask & 0x2)
        found = search(m_aUnits);
    if (!found && (mask & 0x1))
        found = search(m_aVehicles);
    return found;
}

CSquad* CSquadManager::FindVehicleAt(int x, int y, bool skipHidden, int32_t agencyMask) const
{
    for (CSquad* s : m_aVehicles) {
        CSprite* sprite = s->m_pSprite;
        if (!sprite || (skipHidden && s->IsHidden()))
            continue;
        if (!(AgencyBitFromIndex(sprite->m_Placement.AgencyIndex) & agencyMask))
            continue;
        int zoom = sprite->m_nZoom == 1 ? 1 : 0;
        int w = sprite->m_anFrameWidth[zoom], h = sprite->m_anFrameHeight[zoom];
        const int64_t left = int64_t{Trunc(s->m_fX)} - w / 2, top = int64_t{Trunc(s->m_fY)} - h / 2;
        if (x >= left && x <= left + w && y >= top && y <= top + h)
            return s;
    }
    return nullptr;
}

CSquad* CSquadManager::PickSquadsAt(const CSquadPickPoint& point)
{
    std::vector<CSquad*> candidates;
    auto consider = [&](const std::vector<CSquad*>& list, bool units) {
        for (CSquad* s : list) {
            if (candidates.size() >= 20)
                return;
            CSprite* sprite = s->m_pSprite;
            if (!sprite || !(sprite->m_Placement.Flags & kSpriteDrawn))
                continue;
            if (units && (sprite->m_Placement.Flags & (kSpriteHidden | kSpriteLoaded)))
                continue;
            int zoom = sprite->m_nZoom == 1 ? 1 : 0;
            int left = sprite->m_nScreenX, top = sprite->m_nScreenY;
            if (point.x >= left && point.x <= left + sprite->m_anFrameWidth[zoom] && point.y >= top &&
                point.y <= top + sprite->m_anFrameHeight[zoom])
                candidates.push_back(s);
        }
    };
    if (point.nListMask & 0x1)
        consider(m_aUnits, true);
    if (point.nListMask & 0x2)
        consider(m_aVehicles, false);
    if (candidates.empty())
        return nullptr;
    if (point.pSelected && std::find(candidates.begin(), candidates.end(), point.pSelected) != candidates.end())
        Services().LeaveTargetingFor(point.pSelected);
    if (point.bCycle) {
        int32_t k = candidates[0]->m_pSprite->m_nDepthKey;
        for (CSquad* s : candidates)
            k = std::max(k, s->m_pSprite->m_nDepthKey);
        for (size_t i = 0; i < candidates.size(); ++i)
            for (size_t j = i + 1; j < candidates.size(); ++j)
                if (candidates[j]->m_pSprite->m_nDepthKey == candidates[i]->m_pSprite->m_nDepthKey)
                    candidates[j]->m_pSprite->m_nDepthKey = ++k;
        const int32_t count = static_cast<int32_t>(candidates.size());
        for (CSquad* s : candidates) {
            CSprite* sprite = s->m_pSprite;
            bool linked = m_pSprites && m_pSprites->RemoveSprite(sprite, false);
            sprite->m_nDepthKey = (sprite->m_nDepthKey + 1) % count + 100;
            if (linked)
                m_pSprites->AddSprite(sprite, false);
        }
    }
    CSquad* best = candidates[0];
    for (CSquad* s : candidates)
        if (s->m_pSprite->m_nDepthKey > best->m_pSprite->m_nDepthKey)
            best = s;
    return best;
}

CSquad* CSquadManager::ContainsSquad(const CSquad* squad) const
{
    for (const auto* list : {&m_aUnits, &m_aVehicles})
        for (CSquad* s : *list)
            if (s == squad)
                return s;
    return nullptr;
}

void CSquadManager::MarkSideForRecheck(uint32_t agencyBit)
{
    for (const auto* list : {&m_aUnits, &m_aVehicles})
        for (CSquad* s : *list)
            if (s->m_pSprite && (static_cast<uint32_t>(s->m_pSprite->m_Placement.Flags) & agencyBit))
                s->m_nVisFlags |= agencyBit;
}

int CSquadManager::CursorTargets(int x, int y, CSquad* squad, CPathData*) const
{
    if (!squad)
        return 0;
    int bits = 0;
    for (CSquad* other : m_aUnits) {
        CSprite* sprite = other->m_pSprite;
        if (!sprite)
            continue;
        int zoom = sprite->m_nZoom == 1 ? 1 : 0;
        int w = std::max(sprite->m_anFrameWidth[zoom], 1), h = std::max(sprite->m_anFrameHeight[zoom], 1);
        const int64_t left = int64_t{Trunc(other->m_fX)} - w / 2, top = int64_t{Trunc(other->m_fY)} - h / 2;
        if (x < left || x > left + w || y < top || y > top + h)
            continue;
        if (squad->CanAssault(other))
            bits |= 0x1;
        if (squad->CanAid(other))
            bits |= 0x2;
    }
    return bits;
}

// ---- steps ----

void CSquadManager::MovementStep()
{
    for (const std::vector<CSquad*>* list : {&m_aUnits, &m_aVehicles}) {
        for (CSquad* s : Snapshot(*list)) {
            if (!Owns(s))
                continue;
            if (s->m_nFlags & kSqReleased)
                RemoveSquad(s, true);
            else
                s->MovementStep();
        }
    }
}

void CSquadManager::GameStep(uint16_t messageId)
{
    for (CSquad* s : Snapshot(m_aUnits)) {
        if (!Owns(s))
            continue;
        if (s->m_nHealthState == kHealthKilled && !s->m_pLink)
            continue;
        if (s->m_nFlags & kSqReleased) {
            RemoveSquad(s, true);
            continue;
        }
        s->GameStep();
        if (Owns(s))
            s->LinkCheck();
    }
    for (CSquad* s : Snapshot(m_aVehicles)) {
        if (!Owns(s))
            continue;
        if (s->m_nFlags & kSqReleased) {
            RemoveSquad(s, true);
            continue;
        }
        s->LinkCheck();
        s->GameStep();
    }
    PostSync(messageId);
}

void CSquadManager::PostSync(uint16_t messageId)
{
    if (m_aUnits.empty() && m_aVehicles.empty())
        return;
    std::vector<uint8_t> message = BuildSyncMessage();
    Services().Post(messageId, message.data(), message.size());
}

void CSquadManager::WriteSyncRecord(CByteWriter& out, CSquad* s, bool vehicle)
{
    out.WriteFloat(s->m_fHealthPct);
    out.WriteFloat(vehicle ? 0.0f : s->m_fFatiguePct);
    const uint32_t flags = s->m_nFlags & 0x3C0;
    out.WriteU32(flags);
    out.WriteI32(s->m_nState);
    for (CSquad* loaded : s->m_apLoaded)
        out.WriteI32(vehicle ? GetSquadNumber(loaded) : 0);
    out.WriteI32(vehicle ? 0 : GetSquadNumber(s->m_pLink));
    out.WriteI32(GetSquadNumber(s->m_pTarget));
    if (!vehicle && (flags & kSqPositionChanged)) {
        out.WriteI32(Trunc(s->m_fX));
        out.WriteI32(Trunc(s->m_fY));
    } else {
        out.WriteI32(0);
        out.WriteI32(0);
    }
    out.WriteI32(s->m_pSprite ? (s->m_pSprite->m_Placement.Flags & 0x460000) : 0);
    if (!vehicle)
        s->m_nFlags &= ~kSqPositionChanged;
}

std::vector<uint8_t> CSquadManager::BuildSyncMessage()
{
    const size_t units = std::min<size_t>(m_aUnits.size(), kSyncMaxRecords);
    const size_t vehicles = std::min<size_t>(m_aVehicles.size(), kSyncMaxRecords - units);
    CByteWriter out;
    out.WriteI32(static_cast<int32_t>(units));
    out.WriteI32(static_cast<int32_t>(vehicles));
    for (size_t i = 0; i < units; ++i)
        WriteSyncRecord(out, m_aUnits[i], false);
    for (size_t i = 0; i < vehicles; ++i)
        WriteSyncRecord(out, m_aVehicles[i], true);
    m_aSyncBuffer = out.Data();
    return m_aSyncBuffer;
}

// ---- after a load, score ----

void CSquadManager::ResumeAfterLoad()
{
    CSquadServices& services = Services();
    if (services.pCurrentView)
        *services.pCurrentView = 1;
    // A squad whose movement the saved game gave back goes on along its path as it is; for the others (saves
    // that do not hold it) the path is asked for again and speed and next state are judged from the action.
    for (CSquad* s : Snapshot(m_aUnits)) {
        if (s->m_bMovementLoaded) {
            s->m_bMovementLoaded = false;
        } else if (s->m_nFlags & kSqMoving) {
            s->m_nFlags &= ~kSqMoving;
            s->m_nFlags |= kSqPathRequest;
            if (s->m_nState == kActMove)
                s->m_nFlags |= kSqFast;
            if (s->m_nState == kActMove || s->m_nState == kActEvacuate || s->m_nState == kActEscort)
                s->m_nNextState = s->m_nState;
        }
        s->UpdateHealthState();
    }
    for (CSquad* s : Snapshot(m_aVehicles)) {
        if (s->m_bMovementLoaded) {
            s->m_bMovementLoaded = false;
        } else if (s->OnAreaMap()) {
            // Only the authority builds routes; the others follow its messages.
            if (services.bAuthority)
                s->StartStationRoute(s->GetStatusIndex());
        } else if (s->m_nFlags & kSqMoving) {
            s->m_nFlags &= ~kSqMoving;
            s->m_nFlags |= kSqPathRequest;
            int state = s->m_nState;
            if (state == kActMoveSlowly || state == kActPerimeter)
                s->m_nFlags |= kSqFast;
            if (state == kActMoveSlowly || state == kActPerimeter || state == kActTowVehicle)
                s->m_nNextState = (s->m_nFlags & kSqDeploying) ? kActNotReady : state;
        }
        s->UpdateHealthState();
    }
    if (services.pCurrentView)
        *services.pCurrentView = 0;
}

void CSquadManager::RestoreRouteSpeeds()
{
    for (CSquad* s : m_aVehicles)
        if (s->OnAreaMap() && s->m_pHomeStation && s->m_pHomeStation->m_pStationData && s->m_pUnitRecord)
            s->m_pUnitRecord->m_fSpeed = s->m_pHomeStation->m_pStationData->m_fRouteSpeed;
}

void CSquadManager::CountForScore()
{
    CSquadScoreCounts& score = Services().Score();
    ISquadWorld& world = Services().World();
    for (CSquad* s : m_aUnits) {
        if (s->IsHidden())
            continue;
        CPathTile* cell = m_pPathGrid ? m_pPathGrid->GetCellAt(Trunc(s->m_fX), Trunc(s->m_fY)) : nullptr;
        int facility = cell ? world.FacilityAt(cell) : 0;
        int kind = s->AgencyKind();
        bool killed = s->m_nHealthState == kHealthKilled;
        bool incapacitated = s->m_nHealthState == kHealthIncapacitated;
        if (kind == 5) {
            score.nCiviliansKilled += killed;
            score.nCiviliansIncapacitated += incapacitated;
            score.nCiviliansDownAtCasualty += s->IsDown() && facility == kCodeCasualtyCenter;
            score.nCiviliansEvacuated += !s->IsDown() && facility == kCodeEvacuationCenter;
            if (!s->IsVehicle() && s->TemplateIndex() == 19) {
                ++score.nMediaUnits;
                score.nMediaInfiltrated += (s->m_nFlags & kSqInfiltrated) != 0;
                score.nMediaAtCenter += facility == kCodeMediaCenter;
            }
        } else if (kind == 6) {
            ++score.nThreats;
            score.nThreatsKilled += killed;
            score.nThreatsIncapacitated += incapacitated;
            bool subdued = s->IsCompliant() && !s->IsDown();
            score.nThreatsSubdued += subdued;
            score.nThreatsAtCasualty += (killed || incapacitated || subdued) && facility == kCodeCasualtyCenter;
        } else if (s->IsResponder()) {
            score.nRespondersKilled += killed;
            score.nRespondersIncapacitated += incapacitated;
            score.nRespondersDownAtCasualty += s->IsDown() && facility == kCodeCasualtyCenter;
        }
    }
    for (CSquad* s : m_aVehicles) {
        // Not returned is counted over the called vehicles (those with a home station), as the calls are: a
        // destroyed or hidden one never went home. (A destroyed one used to count as returned.)
        score.nVehiclesNotReturned += s->m_pHomeStation != nullptr && !(s->m_nFlags & kSqReleased);
        if (s->IsHidden())
            continue;
        bool destroyed = s->m_nHealthState == kHealthKilled;
        if (s->IsResponder())
            score.nVehiclesDestroyed += destroyed;
        else if (s->AgencyKind() == 5)
            score.nCivilianVehiclesDestroyed += destroyed;
    }
}

void CSquadManager::AccrueFinalCost()
{
    CSquadScoreCounts& score = Services().Score();
    for (CSquad* s : m_aUnits)
        if (s->IsResponder() && !s->IsDown() && s->m_pHomeStation && s->m_pUnitRecord)
            score.fRunningCost += s->m_pUnitRecord->m_fCostRate * 7200.0f;
    for (CSquad* s : m_aVehicles)
        if (s->IsResponder() && !s->IsKilled() && s->m_pHomeStation && s->m_pUnitRecord)
            score.fRunningCost += s->m_pUnitRecord->m_fCostRate * 7200.0f;
}

// ---- saved game ----

void CSquadManager::Save(CByteWriter& out) const
{
    out.WriteFloat(m_fNegotiationFactor);
    auto writeList = [&](const std::vector<CSquad*>& list, int32_t count) {
        out.WriteI32(count);
        out.WriteI32(static_cast<int32_t>(list.size()));
        for (CSquad* s : list) {
            out.WriteI32(GetSquadNumber(s));
            CPlacement placement;
            if (s->m_pSprite)
                placement = s->m_pSprite->m_Placement;
            WritePlacement(out, placement);
            s->SaveState(out);
        }
    };
    writeList(m_aUnits, m_nUnitCount);
    writeList(m_aVehicles, m_nVehicleCount);
}

bool CSquadManager::OnSavedMap(double x, double y) const
{
    // The area map has no tile map here: its bitmap's size is not known, only that it is a picture's.
    const int w = m_pMap ? MapWidth() : 65535, h = m_pMap ? MapHeight() : 65535;
    return x >= 0 && x <= w && y >= 0 && y <= h;
}

bool CSquadManager::IsPossibleRecord(const uint8_t* record, bool vehicles) const
{
    CByteReader in(record, kSquadRecordSize);
    int32_t number = 0;
    CPlacement p;
    in.ReadI32(number);
    ReadPlacement(in, p);
    int32_t stationKind = 0, serviceId = 0, link = 0, lastX = 0, lastY = 0;
    uint32_t flags = 0;
    float amounts[3] = {}, points[6] = {};
    uint8_t state = 0;
    int32_t next = 0, target = 0, timer = 0, outcome = 0, loaded[4] = {}, channel = 0, wx = 0, wy = 0;
    in.ReadI32(stationKind);
    in.ReadI32(serviceId);
    in.ReadI32(link);
    in.ReadU32(flags);
    for (float& v : amounts)
        in.ReadFloat(v);
    in.ReadI32(lastX);
    in.ReadI32(lastY);
    for (float& v : points)
        in.ReadFloat(v);
    in.ReadU8(state);
    for (int32_t* v :
         {&next, &target, &timer, &outcome, &loaded[0], &loaded[1], &loaded[2], &loaded[3], &channel, &wx, &wy})
        in.ReadI32(*v);
    if (!in.Ok())
        return false;
    auto onMap = [this](double x, double y) { return OnSavedMap(x, y); };
    auto squadNumber = [](int32_t n) { return n >= -1; };
    const int kind = vehicles ? kVehicleSprite : kUnitSprite;
    // The number's range first: a vehicle's below its base would overflow the id arithmetic.
    if (vehicles ? number <= kVehicleNumberBase : (number < 1 || number >= kVehicleNumberBase))
        return false;
    const int templates = m_pSprites ? m_pSprites->GetTemplateCount(kind) : 0;
    bool ok = p.Type == kind && p.AgencyIndex >= 0 && p.AgencyIndex < 32 && p.Id >= 0 &&
              (templates == 0 || p.Id < templates) && onMap(p.WorldX, p.WorldY);
    ok = ok && (stationKind == -1 || stationKind >= 0) && serviceId >= -1 && squadNumber(link) && squadNumber(target);
    for (float v : amounts)
        ok = ok && std::isfinite(v) && v >= 0.0f && v <= 1.0e9f;
    // Deploy, position and reported position: all on the map.
    for (int i = 0; i < 6; i += 2)
        ok = ok && std::isfinite(points[i]) && std::isfinite(points[i + 1]) && onMap(points[i], points[i + 1]);
    ok = ok && ((lastX == -1 && lastY == -1) || onMap(lastX, lastY)) && onMap(wx, wy);
    ok = ok && state < kActionCount && next >= 0 && next < kActionCount;
    ok = ok && timer >= 0 && timer <= kSquadTimerMax;
    for (int32_t n : loaded)
        ok = ok && squadNumber(n);
    // A squad the game has keeps its agency and template for good: a record of its id names the same.
    const int32_t id = vehicles ? number - kVehicleNumberBase : number;
    for (const CSquad* s : vehicles ? m_aVehicles : m_aUnits)
        if (ok && s->m_nID == id && s->m_pSprite)
            ok = s->m_pSprite->m_Placement.AgencyIndex == p.AgencyIndex && s->m_pSprite->m_Placement.Id == p.Id;
    return ok;
}

bool CSquadManager::Load(CByteReader& in)
{
    // Check the whole block's shape first: a short or bad block changes nothing.
    {
        CByteReader probe(in.Current(), in.Remaining());
        float factor = 0;
        probe.ReadFloat(factor);
        for (int list = 0; list < 2; ++list) {
            int32_t count = 0, n = 0;
            probe.ReadI32(count);
            probe.ReadI32(n);
            if (!probe.Ok() || n < 0 || count < 0 || static_cast<uint64_t>(n) * kSquadRecordSize > probe.Remaining()) {
                platform::DebugOutput("Saved squads: block too short");
                return false;
            }
            // Unit numbers stay below the vehicles' base, so the id counters do too.
            const int32_t maxCount = list == 0 ? kVehicleNumberBase - 1 : INT32_MAX - kVehicleNumberBase;
            if (count > maxCount) {
                platform::DebugOutput("Saved squads: impossible id counter " + std::to_string(count));
                return false;
            }
            std::set<int32_t> numbers;
            for (int32_t i = 0; i < n; ++i) {
                const uint8_t* record = probe.Current();
                int32_t number = 0;
                CByteReader(record, 4).ReadI32(number);
                if (!IsPossibleRecord(record, list == 1) || !numbers.insert(number).second) {
                    platform::DebugOutput("Saved squads: impossible record " + std::to_string(number));
                    return false;
                }
                probe.Skip(kSquadRecordSize);
            }
        }
        if (!probe.Ok())
            return false;
    }
    std::set<CSquad*> ghosts(m_aUnits.begin(), m_aUnits.end());
    ghosts.insert(m_aVehicles.begin(), m_aVehicles.end());
    in.ReadFloat(m_fNegotiationFactor);
    for (int list = 0; list < 2; ++list) {
        const bool vehicles = list == 1;
        int32_t storedCount = 0, n = 0;
        in.ReadI32(storedCount);
        in.ReadI32(n);
        for (int32_t i = 0; i < n; ++i) {
            // Each record is read from its own 149 bytes (checked above).
            CByteReader record(in.Current(), kSquadRecordSize);
            in.Skip(kSquadRecordSize);
            int32_t number = 0;
            CPlacement placement;
            record.ReadI32(number);
            ReadPlacement(record, placement);
            const bool vehicleNumber = number >= kVehicleNumberBase;
            const int32_t id = vehicleNumber ? number - kVehicleNumberBase : number;
            const int kind = vehicleNumber ? kVehicleSprite : kUnitSprite;
            const std::vector<CSquad*>& target = vehicleNumber ? m_aVehicles : m_aUnits;
            CSquad* squad = nullptr;
            for (CSquad* s : target)
                if (s->m_nID == id)
                    squad = s;
            if (squad && ghosts.count(squad)) {
                ghosts.erase(squad);
                if (squad->m_pSprite)
                    squad->m_pSprite->m_Placement = placement;
            } else if (!squad && id > 0 && m_pSprites) {
                placement.Type = kind;
                CSprite* sprite = vehicleNumber ? m_pSprites->CreateVehicleSprite(placement, false)
                                                : m_pSprites->CreateUnitSprite(placement, false);
                if (sprite) {
                    squad = AddSquad(kind);
                    if (squad) {
                        squad->AttachSprite(sprite, this);
                        squad->m_nID = id;
                        sprite->m_Placement = placement;
                    } else {
                        m_pSprites->RemoveSprite(sprite, true);
                    }
                }
            } else {
                squad = nullptr; // the same id twice, or no sprite to make: the record is skipped
            }
            if (!squad || !squad->LoadState(record))
                platform::DebugOutput("Saved squads: record " + std::to_string(number) + " skipped");
        }
        (vehicles ? m_nVehicleCount : m_nUnitCount) = storedCount;
    }
    // Squads of the scenario that the saved game no longer has (back at their station, or on the other map).
    for (CSquad* ghost : ghosts)
        RemoveSquad(ghost, true);
    // The id counters never fall below a squad the game has; a squad that went with the ghosts does not count.
    for (int list = 0; list < 2; ++list) {
        int32_t& count = list == 1 ? m_nVehicleCount : m_nUnitCount;
        for (CSquad* s : list == 1 ? m_aVehicles : m_aUnits)
            count = std::max(count, s->m_nID);
    }
    return in.Ok();
}

void CSquadManager::ResolveLoadedLinks()
{
    for (const auto* list : {&m_aUnits, &m_aVehicles})
        for (CSquad* s : *list)
            s->ResolveLoadedLinks();
    for (CSquad* s : m_aVehicles)
        for (CSquad* loaded : s->m_apLoaded)
            if (loaded && loaded->m_pSprite)
                loaded->m_pSprite->m_Placement.Flags |= kSpriteLoaded;
}

bool CSquadManager::Save(FILE* file) const
{
    if (!file)
        return false;
    CByteWriter out;
    Save(out);
    return std::fwrite(out.Bytes(), 1, out.Size(), file) == out.Size();
}

bool CSquadManager::Load(FILE* file)
{
    if (!file)
        return false;
    const long start = std::ftell(file);
    if (start < 0 || std::fseek(file, 0, SEEK_END) != 0)
        return false;
    const long end = std::ftell(file);
    std::fseek(file, start, SEEK_SET);
    // Reads the block piece by piece, each count bounded by the bytes the file still holds.
    std::vector<uint8_t> block;
    auto take = [&](size_t count) {
        if (count > static_cast<size_t>(end - start) - block.size())
            return false;
        size_t at = block.size();
        block.resize(at + count);
        return std::fread(block.data() + at, 1, count, file) == count;
    };
    auto count = [&](size_t at) {
        int32_t n = 0;
        CByteReader r(block.data() + at, 4);
        r.ReadI32(n);
        return n;
    };
    bool ok = take(12);
    int32_t n = ok ? count(8) : -1;
    ok = ok && n >= 0 && take(static_cast<size_t>(n) * kSquadRecordSize) && take(8);
    int32_t m = ok ? count(block.size() - 4) : -1;
    ok = ok && m >= 0 && take(static_cast<size_t>(m) * kSquadRecordSize);
    if (ok) {
        CByteReader in(block.data(), block.size());
        ok = Load(in);
    }
    if (!ok)
        std::fseek(file, start, SEEK_SET);
    return ok;
}
