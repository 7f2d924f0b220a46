// A small squad world for the fuzz targets: reference lists in a temporary folder, a 10 x 8 open map with its path
// grid, and per input fresh sprite managers and squad managers whose posts apply at once.
#pragma once

#include "core/world/AStar.h"
#include "core/world/Map2DLinked.h"
#include "core/world/PathGridPicture.h"
#include "core/world/Sprite.h"
#include "core/world/SpriteManager.h"
#include "core/world/StationData.h"
#include "game/app/GameMessages.h"
#include "game/screens/eoc/EOC.h"
#include "game/sim/Squad.h"
#include "game/sim/SquadGame.h"
#include "game/sim/SquadManager.h"
#include "game/sim/SquadServices.h"
#include "platform/system/MessageBox.h"

#include <memory>
#include <string>

namespace squadfuzz {

struct StaticWorld {
    worldtest::TempFolder folder;
    std::unique_ptr<worldtest::LoadedGrid> grid;
    CAStar astar;
    // Loaded once; each input places its sprites and deletes them at its end.
    CSpriteManager sprites;
    CSpriteManager areaSprites;
    StaticWorld()
    {
        platform::SetMessageEcho(false);
        RegisterGameClasses();
        folder.Write("Agency.csv", "Agency,Kind,Notes\nMetro Police,Police,\nCity Fire,Fire,\nTownsfolk,Civs,\n"
                                   "Rogue,Threat,\n");
        std::string units = "units\nheader\n,,\n";
        for (int i = 0; i < 20; ++i)
            units += std::to_string(i + 1) + ",Police,Unit" + std::to_string(i) +
                     ",Car0,1800,1,100,1,5,2,t,3,100,1,40,1,1,1,1,1,1,1,1,1,1,1,1,1,1,\n";
        folder.Write("ZR_Unit-Task_List.csv", units);
        std::string vehicles = "vehicles\nheader\n,,\n";
        for (int i = 0; i < 18; ++i)
            vehicles +=
                std::to_string(i + 1) + ",Police,Car" + std::to_string(i) + ",3600,4,200,1,20,1,1,1,1,1,1,1,1,5,\n";
        folder.Write("ZR_Vehicle-Task_List.csv", vehicles);
        folder.Write("Terrain_Features_List.csv", "features\nheader\n,,\n1,Marker,marker,0,1,10,0%,0,1,0,1,0,0,0,\n");
        folder.Write("Area_Map_Stations_List.csv", "stations\nheader\n,,\n1,Police,Central,station,30,0%,0,0,0,0,1,\n");
        folder.Write("SpriteModifiers.txt", "");
        std::vector<std::string> picture(8, std::string(10, '.'));
        picture[3] = "...####...";
        grid = worldtest::LoadPathGrid(worldtest::PathGridPicture(picture));
        sprites.LoadReferenceLists(folder.Path(), "Agency.csv", nullptr);
        areaSprites.LoadReferenceLists(folder.Path(), "Agency.csv", nullptr);
    }
};

inline StaticWorld& Static()
{
    static StaticWorld* world = new StaticWorld();
    return *world;
}

// One input's world: two sprite managers, the squads on them, a station with a route, and the two managers.
struct InputWorld {
    CSpriteManager& sprites = Static().sprites;
    CSpriteManager& areaSprites = Static().areaSprites;
    CEOCUnitData eoc;
    CModeRecord mode;
    CSquadServices services;
    std::unique_ptr<CSquadManager> scenario = std::make_unique<CSquadManager>();
    std::unique_ptr<CSquadManager> area = std::make_unique<CSquadManager>();
    CSprite* station = nullptr;
    uint32_t modeFlags = 0;
    int32_t view = 0;

