// End-of-scenario scoring: the scenario's " Scores.csv" read in order, the categories and totals, and the text
// of "Score-Log.txt".
//
// The table is read row by row in a fixed order. A block of unit or facility rows ends with the row whose name
// column is empty, and the next block starts on the line after it. One free line (a heading) follows the
// Demobilization row, the Debris Cleared row and the Threats Subdued row. Every category row must carry its
// own name: a table whose rows stand elsewhere is reported once as damaged and read no further.
#include "core/world/ICSNames.h"
#include "game/rules/CsvText.h"
#include "game/rules/Scoring.h"
#include "core/persist/DataRange.h"
#include "platform/system/MessageBox.h"
#include "platform/system/Paths.h"
#include "platform/system/SafeWrite.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <strings.h>

using rules_csv::CFields;
using rules_csv::CLineReader;

namespace {

constexpr uint16_t kMsgClockState = 30;
constexpr uint16_t kMsgFinalScore = 65;

// Section index (0 Command, 1 Operations, 2 Planning, 3 Logistics, 4 Finance/Admin) to its score total; the
// totals list Logistics before Planning.
constexpr EScoreTotal kSectionTotals[5] = {kScoreCommandSection, kScoreOperationsSection, kScorePlanningSection,
                                           kScoreLogisticsSection, kScoreFinanceSection};

// A name in an ICS table: the exact entry, else one that differs only in letter case.
int32_t LookupName(const ICSNameMap& map, const std::string& name)
{
    auto it = map.find(name);
    if (it != map.end())
        return it->second;
    for (const auto& [key, index] : map) {
        if (strcasecmp(key.c_str(), name.c_str()) == 0)
            return index;
    }
    return -1;
}

// The unit table of a section; null for an unknown section.
const ICSNameMap* UnitTable(int32_t section)
{
    switch (section) {
    case 0:
        return &g_mapPositionIndex;
    case 1:
        return &g_mapOperationsIndex;
    case 2:
        return &g_mapPlanningIndex;
    case 3:
        return &g_mapLogisticsIndex;
    case 4:
        return &g_mapFinanceIndex;
    default:
        return nullptr;
    }
}

__attribute__((format(printf, 2, 3))) void Append(std::string& text, const char* format, ...)
{
    char buffer[512];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (length > 0)
        text.append(buffer, std::min(static_cast<size_t>(length), sizeof buffer - 1));
}

// A name as the table writes it: surrounding blanks are not part of it.
std::string Trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t");
    const size_t last = text.find_last_not_of(" \t");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

// One row of a category: max points, allowance (or deadline) and rate.
struct CRow {
    float fMax = 0.0f;
    int32_t nAllowance = 0;
    float fRate = 0.0f;
};

} // namespace

// Reads the table in its fixed order and scores every category into the scoring object.
class CScoreWriter {
public:
    CScoreWriter(CScoring& scoring, const std::string& table, const std::string& path)
        : m_scoring(scoring), m_lines(table), m_range(path)
    {
    }

    std::string Run(const std::string& tablePath);

private:
    IScoringHost& Host() { return m_scoring.m_pHost ? *m_scoring.m_pHost : m_default; }
    int32_t Stat(EScoreStat stat) const { return m_scoring.m_anStats[stat]; }

    // The next line's fields (empty ones at the end of the table, or once the table is found damaged).
    CFields NextRow();
    // The next row, which must be the category `name` (its name in `column`); a row of another name reports
    // the table as damaged and reads as empty, as does every row after it.
    CFields CategoryRow(const char* name, size_t column);
    // A category's row by position: name in column 2 or 3, max in column 4, allowance 6, rate 7.
    CRow ReadRow(const char* name);
    // The free line after some categories.
    void SkipLine();
    // The row's numbers within their ranges (one report for each damaged value); absent ones read as 0.
    float Max(const CFields& fields);
    int32_t Allowance(const CFields& fields, const char* name);
    float Rate(const CFields& fields, size_t column, const char* name);
    float RowAward(int32_t activated, float max, int32_t deadline, float rate) const;
    void ReadUnits();
    void ReadFacilities(EScoreTotal total);
    void SetCategory(EScoreTotal total, float max, float awarded);
    void Decay(EScoreTotal total, const CRow& row, int64_t count);
    void Ratio(EScoreTotal total, const CRow& row, int64_t total_, int64_t cleared);
    void Sum(EScoreTotal total, std::initializer_list<EScoreTotal> members);
    void ComputeTotals();
    void Line(const char* label, EScoreTotal total, bool blankAfter = false);
    void WriteStatistics();

