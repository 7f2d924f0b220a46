// Reads the simulation parameters file by line position, with scanf's matching rules over growing strings.
#include "game/sim/IncidentWorld.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Whole numbers are kept within this, so that the rules' sums never overflow.
constexpr long kIntLimit = 1000000;

// A scanner over the whole text that follows the rules of the runtime's formatted input: white space in a format
// skips any white space, "%[^...]" takes at least one character outside the set, "%d" and "%f" skip white space
// first. A call stops at its first failure, leaving the rest of the input where it was.
class CScanner {
public:
    explicit CScanner(std::string text) : m_text(std::move(text)) {}

    // Runs one format; returns the number of conversions made. Text conversions go to `texts`, numbers to
    // `numbers` (as double), both in order.
    int Scan(const char* format, std::vector<std::string>* texts = nullptr, std::vector<double>* numbers = nullptr,
             std::vector<bool>* isInt = nullptr)
    {
        int conversions = 0;
        for (const char* f = format; *f; ++f) {
            if (std::isspace(static_cast<unsigned char>(*f))) {
                SkipSpace();
                continue;
            }
            if (*f != '%') {
                if (m_pos >= m_text.size() || m_text[m_pos] != *f)
                    return conversions;
                ++m_pos;
                continue;
            }
            ++f;
            if (*f == '[') {
                // Only the excluding form is used: %[^...]
                std::string excluded;
                ++f; // '^'
                for (++f; *f && *f != ']'; ++f)
                    excluded += (f[0] == '\\' && f[1] == 'n') ? (++f, '\n') : *f;
                size_t start = m_pos;
                while (m_pos < m_text.size() && excluded.find(m_text[m_pos]) == std::string::npos)
                    ++m_pos;
                if (m_pos == start)
                    return conversions;
                if (texts)
                    texts->push_back(m_text.substr(start, m_pos - start));
                ++conversions;
            } else if (*f == 'd' || *f == 'f') {
                SkipSpace();
                const char* begin = m_text.c_str() + m_pos;
                char* end = nullptr;
                double value;
                errno = 0;
                if (*f == 'd') {
                    long v = std::strtol(begin, &end, 10);
                    value = static_cast<double>(std::clamp<long>(v, -kIntLimit, kIntLimit));
                } else {
                    value = std::strtof(begin, &end);
                }
                if (end == begin)
                    return conversions;
                m_pos += static_cast<size_t>(end - begin);
                if (numbers)
                    numbers->push_back(value);
                if (isInt)
                    isInt->push_back(*f == 'd');
                ++conversions;
            }
        }
        return conversions;
    }

    bool AtEnd() const { return m_pos >= m_text.size(); }
    int Line() const { return 1 + static_cast<int>(std::count(m_text.begin(), m_text.begin() + m_pos, '\n')); }

private:
    void SkipSpace()
    {
        while (m_pos < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_pos])))
            ++m_pos;
    }

    std::string m_text;
    size_t m_pos = 0;
};

// One value read by a format whose last conversion is the value; false when any conversion failed.
class CValueReader {
public:
    explicit CValueReader(CScanner& s) : m_s(s) {}

    bool Float(const char* format, int conversions, float& out)
    {
        double v = 0;
        if (!Value(format, conversions, v))
            return false;
        out = static_cast<float>(v);
        return true;
    }
    bool Int(const char* format, int conversions, int32_t& out)
    {
        double v = 0;
        if (!Value(format, conversions, v))
            return false;
        out = static_cast<int32_t>(v);
        return true;
    }
    void Rest() { m_s.Scan("%[^\n]\n"); }
    void Skip()
    {
        Rest();
        Rest();
    }
    int FailedLine() const { return m_nFailedLine; }

private:
    bool Value(const char* format, int conversions, double& out)
    {
        std::vector<double> numbers;
        if (m_s.Scan(format, nullptr, &numbers) != conversions || numbers.empty()) {
            m_nFailedLine = m_s.Line();
            return false;
        }
        out = numbers.back();
        return true;
    }

    CScanner& m_s;
    int m_nFailedLine = 0;
};

std::string ReadAll(FILE* file)
{
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, n);
    return text;
}

} // namespace

