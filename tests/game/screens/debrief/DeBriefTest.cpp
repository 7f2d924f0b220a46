// The de-briefing: graded texts and their wrap, money and clock text, and the screen over the demo art
// (page buttons, chat entry, keys, held arrows, Exit, results from the game at scenario end).
#include "core/display/CDisplay.h"
#include "core/world/ScenarioData.h"
#include "game/rules/RulesGame.h"
#include "game/screens/art/ScreenKit.h"
#include "game/screens/boxes/Boxes.h"
#include "game/screens/debrief/DeBriefIF.h"
#include "game/screens/lobby/MPlayIF.h"
#include "support/DisplayFixtures.h"
#include "tests/game/screens/briefing/ScreenDemo.h"

#include <cmath>
#include <filesystem>

namespace {

std::unique_ptr<CScenarioData> Graded(int scoreAbove, int scoreAverage, int costAbove = 0, int costAverage = 0)
{
    auto s = std::make_unique<CScenarioData>();
    std::snprintf(s->m_szTitle, sizeof s->m_szTitle, "%s", "Millbrook Chemical Fire");
    s->m_anScoreBreaks[0] = scoreAbove;
    s->m_anScoreBreaks[1] = s->m_anScoreBreaks[2] = scoreAverage;
    s->m_anCostBreaks[0] = costAbove;
    s->m_anCostBreaks[1] = s->m_anCostBreaks[2] = costAverage;
    s->m_vScoreMessages = {"Score above.", "Score average.", "Score below."};
    s->m_vCostMessages = {"Cost above.", "Cost average.", "Cost below."};
    return s;
}

TEST(DeBriefText, GradesByBreakpointsOneAndTwo)
{
    auto s = Graded(80, 60, 5000, 2000);
    const struct {
        int score, cost;
        const char* first;
        const char* last;
    } cases[] = {
        {80, 5000, "Score above.", "Cost above."},
        {60, 4999, "Score average.", "Cost average."},
        {59, 1999, "Score below.", "Cost below."},
    };
    for (const auto& c : cases) {
        CDeBriefText text;
        text.Build(*s, c.score, c.cost);
        ASSERT_EQ(text.m_nLineCount, 3);
        EXPECT_EQ(text.m_aLines[0], c.first);
        EXPECT_EQ(text.m_aLines[1], "");
        EXPECT_EQ(text.m_aLines[2], c.last);
        EXPECT_EQ(text.m_nScroll, 3);
    }
    // A grade without its text adds nothing; no breakpoints at all: the fixed line.
    s->m_vCostMessages.clear();
    CDeBriefText text;
    text.Build(*s, 10, 10);
    EXPECT_EQ(text.m_aLines, (std::vector<std::string>{"Score below.", ""}));
    text.Build(CScenarioData(), 10, 10);
    EXPECT_EQ(text.m_aLines, std::vector<std::string>{"Debriefing unavailable for this Scenario"});
}

TEST(DeBriefText, WrapOfGradedTexts)
{
    std::string spaced;
    while (spaced.size() < 150)
        spaced += "abcdefghi ";
    const std::vector<std::string> lines = WrapGradedText(spaced);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), 89u); // cut at the last space of the first 98
    EXPECT_EQ(lines[0] + " " + lines[1], spaced);
    EXPECT_EQ(WrapGradedText(std::string(97, 'x')), std::vector<std::string>{std::string(97, 'x')});
    EXPECT_EQ(WrapGradedText(std::string(200, 'y')),
              (std::vector<std::string>{std::string(98, 'y'), std::string(98, 'y'), "yyyy"}));
    EXPECT_EQ(WrapGradedText(std::string(5000, 'z')).size(), 10u) << "at most 10 lines of one text";
}

