// Squad movement: path requests, waypoints, the per-step position update, movement and arrival messages,
// the visibility pass, station routes and the action sounds.
#include "core/world/AStar.h"
#include "core/world/PathData.h"
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

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

int Trunc(float value)
{
    return TruncInt(value);
}

// Whether two positions differ by at least `pixels` once the difference is truncated.
bool Apart(float a, float b, int pixels)
{
    const int d = Trunc(a - b);
    return d >= pixels || d <= -pixels;
}

} // namespace

void CSquad::MovementStep()
{
    CSquadServices& services = Services();
    if (services.pOrderSquad == this && m_pSprite && (m_pSprite->m_Placement.Flags & (kSpriteHidden | kSpriteLoaded)))
        services.LeaveTargetingFor(this);
    if (m_nRequestedState != 0) {
        int requested = m_nRequestedState;
        m_nRequestedState = 0;
        SetState(requested, m_bRequestStop, m_bRequestNotifyEnd, m_bRequestNotifyStart);
    }
    PositionStep();
    if (m_nFlags & kSqPathRequest) {
        if (m_nFlags & kSqAreaMap) {
            m_nFlags &= ~kSqPathRequest;
            CStationData* station = m_pHomeStation ? m_pHomeStation->m_pStationData : nullptr;
            if (station && station->m_pRouteFromStation) {
                std::vector<CPathPoint> route;
                for (CRouteNode* n = station->m_pRouteFromStation; n && route.size() < 100000; n = n->m_pNext)
                    if (n->m_pTile)
                        route.push_back({n->m_pTile->m_nX, n->m_pTile->m_nY, 32});
                if (!route.empty()) {
                    m_nDestX = route[0].x;
                    m_nDestY = route[0].y;
                    BuildWaypoints(route, false);
                }
            }
        } else {
            RequestPath();
        }
    }
    if (m_nFlags & kSqMoving)
        FollowWaypoints();
    if (m_nVisFlags != 0) {
        const CModeRecord* filter = services.pDrawFilter;
        bool filtered = filter && filter->m_bFilterSwitch && (filter->m_nFilterOptions & 0x10);
        if (!filtered && !IsHidden())
            UpdateVisibility();
    }
}

void CSquad::RequestPath()
{
    m_nFlags &= ~kSqPathRequest;
    if (m_nDestX < 0 || m_nDestY < 0)
        return;
    CSquadServices& services = Services();
    CPathData* grid = m_pManager->GetPathGrid();
    if (!services.pAStar || !grid || !m_pSprite)
        return;
    int sx = 0, sy = 0;
    m_pSprite->GetWorldPosition(&sx, &sy);
    CPathTile* start = grid->GetTileAt(sx, sy);
    CPathTile* goal = grid->GetTileAt(m_nDestX, m_nDestY);
    CAStarNode* found = start && goal ? services.pAStar->FindPath(start, goal, IsVehicle() ? 4 : 3) : nullptr;
    bool built = false;
    if (found) {
        std::vector<CPathTile*> tiles = CAStar::RouteTiles(found);
        std::vector<CPathPoint> path;
        path.reserve(tiles.size());
        for (auto it = tiles.rbegin(); it != tiles.rend(); ++it)
            path.push_back({(*it)->m_nX, (*it)->m_nY, (*it)->Size()});
        const CModeRecord* markers = services.pMarkerFilter;
        bool showMarkers = markers && markers->m_bFilterSwitch && (markers->m_nFilterOptions & 0x8);
        if (!path.empty() && m_pUnitRecord && m_pUnitRecord->m_fSpeed > 0.0f) {
            BuildWaypoints(path, showMarkers);
            built = true;
        }
    }
    if (!built) {
        // Without a path (or without speed) the order cannot be carried out: it is dropped.
        platform::DebugOutput("Squad " + std::to_string(Number()) + ": no path to " + std::to_string(m_nDestX) + "," +
                              std::to_string(m_nDestY));
        m_nNextState = 0;
    }
    m_nLastDestX = m_nDestX;
    m_nLastDestY = m_nDestY;
    m_nDestX = m_nDestY = -1;
    m_nFlags &= ~kSqFast;
}

