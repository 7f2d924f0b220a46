// The squads' movement in a saved game, kept beside their records: the path in use with its speeds, the heading
// within it, the state change waiting for the next step and the visibility marks.
#include "core/world/PathData.h"
#include "game/sim/Squad.h"
#include "game/sim/SquadGame.h"
#include "game/sim/SquadManager.h"
#include "game/sim/SquadServices.h"
#include "core/util/ByteStream.h"
#include "platform/system/MessageBox.h"

#include <cmath>
#include <set>
#include <string>

namespace {

// The longest path a squad can hold: a station route is cut at 100000 points, a found path is shorter.
constexpr int32_t kMaxSavedWaypoints = 100000;
constexpr size_t kSavedWaypointSize = 12;
constexpr uint32_t kKnownVisFlags = kVisFirstPass | kVisMoved | kVisSubdued | kVisAgencyBits;

void WriteRecord(CByteWriter& out, const CSquadMovement& m)
{
    out.WriteI32(m.nNumber);
    out.WriteI32(m.nDestX);
    out.WriteI32(m.nDestY);
    out.WriteI32(m.nLastDestX);
    out.WriteI32(m.nLastDestY);
    for (float v : {m.fVelX, m.fVelY, m.fStepTargetX, m.fStepTargetY, m.fSeenX, m.fSeenY})
        out.WriteFloat(v);
    out.WriteU32(m.nVisFlags);
    out.WriteI32(m.nRequestedState);
    for (uint8_t b : m.abRequest)
        out.WriteU8(b);
    out.WriteI32(m.nOrderPlayer);
    out.WriteI32(static_cast<int32_t>(m.aWaypoints.size()));
    for (const CSquadMovement::Point& p : m.aWaypoints) {
        out.WriteI32(p.x);
        out.WriteI32(p.y);
        out.WriteFloat(p.speed);
    }
}

bool ReadRecord(CByteReader& in, CSquadMovement& m)
{
    in.ReadI32(m.nNumber);
    in.ReadI32(m.nDestX);
    in.ReadI32(m.nDestY);
    in.ReadI32(m.nLastDestX);
    in.ReadI32(m.nLastDestY);
    for (float* v : {&m.fVelX, &m.fVelY, &m.fStepTargetX, &m.fStepTargetY, &m.fSeenX, &m.fSeenY})
        in.ReadFloat(*v);
    in.ReadU32(m.nVisFlags);
    in.ReadI32(m.nRequestedState);
    for (uint8_t& b : m.abRequest)
        in.ReadU8(b);
    in.ReadI32(m.nOrderPlayer);
    int32_t count = 0;
    in.ReadI32(count);
    if (!in.Ok() || count < 0 || count > kMaxSavedWaypoints ||
        static_cast<size_t>(count) * kSavedWaypointSize > in.Remaining())
        return false;
    m.aWaypoints.resize(static_cast<size_t>(count));
    for (CSquadMovement::Point& p : m.aWaypoints) {
        in.ReadI32(p.x);
        in.ReadI32(p.y);
        in.ReadFloat(p.speed);
    }
    return in.Ok();
}

} // namespace

CSquadMovement CSquad::TakeMovement() const
{
    CSquadMovement m;
    m.nNumber = Number();
    m.nDestX = m_nDestX;
    m.nDestY = m_nDestY;
    m.nLastDestX = m_nLastDestX;
    m.nLastDestY = m_nLastDestY;
    m.fVelX = m_fVelX;
    m.fVelY = m_fVelY;
    m.fStepTargetX = m_fStepTargetX;
    m.fStepTargetY = m_fStepTargetY;
    m.fSeenX = m_fSeenX;
    m.fSeenY = m_fSeenY;
    m.nVisFlags = m_nVisFlags;
    m.nRequestedState = m_nRequestedState;
    m.abRequest[0] = m_bRequestStop;
    m.abRequest[1] = m_bRequestNotifyEnd;
    m.abRequest[2] = m_bRequestNotifyStart;
    m.nOrderPlayer = m_nOrderPlayer;
    for (const CWaypoint* w = m_pWaypoints; w; w = w->pNext)
        m.aWaypoints.push_back({w->x, w->y, w->speed});
    return m;
}

