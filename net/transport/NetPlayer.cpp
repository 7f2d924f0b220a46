// A connection's two threads: the receiver cuts the byte stream into frames, the sender writes queued frames.
#include "net/transport/NetPlayer.h"

#include "net/transport/Frames.h"
#include "net/transport/NetManager.h"
#include "platform/system/MessageBox.h"

#include <algorithm>
#include <chrono>
#include <cstring>

using platform::net::ConstBuffer;
using platform::net::IoResult;
using platform::net::WaitAny;
using platform::net::WaitItem;

namespace {

constexpr size_t kReceiveCapacity = 16 * 1024;
constexpr size_t kBatch = 64;
// While a frame or a send is stuck, the threads look at the clock this often.
constexpr int kStuckPollMs = 100;
// A woken sender lets a burst (one tick's messages) gather while it still grows, looking this often, for at
// most this long; the burst then leaves in a few writes instead of one segment a message.
constexpr auto kGatherStep = std::chrono::microseconds(100);
constexpr auto kGatherMost = std::chrono::microseconds(1000);

} // namespace

NetPlayer::~NetPlayer()
{
    Close();
}

uint32_t NetPlayer::Now() const
{
    return m_pOwner->Now();
}

bool NetPlayer::Start(platform::net::TcpSocket socket, int32_t id, int bufferSize, bool mustJoin)
{
    std::lock_guard<std::mutex> life(m_lifeLock);
    if (m_receiveThread.joinable() || m_sendThread.joinable())
        return false;
    {
        std::lock_guard<std::mutex> guard(m_stateLock);
        m_queue.Clear();
        m_strName.clear();
        m_nId = id;
        m_uFlags = kStarted | kReceiving | kSending;
    }
    {
        std::lock_guard<std::mutex> guard(m_socketLock);
        m_socket = std::move(socket);
        m_socket.SetNonBlocking(true);
        m_socket.SetNoDelay(true);
    }
    m_aReceive.assign(std::max<size_t>(kReceiveCapacity, static_cast<size_t>(std::max(bufferSize, 0))), 0);
    m_nHave = 0;
    m_bStop = false;
    m_bLostReported = false;
    m_bEnding = false;
    m_bEndedHere = false;
    m_bLetIn = false;
    m_nThreadsLeft = 2;
    m_bMustJoin = mustJoin;
    m_uStartedAt = Now();
    m_uHalfRoundTrip = 0;
    m_stopEvent.Reset();
    m_sendEvent.Reset();
    m_receiveWake.Reset();
    m_receiveThread = std::thread([this] { ReceiveLoop(); });
    m_sendThread = std::thread([this] { SendLoop(); });
    return true;
}

bool NetPlayer::IsJoined() const
{
    std::lock_guard<std::mutex> guard(m_stateLock);
    return (m_uFlags.load() & kJoined) && m_nId.load() != -1 && !m_strName.empty();
}

bool NetPlayer::SetAdmitted()
{
    m_bLetIn = true;
    return !(m_uFlags.fetch_or(kAdmitted) & kAdmitted);
}

bool NetPlayer::HasThreads() const
{
    return (m_uFlags.load() & (kReceiving | kSending)) != 0;
}

void NetPlayer::SetName(const std::string& name)
{
    std::lock_guard<std::mutex> guard(m_stateLock);
    m_strName = name.substr(0, kNameField);
    m_uFlags |= kJoined;
}

std::string NetPlayer::GetName() const
{
    std::lock_guard<std::mutex> guard(m_stateLock);
    return m_strName;
}

void NetPlayer::MarkFree()
{
    std::lock_guard<std::mutex> guard(m_stateLock);
    m_uFlags &= ~(kStarted | kJoined | kAdmitted);
    m_nId = -1;
}

void NetPlayer::MarkPingSent(uint32_t now)
{
    m_uPingTime = now;
    m_uFlags |= kPingPending;
}

void NetPlayer::OnPingReply(uint32_t now)
{
    m_uHalfRoundTrip = (now - m_uPingTime.load()) / 2;
    m_uFlags &= ~kPingPending;
}

// ---- queueing ----

