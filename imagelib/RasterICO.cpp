// Icon and cursor reading and writing: the directory, each image's header, palette, XOR pixels and AND mask.
#include "imagelib/RasterICO.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kDirSize = 6, kEntrySize = 16;

uint32_t MaskRowBytes(uint32_t width)
{
    return ((width + 31) / 32) * 4;
}

bool MaskBit(const std::vector<uint8_t>& mask, uint32_t rowBytes, uint32_t x, uint32_t y)
{
    return (mask[static_cast<size_t>(y) * rowBytes + (x >> 3)] >> (7 - (x & 7))) & 1;
}

bool SameRgb(RGBQUAD a, RGBQUAD b)
{
    return a.rgbBlue == b.rgbBlue && a.rgbGreen == b.rgbGreen && a.rgbRed == b.rgbRed;
}

} // namespace

bool CRasterICO::Fail(const char* text)
{
    SetError(text);
    return false;
}

bool CRasterICO::Decode(CRasterFile* hFile)
{
    if (!hFile)
        return false;
    const int32_t start = hFile->Tell();
    uint8_t dir[kDirSize];
    if (hFile->Read(dir, kDirSize, 1) != 1)
        return Fail("Not an ICO");
    const uint16_t type = rasterbytes::Get16(dir + 2);
    if (rasterbytes::Get16(dir) != 0 || (type != 1 && type != 2))
        return Fail("Not an ICO");
    const uint32_t count = rasterbytes::Get16(dir + 4);
    m_info.nNumFrames = static_cast<int32_t>(count);
    // The directory must lie inside the file before room is made for it.
    const int32_t total = hFile->Size();
    if (total >= 0 && static_cast<int64_t>(start) + kDirSize + static_cast<int64_t>(count) * kEntrySize > total)
        return Fail("Corrupted ICO");
    std::vector<uint8_t> entries(static_cast<size_t>(count) * kEntrySize);
    if (count && hFile->Read(entries.data(), kEntrySize, count) != count)
        return Fail("Corrupted ICO");
    if (GetFrame() < 0 || static_cast<uint32_t>(GetFrame()) >= count)
        return Fail("ICO frame not found");
    const uint8_t* e = entries.data() + static_cast<size_t>(GetFrame()) * kEntrySize;
    const uint32_t width = e[0], height = e[1];
    const uint32_t bytes = rasterbytes::Get32(e + 8), offset = rasterbytes::Get32(e + 12);
    // A size byte of 0 stands for 256 pixels, which this image model does not read.
    if (width == 0 || height == 0)
        return Fail("Unsupported ICO size");
    // The image must lie inside the file.
    if (total >= 0) {
        const int64_t end = static_cast<int64_t>(start) + offset + std::max<uint32_t>(bytes, 40);
        if (bytes < 40 || end > total)
            return Fail("Corrupted ICO");
    }
    uint8_t head[40];
    if (!hFile->Seek(static_cast<int32_t>(static_cast<int64_t>(start) + offset), SEEK_SET) ||
        hFile->Read(head, 40, 1) != 1)
        return Fail("Corrupted ICO");
    const RASTERINFOHEADER bih = rasterbytes::ReadInfoHeader(head);
    const uint32_t bits = bih.biBitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
        return Fail("Unsupported ICO bit count");
    if (!Create(width, height, bits, RASTER_FORMAT_ICO))
        return false;

    if (RGBQUAD* pal = GetPalette()) {
        // A colour table may be shorter than the depth allows.
        uint32_t entriesInFile = GetNumColors();
        if (bih.biClrUsed > 0 && bih.biClrUsed < entriesInFile)
            entriesInFile = bih.biClrUsed;
        uint8_t table[256 * 4] = {};
        hFile->Read(table, 4, entriesInFile);
        for (uint32_t i = 0; i < entriesInFile; ++i)
            pal[i] = RGBQUAD{table[4 * i], table[4 * i + 1], table[4 * i + 2], 0};
    }
    if (bits == 32) {
        std::vector<uint8_t> px(static_cast<size_t>(width) * height * 4);
        hFile->Read(px.data(), 1, static_cast<uint32_t>(px.size()));
        if (!AlphaCreate())
            return false;
        // Fourth bytes all zero carry no alpha: the AND mask alone says what is transparent.
        bool noAlpha = true;
        for (size_t i = 3; i < px.size() && noAlpha; i += 4)
            noAlpha = px[i] == 0;
        for (uint32_t y = 0; y < height; ++y) {
            uint8_t* dst = GetBits(y);
            for (uint32_t x = 0; x < width; ++x) {
                const uint8_t* s = &px[(static_cast<size_t>(y) * width + x) * 4];
                dst[3 * x] = s[0];
                dst[3 * x + 1] = s[1];
                dst[3 * x + 2] = s[2];
                AlphaSet(static_cast<int32_t>(x), static_cast<int32_t>(y), noAlpha ? 255 : s[3]);
            }
        }
    } else {
        hFile->Read(GetBits(), 1, m_head.biSizeImage);
    }
    std::vector<uint8_t> mask(static_cast<size_t>(MaskRowBytes(width)) * height, 0);
    if (hFile->Read(mask.data(), 1, static_cast<uint32_t>(mask.size())) == 0)
        return true;
    ApplyMask(mask, bits);
    return true;
}

