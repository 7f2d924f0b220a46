// The framed TCP messages between host and clients, their length and direction rules, and the discovery answer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

enum ENetFrame : uint16_t {
    GNSYS_PLAYER_INFO = 0x8001,   // host: a player's id and name
    GNSYS_DELETE_PLAYER = 0x8002, // host: a player left
    GNSYS_PLAYER_ID = 0x8003,     // host, on accept: the new player's id
    GNSYS_PING = 0x8004,          // the sender's clock
    GNSYS_PING_REPLY = 0x8005,    // client: the answering player's id
    GNSYS_APP_DATA = 0x8006,      // session packets
    GNSYS_JOIN_REQUEST = 0x8007,  // client: name and password
    GNSYS_JOIN_RESULT = 0x8008,   // host: the join's result
};

enum ENetJoinResult : int32_t {
    kJoinAccepted = 16,
    kJoinNoSuchUser = 64,
    kJoinRefused = 128, // wrong password, or the account is in use
};

constexpr size_t kFrameHeader = 12;
constexpr int32_t kFrameMin = 5; // a total length outside 5 to 644 ends the connection
constexpr int32_t kFrameMax = 644;
constexpr size_t kAppDataMax = kFrameMax - kFrameHeader; // 632
constexpr int32_t kTargetAll = -2;
constexpr size_t kNameField = 32;

// The total length a frame type must have (app data: at least the header), or -1 for an unknown type.
int32_t FrameTableLength(uint16_t type);
// May this side take a frame of this type and length (host: 0x8005 to 0x8007; client: 0x8001 to 0x8004, 0x8006,
// 0x8008; each at its table length)?
bool FrameAllowed(uint16_t type, int32_t length, bool atHost);

// Little-endian field access on raw frame bytes.
int32_t ReadI32At(const uint8_t* p);
uint16_t ReadU16At(const uint8_t* p);
void WriteI32At(uint8_t* p, int32_t value);
void WriteU16At(uint8_t* p, uint16_t value);
// The header: total length, type, sequence, target.
void WriteFrameHeader(uint8_t* frame, int32_t length, uint16_t type, uint16_t sequence, int32_t target);
// A NUL-padded field of `width` bytes from a text (cut to `width` characters).
void WriteNameField(uint8_t* field, const std::string& text, size_t width = kNameField);
// The text of a NUL-padded field (at most `width` characters; a full field has no terminator).
std::string ReadNameField(const uint8_t* field, size_t width = kNameField);

// Cuts the whole frames at the front of a received byte stream and hands each to `take` (which returns false to
// stop); returns the bytes used. A length outside 5 to 644 sets `bad`: the connection must end.
size_t CutFrames(const uint8_t* data, size_t size, const std::function<bool(const uint8_t*, int32_t)>& take, bool* bad);

// The next app-data sequence number: one process-wide counter, 0 first, wrapping at 16 bits.
uint16_t NextAppDataSequence();

// The 44-byte discovery answer.
struct NetSessionInfo {
    static constexpr size_t kSize = 44;
    std::string strName; // at most 32 characters
    int32_t nValue = 0;
    uint8_t nPlayers = 0;
    uint8_t nMaxPlayers = 0;
    uint32_t uAddress = 0; // host order; network order on the wire

    std::array<uint8_t, kSize> Encode() const;
    static bool Decode(const uint8_t* data, size_t size, NetSessionInfo& info);
};
