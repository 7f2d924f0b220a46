// Frames sent in two halves: the split on the sending side and the reassembly with lost-packet and sequence counts.
#pragma once

#include <cstdint>
#include <vector>

constexpr int kFrameSize = 2048;
constexpr int kFrameHalfSize = kFrameSize / 2;
constexpr int kFrameHeaderSize = 8;
constexpr int kFrameSecondPacketSize = kFrameHalfSize + kFrameHeaderSize;

// The two packets a frame goes out as: the first half bare, then {int32 half length + 8; int32 frame number}
// (little-endian) and the second half. An odd byte goes to the second half.
void SplitFrame(const unsigned char* data, int length, int32_t frameNumber, std::vector<unsigned char>* first,
                std::vector<unsigned char>* second);

// Puts 2,048-byte frames back together from their packets.
class CFrameReassembly {
public:
    // Takes one packet. A 1,024-byte packet is a frame's first half and goes into out[0..1024). A 1,032-byte
    // packet whose header gives its own length is a second half: following a first half it fills
    // out[1024..2048), sets *frameNumber and gives 1. A half without its partner counts a lost packet; the
    // last three completed frame numbers must run on by one, else a sequence error is counted. Other packets
    // are not frame packets and give 0.
    int ReceiveFrame(unsigned char* out, int* frameNumber, const unsigned char* packet, int length);
    void ResetCounters();
    // " Multicast receive lost packets: %i sequence errors %i " when either is not 0.
    void PrintStats() const;

    int LostPackets() const { return m_nLostPackets; }
    int SequenceErrors() const { return m_nSequenceErrors; }
    int FrameCount() const { return m_nFrameCount; }

private:
    void CountLostPacket();
    void NoteFrameNumber(int32_t frameNumber);

    bool m_bHaveFirstHalf = false;
    int m_nLostPackets = 0;
    int m_nSequenceErrors = 0;
    int m_nFrameCount = 0;
    int32_t m_anLastFrames[3] = {};
    int m_nLastFrames = 0;
};
