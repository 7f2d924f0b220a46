// The events editor's operations on the events model: look-ups, deleting and copying events, results and triggers,
// a trigger's condition-kind mask, recipient bits, classification for the main lists, and the import merge.
#pragma once

#include "core/events/ZREventsData.h"

#include <cstdint>
#include <list>
#include <string>

// 1 << index for a recipient index 0-16, else 0.
uint32_t RecipientBit(int32_t index);
// The event has no recipients.
bool IsHiddenEvent(const CZREvent& event);

// The first event in list order named exactly `name` (case-sensitive), else null.
CZREvent* EventByName(const CZREventsData& data, const std::string& name);
// The first event with that id, else null.
CZREvent* EventById(const CZREventsData& data, int32_t id);
// The name of the first event with that id, else "".
std::string EventNameById(const CZREventsData& data, int32_t id);
// Removes the first event with that id from the list and deletes it; true when one was found.
bool DeleteEvent(CZREventsData& data, int32_t id);

// Copies every member of `source` but the unique id into `target`; the result deeply (the target's own is deleted).
void AssignEvent(CZREvent& target, const CZREvent& source);
// A new event (taking the next event id when asked, else id -1) assigned from `source`.
CZREvent* CopyConstructEvent(const CZREvent& source, bool takeNewId);
// A new result with every member copied.
CZRResult* CopyResult(const CZRResult& source);
// Deletes the target's conditions, copies name, mask and state, and appends a clone of every source condition;
// the target keeps its id.
void AssignTrigger(CZRArgument& target, const CZRArgument& source);
// A copy of `source` with the same id and cloned conditions (the trigger editor's working copy).
CZRArgument* CopyTrigger(const CZRArgument& source);
// Keeps the action and proximity bits set before (mask & 0x30) and ORs in the bit of every condition's kind.
void RecomputeMask(CZRArgument& trigger);
// Replaces the zone's points by a copy of `points`.
void SetZonePoints(CTacticalMapZone& zone, const std::list<ZonePoint>& points);

// Where the main dialog lists an event: "Defined Events" when it has a trigger and either text or no recipients.
bool IsDefinedEvent(const CZREvent& event);
// The copy command: a new event with the next id, assigned from the event with `id`, named "<name> - <new id>",
// appended to the list. Null when no event has that id.
CZREvent* CopyEvent(CZREventsData& data, int32_t id);
// Removes trigger `id` from the map (deleting it) and every occurrence of its id from every event; true when the
// map held it.
bool DeleteTrigger(CZREventsData& data, uint32_t id);
// Removes `zone` from the zone vector and deletes it; true when it was there.
bool DeleteZone(CZREventsData& data, const CTacticalMapZone* zone);
// The zone with that id, else null.
CTacticalMapZone* ZoneById(const CZREventsData& data, int32_t id);

// The states conditions start with after a load: an event condition holds while "has not" is pending, a unit
// activation condition likewise.
void SetInitialConditionStates(CZREventsData& data);

// The id counters: event, trigger and zone sources, saved and put back around a load that may fail.
struct CIdCounters {
    int32_t event = 0;
    int32_t trigger = 0;
    int32_t zone = 0;
    static CIdCounters Current();
    void Restore() const;
};

// Moves every zone, trigger and event of `imported` into `current`, shifting their ids past the current largest
// (+1000) and renaming them "<name> - [[<new id>]]"; `imported` is left empty. Afterwards every id counter is past
// the largest id present, so new objects never reuse one.
void MergeEventsData(CZREventsData& current, CZREventsData& imported);
