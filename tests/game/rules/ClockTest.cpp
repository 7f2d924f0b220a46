// Scenario clock: HHMM arithmetic, minute announcements, steps and cost accrual.
#include "game/rules/Scoring.h"
#include "core/util/ByteStream.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(TimeHHMM, AddAndSubtractWithCarriesAndBorrows)
{
    struct Case {
        int32_t a, b, sum, difference;
    };
    const Case cases[] = {
        {950, 25, 1015, 925},   {2350, 20, 2410, 2330},  {959, 1, 1000, 958},  {1005, 950, 1955, 15},
        {0, 0, 0, 0},           {45, 45, 130, 0},        {1000, 1, 1001, 959}, {100, 59, 159, 1},
        {930, 1000, 1930, -70}, {1230, 130, 1400, 1100},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AddTimeHHMM(c.a, c.b), c.sum) << c.a << " + " << c.b;
        EXPECT_EQ(SubtractTimeHHMM(c.a, c.b), c.difference) << c.a << " - " << c.b;
    }
    EXPECT_EQ(HHMMToMinutes(1105), 665);
    EXPECT_EQ(MinutesToHHMM(75), 115);
    EXPECT_EQ(MinutesBetween(950, 1105), 75);
    EXPECT_EQ(MinutesBetween(2350, 10), 20); // the next day
}

class ClockHost : public IScoringHost {
public:
    void NotifyMinute(int32_t time) override { aMinutes.push_back(time); }
    void StepWorld(int32_t) override { ++nWorldSteps; }
    void StepSquads() override { ++nSquadSteps; }
    void MoveSquads(uint32_t) override { aMoves.push_back("squads"); }
    void MoveWorld(uint32_t) override { aMoves.push_back("world"); }
    float GetCostFactor() const override { return fFactor; }
    float GetActiveUnitsCost() const override { return fUnits; }

    std::vector<int32_t> aMinutes;
    std::vector<std::string> aMoves;
    int nWorldSteps = 0;
    int nSquadSteps = 0;
    float fFactor = 1.0f;
    float fUnits = 0.0f;
};

class ClockTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_scoring.SetHost(&m_host);
        CScoring::SetLastAnnouncedMinute(0);
    }
    void Steps(int count)
    {
        for (int i = 0; i < count; ++i)
            m_scoring.GameStep(0);
    }

    ClockHost m_host;
    CScoring m_scoring;
};

TEST_F(ClockTest, Start0930AnnouncesAtTheFirstStepThenEveryThirty)
{
    m_scoring.SetStart(930);
    Steps(1);
    EXPECT_EQ(m_host.aMinutes, std::vector<int32_t>{930});
    Steps(28);
    EXPECT_EQ(m_host.aMinutes.size(), 1u);
    Steps(1);
    EXPECT_EQ(m_host.aMinutes, (std::vector<int32_t>{930, 931}));
    EXPECT_EQ(m_host.nWorldSteps, 30);
    EXPECT_EQ(m_host.nSquadSteps, 30);
}

TEST_F(ClockTest, Start1000InAFreshProgramFirstAnnounces1001)
{
    m_scoring.SetStart(1000);
    Steps(29);
    EXPECT_TRUE(m_host.aMinutes.empty());
    EXPECT_EQ(m_scoring.GetCurrentTime(), 1000);
    Steps(1);
    EXPECT_EQ(m_host.aMinutes, std::vector<int32_t>{1001});
}

TEST_F(ClockTest, HourRollsOverAndMidnightWraps)
{
    m_scoring.SetStart(959);
    Steps(31);
    EXPECT_EQ(m_host.aMinutes, (std::vector<int32_t>{959, 1000}));

    ClockHost host;
    CScoring late;
    late.SetHost(&host);
    late.SetStart(2350);
    for (int i = 0; i < 20 * 30 + 1; ++i)
        late.GameStep(0);
    EXPECT_EQ(late.GetCurrentTime(), 10);
    ASSERT_EQ(host.aMinutes.size(), 21u);
    EXPECT_EQ(host.aMinutes[9], 2359);
    EXPECT_EQ(host.aMinutes[10], 0);
    EXPECT_EQ(host.aMinutes.back(), 10);
}

