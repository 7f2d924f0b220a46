// The machine's own IPv4 addresses: its host name's addresses and its interfaces' addresses.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform::net {

enum class HostLookup {
    Ok,
    NoHostName, // the host name could not be read
    NotResolved // the host name has no IPv4 address
};

// The host name and its IPv4 addresses (host order), as the resolver lists them.
HostLookup HostNameAddresses(std::string* hostName, std::vector<uint32_t>* addresses);

// The first address of an interface that is up and is not loopback (multicast-capable ones first), or 0.
uint32_t FirstNonLoopbackAddress();

// True for 127.0.0.0/8.
inline bool IsLoopbackAddress(uint32_t address)
{
    return (address >> 24) == 127;
}

} // namespace platform::net
