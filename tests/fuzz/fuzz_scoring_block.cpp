// Fuzz target: a saved game's scoring block (clock state, score totals, statistics) loaded from arbitrary bytes;
// what loads saves back to a block that loads again, and the clock then runs a day of play without fault.
#include "core/util/ByteStream.h"
#include "game/rules/Scoring.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CScoring scoring;
    CByteReader in(data, size);
    if (!scoring.LoadState(in))
        return 0;
    CByteWriter out;
    scoring.SaveState(out);
    CScoring again;
    CByteReader back(out.Bytes(), out.Size());
    if (out.Size() != kScoringBlockSize || !again.LoadState(back))
        __builtin_trap();
    for (int step = 0; step < 24 * 60 * 30; step += 7) {
        scoring.GameStep(0);
        scoring.AddCost(1.0e30f);
        scoring.AddStat(kStatAnnoyableTicks);
    }
    (void)scoring.GetFinalScore();
    return 0;
}
