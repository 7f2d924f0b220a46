// The ESRI shapefiles behind the area map ("Maps/ESRI"): county, places, water, roads and rail, in metres,
// 20 m a pixel of the painted map (16,000 x 8,960 m for its 800 x 448 pixels), y growing northwards.
#include "tools/demo/AreaPlan.h"
#include "tools/demo/DemoData.h"

#include "platform/shapefile/Shapefile.h"

#include <cmath>
#include <filesystem>

namespace demo {

namespace {

using platform::shapefile::Shape;
using platform::shapefile::ShapeKind;
using platform::shapefile::ShapeLayer;
using platform::shapefile::ShapePoint;

// The south-west corner of the map, in metres (a grid of the kind survey maps use).
constexpr double kEast = 512000;
constexpr double kNorth = 4436000;
constexpr double kMetresPerPixel = 20;

ShapePoint Metres(double px, double py)
{
    return {kEast + px * kMetresPerPixel, kNorth + (kAreaHeight - py) * kMetresPerPixel};
}

std::vector<ShapePoint> Line(const std::vector<AreaPoint>& points)
{
    std::vector<ShapePoint> out;
    for (const AreaPoint& p : points)
        out.push_back(Metres(p.x, p.y));
    return out;
}

// A closed ring round the rectangle's pixels, clockwise seen on the map (the outer-ring order).
std::vector<ShapePoint> Box(int left, int top, int right, int bottom)
{
    return {Metres(left, bottom), Metres(left, top), Metres(right, top), Metres(right, bottom), Metres(left, bottom)};
}

// A closed ring, counter-clockwise (the hole order).
std::vector<ShapePoint> Hole(int left, int top, int right, int bottom)
{
    std::vector<ShapePoint> ring = Box(left, top, right, bottom);
    return {ring.rbegin(), ring.rend()};
}

// The brook as a band `half` pixels either side of its line.
std::vector<ShapePoint> Band(const std::vector<AreaPoint>& line, int half)
{
    std::vector<ShapePoint> ring;
    for (const AreaPoint& p : line)
        ring.push_back(Metres(p.x, p.y - half));
    for (auto it = line.rbegin(); it != line.rend(); ++it)
        ring.push_back(Metres(it->x, it->y + half));
    ring.push_back(ring.front());
    return ring;
}

std::vector<ShapePoint> Pond(double cx, double cy, double r)
{
    std::vector<ShapePoint> ring;
    for (int i = 0; i <= 12; ++i) {
        double a = 2 * M_PI * (i % 12) / 12; // y grows downwards in pixels: clockwise on the map
        ring.push_back(Metres(std::round(cx + r * std::cos(a)), std::round(cy + r * std::sin(a))));
    }
    return ring;
}

void Write(Output& out, const std::string& name, ShapeKind kind, std::vector<Shape> shapes,
           const std::vector<std::string>& names)
{
    const std::string relative = "Maps/ESRI/" + name;
    ShapeLayer layer;
    layer.kind = kind;
    layer.shapes = std::move(shapes);
    std::string why;
    if (!platform::shapefile::WriteShapefile(out.Path(relative), layer, names, &why)) {
        out.Fail(why);
        return;
    }
    for (const char* ext : {".shp", ".shx", ".dbf"})
        out.Made(relative + ext);
}

} // namespace

void MakeShapefiles(Output& out)
{
    std::error_code ec;
    std::filesystem::create_directories(out.Path("Maps/ESRI"), ec);
    if (ec) {
        out.Fail("cannot make " + out.Path("Maps/ESRI"));
        return;
    }
    const AreaPlan a = MakeMillbrookArea();
    // The county's bounds are the whole map: its full extent is exactly 800 x 448 pixels.
    Write(out, "millbrook_cty", ShapeKind::Polygon,
          {Shape{{{Metres(0, kAreaHeight), Metres(0, 0), Metres(400, 0), Metres(kAreaWidth, 0),
                   Metres(kAreaWidth, kAreaHeight), Metres(400, kAreaHeight), Metres(0, kAreaHeight)}}}},
          {"Millbrook County"});
    // Millbrook round its green (the hole), Ashby to the west.
    Write(out, "millbrook_plc", ShapeKind::Polygon,
          {Shape{{Box(320, 140, 540, 300), Hole(460, 250, 520, 290)}}, Shape{{Box(70, 220, 170, 290)}}},
          {"Millbrook", "Ashby"});
    Write(out, "millbrook_wat", ShapeKind::Polygon, {Shape{{Band(a.brook, 5)}}, Shape{{Pond(180, 390, 18)}}},
          {"Mill Brook", "Mill Pond"});
    // Roads: the last record joins the two lanes of Ashby into one road of two parts.
    std::vector<Shape> roads;
    std::vector<std::string> roadNames = {"North Road",   "County Road", "Depot Road", "Highway 9",
                                          "Station Road", "Yard Access", "Ashby Lanes"};
    for (size_t i = 0; i + 2 < a.roads.size(); ++i)
        roads.push_back(Shape{{Line(a.roads[i].points)}});
    roads.push_back(Shape{{Line(a.roads[a.roads.size() - 2].points), Line(a.roads.back().points)}});
    Write(out, "millbrook_lka", ShapeKind::Arc, std::move(roads), roadNames);
    Write(out, "millbrook_rail", ShapeKind::Arc, {Shape{{Line(a.rail)}}}, {"Rail line"});
}

} // namespace demo
