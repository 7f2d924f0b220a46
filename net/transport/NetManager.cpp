// The network object: host and client start, routing, frame dispatch, accepting and losing connections.
#include "net/transport/NetManager.h"

#include "net/transport/NetPlayer.h"
#include "net/transport/UserList.h"
#include "platform/system/Clock.h"
#include "platform/system/MessageBox.h"

#include <chrono>
#include <cstring>

namespace {

// Wakes a waiter this often so a test's hand-driven clock is seen.
constexpr int kWaitSliceMs = 50;

} // namespace

CNetManager::CNetManager(int maxPlayers, CNetConfig config)
    : m_config(std::move(config)), m_nTableSize(maxPlayers < 1 ? 1 : maxPlayers)
{
    m_uLocalAddress = m_config.uBindAddress ? m_config.uBindAddress : platform::net::OwnAddress();
}

CNetManager::~CNetManager()
{
    StopNetwork();
    std::lock_guard<std::recursive_mutex> guard(m_userLock);
    while (void* item = m_users.PopFront())
        delete static_cast<CUserAccount*>(item);
}

void CNetManager::StopNetwork()
{
    m_bStopping = true;
    if (m_pListener)
        m_pListener->Stop();
    if (m_pClient)
        m_pClient->Close();
    for (auto& connection : m_aTable)
        connection->Close();
}

uint32_t CNetManager::Now() const
{
    return m_config.fnClock ? m_config.fnClock() : platform::GetTickCount();
}

// ---- user list ----

bool CNetManager::LoadUserList(const std::string& path)
{
    CBinaryFile file;
    std::vector<uint8_t> bytes;
    if (!file.Load(path, bytes))
        return false;
    std::vector<CUserAccount> accounts;
    int32_t count = 0;
    if (!ParseUserList(bytes.data(), bytes.size(), accounts, &count))
        return false;
    std::lock_guard<std::recursive_mutex> guard(m_userLock);
    m_nUserCount = count;
    for (const CUserAccount& account : accounts)
        m_users.PushBack(new CUserAccount(account));
    return true;
}

CUserAccount* CNetManager::FindUserByName(const std::string& name)
{
    std::lock_guard<std::recursive_mutex> guard(m_userLock);
    // Compared within the 32 characters a name field holds.
    for (CNetList::Node* node = m_users.Head(); node; node = node->pNext) {
        auto* account = static_cast<CUserAccount*>(node->pItem);
        if (FieldText(account->m_szName) == name.substr(0, 32)) {
            m_users.m_pCursor = node;
            return account;
        }
    }
    return nullptr;
}

CUserAccount* CNetManager::FindUserById(int32_t id)
{
    std::lock_guard<std::recursive_mutex> guard(m_userLock);
    for (CNetList::Node* node = m_users.Head(); node; node = node->pNext) {
        auto* account = static_cast<CUserAccount*>(node->pItem);
        if (account->m_nPlayerId == id) {
            m_users.m_pCursor = node;
            return account;
        }
    }
    return nullptr;
}

// ---- start ----

bool CNetManager::SetHostAddress(const std::string& text)
{
    const std::string copy = text.substr(0, 32);
    const size_t scan = copy.size() < 15 ? copy.size() : 15;
    int dots = 0;
    for (size_t i = 0; i < scan; ++i) {
        const char c = copy[i];
        if (c == '.') {
            if (++dots > 3)
                return false;
        } else if (c < '0' || c > '9') {
            return false;
        }
    }
    if (dots != 3)
        return false;
    std::array<uint8_t, 4> bytes{};
    size_t start = 0;
    for (int part = 0; part < 4; ++part) {
        size_t end = copy.find('.', start);
        if (end == std::string::npos || end > scan)
            end = scan;
        // atoi of the part: its digits, an empty part 0; only the low 8 bits are kept.
        uint32_t value = 0;
        for (size_t i = start; i < end; ++i)
            value = value * 10 + static_cast<uint32_t>(copy[i] - '0');
        bytes[static_cast<size_t>(part)] = static_cast<uint8_t>(value);
        start = end + 1;
    }
    m_aHostAddress = bytes;
    return true;
}

