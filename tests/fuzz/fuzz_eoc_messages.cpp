// Fuzzes the EOC unit data with arbitrary bytes: a saved block, then the messages 43, 51, 52 and 53 cut from the
// rest; Resource Points stay numbers never below 0, and a saved block loads back as it was saved.
#include "game/screens/eoc/EOCUnitData.h"
#include "core/util/ByteStream.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void CheckPoints(const CEOCUnitData& eoc)
{
    for (const CEOCSection& s : eoc.m_aSections) {
        if (!std::isfinite(s.fResourcePoints) || s.fResourcePoints < 0.0f)
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CEOCUnitData eoc;
    CByteReader in(data, size);
    const bool loaded = eoc.Load(in);
    if (loaded)
        CheckPoints(eoc);
    const uint8_t* rest = loaded ? data + CEOCUnitData::kSaveBlockSize : data;
    const size_t left = loaded ? size - CEOCUnitData::kSaveBlockSize : size;
    eoc.ApplyUnitUpdate(rest, left);
    eoc.ApplyUnitUpdate(rest, std::min(left, kUnitUpdateSize));
    eoc.ApplyResourcePoints(rest, std::min<size_t>(left, kResourcePointsSize));
    eoc.ApplyAllocation(rest, std::min<size_t>(left, kAllocationSize));
    eoc.ApplySectionChiefs(rest, std::min<size_t>(left, kSectionChiefsSize));
    CheckPoints(eoc);
    for (int32_t now : {0, 959, 2359})
        eoc.Tick(now);
    CByteWriter out;
    eoc.Save(out);
    if (out.Size() != CEOCUnitData::kSaveBlockSize)
        std::abort();
    // Loading resets the chiefs to player 0; from then on a block loads back as it was saved.
    CByteWriter twice, thrice;
    for (CByteWriter* target : {&twice, &thrice}) {
        const CByteWriter& source = target == &twice ? out : twice;
        CEOCUnitData again;
        CByteReader back(source.Bytes(), source.Size());
        if (!again.Load(back))
            std::abort();
        again.Save(*target);
    }
    if (std::memcmp(twice.Bytes(), thrice.Bytes(), twice.Size()) != 0)
        std::abort();
    return 0;
}
