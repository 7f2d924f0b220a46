// Sprites: screen clipping, hit tests, visibility and agency filters, drawing with key and alpha, modifiers.
#include "core/world/Sprite.h"
#include "core/world/SpriteManager.h"
#include "core/world/StationData.h"
#include "core/world/UnitTaskRecord.h"
#include "core/world/WorldFixtures.h"

#include "platform/system/MessageBox.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

using namespace worldtest;

namespace {

class SpriteTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetWorldContext();
        platform::ClearRecordedMessages();
        platform::SetMessageEcho(false);
    }
    void TearDown() override { platform::SetMessageEcho(true); }
};

std::unique_ptr<CSprite> MakeFramed(int x, int y, int w, int h, int zoom = 0)
{
    auto s = std::make_unique<CSprite>();
    s->m_Placement.WorldX = x;
    s->m_Placement.WorldY = y;
    s->m_anFrameWidth[zoom] = w;
    s->m_anFrameHeight[zoom] = h;
    s->m_nZoom = zoom;
    return s;
}

TEST_F(SpriteTest, ScreenRectanglesAreClippedToTheView)
{
    struct Case {
        int x, y, w, h, zoom;
        RECT view;
        bool on;
        int screenX, screenY;
        RECT source;
    };
    const RECT view{100, 50, 900, 498};
    std::vector<Case> cases = {
        {200, 100, 20, 10, 0, view, true, 90, 45, {0, 0, 20, 10}},  // wholly inside
        {105, 100, 20, 10, 0, view, true, 0, 45, {5, 0, 20, 10}},   // half off the left edge
        {200, 52, 20, 10, 0, view, true, 90, 0, {0, 3, 20, 10}},    // off the top
        {895, 100, 20, 10, 0, view, true, 785, 45, {0, 0, 15, 10}}, // off the right
        {200, 495, 20, 10, 0, view, true, 90, 440, {0, 0, 20, 8}},  // off the bottom
        {0, 0, 20, 10, 0, RECT{-790, 0, 10, 448}, true, 780, 0, {0, 5, 20, 10}},
        {400, 400, 20, 10, 1, RECT{0, 0, 800, 448}, true, 90, 95, {0, 0, 20, 10}}, // zoom 1: as if at (100, 100)
        {50, 100, 20, 10, 0, view, false, 0, 0, {0, 0, 0, 0}},                     // left of the view
        {200, 100, 0, 0, 0, view, false, 0, 0, {0, 0, 0, 0}},                      // nothing to show
        {INT32_MAX, 100, 20, 10, 0, view, false, 0, 0, {0, 0, 0, 0}}, // positions from files may be anything
        {INT32_MIN, INT32_MIN, 20, 10, 1, view, false, 0, 0, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        auto s = MakeFramed(c.x, c.y, c.w, c.h, c.zoom);
        s->UpdateScreenRect(c.view);
        EXPECT_EQ((s->m_Placement.Flags & kSpriteOnScreen) != 0, c.on) << c.x << "," << c.y;
        if (!c.on)
            continue;
        EXPECT_EQ(s->m_nScreenX, c.screenX) << c.x << "," << c.y;
        EXPECT_EQ(s->m_nScreenY, c.screenY) << c.x << "," << c.y;
        EXPECT_TRUE(s->m_rcSource == c.source) << c.x << "," << c.y;
    }
}

TEST_F(SpriteTest, VisiblePartStartingAt790IsCutTo10Pixels)
{
    auto s = MakeFramed(800, 100, 40, 10);
    s->UpdateScreenRect(RECT{0, 0, 1000, 448});
    EXPECT_EQ(s->m_nScreenX, 780);
    EXPECT_EQ(s->m_rcSource.right, 20);
    s = MakeFramed(810, 100, 40, 10);
    s->UpdateScreenRect(RECT{0, 0, 1000, 448});
    EXPECT_EQ(s->m_nScreenX, 790);
    EXPECT_EQ(s->m_rcSource.right - s->m_rcSource.left, 10);
}

TEST_F(SpriteTest, HitTestIsInclusive)
{
    auto s = MakeFramed(200, 100, 20, 10);
    s->UpdateScreenRect(RECT{100, 50, 900, 498});
    EXPECT_TRUE(s->HitTest(90, 45));
    EXPECT_TRUE(s->HitTest(110, 55));
    EXPECT_FALSE(s->HitTest(111, 55));
    EXPECT_FALSE(s->HitTest(90, 44));
}

TEST_F(SpriteTest, VisibilityClassesFollowTheFilter)
{
    struct Case {
        int visibilityClass, modeFlags, classSwitch, classOptions;
        bool visible;
    };
    for (Case c : {Case{-1, 0, 0, 0, true}, Case{3, 0, 0, 0, true}, Case{-3, 0, 0, 0, false}, Case{-3, 0, 1, 0x1, true},
                   Case{-3, 0, 1, 0x2, false}, Case{-3, 0x200000, 0, 0, true}, Case{-2, 0, 1, 0x2, true},
                   Case{-4, 0, 1, 0x4, true}, Case{-4, 0, 0, 0x4, false}}) {
        CSprite s;
        s.m_nVisibilityClass = c.visibilityClass;
        CModeRecord mode;
        mode.m_nModeFlags = c.modeFlags;
        mode.m_bClassSwitch = static_cast<uint8_t>(c.classSwitch);
        mode.m_nClassOptions = c.classOptions;
        EXPECT_EQ(s.IsVisibleToFilter(&mode), c.visible) << c.visibilityClass << " " << c.classOptions;
    }
    CSprite s;
    s.m_nVisibilityClass = -3;
    EXPECT_TRUE(s.IsVisibleToFilter(nullptr));
}

TEST_F(SpriteTest, AgencyFilterAndOptionWord)
{
    WorldDataFolder data(false);
    CSpriteManager manager;
    ASSERT_TRUE(manager.LoadAgencyList(data.File("Agency.csv")));
    auto unit = [](int agencyIndex, int agencyKind, int flags) {
        auto s = std::make_unique<CSprite>(kUnitSprite, nullptr);
        s->m_Placement.AgencyIndex = agencyIndex;
        s->m_Placement.Flags = flags;
        s->m_pUnitTask->m_nAgencyKind = agencyKind;
        return s;
    };
    struct Case {
        int agencyIndex, agencyKind, flags, mask, modeFlags, filterSwitch, options;
        bool passes;
    };
    std::vector<Case> cases = {
        {1, 1, 0, 0x2, 0, 0, 0, true}, // its own agency's bit
        {1, 1, 0, 0x4, 0, 0, 0, false},
        {1, 1, 0x20 << 2, 0x4, 0, 0, 0, true}, // seen by agency 2
        {3, 5, 0, 0x400, 0, 0, 0, false},      // command sees all but civilians and threats
        {0, 0, 0, 0x400, 0, 0, 0, true},
        {40, 0, 0, ~0x400, 0, 0, 0, false},  // an agency index from a file beyond the mask
        {9, 0, 0, 0x200, 0, 0, 0, false},    // not an agency of the list
        {1, 1, 0, 0, 0x8000000, 0, 0, true}, // every agency passes
        {1, 1, 0, 0x2, 0, 1, 0x1, false},    // idle-marker option without the flag
        {1, 1, 0x80000, 0x2, 0, 1, 0x1, true},
        {1, 1, 0x20 << 3, 0x8, 0, 1, 0x2, false}, // seen, but not of an agency in the mask
        {1, 1, 0, 0x2, 0, 1, 0x4, false},         // down option without the flag
        {1, 1, 0, 0x4, 0, 1, 0x10, true},         // bit 4 passes everything
        {1, 1, 0, 0x2, 0, 1, 0x8, false},         // bit 3 passes nothing
    };
    for (const Case& c : cases) {
        auto s = unit(c.agencyIndex, c.agencyKind, c.flags);
        CModeRecord mode;
        mode.m_nModeFlags = c.modeFlags;
        mode.m_bFilterSwitch = static_cast<uint8_t>(c.filterSwitch);
        mode.m_nFilterOptions = c.options;
        int32_t mask = c.mask;
        EXPECT_EQ(s->PassesFilter(&mode, &mask, &manager), c.passes)
            << "agency " << c.agencyIndex << " mask " << c.mask << " options " << c.options;
    }
    auto feature = std::make_unique<CSprite>(kFeatureSprite, nullptr);
    int32_t none = 0;
    EXPECT_TRUE(feature->PassesFilter(nullptr, &none, &manager));
    auto s = unit(1, 1, 0);
    EXPECT_TRUE(s->PassesFilter(nullptr, nullptr, &manager));
}

TEST_F(SpriteTest, CompareDepthOrdersLowerFirst)
{
    CSprite a, b;
    a.m_nDepthKey = 5;
    b.m_nDepthKey = 9;
    EXPECT_EQ(a.CompareDepth(b), 1);
    EXPECT_EQ(b.CompareDepth(a), -1);
    b.m_nDepthKey = 5;
    EXPECT_EQ(a.CompareDepth(b), 0);
}

class SpriteDrawTest : public SpriteTest {
protected:
    void SetUp() override
    {
        SpriteTest::SetUp();
        display = MakeDisplay();
        target = display->GetBackBuffer();
        manager.LoadReferenceLists(data.Path(), "Agency.csv", display.get());
        manager.CreateViewSurface(display.get());
    }
    CSprite* Place(int kind, int templateIndex, int x, int y)
    {
        CPlacement p;
        p.Type = kind;
        p.Id = templateIndex;
        p.WorldX = x;
        p.WorldY = y;
        CSprite* s = kind == kUnitSprite ? manager.CreateUnitSprite(p, true) : manager.CreateFeatureSprite(p, false);
        s->UpdateScreenRect(RECT{0, 0, 800, 448});
        return s;
    }
    void Fill(COLORREF colour)
    {
        DDBLTFX fx;
        fx.dwFillColor = platform::ColorRefTo565(colour);
        target->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx);
    }
    WorldDataFolder data;
    std::unique_ptr<CDisplay> display;
    CSurface* target = nullptr;
    CSpriteManager manager;
};

