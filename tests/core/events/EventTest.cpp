// Tests of events and results: ids, recipient helpers, exact bytes and every stored version.
#include "core/events/ZREvent.h"
#include "core/events/ZRResult.h"

#include "core/events/EventsArchiveTestSupport.h"
#include "support/ByteWriter.h"

#include <memory>

namespace {

using evtest::kSentinel;
using evtest::Load;
using evtest::Store;

class EventTest : public evtest::EventsTest {};

TEST_F(EventTest, IdsComeFromTheCounterOnlyWhenAsked)
{
    CZREvent::m_nEventIDsource = 12;
    CZREvent taken(true);
    CZREvent plain(false);
    std::unique_ptr<QFSerializeBase> made(CZREvent::CreateObject());
    EXPECT_EQ(taken.m_nUniqueID, 12);
    EXPECT_EQ(plain.m_nUniqueID, -1);
    EXPECT_EQ(static_cast<CZREvent*>(made.get())->m_nUniqueID, -1);
    EXPECT_EQ(CZREvent::m_nEventIDsource, 13);
    EXPECT_EQ(plain.m_nChanceOfResult, 100);
    EXPECT_FALSE(plain.HasAAREntry());
    EXPECT_TRUE(plain.IsTmpZero());
    plain.m_pResult = new CZRResult();
    EXPECT_FALSE(plain.HasAAREntry());
    plain.m_pResult->m_bAAREntry = true;
    EXPECT_TRUE(plain.HasAAREntry());
}

TEST_F(EventTest, AssignmentCopiesAllButTheIdAndTheResultDeeply)
{
    CZREvent::m_nEventIDsource = 40;
    auto source = std::make_unique<CZREvent>(true);
    source->m_strEventName = "Alarm";
    source->m_strEventText = "Bells";
    source->m_nChanceOfResult = 60;
    source->m_vTrigger = {3, 5};
    source->nTmp = 1024;
    source->m_pResult = new CZRResult();
    source->m_pResult->m_nDelayFrom = 7;
    CZREvent target(true);
    target.m_pResult = new CZRResult();
    target = *source;
    const CZRResult* copied = target.m_pResult;
    source.reset();
    EXPECT_EQ(target.m_nUniqueID, 41);
    EXPECT_EQ(target.m_strEventName, "Alarm");
    EXPECT_EQ(target.m_strEventText, "Bells");
    EXPECT_EQ(target.m_nChanceOfResult, 60);
    EXPECT_EQ(target.m_vTrigger, (std::vector<uint32_t>{3, 5}));
    EXPECT_EQ(target.nTmp, 1024);
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->m_nDelayFrom, 7);
    const CZREvent& same = target;
    target = same;
    EXPECT_EQ(target.m_pResult, copied);
}

TEST_F(EventTest, RecipientHelpers)
{
    const std::pair<int32_t, int32_t> upgrades[] = {
        {1, 1},       {2, 2},        {4, 4},        {8, 8},        {16, 16}, {32, 1024}, {64, 2048}, {128, 4096},
        {1024, 8192}, {2048, 16384}, {4096, 32768}, {8192, 65536}, {3, 0},   {0, 0},     {256, 0},   {-1, 0},
    };
    for (auto [old, now] : upgrades)
        EXPECT_EQ(UpgradeRecipientFlags(old), now) << old;
    const std::pair<int32_t, int32_t> bits[] = {{0, 1}, {10, 1024}, {16, 65536}, {17, 0}, {-1, 0}, {-32, 0}};
    for (auto [index, bit] : bits)
        EXPECT_EQ(AgencyBitFromIndex(index), bit) << index;
}

// An event's stored form for a given version, without the object head; `result` false writes a null pointer.
ByteWriter EventBody(int version, int32_t mask)
{
    ByteWriter w;
    w.Int16(version).String("Alarm");
    if (version >= 2)
        w.String("Title");
    w.Int32(42).String("Text").Int8(1).Int8(0).Int8(1).Int8(0).Int32(75).Int32(5).Int32(9);
    w.Int32(2).Int32(3).Int32(0xFFFFFFF0).Int32(mask).NullPointer();
    return w;
}

