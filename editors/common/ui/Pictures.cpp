// Surface and bitmap copies into Qt images.
#include "editors/common/ui/Pictures.h"

#include "platform/display/PixelSurface.h"
#include "platform/gdi/DeviceBitmap.h"

#include <QImage>

#include <cstring>

QImage ToQImage(const platform::PixelSurface& surface)
{
    if (surface.Empty())
        return QImage();
    QImage image(surface.Width(), surface.Height(), QImage::Format_RGB16);
    for (int y = 0; y < surface.Height(); ++y)
        std::memcpy(image.scanLine(y), surface.Row(y), static_cast<size_t>(surface.PitchBytes()));
    return image;
}

QImage ToQImage(const platform::gdi::DeviceBitmap& bitmap)
{
    if (bitmap.Empty())
        return QImage();
    QImage image(bitmap.Width(), bitmap.Height(), QImage::Format_RGB32);
    for (int y = 0; y < bitmap.Height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < bitmap.Width(); ++x) {
            const COLORREF c = bitmap.GetPixel(x, y);
            row[x] = qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
        }
    }
    return image;
}