TEST_F(SpriteDrawTest, MagentaIsTransparent)
{
    Fill(RGB(0, 255, 0));
    CSprite* tree = Place(kFeatureSprite, 0, 100, 100); // 16 x 16: screen 92..107
    tree->Draw(RECT{0, 0, 800, 448}, target, manager.GetViewSurface(), nullptr);
    EXPECT_EQ(PixelAt(target, 92, 92), RGB(0, 255, 0)); // border: magenta, not drawn
    EXPECT_EQ(PixelAt(target, 100, 100), kRed);
    EXPECT_NE(tree->m_Placement.Flags & kSpriteDrawn, 0);
}

TEST_F(SpriteDrawTest, BlendedSpritesUseConstantAlphaOfTheirPercent)
{
    Fill(RGB(0, 0, 0));
    CSprite* building = Place(kFeatureSprite, 1, 100, 100); // alpha 50%
    building->m_Placement.Flags |= kSpriteBlended;
    building->Draw(RECT{0, 0, 800, 448}, target, manager.GetViewSurface(), nullptr);
    platform::PixelSurface expected;
    expected.Create(1, 1);
    platform::PixelSurface red;
    red.Create(1, 1);
    red.SetPixel(0, 0, platform::ColorRefTo565(kRed));
    expected.BlendFrom(0, 0, red, RECT{0, 0, 1, 1}, 127);
    EXPECT_EQ(target->GetPixels()->GetPixel(100, 100), expected.GetPixel(0, 0));
    EXPECT_EQ(PixelAt(target, 92, 92), RGB(0, 0, 0)); // the keyed border stays out of the blend
}

