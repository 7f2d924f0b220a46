// Fuzzes loading the event trigger engine's saved-game block from arbitrary bytes over a small scenario built
// in code, then saving it and playing a few reports: nothing may crash, and a loaded block saves again whole.
#include "core/events/ConditionKinds.h"
#include "core/events/ZREventsData.h"
#include "game/rules/EventEngine.h"
#include "game/rules/ScriptedRandom.h"
#include "core/util/ByteStream.h"

#include <cstdint>
#include <cstdlib>

namespace {

CZRArgument* AddTrigger(CZREventsData& data, int32_t id, CZRCondition* condition)
{
    auto* trigger = new CZRArgument(false);
    trigger->m_nUniqueID = id;
    trigger->m_nBaseFlags = ConditionKindBit(condition->m_nKind);
    trigger->m_vConditions.push_back(condition);
    data.m_mapArguments[static_cast<uint32_t>(id)] = trigger;
    return trigger;
}

CZREvent* AddEvent(CZREventsData& data, int32_t id, std::vector<uint32_t> triggers, bool repeatable)
{
    auto* event = new CZREvent(false);
    event->m_nUniqueID = id;
    event->m_vTrigger = std::move(triggers);
    event->m_bRepeatableEvent = repeatable;
    event->m_nDelayResultFrom = id % 3 == 0 ? 0 : 5;
    event->m_nDelayResultTo = id % 3 == 0 ? 0 : 15;
    event->m_pResult = new CZRResult();
    data.m_lstEvents.push_back(event);
    return event;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CScriptedRandom draws({}, 3);
    CZREventsData events;
    auto* time = new CConditionTimeBased();
    time->m_nTargetTime = 900;
    AddTrigger(events, 1, time);
    auto* unit = new CConditionZRUnitActivationBased();
    unit->m_nSection = 1;
    unit->m_nUnit = 2;
    unit->m_bWasUnitActivated = true;
    AddTrigger(events, 2, unit);
    auto* occurred = new CConditionEventBased();
    occurred->m_nEventID = 10;
    AddTrigger(events, 3, occurred);
    AddEvent(events, 10, {1}, false);
    AddEvent(events, 11, {2, 1}, true);
    AddEvent(events, 12, {3}, false);

    CZRArgument::m_nArgIDsource = 100;
    IEventEngineHost host;
    CEventEngine engine(&host);
    engine.Start(&events);
    CByteReader in(data, size);
    const bool loaded = engine.Load(in);
    engine.RestoreAfterLoad();
    CByteWriter out;
    engine.Save(out);
    if (loaded) {
        CByteReader again(out.Bytes(), out.Size());
        if (!engine.Load(again))
            std::abort();
    }
    for (int32_t minute : {859, 900, 2359, 0, 1, 30})
        engine.Notify(kNotifyMinute, nullptr, minute, 0, 0);
    engine.Notify(kNotifyUnitActivated, nullptr, 1, 2, 0);
    engine.Notify(kNotifyEnvironment, nullptr, 1, 10, 10);
    return 0;
}
