// Fuzzes the image object's transforms, depth changes, lookups and resamplers with any parameters: a small picture
// from the first bytes, then a list of operations whose arguments (NaN and infinities included) follow each code.
#include "imagelib/Raster.h"

#include <cstdint>
#include <cstring>

namespace {

struct Reader {
    const uint8_t* p;
    size_t left;
    uint8_t U8()
    {
        if (!left)
            return 0;
        --left;
        return *p++;
    }
    int32_t I32()
    {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= static_cast<uint32_t>(U8()) << (8 * i);
        return static_cast<int32_t>(v);
    }
    float F32()
    {
        int32_t v = I32();
        float f;
        std::memcpy(&f, &v, sizeof f);
        return f;
    }
    // A size: small ones mostly, now and then one near the 32-bit limit or negative.
    int32_t Size()
    {
        int32_t v = I32();
        if (v >= 0)
            return v % 97;
        return (v & 1) ? INT32_MAX - (v & 0xFF) : v;
    }
    CRaster::InterpolationMethod Method() { return static_cast<CRaster::InterpolationMethod>(U8() % 19); }
    CRaster::OverflowMethod Overflow() { return static_cast<CRaster::OverflowMethod>(U8() % 9); }
};

CRaster MakeImage(Reader& r)
{
    static const uint32_t kDepths[] = {1, 4, 8, 24};
    const uint32_t bpp = kDepths[r.U8() & 3];
    const uint32_t w = 1 + r.U8() % 32, h = 1 + r.U8() % 32;
    const uint8_t flags = r.U8();
    CRaster img(w, h, bpp, RASTER_FORMAT_BMP);
    if (!img.IsValid())
        return img;
    for (uint32_t i = 0; i < img.GetNumColors(); ++i)
        img.SetPaletteColor(static_cast<uint8_t>(i), static_cast<uint8_t>(i * 37), static_cast<uint8_t>(i * 11),
                            static_cast<uint8_t>(255 - i), static_cast<uint8_t>(flags & 8 ? i : 0));
    for (uint32_t y = 0; y < h; ++y) {
        uint8_t* row = img.GetBits(y);
        for (uint32_t i = 0; i < img.GetEffWidth(); ++i)
            row[i] = r.U8();
    }
    if (flags & 1)
        img.AlphaCreate();
    if (flags & 2)
        img.SelectionAddRect(RASTERRECT{r.U8() % 34, r.U8() % 34, r.U8() % 34, r.U8() % 34});
    if (flags & 4) {
        img.SetTransIndex(r.U8());
        img.SetTransColor(RGBQUAD{r.U8(), r.U8(), r.U8(), 0});
    }
    return img;
}

void RunOne(CRaster& img, Reader& r)
{
    CRaster dst;
    CRaster* to = r.U8() & 1 ? &dst : nullptr;
    const RGBQUAD colour{r.U8(), r.U8(), r.U8(), r.U8()};
    switch (r.U8() % 24) {
    case 0:
        img.RotateLeft(to);
        break;
    case 1:
        img.RotateRight(to);
        break;
    case 2:
        img.Rotate180(to);
        break;
    case 3:
        img.Rotate(r.F32(), to);
        break;
    case 4: {
        const float angle = r.F32();
        const auto m = r.Method();
        const auto o = r.Overflow();
        const uint8_t b = r.U8();
        img.Rotate2(angle, to, m, o, b & 1 ? &colour : nullptr, b & 2, b & 4);
        break;
    }
    case 5: {
        const int32_t a = r.I32(), b = r.I32(), c = r.I32(), d = r.I32();
        img.Crop(a, b, c, d, to);
        break;
    }
    case 6: {
        const int32_t a = r.Size(), b = r.Size(), c = r.Size(), d = r.Size();
        img.Expand(a, b, c, d, colour, to);
        break;
    }
    case 7: {
        const int32_t a = r.Size(), b = r.Size();
        img.Expand(a, b, colour, to);
        break;
    }
    case 8: {
        const int32_t a = r.Size(), b = r.Size();
        img.Thumbnail(a, b, colour, to);
        break;
    }
    case 9: {
        const float gx = r.F32(), gy = r.F32();
        const int32_t px = r.I32(), py = r.I32();
        img.Skew(gx, gy, px, py, r.U8() & 1);
        break;
    }
    case 10: {
        const int type = static_cast<int8_t>(r.U8());
        const int32_t rmax = r.I32();
        img.CircleTransform(type, rmax, r.F32());
        break;
    }
    case 11: {
        const int32_t a = r.Size(), b = r.Size();
        img.Resample(a, b, static_cast<int8_t>(r.U8()), to);
        break;
    }
    case 12: {
        const int32_t a = r.Size(), b = r.Size();
        const auto m = r.Method();
        const auto o = r.Overflow();
        img.Resample2(a, b, m, o, to, r.U8() & 1);
        break;
    }
    case 13: {
        const int32_t a = r.Size(), b = r.Size();
        img.QIShrink(a, b, to);
        break;
    }
    case 14: {
        const int32_t a = r.I32(), b = r.I32(), c = r.I32(), d = r.I32();
        img.CropRotatedRectangle(a, b, c, d, r.F32(), to);
        break;
    }
    case 15: {
        const float x = r.F32(), y = r.F32();
        const auto m = r.Method();
        const auto o = r.Overflow();
        img.GetPixelColorInterpolated(x, y, m, o, &colour);
        const float w = r.F32(), h = r.F32();
        img.GetAreaColorInterpolated(x, y, w, h, m, o, nullptr);
        break;
    }
    case 16: {
        const uint32_t n = r.U8() % 26;
        const uint8_t b = r.U8();
        RGBQUAD pal[256];
        for (RGBQUAD& q : pal)
            q = colour;
        img.DecreaseBpp(n, b & 1, b & 2 ? pal : nullptr, b >> 2);
        break;
    }
    case 17:
        img.IncreaseBpp(r.U8() % 26);
        break;
    case 18:
        img.Dither(static_cast<int8_t>(r.U8()));
        break;
    case 19:
        img.GrayScale();
        break;
    case 20:
        img.Negative();
        break;
    case 21:
        img.Flip();
        img.Mirror();
        break;
    case 22: {
        int32_t x = r.I32(), y = r.I32();
        img.OverflowCoordinates(x, y, r.Overflow());
        img.GetPixelColorWithOverflow(x, y, r.Overflow(), &colour);
        break;
    }
    default:
        img.SetEscape(r.U8() & 1);
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CRaster::SetMaxMemory(256u << 10);
    Reader r{data, size};
    CRaster img = MakeImage(r);
    // A handful of operations, each on a picture small enough to stay quick.
    for (int n = 0; n < 12 && r.left && img.IsValid(); ++n) {
        if (static_cast<uint64_t>(img.GetWidth()) * img.GetHeight() > 16384)
            break;
        RunOne(img, r);
    }
    return 0;
}
