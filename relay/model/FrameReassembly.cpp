// Frame split and reassembly over two packets per frame.
#include "relay/model/FrameReassembly.h"

#include "relay/model/ByteOrder.h"
#include "relay/model/Console.h"

#include <cstring>

void SplitFrame(const unsigned char* data, int length, int32_t frameNumber, std::vector<unsigned char>* first,
                std::vector<unsigned char>* second)
{
    first->clear();
    second->clear();
    if (!data || length <= 0)
        return;
    int firstLength = length / 2;
    int secondLength = length - firstLength;
    first->assign(data, data + firstLength);
    second->resize(static_cast<size_t>(kFrameHeaderSize + secondLength));
    WriteInt32LE(second->data(), secondLength + kFrameHeaderSize);
    WriteInt32LE(second->data() + 4, frameNumber);
    std::memcpy(second->data() + kFrameHeaderSize, data + firstLength, static_cast<size_t>(secondLength));
}

void CFrameReassembly::CountLostPacket()
{
    if (++m_nLostPackets == 1)
        RelayPrintf(" Multicast packet lost, _frame_cnt= %i", m_nFrameCount);
}

void CFrameReassembly::NoteFrameNumber(int32_t frameNumber)
{
    if (m_nLastFrames == 3) {
        m_anLastFrames[0] = m_anLastFrames[1];
        m_anLastFrames[1] = m_anLastFrames[2];
        m_nLastFrames = 2;
    }
    m_anLastFrames[m_nLastFrames++] = frameNumber;
    if (m_nLastFrames < 3)
        return;
    // Unsigned steps so the numbers may wrap.
    auto next = [](int32_t a) { return static_cast<int32_t>(static_cast<uint32_t>(a) + 1u); };
    bool consecutive = m_anLastFrames[1] == next(m_anLastFrames[0]) && m_anLastFrames[2] == next(m_anLastFrames[1]);
    if (!consecutive && ++m_nSequenceErrors == 1)
        RelayPrintf(" Multicast receive sequence error. _frame_cnt= %i", m_nFrameCount);
}

int CFrameReassembly::ReceiveFrame(unsigned char* out, int* frameNumber, const unsigned char* packet, int length)
{
    if (!out || !packet)
        return 0;
    if (length == kFrameHalfSize) {
        if (m_bHaveFirstHalf)
            CountLostPacket(); // the previous first half never got its second
        std::memcpy(out, packet, kFrameHalfSize);
        m_bHaveFirstHalf = true;
        return 0;
    }
    // The whole second half must be there: the old code copied 1,024 bytes from any packet with a header.
    if (length != kFrameSecondPacketSize || ReadInt32LE(packet) != kFrameSecondPacketSize)
        return 0;
    if (!m_bHaveFirstHalf) {
        CountLostPacket();
        return 0;
    }
    int32_t number = ReadInt32LE(packet + 4);
    std::memcpy(out + kFrameHalfSize, packet + kFrameHeaderSize, kFrameHalfSize);
    m_bHaveFirstHalf = false;
    ++m_nFrameCount;
    NoteFrameNumber(number);
    if (frameNumber)
        *frameNumber = number;
    return 1;
}

void CFrameReassembly::ResetCounters()
{
    m_nLostPackets = 0;
    m_nSequenceErrors = 0;
}

void CFrameReassembly::PrintStats() const
{
    if (m_nLostPackets != 0 || m_nSequenceErrors != 0)
        RelayPrintf(" Multicast receive lost packets: %i sequence errors %i ", m_nLostPackets, m_nSequenceErrors);
}
