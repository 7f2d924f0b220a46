// One authority step of the incident world on a 100 x 75 map with subdivided patches: a fire of N burning tiles
// and 300 spills, applied locally as single play does. The budget is the 500 ms of the game step.
#include "core/world/PathGridPicture.h"
#include "core/world/SpriteManager.h"
#include "game/sim/IncidentWorld.h"
#include "game/sim/SimRandom.h"
#include "platform/system/MessageBox.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

using namespace worldtest;

constexpr int kColumns = 100;
constexpr int kRows = 75;

struct Ground {
    std::unique_ptr<LoadedGrid> grid;
    std::unique_ptr<CSpriteManager> sprites;
};

Ground& TheGround()
{
    static Ground ground = [] {
        platform::SetMessageEcho(false);
        Ground g;
        PathGridPicture picture(std::vector<std::string>(kRows, std::string(kColumns, '.')));
        for (int r = 5; r < kRows; r += 12)
            for (int c = 7; c < kColumns; c += 15)
                picture.Subdivide(r, c, {"....", ".#..", "....", "...."});
        picture.tileTypes.resize(kColumns * kRows);
        for (size_t i = 0; i < picture.tileTypes.size(); ++i)
            picture.tileTypes[i] = static_cast<int>(i % 5);
        g.grid = LoadPathGrid(picture);
        g.sprites = std::make_unique<CSpriteManager>();
        FILE* f = std::tmpfile();
        std::fputs("h1\nh2\nh3\n", f);
        for (int i = 0; i <= 300; ++i)
            std::fprintf(f, ",F%d,,0,1,%d,100,0,0,0,0,0,0,0\n", i, i);
        std::rewind(f);
        g.sprites->ReadFeatureList(f);
        std::fclose(f);
        return g;
    }();
    return ground;
}

int Lcg()
{
    static uint32_t state = 7;
    state = state * 1103515245u + 12345u;
    return static_cast<int>((state >> 16) & 0x7FFF);
}

// A world with `fires` burning tiles in a block near the middle and 300 spills along the bottom.
std::unique_ptr<CIncidentWorld> MakeWorld(int fires)
{
    Ground& g = TheGround();
    auto world = std::make_unique<CIncidentWorld>();
    world->Attach(g.sprites.get(), g.grid->grid.get(), 4, 10);
    CIncidentParams p;
    p.afGrowth[0] = 1.0f;
    p.afGrowth[1] = 2.0f;
    p.afGrowth[2] = 3.0f;
    p.anThreshold[0] = 5;
    p.anThreshold[1] = 30;
    p.anThreshold[2] = 60;
    p.anSpread[0] = 20;
    p.anSpread[1] = 40;
    p.anSpread[2] = 60;
    p.fWindFactor = 1.0f;
    p.nBurnOutTime = 30000;
    p.nFireBatchSize = 1000000; // the whole list in one pass: the worst step
    p.anReaction[0] = p.anReaction[1] = 5;
    p.fSpillDecay1 = 0.01f;
    p.fFlowAmountFactor = 0.3f;
    p.fFlowThresholdBase = 1.0f;
    for (int i = 0; i < 256; ++i) {
        p.anResistance[i] = 20 + (i % 5) * 10;
        p.anFlowWeight[i] = 1 + i % 3;
    }
    world->SetParameters(p);
    for (int i = 0; i < fires; ++i) {
        int x = (10 + i % 80) * 32, y = (5 + i / 80) * 32;
        world->AddFire(world->TileAt(x, y), 40.0f + static_cast<float>(i % 50));
    }
    for (int i = 0; i < 300; ++i)
        world->AddChemical(world->TileAt((i % 100) * 32, (70 + i / 100) * 32), 200.0f, true);
    return world;
}

void BM_AuthorityStep(benchmark::State& state)
{
    CSimRandomScope random(Lcg);
    const int fires = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto world = MakeWorld(fires);
        state.ResumeTiming();
        world->Step(); // fire pass, chemical step, object step, each with its batch and report
        benchmark::DoNotOptimize(world->Fires().Size());
        state.PauseTiming();
        world.reset();
        state.ResumeTiming();
    }
    state.counters["budget_ms"] = 500;
    state.SetComplexityN(fires);
}
BENCHMARK(BM_AuthorityStep)->Arg(250)->Arg(500)->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond)->Complexity();

} // namespace

BENCHMARK_MAIN();
