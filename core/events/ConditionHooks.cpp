// The settable table behind GetUnitName, GetEventName and GetScenarioZones, with the game's defaults.
#include "core/events/ConditionHooks.h"

namespace {

ConditionHooks& Hooks()
{
    static ConditionHooks hooks;
    return hooks;
}

} // namespace

void SetConditionHooks(ConditionHooks hooks)
{
    Hooks() = std::move(hooks);
}

void ResetConditionHooks()
{
    Hooks() = ConditionHooks();
}

std::string GetUnitName(int32_t section, int32_t unit)
{
    const ConditionHooks& hooks = Hooks();
    return hooks.unitName ? hooks.unitName(section, unit) : std::string("STUB");
}

std::string GetEventName(int32_t eventId)
{
    const ConditionHooks& hooks = Hooks();
    return hooks.eventName ? hooks.eventName(eventId) : std::string();
}

const ZoneVector& GetScenarioZones()
{
    static const ZoneVector none;
    const ConditionHooks& hooks = Hooks();
    return hooks.scenarioZones ? hooks.scenarioZones() : none;
}
