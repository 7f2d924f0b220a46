// The locked queue of message buffers that connections send from and the session receives into.
#pragma once

#include "net/transport/NetList.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>

// One buffer of the queue: its size in bytes and its bytes.
struct CNetBuffer {
    uint32_t nSize = 0;
    uint8_t* pData = nullptr;
    int32_t nOrigin = -1; // the connection it came from, where its owner counts that
};

// Buffers wait in the queue; sent or taken ones go to a free list and are handed out again for the same size.
// Every operation takes the queue's lock and none calls out while holding it.
class CNetMsgQueue {
public:
    // Free buffers kept for reuse (bytes and count); beyond them released buffers are freed.
    static constexpr size_t kFreeKeepBytes = 1 << 20;
    static constexpr size_t kFreeKeepCount = 256;

    CNetMsgQueue() = default;
    ~CNetMsgQueue();
    CNetMsgQueue(const CNetMsgQueue&) = delete;
    CNetMsgQueue& operator=(const CNetMsgQueue&) = delete;

    // A free buffer of exactly `size` bytes, or a new one; null when none could be had. The buffer is in
    // neither list until pushed or released.
    CNetBuffer* GetBuffer(uint32_t size);
    // `wasEmpty` tells whether the queue was empty before (a consumer that drains it before waiting needs a
    // wake-up only then).
    bool PushBack(CNetBuffer* buffer, bool* wasEmpty = nullptr);
    bool PushFront(CNetBuffer* buffer, bool* wasEmpty = nullptr);
    // Copies a whole frame (its length is its first little-endian int32) and queues it at the tail or the head.
    bool PushCopy(const uint8_t* frame);
    bool PushCopyFront(const uint8_t* frame);
    // The first queued buffer (it stays queued), or null.
    CNetBuffer* Front();
    // Unlinks the buffer from the queue, if it is there, and puts it on the free list.
    void ReleaseBuffer(CNetBuffer* buffer);
    // Moves the first queued buffer to the free list.
    void PopFront();

    // Unlinks up to `most` buffers from the head into `out`; returns how many. The caller hands each back.
    size_t TakeFront(CNetBuffer** out, size_t most);
    // Puts a buffer that is in no list (taken, or got and not pushed) on the free list.
    void ReturnBuffer(CNetBuffer* buffer);
    // Moves every queued buffer that came from `origin` to the free list; returns their bytes.
    size_t DropFrom(int32_t origin);
    // Moves every queued buffer to the free list.
    void Clear();
    // Frees every buffer, queued or free.
    void FreeAll();
    size_t Count();
    size_t QueuedBytes();
    // Waits until a buffer is queued or `timeoutMs` passes; true when one is queued.
    bool WaitForBuffer(int timeoutMs);

private:
    void Recycle(CNetBuffer* buffer);
    bool Push(CNetBuffer* buffer, bool front, bool* wasEmpty);

    std::mutex m_lock;
    std::condition_variable m_queued;
    CNetList m_queue;
    CNetList m_free;
    size_t m_nQueuedBytes = 0;
    size_t m_nFreeBytes = 0;
};
