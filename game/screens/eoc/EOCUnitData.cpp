// The EOC unit data: activations on the authority's clock, the messages that carry the organisation, factors.
#include "game/screens/eoc/EOCUnitData.h"

#include "game/app/Game.h"
#include "game/rules/RulesGame.h"
#include "game/rules/TimeHHMM.h"
#include "game/screens/eoc/EOC.h"
#include "game/screens/eoc/EOCPlayers.h"
#include "core/util/ByteStream.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <cmath>

// --- records ---------------------------------------------------------------------------------------------------

void WriteSection(CByteWriter& out, const CEOCSection& s)
{
    out.WriteU32(s.uActivated);
    out.WriteU32(s.uOrdered);
    out.WriteFloat(s.fResourcePoints);
    out.WriteFloat(s.fGranted);
    out.WriteI32(s.nAllocation);
    out.WriteI32(s.nProposed);
    out.WriteI32(s.nChief);
    out.WriteU8(s.bChiefActive);
    out.WriteU8(s.bChiefOrdered);
    out.WriteZeros(2);
}

bool ReadSection(CByteReader& in, CEOCSection& s)
{
    CEOCSection r;
    in.ReadU32(r.uActivated);
    in.ReadU32(r.uOrdered);
    in.ReadFloat(r.fResourcePoints);
    in.ReadFloat(r.fGranted);
    in.ReadI32(r.nAllocation);
    in.ReadI32(r.nProposed);
    in.ReadI32(r.nChief);
    in.ReadU8(r.bChiefActive);
    in.ReadU8(r.bChiefOrdered);
    in.Skip(2);
    if (!in.Ok())
        return false;
    s = r;
    return true;
}

std::array<uint8_t, kUnitUpdateSize> EncodeUpdate(const CEOCUpdate& update)
{
    CByteWriter out;
    for (const CEOCUpdateBlock& b : update) {
        for (int32_t t : b.anOrderTime)
            out.WriteI32(t);
        out.WriteU32(b.uNewOrdered);
        out.WriteU32(b.uNewActivated);
        for (int16_t id : b.anChief)
            out.WriteI16(id);
        out.WriteZeros(2);
        for (float f : b.afRPChange)
            out.WriteFloat(f);
    }
    std::array<uint8_t, kUnitUpdateSize> bytes{};
    std::copy(out.Bytes(), out.Bytes() + kUnitUpdateSize, bytes.begin());
    return bytes;
}

bool DecodeUpdate(const uint8_t* record, size_t length, CEOCUpdate& update)
{
    if (!record || length != kUnitUpdateSize)
        return false;
    CByteReader in(record, length);
    CEOCUpdate r;
    for (CEOCUpdateBlock& b : r) {
        for (int32_t& t : b.anOrderTime)
            in.ReadI32(t);
        in.ReadU32(b.uNewOrdered);
        in.ReadU32(b.uNewActivated);
        for (int16_t& id : b.anChief)
            in.ReadI16(id);
        in.Skip(2);
        for (float& f : b.afRPChange) {
            in.ReadFloat(f);
            // A change that is not a number would poison the section's points.
            if (!std::isfinite(f))
                f = 0.0f;
        }
    }
    if (!in.Ok())
        return false;
    update = r;
    return true;
}

float ClampPoints(float points)
{
    if (std::isnan(points) || points < 0.0f)
        return 0.0f;
    return std::min(points, std::numeric_limits<float>::max());
}

bool IsChiefUnit(int section, int unit)
{
    return section == 0 && unit >= 0 && unit < kChiefUnits;
}

int32_t UnitActivationDue(int32_t orderTime, int32_t minutes)
{
    return AddTimeHHMM(orderTime, MinutesToHHMM(std::max(minutes, 0)));
}

namespace {

// Due when the clock has reached the order time plus the delay; a clock that passed midnight since the order
// counts on past 2400 (the old comparison never came due across midnight).
bool IsDue(int32_t now, int32_t orderTime, int32_t minutes)
{
    const int32_t due = UnitActivationDue(orderTime, minutes);
    const int32_t clock = now < orderTime ? now + 2400 : now;
    return clock >= due;
}

} // namespace

// --- construction ---------------------------------------------------------------------------------------------

CEOCUnitData::CEOCUnitData()
{
    Reset();
}

