// Tests of the map control: layers added from shapefiles, extents, and the picture probed pixel by pixel.
#include "editors/areamap/model/EsriData.h"
#include "editors/areamap/model/MapControl.h"
#include "tests/editors/areamap/AreaMapTestSupport.h"

#include <gtest/gtest.h>

using namespace vellisk;
using namespace areamaptest;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kCounty = RGB(131, 187, 68);
constexpr COLORREF kWaterColour = RGB(5, 158, 250);
constexpr COLORREF kRoadColour = RGB(200, 0, 0);

bool AddLayer(CMap1& map, const std::string& path, COLORREF colour)
{
    auto layer = std::make_unique<CMapLayer>();
    layer->SetFile(path);
    layer->Symbol().SetColor(colour);
    return map.Layers().Add(std::move(layer));
}

class MapControlTest : public ::testing::Test {
protected:
    TempDir dir;
};

} // namespace

TEST_F(MapControlTest, LayersDrawInOrderWithHolesOutlinesArcsAndPoints)
{
    // Map units equal pixels: the county fills 800 x 448 exactly.
    CMap1 map;
    ASSERT_TRUE(AddLayer(map, WriteLayer(dir, "cty", ShapeKind::Polygon, {Shape{{Box(0, 0, 800, 448)}}}), kCounty));
    ASSERT_TRUE(AddLayer(
        map, WriteLayer(dir, "wat", ShapeKind::Polygon, {Shape{{Box(100, 100, 300, 300), Box(150, 150, 250, 250)}}}),
        kWaterColour));
    ASSERT_TRUE(AddLayer(map, WriteLayer(dir, "lka", ShapeKind::Arc, {Shape{{{{400, 40}, {600, 40}}}}}), kRoadColour));
    ASSERT_TRUE(AddLayer(map, WriteLayer(dir, "pts", ShapeKind::Point, {Shape{{{{700, 400}}}}}), kBlack));
    map.SetExtent(map.FullExtent());
    platform::gdi::DeviceBitmap picture;
    ASSERT_TRUE(map.Draw(picture, 800, 448));
    EXPECT_EQ(picture.BitCount(), 32);
    struct Probe {
        int x, y;
        COLORREF colour;
        const char* what;
    };
    const Probe probes[] = {
        {5, 5, kCounty, "county fill"},
        {0, 200, kBlack, "county outline on the left edge"},
        {200, 448 - 120, kWaterColour, "water band (y up)"},
        {200, 448 - 200, kCounty, "the hole shows the county below"},
        {150, 448 - 200, kBlack, "the hole's outline"},
        {100, 448 - 200, kBlack, "the outer ring's outline"},
        {450, 448 - 40, kRoadColour, "the arc"},
        {450, 448 - 41, kCounty, "one pixel wide"},
        {450, 448 - 39, kCounty, "one pixel wide below"},
        {699, 47, kBlack, "point 3 x 3"},
        {701, 49, kBlack, "point 3 x 3, far corner"},
        {702, 48, kCounty, "point no wider"},
    };
    for (const Probe& p : probes)
        EXPECT_EQ(picture.GetPixel(p.x, p.y), p.colour) << p.what << " at " << p.x << "," << p.y;
}

TEST_F(MapControlTest, ExtentIsFittedAtOneScaleAndCentred)
{
    CMap1 map;
    ASSERT_TRUE(
        AddLayer(map, WriteLayer(dir, "sq", ShapeKind::Polygon, {Shape{{Box(1000, 2000, 1100, 2100)}}}), kCounty));
    map.SetExtent(map.FullExtent());
    platform::gdi::DeviceBitmap picture;
    ASSERT_TRUE(map.Draw(picture, 800, 448));
    // 100 units over 448 rows: 4.48 pixels a unit, the square centred between x 176 and 624.
    EXPECT_EQ(picture.GetPixel(170, 224), kWhite);
    EXPECT_EQ(picture.GetPixel(180, 224), kCounty);
    EXPECT_EQ(picture.GetPixel(620, 224), kCounty);
    EXPECT_EQ(picture.GetPixel(630, 224), kWhite);
    EXPECT_EQ(picture.GetPixel(400, 3), kCounty);
    EXPECT_FALSE(map.Draw(picture, 0, 448));
}

