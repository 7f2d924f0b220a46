// Session packets: byte-exact builders and the direction, length and id check of received ones.
#include "net/session/SessionPackets.h"

#include "core/util/ByteStream.h"

#include <cstring>

namespace {

int32_t I32(const uint8_t* p)
{
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}

uint16_t U16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

bool Fail(std::string* why, const std::string& text)
{
    if (why)
        *why = text;
    return false;
}

bool HasNul(const uint8_t* field, size_t width)
{
    return std::memchr(field, 0, width) != nullptr;
}

void WriteHeader(CByteWriter& w, uint16_t type, uint16_t second)
{
    w.WriteU16(type);
    w.WriteU16(second);
}

bool KindFromClient(int kind)
{
    return kind == kPacketGame || kind == kPacketNamesRequest || kind == kPacketVersionRequest ||
           (kind >= 10 && kind <= kPacketFileLast && kind % 2 == 0);
}

bool KindFromHost(int kind)
{
    return kind == kPacketGame || kind == kPacketNames || kind == kPacketJoinAccepted || kind == kPacketJoinRefused ||
           (kind >= kPacketFileFirst && kind <= 19 && kind % 2 == 1);
}

bool CheckGamePacket(const uint8_t* p, size_t n, bool fromClient, std::string* why)
{
    if (n < 8 || n > kGamePacketSize)
        return Fail(why, "game packet of " + std::to_string(n) + " bytes");
    const int kind = U16(p + 2);
    if (!(fromClient ? KindFromClient(kind) : KindFromHost(kind)))
        return Fail(why, "game packet kind " + std::to_string(kind) + " from the wrong side");
    if (kind == kPacketGame) {
        if (n < kGameHeader)
            return Fail(why, "game message header cut short");
        const size_t length = U16(p + 12);
        if (length > kMaxPayload || kGameHeader + length > n)
            return Fail(why, "game message of " + std::to_string(length) + " bytes");
        return true;
    }
    if (kind == kPacketNames) {
        if (n != 148 || I32(p + 12) != 64 || I32(p + 80) != 64 || !HasNul(p + 16, 64) || !HasNul(p + 84, 64))
            return Fail(why, "malformed scenario names");
        return true;
    }
    if (kind == kPacketJoinAccepted || kind == kPacketJoinRefused) {
        if (n != 20 || !HasNul(p + 8, kVersionField))
            return Fail(why, "malformed join reply");
        return true;
    }
    if (kind >= kPacketFileFirst && kind <= 19 && kind % 2 == 1) {
        if (n != kGamePacketSize)
            return Fail(why, "file block of " + std::to_string(n) + " bytes");
        const int32_t chunk = I32(p + 8), used = I32(p + 12);
        if (chunk < 0 || used < 0 || used > static_cast<int32_t>(kMaxPayload))
            return Fail(why, "malformed file block");
        return true;
    }
    if (n != 8)
        return Fail(why, "request of " + std::to_string(n) + " bytes");
    return true;
}

} // namespace

std::vector<uint8_t> BuildTextPacket(int32_t sender, int32_t kind, int32_t roleMask, uint32_t colour,
                                     const std::string& text)
{
    const std::string line = text.substr(0, std::min(text.size(), strnlen(text.c_str(), kTextMax)));
    CByteWriter w;
    WriteHeader(w, kTypeText, 0);
    w.WriteI32(sender);
    w.WriteI32(kind);
    w.WriteI32(roleMask);
    w.WriteU32(colour);
    w.WriteBytes(line.data(), line.size());
    w.WriteZeros(3); // the terminator and two more zeros: 23 + length bytes
    return w.Data();
}

std::vector<uint8_t> BuildStatusPacket(int32_t playerId, uint16_t status)
{
    CByteWriter w;
    WriteHeader(w, kTypeStatus, 0);
    w.WriteI32(playerId);
    w.WriteU16(status);
    w.WriteU16(0);
    return w.Data();
}

std::vector<uint8_t> BuildQuitPacket(int32_t ownId)
{
    CByteWriter w;
    WriteHeader(w, kTypeQuit, 0);
    w.WriteI32(ownId);
    return w.Data();
}

std::vector<uint8_t> BuildRequestPacket(int16_t kind, int32_t sender)
{
    CByteWriter w;
    WriteHeader(w, kTypeGame, static_cast<uint16_t>(kind));
    w.WriteI32(sender);
    return w.Data();
}

std::vector<uint8_t> BuildGamePacket(int32_t sender, uint16_t id, uint16_t chunk, const void* payload, size_t length)
{
    CByteWriter w;
    WriteHeader(w, kTypeGame, kPacketGame);
    w.WriteI32(sender);
    w.WriteU16(id);
    w.WriteU16(chunk);
    w.WriteU16(static_cast<uint16_t>(length));
    w.WriteBytes(payload, length);
    return w.Data();
}

