// What the eight condition dialogs list and what their OK builds, as functions from a form's state to a condition
// (or to a refusal); the trigger editor's list, delete and store rules.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CConditionEnvironmentBased;
class CConditionEventBased;
class CConditionIAPBased;
class CConditionTimeBased;
class CZRArgument;
class CZRCondition;
class CZREventsData;
class CTacticalMapZone;

namespace ostrel {

// One entry of a list or combo: its text and its item value.
struct ListItem {
    std::string text;
    int32_t value = 0;
    bool operator==(const ListItem&) const = default;
};

// A refused OK: the message box's text and caption, and the control that takes the focus (0 for none).
struct RuleError {
    std::string text;
    std::string caption;
    int field = 0;
};

// The unit-name lookup of the program's five unit tables (section 0-4, index); "" when there is none.
using UnitNameFn = std::function<std::string(int32_t section, int32_t index)>;

// A decimal number as the dialogs read an edit: blanks skipped, an optional sign, the leading digits; text
// without digits gives 0 and values beyond int are held at its limits.
int32_t ReadEditNumber(const std::string& text);

// ---- shared lists ----

// The seven agency names "Police" .. "Threat", values 0-6.
std::vector<ListItem> AgencyItems();
// The action names "Idle" (1) .. "Clear Obstruction" (44).
std::vector<ListItem> ActionItems();
// "has" (1) and "has not" (0).
std::vector<ListItem> HasItems();

// ---- 139: game time (built on opening) ----
std::vector<ListItem> TimeOperatorItems(); // "<" 0, ">=" 1
struct TimeForm {
    std::optional<int32_t> op; // preselected 1
    int32_t pickerHHMM = 0;    // the picker's text read as a decimal number
};
TimeForm TimeFormFor(int32_t gameStartTime);
void StoreTimeCondition(const TimeForm& form, CConditionTimeBased& condition);

// ---- 136: event status (built on opening) ----
std::vector<ListItem> EventItems(const CZREventsData& data); // names in list order, value = unique id
struct EventForm {
    std::optional<int32_t> eventId; // the first event preselected
    std::optional<int32_t> has;     // preselected 1
};
void StoreEventCondition(const EventForm& form, CConditionEventBased& condition);

// ---- 138: location (built on OK) ----
std::vector<ListItem> SquadTypeItems(); // "Any" 9, then the agencies
// The zones without points, value = zone id.
std::vector<ListItem> LocationZoneItems(const CZREventsData& data);
struct LocationForm {
    std::optional<int32_t> squadType;
    std::string id;
    std::optional<int32_t> zoneId;
};
// Null when no squad type or no zone is selected.
std::unique_ptr<CZRCondition> BuildLocationCondition(const LocationForm& form);

// ---- 158: unit status (built on OK) ----
// The sections named by the Command table's first five entries, values 0-4, in that order.
std::vector<ListItem> SectionItems(const UnitNameFn& unitName);
// The units of a section: Command 1-7, Operations 0-16, Planning 0-4, Logistics 0-8, Finance 0-3.
std::vector<ListItem> UnitItems(const UnitNameFn& unitName, int32_t section);
struct UnitStatusForm {
    std::optional<int32_t> section;
    std::optional<int32_t> unit;
    std::optional<int32_t> has; // preselected 1
};
std::unique_ptr<CZRCondition> BuildUnitStatusCondition(const UnitStatusForm& form);

// ---- 160: action (built on OK) ----
std::vector<ListItem> ActionStatusItems(); // "initiated" 1, "completed" 0
std::vector<ListItem> ServiceItems();      // "Anyone" 9, then the agencies
struct ActionForm {
    std::optional<int32_t> action;
    std::optional<int32_t> initiated;
    std::optional<int32_t> service;
    std::string id;
};
std::unique_ptr<CZRCondition> BuildActionCondition(const ActionForm& form);

// ---- 162: squad proximity (built on OK, checked) ----
std::vector<ListItem> ActingAgencyItems();    // "Civilian" 5, "Threat" 6
std::vector<ListItem> ProximityActionItems(); // "Assault" 4
struct ProximityForm {
    std::optional<int32_t> acting;
    std::string id;
    std::optional<int32_t> action;
    std::vector<int32_t> targets; // values of the selected target agencies
};
extern const char* const kIncompleteCaption;
// The condition, or the refusal: no target first, then an empty ID.
std::unique_ptr<CZRCondition> BuildProximityCondition(const ProximityForm& form, RuleError* error);

// ---- 163: IAP phase (built on opening) ----
void StoreIAPCondition(std::optional<int32_t> has, CConditionIAPBased& condition);

// ---- 164: environmental effect (built on opening) ----
std::vector<ListItem> EffectItems(); // the condition's five effect names, values 0-4
void StoreEnvironmentCondition(std::optional<int32_t> effect, CConditionEnvironmentBased& condition);

// ---- the trigger editor ----

// The condition list: each condition's description with its index in the trigger as item value.
std::vector<ListItem> ConditionListItems(const CZRArgument& trigger);
// Removes and deletes the condition that an item value names (an index into the trigger's conditions); false
// when it names none.
bool DeleteConditionByValue(CZRArgument& trigger, int32_t value);
// Appends a built condition (nothing for null).
void AppendCondition(CZRArgument& trigger, std::unique_ptr<CZRCondition> condition);
// OK: a non-empty name becomes the trigger's name; the condition-kind mask is recomputed (the action and
// proximity bits stay, the others follow the conditions present).
void StoreTrigger(CZRArgument& trigger, const std::string& name);
// The id as the editor shows it ("%lu").
std::string TriggerIdText(uint32_t id);

} // namespace ostrel
