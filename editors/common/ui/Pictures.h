// Pictures of the platform layers as Qt images: 16-bit surfaces 1:1 in 5-6-5, device bitmaps of any depth in 32 bits.
#pragma once

class QImage;

namespace platform {
class PixelSurface;
namespace gdi {
class DeviceBitmap;
}
} // namespace platform

// A copy of the surface's pixels (QImage::Format_RGB16); a null image for an empty surface.
QImage ToQImage(const platform::PixelSurface& surface);
// A copy of the bitmap's colours (QImage::Format_RGB32, palettes resolved); a null image for an empty bitmap.
QImage ToQImage(const platform::gdi::DeviceBitmap& bitmap);