TEST(DeBriefText, ScrollsTenLineWindow)
{
    CDeBriefText text;
    for (int i = 1; i <= 25; ++i)
        text.AddLine("line " + std::to_string(i));
    text.m_nScroll = 10;
    EXPECT_EQ(text.GetWindow().substr(0, 7), "line 1\n");
    for (int i = 0; i < 15; ++i)
        EXPECT_TRUE(text.ScrollDown());
    EXPECT_EQ(text.GetWindow().substr(0, 8), "line 16\n");
    EXPECT_FALSE(text.ScrollDown());
    for (int i = 0; i < 15; ++i)
        text.ScrollUp();
    EXPECT_FALSE(text.ScrollUp());
    EXPECT_EQ(text.m_nScroll, 10);
    for (int i = 0; i < 600; ++i)
        text.AddLine("more");
    EXPECT_EQ(text.m_nLineCount, 500);
}

TEST(DeBriefText, MoneyAndClock)
{
    const struct {
        int32_t amount;
        const char* text;
    } money[] = {{12, "$12.00"},      {999, "$999.00"},           {1234, "$1,234.00"},
                 {1000, "$1,000.00"}, {2000000, "$2,000,000.00"}, {999999999, "$999,999,999.00"},
                 {1000000000, ""}};
    for (const auto& m : money)
        EXPECT_EQ(FormatMoney(m.amount), m.text) << m.amount;
    EXPECT_EQ(FormatClock(930), " 9:30");
    EXPECT_EQ(FormatClock(1405), "14:05");
}

bool ClickOn(DeBriefIF& screen, int item)
{
    const RECT r = screen.ItemRect(item);
    return screen.OnClick(r.left + 2, r.top + 2, 1);
}

class DeBriefTest : public ScreenDemo {
protected:
    void Open()
    {
        ASSERT_TRUE(m_screen.LoadArt(Display(), Base(), &Game().m_uMode));
        m_screen.Init(&m_text);
        m_screen.Activate(true);
        ClearSounds();
    }
    bool ClickItem(int item, uint32_t buttons = 1)
    {
        const RECT r = m_screen.ItemRect(item);
        m_screen.OnMouseMove(r.left + 2, r.top + 2, 0);
        return m_screen.OnClick(r.left + 2, r.top + 2, buttons);
    }
    void Chat(int count)
    {
        for (int i = 0; i < count; ++i)
            Game().AddMessage("chat line " + std::to_string(i), -1, 0, 0, -3);
    }

    CDeBriefText m_text;
    DeBriefIF m_screen;
};

TEST_F(DeBriefTest, DemoArtFitsAndEveryItemHasAPlace)
{
    Open();
    EXPECT_FALSE(ScreenFatalPending());
    for (int item = 0; item <= DeBriefIF::kItemExplained; ++item) {
        if (item == 2 || item == 3)
            continue; // the history arrows live while the history is shown
        const RECT r = m_screen.ItemRect(item);
        EXPECT_EQ(m_screen.ItemAt(r.left + 1, r.top + 1), item) << item;
    }
    EXPECT_EQ(m_screen.ItemAt(10, 650), DeBriefIF::kItemBelow);
}

