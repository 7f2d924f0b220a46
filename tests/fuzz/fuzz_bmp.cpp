// Fuzzes BMP decoding and the copy of the picture into a 16-bit surface, as the display's bitmap loader does.
#include "platform/gdi/Bitmap.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    platform::gdi::Bitmap bitmap;
    if (!platform::gdi::DecodeBmp(data, size, bitmap))
        return 0;
    if (bitmap.width <= 0 || bitmap.height <= 0 ||
        bitmap.pixels.size() != static_cast<size_t>(bitmap.width) * static_cast<size_t>(bitmap.height))
        std::abort();
    // A cropped surface, as a loader asked for a smaller size makes, and one larger than the picture.
    platform::PixelSurface surface;
    if (surface.Create(bitmap.width > 1 ? bitmap.width / 2 : 1, bitmap.height))
        platform::gdi::StretchBitmapToSurface(bitmap, 0, 0, surface.Width(), surface.Height(), surface);
    if (bitmap.width <= 256 && bitmap.height <= 256 && surface.Create(bitmap.width + 3, bitmap.height + 1))
        platform::gdi::StretchBitmapToSurface(bitmap, 0, 0, surface.Width(), surface.Height(), surface);
    return 0;
}
