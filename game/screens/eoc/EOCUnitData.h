// The ICS organisation of a running scenario: units, section records, Resource Points, chiefs and unit factors.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

class CByteReader;
class CByteWriter;
class CGame;
class EOC;

constexpr int kSections = 5;
constexpr int kUnitsPerSection = 28;
constexpr int kChiefUnits = 5;           // Command units 0-4 are the section chiefs
constexpr int32_t kCommandShareMax = 30; // the IAP's cap on the Command Section's percentage
constexpr int32_t kSectionShareMax = 80; // and on every other section's
constexpr int kUnitFactorValues = 18;

// The time of day (HHMM) at which a unit ordered at `orderTime` becomes active, `minutes` later.
int32_t UnitActivationDue(int32_t orderTime, int32_t minutes);

constexpr int kSquadFactors = 45;
// The largest a squad factor or the cost factor grows to, however many units multiply it.
constexpr float kMaxSquadFactor = 10.0f;
constexpr size_t kSectionRecordSize = 32;
constexpr size_t kSectionTableSize = kSections * kSectionRecordSize;
constexpr size_t kUpdateBlockSize = 152;
constexpr size_t kUnitUpdateSize = kSections * kUpdateBlockSize; // 760
constexpr size_t kResourcePointsSize = 8;
constexpr size_t kAllocationSize = 40;
constexpr size_t kSectionChiefsSize = 32;

// Role flag of each section's chief in a player's role flags.
constexpr uint32_t kSectionRoleFlags[kSections] = {0x400, 0x2000, 0x4000, 0x8000, 0x10000};
// Sound announcing a section's chief.
constexpr int kSectionChiefSounds[kSections] = {38, 34, 36, 35, 37};

// One unit of a section, as its unit list gives it.
struct CEOCUnit {
    char szName[260] = {};
    char szLabel[100] = {};
    int32_t nX = 0;
    int32_t nY = 0;
    int32_t nCost = 0;
    int32_t nPredecessor = -1; // unit index in the same section, -1 none
    int32_t nDescription = 0;  // 1-based number of the information text
    int32_t nActivationMinutes = 0;
    int32_t nOrderTime = 0; // HHMM, 0 none
    int32_t nIndex = 0;
    int32_t nInfoTextId = 0;
};

// One section's record (32 bytes as saved and sent).
struct CEOCSection {
    uint32_t uActivated = 0;
    uint32_t uOrdered = 0;
    float fResourcePoints = 0.0f;
    float fGranted = 0.0f; // moved in from Command; spent after the RP
    int32_t nAllocation = 20;
    int32_t nProposed = 0;
    int32_t nChief = -1;
    uint8_t bChiefActive = 0;
    uint8_t bChiefOrdered = 0;
};

using CEOCSectionTable = std::array<CEOCSection, kSections>;

// One block of the 760-byte update record (message 43).
struct CEOCUpdateBlock {
    std::array<int32_t, kUnitsPerSection> anOrderTime{};
    uint32_t uNewOrdered = 0;
    uint32_t uNewActivated = 0;
    std::array<int16_t, kSections> anChief{-1, -1, -1, -1, -1}; // block 0 only
    std::array<float, kSections> afRPChange{};                  // block 0 only
};

using CEOCUpdate = std::array<CEOCUpdateBlock, kSections>;

void WriteSection(CByteWriter& out, const CEOCSection& section);
bool ReadSection(CByteReader& in, CEOCSection& section);
std::array<uint8_t, kUnitUpdateSize> EncodeUpdate(const CEOCUpdate& update);
// False (and `update` untouched) unless the record is exactly 760 bytes.
bool DecodeUpdate(const uint8_t* record, size_t length, CEOCUpdate& update);
bool IsChiefUnit(int section, int unit);
// Resource Points after a change: never below 0, never past the largest float.
float ClampPoints(float points);

class CEOCUnitData {
public:
    CEOCUnitData();
    // Back to the state at construction (a new scenario); the links stay.
    void Reset();

    // One section's unit list "<directory>/<file>"; false after "Failed to open file" when it is missing.
    bool LoadUnitList(const std::string& directory, const std::string& file, int section);
    // The same from the file's text; `file` names it in the reports of values out of range.
    void ParseUnitList(const std::string& text, int section, const std::string& file = "unit list");
    bool LoadUnitFactors(const std::string& directory, const std::string& file);
    void ParseUnitFactors(const std::string& text, const std::string& file = "unit factors");

