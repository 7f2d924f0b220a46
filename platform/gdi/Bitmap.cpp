// BMP decoding with bounds checks on every field, and copying pictures into 16-bit surfaces.
#include "platform/gdi/Bitmap.h"

#include "platform/system/Paths.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <memory>

namespace platform::gdi {
namespace {

uint32_t Read16(const uint8_t* p)
{
    return p[0] | (p[1] << 8);
}
uint32_t Read32(const uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24);
}

bool Fail(std::string* error, const char* text)
{
    if (error)
        *error = text;
    return false;
}

// One colour channel taken out of a pixel by its mask and scaled to 0..255.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;

    explicit Channel(uint32_t m = 0) : mask(m)
    {
        if (!m)
            return;
        shift = std::countr_zero(m);
        uint32_t v = m >> shift;
        int bits = std::min(std::countr_one(v), 31);
        max = (uint32_t(1) << bits) - 1;
    }
    int Get(uint32_t px) const
    {
        if (!max)
            return 0;
        uint32_t v = ((px & mask) >> shift) & max;
        return static_cast<int>((uint64_t(v) * 255 + max / 2) / max);
    }
};

// Decodes 8-bit (RLE8) or 4-bit (RLE4) runs into one palette index per pixel, rows from the bottom as stored.
// Pixels past a row's end or above the last row are dropped; pixels the data skips keep index 0. The data may end
// without its end-of-bitmap mark.
void DecodeRle(const uint8_t* p, size_t n, bool four, int64_t width, int64_t height, std::vector<uint8_t>& index)
{
    size_t at = 0;
    int64_t x = 0, y = 0;
    auto put = [&](int v) {
        if (x < width)
            index[static_cast<size_t>(y * width + x)] = static_cast<uint8_t>(v);
        ++x;
    };
    while (at + 2 <= n && y < height) {
        const uint8_t count = p[at], value = p[at + 1];
        at += 2;
        if (count > 0) {
            // Only the part inside the row is stored: long runs past its end cost nothing.
            int i = 0;
            for (; i < count && x < width; ++i)
                put(four ? (i & 1 ? value & 0x0F : value >> 4) : value);
            x += count - i;
            continue;
        }
        if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            return;
        } else if (value == 2) {
            if (at + 2 > n)
                return;
            x += p[at];
            y += p[at + 1];
            at += 2;
        } else {
            // Absolute run of `value` pixels; its bytes are padded to an even count.
            const size_t bytes = four ? (value + 1u) / 2 : value;
            if (at + bytes > n)
                return;
            for (int i = 0; i < value; ++i)
                put(four ? (i & 1 ? p[at + i / 2] & 0x0F : p[at + i / 2] >> 4) : p[at + i]);
            at += bytes + (bytes & 1);
        }
    }
}

} // namespace

