// The eight condition kinds: game time, event, location, unit activation, proximity, action, IAP, environment.
#pragma once

#include "core/events/ZRCondition.h"

#include <cstdint>
#include <string>

// 1: game time compared with a time of day.
class CConditionTimeBased : public CZRCondition {
    QF_DECLARE_SERIAL(CConditionTimeBased)
public:
    CConditionTimeBased() { m_nKind = kConditionTime; }
    bool Serialize(QFArchive* archive) override;
    std::string Describe() const override;
    CZRCondition* Clone() const override;
    bool IsRelevant(const CZRArgument& trigger) const override;
    bool Evaluate(const CZRArgument& trigger) override;

    int32_t m_nComparison = 1;  // 1: at or after the target; 0: before it
    int32_t m_nTargetTime = 29; // HHMM
};

// 2: an event has / has not occurred.
class CConditionEventBased : public CZRCondition {
    QF_DECLARE_SERIAL(CConditionEventBased)
public:
    CConditionEventBased() { m_nKind = kConditionEvent; }
    bool Serialize(QFArchive* archive) override;
    std::string Describe() const override;
    CZRCondition* Clone() const override;
    bool IsRelevant(const CZRArgument& trigger) const override;
    bool Evaluate(const CZRArgument& trigger) override;

    int32_t m_nEventID = -1;
    bool m_bWasEventExecuted = true;
};

// 3: a squad is inside a map zone.
class CConditionLocationBased : public CZRCondition {
    QF_DECLARE_SERIAL(CConditionLocationBased)
public:
    CConditionLocationBased() { m_nKind = kConditionLocation; }
    bool Serialize(QFArchive* archive) override;
    std::string Describe() const override;
    CZRCondition* Clone() const override;
    bool IsRelevant(const CZRArgument& trigger) const override;
    bool Evaluate(const CZRArgument& trigger) override;
    bool Reset() override;

    int32_t m_nLocationMode = 1; // stored; no effect on the test
    int32_t m_nTargetCount = 0;  // stored; no effect on the test
    int32_t m_nRefCount = 0;     // stored; no effect on the test
    int32_t m_nAgency = 9;       // 9 = any agency
    int32_t m_nZoneID = -1;
    int32_t m_nSquadID = 0; // 0 = any squad of the agency
};

// 4: an ICS unit has / has not been activated (latched).
class CConditionZRUnitActivationBased : public CZRCondition {
    QF_DECLARE_SERIAL(CConditionZRUnitActivationBased)
public:
    CConditionZRUnitActivationBased() { m_nKind = kConditionUnitActivation; }
    bool Serialize(QFArchive* archive) override;
    std::string Describe() const override;
    CZRCondition* Clone() const override;
    bool IsRelevant(const CZRArgument& trigger) const override;
    bool Evaluate(const CZRArgument& trigger) override;

    int32_t m_nSection = 8;
    int32_t m_nUnit = 0;
    bool m_bWasUnitActivated = false;
};

// 5: a squad is in range to perform an action upon a target; the trigger engine sets the state.
class CConditionSquadProximityBased : public CZRCondition {
    QF_DECLARE_SERIAL(CConditionSquadProximityBased)
public:
    CConditionSquadProximityBased() { m_nKind = kConditionSquadProximity; }
    bool Serialize(QFArchive* archive) override;
    std::string Describe() const override;
    CZRCondition* Clone() const override;
    bool IsRelevant(const CZRArgument& trigger) const override;
    bool Evaluate(const CZRArgument& trigger) override;
    bool Reset() override;

    int32_t m_nAgency = 0;
    int32_t m_nSquadID = 0;
    int32_t m_nAction = 0;
    int32_t m_nTargetAgency = 0; // bit k for agency kind k, k = 0..6
};

// 6: an action is initiated / completed by a squad.
class CConditionActionBased : public CZRCondition {
    QF_DECLARE_SERIAL(CConditionActionBased)
public:
    CConditionActionBased() { m_nKind = kConditionAction; }
    bool Serialize(QFArchive* archive) override;
    std::string Describe() const override;
    CZRCondition* Clone() const override;
    bool IsRelevant(const CZRArgument& trigger) const override;
    bool Evaluate(const CZRArgument& trigger) override;
    bool Reset() override;

    int32_t m_nAction = 0;
    int32_t m_nAgency = 9;       // 9 or more = anyone
    bool m_bActionStatus = true; // true: initiated; false: completed
    int32_t m_nSquadID = 0;      // 0 = any
};

// 7: the IAP phase has / has not occurred.
class CConditionIAPBased : public CZRCondition {
    QF_DECLARE_SERIAL(CConditionIAPBased)
public:
    CConditionIAPBased() { m_nKind = kConditionIAP; }
    bool Serialize(QFArchive* archive) override;
    std::string Describe() const override;
    CZRCondition* Clone() const override;
    bool IsRelevant(const CZRArgument& trigger) const override;
    bool Evaluate(const CZRArgument& trigger) override;
    bool Reset() override;

    bool m_bWasEventExecuted = true;
};

// 8: an environmental effect has occurred.
class CConditionEnvironmentBased : public CZRCondition {
    QF_DECLARE_SERIAL(CConditionEnvironmentBased)
public:
    CConditionEnvironmentBased() { m_nKind = kConditionEnvironment; }
    bool Serialize(QFArchive* archive) override;
    std::string Describe() const override;
    CZRCondition* Clone() const override;
    bool IsRelevant(const CZRArgument& trigger) const override;
    bool Evaluate(const CZRArgument& trigger) override;
    bool Reset() override;

    // The effect's name, or null for an index outside 0..4.
    static const char* GetEffectName(int32_t effect);

    static constexpr int kEffectCount = 5;
    static constexpr const char* m_aszEffectNames[kEffectCount] = {"Explosion", "Fire Starts", "Electrical Hazard",
                                                                   "Gas Hazard", "Water Hazard"};

    bool m_bWasEventExecuted = true; // stored; only sets the state after loading
    int32_t m_nEffect = 0;
    // Not stored: where the effect happened, filled by the trigger engine for the event text.
    int32_t m_nX = -1;
    int32_t m_nY = -1;
};
