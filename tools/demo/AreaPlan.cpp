// Where the stations of the Millbrook area map stand, how they drive to the site and what they hold.
#include "tools/demo/AreaPlan.h"

namespace demo {

AreaPlan MakeMillbrookArea()
{
    AreaPlan a;
    a.site = {444, 226};
    a.brook = {{0, 326},   {90, 312},  {180, 322}, {270, 306}, {360, 316},
               {430, 302}, {520, 312}, {610, 296}, {700, 306}, {800, 298}};
    a.rail = {{0, 214}, {200, 210}, {400, 206}, {600, 202}, {800, 198}};
    a.roads = {
        {{{430, 0}, {430, 80}, {428, 178}, {424, 232}, {420, 300}, {420, 448}}, 7, true},  // North Road / Main Street
        {{{0, 262}, {110, 256}, {250, 250}, {330, 240}, {424, 234}}, 7, true},             // County Road from Ashby
        {{{424, 234}, {520, 240}, {600, 246}, {680, 252}, {800, 250}}, 7, true},           // Depot Road east
        {{{606, 0}, {604, 120}, {600, 246}, {640, 300}, {690, 360}, {720, 448}}, 9, true}, // Highway 9
        {{{300, 180}, {428, 178}, {560, 174}}, 5, false},                                  // Station Road
        {{{640, 300}, {690, 320}}, 5, false},                                              // yard access
        {{{110, 256}, {100, 340}, {80, 448}}, 5, false},                                   // Ashby south lane
        {{{250, 250}, {240, 120}, {300, 60}, {430, 40}}, 5, false},                        // back road
    };
    a.stations = {
        {"Millbrook Police Station",
         0,
         "Police Station",
         {360, 172},
         5,
         {{428, 178}, {424, 232}},
         {{"Patrol Officers", 0, 4, false},
          {"Traffic Officers", 0, 2, false},
          {"K-9 Unit", 0, 1, false},
          {"SWAT Team", 0, 1, true},
          {"Bomb Squad", 0, 1, true}}},
        {"Millbrook Fire Station 1",
         1,
         "Fire Station 1",
         {452, 80},
         7,
         {{430, 80}, {428, 178}, {424, 232}},
         {{"Engine Company", 1, 3, false},
          {"Ladder Company", 1, 1, false},
          {"HAZMAT Team", 1, 1, false},
          {"Rescue Squad", 1, 1, true}}},
        {"County EMS Station",
         4,
         "County EMS",
         {110, 236},
         14,
         {{110, 256}, {250, 250}, {330, 240}, {424, 234}},
         {{"Paramedic Team", 4, 2, false}, {"EMT Crew", 4, 2, false}, {"Mass Casualty Team", 4, 1, true}}},
        {"Public Works Yard",
         3,
         "Public Works Yard",
         {708, 318},
         11,
         {{690, 320}, {640, 300}, {600, 246}, {520, 240}, {424, 234}},
         {{"Public Works Crew", 3, 2, false},
          {"Electric Utility Crew", 3, 1, false},
          {"Gas and Water Crew", 3, 1, false},
          {"Heavy Equipment Crew", 3, 1, true}}},
    };
    return a;
}

} // namespace demo
