// Tests of the map view's edit modes on the demo's area map: placing stations, routes by waypoints, moving
// stations, waypoints and the site, deleting, double-clicks, the status line and new bitmaps.
#include "tests/editors/areamap/VelliskModelFixture.h"

#include "core/world/Map2DLinked.h"

using namespace vellisk;
using namespace areamaptest;
using Mode = CAreaMapViewModel::Mode;

namespace {

constexpr uint32_t kCtrl = platform::MK_CONTROL;
constexpr int kHalf = 17; // half a station's 34 pixels: a click at (x, y) places its centre at (x + 17, y + 17)

class VelliskModelView : public VelliskModelFixture {
protected:
    void SetUp() override
    {
        VelliskModelFixture::SetUp();
        ASSERT_TRUE(OpenDemo());
        site = view->FindIncidentSite();
        ASSERT_NE(site, nullptr);
    }
    // Places a station of the template with its top-left at (x, y); the view is then building its route.
    CSprite* PlaceStation(const char* templateName, int x, int y)
    {
        host.selected = Template(templateName);
        Move(x, y);
        Click(x, y);
        EXPECT_EQ(view->GetMode(), Mode::kDefiningPath);
        return view->SelectedStation();
    }
    // A click whose hit point (8 pixels in) is the site's centre.
    void ClickSite() { Click(site->m_Placement.WorldX - 8, site->m_Placement.WorldY - 8); }
    std::vector<POINT> RouteOf(const CSprite* s) const { return s->m_pStationData->m_pptWaypoints; }
    int Markers() const
    {
        int n = 0;
        for (CSprite* s = Sprites().GetHead(); s; s = s->m_pNext)
            n += s->Kind() == kFeatureSprite;
        return n;
    }
    CSprite* site = nullptr;
};

} // namespace

// Points compare and print (found by argument lookup in the global namespace, where POINT lives).
static bool operator==(const POINT& a, const POINT& b)
{
    return a.x == b.x && a.y == b.y;
}
[[maybe_unused]] static std::ostream& operator<<(std::ostream& out, const POINT& p)
{
    return out << "(" << p.x << "," << p.y << ")";
}

TEST_F(VelliskModelView, PlacedStationsAreNamedAndRoutedByWaypoints)
{
    const size_t before = Stations().size();
    CSprite* station = PlaceStation("Millbrook Police Station", 100, 380);
    ASSERT_NE(station, nullptr);
    EXPECT_EQ(Stations().size(), before + 1);
    EXPECT_STREQ(station->m_pStationData->m_szName, "Millbrook Police Station 3"); // the demo's next police id
    EXPECT_TRUE(app->IsModified());
    Click(150, 350);
    Click(200, 300);
    EXPECT_EQ(Markers(), 2);
    Move(250, 250);
    EXPECT_EQ(Markers(), 3); // and the one following the mouse
    view->OnKeyDown(platform::VK_ESCAPE);
    const std::vector<POINT> expected = {{117, 397}, {156, 356}, {206, 306}, Centre(site)};
    EXPECT_EQ(RouteOf(station), expected);
    EXPECT_EQ(view->GetMode(), Mode::kIdle);
    EXPECT_EQ(Markers(), 0);
    EXPECT_EQ(host.selected, -1); // the station list's selection is cleared

    // Clicking the site at once gives the two-point route.
    CSprite* second = PlaceStation("County EMS Station", 600, 60);
    ClickSite();
    EXPECT_EQ(RouteOf(second), (std::vector<POINT>{{617, 77}, Centre(site)}));
    EXPECT_EQ(view->GetMode(), Mode::kIdle);
    EXPECT_STREQ(second->m_pStationData->m_szName, "County EMS Station 3");
}

TEST_F(VelliskModelView, ARouteHoldsAtMostAThousandPoints)
{
    CSprite* station = PlaceStation("Public Works Yard", 20, 20);
    for (int i = 0; i < 1003; ++i)
        view->OnLButtonDown(platform::MK_LBUTTON, 100 + i % 300, 400 + (i / 300) * 10);
    EXPECT_EQ(view->Route().size(), 1000u);
    ClickSite();
    EXPECT_EQ(RouteOf(station).size(), 1000u);
    EXPECT_EQ(RouteOf(station).back(), Centre(site));
}

