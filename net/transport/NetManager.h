// The network object: a host's listener and connection table or a client's one connection, the framed
// messages between them, the user list, and the virtual handlers the game session overrides.
#pragma once

#include "net/transport/Frames.h"
#include "net/transport/NetList.h"
#include "platform/net/Socket.h"
#include "platform/net/Tcp.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class NetPlayer;
class CNetManager;
class CUserAccount;

// Where a network object listens or connects; tests and the headless player give their own.
struct CNetConfig {
    static constexpr int kDefaultTcpPort = 19710;
    static constexpr int kDefaultUdpPort = 19711;
    int nTcpPort = kDefaultTcpPort; // 0 picks a free port when hosting
    int nUdpPort = kDefaultUdpPort;
    uint32_t uBindAddress = 0; // host order; 0: the machine's own address
    // The millisecond clock of time-outs; empty: the tick count.
    std::function<uint32_t()> fnClock;
};

// The host's listener: the TCP accept thread and the UDP discovery thread.
class CNetListener {
public:
    static constexpr uint32_t kAccepting = 0x1;
    static constexpr uint32_t kDiscovering = 0x2;

    explicit CNetListener(CNetManager* owner) : m_pOwner(owner) {}
    ~CNetListener();
    CNetListener(const CNetListener&) = delete;
    CNetListener& operator=(const CNetListener&) = delete;

    // True when the TCP socket listens; a discovery socket that cannot be bound leaves discovery off.
    bool Start(const std::string& name, int32_t value, int maxPlayers, uint32_t address, int tcpPort, int udpPort);
    void Stop();
    bool IsListening() const { return m_tcp.IsOpen(); }
    int TcpPort() const { return m_nTcpPort; }
    int UdpPort() const { return m_nUdpPort; }
    void SetPlayers(int count);
    NetSessionInfo Info() const;

private:
    void AcceptLoop();
    void DiscoveryLoop();

    CNetManager* m_pOwner;
    std::atomic<uint32_t> m_uFlags{0};
    platform::net::TcpSocket m_tcp;
    platform::net::UdpSocket m_udp;
    platform::net::WakeEvent m_stop;
    std::thread m_acceptThread;
    std::thread m_discoveryThread;
    mutable std::mutex m_infoLock;
    NetSessionInfo m_info;
    int m_nTcpPort = -1;
    int m_nUdpPort = -1;
};

class CNetManager {
public:
    static constexpr uint32_t kAccountsRequired = 0x2;
    static constexpr uint32_t kJoinResultBits = 0x1F0;
    static constexpr int kBufferSize = 4096;
    static constexpr int kJoinIdWaitMs = 10000;
    static constexpr int kConnectTimeoutMs = 10000;

    // `maxPlayers` counts the host: clients take ids 1 to maxPlayers - 1.
    explicit CNetManager(int maxPlayers, CNetConfig config = {});
    virtual ~CNetManager();
    CNetManager(const CNetManager&) = delete;
    CNetManager& operator=(const CNetManager&) = delete;

    // User list (host).
    virtual bool LoadUserList(const std::string& path);
    virtual CUserAccount* FindUserByName(const std::string& name);
    virtual CUserAccount* FindUserById(int32_t id);

    bool SetHostAddress(const std::string& text);
    bool StartHost(const std::string& name, const std::string& ownName, int32_t sessionValue, bool accountsRequired);
    bool Connect(const std::string& ownName, const uint8_t* address = nullptr);
    bool JoinSession(const NetSessionInfo& info, const std::string& ownName);
    // Waits (at most 10 s) for the own id, then sends the join request; false when no id came.
    bool SendJoinRequest(const std::string& name, const std::string& password);

    bool IsHost() const;
    bool IsConnected() const;
    // A client whose connection to the host still stands.
    bool IsClientConnectionUp() const;
    int32_t GetHostId() const;
    int32_t GetPlayerId() const { return m_nOwnId.load(); }
    std::string GetPlayerName() const { return m_strOwnName; }
    uint32_t GetState() const { return m_uState.load(); }
    int GetPlayerCount() const { return m_nPlayerCount.load(); }
    int GetTableSize() const { return m_nTableSize; }
    uint32_t GetLocalAddress() const { return m_uLocalAddress; }
    std::array<uint8_t, 4> GetHostAddress() const { return m_aHostAddress; }
    // The ports the listener got (after a start with port 0).
    int GetTcpPort() const;
    int GetUdpPort() const;
    NetPlayer* FindConnection(int32_t id);

