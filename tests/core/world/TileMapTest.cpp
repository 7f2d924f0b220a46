// Tile map: tile-type table, stored form, view arithmetic, lookups and edge picks.
#include "core/world/Map2DLinked.h"
#include "core/world/WorldFixtures.h"
#include "core/world/WorldTestSupport.h"

#include "platform/system/MessageBox.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <set>

using namespace worldtest;

namespace {

std::string Row(int index, const std::string& name, int cost0, int los0, const std::string& tail = "")
{
    std::string row = std::to_string(index) + "," + name + "," + std::to_string(cost0);
    for (int i = 1; i < 17; ++i)
        row += ",0";
    row += "," + std::to_string(los0);
    for (int i = 1; i < 17; ++i)
        row += ",-1";
    return row + "," + tail + "\n";
}

class TileMapTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterCoreClasses();
        ResetWorldContext();
        platform::ClearRecordedMessages();
        platform::SetMessageEcho(false);
    }
    void TearDown() override { platform::SetMessageEcho(true); }
    TempFolder folder;
};

TEST_F(TileMapTest, TileTypeTableReadsRowsUntilAnEmptyNameAndFillsSubTiles)
{
    std::string csv = "Index,Name,costs...\n" + Row(0, "Grass", 20, -7) + Row(3, "Road", -7, 12, "note") +
                      "4,,1,2,3\n" + Row(5, "Never", 1, 1);
    CMap2DLinked map;
    ASSERT_TRUE(map.LoadTileTypes(folder.Write("TileTypes.csv", csv)));
    ASSERT_NE(map.GetTileType(0), nullptr);
    ASSERT_NE(map.GetTileType(3), nullptr);
    EXPECT_EQ(map.GetTileType(4), nullptr);
    EXPECT_EQ(map.GetTileType(5), nullptr);
    EXPECT_STREQ(map.GetTileType(0)->m_szName, "Grass");
    EXPECT_EQ(map.GetTileType(0)->m_anCost[0], 20);
    EXPECT_EQ(map.GetTileType(0)->m_anCost[16], 5); // 0 -> 20 / 4
    EXPECT_EQ(map.GetTileType(0)->m_anLOS[0], -1); // -7 is below the range: -1
    EXPECT_EQ(map.GetTileType(0)->m_anLOS[7], 0);  // -1 -> -1 / 4
    EXPECT_EQ(map.GetTileType(3)->m_anCost[0], 0); // -7 is below the range: 0
    EXPECT_EQ(map.GetTileType(3)->m_anCost[1], 0);
    EXPECT_EQ(map.GetTileType(3)->m_anLOS[1], 3);
    EXPECT_EQ(platform::RecordedMessages().size(), 2u);
}

TEST_F(TileMapTest, CostsOutsideTheirRangeAreClampedWithOneMessageEach)
{
    const std::string file = folder.Write("t.csv", "h\n" + Row(1, "Mud", 99999, 7) + Row(2, "Wall", 255, 2147483647) +
                                                       Row(3, "Hole", 4, 65536));
    CMap2DLinked map;
    ASSERT_TRUE(map.LoadTileTypes(file));
    EXPECT_EQ(map.GetTileType(1)->m_anCost[0], 255);
    EXPECT_EQ(map.GetTileType(2)->m_anCost[0], 255);
    EXPECT_EQ(map.GetTileType(2)->m_anLOS[0], 65535);
    EXPECT_EQ(map.GetTileType(3)->m_anLOS[0], 65535);
    const auto shown = platform::RecordedMessages();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_NE(shown[0].text.find("\"" + file + "\", row 2, field \"cost 1\""), std::string::npos) << shown[0].text;
    EXPECT_NE(shown[1].text.find("row 3, field \"sight cost 1\""), std::string::npos) << shown[1].text;
}

