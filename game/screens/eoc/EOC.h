// The EOC screen and the EOC unit data (minimal: the screen draws its panel; the data keeps its section
// records and applies the messages that carry them).
#pragma once

#include "game/screens/art/ArtList.h"

#include <array>
#include <cstdint>
#include <string>

class CDisplay;
class CSurface;

constexpr size_t kUnitUpdateSize = 760;
constexpr int kSections = 5;

// One ICS section's record: activated and ordered units, Resource Points.
struct CEOCSection {
    uint32_t uActivated = 0;
    uint32_t uOrdered = 0;
    float fResourcePoints = 0.0f;
};

class CEOCUnitData {
public:
    CEOCUnitData() = default;
    // True when the update record changed since the last call (never, yet).
    bool Tick(int32_t timeOfDay);
    const std::array<uint8_t, kUnitUpdateSize>& UpdateRecord() const { return m_aUpdate; }
    void ApplyUnitUpdate(const uint8_t* record, size_t length);
    void ApplyResourcePoints(const uint8_t* record, size_t length);
    void ApplyAllocation(const uint8_t* record, size_t length);
    void ApplySectionChiefs(const uint8_t* record, size_t length);
    void SetSectionChief(int section, int32_t playerId);
    float GetSquadFactor(int, int) const { return 1.0f; }

    std::array<CEOCSection, kSections> m_aSections{};
    std::array<int32_t, kSections> m_anChiefs{0, 0, 0, 0, 0};
    std::array<int32_t, 10> m_anAllocation{};
    // Facility bits (low 6): set when a player designates a flagged zone as a facility.
    uint32_t m_uFacilityFlags = 0;

private:
    std::array<uint8_t, kUnitUpdateSize> m_aUpdate{};
};

class EOC {
public:
    EOC() = default;
    bool LoadArt(CDisplay* display, const std::string& base);
    void Init(CEOCUnitData* data) { m_pData = data; }
    void Draw(CSurface* target);
    void Close() { m_bShown = false; }
    // While shown the screen takes the pointer (true); hovered section and unit row stay -1 until it is built.
    bool OnMouseMove(int, int, uint32_t) { return m_bShown; }
    bool OnClick(int, int, uint32_t) { return m_bShown; }
    void OnPopupChoice(int) {}
    void ApplyUnitUpdate(const uint8_t*, size_t) {}
    void ResetSectionPanel(int) {}
    void MarkActivatedUnits(int, int) {}
    void DrawResourcePoints() {}

    bool m_bShown = false;
    int m_nHoverSection = -1;
    int m_nHoverUnit = -1;

private:
    CArtList m_art;
    CEOCUnitData* m_pData = nullptr;
};
