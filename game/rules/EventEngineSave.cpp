// The event trigger engine's block of the saved game, and the conditions restored after loading one.
#include "core/events/ConditionKinds.h"
#include "core/events/ZREventsData.h"
#include "game/rules/EventEngine.h"
#include "core/util/ByteStream.h"

#include <unordered_map>
#include <vector>

namespace {

// Bytes of one event and one trigger record.
constexpr size_t kEventRecordSize = 14;
constexpr size_t kTriggerRecordSize = 5;

} // namespace

void CEventEngine::Save(CByteWriter& out) const
{
    if (!m_pData) {
        out.WriteI32(0);
        out.WriteI32(0);
        return;
    }
    int32_t count = 0;
    for (const CZREvent* event : m_pData->m_lstEvents)
        count += event ? 1 : 0;
    out.WriteI32(count);
    for (const CZREvent* event : m_pData->m_lstEvents) {
        if (!event)
            continue;
        int32_t triggerId = -1;
        int32_t due = 0;
        const bool pending = GetDelay(event, triggerId, due);
        out.WriteI32(event->m_nUniqueID);
        out.WriteU8(event->m_bHasBeenExecuted ? 1 : 0);
        out.WriteU8(pending ? 1 : 0);
        out.WriteI32(pending ? triggerId : -1);
        out.WriteI32(pending ? due : 0);
    }
    count = 0;
    for (const auto& entry : m_pData->m_mapArguments)
        count += entry.second ? 1 : 0;
    out.WriteI32(count);
    for (const auto& entry : m_pData->m_mapArguments) {
        if (!entry.second)
            continue;
        out.WriteI32(entry.second->m_nUniqueID);
        out.WriteU8(entry.second->m_bState ? 1 : 0);
    }
}

bool CEventEngine::Load(CByteReader& in)
{
    // Read and checked whole first: a block naming an event the scenario lacks, or with flags or times no game
    // writes, changes nothing. Triggers made during play (delays) are not in the scenario: those are skipped.
    struct EventState {
        CZREvent* pEvent;
        bool bExecuted, bPending;
        int32_t nDue;
    };
    int32_t count = 0;
    // Every count must fit the bytes that are left.
    if (!in.ReadI32(count) || count < 0 || static_cast<size_t>(count) > in.Remaining() / kEventRecordSize)
        return false;
    std::unordered_map<int32_t, CZREvent*> events;
    if (m_pData) {
        for (CZREvent* event : m_pData->m_lstEvents) {
            if (event)
                events.emplace(event->m_nUniqueID, event);
        }
    }
    std::vector<EventState> states;
    for (int32_t i = 0; i < count; ++i) {
        int32_t id = 0, triggerId = 0, due = 0;
        uint8_t executed = 0, pending = 0;
        in.ReadI32(id);
        in.ReadU8(executed);
        in.ReadU8(pending);
        in.ReadI32(triggerId);
        in.ReadI32(due);
        auto found = events.find(id);
        if (!in.Ok() || found == events.end() || executed > 1 || pending > 1 || triggerId < -1 || (pending && due < 0))
            return false;
        states.push_back({found->second, executed != 0, pending != 0, due});
    }
    std::vector<std::pair<int32_t, bool>> triggers;
    if (!in.ReadI32(count) || count < 0 || static_cast<size_t>(count) > in.Remaining() / kTriggerRecordSize)
        return false;
    for (int32_t i = 0; i < count; ++i) {
        int32_t id = 0;
        uint8_t state = 0;
        in.ReadI32(id);
        in.ReadU8(state);
        if (!in.Ok() || state > 1)
            return false;
        triggers.emplace_back(id, state != 0);
    }

    for (const EventState& e : states) {
        CZREvent* event = e.pEvent;
        event->m_bHasBeenExecuted = e.bExecuted;
        if (event->m_bHasBeenExecuted && !event->m_bRepeatableEvent)
            LeaveAllLists(event);
        // A delay restored from the block replaces any the scenario file marked.
        EndDelay(event);
        if (e.bPending && (event->m_bRepeatableEvent || !event->m_bHasBeenExecuted))
            AddDelay(event, e.nDue);
    }
    // Looked up only now: ending a delay above deletes the trigger made for it.
    for (const auto& [id, state] : triggers) {
        CZRArgument* trigger = FindTrigger(id);
        if (!trigger)
            continue;
        trigger->m_bState = state;
        // Only trigger states are stored: a trigger that held keeps its conditions holding, so a latched
        // condition is not forgotten by the next evaluation.
        if (trigger->m_bState) {
            for (CZRCondition* condition : trigger->m_vConditions) {
                if (condition)
                    condition->m_bState = true;
            }
        }
    }
    return true;
}

void CEventEngine::RestoreAfterLoad()
{
    if (!m_pData)
        return;
    for (CZRArgument* trigger : m_aTriggers[kListEvent]) {
        trigger->Reset();
        for (const CZREvent* event : m_pData->m_lstEvents) {
            if (!event)
                continue;
            trigger->m_pCtxEvent = event;
            trigger->Evaluate();
        }
        trigger->ResetContext();
    }
    constexpr int32_t kSections = 5;
    constexpr int32_t kUnitsPerSection = 32;
    for (CZRArgument* trigger : m_aTriggers[kListUnit]) {
        trigger->Reset();
        for (int32_t section = 0; section < kSections; ++section) {
            for (int32_t unit = 0; unit < kUnitsPerSection; ++unit) {
                if (!Host().IsUnitActivated(section, unit))
                    continue;
                trigger->m_nCtxSection = section;
                trigger->m_nCtxUnit = unit;
                trigger->Evaluate();
            }
        }
        trigger->ResetContext();
    }
}
