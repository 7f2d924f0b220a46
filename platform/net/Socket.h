// UDP sockets over POSIX: open, bind, multicast membership and options, send, receive with truncation detection, waits.
#pragma once

#include <cstdint>

namespace platform::net {

// An IPv4 address and port; the address is kept in host byte order.
struct SocketAddress {
    uint32_t address = 0;
    uint16_t port = 0;
};

inline bool operator==(const SocketAddress& a, const SocketAddress& b)
{
    return a.address == b.address && a.port == b.port;
}

// The wildcard address (bind to every interface; as a membership interface: the default one).
constexpr uint32_t kAnyAddress = 0;
// 127.0.0.1 in host order.
constexpr uint32_t kLoopbackAddress = 0x7F000001u;

// What a readiness wait saw.
enum class WaitResult {
    Ready,     // readable
    TimedOut,  // nothing arrived in time
    Exception, // urgent (out-of-band) data pending
    Error      // the wait failed; LastError() says why
};

// One IPv4 datagram socket. Calls return false or -1 on failure and keep errno in LastError().
class UdpSocket {
public:
    UdpSocket() = default;
    ~UdpSocket();
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;
    UdpSocket(UdpSocket&& other) noexcept;
    UdpSocket& operator=(UdpSocket&& other) noexcept;

    bool Open();
    bool IsOpen() const { return m_fd >= 0; }
    void Close();
    // The descriptor, for waits over several handles.
    int Handle() const { return m_fd; }

    bool SetReuseAddress(bool on);
    // Binds to an address (host order; kAnyAddress for all) and a port (0 to 65535; 0 picks one).
    bool Bind(uint32_t address, int port);
    // The bound port, or -1.
    int LocalPort();

    // Joins a multicast group. Interface kAnyAddress joins on the interface the group is routed through
    // (the default one) and, when the machine has no such route, on its first non-loopback address.
    bool JoinGroup(uint32_t group, uint32_t interfaceAddress);
    // Hop limit of outgoing multicast datagrams (0 to 255).
    bool SetMulticastTtl(int ttl);
    // Interface for outgoing multicast datagrams, by its address (host order).
    bool SetMulticastInterface(uint32_t interfaceAddress);
    // Receive calls fail with EAGAIN after this many milliseconds; 0 waits without limit.
    bool SetReceiveTimeout(int milliseconds);

    // Sends one datagram; bytes sent or -1.
    int SendTo(const SocketAddress& to, const void* data, int length);
    // Receives one datagram into `buffer`. A datagram longer than `size` fails with EMSGSIZE (its first
    // `size` bytes are in the buffer, the rest is lost), so a caller never mistakes a cut datagram for a whole one.
    int ReceiveFrom(void* buffer, int size, SocketAddress* from = nullptr);

    // Waits until the socket is readable; a negative time-out waits without limit.
    WaitResult WaitReadable(int64_t timeoutMicroseconds);

    // errno of the last failure on this socket (0 when none).
    int LastError() const { return m_nLastError; }

private:
    bool Fail(int error);
    bool SetIntOption(int level, int name, int value);

    int m_fd = -1;
    int m_nLastError = 0;
};

} // namespace platform::net
