// The demo scenario's description and script: title, briefing text, wind, expected score and cost, zones,
// triggers of all eight condition kinds and the events with their results.
#pragma once

#include "tools/demo/TownPlan.h"

#include <map>
#include <memory>
#include <string>

class CScenarioData;

namespace demo {

// A placed squad the script orders: its service id and its unit template index.
struct SquadRef {
    int id = -1;
    int templateIndex = -1;
};
// The placed squads the script orders, by a short key ("suspect", "children", "news").
using SquadIds = std::map<std::string, SquadRef>;

// A new scenario description whose events data holds the whole script. Resets the process-wide id counters
// first, so every run numbers its zones, triggers and events the same way.
std::unique_ptr<CScenarioData> MakeMillbrookScenario(const TownPlan& plan, const SquadIds& squads);

} // namespace demo
