// Frames in two packets: the split, reassembly, lost packets, sequence errors and short packets.
#include "RelayFixture.h"

#include "relay/model/ByteOrder.h"
#include "relay/model/FrameReassembly.h"

#include <cstring>

namespace {

std::vector<unsigned char> FrameData(int seed)
{
    std::vector<unsigned char> f(kFrameSize);
    for (int i = 0; i < kFrameSize; ++i)
        f[size_t(i)] = static_cast<unsigned char>(i * 13 + seed);
    return f;
}

} // namespace

using Frames = RelayTest;

TEST_F(Frames, SplitGivesABareHalfAndAHeaderedHalf)
{
    auto data = FrameData(1);
    std::vector<unsigned char> first, second;
    SplitFrame(data.data(), kFrameSize, 0x01020304, &first, &second);
    ASSERT_EQ(first.size(), size_t(kFrameHalfSize));
    ASSERT_EQ(second.size(), size_t(kFrameSecondPacketSize));
    const unsigned char header[8] = {0x08, 0x04, 0x00, 0x00, 0x04, 0x03, 0x02, 0x01};
    EXPECT_EQ(std::memcmp(second.data(), header, 8), 0);
    EXPECT_EQ(std::memcmp(second.data() + 8, data.data() + kFrameHalfSize, kFrameHalfSize), 0);
}

TEST_F(Frames, ReassemblesConsecutiveFrames)
{
    CFrameReassembly r;
    for (int n = 5; n < 9; ++n) {
        auto data = FrameData(n);
        std::vector<unsigned char> first, second;
        SplitFrame(data.data(), kFrameSize, n, &first, &second);
        unsigned char out[kFrameSize] = {};
        int number = -1;
        EXPECT_EQ(r.ReceiveFrame(out, &number, first.data(), int(first.size())), 0);
        EXPECT_EQ(r.ReceiveFrame(out, &number, second.data(), int(second.size())), 1);
        EXPECT_EQ(number, n);
        EXPECT_EQ(std::memcmp(out, data.data(), kFrameSize), 0);
    }
    EXPECT_EQ(r.LostPackets(), 0);
    EXPECT_EQ(r.SequenceErrors(), 0);
    r.PrintStats();
    EXPECT_EQ(Console(), "");
}

TEST_F(Frames, LostHalvesAndGapsAreCounted)
{
    CFrameReassembly r;
    unsigned char out[kFrameSize];
    int number = -1;
    auto send = [&](int n, bool withFirst, bool withSecond) {
        auto data = FrameData(n);
        std::vector<unsigned char> first, second;
        SplitFrame(data.data(), kFrameSize, n, &first, &second);
        int done = 0;
        if (withFirst)
            done += r.ReceiveFrame(out, &number, first.data(), int(first.size()));
        if (withSecond)
            done += r.ReceiveFrame(out, &number, second.data(), int(second.size()));
        return done;
    };
    EXPECT_EQ(send(1, true, true), 1);
    EXPECT_EQ(send(2, false, true), 0); // second half alone
    EXPECT_EQ(send(3, true, false), 0); // first half alone ...
    EXPECT_EQ(send(4, true, true), 1);  // ... shows when the next first half comes
    EXPECT_EQ(r.LostPackets(), 2);
    EXPECT_EQ(send(5, true, true), 1); // frames 1, 4, 5: not consecutive
    EXPECT_EQ(r.SequenceErrors(), 1);
    EXPECT_EQ(send(6, true, true), 1); // 4, 5, 6
    EXPECT_EQ(r.SequenceErrors(), 1);
    // Only the first of each is printed.
    EXPECT_EQ(Console(), " Multicast packet lost, _frame_cnt= 1 Multicast receive sequence error. _frame_cnt= 3");
    ClearConsole();
    r.PrintStats();
    EXPECT_EQ(Console(), " Multicast receive lost packets: 2 sequence errors 1 ");
    ClearConsole();
    r.ResetCounters();
    r.PrintStats();
    EXPECT_EQ(Console(), "");
}

TEST_F(Frames, ShortOrMislabelledSecondHalvesAreNotTaken)
{
    auto data = FrameData(9);
    std::vector<unsigned char> first, second;
    SplitFrame(data.data(), kFrameSize, 9, &first, &second);
    unsigned char out[kFrameSize] = {};
    int number = -1;
    CFrameReassembly r;
    ASSERT_EQ(r.ReceiveFrame(out, &number, first.data(), kFrameHalfSize), 0);
    // The header promises 1,032 bytes but fewer came: the old code copied 1,024 bytes regardless.
    EXPECT_EQ(r.ReceiveFrame(out, &number, second.data(), kFrameSecondPacketSize - 1), 0);
    auto longer = second;
    longer.push_back(0);
    EXPECT_EQ(r.ReceiveFrame(out, &number, longer.data(), int(longer.size())), 0);
    auto relabelled = second;
    WriteInt32LE(relabelled.data(), 100);
    EXPECT_EQ(r.ReceiveFrame(out, &number, relabelled.data(), int(relabelled.size())), 0);
    EXPECT_EQ(number, -1);
    // The true second half still completes the frame.
    EXPECT_EQ(r.ReceiveFrame(out, &number, second.data(), int(second.size())), 1);
    EXPECT_EQ(std::memcmp(out, data.data(), kFrameSize), 0);
    EXPECT_EQ(r.LostPackets(), 0);
}
