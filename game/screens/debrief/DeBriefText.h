// The de-briefing's text pages and the formats of its results: graded texts, money and times.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CScenarioData;

class CDeBriefText {
public:
    static constexpr int kMaxLines = 500;
    static constexpr int kLineChars = 199; // 200 with the terminating zero
    static constexpr int kWindow = 10;

    void Clear();
    // Lines added from now on that measure `width` pixels or more by `measure` are wrapped again at spaces, so
    // they fit the panel that draws them (no measure: lines stand as given).
    void SetWrap(std::function<int(const std::string&)> measure, int width);
    // Appends a line (cut to 199 characters), wrapped as set; false once 500 lines exist.
    bool AddLine(const std::string& line);
    // Puts a line, wrapped as set, before all others, in the first window.
    void AddFirstLine(const std::string& line);
    // The 10 lines that end at the scroll position, joined by line breaks.
    std::string GetWindow() const;
    // Down moves on while below the line count, up back while above 10: sound 0; otherwise sound 2.
    bool ScrollDown();
    bool ScrollUp();

    // Builds the graded score and cost texts (or "Debriefing unavailable for this Scenario").
    void Build(const CScenarioData& scenario, int32_t finalScore, int32_t finalCost);

    std::vector<std::string> m_aLines;
    int32_t m_nLineCount = 0;
    int32_t m_nScroll = 0;

private:
    std::vector<std::string> Pieces(const std::string& line) const;

    std::function<int(const std::string&)> m_measure;
    int m_nWrapWidth = 0;
};

// A graded text cut into lines of at most 98 characters at the last space (at most 10 lines kept).
std::vector<std::string> WrapGradedText(const std::string& text);
// The grade of a value against breakpoints 1 and 2 (0 above average, 1 average, 2 below average).
int GradeOf(int32_t value, const int32_t breaks[3]);
// "$%d.00", "$%d,%03d.00", "$%d,%03d,%03d.00"; empty from 1,000,000,000 on.
std::string FormatMoney(int32_t amount);
// "%2d:%02d" from HHMM.
std::string FormatClock(int32_t hhmm);
