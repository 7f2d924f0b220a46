// The HUD's text readers: the art-row count, the pop-up menus file and the info-text lists.
#include "game/screens/hud/HUDText.h"

#include <gtest/gtest.h>

namespace {

std::string ArtList(int rows)
{
    std::string text = "HUD art\nName,X,Y\n";
    for (int i = 0; i < rows; ++i)
        text += "Row" + std::to_string(i) + ".bmp,0,448\n";
    return text;
}

TEST(HUDText, ArtRowsCountUpToTheFirstNamelessRow)
{
    EXPECT_EQ(CountArtRows(ArtList(66)), 66);
    EXPECT_EQ(CountArtRows(ArtList(68)), 68);
    EXPECT_EQ(CountArtRows(ArtList(3) + ",0,0\n" + "Late.bmp,0,0\n"), 3);
    EXPECT_EQ(CountArtRows("only a header\n"), 0);
    EXPECT_EQ(CountArtRows(""), 0);
}

TEST(HUDText, MenuSectionsAreNamedWithoutRegardToCase)
{
    struct Case {
        const char* header;
        bool ok;
    } cases[] = {{"@Options", true}, {"@OPTIONS", true}, {"@options", true}, {"@Options \r", true},
                 {"@Option", false}, {"@Tools", false},  {"@", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.header);
        std::array<CHudMenuDef, kHudMenuSlots> menus;
        const bool ok = ParseHudPopupMenus(std::string(c.header) + "\nMark The Map\nPause\n", menus);
        EXPECT_EQ(ok, c.ok);
        if (c.ok) {
            EXPECT_TRUE(menus[kHudMenuOptions].bPresent);
            EXPECT_EQ(menus[kHudMenuOptions].aItems, (std::vector<std::string>{"Mark The Map", "Pause"}));
        }
    }
}

TEST(HUDText, CommentsBlankLinesAndStrayItemsAreNotItems)
{
    const std::string text = "Stray before any section\r\n"
                             "@Command\r\n"
                             "# a comment\r\n"
                             "Incident Action Plan\r\n"
                             "\r\n"
                             "   Emergency Operations Center\r\n"
                             "@Msg Filters\n"
                             "Chat\n"
                             "# another\n"
                             "OK";
    std::array<CHudMenuDef, kHudMenuSlots> menus;
    ASSERT_TRUE(ParseHudPopupMenus(text, menus));
    EXPECT_EQ(menus[kHudMenuCommand].aItems,
              (std::vector<std::string>{"Incident Action Plan", "Emergency Operations Center"}));
    EXPECT_EQ(menus[kHudMenuMsgFilters].aItems, (std::vector<std::string>{"Chat", "OK"}));
    EXPECT_FALSE(menus[kHudMenuFilters].bPresent);
}

TEST(HUDText, InfoTextsStopAtTheFirstLineWithoutTheMark)
{
    auto texts = ParseInfoTexts("@001First\n@002Second\nThird has no mark\n@004Fourth\n", 140);
    EXPECT_EQ(texts, (std::vector<std::string>{"First", "Second"}));

    std::string many;
    for (int i = 1; i <= 141; ++i)
        many += "@000" + std::to_string(i) + "\n";
    texts = ParseInfoTexts(many, 140);
    ASSERT_EQ(texts.size(), 140u);
    EXPECT_EQ(texts.back(), "140");

    // Short lines give empty entries; long ones are cut at 255 characters.
    texts = ParseInfoTexts("@\n@ab\n@001" + std::string(400, 'x') + "\n", 140);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], "");
    EXPECT_EQ(texts[1], "");
    EXPECT_EQ(texts[2], std::string(255, 'x'));
}

} // namespace
