// The multicast receiver the relay listens with, and the matching sender.
#pragma once

#include "platform/net/Socket.h"
#include "relay/model/FrameReassembly.h"

#include <cstdint>

// Joins a multicast group on a port and receives its datagrams. `good` is 1 once the group is joined.
class CMultiCastReceiver {
public:
    // Group and interface in host order. Interface 0 joins on the default interface (the one the group is
    // routed through), or the first non-loopback address when there is no such route.
    CMultiCastReceiver(uint32_t groupAddress, int port, uint32_t interfaceAddress, int32_t unused1, int32_t unused2);
    ~CMultiCastReceiver();
    CMultiCastReceiver(const CMultiCastReceiver&) = delete;
    CMultiCastReceiver& operator=(const CMultiCastReceiver&) = delete;

    // One datagram into `buffer`: its length, or -1 (printed) on an error. A datagram longer than `size`
    // is an error (EMSGSIZE), as it was under Winsock.
    int receive(char* buffer, int size);
    void Close();

    int ReceiveFrame(unsigned char* out, int* frameNumber, const unsigned char* packet, int length)
    {
        return m_frames.ReceiveFrame(out, frameNumber, packet, length);
    }
    void ResetCounters() { m_frames.ResetCounters(); }
    void PrintStats() const { m_frames.PrintStats(); }
    const CFrameReassembly& frames() const { return m_frames; }

    platform::net::UdpSocket& socket() { return m_socket; }
    const platform::net::SocketAddress& senderAddress() const { return m_senderAddr; }
    int errorCode() const { return m_nErrorCode; }
    int port() const { return m_nPort; }
    uint32_t groupAddress() const { return m_nGroupAddress; }
    uint32_t interfaceAddress() const { return m_nInterfaceAddress; }

    int32_t good = 0;

private:
    int m_nErrorCode = 0;
    CFrameReassembly m_frames;
    int m_nPort = 0;
    uint32_t m_nGroupAddress = 0;
    uint32_t m_nInterfaceAddress = 0;
    platform::net::UdpSocket m_socket;
    platform::net::SocketAddress m_groupAddr;
    platform::net::SocketAddress m_senderAddr;
    [[maybe_unused]] int32_t m_nUnused1 = 0;
    [[maybe_unused]] int32_t m_nUnused2 = 0;
};

// Sends datagrams to a multicast group. Bound to the interface address (0: any, the default interface
// sends) and the group's port; `good` is 1 once the time-to-live is set.
class CMultiCastSender {
public:
    CMultiCastSender(uint32_t groupAddress, int port, uint32_t interfaceAddress, int ttl, int32_t unused1,
                     int32_t unused2);
    ~CMultiCastSender();
    CMultiCastSender(const CMultiCastSender&) = delete;
    CMultiCastSender& operator=(const CMultiCastSender&) = delete;

    // One datagram to the group; false keeps the error code.
    bool Send(const void* data, int length);
    // A frame in two packets (see SplitFrame), numbered by the sender from 0 on.
    bool SendFrame(const void* data, int length);
    void Close();

    platform::net::UdpSocket& socket() { return m_socket; }
    int errorCode() const { return m_nErrorCode; }
    int32_t frameCount() const { return m_nFrameCount; }
    uint32_t interfaceAddress() const { return m_nInterfaceAddress; }

    int32_t good = 0;

private:
    int m_nErrorCode = 0;
    int32_t m_nFrameCount = 0;
    uint32_t m_nInterfaceAddress = 0;
    platform::net::UdpSocket m_socket;
    platform::net::SocketAddress m_groupAddr;
    [[maybe_unused]] int32_t m_nUnused1 = 0;
    [[maybe_unused]] int32_t m_nUnused2 = 0;
};
