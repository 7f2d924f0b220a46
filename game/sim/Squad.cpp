// The squad's record: binding to its sprite, the central state change, status, ring-walk visits and its
// saved-game record.
#include "game/sim/Squad.h"

#include "core/world/PathData.h"
#include "core/world/Sprite.h"
#include "core/world/SpriteManager.h"
#include "core/world/StationData.h"
#include "core/world/UnitTaskRecord.h"
#include "game/sim/SquadManager.h"
#include "game/sim/SquadServices.h"
#include "core/util/ByteStream.h"

#include <cmath>

CSquad::CSquad(int32_t id) : m_nID(id) {}

CSquad::~CSquad()
{
    // Markers belong to the sprite manager; they go with the lists.
    if (m_pManager) {
        Stop();
        FreeWaypoints(m_pNewWaypoints);
    } else {
        for (CWaypoint** list : {&m_pWaypoints, &m_pNewWaypoints}) {
            while (CWaypoint* node = *list) {
                *list = node->pNext;
                delete node;
            }
        }
    }
}

CSquadServices& CSquad::Services() const
{
    return m_pManager->Services();
}

int CSquad::AgencyKind() const
{
    return m_pUnitRecord ? m_pUnitRecord->m_nAgencyKind : -1;
}

int CSquad::TemplateIndex() const
{
    return m_pSprite ? m_pSprite->m_Placement.Id : -1;
}

bool CSquad::IsVehicle() const
{
    return m_pSprite && m_pSprite->Kind() == kVehicleSprite;
}

bool CSquad::IsHidden() const
{
    return m_pSprite && (m_pSprite->m_Placement.Flags & kSpriteHidden);
}

bool CSquad::IsLoaded() const
{
    return m_pSprite && (m_pSprite->m_Placement.Flags & kSpriteLoaded);
}

int32_t CSquad::Number() const
{
    return CSquadManager::GetSquadNumber(this);
}

bool CSquad::IsMovingAction(int action)
{
    return action == kActMoveSlowly || action == kActMove || action == kActEvacuate || action == kActEscort ||
           action == kActTowVehicle;
}

bool CSquad::IsResponder() const
{
    int kind = AgencyKind();
    return kind >= 0 && kind <= 4;
}

bool CSquad::HasLoadedSquads() const
{
    for (CSquad* s : m_apLoaded)
        if (s)
            return true;
    return false;
}

bool CSquad::InMap(int x, int y) const
{
    int w = m_pManager ? m_pManager->MapWidth() : 3200;
    int h = m_pManager ? m_pManager->MapHeight() : 2400;
    return x >= 0 && x < w && y >= 0 && y < h;
}

void CSquad::SetIdleMarker(bool on)
{
    int kind = AgencyKind();
    if (!m_pSprite || kind == 5 || kind == 6)
        return;
    m_pSprite->SetModifiers(IsVehicle() ? kModVehicleIdle : kModUnitIdle, on);
}

void CSquad::AttachSprite(CSprite* sprite, CSquadManager* manager)
{
    m_pSprite = sprite;
    m_pManager = manager;
    m_pUnitRecord = sprite ? sprite->m_pUnitTask : nullptr;
    Stop();
    StopLoopSound();
    if (!sprite)
        return;
    sprite->m_Placement.Flags |= kSpriteIdleMarker;
    SetIdleMarker(true);
    m_nState = kActIdle;
    m_nNextState = 0;
    m_nTimer = 0;
    Services().Notify(kNotifyActionStarted, this, kActIdle);
    m_fX = static_cast<float>(sprite->m_Placement.WorldX);
    m_fY = static_cast<float>(sprite->m_Placement.WorldY);
    m_fReportedX = m_fSeenX = m_fX;
    m_fReportedY = m_fSeenY = m_fY;
    m_fHealth = m_pUnitRecord ? m_pUnitRecord->m_fMaxHealth : 0.0f;
    m_fHealthPct = 100.0f;
    // A fresh squad works at full efficiency until its first condition update says otherwise.
    m_fEfficiency = 1.0f;
    int index = TemplateIndex();
    bool vehicle = IsVehicle();
    if ((!vehicle && (index == 7 || index == 19)) || (vehicle && index == 13)) {
        m_nFlags |= kSqGear;
        sprite->SetModifiers(kModGear, true);
    }
    if (AgencyKind() == 5)
        m_nFlags |= kSqCompliant;
    m_nVisFlags |= kVisFirstPass;
}

