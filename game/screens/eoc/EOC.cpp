// Minimal EOC screen and the section records of the EOC unit data.
#include "game/screens/eoc/EOC.h"

#include "game/util/ByteStream.h"

#include <algorithm>
#include <cstring>

bool CEOCUnitData::Tick(int32_t)
{
    return false;
}

void CEOCUnitData::ApplyUnitUpdate(const uint8_t* record, size_t length)
{
    if (length != kUnitUpdateSize)
        return;
    std::memcpy(m_aUpdate.data(), record, kUnitUpdateSize);
    // The update begins with the five section records.
    CByteReader r(record, length);
    for (auto& section : m_aSections) {
        r.ReadU32(section.uActivated);
        r.ReadU32(section.uOrdered);
        r.ReadFloat(section.fResourcePoints);
    }
}

void CEOCUnitData::ApplyResourcePoints(const uint8_t* record, size_t length)
{
    CByteReader r(record, length);
    int32_t section = 0;
    float amount = 0;
    r.ReadI32(section);
    r.ReadFloat(amount);
    if (!r.Ok() || r.Remaining() != 0)
        return;
    if (section >= 0 && section < kSections) {
        m_aSections[static_cast<size_t>(section)].fResourcePoints += amount;
    } else if (section == kSections) {
        // Shared out by the allocation percentages.
        for (int i = 0; i < kSections; ++i)
            m_aSections[static_cast<size_t>(i)].fResourcePoints +=
                amount * static_cast<float>(m_anAllocation[static_cast<size_t>(i)]) / 100.0f;
    }
}

void CEOCUnitData::ApplyAllocation(const uint8_t* record, size_t length)
{
    CByteReader r(record, length);
    std::array<int32_t, 10> values{};
    for (auto& v : values)
        r.ReadI32(v);
    if (r.Ok() && r.Remaining() == 0)
        m_anAllocation = values;
}

void CEOCUnitData::ApplySectionChiefs(const uint8_t* record, size_t length)
{
    CByteReader r(record, length);
    std::array<int16_t, kSections> ids{};
    for (auto& id : ids)
        r.ReadI16(id);
    if (!r.Ok())
        return;
    for (int i = 0; i < kSections; ++i) {
        if (ids[static_cast<size_t>(i)] != -1)
            m_anChiefs[static_cast<size_t>(i)] = ids[static_cast<size_t>(i)];
    }
}

void CEOCUnitData::SetSectionChief(int section, int32_t playerId)
{
    if (section >= 0 && section < kSections)
        m_anChiefs[static_cast<size_t>(section)] = playerId;
}

bool EOC::LoadArt(CDisplay* display, const std::string& base)
{
    return m_art.Load(display, base, "EOC_Art.csv", 40);
}

void EOC::Draw(CSurface* target)
{
    if (m_bShown)
        m_art.DrawPanel(target);
}
