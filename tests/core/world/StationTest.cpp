// Stations: stored form and old versions, surplus resources, routes and the dispatch menu's gating.
#include "core/world/SpriteManager.h"
#include "core/world/StationData.h"
#include "core/world/WorldFixtures.h"

#include "core/widgets/CPopupMenu.h"
#include "platform/system/MessageBox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

using namespace worldtest;

namespace {

class StationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterCoreClasses();
        ResetWorldContext();
    }
    TempFolder folder;
};

CStationResource* Resource(const char* name, int count, int onCall = 0, int kind = 0, int agency = 0)
{
    auto* r = new CStationResource();
    CopyName(r->m_szName, CStationResource::kNameSize, name);
    r->m_nResCount = count;
    r->m_nAvailable = count;
    r->m_bOnCall = onCall;
    r->m_nAgencyKind = kind;
    r->m_AgencyIndex = agency;
    return r;
}

TEST_F(StationTest, StoredFormIsFieldByFieldAndReadsBack)
{
    CStationData s;
    s.SetName("Fire House 1");
    s.m_nStationKind = 1;
    s.m_AgencyIndex = 4;
    s.m_nMinutesToSite = 12;
    s.m_pptWaypoints = {{10, 20}, {-30, 40}};
    s.m_paResources[0] = Resource("Engine Crew", 3, 1, 1, 4);
    s.m_paResources[1] = Resource("Medic", 2);
    auto bytes = StoreObject(folder, &s, "pData");
    Bytes expected;
    expected.Object(0, "CStationData", 2).Str("Fire House 1").I32(1).I32(4).I32(12).I32(2);
    expected.I32(10).I32(20).I32(-30).I32(40).I32(2);
    expected.Object(1, "CStationResource", 2).I32(1).I32(4).Str("Engine Crew").I32(3).I32(1);
    expected.Object(2, "CStationResource", 2).I32(0).I32(0).Str("Medic").I32(2).I32(0);
    EXPECT_EQ(bytes, expected.Data());

    std::unique_ptr<CStationData> back(LoadBytes<CStationData>(folder, bytes, "pData"));
    ASSERT_TRUE(back);
    EXPECT_STREQ(back->m_szName, "Fire House 1");
    EXPECT_EQ(back->m_AgencyIndex, 4);
    EXPECT_EQ(back->m_nMinutesToSite, 12);
    ASSERT_EQ(back->m_nNumWaypoints, 2);
    EXPECT_EQ(back->m_pptWaypoints[1].x, -30);
    ASSERT_NE(back->GetResource(1), nullptr);
    EXPECT_STREQ(back->GetResource(1)->m_szName, "Medic");
    EXPECT_EQ(back->GetResource(0)->m_nAvailable, 3);
    EXPECT_EQ(back->GetResource(0)->m_bOnCall, 1);
    EXPECT_EQ(back->GetResource(2), nullptr);
    EXPECT_EQ(back->GetResource(-1), nullptr);
    EXPECT_EQ(back->GetResource(6), nullptr);
}

TEST_F(StationTest, Version1TakesTheAgencyIndexFromTheKind)
{
    Bytes b;
    b.Object(0, "CStationData", 1).Str("Old").I32(4).I32(30).I32(0).I32(1);
    b.Object(1, "CStationResource", 1).I32(3).Str("Medic").I32(5).I32(0);
    std::unique_ptr<CStationData> s(LoadBytes<CStationData>(folder, b.Data(), "pData"));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->m_nStationKind, 4);
    EXPECT_EQ(s->m_AgencyIndex, 4);
    EXPECT_EQ(s->m_nMinutesToSite, 30);
    ASSERT_NE(s->GetResource(0), nullptr);
    EXPECT_EQ(s->GetResource(0)->m_AgencyIndex, 3);
    EXPECT_EQ(s->GetResource(0)->m_nAvailable, 5);
}

TEST_F(StationTest, SurplusResourcesAreReadAndDropped)
{
    Bytes b;
    b.Object(0, "CStationData", 2).Str(std::string(80, 'S')).I32(0).I32(0).I32(60).I32(0).I32(7);
    for (int i = 0; i < 7; ++i)
        b.Object(1 + i, "CStationResource", 2).I32(0).I32(0).Str("R" + std::to_string(i)).I32(i).I32(0);
    b.Object(8, "CStationResource", 2).I32(0).I32(0).Str("After").I32(9).I32(0); // the next document object
    std::string path = folder.Write("seven.bin", b.Data());
    QFFileStream stream;
    ASSERT_TRUE(stream.Open(path, QFFileStream::kBinary, QFFileStream::kRead));
    QFArchive archive;
    archive.BeginDocument(QFArchive::kLoading, &stream, QFArchive::kBinary);
    CStationData* station = nullptr;
    CStationResource* after = nullptr;
    QFSerializePointer(&archive, &station, "pData");
    QFSerializePointer(&archive, &after, "next");
    EXPECT_FALSE(archive.Failed());
    archive.EndDocument();
    std::unique_ptr<CStationData> owned(station);
    std::unique_ptr<CStationResource> ownedAfter(after);
    ASSERT_TRUE(station && after);
    EXPECT_EQ(std::string(station->m_szName), std::string(49, 'S'));
    EXPECT_STREQ(station->GetResource(5)->m_szName, "R5");
    EXPECT_STREQ(after->m_szName, "After");
}

