// Fuzzes reading the score-rules file from arbitrary text: every rule read stays a finite number.
#include "game/rules/Scoring.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CScoring scoring;
    scoring.ParseScoreRules(std::string(reinterpret_cast<const char*>(data), size));
    for (int rule = 0; rule < kScoreRuleCount; ++rule) {
        if (!std::isfinite(scoring.GetScoreRule(rule)))
            std::abort();
    }
    // Accruing a minute with the rules read keeps the cost a number, never below 0.
    scoring.AccrueRunningCost(0.0167f);
    if (!std::isfinite(scoring.GetCost()) || scoring.GetCost() < 0.0f)
        std::abort();
    return 0;
}