void CSquad::SetState(int action, bool stop, bool notifyEnd, bool notifyStart)
{
    if (action < 0 || action >= kActionCount)
        return;
    if (stop)
        Stop();
    if (m_pSprite)
        m_pSprite->m_Placement.Flags &= ~kSpriteIdleMarker;
    if (action == kActIdle) {
        if (notifyEnd)
            Services().Notify(kNotifyActionEnded, this, m_nState);
        StopLoopSound();
        if (m_pSprite)
            m_pSprite->m_Placement.Flags |= kSpriteIdleMarker;
    } else if (action == kActIncapacitated || action == kActKilled) {
        m_nFlags |= action == kActIncapacitated ? kSqIncapacitatedOnce : kSqKilledOnce;
        Services().LeaveTargetingFor(this);
        if (m_pSprite)
            m_pSprite->m_Placement.Flags |= kSpriteDown;
    }
    SetIdleMarker(action == kActIdle);
    m_nState = static_cast<uint8_t>(action);
    m_nNextState = 0;
    m_nTimer = 0;
    m_nFlags &= ~kSqSoundSent;
    if (notifyStart && action >= 1 && action != kActCancel && action != kActInfo)
        Services().Notify(kNotifyActionStarted, this, action);
}

void CSquad::FreeWaypoints(CWaypoint*& list)
{
    while (CWaypoint* node = list) {
        list = node->pNext;
        if (node->pMarker && m_pManager) {
            CSpriteManager* own = m_pManager->GetSpriteManager();
            CSquadManager* other = m_pManager->GetOther();
            if (!(own && own->RemoveSprite(node->pMarker, true)) && other && other->GetSpriteManager())
                other->GetSpriteManager()->RemoveSprite(node->pMarker, true);
        }
        delete node;
    }
}

void CSquad::Stop()
{
    m_nFlags &= ~kSqMoving;
    m_fVelX = m_fVelY = 0.0f;
    FreeWaypoints(m_pWaypoints);
}

void CSquad::SetSingleWaypoint(int x, int y)
{
    FreeWaypoints(m_pWaypoints);
    auto* node = new CWaypoint();
    node->x = x;
    node->y = y;
    m_pWaypoints = node;
}

void CSquad::StopLoopSound()
{
    if (m_nSoundChannel >= 0 && m_pManager)
        Services().StopLoop(m_nSoundChannel);
    m_nSoundChannel = -1;
}

void CSquad::SetOrder(int action, bool stop, bool notifyEnd, bool notifyStart)
{
    if (action < 0 || action >= kActionCount)
        return;
    m_nRequestedState = action;
    m_bRequestStop = stop;
    m_bRequestNotifyEnd = notifyEnd;
    m_bRequestNotifyStart = notifyStart;
}

void CSquad::GiveOrder(int32_t player, int action, int x, int y, uint32_t flagBits, CSquad* target)
{
    if (action >= 0 && action < kActionCount)
        m_nNextState = action;
    if (InMap(x, y)) {
        m_nDestX = x;
        m_nDestY = y;
    }
    m_nFlags |= flagBits;
    m_pTarget = target;
    m_nOrderPlayer = player;
}

int CSquad::GetStatusIndex() const
{
    if (m_nNextState == kActDirect)
        return kActMoveSlowly;
    if (m_nNextState == 0 || m_nNextState == 1) {
        if (m_nHealthState == kHealthIncapacitated)
            return kActIncapacitated;
        if (m_nHealthState == kHealthKilled)
            return kActKilled;
        return m_nState;
    }
    return m_nNextState;
}