TEST_F(TileMapTest, TileTypeTableStopsAfter256RowsAndDropsOutOfRangeIndexes)
{
    std::string csv = "header\n";
    csv += Row(-1, "Negative", 1, 1) + Row(256, "TooBig", 1, 1);
    for (int i = 0; i < 298; ++i)
        csv += Row(i % 256, "T" + std::to_string(i), i, 1);
    CMap2DLinked map;
    ASSERT_TRUE(map.LoadTileTypes(folder.Write("t.csv", csv)));
    int count = 0;
    for (int i = 0; i < 256; ++i)
        count += map.GetTileType(i) != nullptr;
    EXPECT_EQ(count, 254); // two out-of-range rows counted among the 256 read
    EXPECT_STREQ(map.GetTileType(253)->m_szName, "T253");
    EXPECT_EQ(map.GetTileType(254), nullptr);
    EXPECT_STREQ(map.GetTileType(0)->m_szName, "T0"); // row 256 (T256) was never read
}

TEST_F(TileMapTest, LongNamesAreCutTo70Characters)
{
    std::string longName(300, 'x');
    CMap2DLinked map;
    ASSERT_TRUE(map.LoadTileTypes(folder.Write("t.csv", "h\n" + Row(1, longName, 4, 4))));
    EXPECT_EQ(std::string(map.GetTileType(1)->m_szName), std::string(70, 'x'));
    EXPECT_EQ(map.GetTileType(1)->m_anCost[0], 4);
}

TEST_F(TileMapTest, MissingTileTypeFileIsReported)
{
    CMap2DLinked map;
    EXPECT_FALSE(map.LoadTileTypes(folder.File("nope.csv")));
    auto shown = platform::RecordedMessages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "CMap2DLinked");
    EXPECT_EQ(shown[0].text, " Couldn't load " + folder.File("nope.csv"));
}

TEST_F(TileMapTest, StoredFormRoundTrips)
{
    CMap2DLinked map;
    ASSERT_TRUE(map.BuildGrid(3, 2, {1, 2, 3, 4, 5, 6}));
    auto bytes = StoreObject(folder, &map, "Map");
    Bytes expected;
    expected.Object(0, "CMap2DLinked", 1).I32(3).I32(2);
    for (int i = 1; i <= 6; ++i)
        expected.I32(i);
    EXPECT_EQ(bytes, expected.Data());

    std::unique_ptr<CMap2DLinked> loaded(LoadBytes<CMap2DLinked>(folder, bytes, "Map"));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->GetColumns(), 3);
    EXPECT_EQ(loaded->GetRows(), 2);
    EXPECT_EQ(loaded->GetTileIndex(1, 2), 6);
    EXPECT_EQ(loaded->GetTileIndex(0, 1), 2);
    // Links: right of (0,0) is (0,1); below (0,1) is (1,1).
    CMapCell* head = loaded->GetGridHead();
    EXPECT_EQ(head->m_apLinks[2]->m_nTileIndex, 2);
    EXPECT_EQ(head->m_apLinks[2]->m_apLinks[4]->m_nTileIndex, 5);
    EXPECT_EQ(head->m_apLinks[2]->m_apLinks[4]->m_apLinks[0], head->m_apLinks[2]);
    EXPECT_EQ(head->m_apLinks[1], nullptr);
}

TEST_F(TileMapTest, OversizedOrShortMapsFailTheLoad)
{
    struct Case {
        int columns, rows, cellsGiven;
    };
    for (Case c : {Case{2000, 1, 0}, Case{1, -3, 0}, Case{4, 4, 5}}) {
        Bytes b;
        b.Object(0, "CMap2DLinked", 1).I32(c.columns).I32(c.rows);
        for (int i = 0; i < c.cellsGiven; ++i)
            b.I32(1);
        bool failed = false;
        std::unique_ptr<CMap2DLinked> map(LoadBytes<CMap2DLinked>(folder, b.Data(), "Map", &failed));
        EXPECT_TRUE(failed) << c.columns << "x" << c.rows;
        if (map) {
            EXPECT_EQ(map->GetColumns() * map->GetRows(), 0);
        }
    }
}

TEST_F(TileMapTest, LookupsOutsideTheGridGiveMinusOne)
{
    CMap2DLinked map;
    ASSERT_TRUE(map.BuildGrid(2, 2, {7, 8, 9, 10}));
    EXPECT_EQ(map.GetTileIndex(1, 1), 10);
    EXPECT_EQ(map.GetTileIndex(-1, 0), -1);
    EXPECT_EQ(map.GetTileIndex(0, -1), -1);
    EXPECT_EQ(map.GetTileIndex(2, 0), -1);
    EXPECT_EQ(map.GetTileIndexAtPixel(31, 31), map.GetTileIndexAtPixel(0, 0));
    EXPECT_EQ(map.GetTileIndexAtPixel(32, 0), 8);
    EXPECT_EQ(map.GetTileIndexAtPixel(64, 0), -1);
    EXPECT_EQ(map.GetTileIndexAtPixel(-1, 0), -1);
}

