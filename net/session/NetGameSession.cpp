// The game session: records, the received queue and its events, sending packets, the version check.
#include "net/session/NetGameSession.h"

#include "core/util/ByteStream.h"
#include "net/transport/NetPlayer.h"
#include "platform/system/MessageBox.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Events the receive threads queue for the window thread (never on the wire: received packets of these
// types are refused by the check).
enum EQueuedEvent : uint16_t {
    kEventOwnId = 0xFF01,
    kEventPlayerInfo = 0xFF02,
    kEventDelete = 0xFF03,
    kEventTimeSync = 0xFF04,
};

constexpr int kWaitSliceMs = 50;

bool IsDeflated(uint16_t id)
{
    return (id >= 42 && id <= 49) || id == 51 || id == 52;
}

int32_t I32(const uint8_t* p)
{
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}

} // namespace

void CSessionPlayer::Reset()
{
    // The old reset kept the role flags: a newcomer on the id inherited ready, the Zoranth or the drop mark.
    m_uFlags = 0;
    m_uRoleFlags = 0;
    m_nReserved = 0;
    m_nPlayerId = -1;
    m_strName = "New Player";
}

// ---- clock synchronisation ----

void CClockSync::Clear()
{
    m_nApplied = 0;
    m_nSince = 0;
    m_anOffsets.fill(0);
}

void CClockSync::OnSample(int32_t hostClock, int32_t base, const std::function<void(int32_t)>& rebase)
{
    std::rotate(m_anOffsets.begin(), m_anOffsets.begin() + 1, m_anOffsets.end());
    m_anOffsets.back() = static_cast<int32_t>(static_cast<uint32_t>(hostClock) - static_cast<uint32_t>(base));
    int64_t sum = 0;
    for (int32_t offset : m_anOffsets)
        sum += offset;
    const int32_t average = static_cast<int32_t>(sum / 10);
    ++m_nSince;
    if (m_nApplied == 0) {
        rebase(hostClock);
    } else {
        if (m_nSince < 10)
            return;
        if (m_nApplied >= 2 && std::abs(average) < 25)
            return;
        rebase(static_cast<int32_t>(static_cast<uint32_t>(average) + static_cast<uint32_t>(base)));
    }
    ++m_nApplied;
    m_nSince = 0;
}

// ---- text allowance ----

CTextAllowance::EVerdict CTextAllowance::OnLine(uint32_t now)
{
    constexpr uint64_t kLine = 1000;
    if (!m_bStarted) {
        m_bStarted = true;
        m_uLast = now;
        m_uCredit = kBurstLines * kLine;
    }
    // Milliseconds since the last line (a clock set back counts as a long pause).
    const uint64_t elapsed = std::min<uint32_t>(now - m_uLast, 3600000u);
    m_uLast = now;
    m_uCredit = std::min(m_uCredit + elapsed * kLinesPerSecond, kBurstLines * kLine);
    m_uDropped = m_uDropped > elapsed ? m_uDropped - elapsed : 0;
    if (m_uCredit >= kLine) {
        m_uCredit -= kLine;
        return EVerdict::Take;
    }
    m_uDropped += kLine;
    return m_uDropped > kDroppedLimit * kLine ? EVerdict::End : EVerdict::Drop;
}

// ---- construction ----

CNetGameSession::CNetGameSession(int maxPlayers, CNetConfig config)
    : CNetManager(maxPlayers, std::move(config)), m_aPlayers(kMaxRecords),
      m_anQueuedFrom(static_cast<size_t>(GetTableSize()) + 1), m_aTextAllowance(m_anQueuedFrom.size()),
      m_abDropSent(m_anQueuedFrom.size(), false)
{
}

CNetGameSession::~CNetGameSession()
{
    // The threads end before the records and the queue they hand to go.
    StopNetwork();
}

void CNetGameSession::SetLocalPlayerId(int32_t id)
{
    SetOwnId(id);
}

CSessionPlayer* CNetGameSession::Record(int32_t id)
{
    return id >= 0 && id < SlotCount() ? &m_aPlayers[static_cast<size_t>(id)] : nullptr;
}

