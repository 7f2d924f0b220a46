// The instant of play after a saved game's blocks: its random state kept and checked, and the older record
// without it still read.
#include "game/app/PlayInstant.h"
#include "game/app/SavedGame.h"

#include "core/util/ByteStream.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

CPlayInstant Sample()
{
    CPlayInstant instant;
    instant.uModeBits = kModeIAPReview;
    for (size_t i = 0; i < instant.aSinceFired.size(); ++i)
        instant.aSinceFired[i] = static_cast<uint32_t>(7 * i + 1);
    CSimRandom random;
    random.Seed(21);
    for (int i = 0; i < 40; ++i)
        random.Next();
    instant.random = random.State();
    return instant;
}

std::vector<uint8_t> Bytes(const CPlayInstant& instant)
{
    CByteWriter out;
    WritePlayInstant(out, instant);
    return std::vector<uint8_t>(out.Bytes(), out.Bytes() + out.Size());
}

void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

TEST(PlayInstantTest, TheRandomStateReadsBackAfterTheBlocks)
{
    const CPlayInstant saved = Sample();
    const std::vector<uint8_t> bytes = Bytes(saved);
    ASSERT_EQ(bytes.size(), kPlayInstantSize);
    CByteReader in(bytes.data(), bytes.size());
    CPlayInstant read;
    ASSERT_TRUE(ReadSaveTail(in, nullptr, nullptr, read));
    EXPECT_EQ(read.uModeBits, saved.uModeBits);
    EXPECT_EQ(read.aSinceFired, saved.aSinceFired);
    ASSERT_TRUE(read.random.has_value());
    EXPECT_EQ(*read.random, *saved.random);
}

TEST(PlayInstantTest, AnOlderRecordWithoutTheRandomStateIsRead)
{
    CPlayInstant older = Sample();
    older.random.reset();
    const std::vector<uint8_t> bytes = Bytes(older);
    ASSERT_EQ(bytes.size(), kPlayInstantSizeV1);
    CByteReader in(bytes.data(), bytes.size());
    CPlayInstant read = Sample();
    ASSERT_TRUE(ReadSaveTail(in, nullptr, nullptr, read));
    EXPECT_EQ(read.aSinceFired, older.aSinceFired);
    EXPECT_FALSE(read.random.has_value());
}

TEST(PlayInstantTest, ADamagedRandomStateIsRefusedAndNothingSet)
{
    const std::vector<uint8_t> good = Bytes(Sample());
    const size_t words = kPlayInstantSizeV1;
    const size_t slot = kPlayInstantSize - 4;
    std::vector<std::vector<uint8_t>> cases;
    cases.push_back(good);
    Put32(cases.back(), slot, CSimRandomState::kWords); // a slot past the words
    cases.push_back(good);
    for (size_t at = words; at < slot; at += 4) // every word 0
        Put32(cases.back(), at, 0);
    cases.push_back(std::vector<uint8_t>(good.begin(), good.end() - 1)); // cut short
    cases.push_back(good);
    Put32(cases.back(), 0, kPlayInstantTagV1); // the older tag before a random state: bytes left over
    for (size_t i = 0; i < cases.size(); ++i) {
        CByteReader in(cases[i].data(), cases[i].size());
        CPlayInstant read;
        read.uModeBits = kModeIAPApproval;
        EXPECT_FALSE(ReadPlayInstant(in, read) && in.Remaining() == 0) << "case " << i;
        CByteReader tail(cases[i].data(), cases[i].size());
        EXPECT_FALSE(ReadSaveTail(tail, nullptr, nullptr, read)) << "case " << i;
    }
    // A refused record sets nothing.
    CByteReader in(cases[0].data(), cases[0].size());
    CPlayInstant read;
    read.uModeBits = kModeIAPApproval;
    EXPECT_FALSE(ReadPlayInstant(in, read));
    EXPECT_EQ(read.uModeBits, kModeIAPApproval);
    EXPECT_FALSE(read.random.has_value());
}

} // namespace
