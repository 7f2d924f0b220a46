// The simulation parameters file: every positional field, the end of the terrain table, short and garbled files.
#include "IncidentFixture.h"

#include "core/world/WorldTestSupport.h"

using namespace incidenttest;

namespace {

class ParamsTest : public IncidentTest {};

// A parameters file laid out as the spreadsheet writes it, with the given terrain rows.
std::string ParamsText(const std::string& terrain)
{
    return "Fire simulation,,,,\n"
           "Growth,Band 1,0.5,,\n"
           ",Band 2,1.25,,\n"
           ",Band 3,2.5,,\n"
           ",,,,\n"
           "Thresholds,Band 1,5,,\n"
           ",Band 2,30,,\n"
           ",Band 3,60,,\n"
           ",,,,\n"
           "Spread,Band 1,10,,\n"
           ",Band 2,20,,\n"
           ",Band 3,40,,\n"
           ",,,,\n"
           ",Wind factor,1.5,,\n"
           "Burn out,,20,,\n"
           "Fire batch,,50,,\n"
           ",,,,\n"
           "Reaction,Band 1,5,,\n"
           ",Band 2,10,,\n"
           ",Band 3,15,,\n"
           "Chemicals,,,,\n"
           "Decay 1,,2,,\n"
           "Decay 2,,3,,\n"
           "Flow threshold,,10,,\n"
           "Flow amount,,50,,\n"
           "Flow base,,2.5,,\n"
           ",,,,\n"
           "Spill,Size 0,100,,\n"
           ",Size 1,200,,\n"
           ",Size 2,400,,\n"
           ",,,,\n"
           "Obstruction,0.75,,\n"
           "Flash,10,,\n"
           "Lifetime,300,,\n"
           ",,,,\n"
           "Terrain,Use,Resistance,Flow\n" +
           terrain;
}

bool Read(const std::string& text, CIncidentParams& p, std::string& error)
{
    FILE* f = std::tmpfile();
    std::fwrite(text.data(), 1, text.size(), f);
    std::rewind(f);
    bool ok = ReadIncidentParams(f, p, error);
    std::fclose(f);
    return ok;
}

TEST_F(ParamsTest, EveryPositionalField)
{
    CIncidentParams p;
    std::string error;
    platform::ClearRecordedMessages();
    ASSERT_TRUE(Read(ParamsText("Grass,G,20,5\nWater,W,100,0\nRoad,R,-3,40\n,,,\nLater,L,1,1\n"), p, error)) << error;
    EXPECT_FLOAT_EQ(p.afGrowth[0], 0.5f);
    EXPECT_FLOAT_EQ(p.afGrowth[1], 1.25f);
    EXPECT_FLOAT_EQ(p.afGrowth[2], 2.5f);
    EXPECT_EQ(p.anThreshold[0], 5);
    EXPECT_EQ(p.anThreshold[1], 30);
    EXPECT_EQ(p.anThreshold[2], 60);
    EXPECT_EQ(p.anSpread[0], 10);
    EXPECT_EQ(p.anSpread[1], 20);
    EXPECT_EQ(p.anSpread[2], 40);
    EXPECT_FLOAT_EQ(p.fWindFactor, 1.5f);
    EXPECT_EQ(p.nBurnOutTime, 600);
    EXPECT_EQ(p.nFireBatchSize, 50);
    EXPECT_EQ(p.anReaction[0], 5);
    EXPECT_EQ(p.anReaction[1], 10);
    EXPECT_EQ(p.anReaction[2], 15);
    EXPECT_FLOAT_EQ(p.fSpillDecay1, 0.02f);
    EXPECT_FLOAT_EQ(p.fSpillDecay2, 0.03f);
    EXPECT_FLOAT_EQ(p.fFlowThresholdFactor, 0.1f);
    EXPECT_FLOAT_EQ(p.fFlowAmountFactor, 0.5f);
    EXPECT_FLOAT_EQ(p.fFlowThresholdBase, 2.5f);
    EXPECT_FLOAT_EQ(p.afSpillAmount[0], 100.0f);
    EXPECT_FLOAT_EQ(p.afSpillAmount[1], 200.0f);
    EXPECT_FLOAT_EQ(p.afSpillAmount[2], 400.0f);
    EXPECT_FLOAT_EQ(p.fObstructionFactor, 0.75f);
    EXPECT_EQ(p.nMarkerFlash, 10);
    EXPECT_EQ(p.nMarkerLifetime, 300);
    // The table ends at the first empty second column; later codes keep 100 and 0.
    EXPECT_EQ(p.anResistance[0], 20);
    EXPECT_EQ(p.anFlowWeight[0], 5);
    EXPECT_EQ(p.anResistance[1], 100);
    EXPECT_EQ(p.anResistance[2], 0); // -3 is out of range: clamped, and reported
    EXPECT_EQ(platform::RecordedMessages().size(), 1u);
    EXPECT_EQ(p.anFlowWeight[2], 40);
    EXPECT_EQ(p.anResistance[3], 100);
    EXPECT_EQ(p.anFlowWeight[3], 0);
    EXPECT_EQ(p.anResistance[4], 100);
    EXPECT_EQ(p.anResistance[255], 100);
}

TEST_F(ParamsTest, TableMayRunToTheEndOfTheFileOrToRow256)
{
    CIncidentParams p;
    std::string error;
    ASSERT_TRUE(Read(ParamsText("Grass,G,20,5"), p, error)) << error;
    EXPECT_EQ(p.anResistance[0], 20);
    std::string rows;
    for (int i = 0; i < 300; ++i)
        rows += "T,X," + std::to_string(i % 101) + ",1\n";
    ASSERT_TRUE(Read(ParamsText(rows), p, error)) << error;
    EXPECT_EQ(p.anResistance[255], 255 % 101);
}

TEST_F(ParamsTest, BurnOutTimeIsKeptInTheCounterRange)
{
    CIncidentParams p;
    std::string error;
    std::string text = ParamsText("");
    text.replace(text.find("Burn out,,20"), 12, "Burn out,,5000");
    ASSERT_TRUE(Read(text, p, error)) << error;
    EXPECT_EQ(p.nBurnOutTime, 32767 / 30 * 30);
}

TEST_F(ParamsTest, ShortOrGarbledFileFailsAndChangesNothing)
{
    std::string full = ParamsText("Grass,G,20,5\n");
    std::vector<std::string> bad = {
        "",
        full.substr(0, full.find("Thresholds")),
        full.substr(0, full.find("Obstruction")),
        full.substr(0, full.find(",Band 3,60")),
    };
    std::string garbled = full;
    garbled.replace(garbled.find("Decay 2,,3"), 10, "Decay 2,,x");
    bad.push_back(garbled);
    std::string badRow = full;
    badRow.replace(badRow.find("Grass,G,20,5"), 12, "Grass,G,hot");
    bad.push_back(badRow);
    for (const std::string& text : bad) {
        CIncidentParams p = TestParams();
        std::string error;
        EXPECT_FALSE(Read(text, p, error)) << text.size();
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(p.anThreshold[0], 5);
        EXPECT_EQ(p.anResistance[0], 0); // untouched
    }
}

TEST_F(ParamsTest, LoadParametersReportsAMissingFileAndKeepsZeros)
{
    worldtest::TempFolder folder;
    CIncidentWorld world;
    EXPECT_FALSE(world.LoadParameters(folder.Path(), "FireSim.csv"));
    auto messages = platform::RecordedMessages();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().title, "Failed to open file");
    EXPECT_EQ(world.GetParameters().anThreshold[0], 0);
    folder.Write("FireSim.csv", ParamsText("Grass,G,20,5\n"));
    EXPECT_TRUE(world.LoadParameters(folder.Path(), "FireSim.csv"));
    EXPECT_EQ(world.GetParameters().anThreshold[2], 60);
}

} // namespace