void CEOCUnitData::Reset()
{
    for (CEOCSection& s : m_aSections)
        s = CEOCSection();
    m_aSections[0].nChief = 0;
    m_aSections[0].bChiefActive = 1;
    m_aSections[0].uActivated = 1;
    for (int s = 0; s < kSections; ++s) {
        for (int u = 0; u < kUnitsPerSection; ++u) {
            Unit(s, u) = CEOCUnit();
            Unit(s, u).nIndex = u;
            auto& f = m_aFactors[Index(s, u)];
            for (int i = 0; i < kUnitFactorValues; ++i)
                f[static_cast<size_t>(i)] = i < 15 ? 1.0f : 0.0f;
        }
    }
    m_afSquadFactors.fill(1.0f);
    m_fExtraFactor = 1.0f;
    m_uFacilityFlags = 0;
    m_aUpdate = EncodeUpdate(CEOCUpdate());
}

// --- links ----------------------------------------------------------------------------------------------------

void CEOCUnitData::PlaySound(int id) const
{
    if (m_pGame)
        m_pGame->PlaySound(id, 1.0f);
}

void CEOCUnitData::Post(uint16_t id, const CByteWriter& payload) const
{
    if (m_pGame)
        m_pGame->PostGameMessage(id, payload.Bytes(), payload.Size());
}

void CEOCUnitData::NotifyActivated(int section, int unit) const
{
    if (m_pGame && m_pGame->m_bAuthority && m_pGame->m_pRules)
        m_pGame->m_pRules->m_engine.Notify(kNotifyUnitActivated, nullptr, section, unit, 0);
}

bool CEOCUnitData::HasSendRights() const
{
    return m_pGame && (m_pGame->m_uMode & (kModeSingle | kModeHosting));
}

int32_t CEOCUnitData::LocalPlayerId() const
{
    return GetLocalPlayer(m_pGame).nId;
}

int32_t CEOCUnitData::RoleHolder(int section) const
{
    return FindRoleHolder(m_pGame, kSectionRoleFlags[section]);
}

bool CEOCUnitData::IsSinglePlay() const
{
    return !IsNetworkGame(m_pGame);
}

// --- factors --------------------------------------------------------------------------------------------------

float CEOCUnitData::GetSquadFactor(int index, int squadType) const
{
    if (squadType == 2 || squadType > 4 || index < 0 || index >= kSquadFactors)
        return 1.0f;
    return m_afSquadFactors[static_cast<size_t>(index)];
}

void CEOCUnitData::ApplyUnitFactors(int section, int unit)
{
    if (section < 0 || section >= kSections || unit < 0 || unit >= kUnitsPerSection)
        return;
    const auto& f = m_aFactors[Index(section, unit)];
    auto& q = m_afSquadFactors;
    // Each product stays within ten times the normal rate, so the costs it scales stay representable.
    auto scale = [](float& factor, float by) { factor = std::clamp(factor * by, 0.0f, kMaxSquadFactor); };
    scale(q[2], f[0]);
    scale(q[3], f[0]);
    scale(q[4], f[1]);
    scale(q[16], f[2]);
    scale(q[6], f[3]);
    scale(q[5], f[4]);
    for (int i = 0; i < 7; ++i)
        scale(q[static_cast<size_t>(9 + i)], f[static_cast<size_t>(5 + i)]);
    scale(q[7], f[12]);
    scale(q[8], f[13]);
    scale(q[44], f[6]);
    scale(m_fExtraFactor, f[14]);
}

void CEOCUnitData::ApplyAllActiveFactors()
{
    // From 1.0 each time, so the screens that both ask for it at start do not apply a unit twice.
    m_afSquadFactors.fill(1.0f);
    m_fExtraFactor = 1.0f;
    for (int s = 0; s < kSections; ++s) {
        for (int u = 0; u < kUnitsPerSection; ++u) {
            if (m_aSections[static_cast<size_t>(s)].uActivated & (1u << u))
                ApplyUnitFactors(s, u);
        }
    }
}

// --- the authority's clock ------------------------------------------------------------------------------------

