// The briefing's text pages (lines, wrap, scrolling) and its screen over the demo art: buttons, keys, modes.
#include "ScreenDemo.h"
#include "core/display/CDisplay.h"
#include "core/events/ZREventsData.h"
#include "core/world/ScenarioData.h"
#include "game/screens/briefing/BriefingIF.h"
#include "game/screens/lobby/MPlayIF.h"
#include "support/DisplayFixtures.h"

#include <cstring>

namespace {

std::unique_ptr<CScenarioData> Scenario(const std::string& description, int wind = 9, int speed = 12)
{
    auto s = std::make_unique<CScenarioData>();
    std::snprintf(s->m_szTitle, sizeof s->m_szTitle, "%s", "Millbrook Chemical Fire");
    s->SetDescription(description.c_str());
    s->m_nWindDirection = wind;
    s->m_nWindSpeed = speed;
    s->CreateEventsData();
    s->m_pEvents->m_nGameStartTime = 930;
    return s;
}

std::string Words(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "word ";
    return text;
}

TEST(BriefingText, HeaderLines)
{
    CBriefingText text;
    text.Build(*Scenario("", 13, 7), "10 Dec 2026");
    ASSERT_EQ(text.m_nLineCount, 5);
    EXPECT_EQ(text.m_aLines[0], "Millbrook Chemical Fire");
    EXPECT_EQ(text.m_aLines[1], "Today is 10 Dec 2026, the time is 0930");
    EXPECT_EQ(text.m_aLines[2], "At the time of the incident, the wind speed is 7 mph,");
    EXPECT_EQ(text.m_aLines[3], "and the wind direction is from the West-Northwest.");
    EXPECT_EQ(text.m_aLines[4], "");
    EXPECT_STREQ(CBriefingText::CompassName(0), "North");
    EXPECT_STREQ(CBriefingText::CompassName(15), "North-Northwest");
    EXPECT_STREQ(CBriefingText::CompassName(16), "None");
    EXPECT_STREQ(CBriefingText::CompassName(-1), "None");
}

TEST(BriefingText, DescriptionWrap)
{
    const std::string s67(67, 'a');
    std::string s68(68, 'b');
    s68[60] = ' ';
    // A break before the last blank of the 67-character window ends the line there.
    const std::string broken = "first part\n" + std::string(50, 'c') + " " + std::string(20, 'd');
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"exactly 67", s67, {s67}},
        {"68 with a blank at 60", s68, {std::string(60, 'b'), std::string(7, 'b')}},
        {"no blank", std::string(70, 'e'), {std::string(67, 'e'), "eee"}},
        {"break first", broken, {"first part", std::string(50, 'c'), std::string(20, 'd')}},
        {"break in the last part", "one\ntwo", {"one", "two"}},
        {"windows line ends",
         std::string(60, 'f') + "\r\n" + std::string(10, 'g'),
         {std::string(60, 'f'), std::string(10, 'g')}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CBriefingText::WrapDescription(c.text), c.lines);
    }
}

TEST(BriefingText, AtMost500LinesAndThePageEndsAtTheBottomLine)
{
    CBriefingText text;
    text.Build(*Scenario(Words(8000)), "1 Jan 2026");
    EXPECT_EQ(text.m_nLineCount, 500);
    EXPECT_EQ(text.m_nBottomLine, 27);
    EXPECT_FALSE(text.m_bMoreAbove);
    EXPECT_TRUE(text.m_bMoreBelow);
    const std::string page = text.GetPage();
    EXPECT_EQ(std::count(page.begin(), page.end(), '\n'), 27);
    EXPECT_EQ(page.substr(0, page.find('\n')), "Millbrook Chemical Fire");
}

class BriefingTest : public ScreenDemo {
protected:
    void Open(const std::string& description)
    {
        m_scenario = Scenario(description);
        m_text.Build(*m_scenario, "10 Dec 2026");
        ASSERT_TRUE(m_screen.LoadArt(Display(), Base(), &Game().m_uMode));
        m_screen.Init(&m_text);
        ClearSounds();
    }
    void Click(const CScreenButton& b, uint32_t buttons = 1) { m_result = m_screen.OnClick(b.x + 3, b.y + 3, buttons); }
    void ClickRect(const RECT& r) { m_result = m_screen.OnClick(r.left + 2, r.top + 2, 1); }

