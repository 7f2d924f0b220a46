// Squads on a small world: game objects with a tile map and path grid drawn in ASCII, sprite lists written to a
// temporary folder, a fake incident world, scripted random draws, and a host/client pair joined in memory.
#pragma once

#include "core/sound/CSoundManager.h"
#include "core/world/AStar.h"
#include "core/world/AreaMapData.h"
#include "core/world/PathGridPicture.h"
#include "core/world/Sprite.h"
#include "core/world/SpriteManager.h"
#include "core/world/StationData.h"
#include "core/world/UnitTaskRecord.h"
#include "core/world/WorldTestSupport.h"
#include "game/app/Game.h"
#include "game/screens/eoc/EOC.h"
#include "game/sim/Squad.h"
#include "game/sim/SquadGame.h"
#include "game/sim/SquadManager.h"
#include "game/sim/SquadServices.h"
#include "core/util/ByteStream.h"
#include "net/session/NetGameSession.h"
#include "platform/system/MessageBox.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace squadtest {

// The reference lists: 20 unit templates (index 0-19, carried by "Car0"), 18 vehicle templates.
inline void WriteLists(const worldtest::TempFolder& folder)
{
    folder.Write("Agency.csv", "Agency,Kind,Notes\nMetro Police,Police,\nCity Fire,Fire,\nCounty EMS,EMS,\n"
                               "Townsfolk,Civs,\nRogue,Threat,\n");
    std::string units = "ZR unit and task list\nId,Agency,Unit,Carrier,Cost,Value6,Health,DamageLow,DamageHigh,"
                        "Persons,Text,RP,Fatigue,Info,Speed,Assault,Perimeter,Evacuate,SearchForBomb,FirstAid,"
                        "ClearDebris,FightFire,FightHazard,DefuseBomb,Negotiate,Direct,UtilityWork,Escort,Supervise\n"
                        ",,,,,,,,,,,,,,,,,,,,,,,,,,,,\n";
    for (int i = 0; i < 20; ++i)
        units += std::to_string(i + 1) + ",Police,Unit" + std::to_string(i) +
                 ",Car0,1800,1,100,1,5,2,t,3,100,1,40,0,0,0,0,0,0,0,0,0,0,0,0,0,0,\n";
    folder.Write("ZR_Unit-Task_List.csv", units);
    std::string vehicles = "ZR vehicle and task list\nId,Agency,Vehicle,Cost,Capacity,Health,Info,Speed,FightFire,"
                           "ClearDebris,Evacuate,Perimeter,SearchForBomb,FirstAid,FightHazard,UtilityWork,"
                           "Detection\n,,,,,,,,,,,,,,,,\n";
    for (int i = 0; i < 18; ++i)
        vehicles += std::to_string(i + 1) + ",Police,Car" + std::to_string(i) + ",3600,4,200,1,20,0,0,0,0,0,0,0,0,5,\n";
    folder.Write("ZR_Vehicle-Task_List.csv", vehicles);
    folder.Write("Terrain_Features_List.csv",
                 "Terrain features\nId,Name,Bitmap,Col4,Col5,Depth,Alpha,Visibility,Opt0,Opt1,OptType,Col12,Col13,"
                 "Structure\n,,,,,,,,,,,,,\n1,Marker,marker,0,1,10,0%,0,1,0,1,0,0,0,\n"
                 "2,Small marker,marker,0,1,10,0%,0,1,0,1,0,0,0,\n");
    folder.Write("Area_Map_Stations_List.csv", "Area map stations\nId,Agency,Station,Bitmap,Depth,Alpha,Visibility,"
                                               "Opt0,Opt1,OptType,Info\n,,,,,,,,,,\n"
                                               "1,Police,Central,station,30,0%,0,0,0,0,101,\n");
    folder.Write("SpriteModifiers.txt", "");
}

// A small incident world: what each cell holds, and what the squads did to it.
class FakeWorld : public ISquadWorld {
public:
    std::map<CPathTile*, int> fire, object, facility;
    std::map<CPathTile*, float> intensity, chemical, objectValue;
    std::vector<std::vector<int>> hazards;   // {x, y, code}
    std::vector<std::vector<int>> incidents; // {type, x, y}
    std::vector<std::vector<int>> fires;     // {x, y, intensity}
    int batches = 0, revealed = 0, spills = 0;
    float obstruction = -1.0f; // value of the one obstruction (below 0: none)
    bool fireNear = false, chemicalNear = false;

