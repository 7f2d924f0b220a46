// Device bitmaps of their own depth and palette: packed storage, colour conversion, DIB-style reads and writes.
#include "platform/gdi/DeviceBitmap.h"

#include <algorithm>
#include <cstring>

namespace platform::gdi {

namespace {

bool KnownDepth(int bits)
{
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

uint32_t ReadPacked(const uint8_t* row, int x, int bits)
{
    switch (bits) {
    case 1:
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:
        return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF;
    case 8:
        return row[x];
    case 16:
        return static_cast<uint32_t>(row[2 * x] | (row[2 * x + 1] << 8));
    case 24:
        return static_cast<uint32_t>(row[3 * x] | (row[3 * x + 1] << 8) | (row[3 * x + 2] << 16));
    default:
        return static_cast<uint32_t>(row[4 * x] | (row[4 * x + 1] << 8) | (row[4 * x + 2] << 16));
    }
}

void WritePacked(uint8_t* row, int x, int bits, uint32_t v)
{
    switch (bits) {
    case 1: {
        uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
        row[x >> 3] = static_cast<uint8_t>((v & 1) ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit));
        break;
    }
    case 4: {
        int shift = (x & 1) ? 0 : 4;
        row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & ~(0xF << shift)) | ((v & 0xF) << shift));
        break;
    }
    case 8:
        row[x] = static_cast<uint8_t>(v);
        break;
    case 16:
        row[2 * x] = static_cast<uint8_t>(v);
        row[2 * x + 1] = static_cast<uint8_t>(v >> 8);
        break;
    case 24:
        row[3 * x] = static_cast<uint8_t>(v);
        row[3 * x + 1] = static_cast<uint8_t>(v >> 8);
        row[3 * x + 2] = static_cast<uint8_t>(v >> 16);
        break;
    default:
        row[4 * x] = static_cast<uint8_t>(v);
        row[4 * x + 1] = static_cast<uint8_t>(v >> 8);
        row[4 * x + 2] = static_cast<uint8_t>(v >> 16);
        row[4 * x + 3] = 0;
        break;
    }
}

// Packed blue-green-red (0x00RRGGBB) to and from COLORREF (0x00BBGGRR).
COLORREF BgrToRef(uint32_t v)
{
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

uint32_t RefToBgr(COLORREF c)
{
    return static_cast<uint32_t>((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c));
}

COLORREF Rgb555ToRef(uint32_t p)
{
    int r = (p >> 10) & 0x1F, g = (p >> 5) & 0x1F, b = p & 0x1F;
    return RGB((r << 3) | (r >> 2), (g << 3) | (g >> 2), (b << 3) | (b >> 2));
}

uint32_t RefToRgb555(COLORREF c)
{
    return static_cast<uint32_t>(((GetRValue(c) >> 3) << 10) | ((GetGValue(c) >> 3) << 5) | (GetBValue(c) >> 3));
}

uint32_t NearestIndex(const std::vector<COLORREF>& palette, COLORREF c)
{
    uint32_t best = 0;
    long bestDist = -1;
    for (size_t i = 0; i < palette.size(); ++i) {
        long dr = GetRValue(c) - GetRValue(palette[i]), dg = GetGValue(c) - GetGValue(palette[i]);
        long db = GetBValue(c) - GetBValue(palette[i]);
        long d = dr * dr + dg * dg + db * db;
        if (bestDist < 0 || d < bestDist) {
            bestDist = d;
            best = static_cast<uint32_t>(i);
            if (d == 0)
                break;
        }
    }
    return best;
}

// The value stored for a colour at a depth (palette depths look the colour up in `palette`).
uint32_t Encode(COLORREF c, int bits, const std::vector<COLORREF>& palette, bool dib555)
{
    if (bits <= 8)
        return NearestIndex(palette, c);
    if (bits == 16)
        return dib555 ? RefToRgb555(c) : ColorRefTo565(c);
    return RefToBgr(c);
}

COLORREF Decode(uint32_t v, int bits, const std::vector<COLORREF>& palette, bool dib555)
{
    if (bits <= 8)
        return v < palette.size() ? palette[v] : RGB(0, 0, 0);
    if (bits == 16)
        return dib555 ? Rgb555ToRef(v) : Rgb565ToColorRef(static_cast<uint16_t>(v));
    return BgrToRef(v);
}

} // namespace

