// Faces of front-end screens: keyed copies of art rows with captions, text drawn on surfaces, keyed blits.
#pragma once

#include "core/display/DDrawTypes.h"
#include "game/screens/art/ArtList.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Font.h"

#include <memory>
#include <string>

class CDisplay;
class CSurface;

using SurfacePtr = std::shared_ptr<CSurface>;

// A bold "Arial" font of the cell height; null when no font file can be opened.
std::unique_ptr<platform::gdi::Font> MakeScreenFont(int height, bool antialias = true);

// A keyed copy of the art row's bitmap at its own size; null when the row has no bitmap or there is no display.
SurfacePtr CopyArt(CDisplay* display, const CArtRow& row);

// A copy of the art row with the caption drawn on it in the colour: centred (or right-aligned) with a
// 10-pixel margin on each side, centred vertically.
SurfacePtr MakeFace(CDisplay* display, const CArtRow& row, const std::string& caption, platform::gdi::Font* font,
                    COLORREF colour, bool rightAligned = false);

// Draws text on the surface inside the rectangle (DrawText format flags); false when the surface gives no DC.
bool DrawTextOn(CSurface* surface, const std::string& text, RECT rect, platform::gdi::Font* font, COLORREF colour,
                unsigned format);

// Width in pixels of the text in the font (0 without a font).
int MeasureText(platform::gdi::Font* font, const std::string& text);

// Blits the whole surface with its colour key at (x, y); 0 when done or when there is nothing to draw.
HRESULT BlitKeyed(CSurface* target, int x, int y, CSurface* source);

// A screen rectangle for hit tests.
struct CScreenRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool Contains(int px, int py) const { return px >= x && py >= y && px < x + width && py < y + height; }
    bool Fits() const { return x >= 0 && y >= 0 && x + width <= 800 && y + height <= 600; }
};