CSessionPlayer* CNetGameSession::FindPlayer(int32_t playerId)
{
    for (auto& player : m_aPlayers)
        if (player.InUse() && player.m_nPlayerId == playerId)
            return &player;
    return nullptr;
}

CSessionPlayer* CNetGameSession::GetLocalPlayer()
{
    return FindPlayer(GetPlayerId());
}

// ---- sending ----

void CNetGameSession::SendPacket(int32_t to, const std::vector<uint8_t>& bytes)
{
    if (bytes.empty())
        return;
    if (IsConnected()) {
        SendAppData(to, bytes.data(), bytes.size());
        return;
    }
    std::lock_guard<std::mutex> guard(m_outboundLock);
    m_aOutbound.push_back({to, bytes});
}

void CNetGameSession::SendPackets(int32_t to, const std::vector<std::vector<uint8_t>>& packets)
{
    if (IsConnected()) {
        SendAppData(to, packets);
        return;
    }
    for (const auto& packet : packets)
        SendPacket(to, packet);
}

void CNetGameSession::SendGameMessage(uint16_t id, const void* payload, size_t length)
{
    if (m_bQuitSent)
        return;
    int32_t target = IsHost() ? kSendToAll : 0;
    const bool drop = IsHost() && id == 40 && length >= 4;
    if (drop) {
        target = I32(static_cast<const uint8_t*>(payload));
        // Once is enough: the connection ends after it (the game repeats the drop until the player is gone).
        if (target >= 0 && static_cast<size_t>(target) < m_abDropSent.size() &&
            m_abDropSent[static_cast<size_t>(target)])
            return;
    }
    const int32_t sender = GetPlayerId();
    if (!IsDeflated(id)) {
        if (length > kMaxPayload) {
            platform::DebugOutput("Data to be sent is too large for network");
            return;
        }
        SendPacket(target, BuildGamePacket(sender, id, 0, payload, length));
        if (drop)
            EndDropped(target);
        return;
    }
    if (!m_deflater.Deflate(static_cast<const uint8_t*>(payload), length))
        return;
    const uint8_t* block = m_deflater.Output().data();
    const size_t total = m_deflater.Output().size();
    // The chunks go together: a connection's sender takes them in one wake-up and one write.
    std::vector<std::vector<uint8_t>>& chunks = m_aChunks;
    chunks.clear();
    uint16_t number = 1;
    for (size_t pos = 0; pos < total; pos += kMaxPayload) {
        const size_t n = std::min(kMaxPayload, total - pos);
        const bool last = pos + n >= total;
        chunks.push_back(BuildGamePacket(sender, id, last ? 0 : number++, block + pos, n));
    }
    if (!chunks.empty())
        SendPackets(target, chunks);
}

void CNetGameSession::EndDropped(int32_t id)
{
    // A dropped program need not help: its connection is closed once the drop is on its way.
    NetPlayer* connection = FindConnection(id);
    if (!connection || id < 1 || static_cast<size_t>(id) >= m_abDropSent.size())
        return;
    m_abDropSent[static_cast<size_t>(id)] = true;
    connection->EndAfterSent(kDropGraceMs);
}

void CNetGameSession::SendGameSignal(uint16_t id)
{
    const uint8_t zeros[4] = {};
    SendGameMessage(id, zeros, sizeof zeros);
}

void CNetGameSession::SendTextMessage(const std::string& text, int32_t roleMask, int32_t kind, uint32_t colour)
{
    SendPacket(kSendToAll, BuildTextPacket(GetPlayerId(), kind, roleMask, colour, text));
}

void CNetGameSession::SendPlayerStatus(int32_t id, uint16_t status)
{
    SendPacket(kSendToAll, BuildStatusPacket(id, status));
}

void CNetGameSession::SendLocalPlayerStatus(uint16_t status)
{
    SendPlayerStatus(GetPlayerId(), status);
}

bool CNetGameSession::SendQuit()
{
    SendPacket(0, BuildQuitPacket(GetPlayerId()));
    m_uSessionFlags &= ~(kSessionStarted | kRolesArrived);
    m_bQuitSent = true;
    return IsHost();
}

