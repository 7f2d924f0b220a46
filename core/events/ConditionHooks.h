// The three program-provided lookups the conditions call: unit names, event names and the scenario's zones.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CTacticalMapZone;

using ZoneVector = std::vector<CTacticalMapZone*>;

// Each program installs its own lookups at start (the game, the events editor, tests); an empty member keeps
// the default. Defaults are the game's: "STUB" for every unit, an empty name for every event, no zones.
struct ConditionHooks {
    std::function<std::string(int32_t section, int32_t unit)> unitName;
    std::function<std::string(int32_t eventId)> eventName;
    // The current scenario's zone vector; it must stay valid until the next call.
    std::function<const ZoneVector&()> scenarioZones;
};

void SetConditionHooks(ConditionHooks hooks);
void ResetConditionHooks();

// What the conditions call.
std::string GetUnitName(int32_t section, int32_t unit);
std::string GetEventName(int32_t eventId);
const ZoneVector& GetScenarioZones();
