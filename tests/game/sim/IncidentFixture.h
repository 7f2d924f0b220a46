// Test fixtures for the incident world: a small grid and sprite set, recorded links, scripted draws, a host and
// a client joined by an in-memory message pair, and a plain description of a world to compare.
#pragma once

#include "core/world/PathGridPicture.h"
#include "core/world/Sprite.h"
#include "core/world/SpriteManager.h"
#include "game/sim/IncidentWorld.h"
#include "game/sim/SimRandom.h"
#include "platform/system/MessageBox.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace incidenttest {

// Feature templates 0 to 299 (no art); template 300 is a structure.
inline void LoadFeatureTemplates(CSpriteManager& sprites)
{
    FILE* f = std::tmpfile();
    std::fputs("h1\nh2\nh3\n", f);
    for (int i = 0; i <= 300; ++i)
        std::fprintf(f, ",F%d,,0,1,%d,100,0,0,0,0,0,0,%d\n", i, i, i == 300 ? 1 : 0);
    std::rewind(f);
    sprites.ReadFeatureList(f);
    std::fclose(f);
}

// Scripted draws: the queue first, then `fallback` (a fixed value, or a small generator when negative).
class ScriptedRandom {
public:
    explicit ScriptedRandom(int fallback = 99) : m_fallback(fallback), m_scope([this] { return Next(); }) {}
    void Push(std::initializer_list<int> values) { m_queue.insert(m_queue.end(), values); }
    void Seed(uint32_t seed) { m_state = seed; }
    int Draws() const { return m_draws; }

private:
    int Next()
    {
        ++m_draws;
        if (!m_queue.empty()) {
            int v = m_queue.front();
            m_queue.pop_front();
            return v;
        }
        if (m_fallback >= 0)
            return m_fallback;
        m_state = m_state * 1103515245u + 12345u; // the runtime's classic generator
        return static_cast<int>((m_state >> 16) & 0x7FFF);
    }
    std::deque<int> m_queue;
    int m_fallback;
    uint32_t m_state = 1;
    int m_draws = 0;
    CSimRandomScope m_scope;
};

struct RecordedLinks : IIncidentScoring, IIncidentEvents, IIncidentSound {
    int stats[32] = {};
    std::vector<EIncidentCost> costs;
    std::vector<std::vector<int>> notes; // kind, a, b, c
    std::vector<int> played;
    std::vector<int> stopped;
    int32_t time = 930;
    uint32_t facilityFlags = 0;

    void AddStat(int index, int delta) override
    {
        if (index >= 0 && index < 32)
            stats[index] += delta;
    }
    void ChargeIncidentCost(EIncidentCost cost) override { costs.push_back(cost); }
    int32_t GetCurrentTime() const override { return time; }
    void Notify(int kind, void*, int a, int b, int c) override { notes.push_back({kind, a, b, c}); }
    int Play(int sound, float, bool loop) override
    {
        played.push_back(sound);
        return loop ? sound : -1;
    }
    void StopLoop(int channel) override { stopped.push_back(channel); }
    int Count(EIncidentCost c) const
    {
        int n = 0;
        for (EIncidentCost x : costs)
            n += x == c;
        return n;
    }
};

struct FakeSquads : IIncidentSquads {
    struct Squad {
        CBlastSquad view;
        float health = 100.0f;
        float contamination = 0.0f;
    };
    std::vector<Squad> squads;
    int SquadCount() const override { return static_cast<int>(squads.size()); }
    bool GetSquad(int i, CBlastSquad& out) const override
    {
        out = squads[static_cast<size_t>(i)].view;
        return true;
    }
    void AddHealth(int i, float d) override { squads[static_cast<size_t>(i)].health += d; }
    void AddContamination(int i, float d) override { squads[static_cast<size_t>(i)].contamination += d; }
};

// Parameters that make the rules easy to follow: bands at 5, 30, 60.
inline CIncidentParams TestParams()
{
    CIncidentParams p;
    p.afGrowth[0] = 1.0f;
    p.afGrowth[1] = 2.0f;
    p.afGrowth[2] = 4.0f;
    p.anThreshold[0] = 5;
    p.anThreshold[1] = 30;
    p.anThreshold[2] = 60;
    p.anSpread[0] = 20;
    p.anSpread[1] = 40;
    p.anSpread[2] = 60;
    p.fWindFactor = 1.0f;
    p.nBurnOutTime = 600;
    p.nFireBatchSize = 50;
    p.anReaction[0] = 5;
    p.anReaction[1] = 10;
    p.fSpillDecay1 = 0.02f;
    p.fSpillDecay2 = 0.03f;
    p.fFlowThresholdFactor = 0.1f;
    p.fFlowAmountFactor = 0.5f;
    p.fFlowThresholdBase = 2.0f;
    p.afSpillAmount[0] = 100.0f;
    p.afSpillAmount[1] = 200.0f;
    p.afSpillAmount[2] = 400.0f;
    p.fObstructionFactor = 0.5f;
    p.nMarkerFlash = 3;
    p.nMarkerLifetime = 10;
    for (int i = 0; i < 256; ++i) {
        p.anResistance[i] = 0;
        p.anFlowWeight[i] = 10;
    }
    return p;
}