    CScoring& m_scoring;
    CLineReader m_lines;
    CListRange m_range;
    IScoringHost m_default;
    std::string m_log;
    bool m_bDamaged = false;
};

CFields CScoreWriter::NextRow()
{
    std::string line;
    if (!m_bDamaged)
        m_lines.Next(line);
    return CFields(line);
}

CFields CScoreWriter::CategoryRow(const char* name, size_t column)
{
    if (m_bDamaged)
        return CFields("");
    const bool atEnd = m_lines.AtEnd();
    CFields fields = NextRow();
    const std::string found = Trimmed(fields.Text(column));
    if (strcasecmp(found.c_str(), name) == 0)
        return fields;
    m_bDamaged = true;
    const std::string what = atEnd           ? "the table ends before \"" + std::string(name) + "\""
                             : found.empty() ? "an empty name stands where \"" + std::string(name) + "\" belongs"
                                             : "\"" + found + "\" stands where \"" + name + "\" belongs";
    m_range.Refuse(m_lines.Line() + (atEnd ? 1 : 0), "Category",
                   what + "; this row and the rest of the table score nothing");
    return CFields("");
}

void CScoreWriter::SkipLine()
{
    if (!m_bDamaged)
        m_lines.Skip();
}

CRow CScoreWriter::ReadRow(const char* name)
{
    const CFields fields = CategoryRow(name, 2);
    CRow row;
    row.fMax = Max(fields);
    row.nAllowance = Allowance(fields, "Allowance");
    row.fRate = Rate(fields, 6, "Rate");
    return row;
}

// Points, counts and rates bounded so that the sums of every category stay finite and exact enough.
constexpr float kMaxPoints = 10000.0f;
constexpr int32_t kMaxAllowance = 1000000;
constexpr float kMaxRate = 1000.0f;

float CScoreWriter::Max(const CFields& fields)
{
    double v = 0.0;
    return fields.Number(3, v) ? m_range.Float(m_lines.Line(), "Max Points", v, 0.0f, kMaxPoints, 0.0f) : 0.0f;
}

int32_t CScoreWriter::Allowance(const CFields& fields, const char* name)
{
    double v = 0.0;
    if (!fields.Number(5, v))
        return 0;
    return m_range.Int(m_lines.Line(), name, fields.Int(5), 0, kMaxAllowance);
}

float CScoreWriter::Rate(const CFields& fields, size_t column, const char* name)
{
    double v = 0.0;
    return fields.Number(column, v) ? m_range.Float(m_lines.Line(), name, v, 0.0f, kMaxRate, 0.0f) : 0.0f;
}

float CScoreWriter::RowAward(int32_t activated, float max, int32_t deadline, float rate) const
{
    if (activated <= 0)
        return 0.0f;
    const int64_t late = std::max<int64_t>(0, int64_t{MinutesBetween(m_scoring.m_nStartTime, activated)} - deadline);
    const double factor = std::max(0.0, 1.0 - static_cast<double>(rate) * 0.01 * static_cast<double>(late));
    return static_cast<float>(factor * max);
}

void CScoreWriter::ReadUnits()
{
    int32_t section = -1;
    bool first = true;
    std::string line;
    while (m_lines.Next(line)) {
        const CFields fields(line);
        if (!fields.Empty(1))
            section = LookupName(g_mapSectionIndex, fields.Text(1));
        if (fields.Empty(2))
            return; // the end row; the next block starts on the next line
        const std::string& name = fields.Text(2);
        const float max = Max(fields);
        const ICSNameMap* table = UnitTable(section);
        const int32_t unit = table ? LookupName(*table, name) : -1;
        // An unknown section or unit adds nothing (it used to index the section tables with -1).
        if (unit < 0) {
            first = false;
            continue;
        }
        const int32_t activated = Host().GetActivationTime(section, unit);
        const float award = RowAward(activated, max, Allowance(fields, "Deadline"), Rate(fields, 6, "Rate"));
        if (max > 0.0f) {
            m_scoring.m_afPossible[kSectionTotals[section]] += max;
            m_scoring.m_afAwarded[kSectionTotals[section]] += award;
        }
        Append(m_log, "%3d/%3d\t\t%s", CheckedInt(award), CheckedInt(max), name.c_str());
        if (activated <= 0 && !first)
            m_log += "  (inactive)";
        m_log += "\n";
        first = false;
    }
}

