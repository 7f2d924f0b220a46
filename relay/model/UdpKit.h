// Plain UDP server and client, the client's send table and the socket readiness waits.
#pragma once

#include "platform/net/Socket.h"

#include <cstdint>

// The last sends of a client: an entry equal to the latest one only counts up, a new one goes to the next
// index, which wraps from 100 to 0.
class CSendTable {
public:
    struct Entry {
        int32_t port = 0;
        uint32_t address = 0;
        int32_t length = 0;
        int32_t error = 0;
        int32_t count = 0;
    };
    static constexpr int kEntries = 100;

    void Record(int port, uint32_t address, int length, int error);
    const Entry& entry(int index) const { return m_aEntries[index]; }
    int nextIndex() const { return m_nNext; }

private:
    Entry m_aEntries[kEntries];
    int m_nNext = 0;
    int m_nLatest = -1;
};

// A UDP socket bound to all interfaces on a port (a port below 2000 gets 2000 added).
class udpServer {
public:
    explicit udpServer(int port, int32_t unused1 = 0, int32_t unused2 = 0);

    // Waits for a datagram, then takes it: bytes received, 0 when none came in time, -1 on an error (printed).
    // Time-out in milliseconds: 0 polls, -1 waits without limit, 1 to 1,000 waits that long, above 1,000
    // whole seconds (the rest dropped); other negatives are refused.
    int Receive(char* buffer, int size, int timeoutMs);
    // The same with the time-out in seconds; negative or not a number is refused.
    int Receive(char* buffer, int size, float timeoutSeconds);

    // The wait a millisecond time-out stands for: microseconds, -1 for no limit; false for an invalid one.
    static bool TimeoutMicroseconds(int timeoutMs, int64_t* microseconds);

    int port() const { return m_nPort; }
    int errorCode() const { return m_nErrorCode; }
    platform::net::UdpSocket& socket() { return m_socket; }

    int32_t good = 0;

private:
    int ReceiveWithin(char* buffer, int size, int64_t microseconds);

    int m_nPort = 0;
    int m_nErrorCode = 0;
    platform::net::UdpSocket m_socket;
    [[maybe_unused]] int32_t m_nUnused1 = 0;
    [[maybe_unused]] int32_t m_nUnused2 = 0;
};

// A UDP socket that sends to any address and keeps a table of its sends.
class udpClient {
public:
    udpClient();

    // Sends to an address (host order) and port: bytes sent, or -1 (address 0, port 0, a refused address
    // or a send error, printed).
    int Send(uint32_t address, int port, const void* data, int length);

    const CSendTable& sendTable() const { return m_sendTable; }
    int errorCode() const { return m_nErrorCode; }
    platform::net::UdpSocket& socket() { return m_socket; }

    int32_t good = 0;

private:
    int m_nErrorCode = 0;
    bool m_bHavePeer = false;
    platform::net::SocketAddress m_peer;
    platform::net::UdpSocket m_socket;
    CSendTable m_sendTable;
};

// Waits without limit until the socket is readable: 1, or -1 on an error or exception (printed).
int WaitForSocketRead(platform::net::UdpSocket& socket);
// Waits 300 microseconds: 1 readable, 0 timed out (printed), -1 on an error or exception (printed).
int WaitForSocketReadBriefly(platform::net::UdpSocket& socket);