void CNetGameSession::SendJoinReply(int32_t playerId, bool refused, const std::string& version)
{
    // Only a player let in is announced, to the others and in the host's own records. It is let in before its
    // reply goes, so what it sends on the reply is taken.
    if (!refused && CNetManager::IsHost() && Admit(playerId)) {
        if (NetPlayer* connection = FindConnection(playerId))
            ApplyPlayerInfo(connection->GetName(), playerId);
    }
    SendPacket(playerId, BuildJoinReply(GetPlayerId(), refused, version));
    if (CSessionPlayer* p = FindPlayer(playerId))
        p->m_uFlags |= CSessionPlayer::kReplySent;
}

void CNetGameSession::SendFileBlocks(int32_t playerId, int16_t kind, const uint8_t* data, size_t size)
{
    if (!IsHost() || kind < kPacketFileFirst || kind > 19 || kind % 2 == 0 || !data || size == 0)
        return;
    size_t sent = 0;
    int32_t counter = 1;
    while (sent < size) {
        const size_t n = std::min(size - sent, kMaxPayload);
        const bool last = sent + n == size;
        SendPacket(playerId, BuildFileBlock(kind, GetPlayerId(), last ? 0 : counter++, data + sent, n));
        sent += n;
    }
}

bool CNetGameSession::SendScenarioNames(int32_t playerId, const std::string& scenario, bool noSavedGame,
                                        const std::string& savedGame)
{
    if (!IsHost())
        return false;
    std::vector<uint8_t> packet = BuildNamesPacket(GetPlayerId(), noSavedGame, savedGame, scenario);
    if (packet.empty()) {
        platform::DebugOutput("SendScenarioNames: a name does not fit 63 characters");
        return false;
    }
    SendPacket(playerId, packet);
    return true;
}

void CNetGameSession::SendRequest(int16_t kind)
{
    if (kind == kPacketNamesRequest || (kind >= 10 && kind <= kPacketFileLast && kind % 2 == 0))
        SendPacket(0, BuildRequestPacket(kind, GetPlayerId()));
}

void CNetGameSession::SendVersionRequest()
{
    SendPacket(0, BuildRequestPacket(kPacketVersionRequest, GetPlayerId()));
}

std::vector<COutboundPacket> CNetGameSession::TakeOutbound()
{
    std::lock_guard<std::mutex> guard(m_outboundLock);
    std::vector<COutboundPacket> out;
    out.swap(m_aOutbound);
    return out;
}

// ---- receive threads: check and queue ----

bool CNetGameSession::QueueCopy(const uint8_t* data, size_t length, int32_t origin)
{
    CNetBuffer* buffer = m_received.GetBuffer(kGamePacketSize);
    if (!buffer)
        return false; // a failed allocation drops the packet
    std::memset(buffer->pData, 0, kGamePacketSize);
    std::memcpy(buffer->pData, data, std::min(length, kGamePacketSize));
    if (origin >= 0) {
        buffer->nOrigin = origin;
        m_anQueuedFrom[static_cast<size_t>(origin)] += buffer->nSize;
    }
    if (m_received.PushBack(buffer))
        return true;
    Unqueued(*buffer);
    return false;
}

void CNetGameSession::Unqueued(const CNetBuffer& buffer)
{
    if (buffer.nOrigin >= 0 && static_cast<size_t>(buffer.nOrigin) < m_anQueuedFrom.size())
        m_anQueuedFrom[static_cast<size_t>(buffer.nOrigin)] -= buffer.nSize;
}

size_t CNetGameSession::QueuedBytesFrom(int32_t id) const
{
    return id >= 0 && static_cast<size_t>(id) < m_anQueuedFrom.size() ? m_anQueuedFrom[static_cast<size_t>(id)].load()
                                                                      : 0;
}

void CNetGameSession::QueueEvent(uint16_t type, int32_t a, const std::string& text)
{
    CByteWriter w;
    w.WriteU16(type);
    w.WriteU16(0);
    w.WriteI32(a);
    w.WriteFixedString(text.substr(0, 32), 33);
    QueueCopy(w.Bytes(), w.Size());
}

