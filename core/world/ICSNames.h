// Fixed name tables: the ICS organisation's name-to-index maps, and the agency, on-call and action names.
#pragma once

#include <cstdint>
#include <map>
#include <string>

// A name (compared exactly) to its index; long and short names may share an index; "Neutral" is -1.
using ICSNameMap = std::map<std::string, int32_t>;

// Builders: fill a map with its entries (long names, short names, then "Neutral").
void BuildSectionTable(ICSNameMap& map);
void BuildPositionTable(ICSNameMap& map);
void BuildOperationsTable(ICSNameMap& map);
void BuildLogisticsTable(ICSNameMap& map);
void BuildPlanningTable(ICSNameMap& map);
void BuildFinanceTable(ICSNameMap& map);
void BuildFacilityTable(ICSNameMap& map);

// The seven process-wide maps, built at start-up and never changed. Code that runs during static
// initialisation must use the lookups below, which build their map on first use.
extern const ICSNameMap& g_mapSectionIndex;
extern const ICSNameMap& g_mapPositionIndex;
extern const ICSNameMap& g_mapOperationsIndex;
extern const ICSNameMap& g_mapLogisticsIndex;
extern const ICSNameMap& g_mapPlanningIndex;
extern const ICSNameMap& g_mapFinanceIndex;
extern const ICSNameMap& g_mapFacilityIndex;

// Lookups: the index stored for exactly this name (case-sensitive), or -1 when there is none.
int32_t LookupSectionIndex(const std::string& name);
int32_t LookupPositionIndex(const std::string& name);
int32_t LookupOperationsIndex(const std::string& name);
int32_t LookupLogisticsIndex(const std::string& name);
int32_t LookupPlanningIndex(const std::string& name);
int32_t LookupFinanceIndex(const std::string& name);
int32_t LookupFacilityIndex(const std::string& name);

// Agency names by agency kind (0 "Police" .. 8 "Waypoint Marker").
inline constexpr int kAgencyNameCount = 9;
inline constexpr int kAgencyNameSize = 260;
extern const char g_aszAgencyNames[kAgencyNameCount][kAgencyNameSize];

// Names of a station resource's on-call flag: 0 "At station", 1 "On call".
inline constexpr int kOnCallNameCount = 2;
extern const char g_aszOnCallNames[kOnCallNameCount][kAgencyNameSize];

// Action names by action number (0 "None" .. 44 "Clear Obstruction").
inline constexpr int kActionNameCount = 45;
inline constexpr int kActionNameSize = 50;
extern const char g_aszActionNames[kActionNameCount][kActionNameSize];

// Bounds-checked readers of the two tables: null for an index outside the table.
const char* GetAgencyName(int32_t kind);
const char* GetActionName(int32_t action);