bool CNetManager::StartHost(const std::string& name, const std::string& ownName, int32_t sessionValue,
                            bool accountsRequired)
{
    if (accountsRequired)
        m_uState |= kAccountsRequired;
    else
        m_uState &= ~kAccountsRequired;
    if (m_pListener || m_pClient)
        return false;
    // The slots exist before the listener can accept into them.
    m_aTable.clear();
    for (int i = 1; i < m_nTableSize; ++i)
        m_aTable.push_back(std::make_unique<NetPlayer>(this));
    m_strOwnName = ownName.substr(0, kNameField);
    m_nOwnId = 0;
    m_pListener = std::make_unique<CNetListener>(this);
    if (!m_pListener->Start(name, sessionValue, m_nTableSize, m_uLocalAddress, m_config.nTcpPort, m_config.nUdpPort)) {
        m_pListener.reset();
        m_aTable.clear();
        m_nOwnId = -1;
        return false;
    }
    m_bHosting = true;
    OnPlayerId(0);
    return true;
}

bool CNetManager::Connect(const std::string& ownName, const uint8_t* address)
{
    m_strOwnName = ownName.substr(0, kNameField);
    if (m_pClient)
        return false;
    m_aTable.clear();
    const uint8_t* a = address ? address : m_aHostAddress.data();
    const uint32_t host =
        static_cast<uint32_t>(a[0]) << 24 | static_cast<uint32_t>(a[1]) << 16 | static_cast<uint32_t>(a[2]) << 8 | a[3];
    platform::net::TcpSocket socket;
    if (!socket.Open() || !socket.Connect(host, m_config.nTcpPort, kConnectTimeoutMs)) {
        platform::DebugOutput("Connect failed: " + platform::net::FormatAddress(host) + " port " +
                              std::to_string(m_config.nTcpPort));
        return false;
    }
    auto client = std::make_unique<NetPlayer>(this);
    // The client connection is in place before its threads can report anything.
    NetPlayer* raw = client.get();
    m_pClient = std::move(client);
    return raw->Start(std::move(socket), 0, kBufferSize, false);
}

bool CNetManager::JoinSession(const NetSessionInfo& info, const std::string& ownName)
{
    const uint8_t address[4] = {static_cast<uint8_t>(info.uAddress >> 24), static_cast<uint8_t>(info.uAddress >> 16),
                                static_cast<uint8_t>(info.uAddress >> 8), static_cast<uint8_t>(info.uAddress)};
    return Connect(ownName, address);
}

bool CNetManager::SendJoinRequest(const std::string& name, const std::string& password)
{
    const uint32_t start = Now();
    {
        std::unique_lock<std::mutex> lock(m_idLock);
        while (m_nOwnId.load() == -1 && Now() - start <= static_cast<uint32_t>(kJoinIdWaitMs) && IsClientConnectionUp())
            m_idKnown.wait_for(lock, std::chrono::milliseconds(kWaitSliceMs));
    }
    if (m_nOwnId.load() == -1)
        return false;
    uint8_t frame[76];
    WriteFrameHeader(frame, 76, GNSYS_JOIN_REQUEST, 0, 0);
    WriteNameField(frame + 12, name);
    WriteNameField(frame + 44, password);
    RouteMessage(frame);
    return true;
}

// ---- state ----

bool CNetManager::IsHost() const
{
    // Read by the connection threads too: a flag set once the listener listens, not the listener's socket.
    return m_bHosting.load();
}

bool CNetManager::IsConnected() const
{
    return m_pClient || m_pListener;
}

bool CNetManager::IsClientConnectionUp() const
{
    return m_pClient && m_pClient->IsActive();
}

int32_t CNetManager::GetHostId() const
{
    return m_pClient ? 0 : -1;
}

int CNetManager::GetTcpPort() const
{
    return m_pListener ? m_pListener->TcpPort() : -1;
}

int CNetManager::GetUdpPort() const
{
    return m_pListener ? m_pListener->UdpPort() : -1;
}

NetPlayer* CNetManager::FindConnection(int32_t id)
{
    if (id == -1)
        return nullptr;
    for (auto& connection : m_aTable)
        if (connection->GetId() == id)
            return connection.get();
    return nullptr;
}