bool CEOCUnitData::Tick(int32_t now)
{
    CEOCUpdate update;
    bool changed = false;
    for (int s = 0; s < kSections; ++s) {
        CEOCSection& sec = m_aSections[static_cast<size_t>(s)];
        if (!sec.bChiefActive && sec.bChiefOrdered) {
            const CEOCUnit& chief = Unit(0, s);
            if (IsDue(now, chief.nOrderTime, chief.nActivationMinutes)) {
                SetSectionChief(s, sec.nChief);
                update[0].uNewActivated |= 1u << s;
                NotifyActivated(0, s);
                changed = true;
            }
        } else if (sec.bChiefActive) {
            const int32_t holder = RoleHolder(s);
            if (holder != -1 && sec.nChief != -1 && sec.nChief != holder) {
                SetSectionChief(s, sec.nChief);
                changed = true;
            }
        }
    }
    for (int s = 0; s < kSections; ++s) {
        const CEOCSection& sec = m_aSections[static_cast<size_t>(s)];
        if (!sec.bChiefActive)
            continue;
        for (int u = 0; u < kUnitsPerSection; ++u) {
            const uint32_t bit = 1u << u;
            if (IsChiefUnit(s, u) || !(sec.uOrdered & bit) || (sec.uActivated & bit))
                continue;
            const CEOCUnit& unit = Unit(s, u);
            if (IsDue(now, unit.nOrderTime, unit.nActivationMinutes)) {
                update[static_cast<size_t>(s)].uNewActivated |= bit;
                NotifyActivated(s, u);
                changed = true;
            }
        }
    }
    m_aUpdate = EncodeUpdate(update);
    return changed;
}

// --- message 43 -----------------------------------------------------------------------------------------------

void CEOCUnitData::ApplyUnitUpdate(const uint8_t* record, size_t length)
{
    CEOCUpdate update;
    if (DecodeUpdate(record, length, update))
        ApplyUnitUpdate(update);
}

void CEOCUnitData::ApplyUnitUpdate(const CEOCUpdate& update)
{
    const int32_t local = LocalPlayerId();
    const CEOCUpdateBlock& head = update[0];
    for (int s = 0; s < kSections; ++s) {
        CEOCSection& sec = m_aSections[static_cast<size_t>(s)];
        const CEOCUpdateBlock& block = update[static_cast<size_t>(s)];
        for (int u = 0; u < kUnitsPerSection; ++u) {
            const uint32_t bit = 1u << u;
            CEOCUnit& unit = Unit(s, u);
            const int32_t time = block.anOrderTime[static_cast<size_t>(u)];
            if (!IsChiefUnit(s, u)) {
                if ((block.uNewOrdered & bit) && !(sec.uActivated & bit)) {
                    sec.uOrdered |= bit;
                    if (time != 0 && IsOrderTime(time))
                        unit.nOrderTime = time;
                }
            } else {
                CEOCSection& target = m_aSections[static_cast<size_t>(u)];
                if ((head.uNewOrdered & bit) && target.bChiefOrdered == 0) {
                    sec.uOrdered |= bit;
                    target.bChiefOrdered = 1;
                    if (head.anChief[static_cast<size_t>(u)] >= 0)
                        target.nChief = head.anChief[static_cast<size_t>(u)];
                    if (time != 0 && IsOrderTime(time))
                        unit.nOrderTime = time;
                }
            }
            if (block.uNewActivated & bit) {
                // Every machine applies the unit's factors as it becomes active (clients used to miss them,
                // though their squads move by them).
                if (!(sec.uActivated & bit))
                    ApplyUnitFactors(s, u);
                sec.uActivated |= bit;
                if (IsChiefUnit(s, u)) {
                    CEOCSection& target = m_aSections[static_cast<size_t>(u)];
                    target.bChiefActive = 1;
                    if (u != 0 && target.nChief == local)
                        PlaySound(kSectionChiefSounds[u]);
                }
            }
            if (IsChiefUnit(s, u)) {
                CEOCSection& target = m_aSections[static_cast<size_t>(u)];
                const int32_t id = head.anChief[static_cast<size_t>(u)];
                // Old behaviour: any id but -1 was taken, so a garbled id left a chief no saved game can hold.
                if (id >= 0 && id != target.nChief) {
                    target.nChief = id;
                    if (u == 0)
                        PlaySound(kSectionChiefSounds[0]);
                    else if (id == local)
                        PlaySound(kSectionChiefSounds[u]);
                }
            }
        }
        sec.fResourcePoints = ClampPoints(sec.fResourcePoints + head.afRPChange[static_cast<size_t>(s)]);
    }
}

