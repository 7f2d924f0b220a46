// Area-map document: the stored head of a new document, counters from files, and a round trip with stations.
#include "core/world/AreaMapData.h"
#include "core/world/SpriteManager.h"
#include "core/world/StationData.h"
#include "core/world/WorldFixtures.h"

#include "platform/system/MessageBox.h"
#include "platform/system/Paths.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace worldtest;

namespace {

class AreaMapTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterCoreClasses();
        ResetWorldContext();
        platform::SetMessageEcho(false);
    }
    void TearDown() override
    {
        platform::SetMessageEcho(true);
        ResetWorldContext();
    }
    // Reads an object's own form (version and members) into an existing document.
    static bool ReadInto(CAreaMapData& document, const TempFolder& folder, const std::vector<uint8_t>& bytes)
    {
        QFFileStream stream;
        if (!stream.Open(folder.Write("into.bin", bytes), QFFileStream::kBinary, QFFileStream::kRead))
            return false;
        QFArchive archive;
        archive.BeginDocument(QFArchive::kLoading, &stream, QFArchive::kBinary);
        document.Serialize(&archive);
        bool ok = !archive.Failed();
        archive.EndDocument();
        return ok;
    }
    TempFolder folder;
};

TEST_F(AreaMapTest, NewDocumentHasTheGoldenHead)
{
    CAreaMapData document;
    EXPECT_EQ(WorldContext().m_strBaseFolder, platform::CurrentFolder());
    EXPECT_STREQ(document.m_szBaseFolder, platform::CurrentFolder().c_str());
    auto bytes = StoreObject(folder, &document, "CAreaMapData");
    Bytes expected;
    expected.I8(2).I32(0).I32(12);
    for (char c : std::string("CAreaMapData"))
        expected.I8(c);
    expected.I16(1).Str("").I32(20000).I32(9);
    for (int i = 0; i < 9; ++i)
        expected.I32(0);
    expected.Null();
    EXPECT_EQ(bytes, expected.Data());
}

TEST_F(AreaMapTest, CountersComeFromTheFileWithinTheNine)
{
    CAreaMapData document;
    for (uint32_t i = 0; i < 9; ++i)
        document.m_naNextStationID[i] = 100 + i;
    Bytes three;
    three.I16(1).Str("Area.bmp").I32(5000).I32(3).I32(7).I32(8).I32(9).Null();
    ASSERT_TRUE(ReadInto(document, folder, three.Data()));
    EXPECT_STREQ(document.m_szMapBitmap, "Area.bmp");
    EXPECT_EQ(document.m_nMapScale, 5000u);
    EXPECT_EQ(document.m_naNextStationID[2], 9u);
    EXPECT_EQ(document.m_naNextStationID[3], 103u);

    // Twelve counters: nine kept, three read and dropped, and the sprite manager after them still read.
    WorldDataFolder data(false);
    WorldContext().m_strDataFolder = data.Path();
    Bytes twelve;
    twelve.I16(1).Str(std::string(300, 'b')).I32(1).I32(12);
    for (int i = 0; i < 12; ++i)
        twelve.I32(i);
    twelve.Object(1, "CSpriteManager", 4).I32(0);
    ASSERT_TRUE(ReadInto(document, folder, twelve.Data()));
    EXPECT_EQ(std::string(document.m_szMapBitmap), std::string(259, 'b'));
    EXPECT_EQ(document.m_naNextStationID[8], 8u);
    ASSERT_NE(document.m_pSpriteManager, nullptr);
    CSpriteManager* first = document.m_pSpriteManager;
    EXPECT_EQ(first->GetTemplateCount(kStationSprite), 3);

    // Reading again replaces the sprite manager it held (the old one is freed, not leaked).
    ASSERT_TRUE(ReadInto(document, folder, three.Data()));
    EXPECT_EQ(document.m_pSpriteManager, nullptr);
    EXPECT_FALSE(document.m_bModified);
}

