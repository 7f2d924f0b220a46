// Field-by-field encoders of BMP, CUR and WAV files, and the file writing with folder creation.
#include "tools/demo/FileWriters.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace demo {

Bytes& Bytes::U8(uint32_t v)
{
    m_data.push_back(static_cast<uint8_t>(v));
    return *this;
}

Bytes& Bytes::U16(uint32_t v)
{
    return U8(v & 0xFF).U8((v >> 8) & 0xFF);
}

Bytes& Bytes::U32(uint32_t v)
{
    return U16(v & 0xFFFF).U16(v >> 16);
}

Bytes& Bytes::Raw(const void* data, size_t size)
{
    const auto* p = static_cast<const uint8_t*>(data);
    m_data.insert(m_data.end(), p, p + size);
    return *this;
}

std::vector<uint8_t> EncodeBmp(const Canvas& picture)
{
    const int w = picture.Width(), h = picture.Height();
    const uint32_t rowBytes = (static_cast<uint32_t>(w) * 3 + 3) & ~3u;
    const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(h);
    Bytes b;
    b.U8('B').U8('M').U32(54 + imageBytes).U16(0).U16(0).U32(54);
    b.U32(40).I32(w).I32(h).U16(1).U16(24).U32(0).U32(imageBytes).I32(2835).I32(2835).U32(0).U32(0);
    // The pixel rows, bottom-up, each blue, green, red and padded with zeros.
    std::vector<uint8_t> out(54 + static_cast<size_t>(imageBytes), 0);
    std::copy(b.Data().begin(), b.Data().end(), out.begin());
    const std::vector<COLORREF>& pixels = picture.Pixels();
    for (int y = 0; y < h; ++y) {
        uint8_t* row = out.data() + 54 + static_cast<size_t>(h - 1 - y) * rowBytes;
        const COLORREF* from = pixels.data() + static_cast<size_t>(y) * w;
        for (int x = 0; x < w; ++x) {
            row[3 * x] = static_cast<uint8_t>(GetBValue(from[x]));
            row[3 * x + 1] = static_cast<uint8_t>(GetGValue(from[x]));
            row[3 * x + 2] = static_cast<uint8_t>(GetRValue(from[x]));
        }
    }
    return out;
}

std::vector<uint8_t> EncodeCursor(const Canvas& picture, int hotX, int hotY)
{
    const int size = 32;
    const uint32_t xorBytes = size * size * 4;
    const uint32_t maskRow = 4; // 32 bits, already a multiple of 4 bytes
    const uint32_t andBytes = maskRow * size;
    const uint32_t imageBytes = 40 + xorBytes + andBytes;
    Bytes b;
    // ICONDIR: reserved, type 2 (cursor), one image.
    b.U16(0).U16(2).U16(1);
    // ICONDIRENTRY: width, height, colour count, reserved, hot spot x and y, size, offset.
    b.U8(size).U8(size).U8(0).U8(0).U16(hotX).U16(hotY).U32(imageBytes).U32(6 + 16);
    // The image: BITMAPINFOHEADER with the height of colour plus mask.
    b.U32(40).I32(size).I32(size * 2).U16(1).U16(32).U32(0).U32(xorBytes + andBytes).I32(0).I32(0).U32(0).U32(0);
    for (int y = size - 1; y >= 0; --y)
        for (int x = 0; x < size; ++x) {
            COLORREF c = picture.At(x, y);
            bool clear = c == kKey;
            b.U8(clear ? 0 : GetBValue(c))
                .U8(clear ? 0 : GetGValue(c))
                .U8(clear ? 0 : GetRValue(c))
                .U8(clear ? 0 : 255);
        }
    for (int y = size - 1; y >= 0; --y) {
        uint32_t bits = 0;
        for (int x = 0; x < size; ++x)
            if (picture.At(x, y) == kKey)
                bits |= 0x80000000u >> x;
        b.U8(bits >> 24).U8((bits >> 16) & 0xFF).U8((bits >> 8) & 0xFF).U8(bits & 0xFF);
    }
    return b.Data();
}

std::vector<uint8_t> EncodeWav(const std::vector<int16_t>& samples, int rate)
{
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    Bytes b;
    b.Text("RIFF").U32(36 + dataBytes).Text("WAVE");
    b.Text("fmt ").U32(16).U16(1).U16(1).U32(rate).U32(rate * 2).U16(2).U16(16);
    b.Text("data").U32(dataBytes);
    std::vector<uint8_t> out(44 + static_cast<size_t>(dataBytes), 0);
    std::copy(b.Data().begin(), b.Data().end(), out.begin());
    uint8_t* p = out.data() + 44;
    for (int16_t s : samples) {
        const auto v = static_cast<uint16_t>(s);
        *p++ = static_cast<uint8_t>(v & 0xFF);
        *p++ = static_cast<uint8_t>(v >> 8);
    }
    return out;
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::error_code ec;
    std::filesystem::path p(path);
    if (p.has_parent_path())
        std::filesystem::create_directories(p.parent_path(), ec);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fclose(f) == 0 && ok;
    return ok;
}

bool WriteFileText(const std::string& path, const std::string& text)
{
    return WriteFileBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

} // namespace demo
