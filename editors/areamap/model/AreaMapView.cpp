// The area-map view's edit modes and mouse and key handling over the document's sprites.
#include "editors/areamap/model/AreaMapView.h"

#include "core/display/CDisplay.h"
#include "core/world/Map2DLinked.h"
#include "core/world/SpriteManager.h"
#include "core/world/StationData.h"
#include "platform/window/WindowMessages.h"

#include <algorithm>
#include <cstdio>

namespace vellisk {

CAreaMapViewModel::CAreaMapViewModel(IAreaMapViewHost& host) : m_host(host) {}

void CAreaMapViewModel::SetDocument(CAreaMapData* document)
{
    // Every pointer into the old document's sprites goes with it.
    m_pDocument = document;
    m_pDragSprite = m_pSelectedStation = m_pMovingWaypoint = nullptr;
    m_vRoute.clear();
    m_nMode = kIdle;
}

CSpriteManager* CAreaMapViewModel::Sprites() const
{
    return m_pDocument ? m_pDocument->m_pSpriteManager : nullptr;
}

bool CAreaMapViewModel::IsWaypointMarker(const CSprite* sprite) const
{
    const CSpriteManager* sprites = Sprites();
    return sprite && sprites && sprite->Kind() == kFeatureSprite &&
           sprite->m_Placement.Id == sprites->GetWaypointMarkerTemplate();
}

bool CAreaMapViewModel::IsIncidentSite(const CSprite* sprite)
{
    return sprite && sprite->Kind() == kStationSprite && sprite->m_pStationData &&
           sprite->m_pStationData->m_nStationKind == 7;
}

void CAreaMapViewModel::MarkModified()
{
    if (m_pDocument)
        m_pDocument->m_bModified = true;
}

void CAreaMapViewModel::UpdateRects()
{
    if (m_pDocument)
        m_pDocument->UpdateSpriteRects(m_pDisplay);
}

bool CAreaMapViewModel::SetUp(CUserMessage* failure)
{
    if (!m_pDocument || !m_pDocument->LoadGameInfo(true, m_pDisplay, failure))
        return false;
    m_pDocument->SetZoom(0, m_pDisplay);
    PlaceIncidentSite();
    Render();
    return true;
}

int CAreaMapViewModel::Render()
{
    if (!m_pDisplay || !m_pDisplay->IsUsable())
        return 0;
    CSurface* back = m_pDisplay->GetBackBuffer();
    m_pDisplay->Clear(true);
    int result = 0;
    if (m_pDocument && m_pDocument->m_pMap) {
        result = m_pDocument->m_pMap->DrawAreaMapBitmap(back);
        if (result == 0 && Sprites())
            result = Sprites()->Draw(m_pDisplay->GetBackBufferRect(), back);
        if (result != 0)
            m_pDisplay->GetErrorLog().LogError(result, nullptr, "CFormViewAreaMapBitmap::OnDraw()");
    }
    m_pDisplay->Present();
    return result;
}

// ---- sprites that follow the mouse ----

CSprite* CAreaMapViewModel::CreateDragSprite(int x, int y, int type, int templateIndex)
{
    CSpriteManager* sprites = Sprites();
    if (!sprites || (type != kStationSprite && type != kFeatureSprite) || templateIndex < 0 ||
        templateIndex >= sprites->GetTemplateCount(type))
        return nullptr;
    const CSprite& from = sprites->GetTemplates(type)[templateIndex];
    CPlacement placement;
    placement.Type = type;
    placement.Id = templateIndex;
    placement.WorldX = x + from.m_anFrameWidth[0] / 2;
    placement.WorldY = y + from.m_anFrameHeight[0] / 2;
    CSprite* sprite = nullptr;
    // Service ids are given when the document is saved.
    if (type == kStationSprite && (m_nMode == kDragNewStation || m_nMode == kMoveStation))
        sprite = sprites->CreateStationSprite(placement, false);
    else if (type == kFeatureSprite && (m_nMode == kDefiningPath || m_nMode == kMoveWaypoint))
        sprite = sprites->CreateFeatureSprite(placement, false);
    UpdateRects();
    return sprite;
}

void CAreaMapViewModel::DropDragSprite()
{
    if (!m_pDragSprite)
        return;
    if (Sprites())
        Sprites()->RemoveSprite(m_pDragSprite, true);
    m_pDragSprite = nullptr;
}

CSprite* CAreaMapViewModel::PlaceSpriteAt(int x, int y, bool drop)
{
    // Nothing goes outside the map (800 x 448, the game's view of it).
    if (x < 0 || y < 0 || x >= kViewWidth || y >= kViewHeight || !Sprites())
        return nullptr;
    int type = 0, index = -1;
    switch (m_nMode) {
    case kDragNewStation:
        type = kStationSprite;
        index = m_host.SelectedStationTemplate();
        break;
    case kMoveStation:
        type = kStationSprite;
        index = m_pDragSprite ? m_pDragSprite->m_Placement.Id : -1;
        break;
    case kDefiningPath:
    case kMoveWaypoint:
        type = kFeatureSprite;
        index = Sprites()->GetWaypointMarkerTemplate();
        break;
    default:
        return nullptr;
    }
    if (index < 0)
        return nullptr;
    DropDragSprite();
    m_pDragSprite = CreateDragSprite(x, y, type, index);
    CSprite* sprite = m_pDragSprite;
    if (sprite && drop) {
        m_pDragSprite = nullptr; // it stays on the map
        if (m_nMode == kDragNewStation)
            NameNewStation(sprite);
    }
    return sprite;
}

// ---- routes ----

void CAreaMapViewModel::ClearPathMarkers()
{
    CSpriteManager* sprites = Sprites();
    if (!sprites)
        return;
    for (CSprite* s = sprites->GetHead(); s;) {
        CSprite* next = s->m_pNext;
        if (IsWaypointMarker(s)) {
            // The drag marker and the marker being moved go too: forget them first.
            if (s == m_pDragSprite)
                m_pDragSprite = nullptr;
            if (s == m_pMovingWaypoint)
                m_pMovingWaypoint = nullptr;
            sprites->RemoveSprite(s, true);
        }
        s = next;
    }
    UpdateRects();
}

void CAreaMapViewModel::ShowStationPath(CSprite* station)
{
    CSpriteManager* sprites = Sprites();
    const int marker = sprites ? sprites->GetWaypointMarkerTemplate() : -1;
    if (!station || !station->m_pStationData || marker < 0 || marker >= sprites->GetTemplateCount(kFeatureSprite))
        return;
    const CSprite& t = sprites->GetTemplates(kFeatureSprite)[marker];
    const int z = t.m_nZoom == 1 ? 1 : 0;
    const int w = t.m_anFrameWidth[z], h = t.m_anFrameHeight[z];
    const Mode saved = m_nMode;
    m_nMode = kDefiningPath;
    const std::vector<POINT> route = station->m_pStationData->m_pptWaypoints;
    for (size_t i = 1; i + 1 < route.size(); ++i)
        PlaceSpriteAt(route[i].x - w / 2, route[i].y - h / 2, true);
    m_nMode = saved;
}

bool CAreaMapViewModel::SelectStationAt(int x, int y)
{
    CSprite* hit = Sprites() ? Sprites()->SpriteAtPoint(x, y) : nullptr;
    if (!hit || hit->Kind() != kStationSprite)
        return false;
    ClearPathMarkers();
    m_pSelectedStation = hit;
    ShowStationPath(hit);
    return true;
}

CSprite* CAreaMapViewModel::FindIncidentSite() const
{
    for (CSprite* s = Sprites() ? Sprites()->GetHead() : nullptr; s; s = s->m_pNext)
        if (IsIncidentSite(s))
            return s;
    return nullptr;
}

void CAreaMapViewModel::StartPath(CSprite* station, CSprite* site)
{
    m_vRoute.clear();
    m_vRoute.push_back(POINT{station->m_Placement.WorldX, station->m_Placement.WorldY});
    m_vRoute.push_back(POINT{site->m_Placement.WorldX, site->m_Placement.WorldY});
}

void CAreaMapViewModel::InsertPathPoint(CSprite* marker)
{
    if (m_vRoute.empty() || m_vRoute.size() >= static_cast<size_t>(kMaxRoutePoints))
        return;
    m_vRoute.insert(m_vRoute.end() - 1, POINT{marker->m_Placement.WorldX, marker->m_Placement.WorldY});
}

void CAreaMapViewModel::CommitPath()
{
    if (!m_pSelectedStation || m_pSelectedStation->Kind() != kStationSprite || m_nMode != kDefiningPath ||
        !m_pSelectedStation->m_pStationData || m_vRoute.size() < 2)
        return;
    m_pSelectedStation->m_pStationData->SetWaypoints(m_vRoute);
}

void CAreaMapViewModel::BeginPathForStation(CSprite* station)
{
    CSprite* site = FindIncidentSite();
    ClearPathMarkers();
    if (!site || !station || IsIncidentSite(station)) {
        // Without an incident site no route can end anywhere.
        m_nMode = kIdle;
        m_pSelectedStation = nullptr;
        m_vRoute.clear();
        return;
    }
    m_nMode = kDefiningPath;
    m_pSelectedStation = station;
    StartPath(station, site);
}

void CAreaMapViewModel::NameNewStation(CSprite* station)
{
    if (!station->m_pStationData || IsIncidentSite(station))
        return;
    CStationData& data = *station->m_pStationData;
    char name[CStationData::kNameSize + 16];
    std::snprintf(name, sizeof(name), "%s %d", data.m_szName, m_pDocument->NextStationID(data.m_nStationKind));
    data.SetName(name);
    BeginPathForStation(station);
}

void CAreaMapViewModel::PlaceIncidentSite()
{
    m_nMode = kDragNewStation;
    if (Sprites())
        CreateDragSprite(400, 288, kStationSprite, Sprites()->GetIncidentSiteTemplate());
}

void CAreaMapViewModel::AddWaypointAt(int x, int y)
{
    CSprite* hit = HitSkippingDragSprite(x + 8, y + 8);
    if (IsIncidentSite(hit)) {
        CommitPath();
        ClearPathMarkers();
        ResetEditState();
        m_vRoute.clear();
        MarkModified();
        return;
    }
    if (m_vRoute.size() >= static_cast<size_t>(kMaxRoutePoints))
        return;
    if (CSprite* marker = PlaceSpriteAt(x, y, true)) {
        InsertPathPoint(marker);
        MarkModified();
    }
}

CSprite* CAreaMapViewModel::HitSkippingDragSprite(int x, int y) const
{
    if (!Sprites())
        return nullptr;
    if (m_pDragSprite)
        m_pDragSprite->m_Placement.Flags |= kSpriteHidden;
    CSprite* hit = Sprites()->SpriteAtPoint(x, y);
    if (m_pDragSprite)
        m_pDragSprite->m_Placement.Flags &= ~kSpriteHidden;
    return hit;
}

// ---- moves ----

void CAreaMapViewModel::PickUpSpriteAt(int x, int y)
{
    CSprite* hit = Sprites() ? Sprites()->SpriteAtPoint(x, y) : nullptr;
    if (!hit)
        return;
    DropDragSprite();
    if (hit->Kind() == kStationSprite) {
        m_nMode = kMoveStation;
        m_pSelectedStation = hit;
        m_pMovingWaypoint = nullptr;
        ClearPathMarkers();
    } else if (IsWaypointMarker(hit) && m_pSelectedStation) {
        m_nMode = kMoveWaypoint;
        m_pMovingWaypoint = hit;
    }
    m_pDragSprite = CreateDragSprite(x, y, hit->Kind(), hit->m_Placement.Id);
}

void CAreaMapViewModel::FinishStationMove()
{
    if (!m_pSelectedStation)
        return;
    if (m_pDragSprite)
        m_pSelectedStation->SetWorldPosition(m_pDragSprite->m_Placement.WorldX, m_pDragSprite->m_Placement.WorldY);
    DropDragSprite();
    UpdateRects();
    if (IsIncidentSite(m_pSelectedStation)) {
        ResetAllRoutes();
        m_nMode = kIdle;
    } else {
        BeginPathForStation(m_pSelectedStation);
    }
}

void CAreaMapViewModel::ResetAllRoutes()
{
    CSprite* site = FindIncidentSite();
    if (!site || !Sprites())
        return;
    const Mode saved = m_nMode;
    m_nMode = kDefiningPath;
    for (CSprite* s = Sprites()->GetHead(); s; s = s->m_pNext) {
        if (s->Kind() != kStationSprite || s == site)
            continue;
        StartPath(s, site);
        m_pSelectedStation = s;
        CommitPath();
    }
    m_pSelectedStation = nullptr;
    m_vRoute.clear();
    m_nMode = saved;
}

void CAreaMapViewModel::FinishWaypointMove()
{
    if (!m_pMovingWaypoint)
        return;
    if (m_pDragSprite) {
        const POINT from{m_pMovingWaypoint->m_Placement.WorldX, m_pMovingWaypoint->m_Placement.WorldY};
        const POINT to{m_pDragSprite->m_Placement.WorldX, m_pDragSprite->m_Placement.WorldY};
        m_pMovingWaypoint->SetWorldPosition(to.x, to.y);
        if (m_pSelectedStation && m_pSelectedStation->m_pStationData) {
            std::vector<POINT>& route = m_pSelectedStation->m_pStationData->m_pptWaypoints;
            for (size_t i = 1; i + 1 < route.size(); ++i)
                if (route[i].x == from.x && route[i].y == from.y)
                    route[i] = to;
        }
    }
    DropDragSprite();
    m_pMovingWaypoint = nullptr;
    UpdateRects();
    m_nMode = kIdle;
}

// ---- commands ----

void CAreaMapViewModel::ResetEditState()
{
    m_host.ClearStationSelection();
    DropDragSprite();
    m_pSelectedStation = nullptr;
    m_pMovingWaypoint = nullptr;
    ClearPathMarkers();
    m_nMode = kIdle;
    UpdateStatusLine(-1, -1);
    m_host.CursorChanged();
}

void CAreaMapViewModel::CommitEditState()
{
    if (m_nMode == kDefiningPath) {
        // The route built so far is stored: station, the waypoints placed, incident site.
        const CStationData* data = m_pSelectedStation ? m_pSelectedStation->m_pStationData : nullptr;
        const std::vector<POINT> before = data ? data->m_pptWaypoints : std::vector<POINT>();
        CommitPath();
        if (data && !std::equal(before.begin(), before.end(), data->m_pptWaypoints.begin(), data->m_pptWaypoints.end(),
                                [](const POINT& a, const POINT& b) { return a.x == b.x && a.y == b.y; }))
            MarkModified();
        ClearPathMarkers();
        m_vRoute.clear();
    }
    ResetEditState();
}

void CAreaMapViewModel::BeginNewPath()
{
    ResetEditState();
    m_nMode = kPickStationForPath;
    m_host.CursorChanged();
}

bool CAreaMapViewModel::OpenAreaMapBitmap(const std::string& path, CUserMessage* failure)
{
    // A cancelled choice (no path) changes nothing; a bitmap that does not load neither.
    if (path.empty() || !m_pDocument || !Sprites())
        return false;
    if (!m_pDocument->m_pMap || !m_pDocument->m_pMap->LoadAreaMapBitmap(path, "", true)) {
        if (failure)
            *failure = {"Couldn't load the map bitmap " + path, "Failed to open file", platform::MessageIcon::Warning};
        return false;
    }
    m_strBitmapPath = path;
    ResetEditState();
    Sprites()->DeleteSprites();
    // Its stations are numbered from the start again ("Police Station 1"), not after the last map's.
    m_pDocument->StartNewMap();
    UpdateRects();
    m_pDocument->SetZoom(0, m_pDisplay);
    PlaceIncidentSite();
    MarkModified();
    Render();
    UpdateStatusLine(0, 0);
    return true;
}

bool CAreaMapViewModel::ApplyStationDetails(CSprite* station, const CStationDialogInput& input, CUserMessage* refusal)
{
    if (!station || !station->m_pStationData || !Sprites() || !Sprites()->ContainsSprite(station))
        return false;
    std::unique_ptr<CStationData> made = BuildStationData(input, *station->m_pStationData, Sprites(), refusal);
    if (!made)
        return false;
    station->SetStationData(made.release());
    MarkModified();
    return true;
}

// ---- status and cursor ----

const char* CAreaMapViewModel::ModeName(Mode mode)
{
    static const char* const kNames[] = {
        "Idle",          "Drag New Station",     "Move Existing Station", "Defining path to incident site",
        "Move Waypoint", "Pick Station For Path"};
    return mode >= kIdle && mode <= kPickStationForPath ? kNames[mode] : "";
}

std::string CAreaMapViewModel::StatusLine(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_szClient.cx || y >= m_szClient.cy)
        return "Out of range.";
    char text[120];
    std::snprintf(text, sizeof(text), " Mode(%s) View[%03d, %03d]", ModeName(m_nMode), x, y);
    return text;
}

