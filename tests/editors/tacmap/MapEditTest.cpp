// The map view's edits: painting tiles, feature chains and squads, footprints on the path grid (row by row
// through the five-state filter), deleting chains, moving squads, cycling groups, the cutaway and Clear Map.
#include "EditorFixture.h"

#include "core/display/CDisplay.h"
#include "core/display/CSurfaceDesc.h"

namespace {

using namespace tacmaptest;
using tacmap::CTacticalMapView;

constexpr int kWoods = 6;
constexpr int kWallNorth = 164;

class TacMapEdit : public TacMapTest {
protected:
    void SetUp() override
    {
        TacMapTest::SetUp();
        folder = CaseFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        ASSERT_FALSE(DemoData().empty());
        editor = std::make_unique<Editor>(folder);
    }
    CTacticalMapView& View() { return editor->View(); }
    tacmap::CPathData& Grid() { return editor->Grid(); }
    // View pixel of a cell's sub-cell at 8-pixel tiles (origin 0).
    static POINT At(int column, int row, int sx = 0, int sy = 0)
    {
        return POINT{column * 8 + sx * 2, row * 8 + sy * 2};
    }
    int Row(tacmap::CSpritePalette::List list, const std::string& text)
    {
        const auto& items = editor->Palette().Items(list);
        for (size_t i = 0; i < items.size(); ++i)
            if (items[i].text == text)
                return static_cast<int>(i);
        return -1;
    }
    int TileRow(int type)
    {
        const auto& items = editor->Palette().Items(tacmap::CSpritePalette::kTiles);
        for (size_t i = 0; i < items.size(); ++i)
            if (items[i].data == type)
                return static_cast<int>(i);
        return -1;
    }
    void Click(POINT p, uint32_t flags = 0)
    {
        View().OnMouseMove(flags, p.x, p.y);
        View().OnLButtonDown(flags | CTacticalMapView::kLeftButton, p.x, p.y);
        View().OnLButtonUp(flags, p.x, p.y);
    }
    // Places the palette's feature at a cell and returns the sprites added.
    std::vector<CSprite*> PlaceFeature(const std::string& name, int column, int row)
    {
        editor->Palette().OnFeatureSelected(Row(tacmap::CSpritePalette::kFeatures, name));
        std::vector<CSprite*> before;
        for (CSprite* s = editor->Sprites().GetHead(); s; s = s->m_pNext)
            before.push_back(s);
        Click(At(column, row));
        View().CancelEdit();
        std::vector<CSprite*> added;
        for (CSprite* s = editor->Sprites().GetHead(); s; s = s->m_pNext)
            if (std::find(before.begin(), before.end(), s) == before.end())
                added.push_back(s);
        return added;
    }
    int TypeCost(int column, int row)
    {
        return static_cast<uint8_t>(editor->Map().GetTileType(editor->Map().GetTileIndex(row, column))->m_anCost[0]);
    }
    int TypeSight(int column, int row)
    {
        return editor->Map().GetTileType(editor->Map().GetTileIndex(row, column))->m_anLOS[0];
    }
    fs::path folder;
    std::unique_ptr<Editor> editor;
};

TEST_F(TacMapEdit, PaintingTilesRecomputesTheirCostsAndADragPaintsOn)
{
    editor->Palette().OnTileSelected(TileRow(kWoods));
    const POINT a = At(5, 5);
    View().OnLButtonDown(CTacticalMapView::kLeftButton, a.x, a.y);
    EXPECT_EQ(View().GetMode(), CTacticalMapView::kDragTile);
    EXPECT_EQ(editor->Map().GetTileIndex(5, 5), kWoods);
    EXPECT_EQ(Grid().GetPathCost(5, 5), 170);
    const POINT b = At(6, 5);
    View().OnMouseMove(CTacticalMapView::kLeftButton, b.x, b.y);
    EXPECT_EQ(editor->Map().GetTileIndex(5, 6), kWoods);
    View().OnMouseMove(0, At(7, 5).x, b.y); // the button is up: no more painting
    EXPECT_EQ(View().GetMode(), CTacticalMapView::kIdle);
    EXPECT_NE(editor->Map().GetTileIndex(5, 7), kWoods);
    EXPECT_TRUE(View().IsModified());
}

TEST_F(TacMapEdit, AFeatureBringsItsLinkedPartnerOnceAndBothStampTheGrid)
{
    editor->host.showChecked = false;
    const std::vector<CSprite*> added = PlaceFeature("Shed", 10, 10);
    ASSERT_EQ(added.size(), 2u); // the shed and its roof; the roof's link back to the shed ends the chain
    CSprite* shed = added[0]->m_Placement.Id == 33 ? added[0] : added[1];
    CSprite* roof = shed == added[0] ? added[1] : added[0];
    EXPECT_EQ(shed->m_pLinkNext, roof);
    EXPECT_EQ(roof->m_pLinkPrev, shed);
    EXPECT_EQ(roof->m_pLinkNext, nullptr);
    EXPECT_EQ(shed->m_Placement.WorldX, roof->m_Placement.WorldX);
    EXPECT_EQ(shed->m_Placement.WorldX, 10 * 32 + 16);
    EXPECT_EQ(Grid().GetPathCost(10, 10), 255);                 // the shed blocks movement
    EXPECT_EQ(Grid().GetLOSCost(9, 9), 1023);                   // the roof (36 pixels) blocks sight beyond the tile
    EXPECT_NE(roof->m_Placement.Flags & kSpriteHiddenUnder, 0); // cutaway on Hide: the roof is hidden
    EXPECT_EQ(shed->m_Placement.Flags & kSpriteHiddenUnder, 0);
    EXPECT_EQ(View().GetPreviewSprite(), nullptr);
}

TEST_F(TacMapEdit, SquadsTakeANewIdAndAnImpassableSpotOnlyBeeps)
{
    editor->Palette().OnUnitSelected(0); // Patrol Officers, Millbrook Police
    Click(At(20, 20));
    ASSERT_EQ(editor->Sprites().GetSpritesCount(), 1);
    CSprite* unit = editor->Sprites().GetHead();
    EXPECT_EQ(unit->Kind(), kUnitSprite);
    EXPECT_GT(unit->m_Placement.ServiceId, 0);
    EXPECT_EQ(unit->m_Placement.WorldX, 20 * 32 + unit->m_anFrameWidth[0] / 2);
    EXPECT_EQ(unit->m_Placement.AgencyIndex, editor->Palette().GetSelectedAgencyKey());
    View().CancelEdit();

    // The last row of the agency's list is a vehicle: it stands as a vehicle of that agency with an id of its own.
    const auto& rows = editor->Palette().Items(tacmap::CSpritePalette::kUnits);
    ASSERT_EQ(rows.back().kind, kVehicleSprite);
    editor->Palette().OnUnitSelected(static_cast<int>(rows.size()) - 1);
    Click(At(24, 20));
    View().CancelEdit();
    ASSERT_EQ(editor->Sprites().GetSpritesCount(), 2);
    CSprite* vehicle = editor->Sprites().GetHead() == unit ? unit->m_pNext : editor->Sprites().GetHead();
    ASSERT_NE(vehicle, nullptr);
    EXPECT_EQ(vehicle->Kind(), kVehicleSprite);
    EXPECT_EQ(vehicle->m_Placement.Id, rows.back().data);
    EXPECT_EQ(vehicle->m_Placement.AgencyIndex, editor->Palette().GetSelectedAgencyKey());
    EXPECT_GT(vehicle->m_Placement.ServiceId, 0);
    EXPECT_NE(vehicle->m_Placement.ServiceId, unit->m_Placement.ServiceId);
    editor->Sprites().RemoveSprite(vehicle, true, true);

    editor->Palette().OnTileSelected(TileRow(kWallNorth));
    Click(At(30, 30));
    editor->Palette().OnUnitSelected(0);
    const int before = editor->Sprites().GetSpritesCount();
    Click(At(30, 30));
    EXPECT_EQ(editor->host.beeps, 1);
    EXPECT_EQ(editor->Sprites().GetSpritesCount(), before + 1); // the preview only
    EXPECT_EQ(View().GetPreviewSprite()->m_Placement.ServiceId, 0);
    View().CancelEdit();
    EXPECT_EQ(editor->Sprites().GetSpritesCount(), before);

    // On a fragmented wall only its blocked sub-tiles (and those one step right and down of them) refuse.
    ASSERT_TRUE(View().ToggleFragmentAt(30, 30));
    editor->Palette().OnUnitSelected(0);
    Click(At(30, 30, 0, 0), CTacticalMapView::kShift);
    EXPECT_EQ(editor->host.beeps, 2);
    Click(At(30, 30, 1, 2), CTacticalMapView::kShift);
    EXPECT_EQ(editor->host.beeps, 2);
    EXPECT_EQ(editor->Sprites().GetSpritesCount(), before + 1);
}

TEST_F(TacMapEdit, FootprintRowsStampThroughTheFiveStateFilter)
{
    // A 16 x 8 frame whose top-left lies at world (68, 64), in a fragmented tile (2, 2): all magenta but
    // row 0: content at x = 3 (world 71), then magenta; row 1: magenta to x = 10, content at 11, magenta on.
    ASSERT_TRUE(View().ToggleFragmentAt(2, 2));
    CDisplay& display = *editor->World().GetDisplay();
    CSurface frame(true);
    ASSERT_EQ(frame.Create(CSurfaceDesc(true, DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, DDSCAPS_OFFSCREENPLAIN, 16, 8, 0)),
              DD_OK);
    const uint16_t key = static_cast<uint16_t>(display.ColorMatch(&frame, RGB(255, 0, 255)));
    frame.GetPixels()->Fill(nullptr, key);
    frame.GetPixels()->SetPixel(3, 0, 0x1234);
    frame.GetPixels()->SetPixel(11, 1, 0x1234);
    CSprite sprite(kFeatureSprite, nullptr);
    sprite.m_apFrame[0] = &frame;
    sprite.m_anFrameWidth[0] = 16;
    sprite.m_anFrameHeight[0] = 8;
    sprite.m_Placement.WorldX = 76;
    sprite.m_Placement.WorldY = 68;
    sprite.m_byBlocking = kBlocksSight;
    View().ApplySpriteFootprint(&sprite);
    // World 71 (sub-tile 0) and the magenta pixel right after it, 72 (sub-tile 1), stamp; then 79 (sub-tile 1)
    // and 80 (sub-tile 2) after it. Nothing reaches sub-tile 3 or the rows below.
    const int expected[4] = {1023, 1023, 1023, -1};
    for (int sx = 0; sx < 4; ++sx) {
        const int los = Grid().GetSubtileLOSCost(2, 2, sx, 0);
        if (expected[sx] < 0)
            EXPECT_NE(los, 1023) << sx;
        else
            EXPECT_EQ(los, expected[sx]) << sx;
    }
    EXPECT_NE(Grid().GetSubtileLOSCost(2, 2, 0, 1), 1023);

    // Off the map to the left and to the right: nothing wraps into another row.
    const int before = Grid().GetLOSCost(0, 1);
    sprite.m_Placement.WorldX = -4;
    View().ApplySpriteFootprint(&sprite);
    sprite.m_Placement.WorldX = 100 * 32 + 4;
    View().ApplySpriteFootprint(&sprite);
    EXPECT_EQ(Grid().GetLOSCost(0, 1), before);
    EXPECT_EQ(Grid().GetLOSCost(0, 2), TypeSight(0, 2));
    sprite.m_apFrame[0] = nullptr;
}

TEST_F(TacMapEdit, DeletingAChainFreesItOnceAndRecomputesOnlyItsMarks)
{
    const std::vector<CSprite*> shed = PlaceFeature("Shed", 10, 10);
    const std::vector<CSprite*> dumpster = PlaceFeature("Dumpster", 11, 10);
    ASSERT_EQ(shed.size(), 2u);
    ASSERT_EQ(dumpster.size(), 1u);
    ASSERT_EQ(Grid().GetPathCost(11, 10), 255);
    View().Draw();
    const POINT on = At(10, 10, 2, 2);

    editor->host.acceptDelete = false;
    View().OnRButtonDown(0, on.x, on.y);
    EXPECT_EQ(editor->host.deleteDialogs, 1);
    EXPECT_EQ(editor->host.offered.size(), 2u);
    EXPECT_EQ(editor->Sprites().GetSpritesCount(), 3);

    // Both picks belong to one chain: it goes once.
    editor->host.acceptDelete = true;
    editor->host.deleteRows = {0, 1};
    View().OnRButtonDown(0, on.x, on.y);
    EXPECT_EQ(editor->Sprites().GetSpritesCount(), 1);
    EXPECT_EQ(editor->Sprites().GetHead(), dumpster[0]);
    EXPECT_EQ(Grid().GetPathCost(10, 10), TypeCost(10, 10));
    EXPECT_EQ(Grid().GetLOSCost(9, 9), TypeSight(9, 9));
    EXPECT_EQ(Grid().GetPathCost(11, 10), 255); // the dumpster's mark stays
    EXPECT_TRUE(View().IsModified());

    // One sprite under the point goes without a dialog.
    View().Draw();
    const POINT d{dumpster[0]->m_nScreenX + 2, dumpster[0]->m_nScreenY + 1};
    View().OnRButtonDown(0, d.x, d.y);
    EXPECT_EQ(editor->host.deleteDialogs, 2);
    EXPECT_EQ(editor->Sprites().GetSpritesCount(), 0);
    EXPECT_EQ(Grid().GetPathCost(11, 10), TypeCost(11, 10));
}

TEST_F(TacMapEdit, ASquadPickedIsSelectedAndCtrlDragsItElsewhere)
{
    editor->Palette().OnUnitSelected(1);
    Click(At(20, 20));
    View().CancelEdit();
    ASSERT_EQ(editor->Sprites().GetSpritesCount(), 1);
    CSprite* unit = editor->Sprites().GetHead();
    const int id = unit->m_Placement.ServiceId;
    View().Draw();
    const POINT on{unit->m_nScreenX + 2, unit->m_nScreenY + 2};
    View().OnLButtonDown(CTacticalMapView::kLeftButton, on.x, on.y);
    EXPECT_EQ(View().GetSelectedSprite(), unit);
    EXPECT_EQ(editor->Palette().GetSelectedSquadTemplate(), 1);
    View().OnLButtonUp(0, on.x, on.y);

    View().CancelEdit();
    View().OnLButtonDown(CTacticalMapView::kLeftButton | CTacticalMapView::kControl, on.x, on.y);
    EXPECT_EQ(View().GetMode(), CTacticalMapView::kMovingSquad);
    EXPECT_EQ(View().GetMovingSquad(), unit);
    const POINT to = At(40, 30);
    View().OnMouseMove(CTacticalMapView::kLeftButton, to.x, to.y);
    View().OnLButtonUp(0, to.x, to.y);
    EXPECT_EQ(View().GetMode(), CTacticalMapView::kIdle);
    EXPECT_EQ(editor->Sprites().GetSpritesCount(), 1);
    EXPECT_EQ(unit->m_Placement.WorldX, 40 * 32 + unit->m_anFrameWidth[0] / 2);
    EXPECT_EQ(unit->m_Placement.WorldY, 30 * 32 + unit->m_anFrameHeight[0] / 2);
    EXPECT_EQ(unit->m_Placement.ServiceId, id);
}

TEST_F(TacMapDemoTest, SquadsOfAnOpenedScenarioAreDrawnAndCanBePicked)
{
    OpenDemo("edit_opened_squads");
    CTacticalMapView& view = editor->View();
    editor->Palette().OnUnitSelected(0);
    const int origin = view.GetOriginRow();
    const POINT drop{3 * 8 + 3, (71 - origin) * 8 + 3};
    view.OnMouseMove(0, drop.x, drop.y);
    view.OnLButtonDown(CTacticalMapView::kLeftButton, drop.x, drop.y);
    view.CancelEdit();
    view.Draw();
    int squads = 0, drawn = 0;
    for (CSprite* s = editor->Sprites().GetHead(); s; s = s->m_pNext)
        if (s->Kind() == kUnitSprite || s->Kind() == kVehicleSprite) {
            ++squads;
            drawn += (s->m_Placement.Flags & kSpriteDrawn) != 0;
        }
    EXPECT_GT(squads, 0);
    EXPECT_EQ(drawn, squads);
    view.OnLButtonDown(CTacticalMapView::kLeftButton, drop.x, drop.y);
    ASSERT_NE(view.GetSelectedSprite(), nullptr);
    EXPECT_EQ(view.GetSelectedSprite()->Kind(), kUnitSprite);
}

TEST_F(TacMapEdit, TheCycleKeyWalksTheGroupAndTheHideKeyTheCutaway)
{
    editor->Palette().OnFeatureSelected(Row(tacmap::CSpritePalette::kFeatures, "Parked Car"));
    View().OnMouseMove(0, 100, 100);
    View().OnKeyDown(0x43);
    EXPECT_EQ(editor->Palette().GetSelectedFeatureTemplate(), 21); // Abandoned Car
    ASSERT_NE(View().GetPreviewSprite(), nullptr);
    EXPECT_EQ(View().GetPreviewSprite()->m_Placement.Id, 21);
    View().OnKeyDown(0x63);
    EXPECT_EQ(editor->Palette().GetSelectedFeatureTemplate(), 17);
    View().CancelEdit();

    CSprite* tree = PlaceFeature("Tree", 5, 5).front();
    CSprite* shed = PlaceFeature("Shed", 8, 8).front();
    for (uint32_t key : {0x52u, 0x72u}) {
        View().OnKeyDown(key);
        EXPECT_NE(tree->m_Placement.Flags & kSpriteHiddenUnder, 0) << key;
        EXPECT_EQ(shed->m_Placement.Flags & kSpriteHiddenUnder, 0) << key;
        editor->host.showChecked = key == 0x52u;
        View().OnKeyUp(key);
        EXPECT_EQ((tree->m_Placement.Flags & kSpriteHiddenUnder) == 0, key == 0x52u) << key;
    }
}

TEST_F(TacMapEdit, ClearMapDrawsTheSameMapFromTheSameSeedAndLeavesNoSprite)
{
    PlaceFeature("Shed", 10, 10);
    ASSERT_TRUE(View().ToggleFragmentAt(4, 4));
    View().ClearMap(77);
    Editor other(folder);
    other.View().ClearMap(77);
    EXPECT_EQ(editor->Sprites().GetSpritesCount(), 0);
    EXPECT_EQ(View().GetSelectedSprite(), nullptr);
    EXPECT_TRUE(View().IsModified());
    for (int r = 0; r < 75; ++r)
        for (int c = 0; c < 100; ++c) {
            const int type = editor->Map().GetTileIndex(r, c);
            ASSERT_EQ(type, other.Map().GetTileIndex(r, c));
            ASSERT_GE(type, 0);
            ASSERT_LE(type, 7);
            ASSERT_FALSE(Grid().IsFragmented(c, r));
            ASSERT_EQ(Grid().GetPathCost(c, r), TypeCost(c, r));
        }
}

TEST_F(TacMapEdit, ReloadCostPutsTheTypesCostsBackWithTheFootprints)
{
    PlaceFeature("Dumpster", 11, 10);
    Grid().SetPathCost(3, 3, 1);
    View().SetModified(false);
    ASSERT_TRUE(View().ReloadCost());
    EXPECT_EQ(Grid().GetPathCost(3, 3), TypeCost(3, 3));
    EXPECT_EQ(Grid().GetPathCost(11, 10), 255);
    EXPECT_TRUE(View().IsModified());
}

TEST_F(TacMapEdit, ShiftOnTheDropFragmentsTheTileAndSnapsToTheSubGrid)
{
    editor->Palette().OnFeatureSelected(Row(tacmap::CSpritePalette::kFeatures, "Dumpster"));
    Click(At(12, 12, 1, 2), CTacticalMapView::kShift);
    EXPECT_TRUE(Grid().IsFragmented(12, 12));
    CSprite* placed = nullptr;
    for (CSprite* s = editor->Sprites().GetHead(); s; s = s->m_pNext)
        if (s != View().GetPreviewSprite())
            placed = s;
    ASSERT_NE(placed, nullptr);
    EXPECT_EQ(placed->m_Placement.WorldX, (1 + 12 * 4) * 8 + placed->m_anFrameWidth[0] / 2);
    EXPECT_EQ(placed->m_Placement.WorldY, (2 + 12 * 4) * 8 + placed->m_anFrameHeight[0] / 2);
    EXPECT_EQ(Grid().GetSubtilePathCost(12, 12, 1, 2), 255);
}

} // namespace
