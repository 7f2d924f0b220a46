// A scenario edited in the editor and played in the game: the demo opened, a squad placed, tiles painted and a
// tile fragmented, saved as "Edited.zri" beside a copy of the demo's area map, then ten game minutes run on it.
#include "EditorFixture.h"

#include "core/world/PathData.h"
#include "tests/game/app/DemoGame.h"

namespace {

using namespace tacmaptest;
using tacmap::CTacticalMapView;

constexpr int kWoods = 6;

TEST_F(TacMapDemoTest, AnEditedScenarioPlaysInTheGameAsSaved)
{
    OpenDemo("end_to_end");
    CTacticalMapView& view = editor->View();
    tacmap::CSpritePalette& palette = editor->Palette();

    // Woods painted on two tiles of open ground, a tile fragmented, a patrol placed on a road.
    int woodsRow = -1;
    for (size_t i = 0; i < palette.Items(tacmap::CSpritePalette::kTiles).size(); ++i)
        if (palette.Items(tacmap::CSpritePalette::kTiles)[i].data == kWoods)
            woodsRow = static_cast<int>(i);
    ASSERT_GE(woodsRow, 0);
    palette.OnTileSelected(woodsRow);
    const int origin = view.GetOriginRow();
    auto at = [&](int column, int row) { return POINT{column * 8 + 3, (row - origin) * 8 + 3}; };
    const POINT paint = at(2, 70);
    view.OnLButtonDown(CTacticalMapView::kLeftButton, paint.x, paint.y);
    view.OnMouseMove(CTacticalMapView::kLeftButton, paint.x + 8, paint.y);
    view.OnLButtonUp(0, paint.x + 8, paint.y);
    view.CancelEdit();
    view.ToggleFragmentMode();
    const POINT fragment = at(5, 70);
    view.OnLButtonDown(CTacticalMapView::kLeftButton, fragment.x, fragment.y);
    view.ToggleFragmentMode();

    palette.OnUnitSelected(0); // Patrol Officers of Millbrook Police
    const POINT drop = at(3, 71);
    view.OnMouseMove(0, drop.x, drop.y);
    view.OnLButtonDown(CTacticalMapView::kLeftButton, drop.x, drop.y);
    view.CancelEdit();
    CSprite* placed = nullptr;
    for (CSprite* s = editor->Sprites().GetHead(); s; s = s->m_pNext)
        if (s->Kind() == kUnitSprite && s->m_Placement.WorldX / 32 == 3 && s->m_Placement.WorldY / 32 == 71)
            placed = s;
    ASSERT_NE(placed, nullptr);
    const int id = placed->m_Placement.ServiceId;
    const int x = placed->m_Placement.WorldX, y = placed->m_Placement.WorldY;
    const int fragmentCost = editor->Grid().GetSubtilePathCost(5, 70, 1, 1);

    ASSERT_TRUE(editor->model.SaveAs((folder / "Edited.zri").string()));
    fs::copy_file(folder / "Millbrook.zra", folder / "Edited.zra");
    editor.reset();

    // The game reads the file with its own path grid.
    QFClassFactory::Instance().Register("CPathData", &::CPathData::CreateObject);
    demo_game::CDemoGame run(folder);
    ASSERT_TRUE(run.LoadScenario("Edited.zri")) << BoxTexts().size();
    CGame& game = run.Game();
    EXPECT_EQ(game.m_pMap->GetTileIndex(70, 2), kWoods);
    EXPECT_EQ(game.m_pMap->GetTileIndex(70, 3), kWoods);
    EXPECT_EQ(game.m_pPathData->GetCell(70, 2)->m_abyCosts[kCost], 170);
    ::CPathTile* cell = game.m_pPathData->GetCell(70, 5);
    ASSERT_TRUE(cell->IsSubTile());
    EXPECT_EQ(::CPathData::SubTile(cell, 1, 1)->m_abyCosts[kCost], fragmentCost);
    for (int step = 0; step < 30 * 10; ++step)
        run.Step();
    const CSquad* squad = nullptr;
    for (const CSquad* s : game.m_pSquadGame->Scenario()->Units())
        if (s->m_pSprite && s->m_pSprite->m_Placement.ServiceId == id && s->AgencyKind() == 0)
            squad = s;
    ASSERT_NE(squad, nullptr);
    EXPECT_EQ(static_cast<int>(squad->m_fX), x);
    EXPECT_EQ(static_cast<int>(squad->m_fY), y);
    EXPECT_GE(game.m_pRuntime->GetCurrentTime(), 940); // ten game minutes from 09:30
    tacmap::RegisterTarnwickClasses();
}

} // namespace
