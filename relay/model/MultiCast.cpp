// Multicast receiver and sender over the platform's UDP sockets.
#include "relay/model/MultiCast.h"

#include "relay/model/Console.h"
#include "relay/model/NetSupport.h"

#include <cerrno>
#include <vector>

CMultiCastReceiver::CMultiCastReceiver(uint32_t groupAddress, int port, uint32_t interfaceAddress, int32_t unused1,
                                       int32_t unused2)
    : m_nPort(port), m_nGroupAddress(groupAddress), m_nInterfaceAddress(interfaceAddress), m_nUnused1(unused1),
      m_nUnused2(unused2)
{
    m_groupAddr.address = groupAddress;
    m_groupAddr.port = static_cast<uint16_t>(port >= 0 && port <= 65535 ? port : 0);
    if (!m_socket.Open()) {
        m_nErrorCode = m_socket.LastError();
        RelayPrintf("\nCMultiCastReceiver: Error creating socket: %s\n", SocketErrorText(m_nErrorCode));
        return;
    }
    if (!m_socket.SetReuseAddress(true))
        RelayPrintf("\nCMultiCastReceiver: SO_REUSEADDR failed; %s \n", SocketErrorText(m_socket.LastError()));
    if (!m_socket.Bind(platform::net::kAnyAddress, port)) {
        m_nErrorCode = m_socket.LastError();
        RelayPrintf("CMultiCastReceiver bind() error: %s\n", SocketErrorText(m_nErrorCode));
        m_socket.Close();
        return;
    }
    // The old code joined on the host name's address, which is loopback on Debian: 0 now means the default
    // interface.
    if (!m_socket.JoinGroup(groupAddress, interfaceAddress)) {
        m_nErrorCode = m_socket.LastError();
        RelayPrintf("CMultiCastReceiver IP_ADD_MEMBERSHIP error: %s\n", SocketErrorText(m_nErrorCode));
        m_socket.Close();
        return;
    }
    good = 1;
}

CMultiCastReceiver::~CMultiCastReceiver()
{
    Close();
}

int CMultiCastReceiver::receive(char* buffer, int size)
{
    int got = m_socket.ReceiveFrom(buffer, size, &m_senderAddr);
    if (got < 0) {
        m_nErrorCode = m_socket.LastError();
        RelayPrintf("recvfrom returned SOCKET_ERROR %s\n", SocketErrorText(m_nErrorCode));
        return -1;
    }
    return got;
}

void CMultiCastReceiver::Close()
{
    m_socket.Close();
    good = 0;
}

CMultiCastSender::CMultiCastSender(uint32_t groupAddress, int port, uint32_t interfaceAddress, int ttl, int32_t unused1,
                                   int32_t unused2)
    : m_nInterfaceAddress(interfaceAddress), m_nUnused1(unused1), m_nUnused2(unused2)
{
    m_groupAddr.address = groupAddress;
    m_groupAddr.port = static_cast<uint16_t>(port >= 0 && port <= 65535 ? port : 0);
    if (!m_socket.Open()) {
        m_nErrorCode = m_socket.LastError();
        RelayPrintf("\nCMultiCastSender: Error creating socket: %s\n", SocketErrorText(m_nErrorCode));
        return;
    }
    if (!m_socket.SetReuseAddress(true))
        RelayPrintf("\nCMultiCastSender: SO_REUSEADDR failed; %s \n", SocketErrorText(m_socket.LastError()));
    if (!m_socket.Bind(interfaceAddress, port)) {
        m_nErrorCode = m_socket.LastError();
        RelayPrintf("CMultiCastSender bind() error: %s\n", SocketErrorText(m_nErrorCode));
        m_socket.Close();
        return;
    }
    // Binding alone does not pick the outgoing interface on Linux.
    if (interfaceAddress != platform::net::kAnyAddress && !m_socket.SetMulticastInterface(interfaceAddress)) {
        m_nErrorCode = m_socket.LastError();
        RelayPrintf("CMultiCastSender IP_MULTICAST_IF error: %s\n", SocketErrorText(m_nErrorCode));
        m_socket.Close();
        return;
    }
    if (!m_socket.SetMulticastTtl(ttl)) {
        m_nErrorCode = m_socket.LastError();
        RelayPrintf("CMultiCastSender IP_MULTICAST_TTL error: %s\n", SocketErrorText(m_nErrorCode));
        m_socket.Close();
        return;
    }
    good = 1;
}

CMultiCastSender::~CMultiCastSender()
{
    Close();
}

bool CMultiCastSender::Send(const void* data, int length)
{
    if (m_socket.SendTo(m_groupAddr, data, length) < 0) {
        m_nErrorCode = m_socket.LastError();
        return false;
    }
    return true;
}

bool CMultiCastSender::SendFrame(const void* data, int length)
{
    if (!data || length <= 0) {
        m_nErrorCode = EINVAL;
        return false;
    }
    std::vector<unsigned char> first, second;
    SplitFrame(static_cast<const unsigned char*>(data), length, m_nFrameCount, &first, &second);
    m_nFrameCount = static_cast<int32_t>(static_cast<uint32_t>(m_nFrameCount) + 1u);
    return Send(first.data(), static_cast<int>(first.size())) && Send(second.data(), static_cast<int>(second.size()));
}

void CMultiCastSender::Close()
{
    m_socket.Close();
    good = 0;
}
