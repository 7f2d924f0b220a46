// Sprite manager: reference lists column by column, agency-file choice, stored streams of each version,
// service ids, draw order, selection marker, hit tests and the station stock of saved games.
#include "core/world/Map2DLinked.h"
#include "core/world/SpriteManager.h"
#include "core/world/StationData.h"
#include "core/world/UnitTaskRecord.h"
#include "core/world/WorldFixtures.h"

#include "platform/system/MessageBox.h"
#include "platform/system/Paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

using namespace worldtest;

namespace {

class SpriteManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterCoreClasses();
        ResetWorldContext();
        WorldContext().m_strDataFolder = data.Path();
        platform::ClearRecordedMessages();
        platform::SetMessageEcho(false);
    }
    void TearDown() override
    {
        platform::SetMessageEcho(true);
        ResetWorldContext();
    }
    static CPlacement Placement(int kind, int templateIndex, int x = 0, int y = 0, int serviceId = 0)
    {
        CPlacement p;
        p.Type = kind;
        p.Id = templateIndex;
        p.WorldX = x;
        p.WorldY = y;
        p.ServiceId = serviceId;
        return p;
    }
    WorldDataFolder data{false};
};

TEST_F(SpriteManagerTest, UnitAndVehicleListsFillTheirRecords)
{
    CSpriteManager m;
    ASSERT_TRUE(m.LoadReferenceLists(data.Path(), "Agency.csv", nullptr));
    ASSERT_EQ(m.GetTemplateCount(kUnitSprite), 3);
    const CSprite& t = m.GetTemplates(kUnitSprite)[0];
    const CUnitTaskRecord& u = *t.m_pUnitTask;
    EXPECT_STREQ(t.m_szName, "Patrol Officer");
    EXPECT_EQ(t.m_nDepthKey, 100);
    EXPECT_EQ(u.m_nAgencyKind, 0);
    EXPECT_STREQ(u.m_szCarrierName, "Squad Car");
    EXPECT_FLOAT_EQ(u.m_fCostRate, 1.0f);
    EXPECT_FLOAT_EQ(u.m_fListValue6, 6.5f);
    EXPECT_FLOAT_EQ(u.m_fMaxHealth, 100.0f);
    EXPECT_EQ(u.m_nDamageLow, 1);
    EXPECT_EQ(u.m_nDamageHigh, 5);
    EXPECT_EQ(u.m_nPersons, 2);
    EXPECT_STREQ(u.m_szListText11, "Beat cop");
    EXPECT_EQ(u.m_nResourceCost, 3);
    EXPECT_FLOAT_EQ(u.m_fMaxFatigue, 50.0f);
    EXPECT_EQ(u.m_nInfoEntry, 12);
    const float expected[15] = {1.5f, 10, 20, 30, 0.4f, 0.5f, 60, 0.7f, 0.8f, 0.9f, 11, 12, 13, 14, 15};
    const float actual[15] = {u.m_fSpeed,     u.m_fAssault,     u.m_fPerimeter,   u.m_fEvacuate,    u.m_fSearchForBomb,
                              u.m_fFirstAid,  u.m_fClearDebris, u.m_fFightFire,   u.m_fFightHazard, u.m_fDefuseBomb,
                              u.m_fNegotiate, u.m_fDirect,      u.m_fUtilityWork, u.m_fEscort,      u.m_fSupervise};
    for (int i = 0; i < 15; ++i)
        EXPECT_FLOAT_EQ(actual[i], expected[i]) << "column " << 15 + i;
    EXPECT_EQ(m.GetTemplates(kUnitSprite)[2].m_pUnitTask->m_nAgencyKind, 4);

    ASSERT_EQ(m.GetTemplateCount(kVehicleSprite), 2);
    const CUnitTaskRecord& v = *m.GetTemplates(kVehicleSprite)[0].m_pUnitTask;
    EXPECT_FLOAT_EQ(v.m_fCostRate, 2.0f);
    EXPECT_EQ(v.m_nCapacity, 4);
    EXPECT_FLOAT_EQ(v.m_fMaxHealth, 200.0f);
    EXPECT_EQ(v.m_nInfoEntry, 21);
    EXPECT_FLOAT_EQ(v.m_fSpeed, 3.0f);
    EXPECT_FLOAT_EQ(v.m_fFightFire, 0.1f);
    EXPECT_FLOAT_EQ(v.m_fClearDebris, 0.2f);
    EXPECT_FLOAT_EQ(v.m_fEvacuate, 0.3f);
    EXPECT_FLOAT_EQ(v.m_fPerimeter, 0.4f);
    EXPECT_FLOAT_EQ(v.m_fSearchForBomb, 0.5f);
    EXPECT_FLOAT_EQ(v.m_fFirstAid, 0.6f);
    EXPECT_FLOAT_EQ(v.m_fFightHazard, 0.7f);
    EXPECT_FLOAT_EQ(v.m_fUtilityWork, 0.8f);
    EXPECT_EQ(v.m_nDetectionRange, 5);
    EXPECT_EQ(m.GetTemplates(kVehicleSprite)[1].m_Placement.Type, kVehicleSprite);
}