void CRasterICO::ApplyMask(const std::vector<uint8_t>& mask, uint32_t fileBits)
{
    const uint32_t width = GetWidth(), height = GetHeight(), rowBytes = MaskRowBytes(width);
    if (std::all_of(mask.begin(), mask.end(), [](uint8_t b) { return b == 0xFF; })) {
        SetTransIndex(0);
        Negative();
        return;
    }
    const bool hadAlpha = AlphaIsValid();
    if (!AlphaCreate())
        return;
    bool any = false;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            if (MaskBit(mask, rowBytes, x, y)) {
                AlphaSet(static_cast<int32_t>(x), static_cast<int32_t>(y), 0);
                any = true;
            }
    if (!any && !hadAlpha) {
        AlphaDelete();
        return;
    }
    if (fileBits == 32 || !any)
        return;
    if (fileBits == 24) {
        // One colour under every masked pixel, and under no other, becomes the transparent colour.
        bool first = true, same = true;
        RGBQUAD col{};
        for (uint32_t y = 0; y < height && same; ++y)
            for (uint32_t x = 0; x < width && same; ++x) {
                if (!MaskBit(mask, rowBytes, x, y))
                    continue;
                RGBQUAD c = GetPixelColor(static_cast<int32_t>(x), static_cast<int32_t>(y), false);
                if (first)
                    col = c;
                first = false;
                same = SameRgb(c, col);
            }
        for (uint32_t y = 0; y < height && same; ++y)
            for (uint32_t x = 0; x < width && same; ++x)
                if (!MaskBit(mask, rowBytes, x, y))
                    same = !SameRgb(GetPixelColor(static_cast<int32_t>(x), static_cast<int32_t>(y), false), col);
        if (same) {
            SetTransColor(col);
            SetTransIndex(0);
            AlphaDelete();
        }
        return;
    }
    // Palette images: the first index no pixel uses takes every masked pixel and becomes the transparent index.
    bool used[256] = {};
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            used[GetPixelIndex(static_cast<int32_t>(x), static_cast<int32_t>(y))] = true;
    uint32_t free = 0;
    while (free < GetNumColors() && used[free])
        ++free;
    if (free >= GetNumColors())
        return;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            if (MaskBit(mask, rowBytes, x, y))
                SetPixelIndex(static_cast<int32_t>(x), static_cast<int32_t>(y), static_cast<uint8_t>(free));
    SetTransIndex(static_cast<int32_t>(free));
    AlphaDelete();
}

