// TCP sockets, wake-up events and multi-handle waits over POSIX calls.
#include "platform/net/Tcp.h"
#include "platform/net/Addresses.h"
#include "platform/net/Socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

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

bool IsWouldBlock(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK;
}

bool IsClosedError(int error)
{
    return error == ECONNRESET || error == EPIPE || error == ENOTCONN || error == ESHUTDOWN;
}

} // namespace

TcpSocket::~TcpSocket()
{
    Close();
}

TcpSocket::TcpSocket(TcpSocket&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_nLastError(other.m_nLastError.load())
{
}

TcpSocket& TcpSocket::operator=(TcpSocket&& other) noexcept
{
    if (this != &other) {
        Close();
        m_fd = std::exchange(other.m_fd, -1);
        m_nLastError = other.m_nLastError.load();
    }
    return *this;
}

bool TcpSocket::Fail(int error)
{
    m_nLastError = error;
    return false;
}

IoResult TcpSocket::FailIo(int error)
{
    m_nLastError = error;
    if (IsWouldBlock(error))
        return IoResult::WouldBlock;
    return IsClosedError(error) ? IoResult::Closed : IoResult::Error;
}

bool TcpSocket::Open()
{
    Close();
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (m_fd < 0)
        return Fail(errno);
    m_nLastError = 0;
    return true;
}

void TcpSocket::Close()
{
    if (m_fd >= 0) {
        // No lingering: the descriptor goes now, unsent bytes with it.
        linger off{};
        ::setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &off, sizeof off);
        ::close(m_fd);
        m_fd = -1;
    }
}

void TcpSocket::Shutdown()
{
    if (m_fd >= 0)
        ::shutdown(m_fd, SHUT_RDWR);
}

void TcpSocket::ShutdownWrite()
{
    if (m_fd >= 0)
        ::shutdown(m_fd, SHUT_WR);
}

bool TcpSocket::SetReuseAddress(bool on)
{
    int value = on ? 1 : 0;
    if (m_fd < 0)
        return Fail(EBADF);
    return ::setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &value, sizeof value) == 0 || Fail(errno);
}

bool TcpSocket::SetNoDelay(bool on)
{
    int value = on ? 1 : 0;
    if (m_fd < 0)
        return Fail(EBADF);
    return ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &value, sizeof value) == 0 || Fail(errno);
}

bool TcpSocket::SetNonBlocking(bool on)
{
    if (m_fd < 0)
        return Fail(EBADF);
    int flags = ::fcntl(m_fd, F_GETFL, 0);
    if (flags < 0)
        return Fail(errno);
    flags = on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
    return ::fcntl(m_fd, F_SETFL, flags) == 0 || Fail(errno);
}

bool TcpSocket::Bind(uint32_t address, int port)
{
    if (m_fd < 0)
        return Fail(EBADF);
    if (port < 0 || port > 65535)
        return Fail(EINVAL);
    sockaddr_in sa = ToSockaddr(address, static_cast<uint16_t>(port));
    return ::bind(m_fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == 0 || Fail(errno);
}

bool TcpSocket::Listen(int backlog)
{
    if (m_fd < 0)
        return Fail(EBADF);
    return ::listen(m_fd, backlog) == 0 || Fail(errno);
}

int TcpSocket::LocalPort()
{
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    if (m_fd < 0 || ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&sa), &len) != 0)
        return Fail(m_fd < 0 ? EBADF : errno), -1;
    return ntohs(sa.sin_port);
}

uint32_t TcpSocket::LocalAddress()
{
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    if (m_fd < 0 || ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&sa), &len) != 0)
        return Fail(m_fd < 0 ? EBADF : errno), 0;
    return ntohl(sa.sin_addr.s_addr);
}

IoResult TcpSocket::Accept(TcpSocket* accepted)
{
    if (m_fd < 0)
        return FailIo(EBADF);
    for (;;) {
        int fd = ::accept4(m_fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0) {
            *accepted = TcpSocket();
            accepted->m_fd = fd;
            return IoResult::Done;
        }
        int error = errno;
        if (error == EINTR)
            continue;
        // A connection aborted before it was taken, or one of the network errors accept passes on.
        if (error == ECONNABORTED || error == EPROTO || error == ENETDOWN || error == EHOSTUNREACH || error == ENONET ||
            error == ENETUNREACH || error == EOPNOTSUPP || error == EHOSTDOWN)
            return FailIo(EAGAIN);
        return FailIo(error);
    }
}