// ---- sending ----

void CNetManager::SendAppData(int32_t target, const void* data, size_t length)
{
    if (m_pClient) {
        m_pClient->SendAppData(target, data, length);
        return;
    }
    if (length > kAppDataMax) {
        platform::DebugOutput("SendAppData: " + std::to_string(length) + " bytes do not fit one frame");
        return;
    }
    // One frame, copied to each connection.
    uint8_t frame[kFrameMax];
    WriteFrameHeader(frame, static_cast<int32_t>(length + kFrameHeader), GNSYS_APP_DATA, NextAppDataSequence(), target);
    if (length)
        std::memcpy(frame + kFrameHeader, data, length);
    RouteFrom(frame, true);
}

void CNetManager::SendAppData(int32_t target, const std::vector<std::vector<uint8_t>>& pieces)
{
    std::vector<uint8_t> bytes;
    std::vector<size_t> starts;
    for (const auto& piece : pieces) {
        if (piece.size() > kAppDataMax) {
            platform::DebugOutput("SendAppData: " + std::to_string(piece.size()) + " bytes do not fit one frame");
            continue;
        }
        starts.push_back(bytes.size());
        bytes.resize(bytes.size() + kFrameHeader + piece.size());
        uint8_t* frame = bytes.data() + starts.back();
        WriteFrameHeader(frame, static_cast<int32_t>(piece.size() + kFrameHeader), GNSYS_APP_DATA,
                         NextAppDataSequence(), target);
        if (!piece.empty())
            std::memcpy(frame + kFrameHeader, piece.data(), piece.size());
    }
    if (starts.empty())
        return;
    std::vector<const uint8_t*> frames;
    for (size_t start : starts)
        frames.push_back(bytes.data() + start);
    if (m_pClient)
        m_pClient->QueueMessages(frames.data(), frames.size());
    else
        RouteFrom(frames.data(), frames.size(), true);
}

void CNetManager::RouteMessage(const uint8_t* frame)
{
    if (m_pClient) {
        m_pClient->QueueMessage(frame);
        return;
    }
    RouteFrom(frame, false);
}

void CNetManager::RouteFrom(const uint8_t* const* frames, size_t count, bool joinedOnly)
{
    const int32_t target = ReadI32At(frames[0] + 8);
    for (auto& connection : m_aTable) {
        if (target == kTargetAll)
            connection->QueueMessages(frames, count, -1, joinedOnly);
        else if (target >= 1 && connection->GetId() == target)
            connection->QueueMessages(frames, count, target);
    }
}

void CNetManager::RouteFrom(const uint8_t* frame, bool joinedOnly)
{
    const int32_t target = ReadI32At(frame + 8);
    for (auto& connection : m_aTable) {
        if (target == kTargetAll)
            connection->QueueMessage(frame, -1, joinedOnly);
        else if (target >= 1 && connection->GetId() == target)
            connection->QueueMessage(frame, target);
    }
}

void CNetManager::SendPlayerInfo(int32_t target, const std::string& name, int32_t id)
{
    uint8_t frame[48];
    WriteFrameHeader(frame, 48, GNSYS_PLAYER_INFO, 0, target);
    WriteI32At(frame + 12, id);
    WriteNameField(frame + 16, name);
    RouteMessage(frame);
}

void CNetManager::SendAllPlayerInfo(int32_t newId)
{
    SendPlayerInfo(newId, m_strOwnName, m_nOwnId.load());
    for (auto& connection : m_aTable) {
        const int32_t id = connection->GetId();
        if (id != newId && connection->IsJoined() && connection->IsAdmitted())
            SendPlayerInfo(newId, connection->GetName(), id);
    }
}

void CNetManager::SendDeletePlayer(int32_t id)
{
    uint8_t frame[16];
    WriteFrameHeader(frame, 16, GNSYS_DELETE_PLAYER, 0, kTargetAll);
    WriteI32At(frame + 12, id);
    RouteMessage(frame);
}

void CNetManager::SendPingReply()
{
    uint8_t frame[16];
    WriteFrameHeader(frame, 16, GNSYS_PING_REPLY, 0, 0);
    WriteI32At(frame + 12, m_nOwnId.load());
    if (m_pClient)
        m_pClient->QueueUrgentMessage(frame);
}