bool CSquad::Visit(CPathTile* tile)
{
    ISquadWorld& world = Services().World();
    switch (m_nWalkKind) {
    case 3: {
        int band = world.FireClassAt(tile);
        if (band >= 1 && band <= 3)
            world.ReduceFire(tile, m_fVisitAmount);
        return false;
    }
    case 4: {
        static const float kFloor[4] = {0.0f, 0.0f, 5.0f, 15.0f};
        int band = world.FireClassAt(tile);
        if (band < 0 || band > 3)
            band = 0;
        if (m_fVisitResult < kFloor[band])
            m_fVisitResult = kFloor[band];
        return false;
    }
    case 5:
        world.ReduceChemical(tile, m_fVisitAmount);
        return false;
    default:
        return true;
    }
}

// ---- saved-game record ----

void CSquad::SaveState(CByteWriter& out) const
{
    CStationData* station = m_pHomeStation ? m_pHomeStation->m_pStationData : nullptr;
    out.WriteI32(station ? station->m_nStationKind : -1);
    out.WriteI32(m_pHomeStation ? m_pHomeStation->m_Placement.ServiceId : -1);
    out.WriteI32(CSquadManager::GetSquadNumber(m_pLink));
    out.WriteU32(m_nFlags);
    out.WriteFloat(m_fHealth);
    out.WriteFloat(m_fContamination);
    out.WriteFloat(m_fFatigue);
    // A path request not yet served goes to the pending destination: the load makes the stored one pending again.
    const bool requested = (m_nFlags & kSqPathRequest) && m_nDestX >= 0 && m_nDestY >= 0;
    out.WriteI32(requested ? m_nDestX : m_nLastDestX);
    out.WriteI32(requested ? m_nDestY : m_nLastDestY);
    out.WriteFloat(m_fDeployX);
    out.WriteFloat(m_fDeployY);
    out.WriteFloat(m_fX);
    out.WriteFloat(m_fY);
    out.WriteFloat(m_fReportedX);
    out.WriteFloat(m_fReportedY);
    out.WriteU8(m_nState);
    out.WriteI32(m_nNextState);
    out.WriteI32(CSquadManager::GetSquadNumber(m_pTarget));
    out.WriteI32(m_nTimer);
    out.WriteI32(m_nOutcome);
    for (CSquad* s : m_apLoaded)
        out.WriteI32(CSquadManager::GetSquadNumber(s));
    out.WriteI32(m_nSoundChannel);
    if ((m_nFlags & kSqAreaMap) && m_pWaypoints) {
        out.WriteI32(m_pWaypoints->x);
        out.WriteI32(m_pWaypoints->y);
    } else {
        out.WriteI32(0);
        out.WriteI32(0);
    }
}

