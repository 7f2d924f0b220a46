// ESRI shapefiles: a layer of points, arcs or polygons read from ".shp" with ".shx", and written with a ".dbf".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform::shapefile {

// What a layer holds; Z and M variants read as their flat kind, multipoints as points.
enum class ShapeKind { Point, Arc, Polygon };

struct ShapePoint {
    double x = 0;
    double y = 0;
};

// One record: its parts (rings of a polygon, lines of an arc, or the points of a point record).
struct Shape {
    std::vector<std::vector<ShapePoint>> parts;
};

struct ShapeBounds {
    double minX = 0;
    double minY = 0;
    double maxX = 0;
    double maxY = 0;
};

struct ShapeLayer {
    ShapeKind kind = ShapeKind::Point;
    std::vector<Shape> shapes;
    // The box round every vertex; false when the layer has none.
    bool hasBounds = false;
    ShapeBounds bounds;
};

// Largest number of vertices a layer may hold (guards memory against damaged counts).
constexpr size_t kMaxVertices = size_t(1) << 24;

// Reads "<path>" (a ".shp" name, any letter case) and its ".shx". False with a reason for a missing or damaged
// file, an unknown shape type, bad part or vertex counts and coordinates that are not finite; `out` is then empty.
bool ReadShapefile(const std::string& path, ShapeLayer& out, std::string* error = nullptr);

// The same over bytes held in memory (what the fuzz target feeds).
bool ReadShapefileBytes(const uint8_t* shp, size_t shpSize, const uint8_t* shx, size_t shxSize, ShapeLayer& out,
                        std::string* error = nullptr);

// Writes "<base>.shp", ".shx" and ".dbf" (one text field "NAME" per record, names by record, missing ones empty;
// the ".dbf" dated 1 January 2004 so the bytes never change). Point layers whose records hold one point are
// written as points, others as multipoints. False with a reason when a file cannot be written.
bool WriteShapefile(const std::string& base, const ShapeLayer& layer, const std::vector<std::string>& names,
                    std::string* error = nullptr);

} // namespace platform::shapefile
