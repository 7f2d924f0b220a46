// The game messages that carry squad orders and changes, their handlers, station dispatch, deployment to the
// incident and the transfer of squads between the two maps.
#include "core/events/ZREvent.h"
#include "core/world/Map2DLinked.h"
#include "core/world/Sprite.h"
#include "core/world/SpriteManager.h"
#include "core/world/StationData.h"
#include "core/world/UnitTaskRecord.h"
#include "game/app/GameMessages.h"
#include "game/sim/Squad.h"
#include "game/sim/SquadManager.h"
#include "game/sim/SquadServices.h"
#include "core/util/ByteStream.h"
#include "platform/system/MessageBox.h"

#include <cstring>
#include <string>
#include <strings.h>

namespace {

float FloatFromBits(int32_t bits)
{
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

int32_t BitsFromFloat(float value)
{
    int32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

} // namespace

void CSquadManager::ApplySquadOrder(const uint8_t* payload, size_t length)
{
    CByteReader r(payload, length);
    int32_t player = 0, order = 0, number = -1, target = -1;
    r.ReadI32(player);
    r.ReadI32(order);
    r.ReadI32(number);
    r.ReadI32(target);
    if (!r.Ok() || length != 16)
        return;
    CSquad* squad = FindSquad(number, 3);
    if (squad)
        squad->ApplyOrder(player, order, FindSquad(target, 3));
}

void CSquadManager::ApplySyncRecords(const uint8_t* payload, size_t length)
{
    CByteReader r(payload, length);
    int32_t u = 0, v = 0;
    r.ReadI32(u);
    r.ReadI32(v);
    if (!r.Ok() || u < 0 || v < 0 ||
        kSyncHeaderSize + static_cast<uint64_t>(kSyncRecordSize) * (static_cast<uint64_t>(u) + v) > length)
        return;
    auto readRecord = [&r](int32_t(&f)[13]) {
        for (int32_t& x : f)
            r.ReadI32(x);
    };
    auto common = [&](CSquad* s, const int32_t(&f)[13]) {
        s->m_fHealthPct = FloatFromBits(f[0]);
        const uint32_t flags = static_cast<uint32_t>(f[2]);
        s->m_nFlags = (s->m_nFlags & ~0x3C0u) | (flags & 0x3C0u & ~static_cast<uint32_t>(kSqPositionChanged));
        if (f[3] != s->m_nState)
            s->SetOrder(f[3], true, true, true);
        s->m_pTarget = FindSquad(f[9], 3);
        if (s->m_pSprite)
            s->m_pSprite->m_Placement.Flags = (s->m_pSprite->m_Placement.Flags & ~0x460000) | (f[12] & 0x460000);
    };
    const std::vector<CSquad*> units = m_aUnits, vehicles = m_aVehicles;
    for (int32_t i = 0; i < u; ++i) {
        int32_t f[13];
        readRecord(f);
        if (static_cast<size_t>(i) >= units.size())
            continue;
        CSquad* s = units[static_cast<size_t>(i)];
        s->m_fFatiguePct = FloatFromBits(f[1]);
        if (static_cast<uint32_t>(f[2]) & kSqPositionChanged) {
            s->m_fX = static_cast<float>(f[10]);
            s->m_fY = static_cast<float>(f[11]);
            if (s->m_pSprite)
                s->m_pSprite->SetWorldPosition(f[10], f[11]);
            Services().Redraw();
        }
        common(s, f);
        s->m_pLink = FindSquad(f[8], 3);
        s->UpdateHealthState();
    }
    for (int32_t i = 0; i < v; ++i) {
        int32_t f[13];
        readRecord(f);
        if (static_cast<size_t>(i) >= vehicles.size())
            continue;
        CSquad* s = vehicles[static_cast<size_t>(i)];
        common(s, f);
        for (int k = 0; k < 4; ++k)
            s->m_apLoaded[k] = FindSquad(f[4 + k], 3);
        s->UpdateHealthState();
    }
}

void CSquadManager::ApplySquadPosition(const uint8_t* payload, size_t length)
{
    CByteReader r(payload, length);
    float vx = 0, vy = 0, tx = 0, ty = 0, x = 0, y = 0;
    int32_t number = -1, player = -1;
    r.ReadFloat(vx);
    r.ReadFloat(vy);
    r.ReadFloat(tx);
    r.ReadFloat(ty);
    r.ReadFloat(x);
    r.ReadFloat(y);
    r.ReadI32(number);
    r.ReadI32(player);
    if (!r.Ok() || length != 32)
        return;
    if (CSquad* squad = FindSquad(number, 3))
        squad->ApplyPosition(vx, vy, tx, ty, x, y, player);
}

void CSquadManager::ApplySquadStatus(const uint8_t* payload, size_t length)
{
    CByteReader r(payload, length);
    int32_t zero = 0, next = 0, number = -1;
    r.ReadI32(zero);
    r.ReadI32(next);
    r.ReadI32(number);
    if (!r.Ok() || length != 16)
        return;
    if (CSquad* squad = FindSquad(number, 3))
        squad->SetOrder(next, true, true, true);
}

void CSquadManager::ApplySquadSound(const uint8_t* payload, size_t length)
{
    CByteReader r(payload, length);
    int32_t number = -1, sound = 0, loop = 0;
    float volume = 0;
    r.ReadI32(number);
    r.ReadI32(sound);
    r.ReadFloat(volume);
    r.ReadI32(loop);
    if (!r.Ok() || length != 16)
        return;
    CSquad* squad = FindSquad(number, 3);
    CSquadServices& services = Services();
    if (!squad || squad->m_nOrderPlayer != services.nLocalPlayer)
        return;
    // Only a looping sound's channel is kept (it is the one stopped later).
    if (loop) {
        squad->StopLoopSound();
        squad->m_nSoundChannel = services.PlaySound(sound, volume, true);
    } else {
        services.PlaySound(sound, volume, false);
    }
}

void CSquadManager::ApplySquadCancel(const uint8_t* payload, size_t length)
{
    CByteReader r(payload, length);
    int32_t number = -1;
    r.ReadI32(number);
    if (!r.Ok() || length != 4)
        return;
    if (CSquad* squad = FindSquad(number, 3)) {
        squad->m_nFlags &= ~(kSqPathRequest | kSqFast);
        squad->SetOrder(kActIdle, true, false, true);
    }
}

bool CSquadManager::RequestDispatch(CSprite* station, int line)
{
    CStationData* data = station ? station->m_pStationData : nullptr;
    CStationResource* resource = data ? data->GetResource(line) : nullptr;
    if (!resource || resource->m_nAvailable < 1)
        return false;
    CSquadServices& services = Services();
    int delay = SquadRand() % kDispatchDelaySpread + kDispatchDelayBase;
    if (services.UnitBits(0) & 0x80)
        delay /= 2;
    CByteWriter w;
    w.WriteI32(data->m_nStationKind);
    w.WriteI32(station->m_Placement.ServiceId);
    w.WriteI32(line);
    w.WriteI32(delay);
    services.Post(kGmStationDispatch, w.Bytes(), w.Size());
    return true;
}

void CSquadManager::ApplyStationDispatch(const uint8_t* payload, size_t length)
{
    CByteReader r(payload, length);
    int32_t kind = 0, serviceId = 0, line = 0, delay = 0;
    r.ReadI32(kind);
    r.ReadI32(serviceId);
    r.ReadI32(line);
    r.ReadI32(delay);
    if (!r.Ok() || length != 16 || !m_pSprites)
        return;
    // The delay becomes a timer of delay x 30 steps: only what a dispatch request sends is taken.
    if (delay < kDispatchDelayMin || delay > kDispatchDelayMax) {
        platform::DebugOutput("Station dispatch dropped: a delay of " + std::to_string(delay) + " seconds");
        return;
    }
    CSprite* station = m_pSprites->FindSpriteBySubtype(kind, serviceId);
    if (station && station->Kind() == kStationSprite)
        DispatchFromStation(station, line, delay);
}

bool CSquadManager::DispatchFromStation(CSprite* station, int line, int delay)
{
    CStationData* data = station ? station->m_pStationData : nullptr;
    CStationResource* resource = data ? data->GetResource(line) : nullptr;
    if (!resource || resource->m_nAvailable < 1 || !m_pSprites)
        return false;
    // Everything must exist before anything is added.
    const CSprite* unitTemplate = m_pSprites->FindTemplateByName(resource->m_szName, kUnitSprite);
    if (!unitTemplate || !unitTemplate->m_pUnitTask)
        return false;
    const CSprite* vehicleTemplate =
        m_pSprites->FindTemplateByName(unitTemplate->m_pUnitTask->m_szCarrierName, kVehicleSprite);
    if (!vehicleTemplate)
        return false;
    const CSprite* units = m_pSprites->GetTemplates(kUnitSprite);
    const CSprite* vehiclesBase = m_pSprites->GetTemplates(kVehicleSprite);
    CSquadServices& services = Services();
    const int32_t agencyBit = AgencyBitFromIndex(resource->m_AgencyIndex);
    const bool ownAgency = (static_cast<int32_t>(services.uLocalRoles) & agencyBit) != 0;

    CPlacement placement;
    placement.AgencyIndex = resource->m_AgencyIndex;
    placement.Type = kUnitSprite;
    placement.Id = static_cast<int32_t>(unitTemplate - units);
    placement.WorldX = station->m_Placement.WorldX;
    placement.WorldY = station->m_Placement.WorldY;
    CSprite* unitSprite = m_pSprites->CreateUnitSprite(placement, true);
    placement.Type = kVehicleSprite;
    placement.Id = static_cast<int32_t>(vehicleTemplate - vehiclesBase);
    CSprite* vehicleSprite = unitSprite ? m_pSprites->CreateVehicleSprite(placement, true) : nullptr;
    if (!vehicleSprite) {
        if (unitSprite)
            m_pSprites->RemoveSprite(unitSprite, true);
        return false;
    }
    CSquad* unit = AddSquad(kUnitSprite);
    CSquad* vehicle = unit ? AddSquad(kVehicleSprite) : nullptr;
    if (!vehicle) {
        if (unit)
            RemoveSquad(unit, true);
        m_pSprites->RemoveSprite(unitSprite, true);
        m_pSprites->RemoveSprite(vehicleSprite, true);
        return false;
    }
    unit->AttachSprite(unitSprite, this);
    unit->m_nFlags |= kSqAreaMap;
    if (resource->m_bOnCall == 1)
        unit->m_nFlags |= kSqAreaMap | kSqWaitAtStation;
    if (ownAgency)
        unitSprite->SetModifiers(kModUnitHighlight, true);

    --resource->m_nAvailable;
    vehicle->AttachSprite(vehicleSprite, this);
    vehicle->LoadSquad(unit, true, true);
    vehicle->m_nFlags |= kSqAreaMap;
    if (vehicle->m_pUnitRecord && vehicle->m_pUnitRecord->m_nCapacity > 0)
        vehicleSprite->SetModifiers(kModCarries, true);
    if (resource->m_bOnCall) {
        vehicleSprite->m_Placement.Flags |= kSpriteWaiting;
        vehicle->m_nFlags |= kSqWaitAtStation;
        vehicle->m_nNextState = kActIdle;
        vehicle->m_nTimer = delay * 30;
    } else {
        // Only the authority builds the route; the others follow its order and position messages.
        if (services.bAuthority)
            vehicle->m_nFlags |= kSqPathRequest;
        vehicle->m_nNextState = kActGoToIncident;
    }
    unit->m_pHomeStation = station;
    vehicle->m_pHomeStation = station;
    if (vehicle->m_pUnitRecord)
        vehicle->m_pUnitRecord->m_fSpeed = data->m_fRouteSpeed;
    if (services.bAuthority) {
        CByteWriter w;
        w.WriteI32(0);
        w.WriteFloat(-static_cast<float>(unitTemplate->m_pUnitTask->m_nResourceCost));
        services.Post(kGmResourcePoints, w.Bytes(), w.Size());
    }
    if (ownAgency)
        vehicleSprite->SetModifiers(kModVehicleHighlight, true);
    m_pSprites->MarkAgencySprites(static_cast<int32_t>(services.uLocalRoles));
    // Called from its dispatch: a vehicle still on its way, or sent back to the incident, is one call. (It used
    // to count on each arrival at the incident, so demobilization could find more not returned than called.)
    ++services.Score().nAreaSquadsCalled;
    return true;
}

void CSquadManager::DeployToIncident(CSquad* squad)
{
    if (!squad)
        return;
    CSquadServices& services = Services();
    CMap2DLinked* map = m_pOther && m_pOther->m_pMap ? m_pOther->m_pMap : m_pMap;
    if (!map)
        return;
    CStationData* station = squad->m_pHomeStation ? squad->m_pHomeStation->m_pStationData : nullptr;
    CMapCell* edge = nullptr;
    int direction = station ? station->m_nRouteDirection : -1;
    if (direction >= 0)
        edge = map->PickEdgeTile(direction, SquadRand);
    for (int d : {0, 2, 4, 6}) {
        if (edge)
            break;
        edge = map->PickEdgeTile(d, SquadRand);
        direction = d;
    }
    if (!edge)
        return;
    const int c = edge->m_Position.m_nColumn, row = edge->m_Position.m_nRow;
    int x = 0, y = 0;
    switch (direction) {
    case 0:
        x = 32 * c + 16;
        y = 32 * row + 64;
        break;
    case 2:
        x = 32 * (c - 2);
        y = 32 * row + 16;
        break;
    case 4:
        x = 32 * c + 16;
        y = 32 * row - 64;
        break;
    default:
        x = 32 * (c + 2);
        y = 32 * row + 16;
        break;
    }
    int32_t flags = squad->IsVehicle() ? 0x1 : 0;
    int tx = -1, ty = -1;
    ISquadWorld& world = services.World();
    const std::pair<int, int32_t> targets[] = {{kCodeBase, 0x2}, {kCodeCommandPost, 0x4}, {kCodeIncidentSite, 0x8}};
    for (const auto& [code, bit] : targets) {
        int fx = 0, fy = 0;
        bool subdivided = false;
        if (world.FindFacility(code, &fx, &fy, &subdivided)) {
            int spread = subdivided ? 8 : 32;
            tx = fx + SquadRand() % spread;
            ty = fy + SquadRand() % spread;
            flags |= bit;
            break;
        }
    }
    CByteWriter w;
    w.WriteI32(squad->Number());
    w.WriteI32(flags);
    w.WriteI32(x);
    w.WriteI32(y);
    w.WriteI32(tx);
    w.WriteI32(ty);
    w.WriteI32(BitsFromFloat(squad->m_pUnitRecord ? squad->m_pUnitRecord->m_fSpeed : 0.0f));
    w.WriteI32(services.nLocalPlayer);
    services.Post(kGmSquadDeployed, w.Bytes(), w.Size());
}

void CSquadManager::ApplySquadDeployed(const uint8_t* payload, size_t length)
{
    CByteReader r(payload, length);
    int32_t number = -1, flags = 0, x = 0, y = 0, tx = -1, ty = -1, speed = 0, player = -1;
    for (int32_t* v : {&number, &flags, &x, &y, &tx, &ty, &speed, &player})
        r.ReadI32(*v);
    if (!r.Ok() || length != 32 || !m_pOther)
        return;
    CSquad* squad =
        (flags & 0x1) ? (number >= kVehicleNumberBase ? FindSquad(number, 2) : nullptr) : FindSquad(number, 3);
    if (!squad)
        return;
    CSquadServices& services = Services();
    squad->m_fX = squad->m_fDeployX = static_cast<float>(x);
    squad->m_fY = squad->m_fDeployY = static_cast<float>(y);
    squad->m_fReportedX = squad->m_fSeenX = squad->m_fX;
    squad->m_fReportedY = squad->m_fSeenY = squad->m_fY;
    squad->PlaceSprite();
    TransferSquad(squad);
    for (CSquad* loaded : squad->m_apLoaded) {
        if (!loaded)
            continue;
        loaded->m_fX = squad->m_fX;
        loaded->m_fY = squad->m_fY;
        loaded->PlaceSprite();
    }
    if (squad->m_pUnitRecord)
        squad->m_pUnitRecord->m_fSpeed = FloatFromBits(speed);
    if (tx == -1 || ty == -1) {
        squad->SetState(kActIdle, true, true, true);
    } else {
        squad->m_nFlags |= kSqDeploying;
        if (player == services.nLocalPlayer) {
            squad->m_nDestX = tx;
            squad->m_nDestY = ty;
            squad->m_nFlags |= kSqPathRequest;
            if (flags & 0x2)
                squad->m_nFlags |= kSqFast;
        }
        squad->m_nOutcome = (flags & 0x2) ? 9 : (flags & 0x4) ? 10 : 11;
        squad->m_nNextState = kActNotReady;
    }
    CSquadManager* scenario = squad->m_pManager;
    if (squad->m_pSprite && scenario && scenario->m_pSprites && (services.UnitBits(2) & 0x1)) {
        int32_t roles = static_cast<int32_t>(services.uLocalRoles);
        if (squad->m_pSprite->MatchesAgencyMask(scenario->m_pModeRecord, &roles, scenario->m_pSprites)) {
            services.PlaySound(11, 1.0f, false);
        }
    }
}

void CSquadManager::ApplySquadAtStation(const uint8_t* payload, size_t length)
{
    CByteReader r(payload, length);
    int32_t id = -1, vehicle = 0;
    r.ReadI32(id);
    r.ReadI32(vehicle);
    // An id past the vehicle numbers names nothing (its vehicle number would overflow).
    if (!r.Ok() || length != 32 || !m_pOther || id < 0 || id > INT32_MAX - kVehicleNumberBase)
        return;
    CSquad* squad = vehicle ? FindSquad(id + kVehicleNumberBase, 2) : FindSquad(id, 3);
    if (!squad)
        return;
    CSquadServices& services = Services();
    services.LeaveTargetingFor(squad);
    TransferSquad(squad);
    squad->m_nFlags |= kSqAreaMap;
    CStationData* station = squad->m_pHomeStation ? squad->m_pHomeStation->m_pStationData : nullptr;
    if (station && station->m_pRouteFromStation && station->m_pRouteFromStation->m_pTile) {
        const CPathTile* first = station->m_pRouteFromStation->m_pTile;
        squad->m_fX = static_cast<float>(first->m_nX);
        squad->m_fY = static_cast<float>(first->m_nY);
        squad->m_fReportedX = squad->m_fSeenX = squad->m_fX;
        squad->m_fReportedY = squad->m_fSeenY = squad->m_fY;
        squad->PlaceSprite();
    }
    squad->SetState(kActIdle, true, true, true);
    squad->m_nNextState = kActReturnToStation;
    if (!station) {
        squad->m_nFlags |= kSqReleased; // nowhere to go back to
        return;
    }
    // The route starts from a one-node list at the route's incident end.
    if (station->m_pRouteFromStation && station->m_pRouteFromStation->m_pTile)
        squad->SetSingleWaypoint(station->m_pRouteFromStation->m_pTile->m_nX,
                                 station->m_pRouteFromStation->m_pTile->m_nY);
    if (services.bAuthority)
        squad->StartStationRoute(kActGoToStation);
}

void CSquadManager::ApplySquadReleased(const uint8_t* payload, size_t length)
{
    CByteReader r(payload, length);
    int32_t id = -1, vehicle = 0;
    r.ReadI32(id);
    r.ReadI32(vehicle);
    if (!r.Ok() || length != 32 || id < 0 || id > INT32_MAX - kVehicleNumberBase)
        return;
    CSquad* squad = vehicle ? FindSquad(id + kVehicleNumberBase, 2) : FindSquad(id, 3);
    if (!squad)
        return;
    CSquadServices& services = Services();
    if (services.pSelected == squad)
        services.pSelected = nullptr;
    for (CSquad* loaded : squad->m_apLoaded) {
        if (!loaded)
            continue;
        if (services.pSelected == loaded)
            services.pSelected = nullptr;
        CSprite* home = loaded->m_pHomeStation ? loaded->m_pHomeStation : squad->m_pHomeStation;
        CStationData* data = home ? home->m_pStationData : nullptr;
        const char* name = loaded->m_pSprite ? loaded->m_pSprite->m_szName : "";
        for (int i = 0; data && i < CStationData::kResourceSlots; ++i) {
            CStationResource* res = data->GetResource(i);
            if (res && res->m_nAgencyKind == loaded->AgencyKind() && res->m_bOnCall == 0 &&
                strcasecmp(res->m_szName, name) == 0) {
                ++res->m_nAvailable;
                loaded->m_nFlags |= kSqReleased;
                break;
            }
        }
    }
    squad->m_nFlags |= kSqReleased;
}

void CSquadManager::TransferSquad(CSquad* squad)
{
    if (!squad || !m_pOther || !ContainsSquad(squad))
        return;
    CSquadManager* other = m_pOther;
    auto move = [&](CSquad* s, int kind) {
        RemoveSquad(s, false);
        s->m_nFlags &= kSqGear | kSqCompliant;
        other->AddSquad(kind, s);
        s->m_pManager = other;
        if (s->m_pSprite && other->m_pSprites)
            other->m_pSprites->AddSprite(s->m_pSprite, s->m_pSprite->m_Placement.ServiceId == 0);
    };
    if (!squad->IsVehicle()) {
        move(squad, kUnitSprite);
        return;
    }
    move(squad, kVehicleSprite);
    for (CSquad* loaded : squad->m_apLoaded)
        if (loaded && ContainsSquad(loaded))
            move(loaded, kUnitSprite);
}
