// Game session without a transport: player records, packet framing, chunking and the inbound queue.
#include "net/session/NetGameSession.h"

#include "game/util/ByteStream.h"
#include "game/util/Compression.h"
#include "platform/system/MessageBox.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t kChunk = 514;
constexpr uint16_t kHeaderLength = 14;

bool IsCompressed(uint16_t id)
{
    return id >= 42 && id <= 52 && id != 50;
}

} // namespace

void CSessionPlayer::Reset()
{
    m_uFlags = 0;
    m_nPlayerId = -1;
    m_strName = "New Player";
}

bool CNetManager::JoinSession(const std::string&, int, const std::string&)
{
    return false;
}

CNetGameSession::CNetGameSession(int maxPlayers)
    : m_aPlayers(static_cast<size_t>(std::clamp(maxPlayers, 1, kSessionMaxPlayers)))
{
}

CSessionPlayer* CNetGameSession::FindPlayer(int32_t playerId)
{
    for (auto& player : m_aPlayers) {
        if (player.InUse() && player.m_nPlayerId == playerId)
            return &player;
    }
    return nullptr;
}

CSessionPlayer* CNetGameSession::GetLocalPlayer()
{
    return FindPlayer(m_nLocalPlayerId);
}

std::vector<uint8_t> MakeGamePacket(int32_t sender, uint16_t id, uint16_t chunk, const void* payload, size_t length)
{
    CByteWriter w;
    w.WriteI16(static_cast<int16_t>(kHeaderLength));
    w.WriteI16(kPacketGame);
    w.WriteI32(sender);
    w.WriteU16(id);
    w.WriteU16(chunk);
    w.WriteU16(static_cast<uint16_t>(length));
    w.WriteBytes(payload, length);
    return w.Data();
}

void CNetGameSession::SendGameMessage(uint16_t id, const void* payload, size_t length)
{
    if (m_bClosed)
        return;
    const int32_t to = m_bHost ? kSendToAll : 0;
    int32_t target = to;
    if (m_bHost && id == 40 && length >= 4) {
        CByteReader r(payload, length);
        r.ReadI32(target);
    }
    if (!IsCompressed(id)) {
        if (length > kChunk) {
            platform::DebugOutput("Data to be sent is too large for network");
            return;
        }
        Queue(target, MakeGamePacket(m_nLocalPlayerId, id, 0, payload, length));
        return;
    }
    int packed = 0;
    unsigned char* block = nullptr;
    if (!DeflateBuffer(static_cast<int>(length), static_cast<const unsigned char*>(payload), &packed, &block))
        return;
    size_t total = static_cast<size_t>(packed);
    uint16_t number = 1;
    for (size_t pos = 0; pos < total || total == 0; pos += kChunk) {
        size_t n = std::min(kChunk, total - pos);
        bool last = pos + n >= total;
        Queue(target, MakeGamePacket(m_nLocalPlayerId, id, last ? 0 : number++, block + pos, n));
        if (last)
            break;
    }
    std::free(block);
}

void CNetGameSession::SendGameSignal(uint16_t id)
{
    const uint8_t zeros[4] = {};
    SendGameMessage(id, zeros, sizeof zeros);
}

void CNetGameSession::SendTextMessage(const std::string& text, int32_t roleMask, int32_t kind, uint32_t colour)
{
    CByteWriter w;
    w.WriteI16(static_cast<int16_t>(kHeaderLength));
    w.WriteI16(kPacketText);
    w.WriteI32(m_nLocalPlayerId);
    w.WriteI32(roleMask);
    w.WriteI32(kind);
    w.WriteU32(colour);
    w.WriteFixedString(text.substr(0, 420), 421);
    Queue(kSendToAll, w.Data());
}

void CNetGameSession::SendQuit()
{
    CByteWriter w;
    w.WriteI16(static_cast<int16_t>(kHeaderLength));
    w.WriteI16(kPacketQuit);
    w.WriteI32(m_nLocalPlayerId);
    Queue(0, w.Data());
    m_bClosed = true;
}

bool CNetGameSession::PopMessage(std::vector<uint8_t>& packet)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_qInbound.empty())
        return false;
    packet = std::move(m_qInbound.front());
    m_qInbound.pop_front();
    return true;
}

void CNetGameSession::PushInbound(std::vector<uint8_t> packet)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_qInbound.push_back(std::move(packet));
}

std::vector<COutboundPacket> CNetGameSession::TakeOutbound()
{
    std::lock_guard<std::mutex> guard(m_lock);
    std::vector<COutboundPacket> out;
    out.swap(m_aOutbound);
    return out;
}

void CNetGameSession::Queue(int32_t to, std::vector<uint8_t> bytes)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_aOutbound.push_back({to, std::move(bytes)});
}
