// A* path finder: pinned routes, tie-breaking, improvement and propagation, the log line and pool exhaustion.
#include "core/world/AStar.h"
#include "core/world/PathGridPicture.h"

#include "platform/system/MessageBox.h"

#include <gtest/gtest.h>

#include <fstream>
#include <queue>
#include <random>
#include <sstream>

using namespace worldtest;

namespace {

class AStarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetWorldContext();
        platform::ClearRecordedMessages();
        platform::SetMessageEcho(false);
    }
    void TearDown() override
    {
        platform::SetMessageEcho(true);
        ResetWorldContext();
    }
    CAStar finder;
};

// The route as cell coordinates "c,r" (or "c,r:sc,sr" for sub-tiles).
std::string RouteText(const CAStarNode* goal)
{
    std::string text;
    for (CPathTile* t : CAStar::RouteTiles(goal)) {
        if (!text.empty())
            text += " ";
        text += std::to_string(t->m_nX / 32) + "," + std::to_string(t->m_nY / 32);
        if (t->IsSubTile())
            text += ":" + std::to_string(t->m_nX % 32 / 8) + "," + std::to_string(t->m_nY % 32 / 8);
    }
    return text;
}

TEST_F(AStarTest, StartEqualToGoalIsTheStartNode)
{
    auto g = LoadPathGrid(PathGridPicture({"..", ".."}));
    ASSERT_TRUE(g);
    CPathTile* t = g->grid->GetCell(1, 1);
    CAStarNode* node = finder.FindPath(t, t, 3);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->tile, t);
    EXPECT_EQ(node->g, 0);
    EXPECT_EQ(node->parent, nullptr);
}

TEST_F(AStarTest, FootAndVehicleRoutesDiffer)
{
    PathGridPicture p({"2V2", "2#2", "222"});
    p.legend['V'] = {160, 1}; // feet pay 56, vehicles cannot pass
    auto g = LoadPathGrid(p);
    ASSERT_TRUE(g);
    CPathTile* start = g->grid->GetCell(0, 0);
    CPathTile* goal = g->grid->GetCell(0, 2);
    CAStarNode* foot = finder.FindPath(start, goal, kFootCost);
    ASSERT_NE(foot, nullptr);
    EXPECT_EQ(RouteText(foot), "0,0 1,0 2,0");
    EXPECT_EQ(foot->g, 56 + 16);
    CAStarNode* vehicle = finder.FindPath(start, goal, kVehicleCost);
    ASSERT_NE(vehicle, nullptr);
    EXPECT_EQ(RouteText(vehicle), "0,0 0,1 0,2 1,2 2,2 2,1 2,0");
    EXPECT_EQ(vehicle->g, 6 * 20);
}

TEST_F(AStarTest, LaterInsertedNodeWinsTies)
{
    // From the top middle to the bottom middle round a wall: both sides cost the same; the left one is
    // inserted after the right one and so is expanded first.
    auto g = LoadPathGrid(PathGridPicture({"...", ".#.", "..."}));
    ASSERT_TRUE(g);
    CAStarNode* node = finder.FindPath(g->grid->GetCell(0, 1), g->grid->GetCell(2, 1), kVehicleCost);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(RouteText(node), "1,0 0,0 0,1 0,2 1,2");
}

TEST_F(AStarTest, ACheaperWayToANodeStillOnOpenTakesItOver)
{
    // The step to the right is expanded first and reaches the costly cell below it; the cell below the start,
    // expanded next, reaches it more cheaply before it is expanded.
    PathGridPicture p({".2####", ".9...."});
    p.legend['2'] = {20, 1};
    p.legend['9'] = {90, 1};
    auto g = LoadPathGrid(p);
    ASSERT_TRUE(g);
    CAStarNode* node = finder.FindPath(g->grid->GetCell(0, 0), g->grid->GetCell(1, 5), kVehicleCost);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(RouteText(node), "0,0 0,1 1,1 2,1 3,1 4,1 5,1");
    EXPECT_EQ(node->g, 10 + 90 + 4 * 10);
}

TEST_F(AStarTest, RoutesThroughSubdividedCells)
{
    PathGridPicture p({"...", "..."});
    // A wall of sub-tiles with a gap in sub-row 2.
    p.Subdivide(0, 1, {"..#.", "..#.", "....", "..#."}).Subdivide(1, 1, {"..#.", "..#.", "..#.", "..#."});
    auto g = LoadPathGrid(p);
    ASSERT_TRUE(g);
    CAStarNode* node = finder.FindPath(g->grid->GetCell(1, 0), g->grid->GetCell(1, 2), kVehicleCost);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(RouteText(node), "0,1 1,1:0,0 1,1:1,0 1,0:1,3 1,0:1,2 1,0:2,2 1,0:3,2 1,0:3,3 1,1:3,0 2,1");
}

TEST_F(AStarTest, WalledOffGoalEndsWithNoRoute)
{
    auto g = LoadPathGrid(PathGridPicture({"..#.", "..#.", "..#."}));
    ASSERT_TRUE(g);
    EXPECT_EQ(finder.FindPath(g->grid->GetCell(0, 0), g->grid->GetCell(1, 3), kFootCost), nullptr);
    auto debug = platform::RecordedDebugOutput();
    ASSERT_FALSE(debug.empty());
    EXPECT_EQ(debug.back(), "no more nodes on OPEN list\n");
}