bool NetPlayer::Enqueue(const uint8_t* const* frames, size_t count, bool front, int32_t expectId, bool joinedOnly)
{
    size_t total = 0;
    for (size_t i = 0; i < count; ++i)
        total += static_cast<uint32_t>(ReadI32At(frames[i]));
    bool overflow = false;
    bool wake = false;
    {
        std::lock_guard<std::mutex> guard(m_stateLock);
        const uint32_t flags = m_uFlags.load();
        if (!(flags & kStarted) || m_bStop.load() || m_bEnding.load())
            return false;
        if (expectId != -1 && m_nId.load() != expectId)
            return false;
        if (joinedOnly && (!(flags & kJoined) || m_strName.empty()))
            return false;
        if (m_queue.QueuedBytes() + total > kSendQueueLimit) {
            overflow = true;
        } else {
            for (size_t i = 0; i < count; ++i) {
                const uint32_t length = static_cast<uint32_t>(ReadI32At(frames[i]));
                CNetBuffer* buffer = m_queue.GetBuffer(length);
                if (!buffer)
                    break;
                std::memcpy(buffer->pData, frames[i], length);
                bool wasEmpty = false;
                if (!(front ? m_queue.PushFront(buffer, &wasEmpty) : m_queue.PushBack(buffer, &wasEmpty)))
                    break;
                wake = wake || wasEmpty;
            }
        }
    }
    if (overflow) {
        EndOverLimit();
        return false;
    }
    // The sender empties the queue before it waits: it needs waking only when the queue was empty.
    if (wake)
        m_sendEvent.Signal();
    return true;
}

bool NetPlayer::QueueMessage(const uint8_t* frame, int32_t expectId, bool joinedOnly)
{
    return Enqueue(&frame, 1, false, expectId, joinedOnly);
}

bool NetPlayer::QueueMessages(const uint8_t* const* frames, size_t count, int32_t expectId, bool joinedOnly)
{
    return Enqueue(frames, count, false, expectId, joinedOnly);
}

bool NetPlayer::QueueUrgentMessage(const uint8_t* frame)
{
    return Enqueue(&frame, 1, true, -1, false);
}

void NetPlayer::SendAppData(int32_t target, const void* data, size_t length)
{
    // The old frame kept its full length while only 640 bytes were copied, and a receiver took at most
    // 632: nothing is sent instead.
    if (length > kAppDataMax) {
        platform::DebugOutput("NetPlayer, SendAppData: " + std::to_string(length) +
                              " bytes do not fit one frame; nothing is sent");
        return;
    }
    uint8_t frame[kFrameMax];
    const int32_t total = static_cast<int32_t>(length + kFrameHeader);
    WriteFrameHeader(frame, total, GNSYS_APP_DATA, NextAppDataSequence(), target);
    if (length)
        std::memcpy(frame + kFrameHeader, data, length);
    QueueMessage(frame);
}

// ---- stopping ----

void NetPlayer::RequestStop()
{
    m_bStop = true;
    m_stopEvent.Signal();
    std::lock_guard<std::mutex> guard(m_socketLock);
    m_socket.Shutdown();
}

void NetPlayer::EndOverLimit()
{
    platform::DebugOutput(kOverLimitText);
    m_bEndedHere = true;
    RequestStop();
}

void NetPlayer::EndAfterSent(uint32_t graceMs)
{
    {
        std::lock_guard<std::mutex> guard(m_stateLock);
        if (!(m_uFlags.load() & kStarted) || m_bStop.load() || m_bEnding.load())
            return;
        m_uEndBy = Now() + graceMs;
        m_bEndedHere = true;
        m_bEnding = true;
    }
    m_sendEvent.Signal();
    m_receiveWake.Signal();
}

bool NetPlayer::PastEnd() const
{
    return static_cast<int32_t>(Now() - m_uEndBy.load()) >= 0;
}

void NetPlayer::StopThreads()
{
    m_uFlags |= kStopping;
    if (m_receiveThread.joinable() || m_sendThread.joinable())
        RequestStop();
    if (m_receiveThread.joinable())
        m_receiveThread.join();
    if (m_sendThread.joinable())
        m_sendThread.join();
    m_uFlags &= ~kStopping;
}