TEST_F(SpriteManagerTest, FeatureAndStationListsSetTheTemplates)
{
    CSpriteManager m;
    ASSERT_TRUE(m.LoadReferenceLists(data.Path(), "Agency.csv", nullptr));
    ASSERT_EQ(m.GetTemplateCount(kFeatureSprite), 6);
    struct Case {
        int index, column4, column5, depth, alpha, visibility, options, column12, column13;
        bool structure;
    };
    for (Case c : {Case{0, 0, 1, 10, 0, 0, 5, 0, 0, false}, Case{1, 2, 0, 20, 50, 2, 10, 3, 4, true},
                   Case{2, -1, 1, 5, 0, -1, 3, 0, 0, false}, Case{3, 1, 1, 30, 0, 3, 0, 0, 0, false},
                   Case{5, 0, 1, 150, 0, 4, 0, 0, 0, false}}) {
        const CSprite& t = m.GetTemplates(kFeatureSprite)[c.index];
        EXPECT_EQ(t.m_nFeatureColumn4, c.column4) << c.index;
        EXPECT_EQ(t.m_bFeatureColumn5, c.column5) << c.index;
        EXPECT_EQ(t.m_nDepthKey, c.depth) << c.index;
        EXPECT_EQ(t.m_nAlphaPercent, c.alpha) << c.index;
        EXPECT_EQ(t.m_nVisibilityClass, c.visibility) << c.index;
        EXPECT_EQ(t.m_nOptions, c.options) << c.index;
        EXPECT_EQ(t.m_nFeatureColumn12, c.column12) << c.index;
        EXPECT_EQ(t.m_nFeatureColumn13, c.column13) << c.index;
        EXPECT_EQ((t.m_Placement.Flags & kSpriteStructure) != 0, c.structure) << c.index;
        EXPECT_EQ(t.m_Placement.Type, kFeatureSprite);
    }
    EXPECT_EQ(m.GetWaypointMarkerTemplate(), 5);

    ASSERT_EQ(m.GetTemplateCount(kStationSprite), 3);
    const CSprite& police = m.GetTemplates(kStationSprite)[0];
    EXPECT_EQ(police.m_Placement.Type, kStationSprite);
    EXPECT_EQ(police.m_pStationData->m_nStationKind, 0);
    EXPECT_EQ(police.m_pStationData->m_nInfoPage, 101);
    EXPECT_EQ(std::string(police.m_pStationData->m_szName),
              std::string("Central Police Station of the Greater Metropolitan Area District").substr(0, 49));
    EXPECT_EQ(police.m_nFeatureColumn4, -1);
    const CSprite& site = m.GetTemplates(kStationSprite)[2];
    EXPECT_EQ(m.GetIncidentSiteTemplate(), 2);
    EXPECT_EQ(site.m_pStationData->m_nStationKind, 7);
    EXPECT_EQ(site.m_nAlphaPercent, 25);
    EXPECT_EQ(site.m_nVisibilityClass, 1);
    EXPECT_EQ(site.m_nOptions, 9);
    EXPECT_NE(m.FindTemplateByName("fire house 1", kStationSprite), nullptr);
    EXPECT_EQ(m.FindTemplateByName("fire house 1", kFeatureSprite), nullptr);
}

TEST_F(SpriteManagerTest, AgencyRowsKeepTheirIndexesWhateverTheirKind)
{
    CSpriteManager m;
    ASSERT_TRUE(m.LoadAgencyList(data.File("Agency.csv")));
    const auto& agencies = m.GetAgencies();
    ASSERT_EQ(agencies.size(), 7u);
    EXPECT_STREQ(agencies.at(2).m_szName, "County EMS");
    EXPECT_EQ(agencies.at(2).m_nKind, 4);
    EXPECT_EQ(agencies.at(5).m_nKind, -1); // "Aliens"
    EXPECT_EQ(agencies.at(6).m_nKind, 0);  // "police"
    EXPECT_EQ(m.AgencyForKind(0), 0);
    EXPECT_EQ(m.AgencyForKind(6), 4);
    EXPECT_EQ(m.AgencyForKind(8), -1);
    EXPECT_EQ(m.AgencyForKind(-1), -1);
}

TEST_F(SpriteManagerTest, AgencyFileFollowsTheScenarioName)
{
    EXPECT_EQ(CSpriteManager::AgencyFileFor(""), "Agency.csv");
    EXPECT_EQ(CSpriteManager::AgencyFileFor("Harbour.zri"), "Harbour.csv");
    EXPECT_EQ(CSpriteManager::AgencyFileFor("ab"), "ab.csv");

    CSpriteManager m;
    ASSERT_TRUE(m.LoadReferenceLists(data.Path(), "Harbour.csv", nullptr));
    EXPECT_EQ(m.GetAgencies().size(), 2u);
    CSpriteManager fallback;
    ASSERT_TRUE(fallback.LoadReferenceLists(data.Path(), "Nowhere.csv", nullptr));
    EXPECT_EQ(fallback.GetAgencies().size(), 7u); // Agency.csv
    EXPECT_TRUE(platform::RecordedMessages().empty());
}

TEST_F(SpriteManagerTest, AMissingListStopsTheChainButNotTheModifiers)
{
    data.Remove("Terrain_Features_List.csv");
    WorldDataFolder withArt(true);
    for (int m = 0; m < 10; ++m)
        for (const char* zoom : {"32", "8"}) {
            std::string name = "Sprites/mod" + std::to_string(m) + "_" + zoom + ".bmp";
            std::filesystem::copy_file(withArt.File(name), data.File(name));
        }
    auto display = MakeDisplay();
    CSpriteManager m;
    EXPECT_FALSE(m.LoadReferenceLists(data.Path(), "Agency.csv", display.get()));
    EXPECT_EQ(m.GetTemplateCount(kUnitSprite), 3);
    EXPECT_EQ(m.GetTemplateCount(kFeatureSprite), 0);
    EXPECT_EQ(m.GetTemplateCount(kStationSprite), 0);
    EXPECT_EQ(m.GetTemplateCount(kVehicleSprite), 0);
    EXPECT_NE(m.GetModifierSurface(0, 0), nullptr);
    EXPECT_NE(m.GetModifierSurface(1, 9), nullptr);
    bool reported = false;
    for (const auto& box : platform::RecordedMessages())
        reported = reported || (box.title == "Failed to open file" &&
                                box.text == platform::JoinPath(data.Path(), "Terrain_Features_List.csv") &&
                                box.icon == platform::MessageIcon::Error);
    EXPECT_TRUE(reported);
    EXPECT_EQ(m.CreateFeatureSprite(Placement(kFeatureSprite, 0), false), nullptr);
}

TEST_F(SpriteManagerTest, TemplateListsStopAt512Rows)
{
    std::ofstream out(data.File("Terrain_Features_List.csv"));
    out << "h\nh\nh\n";
    for (int i = 0; i < 600; ++i)
        out << i << ",F" << i << ",bmp,0,1,10,0%,0,0,0,0,0,0,0,\n";
    out.close();
    CSpriteManager m;
    ASSERT_TRUE(m.LoadReferenceLists(data.Path(), "Agency.csv", nullptr));
    EXPECT_EQ(m.GetTemplateCount(kFeatureSprite), 512);
    EXPECT_STREQ(m.GetTemplates(kFeatureSprite)[511].m_szName, "F511");
    EXPECT_EQ(m.GetTemplateCount(kStationSprite), 3);
}