TEST_F(SpriteDrawTest, HiddenAndFilteredSpritesAreNotDrawn)
{
    Fill(RGB(0, 0, 0));
    CSprite* tree = Place(kFeatureSprite, 0, 100, 100);
    for (int32_t flag : {kSpriteHiddenUnder, kSpriteHidden, kSpriteWaiting, kSpriteLoaded}) {
        tree->m_Placement.Flags = kSpriteOnScreen | flag;
        tree->Draw(RECT{0, 0, 800, 448}, target, manager.GetViewSurface(), nullptr);
        EXPECT_EQ(PixelAt(target, 100, 100), RGB(0, 0, 0)) << flag;
        EXPECT_EQ(tree->m_Placement.Flags & kSpriteDrawn, 0) << flag;
    }
}

TEST_F(SpriteDrawTest, ModifiersAreComposedOnPrivateFrames)
{
    CSprite* unit = Place(kUnitSprite, 0, 100, 100);
    ASSERT_NE(unit->m_apFrame[0], unit->m_apBaseImage[0]);
    unit->SetModifiers(0x1 | 0x4, true);
    EXPECT_EQ(PixelAt(unit->m_apFrame[0], 1, 2), kBlue); // modifier 0
    EXPECT_EQ(PixelAt(unit->m_apFrame[0], 3, 2), kBlue); // modifier 2
    EXPECT_EQ(PixelAt(unit->m_apFrame[0], 2, 2), kRed);
    EXPECT_EQ(PixelAt(unit->m_apBaseImage[0], 1, 2), kRed); // the shared image is untouched
    unit->SetModifiers(0x1, false);
    EXPECT_EQ(PixelAt(unit->m_apFrame[0], 1, 2), kRed);
    EXPECT_EQ(PixelAt(unit->m_apFrame[0], 3, 2), kBlue);
    EXPECT_EQ(unit->m_Placement.Modifiers, 0x4);
}

