// The condition dialogs' builders, the trigger editor's list, delete and store rules, and the trigger and event
// operations they rest on.
#include "core/events/ConditionKinds.h"
#include "core/events/ZREventsData.h"
#include "editors/events/model/ConditionRules.h"
#include "editors/events/model/EventsModel.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace ostrel;

template <class T> T* As(const std::unique_ptr<CZRCondition>& c)
{
    return dynamic_cast<T*>(c.get());
}

TEST(OstrelModelConditions, TimeEventIAPAndEnvironmentFillTheConditionBuiltOnOpening)
{
    struct TimeCase {
        int32_t op;
        int32_t comparison;
        bool state;
    };
    for (const TimeCase& c : {TimeCase{0, 0, true}, TimeCase{1, 1, false}}) {
        CConditionTimeBased time;
        EXPECT_EQ(time.m_nComparison, 1); // before OK
        EXPECT_EQ(time.m_nTargetTime, 29);
        TimeForm form = TimeFormFor(800);
        EXPECT_EQ(form.op, 1);
        EXPECT_EQ(form.pickerHHMM, 800);
        form.op = c.op;
        form.pickerHHMM = 930; // the picker showing 0930
        StoreTimeCondition(form, time);
        EXPECT_EQ(time.m_nComparison, c.comparison);
        EXPECT_EQ(time.m_nTargetTime, 930);
        EXPECT_EQ(time.m_bState, c.state);
    }

    CConditionEventBased event;
    StoreEventCondition({12, 0}, event); // "has not" on event 12
    EXPECT_EQ(event.m_nEventID, 12);
    EXPECT_FALSE(event.m_bWasEventExecuted);
    EXPECT_TRUE(event.m_bState);
    CConditionEventBased untouched;
    StoreEventCondition({}, untouched); // no event listed: the defaults stay
    EXPECT_EQ(untouched.m_nEventID, -1);
    EXPECT_TRUE(untouched.m_bWasEventExecuted);
    EXPECT_FALSE(untouched.m_bState);

    CConditionIAPBased iap;
    StoreIAPCondition(0, iap);
    EXPECT_FALSE(iap.m_bWasEventExecuted);
    EXPECT_TRUE(iap.m_bState);
    StoreIAPCondition(1, iap);
    EXPECT_TRUE(iap.m_bWasEventExecuted);
    EXPECT_FALSE(iap.m_bState);

    CConditionEnvironmentBased environment;
    environment.m_bWasEventExecuted = false;
    StoreEnvironmentCondition(2, environment);
    EXPECT_EQ(environment.m_nEffect, 2);
    EXPECT_TRUE(environment.m_bWasEventExecuted);
    EXPECT_FALSE(environment.m_bState);
    EXPECT_EQ(environment.Describe(), "Environmental effect Electrical Hazard occurred");
    EXPECT_EQ(EffectItems()[2], (ListItem{"Electrical Hazard", 2}));
}

TEST(OstrelModelConditions, LocationIsBuiltOnlyWithSquadTypeAndZone)
{
    struct Case {
        LocationForm form;
        bool built;
        int32_t agency, squad, zone;
    };
    const Case cases[] = {
        {{9, "42", 7}, true, 9, 0, 7},     // "Any" ignores the ID
        {{0, "42x", 7}, true, 0, 42, 7},   // leading digits
        {{1, "", 3}, true, 1, 0, 3},       // no ID: any squad
        {{1, "abc", 3}, true, 1, 0, 3},    // no digits read 0
        {{{}, "5", 3}, false, 0, 0, 0},    // no squad type
        {{2, "5", {}}, false, 0, 0, 0},    // no zone
    };
    for (const Case& c : cases) {
        auto built = BuildLocationCondition(c.form);
        ASSERT_EQ(built != nullptr, c.built);
        if (!built)
            continue;
        auto* location = As<CConditionLocationBased>(built);
        ASSERT_NE(location, nullptr);
        EXPECT_EQ(location->m_nKind, 3);
        EXPECT_EQ(location->m_nAgency, c.agency);
        EXPECT_EQ(location->m_nSquadID, c.squad);
        EXPECT_EQ(location->m_nZoneID, c.zone);
        EXPECT_EQ(location->m_nLocationMode, 1);
        EXPECT_EQ(location->m_nTargetCount, 0);
        EXPECT_EQ(location->m_nRefCount, 0);
        EXPECT_FALSE(location->m_bState);
    }

    // Only zones without points are offered.
    CZREventsData data;
    auto* box = new CTacticalMapZone();
    box->m_strZoneName = "Yard";
    auto* pointed = new CTacticalMapZone();
    pointed->m_strZoneName = "Pointed";
    pointed->m_lstPoints.push_back({1, 2});
    data.m_vZones = {box, pointed};
    EXPECT_EQ(LocationZoneItems(data), (std::vector<ListItem>{{"Yard", box->m_nUniqueID}}));
    EXPECT_EQ(SquadTypeItems().front(), (ListItem{"Any", 9}));
    EXPECT_EQ(SquadTypeItems().size(), 8u);
}