void CAreaMapViewModel::UpdateStatusLine(int x, int y)
{
    m_host.SetStatusText(StatusLine(x, y));
}

CAreaMapViewModel::CursorKind CAreaMapViewModel::Cursor() const
{
    if (m_nMode >= kDragNewStation && m_nMode <= kMoveWaypoint)
        return kCursorHidden;
    return m_nMode == kPickStationForPath ? kCursorPath : kCursorArrow;
}

// ---- mouse and keys ----

void CAreaMapViewModel::OnMouseMove(uint32_t, int x, int y)
{
    const int selected = m_host.SelectedStationTemplate();
    if (selected >= 0 && m_nMode == kIdle) {
        m_nMode = kDragNewStation;
        m_host.CursorChanged();
    } else if (selected < 0 && m_nMode == kDragNewStation) {
        DropDragSprite();
        m_nMode = kIdle;
        m_host.CursorChanged();
    }
    if (m_nMode >= kDragNewStation && m_nMode <= kMoveWaypoint) {
        PlaceSpriteAt(x, y, false);
        Render();
    }
    UpdateStatusLine(x, y);
}

void CAreaMapViewModel::OnLButtonDown(uint32_t flags, int x, int y)
{
    const bool control = (flags & platform::MK_CONTROL) != 0;
    switch (m_nMode) {
    case kIdle:
        SelectStationAt(x, y);
        if (control) {
            PickUpSpriteAt(x, y);
            MarkModified();
        }
        m_host.CursorChanged();
        break;
    case kDragNewStation:
        if (m_host.SelectedStationTemplate() >= 0 && !control) {
            ClearPathMarkers();
            PlaceSpriteAt(x, y, true);
            MarkModified();
        }
        break;
    case kMoveStation:
    case kMoveWaypoint:
        // A press without the release that ends the move: the copy following the mouse goes.
        DropDragSprite();
        m_pMovingWaypoint = nullptr;
        m_nMode = kIdle;
        break;
    case kDefiningPath:
        AddWaypointAt(x, y);
        break;
    case kPickStationForPath:
        if (SelectStationAt(x, y) && !IsIncidentSite(m_pSelectedStation))
            BeginPathForStation(m_pSelectedStation);
        break;
    }
    Render();
    UpdateStatusLine(x, y);
}

