// The generated demo folder read back through the core's own loaders: reference lists with their art, tile
// art and types, the scenario and area-map archives, the events file, the pop-up frame, sounds and menu art.
#include "tests/tools/DemoFolder.h"

#include "tools/demo/Preview.h"
#include "tools/demo/TileTypes.h"
#include "tools/demo/TownPlan.h"

#include "core/display/CDisplay.h"
#include "core/events/ConditionKinds.h"
#include "core/events/ZREventsData.h"
#include "core/persist/QFArchive.h"
#include "core/persist/QFFileStream.h"
#include "core/sound/CSoundManager.h"
#include "core/widgets/CPopupMenuView.h"
#include "core/world/AreaMapData.h"
#include "core/world/Map2DLinked.h"
#include "core/world/PathData.h"
#include "core/world/ScenarioData.h"
#include "core/world/SpriteManager.h"
#include "core/world/StationData.h"
#include "core/world/UnitTaskRecord.h"
#include "core/world/WorldContext.h"
#include "platform/gdi/Bitmap.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include <map>
#include <set>

using namespace demotest;

namespace {

class DemoDataTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Made().ok) << (Made().record.Errors().empty() ? "" : Made().record.Errors().front());
        platform::ClearRecordedMessages();
        ResetWorldContext();
        WorldContext().m_strDataFolder = DataFolder();
        WorldContext().m_pDisplay = &m_display;
    }
    void TearDown() override
    {
        for (const platform::MessageRecord& m : platform::RecordedMessages())
            ADD_FAILURE() << "message box \"" << m.title << "\": " << m.text;
        ResetWorldContext();
    }
    std::unique_ptr<demo::LoadedScenario> Load()
    {
        auto loaded = demo::LoadScenarioFolder(DataFolder(), demo::kScenarioFile, &m_display);
        EXPECT_EQ(loaded->failure, "");
        return loaded;
    }
    CDisplay m_display{nullptr, 800, 600, 16, 0, true};
};

TEST_F(DemoDataTest, GeneratorReportsNothingAndWritesTheSet)
{
    EXPECT_TRUE(Made().messages.empty());
    EXPECT_TRUE(Made().record.Errors().empty());
    EXPECT_GT(Made().record.Files().size(), 250u);
    for (const std::string& f : Made().record.Files())
        EXPECT_TRUE(std::filesystem::exists(DataFile(f))) << f;
}

TEST_F(DemoDataTest, ReferenceListsLoadWithEveryPicture)
{
    CSpriteManager sprites;
    ASSERT_TRUE(sprites.LoadReferenceLists(DataFolder(), "Millbrook.csv", &m_display));
    EXPECT_EQ(sprites.GetAgencies().size(), 9u);
    for (int kind = 0; kind <= 8; ++kind)
        EXPECT_GE(sprites.AgencyForKind(kind), 0) << kind;
    EXPECT_GE(sprites.GetTemplateCount(kFeatureSprite), 279); // the incident world's codes run to 278
    EXPECT_GT(sprites.GetIncidentSiteTemplate(), -1);
    EXPECT_GT(sprites.GetWaypointMarkerTemplate(), -1);
    for (int kind : {kUnitSprite, kFeatureSprite, kStationSprite, kVehicleSprite}) {
        ASSERT_GT(sprites.GetTemplateCount(kind), 0) << kind;
        for (int i = 0; i < sprites.GetTemplateCount(kind); ++i) {
            const CSprite& t = sprites.GetTemplates(kind)[i];
            EXPECT_NE(t.m_szName[0], '\0') << kind << "/" << i;
            EXPECT_NE(t.m_apBaseImage[0], nullptr) << t.m_szName;
            EXPECT_NE(t.m_apBaseImage[1], nullptr) << t.m_szName;
        }
    }
    for (int zoom = 0; zoom < 2; ++zoom)
        for (int m = 0; m < kModifierCount; ++m)
            EXPECT_NE(sprites.GetModifierSurface(zoom, m), nullptr) << zoom << "/" << m;
}

