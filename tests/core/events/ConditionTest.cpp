// Tests of the eight condition kinds: stored forms, old versions, relevance and evaluation, reset, texts, copies.
#include "core/events/ConditionKinds.h"
#include "core/events/ZRArgument.h"

#include "core/events/EventsArchiveTestSupport.h"
#include "support/ByteWriter.h"

#include <functional>

namespace {

using evtest::kSentinel;
using evtest::Load;
using evtest::Store;

class ConditionTest : public evtest::EventsTest {};

// The head of a condition record: the base part (version 1, state, kind), then the kind's version.
ByteWriter CondHead(const char* className, bool state, int kind, int kindVersion)
{
    ByteWriter w;
    w.ObjectHead(0, className).Int16(1).Int8(state ? 1 : 0).Int32(kind).Int16(kindVersion);
    return w;
}

struct StoredCase {
    const char* name;
    std::function<CZRCondition*()> make;
    std::string bytes;
};

std::vector<StoredCase> StoredCases()
{
    return {
        {"time",
         [] {
             auto* c = new CConditionTimeBased();
             c->m_nComparison = 0;
             c->m_nTargetTime = 1430;
             c->m_bState = true;
             return c;
         },
         CondHead("CConditionTimeBased", true, 1, 1).Int32(0).Int32(1430).Bytes()},
        {"event",
         [] {
             auto* c = new CConditionEventBased();
             c->m_nEventID = 12;
             c->m_bWasEventExecuted = false;
             return c;
         },
         CondHead("CConditionEventBased", true, 2, 2).Int32(12).Int8(0).Bytes()},
        {"location",
         [] {
             auto* c = new CConditionLocationBased();
             c->m_nAgency = 1;
             c->m_nLocationMode = 2;
             c->m_nTargetCount = 3;
             c->m_nRefCount = 4;
             c->m_nZoneID = 5;
             c->m_nSquadID = 6;
             return c;
         },
         CondHead("CConditionLocationBased", false, 3, 3)
             .Int32(1)
             .Int32(2)
             .Int32(3)
             .Int32(4)
             .Int32(5)
             .Int32(6)
             .Bytes()},
        {"unit",
         [] {
             auto* c = new CConditionZRUnitActivationBased();
             c->m_nSection = 1;
             c->m_nUnit = 3;
             c->m_bWasUnitActivated = true;
             c->m_bState = true;
             return c;
         },
         CondHead("CConditionZRUnitActivationBased", false, 4, 1).Int32(1).Int32(3).Int8(1).Bytes()},
        {"proximity",
         [] {
             auto* c = new CConditionSquadProximityBased();
             c->m_nAgency = 5;
             c->m_nSquadID = 2;
             c->m_nAction = 7;
             c->m_nTargetAgency = 0x11;
             c->m_bState = true;
             return c;
         },
         CondHead("CConditionSquadProximityBased", true, 5, 1).Int32(5).Int32(2).Int32(7).Int32(0x11).Bytes()},
        {"action",
         [] {
             auto* c = new CConditionActionBased();
             c->m_nAction = 11;
             c->m_nAgency = 1;
             c->m_bActionStatus = false;
             c->m_nSquadID = 4;
             return c;
         },
         CondHead("CConditionActionBased", false, 6, 2).Int32(11).Int32(1).Int8(0).Int32(4).Bytes()},
        {"iap",
         [] {
             auto* c = new CConditionIAPBased();
             c->m_bWasEventExecuted = false;
             return c;
         },
         CondHead("CConditionIAPBased", true, 7, 2).Int8(0).Bytes()},
        {"environment",
         [] {
             auto* c = new CConditionEnvironmentBased();
             c->m_nEffect = 2;
             c->m_bState = true;
             return c;
         },
         CondHead("CConditionEnvironmentBased", false, 8, 2).Int8(1).Int32(2).Bytes()},
    };
}

TEST_F(ConditionTest, StoredFormOfEveryKindAndRoundTrip)
{
    for (const StoredCase& c : StoredCases()) {
        std::unique_ptr<CZRCondition> condition(c.make());
        EXPECT_EQ(Store(condition.get()), c.bytes) << c.name;
        auto loaded = Load<CZRCondition>(c.bytes);
        ASSERT_FALSE(loaded.failed) << c.name << ": " << loaded.reason;
        ASSERT_TRUE(loaded.object) << c.name;
        EXPECT_EQ(loaded.object->GetClassName(), condition->GetClassName());
        EXPECT_EQ(loaded.object->m_nKind, condition->m_nKind);
        EXPECT_EQ(Store(loaded.object.get()), c.bytes) << c.name;
    }
}

TEST_F(ConditionTest, StateAfterLoading)
{
    // Loaded "less than" time starts true; event, unit, IAP and environment states follow their flag.
    auto time = Load<CZRCondition>(CondHead("CConditionTimeBased", false, 1, 1).Int32(0).Int32(930).Bytes());
    EXPECT_TRUE(time.object->m_bState);
    auto event = Load<CZRCondition>(CondHead("CConditionEventBased", false, 2, 2).Int32(12).Int8(0).Bytes());
    EXPECT_TRUE(event.object->m_bState);
    auto unit =
        Load<CZRCondition>(CondHead("CConditionZRUnitActivationBased", true, 4, 1).Int32(0).Int32(1).Int8(1).Bytes());
    EXPECT_FALSE(unit.object->m_bState);
    auto location = Load<CZRCondition>(
        CondHead("CConditionLocationBased", true, 3, 3).Int32(9).Int32(1).Int32(0).Int32(0).Int32(4).Int32(0).Bytes());
    EXPECT_TRUE(location.object->m_bState);
    // A kind number that contradicts the class is replaced by the class's own.
    auto wrongKind = Load<CZRCondition>(CondHead("CConditionIAPBased", false, 3, 2).Int8(1).Bytes());
    EXPECT_EQ(wrongKind.object->m_nKind, kConditionIAP);
}

TEST_F(ConditionTest, OldVersions)
{
    const struct {
        const char* name;
        std::string bytes;
        std::function<void(const CZRCondition&)> check;
    } cases[] = {
        {"event v1", CondHead("CConditionEventBased", false, 2, 1).String("old").Int32(12).Int8(0).Bytes(),
         [](const CZRCondition& c) {
             auto& e = dynamic_cast<const CConditionEventBased&>(c);
             EXPECT_EQ(e.m_nEventID, 12);
             EXPECT_FALSE(e.m_bWasEventExecuted);
             EXPECT_TRUE(e.m_bState);
         }},
        {"location v1",
         CondHead("CConditionLocationBased", false, 3, 1).Int32(1).Int32(2).Int32(3).Int32(4).String("obs").Bytes(),
         [](const CZRCondition& c) {
             auto& l = dynamic_cast<const CConditionLocationBased&>(c);
             EXPECT_EQ(l.m_nAgency, 1);
             EXPECT_EQ(l.m_nLocationMode, 2);
             EXPECT_EQ(l.m_nTargetCount, 3);
             EXPECT_EQ(l.m_nRefCount, 4);
             EXPECT_EQ(l.m_nZoneID, -1);
             EXPECT_EQ(l.m_nSquadID, 0);
         }},
        {"location v2",
         CondHead("CConditionLocationBased", false, 3, 2)
             .Int32(1)
             .Int32(2)
             .Int32(3)
             .Int32(4)
             .String("obs")
             .Int32(5)
             .Int32(6)
             .Bytes(),
         [](const CZRCondition& c) {
             auto& l = dynamic_cast<const CConditionLocationBased&>(c);
             EXPECT_EQ(l.m_nZoneID, 5);
             EXPECT_EQ(l.m_nSquadID, 6);
         }},
        {"action v1", CondHead("CConditionActionBased", true, 6, 1).Int32(11).Int32(1).Int8(0).Bytes(),
         [](const CZRCondition& c) {
             auto& a = dynamic_cast<const CConditionActionBased&>(c);
             EXPECT_EQ(a.m_nAction, 11);
             EXPECT_EQ(a.m_nAgency, 1);
             EXPECT_FALSE(a.m_bActionStatus);
             EXPECT_EQ(a.m_nSquadID, 0);
             EXPECT_TRUE(a.m_bState);
         }},
        {"iap v1", CondHead("CConditionIAPBased", true, 7, 1).String("x").Int8(1).Bytes(),
         [](const CZRCondition& c) {
             auto& i = dynamic_cast<const CConditionIAPBased&>(c);
             EXPECT_TRUE(i.m_bWasEventExecuted);
             EXPECT_FALSE(i.m_bState);
         }},
        {"environment v1", CondHead("CConditionEnvironmentBased", false, 8, 1).String("x").Int8(0).Int32(3).Bytes(),
         [](const CZRCondition& c) {
             auto& e = dynamic_cast<const CConditionEnvironmentBased&>(c);
             EXPECT_FALSE(e.m_bWasEventExecuted);
             EXPECT_TRUE(e.m_bState);
             EXPECT_EQ(e.m_nEffect, 3);
         }},
    };
    for (const auto& c : cases) {
        ByteWriter w;
        w.Raw(c.bytes).Int32(kSentinel);
        auto loaded = Load<CZRCondition>(w.Bytes(), QFArchive::kBinary, true);
        ASSERT_FALSE(loaded.failed) << c.name << ": " << loaded.reason;
        ASSERT_TRUE(loaded.object) << c.name;
        EXPECT_EQ(loaded.sentinel, kSentinel) << c.name;
        SCOPED_TRACE(c.name);
        c.check(*loaded.object);
    }
}

// --- relevance and evaluation ---------------------------------------------------------------------------------

struct Context {
    int32_t time = -1;
    const CZREvent* event = nullptr;
    int32_t section = 8, unit = 0, action = 0, agency = 9, squad = 0;
    bool status = true;
    int32_t x = -1, y = -1;
};

struct EvalCase {
    Context ctx;
    bool relevant;
    bool result;
};

void ApplyContext(CZRArgument& trigger, const Context& c)
{
    trigger.m_nCtxGameTime = c.time;
    trigger.m_pCtxEvent = c.event;
    trigger.m_nCtxSection = c.section;
    trigger.m_nCtxUnit = c.unit;
    trigger.m_nCtxAction = c.action;
    trigger.m_nCtxAgency = c.agency;
    trigger.m_nCtxSquadID = c.squad;
    trigger.m_bCtxStatus = c.status;
    trigger.m_nCtxX = c.x;
    trigger.m_nCtxY = c.y;
}

void CheckTable(CZRCondition& condition, std::initializer_list<EvalCase> cases)
{
    int row = 0;
    for (const EvalCase& c : cases) {
        CZRArgument trigger;
        ApplyContext(trigger, c.ctx);
        EXPECT_EQ(condition.IsRelevant(trigger), c.relevant) << "row " << row;
        if (c.relevant) {
            EXPECT_EQ(condition.Evaluate(trigger), c.result) << "row " << row;
            EXPECT_EQ(condition.m_bState, c.result) << "row " << row;
        }
        ++row;
    }
}

Context Time(int32_t t)
{
    Context c;
    c.time = t;
    return c;
}

TEST_F(ConditionTest, TimeTable)
{
    CConditionTimeBased atOrAfter;
    atOrAfter.m_nTargetTime = 1200;
    CheckTable(atOrAfter,
               {{Time(-1), false, false}, {Time(1159), true, false}, {Time(1200), true, true}, {Time(0), true, false}});
    CConditionTimeBased before;
    before.m_nComparison = 0;
    before.m_nTargetTime = 1200;
    CheckTable(before, {{Time(1159), true, true}, {Time(1200), true, false}});
    CConditionTimeBased odd;
    odd.m_nComparison = 2;
    CheckTable(odd, {{Time(1200), true, false}, {Time(0), true, false}});
}

TEST_F(ConditionTest, EventTable)
{
    CZREvent fired, quiet, other;
    fired.m_nUniqueID = quiet.m_nUniqueID = 5;
    fired.m_bHasBeenExecuted = true;
    other.m_nUniqueID = 6;
    other.m_bHasBeenExecuted = true;
    auto with = [](const CZREvent* e) {
        Context c;
        c.event = e;
        return c;
    };
    CConditionEventBased hasNot;
    hasNot.m_nEventID = 5;
    hasNot.m_bWasEventExecuted = false;
    CheckTable(hasNot, {{Context(), false, false},
                        {with(&other), false, false},
                        {with(&quiet), true, true},
                        {with(&fired), true, false}});
    CConditionEventBased has;
    has.m_nEventID = 5;
    CheckTable(has, {{with(&fired), true, true}, {with(&quiet), true, false}});
}

class LocationTest : public ConditionTest {
protected:
    void SetUp() override
    {
        ConditionTest::SetUp();
        m_zone.m_nUniqueID = 4;
        m_zone.m_strZoneName = "Lot";
        m_zone.m_rcBoundingBox = {0, 0, 64, 32};
        m_zones = {&m_zone};
        SetConditionHooks({{}, {}, [this]() -> const ZoneVector& { return m_zones; }});
    }
    CTacticalMapZone m_zone;
    ZoneVector m_zones;
};

Context At(int32_t agency, int32_t squad, int32_t x, int32_t y)
{
    Context c;
    c.agency = agency;
    c.squad = squad;
    c.x = x;
    c.y = y;
    return c;
}

TEST_F(LocationTest, LocationTable)
{
    CConditionLocationBased any;
    any.m_nZoneID = 4;
    CheckTable(any, {{At(1, 7, 10, 10), true, true},
                     {At(1, 7, -1, 10), false, false},
                     {At(1, 7, 10, -1), false, false},
                     {At(1, 7, 0, 0), true, true},
                     {At(1, 7, 63, 31), true, true},
                     {At(1, 7, 64, 10), true, false},
                     {At(1, 7, 10, 32), true, false}});
    CConditionLocationBased fire3;
    fire3.m_nZoneID = 4;
    fire3.m_nAgency = 1;
    fire3.m_nSquadID = 3;
    CheckTable(fire3,
               {{At(2, 3, 10, 10), false, false}, {At(1, 4, 10, 10), false, false}, {At(1, 3, 10, 10), true, true}});
    CConditionLocationBased gone;
    gone.m_nZoneID = 99;
    CheckTable(gone, {{At(1, 7, 10, 10), true, false}});
}

TEST_F(ConditionTest, UnitActivationLatches)
{
    CZRArgument trigger;
    auto unit = [&trigger](int32_t section, int32_t u) -> const CZRArgument& {
        trigger.m_nCtxSection = section;
        trigger.m_nCtxUnit = u;
        return trigger;
    };
    CConditionZRUnitActivationBased has;
    has.m_nSection = 1;
    has.m_nUnit = 2;
    has.m_bWasUnitActivated = true;
    EXPECT_FALSE(has.IsRelevant(unit(1, 3)));
    EXPECT_TRUE(has.IsRelevant(unit(1, 2)));
    EXPECT_FALSE(has.Evaluate(unit(1, 3)));
    EXPECT_TRUE(has.Evaluate(unit(1, 2)));
    EXPECT_TRUE(has.Evaluate(unit(0, 0))); // once true, stays true

    CConditionZRUnitActivationBased hasNot;
    hasNot.m_nSection = 1;
    hasNot.m_nUnit = 2;
    hasNot.m_bState = true; // as loaded
    EXPECT_TRUE(hasNot.Evaluate(unit(0, 0)));
    EXPECT_FALSE(hasNot.Evaluate(unit(1, 2)));
    EXPECT_FALSE(hasNot.Evaluate(unit(1, 3))); // once false, stays false
}

TEST_F(ConditionTest, ProximityActionIAPEnvironmentTables)
{
    CConditionSquadProximityBased proximity;
    proximity.m_bState = true;
    CheckTable(proximity, {{Context(), true, true}});

    auto act = [](int32_t action, int32_t agency, int32_t squad, bool status) {
        Context c;
        c.action = action;
        c.agency = agency;
        c.squad = squad;
        c.status = status;
        return c;
    };
    CConditionActionBased anyone;
    anyone.m_nAction = 11;
    CheckTable(
        anyone,
        {{act(11, 3, 8, true), true, true}, {act(11, 3, 8, false), true, false}, {act(12, 3, 8, true), false, false}});
    CConditionActionBased fire4;
    fire4.m_nAction = 11;
    fire4.m_nAgency = 1;
    fire4.m_nSquadID = 4;
    fire4.m_bActionStatus = false;
    CheckTable(
        fire4,
        {{act(11, 1, 4, false), true, true}, {act(11, 2, 4, false), true, false}, {act(11, 1, 5, false), true, false}});

    auto phase = [](bool status) {
        Context c;
        c.status = status;
        return c;
    };
    CConditionIAPBased has;
    CheckTable(has, {{phase(true), true, true}, {phase(false), true, false}});
    CConditionIAPBased hasNot;
    hasNot.m_bWasEventExecuted = false;
    CheckTable(hasNot, {{phase(true), true, false}, {phase(false), true, true}});

    auto effect = [](int32_t e) {
        Context c;
        c.squad = e;
        return c;
    };
    CConditionEnvironmentBased electrical;
    electrical.m_nEffect = 2;
    CheckTable(electrical, {{effect(2), true, true}, {effect(3), false, false}});
}

TEST_F(ConditionTest, ResetRules)
{
    CConditionTimeBased time;
    CConditionEventBased event;
    CConditionZRUnitActivationBased unit;
    CConditionLocationBased anySquad, squad3;
    squad3.m_nSquadID = 3;
    CConditionSquadProximityBased proxAny, prox2;
    prox2.m_nSquadID = 2;
    CConditionActionBased action;
    CConditionIAPBased iap;
    CConditionEnvironmentBased environment;
    const struct {
        CZRCondition* condition;
        bool clears;
    } cases[] = {
        {&time, false},    {&event, false}, {&unit, false},  {&anySquad, false}, {&squad3, true},
        {&proxAny, false}, {&prox2, true},  {&action, true}, {&iap, true},       {&environment, true},
    };
    for (const auto& c : cases) {
        c.condition->m_bState = true;
        EXPECT_EQ(c.condition->Reset(), c.clears) << c.condition->GetClassName();
        EXPECT_EQ(c.condition->m_bState, !c.clears) << c.condition->GetClassName();
    }
}

// --- descriptions ---------------------------------------------------------------------------------------------

TEST_F(LocationTest, Descriptions)
{
    CConditionTimeBased time;
    CConditionTimeBased before;
    before.m_nComparison = 0;
    before.m_nTargetTime = 930;
    CConditionTimeBased negative;
    negative.m_nTargetTime = -5;
    CConditionEventBased event;
    event.m_nEventID = 3;
    CConditionLocationBased anyLot, policeLot, fire3, any3, unknown, gone;
    anyLot.m_nZoneID = policeLot.m_nZoneID = fire3.m_nZoneID = any3.m_nZoneID = unknown.m_nZoneID = 4;
    policeLot.m_nAgency = 0;
    fire3.m_nAgency = 1;
    fire3.m_nSquadID = 3;
    any3.m_nSquadID = 3;
    unknown.m_nAgency = 12;
    gone.m_nZoneID = 99;
    CConditionZRUnitActivationBased unit;
    unit.m_bWasUnitActivated = true;
    CConditionSquadProximityBased prox, prox2, proxOdd;
    prox.m_nAction = prox2.m_nAction = 9;
    prox.m_nTargetAgency = prox2.m_nTargetAgency = 0x11;
    prox2.m_nSquadID = 2;
    proxOdd.m_nAgency = 9;
    proxOdd.m_nAction = 99;
    proxOdd.m_nTargetAgency = 0x7F | 0x80;
    CConditionActionBased anyone, fire4, odd;
    anyone.m_nAction = fire4.m_nAction = 11;
    fire4.m_nAgency = 1;
    fire4.m_nSquadID = 4;
    fire4.m_bActionStatus = false;
    odd.m_nAction = -1;
    odd.m_nAgency = -2;
    CConditionIAPBased iap, iapNot;
    iapNot.m_bWasEventExecuted = false;
    CConditionEnvironmentBased electrical, badEffect;
    electrical.m_nEffect = 2;
    badEffect.m_nEffect = 5;

    const struct {
        const CZRCondition& condition;
        const char* text;
    } cases[] = {
        {time, "Is game time greater than or equal to 0029?"},
        {before, "Is game time less than 0930?"},
        {negative, "Is game time greater than or equal to -005?"},
        {event, " has occurred"},
        {anyLot, "Any in zone Lot"},
        {policeLot, "Police in zone Lot"},
        {fire3, "Fire-3 in zone Lot"},
        {any3, "Any-3 in zone Lot"},
        {unknown, "? in zone Lot"},
        {gone, "Any in zone  [[ ZONE NOT FOUND - INVALID CONDITION - PLEASE DELETE ]]"},
        {unit, "STUB has been activated"},
        {prox, "Police in range to perform First Aid upon Police, EMS"},
        {prox2, "Police-2 in range to perform First Aid upon Police, EMS"},
        {proxOdd, "? in range to perform ? upon Police, Fire, School, PW, EMS, Civs, Threat"},
        {anyone, "Action Fight Fire is initiated by Anyone"},
        {fire4, "Action Fight Fire is completed by Fire-4"},
        {odd, "Action ? is initiated by ?"},
        {iap, "IAP Phase has occurred"},
        {iapNot, "IAP Phase has not occurred"},
        {electrical, "Environmental effect Electrical Hazard occurred"},
        {badEffect, "Environmental effect ? occurred"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.condition.Describe(), c.text);

    CConditionSquadProximityBased noTargets;
    EXPECT_EQ(noTargets.Describe(), "Police in range to perform None upon ");
}

TEST_F(ConditionTest, DescriptionsUseTheProgramsNames)
{
    const std::string longName(5000, 'n');
    SetConditionHooks({[](int32_t section, int32_t unit) {
                           return section == 1 && unit == 2 ? std::string("HAZMAT") : std::string();
                       },
                       [&](int32_t id) { return id == 3 ? longName : std::string("Alarm"); },
                       {}});
    CConditionZRUnitActivationBased hazmat, nameless;
    hazmat.m_nSection = 1;
    hazmat.m_nUnit = 2;
    EXPECT_EQ(hazmat.Describe(), "HAZMAT has not been activated");
    EXPECT_EQ(nameless.Describe(), "");
    CConditionEventBased alarm, longOne;
    alarm.m_nEventID = 7;
    alarm.m_bWasEventExecuted = false;
    longOne.m_nEventID = 3;
    EXPECT_EQ(alarm.Describe(), "Alarm has not occurred");
    EXPECT_EQ(longOne.Describe(), longName + " has occurred");
    // No zones at all: the location text reports the missing zone.
    CConditionLocationBased location;
    EXPECT_EQ(location.Describe(), "Any in zone  [[ ZONE NOT FOUND - INVALID CONDITION - PLEASE DELETE ]]");
}

TEST_F(ConditionTest, CloneCopiesStoredMembersAndClearsState)
{
    for (const StoredCase& c : StoredCases()) {
        std::unique_ptr<CZRCondition> original(c.make());
        original->m_bState = true;
        std::unique_ptr<CZRCondition> copy(original->Clone());
        ASSERT_TRUE(copy) << c.name;
        EXPECT_EQ(copy->GetClassName(), original->GetClassName());
        EXPECT_EQ(copy->m_nKind, original->m_nKind);
        const bool keepsState = original->m_nKind == kConditionIAP;
        EXPECT_EQ(copy->m_bState, keepsState) << c.name;
        original->m_bState = copy->m_bState;
        EXPECT_EQ(Store(copy.get()), Store(original.get())) << c.name;
    }
    CZRCondition base;
    EXPECT_EQ(base.Clone(), nullptr);
    EXPECT_EQ(base.Describe(), "");
}

} // namespace