void CScoreWriter::ReadFacilities(EScoreTotal total)
{
    std::string line;
    while (!m_bDamaged && m_lines.Next(line)) {
        const CFields fields(line);
        if (fields.Empty(2))
            return; // the end row
        const float max = Max(fields);
        const int32_t facility = LookupName(g_mapFacilityIndex, fields.Text(2));
        const int32_t deadline = Allowance(fields, "Deadline");
        const float rate = Rate(fields, 6, "Rate");
        if (max <= 0.0f || facility < 0)
            continue;
        m_scoring.m_afPossible[total] += max;
        m_scoring.m_afAwarded[total] += RowAward(Host().GetFacilityTime(facility), max, deadline, rate);
    }
}

// A category with max 0 is skipped: nothing possible, nothing awarded.
void CScoreWriter::SetCategory(EScoreTotal total, float max, float awarded)
{
    if (max <= 0.0f)
        return;
    m_scoring.m_afPossible[total] = max;
    m_scoring.m_afAwarded[total] = std::max(0.0f, awarded);
}

void CScoreWriter::Decay(EScoreTotal total, const CRow& row, int64_t count)
{
    const double over = static_cast<double>(std::max<int64_t>(0, count - row.nAllowance));
    const double awarded = row.fMax - row.fMax * row.fRate * 0.01 * over;
    SetCategory(total, row.fMax, static_cast<float>(std::max(0.0, awarded)));
}

void CScoreWriter::Ratio(EScoreTotal total, const CRow& row, int64_t totalCount, int64_t cleared)
{
    cleared = std::max<int64_t>(0, cleared);
    const double awarded = totalCount > 0 ? static_cast<double>(cleared) / totalCount * row.fMax : row.fMax;
    SetCategory(total, row.fMax, static_cast<float>(awarded));
}

void CScoreWriter::Sum(EScoreTotal total, std::initializer_list<EScoreTotal> members)
{
    float awarded = 0.0f;
    float possible = 0.0f;
    for (EScoreTotal member : members) {
        awarded += m_scoring.m_afAwarded[member];
        possible += m_scoring.m_afPossible[member];
    }
    m_scoring.m_afAwarded[total] = awarded;
    m_scoring.m_afPossible[total] = possible;
}

void CScoreWriter::ComputeTotals()
{
    Sum(kScoreUnits, {kScoreCommandSection, kScoreOperationsSection, kScoreLogisticsSection, kScorePlanningSection,
                      kScoreFinanceSection});
    Sum(kScoreCommand, {kScoreUnits, kScoreIAP, kScoreCommandFacilities, kScoreDemobilization});
    Sum(kScoreEnvironmental,
        {kScoreFireContainment, kScoreChemicalContainment, kScoreFireRemaining, kScoreChemicalSourcesRemaining,
         kScoreChemicalRemaining, kScoreBombsRemaining, kScoreExplosions, kScoreRubble, kScoreGasCleared,
         kScoreElectricalCleared, kScoreWaterCleared, kScoreDebrisCleared});
    Sum(kScoreMisc, {kScoreAssaults, kScoreThreatsSubdued, kScoreSafetyFacilities, kScoreCasualtyCenterUsage});
    Sum(kScorePublicSafety, {kScoreMisc, kScoreCivilianFatalities, kScoreResponderFatalities, kScoreEnvironmental});
    Sum(kScoreMedia, {kScoreMediaFacilities, kScoreMediaCenterUsage, kScoreMediaAnnoyance, kScoreMediaInfiltration});
    Sum(kScoreTotal, {kScoreCommand, kScorePublicSafety, kScoreMedia});
    for (int i = 0; i < kScoreCount; ++i) {
        const float possible = m_scoring.m_afPossible[i];
        m_scoring.m_afScoreTotals[i] = possible > 0.0f ? m_scoring.m_afAwarded[i] / possible * 100.0f : 0.0f;
    }
}