TEST(OstrelModelConditions, UnitStatusListsTheSectionUnitsAndFallsBackToNone)
{
    const UnitNameFn names = [](int32_t section, int32_t index) {
        return "S" + std::to_string(section) + "U" + std::to_string(index);
    };
    const auto sections = SectionItems(names);
    ASSERT_EQ(sections.size(), 5u);
    EXPECT_EQ(sections[0], (ListItem{"S0U0", 0})); // named by the Command table's first five entries
    EXPECT_EQ(sections[4], (ListItem{"S0U4", 4}));
    struct Sizes {
        int32_t section;
        size_t count;
        int32_t first, last;
    };
    for (const Sizes& s : {Sizes{0, 7, 1, 7}, Sizes{1, 17, 0, 16}, Sizes{2, 5, 0, 4}, Sizes{3, 9, 0, 8},
                           Sizes{4, 4, 0, 3}}) {
        const auto units = UnitItems(names, s.section);
        ASSERT_EQ(units.size(), s.count) << s.section;
        EXPECT_EQ(units.front().value, s.first); // Command's unit 0 is never offered
        EXPECT_EQ(units.back().value, s.last);
        EXPECT_EQ(units.front().text, "S" + std::to_string(s.section) + "U" + std::to_string(s.first));
    }
    EXPECT_TRUE(UnitItems(names, 8).empty());

    struct Case {
        UnitStatusForm form;
        int32_t section, unit;
        bool activated, state;
    };
    for (const Case& c : {Case{{1, 3, 1}, 1, 3, true, false}, Case{{2, 0, 0}, 2, 0, false, true},
                          Case{{3, {}, 1}, 8, 0, true, false}, Case{{{}, 4, 1}, 8, 4, true, false}}) {
        auto built = BuildUnitStatusCondition(c.form);
        auto* unit = As<CConditionZRUnitActivationBased>(built);
        ASSERT_NE(unit, nullptr);
        EXPECT_EQ(unit->m_nSection, c.section);
        EXPECT_EQ(unit->m_nUnit, c.unit);
        EXPECT_EQ(unit->m_bWasUnitActivated, c.activated);
        EXPECT_EQ(unit->m_bState, c.state);
    }
}

TEST(OstrelModelConditions, ActionReadsTheOptionalId)
{
    struct Case {
        ActionForm form;
        int32_t action, agency;
        bool initiated;
        int32_t squad;
    };
    for (const Case& c : {Case{{37, 1, 9, ""}, 37, 9, true, 0}, Case{{11, 0, 1, "12"}, 11, 1, false, 12},
                          Case{{4, 1, 6, "x"}, 4, 6, true, 0}, Case{{44, 0, 0, " 7 "}, 44, 0, false, 7}}) {
        auto built = BuildActionCondition(c.form);
        auto* action = As<CConditionActionBased>(built);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->m_nAction, c.action);
        EXPECT_EQ(action->m_nAgency, c.agency);
        EXPECT_EQ(action->m_bActionStatus, c.initiated);
        EXPECT_EQ(action->m_nSquadID, c.squad);
        EXPECT_FALSE(action->m_bState);
    }
    const auto actions = ActionItems();
    ASSERT_EQ(actions.size(), 44u);
    EXPECT_EQ(actions.front(), (ListItem{"Idle", 1}));
    EXPECT_EQ(actions.back(), (ListItem{"Clear Obstruction", 44}));
    EXPECT_EQ(ServiceItems().front(), (ListItem{"Anyone", 9}));
}

TEST(OstrelModelConditions, ProximityRefusesNoTargetThenNoIdAndOrsTheTargets)
{
    RuleError error;
    EXPECT_EQ(BuildProximityCondition({5, "", 4, {}}, &error), nullptr); // both missing: the target first
    EXPECT_EQ(error.text, "Choose a target agency or cancel to quit");
    EXPECT_EQ(error.caption, "Incomplete");
    EXPECT_EQ(BuildProximityCondition({5, "", 4, {0}}, &error), nullptr);
    EXPECT_EQ(error.text, "Squad ID is a required field");
    EXPECT_EQ(error.caption, "Incomplete");

    auto built = BuildProximityCondition({6, "3", 4, {0, 4}}, &error); // Police and EMS
    auto* proximity = As<CConditionSquadProximityBased>(built);
    ASSERT_NE(proximity, nullptr);
    EXPECT_EQ(proximity->m_nKind, 5);
    EXPECT_EQ(proximity->m_nAgency, 6);
    EXPECT_EQ(proximity->m_nSquadID, 3);
    EXPECT_EQ(proximity->m_nAction, 4);
    EXPECT_EQ(proximity->m_nTargetAgency, 1 + 16);
    EXPECT_EQ(proximity->Describe(), "Threat-3 in range to perform Assault upon Police, EMS");
}

