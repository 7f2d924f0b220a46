// Tests of pop-up menus and the widget: line limits, layout inside the screen, hover and click rules, failures.
#include "core/widgets/CPopupMenuView.h"

#include "core/display/CDisplay.h"
#include "core/sound/CSoundManager.h"
#include "platform/system/MessageBox.h"
#include "PopupFixture.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

using fixtures::kEdgeHeight;
using fixtures::kFrameWidth;
using fixtures::kItemHeight;

class PopupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetMessageEcho(false);
        platform::ClearRecordedMessages();
        m_dir = fixtures::TestFolder();
        fixtures::WritePopupFrame(m_dir);
        m_view = std::make_unique<CPopupMenuView>("PopupMenu.txt", &m_display, m_dir.c_str(), &m_sound);
        ASSERT_TRUE(m_view->IsUsable());
    }
    void TearDown() override
    {
        m_view.reset();
        platform::SetMessageEcho(true);
    }

    // How often a sound file was loaded to play (the fake keeps samples playing, so each play loads anew).
    int Plays(const char* file) const
    {
        const auto& calls = m_backend.Calls();
        return static_cast<int>(std::count(calls.begin(), calls.end(), std::string("load Sounds/") + file));
    }

    std::string m_dir;
    CDisplay m_display{nullptr, 800, 600, 16, 0, true};
    platform::FakeSoundBackend m_backend;
    CSoundManager m_sound{"Sounds", &m_backend};
    std::unique_ptr<CPopupMenuView> m_view;
};

} // namespace

TEST(PopupMenu, AddItemLimits)
{
    CPopupMenu menu(0, true);
    EXPECT_EQ(menu.AddItem(std::string(99, 'x').c_str(), 1), 0);
    EXPECT_EQ(menu.AddItem(std::string(100, 'x').c_str(), 2), -1);
    EXPECT_EQ(menu.AddItem(nullptr, 3), -1);
    for (int i = 1; i < 20; ++i)
        EXPECT_EQ(menu.AddItem("Line", i), i);
    EXPECT_EQ(menu.AddItem("Twenty-first", 21), -1);
    EXPECT_EQ(menu.GetCount(), 20);
    EXPECT_EQ(menu.GetItem(19)->nValue, 19);
    EXPECT_EQ(menu.GetItem(0)->dwFlags, 0u);
}

TEST(PopupMenu, FlagsAndRefusedIndexes)
{
    CPopupMenu menu(1, false);
    menu.AddItem("Move", 10);
    menu.AddItem("Assault", 11);
    EXPECT_EQ(menu.SetChecked(0, true), POPUP_ITEM_CHECKED);
    EXPECT_EQ(menu.SetChecked(0, false), 0u);
    menu.SetEnabled(1, false);
    EXPECT_EQ(menu.SetChecked(1, true), POPUP_ITEM_DISABLED); // a disabled line keeps its check state
    menu.SetEnabled(1, true);
    EXPECT_EQ(menu.GetItem(1)->dwFlags, 0u);
    for (int bad : {-1, -2, 2, 20, 1000}) {
        EXPECT_EQ(menu.GetItem(bad), nullptr) << bad;
        EXPECT_EQ(menu.SetChecked(bad, true), 0u) << bad;
        menu.SetEnabled(bad, false);
    }
    EXPECT_EQ(menu.GetItem(2), nullptr);
    EXPECT_EQ(menu.GetItem(0)->dwFlags | menu.GetItem(1)->dwFlags, 0u);
}

TEST_F(PopupTest, FrameSizesComeFromTheBitmaps)
{
    EXPECT_EQ(m_view->GetFrameWidth(), kFrameWidth);
    EXPECT_EQ(m_view->GetEdgeHeight(), kEdgeHeight);
    EXPECT_EQ(m_view->GetItemHeight(), kItemHeight);
    EXPECT_TRUE(platform::RecordedMessages().empty());
}

TEST_F(PopupTest, OpenKeepsTheMenuInsideTheScreen)
{
    CPopupMenu menu(0, true);
    for (int i = 0; i < 4; ++i)
        menu.AddItem("Line", i); // height 2 x 10 + 4 x 20 = 100
    struct Case {
        int x, y, drawnX, drawnY;
    } cases[] = {{790, 590, 650, 500}, {10, 20, 10, 20}, {650, 500, 650, 500}, {651, 501, 650, 500}};
    for (const Case& c : cases) {
        ASSERT_TRUE(m_view->Open(&menu, c.x, c.y));
        EXPECT_EQ(menu.GetX(), c.drawnX);
        EXPECT_EQ(menu.GetY(), c.drawnY);
        EXPECT_EQ(menu.GetRequestedX(), c.x);
        EXPECT_EQ(menu.GetHeight(), 100);
        EXPECT_EQ(menu.GetWidth(), kFrameWidth);
    }
    EXPECT_FALSE(m_view->Open(nullptr, 0, 0));
    EXPECT_NE(menu.GetItem(3)->pSurface, nullptr);
}

