// The condition dialogs' lists and OK rules, and the trigger editor's.
#include "editors/events/model/ConditionRules.h"

#include "core/events/ConditionKinds.h"
#include "core/events/ZRArgument.h"
#include "core/events/ZREventsData.h"
#include "core/world/ICSNames.h"
#include "editors/events/model/EventsModel.h"

#include <algorithm>
#include <climits>
#include <cstdio>

namespace ostrel {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Reads blanks, a sign and digits from `pos`; false when no digit follows.
bool ReadInt(const std::string& text, size_t& pos, int32_t* value)
{
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        negative = text[pos++] == '-';
    if (pos >= text.size() || text[pos] < '0' || text[pos] > '9')
        return false;
    int64_t n = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos)
        n = std::min<int64_t>(n * 10 + (text[pos] - '0'), int64_t(INT_MAX) + 1);
    n = negative ? -n : n;
    *value = static_cast<int32_t>(std::clamp<int64_t>(n, INT_MIN, INT_MAX));
    return true;
}

constexpr int kAgencyItemCount = 7;

const int32_t kUnitFirst[5] = {1, 0, 0, 0, 0};
const int32_t kUnitLast[5] = {7, 16, 4, 8, 3};

} // namespace

int32_t ReadEditNumber(const std::string& text)
{
    size_t pos = 0;
    int32_t value = 0;
    return ReadInt(text, pos, &value) ? value : 0;
}

std::vector<ListItem> AgencyItems()
{
    std::vector<ListItem> items;
    for (int i = 0; i < kAgencyItemCount; ++i)
        items.push_back({g_aszAgencyNames[i], i});
    return items;
}

std::vector<ListItem> ActionItems()
{
    std::vector<ListItem> items;
    for (int i = 1; i < kActionNameCount; ++i)
        items.push_back({g_aszActionNames[i], i});
    return items;
}

std::vector<ListItem> HasItems()
{
    return {{"has", 1}, {"has not", 0}};
}

std::vector<ListItem> TimeOperatorItems()
{
    return {{"<", 0}, {">=", 1}};
}

TimeForm TimeFormFor(int32_t gameStartTime)
{
    TimeForm form;
    form.op = 1;
    form.pickerHHMM = gameStartTime;
    return form;
}

void StoreTimeCondition(const TimeForm& form, CConditionTimeBased& condition)
{
    if (form.op) {
        condition.m_nComparison = *form.op == 0 ? 0 : 1;
        if (condition.m_nComparison == 0)
            condition.m_bState = true;
    }
    condition.m_nTargetTime = form.pickerHHMM;
}

std::vector<ListItem> EventItems(const CZREventsData& data)
{
    std::vector<ListItem> items;
    for (const CZREvent* event : data.m_lstEvents)
        if (event)
            items.push_back({event->m_strEventName, event->m_nUniqueID});
    return items;
}

void StoreEventCondition(const EventForm& form, CConditionEventBased& condition)
{
    if (form.eventId)
        condition.m_nEventID = *form.eventId;
    if (form.has)
        condition.m_bWasEventExecuted = *form.has != 0;
    condition.m_bState = !condition.m_bWasEventExecuted;
}

std::vector<ListItem> SquadTypeItems()
{
    std::vector<ListItem> items{{"Any", 9}};
    for (const ListItem& item : AgencyItems())
        items.push_back(item);
    return items;
}

std::vector<ListItem> LocationZoneItems(const CZREventsData& data)
{
    std::vector<ListItem> items;
    for (const CTacticalMapZone* zone : data.m_vZones)
        if (zone && zone->m_lstPoints.empty())
            items.push_back({zone->m_strZoneName, zone->m_nUniqueID});
    return items;
}

std::unique_ptr<CZRCondition> BuildLocationCondition(const LocationForm& form)
{
    if (!form.squadType || !form.zoneId)
        return nullptr;
    auto condition = std::make_unique<CConditionLocationBased>();
    condition->m_nAgency = *form.squadType;
    if (*form.squadType != 9 && !form.id.empty())
        condition->m_nSquadID = ReadEditNumber(form.id);
    condition->m_nZoneID = *form.zoneId;
    return condition;
}

std::vector<ListItem> SectionItems(const UnitNameFn& unitName)
{
    std::vector<ListItem> items;
    for (int32_t i = 0; i < 5; ++i)
        items.push_back({unitName ? unitName(0, i) : std::string(), i});
    return items;
}

std::vector<ListItem> UnitItems(const UnitNameFn& unitName, int32_t section)
{
    std::vector<ListItem> items;
    if (section < 0 || section > 4)
        return items;
    for (int32_t i = kUnitFirst[section]; i <= kUnitLast[section]; ++i)
        items.push_back({unitName ? unitName(section, i) : std::string(), i});
    return items;
}

