// Tests of the events data: the whole script's round trip, exact bytes, old versions, counters and bad records.
#include "core/events/ConditionKinds.h"
#include "core/events/ZREventsData.h"
#include "core/world/ScenarioData.h"

#include "core/events/EventsArchiveTestSupport.h"
#include "support/ByteWriter.h"

#include <cstdlib>
#include <fstream>

namespace {

using evtest::kSentinel;
using evtest::Load;
using evtest::Store;

class EventsDataTest : public evtest::EventsTest {};

// Two zones, triggers holding all eight kinds, an event with a result and one without.
std::unique_ptr<CZREventsData> MakeScript()
{
    auto data = std::make_unique<CZREventsData>();
    data->m_strOriginalScenarioTitle = "Bridge";
    data->m_strIntroText = "Intro\nline";
    data->m_nGameStartTime = 930;
    data->m_nGameEndTime = 1400;
    for (int i = 0; i < 2; ++i) {
        auto* zone = new CTacticalMapZone();
        zone->m_strZoneName = "Zone " + std::to_string(i);
        zone->m_rcBoundingBox = {10 * i, 20 * i, 100 + i, 200 + i};
        zone->m_lstPoints = {{i, i + 1}};
        data->m_vZones.push_back(zone);
    }
    auto* first = new CZRArgument(true);
    first->m_strArgumentName = "Time, event, location, unit";
    auto* time = new CConditionTimeBased();
    time->m_nTargetTime = 1000;
    auto* event = new CConditionEventBased();
    event->m_nEventID = 1;
    auto* location = new CConditionLocationBased();
    location->m_nZoneID = data->m_vZones[1]->m_nUniqueID;
    location->m_nSquadID = 2;
    auto* unit = new CConditionZRUnitActivationBased();
    unit->m_nSection = 1;
    unit->m_nUnit = 9;
    first->m_vConditions = {time, event, location, unit};
    first->m_nBaseFlags = 0x0F;
    auto* second = new CZRArgument(true);
    second->m_strArgumentName = "The rest";
    auto* proximity = new CConditionSquadProximityBased();
    proximity->m_nTargetAgency = 0x60;
    auto* action = new CConditionActionBased();
    action->m_nAction = 13;
    auto* environment = new CConditionEnvironmentBased();
    environment->m_nEffect = 4;
    second->m_vConditions = {proximity, action, new CConditionIAPBased(), environment};
    second->m_nBaseFlags = 0xF0;
    data->m_mapArguments[static_cast<uint32_t>(second->m_nUniqueID)] = second;
    data->m_mapArguments[static_cast<uint32_t>(first->m_nUniqueID)] = first;

    auto* withResult = new CZREvent(true);
    withResult->m_strEventName = "Blast";
    withResult->m_vTrigger = {0, 1};
    withResult->nTmp = 1024;
    withResult->m_pResult = new CZRResult();
    withResult->m_pResult->m_nHazardKind = 1;
    withResult->m_pResult->m_bAAREntry = true;
    auto* plain = new CZREvent(true);
    plain->m_strEventName = "Quiet";
    plain->m_vTrigger = {1};
    data->m_lstEvents = {withResult, plain};
    return data;
}

TEST_F(EventsDataTest, WholeScriptStoresAgainByteForByte)
{
    auto data = MakeScript();
    data->m_bModified = true;
    for (int format : {QFArchive::kBinary, QFArchive::kXML}) {
        SCOPED_TRACE(format);
        // XML keeps a value on one line: only the binary form carries line breaks in texts.
        data->m_strIntroText = format == QFArchive::kBinary ? "Intro\nline" : "Intro line";
        const std::string first = Store(data.get(), format);
        EXPECT_FALSE(data->m_bModified);
        auto loaded = Load<CZREventsData>(first, format);
        ASSERT_FALSE(loaded.failed) << loaded.reason;
        ASSERT_TRUE(loaded.object);
        const CZREventsData& d = *loaded.object;
        EXPECT_TRUE(d.GetLoadProblems().empty());
        EXPECT_FALSE(d.m_bModified);
        ASSERT_EQ(d.m_vZones.size(), 2u);
        ASSERT_EQ(d.m_lstEvents.size(), 2u);
        ASSERT_EQ(d.m_mapArguments.size(), 2u);
        EXPECT_EQ(d.m_strIntroText, data->m_strIntroText);
        EXPECT_EQ(d.m_nGameEndTime, 1400);
        EXPECT_EQ(d.m_mapArguments.at(0)->m_vConditions.size(), 4u);
        EXPECT_EQ(d.m_mapArguments.at(1)->m_vConditions[3]->GetClassName(), "CConditionEnvironmentBased");
        ASSERT_NE(d.m_lstEvents.front()->m_pResult, nullptr);
        EXPECT_TRUE(d.m_lstEvents.front()->HasAAREntry());
        EXPECT_EQ(d.m_lstEvents.back()->m_pResult, nullptr);
        EXPECT_EQ(Store(loaded.object.get(), format), first) << format;
    }
}

// An events data of a version, without zones, events or triggers beyond what the caller appends.
ByteWriter& DataHead(ByteWriter& w, int version, int32_t start = 930)
{
    return w.ObjectHead(0, "CZREventsData")
        .Int16(version)
        .String("Title")
        .Int32(start)
        .String("Intro")
        .Int32(7)
        .Int32(8);
}

TEST_F(EventsDataTest, CurrentVersionBytes)
{
    CZREventsData data;
    data.m_strOriginalScenarioTitle = "Title";
    data.m_nGameStartTime = 930;
    data.m_strIntroText = "Intro";
    data.m_nGameEndTime = 1700;
    CZRArgument::m_nArgIDsource = 7;
    CZREvent::m_nEventIDsource = 8;
    auto* zone = new CTacticalMapZone();
    zone->m_nUniqueID = 3;
    data.m_vZones.push_back(zone);
    auto* event = new CZREvent();
    event->m_nUniqueID = 4;
    data.m_lstEvents.push_back(event);
    auto* trigger = new CZRArgument();
    trigger->m_nUniqueID = 5;
    data.m_mapArguments[6] = trigger;

    ByteWriter w;
    DataHead(w, 4).Int32(1);
    w.ObjectHead(1, "CTacticalMapZone")
        .Int16(1)
        .String("")
        .Int32(3)
        .Int32(0)
        .Int8(1)
        .Int32(-1)
        .Int32(-1)
        .Int32(-1)
        .Int32(-1);
    w.Int32(1).ObjectHead(2, "CZREvent").Int16(3).String("").String("").Int32(4).String("");
    w.Int8(0).Int8(0).Int8(0).Int8(0).Int32(100).Int32(0).Int32(0).Int32(0).Int32(0).NullPointer();
    w.Int32(1).Int32(6).ObjectHead(3, "CZRArgument").Int16(1).String("").Int32(5).Int16(0).Int32(0);
    w.Int32(1700);
    EXPECT_EQ(Store(&data), w.Bytes());

    CZRArgument::m_nArgIDsource = CZREvent::m_nEventIDsource = 0;
    auto loaded = Load<CZREventsData>(w.Bytes());
    ASSERT_FALSE(loaded.failed) << loaded.reason;
    EXPECT_EQ(CZRArgument::m_nArgIDsource, 7);
    EXPECT_EQ(CZREvent::m_nEventIDsource, 8);
    EXPECT_EQ(CTacticalMapZone::m_nZoneIDsource, 4);
    EXPECT_EQ(loaded.object->m_mapArguments.count(6), 1u);
    // Found by the trigger's own id, not by its key.
    EXPECT_EQ(loaded.object->FindArgument(5), loaded.object->m_mapArguments.at(6));
    EXPECT_EQ(loaded.object->FindArgument(6), nullptr);
    EXPECT_EQ(Store(loaded.object.get()), w.Bytes());
}

TEST_F(EventsDataTest, OldVersions)
{
    const struct {
        int version;
        std::vector<int32_t> tail; // after the three empty lists
        int32_t endTime;
    } cases[] = {
        {1, {}, 1330},
        {2, {1500}, 1500},
        {3, {1500, 77, 88}, 1500},
        {4, {1500}, 1500},
    };
    for (const auto& c : cases) {
        ByteWriter w;
        DataHead(w, c.version).Int32(0).Int32(0).Int32(0);
        for (int32_t v : c.tail)
            w.Int32(v);
        w.Int32(kSentinel);
        auto loaded = Load<CZREventsData>(w.Bytes(), QFArchive::kBinary, true);
        ASSERT_FALSE(loaded.failed) << c.version << ": " << loaded.reason;
        EXPECT_EQ(loaded.sentinel, kSentinel) << c.version;
        EXPECT_EQ(loaded.object->m_nGameStartTime, 930);
        EXPECT_EQ(loaded.object->m_nGameEndTime, c.endTime) << c.version;
        EXPECT_EQ(loaded.object->m_strIntroText, "Intro");
    }
}

ByteWriter& Zone(ByteWriter& w, int32_t objectId, int32_t zoneId)
{
    return w.ObjectHead(objectId, "CTacticalMapZone")
        .Int16(1)
        .String("z")
        .Int32(zoneId)
        .Int32(0)
        .Int8(1)
        .Int32(0)
        .Int32(0)
        .Int32(32)
        .Int32(32);
}

ByteWriter& Trigger(ByteWriter& w, int32_t objectId, int32_t triggerId)
{
    return w.ObjectHead(objectId, "CZRArgument").Int16(1).String("t").Int32(triggerId).Int16(0).Int32(0);
}

TEST_F(EventsDataTest, NextZoneIdFollowsTheLargestLoaded)
{
    ByteWriter w;
    DataHead(w, 4).Int32(3);
    Zone(w, 1, 4);
    Zone(w, 2, 9);
    Zone(w, 3, 2);
    w.Int32(0).Int32(0).Int32(400);
    auto loaded = Load<CZREventsData>(w.Bytes());
    ASSERT_FALSE(loaded.failed) << loaded.reason;
    EXPECT_EQ(CTacticalMapZone::m_nZoneIDsource, 10);
    CTacticalMapZone fresh;
    EXPECT_EQ(fresh.m_nUniqueID, 10);

    ByteWriter none;
    DataHead(none, 4).Int32(0).Int32(0).Int32(0).Int32(400);
    CTacticalMapZone::m_nZoneIDsource = 50;
    ASSERT_FALSE(Load<CZREventsData>(none.Bytes()).failed);
    EXPECT_EQ(CTacticalMapZone::m_nZoneIDsource, 1);
}

TEST_F(EventsDataTest, StoredIdCountersBelowTheIdsAreRaisedPastThem)
{
    const struct {
        std::vector<int32_t> events;
        std::vector<std::pair<uint32_t, int32_t>> triggers; // key, own id
        int32_t storedEvent, storedTrigger;
        int32_t event, trigger; // the counters after the load
    } cases[] = {
        {{1, 4}, {{2, 2}, {6, 5}}, 1, 1, 5, 7},     // below: a new event would share id 1, a new trigger key 2
        {{1, 4}, {{2, 2}, {6, 5}}, 20, 30, 20, 30}, // past every id: kept
        {{-1}, {{3, -1}}, 0, 0, 0, 4},              // id -1 is none; a key counts
    };
    for (const auto& c : cases) {
        CZREventsData data;
        for (int32_t id : c.events) {
            auto* event = new CZREvent();
            event->m_nUniqueID = id;
            data.m_lstEvents.push_back(event);
        }
        for (const auto& [key, id] : c.triggers) {
            auto* trigger = new CZRArgument();
            trigger->m_nUniqueID = id;
            data.m_mapArguments[key] = trigger;
        }
        CZREvent::m_nEventIDsource = c.storedEvent;
        CZRArgument::m_nArgIDsource = c.storedTrigger;
        const std::string bytes = Store(&data);
        CZREvent::m_nEventIDsource = CZRArgument::m_nArgIDsource = 99;
        auto loaded = Load<CZREventsData>(bytes);
        ASSERT_FALSE(loaded.failed) << loaded.reason;
        EXPECT_EQ(CZREvent::m_nEventIDsource, c.event) << c.storedEvent;
        EXPECT_EQ(CZRArgument::m_nArgIDsource, c.trigger) << c.storedTrigger;
    }
}

TEST_F(EventsDataTest, NullRecordsAndRepeatedKeysAreSkippedAndReported)
{
    ByteWriter w;
    DataHead(w, 4).Int32(2).NullPointer();
    Zone(w, 1, 4);
    w.Int32(1).NullPointer();
    w.Int32(3).Int32(1);
    Trigger(w, 2, 1);
    w.Int32(2).NullPointer().Int32(1);
    Trigger(w, 3, 11);
    w.Int32(1400).Int32(kSentinel);
    auto loaded = Load<CZREventsData>(w.Bytes(), QFArchive::kBinary, true);
    ASSERT_FALSE(loaded.failed) << loaded.reason;
    EXPECT_EQ(loaded.sentinel, kSentinel);
    const CZREventsData& d = *loaded.object;
    ASSERT_EQ(d.m_vZones.size(), 1u);
    EXPECT_EQ(d.m_vZones[0]->m_nUniqueID, 4);
    EXPECT_TRUE(d.m_lstEvents.empty());
    ASSERT_EQ(d.m_mapArguments.size(), 1u);
    EXPECT_EQ(d.m_mapArguments.at(1)->m_nUniqueID, 11); // the later trigger holds the key
    EXPECT_EQ(d.m_nGameEndTime, 1400);
    EXPECT_EQ(d.GetLoadProblems().size(), 4u);
}

TEST_F(EventsDataTest, CountsBeyondTheDataFail)
{
    for (int list = 0; list < 3; ++list) {
        ByteWriter w;
        DataHead(w, 4);
        for (int i = 0; i < 3; ++i)
            w.Int32(i == list ? 0x7FFFFFFF : 0);
        w.Int32(400);
        auto loaded = Load<CZREventsData>(w.Bytes());
        EXPECT_TRUE(loaded.failed) << list;
    }
}

TEST_F(EventsDataTest, ForwardRecordForAnOwnedElementFails)
{
    ByteWriter w;
    DataHead(w, 4).Int32(1).Record(6, 1).Int32(0).Int32(0).Int32(400);
    auto loaded = Load<CZREventsData>(w.Bytes());
    EXPECT_TRUE(loaded.failed);
}

} // namespace

