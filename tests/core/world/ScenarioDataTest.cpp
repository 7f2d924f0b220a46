// Tests of the scenario description: defaults, exact bytes, old versions, graded messages and its events data.
#include "core/events/ZREventsData.h"
#include "core/world/ScenarioData.h"

#include "core/events/EventsArchiveTestSupport.h"
#include "support/ByteWriter.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using evtest::Load;
using evtest::Store;

class ScenarioDataTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterCoreClasses();
        CZREvent::m_nEventIDsource = 0;
        CZRArgument::m_nArgIDsource = 0;
        CTacticalMapZone::m_nZoneIDsource = 0;
    }
};

// The form of an empty events data of version 4, as the scenario holds it.
ByteWriter& EmptyEvents(ByteWriter& w, int32_t id, int32_t argSource = 0, int32_t eventSource = 0)
{
    return w.ObjectHead(id, "CZREventsData")
        .Int16(4)
        .String("")
        .Int32(0)
        .String("")
        .Int32(argSource)
        .Int32(eventSource)
        .Int32(0)
        .Int32(0)
        .Int32(0)
        .Int32(400);
}

TEST_F(ScenarioDataTest, CurrentVersionBytes)
{
    CScenarioData data;
    std::strcpy(data.m_szTitle, "Bridge");
    data.SetDescription("Smoke");
    data.m_nWindDirection = 3;
    data.m_nWindSpeed = 12;
    data.m_nPredictedScore = 77;
    data.m_nPredictedCost = 5000;
    data.m_anScoreBreaks[0] = 90;
    data.m_anScoreBreaks[1] = 60;
    data.m_vScoreMessages = {"Great", "Fair"};
    data.m_anCostBreaks[0] = 4000;
    data.m_vCostMessages = {"Cheap"};
    data.CreateEventsData();

    ByteWriter w;
    w.ObjectHead(0, "CScenarioData").Int16(4).Int32(6).String("Bridge").Int32(5).String("Smoke").Int32(3).Int32(12);
    EmptyEvents(w, 1);
    w.Int32(77).Int32(2).Int32(90).String("Great").Int32(60).String("Fair");
    w.Int32(5000).Int32(1).Int32(4000).String("Cheap");
    EXPECT_EQ(Store(&data), w.Bytes());

    auto loaded = Load<CScenarioData>(w.Bytes());
    ASSERT_FALSE(loaded.failed) << loaded.reason;
    ASSERT_TRUE(loaded.object);
    EXPECT_EQ(Store(loaded.object.get()), w.Bytes());
}

TEST_F(ScenarioDataTest, NewDescriptionRoundTripsWithDefaults)
{
    CScenarioData data;
    auto loaded = Load<CScenarioData>(Store(&data, QFArchive::kXML), QFArchive::kXML);
    ASSERT_FALSE(loaded.failed) << loaded.reason;
    const CScenarioData& d = *loaded.object;
    EXPECT_STREQ(d.m_szTitle, "unnamed");
    EXPECT_STREQ(d.GetDescription(), "Describe incident here");
    EXPECT_EQ(d.m_nWindDirection, 9);
    EXPECT_EQ(d.m_nWindSpeed, 0);
    EXPECT_EQ(d.m_nPredictedScore, 0);
    EXPECT_EQ(d.m_nPredictedCost, 0);
    EXPECT_TRUE(d.m_vScoreMessages.empty());
    EXPECT_TRUE(d.m_vCostMessages.empty());
    ASSERT_NE(d.m_pEvents, nullptr);
}

TEST_F(ScenarioDataTest, EmptyDescriptionIsNoneAndLongTitleIsCut)
{
    CScenarioData data;
    data.SetDescription("");
    EXPECT_EQ(data.GetDescription(), nullptr);
    const std::string longTitle(70, 'T');

    ByteWriter w;
    w.ObjectHead(0, "CScenarioData").Int16(4).Int32(70).String(longTitle).Int32(0).String("").Int32(1).Int32(2);
    w.NullPointer().Int32(0).Int32(0).Int32(0).Int32(0);
    auto loaded = Load<CScenarioData>(w.Bytes());
    ASSERT_FALSE(loaded.failed) << loaded.reason;
    EXPECT_EQ(std::string(loaded.object->m_szTitle), longTitle.substr(0, 50));
    EXPECT_EQ(loaded.object->GetDescription(), nullptr);
}