std::vector<uint8_t> BuildNamesPacket(int32_t sender, bool noSavedGame, const std::string& savedGame,
                                      const std::string& scenario)
{
    if (savedGame.size() >= kNameFieldWide || scenario.size() >= kNameFieldWide)
        return {};
    CByteWriter w;
    WriteHeader(w, kTypeGame, kPacketNames);
    w.WriteI32(sender);
    w.WriteI32(noSavedGame ? 1 : 0);
    w.WriteI32(64);
    w.WriteFixedString(noSavedGame ? std::string() : savedGame, kNameFieldWide);
    w.WriteI32(64);
    w.WriteFixedString(scenario, kNameFieldWide);
    return w.Data();
}

std::vector<uint8_t> BuildFileBlock(int16_t kind, int32_t sender, int32_t chunk, const uint8_t* data, size_t used)
{
    if (used > kMaxPayload)
        return {};
    CByteWriter w;
    WriteHeader(w, kTypeGame, static_cast<uint16_t>(kind));
    w.WriteI32(sender);
    w.WriteI32(chunk);
    w.WriteI32(static_cast<int32_t>(used));
    w.WriteBytes(data, used);
    w.WriteZeros(kGamePacketSize - w.Size());
    return w.Data();
}

std::vector<uint8_t> BuildJoinReply(int32_t sender, bool refused, const std::string& version)
{
    if (version.size() >= kVersionField)
        return {};
    CByteWriter w;
    WriteHeader(w, kTypeGame, static_cast<uint16_t>(refused ? kPacketJoinRefused : kPacketJoinAccepted));
    w.WriteI32(sender);
    w.WriteFixedString(version, kVersionField);
    return w.Data();
}

std::vector<uint8_t> BuildRolesPacket(const std::vector<std::pair<int32_t, uint16_t>>& entries)
{
    CByteWriter w;
    WriteHeader(w, kTypeRoles, 0);
    w.WriteZeros(8);
    w.WriteU32(static_cast<uint32_t>(entries.size()));
    for (const auto& [id, roles] : entries) {
        w.WriteI32(id);
        w.WriteU16(roles);
        w.WriteU16(0);
    }
    return w.Data();
}

bool CheckSessionPacket(const uint8_t* p, size_t n, bool fromClient, int32_t connectionId, std::string* why)
{
    if (!p || n < 2)
        return Fail(why, "empty app data");
    const uint16_t type = U16(p);
    auto idOk = [&](int32_t id) { return fromClient ? id == connectionId : (id >= 0 && id < kMaxRecords); };
    switch (type) {
    case kTypeText: {
        if (n < 21 || n > 20 + kTextMax + 3)
            return Fail(why, "text line of " + std::to_string(n) + " bytes");
        const void* nul = std::memchr(p + 20, 0, n - 20);
        if (!nul || static_cast<const uint8_t*>(nul) - (p + 20) > static_cast<ptrdiff_t>(kTextMax))
            return Fail(why, "text line without its end");
        return idOk(I32(p + 4)) || Fail(why, "text line with a foreign sender");
    }
    case kTypeStatus:
        if (n != 12)
            return Fail(why, "status of " + std::to_string(n) + " bytes");
        return idOk(I32(p + 4)) || Fail(why, "status with a foreign id");
    case kTypeQuit:
        if (!fromClient || n != 8)
            return Fail(why, "quit packet from the wrong side or of the wrong size");
        return idOk(I32(p + 4)) || Fail(why, "quit with a foreign id");
    case kTypeGame:
        if (n >= 8 && !idOk(I32(p + 4)))
            return Fail(why, "game packet with a foreign sender");
        return CheckGamePacket(p, n, fromClient, why);
    case kTypeRoles: {
        if (fromClient || n < 16)
            return Fail(why, "role table from the wrong side or cut short");
        const uint32_t count = static_cast<uint32_t>(I32(p + 12));
        if (count > (n - 16) / 8)
            return Fail(why, "role table count beyond its bytes");
        for (uint32_t i = 0; i < count; ++i)
            if (!idOk(I32(p + 16 + 8 * i)))
                return Fail(why, "role table with an id out of range");
        return true;
    }
    default:
        return Fail(why, "session packet type " + std::to_string(type));
    }
}

bool IsJoiningPacket(const uint8_t* p, size_t n)
{
    if (!p || n < 4 || U16(p) != kTypeGame)
        return false;
    const int kind = U16(p + 2);
    return kind != kPacketGame && KindFromClient(kind);
}

std::string TextOf(const uint8_t* data, size_t size)
{
    return FieldString(data + 20, size - 20);
}

std::string FieldString(const uint8_t* field, size_t width)
{
    return std::string(reinterpret_cast<const char*>(field), strnlen(reinterpret_cast<const char*>(field), width));
}
