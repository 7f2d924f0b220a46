// A trigger: a named list of conditions that holds when all hold, with the context its conditions read.
#pragma once

#include "core/events/ZRCondition.h"
#include "core/persist/QFArchive.h"

#include <cstdint>
#include <string>
#include <vector>

class CZREvent;

class CZRArgument : public QFSerializeBase {
    QF_DECLARE_SERIAL(CZRArgument)
public:
    // With takeNewId the trigger takes the next trigger id, else its id is -1 (triggers read from files).
    explicit CZRArgument(bool takeNewId = false);
    ~CZRArgument() override;
    CZRArgument(const CZRArgument&) = delete;
    CZRArgument& operator=(const CZRArgument&) = delete;

    // Empties the name, deletes the conditions (last first) and clears the state; id, flags and context stay.
    void Clear();
    // The condition-kind bits and the mask share a bit.
    bool HasBaseFlags(uint32_t mask) const { return (m_nBaseFlags & mask) != 0; }
    // Lets every condition clear a one-notification state, then returns the context to its defaults.
    void Reset();
    // Short-circuit AND over the conditions against the context (see the .cpp).
    void Evaluate();
    // The context fields back to their defaults.
    void ResetContext();

    // Stores the name, id, flags and conditions. A load that met null conditions skips them, keeps the rest of
    // the list in step, and returns false (LoadSkippedConditions tells how many).
    bool Serialize(QFArchive* archive) override;
    int LoadSkippedConditions() const { return m_nSkippedOnLoad; }

    bool m_bState = false;
    std::string m_strArgumentName;
    std::vector<CZRCondition*> m_vConditions; // owned

    // Evaluation context, filled by the trigger engine before Evaluate.
    int32_t m_nCtxGameTime = -1;
    const CZREvent* m_pCtxEvent = nullptr; // not owned
    int32_t m_nCtxSection = 8;
    int32_t m_nCtxUnit = 0;
    int32_t m_nCtxAction = 0;
    int32_t m_nCtxAgency = 9;
    int32_t m_nCtxSquadID = 0;
    bool m_bCtxStatus = true;
    int32_t m_nCtxX = -1;
    int32_t m_nCtxY = -1;

    int32_t m_nUniqueID;
    uint16_t m_nBaseFlags = 0;

    // The next trigger id; process-wide, stored with the events data.
    static int32_t m_nArgIDsource;

private:
    int m_nSkippedOnLoad = 0;
};
