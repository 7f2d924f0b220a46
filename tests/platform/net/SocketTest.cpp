// The UDP socket layer: error names, loopback send and receive, truncation, waits, multicast membership.
#include "platform/net/Addresses.h"
#include "platform/net/ErrorNames.h"
#include "platform/net/PrivateNetwork.h"
#include "platform/net/Socket.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <vector>

using namespace platform::net;

namespace {

// A socket bound to 127.0.0.1 on a port the system picks.
UdpSocket BoundLoopbackSocket(int* port)
{
    UdpSocket s;
    EXPECT_TRUE(s.Open());
    EXPECT_TRUE(s.Bind(kLoopbackAddress, 0)) << s.LastError();
    *port = s.LocalPort();
    EXPECT_GT(*port, 0);
    return s;
}

} // namespace

TEST(ErrorNames, KnownAndUnknownCodes)
{
    struct Case {
        int code;
        const char* name;
    } cases[] = {
        {EADDRINUSE, "EADDRINUSE"},
        {EMSGSIZE, "EMSGSIZE"},
        {ECONNREFUSED, "ECONNREFUSED"},
        {EWOULDBLOCK, "EAGAIN"},
        {ENODEV, "ENODEV"},
        {0, nullptr},
        {-1, nullptr},
        {99999, nullptr},
    };
    for (const auto& c : cases) {
        const char* got = ErrorName(c.code);
        if (c.name)
            EXPECT_STREQ(got, c.name) << c.code;
        else
            EXPECT_EQ(got, nullptr) << c.code;
    }
}

TEST(UdpSocket, SendsAndReceivesOnLoopback)
{
    int port = 0;
    UdpSocket receiver = BoundLoopbackSocket(&port);
    UdpSocket sender;
    ASSERT_TRUE(sender.Open());
    const char text[] = "position";
    ASSERT_EQ(sender.SendTo({kLoopbackAddress, uint16_t(port)}, text, sizeof text), int(sizeof text));
    ASSERT_EQ(receiver.WaitReadable(5000000), WaitResult::Ready);
    char buffer[64] = {};
    SocketAddress from;
    EXPECT_EQ(receiver.ReceiveFrom(buffer, sizeof buffer, &from), int(sizeof text));
    EXPECT_STREQ(buffer, text);
    EXPECT_EQ(from.address, kLoopbackAddress);
}

TEST(UdpSocket, LongerDatagramFailsWithMessageSize)
{
    int port = 0;
    UdpSocket receiver = BoundLoopbackSocket(&port);
    ASSERT_TRUE(receiver.SetReceiveTimeout(5000));
    UdpSocket sender;
    ASSERT_TRUE(sender.Open());
    for (int length : {2049, 2048, 2047}) {
        std::vector<char> data(size_t(length), 'x');
        ASSERT_EQ(sender.SendTo({kLoopbackAddress, uint16_t(port)}, data.data(), length), length);
    }
    std::vector<char> buffer(2048);
    EXPECT_EQ(receiver.ReceiveFrom(buffer.data(), 2048), -1);
    EXPECT_EQ(receiver.LastError(), EMSGSIZE);
    EXPECT_EQ(buffer[2047], 'x'); // the first part is still delivered
    EXPECT_EQ(receiver.ReceiveFrom(buffer.data(), 2048), 2048);
    EXPECT_EQ(receiver.ReceiveFrom(buffer.data(), 2048), 2047);
}

TEST(UdpSocket, WaitsAndReceiveTimeOutEndWithoutData)
{
    int port = 0;
    UdpSocket s = BoundLoopbackSocket(&port);
    EXPECT_EQ(s.WaitReadable(0), WaitResult::TimedOut);
    EXPECT_EQ(s.WaitReadable(300), WaitResult::TimedOut);
    ASSERT_TRUE(s.SetReceiveTimeout(1));
    char c;
    EXPECT_EQ(s.ReceiveFrom(&c, 1), -1);
    EXPECT_TRUE(s.LastError() == EAGAIN || s.LastError() == EWOULDBLOCK);
}

TEST(UdpSocket, RefusesBadArgumentsAndClosedUse)
{
    UdpSocket s;
    char c = 0;
    EXPECT_EQ(s.SendTo({kLoopbackAddress, 9}, &c, 1), -1);
    EXPECT_EQ(s.LastError(), EBADF);
    EXPECT_EQ(s.WaitReadable(0), WaitResult::Error);
    ASSERT_TRUE(s.Open());
    EXPECT_FALSE(s.Bind(kLoopbackAddress, 70000));
    EXPECT_EQ(s.LastError(), EINVAL);
    EXPECT_FALSE(s.SetMulticastTtl(256));
    EXPECT_EQ(s.ReceiveFrom(nullptr, 10), -1);
    EXPECT_FALSE(s.JoinGroup(0x0A000001u, kAnyAddress)); // 10.0.0.1 is no group
    EXPECT_EQ(s.LastError(), EINVAL);
}

TEST(UdpSocket, MulticastOnTheDefaultInterface)
{
    RUN_IN_PRIVATE_NETWORK([] {
        const uint32_t group = 0xEFFF2A63u; // 239.255.42.99
        UdpSocket receiver;
        ASSERT_TRUE(receiver.Open());
        ASSERT_TRUE(receiver.SetReuseAddress(true));
        ASSERT_TRUE(receiver.Bind(kAnyAddress, 30001));
        ASSERT_TRUE(receiver.JoinGroup(group, kAnyAddress)) << ErrorName(receiver.LastError());
        ASSERT_TRUE(receiver.SetReceiveTimeout(5000));

        UdpSocket sender;
        ASSERT_TRUE(sender.Open());
        ASSERT_TRUE(sender.SetMulticastTtl(0));
        const char text[] = "to the group";
        ASSERT_EQ(sender.SendTo({group, 30001}, text, sizeof text), int(sizeof text));
        char buffer[64] = {};
        EXPECT_EQ(receiver.ReceiveFrom(buffer, sizeof buffer), int(sizeof text));
        EXPECT_STREQ(buffer, text);
        // Only loopback exists here: there is no real interface to fall back on.
        EXPECT_EQ(FirstNonLoopbackAddress(), 0u);
    });
}

TEST(UdpSocket, JoinWithoutAnyRouteFails)
{
    RUN_IN_PRIVATE_NETWORK([] {
        // The helper routes multicast over loopback; take the route away again.
        ASSERT_EQ(std::system("PATH=/usr/sbin:/sbin:$PATH ip route del 224.0.0.0/4 dev lo"), 0);
        UdpSocket s;
        ASSERT_TRUE(s.Open());
        ASSERT_TRUE(s.Bind(kAnyAddress, 30002));
        EXPECT_FALSE(s.JoinGroup(0xEFFF2A63u, kAnyAddress));
        EXPECT_EQ(s.LastError(), ENODEV);
    });
}
