// Little-endian reads and writes of 32-bit values and floats in byte buffers.
#pragma once

#include <bit>
#include <cstdint>

inline uint32_t ReadUInt32LE(const unsigned char* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

inline int32_t ReadInt32LE(const unsigned char* p)
{
    return static_cast<int32_t>(ReadUInt32LE(p));
}

inline float ReadFloatLE(const unsigned char* p)
{
    return std::bit_cast<float>(ReadUInt32LE(p));
}

inline void WriteUInt32LE(unsigned char* p, uint32_t v)
{
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
    p[2] = static_cast<unsigned char>(v >> 16);
    p[3] = static_cast<unsigned char>(v >> 24);
}

inline void WriteInt32LE(unsigned char* p, int32_t v)
{
    WriteUInt32LE(p, static_cast<uint32_t>(v));
}

inline void WriteFloatLE(unsigned char* p, float v)
{
    WriteUInt32LE(p, std::bit_cast<uint32_t>(v));
}