TEST_F(DeBriefTest, PageButtons)
{
    Open();
    EXPECT_TRUE(m_screen.m_bScoresShown);
    EXPECT_FALSE(ClickItem(DeBriefIF::kItemScores));
    EXPECT_EQ(m_sounds.back(), 2) << "scores already shown";
    ClickItem(DeBriefIF::kItemHistory);
    EXPECT_TRUE(m_screen.m_bHistoryShown);
    EXPECT_FALSE(m_screen.m_bScoresShown);
    EXPECT_EQ(m_sounds.back(), 0);
    ClickItem(DeBriefIF::kItemHistory);
    EXPECT_EQ(m_sounds.back(), 2);
    // The category/section and details buttons work only while the scores are shown.
    const RECT details = m_screen.ItemRect(DeBriefIF::kItemDetails);
    EXPECT_EQ(m_screen.ItemAt(details.left + 1, details.top + 1), DeBriefIF::kItemNone);
    ClickItem(DeBriefIF::kItemScores);
    ASSERT_TRUE(m_screen.m_bScoresShown);
    ClickItem(DeBriefIF::kItemCategory);
    EXPECT_TRUE(m_screen.m_bBySection);
    ClickItem(DeBriefIF::kItemDetails);
    EXPECT_TRUE(m_screen.m_bDetailsShown);
    ClickItem(DeBriefIF::kItemDetails);
    EXPECT_FALSE(m_screen.m_bDetailsShown);
    // A right click is not handled.
    EXPECT_FALSE(ClickItem(DeBriefIF::kItemExit, 2));
    EXPECT_TRUE(m_screen.m_bShown);
    ClickItem(DeBriefIF::kItemExplained);
    EXPECT_TRUE(Game().m_pInfoBox->m_bShown);
    EXPECT_EQ(Game().m_pInfoBox->m_nEntry, 27);
    EXPECT_EQ(Game().m_pInfoBox->m_strTitle, "Scoring Explained");
    EXPECT_TRUE(ClickItem(DeBriefIF::kItemExit));
    EXPECT_FALSE(m_screen.m_bShown);
}

TEST_F(DeBriefTest, ChatEntry)
{
    Open();
    for (int i = 0; i < 121; ++i)
        m_screen.OnChar('a');
    EXPECT_EQ(m_screen.m_strChat.size(), 120u);
    EXPECT_EQ(m_sounds, std::vector<int>{2}) << "the 121st character is refused";
    m_screen.OnChar(8);
    m_screen.OnChar(9);
    m_screen.OnChar(27);
    m_screen.OnChar(3); // other control characters are not text
    EXPECT_EQ(m_screen.m_strChat, std::string(119, 'a'));
    m_screen.m_strChat = "well done";
    const int before = Game().m_log.m_messages.Count();
    m_screen.OnChar(13);
    EXPECT_TRUE(m_screen.m_strChat.empty());
    EXPECT_EQ(m_sounds.back(), 0);
    ASSERT_EQ(Game().m_log.m_messages.Count(), before + 1);
    EXPECT_NE(Game().m_log.m_messages.aLines.back().strText.find("well done"), std::string::npos);
    m_screen.m_strChat = "again";
    ClickItem(DeBriefIF::kItemSend);
    EXPECT_EQ(Game().m_log.m_messages.Count(), before + 2);
}

TEST_F(DeBriefTest, KeysScrollTheChatHistoryOrText)
{
    Game().m_uMode |= kModeDebrief;
    Chat(40);
    Open();
    Game().FillChatView();
    const int end = Game().m_log.m_nChatScroll;
    ASSERT_EQ(end, Game().m_log.m_messages.Count());
    m_screen.OnKey(kVkHome);
    EXPECT_EQ(Game().m_log.m_nChatScroll, 16);
    m_screen.OnKey(kVkNext);
    EXPECT_EQ(Game().m_log.m_nChatScroll, 32);
    m_screen.OnKey(kVkEnd);
    EXPECT_EQ(Game().m_log.m_nChatScroll, end);
    m_screen.OnKey(kVkPrior);
    EXPECT_EQ(Game().m_log.m_nChatScroll, end - 16);

    // Up scrolls the chat while a chat arrow is hovered, else the de-briefing text.
    const RECT up = m_screen.ItemRect(4);
    m_screen.OnMouseMove(up.left + 1, up.top + 1, 0);
    m_screen.OnKey(kVkUp);
    EXPECT_EQ(Game().m_log.m_nChatScroll, end - 17);
    m_screen.OnMouseMove(5, 5, 0);
    for (int i = 0; i < 12; ++i)
        m_text.AddLine("text");
    m_text.m_nScroll = 10;
    m_screen.OnKey(kVkDown);
    EXPECT_EQ(m_text.m_nScroll, 11);
    EXPECT_EQ(Game().m_log.m_nChatScroll, end - 17);
}

