// Reads the simulation parameters file by line position, with scanf's matching rules over growing strings.
#include "game/sim/IncidentWorld.h"
#include "core/persist/DataRange.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The range each value's use implies, and the name a report gives it.
struct CParamRange {
    const char* szName;
    double fLow, fHigh;
};

constexpr CParamRange kGrowth{"Fire growth", -100, 100};
constexpr CParamRange kThreshold{"Fire threshold", 0, 1000};
constexpr CParamRange kSpread{"Spread chance", 0, 100};
constexpr CParamRange kWind{"Wind factor", -100, 100};
constexpr CParamRange kBurnOut{"Burn-out time", 0, 32767 / 30}; // x 30 fits the 16-bit burn counter
constexpr CParamRange kBatch{"Fire batch size", 0, 10000};
constexpr CParamRange kReaction{"Object reaction", 0, 100};
constexpr CParamRange kScaled[4] = {{"Spill decay 1", 0, 100},
                                    {"Spill decay 2", 0, 100},
                                    {"Flow threshold factor", 0, 1000},
                                    {"Flow amount factor", 0, 100}};
constexpr CParamRange kFlowBase{"Flow threshold base", 0, 1.0e6};
constexpr CParamRange kSpill{"Spill amount", 0, 1.0e6};
constexpr CParamRange kObstruction{"Obstruction factor", 0, 1000};
constexpr CParamRange kMarker{"Marker time", 0, 32767}; // kept in 16-bit counters
constexpr CParamRange kResistance{"Resistance", 0, 100};
constexpr CParamRange kFlowWeight{"Flow weight", 0, 1000};

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
                // Numbers as read (saturated at the limits of the conversion); their ranges are checked later.
                if (*f == 'd')
                    value = static_cast<double>(std::strtoll(begin, &end, 10));
                else
                    value = std::strtod(begin, &end);
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
// Every value is kept within its range; one out of it is clamped and reported once.
class CValueReader {
public:
    CValueReader(CScanner& s, CListRange& range) : m_s(s), m_range(range) {}

    bool Float(const char* format, int conversions, float& out, const CParamRange& range)
    {
        double v = 0;
        if (!Value(format, conversions, v))
            return false;
        out = m_range.Float(m_s.Line(), range.szName, v, static_cast<float>(range.fLow),
                            static_cast<float>(range.fHigh), static_cast<float>(range.fLow));
        return true;
    }
    bool Int(const char* format, int conversions, int32_t& out, const CParamRange& range)
    {
        double v = 0;
        if (!Value(format, conversions, v))
            return false;
        out = Checked(v, range, m_s.Line());
        return true;
    }
    int32_t Checked(double v, const CParamRange& range, int line)
    {
        const int64_t whole = static_cast<int64_t>(std::clamp(v, -1.0e18, 1.0e18));
        return m_range.Int(line, range.szName, whole, static_cast<int32_t>(range.fLow),
                           static_cast<int32_t>(range.fHigh));
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
    CListRange& m_range;
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

bool ReadIncidentParams(FILE* file, CIncidentParams& out, std::string& error, const std::string& name)
{
    if (!file) {
        error = "no file";
        return false;
    }
    CScanner s(ReadAll(file));
    CListRange range(name);
    CValueReader r(s, range);
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
    if (!r.Float("%[^,],%[^,],%f", 3, p.afGrowth[0], kGrowth) ||
        (r.Rest(), !r.Float(",%[^,],%f", 2, p.afGrowth[1], kGrowth)) ||
        (r.Rest(), !r.Float(",%[^,],%f", 2, p.afGrowth[2], kGrowth)))
        fail("growth step");
    r.Skip();
    if (ok && (!r.Int("%[^,],%[^,],%d", 3, p.anThreshold[0], kThreshold) ||
               (r.Rest(), !r.Int(",%[^,],%d", 2, p.anThreshold[1], kThreshold)) ||
               (r.Rest(), !r.Int(",%[^,],%d", 2, p.anThreshold[2], kThreshold))))
        fail("intensity threshold");
    r.Skip();
    if (ok && (!r.Int("%[^,],%[^,],%d", 3, p.anSpread[0], kSpread) ||
               (r.Rest(), !r.Int(",%[^,],%d", 2, p.anSpread[1], kSpread)) ||
               (r.Rest(), !r.Int(",%[^,],%d", 2, p.anSpread[2], kSpread))))
        fail("spread chance");
    r.Skip();
    int32_t burnOut = 0;
    if (ok &&
        (!r.Float(",%[^,],%f", 2, p.fWindFactor, kWind) || (r.Rest(), !r.Int("%[^,],,%d", 2, burnOut, kBurnOut)) ||
         (r.Rest(), !r.Int("%[^,],,%d", 2, p.nFireBatchSize, kBatch))))
        fail("wind factor, burn-out time or fire batch size");
    p.nBurnOutTime = burnOut * 30;
    r.Skip();
    if (ok && (!r.Int("%[^,],%[^,],%d", 3, p.anReaction[0], kReaction) ||
               (r.Rest(), !r.Int(",%[^,],%d", 2, p.anReaction[1], kReaction)) ||
               (r.Rest(), !r.Int(",%[^,],%d", 2, p.anReaction[2], kReaction))))
        fail("object reaction chance");
    r.Rest();
    float* scaled[4] = {&p.fSpillDecay1, &p.fSpillDecay2, &p.fFlowThresholdFactor, &p.fFlowAmountFactor};
    for (size_t i = 0; i < 4; ++i) {
        float* value = scaled[i];
        r.Rest();
        if (ok && !r.Float("%[^,],,%f", 2, *value, kScaled[i]))
            fail("spill decay or flow factor");
        *value = static_cast<float>(*value * 0.01);
    }
    r.Rest();
    if (ok && !r.Float("%[^,],,%f", 2, p.fFlowThresholdBase, kFlowBase))
        fail("flow threshold");
    r.Skip();
    if (ok && (!r.Float("%[^,],%[^,],%f", 3, p.afSpillAmount[0], kSpill) ||
               (r.Rest(), !r.Float(",%[^,],%f", 2, p.afSpillAmount[1], kSpill)) ||
               (r.Rest(), !r.Float(",%[^,],%f", 2, p.afSpillAmount[2], kSpill))))
        fail("spill amount");
    r.Skip();
    if (ok && (!r.Float("%[^,],%f", 2, p.fObstructionFactor, kObstruction) ||
               (r.Rest(), !r.Int("%[^,],%d", 2, p.nMarkerFlash, kMarker)) ||
               (r.Rest(), !r.Int("%[^,],%d", 2, p.nMarkerLifetime, kMarker))))
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
        p.anResistance[code] = r.Checked(numbers[0], kResistance, s.Line());
        p.anFlowWeight[code] = r.Checked(numbers[1], kFlowWeight, s.Line());
        r.Rest();
    }
    out = p;
    return true;
}
