// The incident world's outgoing event batch: up to 200 entries of 28 bytes, sent as game message 42.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// Entry kinds of the batch.
enum EBatchKind : int32_t {
    kBatchFireReport = 0,  // float intensity of the next fire node (positional)
    kBatchIgnition = 1,    // float intensity, int32 x, int32 y
    kBatchSpillReport = 2, // float amount, uint8 tile flags AND 0x18 (positional)
    kBatchSpill = 3,       // float amount, int32 x, int32 y, uint8 visible
    kBatchObject = 4,      // float value, int32 x, int32 y, int32 type (-1 removes), int32 counter, uint8 hidden
    kBatchZoneNode = 5,    // int32 x, int32 y, int32 group key or sprite kind, int32 flag 1, 2 or 3
    kBatchObjectFlags = 6, // int32 sprite flags, int32 x, int32 y
    kBatchZoneMark = 7,    // int32 zone mark value, int32 facility bits
    kBatchSound = 8,       // int32 sound id, -1 stops the looping sounds
};

// The batch record as it travels: uint16 count, uint16 start index, count entries of 28 bytes, little-endian.
class CEventBatch {
public:
    static constexpr int kMaxEntries = 200;
    static constexpr size_t kEntrySize = 28;
    static constexpr size_t kHeaderSize = 4;

    CEventBatch();

    int Count() const { return m_nCount; }
    bool Full() const { return m_nCount >= kMaxEntries; }
    uint16_t StartIndex() const { return m_nStartIndex; }
    void SetStartIndex(uint16_t index) { m_nStartIndex = index; }
    // Forgets the entries; their bytes stay (the reports overwrite only the fields they set).
    void Clear() { m_nCount = 0; }
    void SetCount(int count) { m_nCount = count < 0 ? 0 : (count > kMaxEntries ? kMaxEntries : count); }

    // A new entry cleared to zeros with its kind written; -1 when the batch is full.
    int Append(int32_t kind);

    // Fields of entry `index` at a byte offset within the entry (0 to 27).
    int32_t GetI32(int index, size_t offset) const;
    float GetFloat(int index, size_t offset) const;
    uint8_t GetU8(int index, size_t offset) const;
    void SetI32(int index, size_t offset, int32_t value);
    void SetFloat(int index, size_t offset, float value);
    void SetU8(int index, size_t offset, uint8_t value);
    int32_t Kind(int index) const { return GetI32(index, 0); }

    // The message body: 4 + 28 x count bytes.
    std::vector<uint8_t> Payload() const;

private:
    uint8_t* Entry(int index) { return m_aEntries.data() + static_cast<size_t>(index) * kEntrySize; }
    const uint8_t* Entry(int index) const { return m_aEntries.data() + static_cast<size_t>(index) * kEntrySize; }

    int m_nCount = 0;
    uint16_t m_nStartIndex = 0;
    std::array<uint8_t, kMaxEntries * kEntrySize> m_aEntries{};
};

// A received batch, checked: its count is at most 200 and its entries lie inside the payload.
struct CBatchView {
    int nCount = 0;
    uint16_t nStartIndex = 0;
    const uint8_t* pEntries = nullptr;

    int32_t GetI32(int index, size_t offset) const;
    float GetFloat(int index, size_t offset) const;
    uint8_t GetU8(int index, size_t offset) const;
};

// False when the payload is shorter than its count says or the count is above 200.
bool ParseBatch(const uint8_t* payload, size_t length, CBatchView& view);
