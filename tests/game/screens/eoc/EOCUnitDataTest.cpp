// The EOC unit data: its lists, factors, activations on the clock, the messages it applies and its saved block.
#include "game/app/Game.h"
#include "game/screens/eoc/EOCUnitData.h"
#include "core/util/ByteStream.h"
#include "tests/game/app/GameFixture.h"

#include <cmath>
#include <cstring>

namespace {

class EOCUnitDataTest : public GameFixture {
protected:
    CEOCUnitData& Data() { return *m_game->m_pEOCUnitData; }
    CGame& SinglePlay()
    {
        CGame& game = MakeGame(false);
        game.m_uMode = kModeSingle | kModeSound | kModeRunning;
        Data().SetSectionChief(0, 0);
        return game;
    }
    // An update that orders units (block `section`) at `time`; chief units take the player id.
    static CEOCUpdate Order(int section, uint32_t mask, int32_t time, int16_t chief = -1)
    {
        CEOCUpdate u;
        u[static_cast<size_t>(section)].uNewOrdered = mask;
        for (int i = 0; i < kUnitsPerSection; ++i) {
            if (mask & (1u << i)) {
                u[static_cast<size_t>(section)].anOrderTime[static_cast<size_t>(i)] = time;
                if (section == 0 && i < kChiefUnits)
                    u[0].anChief[static_cast<size_t>(i)] = chief;
            }
        }
        return u;
    }
    void PostRP(int32_t section, float amount)
    {
        CByteWriter w;
        w.WriteI32(section);
        w.WriteFloat(amount);
        Data().ApplyResourcePoints(w.Bytes(), w.Size());
    }
    std::string List(int rows, const std::string& predecessor = "-1")
    {
        std::string text = "title\nheader\n,,,\n";
        for (int i = 0; i < rows; ++i)
            text += "Unit " + std::to_string(i) + ",L" + std::to_string(i) + ",note," + std::to_string(10 + i) +
                    ",20," + std::to_string(i + 1) + "," + predecessor + ",3,7," + std::to_string(100 + i) + ",end\n";
        return text;
    }
};

TEST_F(EOCUnitDataTest, StartsWithTheZoranthActiveAndTwentyPercentEach)
{
    CEOCUnitData d;
    EXPECT_EQ(d.m_aSections[0].uActivated, 1u);
    EXPECT_EQ(d.m_aSections[0].nChief, 0);
    EXPECT_EQ(d.m_aSections[0].bChiefActive, 1);
    for (int s = 1; s < kSections; ++s) {
        EXPECT_EQ(d.m_aSections[static_cast<size_t>(s)].nChief, -1);
        EXPECT_EQ(d.m_aSections[static_cast<size_t>(s)].nAllocation, 20);
        EXPECT_EQ(d.m_aSections[static_cast<size_t>(s)].uActivated, 0u);
    }
    EXPECT_EQ(d.GetSquadFactor(3, 0), 1.0f);
    EXPECT_EQ(d.GetCostFactor(), 1.0f);
}

TEST_F(EOCUnitDataTest, UnitListReadsAtMostTwentyEightRows)
{
    CEOCUnitData d;
    d.ParseUnitList(List(30), 1);
    EXPECT_STREQ(d.Unit(1, 27).szName, "Unit 27");
    EXPECT_STREQ(d.Unit(1, 0).szLabel, "L0");
    EXPECT_EQ(d.Unit(1, 5).nX, 15);
    EXPECT_EQ(d.Unit(1, 5).nY, 20);
    EXPECT_EQ(d.Unit(1, 5).nCost, 6);
    EXPECT_EQ(d.Unit(1, 5).nDescription, 3);
    EXPECT_EQ(d.Unit(1, 5).nActivationMinutes, 7);
    EXPECT_EQ(d.Unit(1, 5).nInfoTextId, 105);
    EXPECT_EQ(d.Unit(1, 5).nIndex, 5);
    EXPECT_STREQ(d.Unit(2, 0).szName, ""); // other sections untouched
}

TEST_F(EOCUnitDataTest, PredecessorCellsAreLineNumbers)
{
    struct Case {
        const char* cell;
        int32_t expected;
    } cases[] = {{"6", 2}, {"4", 0},   {"", -1},   {"x", -1},
                 {"0", 0}, {"-1", -1}, {"99", -1}, {"5", -1}}; // "5": the unit itself
    for (const Case& c : cases) {
        CEOCUnitData d;
        d.ParseUnitList(List(2, c.cell), 0);
        EXPECT_EQ(d.Unit(0, 1).nPredecessor, c.expected) << "cell '" << c.cell << "'";
        // Cells after an unreadable one keep their cleared values.
        if (std::string(c.cell).empty()) {
            EXPECT_EQ(d.Unit(0, 1).nInfoTextId, 0);
        }
    }
}

TEST_F(EOCUnitDataTest, EmptyNameEndsTheList)
{
    CEOCUnitData d;
    d.ParseUnitList("t\nh\n,\nA,a,n,1,1,1,-1,1,1,1\n,,,,,\nB,b,n,1,1,1,-1,1,1,1\n", 3);
    EXPECT_STREQ(d.Unit(3, 0).szName, "A");
    EXPECT_STREQ(d.Unit(3, 1).szName, "");
    EXPECT_STREQ(d.Unit(3, 2).szName, "");
    EXPECT_EQ(d.Unit(3, 1).nPredecessor, -1);
    EXPECT_EQ(d.Unit(3, 2).nIndex, 2);
}

TEST_F(EOCUnitDataTest, MissingListIsReportedAndKeepsDefaults)
{
    MakeGame(false);
    platform::ClearRecordedMessages();
    CEOCUnitData d;
    EXPECT_FALSE(d.LoadUnitList(m_dir.string(), "nope.csv", 0));
    EXPECT_FALSE(d.LoadUnitFactors(m_dir.string(), "nope.csv"));
    ASSERT_EQ(platform::RecordedMessages().size(), 2u);
    EXPECT_EQ(platform::RecordedMessages()[0].title, "Failed to open file");
    EXPECT_STREQ(d.Unit(0, 0).szName, "");
}

TEST_F(EOCUnitDataTest, FactorRowWithEmptyNameEndsTheFile)
{
    std::string text = "t\nh\n,\n";
    text += ",Zoranth,Command,110,100,100,100,100,100,100,100,100,100,100,100,100,100,95,1,2,3,end\n";
    text += ",PIO,Command,50,100,100,100,100,100,100,100,100,100,100,100,100,100,100,0,0,0,end\n";
    text += ",,Command,10,10,10,10,10,10,10,10,10,10,10,10,10,10,10,9,9,9,end\n";
    text += ",Later,Command,10,10,10,10,10,10,10,10,10,10,10,10,10,10,10,9,9,9,end\n";
    CEOCUnitData d;
    d.ParseUnitFactors(text);
    EXPECT_FLOAT_EQ(d.Factors(0, 0)[0], 1.1f);
    EXPECT_FLOAT_EQ(d.Factors(0, 0)[14], 0.95f);
    EXPECT_FLOAT_EQ(d.Factors(0, 0)[15], 1.0f); // 15-17 stay as read
    EXPECT_FLOAT_EQ(d.Factors(0, 1)[0], 0.5f);
    for (int s = 0; s < kSections; ++s) {
        const int first = s == 0 ? 2 : 0;
        for (int u = first; u < kUnitsPerSection; ++u) {
            EXPECT_FLOAT_EQ(d.Factors(s, u)[0], 1.0f) << s << "/" << u;
            EXPECT_FLOAT_EQ(d.Factors(s, u)[16], 0.0f) << s << "/" << u;
        }
    }
}

TEST_F(EOCUnitDataTest, ActiveUnitsMultiplyTheSquadFactors)
{
    CEOCUnitData d;
    std::string text = "t\nh\n,\n";
    for (int u = 0; u < kUnitsPerSection; ++u)
        text += ",C,Command,100,100,100,100,100,100,100,100,100,100,100,100,100,100,100,0,0,0\n";
    // Operations unit 0: f0 120, f1 130, f5 150, f6 200, f12 50, f14 90.
    text += ",Ops,Operations,120,130,100,100,100,150,200,100,100,100,100,100,50,100,90,0,0,0\n";
    d.ParseUnitFactors(text);
    d.m_aSections[1].uActivated = 1;
    d.ApplyAllActiveFactors();
    EXPECT_FLOAT_EQ(d.GetSquadFactor(2, 0), 1.2f);
    EXPECT_FLOAT_EQ(d.GetSquadFactor(3, 1), 1.2f);
    EXPECT_FLOAT_EQ(d.GetSquadFactor(4, 4), 1.3f);
    EXPECT_FLOAT_EQ(d.GetSquadFactor(9, 0), 1.5f);
    EXPECT_FLOAT_EQ(d.GetSquadFactor(10, 0), 2.0f);
    EXPECT_FLOAT_EQ(d.GetSquadFactor(44, 0), 2.0f);
    EXPECT_FLOAT_EQ(d.GetSquadFactor(7, 0), 0.5f);
    EXPECT_FLOAT_EQ(d.GetCostFactor(), 0.9f);
    // Squad types 2 and above 4, and indexes outside the table, take no factor.
    EXPECT_EQ(d.GetSquadFactor(2, 2), 1.0f);
    EXPECT_EQ(d.GetSquadFactor(2, 5), 1.0f);
    EXPECT_EQ(d.GetSquadFactor(45, 0), 1.0f);
    // Asking again (both screens do at start) does not apply the unit twice.
    d.ApplyAllActiveFactors();
    EXPECT_FLOAT_EQ(d.GetSquadFactor(2, 0), 1.2f);
}

TEST_F(EOCUnitDataTest, AnUpdateThatActivatesAUnitAppliesItsFactorsOnce)
{
    // What a client receives as message 43 applies the unit's factors as the authority did.
    CEOCUnitData d;
    std::string text = "t\nh\n,\n";
    for (int u = 0; u < kUnitsPerSection; ++u)
        text += ",C,Command,100,100,100,100,100,100,100,100,100,100,100,100,100,100,100,0,0,0\n";
    text += ",Ops,Operations,120,100,100,100,100,100,100,100,100,100,100,100,100,100,100,0,0,0\n";
    d.ParseUnitFactors(text);
    CEOCUpdate update{};
    update[1].uNewActivated = 1;
    d.ApplyUnitUpdate(update);
    EXPECT_FLOAT_EQ(d.GetSquadFactor(2, 0), 1.2f);
    // The same activation again (a repeat) changes nothing.
    d.ApplyUnitUpdate(update);
    EXPECT_FLOAT_EQ(d.GetSquadFactor(2, 0), 1.2f);
}

TEST_F(EOCUnitDataTest, ChiefOrderedAtNineFiftyFiveForTenMinutesIsActiveAtTenOhFive)
{
    CGame& game = SinglePlay();
    Data().Unit(0, 1).nActivationMinutes = 10;
    Data().ApplyUnitUpdate(Order(0, 0x2, 955, 0));
    EXPECT_EQ(Data().m_aSections[1].bChiefOrdered, 1);
    EXPECT_EQ(Data().m_aSections[1].nChief, 0);
    EXPECT_EQ(Data().Unit(0, 1).nOrderTime, 955);
    EXPECT_FALSE(Data().Tick(1004));
    EXPECT_EQ(game.GetLocalRoleFlags() & 0x2000, 0u);
    ASSERT_TRUE(Data().Tick(1005));
    CEOCUpdate update;
    ASSERT_TRUE(DecodeUpdate(Data().UpdateRecord().data(), kUnitUpdateSize, update));
    EXPECT_EQ(update[0].uNewActivated, 0x2u);
    EXPECT_NE(game.GetLocalRoleFlags() & 0x2000, 0u);
    game.PostGameMessage(kGmUnitUpdate, Data().UpdateRecord().data(), kUnitUpdateSize);
    EXPECT_EQ(Data().m_aSections[1].bChiefActive, 1);
    EXPECT_EQ(Data().m_aSections[0].uActivated, 0x3u);
    EXPECT_EQ(CountPosts(kGmUnitUpdate), 1);
    EXPECT_FALSE(Data().Tick(1006));
}

TEST_F(EOCUnitDataTest, UnitsActivateOnlyUnderAnActiveChief)
{
    SinglePlay();
    Data().Unit(2, 3).nActivationMinutes = 5;
    Data().ApplyUnitUpdate(Order(2, 0x8, 1000));
    EXPECT_EQ(Data().m_aSections[2].uOrdered, 0x8u);
    EXPECT_FALSE(Data().Tick(1100)); // Planning has no chief yet
    Data().m_aSections[2].bChiefActive = 1;
    EXPECT_TRUE(Data().Tick(1005));
    Data().ApplyUnitUpdate(Data().UpdateRecord().data(), kUnitUpdateSize);
    EXPECT_EQ(Data().m_aSections[2].uActivated, 0x8u);
    EXPECT_EQ(Data().GetActivationTime(2, 3), 1005);
    EXPECT_EQ(Data().GetActivationTime(2, 4), 0);
}

// Delays are minutes: 100 of them from 0930 come due at 1110, and the activation time says the same.
TEST_F(EOCUnitDataTest, DelaysOfAnHourOrMoreAreMinutes)
{
    SinglePlay();
    Data().m_aSections[1].bChiefActive = 1;
    Data().Unit(1, 0).nActivationMinutes = 100;
    Data().ApplyUnitUpdate(Order(1, 0x1, 930));
    EXPECT_FALSE(Data().Tick(1030));
    EXPECT_FALSE(Data().Tick(1109));
    ASSERT_TRUE(Data().Tick(1110));
    Data().ApplyUnitUpdate(Data().UpdateRecord().data(), kUnitUpdateSize);
    EXPECT_EQ(Data().GetActivationTime(1, 0), 1110);
    EXPECT_EQ(UnitActivationDue(2350, 15), 2405);
}

TEST_F(EOCUnitDataTest, AnOrderAcrossMidnightComesDue)
{
    SinglePlay();
    Data().m_aSections[1].bChiefActive = 1;
    Data().Unit(1, 0).nActivationMinutes = 10;
    Data().ApplyUnitUpdate(Order(1, 0x1, 2355));
    EXPECT_FALSE(Data().Tick(2359));
    EXPECT_FALSE(Data().Tick(4));
    EXPECT_TRUE(Data().Tick(5));
}

TEST_F(EOCUnitDataTest, AnActivatedUnitIsNotOrderedAgainAndCommittedChiefsStay)
{
    SinglePlay();
    Data().m_aSections[1].uActivated = 0x1;
    Data().ApplyUnitUpdate(Order(1, 0x1, 1200));
    EXPECT_EQ(Data().m_aSections[1].uOrdered, 0u);
    Data().ApplyUnitUpdate(Order(0, 0x4, 1000, 0));
    Data().ApplyUnitUpdate(Order(0, 0x4, 1010, 7));
    EXPECT_EQ(Data().Unit(0, 2).nOrderTime, 1000);
}

TEST_F(EOCUnitDataTest, ResourcePointsFollowTheAllocation)
{
    SinglePlay();
    for (CEOCSection& s : Data().m_aSections)
        s.bChiefActive = 1;
    PostRP(5, 100.0f);
    for (const CEOCSection& s : Data().m_aSections)
        EXPECT_EQ(s.fResourcePoints, 20.0f);
    // Without their chiefs, the shares of sections 1-4 go to Command at Command's percentage.
    CEOCUnitData fresh;
    fresh.m_aSections[0].nAllocation = 30;
    CByteWriter w;
    w.WriteI32(5);
    w.WriteFloat(100.0f);
    fresh.ApplyResourcePoints(w.Bytes(), w.Size());
    EXPECT_FLOAT_EQ(fresh.m_aSections[0].fResourcePoints, 150.0f);
    EXPECT_EQ(fresh.m_aSections[1].fResourcePoints, 0.0f);
}

TEST_F(EOCUnitDataTest, ResourcePointsNeverGoBelowZeroAndBadPayloadsChangeNothing)
{
    SinglePlay();
    PostRP(2, 10.0f);
    PostRP(2, -50.0f);
    EXPECT_EQ(Data().m_aSections[2].fResourcePoints, 0.0f);
    PostRP(2, NAN);
    PostRP(9, 10.0f);
    PostRP(-1, 10.0f);
    const uint8_t shortPayload[4] = {1, 0, 0, 0};
    Data().ApplyResourcePoints(shortPayload, sizeof shortPayload);
    for (const CEOCSection& s : Data().m_aSections)
        EXPECT_EQ(s.fResourcePoints, 0.0f);
}

TEST_F(EOCUnitDataTest, GrantsAreSentOnlyBySinglePlayOrTheHost)
{
    CGame& game = SinglePlay();
    Data().GrantResourcePoints(100.0f);
    EXPECT_EQ(CountPosts(kGmResourcePoints), 1);
    EXPECT_FLOAT_EQ(Data().m_aSections[0].fResourcePoints, 100.0f);
    Data().SendResourcePoints(3, 4.0f);
    EXPECT_FLOAT_EQ(Data().m_aSections[3].fResourcePoints, 4.0f);
    game.m_uMode = kModeNetworked;
    Data().GrantResourcePoints(100.0f);
    EXPECT_EQ(CountPosts(kGmResourcePoints), 2);
}

TEST_F(EOCUnitDataTest, AllocationAndChiefMessagesNeedTheirWholePayload)
{
    CEOCUnitData d;
    CByteWriter plan;
    for (int v : {30, 20, 20, 20, 10, 30, 20, 20, 20, 10})
        plan.WriteI32(v);
    d.ApplyAllocation(plan.Bytes(), plan.Size() - 1);
    EXPECT_EQ(d.m_aSections[0].nAllocation, 20);
    d.ApplyAllocation(plan.Bytes(), plan.Size());
    EXPECT_EQ(d.m_aSections[0].nAllocation, 30);
    EXPECT_EQ(d.m_aSections[4].nAllocation, 10);
    EXPECT_EQ(d.m_aSections[4].nProposed, 10);
    // Values past the plan's caps are clamped; allocations over 100 percent in all are refused.
    struct Case {
        std::vector<int32_t> values;
        int32_t command, operations, proposedOps;
    };
    const Case cases[] = {
        {{90, 10, 0, 0, 0, -5, 200, 0, 0, 0}, 30, 10, 80},
        {{0, 100, 0, 0, 0, 0, 0, 0, 0, 0}, 0, 80, 0},
        {{30, 80, 80, 0, 0, 0, 0, 0, 0, 0}, 0, 80, 0}, // 190 in all: the last plan stays
    };
    for (const auto& c : cases) {
        CByteWriter w;
        for (int32_t v : c.values)
            w.WriteI32(v);
        d.ApplyAllocation(w.Bytes(), w.Size());
        EXPECT_EQ(d.m_aSections[0].nAllocation, c.command);
        EXPECT_EQ(d.m_aSections[1].nAllocation, c.operations);
        EXPECT_EQ(d.m_aSections[1].nProposed, c.proposedOps);
        EXPECT_GE(d.m_aSections[0].nProposed, 0);
    }

    CByteWriter chiefs;
    for (int16_t id : {-1, 4, -1, 6, -1})
        chiefs.WriteI16(id);
    chiefs.WriteZeros(22);
    d.ApplySectionChiefs(chiefs.Bytes(), chiefs.Size());
    EXPECT_EQ(d.m_aSections[0].nChief, 0);
    EXPECT_EQ(d.m_aSections[1].nChief, 4);
    EXPECT_EQ(d.m_aSections[2].nChief, -1);
    EXPECT_EQ(d.m_aSections[3].nChief, 6);
}

TEST_F(EOCUnitDataTest, SavedBlockKeepsItsBytesAndResetsChiefsToPlayerZero)
{
    SinglePlay();
    Data().m_uFacilityFlags = 0x5;
    Data().m_aSections[1] = CEOCSection{0x3, 0x7, 12.5f, 0.0f, 30, 40, 3, 1, 1};
    Data().Unit(1, 2).nOrderTime = 1234;
    CByteWriter out;
    Data().Save(out);
    ASSERT_EQ(out.Size(), CEOCUnitData::kSaveBlockSize);
    ASSERT_EQ(out.Size(), 724u);
    // Placement word, then section 1's record at 4 + 32, then unit (1, 2)'s order time.
    CByteReader peek(out.Bytes(), out.Size());
    uint32_t word = 0, activated = 0;
    peek.ReadU32(word);
    peek.Skip(32);
    peek.ReadU32(activated);
    EXPECT_EQ(word, 0x5u);
    EXPECT_EQ(activated, 0x3u);
    int32_t time = 0;
    std::memcpy(&time, out.Bytes() + 4 + 160 + (28 + 2) * 4, 4);
    EXPECT_EQ(time, 1234);

    CEOCUnitData loaded;
    loaded.Attach(m_game.get());
    CByteReader in(out.Bytes(), out.Size());
    ASSERT_TRUE(loaded.Load(in));
    EXPECT_EQ(loaded.m_uFacilityFlags, 0x5u);
    EXPECT_EQ(loaded.m_aSections[1].uOrdered, 0x7u);
    EXPECT_EQ(loaded.m_aSections[1].nAllocation, 30);
    EXPECT_EQ(loaded.m_aSections[1].nChief, 0); // player 3 becomes player 0
    EXPECT_EQ(loaded.Unit(1, 2).nOrderTime, 1234);
    EXPECT_NE(m_game->GetLocalRoleFlags() & 0x2000, 0u);

    CByteReader shortIn(out.Bytes(), out.Size() - 1);
    CEOCUnitData untouched;
    EXPECT_FALSE(untouched.Load(shortIn));
    EXPECT_EQ(untouched.m_aSections[1].uOrdered, 0u);
}

TEST_F(EOCUnitDataTest, RunningCostCountsActiveUnits)
{
    CEOCUnitData d;
    d.m_fCostPerUnit = 25.0f;
    d.m_aSections[1].uActivated = 0x13;
    EXPECT_FLOAT_EQ(d.GetActiveUnitsCost(), 100.0f); // the Zoranth and three more
}

} // namespace
