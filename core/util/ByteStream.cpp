// Bounds-checked little-endian reader and writer.
#include "core/util/ByteStream.h"

#include <algorithm>

bool CByteReader::ReadFloat(float& value)
{
    uint32_t raw = 0;
    bool ok = ReadU32(raw);
    std::memcpy(&value, &raw, sizeof value);
    return ok;
}

bool CByteReader::ReadBytes(void* out, size_t count)
{
    if (!m_bOk || count > m_nSize - m_nPos) {
        m_bOk = false;
        if (out && count)
            std::memset(out, 0, count);
        return false;
    }
    if (count)
        std::memcpy(out, m_pData + m_nPos, count);
    m_nPos += count;
    return true;
}

bool CByteReader::ReadFixedString(std::string& value, size_t width)
{
    value.clear();
    if (!m_bOk || width > m_nSize - m_nPos) {
        m_bOk = false;
        return false;
    }
    const char* start = reinterpret_cast<const char*>(m_pData + m_nPos);
    value.assign(start, std::find(start, start + width, '\0'));
    m_nPos += width;
    return true;
}

bool CByteReader::Skip(size_t count)
{
    if (!m_bOk || count > m_nSize - m_nPos) {
        m_bOk = false;
        return false;
    }
    m_nPos += count;
    return true;
}

void CByteWriter::WriteFloat(float value)
{
    uint32_t raw;
    std::memcpy(&raw, &value, sizeof raw);
    WriteU32(raw);
}

void CByteWriter::WriteBytes(const void* data, size_t count)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    if (count)
        m_aData.insert(m_aData.end(), bytes, bytes + count);
}

void CByteWriter::WriteFixedString(const std::string& value, size_t width)
{
    if (width == 0)
        return;
    size_t n = std::min(value.size(), width - 1);
    n = std::min(n, static_cast<size_t>(std::find(value.begin(), value.end(), '\0') - value.begin()));
    WriteBytes(value.data(), n);
    WriteZeros(width - n);
}