TEST_F(TileMapTest, CreateGridDrawsTypesZeroToSevenFromItsSeed)
{
    CMap2DLinked a, b, c;
    ASSERT_TRUE(a.CreateGrid(100, 75, 12345));
    ASSERT_TRUE(b.CreateGrid(100, 75, 12345));
    ASSERT_TRUE(c.CreateGrid(100, 75, 54321));
    EXPECT_EQ(a.GetColumns(), 100);
    EXPECT_EQ(a.GetRows(), 75);
    std::set<int> seen;
    bool differs = false;
    for (int r = 0; r < 75; ++r)
        for (int col = 0; col < 100; ++col) {
            seen.insert(a.GetTileIndex(r, col));
            EXPECT_EQ(a.GetTileIndex(r, col), b.GetTileIndex(r, col));
            differs = differs || a.GetTileIndex(r, col) != c.GetTileIndex(r, col);
        }
    EXPECT_EQ(seen, (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_TRUE(differs);
    EXPECT_EQ(a.GetGridHead()->m_apLinks[4]->m_Position.m_nRow, 1); // linked like a loaded grid
    EXPECT_NE(a.GetFlags() & 1, 0);
}

TEST_F(TileMapTest, SetTileIndexChangesCellsInsideTheGridOnly)
{
    CMap2DLinked map;
    ASSERT_TRUE(map.BuildGrid(3, 2, {1, 1, 1, 1, 1, 1}));
    struct Case {
        int row, column, type;
        bool taken;
    };
    for (Case c : {Case{1, 2, 255, true}, Case{0, 0, 0, true}, Case{2, 0, 9, false}, Case{0, 3, 9, false},
                   Case{-1, 0, 9, false}, Case{0, -1, 9, false}, Case{1, 1, 256, false}, Case{1, 1, -1, false}}) {
        const int before = map.GetTileIndex(c.row, c.column);
        map.SetTileIndex(c.row, c.column, c.type);
        EXPECT_EQ(map.GetTileIndex(c.row, c.column), c.taken ? c.type : before) << c.row << "," << c.column;
    }
    EXPECT_EQ(map.GetTileIndex(1, 1), 1);
}

TEST_F(TileMapTest, ViewClampsToTheMapAndConvertsBetweenViewAndWorld)
{
    CModeRecord mode;
    CMap2DLinked map;
    map.SetModeRecord(&mode);
    ASSERT_TRUE(map.BuildGrid(100, 75, {}));
    map.SetViewSize(800, 448);
    RECT rect;
    map.SetZoom(&rect);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, 800);
    EXPECT_EQ(rect.bottom, 448);

    map.CenterViewAt(&rect, 1000, 1000); // snapped to the 32-pixel grid: 400 + 32 * 18
    EXPECT_EQ(map.GetViewCenterX(), 976);
    EXPECT_EQ(map.GetViewCenterY(), 224 + 32 * 24);
    map.ScrollByTiles(&rect, 1000, 1000);
    EXPECT_EQ(rect.right, 3200);
    EXPECT_EQ(rect.bottom, 2400);

    int wx = 0, wy = 0, vx = 0, vy = 0;
    map.ViewToWorld(RECT{100, 50, 900, 498}, 10, 10, &wx, &wy);
    EXPECT_EQ(wx, 110);
    EXPECT_EQ(wy, 60);
    mode.m_nZoom = 1;
    map.SetZoom(&rect); // 8-pixel tiles: the map is 800 x 600 and fits the view's width
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.right, 800);
    map.ViewToWorld(RECT{100, 50, 900, 498}, 10, 10, &wx, &wy);
    EXPECT_EQ(wx, 440);
    EXPECT_EQ(wy, 240);
    map.WorldToView(RECT{100, 50, 900, 498}, &vx, &vy, 440, 240);
    EXPECT_EQ(vx, 10);
    EXPECT_EQ(vy, 10);
    mode.m_nZoom = 2;
    vx = vy = 77;
    map.WorldToView(RECT{}, &vx, &vy, 5, 5);
    EXPECT_EQ(vx, 77);
    mode.m_nViewMode = 1;
    map.ClampView(&rect);
    EXPECT_EQ(rect.right, 800);
    EXPECT_EQ(rect.bottom, 448);
}