TEST_F(AreaMapTest, StoreAndLoadKeepStationsAndTheirRoutes)
{
    WorldDataFolder data(false);
    WorldContext().m_strDataFolder = data.Path();
    WorldContext().m_strScenarioName = "Harbour.zri";
    CAreaMapData document;
    CopyName(document.m_szMapBitmap, CAreaMapData::kPathSize, "Harbour.bmp");
    document.m_nMapScale = 12345;
    document.m_naNextStationID[4] = 77;
    document.m_pSpriteManager = new CSpriteManager();
    CSpriteManager& m = *document.m_pSpriteManager;
    ASSERT_TRUE(m.LoadReferenceLists(data.Path(), "Harbour.csv", nullptr));
    CPlacement p;
    p.Type = kStationSprite;
    p.Id = 2; // the incident site
    p.WorldX = 400;
    p.WorldY = 300;
    CSprite* site = m.CreateStationSprite(p, true);
    site->m_pStationData->m_pptWaypoints = {{0, 0}, {60, 80}};
    site->m_pStationData->m_nMinutesToSite = 20;
    site->m_pStationData->m_paResources[0] = new CStationResource();
    CopyName(site->m_pStationData->m_paResources[0]->m_szName, 260, "Medic");
    site->m_pStationData->m_paResources[0]->m_nResCount = 4;

    auto bytes = StoreObject(folder, &document, "CAreaMapData");
    std::unique_ptr<CAreaMapData> back(LoadBytes<CAreaMapData>(folder, bytes, "CAreaMapData"));
    ASSERT_TRUE(back);
    EXPECT_STREQ(back->m_szMapBitmap, "Harbour.bmp");
    EXPECT_EQ(back->m_nMapScale, 12345u);
    EXPECT_EQ(back->m_naNextStationID[4], 77u);
    ASSERT_NE(back->m_pSpriteManager, nullptr);
    EXPECT_EQ(back->m_pSpriteManager->GetAgencies().size(), 2u); // the scenario's own agency list
    ASSERT_EQ(back->m_pSpriteManager->GetSpritesCount(), 1);
    CSprite* loaded = back->m_pSpriteManager->GetHead();
    EXPECT_EQ(loaded->m_Placement.Id, 2);
    EXPECT_EQ(loaded->m_Placement.WorldX, 400);
    const CStationData& d = *loaded->m_pStationData;
    EXPECT_EQ(d.m_nStationKind, 7);
    EXPECT_EQ(d.m_nInfoPage, 103);
    EXPECT_FLOAT_EQ(d.m_fRouteSpeed, 25.0f);
    ASSERT_NE(d.GetResource(0), nullptr);
    EXPECT_EQ(d.GetResource(0)->m_nAvailable, 4);
}

TEST_F(AreaMapTest, ForwardRecordForAStationsDataFails)
{
    // A ".zra" whose station data comes as a forward record (tag 5) ahead of the object: refused, not kept
    // for a member that is gone by the time the record would be filled.
    WorldDataFolder data(false);
    WorldContext().m_strDataFolder = data.Path();
    WorldContext().m_strScenarioName = "Harbour.zri";
    CAreaMapData document;
    document.m_pSpriteManager = new CSpriteManager();
    ASSERT_TRUE(document.m_pSpriteManager->LoadReferenceLists(data.Path(), "Harbour.csv", nullptr));
    CPlacement p;
    p.Type = kStationSprite;
    p.Id = 2;
    ASSERT_TRUE(document.m_pSpriteManager->CreateStationSprite(p, true));
    std::vector<uint8_t> bytes = StoreObject(folder, &document, "CAreaMapData");
    const std::string head = std::string("\x0c\0\0\0CStationData", 16);
    auto at = std::search(bytes.begin(), bytes.end(), head.begin(), head.end());
    ASSERT_NE(at, bytes.end());
    const std::vector<uint8_t> forward = {5, at[-4], at[-3], at[-2], at[-1]}; // the object's own id
    bytes.insert(at - 5, forward.begin(), forward.end());
    bool failed = false;
    std::unique_ptr<CAreaMapData> back(LoadBytes<CAreaMapData>(folder, bytes, "CAreaMapData", &failed));
    EXPECT_TRUE(failed);
}

} // namespace