void CSquad::BuildWaypoints(const std::vector<CPathPoint>& path, bool showMarkers)
{
    const size_t count = path.size() == 1 ? 1 : path.size() - 1;
    const float recordSpeed = m_pUnitRecord ? m_pUnitRecord->m_fSpeed : 0.0f;
    const bool area = (m_nFlags & kSqAreaMap) != 0;
    CWaypoint* list = nullptr;
    for (size_t i = 0; i < count && !path.empty(); ++i) {
        const CPathPoint& p = path[i];
        auto* node = new CWaypoint();
        if (area) {
            node->x = p.x;
            node->y = p.y;
            node->speed = static_cast<float>(static_cast<double>(recordSpeed) * kAreaSpeed);
        } else {
            if (i == 0) {
                node->x = m_nDestX;
                node->y = m_nDestY;
            } else {
                node->x = p.x + p.size / 2;
                node->y = p.y + p.size / 2;
            }
            double speed = static_cast<double>(recordSpeed) * kTacticalSpeed;
            if (m_nFlags & kSqFast)
                speed *= 2.0;
            node->speed = static_cast<float>(speed);
        }
        if (showMarkers)
            node->pMarker = MakeMarker(p.x, p.y, p.size);
        node->pNext = list;
        list = node;
    }
    // A new path replaces the one still waiting, markers and all.
    FreeWaypoints(m_pNewWaypoints);
    m_pNewWaypoints = list;
    PostOrder();
    if (showMarkers)
        Services().Redraw();
}

CSprite* CSquad::MakeMarker(int x, int y, int size)
{
    CSpriteManager* sprites = m_pManager ? m_pManager->GetSpriteManager() : nullptr;
    if (!sprites)
        return nullptr;
    CPlacement placement;
    placement.Type = kFeatureSprite;
    placement.Id = size == 8 ? 1 : 0;
    placement.WorldX = x + size / 2;
    placement.WorldY = y + size / 2;
    return sprites->CreateFeatureSprite(placement, false);
}

