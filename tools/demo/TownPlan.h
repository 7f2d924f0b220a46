// The demo scenario's tactical map: Millbrook's streets, rail line, chemical warehouse, school and brook,
// as tile types per cell, with the sprites placed on it and the named places the events use.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace demo {

constexpr int kMapColumns = 100;
constexpr int kMapRows = 75;
constexpr int kCell = 32;

// A sprite to place: kind (1 unit, 2 feature, 4 vehicle), template name, agency kind, world position.
struct SpritePlace {
    int kind = 2;
    std::string templateName;
    int agencyKind = -1;
    int x = 0;
    int y = 0;
};

// A named rectangle in world pixels (left, top, right, bottom).
struct NamedRect {
    std::string name;
    int left = 0, top = 0, right = 0, bottom = 0;
};

struct TownPlan {
    std::vector<int> types; // row-major, kMapColumns x kMapRows
    std::vector<SpritePlace> sprites;
    std::vector<NamedRect> zones;
    std::map<std::string, std::pair<int, int>> points; // world pixels of places the events name
    int At(int column, int row) const { return types[static_cast<size_t>(row) * kMapColumns + column]; }
};

// The centre of a cell in world pixels.
inline int CellCentre(int index)
{
    return index * kCell + kCell / 2;
}

TownPlan MakeMillbrookPlan();

} // namespace demo