bool ReadIncidentParams(FILE* file, CIncidentParams& out, std::string& error)
{
    if (!file) {
        error = "no file";
        return false;
    }
    CScanner s(ReadAll(file));
    CValueReader r(s);
    CIncidentParams p = out;
    bool ok = true;
    auto fail = [&](const char* what) {
        if (ok)
            error = std::string("the ") + what + " on line " + std::to_string(r.FailedLine()) +
                    " is missing or not a number";
        ok = false;
    };

    r.Rest(); // header
    // Growth steps, thresholds and spread chances: three bands each.
    if (!r.Float("%[^,],%[^,],%f", 3, p.afGrowth[0]) || (r.Rest(), !r.Float(",%[^,],%f", 2, p.afGrowth[1])) ||
        (r.Rest(), !r.Float(",%[^,],%f", 2, p.afGrowth[2])))
        fail("growth step");
    r.Skip();
    if (ok && (!r.Int("%[^,],%[^,],%d", 3, p.anThreshold[0]) || (r.Rest(), !r.Int(",%[^,],%d", 2, p.anThreshold[1])) ||
               (r.Rest(), !r.Int(",%[^,],%d", 2, p.anThreshold[2]))))
        fail("intensity threshold");
    r.Skip();
    if (ok && (!r.Int("%[^,],%[^,],%d", 3, p.anSpread[0]) || (r.Rest(), !r.Int(",%[^,],%d", 2, p.anSpread[1])) ||
               (r.Rest(), !r.Int(",%[^,],%d", 2, p.anSpread[2]))))
        fail("spread chance");
    r.Skip();
    int32_t burnOut = 0;
    if (ok && (!r.Float(",%[^,],%f", 2, p.fWindFactor) || (r.Rest(), !r.Int("%[^,],,%d", 2, burnOut)) ||
               (r.Rest(), !r.Int("%[^,],,%d", 2, p.nFireBatchSize))))
        fail("wind factor, burn-out time or fire batch size");
    // Mended: the burn-out time x 30 is kept within the 16-bit burn counter's range.
    p.nBurnOutTime = std::clamp(burnOut * 30, 0, 32767);
    r.Skip();
    if (ok && (!r.Int("%[^,],%[^,],%d", 3, p.anReaction[0]) || (r.Rest(), !r.Int(",%[^,],%d", 2, p.anReaction[1])) ||
               (r.Rest(), !r.Int(",%[^,],%d", 2, p.anReaction[2]))))
        fail("object reaction chance");
    r.Rest();
    float* scaled[4] = {&p.fSpillDecay1, &p.fSpillDecay2, &p.fFlowThresholdFactor, &p.fFlowAmountFactor};
    for (float* value : scaled) {
        r.Rest();
        if (ok && !r.Float("%[^,],,%f", 2, *value))
            fail("spill decay or flow factor");
        *value = static_cast<float>(*value * 0.01);
    }
    r.Rest();
    if (ok && !r.Float("%[^,],,%f", 2, p.fFlowThresholdBase))
        fail("flow threshold");
    r.Skip();
    if (ok && (!r.Float("%[^,],%[^,],%f", 3, p.afSpillAmount[0]) ||
               (r.Rest(), !r.Float(",%[^,],%f", 2, p.afSpillAmount[1])) ||
               (r.Rest(), !r.Float(",%[^,],%f", 2, p.afSpillAmount[2]))))
        fail("spill amount");
    r.Skip();
    if (ok && (!r.Float("%[^,],%f", 2, p.fObstructionFactor) || (r.Rest(), !r.Int("%[^,],%d", 2, p.nMarkerFlash)) ||
               (r.Rest(), !r.Int("%[^,],%d", 2, p.nMarkerLifetime))))
        fail("obstruction factor or marker time");
    r.Skip();
    r.Rest(); // the table's header
    if (!ok)
        return false;

    // Terrain table: name, second column, resistance, flow weight; an empty second column ends it.
    for (int code = 0; code < 256; ++code) {
        std::vector<std::string> second;
        s.Scan("%[^,]");
        s.Scan(",");
        if (s.Scan("%[^,]", &second) != 1)
            break;
        std::vector<double> numbers;
        s.Scan(",");
        int n = s.Scan("%d", nullptr, &numbers);
        s.Scan(",");
        n += s.Scan("%d", nullptr, &numbers);
        if (n != 2) {
            error = "the terrain row for code " + std::to_string(code) + " on line " + std::to_string(s.Line()) +
                    " has no resistance and flow weight";
            return false;
        }
        p.anResistance[code] = static_cast<int32_t>(numbers[0]);
        p.anFlowWeight[code] = static_cast<int32_t>(numbers[1]);
        r.Rest();
    }
    out = p;
    return true;
}
