// The scenario clock: game steps, the time of day and its minute announcements, cost accrual, score rules,
// and the clock's records (message 30, the final score record, the saved-game block).
#include "game/rules/Scoring.h"

#include "game/rules/CsvText.h"
#include "core/util/ByteStream.h"
#include "core/persist/DataRange.h"
#include "platform/system/MessageBox.h"
#include "platform/system/Paths.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

// The last announced minute (0..59): one value for the process, 0 when the program starts.
int32_t g_nLastAnnouncedMinute = 0;

constexpr int32_t kTicksPerMinute = 30;
constexpr float kOneMinuteOfHour = 0.0167f;

float FiniteOrZero(float value)
{
    return std::isfinite(value) ? value : 0.0f;
}

} // namespace

CScoring::CScoring() = default;

int32_t CScoring::GetLastAnnouncedMinute()
{
    return g_nLastAnnouncedMinute;
}

void CScoring::SetLastAnnouncedMinute(int32_t minute)
{
    g_nLastAnnouncedMinute = minute;
}

void CScoring::SetScenario(const std::string& baseFolder, const std::string& scenarioName)
{
    m_strBaseFolder = baseFolder;
    m_strScenarioName = scenarioName;
}

void CScoring::SetStart(int32_t startTime)
{
    std::memset(m_szDate, 0, sizeof m_szDate);
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local))
        std::strftime(m_szDate, sizeof m_szDate, "%d %b %Y", &local);
    m_nStartTime = startTime;
    m_nCurrentTime = startTime;
    // A new scenario starts from zero: the same object lives for the whole run.
    m_nTickCounter = 0;
    m_fCost = 0.0f;
    std::memset(m_afScoreTotals, 0, sizeof m_afScoreTotals);
    std::memset(m_anStats, 0, sizeof m_anStats);
    std::memset(m_afAwarded, 0, sizeof m_afAwarded);
    std::memset(m_afPossible, 0, sizeof m_afPossible);
    // The last announced minute used to carry over from the previous scenario, so its first minutes could go
    // unannounced; each scenario now starts as a fresh program does.
    g_nLastAnnouncedMinute = 0;
}

void CScoring::GameStep(int32_t arg)
{
    m_nTickCounter = static_cast<int32_t>(static_cast<uint32_t>(m_nTickCounter) + 1u);
    UpdateClock();
    if (m_pHost) {
        m_pHost->StepWorld(arg);
        m_pHost->StepSquads();
    }
}

void CScoring::UpdateClock()
{
    const int32_t elapsed = (m_nTickCounter & 0x7FFFFFFF) / kTicksPerMinute;
    const int32_t ofDay = elapsed % 1440;
    int32_t hours = ofDay / 60;
    int32_t minutes = ofDay % 60;
    minutes += m_nStartTime % 100;
    hours += m_nStartTime / 100;
    while (minutes >= 60) {
        minutes -= 60;
        ++hours;
    }
    m_nCurrentTime = (hours % 24) * 100 + minutes;
    const int32_t last = g_nLastAnnouncedMinute;
    if (minutes > last || (last == 59 && minutes != 59)) {
        g_nLastAnnouncedMinute = minutes;
        if (m_pHost)
            m_pHost->NotifyMinute(m_nCurrentTime);
        AccrueRunningCost(kOneMinuteOfHour);
    }
}

void CScoring::MovementStep(uint32_t now)
{
    if (!m_pHost)
        return;
    m_pHost->MoveSquads(now);
    m_pHost->MoveWorld(now);
}

float CScoring::AddCost(float amount)
{
    const float factor = m_pHost ? m_pHost->GetCostFactor() : 1.0f;
    const float cost = m_fCost + amount * factor;
    // A cost that is not a number keeps the old one.
    if (std::isfinite(cost))
        m_fCost = cost < 0.0f ? 0.0f : cost;
    return m_fCost;
}

void CScoring::AccrueRunningCost(float fraction)
{
    const float running = m_pHost ? m_pHost->GetActiveUnitsCost() : 0.0f;
    const float factor = m_pHost ? m_pHost->GetCostFactor() : 1.0f;
    const float cost = m_fCost + (running + m_afScoreRules[0]) * factor * fraction;
    if (std::isfinite(cost))
        m_fCost = cost < 0.0f ? 0.0f : cost;
}

// --- score rules -------------------------------------------------------------------------------------------------

bool CScoring::LoadScoreRules(const std::string& baseFolder, const std::string& fileName)
{
    const std::string path = platform::JoinPath(baseFolder, fileName);
    std::string text;
    if (!rules_csv::ReadTextFile(path, text)) {
        std::memset(m_afScoreRules, 0, sizeof m_afScoreRules);
        platform::ShowMessageBox(path, "Failed to open file", platform::MessageIcon::Error);
        return false;
    }
    ParseScoreRules(text, path);
    return true;
}

void CScoring::ParseScoreRules(const std::string& text, const std::string& file)
{
    std::memset(m_afScoreRules, 0, sizeof m_afScoreRules);
    rules_csv::CLineReader lines(text);
    lines.Skip(); // header
    std::string line;
    CListRange range(file);
    for (int row = 0; row < kScoreRuleCount && lines.Next(line); ++row) {
        // Row 0 names its value in the first three columns, the others in the third; the value is column 5.
        const rules_csv::CFields fields(line);
        const std::string& cell = fields.Text(4);
        char* end = nullptr;
        const double value = std::strtod(cell.c_str(), &end);
        // Dollars, per hour or once: bounded so that a day's cost at the largest cost factor stays representable.
        if (end != cell.c_str())
            m_afScoreRules[row] = range.Float(row + 2, "Value", value, 0.0f, kMaxScoreRule, 0.0f);
    }
    m_afScoreRules[2] = m_afScoreRules[2] * 0.016666668f * 0.33333334f;
    m_afScoreRules[3] = m_afScoreRules[3] * 0.016666668f * 0.33333334f;
    for (int row = 4; row <= 6; ++row)
        m_afScoreRules[row] *= 0.016666668f;
}

