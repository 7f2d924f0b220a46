// A* on a 100 x 75 map with subdivided patches and walls: our finder beside Boost.Graph's astar_search.
#include "core/world/AStar.h"
#include "core/world/PathGridPicture.h"
#include "platform/system/MessageBox.h"

#include <benchmark/benchmark.h>

#include <map>
#include <random>
#include <stdexcept>
#include <vector>

#ifdef ZR_HAVE_BOOST_GRAPH
#include <boost/graph/adjacency_list.hpp>
#include <boost/graph/astar_search.hpp>
#endif

namespace {

using namespace worldtest;

using Pairs = std::vector<std::pair<CPathTile*, CPathTile*>>;

struct Scenario {
    std::unique_ptr<LoadedGrid> grid;
    Pairs pairs;  // routes that exist
    Pairs sealed; // goals walled in: the search visits every reachable tile
};

// A fixed map: random ground costs, three long walls with gaps, and subdivided patches with sub-tile walls.
Scenario& TheScenario()
{
    static Scenario scenario = [] {
        platform::SetMessageEcho(false); // failed searches report on the debugger output
        std::mt19937 rng(2024);
        const char ground[] = "....1122~";
        std::vector<std::string> rows(75, std::string(100, '.'));
        for (auto& row : rows)
            for (char& c : row)
                c = ground[rng() % 9];
        for (int r = 5; r < 70; ++r) {
            if (r % 23 != 0)
                rows[r][30] = '#';
            if (r % 17 != 3)
                rows[74 - r][65] = '#';
        }
        for (int c = 10; c < 90; ++c)
            if (c % 19 != 0)
                rows[40][c] = '#';
        rows[10][80] = '.';
        rows[9][80] = rows[11][80] = rows[10][79] = rows[10][81] = '#';
        PathGridPicture p(rows);
        for (int k = 0; k < 120; ++k) {
            int r = static_cast<int>(rng() % 75);
            int c = static_cast<int>(rng() % 100);
            if (rows[r][c] == '#')
                continue;
            std::array<std::string, 4> sub = {"....", "..#.", ".##.", "...."};
            p.Subdivide(r, c, sub);
        }
        Scenario s;
        s.grid = LoadPathGrid(p);
        CPathData& g = *s.grid->grid;
        std::vector<std::pair<int, int>> ends = {{0, 0},   {99, 74}, {5, 70},  {95, 3},  {50, 10}, {48, 60},
                                                 {20, 20}, {80, 50}, {2, 37},  {97, 38}, {33, 72}, {70, 1},
                                                 {15, 55}, {85, 15}, {60, 35}, {25, 45}};
        for (size_t i = 0; i < ends.size(); i += 2) {
            CPathTile* a = g.GetCell(ends[i].second, ends[i].first);
            CPathTile* b = g.GetCell(ends[i + 1].second, ends[i + 1].first);
            s.pairs.emplace_back(a, b);
            s.pairs.emplace_back(b, a);
        }
        s.sealed.emplace_back(g.GetCell(0, 0), g.GetCell(10, 80));
        s.sealed.emplace_back(g.GetCell(74, 99), g.GetCell(10, 80));
        return s;
    }();
    return scenario;
}

void BM_CAStarRoutes(benchmark::State& state, bool sealed)
{
    Scenario& s = TheScenario();
    const Pairs& pairs = sealed ? s.sealed : s.pairs;
    CAStar finder;
    int found = 0;
    for (auto _ : state) {
        for (auto& [start, goal] : pairs) {
            CAStarNode* node = finder.FindPath(start, goal, kFootCost);
            found += node != nullptr;
            benchmark::DoNotOptimize(node);
        }
    }
    state.counters["routes/s"] =
        benchmark::Counter(static_cast<double>(state.iterations() * pairs.size()), benchmark::Counter::kIsRate);
    state.counters["found"] = static_cast<double>(found) / static_cast<double>(state.iterations());
}
BENCHMARK_CAPTURE(BM_CAStarRoutes, routes, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CAStarRoutes, sealed_goal, true)->Unit(benchmark::kMillisecond);

#ifdef ZR_HAVE_BOOST_GRAPH
using Graph = boost::adjacency_list<boost::vecS, boost::vecS, boost::directedS, boost::no_property,
                                    boost::property<boost::edge_weight_t, int>>;

struct FoundGoal {};

struct GoalVisitor : boost::default_astar_visitor {
    size_t goal;
    explicit GoalVisitor(size_t g) : goal(g) {}
    template <class G> void examine_vertex(size_t v, const G&)
    {
        if (v == goal)
            throw FoundGoal();
    }
};

struct Estimate : boost::astar_heuristic<Graph, int> {
    const std::vector<CPathTile*>* tiles;
    CPathTile* goal;
    Estimate(const std::vector<CPathTile*>* t, CPathTile* g) : tiles(t), goal(g) {}
    int operator()(size_t v) const
    {
        int dx = std::abs((*tiles)[v]->m_nX - goal->m_nX);
        int dy = std::abs((*tiles)[v]->m_nY - goal->m_nY);
        return std::max(dx, dy) + std::min(dx, dy) / 2;
    }
};

void BM_BoostAStarRoutes(benchmark::State& state, bool sealed)
{
    Scenario& s = TheScenario();
    const Pairs& pairs = sealed ? s.sealed : s.pairs;
    CPathData& g = *s.grid->grid;
    std::vector<CPathTile*> tiles;
    std::map<CPathTile*, size_t> index;
    for (int r = 0; r < g.GetRows(); ++r)
        for (int c = 0; c < g.GetColumns(); ++c)
            for (int i = 0; i < (g.GetCell(r, c)->IsSubTile() ? 16 : 1); ++i) {
                CPathTile* t = CPathData::SubTile(g.GetCell(r, c), i / 4, i % 4);
                index[t] = tiles.size();
                tiles.push_back(t);
            }
    Graph graph(tiles.size());
    for (size_t v = 0; v < tiles.size(); ++v)
        for (auto& direction : tiles[v]->m_apLinks)
            for (CPathTile* n : direction)
                if (n && n->m_abyCosts[kFootCost] != 255)
                    boost::add_edge(v, index[n], n->m_abyCosts[kFootCost], graph);
    std::vector<size_t> pred(tiles.size());
    std::vector<int> dist(tiles.size());
    int found = 0;
    for (auto _ : state) {
        for (auto& [start, goal] : pairs) {
            size_t sv = index[start];
            size_t gv = index[goal];
            try {
                boost::astar_search(
                    graph, sv, Estimate(&tiles, goal),
                    boost::predecessor_map(pred.data()).distance_map(dist.data()).visitor(GoalVisitor(gv)));
            } catch (const FoundGoal&) {
                ++found;
            }
            benchmark::DoNotOptimize(dist[gv]);
        }
    }
    state.counters["routes/s"] =
        benchmark::Counter(static_cast<double>(state.iterations() * pairs.size()), benchmark::Counter::kIsRate);
    state.counters["found"] = static_cast<double>(found) / static_cast<double>(state.iterations());
}
BENCHMARK_CAPTURE(BM_BoostAStarRoutes, routes, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BoostAStarRoutes, sealed_goal, true)->Unit(benchmark::kMillisecond);
#endif

} // namespace
