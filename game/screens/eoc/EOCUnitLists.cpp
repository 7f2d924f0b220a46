// Reading the EOC unit lists (one CSV per section) and the unit-factor CSV.
#include "game/screens/eoc/EOCUnitData.h"

#include "core/persist/DataRange.h"
#include "platform/system/MessageBox.h"
#include "platform/system/Paths.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr size_t kMaxListBytes = 1 << 20; // far beyond any real list

// The whole file, at most kMaxListBytes; false (after "Failed to open file") when it cannot be opened.
bool ReadList(const std::string& directory, const std::string& file, std::string& text)
{
    const std::string path = platform::JoinPath(directory, file);
    FILE* f = file.empty() ? nullptr : platform::OpenFile(path, "rb");
    if (!f) {
        platform::ShowMessageBox(path, "Failed to open file", platform::MessageIcon::Error);
        return false;
    }
    text.clear();
    char buffer[4096];
    size_t got;
    while (text.size() < kMaxListBytes && (got = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        text.append(buffer, std::min(got, kMaxListBytes - text.size()));
    std::fclose(f);
    return true;
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        pos = end + 1;
    }
    return lines;
}

std::vector<std::string> SplitFields(const std::string& line)
{
    std::vector<std::string> fields;
    size_t pos = 0;
    while (true) {
        const size_t comma = line.find(',', pos);
        fields.push_back(line.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos));
        if (comma == std::string::npos)
            break;
        pos = comma + 1;
    }
    return fields;
}

// A decimal integer at the start of the field (blanks first), saturated at the int64 limits; false for none.
bool ParseInt(const std::string& field, int64_t& value)
{
    const char* s = field.c_str();
    char* end = nullptr;
    const long long v = std::strtoll(s, &end, 10);
    if (end == s)
        return false;
    value = v;
    return true;
}

// A number at the start of the field (blanks first), "nan" and "inf" included; false for none.
bool ParseFloat(const std::string& field, double& value)
{
    const char* s = field.c_str();
    char* end = nullptr;
    const double v = std::strtod(s, &end);
    if (end == s)
        return false;
    value = v;
    return true;
}

// Ranges of the unit list's numbers: a button inside the 800 x 600 screen, costs and ids that sums and lookups
// cannot overflow, and a delay of at most a day.
struct CUnitColumn {
    const char* szName;
    int32_t nLow, nHigh;
};
constexpr CUnitColumn kUnitColumns[7] = {{"X", 0, 800},
                                         {"Y", 0, 600},
                                         {"Cost", 0, 1000000},
                                         {"Predecessor", -1, 31},
                                         {"Description", 0, 99999},
                                         {"Activation", 0, 1440},
                                         {"Info", 0, 999999}};

// Percentages of a unit's factor row (the first 15 columns) and its three unused values.
constexpr float kMaxFactorPercent = 1000.0f;
constexpr float kMaxSpareValue = 1.0e6f;

void CopyText(char* out, size_t width, const std::string& text)
{
    const size_t n = std::min(text.size(), width - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

} // namespace

bool CEOCUnitData::LoadUnitList(const std::string& directory, const std::string& file, int section)
{
    std::string text;
    if (section < 0 || section >= kSections || !ReadList(directory, file, text))
        return false;
    ParseUnitList(text, section, platform::JoinPath(directory, file));
    return true;
}

void CEOCUnitData::ParseUnitList(const std::string& text, int section, const std::string& file)
{
    if (section < 0 || section >= kSections)
        return;
    CListRange range(file);
    const std::vector<std::string> lines = SplitLines(text);
    for (int u = 0; u < kUnitsPerSection; ++u) {
        const size_t lineIndex = 3 + static_cast<size_t>(u);
        if (lineIndex >= lines.size())
            break;
        CEOCUnit& unit = Unit(section, u);
        unit = CEOCUnit();
        unit.nIndex = u;
        const std::vector<std::string> f = SplitFields(lines[lineIndex]);
        if (f[0].empty())
            break;
        CopyText(unit.szName, sizeof unit.szName, f[0]);
        if (f.size() > 1)
            CopyText(unit.szLabel, sizeof unit.szLabel, f[1]);
        // x, y, cost, predecessor, description, activation minutes, info text id: read until one fails.
        int32_t* targets[] = {
            &unit.nX, &unit.nY, &unit.nCost, nullptr, &unit.nDescription, &unit.nActivationMinutes, &unit.nInfoTextId};
        for (size_t i = 0; i < 7; ++i) {
            const size_t column = 3 + i;
            int64_t read = 0;
            if (column >= f.size() || !ParseInt(f[column], read))
                break;
            const int row = static_cast<int>(lineIndex) + 1;
            const CUnitColumn& c = kUnitColumns[i];
            if (targets[i]) {
                *targets[i] = range.Int(row, c.szName, read, c.nLow, c.nHigh);
                continue;
            }
            // The file names the predecessor by the line of its row; the first unit row is line 4.
            const int64_t predecessor = read > 0 ? read - 4 : read;
            if (predecessor >= kUnitsPerSection || predecessor < -1) {
                range.Refuse(row, c.szName, std::to_string(read) + " names no unit row; none is used");
            } else if (predecessor == u) {
                // A unit cannot wait for itself: it could never be ordered.
                range.Refuse(row, c.szName, std::to_string(read) + " names the unit itself; none is used");
            } else {
                unit.nPredecessor = static_cast<int32_t>(predecessor);
            }
        }
    }
}

bool CEOCUnitData::LoadUnitFactors(const std::string& directory, const std::string& file)
{
    std::string text;
    if (!ReadList(directory, file, text))
        return false;
    ParseUnitFactors(text, platform::JoinPath(directory, file));
    return true;
}

void CEOCUnitData::ParseUnitFactors(const std::string& text, const std::string& file)
{
    CListRange range(file);
    const std::vector<std::string> lines = SplitLines(text);
    size_t next = 3;
    bool ended = false;
    for (int s = 0; s < kSections; ++s) {
        for (int u = 0; u < kUnitsPerSection; ++u) {
            std::array<float, kUnitFactorValues> values{};
            for (int i = 0; i < kUnitFactorValues; ++i)
                values[static_cast<size_t>(i)] = i < 15 ? 100.0f : 0.0f;
            if (!ended && next < lines.size()) {
                const int row = static_cast<int>(next) + 1;
                const std::vector<std::string> f = SplitFields(lines[next++]);
                const bool named = f.size() > 2 && !f[1].empty() && !f[2].empty();
                if (!named) {
                    ended = true;
                } else {
                    for (size_t i = 0; i < kUnitFactorValues; ++i) {
                        double v = 0.0;
                        if (3 + i >= f.size() || !ParseFloat(f[3 + i], v))
                            break;
                        const std::string field = "value " + std::to_string(i + 1);
                        values[i] =
                            i < 15 ? range.Float(row, field.c_str(), v, 0.0f, kMaxFactorPercent, values[i])
                                   : range.Float(row, field.c_str(), v, -kMaxSpareValue, kMaxSpareValue, values[i]);
                    }
                }
            } else {
                ended = true;
            }
            for (int i = 0; i < 15; ++i)
                values[static_cast<size_t>(i)] *= 0.01f;
            m_aFactors[Index(s, u)] = values;
        }
    }
}