bool CNetGameSession::OnAppData(const uint8_t* data, size_t length, int32_t fromId)
{
    std::string why;
    const bool fromClient = CNetManager::IsHost();
    if (!CheckSessionPacket(data, length, fromClient, fromId, &why)) {
        platform::DebugOutput("Session packet dropped: " + why);
        return false;
    }
    const uint16_t type = static_cast<uint16_t>(data[0] | data[1] << 8);
    const bool counted = fromClient && fromId >= 1 && static_cast<size_t>(fromId) < m_anQueuedFrom.size();
    if (fromClient) {
        // The old host queued a joined player's lines and game packets before it let the player in, and
        // applied them (as from "Unknown Name") after it had ended the connection. Before a player is let in,
        // only what joining needs is taken.
        const NetPlayer* connection = FindConnection(fromId);
        if (!counted || !connection || (!connection->IsAdmitted() && !IsJoiningPacket(data, length)))
            return false;
        // The old host relayed and applied every line however fast it came.
        if (type == kTypeText) {
            switch (m_aTextAllowance[static_cast<size_t>(fromId)].OnLine(Now())) {
            case CTextAllowance::EVerdict::Take:
                break;
            case CTextAllowance::EVerdict::Drop:
                return false;
            case CTextAllowance::EVerdict::End:
                EndOverLimit(fromId);
                return false;
            }
        }
    }
    // On the host every client has its share of the queue the window thread drains: one that sends faster
    // than that is ended, and the others are still served.
    if (counted && m_anQueuedFrom[static_cast<size_t>(fromId)].load() + kGamePacketSize > kReceivedShareBytes) {
        EndOverLimit(fromId);
        return false;
    }
    if (!QueueCopy(data, length, counted ? fromId : -1))
        return false;
    return type == kTypeText || type == kTypeStatus;
}

void CNetGameSession::OnReceiveEnded(int32_t id, bool discard)
{
    if (id < 1 || static_cast<size_t>(id) >= m_anQueuedFrom.size())
        return;
    m_aTextAllowance[static_cast<size_t>(id)].Reset();
    // What a connection ended for its conduct, or never let in, queued goes with it.
    if (discard)
        m_anQueuedFrom[static_cast<size_t>(id)] -= m_received.DropFrom(id);
}

void CNetGameSession::PushInbound(const std::vector<uint8_t>& packet)
{
    std::string why;
    const bool fromClient = IsHost();
    const int32_t from = packet.size() >= 8 ? I32(packet.data() + 4) : -1;
    if (CheckSessionPacket(packet.data(), packet.size(), fromClient, from, &why))
        QueueCopy(packet.data(), packet.size());
}

void CNetGameSession::OnPlayerId(int32_t id)
{
    QueueEvent(kEventOwnId, id);
}

void CNetGameSession::OnPlayerInfo(const std::string& name, int32_t id)
{
    CNetManager::OnPlayerInfo(name, id);
    if (id >= 0 && id < kMaxRecords)
        QueueEvent(kEventPlayerInfo, id, name);
}

void CNetGameSession::OnDeletePlayer(int32_t id)
{
    if (id >= 0 && id < kMaxRecords)
        QueueEvent(kEventDelete, id);
}

void CNetGameSession::OnTimeSync(int32_t hostClock)
{
    QueueEvent(kEventTimeSync, hostClock);
}

void CNetGameSession::OnOwnIdKnown()
{
    // A waiter on the queue looks at the connection again.
    QueueEvent(0xFF00, 0);
}

// ---- window thread: apply ----

bool CNetGameSession::PopMessage(std::vector<uint8_t>& packet, CPollBudget* budget)
{
    CNetBuffer* taken[1];
    for (size_t left = m_received.Count(); left > 0; --left) {
        if (budget && (budget->nEntries == 0 || Now() - budget->uStart >= budget->uMs))
            break;
        if (m_received.TakeFront(taken, 1) != 1)
            break;
        if (budget)
            --budget->nEntries;
        packet.assign(taken[0]->pData, taken[0]->pData + taken[0]->nSize);
        Unqueued(*taken[0]);
        m_received.ReturnBuffer(taken[0]);
        if (ApplyQueued(packet))
            return true;
    }
    return false;
}

