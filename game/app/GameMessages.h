// Game-message ids, their payload size rules, and the chunk reassembly that large messages pass through.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

enum EGameMessage : uint16_t {
    kGmClockState = 30,        // the scoring clock's 32-byte state, from the authority every 500 ms
    kGmSquadOrder = 31,        // order record of a scenario squad
    kGmPlayerRoles = 32,       // one player's role flags
    kGmRoleTable = 33,         // the 24 role-flag words
    kGmSquadCancel = 34,       // a squad's order is cancelled
    kGmStarted = 35,           // the scenario has started
    kGmPause = 36,             // pause
    kGmResume = 37,            // resume
    kGmSaveBegin = 38,         // the save dialog opened
    kGmSaveEnd = 39,           // the save dialog closed
    kGmDropPlayer = 40,        // the named player is dropped (its program ends)
    kGmAreaSquadOrder = 41,    // order record of an area-map squad
    kGmEventBatch = 42,        // incident world's event batch
    kGmUnitUpdate = 43,        // the EOC unit data's 760-byte update
    kGmSquadSync = 44,         // sync records of the scenario squads
    kGmAreaSquadSync = 45,     // sync records of the area-map squads
    kGmStationDispatch = 46,   // a station dispatches a resource line
    kGmSquadAtStation = 47,    // a squad is back at its station
    kGmSquadDeployed = 48,     // an area-map squad is deployed
    kGmSquadReleased = 49,     // a squad is released
    kGmEndScenario = 50,       // the scenario ends
    kGmResourcePoints = 51,    // Resource Points for a section (5: all by the allocation)
    kGmAllocation = 52,        // the IAP allocation
    kGmSectionChiefs = 53,     // the five section chiefs' player ids
    kGmScoreChange = 54,       // a score change
    kGmSquadPosition = 55,     // position of a scenario squad
    kGmAreaSquadPosition = 56, // position of an area-map squad
    kGmSquadStatus = 57,       // status of a scenario squad
    kGmAreaSquadStatus = 58,   // status of an area-map squad
    kGmIAPSubmitted = 59,      // an IAP awaits approval
    kGmIAPApproved = 60,       // the approval is no longer pending
    kGmIAPReviewDue = 61,      // an IAP review is due
    kGmIAPReviewed = 62,       // the IAP was reviewed
    kGmMapObject = 63,         // a map object record
    kGmIAPPenalty = 64,        // an IAP penalty
    kGmFinalScore = 65,        // the 152-byte final score record
    kGmHazardSprites = 66,     // a hazard sprite pair
    kGmSquadSound = 67,        // a squad's sound
};

constexpr uint16_t kGameMessageFirst = 30;
constexpr uint16_t kGameMessageLast = 67;
constexpr size_t kMaxChunkPayload = 514; // payload bytes of one packet
constexpr int kMaxPlayers = 24;
// Room for one reassembled (compressed) message and its inflated size: a sync message of 500 squads
// is 8 + 52 x 500 = 26,008 bytes.
constexpr size_t kReassemblyCapacity = 32768;
constexpr int kInflateLimit = 32768;

// Size rule of a payload: exactly `base` bytes when `step` is 0, else base + step x n (n >= 0).
struct CPayloadRule {
    uint32_t nBase;
    uint32_t nStep;
};

constexpr bool IsGameMessageId(unsigned id)
{
    return id >= kGameMessageFirst && id <= kGameMessageLast;
}

// Ids 42 to 52 but 50 travel compressed and in chunks.
constexpr bool IsChunkedMessage(unsigned id)
{
    return id >= 42 && id <= 52 && id != 50;
}

// The size rule of an id (ids outside 30 to 67 have none).
CPayloadRule PayloadRule(unsigned id);

// True when `length` fits the id's rule.
bool PayloadFits(unsigned id, size_t length);

// Per-sender reassembly of chunked messages: chunks numbered 1, 2, ... are appended and the chunk numbered 0
// completes the message, which is inflated. Bad chunks are dropped and never overrun a buffer.
class CMessageReassembler {
public:
    enum class EResult { Incomplete, Complete, Dropped };

    CMessageReassembler();

    // Adds one chunk. On Complete, `message` holds the inflated payload.
    EResult AddChunk(int sender, uint16_t chunkNumber, const uint8_t* data, size_t length,
                     std::vector<uint8_t>& message);

    size_t FillLength(int sender) const;
    void Reset();
    // Forgets a sender's half message (the player left; the next on that id starts clean).
    void ResetSender(int sender);

private:
    struct Buffer {
        std::vector<uint8_t> aData;
        size_t nFill = 0;
        bool bBroken = false; // a chunk of the message was dropped: skip the rest of it
    };
    std::array<Buffer, kMaxPlayers> m_aBuffers;
};
