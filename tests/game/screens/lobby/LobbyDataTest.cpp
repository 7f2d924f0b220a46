// The lobby's menu table reader and its scenario and saved-game lists over small folders made here.
#include "core/util/ByteStream.h"
#include "game/app/SavedGame.h"
#include "game/screens/art/ArtList.h"
#include "game/screens/lobby/MPlayIF.h"
#include "platform/system/MessageBox.h"
#include "tests/game/app/DemoGame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class LobbyDataTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetMessageEcho(false);
        platform::ClearRecordedMessages();
        m_dir = demo_game::NewTempFolder("lobby-data");
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    void Write(const fs::path& relative, const std::string& text)
    {
        fs::create_directories((m_dir / relative).parent_path());
        std::ofstream(m_dir / relative, std::ios::binary) << text;
    }
    // A save folder: "SaveData.zrd" with a whole header (or the bytes given) and `others` further files.
    void MakeSave(const std::string& name, int others, const std::string* state = nullptr)
    {
        CByteWriter header;
        WriteSaveHeader(header, {"1.0", "Millbrook.zri", 930});
        Write(fs::path("Saves") / name / "SaveData.zrd",
              state ? *state : std::string(header.Data().begin(), header.Data().end()) + "blocks");
        for (int i = 0; i < others; ++i)
            Write(fs::path("Saves") / name / ("f" + std::to_string(i) + ".dat"), "x");
    }
    fs::path m_dir;
};

const char* kHeader = "a,,,,,\nb,,,,,\nName,Text,X,Y,Link,Value\n";

TEST_F(LobbyDataTest, MenuTableReadsRowsAndStoresLinksFourLower)
{
    Write("Menu.csv", std::string(kHeader) + "Single,Single Player,20,70,0,5\nNet,Network Game,20,110,9,0\n"
                                             "Neg,Negative,1,2,-3,0\n,,0,0,0,0\nAfter,Not read,1,1,0,0\n");
    CMultiplayerMenuData menu;
    ASSERT_TRUE(menu.Load(m_dir.string(), "Menu.csv"));
    ASSERT_EQ(menu.Count(), 4); // the empty-name row ends the table and is kept
    EXPECT_EQ(menu.Row(0)->strName, "Single");
    EXPECT_EQ(menu.Row(0)->strText, "Single Player");
    EXPECT_EQ(menu.Row(0)->nX, 20);
    EXPECT_EQ(menu.Row(0)->nY, 70);
    EXPECT_EQ(menu.Row(0)->nValue, 5);
    EXPECT_EQ(menu.Row(1)->nLink, 5);
    EXPECT_EQ(menu.Row(2)->nLink, -3);
    EXPECT_TRUE(menu.Row(3)->strName.empty());
    EXPECT_EQ(menu.Row(4), nullptr);
}

TEST_F(LobbyDataTest, MenuTableStopsAtFortyRowsAndRefusesOffScreenRows)
{
    std::string text = kHeader;
    for (int i = 0; i < 45; ++i)
        text += "Row" + std::to_string(i) + ",T,1,1,0,0\n";
    Write("Many.csv", text);
    CMultiplayerMenuData menu;
    ASSERT_TRUE(menu.Load(m_dir.string(), "Many.csv"));
    EXPECT_EQ(menu.Count(), CMultiplayerMenuData::kMaxRows);

    struct Case {
        const char* row;
        bool ok;
    } cases[] = {{"A,T,800,600,0,0", true}, {"A,T,801,10,0,0", false}, {"A,T,10,601,0,0", false}};
    for (const Case& c : cases) {
        Write("One.csv", std::string(kHeader) + c.row + "\n");
        platform::ClearRecordedMessages();
        EXPECT_EQ(menu.Load(m_dir.string(), "One.csv"), c.ok) << c.row;
        EXPECT_EQ(platform::RecordedMessages().empty(), c.ok) << c.row;
        // A misplaced row ends the game with exit code 1 at its next tick.
        EXPECT_EQ(ScreenFatalPending(), !c.ok) << c.row;
        ClearScreenFatal();
    }
}

TEST_F(LobbyDataTest, MenuValuesOutOfRangeAreClampedWithOneMessageEach)
{
    const struct {
        const char* szRow;
        const char* szField; // the one message's field; none when empty
        int32_t x, y, link, value;
    } cases[] = {
        {"A,T,20,70,9,5", "", 20, 70, 5, 5},
        {"A,T,-5,70,0,0", "X", 0, 70, 0, 0},
        {"A,T,20,-99999999999999999999,0,0", "Y", 20, 0, 0, 0},
        {"A,T,20,70,500,0", "Link", 20, 70, 0, 0},
        {"A,T,abc,70,0,0", "X", 0, 70, 0, 0},
        {"A,T,20,70,0,5000000", "Value", 20, 70, 0, 1000000},
    };
    for (const auto& c : cases) {
        Write("One.csv", std::string(kHeader) + c.szRow + "\n");
        platform::ClearRecordedMessages();
        ClearScreenFatal();
        CMultiplayerMenuData menu;
        ASSERT_TRUE(menu.Load(m_dir.string(), "One.csv")) << c.szRow;
        EXPECT_FALSE(ScreenFatalPending()) << c.szRow;
        const auto shown = platform::RecordedMessages();
        ASSERT_EQ(shown.size(), *c.szField ? 1u : 0u) << c.szRow;
        if (!shown.empty()) {
            EXPECT_EQ(shown[0].title, "Damaged data file");
            EXPECT_NE(shown[0].text.find("One.csv\", row 4, field \"" + std::string(c.szField) + "\""),
                      std::string::npos)
                << shown[0].text;
        }
        ASSERT_NE(menu.Row(0), nullptr);
        EXPECT_EQ(menu.Row(0)->nX, c.x) << c.szRow;
        EXPECT_EQ(menu.Row(0)->nY, c.y) << c.szRow;
        EXPECT_EQ(menu.Row(0)->nLink, c.link) << c.szRow;
        EXPECT_EQ(menu.Row(0)->nValue, c.value) << c.szRow;
    }
}

