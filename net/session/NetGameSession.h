// The game session over the transport: 24 player records, joins and leaves, the version check, clock
// synchronisation, text lines and status, file requests and blocks, and game messages with their chunks.
// Receive threads only check and queue; the window thread applies everything when it pops the queue.
#pragma once

#include "net/session/MessageDeflater.h"
#include "net/session/SessionPackets.h"
#include "net/transport/NetManager.h"
#include "net/transport/NetMsgQueue.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

constexpr int kSessionMaxPlayers = 24;
constexpr int32_t kSendToAll = -2;

struct CSessionPlayer {
    static constexpr uint32_t kInUse = 0x1;
    static constexpr uint32_t kReplySent = 0x4;

    uint32_t m_uFlags = 0;
    uint32_t m_uRoleFlags = 0;
    int32_t m_nReserved = 0;
    int32_t m_nPlayerId = -1;
    std::string m_strName = "New Player"; // at most 32 characters

    // Free again: no flags, no roles, id -1, the default name.
    void Reset();
    bool InUse() const { return (m_uFlags & kInUse) != 0; }
};

// One packet queued for sending while the session has no connection (a test reads them).
struct COutboundPacket {
    int32_t nTo;
    std::vector<uint8_t> aBytes;
};

// What the session needs of the game object; without a message hook it works as if there were no game.
struct CSessionHooks {
    std::function<void(const std::string&, int32_t roleMask, int32_t kind, uint32_t colour, int32_t sender)>
        fnAddMessage;
    std::function<int32_t()> fnTimerBase;
    std::function<void(int32_t)> fnSetTimerBase;
    // Called while the version check waits, between its looks at the queue (a test drives its host here).
    std::function<void()> fnWhileWaiting;
};

// Clock synchronisation: ten offsets, applied at once the first time, after ten more samples the second time,
// then only when their average is 25 ms or more away.
class CClockSync {
public:
    void Clear();
    // One host clock sample against the timer's base; calls `rebase` when the timer is to be re-based.
    void OnSample(int32_t hostClock, int32_t base, const std::function<void(int32_t)>& rebase);
    int32_t Applied() const { return m_nApplied; }
    int32_t Since() const { return m_nSince; }

private:
    int32_t m_nApplied = 0;
    int32_t m_nSince = 0;
    std::array<int32_t, 10> m_anOffsets{};
};

// A player's allowance of text lines that the host relays and applies, set for people typing: a few lines a second
// with a small burst. A line over it is dropped; a player who keeps going over it is to be ended.
class CTextAllowance {
public:
    static constexpr uint64_t kLinesPerSecond = 4;
    static constexpr uint64_t kBurstLines = 8;
    // Dropped lines (one forgiven each second) beyond which the player is ended.
    static constexpr uint64_t kDroppedLimit = 32;
    enum class EVerdict { Take, Drop, End };

    EVerdict OnLine(uint32_t now);
    void Reset() { *this = CTextAllowance(); }

private:
    bool m_bStarted = false;
    uint32_t m_uLast = 0;
    uint64_t m_uCredit = 0;  // thousandths of a line
    uint64_t m_uDropped = 0; // thousandths of a line
};

// What one poll of the received queue may still take: entries, and milliseconds of the session's clock from its
// start.
struct CPollBudget {
    size_t nEntries = 0;
    uint32_t uStart = 0;
    uint32_t uMs = 0;
};

class CNetGameSession : public CNetManager {
public:
    static constexpr uint32_t kSessionStarted = 0x1;
    static constexpr uint32_t kRolesArrived = 0x2;
    static constexpr int kVersionWaitMs = 180000;
    // CheckVersion's results.
    static constexpr int kVersionSame = 21;
    static constexpr int kVersionRefused = 22;
    static constexpr int kVersionDiffers = 23;
    static constexpr int kVersionNoAnswer = 2;
    // A client's packets waiting in the host's received queue may take this many bytes; one more ends its
    // connection.
    static constexpr size_t kReceivedShareBytes = 1u << 20;
    // A dropped player's connection is closed once the drop is sent, or this long after at most.
    static constexpr uint32_t kDropGraceMs = 2000;

