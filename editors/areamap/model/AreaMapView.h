// The area-map view without its widget: edit modes, placing and moving stations and the incident site, routes
// built from waypoint markers, deletions, the status line, the cursor and drawing into the display.
#pragma once

#include "editors/areamap/model/AreaMapDocument.h"
#include "editors/areamap/model/EsriData.h"
#include "editors/areamap/model/StationDialogRules.h"

#include "platform/display/Geometry.h"

#include <cstdint>
#include <string>
#include <vector>

class CDisplay;
class CSprite;
class CSpriteManager;

namespace vellisk {

// What the view needs from the windows around it.
class IAreaMapViewHost {
public:
    virtual ~IAreaMapViewHost() = default;
    // The station template selected in the station list, -1 for none; and clearing that selection.
    virtual int SelectedStationTemplate() const = 0;
    virtual void ClearStationSelection() = 0;
    // Pane 1 of the status bar.
    virtual void SetStatusText(const std::string& text) = 0;
    // The cursor may have changed (the view's Cursor() says which).
    virtual void CursorChanged() = 0;
    // Runs the station details dialog for a station sprite.
    virtual void EditStation(CSprite* station) = 0;
};

class CAreaMapViewModel {
public:
    enum Mode { kIdle, kDragNewStation, kMoveStation, kDefiningPath, kMoveWaypoint, kPickStationForPath };
    enum CursorKind { kCursorArrow, kCursorHidden, kCursorPath };
    static constexpr int kViewWidth = 800;
    static constexpr int kViewHeight = 448;
    static constexpr int kMaxRoutePoints = 1000;

    explicit CAreaMapViewModel(IAreaMapViewHost& host);
    CAreaMapViewModel(const CAreaMapViewModel&) = delete;
    CAreaMapViewModel& operator=(const CAreaMapViewModel&) = delete;

    // The document shown (the application's; Open replaces it) and the display drawn into (not owned).
    void SetDocument(CAreaMapData* document);
    CAreaMapData* Document() const { return m_pDocument; }
    void SetDisplay(CDisplay* display) { m_pDisplay = display; }
    CDisplay* Display() const { return m_pDisplay; }
    // The client area the status line calls in range.
    void SetClientSize(int width, int height) { m_szClient = SIZE{width, height}; }

    // The start-up set-up (once): "GameInfo.txt" with new sprite lists, zoom 0, the incident site placed.
    // False with the message to show when "GameInfo.txt" cannot be read.
    bool SetUp(CUserMessage* failure);
    // Draws the map bitmap and the sprites into the back buffer and presents it; 0 or the drawing's error.
    int Render();

    void OnMouseMove(uint32_t flags, int x, int y);
    void OnLButtonDown(uint32_t flags, int x, int y);
    void OnLButtonUp(uint32_t flags, int x, int y);
    void OnLButtonDblClk(uint32_t flags, int x, int y);
    void OnRButtonDown(uint32_t flags, int x, int y);
    void OnKeyDown(uint32_t key);

    // A new map bitmap (a complete path): the old sprites go, station ids start again, the incident site is placed,
    // the document is modified. An empty path or a bitmap that does not load changes nothing (false; the latter with a
    // message).
    bool OpenAreaMapBitmap(const std::string& path, CUserMessage* failure);
    void BeginNewPath();
    void ResetEditState();
    // Ends what is under way as Escape does: a route being built is stored first (the document marked modified
    // when that changed it), then the edit state is reset. Save and Save As run it before they write.
    void CommitEditState();
    // The station details dialog's OK for a station sprite: its new station data, the document modified.
    // False with the refusal to show (nothing changed).
    bool ApplyStationDetails(CSprite* station, const CStationDialogInput& input, CUserMessage* refusal);

    Mode GetMode() const { return m_nMode; }
    CursorKind Cursor() const;
    // " Mode(<name>) View[xxx, yyy]", or "Out of range." outside the client area.
    std::string StatusLine(int x, int y) const;
    static const char* ModeName(Mode mode);
    const std::vector<POINT>& Route() const { return m_vRoute; }
    CSprite* DragSprite() const { return m_pDragSprite; }
    CSprite* SelectedStation() const { return m_pSelectedStation; }
    CSprite* MovingWaypoint() const { return m_pMovingWaypoint; }
    const std::string& BitmapPath() const { return m_strBitmapPath; }
    CSprite* FindIncidentSite() const;

private:
    CSpriteManager* Sprites() const;
    bool IsWaypointMarker(const CSprite* sprite) const;
    static bool IsIncidentSite(const CSprite* sprite);
    CSprite* CreateDragSprite(int x, int y, int type, int templateIndex);
    void DropDragSprite();
    CSprite* PlaceSpriteAt(int x, int y, bool drop);
    void ClearPathMarkers();
    void ShowStationPath(CSprite* station);
    bool SelectStationAt(int x, int y);
    void StartPath(CSprite* station, CSprite* site);
    void InsertPathPoint(CSprite* marker);
    void CommitPath();
    void BeginPathForStation(CSprite* station);
    void NameNewStation(CSprite* station);
    void PlaceIncidentSite();
    void AddWaypointAt(int x, int y);
    void PickUpSpriteAt(int x, int y);
    void FinishStationMove();
    void FinishWaypointMove();
    void ResetAllRoutes();
    void UpdateStatusLine(int x, int y);
    CSprite* HitSkippingDragSprite(int x, int y) const;
    void MarkModified();
    void UpdateRects();

    IAreaMapViewHost& m_host;
    CAreaMapData* m_pDocument = nullptr;
    CDisplay* m_pDisplay = nullptr;
    SIZE m_szClient{kViewWidth, kViewHeight};
    Mode m_nMode = kIdle;
    std::vector<POINT> m_vRoute;
    CSprite* m_pDragSprite = nullptr;
    CSprite* m_pSelectedStation = nullptr;
    CSprite* m_pMovingWaypoint = nullptr;
    std::string m_strBitmapPath;
};

} // namespace vellisk
