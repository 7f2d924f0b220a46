// The info box ("Info.txt" entries, panels by kind, the Done button, modal) and the message box (fonts, OK/Cancel).
#include "core/display/CDisplay.h"
#include "game/screens/boxes/Boxes.h"
#include "support/DisplayFixtures.h"
#include "tests/game/screens/briefing/ScreenDemo.h"

namespace {

TEST(InfoEntries, HeadingsKindsAndParagraphs)
{
    const std::string text = "@001N the first line is skipped\n"
                             "@002N Patrol Officers\r\n"
                             "Two officers.\r\n"
                             "Agency: Police.\r\n"
                             "@012S Tall Box\n"
                             "Twelve.\n"
                             "@013b Big Box\n"
                             "@014X\n"
                             "@1x5N Broken heading\n";
    struct Case {
        int id;
        bool found;
        int panel;
        const char* title;
        const char* body;
    };
    const Case cases[] = {
        {1, false, 0, "", ""},
        {2, true, 0, "Patrol Officers", "       Two officers.\n\n       Agency: Police."},
        {12, true, 2, "Tall Box", "       Twelve."},
        {13, true, 1, "Big Box", ""},
        {14, true, 0, "", ""},
        {15, false, 0, "", ""},
        {99, false, 0, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        CInfoEntry entry;
        ASSERT_EQ(FindInfoEntry(text, c.id, entry), c.found);
        if (!c.found)
            continue;
        EXPECT_EQ(entry.nPanel, c.panel);
        EXPECT_EQ(entry.strTitle, c.title);
        EXPECT_EQ(entry.strText, c.body);
    }
    CInfoEntry entry;
    ASSERT_TRUE(FindInfoEntry("head\n@003N Long\n" + std::string(40000, 'x') + "\n", 3, entry));
    EXPECT_EQ(entry.strText.size(), 16000u);
}

class BoxesTest : public ScreenDemo {};

TEST_F(BoxesTest, InfoBoxIsModalAndClosesOnDone)
{
    CInfoBox box(Base(), Display());
    box.ShowInfo(1);
    ASSERT_TRUE(box.m_bShown);
    EXPECT_EQ(box.m_strTitle, "Patrol Officers");
    // The demo's "MainBox.bmp" (620 x 400) at (90, 100) and a 72 x 26 button.
    EXPECT_EQ(box.PanelRect().right, 710);
    EXPECT_EQ(box.m_done.x, 90 + 620 - 72 - 15);
    EXPECT_EQ(box.m_done.y, 115);
    EXPECT_FALSE(box.OnMouse(1, 50, 50, 1)) << "outside the panel";
    EXPECT_TRUE(box.OnMouse(1, 300, 300, 1));
    EXPECT_TRUE(box.OnMouse(0, box.m_done.x + 2, box.m_done.y + 2, 0)) << "a move over Done";
    EXPECT_TRUE(box.m_bShown);
    EXPECT_TRUE(m_sounds.empty());
    EXPECT_TRUE(box.OnMouse(1, box.m_done.x + 2, box.m_done.y + 2, 1));
    EXPECT_FALSE(box.m_bShown);
    EXPECT_EQ(m_sounds, std::vector<int>{0});
    EXPECT_FALSE(box.OnMouse(1, 300, 300, 1)) << "hidden";
}

TEST_F(BoxesTest, InfoBoxPanelByKindAndMissingEntries)
{
    WriteText(m_dir / "Info.txt", "Entries\n@012S Tall\nText.\n@020B Big\nMore text.\n");
    CInfoBox box(Base(), Display());
    box.ShowInfo(12);
    ASSERT_TRUE(box.m_bShown);
    EXPECT_EQ(box.m_nPanel, 2);
    EXPECT_EQ(box.PanelRect().bottom - box.PanelRect().top, 470); // "MainBox_2X.bmp"
    box.m_bShown = false;
    box.ShowInfo(20);
    EXPECT_EQ(box.m_nPanel, 1);
    EXPECT_EQ(box.PanelRect().left, 75); // "Info_Box.bmp" at (75, 17)
    EXPECT_EQ(box.m_done.y, 17 + 15);

    box.m_bShown = false;
    box.ShowInfo(13);
    EXPECT_FALSE(box.m_bShown) << "no entry 13";
    std::filesystem::remove(m_dir / "Info.txt");
    box.ShowInfo(12);
    EXPECT_FALSE(box.m_bShown) << "no file";
}

TEST_F(BoxesTest, MessageBoxFontsAndButtons)
{
    CMessageBox box(Base(), Display());
    box.ShowMessage(std::string(249, 'a'));
    EXPECT_FALSE(box.UsesSmallFont());
    box.ShowMessage(std::string(250, 'a'));
    EXPECT_TRUE(box.UsesSmallFont());

    ConfirmExit(&box);
    ASSERT_TRUE(box.m_bShown);
    EXPECT_EQ(box.m_strText, "Do you want to exit?");
    const int okX = CMessageBox::kPanelX + 235 + 5, cancelX = CMessageBox::kPanelX + 310 + 20;
    const int y = CMessageBox::kPanelY + 165;
    int result = -1;
    EXPECT_TRUE(box.OnMouse(okX, y, 0, result));
    EXPECT_EQ(box.m_nHover, 1);
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(box.OnMouse(cancelX, y, 2, result)) << "a right click";
    EXPECT_EQ(box.m_nHover, 2);
    EXPECT_TRUE(box.m_bShown);
    EXPECT_TRUE(box.OnMouse(cancelX, y, 1, result));
    EXPECT_EQ(result, 2);
    EXPECT_FALSE(box.m_bShown);
    EXPECT_FALSE(box.OnMouse(okX, y, 1, result));
    EXPECT_EQ(result, 0);
    ConfirmExit(&box);
    box.OnMouse(okX, y, 1, result);
    EXPECT_EQ(result, 1);
}

TEST_F(BoxesTest, ScreenshotOfBothBoxes)
{
    CInfoBox info(Base(), Display());
    CMessageBox message(Base(), Display());
    info.ShowInfo(5);
    ConfirmExit(&message);
    int result = 0;
    message.OnMouse(CMessageBox::kPanelX + 240, CMessageBox::kPanelY + 165, 0, result);
    ASSERT_EQ(Display()->Clear(true), DD_OK);
    CSurface* back = Display()->GetBackBuffer();
    info.Draw(back);
    message.Draw(back);
    ASSERT_EQ(Display()->Present(), DD_OK);
    const platform::PixelSurface& frame = *Display()->GetPrimary()->GetPixels();
    ASSERT_TRUE(fixtures::SaveSurfaceBmp(frame, "boxes_screenshot.bmp"));
    // Dark text on the info panel's title band.
    int ink = 0;
    for (int y = 120; y < 150; ++y)
        for (int x = 100; x < 700; ++x)
            ink += frame.GetPixel(x, y) == platform::ColorRefTo565(0x0A0A0A);
    EXPECT_GT(ink, 20);
}

// The question stands under the message box's title band, not across it.
TEST_F(BoxesTest, TheMessageStaysOffTheTitleBand)
{
    CMessageBox message(Base(), Display());
    ConfirmExit(&message);
    ASSERT_EQ(Display()->Clear(true), DD_OK);
    message.Draw(Display()->GetBackBuffer());
    const platform::PixelSurface& frame = *Display()->GetBackBuffer()->GetPixels();
    // The band: the rows at the panel's centre column above its body colour.
    const int x0 = CMessageBox::kPanelX, y0 = CMessageBox::kPanelY;
    const uint32_t body = frame.GetPixel(x0 + 200, y0 + 100);
    int band = 0;
    while (band < 60 && frame.GetPixel(x0 + 200, y0 + band) != body)
        ++band;
    ASSERT_GT(band, 10);
    ASSERT_LT(band, 60);
    int marked = 0, ink = 0;
    for (int y = y0 + 2; y < y0 + band; ++y)
        for (int x = x0 + 20; x < x0 + 380; ++x)
            marked += frame.GetPixel(x, y) != frame.GetPixel(x0 + 10, y);
    for (int y = y0 + band; y < y0 + 150; ++y)
        for (int x = x0 + 20; x < x0 + 380; ++x)
            ink += frame.GetPixel(x, y) != body;
    EXPECT_EQ(marked, 0);
    EXPECT_GT(ink, 50);
}

} // namespace
