// The ICS name maps, agency, on-call and action name tables.
#include "core/world/ICSNames.h"

namespace {

struct Entry {
    const char* name;
    int32_t index;
};

template <size_t N> void Fill(ICSNameMap& map, const Entry (&entries)[N])
{
    for (const Entry& e : entries)
        map[e.name] = e.index;
    map["Neutral"] = -1;
}

template <void (*Build)(ICSNameMap&)> const ICSNameMap& Table()
{
    static const ICSNameMap map = [] {
        ICSNameMap m;
        Build(m);
        return m;
    }();
    return map;
}

int32_t Lookup(const ICSNameMap& map, const std::string& name)
{
    auto it = map.find(name);
    return it == map.end() ? -1 : it->second;
}

} // namespace

void BuildSectionTable(ICSNameMap& map)
{
    static const Entry entries[] = {
        {"Command Section", 0},   {"Operations Section", 1}, {"Planning Section", 2},
        {"Logistics Section", 3}, {"Finance Section", 4},    {"Command", 0},
        {"Operations", 1},        {"Planning", 2},           {"Logistics", 3},
        {"Finance/Admin", 4},
    };
    Fill(map, entries);
}

void BuildPositionTable(ICSNameMap& map)
{
    static const Entry entries[] = {
        {"Command Section", 0},
        {"Operations Section", 1},
        {"Planning Section", 2},
        {"Logistics Section", 3},
        {"Finance/Administration Section", 4},
        {"Public Information Officer", 5},
        {"Safety Officer", 6},
        {"Liaison Officer", 7},
        {"Command", 0},
        {"Operations", 1},
        {"Planning", 2},
        {"Logistics", 3},
        {"Finance/Admin", 4},
        {"PIO", 5},
        {"SSO", 6},
    };
    Fill(map, entries);
}

void BuildOperationsTable(ICSNameMap& map)
{
    static const Entry entries[] = {
        {"Law Operations Group", 0},
        {"Staging Area Manager", 1},
        {"Law Enforcement Branch", 2},
        {"Traffic Control Group", 3},
        {"K-9 Group", 4},
        {"Bomb Disposal Group", 5},
        {"SWAT Group", 6},
        {"Fire Branch", 7},
        {"Fire Operations Group", 8},
        {"HAZMAT Group", 9},
        {"Public Health Branch", 10},
        {"Public Health Group", 11},
        {"Emergency Services Branch", 12},
        {"Emergency Medical Services Group", 13},
        {"Public Works Branch", 14},
        {"Utilities Group", 15},
        {"Public Works Group", 16},
        {"Law Ops Group", 0},
        {"Staging Area Mgr.", 1},
        {"Law Enf. Branch", 2},
        {"Traffic Group", 3},
        {"Bomb Group", 5},
        {"Fire Ops Group", 8},
        {"Health Branch", 10},
        {"Health Group", 11},
        {"EMS Branch", 12},
        {"EMS Group", 13},
        {"Public Works Br.", 14},
        {"Public Works Grp.", 16},
    };
    Fill(map, entries);
}

void BuildLogisticsTable(ICSNameMap& map)
{
    static const Entry entries[] = {
        {"Service Branch", 0}, {"Communications Unit", 1}, {"Medical Unit", 2},        {"Base Manager", 3},
        {"Support Branch", 4}, {"Supply Unit", 5},         {"Ground Support Unit", 6}, {"Facilities Unit", 7},
        {"Food Unit", 8},      {"Comm. Unit", 1},          {"Ground Support", 6},
    };
    Fill(map, entries);
}

void BuildPlanningTable(ICSNameMap& map)
{
    static const Entry entries[] = {
        {"Resources Unit", 0},
        {"Situation Unit", 1},
        {"Demobilization Unit", 2},
        {"Documentation Unit", 3},
        {"Technical Specialists Unit", 4},
        {"Resources", 0},
        {"Situation", 1},
        {"Demobilization", 2},
        {"Documentation", 3},
        {"Tech Specialists", 4},
    };
    Fill(map, entries);
}

