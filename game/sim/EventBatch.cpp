// The event batch record: entries, little-endian field access and the message body.
#include "game/sim/EventBatch.h"

#include <cstring>

namespace {

int32_t ReadI32(const uint8_t* p)
{
    uint32_t v = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
                 static_cast<uint32_t>(p[3]) << 24;
    return static_cast<int32_t>(v);
}

void WriteI32(uint8_t* p, int32_t value)
{
    uint32_t v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

float ReadFloat(const uint8_t* p)
{
    uint32_t v = static_cast<uint32_t>(ReadI32(p));
    float f;
    std::memcpy(&f, &v, sizeof f);
    return f;
}

void WriteFloat(uint8_t* p, float value)
{
    uint32_t v;
    std::memcpy(&v, &value, sizeof v);
    WriteI32(p, static_cast<int32_t>(v));
}

bool InEntry(size_t offset, size_t width)
{
    return offset + width <= CEventBatch::kEntrySize;
}

} // namespace

CEventBatch::CEventBatch() = default;

int CEventBatch::Append(int32_t kind)
{
    if (Full())
        return -1;
    int index = m_nCount++;
    std::memset(Entry(index), 0, kEntrySize);
    WriteI32(Entry(index), kind);
    return index;
}

int32_t CEventBatch::GetI32(int index, size_t offset) const
{
    return index >= 0 && index < kMaxEntries && InEntry(offset, 4) ? ReadI32(Entry(index) + offset) : 0;
}

float CEventBatch::GetFloat(int index, size_t offset) const
{
    return index >= 0 && index < kMaxEntries && InEntry(offset, 4) ? ReadFloat(Entry(index) + offset) : 0.0f;
}

uint8_t CEventBatch::GetU8(int index, size_t offset) const
{
    return index >= 0 && index < kMaxEntries && InEntry(offset, 1) ? Entry(index)[offset] : 0;
}

void CEventBatch::SetI32(int index, size_t offset, int32_t value)
{
    if (index >= 0 && index < kMaxEntries && InEntry(offset, 4))
        WriteI32(Entry(index) + offset, value);
}

void CEventBatch::SetFloat(int index, size_t offset, float value)
{
    if (index >= 0 && index < kMaxEntries && InEntry(offset, 4))
        WriteFloat(Entry(index) + offset, value);
}

void CEventBatch::SetU8(int index, size_t offset, uint8_t value)
{
    if (index >= 0 && index < kMaxEntries && InEntry(offset, 1))
        Entry(index)[offset] = value;
}

std::vector<uint8_t> CEventBatch::Payload() const
{
    std::vector<uint8_t> out(kHeaderSize + static_cast<size_t>(m_nCount) * kEntrySize);
    out[0] = static_cast<uint8_t>(m_nCount);
    out[1] = static_cast<uint8_t>(m_nCount >> 8);
    out[2] = static_cast<uint8_t>(m_nStartIndex);
    out[3] = static_cast<uint8_t>(m_nStartIndex >> 8);
    if (m_nCount > 0)
        std::memcpy(out.data() + kHeaderSize, m_aEntries.data(), static_cast<size_t>(m_nCount) * kEntrySize);
    return out;
}

int32_t CBatchView::GetI32(int index, size_t offset) const
{
    return index >= 0 && index < nCount && InEntry(offset, 4)
               ? ReadI32(pEntries + static_cast<size_t>(index) * CEventBatch::kEntrySize + offset)
               : 0;
}

float CBatchView::GetFloat(int index, size_t offset) const
{
    return index >= 0 && index < nCount && InEntry(offset, 4)
               ? ReadFloat(pEntries + static_cast<size_t>(index) * CEventBatch::kEntrySize + offset)
               : 0.0f;
}

uint8_t CBatchView::GetU8(int index, size_t offset) const
{
    return index >= 0 && index < nCount && InEntry(offset, 1)
               ? pEntries[static_cast<size_t>(index) * CEventBatch::kEntrySize + offset]
               : 0;
}

bool ParseBatch(const uint8_t* payload, size_t length, CBatchView& view)
{
    view = {};
    if (!payload || length < CEventBatch::kHeaderSize)
        return false;
    int count = payload[0] | payload[1] << 8;
    uint16_t start = static_cast<uint16_t>(payload[2] | payload[3] << 8);
    if (count > CEventBatch::kMaxEntries ||
        CEventBatch::kHeaderSize + static_cast<size_t>(count) * CEventBatch::kEntrySize > length)
        return false;
    view.nCount = count;
    view.nStartIndex = start;
    view.pEntries = payload + CEventBatch::kHeaderSize;
    return true;
}
