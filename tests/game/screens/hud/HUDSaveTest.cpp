// The save dialog over the demo scenario: the list of saved games, picking, typing, saving and closing.
#include "game/app/GameMessages.h"
#include "core/display/CDisplay.h"
#include "tests/game/screens/hud/HUDFixture.h"
#include "tests/support/DisplayFixtures.h"

namespace {

namespace fs = std::filesystem;

// Points in the demo's save dialog (panel at 250, 200).
constexpr int kNameX = 300, kNameY = 257;
constexpr int kPrevX = 537, kPrevY = 250;
constexpr int kNextX = 537, kNextY = 272;
constexpr int kSaveX = 360, kSaveY = 316;
constexpr int kCancelX = 475, kCancelY = 316;

class HUDSaveTest : public HUDFixture {
public:
    fs::path Saves() { return m_dir / "Saves"; }
    void MakeSaves(std::initializer_list<const char*> names)
    {
        for (const char* n : names)
            fs::create_directories(Saves() / n);
    }
    void Type(const std::string& text)
    {
        for (char c : text)
            Hud().OnSaveDialogChar(static_cast<unsigned char>(c));
    }
    void ClickAt(int x, int y) { Hud().OnSaveDialogMouse(x, y, 1); }
    const std::string& Selected() { return Hud().m_aSaveNames[Hud().m_nSaveSelected]; }
};

TEST_F(HUDSaveTest, OpeningListsFoldersWithoutExtensionAndPauses)
{
    MakeSaves({"Alpha", "Bravo", "Charlie", "Old.bak", "Charlie.saving"});
    EXPECT_FALSE(Hud().OnSaveDialogMouse(kSaveX, kSaveY, 0)); // closed
    Hud().OpenSaveDialog();
    EXPECT_TRUE(Hud().m_bSaveOpen);
    EXPECT_TRUE(Game().m_uMode & kModeSaving);
    EXPECT_TRUE(Game().m_uMode & kModePaused);
    EXPECT_EQ(CountPosts(kGmSaveBegin), 1);
    ASSERT_EQ(Hud().m_nSaveCount, 3);
    EXPECT_EQ(Hud().m_aSaveNames[0], "Alpha");
    EXPECT_EQ(Hud().m_aSaveNames[2], "Charlie");
    // Next from the third wraps to the first; Previous from the first to the third.
    ClickAt(kNextX, kNextY);
    ClickAt(kNextX, kNextY);
    EXPECT_EQ(Selected(), "Charlie");
    ClickAt(kNextX, kNextY);
    EXPECT_EQ(Selected(), "Alpha");
    ClickAt(kPrevX, kPrevY);
    EXPECT_EQ(Selected(), "Charlie");
    // Cancel closes without saving and resumes.
    ClickAt(kCancelX, kCancelY);
    EXPECT_FALSE(Hud().m_bSaveOpen);
    EXPECT_FALSE(Game().m_uMode & (kModeSaving | kModePaused));
    EXPECT_EQ(CountPosts(kGmSaveEnd), 1);
}

TEST_F(HUDSaveTest, TypedNameIsSavedAndRememberedAcrossOpenings)
{
    MakeSaves({"Alpha"});
    Hud().OpenSaveDialog();
    ClickAt(kNameX, kNameY);
    EXPECT_EQ(Hud().m_nSaveSelected, HUD::kTypingSlot);
    Type("Noon");
    Type("x");
    Hud().OnSaveDialogChar(8); // backspace
    EXPECT_EQ(Selected(), "Noon");
    ClickAt(kSaveX, kSaveY);
    EXPECT_FALSE(Hud().m_bSaveOpen);
    EXPECT_TRUE(fs::exists(Saves() / "Noon" / "SaveData.zrd"));
    EXPECT_EQ(CountPosts(kGmSaveEnd), 1);
    // Opening again selects the slot saved to ("Noon" is second in the list).
    Hud().OpenSaveDialog();
    EXPECT_EQ(Hud().m_nSaveCount, 2);
    EXPECT_EQ(Selected(), "Noon");
    // Enter saves the selected name again.
    Hud().OnSaveDialogChar(13);
    EXPECT_FALSE(Hud().m_bSaveOpen);
    EXPECT_EQ(CountPosts(kGmSaveEnd), 2);
}

// What is typed shows in the field from the first key; the arrows leave the typed name for the listed ones; the
// confirmation is a system line, not a line said by the player.
TEST_F(HUDSaveTest, TypingShowsInTheFieldFromTheFirstKey)
{
    MakeSaves({"Alpha", "Bravo"});
    Hud().OpenSaveDialog();
    EXPECT_EQ(Selected(), "Alpha");
    Type("Drill");
    EXPECT_EQ(Hud().m_nSaveSelected, HUD::kTypingSlot);
    EXPECT_EQ(Selected(), "Drill");
    Game().Draw();
    EXPECT_TRUE(fixtures::SaveSurfaceBmp(*Game().m_pDisplay->GetBackBuffer()->GetPixels(), "hud_save_typed.bmp"));
    ClickAt(kPrevX, kPrevY);
    EXPECT_EQ(Selected(), "Bravo");
    Type("x"); // a new name, not "Drillx"
    EXPECT_EQ(Selected(), "x");
    ClickAt(kNextX, kNextY);
    EXPECT_EQ(Selected(), "Alpha");
    Type("Drill1");
    Hud().OnSaveDialogChar(13);
    EXPECT_TRUE(fs::exists(Saves() / "Drill1" / "SaveData.zrd"));
    // The confirmation's wrapped lines, joined.
    const auto& lines = Game().m_log.m_messages.aLines;
    const int32_t number = lines.back().nMessage;
    std::string said;
    for (const CLogLine& line : lines)
        if (line.nMessage == number)
            said += line.strText + " ";
    EXPECT_NE(said.find("The game was saved as \"Drill1\"."), std::string::npos) << said;
    EXPECT_EQ(said.find(Game().GetLocalPlayerName()), std::string::npos) << said;
    EXPECT_EQ(lines.back().nKind, kMsgEvent);
}

TEST_F(HUDSaveTest, EmptyNamesAndRefusedCharacters)
{
    Hud().OpenSaveDialog();
    // The name field clicked and Enter at once: nothing to save.
    ClickAt(kNameX, kNameY);
    Sounds().clear();
    Hud().OnSaveDialogChar(13);
    EXPECT_TRUE(Hud().m_bSaveOpen);
    EXPECT_EQ(Sounds(), std::vector<int>{2});
    ClickAt(kSaveX, kSaveY);
    EXPECT_TRUE(Hud().m_bSaveOpen);
    // The folder-name characters are refused; so is a 49th character.
    for (char c : std::string("\"*./:<>?\\")) {
        Sounds().clear();
        Hud().OnSaveDialogChar(static_cast<unsigned char>(c));
        EXPECT_EQ(Sounds(), std::vector<int>{2}) << c;
    }
    EXPECT_EQ(Selected(), "");
    Type(std::string(48, 'a'));
    EXPECT_EQ(Selected().size(), 48u);
    Sounds().clear();
    Hud().OnSaveDialogChar('b');
    EXPECT_EQ(Selected().size(), 48u);
    EXPECT_EQ(Sounds(), std::vector<int>{2});
    Hud().OnSaveDialogChar(9); // tab is ignored
    EXPECT_EQ(Selected().size(), 48u);
    // Escape closes.
    Hud().OnSaveDialogChar(27);
    EXPECT_FALSE(Hud().m_bSaveOpen);
    EXPECT_EQ(Hud().m_nSaveHighlight, 5);
}

TEST_F(HUDSaveTest, HoverHighlightsWithASound)
{
    Hud().OpenSaveDialog();
    Sounds().clear();
    Hud().OnSaveDialogMouse(kSaveX, kSaveY, 0);
    Hud().OnSaveDialogMouse(kSaveX + 1, kSaveY, 0);
    EXPECT_EQ(Hud().m_nSaveHighlight, 4);
    Hud().OnSaveDialogMouse(kCancelX, kCancelY, 0);
    EXPECT_EQ(Hud().m_nSaveHighlight, 5);
    EXPECT_EQ(Sounds(), (std::vector<int>{1, 1}));
    Hud().OnSaveDialogMouse(260, 210, 0);
    EXPECT_EQ(Hud().m_nSaveHighlight, 0);
    Hud().OnSaveDialogMouse(20, 20, 0); // outside the panel
    EXPECT_EQ(Hud().m_nSaveHighlight, 0);
}

TEST_F(HUDSaveTest, ThroughTheGame)
{
    // Options item 2 from the bar, a typed name, Enter: the game is saved and running again.
    Move(HudPoints::kOptionsX, HudPoints::kOptionsY);
    Press(HudPoints::kOptionsX, HudPoints::kOptionsY, 1);
    ASSERT_TRUE(ChooseMenuValue(2));
    ASSERT_TRUE(Hud().m_bSaveOpen);
    Press(kNameX, kNameY, 1);
    // Keys while naming are the dialog's: Escape's key-down does not ask to exit.
    Game().OnKeyDown(kVkEscape, 0);
    EXPECT_FALSE(Game().m_pMessageBox->m_bShown);
    EXPECT_TRUE(Hud().m_bSaveOpen);
    for (char c : std::string("Dusk"))
        Game().OnChar(static_cast<unsigned char>(c));
    Game().OnChar(13);
    EXPECT_FALSE(Hud().m_bSaveOpen);
    EXPECT_TRUE(fs::exists(Saves() / "Dusk" / "SaveData.zrd"));
    EXPECT_FALSE(Game().m_uMode & (kModeSaving | kModePaused));
}

} // namespace
