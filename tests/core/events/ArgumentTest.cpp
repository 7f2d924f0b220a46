// Tests of triggers: short-circuit evaluation, reset rules, condition-kind bits and the stored form.
#include "core/events/ConditionKinds.h"
#include "core/events/ZRArgument.h"

#include "core/events/EventsArchiveTestSupport.h"
#include "support/ByteWriter.h"

namespace {

using evtest::kSentinel;
using evtest::Load;
using evtest::Store;

class ArgumentTest : public evtest::EventsTest {};

// A condition with scripted answers that counts how it is asked.
class CountingCondition : public CZRCondition {
public:
    CountingCondition(bool relevant, bool result, bool stored, bool clears = false)
        : m_relevant(relevant), m_result(result), m_clears(clears)
    {
        m_bState = stored;
    }
    bool IsRelevant(const CZRArgument&) const override
    {
        ++relevanceAsked;
        return m_relevant;
    }
    bool Evaluate(const CZRArgument&) override
    {
        ++evaluated;
        return m_bState = m_result;
    }
    bool Reset() override
    {
        ++resets;
        if (m_clears)
            m_bState = false;
        return m_clears;
    }
    mutable int relevanceAsked = 0;
    int evaluated = 0;
    int resets = 0;

private:
    bool m_relevant, m_result, m_clears;
};

struct Spec {
    bool relevant, result, stored;
};

TEST_F(ArgumentTest, EvaluationTable)
{
    const struct {
        const char* name;
        std::vector<Spec> conditions;
        bool before;
        bool after;
        std::vector<int> evaluated; // per condition
        std::vector<int> asked;     // per condition
    } cases[] = {
        {"no conditions keep true", {}, true, true, {}, {}},
        {"no conditions keep false", {}, false, false, {}, {}},
        {"none relevant keeps true", {{false, false, false}, {false, false, false}}, true, true, {0, 0}, {1, 1}},
        {"none relevant keeps false", {{false, true, true}}, false, false, {0}, {1}},
        {"first relevant false stops", {{true, false, true}, {true, true, true}}, true, false, {1, 0}, {1, 0}},
        {"irrelevant stored false counts", {{false, false, false}, {true, true, true}}, true, false, {0, 1}, {1, 1}},
        {"irrelevant stored true counts", {{false, false, true}, {true, true, false}}, false, true, {0, 1}, {1, 1}},
        {"all relevant true", {{true, true, false}, {true, true, false}}, false, true, {1, 1}, {1, 1}},
        {"later irrelevant false",
         {{true, true, false}, {false, false, false}, {true, true, false}},
         true,
         false,
         {1, 0, 1},
         {1, 1, 1}},
        {"stop after irrelevant",
         {{false, false, true}, {true, false, true}, {false, false, true}},
         true,
         false,
         {0, 1, 0},
         {1, 1, 0}},
    };
    for (const auto& c : cases) {
        CZRArgument trigger;
        trigger.m_bState = c.before;
        std::vector<CountingCondition*> doubles;
        for (const Spec& s : c.conditions) {
            doubles.push_back(new CountingCondition(s.relevant, s.result, s.stored));
            trigger.m_vConditions.push_back(doubles.back());
        }
        trigger.Evaluate();
        EXPECT_EQ(trigger.m_bState, c.after) << c.name;
        for (size_t i = 0; i < doubles.size(); ++i) {
            EXPECT_EQ(doubles[i]->evaluated, c.evaluated[i]) << c.name << " #" << i;
            EXPECT_EQ(doubles[i]->relevanceAsked, c.asked[i]) << c.name << " #" << i;
        }
    }
}

TEST_F(ArgumentTest, ResetClearsStateOnlyWhenAConditionClearsAndRestoresContext)
{
    CZRArgument trigger;
    auto* keeps = new CountingCondition(false, false, true, false);
    trigger.m_vConditions.push_back(keeps);
    trigger.m_bState = true;
    trigger.m_nCtxGameTime = 930;
    trigger.m_nCtxSection = 1;
    trigger.m_nCtxUnit = 2;
    trigger.m_nCtxAction = 3;
    trigger.m_nCtxAgency = 4;
    trigger.m_nCtxSquadID = 5;
    trigger.m_bCtxStatus = false;
    trigger.m_nCtxX = 6;
    trigger.m_nCtxY = 7;
    CZREvent event;
    trigger.m_pCtxEvent = &event;
    trigger.Reset();
    EXPECT_TRUE(trigger.m_bState);
    EXPECT_EQ(keeps->resets, 1);
    EXPECT_EQ(trigger.m_nCtxGameTime, -1);
    EXPECT_EQ(trigger.m_pCtxEvent, nullptr);
    EXPECT_EQ(trigger.m_nCtxSection, 8);
    EXPECT_EQ(trigger.m_nCtxUnit, 0);
    EXPECT_EQ(trigger.m_nCtxAction, 0);
    EXPECT_EQ(trigger.m_nCtxAgency, 9);
    EXPECT_EQ(trigger.m_nCtxSquadID, 0);
    EXPECT_TRUE(trigger.m_bCtxStatus);
    EXPECT_EQ(trigger.m_nCtxX, -1);
    EXPECT_EQ(trigger.m_nCtxY, -1);

    trigger.m_vConditions.push_back(new CountingCondition(false, false, true, true));
    trigger.Reset();
    EXPECT_FALSE(trigger.m_bState);

    // The real kinds: a location condition for one squad clears the trigger, a time condition does not.
    CZRArgument located, timed;
    auto* location = new CConditionLocationBased();
    location->m_nSquadID = 3;
    located.m_vConditions.push_back(location);
    located.m_bState = true;
    located.Reset();
    EXPECT_FALSE(located.m_bState);
    timed.m_vConditions.push_back(new CConditionTimeBased());
    timed.m_bState = true;
    timed.Reset();
    EXPECT_TRUE(timed.m_bState);
}

TEST_F(ArgumentTest, IdsAndBaseFlags)
{
    CZRArgument::m_nArgIDsource = 3;
    CZRArgument taken(true), plain;
    EXPECT_EQ(taken.m_nUniqueID, 3);
    EXPECT_EQ(plain.m_nUniqueID, -1);
    EXPECT_EQ(CZRArgument::m_nArgIDsource, 4);

    plain.m_nBaseFlags = ConditionKindBit(kConditionSquadProximity);
    EXPECT_TRUE(plain.HasBaseFlags(0x20));
    EXPECT_FALSE(plain.HasBaseFlags(0x10));
    plain.m_nBaseFlags = ConditionKindBit(kConditionAction) | ConditionKindBit(kConditionTime);
    EXPECT_EQ(plain.m_nBaseFlags, 0x11);
    EXPECT_TRUE(plain.HasBaseFlags(0x10));
    EXPECT_TRUE(plain.HasBaseFlags(0xFFFFFF01u));
    EXPECT_FALSE(plain.HasBaseFlags(0xFFFF0000u));
    EXPECT_EQ(ConditionKindBit(0), 0);
    EXPECT_EQ(ConditionKindBit(8), 0x80);
    EXPECT_EQ(ConditionKindBit(9), 0);
}

TEST_F(ArgumentTest, StoredFormAndClear)
{
    CZRArgument trigger;
    trigger.m_strArgumentName = "Two";
    trigger.m_nUniqueID = 9;
    trigger.m_nBaseFlags = 0x41;
    trigger.m_bState = true; // not stored
    auto* time = new CConditionTimeBased();
    trigger.m_vConditions = {time, new CConditionIAPBased()};

    ByteWriter w;
    w.ObjectHead(0, "CZRArgument").Int16(1).String("Two").Int32(9).Int16(0x41).Int32(2);
    w.ObjectHead(1, "CConditionTimeBased").Int16(1).Int8(0).Int32(1).Int16(1).Int32(1).Int32(29);
    w.ObjectHead(2, "CConditionIAPBased").Int16(1).Int8(0).Int32(7).Int16(2).Int8(1);
    EXPECT_EQ(Store(&trigger), w.Bytes());

    auto loaded = Load<CZRArgument>(w.Bytes());
    ASSERT_FALSE(loaded.failed) << loaded.reason;
    EXPECT_EQ(loaded.object->m_strArgumentName, "Two");
    EXPECT_EQ(loaded.object->m_nUniqueID, 9);
    EXPECT_EQ(loaded.object->m_nBaseFlags, 0x41);
    EXPECT_FALSE(loaded.object->m_bState);
    ASSERT_EQ(loaded.object->m_vConditions.size(), 2u);
    EXPECT_EQ(loaded.object->LoadSkippedConditions(), 0);
    EXPECT_EQ(Store(loaded.object.get()), w.Bytes());

    trigger.Clear();
    EXPECT_TRUE(trigger.m_vConditions.empty());
    EXPECT_TRUE(trigger.m_strArgumentName.empty());
    EXPECT_FALSE(trigger.m_bState);
    EXPECT_EQ(trigger.m_nUniqueID, 9);
    EXPECT_EQ(trigger.m_nBaseFlags, 0x41);
}

TEST_F(ArgumentTest, NullConditionIsSkippedAndTheRestStaysInStep)
{
    ByteWriter w;
    w.ObjectHead(0, "CZRArgument").Int16(1).String("T").Int32(1).Int16(0x41).Int32(3);
    w.ObjectHead(1, "CConditionTimeBased").Int16(1).Int8(0).Int32(1).Int16(1).Int32(1).Int32(1200);
    w.NullPointer();
    w.ObjectHead(2, "CConditionIAPBased").Int16(1).Int8(0).Int32(7).Int16(2).Int8(0);
    w.Int32(kSentinel);
    auto loaded = Load<CZRArgument>(w.Bytes(), QFArchive::kBinary, true);
    ASSERT_FALSE(loaded.failed) << loaded.reason;
    EXPECT_EQ(loaded.sentinel, kSentinel);
    ASSERT_EQ(loaded.object->m_vConditions.size(), 2u);
    EXPECT_EQ(loaded.object->m_vConditions[1]->m_nKind, kConditionIAP);
    EXPECT_EQ(loaded.object->LoadSkippedConditions(), 1);
}

} // namespace
