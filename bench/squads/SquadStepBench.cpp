// One movement step and one game step of 500 squads (24 players' worth) on a 100 x 75 map, per step.
#include "core/world/AStar.h"
#include "core/world/PathGridPicture.h"
#include "core/world/Sprite.h"
#include "core/world/SpriteManager.h"
#include "game/app/GameMessages.h"
#include "game/screens/eoc/EOC.h"
#include "game/sim/Squad.h"
#include "game/sim/SquadGame.h"
#include "game/sim/SquadManager.h"
#include "game/sim/SquadServices.h"
#include "platform/system/MessageBox.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>

namespace {

constexpr int kColumns = 100;
constexpr int kRows = 75;

struct BenchWorld {
    worldtest::TempFolder folder;
    std::unique_ptr<worldtest::LoadedGrid> grid;
    CAStar astar;
    CSpriteManager sprites;
    CSpriteManager areaSprites;
    CEOCUnitData eoc;
    CModeRecord mode;
    CSquadServices services;
    std::unique_ptr<CSquadManager> scenario = std::make_unique<CSquadManager>();
    std::unique_ptr<CSquadManager> area = std::make_unique<CSquadManager>();
    std::mt19937 random{42};

    BenchWorld()
    {
        platform::SetMessageEcho(false);
        RegisterGameClasses();
        folder.Write("Agency.csv", "Agency,Kind,Notes\nMetro Police,Police,\nCity Fire,Fire,\nCounty EMS,EMS,\n"
                                   "Townsfolk,Civs,\nRogue,Threat,\n");
        std::string units = "units\nheader\n,,\n";
        for (int i = 0; i < 20; ++i)
            units += std::to_string(i + 1) + ",Police,Unit" + std::to_string(i) +
                     ",Car0,1800,1,100,1,5,2,t,3,100,1,40,1,1,1,1,1,1,1,1,1,1,1,1,1,1,\n";
        folder.Write("ZR_Unit-Task_List.csv", units);
        std::string vehicles = "vehicles\nheader\n,,\n";
        for (int i = 0; i < 18; ++i)
            vehicles +=
                std::to_string(i + 1) + ",Police,Car" + std::to_string(i) + ",3600,4,200,1,60,1,1,1,1,1,1,1,1,5,\n";
        folder.Write("ZR_Vehicle-Task_List.csv", vehicles);
        folder.Write("Terrain_Features_List.csv", "features\nheader\n,,\n1,Marker,marker,0,1,10,0%,0,1,0,1,0,0,0,\n");
        folder.Write("Area_Map_Stations_List.csv", "stations\nheader\n,,\n1,Police,Central,station,30,0%,0,0,0,0,1,\n");
        folder.Write("SpriteModifiers.txt", "");
        // Open ground with a few walls.
        std::vector<std::string> picture(kRows, std::string(kColumns, '.'));
        for (int r = 10; r < kRows; r += 15)
            for (int c = 5; c < kColumns - 5; ++c)
                if (c % 30 != 0)
                    picture[static_cast<size_t>(r)][static_cast<size_t>(c)] = '#';
        grid = worldtest::LoadPathGrid(worldtest::PathGridPicture(picture));
        sprites.LoadReferenceLists(folder.Path(), "Agency.csv", nullptr);
        areaSprites.LoadReferenceLists(folder.Path(), "Agency.csv", nullptr);
        for (int i = 0; i < 500; ++i) {
            CPlacement p;
            p.Type = i % 10 == 0 ? kVehicleSprite : kUnitSprite;
            p.Id = i % 18;
            p.AgencyIndex = i % 5;
            p.WorldX = RandomX();
            p.WorldY = RandomY();
            if (p.Type == kUnitSprite)
                sprites.CreateUnitSprite(p, true);
            else
                sprites.CreateVehicleSprite(p, true);
        }
        services.pAStar = &astar;
        services.pEOC = &eoc;
        services.fnPost = [this](uint16_t id, const uint8_t* payload, size_t length) { Apply(id, payload, length); };
        scenario->SetServices(&services);
        area->SetServices(&services);
        area->SetAreaMap(true);
        scenario->Attach(&sprites, area.get(), grid->map.get(), nullptr, &mode, &eoc, grid->grid.get());
        area->Attach(&areaSprites, scenario.get(), nullptr, nullptr, &mode, &eoc, nullptr);
    }
    ~BenchWorld()
    {
        scenario.reset();
        area.reset();
    }
    // A point on open ground (rows of walls are every 15th row from 10).
    int RandomX() { return static_cast<int>(random() % (kColumns * 32)); }
    int RandomY()
    {
        int y;
        do
            y = static_cast<int>(random() % (kRows * 32));
        while ((y / 32) % 15 == 10);
        return y;
    }
    void Apply(uint16_t id, const uint8_t* payload, size_t length)
    {
        switch (id) {
        case kGmSquadOrder:
            scenario->ApplySquadOrder(payload, length);
            break;
        case kGmSquadSync:
            scenario->ApplySyncRecords(payload, length);
            break;
        case kGmSquadPosition:
            scenario->ApplySquadPosition(payload, length);
            break;
        case kGmSquadStatus:
            scenario->ApplySquadStatus(payload, length);
            break;
        default:
            break;
        }
    }
    // Idle squads get somewhere new to go: at most `limit` new orders (each costs a path search).
    void KeepMoving(int limit)
    {
        for (const auto* list : {&scenario->Units(), &scenario->Vehicles()})
            for (CSquad* s : *list)
                if (limit > 0 && s->m_nState == kActIdle && !(s->m_nFlags & (kSqMoving | kSqPathRequest))) {
                    s->GiveOrder(0, kActIdle, RandomX(), RandomY(), kSqPathRequest, nullptr);
                    --limit;
                }
    }
    // Every squad under way (the path searches done once, outside the measured steps).
    void StartAll()
    {
        if (m_bStarted)
            return;
        m_bStarted = true;
        KeepMoving(1000);
        scenario->MovementStep();
    }
    bool m_bStarted = false;
};

BenchWorld& World()
{
    static BenchWorld* world = new BenchWorld();
    return *world;
}

void BM_MovementStep500(benchmark::State& state)
{
    BenchWorld& w = World();
    w.StartAll();
    for (auto _ : state) {
        w.KeepMoving(2); // a player's clicks: a new path now and then
        w.scenario->MovementStep();
        w.area->MovementStep();
    }
    state.counters["squads"] = static_cast<double>(w.scenario->Units().size() + w.scenario->Vehicles().size());
}
BENCHMARK(BM_MovementStep500)->Unit(benchmark::kMillisecond);

void BM_GameStep500(benchmark::State& state)
{
    BenchWorld& w = World();
    w.StartAll();
    for (auto _ : state) {
        w.scenario->GameStep(kGmSquadSync);
        w.area->GameStep(kGmAreaSquadSync);
    }
}
BENCHMARK(BM_GameStep500)->Unit(benchmark::kMillisecond);

} // namespace