bool DecodeBmp(const uint8_t* data, size_t size, Bitmap& out, std::string* error)
{
    out = Bitmap{};
    if (!data || size < 14 + 12 || data[0] != 'B' || data[1] != 'M')
        return Fail(error, "not a BMP file");
    const uint32_t offBits = Read32(data + 10);
    const uint32_t headerSize = Read32(data + 14);
    if (headerSize < 12 || headerSize > size - 14)
        return Fail(error, "bad BMP header size");
    const uint8_t* h = data + 14;
    int64_t width, height;
    uint32_t bpp, compression = 0, colorsUsed = 0;
    size_t paletteEntrySize = 4;
    uint32_t masks[3] = {0, 0, 0};
    if (headerSize == 12) {
        width = static_cast<int16_t>(Read16(h + 4));
        height = static_cast<int16_t>(Read16(h + 6));
        bpp = Read16(h + 10);
        paletteEntrySize = 3;
    } else {
        if (headerSize < 40)
            return Fail(error, "unsupported BMP header");
        width = static_cast<int32_t>(Read32(h + 4));
        height = static_cast<int32_t>(Read32(h + 8));
        bpp = Read16(h + 14);
        compression = Read32(h + 16);
        colorsUsed = Read32(h + 32);
        if (compression == 3 || compression == 6) {
            // Bit-field masks follow a 40-byte header, or sit inside a longer one.
            size_t at = 14 + 40;
            if (at + 12 > size)
                return Fail(error, "BMP masks missing");
            for (int i = 0; i < 3; ++i)
                masks[i] = Read32(data + at + 4 * i);
        } else if (compression > 2) {
            return Fail(error, "unsupported BMP compression");
        }
    }
    bool topDown = height < 0;
    if (topDown)
        height = -height;
    if (width <= 0 || height <= 0 || width > kMaxSurfaceSide || height > kMaxSurfaceSide ||
        width * height > kMaxSurfacePixels)
        return Fail(error, "BMP size out of range");
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return Fail(error, "unsupported BMP bit depth");
    if ((compression == 3 || compression == 6) && bpp != 16 && bpp != 32)
        return Fail(error, "bit fields need 16 or 32 bits");
    const bool rle = compression == 1 || compression == 2;
    if ((compression == 1 && bpp != 8) || (compression == 2 && bpp != 4))
        return Fail(error, "run-length coding does not match the BMP bit depth");
    if (rle && topDown)
        return Fail(error, "run-length BMP cannot be top-down");

    std::vector<COLORREF> palette;
    if (bpp <= 8) {
        size_t entries = colorsUsed ? colorsUsed : (size_t(1) << bpp);
        entries = std::min(entries, size_t(1) << bpp);
        size_t at = 14 + headerSize;
        // Take only the entries that are there before the pixels; missing ones read as black.
        for (size_t i = 0; i < entries && at + paletteEntrySize <= size && at + paletteEntrySize <= offBits; ++i) {
            palette.push_back(RGB(data[at + 2], data[at + 1], data[at]));
            at += paletteEntrySize;
        }
        palette.resize(size_t(1) << bpp, 0);
    }

    const uint64_t stride = ((uint64_t(width) * bpp + 31) / 32) * 4;
    if (offBits > size || (!rle && stride * uint64_t(height) > size - offBits))
        return Fail(error, "BMP pixel data truncated");
    out.width = static_cast<int>(width);
    out.height = static_cast<int>(height);
    out.pixels.assign(static_cast<size_t>(width * height), 0);
    if (rle) {
        std::vector<uint8_t> index(static_cast<size_t>(width * height), 0);
        DecodeRle(data + offBits, size - offBits, compression == 2, width, height, index);
        for (int64_t y = 0; y < height; ++y)
            for (int64_t x = 0; x < width; ++x)
                out.pixels[static_cast<size_t>((height - 1 - y) * width + x)] =
                    palette[index[static_cast<size_t>(y * width + x)] & ((1u << bpp) - 1)];
        return true;
    }

    Channel r, g, b;
    if (bpp == 16) {
        if (compression == 0)
            masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    } else if (bpp == 32 && compression == 0) {
        masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
    }
    r = Channel(masks[0]);
    g = Channel(masks[1]);
    b = Channel(masks[2]);

    for (int64_t row = 0; row < height; ++row) {
        const uint8_t* src = data + offBits + stride * static_cast<uint64_t>(row);
        int64_t y = topDown ? row : height - 1 - row;
        COLORREF* dst = out.pixels.data() + static_cast<size_t>(y * width);
        for (int64_t x = 0; x < width; ++x) {
            COLORREF c = 0;
            switch (bpp) {
            case 1:
                c = palette[(src[x >> 3] >> (7 - (x & 7))) & 1];
                break;
            case 4:
                c = palette[(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF];
                break;
            case 8:
                c = palette[src[x]];
                break;
            case 16: {
                uint32_t px = Read16(src + 2 * x);
                c = RGB(r.Get(px), g.Get(px), b.Get(px));
                break;
            }
            case 24:
                c = RGB(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
                break;
            case 32: {
                uint32_t px = Read32(src + 4 * x);
                c = RGB(r.Get(px), g.Get(px), b.Get(px));
                break;
            }
            }
            dst[x] = c;
        }
    }
    return true;
}

bool LoadBitmapFile(const std::string& path, Bitmap& out, std::string* error)
{
    out = Bitmap{};
    std::unique_ptr<FILE, int (*)(FILE*)> file(OpenFile(path, "rb"), &std::fclose);
    if (!file)
        return Fail(error, "cannot open file");
    if (std::fseek(file.get(), 0, SEEK_END) != 0)
        return Fail(error, "cannot read file");
    long length = std::ftell(file.get());
    if (length < 0 || static_cast<unsigned long>(length) > kMaxBmpFileBytes)
        return Fail(error, "file too large");
    std::rewind(file.get());
    std::vector<uint8_t> bytes(static_cast<size_t>(length));
    if (!bytes.empty() && std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
        return Fail(error, "cannot read file");
    return DecodeBmp(bytes.data(), bytes.size(), out, error);
}

void StretchBitmapToSurface(const Bitmap& bitmap, int x, int y, int width, int height, PixelSurface& surface)
{
    const int sw = surface.Width(), sh = surface.Height();
    if (width <= 0 || height <= 0 || sw <= 0 || sh <= 0)
        return;
    for (int dy = 0; dy < sh; ++dy) {
        int64_t by = y + int64_t(dy) * height / sh;
        uint16_t* row = surface.Row(dy);
        for (int dx = 0; dx < sw; ++dx) {
            int64_t bx = x + int64_t(dx) * width / sw;
            bool inside = bx >= 0 && by >= 0 && bx < bitmap.width && by < bitmap.height;
            row[dx] = inside ? ColorRefTo565(bitmap.At(static_cast<int>(bx), static_cast<int>(by))) : 0;
        }
    }
}

} // namespace platform::gdi
