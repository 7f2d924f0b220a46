// A raw-socket peer for network tests: frames written and read byte for byte, with bounded waits.
#pragma once

#include "net/transport/Frames.h"
#include "platform/net/Tcp.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <mutex>
#include <string>
#include <vector>

namespace nettest {

using Bytes = std::vector<uint8_t>;
constexpr uint32_t kLoopback = 0x7F000001u;
constexpr int kWaitMs = 5000;

inline Bytes Frame(uint16_t type, int32_t target, const Bytes& body, uint16_t sequence = 0)
{
    Bytes f(kFrameHeader + body.size());
    WriteFrameHeader(f.data(), static_cast<int32_t>(f.size()), type, sequence, target);
    std::memcpy(f.data() + kFrameHeader, body.data(), body.size());
    return f;
}

inline Bytes I32Bytes(int32_t v)
{
    Bytes b(4);
    WriteI32At(b.data(), v);
    return b;
}

inline Bytes NameBytes(const std::string& text, size_t width = 32)
{
    Bytes b(width);
    WriteNameField(b.data(), text, width);
    return b;
}

inline Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// Waits (really, bounded) until `done` holds; false on time-out.
inline bool WaitUntil(const std::function<bool()>& done, int ms = kWaitMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        platform::net::WaitItem none;
        platform::net::WaitAny(&none, 0, 2);
    }
    return true;
}

// The kernel's line for the loopback socket from local port `localPort` to remote port `remotePort` that a
// descriptor of this process holds: its unread bytes, or -1 when no descriptor holds such a socket (a closed
// socket may linger in the kernel, owned by none).
inline long UnreadBytes(int localPort, int remotePort)
{
    std::ifstream tcp("/proc/net/tcp");
    std::string line;
    std::getline(tcp, line); // the header
    auto port = [](const std::string& address) {
        const size_t colon = address.find(':');
        return colon == std::string::npos ? -1 : static_cast<int>(std::stoul(address.substr(colon + 1), nullptr, 16));
    };
    while (std::getline(tcp, line)) {
        std::istringstream in(line);
        std::string slot, local, remote, state, queues, timer, retransmits, uid, timeout;
        unsigned long inode = 0;
        in >> slot >> local >> remote >> state >> queues >> timer >> retransmits >> uid >> timeout >> inode;
        if (port(local) == localPort && port(remote) == remotePort && inode != 0)
            return static_cast<long>(std::stoul(queues.substr(queues.find(':') + 1), nullptr, 16));
    }
    return -1;
}

// Whether a descriptor of this process still holds that socket.
inline bool HoldsSocket(int localPort, int remotePort)
{
    return UnreadBytes(localPort, remotePort) >= 0;
}

// One TCP connection driven by the test.
class RawPeer {
public:
    bool Connect(int port) { return m_socket.Open() && m_socket.Connect(kLoopback, port, kWaitMs); }
    void Send(const Bytes& bytes)
    {
        size_t sent = 0;
        while (sent < bytes.size()) {
            size_t done = 0;
            auto r = m_socket.Send(bytes.data() + sent, bytes.size() - sent, &done);
            if (r == platform::net::IoResult::WouldBlock) {
                platform::net::WaitItem item;
                item.nHandle = m_socket.Handle();
                item.bWrite = true;
                platform::net::WaitAny(&item, 1, 100);
                continue;
            }
            ASSERT_EQ(r, platform::net::IoResult::Done);
            sent += done;
        }
    }
    // Sends all of it, waiting while the socket is full; false when the connection is gone.
    bool SendWhole(const Bytes& bytes, int ms = kWaitMs)
    {
        size_t sent = 0;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (sent < bytes.size() && std::chrono::steady_clock::now() < end) {
            size_t done = 0;
            const auto r = m_socket.Send(bytes.data() + sent, bytes.size() - sent, &done);
            if (r == platform::net::IoResult::Done) {
                sent += done;
                continue;
            }
            if (r != platform::net::IoResult::WouldBlock)
                return false;
            platform::net::WaitItem item;
            item.nHandle = m_socket.Handle();
            item.bWrite = true;
            platform::net::WaitAny(&item, 1, 50);
        }
        return sent == bytes.size();
    }
    // Sends what the socket takes now; false when the connection is gone.
    bool TrySend(const Bytes& bytes)
    {
        size_t done = 0;
        return m_socket.Send(bytes.data(), bytes.size(), &done) == platform::net::IoResult::Done;
    }
    int LocalPort() { return m_socket.LocalPort(); }
    // Reads exactly n bytes; false on time-out or close.
    bool ReadExact(uint8_t* out, size_t n, int ms = kWaitMs)
    {
        size_t have = 0;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (have < n) {
            size_t got = 0;
            auto r = m_socket.Receive(out + have, n - have, &got);
            if (r == platform::net::IoResult::Done) {
                have += got;
                continue;
            }
            if (r != platform::net::IoResult::WouldBlock) {
                m_bClosed = true;
                return false;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return false;
            platform::net::WaitItem item;
            item.nHandle = m_socket.Handle();
            item.bRead = true;
            platform::net::WaitAny(&item, 1, static_cast<int>(left.count()));
        }
        return true;
    }
    // The next whole frame, or empty on time-out or close.
    Bytes ReadFrame(int ms = kWaitMs)
    {
        uint8_t head[4];
        if (!ReadExact(head, 4, ms))
            return {};
        const int32_t length = ReadI32At(head);
        if (length < 4 || length > 1 << 20)
            return {};
        Bytes frame(static_cast<size_t>(length));
        std::memcpy(frame.data(), head, 4);
        if (!ReadExact(frame.data() + 4, frame.size() - 4, ms))
            return {};
        return frame;
    }
    // The next frame of this type, skipping others.
    Bytes ReadFrameOfType(uint16_t type, int ms = kWaitMs)
    {
        for (;;) {
            Bytes f = ReadFrame(ms);
            if (f.empty() || ReadU16At(f.data() + 4) == type)
                return f;
        }
    }
    // True when the host closed the connection within the time.
    bool SeesClose(int ms = kWaitMs)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        uint8_t scratch[4096];
        while (std::chrono::steady_clock::now() < end) {
            size_t got = 0;
            auto r = m_socket.Receive(scratch, sizeof scratch, &got);
            if (r == platform::net::IoResult::Closed || r == platform::net::IoResult::Error)
                return true;
            if (r == platform::net::IoResult::Done)
                continue;
            platform::net::WaitItem item;
            item.nHandle = m_socket.Handle();
            item.bRead = true;
            platform::net::WaitAny(&item, 1, 50);
        }
        return false;
    }
    void Close() { m_socket.Close(); }
    platform::net::TcpSocket& Socket() { return m_socket; }

private:
    platform::net::TcpSocket m_socket;
    bool m_bClosed = false;
};

} // namespace nettest