TEST_F(SpriteManagerTest, LongFieldsAreCutAndTheRowStaysInStep)
{
    std::ofstream out(data.File("Terrain_Features_List.csv"));
    out << "h\nh\nh\n" << std::string(1000, 's') << "," << std::string(400, 'N') << ",bmp,0,1,33,0%,0,0,0,0,0,0,0,\n";
    out.close();
    CSpriteManager m;
    ASSERT_TRUE(m.LoadReferenceLists(data.Path(), "Agency.csv", nullptr));
    ASSERT_EQ(m.GetTemplateCount(kFeatureSprite), 1);
    EXPECT_EQ(std::string(m.GetTemplates(kFeatureSprite)[0].m_szName), std::string(259, 'N'));
    EXPECT_EQ(m.GetTemplates(kFeatureSprite)[0].m_nDepthKey, 33);
}

TEST_F(SpriteManagerTest, ShortRowsKeepTheirNumbersToThemselves)
{
    // A row with too few columns keeps the defaults of the missing ones; the next row is read whole.
    std::ofstream out(data.File("Terrain_Features_List.csv"));
    out << "h\nh\nh\n1,Bush,bush\n2,Tree,tree,0,1,7,50%,0,0,0,0,0,0,0\r\n3,Rock,rock,0,1,9 \n";
    out.close();
    CSpriteManager m;
    ASSERT_TRUE(m.LoadReferenceLists(data.Path(), "Agency.csv", nullptr));
    ASSERT_EQ(m.GetTemplateCount(kFeatureSprite), 3);
    const CSprite* t = m.GetTemplates(kFeatureSprite);
    EXPECT_STREQ(t[0].m_szName, "Bush");
    EXPECT_EQ(t[0].m_nDepthKey, 0);
    EXPECT_STREQ(t[1].m_szName, "Tree");
    EXPECT_EQ(t[1].m_nDepthKey, 7);
    EXPECT_EQ(t[1].m_nAlphaPercent, 50);
    EXPECT_STREQ(t[2].m_szName, "Rock");
    EXPECT_EQ(t[2].m_nDepthKey, 9);
    EXPECT_EQ(t[2].m_nAlphaPercent, 0);
}

TEST_F(SpriteManagerTest, NumbersOutsideTheirRangeAreBoundedWithOneMessageEach)
{
    // Depth past a million, a 250% alpha: each clamped and told once, naming file, line and column.
    const std::string path = data.File("Terrain_Features_List.csv");
    std::ofstream out(path);
    out << "h\nh\nh\n1,Bush,bush,0,1,2147483647,50%\n2,Tree,tree,0,1,7,250%\n";
    out.close();
    platform::ClearRecordedMessages();
    CSpriteManager m;
    ASSERT_TRUE(m.LoadReferenceLists(data.Path(), "Agency.csv", nullptr));
    const CSprite* t = m.GetTemplates(kFeatureSprite);
    EXPECT_EQ(t[0].m_nDepthKey, 1000000);
    EXPECT_EQ(t[1].m_nDepthKey, 7);
    EXPECT_EQ(t[1].m_nAlphaPercent, 100);
    const auto shown = platform::RecordedMessages();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_NE(shown[0].text.find("\"" + path + "\", row 4, field \"column 6\""), std::string::npos) << shown[0].text;
    EXPECT_NE(shown[1].text.find("row 5, field \"column 7\""), std::string::npos) << shown[1].text;
}

// ---- stored streams ----

struct SpriteRow {
    int agency, type, id, x, y, service;
};

std::vector<uint8_t> ManagerStream(int version, const std::vector<SpriteRow>& rows, bool stationData = true)
{
    Bytes b;
    b.Object(0, "CSpriteManager", version).I32(static_cast<int>(rows.size()));
    int nextId = 1;
    for (const SpriteRow& r : rows) {
        if (version >= 4)
            b.I32(r.agency);
        b.I32(r.type).I32(r.id).I32(r.x).I32(r.y);
        if (version >= 3)
            b.I32(r.service);
        if (r.type == kStationSprite && version >= 2) {
            if (!stationData) {
                b.Null();
                continue;
            }
            b.Object(nextId++, "CStationData", 2).Str("Stored Station").I32(5).I32(3).I32(10).I32(2);
            b.I32(0).I32(0).I32(30).I32(40).I32(1);
            b.Object(nextId++, "CStationResource", 2).I32(1).I32(1).Str("Engine Crew").I32(3).I32(0);
        }
    }
    return b.Data();
}

TEST_F(SpriteManagerTest, Version4StreamPlacesEverySprite)
{
    TempFolder folder;
    auto bytes = ManagerStream(4, {{6, kUnitSprite, 0, 100, 120, 7},
                                   {0, kFeatureSprite, 1, 50, 60, 0},
                                   {1, kStationSprite, 1, 300, 310, 99},
                                   {1, kVehicleSprite, 1, 70, 80, 2},
                                   {0, 9, 0, 0, 0, 0},
                                   {0, kUnitSprite, 3, 0, 0, 0},
                                   {0, kUnitSprite, -1, 0, 0, 0}});
    std::unique_ptr<CSpriteManager> m(LoadBytes<CSpriteManager>(folder, bytes, "Sprites"));
    ASSERT_TRUE(m);
    EXPECT_EQ(m->GetSpritesCount(), 4);
    CSprite* unit = m->FindSprite(kUnitSprite, 7);
    ASSERT_NE(unit, nullptr);
    EXPECT_EQ(unit->m_Placement.AgencyIndex, 6);
    EXPECT_EQ(unit->m_Placement.WorldX, 100);
    EXPECT_STREQ(unit->m_szName, "Patrol Officer");
    EXPECT_EQ(m->GetIdCounter(0), 8);
    CSprite* vehicle = m->FindSpriteBySubtype(1, 2);
    ASSERT_NE(vehicle, nullptr);
    EXPECT_EQ(vehicle->Kind(), kVehicleSprite);
    CSprite* station = m->FindSpriteBySubtype(1, 1); // stations take their ids from the counter of their kind
    ASSERT_NE(station, nullptr);
    ASSERT_EQ(station->Kind(), kStationSprite);
    const CStationData& d = *station->m_pStationData;
    EXPECT_STREQ(d.m_szName, "Stored Station");
    EXPECT_EQ(d.m_nStationKind, 1); // from the template (Fire), not the stored 5
    EXPECT_EQ(d.m_nInfoPage, 102);  // from the template
    EXPECT_EQ(d.m_AgencyIndex, 3);
    EXPECT_FLOAT_EQ(d.m_fRouteSpeed, 25.0f);
    ASSERT_NE(d.GetResource(0), nullptr);
    EXPECT_STREQ(d.GetResource(0)->m_szName, "Engine Crew");
    EXPECT_EQ(d.GetResource(0)->m_nAvailable, 3);
}