size_t DibRowBytes(int width, int bitCount)
{
    return ((static_cast<size_t>(width) * static_cast<size_t>(bitCount) + 31) / 32) * 4;
}

std::vector<COLORREF> StandardPalette(int bitCount)
{
    std::vector<COLORREF> p;
    if (bitCount == 1) {
        p = {RGB(0, 0, 0), RGB(255, 255, 255)};
    } else if (bitCount == 4) {
        p = {RGB(0, 0, 0),       RGB(128, 0, 0),   RGB(0, 128, 0),   RGB(128, 128, 0),
             RGB(0, 0, 128),     RGB(128, 0, 128), RGB(0, 128, 128), RGB(192, 192, 192),
             RGB(128, 128, 128), RGB(255, 0, 0),   RGB(0, 255, 0),   RGB(255, 255, 0),
             RGB(0, 0, 255),     RGB(255, 0, 255), RGB(0, 255, 255), RGB(255, 255, 255)};
    } else if (bitCount == 8) {
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    p.push_back(RGB(r * 51, g * 51, b * 51));
        for (int i = 0; i < 40; ++i)
            p.push_back(RGB(i * 255 / 39, i * 255 / 39, i * 255 / 39));
    }
    return p;
}

bool DeviceBitmap::Create(int width, int height, int bitCount, const std::vector<COLORREF>& palette)
{
    Reset();
    if (!KnownDepth(bitCount) || width <= 0 || height <= 0 || width > kMaxSurfaceSide || height > kMaxSurfaceSide ||
        int64_t(width) * height > kMaxSurfacePixels)
        return false;
    m_nWidth = width;
    m_nHeight = height;
    m_nBitCount = bitCount;
    m_nPitch = static_cast<int>(DibRowBytes(width, bitCount));
    m_bits.assign(static_cast<size_t>(m_nPitch) * height, 0);
    if (bitCount <= 8) {
        size_t n = size_t(1) << bitCount;
        if (palette.empty()) {
            for (size_t i = 0; i < n; ++i) {
                int v = static_cast<int>(i * 255 / (n - 1));
                m_palette.push_back(RGB(v, v, v));
            }
        } else {
            m_palette.assign(palette.begin(),
                             palette.begin() + static_cast<std::ptrdiff_t>(std::min(n, palette.size())));
            m_palette.resize(n, RGB(0, 0, 0));
        }
    }
    return true;
}

void DeviceBitmap::Reset()
{
    m_nWidth = m_nHeight = m_nBitCount = m_nPitch = 0;
    m_palette.clear();
    m_bits.clear();
}

uint32_t DeviceBitmap::GetRaw(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight)
        return 0;
    return ReadPacked(m_bits.data() + static_cast<size_t>(y) * m_nPitch, x, m_nBitCount);
}

void DeviceBitmap::SetRaw(int x, int y, uint32_t value)
{
    if (x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight)
        return;
    WritePacked(m_bits.data() + static_cast<size_t>(y) * m_nPitch, x, m_nBitCount, value);
}

COLORREF DeviceBitmap::GetPixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight)
        return CLR_INVALID;
    return Decode(GetRaw(x, y), m_nBitCount, m_palette, false);
}

void DeviceBitmap::SetPixel(int x, int y, COLORREF colour)
{
    SetRaw(x, y, Encode(colour, m_nBitCount, m_palette, false));
}

