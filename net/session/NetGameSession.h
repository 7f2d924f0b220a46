// The game session: 24 player records, game-message packets out, the inbound queue the window thread polls.
// No transport yet: outgoing packets wait in a queue and inbound packets are pushed by whoever carries them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

constexpr int kSessionMaxPlayers = 24;
constexpr int32_t kSendToAll = -2;

// Session packet kinds the game reads.
enum ESessionPacket : int16_t {
    kPacketPlayerLeft = 2,
    kPacketGame = 3,
    kPacketNames = 8,
    kPacketText = 10,
    kPacketQuit = 13,
    kPacketJoinRequest = 24,
};

struct CSessionPlayer {
    uint32_t m_uFlags = 0; // bit 0: in use
    uint32_t m_uRoleFlags = 0;
    int32_t m_nPlayerId = -1;
    std::string m_strName = "New Player"; // at most 31 characters

    void Reset();
    bool InUse() const { return (m_uFlags & 1) != 0; }
};

// One packet waiting to be sent: the destination (a player id, or kSendToAll) and its bytes.
struct COutboundPacket {
    int32_t nTo;
    std::vector<uint8_t> aBytes;
};

class CNetManager {
public:
    virtual ~CNetManager() = default;
    void SetHostAddress(const std::string& address) { m_strHostAddress = address.substr(0, 32); }
    const std::string& GetHostAddress() const { return m_strHostAddress; }
    bool IsConnected() const { return m_bConnected; }
    // Connecting needs the transport, which is not built yet: always false.
    bool JoinSession(const std::string& sessionName, int maxPlayers, const std::string& playerName);
    static void DefaultHandler(void*) {}

protected:
    std::string m_strHostAddress;
    bool m_bConnected = false;
};

class CNetGameSession : public CNetManager {
public:
    explicit CNetGameSession(int maxPlayers = kSessionMaxPlayers);

    CSessionPlayer* FindPlayer(int32_t playerId);
    CSessionPlayer* GetLocalPlayer();
    CSessionPlayer& Slot(int index) { return m_aPlayers[static_cast<size_t>(index)]; }
    int SlotCount() const { return static_cast<int>(m_aPlayers.size()); }

    void SetLocalPlayerId(int32_t id) { m_nLocalPlayerId = id; }
    int32_t GetLocalPlayerId() const { return m_nLocalPlayerId; }
    void SetHost(bool host) { m_bHost = host; }
    bool IsHost() const { return m_bHost; }

    // Frames a game message (compressed and chunked for ids 42 to 52 but 50) and queues it for sending.
    // The caller applies it locally when it has authority.
    void SendGameMessage(uint16_t id, const void* payload, size_t length);
    void SendGameSignal(uint16_t id);
    void SendTextMessage(const std::string& text, int32_t roleMask, int32_t kind, uint32_t colour);
    void SendQuit();
    bool IsClosed() const { return m_bClosed; }

    // The oldest inbound packet {int16 type; int16 kind; int32 sender; payload}; false when none is queued.
    bool PopMessage(std::vector<uint8_t>& packet);
    // Called by the carrier of packets (the transport's threads, or a test).
    void PushInbound(std::vector<uint8_t> packet);
    // What has been queued for sending since the last call.
    std::vector<COutboundPacket> TakeOutbound();

private:
    void Queue(int32_t to, std::vector<uint8_t> bytes);

    std::vector<CSessionPlayer> m_aPlayers;
    int32_t m_nLocalPlayerId = 0;
    bool m_bHost = false;
    bool m_bClosed = false;
    std::mutex m_lock;
    std::deque<std::vector<uint8_t>> m_qInbound;
    std::vector<COutboundPacket> m_aOutbound;
};

// Builds the inbound form of one game-message packet (type 14, kind 3) as PopMessage returns it.
std::vector<uint8_t> MakeGamePacket(int32_t sender, uint16_t id, uint16_t chunk, const void* payload, size_t length);