// The history ends where the log stood when the screen opened: chat said afterwards stays out of it, and its
// arrows move it between its first page and that end, refusing beyond.
TEST_F(DeBriefTest, HistoryKeepsTheIndexTakenWhenItOpened)
{
    Chat(30);
    Game().m_uMode |= kModeDebrief;
    Open();
    const int end = Game().m_log.m_messages.nScroll;
    ASSERT_EQ(m_screen.m_nLogIndex, end);
    ClickItem(DeBriefIF::kItemHistory);
    m_screen.m_strChat = "after the game";
    m_screen.OnChar(13);
    EXPECT_GT(Game().m_log.m_messages.nScroll, end);
    EXPECT_EQ(m_screen.m_nLogIndex, end);
    ClearSounds();
    ClickItem(3); // history down: already at its end
    EXPECT_EQ(m_screen.m_nLogIndex, end);
    EXPECT_EQ(m_sounds.back(), 2);
    ClickItem(2); // history up
    EXPECT_EQ(m_screen.m_nLogIndex, end - 1);
    m_screen.OnMouseUp(0, 0, 0);
    // Drawing keeps the page where the arrows put it.
    m_screen.Draw(Display()->GetBackBuffer());
    EXPECT_EQ(m_screen.m_nLogIndex, end - 1);
    EXPECT_EQ(Game().m_log.m_messages.Count(), end + 1) << "the chat line said after opening";
}

// A log line wrapped for a wider panel (the HUD's) is wrapped again to the chat panel: its end shows on the
// panel's second row instead of being cut at the edge.
TEST_F(DeBriefTest, ChatLinesWrapToTheChatPanel)
{
    CLogLine wide;
    wide.strText = std::string(40, 'w') + " end";
    wide.nMessage = 1;
    Game().m_log.m_messages.Add(wide, true);
    Game().m_uMode |= kModeDebrief;
    Open();
    CSurface* back = Display()->GetBackBuffer();
    Display()->Clear(true);
    m_screen.Draw(back);
    const CArtRow& chat = m_screen.Art().Row(35);
    const platform::PixelSurface& pixels = *back->GetPixels();
    const uint16_t paper = pixels.GetPixel(chat.x + chat.width - 30, chat.y + chat.height - 10);
    int inked = 0;
    for (int y = chat.y + 18; y < chat.y + 30; ++y)
        for (int x = chat.x + 10; x < chat.x + chat.width - 24; ++x)
            inked += pixels.GetPixel(x, y) != paper;
    EXPECT_GT(inked, 0);
}

// Contrast ratio of two 5-6-5 pixels.
double Contrast(uint16_t a, uint16_t b)
{
    return ContrastRatio(platform::Rgb565ToColorRef(a), platform::Rgb565ToColorRef(b));
}

// The history shows each message wrapped again to its own wide panel, and an event's blue made for the light
// HUD panel is lightened on the dark one.
TEST_F(DeBriefTest, HistoryWrapsToItsPanelInLegibleColours)
{
    std::string event;
    for (int i = 0; i < 12; ++i)
        event += "smoke spreads east ";
    Game().AddMessage(event + "fin", -1, kMsgEvent, 0, kSenderSystem);
    const int stored = Game().m_log.m_messages.Count();
    ASSERT_GE(stored, 4);
    Game().m_uMode |= kModeDebrief;
    Open();
    ClickItem(DeBriefIF::kItemHistory);
    CSurface* back = Display()->GetBackBuffer();
    Display()->Clear(true);
    m_screen.Draw(back);
    ASSERT_TRUE(fixtures::SaveSurfaceBmp(*back->GetPixels(), "debrief_history_screenshot.bmp"));
    // The first row reaches past the middle of the panel; the ink reads on the panel.
    const CArtRow& history = m_screen.Art().Row(DeBriefIF::kRowHistory);
    const platform::PixelSurface& pixels = *back->GetPixels();
    const uint16_t paper = pixels.GetPixel(history.x + history.width - 30, history.y + history.height - 10);
    int rightmost = 0;
    double best = 1.0;
    for (int y = history.y + 2; y < history.y + 18; ++y)
        for (int x = history.x + 8; x < history.x + history.width - 24; ++x)
            if (pixels.GetPixel(x, y) != paper) {
                rightmost = std::max(rightmost, x - history.x);
                best = std::max(best, Contrast(pixels.GetPixel(x, y), paper));
            }
    EXPECT_GT(rightmost, history.width / 2);
    EXPECT_GE(best, 4.5);
    EXPECT_LT(static_cast<int>(m_screen.m_aHistoryRows.size()), stored);
    ASSERT_FALSE(m_screen.m_aHistoryRows.empty());
    EXPECT_NE(m_screen.m_aHistoryRows.back().find("fin"), std::string::npos);
}