TEST_F(TileMapTest, SmallMapPutsTheCentreAtHalfTheView)
{
    CMap2DLinked map;
    ASSERT_TRUE(map.BuildGrid(4, 4, {}));
    map.SetViewSize(800, 448);
    RECT rect;
    map.ClampView(&rect);
    EXPECT_EQ(map.GetViewCenterX(), 400);
    EXPECT_EQ(map.GetViewCenterY(), 224);
}

// The draws of the edge picks below: a fixed sequence in 0 to 2^31 - 1.
int EdgeDraw()
{
    static std::minstd_rand draws(7);
    return static_cast<int>(draws());
}

TEST_F(TileMapTest, EdgePickPrefersTheEdgesOwnTypeThenFallsBack)
{
    struct Case {
        int edge;
        std::vector<int> types; // 3 x 3 map
        std::set<int> allowed;  // tile types the pick may return; empty: null
    };
    std::vector<Case> cases = {
        {0, {3, 14, 40, 0, 0, 0, 0, 0, 0}, {14}},      {0, {3, 11, 40, 0, 0, 0, 0, 0, 0}, {11}},
        {0, {3, 29, 40, 0, 0, 0, 0, 0, 0}, {29}},      {0, {3, 76, 40, 0, 0, 0, 0, 0, 0}, {40}},
        {0, {3, 76, 200, 0, 0, 0, 0, 0, 0}, {3}},      {0, {76, 200, -5, 1, 1, 1, 1, 1, 1}, {}},
        {2, {0, 0, 10, 0, 0, 12, 0, 0, 28}, {12}},     {4, {15, 15, 15, 0, 0, 0, 1, 15, 2}, {15}},
        {6, {13, 0, 0, 10, 0, 0, 5, 0, 0}, {13}},      {6, {28, 0, 0, 10, 0, 0, 5, 0, 0}, {10}},
        {1, {14, 14, 14, 14, 14, 14, 14, 14, 14}, {}},
    };
    for (const Case& c : cases) {
        CMap2DLinked map;
        ASSERT_TRUE(map.BuildGrid(3, 3, c.types));
        for (int round = 0; round < 8; ++round) {
            CMapCell* cell = map.PickEdgeTile(c.edge, EdgeDraw);
            if (c.allowed.empty()) {
                EXPECT_EQ(cell, nullptr) << "edge " << c.edge;
                continue;
            }
            ASSERT_NE(cell, nullptr) << "edge " << c.edge;
            EXPECT_TRUE(c.allowed.count(cell->m_nTileIndex)) << "edge " << c.edge << " got " << cell->m_nTileIndex;
        }
    }
}

TEST_F(TileMapTest, EdgePickKeepsOnlyTwentyCandidatesPerBucket)
{
    CMap2DLinked map;
    ASSERT_TRUE(map.BuildGrid(60, 1, std::vector<int>(60, 14)));
    std::set<int> seen;
    for (int i = 0; i < 2000; ++i)
        seen.insert(map.PickEdgeTile(0, EdgeDraw)->m_Position.m_nColumn);
    EXPECT_GT(seen.size(), 20u); // replacements reach the later cells
}

COLORREF TileColour(int n)
{
    static const COLORREF kColours[4] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 255)};
    return n < 4 ? kColours[n] : RGB(0, 0, 0);
}

// A sheet of 16 x 16 tiles of the given size; tile n is filled with TileColour(n).
void WriteSheet(const std::string& path, int size)
{
    fixtures::WriteFile(path, fixtures::MakeBmp24(16 * size, 16 * size, [size](int x, int y) {
                            return TileColour((y / size) * 16 + x / size);
                        }));
}

