// The message queue: buffers reused by exact size, pushes at either end, batch takes for gathered sends.
#include "net/transport/NetMsgQueue.h"

#include <chrono>
#include <cstring>
#include <new>

namespace {

void FreeHolder(CNetBuffer* buffer)
{
    delete[] buffer->pData;
    delete buffer;
}

} // namespace

CNetMsgQueue::~CNetMsgQueue()
{
    while (void* item = m_queue.PopFront())
        FreeHolder(static_cast<CNetBuffer*>(item));
    while (void* item = m_free.PopFront())
        FreeHolder(static_cast<CNetBuffer*>(item));
}

CNetBuffer* CNetMsgQueue::GetBuffer(uint32_t size)
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        for (CNetList::Node* node = m_free.Head(); node; node = node->pNext) {
            auto* buffer = static_cast<CNetBuffer*>(node->pItem);
            if (buffer->nSize == size) {
                m_free.Remove(buffer);
                m_nFreeBytes -= size;
                buffer->nOrigin = -1;
                return buffer;
            }
        }
    }
    auto* buffer = new (std::nothrow) CNetBuffer;
    if (!buffer)
        return nullptr;
    buffer->pData = new (std::nothrow) uint8_t[size ? size : 1];
    if (!buffer->pData) {
        delete buffer;
        return nullptr;
    }
    buffer->nSize = size;
    return buffer;
}

bool CNetMsgQueue::Push(CNetBuffer* buffer, bool front, bool* wasEmpty)
{
    if (!buffer)
        return false;
    bool empty = false;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        empty = m_queue.Empty();
        if (!(front ? m_queue.PushFront(buffer) : m_queue.PushBack(buffer))) {
            Recycle(buffer);
            return false;
        }
        m_nQueuedBytes += buffer->nSize;
    }
    if (wasEmpty)
        *wasEmpty = empty;
    // Waiters wait only on an empty queue.
    if (empty)
        m_queued.notify_all();
    return true;
}

bool CNetMsgQueue::PushBack(CNetBuffer* buffer, bool* wasEmpty)
{
    return Push(buffer, false, wasEmpty);
}

bool CNetMsgQueue::PushFront(CNetBuffer* buffer, bool* wasEmpty)
{
    return Push(buffer, true, wasEmpty);
}

bool CNetMsgQueue::PushCopy(const uint8_t* frame)
{
    const uint32_t length = static_cast<uint32_t>(frame[0]) | static_cast<uint32_t>(frame[1]) << 8 |
                            static_cast<uint32_t>(frame[2]) << 16 | static_cast<uint32_t>(frame[3]) << 24;
    CNetBuffer* buffer = GetBuffer(length);
    if (!buffer)
        return false;
    std::memcpy(buffer->pData, frame, length);
    return PushBack(buffer);
}

bool CNetMsgQueue::PushCopyFront(const uint8_t* frame)
{
    const uint32_t length = static_cast<uint32_t>(frame[0]) | static_cast<uint32_t>(frame[1]) << 8 |
                            static_cast<uint32_t>(frame[2]) << 16 | static_cast<uint32_t>(frame[3]) << 24;
    CNetBuffer* buffer = GetBuffer(length);
    if (!buffer)
        return false;
    std::memcpy(buffer->pData, frame, length);
    return PushFront(buffer);
}

CNetBuffer* CNetMsgQueue::Front()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return static_cast<CNetBuffer*>(m_queue.Front());
}

void CNetMsgQueue::Recycle(CNetBuffer* buffer)
{
    if (m_nFreeBytes + buffer->nSize > kFreeKeepBytes || m_free.Count() >= kFreeKeepCount ||
        !m_free.PushFront(buffer)) {
        FreeHolder(buffer);
        return;
    }
    m_nFreeBytes += buffer->nSize;
}

void CNetMsgQueue::ReleaseBuffer(CNetBuffer* buffer)
{
    if (!buffer)
        return;
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_queue.Contains(buffer)) {
        m_queue.Remove(buffer);
        m_nQueuedBytes -= buffer->nSize;
    }
    Recycle(buffer);
}

void CNetMsgQueue::ReturnBuffer(CNetBuffer* buffer)
{
    if (!buffer)
        return;
    std::lock_guard<std::mutex> guard(m_lock);
    Recycle(buffer);
}

void CNetMsgQueue::PopFront()
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (auto* buffer = static_cast<CNetBuffer*>(m_queue.PopFront())) {
        m_nQueuedBytes -= buffer->nSize;
        Recycle(buffer);
    }
}

size_t CNetMsgQueue::TakeFront(CNetBuffer** out, size_t most)
{
    std::lock_guard<std::mutex> guard(m_lock);
    size_t n = 0;
    while (n < most && !m_queue.Empty()) {
        auto* buffer = static_cast<CNetBuffer*>(m_queue.PopFront());
        m_nQueuedBytes -= buffer->nSize;
        out[n++] = buffer;
    }
    return n;
}

size_t CNetMsgQueue::DropFrom(int32_t origin)
{
    std::lock_guard<std::mutex> guard(m_lock);
    size_t bytes = 0;
    CNetList::Node* node = m_queue.Head();
    while (node) {
        auto* buffer = static_cast<CNetBuffer*>(node->pItem);
        if (buffer->nOrigin != origin) {
            node = node->pNext;
            continue;
        }
        node = m_queue.Erase(node);
        m_nQueuedBytes -= buffer->nSize;
        bytes += buffer->nSize;
        Recycle(buffer);
    }
    return bytes;
}

void CNetMsgQueue::Clear()
{
    std::lock_guard<std::mutex> guard(m_lock);
    while (auto* buffer = static_cast<CNetBuffer*>(m_queue.PopFront()))
        Recycle(buffer);
    m_nQueuedBytes = 0;
}

void CNetMsgQueue::FreeAll()
{
    std::lock_guard<std::mutex> guard(m_lock);
    while (void* item = m_queue.PopFront())
        FreeHolder(static_cast<CNetBuffer*>(item));
    while (void* item = m_free.PopFront())
        FreeHolder(static_cast<CNetBuffer*>(item));
    m_nQueuedBytes = 0;
    m_nFreeBytes = 0;
}

size_t CNetMsgQueue::Count()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_queue.Count();
}

size_t CNetMsgQueue::QueuedBytes()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_nQueuedBytes;
}

bool CNetMsgQueue::WaitForBuffer(int timeoutMs)
{
    std::unique_lock<std::mutex> guard(m_lock);
    return m_queued.wait_for(guard, std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs),
                             [this] { return !m_queue.Empty(); });
}
