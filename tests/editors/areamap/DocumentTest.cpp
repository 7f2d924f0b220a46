// Tests of Vellisk's document: its stored head, station ids, names, "GameInfo.txt", ".zra" reading and writing
// (identity, damaged files, unwritable targets, a full disk).
#include "tests/editors/areamap/VelliskModelFixture.h"

#include "core/persist/QFArchive.h"
#include "core/persist/QFFileStream.h"
#include "core/world/Map2DLinked.h"

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using namespace vellisk;
using namespace areamaptest;

namespace {

std::string Store(::CAreaMapData* document, const TempDir& dir, const std::string& name)
{
    QFFileStream stream;
    EXPECT_TRUE(stream.OpenSafeWrite(dir.File(name), QFFileStream::kBinary));
    QFArchive archive;
    archive.BeginDocument(QFArchive::kStoring, &stream, QFArchive::kBinary);
    QFSerializePointer(&archive, &document, "CAreaMapData");
    archive.EndDocument();
    EXPECT_TRUE(stream.Close());
    return dir.Read(name);
}

// No temporary is left beside the files of a folder.
std::vector<std::string> Leftovers(const std::string& folder)
{
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().filename().string().find(".tmp") != std::string::npos)
            out.push_back(e.path().filename().string());
    return out;
}


} // namespace

TEST(VelliskModelDocument, ANewDocumentStoresTheCoresHead)
{
    RegisterVelliskClasses();
    TempDir dir;
    vellisk::CAreaMapData editor;
    ::CAreaMapData core;
    const std::string bytes = Store(&editor, dir, "editor.zra");
    EXPECT_EQ(bytes, Store(&core, dir, "core.zra"));
    std::string expected("\x02\0\0\0\0\x0c\0\0\0CAreaMapData\x01\0\0\0\0\0\x20\x4e\0\0\x09\0\0\0", 35);
    expected += std::string(36 + 5, '\0');
    EXPECT_EQ(bytes, expected);
}

TEST(VelliskModelDocument, StationIdsAndBitmapNames)
{
    vellisk::CAreaMapData doc;
    EXPECT_EQ(doc.NextStationID(8), 1);
    EXPECT_EQ(doc.NextStationID(8), 2);
    EXPECT_EQ(doc.NextStationID(0), 1);
    for (int kind : {9, -1}) {
        EXPECT_EQ(doc.NextStationID(kind), -1);
    }
    EXPECT_EQ(doc.m_naNextStationID[8], 2u);
    ASSERT_TRUE(doc.SetBitmapName("Town.zra"));
    EXPECT_STREQ(doc.m_szMapBitmap, "Town.bmp");
    EXPECT_FALSE(doc.SetBitmapName(std::string(300, 'x')));
    EXPECT_STREQ(doc.m_szMapBitmap, "Town.bmp");
}

TEST(VelliskModelDocument, GameInfoBuildsTheMapAndTheLists)
{
    ASSERT_FALSE(DemoData().empty());
    TempDir dir;
    CopyDemoData(dir.File("data"));
    CDisplay display(nullptr, 800, 448, 16, 0xFF8264, true);
    vellisk::CAreaMapData doc;
    doc.SetDataFolder(dir.File("data"));
    doc.m_bModified = true;
    CUserMessage failure;
    ASSERT_TRUE(doc.LoadGameInfo(true, &display, &failure)) << failure.text;
    ASSERT_NE(doc.m_pMap, nullptr);
    EXPECT_FALSE(doc.HasMap()); // no bitmap named yet
    ASSERT_NE(doc.m_pSpriteManager, nullptr);
    EXPECT_GE(doc.m_pSpriteManager->GetIncidentSiteTemplate(), 0);
    EXPECT_GE(doc.m_pSpriteManager->GetWaypointMarkerTemplate(), 0);
    EXPECT_FALSE(doc.m_bModified);

    // A name too long for the document's names, bytes that are no text, a file naming too few lists, then no
    // file at all: each refused with "GameInfo.txt" and what is wrong.
    const struct {
        std::string text, said;
    } damaged[] = {
        {"Tiles_8.bmp\n" + std::string(300, 'x') + "\n", "line 2"},
        {std::string("Tiles_8.bmp\0\x01\x02", 14), "not a text file"},
        {"", "line 1 names no file"},
        {"Tiles_8.bmp\nTiles_32.bmp\nTileTypes.csv\nUnits.csv\nFeatures.csv\nPopup.txt\n", "line 7 names no file"},
    };
    for (const auto& c : damaged) {
        dir.Write("data/GameInfo.txt", c.text);
        EXPECT_FALSE(doc.LoadGameInfo(true, &display, &failure)) << c.said;
        EXPECT_NE(failure.text.find("GameInfo.txt"), std::string::npos) << failure.text;
        EXPECT_NE(failure.text.find(c.said), std::string::npos) << failure.text;
    }
    fs::remove(dir.File("data/GameInfo.txt"));
    EXPECT_FALSE(doc.LoadGameInfo(true, &display, &failure));
    EXPECT_EQ(failure.caption, "Failed to open the game info file.");
    EXPECT_EQ(failure.text, dir.File("data/GameInfo.txt"));
}