void CSquad::FollowWaypoints()
{
    CSquadServices& services = Services();
    CWaypoint* current = m_pWaypoints;
    if (!current) {
        // Moving with nothing to follow: this is an arrival.
        m_nLastDestX = m_nLastDestY = -1;
        m_nFlags &= ~(kSqMoving | kSqVelocitySent);
        m_fVelX = m_fVelY = 0.0f;
        CByteWriter w;
        w.WriteI32(0);
        w.WriteI32(m_nNextState);
        w.WriteI32(Number());
        w.WriteI32(0);
        services.Post(OnAreaMap() ? kGmAreaSquadStatus : kGmSquadStatus, w.Bytes(), w.Size());
        return;
    }
    if (m_fX == static_cast<float>(current->x) && m_fY == static_cast<float>(current->y)) {
        PostPosition(0.0f, 0.0f, m_fX, m_fY);
        m_nFlags &= ~kSqVelocitySent;
        if (current->pMarker) {
            CSpriteManager* sprites = m_pManager->GetSpriteManager();
            if (!(sprites && sprites->RemoveSprite(current->pMarker, true))) {
                current->pMarker->DetachSharedImages();
                delete current->pMarker;
            }
            current->pMarker = nullptr;
        }
        m_pWaypoints = current->pNext;
        delete current;
        if (!m_pWaypoints) {
            m_nLastDestX = m_nLastDestY = -1;
            m_nFlags &= ~kSqMoving;
            CByteWriter w;
            w.WriteI32(0);
            w.WriteI32(m_nNextState);
            w.WriteI32(Number());
            w.WriteI32(0);
            services.Post(OnAreaMap() ? kGmAreaSquadStatus : kGmSquadStatus, w.Bytes(), w.Size());
        }
    }
    if ((m_nFlags & kSqMoving) && !(m_nFlags & kSqVelocitySent) && m_pWaypoints) {
        CWaypoint* wp = m_pWaypoints;
        float dx = static_cast<float>(wp->x) - m_fX;
        float dy = static_cast<float>(wp->y) - m_fY;
        const CSquad* pace = m_pLink && m_pLink != this && m_pLink->m_pWaypoints ? m_pLink : this;
        float s = pace == this ? wp->speed : pace->m_pWaypoints->speed;
        float vx = 0.0f, vy = 0.0f;
        if (dx == 0.0f) {
            vy = dy < 0.0f ? -s : s;
        } else if (dy == 0.0f) {
            vx = dx < 0.0f ? -s : s;
        } else {
            double angle = std::atan(static_cast<double>(dy) / static_cast<double>(dx));
            vx = static_cast<float>(s * std::cos(angle));
            vy = static_cast<float>(s * std::sin(angle));
            if (dx < 0.0f) {
                vx = -vx;
                vy = -vy;
            }
        }
        if (!OnAreaMap()) {
            float factor = services.SquadFactor(kActMoveSlowly, pace->AgencyKind()) * pace->m_fEfficiency;
            vx *= factor;
            vy *= factor;
        }
        if (vx == 0.0f && vy == 0.0f) {
            // No speed: the squad would never get there; it is put on the waypoint instead.
            m_fX = static_cast<float>(wp->x);
            m_fY = static_cast<float>(wp->y);
            PlaceSprite();
        }
        PostPosition(vx, vy, static_cast<float>(wp->x), static_cast<float>(wp->y));
        m_nFlags |= kSqVelocitySent;
    }
    if (m_nNextState == kActGetInVehicle && m_pTarget && (m_nFlags & kSqMoving) && m_nLastDestX >= 0 &&
        (Trunc(m_pTarget->m_fX) != m_nLastDestX || Trunc(m_pTarget->m_fY) != m_nLastDestY)) {
        // The vehicle drove off: give up.
        Stop();
        StopLoopSound();
        if (m_pSprite)
            m_pSprite->m_Placement.Flags |= kSpriteIdleMarker;
        SetIdleMarker(true);
        m_nState = kActIdle;
        m_nNextState = 0;
        m_nTimer = 0;
        m_nFlags &= ~kSqSoundSent;
        services.Notify(kNotifyActionStarted, this, kActIdle);
    }
}

void CSquad::PlaceSprite()
{
    if (!m_pSprite)
        return;
    m_pSprite->SetWorldPosition(Trunc(m_fX + 0.5f), Trunc(m_fY + 0.5f));
    if (const RECT* view = Services().pView)
        m_pSprite->UpdateScreenRect(*view);
}

void CSquad::PositionStep()
{
    if (m_fVelX == 0.0f && m_fVelY == 0.0f)
        return;
    if (std::fabs(m_fVelX) > std::fabs(m_fStepTargetX - m_fX))
        m_fX = m_fStepTargetX;
    else
        m_fX += m_fVelX;
    if (std::fabs(m_fVelY) > std::fabs(m_fStepTargetY - m_fY))
        m_fY = m_fStepTargetY;
    else
        m_fY += m_fVelY;
    for (CSquad* loaded : m_apLoaded) {
        if (!loaded)
            continue;
        loaded->m_fX = m_fX;
        loaded->m_fY = m_fY;
        if (loaded->m_pSprite)
            loaded->m_pSprite->SetWorldPosition(Trunc(m_fX), Trunc(m_fY));
    }
    if (Apart(m_fX, m_fReportedX, 2) || Apart(m_fY, m_fReportedY, 2)) {
        m_fReportedX = m_fX;
        m_fReportedY = m_fY;
        CSquadServices& services = Services();
        services.Notify(kNotifySquadMoved, this, 0);
        for (CSquad* loaded : m_apLoaded)
            if (loaded)
                services.Notify(kNotifySquadMoved, loaded, 0);
    }
    PlaceSprite();
    if (Apart(m_fX, m_fSeenX, 1) || Apart(m_fY, m_fSeenY, 1)) {
        m_fSeenX = m_fX;
        m_fSeenY = m_fY;
        m_nVisFlags |= kVisMoved;
    }
}