namespace {

// With ZR_WRITE_FUZZ_SEEDS=<folder>, writes the seeds of the events fuzz target (first byte: bit 0 scenario
// description, bit 1 XML) into that folder; otherwise does nothing.
TEST_F(EventsDataTest, WritesFuzzSeedsWhenAsked)
{
    const char* folder = std::getenv("ZR_WRITE_FUZZ_SEEDS");
    if (!folder)
        return;
    auto write = [folder](const char* name, char selector, const std::string& bytes) {
        std::ofstream out(std::string(folder) + "/" + name, std::ios::binary);
        out.put(selector);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    };
    auto script = MakeScript();
    write("script_binary", 0, Store(script.get(), QFArchive::kBinary, false, "CZREventsData"));

    CZREventsData small;
    auto* zone = new CTacticalMapZone();
    zone->m_strZoneName = "Lot";
    small.m_vZones.push_back(zone);
    auto* trigger = new CZRArgument(true);
    trigger->m_vConditions.push_back(new CConditionLocationBased());
    small.m_mapArguments[0] = trigger;
    small.m_lstEvents.push_back(new CZREvent(true));
    write("small_xml", 2, Store(&small, QFArchive::kXML, false, "CZREventsData"));

    CScenarioData scenario;
    scenario.m_vScoreMessages = {"Good"};
    scenario.m_pEvents = script.release();
    write("scenario_binary", 1, Store(&scenario, QFArchive::kBinary, false, "CZREventsData"));
    CScenarioData plain;
    write("scenario_xml", 3, Store(&plain, QFArchive::kXML, false, "CZREventsData"));

    // Old versions: an events data of version 3 holding a version-1 event with a version-1 result and a
    // trigger with a version-1 location condition.
    ByteWriter w;
    DataHead(w, 3).Int32(0).Int32(1).ObjectHead(1, "CZREvent").Int16(1).String("Old").Int32(0).String("Text");
    w.Int8(0).Int8(0).Int8(0).Int8(0).Int32(100).Int32(0).Int32(0).Int32(1).Int32(0).Int32(32);
    w.ObjectHead(2, "CZRResult").Int16(1);
    for (int i = 0; i < 18; ++i)
        w.Int32(i);
    w.Int8(1).Int8(0).Int8(0).Int8(0).Int8(0);
    w.Int32(1).Int32(0).ObjectHead(3, "CZRArgument").Int16(1).String("T").Int32(0).Int16(4).Int32(1);
    w.ObjectHead(4, "CConditionLocationBased")
        .Int16(1)
        .Int8(0)
        .Int32(3)
        .Int16(1)
        .Int32(9)
        .Int32(1)
        .Int32(0)
        .Int32(0)
        .String("x");
    w.Int32(1200).Int32(0).Int32(0);
    write("old_versions_binary", 0, w.Bytes());
}

} // namespace
