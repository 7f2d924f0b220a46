// The demo's area map: the county round Millbrook with its roads, brook and rail line, the incident site and
// four stations with their routes to the site and their stock.
#pragma once

#include <string>
#include <vector>

namespace demo {

constexpr int kAreaWidth = 800;
constexpr int kAreaHeight = 448;

struct AreaPoint {
    int x = 0;
    int y = 0;
};

struct StockLine {
    std::string unit; // a unit template name
    int agencyKind = 0;
    int count = 1;
    bool onCall = false;
};

struct StationPlan {
    std::string templateName; // a row of the station list
    int agencyKind = 0;
    std::string caption; // drawn on the map under the icon
    AreaPoint at;
    int minutesToSite = 10;
    std::vector<AreaPoint> via; // route points between the station and the site, in travel order
    std::vector<StockLine> stock;
};

struct AreaRoad {
    std::vector<AreaPoint> points;
    int width = 6;
    bool major = false;
};

struct AreaPlan {
    AreaPoint site;
    std::vector<StationPlan> stations;
    std::vector<AreaRoad> roads;
    std::vector<AreaPoint> brook;
    std::vector<AreaPoint> rail;
};

AreaPlan MakeMillbrookArea();

} // namespace demo