void CNetManager::SendPing(int32_t id)
{
    NetPlayer* connection = FindConnection(id);
    if (!connection)
        return;
    uint8_t frame[16];
    WriteFrameHeader(frame, 16, GNSYS_PING, 0, id);
    WriteI32At(frame + 12, static_cast<int32_t>(Now()));
    connection->MarkPingSent(Now());
    connection->QueueMessage(frame, id);
}

// ---- receiving ----

void CNetManager::Dispatch(const uint8_t* frame, int32_t length, int32_t connectionId, NetPlayer& connection)
{
    const bool atHost = !m_pClient;
    // A frame of 5 to 11 bytes passes the length check but holds no whole header.
    if (length < static_cast<int32_t>(kFrameHeader)) {
        platform::DebugOutput("GNSYS : frame of " + std::to_string(length) + " bytes refused");
        return;
    }
    const uint16_t type = ReadU16At(frame + 4);
    const int32_t target = ReadI32At(frame + 8);
    if (!FrameAllowed(type, length, atHost)) {
        platform::DebugOutput("GNSYS : frame " + std::to_string(type) + " of " + std::to_string(length) +
                              " bytes refused");
        return;
    }
    const uint8_t* body = frame + kFrameHeader;
    switch (type) {
    case GNSYS_PLAYER_INFO: {
        const int32_t id = ReadI32At(body);
        platform::DebugOutput("GNSYS_PLAYER_INFO:");
        OnPlayerInfo(ReadNameField(body + 4), id);
        break;
    }
    case GNSYS_DELETE_PLAYER:
        platform::DebugOutput("GNSYS_DELETE_PLAYER");
        OnDeletePlayer(ReadI32At(body));
        break;
    case GNSYS_PLAYER_ID: {
        const int32_t id = ReadI32At(body);
        if (id < 1 || id != target)
            return;
        {
            std::lock_guard<std::mutex> lock(m_idLock);
            m_nOwnId = id;
        }
        m_idKnown.notify_all();
        platform::DebugOutput("Received PlayerID");
        OnPlayerId(id);
        OnOwnIdKnown();
        break;
    }
    case GNSYS_PING:
        // A ping names the client it is for.
        if (target != m_nOwnId.load())
            return;
        OnTimeSync(ReadI32At(body));
        SendPingReply();
        break;
    case GNSYS_PING_REPLY: {
        const int32_t id = ReadI32At(body);
        if (id == connectionId)
            connection.OnPingReply(Now());
        break;
    }
    case GNSYS_APP_DATA: {
        if (atHost && !connection.IsJoined())
            return; // nothing but the join before the join
        // What a player not let in (yet) sends is for the host alone.
        const bool mayRelay = !atHost || connection.IsAdmitted();
        if (length == static_cast<int32_t>(kFrameHeader))
            platform::DebugOutput("GNSYS_APP_DATA - 0 or less bytes left:");
        const bool relay = OnAppData(body, static_cast<size_t>(length) - kFrameHeader, connectionId);
        // The host passes a client's lines and status on, unchanged, to all or to one joined player.
        if (atHost && relay && mayRelay && target != 0) {
            NetPlayer* to = target == kTargetAll ? nullptr : FindConnection(target);
            if (target == kTargetAll)
                RouteFrom(frame, true);
            else if (to && to->IsJoined())
                to->QueueMessage(frame, target, true);
        }
        break;
    }
    case GNSYS_JOIN_REQUEST: {
        if (connection.IsJoined())
            return;
        OnJoinRequest(ReadNameField(body), ReadNameField(body + 32), connectionId);
        break;
    }
    case GNSYS_JOIN_RESULT:
        JoinResult(ReadI32At(body));
        break;
    default:
        platform::DebugOutput("GNSYS : Unknown message");
        break;
    }
}

