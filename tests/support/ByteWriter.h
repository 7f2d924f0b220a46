// Builds little-endian byte strings for binary archive goldens: integers, strings and pointer records.
#pragma once

#include <cstdint>
#include <string>

class ByteWriter {
public:
    ByteWriter& Int8(int value)
    {
        m_bytes.push_back(static_cast<char>(value & 0xFF));
        return *this;
    }
    ByteWriter& Int16(int value) { return Put(static_cast<uint32_t>(value), 2); }
    ByteWriter& Int32(int64_t value) { return Put(static_cast<uint32_t>(value), 4); }
    ByteWriter& Raw(const std::string& bytes)
    {
        m_bytes += bytes;
        return *this;
    }
    // A 32-bit length, then the bytes without a terminator.
    ByteWriter& String(const std::string& text)
    {
        Int32(static_cast<int64_t>(text.size()));
        return Raw(text);
    }
    // Pointer records: a tag byte and a 32-bit id; a new object adds its class name.
    ByteWriter& ObjectHead(int32_t id, const std::string& className) { return Int8(2).Int32(id).String(className); }
    ByteWriter& NullPointer() { return Int8(0).Int32(0); }
    ByteWriter& Reference(int32_t id) { return Int8(1).Int32(id); }
    ByteWriter& Record(int tag, int32_t id) { return Int8(tag).Int32(id); }

    const std::string& Bytes() const { return m_bytes; }
    size_t Size() const { return m_bytes.size(); }

private:
    ByteWriter& Put(uint32_t value, int width)
    {
        for (int i = 0; i < width; ++i)
            m_bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
        return *this;
    }

    std::string m_bytes;
};
