// The simulation's random generator: the runtime's sequence for a seed, its state saved and given back, and
// states no seeding reaches refused.
#include "game/sim/SimRandom.h"

#include "core/util/ByteStream.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

std::vector<int> Draws(CSimRandom& random, int count)
{
    std::vector<int> out;
    for (int i = 0; i < count; ++i)
        out.push_back(random.Next());
    return out;
}

TEST(SimRandomTest, DrawsWhatTheRuntimesRandDrawsForTheSameSeed)
{
    CSimRandom unseeded;
    EXPECT_EQ(Draws(unseeded, 3), (std::vector<int>{1804289383, 846930886, 1681692777}));
    // Seeds past 2^31 are taken as negative numbers, 0 as 1.
    for (uint32_t seed : {0u, 1u, 7u, 12345u, 1700000000u, 0x7FFFFFFEu, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
        CSimRandom random;
        random.Seed(seed);
        const std::vector<int> ours = Draws(random, 1000);
#ifdef __GLIBC__
        std::srand(seed);
        for (size_t i = 0; i < ours.size(); ++i)
            ASSERT_EQ(ours[i], std::rand()) << "seed " << seed << " draw " << i;
#endif
        for (int value : ours)
            ASSERT_GE(value, 0);
    }
    CSimRandom zero, one;
    zero.Seed(0);
    one.Seed(1);
    EXPECT_EQ(Draws(zero, 50), Draws(one, 50));
}

TEST(SimRandomTest, ASavedStateGivenBackDrawsWhatTheSavedOneWould)
{
    CSimRandom random;
    random.Seed(99);
    Draws(random, 517); // the slot somewhere inside the ring
    CByteWriter out;
    WriteSimRandomState(out, random.State());
    ASSERT_EQ(out.Size(), kSimRandomStateSize);
    const std::vector<int> ahead = Draws(random, 200);

    CSimRandom other;
    other.Seed(4);
    CSimRandomState read;
    CByteReader in(out.Bytes(), out.Size());
    ASSERT_TRUE(ReadSimRandomState(in, read));
    EXPECT_EQ(in.Remaining(), 0u);
    ASSERT_TRUE(other.SetState(read));
    EXPECT_EQ(Draws(other, 200), ahead);
}

TEST(SimRandomTest, StatesNoSeedingReachesAreRefusedAndChangeNothing)
{
    CSimRandom random;
    random.Seed(5);
    const CSimRandomState good = random.State();
    CSimRandomState slotPast = good, slotFar = good, allZero;
    slotPast.uNext = CSimRandomState::kWords;
    slotFar.uNext = 0xFFFFFFFFu;
    for (const CSimRandomState& bad : {slotPast, slotFar, allZero}) {
        EXPECT_FALSE(random.SetState(bad));
        EXPECT_EQ(random.State(), good);
        CByteWriter out;
        WriteSimRandomState(out, bad);
        CByteReader in(out.Bytes(), out.Size());
        CSimRandomState read = good;
        EXPECT_FALSE(ReadSimRandomState(in, read));
        EXPECT_EQ(read, good);
    }
    // Cut short by a byte.
    CByteWriter out;
    WriteSimRandomState(out, good);
    CByteReader in(out.Bytes(), out.Size() - 1);
    CSimRandomState read;
    EXPECT_FALSE(ReadSimRandomState(in, read));
    EXPECT_EQ(read, CSimRandomState());
}

TEST(SimRandomTest, TheSimulationsDrawsComeFromItsGeneratorUnlessScripted)
{
    SeedSimRandom(3);
    const CSimRandomState start = GetSimRandomState();
    CSimRandom same;
    same.Seed(3);
    EXPECT_EQ(SimRand(), same.Next());
    {
        CSimRandomScope scripted([] { return 42; });
        EXPECT_EQ(SimRand(), 42);
    }
    // A scripted draw leaves the generator where it was.
    EXPECT_EQ(SimRand(), same.Next());
    ASSERT_TRUE(SetSimRandomState(start));
    CSimRandom again;
    again.Seed(3);
    EXPECT_EQ(SimRand(), again.Next());
}

} // namespace