    int FireClassAt(CPathTile* t) override { return fire.count(t) ? fire[t] : 0; }
    float FireIntensityAt(CPathTile* t) override { return intensity.count(t) ? intensity[t] : 0.0f; }
    float ChemicalAt(CPathTile* t) override { return chemical.count(t) ? chemical[t] : 0.0f; }
    void ReduceFire(CPathTile* t, float a) override { intensity[t] -= a; }
    void ReduceChemical(CPathTile* t, float a) override { chemical[t] -= a; }
    bool FireWithin(CPathTile*, int) override { return fireNear; }
    bool ChemicalWithin(CPathTile*, int) override { return chemicalNear; }
    int ObjectAt(CPathTile* t, bool* hidden) override
    {
        if (hidden)
            *hidden = false;
        return object.count(t) ? object[t] : -1;
    }
    float ObjectValueAt(CPathTile* t) override { return objectValue.count(t) ? objectValue[t] : 0.0f; }
    int FacilityAt(CPathTile* t) override { return facility.count(t) ? facility[t] : 0; }
    void RevealBomb(CPathTile*) override { ++revealed; }
    void AddHazardEntry(int x, int y, int code, float) override { hazards.push_back({x, y, code}); }
    void AddChemicalEntry(int, int, float) override { ++spills; }
    void SendBatch() override { ++batches; }
    void StartFire(int x, int y, int i) override { fires.push_back({x, y, i}); }
    void ApplyIncidentType(int type, int x, int y) override { incidents.push_back({type, x, y}); }
    bool FindFacility(int code, int* x, int* y, bool* sub) override
    {
        if (code != kCodeBase || baseX < 0)
            return false;
        *x = baseX;
        *y = baseY;
        *sub = false;
        return true;
    }
    int ObstructionAt(int, int) override { return obstruction > 0.0f ? 0 : -1; }
    void WorkObstruction(int, float amount) override { obstruction -= amount; }
    int baseX = -1, baseY = -1;
};

// Draws that a test lays out in advance; past the end, `fallback`.
struct ScriptedDraws {
    std::deque<int> draws;
    int fallback = 0;
    int Next()
    {
        if (draws.empty())
            return fallback;
        int v = draws.front();
        draws.pop_front();
        return v;
    }
};

// One machine: a game object with the world loaded and its squads attached.
struct Side {
    std::unique_ptr<CGame> game;
    std::vector<uint16_t> posts;
    std::vector<std::pair<uint16_t, std::vector<uint8_t>>> payloads;
    FakeWorld world;

    CSquadGame& Squads() { return *game->m_pSquadGame; }
    CSquadManager& Scenario() { return *game->m_pSquadGame->Scenario(); }
    CSquadManager& Area() { return *game->m_pSquadGame->Area(); }
    CSquadServices& Services() { return game->m_pSquadGame->m_services; }
    // The sound ids posted (message 67), in order.
    std::vector<int32_t> Sounds() const
    {
        std::vector<int32_t> ids;
        for (const auto& [id, bytes] : payloads) {
            if (id != kGmSquadSound || bytes.size() != 16)
                continue;
            int32_t sound;
            std::memcpy(&sound, bytes.data() + 4, 4);
            ids.push_back(sound);
        }
        return ids;
    }
    CPathTile* CellAt(const CSquad* s) const
    {
        return game->m_pPathData->GetCellAt(static_cast<int>(s->m_fX), static_cast<int>(s->m_fY));
    }
    int Count(uint16_t id) const
    {
        int n = 0;
        for (uint16_t p : posts)
            n += p == id;
        return n;
    }
};

class SquadFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetMessageEcho(false);
        RegisterGameClasses();
        WriteLists(m_folder);
        SetSquadRandom([this] { return m_draws.Next(); });
    }
    void TearDown() override
    {
        m_sides.clear();
        SetSquadRandom({});
        platform::SetMessageEcho(true);
    }

    // A machine over an ASCII map ('.' open, '#' blocked). `local` is the local player id; a session joins it to
    // others when `networked`.
    Side& MakeSide(const std::vector<std::string>& picture, bool authority = true, int32_t local = 0,
                   bool networked = false, const std::function<void(Side&)>& beforeAttach = {})
    {
        auto side = std::make_unique<Side>();
        CGameConfig config;
        config.strBaseFolder = m_folder.Path();
        config.bOpenLogFile = false;
        config.fnExit = [](int) {};
        config.fnPlaySound = [](int, float) {};
        config.pSoundManager = &m_sound;
        side->game = std::make_unique<CGame>(config);
        CGame& game = *side->game;
        game.m_bAuthority = authority;
        game.GetLocalPlayerInfo()->nPlayerId = local;
        if (networked) {
            game.m_pSession = std::make_unique<CNetGameSession>();
            game.m_pSession->SetLocalPlayerId(local);
            game.m_pSession->SetHost(authority);
            game.m_uMode |= kModeNetworked | (authority ? static_cast<uint32_t>(kModeHosting) : 0u);
        }
        Side* raw = side.get();
        game.m_fnPostObserver = [raw](uint16_t id, const uint8_t* p, size_t n) {
            raw->posts.push_back(id);
            raw->payloads.emplace_back(id, std::vector<uint8_t>(p, p + n));
        };
        worldtest::PathGridPicture drawn(picture);
        drawn.legend['W'] = {255, 600}; // a wall nothing sees through
        auto loaded = worldtest::LoadPathGrid(drawn);
        EXPECT_TRUE(loaded);
        game.m_pMap = std::move(loaded->map);
        game.m_pPathData = std::move(loaded->grid);
        game.m_pAStar = std::make_unique<CAStar>();
        game.m_pSprites = std::make_unique<CSpriteManager>();
        EXPECT_TRUE(game.m_pSprites->LoadReferenceLists(m_folder.Path(), "Agency.csv", nullptr));
        game.m_pAreaMap = std::make_unique<CAreaMapData>();
        if (!game.m_pAreaMap->m_pSpriteManager)
            game.m_pAreaMap->m_pSpriteManager = new CSpriteManager();
        game.m_pAreaSprites = game.m_pAreaMap->m_pSpriteManager;
        EXPECT_TRUE(game.m_pAreaSprites->LoadReferenceLists(m_folder.Path(), "Agency.csv", nullptr));
        game.m_pEOCUnitData = std::make_unique<CEOCUnitData>();
        if (beforeAttach)
            beforeAttach(*raw);
        game.m_pSquadGame->AttachScenario();
        if (!raw->Services().pWorld) // no incident world: the fake one
            raw->Services().pWorld = &raw->world;
        m_sides.push_back(std::move(side));
        return *raw;
    }

    // A unit or vehicle sprite placed on the scenario map (before attaching, it becomes a scenario squad).
    static CSprite* PlaceSprite(CSpriteManager& sprites, int kind, int index, int x, int y, int agencyIndex = 0)
    {
        CPlacement p;
        p.Type = kind;
        p.Id = index;
        p.AgencyIndex = agencyIndex;
        p.WorldX = x;
        p.WorldY = y;
        return kind == kUnitSprite ? sprites.CreateUnitSprite(p, true) : sprites.CreateVehicleSprite(p, true);
    }

    // A squad added to a manager after the start, as dispatch and loading add them.
    static CSquad* AddSquad(CSquadManager& manager, int kind, int index, int x, int y, int agencyIndex = 0)
    {
        CSprite* sprite = PlaceSprite(*manager.GetSpriteManager(), kind, index, x, y, agencyIndex);
        CSquad* squad = manager.AddSquad(kind);
        squad->AttachSprite(sprite, &manager);
        return squad;
    }

    // Runs movement steps on every side, delivering packets between networked sides after each.
    void Steps(int count)
    {
        for (int i = 0; i < count; ++i) {
            for (auto& side : m_sides)
                side->Squads().MovementStep();
            Exchange();
        }
    }

    // Carries every queued packet: a client's to the host, the host's to every client, until all is quiet.
    void Exchange()
    {
        for (int round = 0; round < 20; ++round) {
            bool moved = false;
            for (auto& from : m_sides) {
                if (!from->game->m_pSession)
                    continue;
                for (auto& out : from->game->m_pSession->TakeOutbound()) {
                    for (auto& to : m_sides) {
                        if (to.get() == from.get() || !to->game->m_pSession)
                            continue;
                        // A client's packet reaches only the host; the host's reaches every client.
                        if (!from->game->m_bAuthority && !to->game->m_bAuthority)
                            continue;
                        CByteWriter w;
                        w.WriteI32(from->game->m_pSession->GetLocalPlayerId());
                        std::vector<uint8_t> bytes = out.aBytes;
                        std::memcpy(bytes.data() + 4, w.Bytes(), 4);
                        to->game->m_pSession->PushInbound(bytes);
                        moved = true;
                    }
                }
            }
            for (auto& side : m_sides)
                if (side->game->m_pSession)
                    side->game->PollNetwork();
            if (!moved)
                return;
        }
    }

    worldtest::TempFolder m_folder;
    ScriptedDraws m_draws;
    // The looping sounds of every side, on a recording backend.
    platform::FakeSoundBackend m_soundBackend;
    CSoundManager m_sound{"Sounds", &m_soundBackend};
    std::vector<std::unique_ptr<Side>> m_sides;
};

// An open map of w x h cells.
inline std::vector<std::string> OpenMap(int w, int h)
{
    return std::vector<std::string>(static_cast<size_t>(h), std::string(static_cast<size_t>(w), '.'));
}

} // namespace squadtest
