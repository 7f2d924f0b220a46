// Tests of Ostrel's model operations: look-ups, copies, trigger masks, classification, the import merge and the
// OK rules of the zone, point, time-window and intro dialogs.
#include "core/events/ConditionKinds.h"
#include "editors/events/model/EventsDocument.h"
#include "editors/events/model/EventsModel.h"
#include "editors/events/model/OstrelDialogRules.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// Puts the id counters back after each case.
class OstrelModel : public ::testing::Test {
protected:
    void TearDown() override { m_counters.Restore(); }
    CIdCounters m_counters = CIdCounters::Current();
};

CZREvent* AddEvent(CZREventsData& data, int32_t id, const std::string& name, std::vector<uint32_t> triggers = {})
{
    auto* event = new CZREvent(false);
    event->m_nUniqueID = id;
    event->m_strEventName = name;
    event->m_vTrigger = std::move(triggers);
    data.m_lstEvents.push_back(event);
    return event;
}

CZRArgument* AddTrigger(CZREventsData& data, int32_t id, const std::string& name,
                        std::initializer_list<CZRCondition*> conditions = {})
{
    auto* trigger = new CZRArgument(false);
    trigger->m_nUniqueID = id;
    trigger->m_strArgumentName = name;
    trigger->m_vConditions.assign(conditions.begin(), conditions.end());
    data.m_mapArguments[static_cast<uint32_t>(id)] = trigger;
    return trigger;
}

CTacticalMapZone* AddZone(CZREventsData& data, int32_t id, const std::string& name)
{
    auto* zone = new CTacticalMapZone();
    zone->m_nUniqueID = id;
    zone->m_strZoneName = name;
    data.m_vZones.push_back(zone);
    return zone;
}

CConditionEventBased* EventCondition(int32_t eventId, bool has)
{
    auto* c = new CConditionEventBased();
    c->m_nEventID = eventId;
    c->m_bWasEventExecuted = has;
    return c;
}

CConditionLocationBased* LocationCondition(int32_t zoneId)
{
    auto* c = new CConditionLocationBased();
    c->m_nZoneID = zoneId;
    return c;
}

} // namespace

TEST_F(OstrelModel, MergeShiftsImportedIdsPastTheCurrentOnes)
{
    CZREventsData current;
    AddEvent(current, 7, "Fire");
    AddTrigger(current, 4, "At nine");
    AddZone(current, 5, "Yard");
    CZREventsData imported;
    AddZone(imported, 1, "Dock");
    AddTrigger(imported, 2, "Dock busy", {LocationCondition(1), EventCondition(3, true)});
    AddEvent(imported, 3, "Alarm", {2})->m_pResult = new CZRResult(); // flags no zone
    CZREvent* flag = AddEvent(imported, 0, "Flag dock", {2});
    flag->m_pResult = new CZRResult();
    flag->m_pResult->m_nConnectionNodeFlag = 0x20;
    flag->m_pResult->m_nZoneToBeFlagged = 1;
    CZREvent::m_nEventIDsource = 4;
    CZRArgument::m_nArgIDsource = 3;
    CTacticalMapZone::m_nZoneIDsource = 2;

    MergeEventsData(current, imported);

    EXPECT_TRUE(current.m_bModified);
    EXPECT_TRUE(imported.m_lstEvents.empty() && imported.m_mapArguments.empty() && imported.m_vZones.empty());
    const CZREvent* alarm = EventById(current, 1010);
    ASSERT_NE(alarm, nullptr);
    EXPECT_EQ(alarm->m_strEventName, "Alarm - [[1010]]");
    EXPECT_EQ(alarm->m_vTrigger, (std::vector<uint32_t>{1006}));
    EXPECT_EQ(alarm->m_pResult->m_nZoneToBeFlagged, -1);
    // The "Flag tiles" result follows its zone, as the location condition does.
    const CZREvent* flagged = EventById(current, 1007);
    ASSERT_NE(flagged, nullptr);
    EXPECT_EQ(flagged->m_pResult->m_nZoneToBeFlagged, 1006);
    ASSERT_EQ(current.m_mapArguments.count(1006), 1u);
    const CZRArgument* trigger = current.m_mapArguments[1006];
    EXPECT_EQ(trigger->m_nUniqueID, 1006);
    EXPECT_EQ(trigger->m_strArgumentName, "Dock busy - [[1006]]");
    EXPECT_EQ(static_cast<CConditionLocationBased*>(trigger->m_vConditions[0])->m_nZoneID, 1006);
    EXPECT_EQ(static_cast<CConditionEventBased*>(trigger->m_vConditions[1])->m_nEventID, 1010);
    const CTacticalMapZone* dock = ZoneById(current, 1006);
    ASSERT_NE(dock, nullptr);
    EXPECT_EQ(dock->m_strZoneName, "Dock - [[1006]]");
    // The counters: the Part's shift, and past every id present (the zone counter was never advanced before).
    EXPECT_EQ(CZREvent::m_nEventIDsource, 4 + 1007);
    EXPECT_EQ(CZRArgument::m_nArgIDsource, 3 + 1004);
    EXPECT_EQ(CTacticalMapZone::m_nZoneIDsource, 1007);
}