namespace {
uint32_t AgencyBit(const CSquad* squad)
{
    int index = squad->m_pSprite ? squad->m_pSprite->m_Placement.AgencyIndex : -1;
    return index >= 0 && index <= 11 ? (32u << index) : 0u;
}
} // namespace

void CSquad::UpdateVisibility()
{
    if (!m_pSprite)
        return;
    int32_t& flags = m_pSprite->m_Placement.Flags;
    if (m_nVisFlags & (kVisFirstPass | kVisMoved))
        flags &= ~static_cast<int32_t>(kVisAgencyBits);
    else
        flags &= ~static_cast<int32_t>(m_nVisFlags & kVisAgencyBits);
    const uint32_t own = AgencyBit(this);
    flags |= static_cast<int32_t>(own);
    m_nVisFlags &= ~own;
    if (AgencyKind() == 6 && IsCompliant()) {
        flags |= static_cast<int32_t>(kVisAgencyBits);
        m_nVisFlags = 0;
        return;
    }
    CPathData* grid = m_pManager->GetPathGrid();
    for (const std::vector<CSquad*>* list : {&m_pManager->Units(), &m_pManager->Vehicles()}) {
        for (CSquad* other : *list) {
            if (m_nVisFlags == 0)
                break;
            if (other == this || !other->m_pSprite || other->IsHidden())
                continue;
            if (other->m_pSprite->m_Placement.AgencyIndex == m_pSprite->m_Placement.AgencyIndex)
                continue;
            const uint32_t theirs = AgencyBit(other);
            if (!(m_nVisFlags & (kVisFirstPass | kVisMoved | theirs)))
                continue;
            uint32_t& otherFlags = reinterpret_cast<uint32_t&>(other->m_pSprite->m_Placement.Flags);
            // The sight line is walked only when its answer can change a bit: the other squad may yet see this
            // one, or this one the other. Otherwise a squad that moved asks the other to recheck whether this
            // agency still sees it (what a failed sight line would do; a recheck finds the truth either way).
            const bool otherMaySee = !other->IsDown() && !(static_cast<uint32_t>(flags) & theirs);
            const bool thisMaySee = !IsDown() && !(otherFlags & own);
            const bool recheck = (m_nVisFlags & kVisMoved) && (otherFlags & own);
            if (!otherMaySee && !thisMaySee) {
                if (recheck)
                    other->m_nVisFlags |= own;
                continue;
            }
            bool sight =
                grid && grid->HasLineOfSight(Trunc(m_fX), Trunc(m_fY), Trunc(other->m_fX), Trunc(other->m_fY), 500);
            if (sight) {
                if (!other->IsDown()) {
                    flags |= static_cast<int32_t>(theirs);
                    m_nVisFlags &= ~theirs;
                }
                if (!IsDown())
                    otherFlags |= own;
            } else if (recheck) {
                other->m_nVisFlags |= own;
            }
        }
    }
    m_nVisFlags = 0;
}

bool CSquad::StartStationRoute(int action)
{
    if (!OnAreaMap() || !m_pHomeStation || !m_pHomeStation->m_pStationData || !m_pWaypoints)
        return false;
    CStationData* station = m_pHomeStation->m_pStationData;
    CRouteNode* route = nullptr;
    if (action == kActGoToIncident || action == kActReturnToIncident)
        route = station->m_pRouteFromStation;
    else if (action == kActGoToStation || action == kActReturnToStation)
        route = station->m_pRouteToStation;
    else
        return false;
    if (!route || !route->m_pTile)
        return false;
    m_nDestX = route->m_pTile->m_nX;
    m_nDestY = route->m_pTile->m_nY;
    std::vector<CPathPoint> scratch;
    const int wx = m_pWaypoints->x, wy = m_pWaypoints->y;
    for (CRouteNode* n = route; n && scratch.size() < 100000; n = n->m_pNext) {
        if (!n->m_pTile)
            continue;
        scratch.push_back({n->m_pTile->m_nX, n->m_pTile->m_nY, 32});
        if (n->m_pTile->m_nX == wx && n->m_pTile->m_nY == wy) {
            Stop();
            if (m_pUnitRecord)
                m_pUnitRecord->m_fSpeed = station->m_fRouteSpeed;
            BuildWaypoints(scratch, false);
            return true;
        }
    }
    return false;
}