TEST_F(StationTest, AHugeWaypointCountFailsWithoutAllocatingIt)
{
    Bytes b;
    b.Object(0, "CStationData", 2).Str("X").I32(0).I32(0).I32(60).I32(1000000000).I32(1);
    bool failed = false;
    std::unique_ptr<CStationData> s(LoadBytes<CStationData>(folder, b.Data(), "pData", &failed));
    EXPECT_TRUE(failed);
    if (s) {
        EXPECT_EQ(s->m_nNumWaypoints, 0); // the half point was not kept
    }
}

TEST_F(StationTest, RoutesRunBothWaysWithHeadingAndSpeed)
{
    struct Case {
        std::vector<POINT> points;
        int minutes;
        float speed;
        int heading;
    };
    std::vector<Case> cases = {
        {{{0, 0}, {30, 40}}, 10, 25.0f, 0},                     // the edge case of the route table
        {{{0, 0}, {30, 40}, {30, 0}}, 18, 25.0f, 4},            // up
        {{{50, 50}, {0, 49}}, 1, std::sqrt(2501.0f) * 5.0f, 2}, // left
        {{{0, 0}, {10, 3}}, 60, std::sqrt(109.0f) / 12.0f, 6},
        {{{7, 7}}, 5, 0.0f, 0},             // one waypoint: heading 0, length 0
        {{{0, 0}, {0, 100}}, 0, 500.0f, 0}, // zero minutes count as one
    };
    for (const Case& c : cases) {
        CStationData s;
        s.m_pptWaypoints = c.points;
        s.m_nMinutesToSite = c.minutes;
        s.BuildRoutes();
        EXPECT_NEAR(s.m_fRouteSpeed, c.speed, 1e-3) << c.points.size() << " points";
        EXPECT_EQ(s.m_nRouteDirection, c.heading) << c.points.size() << " points";
        std::vector<int> to, from;
        for (CRouteNode* n = s.m_pRouteToStation; n; n = n->m_pNext)
            to.push_back(n->m_pTile->m_nX);
        for (CRouteNode* n = s.m_pRouteFromStation; n; n = n->m_pNext)
            from.push_back(n->m_pTile->m_nX);
        std::vector<int> xs;
        for (const POINT& p : c.points)
            xs.push_back(p.x);
        EXPECT_EQ(to, xs);
        std::reverse(xs.begin(), xs.end());
        EXPECT_EQ(from, xs);
    }
    CStationData none;
    none.BuildRoutes();
    EXPECT_EQ(none.m_pRouteToStation, nullptr);
}

TEST_F(StationTest, AddResourceCopiesIntoTheFirstEmptySlotUntilSixAreUsed)
{
    CStationData s;
    std::unique_ptr<CStationResource> line(Resource("Engine Crew", 3, 1, 1, 4));
    line->m_nAvailable = 2;
    s.m_paResources[0] = Resource("Medic", 1);
    for (int i = 0; i < 6; ++i) {
        line->m_nResCount = 10 + i;
        s.AddResource(*line);
    }
    EXPECT_STREQ(s.GetResource(0)->m_szName, "Medic");
    for (int i = 1; i < 6; ++i) {
        const CStationResource* r = s.GetResource(i);
        ASSERT_NE(r, nullptr);
        EXPECT_NE(r, line.get()); // a copy: the caller keeps its own
        EXPECT_STREQ(r->m_szName, "Engine Crew");
        EXPECT_EQ(r->m_nResCount, 9 + i);
        EXPECT_EQ(r->m_nAvailable, 2);
        EXPECT_EQ(r->m_bOnCall, 1);
        EXPECT_EQ(r->m_nAgencyKind, 1);
        EXPECT_EQ(r->m_AgencyIndex, 4);
    }
    EXPECT_EQ(s.GetResource(5)->m_nResCount, 14); // the sixth call found no room
}