// A chat line longer than the entry shows its end (the caret with it) rather than running past the edge.
TEST_F(DeBriefTest, ChatEntryScrollsWithTheCaret)
{
    Open();
    const CArtRow& entry = m_screen.Art().Row(DeBriefIF::kRowChatEntry);
    auto drawn = [&](const std::string& chat) {
        m_screen.m_strChat.clear();
        for (char c : chat)
            m_screen.OnChar(static_cast<unsigned char>(c));
        CSurface* back = Display()->GetBackBuffer();
        Display()->Clear(true);
        m_screen.Draw(back);
        std::vector<uint16_t> row;
        const platform::PixelSurface& pixels = *back->GetPixels();
        for (int y = entry.y; y < entry.y + entry.height; ++y)
            for (int x = entry.x; x < entry.x + entry.width; ++x)
                row.push_back(pixels.GetPixel(x, y));
        return row;
    };
    EXPECT_NE(drawn(std::string(100, 'A')), drawn(std::string(90, 'A') + std::string(10, 'Z')));
}

// In a long log the line sent from the de-briefing shows at the bottom of the chat log at once.
TEST_F(DeBriefTest, SentLineShowsInALongChatLog)
{
    Chat(40);
    Game().m_uMode |= kModeDebrief;
    Game().EndGame();
    Open();
    m_screen.Draw(Display()->GetBackBuffer());
    m_screen.m_strChat = "all clear";
    ClickItem(DeBriefIF::kItemSend);
    m_screen.Draw(Display()->GetBackBuffer());
    EXPECT_EQ(Game().m_log.m_nChatScroll, Game().m_log.m_messages.Count());
    ASSERT_FALSE(m_screen.m_aChatRows.empty());
    EXPECT_NE(m_screen.m_aChatRows.back().find("all clear"), std::string::npos);
}

TEST_F(DeBriefTest, HeldChatArrowRepeatsEvery50ms)
{
    Game().m_uMode |= kModeDebrief;
    Chat(40);
    Open();
    Game().FillChatView();
    const int end = Game().m_log.m_nChatScroll;
    CSurface* back = Display()->GetBackBuffer();
    ClickItem(4); // chat up, held
    EXPECT_EQ(Game().m_log.m_nChatScroll, end - 1);
    m_clock->Advance(49);
    m_screen.Draw(back);
    EXPECT_EQ(Game().m_log.m_nChatScroll, end - 1);
    m_clock->Advance(1);
    m_screen.Draw(back);
    EXPECT_EQ(Game().m_log.m_nChatScroll, end - 2);
    m_screen.OnMouseUp(0, 0, 0);
    m_clock->Advance(500);
    m_screen.Draw(back);
    EXPECT_EQ(Game().m_log.m_nChatScroll, end - 2);
}