// A trigger with a time, an event and an action condition, in that order.
std::unique_ptr<CZRArgument> ThreeConditions()
{
    auto trigger = std::make_unique<CZRArgument>(false);
    trigger->m_strArgumentName = "Alarm";
    trigger->m_vConditions.push_back(new CConditionTimeBased());
    auto* event = new CConditionEventBased();
    event->m_nEventID = 4;
    trigger->m_vConditions.push_back(event);
    trigger->m_vConditions.push_back(new CConditionActionBased());
    return trigger;
}

TEST(OstrelModelTrigger, TheListCarriesIndicesAndDeleteGoesByValue)
{
    auto trigger = ThreeConditions();
    const auto items = ConditionListItems(*trigger);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0], (ListItem{"Is game time greater than or equal to 0029?", 0}));
    EXPECT_EQ(items[2].value, 2);
    // The sorted list shows "Action ..." first; its row 0 carries value 2. Deleting by that value removes the
    // action condition, not the time condition at index 0.
    EXPECT_TRUE(DeleteConditionByValue(*trigger, 2));
    ASSERT_EQ(trigger->m_vConditions.size(), 2u);
    EXPECT_EQ(trigger->m_vConditions[0]->m_nKind, kConditionTime);
    EXPECT_EQ(trigger->m_vConditions[1]->m_nKind, kConditionEvent);
    EXPECT_FALSE(DeleteConditionByValue(*trigger, 2));
    EXPECT_FALSE(DeleteConditionByValue(*trigger, -1));
    EXPECT_EQ(trigger->m_vConditions.size(), 2u);
}

TEST(OstrelModelTrigger, TheMaskKeepsActionAndProximityBits)
{
    struct Case {
        std::vector<int32_t> kinds;
        uint16_t before, after;
    };
    auto make = [](int32_t kind) -> CZRCondition* {
        switch (kind) {
        case 1: return new CConditionTimeBased();
        case 2: return new CConditionEventBased();
        case 5: return new CConditionSquadProximityBased();
        case 6: return new CConditionActionBased();
        default: return new CConditionIAPBased();
        }
    };
    const Case cases[] = {
        {{1, 6}, 0, 0x11}, {{1}, 0x11, 0x11}, // the action went: its bit stays
        {{5}, 0, 0x20},    {{}, 0x20, 0x20}, {{2}, 0x0F, 0x02}, {{7, 7}, 0xFF, 0x70},
    };
    for (const Case& c : cases) {
        CZRArgument trigger(false);
        trigger.m_nBaseFlags = c.before;
        for (int32_t kind : c.kinds)
            AppendCondition(trigger, std::unique_ptr<CZRCondition>(make(kind)));
        StoreTrigger(trigger, "");
        EXPECT_EQ(trigger.m_nBaseFlags, c.after);
    }
    // OK with an empty name keeps the old one; a typed one replaces it.
    auto trigger = ThreeConditions();
    StoreTrigger(*trigger, "");
    EXPECT_EQ(trigger->m_strArgumentName, "Alarm");
    StoreTrigger(*trigger, "At 09:35");
    EXPECT_EQ(trigger->m_strArgumentName, "At 09:35");
    EXPECT_EQ(trigger->m_nBaseFlags, 0x13);
    AppendCondition(*trigger, nullptr);
    EXPECT_EQ(trigger->m_vConditions.size(), 3u);
}

TEST(OstrelModelTrigger, AssignedTriggersOwnClonesOfTheConditions)
{
    auto source = ThreeConditions();
    source->m_nBaseFlags = 0x13;
    CZRArgument target(false);
    target.m_nUniqueID = 77;
    target.m_vConditions.push_back(new CConditionIAPBased());
    AssignTrigger(target, *source);
    source.reset(); // the target must not share anything with it
    EXPECT_EQ(target.m_nUniqueID, 77);
    EXPECT_EQ(target.m_strArgumentName, "Alarm");
    EXPECT_EQ(target.m_nBaseFlags, 0x13);
    ASSERT_EQ(target.m_vConditions.size(), 3u);
    EXPECT_EQ(target.m_vConditions[1]->m_nKind, kConditionEvent);
    EXPECT_EQ(dynamic_cast<CConditionEventBased*>(target.m_vConditions[1])->m_nEventID, 4);
    EXPECT_EQ(target.m_vConditions[2]->Describe(), "Action None is initiated by Anyone");
}

TEST(OstrelModelEvents, UpgradeAndLookUpByExactName)
{
    EXPECT_EQ(UpgradeRecipientFlags(32), 1024);
    EXPECT_EQ(UpgradeRecipientFlags(3), 0);
    EXPECT_EQ(UpgradeRecipientFlags(16), 16);
    CZREventsData data;
    auto* alarm = new CZREvent(false);
    alarm->m_strEventName = "Alarm";
    data.m_lstEvents.push_back(alarm);
    EXPECT_EQ(EventByName(data, "Alarm"), alarm);
    EXPECT_EQ(EventByName(data, "alarm"), nullptr);
    EXPECT_EQ(ReadEditNumber("-12ab"), -12);
    EXPECT_EQ(ReadEditNumber("99999999999"), 2147483647);
    EXPECT_EQ(ReadEditNumber(""), 0);
}

} // namespace
