// Loading the HUD's art list, menus and info texts from the demo data and from broken copies of it.
#include "core/display/CDisplay.h"
#include "core/widgets/CPopupMenu.h"
#include "game/screens/hud/HUD.h"
#include "tests/game/app/DemoGame.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

class HUDLoadTest : public ::testing::Test {
public:
    void SetUp() override
    {
        platform::SetMessageEcho(false);
        ASSERT_FALSE(demo_game::DemoData().empty());
        m_dir = demo_game::CDemoGame::CopyDemoData();
        m_display = std::make_unique<CDisplay>(nullptr, 800, 600, 16, 0, true);
        platform::ClearRecordedMessages();
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    void Write(const std::string& relative, const std::string& text)
    {
        std::ofstream out(m_dir / relative, std::ios::binary | std::ios::trunc);
        out << text;
    }
    // The demo art list cut to its headers and first `rows` rows, or with one more row appended.
    void ArtRows(int rows, bool extra = false)
    {
        std::istringstream in(demo_game::ReadFileText(m_dir / "GUI" / "HUD_Art.csv"));
        std::string line, text;
        for (int i = 0; std::getline(in, line) && i < rows + 2; ++i)
            text += line + "\n";
        if (extra)
            text += "HUD_Bar.bmp,0,0\n";
        Write("GUI/HUD_Art.csv", text);
    }
    bool Load(HUD& hud) { return hud.LoadArt(m_display.get(), m_dir.string()); }
    static bool Shown(const std::string& text, const std::string& title)
    {
        for (const auto& m : platform::RecordedMessages())
            if (m.text == text && m.title == title)
                return true;
        return false;
    }

    fs::path m_dir;
    std::unique_ptr<CDisplay> m_display;
};

TEST_F(HUDLoadTest, DemoDataLoadsMenusAndOverlays)
{
    HUD hud;
    ASSERT_TRUE(Load(hud));
    EXPECT_TRUE(platform::RecordedMessages().empty());
    const int counts[][2] = {{kHudMenuCommand, 11},
                             {kHudMenuOptions, 5},
                             {kHudMenuFilters, 6},
                             {kHudMenuOverlays, 4},
                             {kHudMenuMsgFilters, 3}};
    for (const auto& c : counts) {
        ASSERT_NE(hud.GetMenu(c[0]), nullptr) << c[0];
        EXPECT_EQ(hud.GetMenu(c[0])->GetCount(), c[1]) << c[0];
    }
    EXPECT_EQ(hud.GetMenu(1), nullptr);
    EXPECT_EQ(hud.Options().m_nClassOptions, 3);
    EXPECT_EQ(hud.Options().m_bClassSwitch, 1);
    EXPECT_TRUE(hud.GetMenu(kHudMenuOverlays)->GetItem(0)->dwFlags & POPUP_ITEM_CHECKED);
    EXPECT_TRUE(hud.GetMenu(kHudMenuOverlays)->GetItem(1)->dwFlags & POPUP_ITEM_CHECKED);
    // Twelve distinct hot-spot colours were sampled (entries 1-2 and 10-11 share a point).
    EXPECT_NE(hud.m_aHotSpotColours[0], hud.m_aHotSpotColours[3]);
    EXPECT_EQ(hud.m_aHotSpotColours[1], hud.m_aHotSpotColours[2]);
    EXPECT_EQ(hud.m_aHotSpotColours[10], hud.m_aHotSpotColours[11]);
}

TEST_F(HUDLoadTest, ArtListRowCount)
{
    ArtRows(66);
    HUD short66;
    EXPECT_FALSE(Load(short66));
    EXPECT_TRUE(Shown("Was expecting more art for the hud", "Hud Art loader error"));

    platform::ClearRecordedMessages();
    ArtRows(67, true);
    HUD long68;
    EXPECT_TRUE(Load(long68));
}

TEST_F(HUDLoadTest, MissingFilesAndBadSectionsFail)
{
    HUD noMenus;
    fs::remove(m_dir / "GUI" / "HUDPopupMenus.txt");
    EXPECT_FALSE(Load(noMenus));
    EXPECT_TRUE(Shown((m_dir / "GUI" / "HUDPopupMenus.txt").string(), "Failed to open file:"));

    Write("GUI/HUDPopupMenus.txt", "@Command\nIncident Action Plan\n@Tools\nHammer\n");
    HUD badSection;
    EXPECT_FALSE(Load(badSection));
    EXPECT_TRUE(Shown("HUD popup menu error", "Attempting to create an invalid menu."));

    fs::remove(m_dir / "GUI" / "HUD_Art.csv");
    HUD noArt;
    EXPECT_FALSE(Load(noArt));
    EXPECT_TRUE(Shown((m_dir / "GUI" / "HUD_Art.csv").string(), "Failed to open file:"));
}

TEST_F(HUDLoadTest, ArtOutsideTheWindowIsRefused)
{
    // The chat entry panel moved so that it reaches past the right edge.
    std::string text = demo_game::ReadFileText(m_dir / "GUI" / "HUD_Art.csv");
    const size_t at = text.find("HUD_Chat.bmp,");
    ASSERT_NE(at, std::string::npos);
    const size_t end = text.find('\n', at);
    text.replace(at, end - at, "HUD_Chat.bmp,700,566");
    Write("GUI/HUD_Art.csv", text);
    HUD hud;
    EXPECT_FALSE(Load(hud));
}

TEST_F(HUDLoadTest, InfoTexts)
{
    HUD hud;
    Write("IAP Screen Info.txt", "@001First unit\n@002Second unit\nno mark\n@004Fourth\n");
    ASSERT_TRUE(hud.LoadInfoTexts(m_dir.string()));
    ASSERT_EQ(hud.m_aUnitTexts.size(), 140u);
    EXPECT_EQ(hud.m_aUnitTexts[0], "First unit");
    EXPECT_EQ(hud.m_aUnitTexts[1], "Second unit");
    EXPECT_EQ(hud.m_aUnitTexts[2], "");
    ASSERT_EQ(hud.m_aCueCardTexts.size(), 100u);
    EXPECT_EQ(hud.m_aCueCardTexts[0].rfind("Debris", 0), 0u);

    fs::remove(m_dir / "Terrain Feature CueCard Text.txt");
    HUD missing;
    EXPECT_FALSE(missing.LoadInfoTexts(m_dir.string()));
    EXPECT_TRUE(Shown((m_dir / "Terrain Feature CueCard Text.txt").string(), "Failed to open file"));
    EXPECT_EQ(missing.m_aUnitTexts[0], "First unit"); // the texts read before stay
}

TEST_F(HUDLoadTest, AHudThatFailedToLoadStillAnswersSafely)
{
    fs::remove(m_dir / "GUI" / "HUDPopupMenus.txt");
    HUD hud;
    ASSERT_FALSE(Load(hud));
    hud.Draw(m_display->GetBackBuffer());
    EXPECT_EQ(hud.OnMouseMove(100, 500, 0), 1);
    hud.OnLeftClick(100, 500, 1, nullptr); // no menus and no view: nothing to open
    EXPECT_EQ(hud.OnRightClick(600, 500, 2, nullptr), 0);
    EXPECT_EQ(hud.OnPopupChoice(0, nullptr), 0);
    EXPECT_EQ(hud.DrawMessages(), 0);
    hud.DrawInfoPanel(nullptr, 0);
    hud.OpenSaveDialog();
    EXPECT_TRUE(hud.OnSaveDialogChar('a'));
    EXPECT_TRUE(hud.OnSaveDialogMouse(300, 300, 1));
    hud.DrawSaveDialog(m_display->GetBackBuffer());
    hud.OnSaveDialogChar(27);
    EXPECT_FALSE(hud.m_bSaveOpen);
}

} // namespace
