// The map view's logic without edits: the status line, modes and cursors, keys, zoom and the grid layer's lines.
#include "EditorFixture.h"

#include "core/display/CDisplay.h"
#include "platform/display/PixelSurface.h"

#include <cstdio>
#include <cstdlib>

namespace {

using namespace tacmaptest;
using tacmap::CTacticalMapView;

class TacMapView : public TacMapTest {
protected:
    void SetUp() override
    {
        TacMapTest::SetUp();
        folder = CaseFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        ASSERT_FALSE(DemoData().empty());
        editor = std::make_unique<Editor>(folder);
    }
    CTacticalMapView& View() { return editor->View(); }
    // The view pixel of a cell's sub-cell (0-3 each way) at the current zoom.
    POINT At(int column, int row, int sx = 0, int sy = 0)
    {
        const int t = View().GetTileSize();
        return POINT{(column - View().GetOriginColumn()) * t + sx * (t / 4),
                     (row - View().GetOriginRow()) * t + sy * (t / 4)};
    }
    int FeatureRow(const std::string& name)
    {
        const auto& items = editor->Palette().Items(tacmap::CSpritePalette::kFeatures);
        for (size_t i = 0; i < items.size(); ++i)
            if (items[i].text == name)
                return static_cast<int>(i);
        return -1;
    }
    fs::path folder;
    std::unique_ptr<Editor> editor;
};

TEST_F(TacMapView, StatusLineNamesTheSpotAndItsCosts)
{
    tacmap::CPathData& grid = editor->Grid();
    View().OnMouseMove(0, 13, 21);
    const int type = editor->Map().GetTileIndex(2, 1);
    char expected[300];
    std::snprintf(expected, sizeof expected,
                  " Mode(Idle) View[013, 021] World[0052, 0084] Grid[01, 02] Subgrid[2, 2] TileID(%03d) [T] "
                  "Path(%03d) LOS(%04d)",
                  type, grid.GetPathCost(1, 2), grid.GetLOSCost(1, 2));
    EXPECT_EQ(editor->host.positionText, expected);
    EXPECT_EQ(editor->host.spriteText, "");

    // Over a fragmented tile: 'F' and the sub-tile's own costs.
    View().ToggleFragmentMode();
    View().OnLButtonDown(0, 13, 21);
    ASSERT_TRUE(grid.IsFragmented(1, 2));
    grid.SetSubtilePathCost(1, 2, 2, 2, 201);
    View().OnMouseMove(0, 13, 21);
    EXPECT_NE(editor->host.positionText.find("Mode(Fragment)"), std::string::npos);
    EXPECT_NE(editor->host.positionText.find("[F] Path(201)"), std::string::npos);

    View().OnMouseMove(0, 805, 10); // column 100: beyond the map
    EXPECT_EQ(editor->host.positionText, "Out of range.");
    EXPECT_EQ(editor->host.spriteText, "None");
}

TEST_F(TacMapView, KeysScrollZoomToggleAndCancel)
{
    View().SetZoom(0);
    struct Case {
        uint32_t key;
        int column, row;
    };
    for (Case c : {Case{0x27, 1, 0}, Case{0x66, 2, 0}, Case{0x25, 1, 0}, Case{0x64, 0, 0}, Case{0x28, 0, 1},
                   Case{0x62, 0, 2}, Case{0x26, 0, 1}, Case{0x68, 0, 0}, Case{0x25, 0, 0}}) {
        View().OnKeyDown(c.key);
        EXPECT_EQ(View().GetOriginColumn(), c.column) << c.key;
        EXPECT_EQ(View().GetOriginRow(), c.row) << c.key;
    }
    for (uint32_t key : {0x47u, 0x67u}) {
        const bool before = View().GetGridLayer()->IsVisible();
        View().OnKeyDown(key);
        EXPECT_NE(View().GetGridLayer()->IsVisible(), before) << key;
    }
    for (uint32_t key : {0x6Bu, 0xBBu}) {
        View().OnKeyDown(key);
        EXPECT_EQ(View().GetMode(), CTacticalMapView::kZoomIn) << key;
        EXPECT_EQ(View().Cursor(), tacmap::MapCursor::ZoomIn);
        View().OnKeyDown(0x1B);
        EXPECT_EQ(View().GetMode(), CTacticalMapView::kIdle);
    }
    for (uint32_t key : {0x6Du, 0xBDu}) {
        View().SetZoom(0);
        editor->host.zoomedOut = false;
        View().OnKeyDown(key);
        EXPECT_EQ(View().GetZoom(), 1) << key;
        EXPECT_EQ(View().GetTileSize(), 8);
        EXPECT_TRUE(editor->host.zoomedOut);
    }
}

TEST_F(TacMapView, ZoomInModeCentresTheClickedPointAtThirtyTwoPixels)
{
    View().EnterZoomIn();
    editor->host.zoomedOut = true;
    View().OnLButtonDown(0, 400, 300); // world (1600, 1200)
    EXPECT_EQ(View().GetZoom(), 0);
    EXPECT_EQ(View().GetMode(), CTacticalMapView::kIdle);
    EXPECT_FALSE(editor->host.zoomedOut);
    const RECT& view = editor->World().GetViewRect();
    EXPECT_LT(std::abs((view.left + view.right) / 2 - 1600), 32); // snapped to the tile grid
    EXPECT_LT(std::abs((view.top + view.bottom) / 2 - 1200), 32);
    EXPECT_EQ(View().GetOriginColumn(), view.left / 32);
    // Zooming out leaves the zoom-in mode.
    View().EnterZoomIn();
    View().SetZoom(1);
    EXPECT_EQ(View().GetMode(), CTacticalMapView::kIdle);
}

TEST_F(TacMapView, ModesFollowThePaletteAndSetTheCursor)
{
    EXPECT_EQ(View().Cursor(), tacmap::MapCursor::Normal);
    editor->Palette().OnFeatureSelected(FeatureRow("Tree"));
    View().OnMouseMove(0, 100, 100);
    EXPECT_EQ(View().GetMode(), CTacticalMapView::kDragFeature);
    EXPECT_EQ(View().Cursor(), tacmap::MapCursor::Hidden);
    ASSERT_NE(View().GetPreviewSprite(), nullptr);
    const int count = editor->Sprites().GetSpritesCount();
    View().OnMouseMove(0, 140, 100); // the preview follows: still one
    EXPECT_EQ(editor->Sprites().GetSpritesCount(), count);
    editor->Palette().ClearSelection();
    View().OnMouseMove(0, 150, 100); // no selection: the preview ends
    EXPECT_EQ(View().GetMode(), CTacticalMapView::kIdle);
    EXPECT_EQ(View().GetPreviewSprite(), nullptr);
    EXPECT_EQ(editor->Sprites().GetSpritesCount(), count - 1);

    editor->Palette().OnUnitSelected(0);
    View().OnMouseMove(0, 150, 100);
    EXPECT_EQ(View().GetMode(), CTacticalMapView::kDragSquad);
    ASSERT_NE(View().GetPreviewSprite(), nullptr);
    EXPECT_EQ(View().GetPreviewSprite()->m_Placement.ServiceId, 0); // a preview takes no id
    View().OnKeyDown(0x1B);
    EXPECT_EQ(View().GetMode(), CTacticalMapView::kIdle);
    EXPECT_EQ(View().GetPreviewSprite(), nullptr);
    EXPECT_EQ(editor->Palette().GetSelectedSquadTemplate(), -1);

    View().ToggleFragmentMode();
    EXPECT_EQ(View().Cursor(), tacmap::MapCursor::Fragment);
    View().ToggleFragmentMode();
    EXPECT_EQ(View().GetMode(), CTacticalMapView::kIdle);
}

TEST_F(TacMapView, GridLinesEveryTenthRedAndFragmentsOutlinedInBlue)
{
    CSurface* back = editor->World().GetDisplay()->GetBackBuffer();
    View().Draw();
    EXPECT_EQ(View().GetLayers().DeviceContextsTaken(), 0); // hidden: no device context at all
    ASSERT_TRUE(View().ToggleFragmentAt(3, 3));
    View().ToggleGrid();
    View().Draw();
    EXPECT_EQ(View().GetLayers().DeviceContextsTaken(), 1);
    const platform::PixelSurface& px = *back->GetPixels();
    const uint16_t red = platform::ColorRefTo565(RGB(255, 0, 0));
    const uint16_t green = platform::ColorRefTo565(RGB(0x40, 0x8C, 0x42));
    const uint16_t blue = platform::ColorRefTo565(RGB(0, 0, 255));
    EXPECT_EQ(px.GetPixel(0, 5), red);
    EXPECT_EQ(px.GetPixel(8, 5), green);
    EXPECT_EQ(px.GetPixel(80, 5), red);
    EXPECT_EQ(px.GetPixel(5, 80), red);
    EXPECT_EQ(px.GetPixel(5, 16), green);
    EXPECT_EQ(px.GetPixel(28, 24), blue);
    EXPECT_EQ(px.GetPixel(32, 28), blue);
    // Counted from map column 0, not from the view's edge.
    View().SetZoom(0);
    View().OnKeyDown(0x27);
    View().OnKeyDown(0x27);
    ASSERT_EQ(View().GetOriginColumn(), 2);
    View().Draw();
    EXPECT_EQ(px.GetPixel(8 * 32, 5), red); // map column 10
    EXPECT_EQ(px.GetPixel(0, 5), green);
}

} // namespace