// Lines wider than the panel are wrapped again at spaces; blank lines stay, and a first line keeps all its pieces
// in the first window.
TEST(DeBriefText, LinesWiderThanThePanelWrapAgain)
{
    auto s = Graded(80, 60, 5000, 2000);
    s->m_vCostMessages[0] = "A lean response: costs stayed well under the prediction for an incident of this size.";
    CDeBriefText text;
    text.SetWrap([](const std::string& t) { return static_cast<int>(t.size()); }, 30);
    text.Build(*s, 10, 6000);
    std::string joined;
    for (const std::string& line : text.m_aLines) {
        EXPECT_LT(line.size(), 30u) << line;
        joined += (joined.empty() || line.empty() ? "" : " ") + line;
    }
    EXPECT_EQ(text.m_aLines.at(1), "");
    EXPECT_EQ(joined, "Score below. " + s->m_vCostMessages[0]);
    text.AddFirstLine("Score-Log.txt could not be written: No space left on device.");
    EXPECT_EQ(text.GetWindow().substr(0, text.GetWindow().find("Score below.")),
              "Score-Log.txt could not be\nwritten: No space left on\ndevice.\n");
}

TEST_F(DeBriefTest, ResultsOnThePages)
{
    Open();
    for (int i = 0; i < DeBriefIF::kResultCount; ++i)
        m_screen.m_anResults[i] = i;
    m_screen.m_anResults[DeBriefIF::kResFinalScore] = 70;
    m_screen.m_anResults[DeBriefIF::kResFinalCost] = 1234;
    m_screen.m_anResults[DeBriefIF::kResPredictedCost] = 2000000;
    m_screen.m_anResults[DeBriefIF::kResStartTime] = 930;
    m_screen.m_anResults[DeBriefIF::kResEndTime] = 1305;
    auto scenario = Graded(80, 60);
    m_screen.ShowResults(scenario.get());
    EXPECT_EQ(m_screen.m_astrResultText[0], "0 %");
    EXPECT_EQ(m_screen.m_astrResultText[DeBriefIF::kResFinalScore], "70 %");
    EXPECT_EQ(m_screen.m_astrResultText[DeBriefIF::kResCounts], "23");
    EXPECT_EQ(m_screen.m_astrResultText[DeBriefIF::kResFinalCost], "$1,234.00");
    EXPECT_EQ(m_screen.m_astrResultText[DeBriefIF::kResPredictedCost], "$2,000,000.00");
    EXPECT_EQ(m_screen.m_astrResultText[DeBriefIF::kResStartTime], " 9:30");
    EXPECT_EQ(m_text.m_aLines.at(0), "Score average.");

    // A graded text of 98 characters is wrapped again to the text panel in its font.
    scenario->m_vCostMessages[0] =
        "An average response: most resources were released in time, some were held on scene after need.";
    m_screen.ShowResults(scenario.get());
    auto font = MakeArial(14, true, false);
    const int width = m_screen.Art().Row(DeBriefIF::kRowText).width - 16;
    ASSERT_GT(m_text.m_nLineCount, 3);
    for (const std::string& line : m_text.m_aLines)
        EXPECT_LT(MeasureText(font.get(), line), width) << line;
}

