// Bounds-checked little-endian reader and writer for game-message payloads and other packed records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

// Reads fixed-width little-endian fields from a byte range. A read past the end fails, leaves its
// output zeroed and makes every later read fail too, so a handler checks Ok() once at the end.
class CByteReader {
public:
    CByteReader(const void* data, size_t size) : m_pData(static_cast<const uint8_t*>(data)), m_nSize(data ? size : 0) {}

    bool ReadU8(uint8_t& value) { return ReadLE(value); }
    bool ReadI8(int8_t& value) { return ReadLE(value); }
    bool ReadU16(uint16_t& value) { return ReadLE(value); }
    bool ReadI16(int16_t& value) { return ReadLE(value); }
    bool ReadU32(uint32_t& value) { return ReadLE(value); }
    bool ReadI32(int32_t& value) { return ReadLE(value); }
    bool ReadFloat(float& value);
    bool ReadBytes(void* out, size_t count);
    // A fixed-width text field: `width` bytes, the text ends at the first NUL (or at the width).
    bool ReadFixedString(std::string& value, size_t width);
    bool Skip(size_t count);

    bool Ok() const { return m_bOk; }
    size_t Position() const { return m_nPos; }
    size_t Remaining() const { return m_bOk ? m_nSize - m_nPos : 0; }
    const uint8_t* Current() const { return m_pData + m_nPos; }

private:
    template <typename T> bool ReadLE(T& value)
    {
        uint8_t bytes[sizeof(T)] = {};
        bool ok = ReadBytes(bytes, sizeof(T));
        using U = std::make_unsigned_t<T>;
        U raw = 0;
        for (size_t i = 0; i < sizeof(T); ++i)
            raw = static_cast<U>(raw | (static_cast<U>(bytes[i]) << (8 * i)));
        value = static_cast<T>(raw);
        return ok;
    }

    const uint8_t* m_pData;
    size_t m_nSize;
    size_t m_nPos = 0;
    bool m_bOk = true;
};

// Appends fixed-width little-endian fields to a growing buffer.
class CByteWriter {
public:
    void WriteU8(uint8_t value) { WriteLE(value); }
    void WriteI8(int8_t value) { WriteLE(value); }
    void WriteU16(uint16_t value) { WriteLE(value); }
    void WriteI16(int16_t value) { WriteLE(value); }
    void WriteU32(uint32_t value) { WriteLE(value); }
    void WriteI32(int32_t value) { WriteLE(value); }
    void WriteFloat(float value);
    void WriteBytes(const void* data, size_t count);
    // Writes `width` bytes: the text cut to width - 1 characters, then NULs.
    void WriteFixedString(const std::string& value, size_t width);
    void WriteZeros(size_t count) { m_aData.insert(m_aData.end(), count, 0); }

    const std::vector<uint8_t>& Data() const { return m_aData; }
    const uint8_t* Bytes() const { return m_aData.data(); }
    size_t Size() const { return m_aData.size(); }

private:
    template <typename T> void WriteLE(T value)
    {
        using U = std::make_unsigned_t<T>;
        U raw = static_cast<U>(value);
        for (size_t i = 0; i < sizeof(T); ++i)
            m_aData.push_back(static_cast<uint8_t>(raw >> (8 * i)));
    }

    std::vector<uint8_t> m_aData;
};
