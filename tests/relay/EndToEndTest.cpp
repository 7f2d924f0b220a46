// Sender and relay exchange real multicast datagrams inside a private network namespace.
#include "RelayFixture.h"

#include "platform/net/PrivateNetwork.h"
#include "relay/model/MultiCast.h"
#include "relay/model/NetSupport.h"
#include "relay/model/Relay.h"

#include <cstring>

namespace {
const char* const kGroup = "239.255.42.99";
constexpr int kPort = 30001;
} // namespace

using EndToEnd = RelayTest;

TEST_F(EndToEnd, RelayWritesWhatTheSimulatorSends)
{
    RUN_IN_PRIVATE_NETWORK([this] {
        WriteText("L3.ini",
                  std::string("Address ") + kGroup + "\nPort " + std::to_string(kPort) + "\nV1 0\nV2 0\nV3 0\nV4 0\n");
        CMultiCastSender sender(IPStringToLong(kGroup), kPort, 0, 1, 0, 0);
        ASSERT_EQ(sender.good, 1) << Console();

        struct Step {
            std::vector<char> datagram;
            const char* file;
        };
        std::vector<Step> steps = {
            {MakeDatagram(2048, 1.5f, -2.25f), "1.500000,-2.250000"},
            {MakeDatagram(2049, 9.0f, 9.0f), "1.500000,-2.250000"},
            {MakeDatagram(2047, 9.0f, 9.0f), "1.500000,-2.250000"},
            {MakeDatagram(2048, 3.0f, 4.0f), "3.000000,4.000000"},
        };
        size_t call = 0;
        CRelayOptions options;
        options.receiveTimeoutMs = 5000; // a lost datagram fails the step instead of hanging
        // Asked before each pass: check what the last pass wrote, then send the next datagram.
        options.stop = [&] {
            if (call > 0) {
                EXPECT_EQ(ReadFileText(PathIn("L3_XY_FILE")), steps[call - 1].file) << "after datagram " << call;
            }
            if (call == steps.size())
                return true;
            const auto& d = steps[call++].datagram;
            EXPECT_TRUE(sender.Send(d.data(), int(d.size()))) << sender.errorCode();
            return false;
        };
        EXPECT_EQ(PelmoraMain(Folder(), options), 0);
        EXPECT_EQ(call, steps.size());
        const std::string console = Console();
        EXPECT_NE(console.find("XPos: 1.500000 YPos: -2.250000 \n"), std::string::npos) << console;
        EXPECT_NE(console.find("recvfrom returned SOCKET_ERROR EMSGSIZE"), std::string::npos) << console;
        EXPECT_NE(console.find("multicast receive error; result= -1 \n"), std::string::npos) << console;
        EXPECT_NE(console.find("XPos: 3.000000 YPos: 4.000000 \n"), std::string::npos) << console;
    });
}

TEST_F(EndToEnd, FramesCrossInTwoPackets)
{
    RUN_IN_PRIVATE_NETWORK([this] {
        uint32_t group = IPStringToLong(kGroup);
        CMultiCastReceiver receiver(group, kPort, 0, 0, 0);
        ASSERT_EQ(receiver.good, 1) << Console();
        ASSERT_TRUE(receiver.socket().SetReceiveTimeout(5000));
        CMultiCastSender sender(group, kPort, 0, 0, 0, 0);
        ASSERT_EQ(sender.good, 1) << Console();

        for (int n = 0; n < 3; ++n) {
            std::vector<char> frame = MakeDatagram(kFrameSize, float(n), float(-n));
            ASSERT_TRUE(sender.SendFrame(frame.data(), kFrameSize));
            unsigned char out[kFrameSize] = {};
            char packet[4096];
            int number = -1, done = 0;
            for (int packets = 0; packets < 2; ++packets) {
                int got = receiver.receive(packet, sizeof packet);
                ASSERT_GT(got, 0);
                done = receiver.ReceiveFrame(out, &number, reinterpret_cast<unsigned char*>(packet), got);
            }
            EXPECT_EQ(done, 1);
            EXPECT_EQ(number, n);
            EXPECT_EQ(std::memcmp(out, frame.data(), kFrameSize), 0);
        }
        EXPECT_EQ(receiver.frames().LostPackets(), 0);
        EXPECT_EQ(receiver.frames().SequenceErrors(), 0);
    });
}

TEST_F(EndToEnd, SenderOnAGivenInterface)
{
    RUN_IN_PRIVATE_NETWORK([this] {
        uint32_t group = IPStringToLong(kGroup);
        CMultiCastReceiver receiver(group, kPort, 0x7F000001u, 0, 0);
        ASSERT_EQ(receiver.good, 1) << Console();
        ASSERT_TRUE(receiver.socket().SetReceiveTimeout(5000));
        CMultiCastSender sender(group, kPort, 0x7F000001u, 0, 0, 0);
        ASSERT_EQ(sender.good, 1) << Console();
        ASSERT_TRUE(sender.Send("abc", 3));
        char buffer[16] = {};
        EXPECT_EQ(receiver.receive(buffer, sizeof buffer), 3);
        EXPECT_STREQ(buffer, "abc");
        // A time-to-live past 255 is refused.
        CMultiCastSender bad(group, kPort + 1, 0, 300, 0, 0);
        EXPECT_EQ(bad.good, 0);
        EXPECT_NE(Console().find("CMultiCastSender IP_MULTICAST_TTL error: EINVAL"), std::string::npos);
    });
}
