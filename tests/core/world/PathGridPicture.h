// Builds a tile map and a path grid from an ASCII picture, through the real archive loaders.
#pragma once

#include "core/world/Map2DLinked.h"
#include "core/world/PathData.h"
#include "core/world/WorldContext.h"
#include "core/world/WorldTestSupport.h"

#include <array>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace worldtest {

struct CostLos {
    int cost;
    int los;
    bool unmarked = false; // a sub-tile stored without the 0x400 marker (the first one always has it)
};

// One character per 32-pixel cell. Cells listed in `subdivided` are stored as 4 x 4 sub-tiles, each drawn with
// four strings of four characters; sub-tiles carry the 0x400 marker as the editor writes them. The legend gives each
// character its stored cost and sight cost:
//   '.' 10/1   '#' 255/50   '~' 100/5   '0'..'9' digit x 10 / digit   (others: add to the legend)
struct PathGridPicture {
    std::vector<std::string> cells;
    std::map<std::pair<int, int>, std::array<std::string, 4>> subdivided; // (row, column) -> sub-tile rows
    std::map<char, CostLos> legend;
    std::vector<int> tileTypes; // per cell, row-major; 0 when missing

    PathGridPicture(std::vector<std::string> picture = {}) : cells(std::move(picture))
    {
        legend['.'] = {10, 1};
        legend['#'] = {255, 50};
        legend['~'] = {100, 5};
        for (char d = '0'; d <= '9'; ++d)
            legend[d] = {(d - '0') * 10, d - '0'};
    }
    int Columns() const { return cells.empty() ? 0 : static_cast<int>(cells[0].size()); }
    int Rows() const { return static_cast<int>(cells.size()); }
    PathGridPicture& Subdivide(int row, int column, std::array<std::string, 4> sub)
    {
        subdivided[{row, column}] = std::move(sub);
        return *this;
    }

    // The stream of a tile map whose cells hold tileTypes.
    std::vector<uint8_t> MapBytes() const
    {
        Bytes b;
        b.Object(0, "CMap2DLinked", 1).I32(Columns()).I32(Rows());
        for (int i = 0; i < Columns() * Rows(); ++i)
            b.I32(i < static_cast<int>(tileTypes.size()) ? tileTypes[i] : 0);
        return b.Data();
    }

    // The stream of the path grid as the editor stores it.
    std::vector<uint8_t> GridBytes() const
    {
        Bytes body;
        int count = 0;
        for (int r = 0; r < Rows(); ++r) {
            for (int c = 0; c < Columns(); ++c) {
                auto it = subdivided.find({r, c});
                if (it == subdivided.end()) {
                    CostLos v = legend.at(cells[r][c]);
                    body.I8(v.cost).I16(v.los & ~0x400);
                    ++count;
                    continue;
                }
                for (int sr = 0; sr < 4; ++sr) {
                    for (int sc = 0; sc < 4; ++sc) {
                        CostLos v = legend.at(it->second[sr][sc]);
                        int los = v.los | ((sr == 0 && sc == 0) || !v.unmarked ? 0x400 : 0);
                        body.I8(v.cost).I16(los);
                        ++count;
                    }
                }
            }
        }
        Bytes b;
        b.Object(0, "CPathData", 1).I32(count).Append(body.Data());
        return b.Data();
    }
};

// A loaded map and grid; the map is the current map while it lives.
struct LoadedGrid {
    std::unique_ptr<CMap2DLinked> map;
    std::unique_ptr<CPathData> grid;
    ~LoadedGrid()
    {
        grid.reset();
        if (GetCurrentMap() == map.get())
            SetCurrentMap(nullptr);
    }
};

inline std::unique_ptr<LoadedGrid> LoadPathGrid(const PathGridPicture& picture)
{
    RegisterCoreClasses();
    TempFolder folder;
    auto loaded = std::make_unique<LoadedGrid>();
    loaded->map.reset(LoadBytes<CMap2DLinked>(folder, picture.MapBytes(), "Map"));
    if (!loaded->map)
        return nullptr;
    SetCurrentMap(loaded->map.get());
    loaded->grid.reset(LoadBytes<CPathData>(folder, picture.GridBytes(), "PathData"));
    if (!loaded->grid)
        return nullptr;
    return loaded;
}

} // namespace worldtest