TEST_F(SpriteManagerTest, Version2StreamTakesAgenciesAndIdsFromTheLists)
{
    TempFolder folder;
    auto bytes = ManagerStream(2, {{0, kUnitSprite, 1, 10, 10, 0},
                                   {0, kUnitSprite, 1, 20, 10, 0},
                                   {0, kUnitSprite, 2, 30, 10, 0},
                                   {0, kStationSprite, 0, 40, 10, 0}});
    std::unique_ptr<CSpriteManager> m(LoadBytes<CSpriteManager>(folder, bytes, "Sprites"));
    ASSERT_TRUE(m);
    ASSERT_EQ(m->GetSpritesCount(), 4);
    std::vector<std::pair<int, int>> units; // (agency index, service id)
    for (CSprite* s = m->GetHead(); s; s = s->m_pNext)
        if (s->Kind() == kUnitSprite)
            units.emplace_back(s->m_Placement.AgencyIndex, s->m_Placement.ServiceId);
    std::sort(units.begin(), units.end());
    EXPECT_EQ(units, (std::vector<std::pair<int, int>>{{1, 1}, {1, 2}, {2, 1}})); // Fire, Fire, EMS
    CSprite* station = m->FindSprite(kStationSprite, 1);
    ASSERT_NE(station, nullptr);
    EXPECT_STREQ(station->m_pStationData->m_szName, "Stored Station");
}

TEST_F(SpriteManagerTest, Version3StreamKeepsServiceIdsAndANullStationKeepsItsTemplateData)
{
    TempFolder folder;
    auto bytes = ManagerStream(3, {{0, kUnitSprite, 0, 10, 10, 4}, {0, kStationSprite, 0, 40, 10, 0}}, false);
    std::unique_ptr<CSpriteManager> m(LoadBytes<CSpriteManager>(folder, bytes, "Sprites"));
    ASSERT_TRUE(m);
    CSprite* unit = m->FindSprite(kUnitSprite, 4);
    ASSERT_NE(unit, nullptr);
    EXPECT_EQ(unit->m_Placement.AgencyIndex, 0);
    CSprite* station = m->FindSprite(kStationSprite, 1);
    ASSERT_NE(station, nullptr);
    EXPECT_EQ(station->m_pStationData->m_nInfoPage, 101);
    EXPECT_NE(station->m_pStationData, m->GetTemplates(kStationSprite)[0].m_pStationData);
}

TEST_F(SpriteManagerTest, StationOfAnUnknownTemplateIsStillReadPast)
{
    TempFolder folder;
    auto bytes = ManagerStream(4, {{0, kStationSprite, 40, 0, 0, 0}, {0, kUnitSprite, 0, 5, 5, 3}});
    bool failed = true;
    std::unique_ptr<CSpriteManager> m(LoadBytes<CSpriteManager>(folder, bytes, "Sprites", &failed));
    ASSERT_TRUE(m);
    EXPECT_FALSE(failed);
    EXPECT_EQ(m->GetSpritesCount(), 1);
    EXPECT_NE(m->FindSprite(kUnitSprite, 3), nullptr);
}

TEST_F(SpriteManagerTest, StoreThenLoadGivesTheSameSprites)
{
    CSpriteManager m;
    ASSERT_TRUE(m.LoadReferenceLists(data.Path(), "Agency.csv", nullptr));
    m.CreateUnitSprite(Placement(kUnitSprite, 2, 5, 6), true);
    m.CreateFeatureSprite(Placement(kFeatureSprite, 3, 7, 8), false);
    CSprite* station = m.CreateStationSprite(Placement(kStationSprite, 1, 9, 10), true);
    station->m_pStationData->m_pptWaypoints = {{1, 2}, {3, 4}, {5, 6}};
    station->m_pStationData->m_paResources[0] = new CStationResource();
    CopyName(station->m_pStationData->m_paResources[0]->m_szName, 260, "Medic");
    auto rows = [](const CSpriteManager& manager) {
        std::vector<std::vector<int>> out;
        for (CSprite* s = manager.GetHead(); s; s = s->m_pNext) {
            const CPlacement& p = s->m_Placement;
            out.push_back({p.Type, p.Id, p.WorldX, p.WorldY, p.ServiceId, p.AgencyIndex});
        }
        return out;
    };
    // Binary, and the XML export (whose "pSid->Type" must not be taken for the line's type keyword).
    for (int format : {QFArchive::kBinary, QFArchive::kXML}) {
        SCOPED_TRACE(format);
        TempFolder folder;
        auto bytes = StoreObject(folder, &m, "Sprites", format);
        bool failed = true;
        std::unique_ptr<CSpriteManager> again(LoadBytes<CSpriteManager>(folder, bytes, "Sprites", &failed, format));
        ASSERT_TRUE(again);
        EXPECT_FALSE(failed);
        ASSERT_EQ(again->GetSpritesCount(), 3);
        EXPECT_EQ(rows(m), rows(*again));
        CSprite* loaded = again->FindSprite(kStationSprite, station->m_Placement.ServiceId);
        ASSERT_NE(loaded, nullptr);
        EXPECT_EQ(loaded->m_pStationData->m_pptWaypoints.size(), 3u);
        EXPECT_STREQ(loaded->m_pStationData->GetResource(0)->m_szName, "Medic");
    }
}

TEST_F(SpriteManagerTest, EqualDepthsKeepTheirOrderThroughEverySave)
{
    CSpriteManager m;
    ASSERT_TRUE(m.LoadReferenceLists(data.Path(), "Agency.csv", nullptr));
    for (int i = 0; i < 3; ++i) // three units of one depth, between features of two depths
        m.CreateUnitSprite(Placement(kUnitSprite, 0, 10 * i, 0), true);
    m.CreateFeatureSprite(Placement(kFeatureSprite, 0, 1, 1), false);
    m.CreateFeatureSprite(Placement(kFeatureSprite, 0, 2, 2), false);
    m.CreateFeatureSprite(Placement(kFeatureSprite, 3, 3, 3), false);
    auto order = [](const CSpriteManager& manager) {
        std::vector<std::pair<int, int>> out;
        for (CSprite* s = manager.GetHead(); s; s = s->m_pNext)
            out.emplace_back(s->m_Placement.WorldX, s->m_Placement.ServiceId);
        return out;
    };
    TempFolder folder;
    const auto first = StoreObject(folder, &m, "Sprites");
    std::unique_ptr<CSpriteManager> again(LoadBytes<CSpriteManager>(folder, first, "Sprites"));
    ASSERT_TRUE(again);
    EXPECT_EQ(order(*again), order(m));
    EXPECT_EQ(StoreObject(folder, again.get(), "Sprites"), first);

    // A file written head first (as before) still reads as it always did: each run of equal depths reversed.
    Bytes old;
    old.Object(0, "CSpriteManager", 4).I32(3);
    for (int x : {100, 200, 300})
        old.I32(0).I32(kFeatureSprite).I32(0).I32(x).I32(0).I32(0);
    std::unique_ptr<CSpriteManager> read(LoadBytes<CSpriteManager>(folder, old.Data(), "Sprites"));
    ASSERT_TRUE(read);
    EXPECT_EQ(order(*read), (std::vector<std::pair<int, int>>{{300, 0}, {200, 0}, {100, 0}}));
}

