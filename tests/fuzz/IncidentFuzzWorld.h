// A small incident world for the fuzz targets: one grid and sprite set for the run, a fresh world per input.
#pragma once

#include "core/world/PathGridPicture.h"
#include "core/world/SpriteManager.h"
#include "game/sim/IncidentWorld.h"
#include "game/sim/SimRandom.h"
#include "platform/system/MessageBox.h"

#include <cstdio>
#include <memory>

namespace incidentfuzz {

struct Ground {
    std::unique_ptr<worldtest::LoadedGrid> grid;
    std::unique_ptr<CSpriteManager> sprites;
};

inline Ground& SharedGround()
{
    static Ground* ground = [] {
        platform::SetMessageEcho(false);
        auto* g = new Ground;
        worldtest::PathGridPicture picture({"..#.....", "........", ".~......", "......#.", "........", "........"});
        picture.Subdivide(4, 4, {"....", ".#..", "....", "...."});
        picture.tileTypes = std::vector<int>(48, 12);
        g->grid = worldtest::LoadPathGrid(picture);
        g->sprites = std::make_unique<CSpriteManager>();
        FILE* f = std::tmpfile();
        std::fputs("h1\nh2\nh3\n", f);
        for (int i = 0; i <= 300; ++i)
            std::fprintf(f, ",F%d,,0,1,%d,100,0,0,0,0,0,0,%d\n", i, i, i == 300 ? 1 : 0);
        std::rewind(f);
        g->sprites->ReadFeatureList(f);
        std::fclose(f);
        SetSimRandomSource([] {
            static uint32_t state = 1;
            state = state * 1103515245u + 12345u;
            return static_cast<int>((state >> 16) & 0x7FFF);
        });
        return g;
    }();
    return *ground;
}

// A fresh world over the shared ground, with the incident bits of every tile cleared.
inline std::unique_ptr<CIncidentWorld> FreshWorld()
{
    Ground& g = SharedGround();
    CPathData* grid = g.grid->grid.get();
    for (int r = 0; r < grid->GetRows(); ++r)
        for (int c = 0; c < grid->GetColumns(); ++c)
            for (int sr = 0; sr < 4; ++sr)
                for (int sc = 0; sc < 4; ++sc)
                    if (CPathTile* t = CPathData::SubTile(grid->GetCell(r, c), sr, sc))
                        t->m_nFlags &= 1;
    auto world = std::make_unique<CIncidentWorld>();
    world->Attach(g.sprites.get(), grid, 5, 10);
    CIncidentParams p;
    p.anThreshold[0] = 5;
    p.anThreshold[1] = 30;
    p.anThreshold[2] = 60;
    p.anSpread[0] = 30;
    p.anSpread[1] = 50;
    p.anSpread[2] = 70;
    p.afGrowth[0] = p.afGrowth[1] = p.afGrowth[2] = 3.0f;
    p.nBurnOutTime = 60;
    p.nFireBatchSize = 4;
    p.anReaction[0] = p.anReaction[1] = 30;
    p.fFlowAmountFactor = 0.5f;
    p.fFlowThresholdBase = 1.0f;
    p.fSpillDecay1 = 0.05f;
    p.nMarkerFlash = 2;
    p.nMarkerLifetime = 5;
    for (int i = 0; i < 256; ++i) {
        p.anResistance[i] = i % 50;
        p.anFlowWeight[i] = 1 + i % 7;
    }
    world->SetParameters(p);
    return world;
}

} // namespace incidentfuzz