TEST_F(OstrelModel, MergeIntoEmptyDataAddsAThousandAndNewIdsAreUnused)
{
    CZREventsData current;
    CZREventsData imported;
    AddZone(imported, 0, "A");
    AddZone(imported, 3, "B");
    AddTrigger(imported, 1, "T");
    AddEvent(imported, 2, "E", {1});
    CZREvent::m_nEventIDsource = 0; // a damaged file may carry counters below its ids
    CZRArgument::m_nArgIDsource = 0;
    CTacticalMapZone::m_nZoneIDsource = 0;
    MergeEventsData(current, imported);
    EXPECT_NE(ZoneById(current, 1000), nullptr);
    EXPECT_NE(ZoneById(current, 1003), nullptr);
    EXPECT_EQ(current.m_mapArguments.count(1001), 1u);
    EXPECT_NE(EventById(current, 1002), nullptr);
    // New objects take ids nobody holds.
    auto zone = std::make_unique<CTacticalMapZone>();
    EXPECT_EQ(ZoneById(current, zone->m_nUniqueID), nullptr);
    auto trigger = std::make_unique<CZRArgument>(true);
    EXPECT_EQ(current.m_mapArguments.count(static_cast<uint32_t>(trigger->m_nUniqueID)), 0u);
    auto event = std::make_unique<CZREvent>(true);
    EXPECT_EQ(EventById(current, event->m_nUniqueID), nullptr);
}

TEST_F(OstrelModel, MergeIdArithmeticWrapsAsUnsigned)
{
    CZREventsData current;
    AddEvent(current, 0x7FFFFFF0, "Late");
    CZREventsData imported;
    AddEvent(imported, 5, "Wraps");
    MergeEventsData(current, imported); // no signed overflow (UBSan)
    EXPECT_NE(EventById(current, static_cast<int32_t>(0x7FFFFFF0u + 1005u)), nullptr);
}

TEST_F(OstrelModel, TriggerMaskKeepsActionAndProximityBits)
{
    struct Case {
        std::vector<int> kinds;
        uint16_t before;
        uint16_t after;
    } cases[] = {
        {{1, 6}, 0, 0x11},  // time and action
        {{1}, 0x11, 0x11},  // the action went: its bit stays
        {{5}, 0, 0x20},     // proximity takes 0x20
        {{2, 3, 4}, 0x8F, 0x0E},
        {{7, 8}, 0x01, 0xC0},
        {{}, 0x30, 0x30},
    };
    for (const Case& c : cases) {
        CZRArgument trigger(false);
        trigger.m_nBaseFlags = c.before;
        for (int kind : c.kinds) {
            auto* condition = new CConditionIAPBased();
            condition->m_nKind = kind;
            trigger.m_vConditions.push_back(condition);
        }
        RecomputeMask(trigger);
        EXPECT_EQ(trigger.m_nBaseFlags, c.after) << c.kinds.size() << " conditions, before " << c.before;
    }
}

TEST_F(OstrelModel, RecipientBitsAndUpgrade)
{
    EXPECT_EQ(RecipientBit(0), 1u);
    EXPECT_EQ(RecipientBit(16), 65536u);
    EXPECT_EQ(RecipientBit(17), 0u);
    EXPECT_EQ(RecipientBit(-1), 0u);
    const std::pair<int32_t, int32_t> upgrades[] = {{32, 1024}, {3, 0}, {16, 16}, {8192, 65536}, {0, 0}};
    for (const auto& [old, now] : upgrades)
        EXPECT_EQ(UpgradeRecipientFlags(old), now) << old;
}

TEST_F(OstrelModel, EventLookUpsAndDeletion)
{
    CZREventsData data;
    AddEvent(data, 1, "Alarm");
    AddEvent(data, 2, "Alarm");
    EXPECT_EQ(EventByName(data, "Alarm")->m_nUniqueID, 1);
    EXPECT_EQ(EventByName(data, "alarm"), nullptr);
    EXPECT_EQ(EventNameById(data, 2), "Alarm");
    EXPECT_EQ(EventNameById(data, 9), "");
    EXPECT_TRUE(DeleteEvent(data, 1));
    EXPECT_FALSE(DeleteEvent(data, 1));
    EXPECT_EQ(data.m_lstEvents.size(), 1u);
}