    explicit CNetGameSession(int maxPlayers = kSessionMaxPlayers, CNetConfig config = {});
    ~CNetGameSession() override;

    void SetHooks(CSessionHooks hooks) { m_hooks = std::move(hooks); }

    // Players.
    CSessionPlayer* FindPlayer(int32_t playerId);
    CSessionPlayer* GetLocalPlayer();
    CSessionPlayer& Slot(int index) { return m_aPlayers[static_cast<size_t>(index)]; }
    int SlotCount() const { return static_cast<int>(m_aPlayers.size()); }
    int32_t GetLocalPlayerId() const { return GetPlayerId(); }
    // A session without a connection acting as the host or as a client with this id (tests, tools).
    void SetLocalPlayerId(int32_t id);
    void SetHost(bool host) { m_bOfflineHost = host; }
    bool IsHost() const { return CNetManager::IsHost() || m_bOfflineHost; }
    uint32_t GetSessionFlags() const { return m_uSessionFlags; }
    void MarkStarted() { m_uSessionFlags |= kSessionStarted; }

    // Packets.
    // Frames a game message (ids 42 to 49, 51, 52 deflated and chunked) for the host, or from the host for all
    // (message 40 for the player its payload names). The caller applies it under authority.
    void SendGameMessage(uint16_t id, const void* payload, size_t length);
    void SendGameSignal(uint16_t id);
    void SendTextMessage(const std::string& text, int32_t roleMask, int32_t kind, uint32_t colour);
    void SendPlayerStatus(int32_t id, uint16_t status);
    void SendLocalPlayerStatus(uint16_t status);
    // Tells the host this player quits; true on the host itself.
    bool SendQuit();
    bool IsClosed() const { return !(m_uSessionFlags & kSessionStarted) && m_bQuitSent; }
    void SendJoinReply(int32_t playerId, bool refused, const std::string& version);
    // File blocks of kind 9, 11, ... 19 of a whole buffer to one player; nothing for another kind or no data.
    void SendFileBlocks(int32_t playerId, int16_t kind, const uint8_t* data, size_t size);
    bool SendScenarioNames(int32_t playerId, const std::string& scenario, bool noSavedGame,
                           const std::string& savedGame);
    void SendRequest(int16_t kind);
    void SendVersionRequest();

    // The oldest queued game packet (type 14), after applying every player, text, status and clock event
    // queued before it; false when none is left. One call takes at most what was queued when it began. With a
    // `budget`, no entry is taken once its entries are used up (each taken entry counts it down) or its time
    // has run, so a caller's loop ends in bounded time however fast packets come; the rest stays queued in order.
    bool PopMessage(std::vector<uint8_t>& packet, CPollBudget* budget = nullptr);
    // A budget of at most `entries` entries and `ms` milliseconds from now.
    CPollBudget PollBudget(size_t entries, uint32_t ms) const { return {entries, Now(), ms}; }
    // How many entries the received queue holds now (the main loop does not rest while some wait).
    size_t QueuedCount() { return m_received.Count(); }
    // What a client's packets take in the received queue now (bytes).
    size_t QueuedBytesFrom(int32_t id) const;
    // As PopMessage, but waits up to `waitMs` for one to come.
    bool WaitMessage(std::vector<uint8_t>& packet, int waitMs);
    // 21 same version, 22 refused (the scenario runs), 23 another version (in `hostVersion`), 2 no answer in
    // 180 s or the host is gone. On the host 21 at once. "VersionLog.txt" is written in `logFolder`.
    int CheckVersion(const std::string& ownVersion, std::string& hostVersion, const std::string& logFolder = ".");