TEST_F(StationTest, SetWaypointsReplacesTheRouteAndDropsItsLists)
{
    CStationData s;
    s.m_pptWaypoints = {{0, 0}, {5, 5}, {9, 9}};
    s.BuildRoutes();
    ASSERT_NE(s.m_pRouteToStation, nullptr);
    s.SetWaypoints({{1, 2}, {3, 4}});
    EXPECT_EQ(s.m_nNumWaypoints, 2);
    ASSERT_EQ(s.m_pptWaypoints.size(), 2u);
    EXPECT_EQ(s.m_pptWaypoints[1].y, 4);
    EXPECT_EQ(s.m_pRouteToStation, nullptr);
    EXPECT_EQ(s.m_pRouteFromStation, nullptr);
}

class DispatchMenuTest : public StationTest {
protected:
    void SetUp() override
    {
        StationTest::SetUp();
        platform::SetMessageEcho(false);
        ASSERT_TRUE(manager.LoadReferenceLists(data.Path(), "Agency.csv", nullptr));
        platform::SetMessageEcho(true);
    }
    static std::vector<std::string> Texts(const CPopupMenu* menu)
    {
        std::vector<std::string> out;
        for (int i = 0; i < menu->GetCount(); ++i)
            out.push_back(menu->GetItem(i)->szText);
        return out;
    }
    static bool Enabled(const CPopupMenu* menu, int index)
    {
        return (menu->GetItem(index)->dwFlags & POPUP_ITEM_DISABLED) == 0;
    }
    WorldDataFolder data{false};
    CSpriteManager manager;
};

TEST_F(DispatchMenuTest, StationWithoutStockShowsOnlyInfo)
{
    CStationData s;
    EXPECT_FALSE(s.BuildDispatchMenu(10, 10, nullptr, &manager, 100.0f, 0)); // no view to open it in
    ASSERT_NE(s.m_pPopupMenu, nullptr);
    EXPECT_EQ(Texts(s.m_pPopupMenu), std::vector<std::string>{"Info"});
    EXPECT_EQ(s.m_pPopupMenu->GetItem(0)->nValue, 7);
}

TEST_F(DispatchMenuTest, LinesAreGatedByCostStockAndActivatedUnits)
{
    CStationData s;
    s.m_paResources[0] = Resource("Patrol Officer", 2); // cost 3, template 0
    s.m_paResources[1] = Resource("engine crew", 1, 1); // cost 5, template 1: needs 0x40
    s.m_paResources[2] = Resource("Medic", 0);          // cost 2, none left
    s.m_paResources[3] = Resource("Unknown Unit", 5);   // no template
    s.m_paResources[4] = Resource(std::string(300, 'L').c_str(), 1);
    s.BuildDispatchMenu(0, 0, nullptr, &manager, 5.0f, 0);
    const CPopupMenu* menu = s.m_pPopupMenu;
    auto texts = Texts(menu);
    ASSERT_EQ(texts.size(), 6u);
    EXPECT_EQ(texts[0], "Dispatch Patrol Officer - 3 RP(s)");
    EXPECT_EQ(texts[1], "Dispatch engine crew - 5 RP(s) (On Call)");
    EXPECT_EQ(texts[2], "Dispatch Medic - 2 RP(s)");
    EXPECT_EQ(texts[3], "Dispatch Unknown Unit - 0 RP(s)");
    EXPECT_EQ(texts[4].size(), 99u); // the long name is cut to fit
    EXPECT_EQ(texts[4].substr(texts[4].size() - 10), " - 0 RP(s)");
    EXPECT_EQ(texts[5], "Info");
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(menu->GetItem(i)->nValue, i);
    EXPECT_TRUE(Enabled(menu, 0));
    EXPECT_FALSE(Enabled(menu, 1)); // cost equals the budget, but the unit is not activated
    EXPECT_FALSE(Enabled(menu, 2));
    EXPECT_FALSE(Enabled(menu, 3));
    EXPECT_FALSE(Enabled(menu, 4));

    s.BuildDispatchMenu(0, 0, nullptr, &manager, 5.0f, 0x40);
    EXPECT_TRUE(Enabled(menu, 1));
    s.m_paResources[0]->m_nAvailable = 0;
    s.m_paResources[2]->m_nAvailable = 4;
    s.BuildDispatchMenu(0, 0, nullptr, &manager, 2.5f, 0x10 | 0x40);
    EXPECT_EQ(Texts(menu), texts); // texts are fixed at the first build
    EXPECT_FALSE(Enabled(menu, 0));
    EXPECT_FALSE(Enabled(menu, 1)); // over the budget now
    EXPECT_TRUE(Enabled(menu, 2));
}

} // namespace