void CSquad::PostOrder()
{
    CSquadServices& services = Services();
    CByteWriter w;
    w.WriteI32(services.nLocalPlayer);
    w.WriteI32(m_nNextState);
    w.WriteI32(Number());
    w.WriteI32(CSquadManager::GetSquadNumber(m_pTarget));
    services.Post(OnAreaMap() ? kGmAreaSquadOrder : kGmSquadOrder, w.Bytes(), w.Size());
}

void CSquad::PostPosition(float vx, float vy, float targetX, float targetY)
{
    CByteWriter w;
    w.WriteFloat(vx);
    w.WriteFloat(vy);
    w.WriteFloat(targetX);
    w.WriteFloat(targetY);
    w.WriteFloat(m_fX);
    w.WriteFloat(m_fY);
    w.WriteI32(Number());
    w.WriteI32(m_nOrderPlayer);
    Services().Post(OnAreaMap() ? kGmAreaSquadPosition : kGmSquadPosition, w.Bytes(), w.Size());
}

void CSquad::PlayActionSound(int sound, bool force, float volume, bool loop)
{
    if ((m_nFlags & kSqSoundSent) && !force)
        return;
    m_nFlags |= kSqSoundSent;
    CByteWriter w;
    w.WriteI32(Number());
    w.WriteI32(sound);
    w.WriteFloat(volume);
    w.WriteI32(loop ? 1 : 0);
    Services().Post(kGmSquadSound, w.Bytes(), w.Size());
}

void CSquad::PlayDriveSound()
{
    if (!IsVehicle() || m_nNextState == kActLoadSquad || m_nNextState == kActUnloadAll)
        return;
    int sound = -1;
    switch (TemplateIndex()) {
    case 0:
        sound = 43;
        break;
    case 3:
    case 4:
    case 5:
        sound = 8;
        break;
    case 6:
    case 12:
    case 14:
    case 15:
        sound = 39;
        break;
    case 8:
        sound = 42;
        break;
    case 9:
    case 10:
    case 17:
        sound = 41;
        break;
    case 1:
    case 2:
    case 7:
    case 11:
    case 13:
    case 16:
        sound = 40;
        break;
    default:
        break;
    }
    if (sound >= 0)
        PlayActionSound(sound, false, 0.35f, false);
}

void CSquad::ApplyOrder(int32_t player, int order, CSquad* target)
{
    CSquadServices& services = Services();
    if (order == kActEvacuate || order == kActEscort || order == kActTowVehicle || order == kActMoveSlowly ||
        order == kActMove) {
        if (order != kActMoveSlowly && order != kActMove)
            m_nOutcome = 12;
        SetState(order, true, true, true);
        m_nNextState = kActIdle;
    } else {
        Stop();
        if (m_pSprite)
            m_pSprite->m_Placement.Flags &= ~kSpriteIdleMarker;
        SetIdleMarker(false);
        m_nFlags &= ~kSqSoundSent;
        m_nState = kActMoveSlowly;
        m_nTimer = 0;
        services.Notify(kNotifyActionStarted, this, kActMoveSlowly);
        if (order >= 0 && order < kActionCount)
            m_nNextState = order;
    }
    if (player == services.nLocalPlayer) {
        m_nFlags &= ~kSqVelocitySent;
        m_nFlags |= kSqMoving;
        FreeWaypoints(m_pWaypoints);
        m_pWaypoints = m_pNewWaypoints;
        m_pNewWaypoints = nullptr;
    }
    m_pTarget = target;
}

void CSquad::ApplyPosition(float vx, float vy, float tx, float ty, float x, float y, int32_t orderPlayer)
{
    m_fVelX = vx;
    m_fVelY = vy;
    m_fStepTargetX = tx;
    m_fStepTargetY = ty;
    m_fX = x;
    m_fY = y;
    m_nOrderPlayer = orderPlayer;
    PlaceSprite();
}
