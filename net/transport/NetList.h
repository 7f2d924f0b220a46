// A doubly linked list of item pointers whose nodes come from a pool grown in blocks of 16.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CNetList {
public:
    struct Node {
        uint32_t uMarker = 0; // bit 0: the first node of an allocated block
        void* pItem = nullptr;
        Node* pNext = nullptr;
        Node* pPrev = nullptr;
    };

    CNetList() = default;
    ~CNetList();
    CNetList(const CNetList&) = delete;
    CNetList& operator=(const CNetList&) = delete;

    // False when no node could be had.
    bool PushBack(void* item);
    bool PushFront(void* item);
    void* Front() const { return m_pHead ? m_pHead->pItem : nullptr; }
    // Unlinks the first node; its item, or null when empty.
    void* PopFront();
    // Unlinks the node holding `item`; returns the item behind it (null at the end or when not found).
    void* Remove(void* item);
    // Unlinks `node`, one of this list's; returns the node behind it.
    Node* Erase(Node* node);
    bool Contains(const void* item) const;
    Node* Head() const { return m_pHead; }
    size_t Count() const { return m_nCount; }
    bool Empty() const { return m_nCount == 0; }
    // Returns every node to the pool (items are the caller's).
    void Clear();
    // Returns every node and frees the blocks.
    void Destroy();

    // A cursor for searches.
    Node* m_pCursor = nullptr;

private:
    Node* NewNode();
    void FreeNode(Node* node);
    void Unlink(Node* node);

    Node* m_pHead = nullptr;
    Node* m_pTail = nullptr;
    Node* m_pPool = nullptr;
    std::vector<Node*> m_aBlocks;
    size_t m_nCount = 0;
};
