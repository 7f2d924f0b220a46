// Event results: squad orders, hazards, zone flags, Resource Points, equipment and the report with scores.
#include "EngineFixture.h"

namespace {

class ResultTest : public EngineTest {
protected:
    // One event at 0900 carrying `result`.
    CZREvent* EventWith(CZRResult* result)
    {
        AddTrigger(1, {TimeAtOrAfter(900)});
        return AddEvent(10, {1}, result);
    }
    static CZRResult* Order(int32_t agency, int32_t id, int32_t order, int32_t x = -1, int32_t y = -1)
    {
        auto* result = new CZRResult();
        result->m_nSquadAgency = agency;
        result->m_nSquadID = id;
        result->m_nOrderID = order;
        result->m_nOrderX = x;
        result->m_nOrderY = y;
        return result;
    }
    void Fire()
    {
        Start();
        Minute(900);
    }
};

TEST_F(ResultTest, OrdersASquad)
{
    struct Case {
        const char* name;
        int32_t order, x, y, spriteKind;
        uint32_t typeFlags;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"move on foot", 3, 200, 300, 1, 0, {"order 5 3 200,300 flags 2 target -1", "reveal 5"}},
        {"move becomes slow for a vehicle", 3, 200, 300, 4, 0, {"order 5 2 200,300 flags 2 target -1", "reveal 5"}},
        {"own position", 11, -1, 300, 1, 0, {"order 5 11 40,50 flags 0 target -1", "reveal 5"}},
        {"unload targets itself", 18, 1, 1, 4, 0x20000, {"order 5 18 1,1 flags 0 target 5", "reveal 5"}},
        {"board the squad at the point", 19, 7, 8, 1, 0, {"order 5 19 7,8 flags 0 target 6", "reveal 5"}},
        {"hidden stays hidden", 37, 1, 1, 1, 0, {"order 5 37 1,1 flags 0 target -1"}},
    };
    for (const Case& c : cases) {
        CEngineRig rig;
        rig.Install();
        FakeSquad& squad = rig.AddSquad(1, 5, 40.9f, 50.2f);
        squad.info.nSpriteKind = c.spriteKind;
        squad.info.uTypeFlags = c.typeFlags;
        FakeSquad& vehicle = rig.AddSquad(1, 6);
        rig.m_host.pSquadAt = Handle(vehicle);
        rig.AddTrigger(1, {TimeAtOrAfter(900)});
        rig.AddEvent(10, {1}, Order(1, 5, c.order, c.x, c.y));
        rig.Start();
        rig.Minute(900);
        EXPECT_EQ(rig.m_host.aCalls, c.calls) << c.name;
        EXPECT_EQ(rig.m_host.aReports.size(), 1u) << c.name;
    }
}

TEST_F(ResultTest, AFailedOrderKeepsTheEventWaitingWithoutItsOtherEffects)
{
    struct Case {
        const char* name;
        std::function<void(FakeSquad&)> make;
        std::vector<int> draws;
    };
    const Case cases[] = {
        {"incapacitated", [](FakeSquad& s) { s.info.nHealthState = 2; }, {}},
        {"killed", [](FakeSquad& s) { s.info.nHealthState = 3; }, {}},
        {"subdued threat", [](FakeSquad& s) { s.info.nAgency = 6, s.info.uFlags = 0x100; }, {}},
        {"takes only unloading", [](FakeSquad& s) { s.info.uTypeFlags = 0x20000; }, {}},
        {"held, draw too high",
         [](FakeSquad& s) {
             s.bLinked = true;
             s.fHolder = 100;
         },
         {80}},
    };
    for (const Case& c : cases) {
        CEngineRig rig;
        rig.Install();
        FakeSquad& squad = rig.AddSquad(1, 5);
        c.make(squad);
        rig.AddTrigger(1, {TimeAtOrAfter(900)});
        CZRResult* result = Order(squad.info.nAgency, 5, 11);
        result->m_nZRPoints = 40;
        result->m_nHazardKind = 3;
        result->m_nHazardX = 10;
        result->m_nHazardY = 10;
        CZREvent* event = rig.AddEvent(10, {1}, result);
        CScriptedRandom draws;
        for (int d : c.draws)
            draws.Push(d);
        rig.Start();
        rig.Minute(900);
        EXPECT_TRUE(rig.m_host.aCalls.empty()) << c.name;
        EXPECT_TRUE(rig.m_host.aReports.empty()) << c.name;
        EXPECT_FALSE(event->m_bHasBeenExecuted) << c.name;
        // Still waiting: a later minute tries again.
        EXPECT_FALSE(rig.m_engine.GetDependents(CEventEngine::kListTime).empty()) << c.name;
    }
    // A held squad whose draw falls below its holder's health less 20 takes the order.
    CEngineRig rig;
    rig.Install();
    FakeSquad& held = rig.AddSquad(1, 5);
    held.bLinked = true;
    held.fHolder = 100;
    rig.AddTrigger(1, {TimeAtOrAfter(900)});
    rig.AddEvent(10, {1}, Order(1, 5, 11));
    CScriptedRandom draws({79});
    rig.Start();
    rig.Minute(900);
    EXPECT_EQ(rig.m_host.aReports.size(), 1u);
}