// Each label of a score page stands on the line of its value: the baselines of their ink, inside the value's
// row, lie within a pixel of each other.
TEST_F(DeBriefTest, ScorePageLabelsStandLevelWithTheirValues)
{
    Open();
    for (int i = 0; i < DeBriefIF::kResultCount; ++i)
        m_screen.m_anResults[i] = 40 + i;
    m_screen.ShowResults(nullptr);
    struct Row {
        int page; // art row
        int labelLeft, labelRight;
        RECT value;
    };
    std::vector<Row> rows;
    for (int k = 0; k < 9; ++k)
        rows.push_back({DeBriefIF::kRowDetails, 10, 230, RECT{235, 47 + 19 * k, 295, 66 + 19 * k}});
    for (int k = 0; k < 5; ++k)
        rows.push_back({DeBriefIF::kRowDetails, 330, 560, RECT{570, 44 + 20 * k, 635, 64 + 20 * k}});
    for (int k = 0; k < 4; ++k)
        rows.push_back({DeBriefIF::kRowByCategory, 10, 180, RECT{185, 41 + 34 * k, 245, 80 + 34 * k}});
    for (int k = 0; k < 4; ++k)
        rows.push_back({DeBriefIF::kRowScores, 10, 175, RECT{180, 48 + 33 * k, 230, 74 + 33 * k}});
    for (int k = 0; k < 2; ++k)
        rows.push_back({DeBriefIF::kRowScores, 10, 200, RECT{220, 175 + 17 * k, 290, 194 + 17 * k}});
    CSurface* back = Display()->GetBackBuffer();
    for (bool details : {true, false}) {
        m_screen.m_bDetailsShown = details;
        m_screen.Draw(back);
        const platform::PixelSurface& frame = *back->GetPixels();
        for (const Row& row : rows) {
            if ((row.page == DeBriefIF::kRowDetails) != details)
                continue;
            const CArtRow& page = m_screen.Art().Row(row.page);
            SCOPED_TRACE(testing::Message() << "page " << row.page << " row at " << row.value.top);
            const uint32_t paper = frame.GetPixel(page.x + 8, page.y + 10);
            // The baseline: the lowest row of the ink holding a third of the fullest row's pixels (a descender's
            // few pixels do not count).
            auto baseline = [&](int left, int right) {
                std::vector<int> count(static_cast<size_t>(row.value.bottom - row.value.top), 0);
                for (int y = row.value.top; y < row.value.bottom; ++y)
                    for (int x = left; x < right; ++x)
                        count[static_cast<size_t>(y - row.value.top)] +=
                            frame.GetPixel(page.x + x, page.y + y) != paper;
                const int fullest = *std::max_element(count.begin(), count.end());
                for (int y = row.value.bottom - 1; y >= row.value.top; --y)
                    if (fullest > 0 && count[static_cast<size_t>(y - row.value.top)] * 3 >= fullest)
                        return y;
                return -100;
            };
            const int label = baseline(row.labelLeft, row.labelRight);
            const int value = baseline(row.value.left, row.value.right);
            ASSERT_GT(label, 0) << "no label ink";
            EXPECT_NEAR(label, value, 1);
        }
        if (details) {
            ASSERT_TRUE(fixtures::SaveSurfaceBmp(frame, "debrief_details_screenshot.bmp"));
        }
    }
}

// Six- and seven-figure costs are drawn whole on the scores page, clear of its right edge.
TEST_F(DeBriefTest, LargeCostsFitTheScoresPage)
{
    Open();
    m_screen.m_anResults[DeBriefIF::kResFinalCost] = 101930;
    m_screen.m_anResults[DeBriefIF::kResPredictedCost] = 2000000;
    m_screen.ShowResults(nullptr);
    m_screen.m_bDetailsShown = false;
    CSurface* back = Display()->GetBackBuffer();
    m_screen.Draw(back);
    const platform::PixelSurface& frame = *back->GetPixels();
    const CArtRow& page = m_screen.Art().Row(DeBriefIF::kRowScores);
    const uint32_t paper = frame.GetPixel(page.x + 8, page.y + 10);
    auto font = MakeArial(18, true, false);
    for (int k = 0; k < 2; ++k) {
        const std::string& text = m_screen.m_astrResultText[DeBriefIF::kResFinalCost + k];
        SCOPED_TRACE(text);
        int left = page.width, right = -1;
        for (int y = 175 + 17 * k + 2; y < 194 + 17 * k - 2; ++y)
            for (int x = 110; x < page.width - 1; ++x)
                if (frame.GetPixel(page.x + x, page.y + y) != paper) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        ASSERT_GE(right, 0) << "no ink";
        EXPECT_LT(right, page.width - 4) << "into the page's edge";
        EXPECT_GE(right - left + 1, MeasureText(font.get(), text) - 4) << "cut short";
    }
    ASSERT_TRUE(fixtures::SaveSurfaceBmp(frame, "debrief_large_costs_screenshot.bmp"));
}