    // The game whose players, sounds, messages and event engine the data uses (none: nothing is sent).
    void Attach(CGame* game) { m_pGame = game; }
    // The EOC screen whose copies follow Resource Point changes.
    void SetScreen(EOC* screen) { m_pScreen = screen; }

    float GetSquadFactor(int index, int squadType) const;
    // Authority, every 500 ms: activations that are due; true when the update record holds a change.
    bool Tick(int32_t now);
    const std::array<uint8_t, kUnitUpdateSize>& UpdateRecord() const { return m_aUpdate; }

    void ApplyUnitUpdate(const uint8_t* record, size_t length);
    void ApplyUnitUpdate(const CEOCUpdate& update);
    // Message 51 for all sections (5), or one section.
    void GrantResourcePoints(float amount);
    void SendResourcePoints(int section, float amount);
    void ApplyResourcePoints(const uint8_t* payload, size_t length);
    void ApplyAllocation(const uint8_t* payload, size_t length);
    void SendSectionChiefs();
    void ApplySectionChiefs(const uint8_t* payload, size_t length);
    void SetSectionChief(int section, int32_t playerId);
    // Every assigned chief role to player 0.
    void ResetSectionChiefs();

    // Running cost per hour of the active units.
    float GetActiveUnitsCost() const;
    // The factor every cost is multiplied by.
    float GetCostFactor() const { return m_fExtraFactor; }
    // HHMM at which a unit became active, 0 when it is not active (or was active from the start).
    int32_t GetActivationTime(int section, int unit) const;
    float GetResourcePoints(int section) const;

    // Squad factors anew from every active unit.
    void ApplyAllActiveFactors();
    void ApplyUnitFactors(int section, int unit);

    // The saved-game block: placement word, section table, order times (724 bytes).
    void Save(CByteWriter& out) const;
    bool Load(CByteReader& in);
    // An HHMM time a unit can be ordered at (0000 to 2459, minutes below 60).
    static bool IsOrderTime(int32_t time);
    // Whether a saved game's section table and order times are ones a game can have written.
    static bool IsPossibleSaveState(const CEOCSectionTable& sections,
                                    const std::array<int32_t, kSections * kUnitsPerSection>& times);

    const CEOCUnit& Unit(int section, int unit) const { return m_aUnits[Index(section, unit)]; }
    CEOCUnit& Unit(int section, int unit) { return m_aUnits[Index(section, unit)]; }
    const std::array<float, kUnitFactorValues>& Factors(int section, int unit) const
    {
        return m_aFactors[Index(section, unit)];
    }
    float SquadFactor(int index) const { return m_afSquadFactors[static_cast<size_t>(index)]; }

    CEOCSectionTable m_aSections;
    // The placement word: bits 0x1-0x20 set as the facilities of the HUD's Command items are placed.
    uint32_t m_uFacilityFlags = 0;
    // Running cost per hour of one active unit.
    float m_fCostPerUnit = 0.0f;

    static constexpr size_t kSaveBlockSize = 4 + kSectionTableSize + kSections * kUnitsPerSection * 4;

private:
    static size_t Index(int section, int unit)
    {
        return static_cast<size_t>(section) * kUnitsPerSection + static_cast<size_t>(unit);
    }
    void AddResourcePoints(int section, float amount);
    void PlaySound(int id) const;
    void Post(uint16_t id, const CByteWriter& payload) const;
    void NotifyActivated(int section, int unit) const;
    bool HasSendRights() const;
    int32_t LocalPlayerId() const;
    // The id of the player whose role flags hold the section's chief flag, -1 none.
    int32_t RoleHolder(int section) const;
    bool IsSinglePlay() const;

    std::array<CEOCUnit, kSections * kUnitsPerSection> m_aUnits{};
    std::array<std::array<float, kUnitFactorValues>, kSections * kUnitsPerSection> m_aFactors{};
    std::array<float, kSquadFactors> m_afSquadFactors{};
    float m_fExtraFactor = 1.0f;
    std::array<uint8_t, kUnitUpdateSize> m_aUpdate{};
    CGame* m_pGame = nullptr;
    EOC* m_pScreen = nullptr;
};