bool CNetGameSession::WaitMessage(std::vector<uint8_t>& packet, int waitMs)
{
    if (PopMessage(packet))
        return true;
    if (waitMs > 0)
        m_received.WaitForBuffer(waitMs);
    return PopMessage(packet);
}

bool CNetGameSession::ApplyQueued(std::vector<uint8_t>& packet)
{
    const uint8_t* p = packet.data();
    const uint16_t type = static_cast<uint16_t>(p[0] | p[1] << 8);
    const int32_t a = I32(p + 4);
    switch (type) {
    case kTypeGame:
        return true;
    case kTypeText:
        if (m_hooks.fnAddMessage)
            m_hooks.fnAddMessage(TextOf(p, packet.size()), I32(p + 12), I32(p + 8), static_cast<uint32_t>(I32(p + 16)),
                                 a);
        return false;
    case kTypeStatus:
        packet = BuildRequestPacket(kPacketPlayersChanged, GetPlayerId());
        packet.resize(kGamePacketSize, 0);
        return true;
    case kTypeQuit:
        if (CSessionPlayer* player = FindPlayer(a))
            player->m_uFlags &= ~CSessionPlayer::kReplySent;
        return false;
    case kTypeRoles:
        ApplyRoles(p, packet.size());
        return false;
    case kEventOwnId:
        ApplyPlayerId(a);
        return false;
    case kEventPlayerInfo:
        ApplyPlayerInfo(FieldString(p + 8, 32), a);
        return false;
    case kEventDelete:
        ApplyDeletePlayer(a, packet);
        return true;
    case kEventTimeSync:
        if (!m_hooks.fnTimerBase || !m_hooks.fnSetTimerBase) {
            m_clockSync.Clear();
            return false;
        }
        m_clockSync.OnSample(a, m_hooks.fnTimerBase(), m_hooks.fnSetTimerBase);
        return false;
    default:
        return false;
    }
}

void CNetGameSession::AddLogLine(const std::string& text)
{
    if (m_hooks.fnAddMessage)
        m_hooks.fnAddMessage(text, -1, 1, 0, -3);
}

void CNetGameSession::ApplyPlayerId(int32_t id)
{
    CSessionPlayer* record = Record(id);
    if (!record || record->InUse())
        return;
    record->m_uFlags = CSessionPlayer::kInUse;
    record->m_nPlayerId = id;
    record->m_strName = GetPlayerName();
}

void CNetGameSession::ApplyPlayerInfo(const std::string& name, int32_t id)
{
    CSessionPlayer* record = Record(id);
    if (!record || record->InUse())
        return;
    if (!CNetManager::IsHost())
        AddLogLine(name + " has joined the game");
    record->m_uFlags = CSessionPlayer::kInUse;
    record->m_nPlayerId = id;
    record->m_strName = name;
}

void CNetGameSession::ApplyDeletePlayer(int32_t id, std::vector<uint8_t>& packet)
{
    if (id >= 0 && static_cast<size_t>(id) < m_abDropSent.size())
        m_abDropSent[static_cast<size_t>(id)] = false;
    if (CSessionPlayer* player = FindPlayer(id)) {
        AddLogLine(player->m_strName + " has left the game");
        player->Reset();
    }
    packet = BuildRequestPacket(kPacketPlayerLeft, GetPlayerId());
    CByteWriter w;
    w.WriteI32(id);
    packet.insert(packet.end(), w.Data().begin(), w.Data().end());
    packet.resize(kGamePacketSize, 0);
}

void CNetGameSession::ApplyRoles(const uint8_t* data, size_t size)
{
    m_uSessionFlags |= kRolesArrived;
    if (!m_hooks.fnAddMessage)
        return;
    const uint32_t count = static_cast<uint32_t>(I32(data + 12));
    for (uint32_t i = 0; i < count && 16 + 8 * (i + 1) <= size; ++i) {
        const uint8_t* entry = data + 16 + 8 * i;
        if (CSessionPlayer* player = FindPlayer(I32(entry)))
            player->m_uRoleFlags = static_cast<uint32_t>(entry[4] | entry[5] << 8);
    }
}

