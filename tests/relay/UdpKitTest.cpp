// The plain UDP server and client, the send table and the readiness waits.
#include "RelayFixture.h"

#include "platform/net/PrivateNetwork.h"
#include "relay/model/UdpKit.h"

#include <cerrno>
#include <cstring>

TEST(SendTable, EqualSendsCountUpAndNewOnesWrapAt100)
{
    CSendTable table;
    table.Record(5000, 0x7F000001u, 10, 0);
    table.Record(5000, 0x7F000001u, 10, 0);
    table.Record(5000, 0x7F000001u, -1, 1);
    EXPECT_EQ(table.entry(0).count, 2);
    EXPECT_EQ(table.entry(1).error, 1);
    EXPECT_EQ(table.nextIndex(), 2);
    // Equal to an older entry but not to the latest: a new entry.
    table.Record(5000, 0x7F000001u, 10, 0);
    EXPECT_EQ(table.entry(2).length, 10);
    EXPECT_EQ(table.entry(0).count, 2);
    for (int i = 3; i < CSendTable::kEntries; ++i)
        table.Record(6000 + i, 0x7F000001u, i, 0);
    EXPECT_EQ(table.nextIndex(), 0);
    table.Record(7000, 0x7F000002u, 1, 0);
    EXPECT_EQ(table.entry(0).port, 7000);
    EXPECT_EQ(table.entry(0).count, 1);
    EXPECT_EQ(table.entry(1).error, 1);
    EXPECT_EQ(table.nextIndex(), 1);
}

TEST(UdpServer, TimeOutTable)
{
    struct Case {
        int ms;
        bool valid;
        int64_t micros;
    } cases[] = {
        {0, true, 0},          {-1, true, -1},
        {1, true, 1000},       {999, true, 999000},
        {1000, true, 1000000}, {1001, true, 1000000},
        {2999, true, 2000000}, {-2, false, 0},
        {INT32_MIN, false, 0}, {INT32_MAX, true, int64_t(INT32_MAX / 1000) * 1000000},
    };
    for (const auto& c : cases) {
        int64_t micros = 12345;
        EXPECT_EQ(udpServer::TimeoutMicroseconds(c.ms, &micros), c.valid) << c.ms;
        if (c.valid) {
            EXPECT_EQ(micros, c.micros) << c.ms;
        }
    }
}

using UdpKit = RelayTest;

TEST_F(UdpKit, ServerAndClientOverLoopback)
{
    RUN_IN_PRIVATE_NETWORK([this] {
        udpServer server(15); // below 2000: 2015
        ASSERT_EQ(server.good, 1);
        EXPECT_EQ(server.port(), 2015);
        char buffer[64] = {};
        EXPECT_EQ(server.Receive(buffer, sizeof buffer, 0), 0); // polls
        EXPECT_EQ(server.Receive(buffer, sizeof buffer, 1), 0); // 1 ms
        EXPECT_EQ(server.Receive(buffer, sizeof buffer, 0.001f), 0);
        EXPECT_EQ(server.Receive(buffer, sizeof buffer, -5), -1);
        EXPECT_NE(Console().find("plsServer select; invalid timeout param: -5\n"), std::string::npos);
        EXPECT_EQ(WaitForSocketReadBriefly(server.socket()), 0);
        EXPECT_NE(Console().find("The Socket Was Not Ready To Be Read and Timed Out!\n"), std::string::npos);

        udpClient client;
        ASSERT_EQ(client.good, 1);
        EXPECT_EQ(client.Send(0, 2015, "x", 1), -1);
        EXPECT_EQ(client.Send(0x7F000001u, 0, "x", 1), -1);
        EXPECT_EQ(client.Send(0x7F0000FFu, 2015, "x", 1), -1);
        EXPECT_EQ(client.Send(0x7F000001u, 2015, "hello", 6), 6);
        EXPECT_EQ(client.Send(0x7F000001u, 2015, "hello", 6), 6);
        EXPECT_EQ(client.sendTable().entry(0).count, 2);
        EXPECT_EQ(client.sendTable().entry(0).length, 6);

        EXPECT_EQ(WaitForSocketRead(server.socket()), 1);
        EXPECT_EQ(server.Receive(buffer, sizeof buffer, 5000), 6);
        EXPECT_STREQ(buffer, "hello");
        EXPECT_EQ(server.Receive(buffer, sizeof buffer, 5.0f), 6);

        // A datagram longer than the buffer is an error, not a cut datagram.
        char big[100];
        std::memset(big, 'b', sizeof big);
        EXPECT_EQ(client.Send(0x7F000001u, 2015, big, sizeof big), 100);
        EXPECT_EQ(server.Receive(buffer, sizeof buffer, 5000), -1);
        EXPECT_EQ(server.errorCode(), EMSGSIZE);
        EXPECT_NE(Console().find("recvfrom returned SOCKET_ERROR EMSGSIZE"), std::string::npos);
    });
}

TEST_F(UdpKit, ServerBindErrorIsReported)
{
    RUN_IN_PRIVATE_NETWORK([this] {
        udpServer first(2100);
        ASSERT_EQ(first.good, 1);
        udpServer second(2100);
        EXPECT_EQ(second.good, 0);
        EXPECT_EQ(second.errorCode(), EADDRINUSE);
        EXPECT_NE(Console().find("udpServer bind() error: EADDRINUSE"), std::string::npos);
    });
}
