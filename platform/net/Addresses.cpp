// The machine's own IPv4 addresses through the resolver and the interface list.
#include "platform/net/Addresses.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <climits>

namespace platform::net {

HostLookup HostNameAddresses(std::string* hostName, std::vector<uint32_t>* addresses)
{
    addresses->clear();
    char name[HOST_NAME_MAX + 1] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return HostLookup::NoHostName;
    *hostName = name;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* list = nullptr;
    if (::getaddrinfo(name, nullptr, &hints, &list) != 0 || list == nullptr)
        return HostLookup::NotResolved;
    for (addrinfo* ai = list; ai; ai = ai->ai_next) {
        if (ai->ai_family != AF_INET || ai->ai_addrlen < sizeof(sockaddr_in))
            continue;
        uint32_t a = ntohl(reinterpret_cast<const sockaddr_in*>(ai->ai_addr)->sin_addr.s_addr);
        bool seen = false;
        for (uint32_t b : *addresses)
            seen = seen || b == a;
        if (!seen)
            addresses->push_back(a);
    }
    ::freeaddrinfo(list);
    return addresses->empty() ? HostLookup::NotResolved : HostLookup::Ok;
}

uint32_t FirstNonLoopbackAddress()
{
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0)
        return 0;
    uint32_t first = 0, firstMulticast = 0;
    for (ifaddrs* ifa = list; ifa; ifa = ifa->ifa_next) {
        if (!ifa->ifa_addr || ifa->ifa_addr->sa_family != AF_INET)
            continue;
        if (!(ifa->ifa_flags & IFF_UP) || (ifa->ifa_flags & IFF_LOOPBACK))
            continue;
        uint32_t a = ntohl(reinterpret_cast<const sockaddr_in*>(ifa->ifa_addr)->sin_addr.s_addr);
        if (a == 0 || IsLoopbackAddress(a))
            continue;
        if (!first)
            first = a;
        if (!firstMulticast && (ifa->ifa_flags & IFF_MULTICAST))
            firstMulticast = a;
    }
    ::freeifaddrs(list);
    return firstMulticast ? firstMulticast : first;
}

} // namespace platform::net