bool TcpSocket::Connect(uint32_t address, int port, int timeoutMs)
{
    if (m_fd < 0)
        return Fail(EBADF);
    if (port <= 0 || port > 65535)
        return Fail(EINVAL);
    if (!SetNonBlocking(true))
        return false;
    sockaddr_in sa = ToSockaddr(address, static_cast<uint16_t>(port));
    int rc;
    do {
        rc = ::connect(m_fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0)
        return true;
    if (errno != EINPROGRESS)
        return Fail(errno);
    WaitItem item;
    item.nHandle = m_fd;
    item.bWrite = true;
    int n = WaitAny(&item, 1, timeoutMs);
    if (n <= 0)
        return Fail(n == 0 ? ETIMEDOUT : errno);
    int soError = 0;
    socklen_t len = sizeof soError;
    if (::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &soError, &len) != 0)
        return Fail(errno);
    return soError == 0 || Fail(soError);
}

IoResult TcpSocket::Send(const void* data, size_t length, size_t* done)
{
    ConstBuffer piece{data, length};
    return SendGather(&piece, 1, done);
}

IoResult TcpSocket::SendGather(const ConstBuffer* pieces, int count, size_t* done)
{
    *done = 0;
    if (m_fd < 0)
        return FailIo(EBADF);
    iovec vec[64];
    const int n = std::min(count, 64);
    for (int i = 0; i < n; ++i) {
        vec[i].iov_base = const_cast<void*>(pieces[i].pData);
        vec[i].iov_len = pieces[i].nLength;
    }
    msghdr msg{};
    msg.msg_iov = vec;
    msg.msg_iovlen = static_cast<size_t>(n);
    for (;;) {
        ssize_t sent = ::sendmsg(m_fd, &msg, MSG_NOSIGNAL);
        if (sent >= 0) {
            *done = static_cast<size_t>(sent);
            return IoResult::Done;
        }
        if (errno != EINTR)
            return FailIo(errno);
    }
}

IoResult TcpSocket::Receive(void* buffer, size_t length, size_t* done)
{
    *done = 0;
    if (m_fd < 0)
        return FailIo(EBADF);
    for (;;) {
        ssize_t got = ::recv(m_fd, buffer, length, 0);
        if (got > 0) {
            *done = static_cast<size_t>(got);
            return IoResult::Done;
        }
        if (got == 0)
            return length == 0 ? IoResult::Done : IoResult::Closed;
        if (errno != EINTR)
            return FailIo(errno);
    }
}

WakeEvent::WakeEvent() : m_fd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

WakeEvent::~WakeEvent()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void WakeEvent::Signal()
{
    uint64_t one = 1;
    ssize_t rc;
    do {
        rc = ::write(m_fd, &one, sizeof one);
    } while (rc < 0 && errno == EINTR);
}

void WakeEvent::Reset()
{
    uint64_t value = 0;
    ssize_t rc;
    do {
        rc = ::read(m_fd, &value, sizeof value);
    } while (rc < 0 && errno == EINTR);
}

int WaitAny(WaitItem* items, int count, int timeoutMs)
{
    std::vector<pollfd> fds(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        fds[static_cast<size_t>(i)].fd = items[i].nHandle;
        fds[static_cast<size_t>(i)].events =
            static_cast<short>((items[i].bRead ? POLLIN : 0) | (items[i].bWrite ? POLLOUT : 0));
        items[i].bReadable = items[i].bWritable = false;
    }
    int n = ::poll(fds.data(), static_cast<nfds_t>(count), timeoutMs < 0 ? -1 : timeoutMs);
    if (n < 0)
        return errno == EINTR ? 0 : -1;
    for (int i = 0; i < count; ++i) {
        const short r = fds[static_cast<size_t>(i)].revents;
        const bool broken = (r & (POLLERR | POLLHUP | POLLNVAL)) != 0;
        items[i].bReadable = (r & POLLIN) || (broken && items[i].bRead);
        items[i].bWritable = (r & POLLOUT) || (broken && items[i].bWrite);
    }
    return n;
}

uint32_t OwnAddress()
{
    const uint32_t address = FirstNonLoopbackAddress();
    return address != 0 ? address : kLoopbackAddress;
}

std::string FormatAddress(uint32_t address)
{
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", address >> 24, (address >> 16) & 0xFF, (address >> 8) & 0xFF,
                  address & 0xFF);
    return text;
}

bool ParseAddress(const std::string& text, uint32_t* address)
{
    uint32_t value = 0;
    int parts = 0;
    size_t i = 0;
    while (parts < 4) {
        if (i >= text.size() || text[i] < '0' || text[i] > '9')
            return false;
        uint32_t part = 0;
        size_t digits = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 4) {
            part = part * 10 + static_cast<uint32_t>(text[i] - '0');
            ++i;
            ++digits;
        }
        if (part > 255)
            return false;
        value = (value << 8) | part;
        ++parts;
        if (parts < 4) {
            if (i >= text.size() || text[i] != '.')
                return false;
            ++i;
        }
    }
    if (i != text.size())
        return false;
    *address = value;
    return true;
}

} // namespace platform::net
