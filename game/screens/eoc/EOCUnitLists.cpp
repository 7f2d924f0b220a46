// Reading the EOC unit lists (one CSV per section) and the unit-factor CSV.
#include "game/screens/eoc/EOCUnitData.h"

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

// A decimal integer at the start of the field (blanks first); false for none or one out of range.
bool ParseInt(const std::string& field, int32_t& value)
{
    const char* s = field.c_str();
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(s, &end, 10);
    if (end == s || errno == ERANGE || v < INT32_MIN || v > INT32_MAX)
        return false;
    value = static_cast<int32_t>(v);
    return true;
}

bool ParseFloat(const std::string& field, float& value)
{
    const char* s = field.c_str();
    char* end = nullptr;
    const float v = std::strtof(s, &end);
    if (end == s || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

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
    ParseUnitList(text, section);
    return true;
}

void CEOCUnitData::ParseUnitList(const std::string& text, int section)
{
    if (section < 0 || section >= kSections)
        return;
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
            int32_t value = 0;
            if (column >= f.size() || !ParseInt(f[column], value))
                break;
            if (targets[i]) {
                *targets[i] = value;
            } else {
                // The file names the predecessor by the line of its row; the first unit row is line 4.
                unit.nPredecessor = value > 0 ? value - 4 : value;
                // A unit cannot wait for itself: it could never be ordered.
                if (unit.nPredecessor >= kUnitsPerSection || unit.nPredecessor < -1 || unit.nPredecessor == u)
                    unit.nPredecessor = -1;
            }
        }
    }
}

bool CEOCUnitData::LoadUnitFactors(const std::string& directory, const std::string& file)
{
    std::string text;
    if (!ReadList(directory, file, text))
        return false;
    ParseUnitFactors(text);
    return true;
}

void CEOCUnitData::ParseUnitFactors(const std::string& text)
{
    const std::vector<std::string> lines = SplitLines(text);
    size_t next = 3;
    bool ended = false;
    for (int s = 0; s < kSections; ++s) {
        for (int u = 0; u < kUnitsPerSection; ++u) {
            std::array<float, kUnitFactorValues> values{};
            for (int i = 0; i < kUnitFactorValues; ++i)
                values[static_cast<size_t>(i)] = i < 15 ? 100.0f : 0.0f;
            if (!ended && next < lines.size()) {
                const std::vector<std::string> f = SplitFields(lines[next++]);
                const bool named = f.size() > 2 && !f[1].empty() && !f[2].empty();
                if (!named) {
                    ended = true;
                } else {
                    for (size_t i = 0; i < kUnitFactorValues; ++i) {
                        float v = 0.0f;
                        if (3 + i >= f.size() || !ParseFloat(f[3 + i], v))
                            break;
                        values[i] = v;
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