void CScoreWriter::Line(const char* label, EScoreTotal total, bool blankAfter)
{
    Append(m_log, "%s%3d/%3d\t%3d%%\n", label, CheckedInt(m_scoring.m_afAwarded[total]),
           CheckedInt(m_scoring.m_afPossible[total]), CheckedInt(m_scoring.m_afScoreTotals[total]));
    if (blankAfter)
        m_log += "\n";
}

std::string CScoreWriter::Run(const std::string& tablePath)
{
    CScoring& s = m_scoring;
    std::fill(std::begin(s.m_afAwarded), std::end(s.m_afAwarded), 0.0f);
    std::fill(std::begin(s.m_afPossible), std::end(s.m_afPossible), 0.0f);
    std::fill(std::begin(s.m_afScoreTotals), std::end(s.m_afScoreTotals), 0.0f);

    Append(m_log, "scores based on %s\n\n", tablePath.c_str());
    Append(m_log, "Time\n Start:\t%d\n End:\t%d\n\n", s.m_nStartTime, s.m_nCurrentTime);
    Append(m_log, "Cost\n Actual:\t$%.2f\n Expected:\t$%d.00\n\n", static_cast<double>(s.m_fCost),
           Host().GetExpectedCost());
    m_log += "(command)\n";

    for (int i = 0; i < 3; ++i)
        m_lines.Skip();
    ReadUnits();
    ReadFacilities(kScoreCommandFacilities);

    // IAP: whole half-hours since the start; before the first one the plan cannot have been missed.
    const CFields iap = CategoryRow("IAP", 1);
    const float iapMax = Max(iap);
    const float iapTarget = Rate(iap, 5, "Target");
    const int32_t halfHours = MinutesBetween(s.m_nStartTime, s.m_nCurrentTime) / 30;
    float iapAward = iapMax;
    if (halfHours > 0) {
        const double v = std::max(0.0, static_cast<double>(Host().GetIAPPenalty()) / halfHours - iapTarget);
        iapAward = static_cast<float>(iapMax * std::max(0.0, 30.0 - v) * 0.033333335f);
    }
    SetCategory(kScoreIAP, iapMax, iapAward);

    const float demobMax = Max(CategoryRow("Demobilization", 1));
    SkipLine();
    const int64_t called = Stat(kStatAreaSquadsCalled);
    const int64_t notReturned = Stat(kStatAreaSquadsNotReturned);
    SetCategory(kScoreDemobilization, demobMax,
                called > 0 ? static_cast<float>(demobMax * std::max<int64_t>(0, called - notReturned) /
                                                static_cast<double>(called))
                           : demobMax);

    Decay(kScoreFireContainment, ReadRow("Fire Containment"), Stat(kStatFireTiles));
    Decay(kScoreChemicalContainment, ReadRow("Chemical Containment"), Stat(kStatChemicalTiles));
    Decay(kScoreFireRemaining, ReadRow("Fire Remaining"), Host().CountBurningTiles());
    Decay(kScoreChemicalSourcesRemaining, ReadRow("Chemical Sources Remaining"), Host().CountVisibleSpills());
    Decay(kScoreChemicalRemaining, ReadRow("Chemical Remaining"), Host().CountChemicalTiles());
    Decay(kScoreBombsRemaining, ReadRow("Bombs Remaining"), Host().CountObjects(128, true));
    Decay(kScoreExplosions, ReadRow("Explosions"),
          int64_t{Stat(kStatExplosionSize1)} + Stat(kStatExplosionSize2) + Stat(kStatExplosionSize3));
    Decay(kScoreRubble, ReadRow("Rubble"), Host().CountObjects(12, false));

    const int64_t gas = Stat(kStatGasHazards);
    Ratio(kScoreGasCleared, ReadRow("Gas Hazards Cleared"), gas,
          gas - Stat(kStatGasExplosions) - Host().CountObjects(10, false));
    const int64_t electrical = Stat(kStatElectricalHazards);
    Ratio(kScoreElectricalCleared, ReadRow("Electrical Hazards Cleared"), electrical,
          electrical - Host().CountObjects(9, false));
    const int64_t water = Stat(kStatWaterHazards);
    Ratio(kScoreWaterCleared, ReadRow("Water Hazards Cleared"), water, water - Host().CountObjects(8, false));
    const int64_t debris = Stat(kStatDebris);
    Ratio(kScoreDebrisCleared, ReadRow("Debris Cleared"), debris, debris - Host().CountObjects(2, false));
    SkipLine();

    Decay(kScoreCivilianFatalities, ReadRow("Civilian Fatalities"), Stat(kStatCiviliansKilled));
    Decay(kScoreResponderFatalities, ReadRow("Responder Fatalities"), Stat(kStatRespondersKilled));
    Decay(kScoreAssaults, ReadRow("Assaults"), Stat(kStatRespondersInCombat));
    ReadFacilities(kScoreSafetyFacilities);

    const CRow casualty = ReadRow("Casualty Center Usage");
    const int64_t atCenter = int64_t{Stat(kStatThreatsAtCasualtyCenter)} + Stat(kStatCiviliansAtCasualtyCenter) +
                             Stat(kStatRespondersAtCasualtyCenter);
    const int64_t down = int64_t{Stat(kStatThreatsKilled)} + Stat(kStatThreatsIncapacitated) +
                         Stat(kStatCiviliansKilled) + Stat(kStatCiviliansIncapacitated) + Stat(kStatRespondersKilled) +
                         Stat(kStatRespondersIncapacitated);
    SetCategory(kScoreCasualtyCenterUsage, casualty.fMax,
                down > 0 ? static_cast<float>(casualty.fMax * static_cast<double>(atCenter) / down) : 0.0f);

    const CRow subdued = ReadRow("Threats Subdued");
    const int64_t threats = Stat(kStatThreatsTotal);
    SetCategory(kScoreThreatsSubdued, subdued.fMax,
                threats > 0
                    ? static_cast<float>(
                          subdued.fMax *
                          (Stat(kStatThreatsKilled) * subdued.fRate * 0.01 + Stat(kStatThreatsInCustody)) / threats)
                    : subdued.fMax);
    SkipLine();

    ReadFacilities(kScoreMediaFacilities);
    const int64_t media = Stat(kStatMediaTotal);
    const CRow center = ReadRow("Media Center Usage");
    SetCategory(kScoreMediaCenterUsage, center.fMax,
                media > 0 ? static_cast<float>(center.fMax * static_cast<double>(Stat(kStatMediaAtMediaCenter)) / media)
                          : center.fMax);
    const CRow annoyance = ReadRow("Media Annoyance");
    const int64_t annoyable = Stat(kStatAnnoyableTicks);
    SetCategory(kScoreMediaAnnoyance, annoyance.fMax,
                annoyable > 0
                    ? static_cast<float>(
                          annoyance.fMax *
                          static_cast<double>(std::max<int64_t>(0, annoyable - Stat(kStatTicksAnnoying))) / annoyable)
                    : annoyance.fMax);
    const CRow infiltration = ReadRow("Media Infiltration");
    const int64_t over = std::max<int64_t>(0, int64_t{Stat(kStatMediaInfiltration)} - infiltration.nAllowance);
    SetCategory(kScoreMediaInfiltration, infiltration.fMax,
                media > 0 ? static_cast<float>(infiltration.fMax * static_cast<double>(media - over) / media)
                          : infiltration.fMax);

    ComputeTotals();

    m_log += "\n";
    Line("Command Section:\t\t", kScoreCommandSection);
    Line("Operations Section:\t\t", kScoreOperationsSection);
    Line("Logistics Section:\t\t", kScoreLogisticsSection);
    Line("Planning Section:\t\t", kScorePlanningSection);
    Line("Finance Section:\t\t", kScoreFinanceSection, true);
    Line("Facilities:\t\t\t", kScoreCommandFacilities);
    Line("IAP:\t\t\t\t", kScoreIAP);
    Line("Demobilization:\t\t\t", kScoreDemobilization, true);

    m_log += "(Public Safety)\n";
    Line("Fire Containment:\t\t", kScoreFireContainment);
    Line("Chemical Containment:\t\t", kScoreChemicalContainment);
    Line("Fire Remaining:\t\t\t", kScoreFireRemaining);
    Line("Chemical Sources Remaining:\t", kScoreChemicalSourcesRemaining);
    Line("Chemical Remaining:\t\t", kScoreChemicalRemaining);
    Line("Bombs Remaining:\t\t", kScoreBombsRemaining);
    Line("Explosions:\t\t\t", kScoreExplosions);
    Line("Rubble:\t\t\t\t", kScoreRubble);
    Line("Gas Hazards Cleared:\t\t", kScoreGasCleared);
    Line("Electrical Hazards Cleared:\t", kScoreElectricalCleared);
    Line("Water Hazards Cleared:\t\t", kScoreWaterCleared);
    Line("Debris Cleared:\t\t\t", kScoreDebrisCleared, true);
    Line("Civilian Fatalities:\t\t", kScoreCivilianFatalities);
    Line("Responder Fatalities:\t\t", kScoreResponderFatalities, true);
    Line("Assaults:\t\t\t", kScoreAssaults);
    Line("Facilities:\t\t\t", kScoreSafetyFacilities);
    Line("Casualty Center Usage:\t\t", kScoreCasualtyCenterUsage);
    Line("Threats Subdued:\t\t", kScoreThreatsSubdued, true);
    m_log += "(media)\n";
    Line("Facilities:\t\t\t", kScoreMediaFacilities);
    Line("Media Center Usage:\t\t", kScoreMediaCenterUsage);
    Line("Media Annoyance:\t\t", kScoreMediaAnnoyance);
    Line("Media Infiltration:\t\t", kScoreMediaInfiltration, true);

    Line("Command:\t\t\t", kScoreCommand);
    Line("Units:\t\t\t\t", kScoreUnits, true);
    Line("Public Safety:\t\t\t", kScorePublicSafety);
    Line("Environmental:\t\t\t", kScoreEnvironmental);
    Line("Misc:\t\t\t\t", kScoreMisc, true);
    Line("Media:\t\t\t\t", kScoreMedia, true);
    Line("Total:\t\t\t\t", kScoreTotal);

    const auto clock = s.GetClockState();
    Host().PostMessage(kMsgClockState, clock.data(), clock.size());
    const auto totals = s.GetFinalScore();
    Host().PostMessage(kMsgFinalScore, totals.data(), totals.size());

    WriteStatistics();
    return m_log;
}