TEST_F(OstrelModel, AssignTriggerClonesTheConditions)
{
    CZRArgument target(false);
    target.m_nUniqueID = 9;
    target.m_vConditions.push_back(new CConditionIAPBased());
    {
        CZRArgument source(false);
        source.m_nUniqueID = 3;
        source.m_strArgumentName = "Spill";
        source.m_nBaseFlags = 0x14;
        source.m_bState = true;
        source.m_vConditions.push_back(LocationCondition(44));
        AssignTrigger(target, source);
    } // the source and its conditions are gone; the target must not share them (ASan)
    EXPECT_EQ(target.m_nUniqueID, 9);
    EXPECT_EQ(target.m_strArgumentName, "Spill");
    EXPECT_EQ(target.m_nBaseFlags, 0x14);
    EXPECT_TRUE(target.m_bState);
    ASSERT_EQ(target.m_vConditions.size(), 1u);
    EXPECT_EQ(static_cast<CConditionLocationBased*>(target.m_vConditions[0])->m_nZoneID, 44);
}

TEST_F(OstrelModel, AssignEventCopiesAllButTheIdAndTheResultDeeply)
{
    CZREvent source(false);
    source.m_nUniqueID = 4;
    source.m_strEventName = "Spill";
    source.m_strEventText = "Drums";
    source.m_vTrigger = {1, 2};
    source.nTmp = 1024;
    source.m_nChanceOfResult = 50;
    source.m_pResult = new CZRResult();
    source.m_pResult->m_nZRPoints = 25;
    std::unique_ptr<CZREvent> copy(CopyConstructEvent(source, false));
    EXPECT_EQ(copy->m_nUniqueID, -1);
    EXPECT_EQ(copy->m_strEventName, "Spill");
    EXPECT_EQ(copy->m_vTrigger, source.m_vTrigger);
    EXPECT_EQ(copy->nTmp, 1024);
    EXPECT_EQ(copy->m_nChanceOfResult, 50);
    ASSERT_NE(copy->m_pResult, nullptr);
    EXPECT_NE(copy->m_pResult, source.m_pResult);
    EXPECT_EQ(copy->m_pResult->m_nZRPoints, 25);
    CZREvent plain(false);
    AssignEvent(*copy, plain); // a source without result drops the target's
    EXPECT_EQ(copy->m_pResult, nullptr);
}

TEST_F(OstrelModel, ClassificationOfEvents)
{
    struct Case {
        bool trigger;
        const char* text;
        int32_t recipients;
        bool defined;
    } cases[] = {
        {true, "", 0, true},         // hidden, with a trigger
        {true, "", 1024, false},     // recipients but no text
        {true, "Smoke", 1024, true}, // text and recipients
        {false, "Smoke", 0, false},  // no trigger
    };
    for (const Case& c : cases) {
        CZREvent event(false);
        if (c.trigger)
            event.m_vTrigger = {1};
        event.m_strEventText = c.text;
        event.nTmp = c.recipients;
        EXPECT_EQ(IsDefinedEvent(event), c.defined) << c.text << " " << c.recipients;
    }
}

TEST_F(OstrelModel, CopyEventNamesTheCopyByItsId)
{
    CZREventsData data;
    CZREvent* alarm = AddEvent(data, 3, "Alarm", {1});
    alarm->m_pResult = new CZRResult();
    CZREvent::m_nEventIDsource = 17;
    const CZREvent* copy = CopyEvent(data, 3);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->m_nUniqueID, 17);
    EXPECT_EQ(copy->m_strEventName, "Alarm - 17");
    EXPECT_EQ(IsDefinedEvent(*copy), IsDefinedEvent(*alarm));
    EXPECT_NE(copy->m_pResult, alarm->m_pResult);
    EXPECT_EQ(data.m_lstEvents.back(), copy);
    EXPECT_EQ(CopyEvent(data, 99), nullptr);
}

TEST_F(OstrelModel, DeletingATriggerRemovesEveryOccurrence)
{
    CZREventsData data;
    AddTrigger(data, 2, "T");
    AddTrigger(data, 3, "U");
    CZREvent* a = AddEvent(data, 1, "A", {2, 3, 2});
    CZREvent* b = AddEvent(data, 2, "B", {2});
    EXPECT_TRUE(DeleteTrigger(data, 2));
    EXPECT_FALSE(DeleteTrigger(data, 2));
    EXPECT_EQ(a->m_vTrigger, (std::vector<uint32_t>{3}));
    EXPECT_TRUE(b->m_vTrigger.empty());
    EXPECT_EQ(data.m_mapArguments.size(), 1u);
}