TEST_F(VelliskModelFixture, StoringAReadFileGivesItsBytesBack)
{
    std::string why;
    std::unique_ptr<vellisk::CAreaMapData> doc = LoadAreaMap(folder + "/Millbrook.zra", folder, display.get(), &why);
    ASSERT_TRUE(doc) << why;
    EXPECT_TRUE(doc->HasMap());
    EXPECT_EQ(doc->m_pMap->GetColumns(), 100);
    ASSERT_TRUE(SaveAreaMap(*doc, folder + "/A.zra", &why)) << why;
    EXPECT_EQ(dir.Read("data/A.zra"), dir.Read("data/Millbrook.zra"));
    std::unique_ptr<vellisk::CAreaMapData> again = LoadAreaMap(folder + "/A.zra", folder, display.get(), &why);
    ASSERT_TRUE(again) << why;
    ASSERT_TRUE(SaveAreaMap(*again, folder + "/B.zra", &why));
    EXPECT_EQ(dir.Read("data/B.zra"), dir.Read("data/A.zra"));
}

TEST_F(VelliskModelFixture, DamagedAreaMapsAreRefused)
{
    const std::string good = dir.Read("data/Millbrook.zra");
    std::vector<std::pair<std::string, std::string>> cases = {
        {"garbage", std::string(500, '\x7f')},
        {"empty", ""},
        {"no bitmap", ""},
    };
    for (size_t cut : {1ul, 20ul, 60ul, good.size() / 2, good.size() - 1})
        cases.emplace_back("cut at " + std::to_string(cut), good.substr(0, cut));
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        std::string path = dir.Write("data/bad.zra", what == "no bitmap" ? good : bytes);
        if (what == "no bitmap")
            fs::rename(dir.File("data/Maps/Millbrook_Area.bmp"), dir.File("data/Maps/gone.bmp"));
        std::string why;
        EXPECT_FALSE(LoadAreaMap(path, folder, display.get(), &why));
        EXPECT_NE(why.find(what == "no bitmap" ? "Millbrook_Area.bmp" : "bad.zra"), std::string::npos) << why;
        if (what == "no bitmap")
            fs::rename(dir.File("data/Maps/gone.bmp"), dir.File("data/Maps/Millbrook_Area.bmp"));
    }
    std::string why;
    EXPECT_FALSE(LoadAreaMap(folder + "/none.zra", folder, display.get(), &why));
}

TEST_F(VelliskModelFixture, UnwritableTargetsAndAFullDiskLeaveTheOldFile)
{
    std::string why;
    std::unique_ptr<vellisk::CAreaMapData> doc = LoadAreaMap(folder + "/Millbrook.zra", folder, display.get(), &why);
    ASSERT_TRUE(doc);
    doc->m_bModified = true;
    fs::create_directories(dir.File("data/Folder.zra"));
    EXPECT_FALSE(SaveAreaMap(*doc, folder + "/Folder.zra", &why));
    EXPECT_TRUE(fs::is_directory(dir.File("data/Folder.zra")));
    EXPECT_TRUE(doc->m_bModified);
    {
        const std::string before = dir.Read("data/Millbrook.zra");
        FileSizeLimit limit(600);
        EXPECT_FALSE(SaveAreaMap(*doc, folder + "/Millbrook.zra", &why));
        EXPECT_EQ(dir.Read("data/Millbrook.zra"), before);
    }
    if (geteuid() != 0) {
        fs::create_directories(dir.File("data/locked"));
        fs::permissions(dir.File("data/locked"), fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(SaveAreaMap(*doc, folder + "/locked/X.zra", &why));
        fs::permissions(dir.File("data/locked"), fs::perms::owner_all);
    }
    EXPECT_TRUE(Leftovers(folder).empty());
    EXPECT_TRUE(doc->m_bModified);
}