void CScoreWriter::WriteStatistics()
{
    m_log += "\n\n\nStatistics\n\n";
    Append(m_log, "Threats\n");
    Append(m_log, "\tKilled\t\t\t\t%d\n", Stat(kStatThreatsKilled));
    Append(m_log, "\tIncapacitated\t\t\t%d\n", Stat(kStatThreatsIncapacitated));
    Append(m_log, "\tIn Custody\t\t\t%d\n", Stat(kStatThreatsInCustody));
    Append(m_log, "\tAt Casualty Center\t\t%d\n", Stat(kStatThreatsAtCasualtyCenter));
    Append(m_log, "\tTotal\t\t\t\t%d\n", Stat(kStatThreatsTotal));
    Append(m_log, "Civilians\n");
    Append(m_log, "\tKilled\t\t\t\t%d\n", Stat(kStatCiviliansKilled));
    Append(m_log, "\tIncapacitated\t\t\t%d\n", Stat(kStatCiviliansIncapacitated));
    Append(m_log, "\tAt Casualty Center\t\t%d\n", Stat(kStatCiviliansAtCasualtyCenter));
    Append(m_log, "\tAt Evacuation Center\t\t%d\n", Stat(kStatCiviliansAtEvacuationCenter));
    Append(m_log, "\tVehicles Destroyed\t\t%d\n", Stat(kStatCivilianVehiclesDestroyed));
    Append(m_log, "Media\n");
    Append(m_log, "\tAt Media Center\t\t\t%d\n", Stat(kStatMediaAtMediaCenter));
    Append(m_log, "\tIncident Site Infiltration\t%d\n", Stat(kStatMediaInfiltration));
    Append(m_log, "\tTicks Annoying\t\t\t%d\n", Stat(kStatTicksAnnoying));
    Append(m_log, "\tAnnoyable Ticks\t\t\t%d\n", Stat(kStatAnnoyableTicks));
    Append(m_log, "\tTotal\t\t\t\t%d\n", Stat(kStatMediaTotal));
    Append(m_log, "Responders\n");
    Append(m_log, "\tKilled\t\t\t\t%d\n", Stat(kStatRespondersKilled));
    Append(m_log, "\tIncapacitated\t\t\t%d\n", Stat(kStatRespondersIncapacitated));
    Append(m_log, "\tAt Casualty Center\t\t%d\n", Stat(kStatRespondersAtCasualtyCenter));
    Append(m_log, "\tVehicles Destroyed\t\t%d\n", Stat(kStatResponderVehiclesDestroyed));
    Append(m_log, "\tCombat\t\t\t\t%d\n", Stat(kStatRespondersInCombat));
    Append(m_log, "\tArea Map Squads Not Returned\t%d\n", Stat(kStatAreaSquadsNotReturned));
    Append(m_log, "\tArea Map Squads Called\t\t%d\n", Stat(kStatAreaSquadsCalled));
    Append(m_log, "Environmental\n");
    for (int size = 1; size <= 3; ++size)
        Append(m_log, "\tExplosion size %d\t\t%d\n", size,
               Stat(static_cast<EScoreStat>(kStatExplosionSize1 + size - 1)));
    Append(m_log, "\tGas Hazard Explosions\t\t%d\n", Stat(kStatGasExplosions));
    Append(m_log, "\tGas Hazards\t\t\t%d\n", Stat(kStatGasHazards));
    Append(m_log, "\tWater Hazards\t\t\t%d\n", Stat(kStatWaterHazards));
    Append(m_log, "\tElectrical Hazards\t\t%d\n", Stat(kStatElectricalHazards));
    Append(m_log, "\tDebris\t\t\t\t%d\n", Stat(kStatDebris));
    Append(m_log, "\tTiles Affected By Fire\t\t%d\n", Stat(kStatFireTiles));
    Append(m_log, "\tTiles Affected By Chemical\t%d\n\n", Stat(kStatChemicalTiles));
    m_log += "Resource Points Remaining\n";
    Append(m_log, " Command\t%d\n", CheckedInt(Host().GetResourcePoints(0)));
    Append(m_log, " Operations\t%d\n", CheckedInt(Host().GetResourcePoints(1)));
    Append(m_log, " Planning\t%d\n", CheckedInt(Host().GetResourcePoints(2)));
    Append(m_log, " Logistics\t%d\n", CheckedInt(Host().GetResourcePoints(3)));
    Append(m_log, " Finance\t%d\n", CheckedInt(Host().GetResourcePoints(4)));
}