    std::unique_ptr<CScenarioData> m_scenario;
    CBriefingText m_text;
    BriefingIF m_screen;
    bool m_result = false;
};

TEST_F(BriefingTest, ScrollingWithKeysAndArrows)
{
    Open(Words(40)); // 5 + 4 lines
    EXPECT_EQ(m_text.m_nLineCount, 9);
    m_screen.OnKey(kVkUp);
    m_screen.OnKey(kVkDown);
    EXPECT_EQ(m_text.m_nBottomLine, 9);
    EXPECT_EQ(m_sounds, (std::vector<int>{2, 2})) << "27 lines or fewer do not scroll";

    Open(Words(400)); // 5 + 31 lines
    ASSERT_EQ(m_text.m_nLineCount, 36);
    ClickRect(m_screen.m_rcDown);
    ClickRect(m_screen.m_rcDown);
    EXPECT_FALSE(m_result);
    EXPECT_EQ(m_text.m_nBottomLine, 29);
    EXPECT_TRUE(m_text.m_bMoreAbove);
    EXPECT_EQ(m_sounds, (std::vector<int>{0, 0}));
    for (int i = 0; i < 7; ++i)
        m_screen.OnKey(kVkDown);
    EXPECT_EQ(m_text.m_nBottomLine, 36);
    EXPECT_FALSE(m_text.m_bMoreBelow);
    EXPECT_EQ(m_sounds.back(), 0);
    m_screen.OnKey(kVkDown);
    EXPECT_EQ(m_sounds.back(), 2);
    for (int i = 0; i < 10; ++i)
        m_screen.OnKey(kVkUp);
    EXPECT_EQ(m_text.m_nBottomLine, 27);
    EXPECT_EQ(m_sounds.back(), 2);
    EXPECT_FALSE(m_text.m_bMoreAbove);
}

TEST_F(BriefingTest, NextLeavesExitQuitsAndOtherClicksStay)
{
    Open("A short description.");
    ASSERT_GT(m_screen.m_main.width, 0);
    // The demo panel (40, 0, 720 x 600) and buttons of 100 x 30: Next at (540, 555), Exit at (645, 555).
    EXPECT_EQ(m_screen.m_main.x, 540);
    EXPECT_EQ(m_screen.m_main.y, 555);
    EXPECT_EQ(m_screen.m_exit.x, 645);
    EXPECT_EQ(m_screen.m_main.strCaption, "Next");

    m_result = m_screen.OnClick(300, 300, 1);
    EXPECT_FALSE(m_result);
    Click(m_screen.m_main, 2); // right button
    EXPECT_FALSE(m_result);
    EXPECT_TRUE(m_sounds.empty());

    Click(m_screen.m_exit);
    EXPECT_FALSE(m_result);
    EXPECT_TRUE(Game().m_uMode & kModeQuit);
    EXPECT_FALSE(m_screen.m_bShown);

    Game().m_uMode &= ~kModeQuit;
    m_screen.Init(&m_text);
    Click(m_screen.m_main);
    EXPECT_TRUE(m_result);
    EXPECT_FALSE(m_screen.m_bShown);
    EXPECT_FALSE(Game().m_uMode & kModeQuit);
    EXPECT_EQ(m_sounds, (std::vector<int>{0, 0}));
}

TEST_F(BriefingTest, F4MarksDoneAndTheNextClickLeaves)
{
    Open("Text.");
    m_screen.OnKey(kVkF4);
    EXPECT_EQ(m_sounds, std::vector<int>{0});
    m_result = m_screen.OnClick(0, 0, 0);
    EXPECT_TRUE(m_result);
    EXPECT_FALSE(m_screen.m_bDone);
}