    // Puts a received session packet through the same check and queue as one from the wire (tests, fuzzing).
    void PushInbound(const std::vector<uint8_t>& packet);
    // What was queued for sending while the session had no connection.
    std::vector<COutboundPacket> TakeOutbound();
    const CClockSync& ClockSync() const { return m_clockSync; }

protected:
    void OnDeletePlayer(int32_t id) override;
    bool OnAppData(const uint8_t* data, size_t length, int32_t fromId) override;
    void OnPlayerId(int32_t id) override;
    void OnPlayerInfo(const std::string& name, int32_t id) override;
    void OnTimeSync(int32_t hostClock) override;
    void OnOwnIdKnown() override;
    void OnReceiveEnded(int32_t id, bool discard) override;
    // The host lets a player in (announces it) with its join reply, not at its join request.
    bool AdmitsOnJoin() const override { return false; }

private:
    void SendPacket(int32_t to, const std::vector<uint8_t>& bytes);
    // Several packets for one target, queued together.
    void SendPackets(int32_t to, const std::vector<std::vector<uint8_t>>& packets);
    // Closes a dropped player's connection once the drop is sent.
    void EndDropped(int32_t id);
    void QueueEvent(uint16_t type, int32_t a, const std::string& text = {});
    // False when the packet could not be queued.
    bool QueueCopy(const uint8_t* data, size_t length, int32_t origin = -1);
    void Unqueued(const CNetBuffer& buffer);
    // Applies one queued event on the window thread; true when `packet` is to go to the caller.
    bool ApplyQueued(std::vector<uint8_t>& packet);
    void ApplyPlayerId(int32_t id);
    void ApplyPlayerInfo(const std::string& name, int32_t id);
    void ApplyDeletePlayer(int32_t id, std::vector<uint8_t>& packet);
    void ApplyRoles(const uint8_t* data, size_t size);
    void AddLogLine(const std::string& text);
    CSessionPlayer* Record(int32_t id);

    std::vector<CSessionPlayer> m_aPlayers;
    uint32_t m_uSessionFlags = 0;
    bool m_bQuitSent = false;
    bool m_bOfflineHost = false;
    CClockSync m_clockSync;
    CNetMsgQueue m_received;
    CMessageDeflater m_deflater; // window thread
    std::vector<std::vector<uint8_t>> m_aChunks;
    // Per connection id: its packets' bytes in the received queue (host), and a drop sent (window thread).
    std::vector<std::atomic<size_t>> m_anQueuedFrom;
    // Per connection id: its text allowance (its receive thread alone).
    std::vector<CTextAllowance> m_aTextAllowance;
    std::vector<bool> m_abDropSent;
    CSessionHooks m_hooks;
    std::mutex m_outboundLock;
    std::vector<COutboundPacket> m_aOutbound;
};

// The host's set-up record: its address, its player's name, the player count and whether accounts are needed.
struct CHostSettings {
    std::string strAddress; // the dotted own address (at most 79 characters)
    std::string strPlayerName = "Host Player";
    int32_t nMaxPlayers = kSessionMaxPlayers;
    int32_t nAccountsRequired = 0;

    // The own address (the configured bind address, else the machine's), "Host Player", 24, no accounts.
    void SetDefaults(const CNetConfig& config);
    // False without an address; an empty name becomes "H:" and the address.
    bool Validate();
    // Starts hosting into `session` (made when there is none); false, with no session left, on failure.
    bool StartHost(std::unique_ptr<CNetGameSession>& session, const CNetConfig& config, int32_t sessionValue);
    // Command 5: stops hosting when connected, else starts it. Always 0.
    int HandleCommand(int command, std::unique_ptr<CNetGameSession>& session, const CNetConfig& config,
                      int32_t sessionValue);
};

// The inbound form of one game-message packet (type 14, kind 3).
std::vector<uint8_t> MakeGamePacket(int32_t sender, uint16_t id, uint16_t chunk, const void* payload, size_t length);