// --- CScoring's end of scenario ----------------------------------------------------------------------------------

std::string CScoring::GetScoreTablePath() const
{
    const std::string stem =
        m_strScenarioName.size() >= 4 ? m_strScenarioName.substr(0, m_strScenarioName.size() - 4) : std::string();
    return platform::JoinPath(m_strBaseFolder, stem + " Scores.csv");
}

std::string CScoring::ComputeScores(const std::string& table, const std::string& tablePath)
{
    return CScoreWriter(*this, table, tablePath).Run(tablePath);
}

int CScoring::EndScenario()
{
    if (m_pHost)
        m_pHost->FinalTally(*this);
    return WriteScores();
}

int CScoring::WriteScores()
{
    m_strLogError.clear();
    std::string path = GetScoreTablePath();
    std::string table;
    bool found = rules_csv::ReadTextFile(path, table);
    if (!found) {
        // A saved game names its scenario inside its save folder, where the table is not copied: the table
        // beside the scenario in the base folder is taken then.
        const std::string normal = platform::NormalizeSeparators(m_strScenarioName);
        const size_t slash = normal.rfind('/');
        if (slash != std::string::npos) {
            CScoring plain;
            plain.SetScenario(m_strBaseFolder, normal.substr(slash + 1));
            const std::string fallback = plain.GetScoreTablePath();
            if (rules_csv::ReadTextFile(fallback, table)) {
                path = fallback;
                found = true;
            }
        }
    }
    if (!found) {
        platform::ShowMessageBox(path, "Failed to open file", platform::MessageIcon::Error);
        return -1;
    }
    const std::string log = ComputeScores(table, path);
    // Written whole beside the old log and put in place: a failed write leaves no half log, and the player is told.
    const std::string logPath = platform::JoinPath(m_strBaseFolder.empty() ? "." : m_strBaseFolder, "Score-Log.txt");
    std::string why;
    if (!platform::WriteFileSafely(logPath, log, &why)) {
        m_strLogError = why;
        platform::DebugOutput("Could not write " + logPath + ": " + why);
    }
    return 0;
}