TEST_F(LobbyDataTest, MissingMenuTableShowsTheFileAndStaysEmpty)
{
    CMultiplayerMenuData menu;
    EXPECT_FALSE(menu.Load(m_dir.string(), "Multiplayer_Menu_Data.csv"));
    EXPECT_EQ(menu.Count(), 0);
    ASSERT_EQ(platform::RecordedMessages().size(), 1u);
    EXPECT_EQ(platform::RecordedMessages()[0].title, "Failed to open file");
    EXPECT_NE(platform::RecordedMessages()[0].text.find("Multiplayer_Menu_Data.csv"), std::string::npos);
}

TEST_F(LobbyDataTest, ScenariosNeedAnAreaMapOfTheSameNameIgnoringCase)
{
    Write("Town.zri", "x");
    Write("town.ZRA", "x");
    Write("City.zri", "x");
    Write("alpha.ZRI", "x");
    Write("Alpha.zra", "x");
    EXPECT_EQ(MPlayIF::ListScenarios(m_dir.string()), (std::vector<std::string>{"alpha", "Town"}));
    EXPECT_TRUE(MPlayIF::ListScenarios((m_dir / "none").string()).empty());
}

TEST_F(LobbyDataTest, SavedGamesAreFoldersWithAReadableStateFile)
{
    MakeSave("Six", 5);
    MakeSave("Seven", 6);   // a file more than a save writes
    MakeSave("Lacking", 1); // a save without its agency list or bitmap
    const std::string cut = "1.0";
    MakeSave("Damaged", 5, &cut);
    for (int i = 0; i < 6; ++i)
        Write("Saves/NoState/f" + std::to_string(i), "x");
    fs::create_directories(m_dir / "Saves" / "Folder" / "SaveData.zrd");
    // Folders of a save under way (process 1 is always running), kept aside or being filled.
    MakeSave("Kept.~1.old", 5);
    MakeSave("Being.~1.saving", 5);
    Write("Saves/Loose", "x");
    int unreadable = -1;
    EXPECT_EQ(MPlayIF::ListSavedGames(m_dir.string(), &unreadable),
              (std::vector<std::string>{"Lacking", "Seven", "Six"}));
    EXPECT_EQ(unreadable, 3); // Damaged, NoState, Folder
    EXPECT_TRUE(fs::exists(m_dir / "Saves" / "Kept.~1.old" / "SaveData.zrd"));
    EXPECT_TRUE(fs::exists(m_dir / "Saves" / "Being.~1.saving" / "SaveData.zrd"));
}

TEST_F(LobbyDataTest, ListingClearsWhatKilledSavesLeft)
{
    // A child that has ended leaves a process id that no process holds.
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ASSERT_GT(child, 0);
    ::waitpid(child, nullptr, 0);
    const std::string dead = ".~" + std::to_string(child);
    MakeSave("Six", 5);
    MakeSave("Six" + dead + ".saving", 2); // a save killed while it copied
    MakeSave("Six" + dead + ".old", 5);    // the old save, kept aside once the new one was in place
    MakeSave("Lost" + dead + ".old", 5);   // killed between its two renames: the only whole save
    MakeSave("Own.~" + std::to_string(::getpid()) + ".saving", 1); // this process saves nothing while it lists
    MakeSave("Legacy.saving", 1);                                  // an earlier version's, without its writer
    MakeSave("Live.~1.saving", 1);                                 // a running writer's
    MakeSave("Other.bak", 1);
    fs::create_directory_symlink(m_dir / "Saves" / "Other.bak", m_dir / "Saves" / "Link.saving");
    EXPECT_EQ(MPlayIF::ListSavedGames(m_dir.string()), (std::vector<std::string>{"Lost", "Six"}));
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(m_dir / "Saves"))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"Link.saving", "Live.~1.saving", "Lost", "Other.bak", "Six"}));
    EXPECT_TRUE(fs::exists(m_dir / "Saves" / "Other.bak" / "SaveData.zrd"));
    EXPECT_TRUE(fs::exists(m_dir / "Saves" / "Lost" / "f4.dat")); // whole, under its own name again
}

TEST_F(LobbyDataTest, ListingStopsAtANameLongerThanFortyNineCharacters)
{
    MakeSave("a-first", 5);
    MakeSave("b" + std::string(49, 'x'), 5); // 50 characters
    MakeSave("c-after", 5);
    EXPECT_EQ(MPlayIF::ListSavedGames(m_dir.string()), (std::vector<std::string>{"a-first"}));
}

} // namespace