void CSquad::ApplyMovement(const CSquadMovement& m)
{
    m_nDestX = m.nDestX;
    m_nDestY = m.nDestY;
    m_nLastDestX = m.nLastDestX;
    m_nLastDestY = m.nLastDestY;
    m_fVelX = m.fVelX;
    m_fVelY = m.fVelY;
    m_fStepTargetX = m.fStepTargetX;
    m_fStepTargetY = m.fStepTargetY;
    m_fSeenX = m.fSeenX;
    m_fSeenY = m.fSeenY;
    m_nVisFlags = m.nVisFlags;
    m_nRequestedState = m.nRequestedState;
    m_bRequestStop = m.abRequest[0] != 0;
    m_bRequestNotifyEnd = m.abRequest[1] != 0;
    m_bRequestNotifyStart = m.abRequest[2] != 0;
    m_nOrderPlayer = m.nOrderPlayer;
    FreeWaypoints(m_pWaypoints);
    // The markers show as a new path would show them now.
    const CModeRecord* markers = Services().pMarkerFilter;
    CPathData* grid = m_pManager->GetPathGrid();
    const bool showMarkers =
        !OnAreaMap() && grid && markers && markers->m_bFilterSwitch && (markers->m_nFilterOptions & 0x8);
    CWaypoint** tail = &m_pWaypoints;
    for (const CSquadMovement::Point& p : m.aWaypoints) {
        auto* node = new CWaypoint();
        node->x = p.x;
        node->y = p.y;
        node->speed = p.speed;
        if (showMarkers)
            if (CPathTile* tile = grid->GetTileAt(p.x, p.y))
                node->pMarker = MakeMarker(tile->m_nX, tile->m_nY, tile->Size());
        *tail = node;
        tail = &node->pNext;
    }
    if (showMarkers && m_pWaypoints)
        Services().Redraw();
    m_bMovementLoaded = true;
}

void CSquadManager::SaveMovement(CByteWriter& out) const
{
    out.WriteI32(static_cast<int32_t>(m_aUnits.size() + m_aVehicles.size()));
    for (const auto* list : {&m_aUnits, &m_aVehicles})
        for (const CSquad* s : *list)
            WriteRecord(out, s->TakeMovement());
}

bool CSquadManager::ReadMovement(CByteReader& in, std::vector<CSquadMovement>& records) const
{
    records.clear();
    int32_t count = 0;
    if (!in.ReadI32(count) || count < 0 || static_cast<size_t>(count) > m_aUnits.size() + m_aVehicles.size()) {
        platform::DebugOutput("Saved squad movement: impossible count " + std::to_string(count));
        return false;
    }
    auto finite = [](float a, float b) { return std::isfinite(a) && std::isfinite(b); };
    auto destination = [this](int32_t x, int32_t y) { return (x == -1 && y == -1) || OnSavedMap(x, y); };
    std::set<int32_t> numbers;
    for (int32_t i = 0; i < count; ++i) {
        CSquadMovement m;
        bool ok = ReadRecord(in, m);
        const CSquad* squad = ok ? FindSquad(m.nNumber, 3) : nullptr;
        ok = ok && squad && GetSquadNumber(squad) == m.nNumber && numbers.insert(m.nNumber).second;
        ok = ok && destination(m.nDestX, m.nDestY) && destination(m.nLastDestX, m.nLastDestY);
        ok = ok && finite(m.fVelX, m.fVelY) && finite(m.fStepTargetX, m.fStepTargetY) && finite(m.fSeenX, m.fSeenY);
        ok = ok && OnSavedMap(m.fStepTargetX, m.fStepTargetY) && OnSavedMap(m.fSeenX, m.fSeenY);
        ok = ok && (m.nVisFlags & ~kKnownVisFlags) == 0;
        ok = ok && m.nRequestedState >= 0 && m.nRequestedState < kActionCount && m.nOrderPlayer >= -1;
        for (uint8_t b : m.abRequest)
            ok = ok && b <= 1;
        for (const CSquadMovement::Point& p : m.aWaypoints)
            ok = ok && OnSavedMap(p.x, p.y) && std::isfinite(p.speed) && p.speed >= 0.0f;
        if (!ok) {
            platform::DebugOutput("Saved squad movement: impossible record " + std::to_string(i));
            return false;
        }
        records.push_back(std::move(m));
    }
    return true;
}

void CSquadManager::ApplyMovement(const std::vector<CSquadMovement>& records)
{
    for (const CSquadMovement& m : records)
        if (CSquad* squad = FindSquad(m.nNumber, 3))
            squad->ApplyMovement(m);
}

void CSquadGame::SaveMovement(CByteWriter& out) const
{
    for (const CSquadManager* m : {m_pScenario.get(), m_pArea.get()}) {
        if (m)
            m->SaveMovement(out);
        else
            out.WriteI32(0);
    }
}

bool CSquadGame::LoadMovement(CByteReader& in)
{
    std::vector<CSquadMovement> scenario, area;
    if (!m_pScenario || !m_pArea || !m_pScenario->ReadMovement(in, scenario) || !m_pArea->ReadMovement(in, area))
        return false;
    m_pScenario->ApplyMovement(scenario);
    m_pArea->ApplyMovement(area);
    return true;
}