void BuildFinanceTable(ICSNameMap& map)
{
    static const Entry entries[] = {
        {"Time Unit", 0},
        {"Compensation and Claims Unit", 1},
        {"Procurement Unit", 2},
        {"Cost Unit", 3},
        {"Compensation", 1},
        {"Procurement", 2},
        {"Cost", 3},
    };
    Fill(map, entries);
}

void BuildFacilityTable(ICSNameMap& map)
{
    static const Entry entries[] = {
        {"Command Post", 0},      {"Base", 1},         {"Staging Area", 2}, {"Casualty Collection Center", 3},
        {"Evacuation Center", 4}, {"Media Center", 5}, {"Heliport", 6},     {"Incident Site", 7},
    };
    Fill(map, entries);
}

// Built in the fixed order: sections, positions, operations, logistics, planning, finance, facilities.
const ICSNameMap& g_mapSectionIndex = Table<BuildSectionTable>();
const ICSNameMap& g_mapPositionIndex = Table<BuildPositionTable>();
const ICSNameMap& g_mapOperationsIndex = Table<BuildOperationsTable>();
const ICSNameMap& g_mapLogisticsIndex = Table<BuildLogisticsTable>();
const ICSNameMap& g_mapPlanningIndex = Table<BuildPlanningTable>();
const ICSNameMap& g_mapFinanceIndex = Table<BuildFinanceTable>();
const ICSNameMap& g_mapFacilityIndex = Table<BuildFacilityTable>();

int32_t LookupSectionIndex(const std::string& name)
{
    return Lookup(Table<BuildSectionTable>(), name);
}
int32_t LookupPositionIndex(const std::string& name)
{
    return Lookup(Table<BuildPositionTable>(), name);
}
int32_t LookupOperationsIndex(const std::string& name)
{
    return Lookup(Table<BuildOperationsTable>(), name);
}
int32_t LookupLogisticsIndex(const std::string& name)
{
    return Lookup(Table<BuildLogisticsTable>(), name);
}
int32_t LookupPlanningIndex(const std::string& name)
{
    return Lookup(Table<BuildPlanningTable>(), name);
}
int32_t LookupFinanceIndex(const std::string& name)
{
    return Lookup(Table<BuildFinanceTable>(), name);
}
int32_t LookupFacilityIndex(const std::string& name)
{
    return Lookup(Table<BuildFacilityTable>(), name);
}

const char g_aszAgencyNames[kAgencyNameCount][kAgencyNameSize] = {
    "Police", "Fire", "School", "PW", "EMS", "Civs", "Threat", "Incident Site", "Waypoint Marker",
};

const char g_aszOnCallNames[kOnCallNameCount][kAgencyNameSize] = {"At station", "On call"};

const char g_aszActionNames[kActionNameCount][kActionNameSize] = {
    "None",
    "Idle",
    "Move Slowly",
    "Move",
    "Assault",
    "Search For Bomb",
    "Evacuate",
    "Escort",
    "Supervise",
    "First Aid",
    "Clear Debris",
    "Fight Fire",
    "Fight Hazard",
    "Defuse Bomb",
    "Negotiate",
    "Utility Work",
    "Perimeter",
    "Load A Squad",
    "Unload All Squads",
    "Get In Vehicle",
    "Assisting",
    "Cancel",
    "Info",
    "Explode",
    "Start Fire",
    "Spill Chemical",
    "Sabotage Gas",
    "Sabotage Water",
    "Sabotage Electricity",
    "Go to Incident",
    "Go to Station",
    "Return to Station",
    "Return to Incident",
    "(Incapacitated)",
    "(KIA)",
    "(Subdued)",
    "(Not Ready)",
    "(Hidden)",
    "Tow Vehicle",
    "Direct",
    "Set To Killed",
    "Set To Incapacitated",
    "Set To Wounded",
    "Set To Injured",
    "Clear Obstruction",
};

const char* GetAgencyName(int32_t kind)
{
    return kind >= 0 && kind < kAgencyNameCount ? g_aszAgencyNames[kind] : nullptr;
}

const char* GetActionName(int32_t action)
{
    return action >= 0 && action < kActionNameCount ? g_aszActionNames[action] : nullptr;
}
