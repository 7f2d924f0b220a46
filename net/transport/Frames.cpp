// Frame rules and field helpers of the transport.
#include "net/transport/Frames.h"

#include <atomic>
#include <cstring>

int32_t FrameTableLength(uint16_t type)
{
    switch (type) {
    case GNSYS_PLAYER_INFO:
        return 48;
    case GNSYS_DELETE_PLAYER:
    case GNSYS_PLAYER_ID:
    case GNSYS_PING:
    case GNSYS_PING_REPLY:
    case GNSYS_JOIN_RESULT:
        return 16;
    case GNSYS_APP_DATA:
        return static_cast<int32_t>(kFrameHeader);
    case GNSYS_JOIN_REQUEST:
        return 76;
    default:
        return -1;
    }
}

bool FrameAllowed(uint16_t type, int32_t length, bool atHost)
{
    const int32_t table = FrameTableLength(type);
    if (table < 0)
        return false;
    if (type == GNSYS_APP_DATA) {
        if (length < table || length > kFrameMax)
            return false;
    } else if (length != table) {
        return false;
    }
    switch (type) {
    case GNSYS_PING_REPLY:
    case GNSYS_JOIN_REQUEST:
        return atHost;
    case GNSYS_APP_DATA:
        return true;
    default:
        return !atHost;
    }
}

int32_t ReadI32At(const uint8_t* p)
{
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}

uint16_t ReadU16At(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

void WriteI32At(uint8_t* p, int32_t value)
{
    const uint32_t v = static_cast<uint32_t>(value);
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

void WriteU16At(uint8_t* p, uint16_t value)
{
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
}

void WriteFrameHeader(uint8_t* frame, int32_t length, uint16_t type, uint16_t sequence, int32_t target)
{
    WriteI32At(frame, length);
    WriteU16At(frame + 4, type);
    WriteU16At(frame + 6, sequence);
    WriteI32At(frame + 8, target);
}

void WriteNameField(uint8_t* field, const std::string& text, size_t width)
{
    std::memset(field, 0, width);
    std::memcpy(field, text.data(), text.size() < width ? text.size() : width);
}

std::string ReadNameField(const uint8_t* field, size_t width)
{
    return std::string(reinterpret_cast<const char*>(field), strnlen(reinterpret_cast<const char*>(field), width));
}

size_t CutFrames(const uint8_t* data, size_t size, const std::function<bool(const uint8_t*, int32_t)>& take, bool* bad)
{
    *bad = false;
    size_t pos = 0;
    while (size - pos >= 4) {
        const int32_t length = ReadI32At(data + pos);
        if (length < kFrameMin || length > kFrameMax) {
            *bad = true;
            return pos;
        }
        if (size - pos < static_cast<size_t>(length))
            break;
        const bool more = take(data + pos, length);
        pos += static_cast<size_t>(length);
        if (!more)
            break;
    }
    return pos;
}

uint16_t NextAppDataSequence()
{
    static std::atomic<uint32_t> counter{0};
    return static_cast<uint16_t>(counter.fetch_add(1, std::memory_order_relaxed));
}

std::array<uint8_t, NetSessionInfo::kSize> NetSessionInfo::Encode() const
{
    std::array<uint8_t, kSize> out{};
    WriteNameField(out.data(), strName, 32);
    WriteI32At(out.data() + 32, nValue);
    out[38] = nPlayers;
    out[39] = nMaxPlayers;
    out[40] = static_cast<uint8_t>(uAddress >> 24);
    out[41] = static_cast<uint8_t>(uAddress >> 16);
    out[42] = static_cast<uint8_t>(uAddress >> 8);
    out[43] = static_cast<uint8_t>(uAddress);
    return out;
}

bool NetSessionInfo::Decode(const uint8_t* data, size_t size, NetSessionInfo& info)
{
    if (size != kSize)
        return false;
    info.strName = ReadNameField(data, 32);
    info.nValue = ReadI32At(data + 32);
    info.nPlayers = data[38];
    info.nMaxPlayers = data[39];
    info.uAddress = static_cast<uint32_t>(data[40]) << 24 | static_cast<uint32_t>(data[41]) << 16 |
                    static_cast<uint32_t>(data[42]) << 8 | data[43];
    return true;
}