void CNetManager::OnJoinRequest(const std::string& name, const std::string& password, int32_t connectionId)
{
    int32_t result = kJoinAccepted;
    NetPlayer* connection = FindConnection(connectionId);
    if (!connection || name.empty())
        result = kJoinRefused;
    if (result == kJoinAccepted && (m_uState.load() & kAccountsRequired)) {
        std::lock_guard<std::recursive_mutex> guard(m_userLock);
        CUserAccount* account = FindUserByName(name);
        if (!account)
            result = kJoinNoSuchUser;
        else if (!account->Login(name, password, connectionId))
            result = kJoinRefused;
    }
    if (result == kJoinAccepted) {
        connection->SetName(name);
        if (AdmitsOnJoin())
            Admit(connectionId);
    }
    uint8_t frame[16];
    WriteFrameHeader(frame, 16, GNSYS_JOIN_RESULT, 0, connectionId);
    WriteI32At(frame + 12, result);
    RouteMessage(frame);
}

bool CNetManager::Admit(int32_t id)
{
    NetPlayer* connection = m_pClient ? nullptr : FindConnection(id);
    if (!connection || !connection->IsJoined() || !connection->SetAdmitted())
        return false;
    const std::string name = connection->GetName();
    OnPlayerInfo(name, id);
    SendPlayerInfo(kTargetAll, name, id);
    return true;
}

void CNetManager::EndOverLimit(int32_t id)
{
    if (NetPlayer* connection = m_pClient ? m_pClient.get() : FindConnection(id))
        connection->EndOverLimit();
}

void CNetManager::OnPlayerInfo(const std::string& name, int32_t id)
{
    if (!m_pClient) {
        if (NetPlayer* connection = FindConnection(id))
            if (!connection->IsJoined())
                connection->SetName(name);
    }
}

void CNetManager::JoinResult(int32_t code)
{
    uint32_t bits = 0;
    switch (code) {
    case kJoinAccepted:
        bits = 0x10;
        break;
    case kJoinNoSuchUser:
        bits = 0x60;
        break;
    case kJoinRefused:
        bits = 0xA0;
        break;
    case 256:
        bits = 0x120;
        break;
    default:
        OnJoinResult(code);
        return;
    }
    uint32_t state = m_uState.load();
    while (!m_uState.compare_exchange_weak(state, (state & ~kJoinResultBits) | bits)) {
    }
    OnJoinResult(code);
}

// ---- accepting and losing ----

void CNetManager::OnAccept(platform::net::TcpSocket socket)
{
    std::lock_guard<std::mutex> guard(m_acceptLock);
    if (m_bStopping.load())
        return;
    NetPlayer* slot = nullptr;
    int32_t id = -1;
    for (size_t i = 0; i < m_aTable.size(); ++i) {
        if (m_aTable[i]->GetId() == -1) {
            slot = m_aTable[i].get();
            id = static_cast<int32_t>(i) + 1;
            break;
        }
    }
    if (!slot) {
        // No slot: the connection is closed at once (its peer never gets an id).
        platform::DebugOutput("OnAccept: no free slot; the connection is closed");
        return;
    }
    // A lost connection is closed (its threads joined) before its slot starts again.
    slot->Close();
    if (!slot->Start(std::move(socket), id, kBufferSize, true))
        return;
    const int count = ++m_nPlayerCount;
    if (m_pListener)
        m_pListener->SetPlayers(count);
    uint8_t frame[16];
    WriteFrameHeader(frame, 16, GNSYS_PLAYER_ID, 0, id);
    WriteI32At(frame + 12, id);
    RouteMessage(frame);
    SendAllPlayerInfo(id);
}

void CNetManager::OnConnectionLost(NetPlayer& connection)
{
    const int32_t id = connection.GetId();
    {
        std::lock_guard<std::recursive_mutex> guard(m_userLock);
        if (CUserAccount* account = FindUserById(id))
            account->Logout();
    }
    if (!connection.IsActive())
        return;
    connection.MarkFree();
    if (m_bStopping.load())
        return;
    OnDeletePlayer(id);
    if (!m_pClient) {
        SendDeletePlayer(id);
        const int count = --m_nPlayerCount;
        if (m_pListener)
            m_pListener->SetPlayers(count < 0 ? 0 : count);
    }
    // A client that lost its host wakes whoever waits for its id.
    m_idKnown.notify_all();
    OnOwnIdKnown();
}

