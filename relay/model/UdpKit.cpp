// Plain UDP server and client, send table and readiness waits.
#include "relay/model/UdpKit.h"

#include "relay/model/Console.h"
#include "relay/model/NetSupport.h"

#include <cmath>

void CSendTable::Record(int port, uint32_t address, int length, int error)
{
    if (m_nLatest >= 0) {
        Entry& e = m_aEntries[m_nLatest];
        if (e.port == port && e.address == address && e.length == length && e.error == error) {
            if (e.count < INT32_MAX)
                ++e.count;
            return;
        }
    }
    m_aEntries[m_nNext] = Entry{port, address, length, error, 1};
    m_nLatest = m_nNext;
    m_nNext = (m_nNext + 1) % kEntries;
}

udpServer::udpServer(int port, int32_t unused1, int32_t unused2) : m_nUnused1(unused1), m_nUnused2(unused2)
{
    if (port < 2000)
        port += 2000;
    m_nPort = port;
    if (!m_socket.Open()) {
        m_nErrorCode = m_socket.LastError();
        RelayPrintf("udpServer: Error creating socket: %s\n", SocketErrorText(m_nErrorCode));
        return;
    }
    if (!m_socket.Bind(platform::net::kAnyAddress, port)) {
        m_nErrorCode = m_socket.LastError();
        RelayPrintf("udpServer bind() error: %s\n", SocketErrorText(m_nErrorCode));
        m_socket.Close();
        return;
    }
    int bound = m_socket.LocalPort();
    if (bound >= 0)
        m_nPort = bound;
    good = 1;
}

bool udpServer::TimeoutMicroseconds(int timeoutMs, int64_t* microseconds)
{
    if (timeoutMs == -1) {
        *microseconds = -1;
        return true;
    }
    if (timeoutMs < 0)
        return false;
    if (timeoutMs <= 1000)
        *microseconds = int64_t(timeoutMs) * 1000;
    else
        *microseconds = int64_t(timeoutMs / 1000) * 1000000;
    return true;
}

int udpServer::ReceiveWithin(char* buffer, int size, int64_t microseconds)
{
    switch (m_socket.WaitReadable(microseconds)) {
    case platform::net::WaitResult::Error:
        m_nErrorCode = m_socket.LastError();
        RelayPrintf("udpServer select error: %s\n", SocketErrorText(m_nErrorCode));
        return -1;
    case platform::net::WaitResult::Exception:
        RelayPrintf("udpServer select exception\n");
        return -1;
    case platform::net::WaitResult::TimedOut:
        return 0;
    case platform::net::WaitResult::Ready:
        break;
    }
    int got = m_socket.ReceiveFrom(buffer, size);
    if (got < 0) {
        m_nErrorCode = m_socket.LastError();
        RelayPrintf("recvfrom returned SOCKET_ERROR %s\n", SocketErrorText(m_nErrorCode));
        return -1;
    }
    return got;
}

int udpServer::Receive(char* buffer, int size, int timeoutMs)
{
    int64_t microseconds = 0;
    if (!TimeoutMicroseconds(timeoutMs, &microseconds)) {
        RelayPrintf("plsServer select; invalid timeout param: %i\n", timeoutMs);
        return -1;
    }
    return ReceiveWithin(buffer, size, microseconds);
}

int udpServer::Receive(char* buffer, int size, float timeoutSeconds)
{
    if (!(timeoutSeconds >= 0.0f)) {
        RelayPrintf("plsServer select; invalid timeout param: %i\n", std::isnan(timeoutSeconds) ? 0 : -1);
        return -1;
    }
    // A day is as good as forever here, and keeps the arithmetic in range.
    double seconds = std::fmin(double(timeoutSeconds), 86400.0);
    return ReceiveWithin(buffer, size, static_cast<int64_t>(std::llround(seconds * 1e6)));
}

udpClient::udpClient()
{
    if (!m_socket.Open()) {
        m_nErrorCode = m_socket.LastError();
        RelayPrintf("udpClient: Error creating socket: %s\n", SocketErrorText(m_nErrorCode));
        return;
    }
    good = 1;
}

int udpClient::Send(uint32_t address, int port, const void* data, int length)
{
    if (address == 0 || port == 0)
        return -1;
    if (!m_bHavePeer || m_peer.address != address || m_peer.port != port) {
        platform::net::SocketAddress peer;
        if (!setSockaddr(&peer, address, port))
            return -1;
        m_peer = peer;
        m_bHavePeer = true;
    }
    int sent = m_socket.SendTo(m_peer, data, length);
    if (sent < 0) {
        m_nErrorCode = m_socket.LastError();
        m_sendTable.Record(port, address, -1, 1);
        char text[16];
        RelayPrintf("\n udpClient send error: %s %s : %i \n", SocketErrorText(m_nErrorCode), IPToString(address, text),
                    port);
        return -1;
    }
    m_sendTable.Record(port, address, length, 0);
    return sent;
}

namespace {

int WaitForRead(platform::net::UdpSocket& socket, int64_t microseconds)
{
    switch (socket.WaitReadable(microseconds)) {
    case platform::net::WaitResult::Ready:
        return 1;
    case platform::net::WaitResult::TimedOut:
        RelayPrintf("The Socket Was Not Ready To Be Read and Timed Out!\n");
        return 0;
    case platform::net::WaitResult::Exception:
        RelayPrintf("There was a Socket Exception!! \n");
        return -1;
    case platform::net::WaitResult::Error:
        break;
    }
    RelayPrintf("There was a socket Error: %i \n", socket.LastError());
    return -1;
}

} // namespace

int WaitForSocketRead(platform::net::UdpSocket& socket)
{
    return WaitForRead(socket, -1);
}

int WaitForSocketReadBriefly(platform::net::UdpSocket& socket)
{
    return WaitForRead(socket, 300);
}