TEST_F(SpriteManagerTest, EditorFieldsComeFromTheFeatureListColumns)
{
    std::ofstream out(data.File("Terrain_Features_List.csv"));
    out << "h\nh\nh\n"
           "0,Wall,tree,0,1,10,0%,0,1,0,0,1,-1,0,end\n" // blocks movement, linked to 1
           "1,Roof,tree,0,0,90,0%,0,0,1,1,0,,0,end\n"   // sight, hideable, linked to 0, no group
           "2,Car,car,0,1,50,0%,0,1,1,2,-1,3,1,end\n"   // both, blended, group 3, a structure
           "3,Van,car,0,1,50,0%,0,0,0,0,,3,0,end\n";    // group 3, no link
    out.close();
    CSpriteManager m;
    ASSERT_TRUE(m.LoadReferenceLists(data.Path(), "Agency.csv", nullptr));
    ASSERT_EQ(m.GetTemplateCount(kFeatureSprite), 4);
    struct Case {
        int linked, group;
        bool palette;
        int blocking, hideable;
    };
    const Case cases[] = {{1, -1, true, kBlocksMovement, 0},
                          {0, -1, false, kBlocksSight | kMayHide, kMayHide},
                          {-1, 3, true, kBlocksMovement | kBlocksSight, 0},
                          {-1, 3, true, 0, 0}};
    for (int i = 0; i < 4; ++i) {
        const CSprite& t = m.GetTemplates(kFeatureSprite)[i];
        EXPECT_EQ(t.m_nLinkedTemplate, cases[i].linked) << i;
        EXPECT_EQ(t.m_nCycleGroup, cases[i].group) << i;
        EXPECT_EQ(t.m_bPaletteFlag, cases[i].palette) << i;
        EXPECT_EQ(t.m_byBlocking, cases[i].blocking) << i;
        EXPECT_EQ(t.m_byHideable, cases[i].hideable) << i;
    }
    CSprite* car = m.CreateFeatureSprite(Placement(kFeatureSprite, 2, 5, 5), false);
    EXPECT_EQ(car->m_nCycleGroup, 3);
    EXPECT_EQ(car->m_byBlocking, kBlocksMovement | kBlocksSight);
    EXPECT_NE(car->m_Placement.Flags & kSpriteStructure, 0);
    EXPECT_EQ(car->m_pLinkNext, nullptr);
    EXPECT_EQ(m.GetTemplates(kUnitSprite)[0].m_nLinkedTemplate, -1);
    EXPECT_EQ(m.GetTemplates(kStationSprite)[0].m_nLinkedTemplate, -1);
}

// Features for the chain and group tests: 0 Wall (linked to 1), 1 Roof (linked to 0, hideable), 2 and 4 in
// group 7, 3 alone in group 8, 5 in no group.
class FeatureChainTest : public SpriteManagerTest {
protected:
    void SetUp() override
    {
        SpriteManagerTest::SetUp();
        std::ofstream out(data.File("Terrain_Features_List.csv"));
        out << "h\nh\nh\n"
               "0,Wall,tree,0,1,10,0%,0,1,0,0,1,-1,0,end\n"
               "1,Roof,tree,0,1,90,0%,0,0,1,1,0,-1,0,end\n"
               "2,Car,car,0,1,50,0%,0,0,0,0,-1,7,0,end\n"
               "3,Bus,car,0,1,50,0%,0,0,0,0,-1,8,0,end\n"
               "4,Van,car,0,1,50,0%,0,0,0,0,-1,7,0,end\n"
               "5,Cone,car,0,1,50,0%,0,0,0,0,-1,-1,0,end\n";
        out.close();
        ASSERT_TRUE(m.LoadReferenceLists(data.Path(), "Agency.csv", nullptr));
    }
    CSprite* Feature(int index, int x, int y)
    {
        return m.CreateFeatureSprite(Placement(kFeatureSprite, index, x, y), false);
    }
    CSpriteManager m;
};

TEST_F(FeatureChainTest, PairsLinkOnceAtTheSamePlaceAndMutualTemplatesMakeNoLoop)
{
    CSprite* wall = Feature(0, 64, 64);
    CSprite* roof = Feature(1, 64, 64);
    CSprite* otherRoof = Feature(1, 64, 64); // a second roof on the same spot stays free
    CSprite* farRoof = Feature(1, 96, 64);
    CSprite* loneWall = Feature(0, 200, 200);
    m.LinkFeaturePairs();
    EXPECT_TRUE(wall->m_pLinkNext == roof || wall->m_pLinkNext == otherRoof);
    CSprite* taken = wall->m_pLinkNext;
    EXPECT_EQ(taken->m_pLinkPrev, wall);
    EXPECT_EQ(taken->m_pLinkNext, nullptr); // the wall behind it is in its own chain: no loop
    EXPECT_EQ(wall->m_pLinkPrev, nullptr);
    CSprite* free = taken == roof ? otherRoof : roof;
    EXPECT_EQ(free->m_pLinkPrev, nullptr);
    EXPECT_EQ(farRoof->m_pLinkPrev, nullptr);
    EXPECT_EQ(loneWall->m_pLinkNext, nullptr);
    EXPECT_EQ(CSpriteManager::GetLinkChainHead(taken), wall);
    EXPECT_EQ(CSpriteManager::GetLinkChainHead(wall), wall);
    EXPECT_EQ(CSpriteManager::GetLinkChainHead(nullptr), nullptr);
    m.LinkFeaturePairs(); // a second pass changes nothing
    EXPECT_EQ(wall->m_pLinkNext, taken);
    // A loop made by hand still ends the head walk.
    wall->m_pLinkPrev = taken;
    taken->m_pLinkNext = wall;
    CSprite* head = CSpriteManager::GetLinkChainHead(taken);
    EXPECT_TRUE(head == wall || head == taken);
}

