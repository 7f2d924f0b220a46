// Event trigger engine: notification kinds, delays, chance, repeats, chains, authority and the saved block.
#include "EngineFixture.h"

#include "core/util/ByteStream.h"

namespace {

// One notification kind: the condition it concerns, a report that makes it hold and one that does not.
struct KindCase {
    const char* name;
    std::function<CZRCondition*()> condition;
    std::function<void(CEventEngine&, FakeSquad&, FakeSquad&)> hit;
    std::function<void(CEventEngine&, FakeSquad&, FakeSquad&)> miss;
};

void PrintTo(const KindCase& c, std::ostream* os)
{
    *os << c.name;
}

class NotifyKinds : public EngineTest, public ::testing::WithParamInterface<KindCase> {};

TEST_P(NotifyKinds, FiresOnItsReportOnly)
{
    const KindCase& c = GetParam();
    AddZone(3, 0, 0, 64, 64);
    FakeSquad& fire = AddSquad(1, 5, 10, 10);
    FakeSquad& threat = AddSquad(6, 9, 500, 500);
    m_host.mapInRange[Handle(fire)] = Handle(threat);
    AddTrigger(1, {c.condition()});
    AddEvent(10, {1});
    Start();

    c.miss(m_engine, fire, threat);
    EXPECT_TRUE(m_host.aReports.empty()) << c.name;
    c.hit(m_engine, fire, threat);
    EXPECT_EQ(m_host.ReportedIds(), std::vector<int32_t>{10}) << c.name;
    EXPECT_TRUE(m_data.m_lstEvents.front()->m_bHasBeenExecuted);
}

const KindCase kKindCases[] = {
    {"time", [] { return TimeAtOrAfter(930); },
     [](CEventEngine& e, FakeSquad&, FakeSquad&) { e.Notify(kNotifyMinute, nullptr, 930, 0, 0); },
     [](CEventEngine& e, FakeSquad&, FakeSquad&) { e.Notify(kNotifyMinute, nullptr, 929, 0, 0); }},
    {"location", [] { return InZone(3, 1); },
     [](CEventEngine& e, FakeSquad& s, FakeSquad&) {
         s.info.fX = 20.7f;
         e.Notify(kNotifySquadMoved, Handle(s), 0, 0, 0);
     },
     [](CEventEngine& e, FakeSquad& s, FakeSquad&) {
         s.info.fX = 100;
         e.Notify(kNotifySquadMoved, Handle(s), 0, 0, 0);
     }},
    {"unit", [] { return UnitActivated(2, 3); },
     [](CEventEngine& e, FakeSquad&, FakeSquad&) { e.Notify(kNotifyUnitActivated, nullptr, 2, 3, 0); },
     [](CEventEngine& e, FakeSquad&, FakeSquad&) { e.Notify(kNotifyUnitActivated, nullptr, 3, 2, 0); }},
    {"action started", [] { return Action(11, true, 1); },
     [](CEventEngine& e, FakeSquad& s, FakeSquad&) { e.Notify(kNotifyActionStarted, Handle(s), 11, 0, 0); },
     [](CEventEngine& e, FakeSquad& s, FakeSquad&) { e.Notify(kNotifyActionEnded, Handle(s), 11, 0, 0); }},
    {"action ended", [] { return Action(11, false); },
     [](CEventEngine& e, FakeSquad& s, FakeSquad&) { e.Notify(kNotifyActionEnded, Handle(s), 11, 0, 0); },
     [](CEventEngine& e, FakeSquad& s, FakeSquad&) { e.Notify(kNotifyActionEnded, Handle(s), 12, 0, 0); }},
    {"proximity", [] { return Proximity(1, 5, 4, 1 << 6); },
     [](CEventEngine& e, FakeSquad&, FakeSquad& t) { e.Notify(kNotifySquadMoved, Handle(t), 0, 0, 0); },
     [](CEventEngine& e, FakeSquad&, FakeSquad&) { e.Notify(kNotifyMinute, nullptr, 930, 0, 0); }},
    {"iap", [] { return IAPOccurred(); },
     [](CEventEngine& e, FakeSquad&, FakeSquad&) { e.Notify(kNotifyIAP, nullptr, 1, 0, 0); },
     [](CEventEngine& e, FakeSquad&, FakeSquad&) { e.Notify(kNotifyIAP, nullptr, 0, 0, 0); }},
    {"environment", [] { return Environment(1); },
     [](CEventEngine& e, FakeSquad&, FakeSquad&) { e.Notify(kNotifyEnvironment, nullptr, 1, 20, 20); },
     [](CEventEngine& e, FakeSquad&, FakeSquad&) { e.Notify(kNotifyEnvironment, nullptr, 0, 20, 20); }},
};

INSTANTIATE_TEST_SUITE_P(Kinds, NotifyKinds, ::testing::ValuesIn(kKindCases), [](const auto& info) {
    std::string name = info.param.name;
    for (char& ch : name)
        ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
    return name;
});

TEST_F(EngineTest, ProximityMatchMakesNamedSquadCurrentAndTargetsTheOther)
{
    FakeSquad& fire = AddSquad(1, 5);
    FakeSquad& threat = AddSquad(6, 9);
    m_host.mapInRange[Handle(fire)] = Handle(threat);
    AddTrigger(1, {Proximity(1, 5, 4, 1 << 6)});
    CZRResult* result = new CZRResult();
    result->m_abEquipAgency[1] = true;
    fire.bOnNode = true;
    AddEvent(10, {1}, result);
    Start();
    m_engine.Notify(kNotifySquadMoved, Handle(threat), 0, 0, 0);
    EXPECT_EQ(m_engine.GetTargetSquad(), Handle(threat));
    // The equipment goes to the named squad, which became the current one.
    EXPECT_EQ(m_host.aCalls, std::vector<std::string>{"equip 5"});
}

TEST_F(EngineTest, DownOrCompliantThreatMovesAreIgnored)
{
    AddZone(3, 0, 0, 64, 64);
    FakeSquad& down = AddSquad(1, 5, 10, 10);
    down.info.nHealthState = 3;
    FakeSquad& subdued = AddSquad(6, 2, 10, 10);
    subdued.info.uFlags = 0x100;
    AddTrigger(1, {InZone(3)});
    AddEvent(10, {1});
    Start();
    m_engine.Notify(kNotifySquadMoved, Handle(down), 0, 0, 0);
    m_engine.Notify(kNotifySquadMoved, Handle(subdued), 0, 0, 0);
    EXPECT_TRUE(m_host.aReports.empty());
}

TEST_F(EngineTest, EnvironmentStoresWhereAndTellsIt)
{
    AddTrigger(1, {Environment(3)});
    CZRResult* result = new CZRResult();
    AddEvent(10, {1}, result);
    AddTrigger(2, {Environment(0)});
    AddEvent(11, {2}, new CZRResult());
    Start();
    m_engine.Notify(kNotifyEnvironment, nullptr, 3, 20, 20);
    m_engine.Notify(kNotifyEnvironment, nullptr, 0, 464, 32);
    ASSERT_EQ(m_host.aReports.size(), 2u);
    EXPECT_EQ(m_host.aReports[0].strText, "A gas leak was discovered at the incident site. Event 10.");
    EXPECT_EQ(m_host.aReports[1].strText, "An explosion has occurred 100 meters East of the incident site. Event 11.");
    // The event's own text is restored after the report.
    EXPECT_EQ(m_data.m_lstEvents.front()->m_strEventText, "Event 10.");
}

TEST(IncidentSentence, AtTheSiteOrAway)
{
    EXPECT_EQ(IncidentSentence(4, true, 0, 0), "A water leak was discovered at the incident site. ");
    EXPECT_EQ(IncidentSentence(2, false, 30, 3),
              "An electrical hazard was discovered 30 meters SouthWest of the incident site. ");
    EXPECT_EQ(IncidentSentence(1, false, 0, 7), "A fire has started 0 meters NorthEast of the incident site. ");
    EXPECT_EQ(IncidentSentence(7, true, 0, 0), "");
    EXPECT_EQ(IncidentSentence(-1, false, 10, 0), "");
}

// --- delays ------------------------------------------------------------------------------------------------------

TEST_F(EngineTest, DelayOf75MinutesFrom0950FiresAt1105AndCleansUp)
{
    AddTrigger(1, {TimeAtOrAfter(950)});
    CZREvent* event = AddEvent(10, {1});
    event->m_nDelayResultFrom = 75;
    event->m_nDelayResultTo = 75;
    Start();
    Minute(950);
    int32_t id = 0, due = 0;
    ASSERT_TRUE(m_engine.GetDelay(event, id, due));
    EXPECT_EQ(due, 1105);
    EXPECT_TRUE(event->m_bIsDelayed);
    EXPECT_EQ(event->m_vTrigger.size(), 2u);
    EXPECT_NE(m_data.FindArgument(static_cast<uint32_t>(id)), nullptr);
    Minutes(951, 1104);
    EXPECT_TRUE(m_host.aReports.empty());
    Minute(1105);
    EXPECT_EQ(m_host.ReportedIds(), std::vector<int32_t>{10});
    EXPECT_FALSE(event->m_bIsDelayed);
    EXPECT_EQ(event->m_vTrigger, std::vector<uint32_t>{1});
    EXPECT_EQ(m_data.FindArgument(static_cast<uint32_t>(id)), nullptr);
    EXPECT_EQ(m_data.m_mapArguments.size(), 1u);
    EXPECT_TRUE(m_engine.GetTriggers(CEventEngine::kListTime).size() == 1u);
    Minutes(1106, 1110);
    EXPECT_EQ(m_host.aReports.size(), 1u);
}

TEST_F(EngineTest, DelayAcrossMidnightFires)
{
    AddTrigger(1, {TimeAtOrAfter(2350)});
    CZREvent* event = AddEvent(10, {1});
    event->m_nDelayResultFrom = 10;
    event->m_nDelayResultTo = 30;
    CScriptedRandom draws({10}); // 10 + 10 = 20 minutes
    Start();
    Minute(2350);
    Minutes(2351, 9);
    EXPECT_TRUE(m_host.aReports.empty());
    Minute(10);
    EXPECT_EQ(m_host.ReportedIds(), std::vector<int32_t>{10});
}

TEST_F(EngineTest, DelayStartedByASquadWaitsInTheTimeList)
{
    AddZone(3, 0, 0, 64, 64);
    FakeSquad& squad = AddSquad(1, 5, 10, 10);
    AddTrigger(1, {InZone(3)});
    CZREvent* event = AddEvent(10, {1});
    event->m_nDelayResultFrom = 2;
    event->m_nDelayResultTo = 2;
    Start();
    Minute(1000);
    m_engine.Notify(kNotifySquadMoved, Handle(squad), 0, 0, 0);
    EXPECT_TRUE(m_host.aReports.empty());
    EXPECT_EQ(m_engine.GetDependents(CEventEngine::kListTime), std::vector<CZREvent*>{event});
    Minute(1001);
    EXPECT_TRUE(m_host.aReports.empty());
    // The squad has left the zone; the pending delay alone decides.
    Minute(1002);
    EXPECT_EQ(m_host.ReportedIds(), std::vector<int32_t>{10});
    EXPECT_TRUE(m_engine.GetDependents(CEventEngine::kListTime).empty());
}

// --- chance, repeats and chains ----------------------------------------------------------------------------------

TEST_F(EngineTest, ChanceIsRolledOnceAtStart)
{
    struct Case {
        int32_t chance;
        int draw;
        bool fires;
        int draws;
    };
    const Case cases[] = {{0, 0, false, 1}, {50, 49, true, 1}, {50, 50, false, 1}, {100, 99, true, 0}};
    for (const Case& c : cases) {
        CZREventsData data;
        auto* trigger = new CZRArgument(false);
        trigger->m_nUniqueID = 1;
        trigger->m_nBaseFlags = 0x1;
        trigger->m_vConditions.push_back(TimeAtOrAfter(900));
        data.m_mapArguments[1] = trigger;
        auto* event = new CZREvent(false);
        event->m_nUniqueID = 10;
        event->m_nChanceOfResult = c.chance;
        event->m_vTrigger = {1};
        data.m_lstEvents.push_back(event);
        FakeEngineHost host;
        CEventEngine engine(&host);
        CScriptedRandom draws({c.draw});
        engine.Start(&data);
        EXPECT_EQ(draws.Draws(), c.draws) << c.chance;
        engine.Notify(kNotifyMinute, nullptr, 900, 0, 0);
        EXPECT_EQ(host.aReports.size(), c.fires ? 1u : 0u) << c.chance << " draw " << c.draw;
    }
}

TEST_F(EngineTest, RepeatableFiresEveryMinuteOthersOnceEvenWithTwoTimeTriggers)
{
    AddTrigger(1, {TimeAtOrAfter(900)});
    AddTrigger(2, {TimeAtOrAfter(900)});
    AddEvent(10, {1, 2});
    CZREvent* repeat = AddEvent(11, {1});
    repeat->m_bRepeatableEvent = true;
    Start();
    EXPECT_EQ(m_engine.GetDependents(CEventEngine::kListTime).size(), 2u);
    Minutes(900, 902);
    EXPECT_EQ(m_host.ReportedIds(), (std::vector<int32_t>{10, 11, 11, 11}));
    EXPECT_EQ(m_engine.GetDependents(CEventEngine::kListTime), std::vector<CZREvent*>{repeat});
}

TEST_F(EngineTest, EventOccurredChainsFollowInOneNotification)
{
    AddTrigger(1, {TimeAtOrAfter(900)});
    AddEvent(10, {1});
    AddTrigger(2, {EventOccurred(10)});
    AddEvent(11, {2});
    AddTrigger(3, {EventOccurred(11)});
    AddEvent(12, {3});
    AddTrigger(4, {EventOccurred(12, false), TimeAtOrAfter(905)});
    AddEvent(13, {4});
    Start();
    Minute(900);
    // The whole chain follows in the same notification.
    EXPECT_EQ(m_host.ReportedIds(), (std::vector<int32_t>{10, 11, 12}));
    // "12 has not occurred" no longer holds.
    Minute(905);
    EXPECT_EQ(m_host.aReports.size(), 3u);
}

TEST_F(EngineTest, LocationHoldsForOneNotificationOnly)
{
    AddZone(3, 0, 0, 64, 64);
    FakeSquad& squad = AddSquad(1, 5, 10, 10);
    AddTrigger(1, {InZone(3, 1, 5)});
    AddTrigger(2, {TimeAtOrAfter(1000)});
    AddEvent(10, {1, 2});
    Start();
    m_engine.Notify(kNotifySquadMoved, Handle(squad), 0, 0, 0);
    Minute(1000);
    EXPECT_TRUE(m_host.aReports.empty());
    m_engine.Notify(kNotifySquadMoved, Handle(squad), 0, 0, 0);
    EXPECT_EQ(m_host.ReportedIds(), std::vector<int32_t>{10});
}

TEST_F(EngineTest, NothingWithoutAuthorityOrInTheFrontEndOrWhileAGameIsSent)
{
    AddTrigger(1, {TimeAtOrAfter(900)});
    AddEvent(10, {1});
    Start();
    m_host.bAuthority = false;
    Minute(900);
    m_host.bAuthority = true;
    m_host.uMode = 0x8;
    Minute(900);
    m_host.uMode = 0x400000;
    Minute(900);
    EXPECT_TRUE(m_host.aReports.empty());
    m_host.uMode = 0x2000;
    Minute(900);
    EXPECT_EQ(m_host.aReports.size(), 1u);
}

TEST_F(EngineTest, AReportMadeByAResultIsHandledAfterTheOneInHand)
{
    FakeSquad& squad = AddSquad(1, 5, 10, 10);
    AddTrigger(1, {TimeAtOrAfter(900)});
    CZRResult* order = new CZRResult();
    order->m_nSquadAgency = 1;
    order->m_nSquadID = 5;
    order->m_nOrderID = 11;
    AddEvent(10, {1}, order);
    AddTrigger(2, {Action(11, true)});
    AddEvent(11, {2});
    m_host.fnOnOrder = [&] { m_engine.Notify(kNotifyActionStarted, Handle(squad), 11, 0, 0); };
    Start();
    Minute(900);
    EXPECT_EQ(m_host.ReportedIds(), (std::vector<int32_t>{10, 11}));
}

TEST_F(EngineTest, BombCountdownRolledOnceAtStart)
{
    CZRResult* bomb = new CZRResult();
    bomb->m_nHazardKind = 7;
    bomb->m_nBlowBombFrom = 10;
    bomb->m_nBlowBombTo = 20;
    AddEvent(10, {}, bomb);
    CZRResult* fixed = new CZRResult();
    fixed->m_nHazardKind = 7;
    fixed->m_nBlowBombFrom = 10;
    fixed->m_nBlowBombTo = 10;
    AddEvent(11, {}, fixed);
    CScriptedRandom draws({3, 99});
    Start();
    EXPECT_EQ(bomb->m_nBlowBombFrom, 13);
    EXPECT_EQ(fixed->m_nBlowBombFrom, 10);
    EXPECT_EQ(draws.Draws(), 1);
}

TEST_F(EngineTest, ZonesSnapToTilesAtStart)
{
    CTacticalMapZone* zone = AddZone(3, 40, 40, 70, 70);
    Start();
    EXPECT_EQ(zone->m_rcBoundingBox.left, 32);
    EXPECT_EQ(zone->m_rcBoundingBox.right, 95);
}

// --- saved block -------------------------------------------------------------------------------------------------

// Event 10 waits 30 minutes after 0950; event 11 needs a latched unit with a time, and 2000; 12 fires at 0900.
void BuildSaveScenario(CEngineRig& rig)
{
    rig.AddTrigger(1, {TimeAtOrAfter(950)});
    CZREvent* delayed = rig.AddEvent(10, {1});
    delayed->m_nDelayResultFrom = 30;
    delayed->m_nDelayResultTo = 30;
    rig.AddTrigger(2, {UnitActivated(1, 4), TimeAtOrAfter(940)});
    rig.AddTrigger(3, {TimeAtOrAfter(2000)});
    rig.AddEvent(11, {2, 3});
    rig.AddTrigger(4, {TimeAtOrAfter(900)});
    rig.AddEvent(12, {4});
}

using EngineSaveTest = EngineTest;

TEST_F(EngineSaveTest, RoundTripKeepsExecutedDelaysAndLatchedConditions)
{
    BuildSaveScenario(*this);
    Start();
    Minute(950);
    m_engine.Notify(kNotifyUnitActivated, nullptr, 1, 4, 0);
    ASSERT_EQ(m_host.ReportedIds(), std::vector<int32_t>{12});
    ASSERT_TRUE(m_data.FindArgument(2)->m_bState);
    CByteWriter out;
    m_engine.Save(out);
    // Three events, the four triggers and the delay's.
    EXPECT_EQ(out.Size(), 4u + 3 * 14 + 4 + 5 * 5);

    // The same scenario loaded afresh, then the block.
    CEngineRig fresh;
    fresh.Install();
    BuildSaveScenario(fresh);
    fresh.Start();
    CByteReader in(out.Bytes(), out.Size());
    ASSERT_TRUE(fresh.m_engine.Load(in));
    CZREvent* delayed = fresh.m_data.m_lstEvents.front();
    CZREvent* done = fresh.m_data.m_lstEvents.back();
    EXPECT_TRUE(done->m_bHasBeenExecuted);
    const auto& timeList = fresh.m_engine.GetDependents(CEventEngine::kListTime);
    EXPECT_EQ(std::find(timeList.begin(), timeList.end(), done), timeList.end());
    int32_t id = 0, due = 0;
    ASSERT_TRUE(fresh.m_engine.GetDelay(delayed, id, due));
    EXPECT_EQ(due, 1020);
    // The unit condition held when the game was saved; only the trigger's state was stored, and it still
    // holds when the time condition is evaluated again.
    fresh.Minute(1020);
    EXPECT_EQ(fresh.m_host.ReportedIds(), std::vector<int32_t>{10});
    fresh.Minute(2000);
    EXPECT_EQ(fresh.m_host.ReportedIds(), (std::vector<int32_t>{10, 11}));
    ResetConditionHooks();
}

TEST_F(EngineSaveTest, ShortOrOversizedBlocksFailCleanly)
{
    BuildSaveScenario(*this);
    Start();
    CByteWriter out;
    m_engine.Save(out);
    for (size_t cut : {size_t{0}, size_t{3}, size_t{4 + 14 + 5}, out.Size() - 1}) {
        CByteReader in(out.Bytes(), cut);
        EXPECT_FALSE(m_engine.Load(in)) << cut;
    }
    // A count far beyond the bytes left is refused before anything is read.
    CByteWriter huge;
    huge.WriteI32(0x7FFFFFFF);
    huge.WriteI32(10);
    CByteReader in(huge.Bytes(), huge.Size());
    EXPECT_FALSE(m_engine.Load(in));
    CByteWriter negative;
    negative.WriteI32(-1);
    CByteReader in2(negative.Bytes(), negative.Size());
    EXPECT_FALSE(m_engine.Load(in2));
}

TEST_F(EngineSaveTest, RestoreAfterLoadRereadsEventAndUnitConditions)
{
    AddTrigger(1, {EventOccurred(10)});
    AddEvent(11, {1});
    AddTrigger(2, {UnitActivated(3, 2)});
    AddEvent(12, {2});
    AddEvent(10, {});
    Start();
    m_data.m_lstEvents.back()->m_bHasBeenExecuted = true;
    m_host.nActiveSection = 3;
    m_host.nActiveUnit = 2;
    m_engine.RestoreAfterLoad();
    EXPECT_TRUE(m_data.FindArgument(1)->m_bState);
    EXPECT_TRUE(m_data.FindArgument(2)->m_bState);
}

} // namespace
