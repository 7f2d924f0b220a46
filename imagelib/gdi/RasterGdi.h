// Records of the image object's graphics glue: the text-drawing record, its font request, icons and raster ops.
#pragma once

#include "imagelib/Raster.h"
#include "platform/display/PixelSurface.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DeviceBitmap.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Icon.h"
#include "platform/gdi/Region.h"

#include <cstdint>

// Raster operations Stretch understands.
inline constexpr uint32_t RASTER_SRCCOPY = 0x00CC0020;
inline constexpr uint32_t RASTER_SRCPAINT = 0x00EE0086;
inline constexpr uint32_t RASTER_SRCAND = 0x008800C6;
inline constexpr uint32_t RASTER_SRCINVERT = 0x00660046;

// A logical-font request, as the text record carries it.
struct RasterLOGFONT {
    int32_t lfHeight;
    int32_t lfWidth;
    int32_t lfEscapement;
    int32_t lfOrientation;
    int32_t lfWeight;
    uint8_t lfItalic;
    uint8_t lfUnderline;
    uint8_t lfStrikeOut;
    uint8_t lfCharSet;
    uint8_t lfOutPrecision;
    uint8_t lfClipPrecision;
    uint8_t lfQuality;
    uint8_t lfPitchAndFamily;
    char lfFaceName[32];
};

// What DrawStringEx draws: text, font, colours, alignment and the optional rounded background box.
struct tagRasterTextInfo {
    char text[4096];
    RasterLOGFONT lfont;
    COLORREF fcolor;   // text colour
    int32_t align;     // 0 left, 1 centre, 2 right
    uint8_t opaque;    // background box drawn
    COLORREF bcolor;   // background colour
    float b_opacity;   // share of the underlying pixel kept under the box
    uint8_t b_outline; // not read by the drawing
    uint8_t b_round;   // corner rounding, percent of a line's height
};

// An icon: colour picture and mask of the same size (white mask pixels are transparent).
struct RasterIcon {
    platform::gdi::Bitmap color;
    platform::gdi::Bitmap mask;
};
