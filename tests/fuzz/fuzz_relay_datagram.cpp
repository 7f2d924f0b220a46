// Fuzzes what the relay does with received bytes: the datagram take and the frame reassembly.
// Input: records of {uint16 little-endian length; bytes}, each one datagram.
#include "relay/model/Console.h"
#include "relay/model/FrameReassembly.h"
#include "relay/model/Relay.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool s_bQuiet = [] {
        SetRelayConsoleSink([](const std::string&) {});
        return true;
    }();
    (void)s_bQuiet;

    CRelayState state;
    CFrameReassembly frames;
    unsigned char frame[kFrameSize];
    size_t at = 0;
    while (at + 2 <= size) {
        size_t length = data[at] | (size_t(data[at + 1]) << 8);
        at += 2;
        length = std::min(length, size - at);
        const uint8_t* packet = data + at;
        at += length;

        // As the receiver hands it over: a datagram longer than asked for is an error.
        int result = length > size_t(kDatagramSize) ? -1 : int(length);
        std::memcpy(state.receiveBuf.data(), packet, std::min(length, size_t(kDatagramSize)));
        bool taken = TakeDatagram(state, result);
        if (taken != (length == size_t(kDatagramSize)))
            std::abort();
        std::string text = FormatPosition(state.lastX, state.lastY);
        if (text.find(',') == std::string::npos)
            std::abort();

        int number = 0;
        frames.ReceiveFrame(frame, &number, packet, int(length));
    }
    frames.PrintStats();
    return 0;
}