TEST_F(ClockTest, EachScenarioStartsAnnouncingAfresh)
{
    m_scoring.SetStart(930);
    Steps(20 * 30 + 1); // to 0950
    EXPECT_EQ(CScoring::GetLastAnnouncedMinute(), 50);
    m_host.aMinutes.clear();
    // The next scenario starts at 0930: its first minute is announced, not skipped until 0951.
    m_scoring.SetStart(930);
    EXPECT_EQ(m_scoring.GetTickCounter(), 0);
    Steps(1);
    EXPECT_EQ(m_host.aMinutes, std::vector<int32_t>{930});
}

TEST_F(ClockTest, MovementStepMovesSquadsThenTheWorld)
{
    m_scoring.MovementStep(33);
    EXPECT_EQ(m_host.aMoves, (std::vector<std::string>{"squads", "world"}));
}

TEST_F(ClockTest, CostTakesTheFactorAndNeverFallsBelowZero)
{
    m_host.fFactor = 2.0f;
    EXPECT_FLOAT_EQ(m_scoring.AddCost(100.0f), 200.0f);
    EXPECT_FLOAT_EQ(m_scoring.AddCost(-30.0f), 140.0f);
    EXPECT_FLOAT_EQ(m_scoring.AddCost(-500.0f), 0.0f);
    EXPECT_FLOAT_EQ(m_scoring.GetCost(), 0.0f);
}

TEST_F(ClockTest, EachNewMinuteAccruesTheRunningCost)
{
    m_scoring.ParseScoreRules("header\nBase,cost,per hour,,60\n");
    m_host.fUnits = 120.0f;
    m_host.fFactor = 1.5f;
    m_scoring.SetStart(930);
    Steps(1);
    EXPECT_FLOAT_EQ(m_scoring.GetCost(), (120.0f + 60.0f) * 1.5f * 0.0167f);
    Steps(29);
    EXPECT_FLOAT_EQ(m_scoring.GetCost(), 2 * (120.0f + 60.0f) * 1.5f * 0.0167f);
    // A negative running cost stops at 0.
    m_host.fUnits = -1.0e6f;
    Steps(30);
    EXPECT_FLOAT_EQ(m_scoring.GetCost(), 0.0f);
}

TEST_F(ClockTest, ClockStateAndSavedBlockRoundTrip)
{
    m_scoring.SetStart(930);
    Steps(61);
    m_scoring.AddCost(1234.5f);
    m_scoring.AddStat(kStatDebris, 7);
    const auto state = m_scoring.GetClockState();
    EXPECT_EQ(state[0], 61);
    EXPECT_STREQ(reinterpret_cast<const char*>(&state[4]), m_scoring.GetDateText());

    CScoring client;
    client.ApplyClockState(state.data(), state.size());
    EXPECT_EQ(client.GetCurrentTime(), 932);
    EXPECT_EQ(client.GetStartTime(), 930);
    EXPECT_FLOAT_EQ(client.GetCost(), 1234.5f);

    CByteWriter out;
    m_scoring.SaveState(out);
    ASSERT_EQ(out.Size(), kScoringBlockSize);
    CScoring restored;
    CScoring::SetLastAnnouncedMinute(0);
    CByteReader in(out.Bytes(), out.Size());
    ASSERT_TRUE(restored.LoadState(in));
    EXPECT_EQ(restored.GetTickCounter(), 61);
    EXPECT_EQ(restored.GetStat(kStatDebris), 7);
    // The restored minute was announced before saving.
    EXPECT_EQ(CScoring::GetLastAnnouncedMinute(), 32);

    CByteReader shortIn(out.Bytes(), out.Size() - 1);
    CScoring other;
    EXPECT_FALSE(other.LoadState(shortIn));
    EXPECT_EQ(other.GetTickCounter(), 0);
}

} // namespace
