// Tests of the shapefile layer: written layers read back, Z and M flattened, damaged files refused.
#include "platform/shapefile/Shapefile.h"
#include "support/ShapefileBytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <unistd.h>

using namespace platform::shapefile;
namespace fs = std::filesystem;

namespace {

class MapControlShapefile : public ::testing::Test {
protected:
    void SetUp() override
    {
        static int counter = 0;
        m_dir = fs::temp_directory_path() / ("zr_shp_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
        fs::create_directories(m_dir);
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    std::string Path(const std::string& name) const { return (m_dir / name).string(); }
    void Put(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }
    std::string Get(const std::string& name) const
    {
        std::ifstream in(Path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    fs::path m_dir;
};

Shape Make(std::vector<std::vector<ShapePoint>> parts)
{
    return Shape{std::move(parts)};
}

std::vector<std::vector<std::pair<double, double>>> Flat(const Shape& s)
{
    std::vector<std::vector<std::pair<double, double>>> out;
    for (const auto& part : s.parts) {
        out.emplace_back();
        for (const ShapePoint& p : part)
            out.back().emplace_back(p.x, p.y);
    }
    return out;
}

} // namespace

TEST_F(MapControlShapefile, WrittenLayersReadBackWithPartsAndBounds)
{
    const Shape outerWithHole = Make({{{0, 0}, {0, 10}, {10, 10}, {10, 0}, {0, 0}}, {{3, 3}, {7, 3}, {7, 7}, {3, 3}}});
    const Shape twoLines = Make({{{-5, 2}, {1, 2}}, {{1, 2}, {1, 40}, {6, 41}}});
    struct Case {
        const char* name;
        ShapeKind kind;
        std::vector<Shape> shapes;
        ShapeBounds bounds;
    };
    const Case cases[] = {
        {"plc", ShapeKind::Polygon, {outerWithHole}, {0, 0, 10, 10}},
        {"lka", ShapeKind::Arc, {twoLines, Make({{{2, 2}, {3, 3}}})}, {-5, 2, 6, 41}},
        {"pts", ShapeKind::Point, {Make({{{4, 5}}}), Make({{{-1, 8}}})}, {-1, 5, 4, 8}},
        {"multi", ShapeKind::Point, {Make({{{1, 1}, {2, 2}, {3, 0}}})}, {1, 0, 3, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShapeLayer layer;
        layer.kind = c.kind;
        layer.shapes = c.shapes;
        std::string error;
        ASSERT_TRUE(WriteShapefile(Path(c.name), layer, {"First"}, &error)) << error;
        ShapeLayer back;
        ASSERT_TRUE(ReadShapefile(Path(std::string(c.name) + ".shp"), back, &error)) << error;
        EXPECT_EQ(back.kind, c.kind);
        ASSERT_EQ(back.shapes.size(), c.shapes.size());
        for (size_t i = 0; i < c.shapes.size(); ++i)
            EXPECT_EQ(Flat(back.shapes[i]), Flat(c.shapes[i]));
        ASSERT_TRUE(back.hasBounds);
        EXPECT_EQ(back.bounds.minX, c.bounds.minX);
        EXPECT_EQ(back.bounds.minY, c.bounds.minY);
        EXPECT_EQ(back.bounds.maxX, c.bounds.maxX);
        EXPECT_EQ(back.bounds.maxY, c.bounds.maxY);
    }
    // The attribute table carries a fixed date, so the same layer always gives the same bytes.
    const std::string dbf = Get("plc.dbf");
    ASSERT_GT(dbf.size(), 4u);
    EXPECT_EQ(dbf.substr(1, 3), std::string("\x68\x01\x01", 3));
    ShapeLayer again;
    again.kind = ShapeKind::Polygon;
    again.shapes = {outerWithHole};
    ASSERT_TRUE(WriteShapefile(Path("plc2"), again, {"First"}));
    EXPECT_EQ(Get("plc2.dbf"), dbf);
    EXPECT_EQ(Get("plc2.shp"), Get("plc.shp"));
}

TEST_F(MapControlShapefile, ZAndMVariantsReadFlat)
{
    using namespace shapebytes;
    struct Case {
        int32_t type;
        std::string record;
        ShapeKind kind;
        size_t parts;
    };
    const Case cases[] = {
        {kPointZ, PointRecord(kPointZ, 3, 4), ShapeKind::Point, 1},
        {kArcZ, PolyRecord(kArcZ, {0, 2}, {{0, 0}, {1, 1}, {2, 2}, {3, 2}}), ShapeKind::Arc, 2},
        {kPolygonM, PolyRecord(kPolygonM, {0}, {{0, 0}, {0, 4}, {4, 4}, {0, 0}}), ShapeKind::Polygon, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        Files f = Build(c.type, {c.record});
        ShapeLayer layer;
        std::string error;
        ASSERT_TRUE(ReadShapefileBytes(reinterpret_cast<const uint8_t*>(f.shp.data()), f.shp.size(),
                                       reinterpret_cast<const uint8_t*>(f.shx.data()), f.shx.size(), layer, &error))
            << error;
        EXPECT_EQ(layer.kind, c.kind);
        ASSERT_EQ(layer.shapes.size(), 1u);
        EXPECT_EQ(layer.shapes[0].parts.size(), c.parts);
    }
}

TEST_F(MapControlShapefile, DamagedFilesAreRefusedAndLeaveNothing)
{
    using namespace shapebytes;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Points square = {{0, 0}, {0, 4}, {4, 4}, {0, 0}};
    ShapeLayer good;
    good.kind = ShapeKind::Arc;
    good.shapes = {Make({{{0, 0}, {5, 5}, {9, 1}}}), Make({{{1, 1}, {2, 2}}})};
    ASSERT_TRUE(WriteShapefile(Path("roads"), good, {}));
    const std::string shp = Get("roads.shp"), shx = Get("roads.shx");
    struct Case {
        const char* what;
        std::string shp;
        std::string shx;
    };
    std::vector<Case> cases = {
        {"cut .shp", shp.substr(0, shp.size() - 20), shx},
        {"missing .shx", shp, ""},
        {"not a shapefile", std::string(200, 'x'), std::string(100, 'x')},
        {"NaN coordinate", Build(kArc, {PolyRecord(kArc, {0}, {{0, 0}, {nan, 1}})}).shp,
         Build(kArc, {PolyRecord(kArc, {0}, {{0, 0}, {nan, 1}})}).shx},
        {"part start beyond the points", Build(kPolygon, {PolyRecord(kPolygon, {0, 9}, square)}).shp,
         Build(kPolygon, {PolyRecord(kPolygon, {0, 9}, square)}).shx},
        {"first part not at 0", Build(kPolygon, {PolyRecord(kPolygon, {2}, square)}).shp,
         Build(kPolygon, {PolyRecord(kPolygon, {2}, square)}).shx},
        {"record of another type", Build(kPolygon, {PointRecord(kPoint, 1, 1)}).shp,
         Build(kPolygon, {PointRecord(kPoint, 1, 1)}).shx},
        {"multipatch", Build(31, {}).shp, Build(31, {}).shx},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Put("bad.shp", c.shp);
        std::error_code ec;
        fs::remove(Path("bad.shx"), ec);
        if (!c.shx.empty())
            Put("bad.shx", c.shx);
        ShapeLayer layer;
        layer.shapes.resize(3);
        std::string error;
        EXPECT_FALSE(ReadShapefile(Path("bad.shp"), layer, &error));
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(layer.shapes.empty());
        EXPECT_FALSE(layer.hasBounds);
    }
}

TEST_F(MapControlShapefile, NamesAreFoundIgnoringLetterCase)
{
    ShapeLayer layer;
    layer.kind = ShapeKind::Point;
    layer.shapes = {Make({{{1, 2}}})};
    ASSERT_TRUE(WriteShapefile(Path("tmp"), layer, {}));
    fs::rename(Path("tmp.shp"), Path("TOWN.SHP"));
    fs::rename(Path("tmp.shx"), Path("TOWN.SHX"));
    ShapeLayer back;
    EXPECT_TRUE(ReadShapefile(Path("Town.shp"), back));
    EXPECT_EQ(back.shapes.size(), 1u);
}
