// The session packets carried as app data: their builders, byte for byte, and the check every received one passes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Session packet types (uint16 at offset 0).
enum ESessionType : uint16_t {
    kTypeText = 10,   // a text line, to all
    kTypeStatus = 12, // a player's status, to all
    kTypeQuit = 13,   // a player quits, to the host
    kTypeGame = 14,   // a game packet, by kind
    kTypeRoles = 15,  // a role table (received only)
};

// Kinds of game packets (uint16 at offset 2 of type 14).
enum ESessionPacket : int16_t {
    kPacketPlayersChanged = 1, // queued locally on a status packet
    kPacketPlayerLeft = 2,     // queued locally: +8 int32 player id
    kPacketGame = 3,           // a game message
    kPacketNames = 7,          // host: the scenario and saved-game names
    kPacketNamesRequest = 8,   // client: the names, please
    kPacketFileFirst = 9,      // host: file blocks 9, 11, ... 19; client: requests 10, 12, ... 20
    kPacketFileLast = 20,
    kPacketJoinAccepted = 21,  // host: +8 version text
    kPacketJoinRefused = 22,   // host: the scenario is running
    kPacketVersionRequest = 24 // client: the join's version check
};

constexpr size_t kGamePacketSize = 532; // every queued game packet, and a file block
constexpr size_t kGameHeader = 14;      // a game message's header (type 14, kind 3)
constexpr size_t kMaxPayload = 514;
constexpr size_t kTextMax = 420;
constexpr size_t kNameFieldWide = 64; // scenario and saved-game names
constexpr size_t kVersionField = 12;
constexpr int kMaxRecords = 24; // player ids 0 to 23

// Builders. Each returns the exact bytes of the packet.
std::vector<uint8_t> BuildTextPacket(int32_t sender, int32_t kind, int32_t roleMask, uint32_t colour,
                                     const std::string& text);
std::vector<uint8_t> BuildStatusPacket(int32_t playerId, uint16_t status);
std::vector<uint8_t> BuildQuitPacket(int32_t ownId);
// {14; kind; sender} and nothing more (requests, kinds 8, 10 to 20, 24).
std::vector<uint8_t> BuildRequestPacket(int16_t kind, int32_t sender);
std::vector<uint8_t> BuildGamePacket(int32_t sender, uint16_t id, uint16_t chunk, const void* payload, size_t length);
// Empty when a name does not fit its 64-byte field with its terminator.
std::vector<uint8_t> BuildNamesPacket(int32_t sender, bool noSavedGame, const std::string& savedGame,
                                      const std::string& scenario);
std::vector<uint8_t> BuildFileBlock(int16_t kind, int32_t sender, int32_t chunk, const uint8_t* data, size_t used);
// Empty when the version does not fit 11 characters.
std::vector<uint8_t> BuildJoinReply(int32_t sender, bool refused, const std::string& version);
std::vector<uint8_t> BuildRolesPacket(const std::vector<std::pair<int32_t, uint16_t>>& entries);

// Checks a received session packet: its type and kind for the direction (`fromClient`: a client sent it to
// this host), its length, its bounds and its ids (from a client every id must be `connectionId`). False with
// a reason otherwise.
bool CheckSessionPacket(const uint8_t* data, size_t size, bool fromClient, int32_t connectionId, std::string* why);

// Whether a checked packet is one a player not yet let in may send: the version request, the names and file
// requests.
bool IsJoiningPacket(const uint8_t* data, size_t size);

// The text of a text-line packet that passed the check.
std::string TextOf(const uint8_t* data, size_t size);
// The text of a NUL-ended field (the check has made sure there is a NUL).
std::string FieldString(const uint8_t* field, size_t width);