float CScoring::GetScoreRule(int index) const
{
    return index >= 0 && index < kScoreRuleCount ? m_afScoreRules[index] : 0.0f;
}

float CScoring::GetTotal(EScoreTotal index) const
{
    return index >= 0 && index < kScoreCount ? m_afScoreTotals[index] : 0.0f;
}

int32_t CScoring::GetStat(EScoreStat stat) const
{
    return stat >= 0 && stat < kStatCount ? m_anStats[stat] : 0;
}

void CScoring::AddStat(EScoreStat stat, int32_t amount)
{
    if (stat >= 0 && stat < kStatCount)
        m_anStats[stat] = static_cast<int32_t>(static_cast<uint32_t>(m_anStats[stat]) + static_cast<uint32_t>(amount));
}

void CScoring::SetStat(EScoreStat stat, int32_t value)
{
    if (stat >= 0 && stat < kStatCount)
        m_anStats[stat] = value;
}

// --- records -----------------------------------------------------------------------------------------------------

std::array<uint8_t, kClockStateSize> CScoring::GetClockState() const
{
    CByteWriter out;
    out.WriteI32(m_nTickCounter);
    out.WriteBytes(m_szDate, sizeof m_szDate);
    out.WriteI32(m_nCurrentTime);
    out.WriteI32(m_nStartTime);
    out.WriteFloat(m_fCost);
    std::array<uint8_t, kClockStateSize> state{};
    std::memcpy(state.data(), out.Bytes(), state.size());
    return state;
}

void CScoring::ApplyClockState(const uint8_t* payload, size_t length)
{
    CByteReader in(payload, length);
    int32_t tick = 0, current = 0, start = 0;
    char date[sizeof m_szDate] = {};
    float cost = 0.0f;
    in.ReadI32(tick);
    in.ReadBytes(date, sizeof date);
    in.ReadI32(current);
    in.ReadI32(start);
    in.ReadFloat(cost);
    if (!in.Ok())
        return;
    m_nTickCounter = tick;
    std::memcpy(m_szDate, date, sizeof m_szDate);
    m_szDate[sizeof m_szDate - 1] = '\0';
    m_nCurrentTime = current;
    m_nStartTime = start;
    m_fCost = FiniteOrZero(cost);
}

std::array<uint8_t, kFinalScoreSize> CScoring::GetFinalScore() const
{
    CByteWriter out;
    for (float total : m_afScoreTotals)
        out.WriteFloat(total);
    std::array<uint8_t, kFinalScoreSize> record{};
    std::memcpy(record.data(), out.Bytes(), record.size());
    return record;
}

void CScoring::ApplyFinalScore(const uint8_t* payload, size_t length)
{
    CByteReader in(payload, length);
    float totals[kScoreCount] = {};
    for (float& total : totals)
        in.ReadFloat(total);
    if (!in.Ok())
        return;
    for (int i = 0; i < kScoreCount; ++i)
        m_afScoreTotals[i] = FiniteOrZero(totals[i]);
}

void CScoring::SaveState(CByteWriter& out) const
{
    const auto clock = GetClockState();
    out.WriteBytes(clock.data(), clock.size());
    const auto totals = GetFinalScore();
    out.WriteBytes(totals.data(), totals.size());
    for (int32_t stat : m_anStats)
        out.WriteI32(stat);
}

// What no game can have written: a tick count out of its range, a time that is no time of day, a cost below 0
// or not a number, a score total or a count out of its range.
bool CScoring::IsPossibleSaveState(const uint8_t* block)
{
    CByteReader in(block, kScoringBlockSize);
    int32_t tick = 0, current = 0, start = 0;
    float cost = 0.0f;
    in.ReadI32(tick);
    in.Skip(sizeof m_szDate);
    in.ReadI32(current);
    in.ReadI32(start);
    in.ReadFloat(cost);
    auto isTime = [](int32_t t) { return t >= 0 && t / 100 <= 24 && t % 100 <= 59; };
    if (tick < 0 || tick > kMaxSavedTicks || !isTime(current) || !isTime(start) || !std::isfinite(cost) || cost < 0.0f)
        return false;
    for (int i = 0; i < kScoreCount; ++i) {
        float total = 0.0f;
        in.ReadFloat(total);
        if (!(total >= 0.0f && total <= kMaxSavedScoreTotal))
            return false;
    }
    for (int i = 0; i < kStatCount; ++i) {
        int32_t stat = 0;
        in.ReadI32(stat);
        if (stat < 0 || stat > kMaxSavedStat)
            return false;
    }
    return in.Ok();
}

bool CScoring::LoadState(CByteReader& in)
{
    if (in.Remaining() < kScoringBlockSize) {
        in.Skip(in.Remaining() + 1); // marks the reader failed
        return false;
    }
    if (!IsPossibleSaveState(in.Current())) {
        in.Skip(in.Remaining() + 1);
        return false;
    }
    ApplyClockState(in.Current(), kClockStateSize);
    in.Skip(kClockStateSize);
    ApplyFinalScore(in.Current(), kFinalScoreSize);
    in.Skip(kFinalScoreSize);
    for (int32_t& stat : m_anStats)
        in.ReadI32(stat);
    // The stored time has been announced already: the first step after loading does not announce it again.
    const int32_t minutes = m_nCurrentTime % 100;
    if (minutes >= 0 && minutes < 60)
        g_nLastAnnouncedMinute = minutes;
    return in.Ok();
}
