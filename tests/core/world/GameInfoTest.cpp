// "GameInfo.txt" by position: blank lines kept, names bounded, bytes that are no text refused, needed lines.
#include "core/world/GameInfo.h"

#include <gtest/gtest.h>

namespace {

TEST(GameInfoTest, LinesByPositionWithBlankLinesKept)
{
    CGameInfo info;
    ASSERT_TRUE(ParseGameInfo("Tiles_8.bmp  small art\r\nTiles_32.bmp\n\nUnits.csv x\n", info));
    EXPECT_EQ(info.aNames[0], "Tiles_8.bmp");
    EXPECT_EQ(info.aNames[1], "Tiles_32.bmp");
    EXPECT_EQ(info.aNames[2], ""); // the blank line keeps its place
    EXPECT_EQ(info.aNames[3], "Units.csv");
    EXPECT_EQ(info.aNames[16], "");
}

TEST(GameInfoTest, OverlongNameIsRefused)
{
    CGameInfo info;
    std::string error;
    EXPECT_FALSE(ParseGameInfo(std::string(300, 'a') + "\n", info, &error));
    EXPECT_NE(error.find("line 1"), std::string::npos);
}

TEST(GameInfoTest, BytesThatAreNoTextAreRefusedByName)
{
    CGameInfo info;
    std::string error;
    for (const std::string& text : {std::string("Tiles_8.bmp\0x\n", 14), std::string("\x01\x02\x03"),
                                    std::string("Tiles_8.bmp\n\x7f\x1b[0m\n")}) {
        EXPECT_FALSE(ParseGameInfo(text, info, &error));
        EXPECT_EQ(error, "GameInfo.txt is not a text file");
    }
    EXPECT_TRUE(ParseGameInfo("T\xe9l\xe9.bmp\tart\f\v\r\n", info, &error)); // other bytes are a name's
    EXPECT_EQ(info.aNames[0], "T\xe9l\xe9.bmp");
}

TEST(GameInfoTest, ANeededLineThatNamesNoFileIsNamed)
{
    CGameInfo info;
    ASSERT_TRUE(ParseGameInfo("a.bmp\n\nc.csv\n", info));
    std::string error;
    EXPECT_TRUE(CheckGameInfoLines(info, {CGameInfo::kTileArtSmall, CGameInfo::kTileTypeList}, &error));
    EXPECT_FALSE(CheckGameInfoLines(info, {CGameInfo::kTileArtSmall, CGameInfo::kTileArtLarge}, &error));
    EXPECT_EQ(error, "GameInfo.txt: line 2 names no file");
    EXPECT_FALSE(CheckGameInfoLines(info, {CGameInfo::kScoreRuleList}, &error));
    EXPECT_EQ(error, "GameInfo.txt: line 17 names no file");
}

} // namespace
