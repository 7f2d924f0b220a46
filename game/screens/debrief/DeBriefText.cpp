// The de-briefing's text pages: graded score and cost texts, their word wrap and scrolling; money and clock text.
#include "game/screens/debrief/DeBriefText.h"

#include "core/world/ScenarioData.h"
#include "game/app/MessageLog.h"
#include "game/screens/art/ScreenKit.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {
constexpr size_t kShortText = 97;
constexpr size_t kCut = 98;
constexpr size_t kLinesPerText = 10;
} // namespace

void CDeBriefText::Clear()
{
    m_aLines.clear();
    m_nLineCount = 0;
    m_nScroll = 0;
}

void CDeBriefText::SetWrap(std::function<int(const std::string&)> measure, int width)
{
    m_measure = std::move(measure);
    m_nWrapWidth = width;
}

std::vector<std::string> CDeBriefText::Pieces(const std::string& line) const
{
    const std::string cut = line.substr(0, kLineChars);
    if (!m_measure || m_nWrapWidth <= 0 || m_measure(cut) < m_nWrapWidth)
        return {cut};
    std::vector<std::string> pieces = CMessageLog::WrapTextToWidth(cut, m_nWrapWidth, m_measure);
    if (pieces.empty())
        pieces.emplace_back();
    return pieces;
}

bool CDeBriefText::AddLine(const std::string& line)
{
    for (std::string& piece : Pieces(line)) {
        if (m_nLineCount >= kMaxLines)
            return false;
        m_aLines.push_back(std::move(piece));
        m_nLineCount = static_cast<int32_t>(m_aLines.size());
    }
    return true;
}

void CDeBriefText::AddFirstLine(const std::string& line)
{
    std::vector<std::string> pieces = Pieces(line);
    if (pieces.size() > static_cast<size_t>(kMaxLines))
        pieces.resize(kMaxLines);
    while (m_aLines.size() + pieces.size() > static_cast<size_t>(kMaxLines))
        m_aLines.pop_back();
    m_aLines.insert(m_aLines.begin(), pieces.begin(), pieces.end());
    m_nLineCount = static_cast<int32_t>(m_aLines.size());
    m_nScroll = std::min<int32_t>(m_nLineCount, kWindow);
}

std::string CDeBriefText::GetWindow() const
{
    std::string text;
    const int first = std::max(0, m_nScroll - kWindow);
    for (int i = first; i < m_nScroll && i < m_nLineCount; ++i) {
        text += m_aLines[i];
        text += '\n';
    }
    return text;
}

bool CDeBriefText::ScrollDown()
{
    const bool moved = m_nScroll < m_nLineCount;
    if (moved)
        ++m_nScroll;
    ScreenSound(moved ? 0 : 2);
    return moved;
}

bool CDeBriefText::ScrollUp()
{
    const bool moved = m_nScroll > kWindow;
    if (moved)
        --m_nScroll;
    ScreenSound(moved ? 0 : 2);
    return moved;
}

std::vector<std::string> WrapGradedText(const std::string& text)
{
    std::vector<std::string> lines;
    if (text.size() <= kShortText) {
        lines.push_back(text);
        return lines;
    }
    size_t pos = 0;
    while (text.size() - pos > kCut && lines.size() < kLinesPerText) {
        const std::string window = text.substr(pos, kCut);
        const size_t space = window.rfind(' ');
        if (space == std::string::npos) {
            lines.push_back(window);
            pos += kCut;
        } else {
            lines.push_back(window.substr(0, space));
            pos += space + 1;
        }
    }
    if (lines.size() < kLinesPerText)
        lines.push_back(text.substr(pos));
    return lines;
}

int GradeOf(int32_t value, const int32_t breaks[3])
{
    if (value >= breaks[0])
        return 0;
    if (value >= breaks[1])
        return 1;
    return 2;
}

void CDeBriefText::Build(const CScenarioData& scenario, int32_t finalScore, int32_t finalCost)
{
    Clear();
    bool graded = false;
    for (int i = 0; i < CScenarioData::kGradeCount; ++i)
        graded = graded || scenario.m_anScoreBreaks[i] >= 1 || scenario.m_anCostBreaks[i] >= 1;
    if (graded) {
        const int score = GradeOf(finalScore, scenario.m_anScoreBreaks);
        if (score < static_cast<int>(scenario.m_vScoreMessages.size()))
            for (const std::string& line : WrapGradedText(scenario.m_vScoreMessages[score]))
                AddLine(line);
        AddLine("");
        const int cost = GradeOf(finalCost, scenario.m_anCostBreaks);
        if (cost < static_cast<int>(scenario.m_vCostMessages.size()))
            for (const std::string& line : WrapGradedText(scenario.m_vCostMessages[cost]))
                AddLine(line);
    } else {
        AddLine("Debriefing unavailable for this Scenario");
    }
    m_nScroll = m_nLineCount <= kWindow ? m_nLineCount : kWindow;
}

std::string FormatMoney(int32_t amount)
{
    char text[40];
    if (amount < 1000)
        std::snprintf(text, sizeof text, "$%d.00", static_cast<int>(amount));
    else if (amount < 1000000)
        std::snprintf(text, sizeof text, "$%d,%03d.00", static_cast<int>(amount / 1000),
                      static_cast<int>(amount % 1000));
    else if (amount < 1000000000)
        std::snprintf(text, sizeof text, "$%d,%03d,%03d.00", static_cast<int>(amount / 1000000),
                      static_cast<int>(amount / 1000 % 1000), static_cast<int>(amount % 1000));
    else
        return std::string();
    return text;
}

std::string FormatClock(int32_t hhmm)
{
    char text[24];
    std::snprintf(text, sizeof text, "%2d:%02d", static_cast<int>(hhmm / 100), static_cast<int>(hhmm % 100));
    return text;
}
