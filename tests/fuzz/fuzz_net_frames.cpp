// Fuzzes the frame reader with an arbitrary received byte stream: frames are cut only within the stream and
// their lengths, checked by both sides' tables; the discovery answer decodes only at 44 bytes.
#include "net/transport/Frames.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    size_t seen = 0;
    bool bad = false;
    const size_t used = CutFrames(
        data, size,
        [&](const uint8_t* frame, int32_t length) {
            if (frame < data || frame + length > data + size || length < kFrameMin || length > kFrameMax)
                std::abort();
            seen += static_cast<size_t>(length);
            if (length < static_cast<int32_t>(kFrameHeader))
                return true; // no whole header: refused as it is
            const uint16_t type = ReadU16At(frame + 4);
            for (bool host : {true, false}) {
                if (FrameAllowed(type, length, host) && length < static_cast<int32_t>(kFrameHeader))
                    std::abort();
            }
            if (type == GNSYS_PLAYER_INFO && length == 48)
                (void)ReadNameField(frame + 16);
            return true;
        },
        &bad);
    if (used != seen || used > size)
        std::abort();
    NetSessionInfo info;
    if (NetSessionInfo::Decode(data, size, info) != (size == NetSessionInfo::kSize))
        std::abort();
    return 0;
}