std::vector<uint8_t> CRasterICO::MakeMask()
{
    const uint32_t width = GetWidth(), height = GetHeight(), rowBytes = MaskRowBytes(width);
    std::vector<uint8_t> mask(static_cast<size_t>(rowBytes) * height, 0);
    const bool alpha = AlphaIsValid();
    const bool palAlpha = GetPalette() && AlphaPaletteIsEnabled() && AlphaPaletteIsValid();
    const bool trans = IsTransparent();
    const RGBQUAD tc = GetTransColor();
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            const int32_t ix = static_cast<int32_t>(x), iy = static_cast<int32_t>(y);
            bool masked = alpha && AlphaGet(ix, iy) == 0;
            if (!masked && (palAlpha || trans)) {
                RGBQUAD c = GetPixelColor(ix, iy, false);
                if (palAlpha && c.rgbReserved == 0)
                    masked = true;
                if (trans && SameRgb(c, tc))
                    masked = true;
            }
            if (masked)
                mask[static_cast<size_t>(y) * rowBytes + (x >> 3)] |= static_cast<uint8_t>(0x80 >> (x & 7));
        }
    return mask;
}

bool CRasterICO::Encode(CRasterFile* hFile)
{
    if (EncodeSafeCheck(hFile))
        return false;
    const uint32_t width = GetWidth(), height = GetHeight();
    if (width > 255 || height > 255)
        return Fail("Can't save this image as icon");
    if (GetBpp() <= 8 && !GetPalette())
        return false;
    // A 24-bit image with an alpha channel is written as 32-bit pixels.
    const bool rgba = GetBpp() == 24 && AlphaIsValid();
    const uint32_t bitCount = rgba ? 32 : GetBpp();
    std::vector<uint8_t> xorData;
    if (rgba) {
        xorData.resize(static_cast<size_t>(width) * height * 4);
        for (uint32_t y = 0; y < height; ++y) {
            const uint8_t* src = GetBits(y);
            for (uint32_t x = 0; x < width; ++x) {
                uint8_t* d = &xorData[(static_cast<size_t>(y) * width + x) * 4];
                d[0] = src[3 * x];
                d[1] = src[3 * x + 1];
                d[2] = src[3 * x + 2];
                d[3] = AlphaGet(static_cast<int32_t>(x), static_cast<int32_t>(y));
            }
        }
    } else {
        xorData.assign(GetBits(), GetBits() + m_head.biSizeImage);
    }
    std::vector<uint8_t> mask = MakeMask();
    const uint32_t xorSize = static_cast<uint32_t>(xorData.size()), palSize = GetPaletteSize();
    const uint32_t maskSize = static_cast<uint32_t>(mask.size());

    uint8_t head[kDirSize + kEntrySize + 40] = {};
    rasterbytes::Put16(head + 2, 1);
    rasterbytes::Put16(head + 4, 1);
    uint8_t* e = head + kDirSize;
    e[0] = static_cast<uint8_t>(width);
    e[1] = static_cast<uint8_t>(height);
    e[2] = static_cast<uint8_t>(GetNumColors());
    rasterbytes::Put16(e + 6, static_cast<uint16_t>(bitCount));
    rasterbytes::Put32(e + 8, xorSize + palSize + 40 + maskSize);
    rasterbytes::Put32(e + 12, kDirSize + kEntrySize);
    RASTERINFOHEADER bih{};
    bih.biSize = 40;
    bih.biWidth = static_cast<int32_t>(width);
    bih.biHeight = static_cast<int32_t>(height * 2);
    bih.biPlanes = 1;
    bih.biBitCount = static_cast<uint16_t>(bitCount);
    bih.biSizeImage = xorSize;
    rasterbytes::WriteInfoHeader(head + kDirSize + kEntrySize, bih);

    bool ok = hFile->Write(head, 1, sizeof(head)) == sizeof(head);
    if (ok && palSize)
        ok = hFile->Write(GetPalette(), 1, palSize) == palSize;
    ok = ok && hFile->Write(xorData.data(), 1, xorSize) == xorSize;
    ok = ok && hFile->Write(mask.data(), 1, maskSize) == maskSize;
    if (!ok)
        return Fail("write error");
    return true;
}