    explicit InputWorld(bool authority)
    {
        StaticWorld& s = Static();
        platform::ClearRecordedMessages();
        for (int i = 0; i < 4; ++i)
            Place(sprites, kUnitSprite, i, 20 + 40 * i, 20 + 10 * i, i % 4);
        Place(sprites, kVehicleSprite, 0, 200, 40, 0);
        Place(sprites, kVehicleSprite, 1, 220, 200, 2);
        CPlacement p;
        p.Type = kStationSprite;
        p.WorldX = 50;
        p.WorldY = 50;
        p.ServiceId = 1;
        station = areaSprites.CreateStationSprite(p, false);
        if (station && station->m_pStationData) {
            auto* line = new CStationResource();
            CopyName(line->m_szName, CStationResource::kNameSize, "Unit0");
            line->m_nAvailable = 3;
            station->m_pStationData->m_paResources[0] = line;
            // A line whose squads wait out the dispatch delay at the station.
            auto* onCall = new CStationResource();
            CopyName(onCall->m_szName, CStationResource::kNameSize, "Unit1");
            onCall->m_nAvailable = 3;
            onCall->m_bOnCall = 1;
            station->m_pStationData->m_paResources[1] = onCall;
            station->m_pStationData->m_pptWaypoints = {{50, 50}, {150, 50}, {150, 150}};
            station->m_pStationData->m_nMinutesToSite = 1;
            station->m_pStationData->BuildRoutes();
        }
        services.bAuthority = authority;
        services.pAStar = &s.astar;
        services.pEOC = &eoc;
        services.pModeFlags = &modeFlags;
        services.pCurrentView = &view;
        services.fnPost = [this](uint16_t id, const uint8_t* payload, size_t length) {
            if (this->services.bAuthority)
                Apply(id, payload, length);
        };
        scenario->SetServices(&services);
        area->SetServices(&services);
        area->SetAreaMap(true);
        scenario->Attach(&sprites, area.get(), s.grid->map.get(), nullptr, &mode, &eoc, s.grid->grid.get());
        area->Attach(&areaSprites, scenario.get(), nullptr, nullptr, &mode, &eoc, nullptr);
    }
    ~InputWorld()
    {
        // The managers go before the sprites they point at.
        scenario.reset();
        area.reset();
        sprites.DeleteSprites();
        areaSprites.DeleteSprites();
    }

    static void Place(CSpriteManager& m, int kind, int index, int x, int y, int agency)
    {
        CPlacement p;
        p.Type = kind;
        p.Id = index;
        p.AgencyIndex = agency;
        p.WorldX = x;
        p.WorldY = y;
        p.ServiceId = index + 1;
        if (kind == kUnitSprite)
            m.CreateUnitSprite(p, false);
        else
            m.CreateVehicleSprite(p, false);
    }

    // The handler table of the game, by id.
    void Apply(uint16_t id, const uint8_t* payload, size_t length)
    {
        if (!PayloadFits(id, length))
            return;
        switch (id) {
        case kGmSquadOrder:
            scenario->ApplySquadOrder(payload, length);
            break;
        case kGmAreaSquadOrder:
            area->ApplySquadOrder(payload, length);
            break;
        case kGmSquadCancel:
            scenario->ApplySquadCancel(payload, length);
            break;
        case kGmSquadSync:
            scenario->ApplySyncRecords(payload, length);
            break;
        case kGmAreaSquadSync:
            area->ApplySyncRecords(payload, length);
            break;
        case kGmStationDispatch:
            area->ApplyStationDispatch(payload, length);
            break;
        case kGmSquadAtStation:
            scenario->ApplySquadAtStation(payload, length);
            break;
        case kGmSquadDeployed:
            area->ApplySquadDeployed(payload, length);
            break;
        case kGmSquadReleased:
            area->ApplySquadReleased(payload, length);
            break;
        case kGmSquadPosition:
            scenario->ApplySquadPosition(payload, length);
            break;
        case kGmAreaSquadPosition:
            area->ApplySquadPosition(payload, length);
            break;
        case kGmSquadStatus:
            scenario->ApplySquadStatus(payload, length);
            break;
        case kGmAreaSquadStatus:
            area->ApplySquadStatus(payload, length);
            break;
        case kGmSquadSound:
            scenario->ApplySquadSound(payload, length);
            break;
        default:
            break;
        }
    }

    void Steps(bool game)
    {
        scenario->MovementStep();
        area->MovementStep();
        if (game && services.bAuthority) {
            scenario->GameStep(kGmSquadSync);
            area->GameStep(kGmAreaSquadSync);
        }
    }
};

} // namespace squadfuzz
