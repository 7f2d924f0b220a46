// Helpers of the GIF tests: hand-made files with an independent code writer, and encode/decode shortcuts.
#pragma once

#include "RasterTestUtil.h"
#include "imagelib/RasterGIF.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace rastertest {

// Codes packed low bit first, as GIF stores them.
struct CodePacker {
    std::vector<uint8_t> bytes;
    uint32_t acc = 0;
    int bits = 0;
    void Put(int code, int width)
    {
        acc |= static_cast<uint32_t>(code) << bits;
        bits += width;
        while (bits >= 8) {
            bytes.push_back(static_cast<uint8_t>(acc));
            acc >>= 8;
            bits -= 8;
        }
    }
    void Flush()
    {
        if (bits > 0)
            bytes.push_back(static_cast<uint8_t>(acc));
        acc = 0;
        bits = 0;
    }
};

// Image data: the minimum code size, sub-blocks of up to `blockSize` bytes and the terminator.
inline std::vector<uint8_t> AsImageData(const std::vector<uint8_t>& bytes, int minSize, size_t blockSize)
{
    std::vector<uint8_t> out{static_cast<uint8_t>(minSize)};
    for (size_t i = 0; i < bytes.size(); i += blockSize) {
        size_t n = std::min<size_t>(blockSize, bytes.size() - i);
        out.push_back(static_cast<uint8_t>(n));
        out.insert(out.end(), bytes.begin() + static_cast<long>(i), bytes.begin() + static_cast<long>(i + n));
    }
    out.push_back(0);
    return out;
}

// Codes without compression: every pixel its own code, widths as a decoder grows them. With clearAtFull false the
// table stays full at 12 bits and codes go on without a clear.
inline std::vector<uint8_t> PlainCodes(const std::vector<uint8_t>& px, int minSize, bool clearAtFull = true)
{
    CodePacker packer;
    const int clear = 1 << minSize;
    int width = minSize + 1, slot = clear + 2;
    auto put = [&](int code) { packer.Put(code, width); };
    put(clear);
    bool first = true;
    for (uint8_t p : px) {
        put(p);
        if (!first && slot < 4096 && ++slot == (1 << width) && width < 12)
            ++width;
        first = false;
        if (clearAtFull && slot == 4096) {
            put(clear);
            width = minSize + 1;
            slot = clear + 2;
            first = true;
        }
    }
    put(clear + 1);
    packer.Flush();
    return AsImageData(packer.bytes, minSize, 255);
}

// The LZW codes of a writer that takes the longest string in its table each time, adds one entry per code, clears
// when the 4096th entry would be added and grows the width once the next entry passes the widest code; as image
// data with packets of 254 bytes.
inline std::vector<uint8_t> GreedyLzw(const std::vector<uint8_t>& px, int minSize)
{
    CodePacker packer;
    const int clear = 1 << minSize;
    int width = minSize + 1, next = clear + 2;
    std::map<std::pair<int, int>, int> table;
    auto put = [&](int code) {
        packer.Put(code, width);
        if (code == clear)
            width = minSize + 1;
        else if (next > (1 << width) - 1 && width < 12)
            ++width;
    };
    put(clear);
    int prefix = -1;
    for (uint8_t p : px) {
        if (prefix < 0) {
            prefix = p;
            continue;
        }
        auto it = table.find({prefix, p});
        if (it != table.end()) {
            prefix = it->second;
            continue;
        }
        put(prefix);
        if (next < 4096) {
            table[{prefix, p}] = next++;
        } else {
            table.clear();
            next = clear + 2;
            put(clear);
        }
        prefix = p;
    }
    if (prefix >= 0)
        put(prefix);
    put(clear + 1);
    packer.Flush();
    return AsImageData(packer.bytes, minSize, 254);
}