TEST_F(EventTest, CurrentVersionBytesAndRoundTrip)
{
    CZREvent event;
    event.m_strEventName = "Alarm";
    event.m_strEventTitle = "Title";
    event.m_nUniqueID = 42;
    event.m_strEventText = "Text";
    event.m_bIsDelayed = true;
    event.m_bHasBeenExecuted = true;
    event.m_bListedByTimeTrigger = true; // not stored
    event.m_nChanceOfResult = 75;
    event.m_nDelayResultFrom = 5;
    event.m_nDelayResultTo = 9;
    event.m_vTrigger = {3, 0xFFFFFFF0u};
    event.nTmp = 0x10401;

    ByteWriter w;
    w.ObjectHead(0, "CZREvent").Raw(EventBody(3, 0x10401).Bytes());
    EXPECT_EQ(Store(&event), w.Bytes());

    auto loaded = Load<CZREvent>(w.Bytes());
    ASSERT_FALSE(loaded.failed) << loaded.reason;
    const CZREvent& e = *loaded.object;
    EXPECT_EQ(e.m_strEventTitle, "Title");
    EXPECT_EQ(e.m_nUniqueID, 42);
    EXPECT_TRUE(e.m_bIsDelayed);
    EXPECT_FALSE(e.m_bIsEndEvent);
    EXPECT_TRUE(e.m_bHasBeenExecuted);
    EXPECT_FALSE(e.m_bRepeatableEvent);
    EXPECT_FALSE(e.m_bListedByTimeTrigger);
    EXPECT_EQ(e.m_vTrigger, (std::vector<uint32_t>{3, 0xFFFFFFF0u}));
    EXPECT_EQ(e.nTmp, 0x10401);
    EXPECT_EQ(e.m_pResult, nullptr);
    EXPECT_EQ(Store(loaded.object.get()), w.Bytes());
}

TEST_F(EventTest, OldVersions)
{
    const struct {
        int version;
        int32_t storedMask, loadedMask;
        const char* title;
    } cases[] = {
        {1, 32, 1024, ""}, {2, 32, 1024, "Title"}, {2, 16, 16, "Title"}, {2, 3, 0, "Title"}, {3, 32, 32, "Title"},
    };
    for (const auto& c : cases) {
        ByteWriter w;
        w.ObjectHead(0, "CZREvent").Raw(EventBody(c.version, c.storedMask).Bytes()).Int32(kSentinel);
        auto loaded = Load<CZREvent>(w.Bytes(), QFArchive::kBinary, true);
        ASSERT_FALSE(loaded.failed) << c.version << ": " << loaded.reason;
        EXPECT_EQ(loaded.sentinel, kSentinel) << c.version;
        EXPECT_EQ(loaded.object->m_strEventTitle, c.title) << c.version;
        EXPECT_EQ(loaded.object->m_nUniqueID, 42) << c.version;
        EXPECT_EQ(loaded.object->nTmp, c.loadedMask) << c.version << "/" << c.storedMask;
        EXPECT_EQ(loaded.object->m_nDelayResultTo, 9) << c.version;
    }
}

TEST_F(EventTest, TriggerCountBeyondTheDataFails)
{
    ByteWriter w;
    w.ObjectHead(0, "CZREvent").Int16(3).String("A").String("").Int32(1).String("");
    w.Int8(0).Int8(0).Int8(0).Int8(0).Int32(100).Int32(0).Int32(0).Int32(0x7FFFFFFF).Int32(1).Int32(2);
    auto loaded = Load<CZREvent>(w.Bytes());
    EXPECT_TRUE(loaded.failed);
}

// ---------------------------------------------------------------------------------------------------------------

// A result's members through the hazard kind, in stream order, with distinct values.
ByteWriter& ResultHead(ByteWriter& w, int version)
{
    w.Int16(version);
    for (int32_t v : {11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 0x60, 21, 22}) // chance .. Resource Points
        w.Int32(v);
    return w.Int32(31).Int32(32).Int32(2).Int32(7); // hazard x, y, value, then kind
}

void ExpectResultHead(const CZRResult& r)
{
    EXPECT_EQ(r.m_nChanceOfOccurance, 11);
    EXPECT_EQ(r.m_nDelayFrom, 12);
    EXPECT_EQ(r.m_nDelayTo, 13);
    EXPECT_EQ(r.m_nSquadKind, 14);
    EXPECT_EQ(r.m_nSquadType, 15);
    EXPECT_EQ(r.m_nSquadAgency, 16);
    EXPECT_EQ(r.m_nSquadID, 17);
    EXPECT_EQ(r.m_nOrderID, 18);
    EXPECT_EQ(r.m_nOrderX, 19);
    EXPECT_EQ(r.m_nOrderY, 20);
    EXPECT_EQ(r.m_nConnectionNodeFlag, 0x60);
    EXPECT_EQ(r.m_nZoneToBeFlagged, 21);
    EXPECT_EQ(r.m_nZRPoints, 22);
    EXPECT_EQ(r.m_nHazardX, 31);
    EXPECT_EQ(r.m_nHazardY, 32);
    EXPECT_EQ(r.m_nHazardValue, 2);
    EXPECT_EQ(r.m_nHazardKind, 7);
    EXPECT_TRUE(r.m_abEquipAgency[0]);
    EXPECT_FALSE(r.m_abEquipAgency[1]);
    EXPECT_TRUE(r.m_abEquipAgency[4]);
}