void NetPlayer::Close()
{
    std::lock_guard<std::mutex> life(m_lifeLock);
    StopThreads();
    {
        std::lock_guard<std::mutex> guard(m_socketLock);
        m_socket.Close();
    }
    std::lock_guard<std::mutex> guard(m_stateLock);
    m_queue.Clear();
    m_strName.clear();
    m_uFlags = 0;
    m_nId = -1;
}

void NetPlayer::ThreadEnded()
{
    RequestStop();
    if (!m_bLostReported.exchange(true))
        m_pOwner->OnConnectionLost(*this);
    if (m_nThreadsLeft.fetch_sub(1) == 1) {
        // The last thread out closes the socket and lets the backlog go: a lost connection holds nothing.
        {
            std::lock_guard<std::mutex> guard(m_socketLock);
            m_socket.Close();
        }
        m_queue.FreeAll();
    }
}

// ---- receiving ----

bool NetPlayer::ReadFrames(bool& partial, uint32_t& partialSince)
{
    for (;;) {
        size_t got = 0;
        const IoResult r = m_socket.Receive(m_aReceive.data() + m_nHave, m_aReceive.size() - m_nHave, &got);
        if (r == IoResult::WouldBlock)
            return true;
        if (r == IoResult::Closed)
            return false;
        if (r != IoResult::Done) {
            platform::DebugOutput("Receive Thread GetNetData error number is " + std::to_string(m_socket.LastError()));
            return false;
        }
        m_nHave += got;
        bool bad = false;
        const size_t pos = CutFrames(
            m_aReceive.data(), m_nHave,
            [&](const uint8_t* frame, int32_t length) {
                // A connection being ended hears nothing more.
                if (!m_bEnding.load())
                    m_pOwner->Dispatch(frame, length, m_nId.load(), *this);
                partial = false;
                return !m_bStop.load();
            },
            &bad);
        if (bad) {
            platform::DebugOutput("NetPlayer, GetNetData, recv call, packet size is " +
                                  std::to_string(ReadI32At(m_aReceive.data() + pos)));
            m_bEndedHere = true;
            return false;
        }
        if (m_bStop.load())
            return false;
        if (pos) {
            std::memmove(m_aReceive.data(), m_aReceive.data() + pos, m_nHave - pos);
            m_nHave -= pos;
        }
        if (m_nHave && !partial) {
            partial = true;
            partialSince = Now();
        }
    }
}

bool NetPlayer::HasReceiveDeadline(bool partial) const
{
    return partial || m_bEnding.load() || (m_bMustJoin && !(m_uFlags.load() & kAdmitted));
}

const char* NetPlayer::ReceiveDeadlinePassed(bool partial, uint32_t partialSince) const
{
    const uint32_t now = Now();
    if (partial) {
        uint32_t allowance = kFrameGraceMs;
        if (m_nHave >= 4) {
            const int32_t length = ReadI32At(m_aReceive.data());
            if (length > 0)
                allowance += static_cast<uint32_t>(length) * 1000 / kFrameMinRate;
        }
        if (now - partialSince > allowance)
            return "NetPlayer, a frame came slower than 128 bytes a second: the connection ends";
    }
    if (m_bEnding.load() && PastEnd())
        return "NetPlayer, the peer of a dropped connection did not close it: the connection ends";
    if (m_bMustJoin) {
        const uint32_t flags = m_uFlags.load();
        if (!(flags & kJoined) && now - m_uStartedAt > kJoinDeadlineMs)
            return "NetPlayer, no join request came within 10 seconds: the connection ends";
        if (!(flags & kAdmitted) && now - m_uStartedAt > kAdmitDeadlineMs)
            return "NetPlayer, the player was not let in within 30 seconds: the connection ends";
    }
    return nullptr;
}