TEST_F(DemoDataTest, TemplatesCarryWhatTheRulesTest)
{
    CSpriteManager sprites;
    ASSERT_TRUE(sprites.LoadReferenceLists(DataFolder(), "Millbrook.csv", nullptr));
    // Unit indexes the rules name: the station menu's gated units, the assault bonus (1), the utility crews
    // for power (12) and for gas and water (13), the civilians an evacuation center takes (16-18), the media (19).
    const std::map<int, std::pair<std::string, int>> gated = {
        {1, {"SWAT Team", 0}},           {2, {"K-9 Unit", 0}},
        {3, {"Bomb Squad", 0}},          {12, {"Electric Utility Crew", 3}},
        {13, {"Gas and Water Crew", 3}}, {15, {"Mass Casualty Team", 4}},
        {16, {"Passers-by", 5}},         {17, {"Warehouse Workers", 5}},
        {18, {"Schoolchildren", 5}},     {19, {"News Crew", 5}}};
    for (const auto& [index, expect] : gated) {
        const CSprite& t = sprites.GetTemplates(kUnitSprite)[index];
        EXPECT_EQ(std::string(t.m_szName), expect.first);
        EXPECT_EQ(t.m_pUnitTask->m_nAgencyKind, expect.second) << t.m_szName;
    }
    // Every unit moves and names a carrier that exists (the suspect walks); responders have work to do.
    for (int i = 0; i < sprites.GetTemplateCount(kUnitSprite); ++i) {
        const CSprite& t = sprites.GetTemplates(kUnitSprite)[i];
        const CUnitTaskRecord& r = *t.m_pUnitTask;
        EXPECT_GT(r.m_fSpeed, 0.0f) << t.m_szName;
        EXPECT_GT(r.m_nPersons, 0) << t.m_szName;
        EXPECT_GT(r.m_fMaxHealth, 0.0f) << t.m_szName;
        if (r.m_szCarrierName[0]) {
            EXPECT_NE(sprites.FindTemplateByName(r.m_szCarrierName, kVehicleSprite), nullptr) << t.m_szName;
        }
        if (r.m_nAgencyKind <= 4) {
            float work = r.m_fAssault + r.m_fPerimeter + r.m_fEvacuate + r.m_fSearchForBomb + r.m_fFirstAid +
                         r.m_fClearDebris + r.m_fFightFire + r.m_fFightHazard + r.m_fDefuseBomb + r.m_fUtilityWork;
            EXPECT_GT(work, 0.0f) << t.m_szName;
            EXPECT_GT(r.m_nResourceCost, 0) << t.m_szName;
            EXPECT_GT(r.m_fCostRate, 0.0f) << t.m_szName;
        }
    }
    for (int i = 0; i < sprites.GetTemplateCount(kVehicleSprite); ++i) {
        const CSprite& t = sprites.GetTemplates(kVehicleSprite)[i];
        EXPECT_GT(t.m_pUnitTask->m_fSpeed, 0.0f) << t.m_szName;
        EXPECT_GT(t.m_pUnitTask->m_nCapacity, 0) << t.m_szName;
    }
    // Feature rows the incident world creates by code, and the structures it turns into obstructions.
    const std::map<int, std::string> codes = {{2, "Debris"},
                                              {4, "Selection Marker"},
                                              {5, "Fire (large)"},
                                              {6, "Fire (small)"},
                                              {7, "Fire (medium)"},
                                              {8, "Water Leak"},
                                              {9, "Electrical Hazard"},
                                              {10, "Gas Leak"},
                                              {11, "Chemical Spill"},
                                              {12, "Burnt Ground"},
                                              {13, "Burnt Feature"},
                                              {128, "Bomb"},
                                              {129, "Chemical Seepage"},
                                              {131, "Chemical Residue"},
                                              {132, "Flagged Zone"},
                                              {186, "Pressurised Cylinder"},
                                              {191, "Command Post"},
                                              {192, "Staging Area"},
                                              {193, "Base"},
                                              {194, "Casualty Collection Center"},
                                              {195, "Evacuation Center"},
                                              {196, "Media Center"},
                                              {198, "Incident Site Area"},
                                              {277, "Map Marker (dim)"},
                                              {278, "Map Marker"}};
    for (const auto& [code, name] : codes)
        EXPECT_EQ(std::string(sprites.GetTemplates(kFeatureSprite)[code].m_szName), name) << code;
    int structures = 0;
    for (int i = 0; i < sprites.GetTemplateCount(kFeatureSprite); ++i)
        structures += (sprites.GetTemplates(kFeatureSprite)[i].m_Placement.Flags & kSpriteStructure) != 0;
    EXPECT_GE(structures, 4);
}