bool CEOCUnitData::IsOrderTime(int32_t time)
{
    return time >= 0 && time / 100 <= 24 && time % 100 <= 59;
}

// --- message 51 -----------------------------------------------------------------------------------------------

void CEOCUnitData::GrantResourcePoints(float amount)
{
    SendResourcePoints(kSections, amount);
}

void CEOCUnitData::SendResourcePoints(int section, float amount)
{
    if (!HasSendRights())
        return;
    CByteWriter out;
    out.WriteI32(section);
    out.WriteFloat(amount);
    Post(51, out);
}

void CEOCUnitData::AddResourcePoints(int section, float amount)
{
    CEOCSection& sec = m_aSections[static_cast<size_t>(section)];
    sec.fResourcePoints = ClampPoints(sec.fResourcePoints + amount);
    if (m_pScreen)
        m_pScreen->AddResourcePoints(section, amount);
}

void CEOCUnitData::ApplyResourcePoints(const uint8_t* payload, size_t length)
{
    CByteReader in(payload, length);
    int32_t section = 0;
    float amount = 0.0f;
    in.ReadI32(section);
    in.ReadFloat(amount);
    if (!in.Ok() || in.Remaining() != 0 || !std::isfinite(amount))
        return;
    if (section >= 0 && section < kSections) {
        AddResourcePoints(section, amount);
        return;
    }
    if (section != kSections)
        return;
    const float command = static_cast<float>(m_aSections[0].nAllocation);
    for (int s = 0; s < kSections; ++s) {
        const CEOCSection& sec = m_aSections[static_cast<size_t>(s)];
        if (sec.bChiefActive)
            AddResourcePoints(s, amount * static_cast<float>(sec.nAllocation) * 0.01f);
        else
            AddResourcePoints(0, amount * command * 0.01f);
    }
}

// --- messages 52 and 53 ---------------------------------------------------------------------------------------

void CEOCUnitData::ApplyAllocation(const uint8_t* payload, size_t length)
{
    CByteReader in(payload, length);
    std::array<int32_t, 2 * kSections> values{};
    for (int32_t& v : values)
        in.ReadI32(v);
    if (!in.Ok() || in.Remaining() != 0)
        return;
    // The plan's caps: Command 0-30 percent, the other sections 0-80; allocations that would share out more
    // than 100 percent of the points are refused whole.
    int32_t total = 0;
    for (int s = 0; s < 2 * kSections; ++s) {
        int32_t& v = values[static_cast<size_t>(s)];
        v = std::clamp(v, 0, s % kSections == 0 ? kCommandShareMax : kSectionShareMax);
        if (s < kSections)
            total += v;
    }
    if (total > 100)
        return;
    for (int s = 0; s < kSections; ++s) {
        m_aSections[static_cast<size_t>(s)].nAllocation = values[static_cast<size_t>(s)];
        m_aSections[static_cast<size_t>(s)].nProposed = values[static_cast<size_t>(kSections + s)];
    }
}

void CEOCUnitData::SendSectionChiefs()
{
    CByteWriter out;
    for (const CEOCSection& s : m_aSections)
        out.WriteI16(static_cast<int16_t>(s.nChief));
    out.WriteZeros(kSectionChiefsSize - 2 * kSections);
    Post(53, out);
}

void CEOCUnitData::ApplySectionChiefs(const uint8_t* payload, size_t length)
{
    if (length != kSectionChiefsSize)
        return;
    CByteReader in(payload, length);
    std::array<int16_t, kSections> ids{};
    for (int16_t& id : ids)
        in.ReadI16(id);
    if (!in.Ok())
        return;
    for (int s = 0; s < kSections; ++s) {
        // -1 leaves the chief; other negative ids name no player and are skipped.
        if (ids[static_cast<size_t>(s)] >= 0)
            m_aSections[static_cast<size_t>(s)].nChief = ids[static_cast<size_t>(s)];
    }
}

void CEOCUnitData::SetSectionChief(int section, int32_t playerId)
{
    if (playerId == -1 || section < 0 || section >= kSections)
        return;
    const uint32_t flag = kSectionRoleFlags[section];
    auto give = [&](const CScreenPlayer& p) {
        if (!p.pRoleFlags)
            return;
        if (p.nId == playerId)
            *p.pRoleFlags |= flag;
        else
            *p.pRoleFlags &= ~flag;
    };
    if (IsNetworkGame(m_pGame)) {
        for (const CScreenPlayer& p : GetPlayerTable(m_pGame))
            give(p);
    } else {
        give(GetLocalPlayer(m_pGame));
    }
}