void NetPlayer::ReceiveLoop()
{
    const int32_t id = m_nId.load();
    bool partial = false;      // a frame is half read
    uint32_t partialSince = 0; // since when its first bytes came
    while (!m_bStop.load()) {
        if (const char* why = ReceiveDeadlinePassed(partial, partialSince)) {
            platform::DebugOutput(why);
            m_bEndedHere = true;
            break;
        }
        WaitItem items[3];
        items[0].nHandle = m_socket.Handle();
        items[0].bRead = true;
        items[1].nHandle = m_stopEvent.Handle();
        items[1].bRead = true;
        items[2].nHandle = m_receiveWake.Handle();
        items[2].bRead = true;
        const int n = WaitAny(items, 3, HasReceiveDeadline(partial) ? kStuckPollMs : -1);
        if (n < 0 || items[1].bReadable || m_bStop.load())
            break;
        if (items[2].bReadable)
            m_receiveWake.Reset();
        if (items[0].bReadable && !ReadFrames(partial, partialSince))
            break;
    }
    // The buffer goes with the connection; a new start makes another.
    std::vector<uint8_t>().swap(m_aReceive);
    m_nHave = 0;
    // A host's connection ended for its conduct, or never let in, takes what it sent along.
    m_pOwner->ReceiveEnded(id, m_bMustJoin && (m_bEndedHere.load() || !m_bLetIn.load()));
    m_uFlags &= ~kReceiving;
    ThreadEnded();
}

// ---- sending ----

void NetPlayer::GatherBurst()
{
    size_t seen = m_queue.Count();
    const auto until = std::chrono::steady_clock::now() + kGatherMost;
    while (!m_bStop.load() && !m_bEnding.load() && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(kGatherStep);
        const size_t now = m_queue.Count();
        if (now == seen)
            break;
        seen = now;
    }
}

void NetPlayer::SendLoop()
{
    CNetBuffer* batch[kBatch];
    size_t count = 0, first = 0, offset = 0; // batch[first] is sent up to `offset`
    bool blocked = false;
    uint32_t blockedSince = 0;
    bool finished = false; // an ending connection's last byte is sent and its end written
    auto giveBack = [&] {
        for (size_t i = first; i < count; ++i)
            m_queue.ReturnBuffer(batch[i]);
        count = first = 0;
    };
    while (!m_bStop.load()) {
        if (first == count) {
            count = first = offset = 0;
            m_sendEvent.Reset();
            count = m_queue.TakeFront(batch, kBatch);
            if (count == 0) {
                const bool ending = m_bEnding.load();
                if (ending && !finished) {
                    // All sent: the peer reads it and then the end; the receiver waits for the peer's close.
                    finished = true;
                    std::lock_guard<std::mutex> guard(m_socketLock);
                    m_socket.ShutdownWrite();
                }
                WaitItem items[2];
                items[0].nHandle = m_sendEvent.Handle();
                items[0].bRead = true;
                items[1].nHandle = m_stopEvent.Handle();
                items[1].bRead = true;
                if (WaitAny(items, 2, -1) < 0)
                    break;
                if (!items[1].bReadable)
                    GatherBurst();
                continue;
            }
        }
        ConstBuffer pieces[kBatch];
        int n = 0;
        for (size_t i = first; i < count; ++i, ++n) {
            const size_t skip = i == first ? offset : 0;
            pieces[n].pData = batch[i]->pData + skip;
            pieces[n].nLength = batch[i]->nSize - skip;
        }
        size_t done = 0;
        const IoResult r = m_socket.SendGather(pieces, n, &done);
        if (r == IoResult::Done) {
            blocked = false;
            while (first < count && done >= batch[first]->nSize - offset) {
                done -= batch[first]->nSize - offset;
                offset = 0;
                m_queue.ReturnBuffer(batch[first++]);
            }
            offset += done;
            continue;
        }
        if (r != IoResult::WouldBlock)
            break;
        if (m_bEnding.load() && PastEnd()) {
            platform::DebugOutput("NetPlayer, a dropped connection's last frames could not be sent: it ends");
            break;
        }
        const uint32_t now = Now();
        if (!blocked) {
            blocked = true;
            blockedSince = now;
        } else if (now - blockedSince > kStuckMs) {
            platform::DebugOutput("NetPlayer, a send could not move for 30 seconds: the connection ends");
            m_bEndedHere = true;
            break;
        }
        WaitItem items[2];
        items[0].nHandle = m_socket.Handle();
        items[0].bWrite = true;
        items[1].nHandle = m_stopEvent.Handle();
        items[1].bRead = true;
        if (WaitAny(items, 2, kStuckPollMs) < 0)
            break;
    }
    giveBack();
    m_uFlags &= ~kSending;
    ThreadEnded();
}
