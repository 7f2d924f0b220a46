// The pixel wrap of log lines as first built, measuring a word wider than the panel once per character it drops:
// the breaks the searching wrap must give exactly, and the cost it is measured against.
#pragma once

#include <functional>
#include <string>
#include <vector>

inline std::vector<std::string> WrapOneMeasurePerCharacter(const std::string& text, int panelWidth,
                                                           const std::function<int(const std::string&)>& measure)
{
    std::vector<std::string> lines;
    const size_t n = text.size();
    size_t pos = 0;
    while (pos < n) {
        while (pos < n && text[pos] == ' ')
            ++pos;
        if (pos >= n)
            break;
        size_t end = pos;
        for (;;) {
            size_t k = end;
            while (k < n && text[k] == ' ')
                ++k;
            if (k >= n)
                break;
            while (k < n && text[k] != ' ')
                ++k;
            if (measure(text.substr(pos, k - pos)) >= panelWidth)
                break;
            end = k;
        }
        if (end == pos) {
            size_t k = pos;
            while (k < n && text[k] != ' ')
                ++k;
            while (k > pos + 1 && measure(text.substr(pos, k - pos)) >= panelWidth)
                --k;
            end = k;
        }
        size_t last = end;
        while (last > pos && text[last - 1] == ' ')
            --last;
        lines.push_back(text.substr(pos, last - pos));
        pos = end;
    }
    if (lines.empty())
        lines.emplace_back();
    return lines;
}