TEST_F(DemoDataTest, TileArtAndTypesLoadForEveryTypeTheMapUses)
{
    auto loaded = Load();
    ASSERT_TRUE(loaded->map);
    CMap2DLinked& map = *loaded->map;
    map.Initialize(800, 448, "Tiles_8.bmp", "Tiles_32.bmp", "Tile_Types.csv", &m_display, DataFolder());
    for (int zoom = 0; zoom < 2; ++zoom) {
        const CTileArtSet* set = map.GetArtSet(zoom);
        ASSERT_NE(set, nullptr);
        EXPECT_EQ(set->m_nTileSize, zoom == 0 ? 32 : 8);
        for (CSurface* tile : set->m_apTiles)
            ASSERT_NE(tile, nullptr);
    }
    std::set<int> used;
    for (int r = 0; r < map.GetRows(); ++r)
        for (int c = 0; c < map.GetColumns(); ++c)
            used.insert(map.GetTileIndex(r, c));
    for (int type : used)
        EXPECT_NE(map.GetTileType(type), nullptr) << type;
    // Squads arrive on the road tiles of the map's edges.
    for (int edge : {0, 2, 4, 6}) {
        CMapCell* cell = map.PickEdgeTile(edge, std::rand);
        ASSERT_NE(cell, nullptr) << edge;
        EXPECT_GE(cell->m_nTileIndex, 10) << edge;
        EXPECT_LE(cell->m_nTileIndex, 15) << edge;
    }
}

TEST_F(DemoDataTest, ScenarioArchiveHoldsMapSpritesGridAndDescription)
{
    auto loaded = Load();
    ASSERT_TRUE(loaded->map && loaded->sprites && loaded->grid && loaded->scenario && loaded->areaMap);
    EXPECT_EQ(loaded->map->GetColumns(), 100);
    EXPECT_EQ(loaded->map->GetRows(), 75);
    EXPECT_EQ(loaded->grid->GetColumns(), 100);
    EXPECT_EQ(loaded->grid->GetRows(), 75);
    EXPECT_STREQ(loaded->scenario->m_szTitle, "Millbrook Chemical Fire");
    ASSERT_NE(loaded->scenario->GetDescription(), nullptr);
    EXPECT_EQ(loaded->scenario->m_vScoreMessages.size(), 3u);
    EXPECT_EQ(loaded->scenario->m_vCostMessages.size(), 3u);

    // Varied ground: whole and subdivided cells, impassable water, vehicle-free building floors.
    std::set<int> footCosts, vehicleCosts;
    int subdivided = 0, impassable = 0;
    for (int r = 0; r < 75; ++r)
        for (int c = 0; c < 100; ++c) {
            CPathTile* head = loaded->grid->GetCell(r, c);
            ASSERT_NE(head, nullptr);
            subdivided += head->IsSubTile();
            impassable += head->m_abyCosts[kFootCost] == 255;
            footCosts.insert(head->m_abyCosts[kFootCost]);
            vehicleCosts.insert(head->m_abyCosts[kVehicleCost]);
        }
    EXPECT_GT(subdivided, 10);
    EXPECT_GT(impassable, 100);
    EXPECT_GT(footCosts.size(), 6u);
    EXPECT_GT(vehicleCosts.size(), 3u);

    // The squads: responders, civilians and a threat, each agency its own picture.
    std::map<int, int> perKind;
    for (CSprite* s = loaded->sprites->GetHead(); s; s = s->m_pNext)
        if (s->Kind() == kUnitSprite || s->Kind() == kVehicleSprite)
            ++perKind[s->AgencyKind()];
    EXPECT_GT(perKind[0], 0);
    EXPECT_GT(perKind[5], 0);
    EXPECT_GT(perKind[6], 0);
}

