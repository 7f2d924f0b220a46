// Reading "L3.ini": six positional key-value lines.
#include "relay/model/L3Settings.h"

#include "platform/system/Paths.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// The words of one line.
std::vector<std::string> SplitWords(const char* begin, const char* end)
{
    std::vector<std::string> words;
    const char* p = begin;
    while (p < end) {
        while (p < end && IsBlank(*p))
            ++p;
        const char* start = p;
        while (p < end && !IsBlank(*p))
            ++p;
        if (p > start)
            words.emplace_back(start, p);
    }
    return words;
}

// atoi without its undefined overflow: leading sign and digits, clamped to int32.
int32_t ParseInt(const std::string& s)
{
    size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        negative = s[i++] == '-';
    int64_t value = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        value = value * 10 + (s[i] - '0');
        if (value > int64_t(INT32_MAX) + 1)
            value = int64_t(INT32_MAX) + 1;
    }
    if (negative)
        return static_cast<int32_t>(-value);
    return static_cast<int32_t>(value > INT32_MAX ? INT32_MAX : value);
}

// atof to single precision; values past the float range become infinities.
float ParseFloat(const std::string& s)
{
    double d = std::strtod(s.c_str(), nullptr);
    if (std::isnan(d))
        return std::numeric_limits<float>::quiet_NaN();
    if (d > FLT_MAX)
        return std::numeric_limits<float>::infinity();
    if (d < -FLT_MAX)
        return -std::numeric_limits<float>::infinity();
    return static_cast<float>(d);
}

} // namespace

int ParseL3ini(const char* text, size_t size, L3_DEMO_STRUCT* L3_data)
{
    if (!text || !L3_data)
        return 0;
    int line = 0, taken = 0;
    const char* p = text;
    const char* end = text + size;
    while (p < end && line < 6) {
        const char* eol = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
        if (!eol)
            eol = end;
        std::vector<std::string> words = SplitWords(p, eol);
        p = eol < end ? eol + 1 : end;
        if (words.empty())
            continue;
        ++line;
        if (words.size() < 2)
            continue;
        const std::string& value = words[1];
        switch (line) {
        case 1: {
            std::string cut = value.substr(0, sizeof L3_data->address - 1);
            std::memset(L3_data->address, 0, sizeof L3_data->address);
            std::memcpy(L3_data->address, cut.data(), cut.size());
            break;
        }
        case 2:
            L3_data->port = ParseInt(value);
            break;
        case 3:
            L3_data->value1 = ParseFloat(value);
            break;
        case 4:
            L3_data->value2 = ParseFloat(value);
            break;
        case 5:
            L3_data->value3 = ParseFloat(value);
            break;
        case 6:
            L3_data->value4 = ParseFloat(value);
            break;
        }
        ++taken;
    }
    return taken;
}

bool LoadL3ini(const char* m_szWorkingDirectory, L3_DEMO_STRUCT* L3_data)
{
    std::string path = platform::JoinPath(m_szWorkingDirectory ? m_szWorkingDirectory : "", "L3.ini");
    FILE* f = platform::OpenFile(path, "rb");
    if (!f)
        return false;
    std::vector<char> text(kL3iniReadLimit);
    size_t got = std::fread(text.data(), 1, text.size(), f);
    std::fclose(f);
    ParseL3ini(text.data(), got, L3_data);
    return true;
}