TEST_F(VelliskModelView, MovingTheSiteResetsEveryRoute)
{
    Drag(POINT{site->m_Placement.WorldX, site->m_Placement.WorldY}, POINT{600, 380}, kCtrl);
    EXPECT_EQ(Centre(site), (POINT{600 + kHalf, 380 + kHalf}));
    EXPECT_EQ(view->GetMode(), Mode::kIdle);
    EXPECT_EQ(view->DragSprite(), nullptr);
    for (CSprite* s : Stations()) {
        if (s != site) {
            EXPECT_EQ(RouteOf(s), (std::vector<POINT>{Centre(s), Centre(site)})) << s->m_pStationData->m_szName;
        }
    }
    EXPECT_EQ(Stations().size(), 5u); // no copy left behind by the drag
}

TEST_F(VelliskModelView, MovingAStationStartsItsRouteAgain)
{
    CSprite* police = Station("Millbrook Police Station");
    const std::vector<POINT> old = RouteOf(police);
    Drag(Centre(police), POINT{300, 100}, kCtrl);
    EXPECT_EQ(Centre(police), (POINT{300 + kHalf, 100 + kHalf}));
    EXPECT_EQ(view->GetMode(), Mode::kDefiningPath);
    EXPECT_EQ(RouteOf(police), old); // stored only when the new route is
    view->OnKeyDown(platform::VK_ESCAPE);
    EXPECT_EQ(RouteOf(police), (std::vector<POINT>{Centre(police), Centre(site)}));
}

TEST_F(VelliskModelView, MovingAWaypointChangesOnlyTheSelectedRoutesInteriorPoints)
{
    CSprite* police = Station("Millbrook Police Station");
    CSprite* fire = Station("Millbrook Fire Station");
    const std::vector<POINT> fireRoute = RouteOf(fire); // shares the point (428, 178)
    Click(police->m_Placement.WorldX, police->m_Placement.WorldY);
    EXPECT_EQ(view->SelectedStation(), police);
    EXPECT_EQ(Markers(), 2);
    Drag(POINT{428, 178}, POINT{500, 100}, kCtrl);
    const std::vector<POINT> expected = {{360, 172}, {506, 106}, {424, 232}, Centre(site)};
    EXPECT_EQ(RouteOf(police), expected);
    EXPECT_EQ(RouteOf(fire), fireRoute);
    EXPECT_EQ(view->GetMode(), Mode::kIdle);
    EXPECT_EQ(view->MovingWaypoint(), nullptr);
}

TEST_F(VelliskModelView, TheRightButtonDeletesButNeverTheSiteOrTheSpriteFollowingTheMouse)
{
    CSprite* ems = Station("County EMS Station");
    view->OnRButtonDown(0, ems->m_Placement.WorldX, ems->m_Placement.WorldY);
    EXPECT_EQ(Station("County EMS Station"), nullptr);
    view->OnRButtonDown(0, site->m_Placement.WorldX, site->m_Placement.WorldY);
    EXPECT_EQ(view->FindIncidentSite(), site);
    EXPECT_EQ(Stations().size(), 4u);

    // Mode 1: only the station following the mouse is under it.
    host.selected = Template("Public Works Yard");
    Move(700, 40);
    ASSERT_NE(view->DragSprite(), nullptr);
    view->OnRButtonDown(0, 710, 50);
    EXPECT_EQ(Stations().size(), 5u);

    // The station whose route is being built: the edit state lets go of it first.
    Click(700, 40);
    CSprite* routed = view->SelectedStation();
    ASSERT_NE(routed, nullptr);
    Move(200, 420);
    view->OnRButtonDown(0, 710, 50);
    EXPECT_FALSE(Sprites().ContainsSprite(routed));
    EXPECT_EQ(view->SelectedStation(), nullptr);
    EXPECT_EQ(view->DragSprite(), nullptr);
    EXPECT_EQ(view->GetMode(), Mode::kIdle);
    view->OnKeyDown(platform::VK_ESCAPE);

    // The marker being moved.
    CSprite* police = Station("Millbrook Police Station");
    Click(police->m_Placement.WorldX, police->m_Placement.WorldY);
    view->OnLButtonDown(kCtrl | platform::MK_LBUTTON, 428, 178);
    ASSERT_NE(view->MovingWaypoint(), nullptr);
    view->OnMouseMove(kCtrl | platform::MK_LBUTTON, 300, 300);
    view->OnRButtonDown(0, 428, 178);
    EXPECT_EQ(view->MovingWaypoint(), nullptr);
    EXPECT_EQ(view->DragSprite(), nullptr);
    view->OnLButtonUp(0, 300, 300);
    EXPECT_EQ(Markers(), 0);
    EXPECT_EQ(RouteOf(police).size(), 4u);
}