TEST_F(MapControlTest, FullExtentIsTheUnionAndAPointIsWidened)
{
    CMap1 map;
    CMapRectangle none = map.FullExtent();
    EXPECT_DOUBLE_EQ(none.Width(), 1.0);
    ASSERT_TRUE(AddLayer(map, WriteLayer(dir, "p", ShapeKind::Point, {Shape{{{{5, 7}}}}}), kBlack));
    CMapRectangle one = map.FullExtent();
    EXPECT_DOUBLE_EQ(one.left, 4.5);
    EXPECT_DOUBLE_EQ(one.top, 7.5);
    ASSERT_TRUE(AddLayer(map, WriteLayer(dir, "a", ShapeKind::Arc, {Shape{{{{-3, 1}, {2, 20}}}}}), kBlack));
    CMapRectangle both = map.FullExtent();
    EXPECT_DOUBLE_EQ(both.left, -3);
    EXPECT_DOUBLE_EQ(both.bottom, 1);
    EXPECT_DOUBLE_EQ(both.right, 5);
    EXPECT_DOUBLE_EQ(both.top, 20);
}

TEST_F(MapControlTest, AFileThatDoesNotReadIsNotAdded)
{
    CMap1 map;
    std::string good = WriteLayer(dir, "good", ShapeKind::Point, {Shape{{{{1, 1}}}}});
    std::string cut = dir.Write("cut.shp", dir.Read("good.shp").substr(0, 60));
    dir.Write("cut.shx", dir.Read("good.shx"));
    EXPECT_FALSE(AddLayer(map, cut, kBlack));
    EXPECT_NE(map.Layers().LastError().find(cut), std::string::npos);
    EXPECT_FALSE(AddLayer(map, dir.File("missing.shp"), kBlack));
    EXPECT_TRUE(AddLayer(map, good, kBlack));
    EXPECT_EQ(map.Layers().Count(), 1);
    EXPECT_EQ(map.Layers().Item(0).File(), good);
}

// A file that does not read is named with what is wrong with it, in the editor's words, never the reader's.
TEST_F(MapControlTest, WhatIsWrongWithAShapefileIsToldInTheEditorsWords)
{
    const std::string good = WriteLayer(dir, "good", ShapeKind::Polygon, {Shape{{Box(0, 0, 10, 10)}}});
    const std::string shp = dir.Read("good.shp"), shx = dir.Read("good.shx");
    // A layer named `name` from the given bytes (no ".shx" when its bytes are empty).
    auto layer = [&](const std::string& name, const std::string& shpBytes, const std::string& shxBytes) {
        if (!shxBytes.empty())
            dir.Write(name + ".shx", shxBytes);
        return dir.Write(name + ".shp", shpBytes);
    };
    auto patched = [](std::string bytes, size_t at, uint32_t littleEndian) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<char>(littleEndian >> (8 * i));
        return bytes;
    };
    struct Case {
        std::string path;
        std::string told;
    };
    const Case cases[] = {
        {dir.File("gone.shp"), "the file is missing"},
        {layer("noindex", shp, ""), "its index file noindex.shx is missing (a shapefile needs its .shx beside it)"},
        {layer("tiny", shp.substr(0, 10), shx), "the file is too short to be a shapefile (10 bytes)"},
        {layer("text", std::string(200, 'x'), shx), "the file is not a shapefile"},
        {layer("cut", shp.substr(0, shp.size() - 8), shx),
         "the file is cut short (" + std::to_string(shp.size() - 8) + " of " + std::to_string(shp.size()) + " bytes)"},
        {layer("cutindex", shp, shx.substr(0, shx.size() - 4)), "its index file cutindex.shx is cut short (" +
                                                                    std::to_string(shx.size() - 4) + " of " +
                                                                    std::to_string(shx.size()) + " bytes)"},
        {layer("parts", patched(shp, 144, 0x7FFFFFFF), shx), "record 1 is damaged"},
        {layer("patch", patched(shp, 32, 31), patched(shx, 32, 31)),
         "it holds shapes of a kind the map does not draw (shape type 31)"},
    };
    for (const Case& c : cases) {
        CMap1 map;
        EXPECT_FALSE(AddLayer(map, c.path, kBlack));
        EXPECT_EQ(map.Layers().LastError(), c.path + ": " + c.told);
    }
    CMap1 map;
    EXPECT_TRUE(AddLayer(map, good, kBlack));
}