TEST_F(BriefingTest, HoverInsideThePanelOnly)
{
    Open("Text.");
    EXPECT_TRUE(m_screen.OnMouseMove(m_screen.m_main.x + 1, m_screen.m_main.y + 1, 0));
    EXPECT_EQ(m_screen.m_nHoverButton, 0);
    m_screen.OnMouseMove(m_screen.m_rcUp.left + 1, m_screen.m_rcUp.top + 1, 0);
    EXPECT_EQ(m_screen.m_nHoverArrow, 0);
    EXPECT_EQ(m_screen.m_nHoverButton, -1);
    m_screen.OnMouseMove(10, 10, 0); // left of the panel
    EXPECT_EQ(m_screen.m_nHoverArrow, -1);
    EXPECT_EQ(m_sounds, (std::vector<int>{1, 1}));
}

TEST_F(BriefingTest, ReopenedInPlayShowsReturnWithoutExit)
{
    Open("Text.");
    Click(m_screen.m_main);
    ASSERT_TRUE(m_result);
    Game().m_uMode |= kModeBriefingReopened; // the HUD reopens it
    m_screen.Draw(Display()->GetBackBuffer());
    EXPECT_TRUE(m_screen.m_bShown);
    EXPECT_EQ(m_screen.m_main.strCaption, "Return");
    Click(m_screen.m_exit);
    EXPECT_FALSE(m_result);
    EXPECT_FALSE(Game().m_uMode & kModeQuit) << "no Exit button in play";
    Click(m_screen.m_main);
    EXPECT_TRUE(m_result);
    Game().m_uMode &= ~kModeBriefingReopened;
    m_screen.OnMouseMove(0, 0, 0);
    EXPECT_EQ(m_screen.m_main.strCaption, "Next");
}

TEST_F(BriefingTest, ArtBeyondTheScreenIsFatal)
{
    // A text area as wide as the screen puts the arrows and the area itself beyond 800.
    const std::filesystem::path list = m_dir / "GUI" / "Briefing_Art.csv";
    std::string text = demo_game::ReadFileText(list);
    const size_t at = text.find("Brief_Text.bmp");
    ASSERT_NE(at, std::string::npos);
    ASSERT_TRUE(fixtures::WriteFile((m_dir / "GUI" / "Wide.bmp").string(),
                                    fixtures::MakeBmp24(760, 40, [](int, int) { return RGB(1, 2, 3); })));
    text.replace(at, std::strlen("Brief_Text.bmp"), "Wide.bmp");
    WriteText(list, text);
    Open("Text.");
    EXPECT_TRUE(ScreenFatalPending());
    EXPECT_TRUE(Shown("Art outside the 800 x 600 screen:"));
    // The game's tick turns it into exit code 1.
    Game().Tick();
    EXPECT_EQ(m_exits, std::vector<int>{1});
    EXPECT_FALSE(ScreenFatalPending());
}

TEST_F(BriefingTest, LoadingTheScenarioBuildsTheBriefing)
{
    ASSERT_TRUE(Game().LoadFrontEnd());
    Game().m_uMode = (Game().m_uMode & ~kModeTitle) | kModeLobby;
    Game().m_pLobby->m_strChosenName = "Millbrook.zri";
    ASSERT_TRUE(Game().StartOrJoinGame());
    ASSERT_TRUE(Game().m_pScenario);
    EXPECT_EQ(Game().m_pBriefingText->m_aLines.at(0), Game().m_pScenario->m_szTitle);
    EXPECT_GT(Game().m_pBriefingText->m_nLineCount, 5);
    EXPECT_TRUE(Game().m_pBriefing->m_bShown);
    EXPECT_FALSE(ScreenFatalPending()) << "the demo art fits the screen";

    // A frame of the briefing for a person to look at.
    Game().Draw();
    ASSERT_EQ(Display()->Present(), DD_OK);
    ASSERT_TRUE(fixtures::SaveSurfaceBmp(*Display()->GetPrimary()->GetPixels(), "briefing_screenshot.bmp"));
}

} // namespace