TEST_F(DemoDataTest, ScriptUsesEveryConditionKindAndResult)
{
    auto loaded = Load();
    ASSERT_TRUE(loaded->scenario && loaded->scenario->m_pEvents);
    const CZREventsData& data = *loaded->scenario->m_pEvents;
    EXPECT_TRUE(data.GetLoadProblems().empty());
    EXPECT_EQ(data.m_nGameStartTime, 930);
    EXPECT_GT(data.m_nGameEndTime, data.m_nGameStartTime);
    ASSERT_GE(data.m_vZones.size(), 2u);

    std::set<int> zoneIds;
    for (const CTacticalMapZone* z : data.m_vZones) {
        zoneIds.insert(z->m_nUniqueID);
        EXPECT_LT(z->m_rcBoundingBox.left, z->m_rcBoundingBox.right);
        EXPECT_LE(z->m_rcBoundingBox.right, 3200);
        EXPECT_LE(z->m_rcBoundingBox.bottom, 2400);
    }
    std::set<int> kinds;
    for (const auto& [key, trigger] : data.m_mapArguments) {
        EXPECT_EQ(key, static_cast<uint32_t>(trigger->m_nUniqueID));
        uint16_t bits = 0;
        for (const CZRCondition* c : trigger->m_vConditions) {
            kinds.insert(c->m_nKind);
            const uint16_t bit[] = {0, 0x01, 0x02, 0x04, 0x08, 0x20, 0x10, 0x40, 0x80};
            bits |= bit[c->m_nKind];
            if (auto* loc = dynamic_cast<const CConditionLocationBased*>(c)) {
                EXPECT_TRUE(zoneIds.count(loc->m_nZoneID)) << trigger->m_strArgumentName;
            }
        }
        EXPECT_EQ(trigger->m_nBaseFlags, bits) << trigger->m_strArgumentName;
    }
    EXPECT_EQ(kinds, (std::set<int>{1, 2, 3, 4, 5, 6, 7, 8}));

    std::set<int> hazards, eventIds;
    bool delay = false, chance = false, repeat = false, hidden = false, visible = false, order = false;
    bool siteFlag = false, points = false, equip = false, review = false, bombBounds = false;
    for (const CZREvent* e : data.m_lstEvents)
        eventIds.insert(e->m_nUniqueID);
    for (const CZREvent* e : data.m_lstEvents) {
        ASSERT_NE(e->m_pResult, nullptr) << e->m_strEventName;
        for (uint32_t t : e->m_vTrigger)
            EXPECT_TRUE(data.m_mapArguments.count(t)) << e->m_strEventName;
        const CZRResult& r = *e->m_pResult;
        delay |= e->m_nDelayResultTo > e->m_nDelayResultFrom && e->m_nDelayResultFrom > 0;
        chance |= e->m_nChanceOfResult < 100;
        repeat |= e->m_bRepeatableEvent;
        hidden |= e->nTmp == 0;
        visible |= e->nTmp != 0;
        order |= r.m_nOrderID != 0 && r.m_nSquadID > 0;
        siteFlag |= r.m_nZoneToBeFlagged >= 0 && (r.m_nConnectionNodeFlag & 0x60) == 0x40;
        points |= r.m_nZRPoints > 0;
        equip |= r.m_abEquipAgency[0] || r.m_abEquipAgency[1];
        review |= r.m_bAAREntry && r.m_nCost > 0 && (r.m_anScore[0] || r.m_anScore[1] || r.m_anScore[2]);
        if (r.m_nZoneToBeFlagged >= 0) {
            EXPECT_TRUE(zoneIds.count(r.m_nZoneToBeFlagged)) << e->m_strEventName;
        }
        if (r.m_nHazardKind) {
            hazards.insert(r.m_nHazardKind);
            // On the map and on ground a squad can reach.
            CPathTile* tile = loaded->grid->GetTileAt(r.m_nHazardX, r.m_nHazardY);
            ASSERT_NE(tile, nullptr) << e->m_strEventName;
            EXPECT_NE(tile->m_pCellHead->m_abyCosts[kFootCost], 255) << e->m_strEventName;
        }
        if (r.m_nHazardKind == 7)
            bombBounds = r.m_nBlowBombTo > r.m_nBlowBombFrom && r.m_nBlowBombFrom > 0;
        if (r.m_nOrderID) {
            // The ordered squad is on the map: its agency kind and service id.
            bool found = false;
            for (CSprite* s = loaded->sprites->GetHead(); s; s = s->m_pNext)
                found |= s->AgencyKind() == r.m_nSquadAgency && s->m_Placement.ServiceId == r.m_nSquadID;
            EXPECT_TRUE(found) << e->m_strEventName;
        }
    }
    EXPECT_EQ(hazards, (std::set<int>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_TRUE(delay && chance && repeat && hidden && visible && order && siteFlag && points && equip && review &&
                bombBounds);
    for (const auto& [key, trigger] : data.m_mapArguments)
        for (const CZRCondition* c : trigger->m_vConditions)
            if (auto* ev = dynamic_cast<const CConditionEventBased*>(c)) {
                EXPECT_TRUE(eventIds.count(ev->m_nEventID));
            }
}

TEST_F(DemoDataTest, EventsFileHoldsTheSameScript)
{
    auto loaded = Load();
    ASSERT_TRUE(loaded->scenario && loaded->scenario->m_pEvents);
    QFFileStream stream;
    ASSERT_TRUE(stream.Open(DataFile("Millbrook.zre"), QFFileStream::kBinary, QFFileStream::kRead));
    QFArchive archive;
    archive.BeginDocument(QFArchive::kLoading, &stream, QFArchive::kBinary);
    CZREventsData* events = nullptr;
    QFSerializePointer(&archive, &events, "CZREventsData");
    EXPECT_FALSE(archive.Failed());
    archive.EndDocument();
    std::unique_ptr<CZREventsData> owned(events);
    ASSERT_TRUE(owned);
    const CZREventsData& a = *owned;
    const CZREventsData& b = *loaded->scenario->m_pEvents;
    EXPECT_EQ(a.m_vZones.size(), b.m_vZones.size());
    EXPECT_EQ(a.m_lstEvents.size(), b.m_lstEvents.size());
    EXPECT_EQ(a.m_mapArguments.size(), b.m_mapArguments.size());
    EXPECT_EQ(a.m_strOriginalScenarioTitle, b.m_strOriginalScenarioTitle);
    EXPECT_EQ(a.m_nGameEndTime, b.m_nGameEndTime);
}

TEST_F(DemoDataTest, AreaMapHasStationsWithRoutesStockAndBitmap)
{
    auto loaded = Load();
    ASSERT_TRUE(loaded->areaMap && loaded->areaMap->m_pSpriteManager);
    CSpriteManager& stations = *loaded->areaMap->m_pSpriteManager;
    int site = 0, placed = 0, onCall = 0;
    POINT sitePos{};
    for (CSprite* s = stations.GetHead(); s; s = s->m_pNext)
        if (s->Kind() == kStationSprite && s->m_pStationData->m_nStationKind == 7) {
            ++site;
            sitePos = {s->m_Placement.WorldX, s->m_Placement.WorldY};
        }
    EXPECT_EQ(site, 1);
    for (CSprite* s = stations.GetHead(); s; s = s->m_pNext) {
        if (s->Kind() != kStationSprite || s->m_pStationData->m_nStationKind == 7)
            continue;
        ++placed;
        const CStationData& d = *s->m_pStationData;
        ASSERT_GE(d.m_nNumWaypoints, 2) << d.m_szName;
        EXPECT_EQ(d.m_pptWaypoints.front().x, s->m_Placement.WorldX) << d.m_szName;
        EXPECT_EQ(d.m_pptWaypoints.back().x, sitePos.x) << d.m_szName;
        EXPECT_EQ(d.m_pptWaypoints.back().y, sitePos.y) << d.m_szName;
        EXPECT_GT(d.m_fRouteSpeed, 0.0f) << d.m_szName;
        EXPECT_GT(d.m_nInfoPage, 0) << d.m_szName;
        ASSERT_NE(d.GetResource(0), nullptr) << d.m_szName;
        for (int i = 0; i < CStationData::kResourceSlots; ++i)
            if (const CStationResource* r = d.GetResource(i)) {
                EXPECT_NE(stations.FindTemplateByName(r->m_szName, kUnitSprite), nullptr) << r->m_szName;
                EXPECT_GT(r->m_nAvailable, 0);
                onCall += r->m_bOnCall;
            }
        for (const POINT& p : d.m_pptWaypoints) {
            EXPECT_GE(p.x, 0);
            EXPECT_LT(p.x, 800);
            EXPECT_GE(p.y, 0);
            EXPECT_LT(p.y, 448);
        }
    }
    EXPECT_GE(placed, 3);
    EXPECT_LE(placed, 4);
    EXPECT_GT(onCall, 0);
    // The game loads the map bitmap into the tile map once the map has its display.
    loaded->map->Initialize(800, 448, "Tiles_8.bmp", "Tiles_32.bmp", "Tile_Types.csv", &m_display, DataFolder());
    ASSERT_TRUE(loaded->map->LoadAreaMapBitmap(DataFolder(), loaded->areaMap->m_szMapBitmap, false));
    EXPECT_LE(loaded->map->GetMapBitmapWidth(), 800);
    EXPECT_LE(loaded->map->GetMapBitmapHeight(), 448);
}

TEST_F(DemoDataTest, PopupFrameLoadsFromTheGameInfoList)
{
    CPopupMenuView view("PopupMenu.txt", &m_display, DataFolder().c_str(), nullptr);
    EXPECT_GT(view.GetFrameWidth(), 100);
    EXPECT_GT(view.GetItemHeight(), 10);
    EXPECT_GT(view.GetEdgeHeight(), 0);
}

TEST_F(DemoDataTest, EverySoundTheTablesNamePlays)
{
    setenv("SDL_AUDIODRIVER", "dummy", 0); // CTest passes only the first of the listed variables
    CSoundManager sound((DataFolder() + "/Sounds").c_str());
    for (int i = 0; i < CSoundManager::kSoundCount; ++i) {
        ASSERT_TRUE(sound.Startup());
        EXPECT_GE(sound.Play(i, 1.0f, false), 0) << g_aszSoundFiles[i];
        sound.Shutdown();
    }
}

TEST_F(DemoDataTest, MenuAndBoxArtLoad)
{
    const char* screens[] = {
        "Art/ZR_Title.bmp",      "Art/Halvet_Splash.bmp", "Art/QuillfenSplash.bmp",     "Art/Credits.bmp",
        "GUI/EOC/MPScreen2.bmp", "GUI/EOC/Briefing.bmp",  "GUI/EOC/Role_Selection.bmp", "GUI/EOC/AAR.bmp"};
    for (const char* name : screens) {
        int w = 0, h = 0;
        std::unique_ptr<CSurface> s(m_display.BitmapToSurface(DataFile(name), &w, &h, true));
        EXPECT_TRUE(s) << name;
        EXPECT_EQ(w, 800) << name;
        EXPECT_EQ(h, 600) << name;
    }
    for (const char* name : {"GUI/EOC/MainBox.bmp", "GUI/Info_Box.bmp", "GUI/EOC/MainBox_2X.bmp",
                             "GUI/EOC/Allotment/RedButton_On.bmp", "GUI/MessageBox.bmp"}) {
        int w = 0, h = 0;
        std::unique_ptr<CSurface> s(m_display.BitmapToSurface(DataFile(name), &w, &h, true));
        EXPECT_TRUE(s) << name;
        EXPECT_LE(w, 800) << name;
        EXPECT_LE(h, 600) << name;
    }
}

// The map as the game draws it: ground, water, roads and buildings keep their colours, and squads of
// different agencies differ.
TEST_F(DemoDataTest, DrawnMapKeepsThingsApart)
{
    auto loaded = Load();
    demo::Canvas map = demo::RenderTacticalMap(*loaded, DataFolder(), m_display, 0);
    ASSERT_EQ(map.Width(), 3200);
    ASSERT_EQ(map.Height(), 2400);
    auto colourAt = [&](int column, int row) { return map.At(column * 32 + 16, row * 32 + 20); };
    // Cells of the plan: the first of a type with no sprite drawn over it.
    const demo::TownPlan plan = demo::MakeMillbrookPlan();
    auto cellOf = [&plan](int type) {
        for (int r = 0; r < demo::kMapRows; ++r)
            for (int c = 0; c < demo::kMapColumns; ++c) {
                bool clear = plan.At(c, r) == type;
                for (const demo::SpritePlace& s : plan.sprites)
                    clear =
                        clear && (std::abs(s.x - demo::CellCentre(c)) > 64 || std::abs(s.y - demo::CellCentre(r)) > 64);
                if (clear)
                    return std::pair<int, int>{c, r};
            }
        return std::pair<int, int>{0, 0};
    };
    auto isBlue = [](COLORREF c) { return GetBValue(c) > GetRValue(c) + 60 && GetBValue(c) > GetGValue(c); };
    auto isGreen = [](COLORREF c) { return GetGValue(c) > GetRValue(c) + 30 && GetGValue(c) > GetBValue(c) + 30; };
    auto isGrey = [](COLORREF c) {
        return std::abs(GetRValue(c) - GetGValue(c)) < 20 && std::abs(GetGValue(c) - GetBValue(c)) < 20;
    };
    const auto [brookColumn, brookRow] = cellOf(demo::kBrook);
    EXPECT_TRUE(isBlue(colourAt(brookColumn, brookRow)));
    const auto [grassColumn, grassRow] = cellOf(demo::kGrass);
    EXPECT_TRUE(isGreen(colourAt(grassColumn, grassRow)));
    const auto [roadColumn, roadRow] = cellOf(demo::kRoadEW);
    EXPECT_TRUE(isGrey(colourAt(roadColumn, roadRow)));
    const auto [bombX, bombY] = plan.points.at("bomb"); // inside the site office
    COLORREF floor = map.At(bombX, bombY + 4);
    EXPECT_GT(GetRValue(floor), GetBValue(floor) + 30);
    std::set<COLORREF> agencyColours;
    for (CSprite* s = loaded->sprites->GetHead(); s; s = s->m_pNext)
        if (s->Kind() == kUnitSprite)
            agencyColours.insert(map.At(s->m_Placement.WorldX - 6, s->m_Placement.WorldY));
    EXPECT_EQ(agencyColours.size(), 3u); // police, civilians, the suspect
}

// Squads from the area map arrive on the road entries of the map's edges: every edge has one, and none is left
// inside the map.
TEST_F(DemoDataTest, RoadEntriesLieOnTheMapEdges)
{
    const demo::TownPlan plan = demo::MakeMillbrookPlan();
    const int last[2] = {demo::kMapColumns - 1, demo::kMapRows - 1};
    int entries[4] = {};
    for (int r = 0; r < demo::kMapRows; ++r)
        for (int c = 0; c < demo::kMapColumns; ++c) {
            const int type = plan.At(c, r);
            const bool onEdge =
                (type == demo::kRoadNorthEdge && r == 0) || (type == demo::kRoadEastEdge && c == last[0]) ||
                (type == demo::kRoadSouthEdge && r == last[1]) || (type == demo::kRoadWestEdge && c == 0);
            if (type >= demo::kRoadEastEdge && type <= demo::kRoadSouthEdge) {
                EXPECT_TRUE(onEdge) << c << "," << r;
                ++entries[type - demo::kRoadEastEdge];
            }
        }
    for (int n : entries)
        EXPECT_GE(n, 2); // a two-lane road
}

} // namespace

namespace {

struct ArtRow {
    std::string name;
    int x = 0, y = 0;
};

// A screen's art list: two header lines, then rows of bitmap name, x and y.
std::vector<ArtRow> ReadArtList(const std::string& file)
{
    std::vector<ArtRow> rows;
    FILE* f = std::fopen(DataFile("GUI/" + file).c_str(), "r");
    if (!f)
        return rows;
    char line[1024];
    for (int i = 0; std::fgets(line, sizeof line, f); ++i) {
        char name[260];
        ArtRow r;
        if (i >= 2 && std::sscanf(line, "%259[^,],%d,%d", name, &r.x, &r.y) == 3) {
            r.name = name;
            rows.push_back(r);
        }
    }
    std::fclose(f);
    return rows;
}

TEST_F(DemoDataTest, EveryScreenArtListHasItsRowsInsideTheWindow)
{
    const std::pair<const char*, int> lists[] = {{"Briefing_Art.csv", 14}, {"MPlay_Art.csv", 26}, {"Role_Art.csv", 26},
                                                 {"DeBrief_Art.csv", 63},  {"IAP_Art.csv", 43},   {"EOC_Art.csv", 40},
                                                 {"HUD_Art.csv", 67}};
    for (const auto& [file, count] : lists) {
        std::vector<ArtRow> rows = ReadArtList(file);
        ASSERT_EQ(rows.size(), static_cast<size_t>(count)) << file;
        for (const ArtRow& r : rows) {
            int w = 0, h = 0;
            std::unique_ptr<CSurface> s(m_display.BitmapToSurface(DataFile("GUI/" + r.name), &w, &h, true));
            ASSERT_TRUE(s) << file << ": " << r.name;
            EXPECT_LE(r.x + w, 800) << r.name;
            EXPECT_LE(r.y + h, 600) << r.name;
        }
    }
}

TEST_F(DemoDataTest, HudHotSpotsGiveEachButtonItsOwnColour)
{
    std::vector<ArtRow> rows = ReadArtList("HUD_Art.csv");
    ASSERT_EQ(rows.size(), 67u);
    EXPECT_EQ(rows[1].x, 220); // the info panel starts where the hot spots end
    platform::gdi::Bitmap map;
    ASSERT_TRUE(platform::gdi::LoadBitmapFile(DataFile("GUI/" + rows[2].name), map));
    const POINT samples[12] = {{110, 20}, {45, 55},   {45, 55}, {180, 55}, {45, 110}, {180, 110},
                               {110, 50}, {110, 110}, {80, 80}, {140, 80}, {110, 80}, {110, 80}};
    std::set<COLORREF> colours;
    for (const POINT& p : samples) {
        COLORREF c = map.At(p.x, p.y);
        EXPECT_NE(platform::ColorRefTo565(c), 0) << p.x << "," << p.y; // entries 12-15 are zero
        colours.insert(c);
    }
    EXPECT_EQ(colours.size(), 10u);
    EXPECT_EQ(colours.count(map.At(2, 2)), 0u); // the background is no button
}

TEST_F(DemoDataTest, MenuTablesMatchTheirScreens)
{
    // "HUDPopupMenus.txt": the five menus, Command with its eleven items and check-mark menus ending in OK.
    std::ifstream in(DataFile("GUI/HUDPopupMenus.txt"));
    std::map<std::string, std::vector<std::string>> menus;
    std::string line, current;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        if (line[0] == '@')
            menus[current = line.substr(1)];
        else
            menus[current].push_back(line);
    }
    EXPECT_EQ(menus.size(), 5u);
    EXPECT_EQ(menus["Command"].size(), 11u);
    EXPECT_EQ(menus["Options"].size(), 5u);
    for (const char* m : {"Filters", "Overlays", "Msg Filters"})
        EXPECT_EQ(menus[m].back(), "OK") << m;
    // The lobby table: ten rows, then an empty one; every button on the panel inside the window.
    std::vector<ArtRow> lobby = ReadArtList("MPlay_Art.csv");
    FILE* f = std::fopen(DataFile("Multiplayer_Menu_Data.csv").c_str(), "r");
    ASSERT_NE(f, nullptr);
    char buffer[1024];
    int rows = 0;
    for (int i = 0; std::fgets(buffer, sizeof buffer, f); ++i) {
        char name[260] = "", text[100];
        int x, y, link, value;
        if (i < 3 || std::sscanf(buffer, "%259[^,],%99[^,],%d,%d,%d,%d", name, text, &x, &y, &link, &value) != 6)
            continue;
        ++rows;
        EXPECT_LE(lobby[0].x + x + 170, 800) << name;
        EXPECT_LE(lobby[0].y + y + 30, 600) << name;
    }
    std::fclose(f);
    EXPECT_EQ(rows, 10);
}

} // namespace
