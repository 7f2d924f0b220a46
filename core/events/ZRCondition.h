// The base of the eight condition kinds a trigger holds: kind, state and the operations each kind overrides.
#pragma once

#include "core/persist/QFArchive.h"

#include <cstdint>
#include <string>

class CZRArgument;

class CZRCondition : public QFSerializeBase {
    QF_DECLARE_SERIAL(CZRCondition)
public:
    CZRCondition() = default;
    ~CZRCondition() override = default;
    CZRCondition(const CZRCondition&) = delete;
    CZRCondition& operator=(const CZRCondition&) = delete;

    // Writes or reads the base part (its version, the state and the kind). A kind's Serialize runs this
    // whole first, then its own part.
    bool Serialize(QFArchive* archive) override;

    // One line of text for the editors' lists; the base's is empty.
    virtual std::string Describe() const { return std::string(); }
    // A new condition of the same kind with the stored members copied; the base gives null.
    virtual CZRCondition* Clone() const { return nullptr; }
    // Whether the news in the trigger's context concerns this condition.
    virtual bool IsRelevant(const CZRArgument& /*trigger*/) const { return false; }
    // Re-computes and stores the state from the trigger's context; returns it.
    virtual bool Evaluate(const CZRArgument& /*trigger*/) { return false; }
    // Clears a state that lasts one notification only; true when it did (the trigger then becomes false).
    virtual bool Reset() { return false; }

    int32_t m_nKind = 0;
    bool m_bState = false;
};

// The condition kinds and their trigger bits.
enum ConditionKind : int32_t {
    kConditionTime = 1,
    kConditionEvent = 2,
    kConditionLocation = 3,
    kConditionUnitActivation = 4,
    kConditionSquadProximity = 5,
    kConditionAction = 6,
    kConditionIAP = 7,
    kConditionEnvironment = 8,
};

// The trigger bit of a condition kind (note 0x10 for kind 6 and 0x20 for kind 5); 0 for any other number.
uint16_t ConditionKindBit(int32_t kind);
