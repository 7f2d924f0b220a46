// Tests of the ICS name maps and the agency, on-call and action name tables.
#include "core/world/ICSNames.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using LookupFn = int32_t (*)(const std::string&);

struct LookupCase {
    const char* table;
    LookupFn lookup;
    const char* name;
    int32_t expected;
};

const LookupCase kLookups[] = {
    {"sections", LookupSectionIndex, "Command", 0},
    {"sections", LookupSectionIndex, "command", -1},
    {"sections", LookupSectionIndex, "Finance Section", 4},
    {"sections", LookupSectionIndex, "Finance/Admin", 4},
    {"positions", LookupPositionIndex, "Finance/Admin", 4},
    {"positions", LookupPositionIndex, "Finance/Administration Section", 4},
    {"positions", LookupPositionIndex, "Liaison Officer", 7},
    {"positions", LookupPositionIndex, "SSO", 6},
    {"operations", LookupOperationsIndex, "K-9 Group", 4},
    {"operations", LookupOperationsIndex, "Public Works Grp.", 16},
    {"operations", LookupOperationsIndex, "Emergency Medical Services Group", 13},
    {"logistics", LookupLogisticsIndex, "Comm. Unit", 1},
    {"logistics", LookupLogisticsIndex, "Food Unit", 8},
    {"planning", LookupPlanningIndex, "Tech Specialists", 4},
    {"finance", LookupFinanceIndex, "Time Unit", 0},
    {"finance", LookupFinanceIndex, "Time", -1},
    {"finance", LookupFinanceIndex, "Compensation", 1},
    {"facilities", LookupFacilityIndex, "Incident Site", 7},
    {"facilities", LookupFacilityIndex, "", -1},
};

TEST(ICSNames, LookupsAreExactAndCaseSensitive)
{
    for (const LookupCase& c : kLookups)
        EXPECT_EQ(c.lookup(c.name), c.expected) << c.table << ": \"" << c.name << "\"";
}

TEST(ICSNames, EveryMapHoldsNeutralAndItsEntries)
{
    const struct {
        const ICSNameMap& map;
        LookupFn lookup;
        size_t size;
    } maps[] = {
        {g_mapSectionIndex, LookupSectionIndex, 11},       {g_mapPositionIndex, LookupPositionIndex, 16},
        {g_mapOperationsIndex, LookupOperationsIndex, 30}, {g_mapLogisticsIndex, LookupLogisticsIndex, 12},
        {g_mapPlanningIndex, LookupPlanningIndex, 11},     {g_mapFinanceIndex, LookupFinanceIndex, 8},
        {g_mapFacilityIndex, LookupFacilityIndex, 9},
    };
    for (const auto& m : maps) {
        EXPECT_EQ(m.map.size(), m.size);
        ASSERT_EQ(m.map.count("Neutral"), 1u);
        EXPECT_EQ(m.map.at("Neutral"), -1);
        for (const auto& [name, index] : m.map)
            EXPECT_EQ(m.lookup(name), index) << name;
    }
}

TEST(ICSNames, AgencyAndActionTables)
{
    EXPECT_STREQ(g_aszAgencyNames[0], "Police");
    EXPECT_STREQ(g_aszAgencyNames[4], "EMS");
    EXPECT_STREQ(g_aszAgencyNames[8], "Waypoint Marker");
    EXPECT_STREQ(g_aszOnCallNames[1], "On call");
    EXPECT_STREQ(g_aszActionNames[0], "None");
    EXPECT_STREQ(g_aszActionNames[22], "Info");
    EXPECT_STREQ(g_aszActionNames[33], "(Incapacitated)");
    EXPECT_STREQ(g_aszActionNames[44], "Clear Obstruction");
    EXPECT_EQ(sizeof(g_aszAgencyNames), 9u * 260u);
    EXPECT_EQ(sizeof(g_aszActionNames), 45u * 50u);

    EXPECT_STREQ(GetAgencyName(6), "Threat");
    EXPECT_EQ(GetAgencyName(9), nullptr);
    EXPECT_EQ(GetAgencyName(-1), nullptr);
    EXPECT_STREQ(GetActionName(31), "Return to Station");
    EXPECT_EQ(GetActionName(45), nullptr);
    EXPECT_EQ(GetActionName(-1), nullptr);
}

} // namespace