TEST_F(FeatureChainTest, NextTemplateInGroupWrapsWithinItsGroup)
{
    struct Case {
        int from, to;
    };
    for (Case c : {Case{2, 4}, Case{4, 2}, Case{3, 3}, Case{5, 5}, Case{0, 0}, Case{6, 6}, Case{-1, -1}})
        EXPECT_EQ(m.NextTemplateInGroup(c.from), c.to) << c.from;
}

TEST_F(FeatureChainTest, CutawayHidesOnlyHideableSprites)
{
    CSprite* wall = Feature(0, 64, 64);
    CSprite* roof = Feature(1, 64, 64);
    m.ShowHideableSprites(false);
    EXPECT_NE(roof->m_Placement.Flags & kSpriteHiddenUnder, 0);
    EXPECT_EQ(wall->m_Placement.Flags & kSpriteHiddenUnder, 0);
    m.ShowHideableSprites(true);
    EXPECT_EQ(roof->m_Placement.Flags & kSpriteHiddenUnder, 0);
    m.DeleteAllSprites();
    EXPECT_EQ(m.GetSpritesCount(), 0);
    EXPECT_EQ(m.GetHead(), nullptr);
}

TEST_F(SpriteManagerTest, LoadListsReadsTheAgenciesFirstAndStopsAtTheFirstMissingList)
{
    CSpriteManager m;
    ASSERT_TRUE(m.LoadLists("ZR_Unit-Task_List.csv", "Terrain_Features_List.csv", "Area_Map_Stations_List.csv",
                            "ZR_Vehicle-Task_List.csv", "Harbour.csv"));
    EXPECT_EQ(m.GetTemplateCount(kUnitSprite), 3);
    EXPECT_EQ(m.GetTemplateCount(kFeatureSprite), 6);
    EXPECT_EQ(m.GetTemplateCount(kStationSprite), 3);
    EXPECT_EQ(m.GetTemplateCount(kVehicleSprite), 2);
    EXPECT_EQ(m.GetModifierSurface(0, 0), nullptr); // the modifiers are not among the editors' lists

    CSpriteManager broken;
    EXPECT_FALSE(broken.LoadLists("ZR_Unit-Task_List.csv", "missing.csv", "Area_Map_Stations_List.csv",
                                  "ZR_Vehicle-Task_List.csv", "Agency.csv"));
    EXPECT_FALSE(broken.GetAgencies().empty());
    EXPECT_EQ(broken.GetTemplateCount(kUnitSprite), 3);
    EXPECT_EQ(broken.GetTemplateCount(kStationSprite), 0);
    EXPECT_EQ(broken.GetTemplateCount(kVehicleSprite), 0);

    CSpriteManager noAgencies;
    data.Remove("Agency.csv");
    EXPECT_FALSE(noAgencies.LoadLists("ZR_Unit-Task_List.csv", "Terrain_Features_List.csv",
                                      "Area_Map_Stations_List.csv", "ZR_Vehicle-Task_List.csv", "Agency.csv"));
    EXPECT_EQ(noAgencies.GetTemplateCount(kUnitSprite), 0);
}

// ---- the draw list ----

TEST_F(SpriteManagerTest, DrawListIsOrderedByDepthWithLaterEqualsFirst)
{
    CSpriteManager m;
    ASSERT_TRUE(m.LoadReferenceLists(data.Path(), "Agency.csv", nullptr));
    CSprite* car = m.CreateFeatureSprite(Placement(kFeatureSprite, 3), false);    // depth 30
    CSprite* tree1 = m.CreateFeatureSprite(Placement(kFeatureSprite, 0), true);   // 10
    CSprite* rubble = m.CreateFeatureSprite(Placement(kFeatureSprite, 2), false); // 5
    CSprite* tree2 = m.CreateFeatureSprite(Placement(kFeatureSprite, 0), false);  // 10
    std::vector<CSprite*> order;
    for (CSprite* s = m.GetHead(); s; s = s->m_pNext)
        order.push_back(s);
    EXPECT_EQ(order, (std::vector<CSprite*>{rubble, tree2, tree1, car}));
    EXPECT_EQ(m.GetTail(), car);
    EXPECT_EQ(tree2->m_pPrev, rubble);
    EXPECT_EQ(tree1->m_Placement.ServiceId, 1); // feature ids from counter 9 + 2 when asked
    EXPECT_EQ(m.CreateFeatureSprite(Placement(kFeatureSprite, 6), false), nullptr);
    EXPECT_EQ(m.CreateUnitSprite(Placement(kUnitSprite, -1), true), nullptr);
    EXPECT_TRUE(m.RemoveSprite(tree1, true));
    EXPECT_FALSE(m.RemoveSprite(tree1, true));
    EXPECT_EQ(m.GetSpritesCount(), 3);
}

TEST_F(SpriteManagerTest, TheEditorsRemoveLowersTheCountOnlyWhenAsked)
{
    CSpriteManager m;
    ASSERT_TRUE(m.LoadReferenceLists(data.Path(), "Agency.csv", nullptr));
    CSprite* a = m.CreateFeatureSprite(Placement(kFeatureSprite, 0), false);
    CSprite* b = m.CreateFeatureSprite(Placement(kFeatureSprite, 3), false);
    EXPECT_TRUE(m.RemoveSprite(a, false, false));
    EXPECT_EQ(m.GetSpritesCount(), 2);
    EXPECT_FALSE(m.ContainsSprite(a));
    EXPECT_FALSE(m.RemoveSprite(a, true, true));
    EXPECT_TRUE(m.RemoveSprite(b, true, true));
    EXPECT_EQ(m.GetSpritesCount(), 1);
    EXPECT_EQ(m.GetHead(), nullptr);
    m.AddSprite(a, false);
    EXPECT_EQ(m.GetHead(), a);
}