bool CSquad::LoadState(CByteReader& in)
{
    int32_t stationKind = -1, serviceId = -1, lastX = -1, lastY = -1, wx = 0, wy = 0, channel = -1;
    uint32_t flags = 0;
    float health = 0, contamination = 0, fatigue = 0, dx = 0, dy = 0, x = 0, y = 0, rx = 0, ry = 0;
    uint8_t state = 0;
    int32_t next = 0, link = -1, target = -1, timer = 0, outcome = 0, loaded[4] = {-1, -1, -1, -1};
    in.ReadI32(stationKind);
    in.ReadI32(serviceId);
    in.ReadI32(link);
    in.ReadU32(flags);
    in.ReadFloat(health);
    in.ReadFloat(contamination);
    in.ReadFloat(fatigue);
    in.ReadI32(lastX);
    in.ReadI32(lastY);
    in.ReadFloat(dx);
    in.ReadFloat(dy);
    in.ReadFloat(x);
    in.ReadFloat(y);
    in.ReadFloat(rx);
    in.ReadFloat(ry);
    in.ReadU8(state);
    in.ReadI32(next);
    in.ReadI32(target);
    in.ReadI32(timer);
    in.ReadI32(outcome);
    for (int32_t& n : loaded)
        in.ReadI32(n);
    in.ReadI32(channel);
    in.ReadI32(wx);
    in.ReadI32(wy);
    if (!in.Ok())
        return false;
    (void)channel; // a channel of the previous run means nothing now

    m_pHomeStation = nullptr;
    if (stationKind != -1 && serviceId != -1 && m_pManager) {
        auto lookup = [&](CSquadManager* manager) -> CSprite* {
            CSpriteManager* sprites = manager ? manager->GetSpriteManager() : nullptr;
            CSprite* s = sprites ? sprites->FindSpriteBySubtype(stationKind, serviceId) : nullptr;
            return s && s->m_pStationData ? s : nullptr;
        };
        m_pHomeStation = lookup(m_pManager);
        if (!m_pHomeStation)
            m_pHomeStation = lookup(m_pManager->GetOther());
    }
    m_nLoadLink = link;
    m_nLoadTarget = target;
    for (int i = 0; i < 4; ++i)
        m_anLoadLoaded[i] = loaded[i];
    m_pLink = m_pTarget = nullptr;
    for (CSquad*& s : m_apLoaded)
        s = nullptr;
    m_nFlags = flags;
    m_fHealth = health;
    m_fContamination = contamination;
    m_fFatigue = fatigue;
    // As the condition step works them out; without a maximum, as a fresh squad has them.
    const float maxHealth = m_pUnitRecord ? m_pUnitRecord->m_fMaxHealth : 0.0f;
    const float maxFatigue = m_pUnitRecord ? m_pUnitRecord->m_fMaxFatigue : 0.0f;
    m_fHealthPct = maxHealth > 0.0f ? Percent(m_fHealth, maxHealth) : 100.0f;
    m_fFatiguePct = maxFatigue > 0.0f ? Percent(m_fFatigue, maxFatigue) : 0.0f;
    m_nDestX = lastX;
    m_nDestY = lastY;
    m_nLastDestX = m_nLastDestY = -1;
    m_fDeployX = dx;
    m_fDeployY = dy;
    m_fX = x;
    m_fY = y;
    m_fReportedX = rx;
    m_fReportedY = ry;
    m_fSeenX = x;
    m_fSeenY = y;
    m_nState = state < kActionCount ? state : static_cast<uint8_t>(kActIdle);
    m_nNextState = next >= 0 && next < kActionCount ? next : 0;
    m_nTimer = timer;
    m_nOutcome = outcome;
    m_nSoundChannel = -1;
    FreeWaypoints(m_pWaypoints);
    FreeWaypoints(m_pNewWaypoints);
    if (m_nFlags & kSqAreaMap)
        SetSingleWaypoint(wx, wy);
    if (m_pSprite) {
        m_pSprite->SetWorldPosition(TruncInt(m_fX), TruncInt(m_fY));
        if (const RECT* view = Services().pView)
            m_pSprite->UpdateScreenRect(*view);
    }
    if (!Services().bAuthority)
        m_nFlags &= ~kSqMoving;
    m_bMovementLoaded = false;
    // The health state is what the sprite's saved marks say, so the first condition check after the load sees no
    // change: a squad that was down does not go down again, and the engine hears of no new injury or kill.
    m_nHealthState = kHealthWell;
    if (const int32_t marks = m_pSprite ? m_pSprite->m_Placement.Modifiers : 0; IsVehicle())
        m_nHealthState = marks & kModDestroyed ? kHealthKilled : kHealthWell;
    else if (marks & kModKilled)
        m_nHealthState = kHealthKilled;
    else if (marks & kModIncapacitated)
        m_nHealthState = kHealthIncapacitated;
    else if (marks & kModInjured)
        m_nHealthState = kHealthInjured;
    return true;
}

void CSquad::ResolveLoadedLinks()
{
    if (!m_pManager)
        return;
    m_pLink = m_pManager->FindSquad(m_nLoadLink, 3);
    m_pTarget = m_pManager->FindSquad(m_nLoadTarget, 3);
    for (int i = 0; i < 4; ++i)
        m_apLoaded[i] = m_pManager->FindSquad(m_anLoadLoaded[i], 3);
    m_nLoadLink = m_nLoadTarget = -1;
    for (int32_t& n : m_anLoadLoaded)
        n = -1;
}