TEST_F(SpriteTest, UnitTemplateWithoutItsBitmapIsStillComplete)
{
    WorldDataFolder data(false);
    auto display = MakeDisplay();
    CSpriteManager manager;
    ASSERT_TRUE(manager.LoadReferenceLists(data.Path(), "Agency.csv", display.get()));
    ASSERT_EQ(manager.GetTemplateCount(kUnitSprite), 3);
    const CSprite& t = manager.GetTemplates(kUnitSprite)[1];
    EXPECT_STREQ(t.m_szName, "Engine Crew");
    EXPECT_EQ(t.m_Placement.Type, kUnitSprite);
    EXPECT_EQ(t.m_Placement.Id, 1);
    EXPECT_EQ(t.m_pUnitTask->m_nAgencyKind, 1);
    EXPECT_EQ(t.m_apBaseImage[0], nullptr);
    CPlacement p;
    p.Type = kUnitSprite;
    p.Id = 1;
    CSprite* squad = manager.CreateUnitSprite(p, true);
    ASSERT_NE(squad, nullptr);
    EXPECT_STREQ(squad->m_szName, "Engine Crew");
    EXPECT_EQ(squad->AgencyKind(), 1);
    EXPECT_EQ(squad->m_apFrame[0], nullptr);
    EXPECT_EQ(manager.GetTemplates(kFeatureSprite)[0].m_Placement.Type, kFeatureSprite);
}

TEST_F(SpriteTest, StationCopiesOwnTheirData)
{
    CSprite t;
    CStationData station;
    station.m_paResources[0] = new CStationResource();
    station.m_pptWaypoints = {{0, 0}, {30, 40}};
    station.BuildRoutes();
    const std::string name = "A very long station name that will not fit in fifty characters";
    t.SetupStationTemplate(0, name.c_str(), "none", 1, 0, -1, 0, 0, 0, station, ".", nullptr);
    EXPECT_EQ(std::string(t.m_pStationData->m_szName), name.substr(0, 49)); // the terminator always fits
    EXPECT_EQ(std::string(t.m_szName), name);
    std::unique_ptr<CSprite> copy(t.CreateFromTemplate(nullptr, false));
    ASSERT_NE(copy->m_pStationData, nullptr);
    EXPECT_NE(copy->m_pStationData, t.m_pStationData);
    EXPECT_NE(copy->m_pStationData->m_paResources[0], t.m_pStationData->m_paResources[0]);
    EXPECT_NE(copy->m_pStationData->m_pRouteToStation, t.m_pStationData->m_pRouteToStation);
    EXPECT_EQ(copy->m_pStationData->m_pRouteToStation->m_pNext->m_pTile->m_nX, 30);
    EXPECT_EQ(copy->m_pStationData->m_pptWaypoints.size(), 2u);
}

} // namespace