TEST_F(ResultTest, AnUnknownSquadFailsTheOrder)
{
    EventWith(Order(1, 99, 3));
    Fire();
    EXPECT_TRUE(m_host.aReports.empty());
}

TEST_F(ResultTest, PlacesHazardsOfEachKindQuietly)
{
    struct Case {
        int32_t kind, value;
        bool hidden;
        const char* call;
    };
    const Case cases[] = {
        {1, 2, false, "explode 64,96 size 2"},
        {1, 9, false, "explode 64,96 size 2"},
        {2, 1, false, "spill 64,96 size 1"},
        {3, 1, false, "fire 64,96 15"},
        {3, 2, false, "fire 64,96 25"},
        {3, 0, false, "fire 64,96 5"},
        {4, 3, true, "object 8 at 64,96 value 3 counter 0 hidden 1"},
        {5, 1, false, "object 9 at 64,96 value 1 counter 0 hidden 0"},
        {6, 2, true, "object 10 at 64,96 value 2 counter 0 hidden 1"},
        {7, 0, false, "object 128 at 64,96 value 0 counter 12 hidden 0"},
        {7, 1, true, "object 128 at 64,96 value 1 counter 12 hidden 1"},
        {7, 5, false, "object 128 at 64,96 value 2 counter 12 hidden 0"},
    };
    for (const Case& c : cases) {
        CEngineRig rig;
        rig.Install();
        auto* result = new CZRResult();
        result->m_nHazardKind = c.kind;
        result->m_nHazardValue = c.value;
        result->m_nHazardX = 64;
        result->m_nHazardY = 96;
        result->m_bHideHazard = c.hidden;
        result->m_nBlowBombFrom = 12;
        rig.AddTrigger(1, {TimeAtOrAfter(900)});
        rig.AddEvent(10, {1}, result);
        rig.Start();
        rig.Minute(900);
        EXPECT_EQ(rig.m_host.aCalls, std::vector<std::string>{c.call}) << c.kind << "/" << c.value;
    }
}

TEST_F(ResultTest, NoHazardWithoutBothCoordinates)
{
    auto* result = new CZRResult();
    result->m_nHazardKind = 3;
    result->m_nHazardX = 64;
    EventWith(result);
    Fire();
    EXPECT_TRUE(m_host.aCalls.empty());
    EXPECT_EQ(m_host.aReports.size(), 1u);
}

TEST_F(ResultTest, FlagsZoneTilesAsOneGroup)
{
    struct Case {
        int32_t connection, flag;
    };
    for (const Case c : {Case{0x20, 1}, Case{0x40, 2}, Case{0x60, 0}, Case{0x21, 1}}) {
        CEngineRig rig;
        rig.Install();
        // Snapped at start to 32..95 x 0..63: two by two tiles.
        rig.AddZone(4, 40, 10, 70, 40);
        auto* result = new CZRResult();
        result->m_nZoneToBeFlagged = 4;
        result->m_nConnectionNodeFlag = c.connection;
        rig.AddTrigger(1, {TimeAtOrAfter(900)});
        rig.AddEvent(10, {1}, result);
        rig.Start();
        rig.Minute(900);
        ASSERT_EQ(rig.m_host.aNodes.size(), 4u);
        const ZoneNode expected[] = {{32, 0, 7, c.flag}, {32, 32, 7, c.flag}, {64, 0, 7, c.flag}, {64, 32, 7, c.flag}};
        for (size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(rig.m_host.aNodes[i].x, expected[i].x);
            EXPECT_EQ(rig.m_host.aNodes[i].y, expected[i].y);
            EXPECT_EQ(rig.m_host.aNodes[i].key, 7);
            EXPECT_EQ(rig.m_host.aNodes[i].flag, c.flag);
        }
        EXPECT_EQ(rig.m_host.aCalls, std::vector<std::string>{"zones sent"});
    }
}