// Old versions: the members each holds, and a sentinel after the object still in step.
TEST_F(ScenarioDataTest, OldVersions)
{
    { // Version 1: two retired times, no events: an empty events data is made.
        ByteWriter w;
        w.ObjectHead(0, "CScenarioData").Int16(1).Int32(1).String("A").Int32(1).String("B").Int32(4).Int32(7);
        w.Int32(111).Int32(222).Int32(evtest::kSentinel);
        auto loaded = Load<CScenarioData>(w.Bytes(), QFArchive::kBinary, true);
        ASSERT_FALSE(loaded.failed) << loaded.reason;
        EXPECT_EQ(loaded.sentinel, evtest::kSentinel);
        EXPECT_STREQ(loaded.object->m_szTitle, "A");
        EXPECT_EQ(loaded.object->m_nWindDirection, 4);
        EXPECT_EQ(loaded.object->m_nWindSpeed, 7);
        ASSERT_NE(loaded.object->m_pEvents, nullptr);
        EXPECT_TRUE(loaded.object->m_pEvents->m_lstEvents.empty());
    }
    { // Version 2: the retired times, then the events data.
        ByteWriter w;
        w.ObjectHead(0, "CScenarioData").Int16(2).Int32(1).String("A").Int32(0).String("").Int32(4).Int32(7);
        w.Int32(111).Int32(222);
        EmptyEvents(w, 1, 5, 6);
        w.Int32(evtest::kSentinel);
        auto loaded = Load<CScenarioData>(w.Bytes(), QFArchive::kBinary, true);
        ASSERT_FALSE(loaded.failed) << loaded.reason;
        EXPECT_EQ(loaded.sentinel, evtest::kSentinel);
        ASSERT_NE(loaded.object->m_pEvents, nullptr);
        EXPECT_EQ(CZRArgument::m_nArgIDsource, 5);
        EXPECT_EQ(CZREvent::m_nEventIDsource, 6);
    }
    { // Version 3: no times, events, no grades.
        ByteWriter w;
        w.ObjectHead(0, "CScenarioData").Int16(3).Int32(1).String("A").Int32(0).String("").Int32(4).Int32(7);
        EmptyEvents(w, 1);
        w.Int32(evtest::kSentinel);
        auto loaded = Load<CScenarioData>(w.Bytes(), QFArchive::kBinary, true);
        ASSERT_FALSE(loaded.failed) << loaded.reason;
        EXPECT_EQ(loaded.sentinel, evtest::kSentinel);
        EXPECT_EQ(loaded.object->m_nPredictedScore, 0);
        EXPECT_EQ(loaded.object->m_nPredictedCost, 0);
        EXPECT_TRUE(loaded.object->m_vScoreMessages.empty());
        ASSERT_NE(loaded.object->m_pEvents, nullptr);
    }
}

TEST_F(ScenarioDataTest, NullEventsInNewerFileGetsAnEmptyOne)
{
    ByteWriter w;
    w.ObjectHead(0, "CScenarioData").Int16(4).Int32(1).String("A").Int32(0).String("").Int32(4).Int32(7);
    w.NullPointer().Int32(0).Int32(0).Int32(0).Int32(0);
    auto loaded = Load<CScenarioData>(w.Bytes());
    ASSERT_FALSE(loaded.failed) << loaded.reason;
    ASSERT_NE(loaded.object->m_pEvents, nullptr);
}

TEST_F(ScenarioDataTest, MoreThanThreeGradesAreReadAndDropped)
{
    ByteWriter w;
    w.ObjectHead(0, "CScenarioData").Int16(4).Int32(1).String("A").Int32(0).String("").Int32(4).Int32(7);
    w.NullPointer().Int32(50).Int32(5);
    for (int i = 0; i < 5; ++i)
        w.Int32(100 - i).String("s" + std::to_string(i));
    w.Int32(900).Int32(4);
    for (int i = 0; i < 4; ++i)
        w.Int32(1000 + i).String("c" + std::to_string(i));
    w.Int32(evtest::kSentinel);
    auto loaded = Load<CScenarioData>(w.Bytes(), QFArchive::kBinary, true);
    ASSERT_FALSE(loaded.failed) << loaded.reason;
    EXPECT_EQ(loaded.sentinel, evtest::kSentinel);
    const CScenarioData& d = *loaded.object;
    EXPECT_EQ(d.m_nPredictedScore, 50);
    EXPECT_EQ(d.m_vScoreMessages, (std::vector<std::string>{"s0", "s1", "s2"}));
    EXPECT_EQ(d.m_anScoreBreaks[2], 98);
    EXPECT_EQ(d.m_nPredictedCost, 900);
    EXPECT_EQ(d.m_vCostMessages, (std::vector<std::string>{"c0", "c1", "c2"}));
    EXPECT_EQ(d.m_anCostBreaks[2], 1002);
}