void CAreaMapViewModel::OnLButtonUp(uint32_t, int x, int y)
{
    if (m_nMode == kMoveStation) {
        PlaceSpriteAt(x, y, false);
        FinishStationMove();
        MarkModified();
    } else if (m_nMode == kMoveWaypoint) {
        PlaceSpriteAt(x, y, false);
        FinishWaypointMove();
        MarkModified();
    }
    Render();
    UpdateStatusLine(x, y);
}

void CAreaMapViewModel::OnLButtonDblClk(uint32_t, int x, int y)
{
    if (Sprites()) {
        // Draw-list order; several overlapping stations open one dialog after another.
        std::vector<CSprite*> hits = Sprites()->SpritesAtPoint(x, y);
        std::reverse(hits.begin(), hits.end());
        for (CSprite* s : hits)
            if (s != m_pDragSprite && s->Kind() == kStationSprite && Sprites()->ContainsSprite(s))
                m_host.EditStation(s);
        Render();
    }
    UpdateStatusLine(x, y);
}

void CAreaMapViewModel::OnRButtonDown(uint32_t, int x, int y)
{
    CSprite* hit = HitSkippingDragSprite(x, y);
    if (hit && !IsIncidentSite(hit)) {
        // The station being routed or moved, or the marker being moved, is let go of first.
        if (hit == m_pSelectedStation || hit == m_pMovingWaypoint)
            ResetEditState();
        if (Sprites()->ContainsSprite(hit)) {
            Sprites()->RemoveSprite(hit, true);
            ClearPathMarkers();
        }
        MarkModified();
        Render();
    }
    UpdateStatusLine(x, y);
}

void CAreaMapViewModel::OnKeyDown(uint32_t key)
{
    if (key != platform::VK_ESCAPE)
        return;
    CommitEditState();
    Render();
}

} // namespace vellisk