// One machine: its grid, sprites and world.
struct Machine {
    std::unique_ptr<worldtest::LoadedGrid> grid;
    std::unique_ptr<CSpriteManager> sprites;
    std::unique_ptr<CIncidentWorld> world;
    RecordedLinks links;
    FakeSquads squads;

    Machine(const worldtest::PathGridPicture& picture, int windDirection = 0, int windSpeed = 0)
    {
        grid = worldtest::LoadPathGrid(picture);
        sprites = std::make_unique<CSpriteManager>();
        LoadFeatureTemplates(*sprites);
        world = std::make_unique<CIncidentWorld>();
        world->Attach(sprites.get(), grid ? grid->grid.get() : nullptr, windDirection, windSpeed);
        world->SetParameters(TestParams());
        CIncidentLinks l;
        l.pScoring = &links;
        l.pEvents = &links;
        l.pSound = &links;
        l.pSquads = &squads;
        l.pFacilityFlags = &links.facilityFlags;
        world->SetLinks(l);
    }
    ~Machine()
    {
        world.reset(); // its nodes' sprites and tile links first
        sprites.reset();
        grid.reset();
    }
    CPathTile* Tile(int x, int y) const { return world->TileAt(x, y); }
};

// A host and a client: every message the host posts is applied on the host and then carried to the client.
struct HostAndClient {
    Machine host;
    Machine client;
    std::vector<std::pair<uint16_t, std::vector<uint8_t>>> sent;

    explicit HostAndClient(const worldtest::PathGridPicture& picture, int windDirection = 0, int windSpeed = 0)
        : host(picture, windDirection, windSpeed), client(picture, windDirection, windSpeed)
    {
        CIncidentLinks l = host.world->GetLinks();
        l.fnPost = [this](uint16_t id, const uint8_t* p, size_t n) {
            std::vector<uint8_t> copy(p, p + n);
            sent.emplace_back(id, copy);
            Apply(*host.world, id, copy); // the authority applies what it posts
            Apply(*client.world, id, copy);
        };
        host.world->SetLinks(l);
    }
    static void Apply(CIncidentWorld& w, uint16_t id, const std::vector<uint8_t>& p)
    {
        if (id == 42)
            w.ApplyTileUpdates(p.data(), p.size());
        else if (id == 63)
            w.ApplyMapObjectRecord(p.data(), p.size());
        else if (id == 66)
            w.SpawnSpritePair(p.data(), p.size());
    }
};

// Every node of every list, in order, with what all machines must agree on.
inline std::string Describe(const CIncidentWorld& w)
{
    std::ostringstream out;
    const char* names[4] = {"fire", "chem", "obj", "zone"};
    const CIncidentList* lists[4] = {&w.Fires(), &w.Chemicals(), &w.Objects(), &w.ZoneNodes()};
    for (int i = 0; i < 4; ++i) {
        for (CIncidentNode* n = lists[i]->Head(); n; n = n->m_pNext) {
            // Burn counters and bomb countdowns are the authority's own bookkeeping: only zone sizes travel.
            out << names[i] << " " << n->m_pTile->m_nX << "," << n->m_pTile->m_nY << " type " << n->m_nType << " value "
                << n->m_fValue << " counter " << (i == 3 ? n->m_nCounter : 0) << " key " << n->m_nGroupKey << " hidden "
                << n->IsHidden() << " sprite " << (n->m_pSprite ? n->m_pSprite->m_Placement.Id : -1);
            if (i == 0)
                out << " stage " << int(n->m_byStage);
            out << "\n";
        }
    }
    out << "fires " << w.m_nFireCount << "/" << w.m_nFirePeak << " spills " << w.m_nSpillCount << "/" << w.m_nSpillPeak
        << " zone mark " << w.m_nZoneMark << " markers " << w.GetMarkers().size() << " obstructions "
        << w.GetObstructions().size() << "\n";
    return out.str();
}

// A picture of plain ground, `columns` x `rows` cells.
inline worldtest::PathGridPicture Ground(int columns, int rows)
{
    return worldtest::PathGridPicture(std::vector<std::string>(static_cast<size_t>(rows), std::string(columns, '.')));
}

class IncidentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetWorldContext();
        platform::SetMessageEcho(false);
        platform::ClearRecordedMessages();
    }
    void TearDown() override
    {
        platform::SetMessageEcho(true);
        ResetWorldContext();
    }
};

} // namespace incidenttest