TEST_F(VelliskModelView, DoubleClickOpensEachStationUnderThePointInDrawOrder)
{
    CSprite* police = Station("Millbrook Police Station");
    CSprite* added = PlaceStation("Millbrook Fire Station 1", 350, 160);
    view->OnKeyDown(platform::VK_ESCAPE);
    view->OnLButtonDblClk(0, 365, 175);
    std::vector<CSprite*> expected;
    for (CSprite* s = Sprites().GetHead(); s; s = s->m_pNext)
        if (s == police || s == added)
            expected.push_back(s);
    EXPECT_EQ(host.edited, expected);
}

TEST_F(VelliskModelView, StatusLinesNameTheMode)
{
    struct Case {
        Mode mode;
        int x, y;
        const char* text;
    };
    const Case cases[] = {
        {Mode::kIdle, 5, 42, " Mode(Idle) View[005, 042]"},
        {Mode::kDefiningPath, 799, 447, " Mode(Defining path to incident site) View[799, 447]"},
        {Mode::kIdle, 800, 10, "Out of range."},
        {Mode::kIdle, -1, -1, "Out of range."},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(view->GetMode(), Mode::kIdle);
        if (c.mode == Mode::kDefiningPath)
            PlaceStation("Public Works Yard", 20, 20);
        Move(c.x, c.y);
        EXPECT_EQ(host.status, c.text);
        view->OnKeyDown(platform::VK_ESCAPE);
    }
    EXPECT_STREQ(CAreaMapViewModel::ModeName(Mode::kMoveWaypoint), "Move Waypoint");
    view->BeginNewPath();
    EXPECT_EQ(view->StatusLine(1, 2), " Mode(Pick Station For Path) View[001, 002]");
    EXPECT_EQ(view->Cursor(), CAreaMapViewModel::kCursorPath);
    CSprite* ems = Station("County EMS Station");
    Click(ems->m_Placement.WorldX, ems->m_Placement.WorldY);
    EXPECT_EQ(view->GetMode(), Mode::kDefiningPath);
    EXPECT_EQ(view->Cursor(), CAreaMapViewModel::kCursorHidden);
}

TEST_F(VelliskModelView, ANewBitmapReplacesTheSpritesOnlyWhenItLoads)
{
    CUserMessage failure;
    EXPECT_FALSE(view->OpenAreaMapBitmap("", &failure)); // a cancelled choice
    EXPECT_TRUE(failure.text.empty());
    dir.Write("data/Maps/notes.bmp", "not a bitmap");
    EXPECT_FALSE(view->OpenAreaMapBitmap(dir.File("data/Maps/notes.bmp"), &failure));
    EXPECT_NE(failure.text.find("notes.bmp"), std::string::npos);
    EXPECT_EQ(Stations().size(), 5u);
    EXPECT_FALSE(app->IsModified());

    ASSERT_TRUE(view->OpenAreaMapBitmap(dir.File("data/Maps/Millbrook_Area.bmp"), &failure));
    ASSERT_EQ(Stations().size(), 1u);
    EXPECT_EQ(Stations()[0], view->FindIncidentSite());
    EXPECT_EQ(Centre(Stations()[0]), (POINT{400 + kHalf, 288 + kHalf}));
    EXPECT_TRUE(app->IsModified());
    // Without an incident site no route starts.
    Sprites().DeleteSprites();
    host.selected = Template("Public Works Yard");
    Click(20, 20);
    EXPECT_EQ(Stations().size(), 1u);
    EXPECT_EQ(view->GetMode(), Mode::kIdle);
    EXPECT_EQ(view->SelectedStation(), nullptr);
}

TEST_F(VelliskModelView, NothingIsPlacedOutsideTheMapsEightHundredByFourFortyEight)
{
    const size_t before = Stations().size();
    host.selected = Template("Public Works Yard");
    for (POINT p : {POINT{100, 448}, POINT{100, 500}, POINT{800, 100}, POINT{-1, 100}}) {
        Click(p.x, p.y);
        EXPECT_EQ(Stations().size(), before) << p;
        EXPECT_EQ(view->DragSprite(), nullptr) << p;
    }
    Click(100, 447);
    EXPECT_EQ(Stations().size(), before + 1);
    // Nor a waypoint below the map.
    const std::vector<POINT> route = view->Route();
    Click(200, 460);
    EXPECT_EQ(view->Route(), route);
}
