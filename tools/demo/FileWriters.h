// Our own writers of the demo set's binary files: 24-bit BMP, Windows cursor (.cur) and 16-bit PCM WAV.
#pragma once

#include "tools/demo/Canvas.h"

#include <cstdint>
#include <string>
#include <vector>

namespace demo {

// Little-endian byte building, one field at a time.
class Bytes {
public:
    Bytes& U8(uint32_t v);
    Bytes& U16(uint32_t v);
    Bytes& U32(uint32_t v);
    Bytes& I32(int32_t v) { return U32(static_cast<uint32_t>(v)); }
    Bytes& Raw(const void* data, size_t size);
    Bytes& Text(const std::string& s) { return Raw(s.data(), s.size()); }
    const std::vector<uint8_t>& Data() const { return m_data; }
    size_t Size() const { return m_data.size(); }

private:
    std::vector<uint8_t> m_data;
};

// A bottom-up 24-bit BMP (BITMAPFILEHEADER + BITMAPINFOHEADER), rows padded to 4 bytes.
std::vector<uint8_t> EncodeBmp(const Canvas& picture);

// A cursor file: one 32 x 32 image, 32-bit colour with alpha and a 1-bit AND mask (magenta is transparent),
// and its hot spot.
std::vector<uint8_t> EncodeCursor(const Canvas& picture, int hotX, int hotY);

// A mono 16-bit PCM WAV at the given rate.
std::vector<uint8_t> EncodeWav(const std::vector<int16_t>& samples, int rate);

// Writes the bytes to the path, making its folders; false when it cannot.
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
bool WriteFileText(const std::string& path, const std::string& text);

} // namespace demo
