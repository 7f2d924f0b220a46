// The events editor's operations on the events model and the import merge.
#include "editors/events/model/EventsModel.h"

#include "core/events/ConditionKinds.h"

#include <algorithm>
#include <cstdio>

uint32_t RecipientBit(int32_t index)
{
    return index >= 0 && index <= 16 ? 1u << index : 0u;
}

bool IsHiddenEvent(const CZREvent& event)
{
    return event.nTmp == 0;
}

CZREvent* EventByName(const CZREventsData& data, const std::string& name)
{
    for (CZREvent* event : data.m_lstEvents)
        if (event && event->m_strEventName == name)
            return event;
    return nullptr;
}

CZREvent* EventById(const CZREventsData& data, int32_t id)
{
    for (CZREvent* event : data.m_lstEvents)
        if (event && event->m_nUniqueID == id)
            return event;
    return nullptr;
}

std::string EventNameById(const CZREventsData& data, int32_t id)
{
    const CZREvent* event = EventById(data, id);
    return event ? event->m_strEventName : std::string();
}

bool DeleteEvent(CZREventsData& data, int32_t id)
{
    for (auto it = data.m_lstEvents.begin(); it != data.m_lstEvents.end(); ++it) {
        if (*it && (*it)->m_nUniqueID == id) {
            CZREvent* event = *it;
            data.m_lstEvents.erase(it);
            delete event;
            return true;
        }
    }
    return false;
}

CZRResult* CopyResult(const CZRResult& source)
{
    return new CZRResult(source);
}

void AssignEvent(CZREvent& target, const CZREvent& source)
{
    target = source;
}

CZREvent* CopyConstructEvent(const CZREvent& source, bool takeNewId)
{
    auto* event = new CZREvent(takeNewId);
    AssignEvent(*event, source);
    return event;
}

void AssignTrigger(CZRArgument& target, const CZRArgument& source)
{
    if (&target == &source)
        return;
    for (CZRCondition* condition : target.m_vConditions)
        delete condition;
    target.m_vConditions.clear();
    target.m_strArgumentName = source.m_strArgumentName;
    target.m_nBaseFlags = source.m_nBaseFlags;
    for (const CZRCondition* condition : source.m_vConditions)
        if (CZRCondition* copy = condition ? condition->Clone() : nullptr)
            target.m_vConditions.push_back(copy);
    target.m_bState = source.m_bState;
}

CZRArgument* CopyTrigger(const CZRArgument& source)
{
    auto* copy = new CZRArgument(false);
    copy->m_nUniqueID = source.m_nUniqueID;
    AssignTrigger(*copy, source);
    return copy;
}

void RecomputeMask(CZRArgument& trigger)
{
    uint16_t mask = trigger.m_nBaseFlags & 0x30;
    for (const CZRCondition* condition : trigger.m_vConditions)
        if (condition)
            mask |= ConditionKindBit(condition->m_nKind);
    trigger.m_nBaseFlags = mask;
}

void SetZonePoints(CTacticalMapZone& zone, const std::list<ZonePoint>& points)
{
    zone.m_lstPoints = points;
}

bool IsDefinedEvent(const CZREvent& event)
{
    return !event.m_vTrigger.empty() && (!event.m_strEventText.empty() || IsHiddenEvent(event));
}

CZREvent* CopyEvent(CZREventsData& data, int32_t id)
{
    const CZREvent* source = EventById(data, id);
    if (!source)
        return nullptr;
    CZREvent* copy = CopyConstructEvent(*source, true);
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, " - %lu", static_cast<unsigned long>(static_cast<uint32_t>(copy->m_nUniqueID)));
    copy->m_strEventName = source->m_strEventName + suffix;
    data.m_lstEvents.push_back(copy);
    return copy;
}

bool DeleteTrigger(CZREventsData& data, uint32_t id)
{
    auto it = data.m_mapArguments.find(id);
    if (it == data.m_mapArguments.end())
        return false;
    delete it->second;
    data.m_mapArguments.erase(it);
    for (CZREvent* event : data.m_lstEvents)
        if (event)
            std::erase(event->m_vTrigger, id);
    return true;
}

bool DeleteZone(CZREventsData& data, const CTacticalMapZone* zone)
{
    auto it = std::find(data.m_vZones.begin(), data.m_vZones.end(), zone);
    if (it == data.m_vZones.end())
        return false;
    delete *it;
    data.m_vZones.erase(it);
    return true;
}

CTacticalMapZone* ZoneById(const CZREventsData& data, int32_t id)
{
    for (CTacticalMapZone* zone : data.m_vZones)
        if (zone && zone->m_nUniqueID == id)
            return zone;
    return nullptr;
}

void SetInitialConditionStates(CZREventsData& data)
{
    for (auto& [key, trigger] : data.m_mapArguments) {
        if (!trigger)
            continue;
        for (CZRCondition* condition : trigger->m_vConditions) {
            if (auto* event = dynamic_cast<CConditionEventBased*>(condition))
                event->m_bState = !event->m_bWasEventExecuted;
            else if (auto* unit = dynamic_cast<CConditionZRUnitActivationBased*>(condition))
                unit->m_bState = !unit->m_bWasUnitActivated;
        }
    }
}

