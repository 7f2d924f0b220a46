// The tile display: one tile's art from the world's 32-pixel set.
#include "editors/tacmap/model/TileDisplay.h"

#include "core/display/CDisplay.h"
#include "core/world/Map2DLinked.h"
#include "editors/tacmap/model/EditorWorld.h"

namespace tacmap {

void DrawTileDisplay(const CEditorWorld& world, CDisplay& pane, int tileType)
{
    if (!pane.IsUsable())
        return;
    pane.Clear(true);
    // The 32-pixel art is read straight from its set, so the map's own zoom and view are left alone.
    const CMap2DLinked* map = world.GetMap();
    const CTileArtSet* art = map ? map->GetArtSet(0) : nullptr;
    if (art && tileType >= 0 && tileType < CMap2DLinked::kTileTypes && art->m_apTiles[tileType])
        pane.GetBackBuffer()->BltFast(85, 10, art->m_apTiles[tileType], nullptr, DDBLTFAST_NOCOLORKEY);
    pane.Present();
}

} // namespace tacmap