TEST_F(TileMapTest, DrawnMapShowsEachCellsTileAtBothZooms)
{
    auto display = MakeDisplay(64, 64);
    std::filesystem::create_directories(folder.File("Art"));
    WriteSheet(folder.File("Art/Tiles32.bmp"), 32);
    WriteSheet(folder.File("Art/Tiles8.bmp"), 8);
    folder.Write("TileTypes.csv", "h\n" + Row(0, "Red", 1, 1) + Row(1, "Green", 1, 1));
    CModeRecord mode;
    std::unique_ptr<CMap2DLinked> map(LoadBytes<CMap2DLinked>(
        folder, Bytes().Object(0, "CMap2DLinked", 1).I32(2).I32(2).I32(0).I32(1).I32(2).I32(3).Data(), "Map"));
    ASSERT_TRUE(map);
    map->SetModeRecord(&mode);
    map->Initialize(64, 64, "tiles8.bmp", "TILES32.BMP", "TileTypes.csv", display.get(), folder.Path());
    EXPECT_NE(map->GetTileType(1), nullptr);
    RECT rect;
    map->SetZoom(&rect);
    CSurface* target = display->GetBackBuffer();
    ASSERT_EQ(map->Draw(rect, target), DD_OK);
    EXPECT_EQ(PixelAt(target, 5, 5), TileColour(0));
    EXPECT_EQ(PixelAt(target, 40, 5), TileColour(1));
    EXPECT_EQ(PixelAt(target, 5, 40), TileColour(2));
    EXPECT_EQ(PixelAt(target, 63, 63), TileColour(3));

    mode.m_nZoom = 1;
    map->SetZoom(&rect);
    ASSERT_EQ(map->Draw(rect, target), DD_OK);
    EXPECT_EQ(PixelAt(target, 2, 2), TileColour(0));
    EXPECT_EQ(PixelAt(target, 10, 2), TileColour(1));
    EXPECT_EQ(PixelAt(target, 10, 10), TileColour(3));
    EXPECT_EQ(PixelAt(target, 40, 2), TileColour(1)); // past the grid the walk stays on the last cell

    map->SetTileIndex(0, 0, 2); // marks the view, so the next draw shows it
    ASSERT_EQ(map->Draw(rect, target), DD_OK);
    EXPECT_EQ(PixelAt(target, 2, 2), TileColour(2));
}

TEST_F(TileMapTest, AreaMapBitmapLoadsAndAFailedLoadKeepsTheOld)
{
    auto display = MakeDisplay(64, 64);
    std::filesystem::create_directories(folder.File("Maps"));
    fixtures::WriteFile(folder.File("Maps/AreaMap.bmp"), fixtures::MakeBmp24(20, 10, [](int, int) { return kBlue; }));
    fixtures::WriteFile(folder.File("Maps/Harbour.bmp"), fixtures::MakeBmp24(6, 4, [](int, int) { return kRed; }));
    CMap2DLinked map;
    map.Initialize(64, 64, "none8.bmp", "none32.bmp", "none.csv", display.get(), folder.Path());
    platform::ClearRecordedMessages();
    EXPECT_TRUE(map.LoadAreaMapBitmap(folder.Path(), "", false));
    EXPECT_EQ(map.GetMapBitmapWidth(), 20);
    EXPECT_FALSE(map.LoadAreaMapBitmap(folder.Path(), "Missing.bmp", false));
    EXPECT_EQ(map.GetMapBitmapWidth(), 20);
    EXPECT_TRUE(platform::RecordedMessages().empty()); // no error box for the area map
    EXPECT_TRUE(map.LoadAreaMapBitmap(folder.File("Maps/Harbour.bmp"), "", true));
    EXPECT_EQ(map.GetMapBitmapHeight(), 4);
    CSurface* target = display->GetBackBuffer();
    EXPECT_EQ(map.DrawAreaMapBitmap(target), DD_OK);
    EXPECT_EQ(PixelAt(target, 5, 3), kRed);
    // Without tile art the rendering stops at the first tile; the cache is still copied.
    RECT rect;
    map.SetZoom(&rect);
    EXPECT_EQ(map.Draw(rect, target), DD_OK);
}

TEST_F(TileMapTest, DeletingTheCurrentMapClearsIt)
{
    auto* map = new CMap2DLinked();
    SetCurrentMap(map);
    delete map;
    EXPECT_EQ(GetCurrentMap(), nullptr);
}

} // namespace
