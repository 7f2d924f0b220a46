// Surfaces with text for the EOC and IAP screens: copies of art rows with captions, and text drawn on surfaces.
#pragma once

#include "core/display/DDrawTypes.h"

#include <memory>
#include <string>

class CDisplay;
class CSurface;
struct CArtRow;

namespace platform::gdi {
class Font;
}

namespace eoc_text {

using SurfacePtr = std::shared_ptr<CSurface>;

// A "Arial" font of that height and weight (null when no font file can be opened).
std::unique_ptr<platform::gdi::Font> MakeArialFont(int height, int weight, bool antialias = true);
// A keyed copy of an art row's surface (null when the row has none).
SurfacePtr CopyArtRow(CDisplay* display, const CArtRow& row);
// Draws the text into the rectangle of the surface (transparent background); false when it cannot.
bool DrawSurfaceText(CSurface* surface, platform::gdi::Font* font, COLORREF colour, const std::string& text, RECT rect,
                     unsigned format);
// A copy of the row with the caption centred between 10-pixel margins, single line.
SurfacePtr MakeCaptionFace(CDisplay* display, const CArtRow& row, platform::gdi::Font* font, COLORREF colour,
                           const std::string& caption);
// Copies the whole of `source` onto `target` (both the same size).
void RestoreSurface(CSurface* target, CSurface* source);
// Blits the surface at (x, y) with its colour key; false on a failed blit (a missing surface draws nothing).
bool BlitKeyed(CSurface* target, int x, int y, CSurface* source);

} // namespace eoc_text
