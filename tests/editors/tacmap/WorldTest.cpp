// The editor world: new scenarios, opening the demo, byte identity of an unedited save, and damaged or missing
// input that opens nothing and says so once.
#include "EditorFixture.h"

#include "core/events/ZREventsData.h"
#include "support/ByteWriter.h"

namespace {

using namespace tacmaptest;

TEST_F(TacMapDemoTest, NewScenarioIsARandomMapOfTheFirstEightTypesWithComputedCosts)
{
    folder = CaseFolder("new_scenario");
    Editor a(folder), b(folder);
    CMap2DLinked& map = a.Map();
    ASSERT_EQ(map.GetColumns(), 100);
    ASSERT_EQ(map.GetRows(), 75);
    for (int r = 0; r < 75; ++r)
        for (int c = 0; c < 100; ++c) {
            const int type = map.GetTileIndex(r, c);
            ASSERT_GE(type, 0);
            ASSERT_LE(type, 7);
            ASSERT_EQ(type, b.Map().GetTileIndex(r, c)); // the same seed
            ASSERT_EQ(a.Grid().GetPathCost(c, r), static_cast<uint8_t>(map.GetTileType(type)->m_anCost[0]));
        }
    EXPECT_EQ(a.Sprites().GetSpritesCount(), 0);
    EXPECT_GT(a.Sprites().GetTemplateCount(kUnitSprite), 0);
    ASSERT_NE(a.World().GetScenario(), nullptr);
    EXPECT_NE(a.World().GetScenario()->m_pEvents, nullptr);
    EXPECT_EQ(a.View().GetZoom(), 1);
    EXPECT_EQ(a.View().GetTileSize(), 8);
    EXPECT_FALSE(a.model.IsModified());
    EXPECT_EQ(a.model.Caption(), "Untitled");
}

TEST_F(TacMapDemoTest, OpeningTheDemoTakesItsObjectsAndResetsTheView)
{
    OpenDemo("open_demo");
    tacmap::CEditorWorld& world = editor->World();
    EXPECT_EQ(world.GetScenarioFileName(), "Millbrook.zri");
    EXPECT_EQ(editor->model.GetFileTitle(), "Millbrook");
    EXPECT_EQ(editor->model.Caption(), "Millbrook");
    EXPECT_STREQ(world.GetScenario()->m_szTitle, "Millbrook Chemical Fire");
    EXPECT_GT(editor->Sprites().GetSpritesCount(), 50);
    EXPECT_EQ(editor->Grid().GetTileCount(), 100 * 75);
    EXPECT_EQ(editor->View().GetZoom(), 1);
    EXPECT_EQ(editor->View().GetMode(), tacmap::CTacticalMapView::kIdle);
    EXPECT_TRUE(editor->host.zoomedOut);
    EXPECT_FALSE(editor->model.IsModified());
    EXPECT_FALSE(editor->Palette().Items(tacmap::CSpritePalette::kFeatures).empty());
    EXPECT_TRUE(platform::RecordedMessages().empty()) << BoxTexts().front();
}

// The version word of the path grid's record: right after its class name.
size_t GridVersionAt(const std::string& bytes)
{
    const size_t name = bytes.find("CPathData");
    return name == std::string::npos ? name : name + 9;
}

TEST_F(TacMapDemoTest, AnUneditedSaveChangesOnlyTheGridsVersionAndASecondNothing)
{
    OpenDemo("identity");
    const std::string demo = ReadFile(folder / "Millbrook.zri");
    ASSERT_TRUE(editor->model.SaveAs((folder / "A.zri").string()));
    const std::string a = ReadFile(folder / "A.zri");
    std::string expected = demo;
    const size_t at = GridVersionAt(expected);
    ASSERT_NE(at, std::string::npos);
    ASSERT_EQ(expected[at], 1);
    expected[at] = 2;
    EXPECT_TRUE(a == expected) << "A differs from the demo beyond the grid's version";

    ASSERT_TRUE(editor->model.Open((folder / "A.zri").string()));
    ASSERT_TRUE(editor->model.SaveAs((folder / "B.zri").string()));
    EXPECT_TRUE(ReadFile(folder / "B.zri") == a) << "B differs from A";
    EXPECT_EQ(ReadFile(folder / "B.csv"), ReadFile(folder / "Millbrook.csv"));
    EXPECT_EQ(ReadFile(folder / "B Scores.csv"), ReadFile(folder / "Millbrook Scores.csv"));
    EXPECT_EQ(editor->model.GetFileTitle(), "B");
    EXPECT_TRUE(platform::RecordedMessages().empty());
}

// What the editor holds, to show that a failed open changed none of it.
struct Snapshot {
    const CMap2DLinked* map;
    const CSpriteManager* sprites;
    std::string title, path, file, scenarioTitle;
    bool modified;
    bool operator==(const Snapshot&) const = default;
};
Snapshot Take(Editor& e)
{
    return {e.World().GetMap(),    e.World().GetSprites(),          e.model.GetFileTitle(),
            e.model.GetPathName(), e.World().GetScenarioFileName(), e.World().GetScenario()->m_szTitle,
            e.model.IsModified()};
}

TEST_F(TacMapDemoTest, DamagedFilesOpenNothingAndSayOnceWhich)
{
    // Damaged fixtures live in a temporary data folder of their own.
    folder = TempFolder("damaged");
    CopyDemoData(folder / "data");
    folder /= "data";
    editor = std::make_unique<Editor>(folder);
    ASSERT_TRUE(editor->model.Open((folder / "Millbrook.zri").string()));
    editor->View().SetModified(true);
    const std::string demo = ReadFile(folder / "Millbrook.zri");
    const size_t grid = demo.find("CPathData");
    const size_t scenario = demo.find("CScenarioData");
    ByteWriter nulls;
    nulls.NullPointer().NullPointer().NullPointer().NullPointer();
    struct Case {
        std::string bytes;
        const char* what;
    };
    const Case cases[] = {
        {demo.substr(0, 10), "cut in the map"},
        {demo.substr(0, grid - 40), "cut in the sprites"},
        {demo.substr(0, grid + 100), "cut in the path grid"},
        {demo.substr(0, scenario + 30), "cut in the description"},
        {demo.substr(0, demo.size() - 1), "cut in the last byte"},
        {std::string(5000, '\x7f'), "garbage"},
        {std::string(), "empty"},
        {nulls.Bytes(), "no tile map"},
    };
    for (const Case& c : cases) {
        WriteFile(folder / "Bad.zri", c.bytes);
        platform::ClearRecordedMessages();
        const Snapshot before = Take(*editor);
        EXPECT_FALSE(editor->model.Open((folder / "Bad.zri").string())) << c.what;
        EXPECT_TRUE(Take(*editor) == before) << c.what;
        const auto boxes = platform::RecordedMessages();
        ASSERT_EQ(boxes.size(), 1u) << c.what;
        EXPECT_NE(boxes[0].text.find((folder / "Bad.zri").string()), std::string::npos) << c.what;
    }
    platform::ClearRecordedMessages();
    const Snapshot before = Take(*editor);
    EXPECT_FALSE(editor->model.Open((folder / "Missing.zri").string()));
    EXPECT_EQ(platform::RecordedMessages().size(), 1u);
    // A "GameInfo.txt" that is empty, no text, or lacks a line the editor needs is refused by name; opening and
    // a new scenario both change nothing.
    const struct {
        std::string text, whyOpen, whyNew;
    } infos[] = {
        {"", "GameInfo.txt: line 1 names no file", "GameInfo.txt: line 1 names no file"},
        {std::string("Tiles_8.bmp\0\x01\x02garbage\n", 21), "GameInfo.txt is not a text file",
         "GameInfo.txt is not a text file"},
        {"Tiles_8.bmp\nTiles_32.bmp\nTile_Types.csv\n", "GameInfo.txt: line 6 names no file",
         "GameInfo.txt: line 4 names no file"},
        {"Tiles_8.bmp\n\nTile_Types.csv\nUnits.csv\nFeatures.csv\nPopupMenu.txt\nStations.csv\n",
         "GameInfo.txt: line 2 names no file", "GameInfo.txt: line 2 names no file"},
    };
    for (const auto& c : infos) {
        WriteFile(folder / "GameInfo.txt", c.text);
        for (bool opening : {true, false}) {
            const std::string& why = opening ? c.whyOpen : c.whyNew;
            platform::ClearRecordedMessages();
            EXPECT_FALSE(opening ? editor->model.Open((folder / "Millbrook.zri").string())
                                 : editor->World().NewScenario(7))
                << why;
            EXPECT_TRUE(Take(*editor) == before) << why;
            const auto boxes = platform::RecordedMessages();
            ASSERT_EQ(boxes.size(), 1u) << why;
            EXPECT_EQ(boxes[0].text, why);
            EXPECT_EQ(boxes[0].title, (folder / "GameInfo.txt").string());
        }
    }
    fs::remove(folder / "GameInfo.txt");
    platform::ClearRecordedMessages();
    EXPECT_FALSE(editor->model.Open((folder / "Millbrook.zri").string()));
    ASSERT_EQ(platform::RecordedMessages().size(), 1u);
    EXPECT_EQ(platform::RecordedMessages()[0].text, "Failed to open the game info file.");
    EXPECT_TRUE(Take(*editor) == before);
    editor.reset();
    fs::remove_all(folder.parent_path());
}

TEST_F(TacMapDemoTest, AScenarioOutsideTheDataFolderIsRefusedWithABox)
{
    OpenDemo("outside");
    const fs::path elsewhere = TempFolder("elsewhere");
    fs::copy_file(folder / "Millbrook.zri", elsewhere / "Other.zri");
    const Snapshot before = Take(*editor);
    EXPECT_FALSE(editor->model.Open((elsewhere / "Other.zri").string()));
    EXPECT_FALSE(editor->model.SaveAs((elsewhere / "Saved.zri").string()));
    EXPECT_FALSE(fs::exists(elsewhere / "Saved.zri"));
    EXPECT_TRUE(Take(*editor) == before);
    EXPECT_EQ(platform::RecordedMessages().size(), 2u);
    fs::remove_all(elsewhere);
}

TEST_F(TacMapDemoTest, ScenarioNamesMayLieInAFolderOfTheDataFolder)
{
    OpenDemo("subfolder");
    fs::create_directories(folder / "Drafts");
    ASSERT_TRUE(editor->model.SaveAs((folder / "Drafts" / "Draft.zri").string()));
    EXPECT_TRUE(fs::exists(folder / "Drafts" / "Draft.csv"));
    EXPECT_EQ(editor->World().GetScenarioFileName(), "Drafts/Draft.zri");
    ASSERT_TRUE(editor->model.Open((folder / "Drafts" / "Draft.zri").string()));
    EXPECT_GT(editor->Sprites().GetSpritesCount(), 50);
}

} // namespace