std::unique_ptr<CZRCondition> BuildUnitStatusCondition(const UnitStatusForm& form)
{
    auto condition = std::make_unique<CConditionZRUnitActivationBased>();
    condition->m_nSection = form.section ? *form.section : 8;
    if (form.unit) {
        condition->m_nUnit = *form.unit;
    } else {
        condition->m_nSection = 8;
        condition->m_nUnit = 0;
    }
    condition->m_bWasUnitActivated = form.has ? *form.has != 0 : true;
    condition->m_bState = !condition->m_bWasUnitActivated;
    return condition;
}

std::vector<ListItem> ActionStatusItems()
{
    return {{"initiated", 1}, {"completed", 0}};
}

std::vector<ListItem> ServiceItems()
{
    std::vector<ListItem> items{{"Anyone", 9}};
    for (const ListItem& item : AgencyItems())
        items.push_back(item);
    return items;
}

std::unique_ptr<CZRCondition> BuildActionCondition(const ActionForm& form)
{
    auto condition = std::make_unique<CConditionActionBased>();
    if (form.action)
        condition->m_nAction = *form.action;
    if (form.service)
        condition->m_nAgency = *form.service;
    if (form.initiated)
        condition->m_bActionStatus = *form.initiated != 0;
    condition->m_nSquadID = form.id.empty() ? 0 : ReadEditNumber(form.id);
    return condition;
}

std::vector<ListItem> ActingAgencyItems()
{
    return {{"Civilian", 5}, {"Threat", 6}};
}

std::vector<ListItem> ProximityActionItems()
{
    return {{"Assault", 4}};
}

const char* const kIncompleteCaption = "Incomplete";

std::unique_ptr<CZRCondition> BuildProximityCondition(const ProximityForm& form, RuleError* error)
{
    if (form.targets.empty()) {
        *error = {"Choose a target agency or cancel to quit", kIncompleteCaption, 1159};
        return nullptr;
    }
    if (form.id.empty()) {
        *error = {"Squad ID is a required field", kIncompleteCaption, 1013};
        return nullptr;
    }
    auto condition = std::make_unique<CConditionSquadProximityBased>();
    if (form.acting)
        condition->m_nAgency = *form.acting;
    condition->m_nSquadID = ReadEditNumber(form.id);
    if (form.action)
        condition->m_nAction = *form.action;
    int32_t mask = 0;
    for (int32_t target : form.targets)
        if (target >= 0 && target < 31)
            mask |= int32_t(1) << target;
    condition->m_nTargetAgency = mask;
    return condition;
}

void StoreIAPCondition(std::optional<int32_t> has, CConditionIAPBased& condition)
{
    if (has)
        condition.m_bWasEventExecuted = *has != 0;
    condition.m_bState = !condition.m_bWasEventExecuted;
}

std::vector<ListItem> EffectItems()
{
    std::vector<ListItem> items;
    for (int i = 0; i < CConditionEnvironmentBased::kEffectCount; ++i)
        items.push_back({CConditionEnvironmentBased::m_aszEffectNames[i], i});
    return items;
}

void StoreEnvironmentCondition(std::optional<int32_t> effect, CConditionEnvironmentBased& condition)
{
    if (effect)
        condition.m_nEffect = *effect;
    condition.m_bWasEventExecuted = true;
    condition.m_bState = false;
}

std::vector<ListItem> ConditionListItems(const CZRArgument& trigger)
{
    std::vector<ListItem> items;
    for (size_t i = 0; i < trigger.m_vConditions.size(); ++i) {
        const CZRCondition* condition = trigger.m_vConditions[i];
        items.push_back({condition ? condition->Describe() : std::string(), static_cast<int32_t>(i)});
    }
    return items;
}

bool DeleteConditionByValue(CZRArgument& trigger, int32_t value)
{
    if (value < 0 || static_cast<size_t>(value) >= trigger.m_vConditions.size())
        return false;
    CZRCondition* condition = trigger.m_vConditions[static_cast<size_t>(value)];
    auto it = std::find(trigger.m_vConditions.begin(), trigger.m_vConditions.end(), condition);
    trigger.m_vConditions.erase(it);
    delete condition;
    return true;
}

void AppendCondition(CZRArgument& trigger, std::unique_ptr<CZRCondition> condition)
{
    if (condition)
        trigger.m_vConditions.push_back(condition.release());
}

void StoreTrigger(CZRArgument& trigger, const std::string& name)
{
    if (!name.empty())
        trigger.m_strArgumentName = name;
    RecomputeMask(trigger);
}

std::string TriggerIdText(uint32_t id)
{
    return std::to_string(id);
}

} // namespace ostrel