TEST_F(OstrelModel, InitialConditionStatesAfterALoad)
{
    CZREventsData data;
    auto* unit = new CConditionZRUnitActivationBased();
    unit->m_bWasUnitActivated = false;
    auto* time = new CConditionTimeBased();
    time->m_bState = true;
    AddTrigger(data, 1, "T", {EventCondition(4, true), EventCondition(4, false), unit, time});
    SetInitialConditionStates(data);
    const auto& c = data.m_mapArguments[1]->m_vConditions;
    EXPECT_FALSE(c[0]->m_bState);
    EXPECT_TRUE(c[1]->m_bState);
    EXPECT_TRUE(c[2]->m_bState);
    EXPECT_TRUE(c[3]->m_bState); // other kinds keep theirs
}

TEST(OstrelModelNames, AgencyListNames)
{
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\scen\\Flood.zre", "Flood.csv"}, {"/data/scen/Flood.zre", "Flood.csv"}, {"x.y.zre", "x.y.csv"},
        {"Flood", "Flood.csv"},               {"/a.b/Dam", "Dam.csv"},
    };
    for (const auto& [path, name] : cases)
        EXPECT_EQ(AgencyListNameFor(path), name) << path;
}

TEST(OstrelModelRules, Locations)
{
    const struct {
        const char* text;
        bool ok;
        int32_t x, y;
    } cases[] = {{"5,5", true, 5, 5},  {"10, 20", true, 10, 20}, {" -3 ,4", false, 0, 0}, {"12", false, 0, 0},
                 {"", false, 0, 0},    {"a, b", false, 0, 0},    {"7,  8 tail", true, 7, 8},
                 {"99999999999, 1", true, 2147483647, 1}};
    for (const auto& c : cases) {
        int32_t x = 0;
        int32_t y = 0;
        EXPECT_EQ(ReadLocation(c.text, &x, &y), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(std::make_pair(x, y), std::make_pair(c.x, c.y)) << c.text;
        }
    }
    EXPECT_EQ(FormatLocation(10, 20), "10, 20");
    EXPECT_EQ(FormatLocation(-1, 20), "");
}

TEST(OstrelModelRules, ZoneForm)
{
    const struct {
        const char* name;
        const char* upperLeft;
        const char* lowerRight;
        const char* error; // "" accepted
        int field;
    } cases[] = {
        {"", "1, 2", "3, 4", "A zone must have a name", IDC_ZONE_NAME},
        {"Dock", "1 2", "3, 4", "Two comma separated integers expected.", IDC_ZONE_UPPER_LEFT},
        {"Dock", "1, 2", "", "Two comma separated integers expected.", IDC_ZONE_LOWER_RIGHT},
        {"Dock", "10, 20", "10, 40", "Bounding box left must be less than right", IDC_ZONE_UPPER_LEFT},
        {"Dock", "10, 40", "20, 40", "Bounding box top must be less than bottom", IDC_ZONE_UPPER_LEFT},
        {"Dock", "5,5", "64,64", "", 0},
    };
    for (const auto& c : cases) {
        CZoneData data;
        data.name = "Old";
        data.points = {{1, 1}, {2, 2}};
        data.boundingBox = {0, 0, 32, 32};
        CFormError error;
        const bool ok = CheckZoneForm(c.name, c.upperLeft, c.lowerRight, &data, &error);
        EXPECT_EQ(ok, *c.error == 0) << c.name << c.upperLeft << c.lowerRight;
        // The stored points survive every outcome; a refusal changes nothing at all.
        EXPECT_EQ(data.points.size(), 2u);
        if (!ok) {
            EXPECT_EQ(error.text, c.error);
            EXPECT_EQ(error.field, c.field);
            EXPECT_EQ(data.name, "Old");
            EXPECT_EQ(data.boundingBox.right, 32);
        } else {
            EXPECT_EQ(data.name, "Dock");
            EXPECT_EQ(data.boundingBox.left, 5);
            EXPECT_EQ(data.boundingBox.bottom, 64);
        }
    }
}

TEST(OstrelModelRules, PointTimeAndIntro)
{
    int32_t x = 5;
    int32_t y = 5;
    CFormError error;
    EXPECT_FALSE(CheckPointForm("3", "", &x, &y, &error));
    EXPECT_EQ(error.text, "Both X and Y values are required.");
    EXPECT_EQ(error.caption, "Invalid X,Y");
    EXPECT_EQ(x, -1);
    EXPECT_TRUE(CheckPointForm("12abc", "x", &x, &y, &error));
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(12, 0));

    EXPECT_FALSE(CheckTimeWindow(1400, 1400, &error));
    EXPECT_EQ(error.text, "Start time must be earlier than end time");
    EXPECT_EQ(error.caption, "Start/End Time Error");
    EXPECT_FALSE(CheckTimeWindow(1500, 1400, &error));
    EXPECT_TRUE(CheckTimeWindow(900, 1300, &error));

    EXPECT_EQ(IntroTextForEdit("a\nb\n"), "a\r\nb\r\n");
    EXPECT_EQ(IntroTextForEdit("a\r\nb\nc"), "a\r\nb\nc"); // holds a CR: left alone
}