void CEOCUnitData::ResetSectionChiefs()
{
    for (int s = 0; s < kSections; ++s) {
        CEOCSection& sec = m_aSections[static_cast<size_t>(s)];
        if (sec.nChief != -1) {
            sec.nChief = 0;
            // Only a chief already in office takes the role; an ordered one gets it when it becomes active.
            if (sec.bChiefActive)
                SetSectionChief(s, 0);
        }
    }
}

// --- what scoring reads ---------------------------------------------------------------------------------------

float CEOCUnitData::GetActiveUnitsCost() const
{
    int active = 0;
    for (const CEOCSection& s : m_aSections)
        active += std::popcount(s.uActivated);
    return static_cast<float>(active) * m_fCostPerUnit;
}

int32_t CEOCUnitData::GetActivationTime(int section, int unit) const
{
    if (section < 0 || section >= kSections || unit < 0 || unit >= kUnitsPerSection)
        return 0;
    if (!(m_aSections[static_cast<size_t>(section)].uActivated & (1u << unit)))
        return 0;
    const CEOCUnit& u = Unit(section, unit);
    return u.nOrderTime > 0 ? UnitActivationDue(u.nOrderTime, u.nActivationMinutes) : 0;
}

float CEOCUnitData::GetResourcePoints(int section) const
{
    if (section < 0 || section >= kSections)
        return 0.0f;
    return m_aSections[static_cast<size_t>(section)].fResourcePoints;
}

// --- saved game -----------------------------------------------------------------------------------------------

void CEOCUnitData::Save(CByteWriter& out) const
{
    out.WriteU32(m_uFacilityFlags);
    for (const CEOCSection& s : m_aSections)
        WriteSection(out, s);
    for (int s = 0; s < kSections; ++s) {
        for (int u = 0; u < kUnitsPerSection; ++u)
            out.WriteI32(Unit(s, u).nOrderTime);
    }
}

// What no game can have written: unit bits past the 28 units, shares outside 0-100, a chief below -1, flags that
// are not 0 or 1, Resource Points that are negative or not numbers, order times that are no time of day.
bool CEOCUnitData::IsPossibleSaveState(const CEOCSectionTable& sections,
                                       const std::array<int32_t, kSections * kUnitsPerSection>& times)
{
    constexpr uint32_t kUnitBits = (1u << kUnitsPerSection) - 1;
    for (const CEOCSection& s : sections) {
        if ((s.uActivated & ~kUnitBits) || (s.uOrdered & ~kUnitBits) || s.nAllocation < 0 || s.nAllocation > 100 ||
            s.nProposed < 0 || s.nProposed > 100 || s.nChief < -1 || s.bChiefActive > 1 || s.bChiefOrdered > 1 ||
            !std::isfinite(s.fResourcePoints) || s.fResourcePoints < 0.0f || !std::isfinite(s.fGranted) ||
            s.fGranted < 0.0f)
            return false;
    }
    for (int32_t t : times) {
        if (!IsOrderTime(t))
            return false;
    }
    return true;
}

bool CEOCUnitData::Load(CByteReader& in)
{
    if (in.Remaining() < kSaveBlockSize)
        return false;
    uint32_t placed = 0;
    CEOCSectionTable sections;
    std::array<int32_t, kSections * kUnitsPerSection> times{};
    in.ReadU32(placed);
    for (CEOCSection& s : sections)
        ReadSection(in, s);
    for (int32_t& t : times)
        in.ReadI32(t);
    if (!in.Ok() || !IsPossibleSaveState(sections, times))
        return false;
    m_uFacilityFlags = placed & 0x3F;
    m_aSections = sections;
    for (size_t i = 0; i < times.size(); ++i)
        m_aUnits[i].nOrderTime = times[i];
    for (CEOCSection& s : m_aSections) {
        if (s.nChief != -1)
            s.nChief = 0;
    }
    if (IsSinglePlay())
        ResetSectionChiefs();
    ApplyAllActiveFactors();
    return true;
}
