// Address helpers and error texts of the relay's socket classes.
#include "RelayFixture.h"

#include "platform/net/PrivateNetwork.h"
#include "relay/model/NetSupport.h"

#include <cerrno>

TEST(IPStringToLong, Table)
{
    struct Case {
        const char* text;
        uint32_t value;
    } cases[] = {
        {"239.1.2.3", 0xEF010203u},
        {"group 239.1.2.3", 0xEF010203u}, // parsing starts at the first digit
        {"  10.0.0.255\n", 0x0A0000FFu},
        {"1.300.2.3", 0x012C0203u}, // b, c and d keep 8 bits: 300 -> 44
        {"239.1.2", 0},             // three numbers
        {"239.1.2.", 0},
        {"239..1.2", 0},
        {"no digits", 0},
        {"", 0},
        {"999999999999999999999.1.1.1", 0xFF010101u},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IPStringToLong(c.text), c.value) << c.text;
    EXPECT_EQ(IPStringToLong(nullptr), 0u);
}

TEST(IPToString, OwnOrStaticBuffer)
{
    char buffer[16];
    EXPECT_STREQ(IPToString(0xEF010203u, buffer), "239.1.2.3");
    EXPECT_STREQ(IPToString(0xFFFFFFFFu), "255.255.255.255");
    EXPECT_STREQ(IPToString(0), "0.0.0.0");
}

TEST(SocketErrorText, NamedAndUnnamedCodes)
{
    EXPECT_STREQ(SocketErrorText(EADDRINUSE), ("EADDRINUSE (" + std::to_string(EADDRINUSE) + ")").c_str());
    EXPECT_STREQ(SocketErrorText(EMSGSIZE), ("EMSGSIZE (" + std::to_string(EMSGSIZE) + ")").c_str());
    EXPECT_STREQ(SocketErrorText(12345), " code: 12345");
}

using SetSockaddr = RelayTest;

TEST_F(SetSockaddr, RefusesNetworkAndBroadcastEndsAndPortZero)
{
    struct Case {
        uint32_t address;
        int port;
        bool ok;
    } cases[] = {
        {0x7F000001u, 5000, true}, {0x7F000000u, 5000, false},  {0x7F0000FFu, 5000, false},
        {0x7F000001u, 0, false},   {0x7F000001u, 70000, false}, {0xEF010203u, 1, true},
    };
    for (const auto& c : cases) {
        platform::net::SocketAddress sa{1, 1};
        EXPECT_EQ(setSockaddr(&sa, c.address, c.port), c.ok) << std::hex << c.address << " " << std::dec << c.port;
        if (c.ok) {
            EXPECT_EQ(sa.address, c.address);
            EXPECT_EQ(sa.port, c.port);
        } else {
            EXPECT_EQ(sa.address, 1u); // left alone
        }
    }
    EXPECT_NE(Console().find("SetSockAddr: port==0 "), std::string::npos);
}

using LocalIPAddr = RelayTest;

TEST_F(LocalIPAddr, NeverAnInterfaceTheMachineLacks)
{
    RUN_IN_PRIVATE_NETWORK([this] {
        // Only loopback exists here: the answer is the host name's loopback address or nothing.
        uint32_t a = localIPAddr(0x0202);
        EXPECT_TRUE(a == 0 || (a >> 24) == 127) << IPToString(a);
        EXPECT_EQ(Console().rfind("\nInstalled Winsock version: 2.2 ", 0), 0u) << Console();
    });
}