TEST_F(EventTest, ResultCurrentVersionBytes)
{
    CZRResult result;
    result.m_nChanceOfOccurance = 11;
    result.m_nDelayFrom = 12;
    result.m_nDelayTo = 13;
    result.m_nSquadKind = 14;
    result.m_nSquadType = 15;
    result.m_nSquadAgency = 16;
    result.m_nSquadID = 17;
    result.m_nOrderID = 18;
    result.m_nOrderX = 19;
    result.m_nOrderY = 20;
    result.m_nConnectionNodeFlag = 0x60;
    result.m_nZoneToBeFlagged = 21;
    result.m_nZRPoints = 22;
    result.m_nHazardX = 31;
    result.m_nHazardY = 32;
    result.m_nHazardValue = 2;
    result.m_nHazardKind = 7;
    result.m_abEquipAgency[0] = result.m_abEquipAgency[4] = true;
    result.m_bHideHazard = true;
    result.m_bAAREntry = true;
    result.m_anScore[0] = 41;
    result.m_anScore[1] = 42;
    result.m_anScore[2] = 43;
    result.m_nCost = 5000;
    result.m_nBlowBombFrom = 3;
    result.m_nBlowBombTo = 8;

    ByteWriter w;
    ResultHead(w.ObjectHead(0, "CZRResult"), 6);
    w.Int8(1).Int8(0).Int8(0).Int8(0).Int8(1).Int8(1).Int8(1).Int32(41).Int32(42).Int32(43);
    w.Int32(5000).Int32(3).Int32(8);
    EXPECT_EQ(Store(&result), w.Bytes());

    auto loaded = Load<CZRResult>(w.Bytes());
    ASSERT_FALSE(loaded.failed) << loaded.reason;
    ExpectResultHead(*loaded.object);
    EXPECT_EQ(Store(loaded.object.get()), w.Bytes());
}

TEST_F(EventTest, ResultOldVersions)
{
    { // Version 1: one retired value after the hazard kind, none after the equipment flags.
        ByteWriter w;
        ResultHead(w.ObjectHead(0, "CZRResult"), 1).Int32(999);
        w.Int8(1).Int8(0).Int8(0).Int8(0).Int8(1).Int32(kSentinel);
        auto loaded = Load<CZRResult>(w.Bytes(), QFArchive::kBinary, true);
        ASSERT_FALSE(loaded.failed) << loaded.reason;
        EXPECT_EQ(loaded.sentinel, kSentinel);
        ExpectResultHead(*loaded.object);
        EXPECT_FALSE(loaded.object->m_bHideHazard);
        EXPECT_FALSE(loaded.object->m_bAAREntry);
    }
    { // Version 3: both retired values, then the hidden flag.
        ByteWriter w;
        ResultHead(w.ObjectHead(0, "CZRResult"), 3).Int32(999);
        w.Int8(1).Int8(0).Int8(0).Int8(0).Int8(1).Int32(998).Int8(1).Int32(kSentinel);
        auto loaded = Load<CZRResult>(w.Bytes(), QFArchive::kBinary, true);
        ASSERT_FALSE(loaded.failed) << loaded.reason;
        EXPECT_EQ(loaded.sentinel, kSentinel);
        ExpectResultHead(*loaded.object);
        EXPECT_TRUE(loaded.object->m_bHideHazard);
        EXPECT_FALSE(loaded.object->m_bAAREntry);
    }
    { // Version 5: no retired values; hidden, AAR and scores; cost and bomb bounds stay 0.
        ByteWriter w;
        ResultHead(w.ObjectHead(0, "CZRResult"), 5);
        w.Int8(1).Int8(0).Int8(0).Int8(0).Int8(1).Int8(0).Int8(1).Int32(41).Int32(42).Int32(43).Int32(kSentinel);
        auto loaded = Load<CZRResult>(w.Bytes(), QFArchive::kBinary, true);
        ASSERT_FALSE(loaded.failed) << loaded.reason;
        EXPECT_EQ(loaded.sentinel, kSentinel);
        ExpectResultHead(*loaded.object);
        EXPECT_TRUE(loaded.object->m_bAAREntry);
        EXPECT_EQ(loaded.object->m_anScore[2], 43);
        EXPECT_EQ(loaded.object->m_nCost, 0);
        EXPECT_EQ(loaded.object->m_nBlowBombFrom, 0);
        EXPECT_EQ(loaded.object->m_nBlowBombTo, 0);
    }
}

} // namespace