TEST(MapControlDemoSet, TheDemoShapefilesDrawTheWholeMapAtTwentyMetresAPixel)
{
    ASSERT_FALSE(DemoData().empty());
    CLocatorOutcome located = LocateEsriData(DemoData() + "/Maps/ESRI");
    ASSERT_TRUE(located.accepted);
    EXPECT_TRUE(located.messages.empty());
    EXPECT_NE(located.slots[4].find("millbrook_rail.shp"), std::string::npos);
    CMap1 map;
    EXPECT_TRUE(AddShapefileLayers(map, located.slots).text.empty());
    EXPECT_EQ(map.Layers().Count(), 5);
    EXPECT_DOUBLE_EQ(map.Extent().Width(), 16000);
    EXPECT_DOUBLE_EQ(map.Extent().Height(), 8960);
    EXPECT_EQ(map.Layers().Item(3).Shapes().shapes.back().parts.size(), 2u); // roads: one record of two parts
    platform::gdi::DeviceBitmap picture;
    ASSERT_TRUE(map.Draw(picture, kMapBitmapWidth, kMapBitmapHeight));
    struct Probe {
        int x, y;
        COLORREF colour;
        const char* what;
    };
    const Probe probes[] = {
        {40, 40, kCounty, "fields"},           {330, 150, RGB(255, 255, 208), "Millbrook"},
        {490, 270, kCounty, "the green"},      {120, 280, RGB(255, 255, 208), "Ashby"},
        {365, 316, kWaterColour, "the brook"}, {180, 390, kWaterColour, "the pond"},
        {430, 30, kBlack, "North Road"},       {200, 210, kBlack, "the rail line"},
        {799, 447, kCounty, "bottom right"},
    };
    for (const Probe& p : probes)
        EXPECT_EQ(picture.GetPixel(p.x, p.y), p.colour) << p.what;
}

TEST_F(MapControlTest, SaveTakesThePictureCutToTheClientAreaAsATwentyFourBitBmp)
{
    EXPECT_EQ(CaptureSize(807, 680).cx, 800);
    EXPECT_EQ(CaptureSize(807, 680).cy, 448);
    EXPECT_EQ(CaptureSize(500, 300).cx, 500);
    EXPECT_EQ(CaptureSize(500, 300).cy, 300);
    EXPECT_EQ(CaptureSize(-4, 10).cx, 0);

    platform::gdi::DeviceBitmap picture;
    ASSERT_TRUE(picture.Create(800, 448, 32));
    for (int y = 0; y < 448; ++y)
        for (int x = 0; x < 800; ++x)
            picture.SetPixel(x, y, x < 10 && y < 10 ? RGB(250, 5, 5) : kWhite);
    // A smaller client area: only its own size, from the top-left corner (the red square).
    const std::string path = dir.File("Small.bmp");
    ASSERT_TRUE(SaveMapPicture(picture, CaptureSize(500, 300), path, nullptr));
    const std::string bmp = dir.Read("Small.bmp");
    ASSERT_EQ(bmp.size(), 54u + 500u * 3u * 300u);
    auto u32 = [&](size_t at) {
        return static_cast<uint32_t>(static_cast<uint8_t>(bmp[at])) |
               static_cast<uint32_t>(static_cast<uint8_t>(bmp[at + 1])) << 8;
    };
    EXPECT_EQ(u32(18), 500u);
    EXPECT_EQ(u32(22), 300u);
    EXPECT_EQ(bmp[28], 24);
    const size_t topLeft = 54 + 299u * 500u * 3u;           // rows go bottom-up: the top row is the last
    EXPECT_EQ(static_cast<uint8_t>(bmp[topLeft + 2]), 250); // red, stored B G R
    EXPECT_EQ(static_cast<uint8_t>(bmp[topLeft]), 5);

    // A target that cannot be written: the message names it and says why in place of the fixed guess, the old file
    // stays and no temporary is left. With no reason known the guess stays.
    fs::create_directories(dir.File("Folder.bmp"));
    CUserMessage failure;
    EXPECT_FALSE(SaveMapPicture(picture, CaptureSize(800, 448), dir.File("Folder.bmp"), &failure));
    EXPECT_EQ(failure.caption, "File Save Error");
    EXPECT_EQ(failure.text,
              "File [" + dir.File("Folder.bmp") + "] could not be saved. A folder of that name is in the way.");
    EXPECT_FALSE(SaveMapPicture(picture, CaptureSize(0, 0), path, &failure));
    EXPECT_EQ(failure.text, "File [" + path + "] could not be saved. Is it read only?");
    EXPECT_EQ(dir.Read("Small.bmp"), bmp);
    for (const auto& e : fs::directory_iterator(dir.Path()))
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
}
