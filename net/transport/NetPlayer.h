// One TCP connection: its socket, send queue, name and id, with a send thread and a receive thread.
#pragma once

#include "net/transport/NetMsgQueue.h"
#include "platform/net/Tcp.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CNetManager;

class NetPlayer {
public:
    static constexpr uint32_t kStarted = 0x1;
    static constexpr uint32_t kJoined = 0x2;
    static constexpr uint32_t kStopping = 0x4;
    static constexpr uint32_t kReceiving = 0x10;
    static constexpr uint32_t kSending = 0x20;
    static constexpr uint32_t kPingPending = 0x40;
    static constexpr uint32_t kAdmitted = 0x80; // announced to the other players
    // A send queue beyond this many bytes ends the connection.
    static constexpr size_t kSendQueueLimit = 8u << 20;
    // A send that cannot move for this long ends the connection.
    static constexpr uint32_t kStuckMs = 30000;
    // A frame must be whole within this grace plus one second per kFrameMinRate of its bytes.
    static constexpr uint32_t kFrameGraceMs = 5000;
    static constexpr uint32_t kFrameMinRate = 128;
    // A host's connection that sends no join request this long after it was accepted ends; so does one not
    // admitted (announced to the others) within the longer time.
    static constexpr uint32_t kJoinDeadlineMs = 10000;
    static constexpr uint32_t kAdmitDeadlineMs = 30000;
    // What the log says when a connection is ended over one of its queues' limits.
    static constexpr const char* kOverLimitText = "NetPlayer, a message queue is over its limit: the connection ends";

    explicit NetPlayer(CNetManager* owner) : m_pOwner(owner) {}
    ~NetPlayer();
    NetPlayer(const NetPlayer&) = delete;
    NetPlayer& operator=(const NetPlayer&) = delete;

    // Takes the connected socket and starts both threads. The slot must be closed. A host's connection
    // (`mustJoin`) is ended when it neither joins nor is admitted in time.
    bool Start(platform::net::TcpSocket socket, int32_t id, int bufferSize, bool mustJoin = false);
    // Frames `length` bytes of app data for `target` and queues them; more than 632 bytes sends nothing.
    void SendAppData(int32_t target, const void* data, size_t length);
    // Copies a whole frame to the tail (or head) of the send queue. `expectId` other than -1 queues only
    // while the connection has that id; `joinedOnly` only while it is joined.
    bool QueueMessage(const uint8_t* frame, int32_t expectId = -1, bool joinedOnly = false);
    // Queues several whole frames together (the queue limit counts them all), so the sender takes them in one
    // wake-up.
    bool QueueMessages(const uint8_t* const* frames, size_t count, int32_t expectId = -1, bool joinedOnly = false);
    bool QueueUrgentMessage(const uint8_t* frame);

    // Ends the connection from any thread: both threads see it and end, and the loss is reported once.
    void RequestStop();
    // Ends the connection for going over one of its limits.
    void EndOverLimit();
    // Queues nothing more, sends what is queued and then ends the connection; after `graceMs` it ends
    // whatever is left unsent. Frames received meanwhile are dropped.
    void EndAfterSent(uint32_t graceMs);
    bool IsEnding() const { return m_bEnding.load(); }
    // Stops and joins both threads (never from one of them).
    void StopThreads();
    // Joins the threads, closes the socket and empties the slot (id -1).
    void Close();
    void MarkFree();
    bool IsActive() const { return (m_uFlags.load() & kStarted) != 0; }
    bool IsJoined() const;
    // Marks the connection announced; false when it already was.
    bool SetAdmitted();
    bool IsAdmitted() const { return (m_uFlags.load() & kAdmitted) != 0; }
    bool HasThreads() const;
    void SetName(const std::string& name);
    std::string GetName() const;
    int32_t GetId() const { return m_nId.load(); }
    uint32_t GetFlags() const { return m_uFlags.load(); }
    void MarkPingSent(uint32_t now);
    void OnPingReply(uint32_t now);
    uint32_t GetHalfRoundTrip() const { return m_uHalfRoundTrip.load(); }
    size_t QueuedBytes() { return m_queue.QueuedBytes(); }

private:
    void ReceiveLoop();
    void SendLoop();
    // Waits while the send queue still grows (a burst being queued), at most a millisecond.
    void GatherBurst();
    void ThreadEnded();
    // Reads what is waiting and dispatches every whole frame; false when the connection must end.
    bool ReadFrames(bool& partial, uint32_t& partialSince);
    // Why the receiver must end now (a frame too slow, no join, no admission), or null.
    const char* ReceiveDeadlinePassed(bool partial, uint32_t partialSince) const;
    bool HasReceiveDeadline(bool partial) const;
    bool Enqueue(const uint8_t* const* frames, size_t count, bool front, int32_t expectId, bool joinedOnly);
    bool PastEnd() const;
    uint32_t Now() const;

    CNetManager* m_pOwner;
    std::atomic<int32_t> m_nId{-1};
    std::atomic<uint32_t> m_uFlags{0};
    std::atomic<bool> m_bStop{false};
    std::atomic<bool> m_bLostReported{false};
    std::atomic<bool> m_bEnding{false};
    std::atomic<bool> m_bEndedHere{false}; // ended by this side for its conduct (limits, deadlines, a drop)
    std::atomic<bool> m_bLetIn{false};     // admitted at some time since its start
    std::atomic<uint32_t> m_uEndBy{0};
    std::atomic<int> m_nThreadsLeft{0};
    bool m_bMustJoin = false;
    uint32_t m_uStartedAt = 0;
    std::atomic<uint32_t> m_uHalfRoundTrip{0};
    std::atomic<uint32_t> m_uPingTime{0};

    mutable std::mutex m_stateLock; // name, and queueing against start and close
    std::string m_strName;
    std::mutex m_lifeLock;   // start and close
    std::mutex m_socketLock; // shutdown against close
    platform::net::TcpSocket m_socket;
    platform::net::WakeEvent m_sendEvent;
    platform::net::WakeEvent m_stopEvent;
    platform::net::WakeEvent m_receiveWake; // the receiver looks at its deadlines again
    CNetMsgQueue m_queue;
    std::vector<uint8_t> m_aReceive;
    size_t m_nHave = 0;
    std::thread m_receiveThread;
    std::thread m_sendThread;
};