// ---- the listener ----

CNetListener::~CNetListener()
{
    Stop();
}

bool CNetListener::Start(const std::string& name, int32_t value, int maxPlayers, uint32_t address, int tcpPort,
                         int udpPort)
{
    {
        std::lock_guard<std::mutex> guard(m_infoLock);
        m_info.strName = name.substr(0, 32);
        m_info.nValue = value;
        m_info.nPlayers = 0;
        m_info.nMaxPlayers = static_cast<uint8_t>(maxPlayers);
        m_info.uAddress = address;
    }
    if (!m_tcp.Open() || !m_tcp.SetReuseAddress(true) || !m_tcp.Bind(address, tcpPort) || !m_tcp.Listen(16) ||
        !m_tcp.SetNonBlocking(true)) {
        platform::DebugOutput("Listener: TCP " + platform::net::FormatAddress(address) + " port " +
                              std::to_string(tcpPort) + " failed, error " + std::to_string(m_tcp.LastError()));
        m_tcp.Close();
        return false;
    }
    m_nTcpPort = m_tcp.LocalPort();
    m_stop.Reset();
    m_uFlags |= kAccepting;
    m_acceptThread = std::thread([this] { AcceptLoop(); });
    if (m_udp.Open() && m_udp.Bind(address, udpPort)) {
        m_nUdpPort = m_udp.LocalPort();
        m_uFlags |= kDiscovering;
        m_discoveryThread = std::thread([this] { DiscoveryLoop(); });
    } else {
        platform::DebugOutput("Listener: discovery port " + std::to_string(udpPort) + " could not be bound");
        m_udp.Close();
    }
    return true;
}

void CNetListener::Stop()
{
    m_stop.Signal();
    if (m_acceptThread.joinable())
        m_acceptThread.join();
    if (m_discoveryThread.joinable())
        m_discoveryThread.join();
    m_tcp.Close();
    m_udp.Close();
}

void CNetListener::SetPlayers(int count)
{
    std::lock_guard<std::mutex> guard(m_infoLock);
    m_info.nPlayers = static_cast<uint8_t>(count);
}

NetSessionInfo CNetListener::Info() const
{
    std::lock_guard<std::mutex> guard(m_infoLock);
    return m_info;
}

void CNetListener::AcceptLoop()
{
    using platform::net::WaitItem;
    for (;;) {
        WaitItem items[2];
        items[0].nHandle = m_tcp.Handle();
        items[0].bRead = true;
        items[1].nHandle = m_stop.Handle();
        items[1].bRead = true;
        if (platform::net::WaitAny(items, 2, -1) < 0 || items[1].bReadable)
            break;
        if (!items[0].bReadable)
            continue;
        for (;;) {
            platform::net::TcpSocket accepted;
            const platform::net::IoResult r = m_tcp.Accept(&accepted);
            if (r == platform::net::IoResult::WouldBlock)
                break;
            if (r != platform::net::IoResult::Done) {
                platform::DebugOutput("Listener: accept failed, error " + std::to_string(m_tcp.LastError()));
                break;
            }
            m_pOwner->OnAccept(std::move(accepted));
        }
    }
    m_uFlags &= ~kAccepting;
}

void CNetListener::DiscoveryLoop()
{
    using platform::net::WaitItem;
    for (;;) {
        WaitItem items[2];
        items[0].nHandle = m_udp.Handle();
        items[0].bRead = true;
        items[1].nHandle = m_stop.Handle();
        items[1].bRead = true;
        if (platform::net::WaitAny(items, 2, -1) < 0 || items[1].bReadable)
            break;
        if (!items[0].bReadable)
            continue;
        uint8_t query[4];
        platform::net::SocketAddress from;
        // A longer datagram is reported as cut (not as four bytes), so "TNMGx" gets no answer.
        const int got = m_udp.ReceiveFrom(query, sizeof query, &from);
        if (got == 4 && std::memcmp(query, "TNMG", 4) == 0) {
            const auto answer = Info().Encode();
            m_udp.SendTo(from, answer.data(), static_cast<int>(answer.size()));
        }
    }
    m_uFlags &= ~kDiscovering;
}