// A palette of n entries with distinct colours.
inline std::vector<rgb_color> TestColors(uint32_t n)
{
    std::vector<rgb_color> c(n);
    for (uint32_t i = 0; i < n; ++i)
        c[i] = rgb_color{static_cast<uint8_t>(i * 7 + 3), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 3)};
    return c;
}

// A GIF file built block by block.
struct GifFile {
    Bytes b;
    GifFile(uint16_t w, uint16_t h, const std::vector<rgb_color>& global)
    {
        b.raw({'G', 'I', 'F', '8', '9', 'a'}).u16(w).u16(h);
        b.u8(global.empty() ? 0 : 0x80 | SizeBits(global.size())).u8(0).u8(0);
        Table(global);
    }
    static uint32_t SizeBits(size_t n)
    {
        uint32_t s = 0;
        while ((2u << s) < n)
            ++s;
        return s;
    }
    void Table(const std::vector<rgb_color>& t)
    {
        if (t.empty())
            return;
        for (const rgb_color& c : t)
            b.u8(c.r).u8(c.g).u8(c.b);
        for (size_t i = t.size(); i < (2u << SizeBits(t.size())); ++i)
            b.u8(0).u8(0).u8(0);
    }
    GifFile& Gce(uint8_t flags, uint16_t delay, uint8_t trans)
    {
        b.raw({0x21, 0xF9, 4}).u8(flags).u16(delay).u8(trans).u8(0);
        return *this;
    }
    // An image: pixels top row first, in file order (interlaced files list their rows pass by pass).
    GifFile& Image(uint16_t l, uint16_t t, uint16_t w, uint16_t h, const std::vector<uint8_t>& px,
                   const std::vector<rgb_color>& local = {}, bool interlace = false, int minSize = 8,
                   bool clearAtFull = true)
    {
        uint8_t pf = static_cast<uint8_t>((local.empty() ? 0 : 0x80 | SizeBits(local.size())) | (interlace ? 0x40 : 0));
        b.u8(0x2C).u16(l).u16(t).u16(w).u16(h).u8(pf);
        Table(local);
        return Data(PlainCodes(px, minSize, clearAtFull));
    }
    // An image without a local table whose data (code size byte, sub-blocks, terminator) is given.
    GifFile& ImageData(uint16_t l, uint16_t t, uint16_t w, uint16_t h, const std::vector<uint8_t>& data)
    {
        b.u8(0x2C).u16(l).u16(t).u16(w).u16(h).u8(0);
        return Data(data);
    }
    GifFile& Data(const std::vector<uint8_t>& data)
    {
        b.v.insert(b.v.end(), data.begin(), data.end());
        return *this;
    }
    std::vector<uint8_t> End()
    {
        b.u8(0x3B);
        return b.v;
    }
};

inline std::vector<uint8_t> EncodeAs(CRaster& img, uint32_t type)
{
    uint8_t* buf = nullptr;
    int32_t size = 0;
    std::vector<uint8_t> out;
    if (img.Encode(buf, size, type))
        out.assign(buf, buf + size);
    img.FreeMemory(buf);
    return out;
}

inline bool DecodeGif(CRasterGIF& img, const std::vector<uint8_t>& bytes)
{
    CRasterMemFile f(const_cast<uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()));
    return img.Decode(&f);
}

inline std::vector<uint8_t> EncodeGif(CRasterGIF& gif)
{
    CRasterMemFile f;
    f.Open();
    std::vector<uint8_t> out;
    if (gif.Encode(&f)) {
        uint8_t* p = f.GetBuffer(false);
        out.assign(p, p + f.Size());
    }
    return out;
}

// Indices of an image, top row first.
inline std::vector<uint8_t> TopDownIndices(CRaster& img)
{
    std::vector<uint8_t> out;
    for (int y = static_cast<int>(img.GetHeight()) - 1; y >= 0; --y)
        for (int x = 0; x < static_cast<int>(img.GetWidth()); ++x)
            out.push_back(img.GetPixelIndex(x, y));
    return out;
}

} // namespace rastertest