TEST_F(SpriteManagerTest, AssignedIdsComeFromTheCountersOfTheAgencyKind)
{
    CSpriteManager m;
    ASSERT_TRUE(m.LoadReferenceLists(data.Path(), "Agency.csv", nullptr));
    EXPECT_EQ(m.CreateUnitSprite(Placement(kUnitSprite, 0), true)->m_Placement.ServiceId, 1);
    EXPECT_EQ(m.CreateUnitSprite(Placement(kUnitSprite, 0, 0, 0, 5), true)->m_Placement.ServiceId, 5);
    EXPECT_EQ(m.CreateUnitSprite(Placement(kUnitSprite, 0), true)->m_Placement.ServiceId, 3);
    EXPECT_EQ(m.CreateVehicleSprite(Placement(kVehicleSprite, 0), true)->m_Placement.ServiceId, 4); // Police too
    EXPECT_EQ(m.CreateUnitSprite(Placement(kUnitSprite, 1), true)->m_Placement.ServiceId, 1);       // Fire
    EXPECT_EQ(m.CreateStationSprite(Placement(kStationSprite, 0), true)->m_Placement.ServiceId, 1); // counter 12
}

TEST_F(SpriteManagerTest, IdCountersWrapAtTheTopOfTheRange)
{
    // A unit loaded with the id 2^31 - 2 leaves its counter at the top: the next ids wrap, as the events' do.
    TempFolder folder;
    auto bytes = ManagerStream(4, {{0, kUnitSprite, 0, 100, 120, INT32_MAX - 1}});
    std::unique_ptr<CSpriteManager> m(LoadBytes<CSpriteManager>(folder, bytes, "Sprites"));
    ASSERT_TRUE(m);
    EXPECT_EQ(m->GetIdCounter(0), INT32_MAX);
    EXPECT_EQ(m->CreateUnitSprite(Placement(kUnitSprite, 0), true)->m_Placement.ServiceId, INT32_MAX);
    EXPECT_EQ(m->GetIdCounter(0), INT32_MIN);
    EXPECT_EQ(m->CreateUnitSprite(Placement(kUnitSprite, 0), true)->m_Placement.ServiceId, INT32_MIN);
}

TEST_F(SpriteManagerTest, SelectionMarkerFollowsAndIsForgottenWithItsSprites)
{
    CSpriteManager m;
    ASSERT_TRUE(m.LoadReferenceLists(data.Path(), "Agency.csv", nullptr));
    CSprite* unit = m.CreateUnitSprite(Placement(kUnitSprite, 0, 100, 100), true);
    RECT view{0, 0, 800, 448};
    m.SetSelectedSprite(unit, view, 0);
    CSprite* marker = m.GetSelectionMarker();
    ASSERT_NE(marker, nullptr);
    EXPECT_EQ(marker->m_Placement.Id, CSpriteManager::kMarkerTemplate);
    EXPECT_EQ(m.GetSpritesCount(), 2);
    unit->SetWorldPosition(300, 200);
    m.Draw(view, nullptr);
    EXPECT_EQ(marker->m_Placement.WorldX, 300);
    EXPECT_TRUE(m.RemoveSprite(unit, true));
    EXPECT_EQ(m.GetSelectedSprite(), nullptr);
    m.Draw(view, nullptr);
    m.DeleteSprites();
    EXPECT_EQ(m.GetSelectionMarker(), nullptr);
    m.SetSelectedSprite(nullptr, view, 0);
    EXPECT_EQ(m.GetSpritesCount(), 0);
}

TEST_F(SpriteManagerTest, NoMarkerWithFewerThanFiveFeatures)
{
    std::ofstream out(data.File("Terrain_Features_List.csv"));
    out << "h\nh\nh\n1,Tree,tree,0,1,10,0%,0,0,0,0,0,0,0,\n";
    out.close();
    CSpriteManager m;
    ASSERT_TRUE(m.LoadReferenceLists(data.Path(), "Agency.csv", nullptr));
    CSprite* unit = m.CreateUnitSprite(Placement(kUnitSprite, 0, 100, 100), true);
    m.SetSelectedSprite(unit, RECT{0, 0, 800, 448}, 0);
    EXPECT_EQ(m.GetSelectionMarker(), nullptr);
    EXPECT_EQ(m.GetSpritesCount(), 1);
}

TEST_F(SpriteManagerTest, PointQueriesTakeTheTopmostDrawnSprite)
{
    WorldDataFolder art(true);
    auto display = MakeDisplay();
    CSpriteManager m;
    ASSERT_TRUE(m.LoadReferenceLists(art.Path(), "Agency.csv", display.get()));
    CSprite* station = m.CreateStationSprite(Placement(kStationSprite, 0, 100, 100), true); // depth 30
    CSprite* car = m.CreateFeatureSprite(Placement(kFeatureSprite, 3, 104, 100), false);    // depth 30, on top
    RECT view{0, 0, 800, 448};
    m.UpdateScreenRects(view);
    EXPECT_EQ(m.SpriteAtPoint(100, 100), nullptr); // nothing drawn yet
    m.Draw(view, display->GetBackBuffer());
    // The car went ahead of its equal, so the station is drawn last and is on top.
    EXPECT_EQ(m.GetTail(), station);
    EXPECT_EQ(m.SpriteAtPoint(100, 100), station);
    EXPECT_EQ(m.StationAtPoint(100, 100), station);
    EXPECT_EQ(m.SpriteAtPoint(110, 100), car);
    car->m_Placement.Flags |= kSpriteHiddenUnder;
    EXPECT_EQ(m.SpriteAtPoint(110, 100), nullptr);
    station->m_Placement.Flags |= kSpriteBlended;
    EXPECT_EQ(m.StationAtPoint(100, 100), nullptr);
    EXPECT_EQ(m.SpriteAtPoint(100, 100), station);
    EXPECT_EQ(m.SpriteAtPoint(500, 500), nullptr);
}

TEST_F(SpriteManagerTest, SpritesAtAPointAreEveryDrawnOneTopMostFirst)
{
    WorldDataFolder art(true);
    auto display = MakeDisplay();
    CSpriteManager m;
    ASSERT_TRUE(m.LoadReferenceLists(art.Path(), "Agency.csv", display.get()));
    CSprite* rubble = m.CreateFeatureSprite(Placement(kFeatureSprite, 2, 100, 100), false); // depth 5, 16 x 16
    CSprite* tree = m.CreateFeatureSprite(Placement(kFeatureSprite, 0, 100, 100), false);   // 10
    CSprite* car = m.CreateFeatureSprite(Placement(kFeatureSprite, 3, 100, 100), false);    // 30
    CSprite* far = m.CreateFeatureSprite(Placement(kFeatureSprite, 3, 300, 300), false);
    RECT view{0, 0, 800, 448};
    m.UpdateScreenRects(view);
    EXPECT_TRUE(m.SpritesAtPoint(100, 100).empty()); // nothing drawn yet
    m.Draw(view, display->GetBackBuffer());
    EXPECT_EQ(m.SpritesAtPoint(100, 100), (std::vector<CSprite*>{car, tree, rubble}));
    EXPECT_EQ(m.SpritesAtPoint(92, 92), (std::vector<CSprite*>{car, tree, rubble})); // edges count
    EXPECT_EQ(m.SpritesAtPoint(300, 300), (std::vector<CSprite*>{far}));
    for (int32_t flag : {kSpriteHiddenUnder, kSpriteBlended, kSpriteLoaded, kSpriteHidden}) {
        tree->m_Placement.Flags |= flag;
        EXPECT_EQ(m.SpritesAtPoint(100, 100), (std::vector<CSprite*>{car, rubble})) << flag;
        tree->m_Placement.Flags &= ~flag;
    }
}