TEST_F(DeBriefTest, EndOfScenarioCollectsAndShows)
{
    ASSERT_TRUE(Game().LoadFrontEnd());
    Game().m_uMode = (Game().m_uMode & ~kModeTitle) | kModeLobby;
    Game().m_pLobby->m_strChosenName = "Millbrook.zri";
    ASSERT_TRUE(Game().StartOrJoinGame());
    ASSERT_TRUE(Game().StartScenario());
    Game().AddMessage("Engine 1 on scene.", -1, 1, 0, -3);
    Game().m_uMode &= ~kModeRunning;
    Game().EndGame();
    DeBriefIF& screen = *Game().m_pDebrief;
    EXPECT_TRUE(screen.m_bShown);
    EXPECT_EQ(screen.m_anResults[DeBriefIF::kResPredictedCost], Game().m_pScenario->m_nPredictedCost);
    EXPECT_GT(Game().m_pDebriefText->m_nLineCount, 0);
    EXPECT_FALSE(ScreenFatalPending());

    // Lines arriving now wrap to the pixel width of the chat panel.
    const int before = Game().m_log.m_messages.Count();
    const int lines =
        Game().AddMessage(std::string(30, 'w') + " " + std::string(30, 'w') + " " + std::string(30, 'w'), -1, 0, 0, -3);
    EXPECT_GT(lines, 1);
    ASSERT_EQ(Game().m_log.m_messages.Count(), before + lines);
    for (int i = before; i < Game().m_log.m_messages.Count(); ++i)
        EXPECT_LE(screen.MeasureChatText(Game().m_log.m_messages.aLines[i].strText), screen.ChatTextWidth());

    // A frame of the de-briefing with the history shown, for a person to look at.
    screen.m_strChat = "Good work everyone";
    screen.OnChar('!');
    ClickOn(screen, DeBriefIF::kItemHistory);
    Game().Draw();
    ASSERT_EQ(Display()->Present(), DD_OK);
    ASSERT_TRUE(fixtures::SaveSurfaceBmp(*Display()->GetPrimary()->GetPixels(), "debrief_screenshot.bmp"));
    ClickOn(screen, DeBriefIF::kItemScores);
    Game().Draw();
    ASSERT_EQ(Display()->Present(), DD_OK);
    ASSERT_TRUE(fixtures::SaveSurfaceBmp(*Display()->GetPrimary()->GetPixels(), "debrief_scores_screenshot.bmp"));
}

TEST_F(DeBriefTest, AScoreLogThatCannotBeWrittenIsOneLineOfTheText)
{
    ASSERT_TRUE(Game().LoadFrontEnd());
    Game().m_uMode = (Game().m_uMode & ~kModeTitle) | kModeLobby;
    Game().m_pLobby->m_strChosenName = "Millbrook.zri";
    ASSERT_TRUE(Game().StartOrJoinGame());
    ASSERT_TRUE(Game().StartScenario());
    std::filesystem::create_directory(std::filesystem::path(Base()) / "Score-Log.txt"); // cannot be replaced
    Game().m_uMode &= ~kModeRunning;
    // The authority's end: the scores, then the de-briefing.
    ASSERT_EQ(Game().m_pRules->EndScenario(), 0);
    Game().EndGame();
    const CDeBriefText& text = *Game().m_pDebriefText;
    ASSERT_GT(text.m_nLineCount, 1);
    EXPECT_EQ(text.m_aLines[0], "Score-Log.txt could not be written: Is a directory.");
    EXPECT_EQ(text.GetWindow().find("Score-Log.txt could not be written"), 0u);
    Game().Draw();
    ASSERT_EQ(Display()->Present(), DD_OK);
    ASSERT_TRUE(fixtures::SaveSurfaceBmp(*Display()->GetPrimary()->GetPixels(), "debrief_score_log_screenshot.bmp"));
}

} // namespace
