// The art-list reader: rows, colour key, missing files, malformed rows, art beyond 800 x 600, the demo's lists.
#include "core/display/CDisplay.h"
#include "support/DisplayFixtures.h"
#include "tests/game/screens/briefing/ScreenDemo.h"

namespace {

class ArtListTest : public ScreenDemo {
protected:
    // A list in GUI/ with the given rows; bitmaps "W<w>x<h>.bmp" are made as named.
    void WriteList(const std::vector<std::string>& rows)
    {
        std::string text = "Test art,,\nBitmap,X,Y\n";
        for (const std::string& row : rows) {
            text += row + "\n";
            const std::string name = row.substr(0, row.find(','));
            int w = 0, h = 0;
            if (std::sscanf(name.c_str(), "W%dx%d.bmp", &w, &h) == 2) {
                ASSERT_TRUE(fixtures::WriteFile(
                    (m_dir / "GUI" / name).string(),
                    fixtures::MakeBmp24(w, h, [](int x, int) { return x < 2 ? RGB(255, 0, 255) : RGB(20, 40, 60); })));
            }
        }
        WriteText(m_dir / "GUI" / "Test_Art.csv", text);
    }
    std::string LastMessageText() const
    {
        const auto all = platform::RecordedMessages();
        return all.empty() ? std::string() : all.back().text;
    }
    CArtList m_list;
};

TEST_F(ArtListTest, RowsWithPositionsSizesAndKey)
{
    WriteList({"W20x10.bmp,5,7,ignored", "W30x4.bmp,800,600"});
    ASSERT_TRUE(m_list.Load(Display(), Base(), "Test_Art.csv", 2));
    ASSERT_EQ(m_list.Rows().size(), 2u);
    const CArtRow& first = m_list.Row(0);
    EXPECT_EQ(first.x, 5);
    EXPECT_EQ(first.y, 7);
    EXPECT_EQ(first.width, 20);
    EXPECT_EQ(first.height, 10);
    ASSERT_TRUE(first.pSurface);
    EXPECT_TRUE(first.pSurface->HasColorKey());
    EXPECT_EQ(m_list.Row(1).x, 800) << "800 x 600 itself is on the screen";
    EXPECT_FALSE(ScreenFatalPending());
    EXPECT_FALSE(m_list.Row(7).pSurface) << "rows past the list are empty";
}

TEST_F(ArtListTest, FailuresThatAreNotFatal)
{
    EXPECT_FALSE(m_list.Load(Display(), Base(), "Missing_Art.csv", 3));
    EXPECT_TRUE(Shown("Failed to open file:"));
    EXPECT_NE(LastMessageText().find("Missing_Art.csv"), std::string::npos);

    platform::ClearRecordedMessages();
    WriteList({"NoSuch.bmp,1,1", "no commas here", "W4x4.bmp,1,2"});
    EXPECT_FALSE(m_list.Load(Display(), Base(), "Test_Art.csv", 3));
    EXPECT_TRUE(Shown("Failed to open file:"));
    ASSERT_EQ(m_list.Rows().size(), 3u);
    EXPECT_TRUE(m_list.Row(2).pSurface) << "the rows that load are kept";
    EXPECT_FALSE(ScreenFatalPending());

    // A short list says which rows are missing and keeps the ones it has.
    platform::ClearRecordedMessages();
    WriteList({"W4x4.bmp,1,2", "W4x4.bmp,3,4"});
    EXPECT_FALSE(m_list.Load(Display(), Base(), "Test_Art.csv", 5));
    EXPECT_TRUE(Shown("Art loader error"));
    EXPECT_NE(LastMessageText().find("Test_Art.csv: rows 2 to 4 are missing"), std::string::npos);
    EXPECT_TRUE(m_list.Row(1).pSurface);
}

TEST_F(ArtListTest, ArtBeyondTheScreenRaisesTheFatalLatch)
{
    const struct {
        const char* row;
    } cases[] = {{"W4x4.bmp,801,0"}, {"W4x4.bmp,0,601"}, {"W801x4.bmp,0,0"}, {"W4x601.bmp,0,0"}, {"NoSuch.bmp,900,0"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        ClearScreenFatal();
        platform::ClearRecordedMessages();
        WriteList({"W4x4.bmp,0,0", c.row});
        EXPECT_FALSE(m_list.Load(Display(), Base(), "Test_Art.csv", 2));
        EXPECT_TRUE(ScreenFatalPending());
        ASSERT_TRUE(Shown("Art outside the 800 x 600 screen:"));
        // The message names the file and the row.
        bool named = false;
        for (const auto& m : platform::RecordedMessages())
            named = named || (m.text.find("Test_Art.csv, row 1") != std::string::npos);
        EXPECT_TRUE(named);
        EXPECT_FALSE(m_list.Row(1).pSurface);
    }
}

TEST_F(ArtListTest, TheDemoListsLoadWhole)
{
    const struct {
        const char* file;
        int rows;
    } lists[] = {{"Briefing_Art.csv", 14}, {"DeBrief_Art.csv", 63}, {"MPlay_Art.csv", 26}, {"Role_Art.csv", 26},
                 {"IAP_Art.csv", 43},      {"EOC_Art.csv", 40},     {"HUD_Art.csv", 67}};
    for (const auto& l : lists) {
        SCOPED_TRACE(l.file);
        EXPECT_TRUE(m_list.Load(Display(), Base(), l.file, l.rows));
        EXPECT_EQ(m_list.Rows().size(), static_cast<size_t>(l.rows));
        EXPECT_FALSE(ScreenFatalPending());
    }
}

} // namespace