TEST_F(ScenarioDataTest, StoringMoreThanThreeMessagesWritesThree)
{
    CScenarioData data;
    data.m_vScoreMessages = {"a", "b", "c", "d"};
    auto loaded = Load<CScenarioData>(Store(&data));
    ASSERT_FALSE(loaded.failed) << loaded.reason;
    EXPECT_EQ(loaded.object->m_vScoreMessages, (std::vector<std::string>{"a", "b", "c"}));
}

TEST_F(ScenarioDataTest, TruncatedFileFails)
{
    CScenarioData data;
    data.m_vScoreMessages = {"a", "b"};
    const std::string bytes = Store(&data);
    for (size_t cut : {bytes.size() - 1, bytes.size() / 2, size_t(20)}) {
        auto loaded = Load<CScenarioData>(bytes.substr(0, cut));
        EXPECT_TRUE(loaded.failed) << cut;
    }
}

} // namespace

// ---- the scenario editor's operations ----

TEST_F(ScenarioDataTest, TitleOfFiftyCharactersIsTakenAndALongerOneLeavesTheOld)
{
    CScenarioData data;
    const std::string fifty(50, 'x');
    data.SetTitle(fifty.c_str());
    EXPECT_EQ(std::string(data.m_szTitle), fifty);
    data.SetTitle((fifty + "y").c_str());
    EXPECT_EQ(std::string(data.m_szTitle), fifty);
    data.SetTitle("Short");
    EXPECT_STREQ(data.m_szTitle, "Short");
    EXPECT_EQ(data.m_szTitle[6], '\0'); // the old characters are cleared
}

TEST_F(ScenarioDataTest, ResetEventsDataPutsAnEmptyOneInPlace)
{
    CScenarioData data;
    data.ResetEventsData();
    ASSERT_NE(data.m_pEvents, nullptr);
    data.m_pEvents->m_lstEvents.push_back(new CZREvent(true));
    data.ResetEventsData();
    ASSERT_NE(data.m_pEvents, nullptr);
    EXPECT_TRUE(data.m_pEvents->m_lstEvents.empty());
    EXPECT_EQ(data.m_pEvents->m_nGameEndTime, 400);
}

TEST_F(ScenarioDataTest, ImportEventsTakesAWholeFileAndKeepsTheOldOnAnyFault)
{
    CZREventsData source;
    source.m_strIntroText = "Imported";
    source.m_lstEvents.push_back(new CZREvent(true));
    const std::string good = Store(&source, QFArchive::kBinary, false, "CZREventsData");
    const std::string path = evtest::TempPath();
    auto write = [&](const std::string& bytes) {
        std::ofstream out(path, std::ios::binary);
        out << bytes;
    };
    CScenarioData data;
    data.CreateEventsData();
    data.m_pEvents->m_strIntroText = "Own";
    struct Case {
        std::string bytes;
        const char* what;
    };
    for (const Case& c : {Case{good.substr(0, good.size() - 3), "truncated"}, Case{"garbage", "garbage"},
                          Case{ByteWriter().NullPointer().Bytes(), "no object"}}) {
        write(c.bytes);
        EXPECT_FALSE(data.ImportEvents(path)) << c.what;
        EXPECT_EQ(data.m_pEvents->m_strIntroText, "Own") << c.what;
    }
    EXPECT_FALSE(data.ImportEvents(path + ".missing"));
    write(good);
    ASSERT_TRUE(data.ImportEvents(path));
    EXPECT_EQ(data.m_pEvents->m_strIntroText, "Imported");
    EXPECT_EQ(data.m_pEvents->m_lstEvents.size(), 1u);
    std::filesystem::remove(path);
}