// ---- the version check ----

int CNetGameSession::CheckVersion(const std::string& ownVersion, std::string& hostVersion, const std::string& logFolder)
{
    FILE* log = std::fopen((logFolder + "/VersionLog.txt").c_str(), "w");
    if (IsHost()) {
        hostVersion = ownVersion;
        if (log) {
            std::fprintf(log, "Opening VersionLog.txt\n\nYou are the host and your version is %s\n",
                         ownVersion.c_str());
            std::fclose(log);
        }
        for (auto& player : m_aPlayers)
            player.m_uFlags &= CSessionPlayer::kInUse;
        return kVersionSame;
    }
    const uint32_t start = Now();
    SendVersionRequest();
    int result = kVersionNoAnswer;
    std::vector<uint8_t> packet;
    // The old wait ended the program after 180 s; it now reports no answer, as it does when the host is gone.
    while (Now() - start <= static_cast<uint32_t>(kVersionWaitMs)) {
        if (m_hooks.fnWhileWaiting)
            m_hooks.fnWhileWaiting();
        if (!WaitMessage(packet, kWaitSliceMs)) {
            const uint32_t state = GetState();
            const bool refused = (state & kJoinResultBits) && !(state & 0x10);
            if (!IsClientConnectionUp() || refused)
                break;
            continue;
        }
        const int kind = packet[2] | packet[3] << 8;
        if (kind == kPacketJoinAccepted) {
            hostVersion = FieldString(packet.data() + 8, kVersionField);
            if (log)
                std::fprintf(log, "Opening VersionLog.txt\n\nHost Version is %s, Your Version is %s\n",
                             hostVersion.c_str(), ownVersion.c_str());
            result = hostVersion == ownVersion ? kVersionSame : kVersionDiffers;
            break;
        }
        if (kind == kPacketJoinRefused) {
            result = kVersionRefused;
            break;
        }
    }
    if (log)
        std::fclose(log);
    if (result == kVersionSame)
        SendLocalPlayerStatus(1);
    return result;
}

// ---- host set-up ----

void CHostSettings::SetDefaults(const CNetConfig& config)
{
    strAddress = platform::net::FormatAddress(config.uBindAddress ? config.uBindAddress : platform::net::OwnAddress());
    strPlayerName = "Host Player";
    nMaxPlayers = kSessionMaxPlayers;
    nAccountsRequired = 0;
}

bool CHostSettings::Validate()
{
    if (strAddress.empty())
        return false;
    if (strPlayerName.empty())
        strPlayerName = "H:" + strAddress;
    return nMaxPlayers > 0;
}

bool CHostSettings::StartHost(std::unique_ptr<CNetGameSession>& session, const CNetConfig& config, int32_t sessionValue)
{
    if (!Validate())
        return false;
    if (!session) {
        session = std::make_unique<CNetGameSession>(nMaxPlayers, config);
        if (!session->StartHost(strAddress, strPlayerName, sessionValue, nAccountsRequired != 0)) {
            session.reset();
            return false;
        }
    } else if (!session->IsConnected()) {
        if (!session->StartHost(strAddress, strPlayerName, sessionValue, nAccountsRequired != 0))
            return false;
    }
    if (session->IsConnected())
        session->SendLocalPlayerStatus(1);
    return true;
}

int CHostSettings::HandleCommand(int command, std::unique_ptr<CNetGameSession>& session, const CNetConfig& config,
                                 int32_t sessionValue)
{
    if (command != 5)
        return 0;
    if (session && session->IsConnected()) {
        session.reset();
        return 0;
    }
    if (StartHost(session, config, sessionValue) && session)
        session->SendLocalPlayerStatus(1);
    return 0;
}

std::vector<uint8_t> MakeGamePacket(int32_t sender, uint16_t id, uint16_t chunk, const void* payload, size_t length)
{
    return BuildGamePacket(sender, id, chunk, payload, length);
}
