// Fuzzes scoring a scenario's score table ("<stem> Scores.csv") given as arbitrary text, with counts that make
// every category compute; the totals stay finite and the log holds no number that is not one.
#include "game/rules/Scoring.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

class Host : public IScoringHost {
public:
    int32_t GetActivationTime(int32_t section, int32_t unit) const override { return 930 + section * 7 + unit; }
    int32_t GetFacilityTime(int32_t facility) const override { return facility % 2 ? 0 : 1000 + facility; }
    float GetResourcePoints(int32_t section) const override { return 10.5f * section; }
    int32_t GetIAPPenalty() const override { return 7; }
    int32_t CountBurningTiles() const override { return 3; }
    int32_t CountChemicalTiles() const override { return 2; }
    int32_t CountVisibleSpills() const override { return 1; }
    int32_t CountObjects(int32_t type, bool) const override { return type % 3; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Host host;
    CScoring scoring;
    scoring.SetHost(&host);
    scoring.SetStart(930);
    for (int i = 0; i < 30 * 45; ++i)
        scoring.UpdateClock();
    for (int stat = 0; stat < kStatCount; ++stat)
        scoring.SetStat(static_cast<EScoreStat>(stat), stat % 5);
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string log = scoring.ComputeScores(text, "fuzz Scores.csv");
    for (int total = 0; total < kScoreCount; ++total) {
        if (!std::isfinite(scoring.GetTotal(static_cast<EScoreTotal>(total))))
            std::abort();
    }
    if (log.find("Resource Points Remaining\n") == std::string::npos || log.find("nan%") != std::string::npos)
        std::abort();
    return 0;
}