void DeviceBitmap::Fill(const RECT& rect, COLORREF colour)
{
    const RECT r = IntersectRects(rect, RECT{0, 0, m_nWidth, m_nHeight});
    if (IsRectEmpty(r))
        return;
    const uint32_t value = Encode(colour, m_nBitCount, m_palette, false);
    for (int y = r.top; y < r.bottom; ++y) {
        uint8_t* row = m_bits.data() + static_cast<size_t>(y) * m_nPitch;
        for (int x = r.left; x < r.right; ++x)
            WritePacked(row, x, m_nBitCount, value);
    }
}

bool DeviceBitmap::FromSurface(const PixelSurface& surface)
{
    if (surface.Empty() || !Create(surface.Width(), surface.Height(), 16))
        return false;
    for (int y = 0; y < m_nHeight; ++y)
        for (int x = 0; x < m_nWidth; ++x)
            SetRaw(x, y, surface.GetPixel(x, y));
    return true;
}

bool DeviceBitmap::ToSurface(PixelSurface& out) const
{
    if (Empty() || !out.Create(m_nWidth, m_nHeight))
        return false;
    for (int y = 0; y < m_nHeight; ++y) {
        uint16_t* row = out.Row(y);
        for (int x = 0; x < m_nWidth; ++x)
            row[x] = m_nBitCount == 16 ? static_cast<uint16_t>(GetRaw(x, y)) : ColorRefTo565(GetPixel(x, y));
    }
    return true;
}

bool DeviceBitmap::GetDIBits(int bitCount, std::vector<uint8_t>& bits, std::vector<COLORREF>* palette,
                             std::string* error) const
{
    auto fail = [&](const char* why) {
        if (error)
            *error = why;
        return false;
    };
    if (Empty())
        return fail("empty bitmap");
    if (!KnownDepth(bitCount))
        return fail("unsupported bit count");
    const size_t pitch = DibRowBytes(m_nWidth, bitCount);
    bits.assign(pitch * static_cast<size_t>(m_nHeight), 0);
    // Indices carry over when the bitmap's own table fits the requested depth.
    const bool sameIndices = m_nBitCount <= 8 && bitCount >= m_nBitCount && bitCount <= 8;
    std::vector<COLORREF> table;
    if (bitCount <= 8) {
        table = sameIndices ? m_palette : StandardPalette(bitCount);
        table.resize(size_t(1) << bitCount, RGB(0, 0, 0));
    }
    for (int y = 0; y < m_nHeight; ++y) {
        uint8_t* row = bits.data() + static_cast<size_t>(m_nHeight - 1 - y) * pitch;
        for (int x = 0; x < m_nWidth; ++x) {
            uint32_t v = sameIndices ? GetRaw(x, y) : Encode(GetPixel(x, y), bitCount, table, true);
            WritePacked(row, x, bitCount, v);
        }
    }
    if (palette)
        *palette = std::move(table);
    return true;
}

bool DeviceBitmap::SetDIBits(int bitCount, const uint8_t* bits, size_t size, const std::vector<COLORREF>& palette,
                             std::string* error)
{
    auto fail = [&](const char* why) {
        if (error)
            *error = why;
        return false;
    };
    if (Empty())
        return fail("empty bitmap");
    if (!KnownDepth(bitCount))
        return fail("unsupported bit count");
    const size_t pitch = DibRowBytes(m_nWidth, bitCount);
    if (!bits || size < pitch * static_cast<size_t>(m_nHeight))
        return fail("pixel buffer too short");
    const bool sameIndices = m_nBitCount <= 8 && bitCount <= 8 && bitCount <= m_nBitCount &&
                             palette.size() <= m_palette.size() &&
                             std::equal(palette.begin(), palette.end(), m_palette.begin());
    for (int y = 0; y < m_nHeight; ++y) {
        const uint8_t* row = bits + static_cast<size_t>(m_nHeight - 1 - y) * pitch;
        for (int x = 0; x < m_nWidth; ++x) {
            uint32_t v = ReadPacked(row, x, bitCount);
            if (sameIndices)
                SetRaw(x, y, v);
            else
                SetPixel(x, y, Decode(v, bitCount, palette, true));
        }
    }
    return true;
}

} // namespace platform::gdi