// A line too long for the frame widens the menu, its ends drawn from the frame's; short menus keep the frame.
TEST_F(PopupTest, ALongLineWidensTheMenuToHoldIt)
{
    CPopupMenu menu(1, true);
    menu.AddItem("Short", 0);
    menu.AddItem("Dispatch Hazardous Materials Team - 12 RP(s) (On Call)", 1);
    ASSERT_TRUE(m_view->Open(&menu, 700, 100));
    ASSERT_TRUE(m_view->Render());
    EXPECT_GT(menu.GetWidth(), kFrameWidth + 100);
    EXPECT_EQ(menu.GetX() + menu.GetWidth(), 800) << "kept inside the screen";
    const platform::PixelSurface& line = *menu.GetItem(0)->pSurface->GetPixels();
    ASSERT_EQ(line.Width(), menu.GetWidth());
    // The border column of the frame stands at both ends of the wide line; the check box at its left.
    EXPECT_EQ(line.GetPixel(0, 2), line.GetPixel(line.Width() - 1, 2));
    EXPECT_NE(line.GetPixel(0, 2), line.GetPixel(line.Width() / 2, 2));
    EXPECT_NE(line.GetPixel(7, 10), line.GetPixel(line.Width() / 2, 10));
    // The long line's text reaches beyond the frame's width, its last characters inside the line.
    const platform::PixelSurface& wide = *menu.GetItem(1)->pSurface->GetPixels();
    int inkBeyond = 0;
    for (int y = 0; y < kItemHeight; ++y)
        for (int x = kFrameWidth; x < wide.Width() - 12; ++x)
            inkBeyond += wide.GetPixel(x, y) != wide.GetPixel(wide.Width() - 5, y);
    EXPECT_GT(inkBeyond, 50);

    CPopupMenu narrow(0, true);
    narrow.AddItem("OK", 0);
    ASSERT_TRUE(m_view->Open(&narrow, 10, 10));
    EXPECT_EQ(narrow.GetWidth(), kFrameWidth);
}

TEST_F(PopupTest, MouseMovesPickTheHoverLine)
{
    CPopupMenu menu(0, true);
    menu.AddItem("Move", 1);
    menu.AddItem("Defuse Bomb", 2);
    menu.AddItem("Search", 3);
    menu.SetEnabled(1, false);
    EXPECT_FALSE(m_view->OnMouseMove(120, 115, 0)); // nothing open
    ASSERT_TRUE(m_view->Open(&menu, 100, 100));
    EXPECT_FALSE(m_view->OnMouseMove(120, 115, 0)); // open but not rendered yet
    ASSERT_TRUE(m_view->Render());
    // Lines start at y 110 (edge 10); each is 20 high; x runs 100 to 250 inclusive.
    struct Move {
        int x, y, hover, rollOvers;
    } moves[] = {
        {120, 115, 0, 1}, {130, 129, 0, 1},                     // same line: no second sound
        {120, 135, 1, 1},                                       // disabled line: no sound
        {250, 150, 2, 2}, {251, 150, -1, 2}, {120, 170, -1, 2}, // the row just below the last line is outside
        {100, 110, 0, 3}, {120, 109, -1, 3},
    };
    for (const Move& m : moves) {
        EXPECT_TRUE(m_view->OnMouseMove(m.x, m.y, 0));
        EXPECT_EQ(m_view->GetHoverIndex(), m.hover) << m.x << "," << m.y;
        EXPECT_EQ(Plays("RollOver.wav"), m.rollOvers) << m.x << "," << m.y;
    }
}

TEST_F(PopupTest, MovingWithinALineDoesNotRedraw)
{
    CPopupMenu menu(0, true);
    menu.AddItem("Move", 1);
    menu.AddItem("Search", 2);
    ASSERT_TRUE(m_view->Open(&menu, 100, 100));
    m_view->Render();
    m_view->OnMouseMove(120, 115, 0);
    platform::PixelSurface* line = menu.GetItem(1)->pSurface->GetPixels();
    line->SetPixel(140, 10, 0x1234); // a mark that a redraw would paint over
    m_view->OnMouseMove(125, 118, 0);
    EXPECT_EQ(line->GetPixel(140, 10), 0x1234);
    m_view->OnMouseMove(125, 135, 0);
    EXPECT_EQ(line->GetPixel(140, 10), platform::ColorRefTo565(fixtures::kLineColour));
}

