// Address parsing and printing, the machine's own address, socket-address setup and error texts.
#include "relay/model/NetSupport.h"

#include "platform/net/Addresses.h"
#include "platform/net/ErrorNames.h"
#include "relay/model/Console.h"

#include <cstdio>
#include <string>
#include <vector>

uint32_t IPStringToLong(const char* text)
{
    if (!text)
        return 0;
    const char* p = text;
    while (*p && !(*p >= '0' && *p <= '9'))
        ++p;
    if (!*p)
        return 0;
    uint32_t parts[4] = {};
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            if (*p != '.')
                return 0;
            ++p;
        }
        if (!(*p >= '0' && *p <= '9'))
            return 0;
        uint64_t v = 0;
        for (; *p >= '0' && *p <= '9'; ++p) {
            v = v * 10 + static_cast<uint64_t>(*p - '0');
            if (v > 0xFFFFFFFFull)
                v = 0xFFFFFFFFull;
        }
        parts[i] = static_cast<uint32_t>(v);
    }
    return (parts[0] << 24) | ((parts[1] & 0xFF) << 16) | ((parts[2] & 0xFF) << 8) | (parts[3] & 0xFF);
}

const char* IPToString(uint32_t value, char* buffer)
{
    static char s_szAddress[16];
    char* out = buffer ? buffer : s_szAddress;
    std::snprintf(out, 16, "%u.%u.%u.%u", value >> 24, (value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
    return out;
}

uint32_t localIPAddr(int version)
{
    if (version != 0)
        RelayPrintf("\nInstalled Winsock version: %i.%i ", version & 0xFF, (version >> 8) & 0xFF);
    std::string name;
    std::vector<uint32_t> addresses;
    switch (platform::net::HostNameAddresses(&name, &addresses)) {
    case platform::net::HostLookup::NoHostName:
        RelayPrintf("\nsetSockaddr; gethostname() failed ");
        return 0;
    case platform::net::HostLookup::NotResolved:
        RelayPrintf("\nLocalIPAddr; gethostbyname() failed ");
        return platform::net::FirstNonLoopbackAddress();
    case platform::net::HostLookup::Ok:
        break;
    }
    // Debian maps the host name to 127.0.1.1: a loopback address says nothing about the machine.
    for (uint32_t a : addresses)
        if (!platform::net::IsLoopbackAddress(a))
            return a;
    uint32_t real = platform::net::FirstNonLoopbackAddress();
    return real ? real : addresses.front();
}

bool setSockaddr(platform::net::SocketAddress* sa, uint32_t address, int port)
{
    static bool s_bShown = false;
    if (!sa)
        return false;
    uint32_t last = address & 0xFF;
    if (last == 0 || last == 255)
        return false;
    if (port == 0) {
        RelayPrintf("SetSockAddr: port==0 ");
        return false;
    }
    if (port < 0 || port > 65535)
        return false;
    sa->address = address;
    sa->port = static_cast<uint16_t>(port);
    if (!s_bShown) {
        s_bShown = true;
        char text[16];
        RelayPrintf("\nsetSockAddr: %s : %u\n", IPToString(address, text), static_cast<unsigned>(port));
    }
    return true;
}

const char* SocketErrorText(int code)
{
    static char s_szText[64];
    const char* name = platform::net::ErrorName(code);
    if (name)
        std::snprintf(s_szText, sizeof s_szText, "%s (%i)", name, code);
    else
        std::snprintf(s_szText, sizeof s_szText, " code: %i", code);
    return s_szText;
}
