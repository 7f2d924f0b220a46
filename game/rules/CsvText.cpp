// Bounded line and field reading for the rules' CSV files.
#include "game/rules/CsvText.h"

#include "core/util/TextLine.h"

#include "platform/system/Paths.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace rules_csv {

bool ReadTextFile(const std::string& path, std::string& text)
{
    return ::ReadTextFile(path, text, kMaxFileBytes);
}

bool CLineReader::Next(std::string& line)
{
    line.clear();
    if (AtEnd())
        return false;
    size_t end = m_text.find('\n', m_nPos);
    if (end == std::string::npos)
        end = m_text.size();
    line.assign(m_text, m_nPos, end - m_nPos);
    m_nPos = end + 1;
    ++m_nLine;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

bool CLineReader::Skip()
{
    std::string line;
    return Next(line);
}

CFields::CFields(const std::string& line)
{
    size_t start = 0;
    while (m_aFields.size() < kMaxFields) {
        const size_t comma = line.find(',', start);
        if (comma == std::string::npos) {
            m_aFields.emplace_back(line, start);
            break;
        }
        m_aFields.emplace_back(line, start, comma - start);
        start = comma + 1;
    }
}

const std::string& CFields::Text(size_t index) const
{
    static const std::string empty;
    return index < m_aFields.size() ? m_aFields[index] : empty;
}

float CFields::Float(size_t index) const
{
    const std::string& text = Text(index);
    if (text.empty())
        return 0.0f;
    char* end = nullptr;
    const float value = std::strtof(text.c_str(), &end);
    if (end == text.c_str() || !std::isfinite(value))
        return 0.0f;
    return value;
}

int32_t CFields::Int(size_t index) const
{
    const std::string& text = Text(index);
    if (text.empty())
        return 0;
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (end == text.c_str())
        return 0;
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

bool CFields::Number(size_t index, double& value) const
{
    const std::string& text = Text(index);
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (end == text.c_str())
        return false;
    value = v;
    return true;
}

} // namespace rules_csv