TEST_F(PopupTest, ClickResults)
{
    CPopupMenu menu(1, true);
    menu.AddItem("Move", 40);
    menu.AddItem("Defuse Bomb", 41);
    menu.SetEnabled(1, false);
    EXPECT_EQ(m_view->OnClick(0, 0, 1), -1); // nothing shown
    ASSERT_TRUE(m_view->Open(&menu, 100, 100));
    m_view->Render();
    struct Click {
        int hoverY, kind, result;
        bool shownAfter;
    } clicks[] = {
        {115, 3, -1, true},  // another kind: not the widget's
        {135, 1, -3, true},  // disabled line: refused, stays open though the menu closes after a choice
        {115, 1, 40, false}, // chosen: value, and hidden
        {115, 2, -2, false}, // dismissed
        {300, 1, -2, false}, // no hover line
    };
    for (const Click& c : clicks) {
        m_view->Render(); // shows it again
        m_view->OnMouseMove(120, c.hoverY, 0);
        EXPECT_EQ(m_view->OnClick(0, 0, c.kind), c.result) << c.kind << " at " << c.hoverY;
        EXPECT_EQ(m_view->IsShown(), c.shownAfter) << c.kind << " at " << c.hoverY;
    }
    EXPECT_EQ(Plays("No.wav"), 1);
    EXPECT_EQ(Plays("Click.wav"), 3);
    EXPECT_EQ(m_view->OnClick(0, 0, 1), -1); // hidden now
}

TEST_F(PopupTest, FreshMenuIgnoresTheHoverOfThePreviousOne)
{
    CPopupMenu big(0, false), small(0, false);
    for (int i = 0; i < 5; ++i)
        big.AddItem("Line", 100 + i);
    small.AddItem("Only", 7);
    ASSERT_TRUE(m_view->Open(&big, 100, 100));
    m_view->Render();
    m_view->OnMouseMove(120, 110 + 4 * kItemHeight + 5, 0);
    ASSERT_EQ(m_view->GetHoverIndex(), 4);
    ASSERT_TRUE(m_view->Open(&small, 400, 400));
    m_view->Render();
    EXPECT_EQ(m_view->GetHoverIndex(), -1);
    EXPECT_EQ(m_view->OnClick(0, 0, 1), -2);
    // An empty menu is only its edges: every click dismisses.
    CPopupMenu empty(0, false);
    ASSERT_TRUE(m_view->Open(&empty, 0, 0));
    EXPECT_EQ(empty.GetHeight(), 2 * kEdgeHeight);
    m_view->Render();
    m_view->OnMouseMove(10, 10, 0);
    EXPECT_EQ(m_view->OnClick(10, 10, 1), -2);
}

TEST(PopupFrameList, NamesAreTheFirstWordsOfTheLines)
{
    std::string names[6];
    const std::string good = "  a.bmp comment\n\nb.bmp\r\nc.bmp x\nd.bmp\ne.bmp\nf.bmp\nignored.bmp\n";
    ASSERT_TRUE(ParsePopupFrameList(good.data(), good.size(), names));
    EXPECT_EQ(names[0], "a.bmp");
    EXPECT_EQ(names[1], "b.bmp");
    EXPECT_EQ(names[5], "f.bmp");
    const std::string shortList = "a\nb\nc\nd\ne\n";
    EXPECT_FALSE(ParsePopupFrameList(shortList.data(), shortList.size(), names));
    const std::string longName = std::string(260, 'n') + "\nb\nc\nd\ne\nf\n";
    EXPECT_FALSE(ParsePopupFrameList(longName.data(), longName.size(), names));
    EXPECT_FALSE(ParsePopupFrameList("", 0, names));
}

TEST_F(PopupTest, MissingListOrBitmapMakesTheViewRefuseToOpen)
{
    CPopupMenu menu(0, true);
    menu.AddItem("Move", 1);
    platform::ClearRecordedMessages();
    CPopupMenuView noList("NoSuchList.txt", &m_display, m_dir.c_str(), &m_sound);
    EXPECT_FALSE(noList.IsUsable());
    ASSERT_EQ(platform::RecordedMessages().size(), 1u);
    EXPECT_EQ(platform::RecordedMessages()[0].title, "Failed to open file:");
    EXPECT_EQ(platform::RecordedMessages()[0].text, m_dir + "/GUI/NoSuchList.txt");
    EXPECT_EQ(platform::RecordedMessages()[0].icon, platform::MessageIcon::Error);
    EXPECT_FALSE(noList.Open(&menu, 0, 0));
    EXPECT_FALSE(noList.Render());
    EXPECT_FALSE(noList.OnMouseMove(5, 15, 0));
    EXPECT_EQ(noList.OnClick(5, 15, 1), -1);

    std::filesystem::remove(m_dir + "/GUI/PopLine.bmp");
    platform::ClearRecordedMessages();
    CPopupMenuView noLine("PopupMenu.txt", &m_display, m_dir.c_str(), &m_sound);
    EXPECT_FALSE(noLine.IsUsable());
    ASSERT_EQ(platform::RecordedMessages().size(), 1u);
    EXPECT_EQ(platform::RecordedMessages()[0].text, " Couldn't load " + m_dir + "/GUI/PopLine.bmp\n");
    EXPECT_FALSE(noLine.Open(&menu, 0, 0));
    EXPECT_EQ(menu.GetItem(0)->pSurface, nullptr);
}
