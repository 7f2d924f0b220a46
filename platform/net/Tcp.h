// TCP sockets over POSIX, a wake-up event and a wait over several handles, for the network transport's threads.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

namespace platform::net {

// What a non-blocking transfer did.
enum class IoResult {
    Done,       // bytes moved (maybe fewer than asked)
    WouldBlock, // nothing can move now: wait for readiness
    Closed,     // the peer closed the connection (receive) or reset it
    Error       // any other failure; LastError() says which
};

// One piece of a gathered send.
struct ConstBuffer {
    const void* pData = nullptr;
    size_t nLength = 0;
};

// One IPv4 stream socket. Calls return false (or Error) on failure and keep errno in LastError().
class TcpSocket {
public:
    TcpSocket() = default;
    ~TcpSocket();
    TcpSocket(const TcpSocket&) = delete;
    TcpSocket& operator=(const TcpSocket&) = delete;
    TcpSocket(TcpSocket&& other) noexcept;
    TcpSocket& operator=(TcpSocket&& other) noexcept;

    bool Open();
    bool IsOpen() const { return m_fd >= 0; }
    // Closes at once (no lingering). Only after every thread that waits on the socket has ended.
    void Close();
    // Ends both directions; a thread waiting on the socket wakes and sees it closed.
    void Shutdown();
    // Ends the sending direction only: the peer reads what was sent, then the end.
    void ShutdownWrite();
    int Handle() const { return m_fd; }

    bool SetReuseAddress(bool on);
    bool SetNoDelay(bool on);
    bool SetNonBlocking(bool on);
    // Address in host order (0 for all); port 0 picks a free one.
    bool Bind(uint32_t address, int port);
    bool Listen(int backlog);
    // The bound port and address, or -1 and 0.
    int LocalPort();
    uint32_t LocalAddress();

    // Takes one waiting connection as a non-blocking socket. WouldBlock when none waits (a connection the
    // peer aborted before it was taken counts as none).
    IoResult Accept(TcpSocket* accepted);
    // Connects within `timeoutMs`; the socket is non-blocking afterwards. False on refusal or time-out.
    bool Connect(uint32_t address, int port, int timeoutMs);

    // Sends without raising SIGPIPE; *done holds the bytes taken (maybe fewer than offered).
    IoResult Send(const void* data, size_t length, size_t* done);
    // Sends several pieces in one call.
    IoResult SendGather(const ConstBuffer* pieces, int count, size_t* done);
    // Receives up to `length` bytes; Closed when the peer has closed.
    IoResult Receive(void* buffer, size_t length, size_t* done);

    int LastError() const { return m_nLastError.load(); }

private:
    bool Fail(int error);
    IoResult FailIo(int error);

    int m_fd = -1;
    std::atomic<int> m_nLastError{0}; // the two threads of a connection share the socket
};

// A manually reset wake-up that a wait can include beside sockets.
class WakeEvent {
public:
    WakeEvent();
    ~WakeEvent();
    WakeEvent(const WakeEvent&) = delete;
    WakeEvent& operator=(const WakeEvent&) = delete;
    bool IsValid() const { return m_fd >= 0; }
    void Signal();
    void Reset();
    int Handle() const { return m_fd; }

private:
    int m_fd = -1;
};

// One handle of a wait and what became of it.
struct WaitItem {
    int nHandle = -1;
    bool bRead = false;
    bool bWrite = false;
    bool bReadable = false; // or closed or failed: a read will tell
    bool bWritable = false;
};

// Waits until an item is ready or `timeoutMs` passes (negative: no limit). Returns the number of ready items,
// 0 on time-out, -1 when the wait itself failed. An interrupted wait returns 0.
int WaitAny(WaitItem* items, int count, int timeoutMs);

// The address this machine shows to others: its first non-loopback IPv4 address, else 127.0.0.1 (host order).
uint32_t OwnAddress();
// "a.b.c.d" of an address in host order.
std::string FormatAddress(uint32_t address);
// Parses "a.b.c.d" strictly (four parts of 0 to 255); false otherwise.
bool ParseAddress(const std::string& text, uint32_t* address);

} // namespace platform::net