TEST_F(SpriteManagerTest, FeaturesUnderDrawnUnitsAreBlendedOrHidden)
{
    WorldDataFolder art(true);
    auto display = MakeDisplay();
    CSpriteManager m;
    ASSERT_TRUE(m.LoadReferenceLists(art.Path(), "Agency.csv", display.get()));
    CMap2DLinked map;
    std::vector<int> types(16, 0);
    types[3 * 4 + 3] = 162; // the cell holding (100, 100)
    ASSERT_TRUE(map.BuildGrid(4, 4, types));
    CSprite* tree = m.CreateFeatureSprite(Placement(kFeatureSprite, 0, 100, 100), false);     // option bit 2, alpha 0
    CSprite* building = m.CreateFeatureSprite(Placement(kFeatureSprite, 1, 300, 300), false); // option bit 3, alpha 50
    CSprite* rubble = m.CreateFeatureSprite(Placement(kFeatureSprite, 2, 100, 100), false);   // neither
    m.CreateUnitSprite(Placement(kUnitSprite, 0, 100, 100), true);
    RECT view{0, 0, 800, 448};
    m.UpdateScreenRects(view);
    m.Draw(view, display->GetBackBuffer());
    tree->m_Placement.Flags |= kSpriteBlended;
    m.UpdateFeatureOverlaps(&map);
    EXPECT_EQ(tree->m_Placement.Flags & kSpriteBlended, 0); // cleared, then hidden: no alpha, tile type 162
    EXPECT_NE(tree->m_Placement.Flags & kSpriteHiddenUnder, 0);
    EXPECT_NE(building->m_Placement.Flags & kSpriteBlended, 0); // blended always
    EXPECT_EQ(rubble->m_Placement.Flags & (kSpriteBlended | kSpriteHiddenUnder), 0);
    types[3 * 4 + 3] = 0;
    ASSERT_TRUE(map.BuildGrid(4, 4, types));
    m.UpdateFeatureOverlaps(&map);
    EXPECT_EQ(tree->m_Placement.Flags & kSpriteHiddenUnder, 0);
}

TEST_F(SpriteManagerTest, StationStockOfSavedGamesRoundTrips)
{
    CSpriteManager m;
    ASSERT_TRUE(m.LoadReferenceLists(data.Path(), "Agency.csv", nullptr));
    CSprite* a = m.CreateStationSprite(Placement(kStationSprite, 0), true);
    CSprite* b = m.CreateStationSprite(Placement(kStationSprite, 1), true);
    for (int i : {0, 2}) {
        a->m_pStationData->m_paResources[i] = new CStationResource();
        a->m_pStationData->m_paResources[i]->m_nAvailable = 10 + i;
    }
    b->m_pStationData->m_paResources[5] = new CStationResource();
    b->m_pStationData->m_paResources[5]->m_nResCount = 4;
    b->m_pStationData->m_paResources[5]->m_nAvailable = 3;
    TempFolder folder;
    FILE* out = std::fopen(folder.File("stock").c_str(), "wb");
    ASSERT_TRUE(m.SaveStationResources(out));
    std::fclose(out);
    EXPECT_EQ(ReadBytes(folder.File("stock")).size(), 12u);
    a->m_pStationData->m_paResources[0]->m_nAvailable = 0;
    b->m_pStationData->m_paResources[5]->m_nAvailable = 0;
    FILE* in = std::fopen(folder.File("stock").c_str(), "rb");
    ASSERT_TRUE(m.LoadStationResources(in));
    std::fclose(in);
    EXPECT_EQ(a->m_pStationData->m_paResources[0]->m_nAvailable, 10);
    EXPECT_EQ(b->m_pStationData->m_paResources[5]->m_nAvailable, 3);
    in = std::fopen(folder.File("stock").c_str(), "rb");
    std::fseek(in, 6, SEEK_SET);
    EXPECT_FALSE(m.LoadStationResources(in)); // cut short
    std::fclose(in);
    // A count no game writes (below none, or far past the stock) sets none of them.
    for (int32_t bad : {-3, 4 + 1001}) {
        std::vector<uint8_t> bytes = ReadBytes(folder.File("stock"));
        for (int i = 0; i < 4; ++i)
            bytes[8 + static_cast<size_t>(i)] = static_cast<uint8_t>(static_cast<uint32_t>(bad) >> (8 * i));
        FILE* damaged = std::fopen(folder.File("bad").c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), damaged);
        std::fclose(damaged);
        a->m_pStationData->m_paResources[0]->m_nAvailable = 7;
        damaged = std::fopen(folder.File("bad").c_str(), "rb");
        EXPECT_FALSE(m.LoadStationResources(damaged)) << bad;
        std::fclose(damaged);
        EXPECT_EQ(a->m_pStationData->m_paResources[0]->m_nAvailable, 7) << bad;
    }
}

TEST_F(SpriteManagerTest, MarkAgencySpritesSwitchesModifiersOnResponders)
{
    CSpriteManager m;
    ASSERT_TRUE(m.LoadReferenceLists(data.Path(), "Agency.csv", nullptr));
    CPlacement p = Placement(kUnitSprite, 0);
    p.AgencyIndex = 0;
    CSprite* police = m.CreateUnitSprite(p, true);
    p.AgencyIndex = 35; // beyond the mask
    CSprite* odd = m.CreateUnitSprite(p, true);
    CPlacement v = Placement(kVehicleSprite, 1);
    v.AgencyIndex = 1;
    CSprite* engine = m.CreateVehicleSprite(v, true);
    m.MarkAgencySprites(0x3);
    EXPECT_EQ(police->m_Placement.Modifiers, 0x10);
    EXPECT_EQ(engine->m_Placement.Modifiers, 0x100);
    EXPECT_EQ(odd->m_Placement.Modifiers, 0);
}

} // namespace
