// Small pieces the screens share: surface copies, fonts, text on surfaces, captioned buttons and screen sounds.
#pragma once

#include "core/display/DDrawTypes.h"
#include "game/screens/art/ArtList.h"
#include "platform/display/Geometry.h"

#include <memory>
#include <string>

class CDisplay;
class CSurface;

namespace platform::gdi {
class Font;
}

using SurfacePtr = std::shared_ptr<CSurface>;

// A new surface of the same size holding a plain copy of the source, keyed on magenta; null without a source.
SurfacePtr CopySurface(CDisplay* display, CSurface* source);
// Overwrites `target` with `source` (same size); the clean copy a text surface is restored from.
void RestoreSurface(CSurface* target, CSurface* source);

// "Arial" of the given cell height, bold or normal, with or without anti-aliasing.
std::unique_ptr<platform::gdi::Font> MakeArial(int height, bool bold, bool antialias = true);

// Draws text on a surface between getting and releasing its device context; false when it cannot.
bool DrawTextOn(CSurface* surface, platform::gdi::Font* font, const std::string& text, RECT rect, COLORREF colour,
                unsigned format);
// One line of the players' log: an opaque background of `back` behind the text, or none.
bool DrawLogLineOn(CSurface* surface, platform::gdi::Font* font, const std::string& text, RECT rect, COLORREF colour,
                   COLORREF back, bool opaque, unsigned format);
// The pixel width of one line of text in the font (0 without a font).
int MeasureText(platform::gdi::Font* font, const std::string& text);
// The longest end of the text that is at most `width` pixels wide in the font (an entry line scrolled to its
// caret).
std::string TailThatFits(platform::gdi::Font* font, const std::string& text, int width);

// A button face copied from an art row with its caption drawn centred, 10 pixels in from each side: a normal
// face in 0xC8C8C8 and a hover face in 0xE6E6E6.
struct CScreenButton {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    std::string strCaption;
    SurfacePtr pNormal;
    SurfacePtr pHover;

    // Builds from the row's bitmap at (x, y). The place and size are set even without a bitmap; false then
    // (no faces to draw).
    bool Build(CDisplay* display, const CArtRow& face, int x, int y, const std::string& caption,
               platform::gdi::Font* font);
    // The same with the face cut or padded to width x height (a face row drawn at another row's size).
    bool BuildSized(CDisplay* display, const CArtRow& face, int x, int y, int width, int height,
                    const std::string& caption, platform::gdi::Font* font);
    bool Contains(int px, int py) const { return width > 0 && px >= x && px < x + width && py >= y && py < y + height; }
    // Draws the normal or the hover face; the blit's result (0 on success, and when there is no face).
    HRESULT Draw(CSurface* target, bool hovered) const;
};

constexpr COLORREF kCaptionNormal = 0xC8C8C8;
constexpr COLORREF kCaptionHover = 0xE6E6E6;

// The contrast ratio of two colours by their relative luminance (1 for equal colours, 21 for black on white).
double ContrastRatio(COLORREF a, COLORREF b);

// A keyed copy of the art row's bitmap at its own size; null when the row has no bitmap or there is no display.
SurfacePtr CopyArt(CDisplay* display, const CArtRow& row);
// A copy of the art row with the caption drawn on it in the colour: centred (or right-aligned) with a
// 10-pixel margin on each side, centred vertically.
SurfacePtr MakeFace(CDisplay* display, const CArtRow& row, const std::string& caption, platform::gdi::Font* font,
                    COLORREF colour, bool rightAligned = false);

// The height of a coloured band (and its frame) along the top of a panel: the rows at its centre column above
// the first one of the colour at its middle. 0 without pixels.
int TopBandHeight(CSurface* panel);

// A screen rectangle for hit tests.
struct CScreenRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool Contains(int px, int py) const { return px >= x && py >= y && px < x + width && py < y + height; }
    bool Fits() const { return x >= 0 && y >= 0 && x + width <= 800 && y + height <= 600; }
};

// Blits a whole surface with its colour key at (x, y); 0 on success or without a surface.
HRESULT BlitKeyed(CSurface* target, int x, int y, CSurface* source);

// The screens' sounds through the game object: 0 click (1.0), 1 hover (0.4), 2 refusal (1.0).
void ScreenSound(int id);

// Loads "<path>" into a new surface of the bitmap's own size keyed on magenta; a missing file shows
// "Failed to open file:" with the path and gives null.
SurfacePtr LoadKeyedBitmap(CDisplay* display, const std::string& path);
