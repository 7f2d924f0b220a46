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

// Four decimal numbers 0-255 joined by dots, and nothing more.
bool IsDottedQuad(const char* text)
{
    const char* p = text;
    for (int part = 0; part < 4; ++part) {
        if (part > 0 && *p++ != '.')
            return false;
        int value = 0, digits = 0;
        for (; *p >= '0' && *p <= '9'; ++p, ++digits) {
            value = value * 10 + (*p - '0');
            if (digits >= 3 || value > 255)
                return false;
        }
        if (digits == 0)
            return false;
    }
    return *p == '\0';
}

} // namespace

bool CheckL3Settings(const L3_DEMO_STRUCT& settings, std::string& error)
{
    char address[sizeof settings.address + 1] = {};
    std::memcpy(address, settings.address, sizeof settings.address);
    // Old behaviour: a port of 0 (or not a number) bound a random port and waited silently; an address of five
    // parts was taken as its first four.
    if (!IsDottedQuad(address)) {
        error = std::string("L3.ini: the address \"") + address + "\" is not four numbers from 0 to 255 joined by dots";
        return false;
    }
    if (settings.port < 1 || settings.port > 65535) {
        error = "L3.ini: the port must be a number from 1 to 65535 (read as " + std::to_string(settings.port) + ")";
        return false;
    }
    return true;
}

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