TEST_F(AStarTest, ImpassableGoalIsRefusedWithoutASearch)
{
    TempFolder folder;
    ASSERT_TRUE(finder.OpenLog(folder.Path()));
    auto g = LoadPathGrid(PathGridPicture({"..#"}));
    ASSERT_TRUE(g);
    EXPECT_EQ(finder.FindPath(g->grid->GetCell(0, 0), g->grid->GetCell(0, 2), kFootCost), nullptr);
    CAStar other; // closing the log by destroying its finder leaves the file as written
    std::ifstream in(folder.File("AStarLog.txt"));
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(all, "");
}

TEST_F(AStarTest, LogLineCountsThePoolUse)
{
    TempFolder folder;
    // A corridor of 148 cells: two list heads, the start and 147 more nodes = 150 nodes.
    auto g = LoadPathGrid(PathGridPicture({std::string(148, '.')}));
    ASSERT_TRUE(g);
    ASSERT_TRUE(finder.OpenLog(folder.Path()));
    ASSERT_NE(finder.FindPath(g->grid->GetCell(0, 0), g->grid->GetCell(0, 147), kFootCost), nullptr);
    ASSERT_NE(finder.FindPath(g->grid->GetCell(0, 0), g->grid->GetCell(0, 1), kFootCost), nullptr);
    std::ifstream in(folder.File("AStarLog.txt"));
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(all, "last allocated... block: 1  node: 49  blocks allocated: 2\n"
                   "last allocated... block: 0  node: 3  blocks allocated: 2\n");
}

TEST_F(AStarTest, PoolExhaustionGivesNoRoute)
{
    // An open field of 150 x 150 cells around a passable goal sealed in by walls.
    std::vector<std::string> rows(150, std::string(150, '.'));
    rows[140][140] = rows[140][142] = rows[139][141] = rows[141][141] = '#';
    auto g = LoadPathGrid(PathGridPicture(rows));
    ASSERT_TRUE(g);
    TempFolder folder;
    ASSERT_TRUE(finder.OpenLog(folder.Path()));
    EXPECT_EQ(finder.FindPath(g->grid->GetCell(0, 0), g->grid->GetCell(140, 141), kFootCost), nullptr);
    auto debug = platform::RecordedDebugOutput();
    ASSERT_FALSE(debug.empty());
    EXPECT_EQ(debug.back(), "there aren't anymore A* nodes!!!\n");
    std::ifstream in(folder.File("AStarLog.txt"));
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "last allocated... block: 199  node: 99  blocks allocated: 200");
    // The finder still works afterwards.
    EXPECT_NE(finder.FindPath(g->grid->GetCell(0, 0), g->grid->GetCell(3, 3), kFootCost), nullptr);
}

// Cheapest route cost by Dijkstra over the same links and layer.
int Dijkstra(CPathData& grid, CPathTile* start, CPathTile* goal, int layer)
{
    std::map<CPathTile*, int> best;
    using Item = std::pair<int, CPathTile*>;
    std::priority_queue<Item, std::vector<Item>, std::greater<>> queue;
    best[start] = 0;
    queue.push({0, start});
    while (!queue.empty()) {
        auto [d, t] = queue.top();
        queue.pop();
        if (d != best[t])
            continue;
        if (t == goal)
            return d;
        for (auto& direction : t->m_apLinks) {
            for (CPathTile* n : direction) {
                if (!n || n->m_abyCosts[layer] == 255)
                    continue;
                int nd = d + n->m_abyCosts[layer];
                auto it = best.find(n);
                if (it == best.end() || nd < it->second) {
                    best[n] = nd;
                    queue.push({nd, n});
                }
            }
        }
    }
    (void)grid;
    return -1;
}

TEST_F(AStarTest, RoutesOnRandomGridsAreConnectedAndTheirCostsAddUp)
{
    std::mt19937 rng(11);
    const char kinds[] = "....1259~#";
    int optimal = 0;
    for (int round = 0; round < 40; ++round) {
        std::vector<std::string> rows(12, std::string(14, '.'));
        for (auto& row : rows)
            for (char& c : row)
                c = kinds[rng() % 10];
        rows[0][0] = rows[11][13] = '.';
        PathGridPicture p(rows);
        for (int k = 0; k < 6; ++k) {
            std::array<std::string, 4> sub;
            for (auto& line : sub) {
                line = "....";
                for (char& c : line)
                    c = kinds[rng() % 10];
            }
            p.Subdivide(1 + static_cast<int>(rng() % 10), 1 + static_cast<int>(rng() % 12), sub);
        }
        auto g = LoadPathGrid(p);
        ASSERT_TRUE(g);
        for (int layer : {kFootCost, kVehicleCost}) {
            CPathTile* start = g->grid->GetCell(0, 0);
            CPathTile* goal = g->grid->GetCell(11, 13);
            int optimum = Dijkstra(*g->grid, start, goal, layer);
            CAStarNode* node = finder.FindPath(start, goal, layer);
            ASSERT_EQ(node == nullptr, optimum < 0) << "round " << round;
            if (!node)
                continue;
            auto route = CAStar::RouteTiles(node);
            ASSERT_EQ(route.front(), start);
            ASSERT_EQ(route.back(), goal);
            int sum = 0;
            for (size_t i = 1; i < route.size(); ++i) {
                bool linked = false;
                for (auto& direction : route[i - 1]->m_apLinks)
                    for (CPathTile* n : direction)
                        linked = linked || n == route[i];
                EXPECT_TRUE(linked) << "round " << round;
                EXPECT_NE(route[i]->m_abyCosts[layer], 255);
                sum += route[i]->m_abyCosts[layer];
            }
            EXPECT_EQ(sum, node->g) << "round " << round; // improvements reached the route's nodes
            EXPECT_GE(node->g, optimum);
            optimal += node->g == optimum;
        }
    }
    EXPECT_GT(optimal, 0);
}

} // namespace
