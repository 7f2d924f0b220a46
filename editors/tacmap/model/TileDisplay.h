// The tile display pane's picture: the chosen tile's 32-pixel art on the pane's own small display.
#pragma once

class CDisplay;

namespace tacmap {

class CEditorWorld;

constexpr int kTileDisplayWidth = 192;
constexpr int kTileDisplayHeight = 384;

// Clears the pane's back buffer, draws the tile type's 32-pixel art with its top-left at (85, 10) when the world
// has a tile map, and presents it.
void DrawTileDisplay(const CEditorWorld& world, CDisplay& pane, int tileType);

} // namespace tacmap