    void SendAppData(int32_t target, const void* data, size_t length);
    // Several pieces of app data for one target, one frame each, queued together.
    void SendAppData(int32_t target, const std::vector<std::vector<uint8_t>>& pieces);
    void RouteMessage(const uint8_t* frame);
    void SendPlayerInfo(int32_t target, const std::string& name, int32_t id);
    void SendAllPlayerInfo(int32_t newId);
    void SendDeletePlayer(int32_t id);
    void SendPingReply();
    // Sends a ping with the clock to one client (nothing in the game sends one; tools and tests do).
    void SendPing(int32_t id);

    // Announces a joined player to everyone (once); false when it is not joined or was announced already.
    bool Admit(int32_t id);
    // Ends a connection from any thread for going over a queue's limit.
    void EndOverLimit(int32_t id);

    // Called on the connection threads.
    void Dispatch(const uint8_t* frame, int32_t length, int32_t connectionId, NetPlayer& connection);
    void OnAccept(platform::net::TcpSocket socket);
    void OnConnectionLost(NetPlayer& connection);
    // A connection's receive thread ends: nothing more of what that connection sent comes after this.
    // `discard`: it was ended for its conduct or never let in, and what it sent is to go with it.
    void ReceiveEnded(int32_t id, bool discard) { OnReceiveEnded(id, discard); }
    uint32_t Now() const;

    static void DefaultHandler(void*) {}

protected:
    // Stops the listener and closes every connection (joining their threads). A derived destructor calls it
    // first, so no handler runs into a half-destroyed object.
    void StopNetwork();

    // Handlers, called on the connection threads.
    virtual void OnJoinRequest(const std::string& name, const std::string& password, int32_t connectionId);
    virtual void OnDeletePlayer(int32_t) {}
    // App data from a connection; true when the host may relay it to its target.
    virtual bool OnAppData(const uint8_t*, size_t, int32_t /*fromId*/) { return false; }
    virtual void OnJoinResult(int32_t) {}
    virtual void OnPlayerId(int32_t) {}
    virtual void OnPlayerInfo(const std::string& name, int32_t id);
    virtual void OnTimeSync(int32_t) {}
    virtual void OnReceiveEnded(int32_t /*id*/, bool /*discard*/) {}
    // Wakes whoever waits for the own id (a derived class may wait on its own queue as well).
    virtual void OnOwnIdKnown() {}
    // Whether a host announces a player as soon as it joins; a derived class that lets players in later
    // returns false and calls Admit itself.
    virtual bool AdmitsOnJoin() const { return true; }

    void JoinResult(int32_t code);
    void SetOwnId(int32_t id) { m_nOwnId = id; }
    const CNetConfig& Config() const { return m_config; }

private:
    void RouteFrom(const uint8_t* frame, bool joinedOnly);
    void RouteFrom(const uint8_t* const* frames, size_t count, bool joinedOnly);

    CNetConfig m_config;
    uint32_t m_uLocalAddress = 0;
    std::array<uint8_t, 4> m_aHostAddress{};
    std::atomic<uint32_t> m_uState{0};
    int32_t m_nUserCount = 0;
    std::atomic<int> m_nPlayerCount{0};
    int m_nTableSize;
    std::atomic<int32_t> m_nOwnId{-1};
    std::string m_strOwnName;
    std::unique_ptr<NetPlayer> m_pClient;
    std::unique_ptr<CNetListener> m_pListener;
    std::vector<std::unique_ptr<NetPlayer>> m_aTable;
    std::mutex m_acceptLock;
    std::recursive_mutex m_userLock;
    CNetList m_users;
    std::mutex m_idLock;
    std::condition_variable m_idKnown;
    std::atomic<bool> m_bStopping{false};
    std::atomic<bool> m_bHosting{false};
};
