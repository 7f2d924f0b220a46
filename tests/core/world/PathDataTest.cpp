// Path grid: loading whole and subdivided cells, links, lookups, ring walks, line of sight and footprints.
#include "core/world/PathGridPicture.h"

#include "core/world/Sprite.h"
#include "core/world/TileVisitor.h"

#include <gtest/gtest.h>

#include <set>
#include <cstring>
#include <utility>

using namespace worldtest;

namespace {

class PathGridTest : public ::testing::Test {
protected:
    void SetUp() override { ResetWorldContext(); }
    void TearDown() override { ResetWorldContext(); }
};

struct Expect {
    int x, y;
    bool sub;
    int los, cost, footBase, vehicleBase, footCost, vehicleCost;
};

TEST_F(PathGridTest, LoadDerivesBasesFromStoredCosts)
{
    PathGridPicture p({"abcd", "ef.g"});
    p.legend['a'] = {160, 0x1234};
    p.legend['b'] = {159, 3};
    p.legend['c'] = {10, 1};
    p.legend['d'] = {255, 9};
    p.legend['e'] = {0, 0};
    p.legend['f'] = {10, 1}; // on a cell of tile type 162
    p.legend['A'] = {40, 0x1FFF};
    p.legend['B'] = {39, 0x400 | 7};
    p.legend['C'] = {100, 2, true}; // a sub-tile stored without the marker: whole-tile threshold
    p.legend['g'] = {1, 1};
    p.Subdivide(1, 3, {"AB..", "C...", "....", "...."});
    p.tileTypes = {0, 0, 0, 0, 0, 162, 0, 0};
    auto g = LoadPathGrid(p);
    ASSERT_TRUE(g);
    EXPECT_EQ(g->grid->GetColumns(), 4);
    EXPECT_EQ(g->grid->GetRows(), 2);

    std::vector<Expect> table = {
        {0, 0, false, 0x1234, 160, 56, 255, 56, 255},
        {32, 0, false, 3, 159, 56, 159, 56, 159},
        {64, 0, false, 1, 10, 9, 10, 9, 10},
        {96, 0, false, 9, 255, 255, 255, 255, 255},
        {0, 32, false, 0, 0, 0, 0, 0, 0},
        {32, 32, false, 1, 10, 9, 255, 9, 255},
        {96, 32, true, 0x3FF, 40, 27, 255, 27, 255},
        {104, 32, true, 7, 39, 27, 39, 27, 39},
        {96, 40, true, 2, 100, 46, 100, 46, 100},
        {120, 56, true, 1, 10, 9, 10, 9, 10},
        {112, 56, true, 1, 10, 9, 10, 9, 10},
    };
    for (const Expect& e : table) {
        CPathTile* t = g->grid->GetTileAt(e.x, e.y);
        ASSERT_NE(t, nullptr) << e.x << "," << e.y;
        EXPECT_EQ(t->m_nX, e.x);
        EXPECT_EQ(t->m_nY, e.y);
        EXPECT_EQ(t->IsSubTile(), e.sub) << e.x << "," << e.y;
        EXPECT_EQ(t->m_LOSCost, e.los) << e.x << "," << e.y;
        EXPECT_EQ(t->m_abyCosts[kCost], e.cost);
        EXPECT_EQ(t->m_abyCosts[kFootBase], e.footBase) << e.x << "," << e.y;
        EXPECT_EQ(t->m_abyCosts[kVehicleBase], e.vehicleBase) << e.x << "," << e.y;
        EXPECT_EQ(t->m_abyCosts[kFootCost], e.footCost);
        EXPECT_EQ(t->m_abyCosts[kVehicleCost], e.vehicleCost);
        EXPECT_EQ(t->m_pCellHead, g->grid->GetCellAt(e.x, e.y));
    }
    EXPECT_EQ(g->grid->GetTileAt(32, 32)->m_byTileType, 162);
}

TEST_F(PathGridTest, FootRuleMatchesItsFormulaAndNeverLowers)
{
    for (int c = 0; c < 255; ++c)
        EXPECT_EQ(FootBaseFor(static_cast<uint8_t>(c)), static_cast<int>(c / (1 + 3.0 * c / 256) + 0.5)) << c;
    EXPECT_EQ(FootBaseFor(255), 255);
    CPathTile t;
    t.m_abyCosts[kFootBase] = 56;
    t.ApplyFootRule(100); // gives 46
    EXPECT_EQ(t.m_abyCosts[kFootBase], 56);
    t.ApplyFootRule(200); // gives 60
    EXPECT_EQ(t.m_abyCosts[kFootBase], 60);
}

TEST_F(PathGridTest, LinksWhereWholeTilesMeetSubdividedCells)
{
    PathGridPicture p({"...", "..."});
    p.Subdivide(0, 1, {"....", "....", "....", "...."}).Subdivide(0, 2, {"....", "....", "....", "...."});
    auto g = LoadPathGrid(p);
    ASSERT_TRUE(g);
    CPathData& grid = *g->grid;
    CPathTile* whole00 = grid.GetCell(0, 0);
    CPathTile* sub01 = grid.GetCell(0, 1);
    CPathTile* sub02 = grid.GetCell(0, 2);
    CPathTile* whole11 = grid.GetCell(1, 1);
    for (int k = 0; k < 4; ++k) {
        CPathTile* left = CPathData::SubTile(sub01, k, 0);
        EXPECT_EQ(whole00->m_apLinks[1][k], left);
        EXPECT_EQ(left->m_apLinks[3][0], whole00);
        CPathTile* bottom = CPathData::SubTile(sub01, 3, k);
        EXPECT_EQ(whole11->m_apLinks[0][k], bottom);
        EXPECT_EQ(bottom->m_apLinks[2][0], whole11);
        // Two subdivided cells pair their edge sub-tiles one to one.
        EXPECT_EQ(CPathData::SubTile(sub01, k, 3)->m_apLinks[1][0], CPathData::SubTile(sub02, k, 0));
        EXPECT_EQ(CPathData::SubTile(sub02, k, 0)->m_apLinks[3][0], CPathData::SubTile(sub01, k, 3));
    }
    EXPECT_EQ(whole00->m_apLinks[0][0], nullptr);
    EXPECT_EQ(grid.GetCell(1, 0)->m_apLinks[1][1], nullptr); // whole beside whole: slot 0 only

    EXPECT_EQ(grid.GetNeighbour(whole00, 1), sub01);
    EXPECT_EQ(grid.GetNeighbour(sub01, 1), sub02);
    EXPECT_EQ(grid.GetNeighbour(sub02, 1), nullptr);
    EXPECT_EQ(grid.GetNeighbour(sub01, 3), whole00);
    EXPECT_EQ(grid.GetNeighbour(sub01, 2), whole11);
    EXPECT_EQ(grid.GetNeighbour(whole11, 0), sub01);
    EXPECT_EQ(grid.GetNeighbour(sub01, 7), sub01);
    EXPECT_EQ(grid.GetNeighbour(CPathData::SubTile(sub01, 1, 1), 1), nullptr);
    EXPECT_EQ(grid.GetNeighbour(nullptr, 1), nullptr);
}

TEST_F(PathGridTest, GetTileAtWalksIntoSubTilesAndClampsLeftAndAbove)
{
    PathGridPicture p({"..", ".."});
    p.Subdivide(0, 1, {"....", "....", "....", "...."});
    auto g = LoadPathGrid(p);
    ASSERT_TRUE(g);
    CPathData& grid = *g->grid;
    struct Case {
        int x, y, tileX, tileY; // -1: no tile
    };
    for (Case c : {Case{40, 9, 40, 8}, Case{63, 31, 56, 24}, Case{32, 0, 32, 0}, Case{-5, -5, 0, 0},
                   Case{-5, 40, 0, 32}, Case{64, 0, -1, -1}, Case{0, 64, -1, -1}, Case{63, 63, 32, 32}}) {
        CPathTile* t = grid.GetTileAt(c.x, c.y);
        if (c.tileX < 0) {
            EXPECT_EQ(t, nullptr) << c.x << "," << c.y;
            continue;
        }
        ASSERT_NE(t, nullptr) << c.x << "," << c.y;
        EXPECT_EQ(t->m_nX, c.tileX) << c.x << "," << c.y;
        EXPECT_EQ(t->m_nY, c.tileY) << c.x << "," << c.y;
    }
}

TEST_F(PathGridTest, LoadingWithoutACurrentMapFailsCleanly)
{
    PathGridPicture p({".."});
    TempFolder folder;
    RegisterCoreClasses();
    bool failed = false;
    std::unique_ptr<CPathData> grid(LoadBytes<CPathData>(folder, p.GridBytes(), "PathData", &failed));
    EXPECT_TRUE(failed);
    if (grid) {
        EXPECT_EQ(grid->GetTileAt(0, 0), nullptr);
    }
}

TEST_F(PathGridTest, ShortStreamFailsAndLeavesNoHalfGrid)
{
    PathGridPicture p({"...", "..."});
    auto bytes = p.GridBytes();
    bytes.resize(bytes.size() - 2);
    auto g = LoadPathGrid(PathGridPicture({"...", "..."}));
    ASSERT_TRUE(g);
    TempFolder folder;
    bool failed = false;
    std::unique_ptr<CPathData> grid(LoadBytes<CPathData>(folder, bytes, "PathData", &failed));
    EXPECT_TRUE(failed);
    if (grid) {
        EXPECT_EQ(grid->GetTileAt(0, 0), nullptr);
        EXPECT_EQ(grid->GetColumns(), 0);
    }
}

TEST_F(PathGridTest, EmptyGridAnswersNull)
{
    CPathData grid;
    EXPECT_EQ(grid.GetTileAt(0, 0), nullptr);
    EXPECT_EQ(grid.GetCellAt(0, 0), nullptr);
    EXPECT_FALSE(grid.HasLineOfSight(0, 0, 10, 10, 100));
    grid.ApplyFootprint(16, 16, 32, 32, true);
}

TEST_F(PathGridTest, GridOutlivesItsTileMap)
{
    auto g = LoadPathGrid(PathGridPicture({"..", ".."}).Subdivide(1, 1, {"....", "....", "....", "...."}));
    ASSERT_TRUE(g);
    g->map.reset();
    EXPECT_EQ(GetCurrentMap(), nullptr);
    EXPECT_NE(g->grid->GetTileAt(40, 40), nullptr);
    g->grid.reset(); // frees its own columns and rows
}

TEST_F(PathGridTest, StoreWritesTheLayoutTheLoadReads)
{
    PathGridPicture p({"a.", ".#"});
    p.legend['a'] = {30, 0x2001};
    p.Subdivide(0, 1, {"1234", "5678", "9...", "...#"});
    auto g = LoadPathGrid(p);
    ASSERT_TRUE(g);
    TempFolder folder;
    auto bytes = StoreObject(folder, g->grid.get(), "PathData");
    std::unique_ptr<CPathData> again(LoadBytes<CPathData>(folder, bytes, "PathData"));
    ASSERT_TRUE(again);
    for (int y = 0; y < 64; y += 8) {
        for (int x = 0; x < 64; x += 8) {
            CPathTile* a = g->grid->GetTileAt(x, y);
            CPathTile* b = again->GetTileAt(x, y);
            ASSERT_TRUE(a && b);
            EXPECT_EQ(a->m_nX, b->m_nX);
            EXPECT_EQ(a->m_LOSCost, b->m_LOSCost);
            EXPECT_EQ(0, std::memcmp(a->m_abyCosts, b->m_abyCosts, 5)) << x << "," << y;
        }
    }
}

// ---- feature costs ----

struct FeatureCase {
    int fire, object, chemical;
    int foot, vehicle, score;
};

TEST_F(PathGridTest, FeaturesAddToTheEffectiveCosts)
{
    auto g = LoadPathGrid(PathGridPicture({"..", ".."}).Subdivide(0, 1, {"....", "....", "....", "...."}));
    ASSERT_TRUE(g);
    CSprite sprites[3];
    CFeatureNode nodes[3];
    auto apply = [&](CPathTile* t, const FeatureCase& c, bool copy) {
        int codes[3] = {c.fire, c.object, c.chemical};
        for (int slot = 0; slot < 3; ++slot) {
            sprites[slot].m_Placement.Id = codes[slot];
            nodes[slot].m_pSprite = &sprites[slot];
            t->m_apFeatures[slot] = codes[slot] ? &nodes[slot] : nullptr;
        }
        t->UpdateCosts(copy);
    };
    // A whole tile of stored cost 10: foot base 9, vehicle base 10.
    CPathTile* whole = g->grid->GetCell(1, 0);
    std::vector<FeatureCase> wholeCases = {
        {0, 0, 0, 9, 10, 0},       {5, 0, 0, 249, 138, 8},    {6, 0, 0, 73, 10, 2},   {7, 0, 0, 137, 138, 4},
        {0, 0, 11, 249, 234, 10},  {0, 0, 130, 249, 234, 10}, {0, 2, 0, 105, 255, 0}, {0, 12, 0, 105, 255, 0},
        {0, 8, 0, 233, 42, 0},     {0, 128, 0, 233, 42, 0},   {0, 13, 0, 41, 10, 0},  {6, 131, 0, 105, 10, 2},
        {5, 0, 129, 254, 254, 18}, {3, 4, 100, 9, 10, 0},
    };
    for (const FeatureCase& c : wholeCases) {
        apply(whole, c, false);
        EXPECT_EQ(whole->m_abyCosts[kFootCost], c.foot) << c.fire << "/" << c.object << "/" << c.chemical;
        EXPECT_EQ(whole->m_abyCosts[kVehicleCost], c.vehicle) << c.fire << "/" << c.object << "/" << c.chemical;
        EXPECT_EQ(whole->GetFeatureScore(), c.score) << c.fire << "/" << c.object << "/" << c.chemical;
    }
    // Sub-tiles add a quarter; the cell head copies its additions to its whole cell.
    CPathTile* head = g->grid->GetCell(0, 1);
    CPathTile* inner = CPathData::SubTile(head, 2, 3);
    inner->m_abyCosts[kFootBase] = 255;
    apply(head, {5, 0, 11, 0, 0, 0}, true);
    EXPECT_EQ(head->m_abyCosts[kFootCost], 9 + 60 + 60);
    EXPECT_EQ(head->m_abyCosts[kVehicleCost], 10 + 32 + 56);
    EXPECT_EQ(CPathData::SubTile(head, 3, 3)->m_abyCosts[kFootCost], 129);
    EXPECT_EQ(CPathData::SubTile(head, 3, 3)->m_abyCosts[kVehicleCost], 98);
    EXPECT_EQ(inner->m_abyCosts[kFootCost], 255);
    EXPECT_EQ(inner->GetFeatureScore(), 999);
    apply(head, {0, 2, 0, 0, 0, 0}, false); // debris blocks vehicles on its tile...
    EXPECT_EQ(head->m_abyCosts[kVehicleCost], 255);
    apply(head, {0, 2, 0, 0, 0, 0}, true); // ...but the copy over the cell (head included) leaves the block out
    EXPECT_EQ(head->m_abyCosts[kVehicleCost], 10);
    EXPECT_EQ(CPathData::SubTile(head, 1, 1)->m_abyCosts[kVehicleCost], 10);
    EXPECT_EQ(CPathData::SubTile(head, 1, 1)->m_abyCosts[kFootCost], 9 + 24);
    apply(CPathData::SubTile(head, 1, 1), {7, 0, 0, 0, 0, 0}, true); // not a head: itself only
    EXPECT_EQ(CPathData::SubTile(head, 1, 1)->m_abyCosts[kFootCost], 9 + 32);
    EXPECT_EQ(CPathData::SubTile(head, 1, 2)->m_abyCosts[kFootCost], 9 + 24);
}

// ---- ring walks ----

struct Recorder : CTileVisitor {
    std::vector<std::pair<int, int>> cells;
    int stopAfter = 1000;
    bool Visit(CPathTile* tile) override
    {
        cells.emplace_back(tile->m_nX / 32, tile->m_nY / 32);
        m_fHitCount += 1;
        return static_cast<int>(cells.size()) >= stopAfter;
    }
};

TEST_F(PathGridTest, RingWalksVisitEachRingCellOnce)
{
    auto g = LoadPathGrid(PathGridPicture({".....", ".....", ".....", ".....", "....."})
                              .Subdivide(1, 1, {"....", "....", "....", "...."}));
    ASSERT_TRUE(g);
    struct Case {
        int column, row, radius, visits;
    };
    for (Case c : {Case{2, 2, 0, 1}, Case{2, 2, 1, 8}, Case{2, 2, 2, 16}, Case{0, 0, 1, 3}, Case{0, 0, 2, 5},
                   Case{4, 2, 1, 5}, Case{2, 2, 3, 0}}) {
        Recorder r;
        r.m_afParams[0] = 5.0f;
        CPathTile* centre = g->grid->GetTileAt(c.column * 32 + 9, c.row * 32 + 9);
        int visits = g->grid->VisitTilesAround(17, centre, c.radius, &r);
        std::set<std::pair<int, int>> unique(r.cells.begin(), r.cells.end());
        EXPECT_EQ(visits, c.visits) << c.column << "," << c.row << " r" << c.radius;
        EXPECT_EQ(unique.size(), r.cells.size());
        for (auto [x, y] : r.cells) {
            int ring = std::max(std::abs(x - c.column), std::abs(y - c.row));
            EXPECT_EQ(ring, c.radius) << x << "," << y;
        }
        EXPECT_EQ(r.m_nWalkKind, 17);
        EXPECT_EQ(r.m_fHitCount, static_cast<float>(visits));
        EXPECT_EQ(r.m_afParams[0], 0.0f);
    }
}

TEST_F(PathGridTest, RingWalkStopsWhenAVisitSaysSo)
{
    auto g = LoadPathGrid(PathGridPicture({".....", ".....", ".....", ".....", "....."}));
    ASSERT_TRUE(g);
    Recorder r;
    r.stopAfter = 3;
    EXPECT_EQ(g->grid->VisitTilesAround(0, g->grid->GetCell(2, 2), 2, &r), 3);
    EXPECT_EQ(g->grid->VisitTilesAround(0, nullptr, 2, &r), 0);
}

// ---- line of sight ----

TEST_F(PathGridTest, LineOfSightSpendsTheBudgetTileByTile)
{
    PathGridPicture p({"...", "...", "..."});
    p.legend['W'] = {10, 100};
    p.cells[0][1] = 'W';
    auto g = LoadPathGrid(p);
    ASSERT_TRUE(g);
    CPathData& grid = *g->grid;
    struct Case {
        int x1, y1, x2, y2, budget;
        bool sight;
    };
    std::vector<Case> cases = {
        {5, 5, 20, 20, 1, false},                               // the start tile alone spends it
        {5, 5, 20, 20, 2, true},     {0, 80, 95, 80, 4, true},  // three whole tiles of cost 1
        {0, 80, 95, 80, 3, false},   {95, 80, 0, 80, 4, true},  // walked from the smaller x either way
        {0, 16, 95, 16, 50, false},                             // through the wall
        {0, 0, 95, 95, 4, true},                                // diagonal: corners charge only the last tile entered
        {0, 0, 95, 95, 3, false},    {16, 0, 16, 95, 4, true},  // vertical
        {16, 95, 16, 0, 3, false},   {40, 40, 60, 95, 3, true}, // steep
        {0, 0, 96, 0, 1000, false},                             // an end off the grid
        {-1, 0, 10, 0, 1000, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(grid.HasLineOfSight(c.x1, c.y1, c.x2, c.y2, c.budget), c.sight)
            << c.x1 << "," << c.y1 << " -> " << c.x2 << "," << c.y2 << " budget " << c.budget;
}

TEST_F(PathGridTest, LineOfSightPassesThroughTheRightSubTiles)
{
    PathGridPicture p({"...", "...", "..."});
    p.legend['W'] = {10, 100};
    // The middle cell has a wall along its top sub-row and its right sub-column.
    p.Subdivide(1, 1, {"WWWW", "...W", "...W", "...W"});
    auto g = LoadPathGrid(p);
    ASSERT_TRUE(g);
    CPathData& grid = *g->grid;
    // y 52 is sub-row 2 of the middle cell: 1 (whole) + 3 clear sub-tiles + the wall.
    EXPECT_FALSE(grid.HasLineOfSight(0, 52, 95, 52, 50));
    EXPECT_TRUE(grid.HasLineOfSight(0, 52, 55, 52, 6)); // whole + 3 sub-tiles = 4
    EXPECT_FALSE(grid.HasLineOfSight(0, 52, 55, 52, 4));
    EXPECT_FALSE(grid.HasLineOfSight(0, 33, 50, 33, 50)); // along the wall row
    EXPECT_TRUE(grid.HasLineOfSight(40, 95, 40, 41, 6));  // up a clear sub-column: whole + 3 sub-tiles
    EXPECT_FALSE(grid.HasLineOfSight(40, 95, 40, 20, 50));
}

// ---- footprints ----

TEST_F(PathGridTest, FootprintBlocksAndClearsTheTilesUnderIt)
{
    PathGridPicture p({"...", "..."});
    p.Subdivide(0, 2, {"....", "....", "....", "...."});
    auto g = LoadPathGrid(p);
    ASSERT_TRUE(g);
    CPathData& grid = *g->grid;
    grid.ApplyFootprint(48, 16, 48, 16, true); // x 24..71, y 8..23
    CPathTile* whole = grid.GetCell(0, 1);
    EXPECT_EQ(whole->m_abyCosts[kVehicleBase], 255);
    EXPECT_EQ(whole->m_abyCosts[kVehicleCost], 255);
    EXPECT_EQ(whole->m_abyCosts[kFootBase], 56);
    EXPECT_EQ(whole->m_abyCosts[kFootCost], 56);
    EXPECT_EQ(grid.GetTileAt(64, 8)->m_abyCosts[kVehicleBase], 255);
    EXPECT_EQ(grid.GetTileAt(72, 8)->m_abyCosts[kVehicleBase], 10); // beyond the rectangle
    EXPECT_EQ(grid.GetCell(1, 1)->m_abyCosts[kVehicleBase], 10);

    grid.ApplyFootprint(48, 16, 48, 16, false);
    EXPECT_EQ(whole->m_abyCosts[kVehicleBase], 10);
    EXPECT_EQ(whole->m_abyCosts[kVehicleCost], 10);
    EXPECT_EQ(whole->m_abyCosts[kFootBase], 56); // never lowered
    EXPECT_EQ(grid.GetTileAt(64, 8)->m_abyCosts[kVehicleBase], 10);

    // A rectangle reaching off the map changes only what lies on it.
    grid.ApplyFootprint(0, 0, 64, 64, true);
    EXPECT_EQ(grid.GetCell(0, 0)->m_abyCosts[kVehicleBase], 255);
    EXPECT_EQ(grid.GetCell(1, 0)->m_abyCosts[kVehicleBase], 10);
}

} // namespace
