// UDP sockets over POSIX calls.
#include "platform/net/Socket.h"
#include "platform/net/Addresses.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <climits>
#include <utility>

namespace platform::net {
namespace {

sockaddr_in ToSockaddr(uint32_t address, uint16_t port)
{
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(address);
    sa.sin_port = htons(port);
    return sa;
}

} // namespace

UdpSocket::~UdpSocket()
{
    Close();
}

UdpSocket::UdpSocket(UdpSocket&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)), m_nLastError(other.m_nLastError)
{
}

UdpSocket& UdpSocket::operator=(UdpSocket&& other) noexcept
{
    if (this != &other) {
        Close();
        m_fd = std::exchange(other.m_fd, -1);
        m_nLastError = other.m_nLastError;
    }
    return *this;
}

bool UdpSocket::Fail(int error)
{
    m_nLastError = error;
    return false;
}

bool UdpSocket::Open()
{
    Close();
    m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    if (m_fd < 0)
        return Fail(errno);
    m_nLastError = 0;
    return true;
}

void UdpSocket::Close()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

bool UdpSocket::SetIntOption(int level, int name, int value)
{
    if (m_fd < 0)
        return Fail(EBADF);
    if (::setsockopt(m_fd, level, name, &value, sizeof value) != 0)
        return Fail(errno);
    return true;
}

bool UdpSocket::SetReuseAddress(bool on)
{
    return SetIntOption(SOL_SOCKET, SO_REUSEADDR, on ? 1 : 0);
}

bool UdpSocket::Bind(uint32_t address, int port)
{
    if (m_fd < 0)
        return Fail(EBADF);
    if (port < 0 || port > 65535)
        return Fail(EINVAL);
    sockaddr_in sa = ToSockaddr(address, static_cast<uint16_t>(port));
    if (::bind(m_fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0)
        return Fail(errno);
    return true;
}

int UdpSocket::LocalPort()
{
    if (m_fd < 0) {
        Fail(EBADF);
        return -1;
    }
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    if (::getsockname(m_fd, reinterpret_cast<sockaddr*>(&sa), &len) != 0) {
        Fail(errno);
        return -1;
    }
    return ntohs(sa.sin_port);
}

bool UdpSocket::JoinGroup(uint32_t group, uint32_t interfaceAddress)
{
    if (m_fd < 0)
        return Fail(EBADF);
    auto join = [this, group](uint32_t iface) {
        ip_mreq req{};
        req.imr_multiaddr.s_addr = htonl(group);
        req.imr_interface.s_addr = htonl(iface);
        return ::setsockopt(m_fd, IPPROTO_IP, IP_ADD_MEMBERSHIP, &req, sizeof req) == 0;
    };
    if (join(interfaceAddress))
        return true;
    int error = errno;
    // No route for the group (no default route either): try the first real interface.
    if (interfaceAddress == kAnyAddress && error == ENODEV) {
        uint32_t fallback = FirstNonLoopbackAddress();
        if (fallback != 0 && join(fallback))
            return true;
    }
    return Fail(error);
}

bool UdpSocket::SetMulticastTtl(int ttl)
{
    if (ttl < 0 || ttl > 255)
        return Fail(EINVAL);
    return SetIntOption(IPPROTO_IP, IP_MULTICAST_TTL, ttl);
}

bool UdpSocket::SetMulticastInterface(uint32_t interfaceAddress)
{
    if (m_fd < 0)
        return Fail(EBADF);
    in_addr addr{};
    addr.s_addr = htonl(interfaceAddress);
    if (::setsockopt(m_fd, IPPROTO_IP, IP_MULTICAST_IF, &addr, sizeof addr) != 0)
        return Fail(errno);
    return true;
}

bool UdpSocket::SetReceiveTimeout(int milliseconds)
{
    if (m_fd < 0)
        return Fail(EBADF);
    if (milliseconds < 0)
        return Fail(EINVAL);
    timeval tv{};
    tv.tv_sec = milliseconds / 1000;
    tv.tv_usec = (milliseconds % 1000) * 1000;
    if (::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv) != 0)
        return Fail(errno);
    return true;
}

int UdpSocket::SendTo(const SocketAddress& to, const void* data, int length)
{
    if (m_fd < 0)
        return Fail(EBADF), -1;
    if (length < 0 || (length > 0 && data == nullptr))
        return Fail(EINVAL), -1;
    sockaddr_in sa = ToSockaddr(to.address, to.port);
    ssize_t sent = ::sendto(m_fd, data, static_cast<size_t>(length), MSG_NOSIGNAL,
                            reinterpret_cast<const sockaddr*>(&sa), sizeof sa);
    if (sent < 0)
        return Fail(errno), -1;
    return static_cast<int>(sent);
}

int UdpSocket::ReceiveFrom(void* buffer, int size, SocketAddress* from)
{
    if (m_fd < 0)
        return Fail(EBADF), -1;
    if (size < 0 || (size > 0 && buffer == nullptr))
        return Fail(EINVAL), -1;
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    // MSG_TRUNC makes the call return the datagram's whole length, so a cut one shows.
    ssize_t got =
        ::recvfrom(m_fd, buffer, static_cast<size_t>(size), MSG_TRUNC, reinterpret_cast<sockaddr*>(&sa), &len);
    if (got < 0)
        return Fail(errno), -1;
    if (from) {
        from->address = ntohl(sa.sin_addr.s_addr);
        from->port = ntohs(sa.sin_port);
    }
    if (got > size)
        return Fail(EMSGSIZE), -1;
    return static_cast<int>(got);
}

WaitResult UdpSocket::WaitReadable(int64_t timeoutMicroseconds)
{
    if (m_fd < 0) {
        Fail(EBADF);
        return WaitResult::Error;
    }
    pollfd pfd{};
    pfd.fd = m_fd;
    pfd.events = POLLIN | POLLPRI;
    timespec ts{};
    timespec* limit = nullptr;
    if (timeoutMicroseconds >= 0) {
        ts.tv_sec = static_cast<time_t>(timeoutMicroseconds / 1000000);
        ts.tv_nsec = static_cast<long>((timeoutMicroseconds % 1000000) * 1000);
        limit = &ts;
    }
    int n = ::ppoll(&pfd, 1, limit, nullptr);
    if (n < 0) {
        Fail(errno);
        return WaitResult::Error;
    }
    if (n == 0)
        return WaitResult::TimedOut;
    if (pfd.revents & POLLNVAL) {
        Fail(EBADF);
        return WaitResult::Error;
    }
    if (pfd.revents & POLLERR) {
        int soError = 0;
        socklen_t len = sizeof soError;
        ::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &soError, &len);
        Fail(soError ? soError : EIO);
        return WaitResult::Error;
    }
    if (pfd.revents & POLLPRI)
        return WaitResult::Exception;
    return WaitResult::Ready;
}

} // namespace platform::net