CIdCounters CIdCounters::Current()
{
    return {CZREvent::m_nEventIDsource, CZRArgument::m_nArgIDsource, CTacticalMapZone::m_nZoneIDsource};
}

void CIdCounters::Restore() const
{
    CZREvent::m_nEventIDsource = event;
    CZRArgument::m_nArgIDsource = trigger;
    CTacticalMapZone::m_nZoneIDsource = zone;
}

namespace {

// Ids are unsigned 32-bit numbers; all arithmetic on them wraps, never overflows.
uint32_t U(int32_t id)
{
    return static_cast<uint32_t>(id);
}
int32_t S(uint32_t id)
{
    return static_cast<int32_t>(id);
}

std::string Tagged(const std::string& name, uint32_t id)
{
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, " - [[%lu]]", static_cast<unsigned long>(id));
    return name + suffix;
}

// The largest id in use (ids of -1, "none", are left out); 0 when none.
template <class Range, class Id> uint32_t LargestId(const Range& range, Id id)
{
    uint32_t largest = 0;
    for (const auto* object : range)
        if (object && id(*object) != -1)
            largest = std::max(largest, U(id(*object)));
    return largest;
}

uint32_t LargestZone(const CZREventsData& data)
{
    return LargestId(data.m_vZones, [](const CTacticalMapZone& z) { return z.m_nUniqueID; });
}
uint32_t LargestEvent(const CZREventsData& data)
{
    return LargestId(data.m_lstEvents, [](const CZREvent& e) { return e.m_nUniqueID; });
}
uint32_t LargestTrigger(const CZREventsData& data)
{
    uint32_t largest = 0;
    for (const auto& [key, trigger] : data.m_mapArguments) {
        largest = std::max(largest, key);
        if (trigger && trigger->m_nUniqueID != -1)
            largest = std::max(largest, U(trigger->m_nUniqueID));
    }
    return largest;
}

} // namespace

void MergeEventsData(CZREventsData& current, CZREventsData& imported)
{
    const uint32_t zoneShift = LargestZone(current) + 1000u;
    const uint32_t triggerShift = LargestTrigger(current) + 1000u;
    const uint32_t eventShift = LargestEvent(current) + 1000u;

    current.m_bModified = true;
    for (CTacticalMapZone* zone : imported.m_vZones) {
        if (!zone)
            continue;
        zone->m_nUniqueID = S(U(zone->m_nUniqueID) + zoneShift);
        zone->m_strZoneName = Tagged(zone->m_strZoneName, U(zone->m_nUniqueID));
        current.m_vZones.push_back(zone);
    }
    std::vector<CZRArgument*> movedTriggers;
    for (auto& [key, trigger] : imported.m_mapArguments) {
        if (!trigger)
            continue;
        trigger->m_nUniqueID = S(U(trigger->m_nUniqueID) + triggerShift);
        trigger->m_strArgumentName = Tagged(trigger->m_strArgumentName, U(trigger->m_nUniqueID));
        for (CZRCondition* condition : trigger->m_vConditions)
            if (auto* location = dynamic_cast<CConditionLocationBased*>(condition))
                location->m_nZoneID = S(U(location->m_nZoneID) + zoneShift);
        const uint32_t newKey = U(trigger->m_nUniqueID);
        auto [slot, inserted] = current.m_mapArguments.emplace(newKey, trigger);
        if (!inserted) {
            // Two imported triggers met on one shifted id (a damaged file): the later one is dropped.
            delete trigger;
            continue;
        }
        movedTriggers.push_back(slot->second);
    }
    CZRArgument::m_nArgIDsource = S(U(CZRArgument::m_nArgIDsource) + triggerShift);
    for (CZREvent* event : imported.m_lstEvents) {
        if (!event)
            continue;
        event->m_nUniqueID = S(U(event->m_nUniqueID) + eventShift);
        event->m_strEventName = Tagged(event->m_strEventName, U(event->m_nUniqueID));
        for (uint32_t& id : event->m_vTrigger)
            id += triggerShift;
        // A "Flag tiles" result names one of the imported zones, which moved with the others.
        if (event->m_pResult && event->m_pResult->m_nZoneToBeFlagged != -1)
            event->m_pResult->m_nZoneToBeFlagged = S(U(event->m_pResult->m_nZoneToBeFlagged) + zoneShift);
        current.m_lstEvents.push_back(event);
    }
    CZREvent::m_nEventIDsource = S(U(CZREvent::m_nEventIDsource) + eventShift);
    for (CZRArgument* trigger : movedTriggers)
        for (CZRCondition* condition : trigger->m_vConditions)
            if (auto* eventCondition = dynamic_cast<CConditionEventBased*>(condition))
                eventCondition->m_nEventID = S(U(eventCondition->m_nEventID) + eventShift);
    imported.m_vZones.clear();
    imported.m_mapArguments.clear();
    imported.m_lstEvents.clear();

    // The zone counter was set by the imported file and the merge moved its zones past it; raise every counter
    // past the largest id present so that no new object takes an id in use.
    current.RaiseIdSources();
}