TEST_F(ResultTest, ZoneFlaggingStopsAtAFullBatchAndSkipsUnknownZones)
{
    AddZone(4, 0, 0, 32 * 100, 32 * 100);
    auto* result = new CZRResult();
    result->m_nZoneToBeFlagged = 4;
    result->m_nConnectionNodeFlag = 0x20;
    EventWith(result);
    auto* unknown = new CZRResult();
    unknown->m_nZoneToBeFlagged = 99;
    AddEvent(11, {1}, unknown);
    m_host.nBatchRoom = 150;
    Fire();
    EXPECT_EQ(m_host.aNodes.size(), 150u);
    EXPECT_EQ(m_host.aCalls, std::vector<std::string>{"zones sent"});
    EXPECT_EQ(m_host.aReports.size(), 2u);
}

TEST_F(ResultTest, GrantsResourcePoints)
{
    auto* result = new CZRResult();
    result->m_nZRPoints = 250;
    EventWith(result);
    Fire();
    EXPECT_EQ(m_host.aCalls, std::vector<std::string>{"rp 250"});
}

TEST_F(ResultTest, EquipsTheCurrentSquadOnAnEquipmentNode)
{
    AddZone(3, 0, 0, 64, 64);
    FakeSquad& police = AddSquad(0, 5, 10, 10);
    FakeSquad& fire = AddSquad(1, 6, 10, 10);
    AddTrigger(1, {InZone(3)});
    auto* result = new CZRResult();
    result->m_abEquipAgency[0] = true;
    result->m_nZRPoints = 10;
    CZREvent* event = AddEvent(10, {1}, result);
    Start();
    // A squad of another agency, or one off the node, gets nothing and the event waits, its points ungranted.
    fire.bOnNode = true;
    m_engine.Notify(kNotifySquadMoved, Handle(fire), 0, 0, 0);
    m_engine.Notify(kNotifySquadMoved, Handle(police), 0, 0, 0);
    EXPECT_TRUE(m_host.aCalls.empty());
    EXPECT_FALSE(event->m_bHasBeenExecuted);
    police.bOnNode = true;
    m_engine.Notify(kNotifySquadMoved, Handle(police), 0, 0, 0);
    EXPECT_EQ(m_host.aCalls, (std::vector<std::string>{"equip 5", "rp 10"}));
    EXPECT_TRUE(event->m_bHasBeenExecuted);
    EXPECT_TRUE(police.info.uFlags & 0x40);
}

TEST_F(ResultTest, ReportsScoresAndCostOrZerosWithoutAResult)
{
    auto* result = new CZRResult();
    result->m_bAAREntry = true;
    result->m_anScore[0] = 5;
    result->m_anScore[1] = -3;
    result->m_anScore[2] = 2;
    result->m_nCost = 1500;
    EventWith(result);
    AddEvent(11, {1});
    Fire();
    ASSERT_EQ(m_host.aReports.size(), 2u);
    EXPECT_EQ(m_host.aReports[0].nId, 10);
    EXPECT_EQ(m_host.aReports[0].anScores[0], 5);
    EXPECT_EQ(m_host.aReports[0].anScores[1], -3);
    EXPECT_EQ(m_host.aReports[0].anScores[2], 2);
    EXPECT_EQ(m_host.aReports[0].nCost, 1500);
    EXPECT_EQ(m_host.aReports[1].nCost, 0);
    EXPECT_EQ(m_host.aReports[1].anScores[1], 0);
}

} // namespace
