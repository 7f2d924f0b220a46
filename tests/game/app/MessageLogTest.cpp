// The players' log: wrapping, the store rules, trimming, the "ZR-Log.txt" lines and reading them back.
#include "game/app/MessageLog.h"
#include "game/screens/art/ScreenKit.h"
#include "game/screens/hud/HUD.h"
#include "GameFixture.h"
#include "core/world/ScenarioData.h"
#include "core/events/ZREventsData.h"
#include "core/util/ByteStream.h"
#include "platform/display/PixelSurface.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Font.h"
#include "support/CharacterCutWrap.h"

namespace {

class MessageLogTest : public GameFixture {};

TEST(WrapTextTest, CharacterTable)
{
    struct Case {
        std::string text;
        int width;
        std::vector<std::string> pieces;
    };
    const std::string word9 = "abcdefgh "; // 9 characters with its blank
    std::string hundred;
    for (int i = 0; i < 11; ++i)
        hundred += word9;
    hundred += "x"; // 100 characters
    const Case cases[] = {
        {"short line", 40, {"short line"}},
        {std::string(56, 'a'), 40, {std::string(56, 'a')}},
        {std::string(57, 'a'), 40, {std::string(57, 'a')}},
        {std::string(60, 'a'), 40, {std::string(57, 'a'), "aaa"}},
        {hundred, 40, {hundred.substr(0, 53), hundred.substr(54)}},
        {std::string(70, 'b') + " c", 60, {std::string(70, 'b') + " c"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CMessageLog::WrapText(c.text, c.width), c.pieces);
    }
}

TEST(WrapTextTest, HundredCharacterChatInLobbyWidthIsThreeLines)
{
    std::string text;
    while (text.size() < 100)
        text += "word ";
    text.resize(99);
    auto pieces = CMessageLog::WrapText(text, 20); // pieces of at most 37
    ASSERT_EQ(pieces.size(), 3u);
    for (const auto& p : pieces) {
        EXPECT_LE(p.size(), 37u);
        EXPECT_NE(p.back(), ' ');
    }
}

TEST(WrapTextTest, PixelWrapWithRealFont)
{
    auto font = platform::gdi::Font::Create({14, platform::gdi::FW_NORMAL, false, "Arial", true});
    ASSERT_TRUE(font);
    platform::PixelSurface surface;
    ASSERT_TRUE(surface.Create(8, 8));
    platform::gdi::DeviceContext dc(surface);
    dc.SelectFont(font.get());
    auto measure = [&](const std::string& s) {
        SIZE size{};
        dc.GetTextExtentPoint32(s.c_str(), static_cast<int>(s.size()), &size);
        return static_cast<int>(size.cx);
    };
    const int width = 150;
    const std::string text = "  The fire on Main Street has spread to the warehouse beside the river bank "
                             "Supercalifragilisticexpialidociousandmore";
    auto lines = CMessageLog::WrapTextToWidth(text, width, measure);
    ASSERT_GE(lines.size(), 3u);
    std::string joined;
    for (const auto& l : lines) {
        EXPECT_LT(measure(l), width) << l;
        EXPECT_FALSE(l.empty());
        EXPECT_NE(l.front(), ' ');
        EXPECT_NE(l.back(), ' ');
        joined += l;
    }
    std::string squeezed;
    for (char ch : text)
        if (ch != ' ')
            squeezed += ch;
    std::string joinedSqueezed;
    for (char ch : joined)
        if (ch != ' ')
            joinedSqueezed += ch;
    EXPECT_EQ(joinedSqueezed, squeezed); // nothing lost, the long word cut into pieces
}

// Runs of consecutive widths, so each break lands on an exact fit, one pixel short of it and one over, in the
// panels' fonts; Windows-1252 bytes of wide letters, accents, dashes and bytes the font draws with no advance.
TEST(WrapTextTest, SearchedBreaksMatchTheCharacterByCharacterCut)
{
    using platform::gdi::Font;
    std::vector<std::unique_ptr<Font>> fonts;
    fonts.push_back(Font::Create({14, platform::gdi::FW_NORMAL, false, "Arial", true}));
    fonts.push_back(Font::Create({14, platform::gdi::FW_BOLD, false, "Arial", true}));
    std::string longWord;
    while (longWord.size() < 400)
        longWord += "Wmil\xE9\x97";
    longWord.resize(400);
    const std::string cases[] = {
        "",
        "   ",
        "a",
        std::string(40, 'W'),
        "iiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiii lllllllllllllllllllllllllll W",
        "Trainee: " + longWord.substr(0, 250),
        "0950 : Fire on Main Street " + longWord.substr(0, 120) + " spreads  to the   warehouse ",
        std::string("  caf\xE9 \x80\x80\x80 na\xEFve \x96\x97\x97 stra\xDF") + "e " + std::string(30, '\x81') + " end",
        std::string(20, '\x81') + "x" + std::string(20, '\x81'),
        "a b c d e f g h i j k l m n o p q r s t u v w x y z a b c d e f g h i j k l m n o p q r s t u v w x y z",
    };
    for (const auto& font : fonts) {
        ASSERT_TRUE(font);
        int calls = 0;
        const auto measure = [&](const std::string& s) {
            ++calls;
            return MeasureText(font.get(), s);
        };
        for (const std::string& text : cases) {
            // Short texts at every width to past their whole; long ones, where the character cut is slow, at
            // every width of a band of panel widths and a few more.
            std::vector<int> widths;
            if (text.size() <= 150) {
                for (int width = -1; width <= MeasureText(font.get(), text) + 2; ++width)
                    widths.push_back(width);
            } else {
                for (int width = 320; width < 352; ++width)
                    widths.push_back(width);
                widths.insert(widths.end(), {200, 560});
            }
            for (int width : widths) {
                const auto expected = WrapOneMeasurePerCharacter(text, width, measure);
                ASSERT_EQ(CMessageLog::WrapTextToWidth(text, width, measure), expected)
                    << "width " << width << " text \"" << text << "\"";
            }
        }
        // A 400-character word cut for a 360-pixel panel takes a few measures a line, not one per character.
        calls = 0;
        const auto pieces = CMessageLog::WrapTextToWidth(longWord, 360, measure);
        EXPECT_GT(pieces.size(), 5u);
        EXPECT_LT(calls, 20 * static_cast<int>(pieces.size()));
    }
}

// The pieces of one message, stored wrapped for another panel, are joined and wrapped again for the panel that
// draws them; different messages (or a colour that changes) stay apart; rows keep their message's first line.
TEST(WrapTextTest, ViewRowsRewrapEachMessageForThePanel)
{
    auto line = [](const char* text, int message, uint32_t colour = 1) {
        CLogLine l;
        l.strText = text;
        l.nMessage = message;
        l.crColour = colour;
        return l;
    };
    const auto chars = [](const std::string& s) { return static_cast<int>(s.size()); };
    const std::vector<CLogLine> view = {line("aa bb", 1), line("cc dd", 1), line("ee", 2),
                                        line("ff", 2, 9), line("gg", 0),    line("hh", 0)};
    struct Case {
        int width;
        std::vector<std::pair<std::string, int>> rows;
    } cases[] = {
        {20, {{"aa bb cc dd", 0}, {"ee", 2}, {"ff", 3}, {"gg", 4}, {"hh", 5}}},
        {6, {{"aa bb", 0}, {"cc dd", 0}, {"ee", 2}, {"ff", 3}, {"gg", 4}, {"hh", 5}}},
        {3, {{"aa", 0}, {"bb", 0}, {"cc", 0}, {"dd", 0}, {"ee", 2}, {"ff", 3}, {"gg", 4}, {"hh", 5}}},
    };
    for (const Case& c : cases) {
        std::vector<std::pair<std::string, int>> got;
        for (const CViewRow& row : CMessageLog::WrapViewToWidth(view, c.width, chars))
            got.emplace_back(row.strText, row.nSource);
        EXPECT_EQ(got, c.rows) << "width " << c.width;
    }
}

TEST_F(MessageLogTest, StoreRulesByRoleAndKind)
{
    CGame& game = MakeGame(false);
    game.GetLocalPlayerInfo()->uRoleFlags = 1;
    game.m_uMode |= kModeRunning;
    game.AddMessage("not for me", 4, kMsgChat, 0, 5);
    EXPECT_EQ(game.m_log.m_messages.Count(), 0);
    EXPECT_TRUE(m_sounds.empty());
    game.AddMessage("for me", 1, kMsgChat, 0, 5);
    EXPECT_EQ(game.m_log.m_messages.Count(), 1);
    EXPECT_EQ(m_sounds, std::vector<int>{20});
    game.AddMessage("everyone", -1, kMsgEvent, 0, kSenderSystem);
    EXPECT_EQ(game.m_log.m_events.Count(), 1);
    EXPECT_EQ(m_sounds.back(), 19);
    EXPECT_EQ(game.m_log.m_messages.aLines.back().crColour, kColourEvent);
    game.AddMessage("hidden", -1, kMsgHiddenEvent, 0, kSenderSystem);
    EXPECT_EQ(game.m_log.m_messages.Count(), 2); // not stored without the show-hidden flag
    game.m_bShowHidden = true;
    game.AddMessage("hidden", -1, kMsgHiddenEvent, 0, kSenderSystem);
    EXPECT_EQ(game.m_log.m_messages.Count(), 3);
    EXPECT_EQ(game.m_log.m_events.Count(), 1); // hidden events take no place in the events view
    game.AddMessage("review", -1, kMsgReview, 0, kSenderSystem);
    EXPECT_EQ(game.m_log.m_messages.Count(), 3);
    EXPECT_EQ(game.m_log.m_aReview.size(), 1u);
}

// A notice to one section chief: the single player holds every role; a networked player without it does not.
TEST_F(MessageLogTest, SinglePlayKeepsNoticesToEverySection)
{
    CGame& game = MakeGame(false);
    game.GetLocalPlayerInfo()->uRoleFlags = 0x3 | 0x400; // the agencies and the command role
    game.m_uMode |= kModeRunning | kModeSingle;
    game.AddMessage("to Planning", 0x4000, kMsgEvent, 0, kSenderSystem);
    EXPECT_EQ(game.m_log.m_messages.Count(), 1);
    game.m_uMode = (game.m_uMode & ~kModeSingle) | kModeNetworked;
    game.AddMessage("to Planning", 0x4000, kMsgEvent, 0, kSenderSystem);
    EXPECT_EQ(game.m_log.m_messages.Count(), 1);
}

// The HUD's message filters: hidden events are kept once asked for; events only pages the event log.
TEST_F(MessageLogTest, MessageFiltersPickHiddenEventsAndTheEventsView)
{
    CGame& game = MakeGame(false);
    game.m_uMode |= kModeRunning;
    game.AddMessage("chat", -1, kMsgChat, 0, kSenderSystem);
    game.AddMessage("hidden one", -1, kMsgHiddenEvent, 0, kSenderSystem);
    EXPECT_EQ(game.m_log.m_messages.Count(), 1);
    game.SetMessageFilters(kMsgFilterHidden);
    game.AddMessage("hidden two", -1, kMsgHiddenEvent, 0, kSenderSystem);
    game.AddMessage("event", -1, kMsgEvent, 0, kSenderSystem);
    EXPECT_EQ(game.m_log.m_messages.Count(), 3);
    EXPECT_EQ(game.FillMessageLogView(), 3);
    game.SetMessageFilters(kMsgFilterEventsOnly);
    EXPECT_FALSE(game.m_bShowHidden);
    EXPECT_TRUE(game.m_uMessageState & 1);
    ASSERT_EQ(game.FillMessageLogView(), 1);
    EXPECT_NE(game.GetViewLines()[0].strText.find("event"), std::string::npos);
    game.SetMessageFilters(0);
    EXPECT_FALSE(game.m_uMessageState & 1);
    EXPECT_EQ(game.FillMessageLogView(), 3);
}

// Stored colours are shown dark in play and bright in the front end; backgrounds alternate by message number.
TEST_F(MessageLogTest, EntryColoursAndStyles)
{
    CGame& game = MakeGame(false);
    for (uint32_t c : {0x0A0AC8u, 0x0A0A64u, 0x0AC80Au, 0x0A640Au, 0xC8C8C8u, 0x0A0A0Au, 0xC85555u})
        game.m_log.WriteAAREvent({"x"}, "x", c, kMsgChat, kSenderSystem, true, false, 0);
    struct Case {
        uint32_t mode;
        std::vector<uint32_t> colours;
    };
    const Case cases[] = {
        {kModeRunning, {0x0A0A64, 0x0A0A64, 0x0A640A, 0x0A640A, 0x0A0A0A, 0x0A0A0A, 0xC85555}},
        {0, {0x0A0AC8, 0x0A0AC8, 0x0AC80A, 0x0AC80A, 0xC8C8C8, 0xC8C8C8, 0xC85555}},
    };
    for (const auto& c : cases) {
        game.m_uMode = c.mode;
        ASSERT_EQ(game.FillMessageLogView(), 7);
        for (int i = 0; i < 7; ++i)
            EXPECT_EQ(game.GetLogEntryColour(i), c.colours[static_cast<size_t>(i)]) << c.mode << " line " << i;
        uint32_t back = 1;
        int style = 0;
        game.GetLogEntryStyle(0, back, style); // message 1: odd
        EXPECT_EQ(style, c.mode ? 2 : 1);
        EXPECT_EQ(back, c.mode ? 0xFFF3E8u : 0u);
        game.GetLogEntryStyle(1, back, style); // message 2: even
        EXPECT_EQ(style, 2);
        EXPECT_EQ(back, c.mode ? 0xE8D5CAu : 0x2D2D2Du);
    }
}

// Scrolling stops at both ends with the refusal sound; pages and the ends clamp to the log.
TEST_F(MessageLogTest, ScrollingStopsAtItsLimits)
{
    CGame& game = MakeGame(false);
    game.ScrollMessageLog(0);
    game.ScrollChatView(1);
    EXPECT_EQ(m_sounds, (std::vector<int>{2, 2})); // an empty log
    for (int i = 0; i < 30; ++i)
        game.m_log.WriteAAREvent({std::to_string(i)}, "", 0, kMsgChat, kSenderSystem, true, false, 0);
    game.m_log.m_nChatScroll = 30;
    const int page = game.GetMessagePageSize();
    struct Case {
        int kind;
        int messageAt, messageSound, chatAt, chatSound;
    };
    // From the end: down refused; page up; top; up refused at the top; page down; bottom.
    const Case cases[] = {
        {1, 30, 2, 30, 2},   {2, 30 - page, 0, 16, 0}, {4, page, 0, 16, 2},
        {0, page, 2, 16, 2}, {3, 2 * page, 0, 30, 0},  {5, 30, 0, 30, 2},
    };
    for (const auto& c : cases) {
        m_sounds.clear();
        game.ScrollMessageLog(c.kind);
        game.ScrollChatView(c.kind);
        EXPECT_EQ(game.m_log.m_messages.nScroll, c.messageAt) << "kind " << c.kind;
        EXPECT_EQ(game.m_log.m_nChatScroll, c.chatAt) << "kind " << c.kind;
        EXPECT_EQ(m_sounds, (std::vector<int>{c.messageSound, c.chatSound})) << "kind " << c.kind;
    }
}

TEST_F(MessageLogTest, PrefixAndDefaultColours)
{
    CGame& game = MakeGame(false);
    game.AddMessage("hello", -1, kMsgChat, 0, kSenderSystem);
    EXPECT_EQ(game.m_log.m_messages.aLines[0].strText, "Single Player:  hello");
    EXPECT_EQ(game.m_log.m_messages.aLines[0].crColour, kColourOwnFrontEnd);
    game.AddMessage("hi", -1, kMsgChat, 0, 7);
    EXPECT_EQ(game.m_log.m_messages.aLines[1].strText, "Unknown Name:  hi");
    EXPECT_EQ(game.m_log.m_messages.aLines[1].crColour, kColourOtherPlayer);
    game.m_nStartTime = 950;
    game.m_bShowHidden = true;
    game.AddMessage("boom", -1, kMsgHiddenEvent, 0, kSenderSystem);
    EXPECT_EQ(game.m_log.m_messages.aLines[2].strText, "H 0950 :  boom");
}

// A notice that comes before any scenario is known (a player joining in the lobby) carries no "0000"; once a
// scenario is loaded, its start time stamps notices until its clock runs.
TEST_F(MessageLogTest, NoticesBeforeAnyScenarioCarryNoTime)
{
    CGame& game = MakeGame(false);
    game.AddMessage("Bob has joined the game", -1, kMsgEvent, 0, kSenderSystem);
    EXPECT_EQ(game.m_log.m_messages.aLines.back().strText, "Bob has joined the game");
    game.m_pScenario = std::make_unique<CScenarioData>();
    game.m_pScenario->m_pEvents = new CZREventsData();
    game.m_pScenario->m_pEvents->m_nGameStartTime = 930;
    game.AddMessage("Ann has joined the game", -1, kMsgEvent, 0, kSenderSystem);
    EXPECT_EQ(game.m_log.m_messages.aLines.back().strText, "0930 :  Ann has joined the game");
}

TEST_F(MessageLogTest, LongTextIsCutToOneLine)
{
    CGame& game = MakeGame(false);
    game.AddMessage(std::string(600, 'q'), -1, kMsgChat, 0, kSenderSystem);
    size_t total = 0;
    for (const auto& l : game.m_log.m_messages.aLines)
        total += l.strText.size();
    EXPECT_LE(total, kLogLineMax);
}

TEST_F(MessageLogTest, TrimmingDropsOldestHalf)
{
    CMessageLog log;
    for (int i = 0; i < 1499; ++i)
        log.WriteAAREvent({"line " + std::to_string(i)}, "", 0, kMsgEvent, kSenderSystem, true, false, 0);
    EXPECT_EQ(log.m_messages.Count(), 1499);
    EXPECT_EQ(log.m_messages.nScroll, 1499);
    log.WriteAAREvent({"last"}, "", 0, kMsgEvent, kSenderSystem, true, false, 0);
    EXPECT_EQ(log.m_messages.Count(), 750);
    EXPECT_EQ(log.m_messages.nScroll, 750);
    EXPECT_EQ(log.m_messages.aLines.front().strText, "line 750");
    EXPECT_EQ(log.m_events.Count(), 750);
    for (int i = 0; i < 1500; ++i)
        log.WriteAAREvent({"r"}, "review", 0, kMsgReview, kSenderSystem, false, false, 0);
    EXPECT_EQ(log.m_aReview.size(), 750u);
    EXPECT_LE(log.m_nReviewScroll, 750);
}

TEST_F(MessageLogTest, PageOfLargestPanel)
{
    CMessageLog log;
    for (int i = 0; i < 50; ++i)
        log.WriteAAREvent({std::to_string(i)}, "", 0, kMsgChat, kSenderSystem, true, false, 0);
    auto view = log.FillView(39, false);
    ASSERT_EQ(view.size(), 39u);
    EXPECT_EQ(view.front().strText, "11");
    EXPECT_EQ(view.back().strText, "49");
    log.m_messages.nScroll = 3;
    EXPECT_EQ(log.FillView(7, false).size(), 3u);
}

TEST_F(MessageLogTest, ScoreChangeWithoutReviewEntryIsIgnored)
{
    CGame& game = MakeGame(false);
    CByteWriter w;
    w.WriteI32(2);
    w.WriteI32(5);
    w.WriteI32(-3);
    w.WriteI32(0);
    w.WriteI32(100);
    w.WriteFixedString("text", 60);
    game.m_uMode |= kModeRunning;
    game.PostGameMessage(kGmScoreChange, w.Bytes(), w.Size());
    EXPECT_TRUE(game.m_log.m_aReview.empty());
}

TEST_F(MessageLogTest, LogFileLinesAndReadBack)
{
    CGame& game = MakeGame(true);
    game.m_uMode |= kModeRunning;
    game.m_nTimeOfDay = 950;
    game.m_bShowHidden = true;
    game.AddMessage("chat line", -1, kMsgChat, 0, kSenderSystem);
    game.AddMessage("fire!", -1, kMsgEvent, 0, kSenderSystem);
    game.AddMessage("secret", -1, kMsgHiddenEvent, 0, kSenderSystem);
    game.AddMessage("Bomb defused", -1, kMsgReview, kColourEvent, kSenderSystem);
    CByteWriter w;
    w.WriteI32(2);
    w.WriteI32(5);
    w.WriteI32(-3);
    w.WriteI32(0);
    w.WriteI32(1200);
    w.WriteFixedString("Defuse, bonus", 60);
    game.PostGameMessage(kGmScoreChange, w.Bytes(), w.Size());
    ASSERT_EQ(game.m_log.m_aReview.size(), 1u);
    EXPECT_EQ(game.m_log.m_aReview[0].rec.nZR, 5);
    EXPECT_EQ(game.m_log.m_aReview[0].rec.strScoreText, "Defuse, bonus");

    const std::string expected = "Msg,Black,Single Player:  chat line\n"
                                 "Event,Red,0950 :  fire!\n"
                                 "Hidden Event,Red,H 0950 :  secret\n"
                                 "AAR Event,Red,Bomb defused\n"
                                 "Score,Defuse, bonus,0950 , ZR, +5, Safety, -3, Media, +0, Cost, +1200, \n";
    const auto path = m_dir / "ZR-Log.txt";
    EXPECT_EQ(ReadText(path), expected);

    ASSERT_TRUE(game.LoadAAREvents(path.string()));
    EXPECT_EQ(game.m_log.m_messages.Count(), 3);
    EXPECT_EQ(game.m_log.m_messages.aLines[0].nKind, kMsgChat);
    EXPECT_EQ(game.m_log.m_messages.aLines[0].crColour, kColourOwnInPlay);
    EXPECT_EQ(game.m_log.m_messages.aLines[2].nKind, kMsgHiddenEvent);
    EXPECT_EQ(game.m_log.m_events.Count(), 2); // hidden events show in the events view after a reload
    ASSERT_EQ(game.m_log.m_aReview.size(), 1u);
    const CReviewRecord& rec = game.m_log.m_aReview[0].rec;
    EXPECT_EQ(game.m_log.m_aReview[0].strText, "Bomb defused");
    EXPECT_EQ(rec.nTime, 950);
    EXPECT_EQ(rec.nZR, 5);
    EXPECT_EQ(rec.nSafety, -3);
    EXPECT_EQ(rec.nMedia, 0);
    EXPECT_EQ(rec.nCost, 1200);
    // The file is open for appending again.
    game.AddMessage("after", -1, kMsgChat, 0, kSenderSystem);
    EXPECT_EQ(ReadText(path), expected + "Msg,Black,Single Player:  after\n");
}

TEST_F(MessageLogTest, ReadBackSkipsMalformedLines)
{
    CMessageLog log;
    log.LoadAAREventsFromText("garbage\n"
                              "Msg,Black\n"
                              "AAR Event,Red,first\n"
                              "Event,Red,not a score line\n"
                              "AAR Event,Red,second\n"
                              "Score,x,abc , ZR, +1, Safety, +2, Media, +3, Cost, +4, \n"
                              "Unknown,Red,text\n" +
                              std::string(5000, 'z') +
                              "\n"
                              "msg,black,ok\n");
    ASSERT_EQ(log.m_aReview.size(), 2u);
    EXPECT_EQ(log.m_aReview[0].strText, "first");
    EXPECT_EQ(log.m_aReview[1].rec.nZR, 0); // malformed score line: the entry keeps zeros
    ASSERT_EQ(log.m_messages.Count(), 2);
    EXPECT_EQ(log.m_messages.aLines[0].strText, "not a score line");
    EXPECT_EQ(log.m_messages.aLines[1].strText, "ok");
}

} // namespace

namespace {

TEST_F(MessageLogTest, InPlayLinesWrapToTheHudPanelWidth)
{
    CGame& game = MakeGame(false);
    game.InitDisplay(nullptr);
    game.m_uMode |= kModeSingle;
    ASSERT_TRUE(game.StartScenario());
    ASSERT_TRUE(game.m_pHUD);
    std::string text;
    for (int i = 0; i < 20; ++i)
        text += "incident ";
    const int lines = game.AddMessage(text, -1, kMsgChat, 0, kSenderSystem);
    EXPECT_GE(lines, 2);
    for (const auto& l : game.m_log.m_messages.aLines)
        EXPECT_LT(game.m_pHUD->MeasureMessageText(l.strText), game.m_pHUD->MessagePanelWidth());
}

} // namespace
