// The pooled linked list under the message queues and the user list.
#include "net/transport/NetList.h"

#include <new>

namespace {
constexpr int kBlockNodes = 16;
}

CNetList::~CNetList()
{
    Destroy();
}

CNetList::Node* CNetList::NewNode()
{
    if (!m_pPool) {
        Node* block = new (std::nothrow) Node[kBlockNodes];
        if (!block)
            return nullptr;
        m_aBlocks.push_back(block);
        block[0].uMarker = 1;
        for (int i = kBlockNodes - 1; i >= 1; --i) {
            block[i].pNext = m_pPool;
            m_pPool = &block[i];
        }
        return &block[0];
    }
    Node* node = m_pPool;
    m_pPool = node->pNext;
    node->pNext = node->pPrev = nullptr;
    node->pItem = nullptr;
    return node;
}

void CNetList::FreeNode(Node* node)
{
    node->pItem = nullptr;
    node->pPrev = nullptr;
    node->pNext = m_pPool;
    m_pPool = node;
}

void CNetList::Unlink(Node* node)
{
    if (node->pPrev)
        node->pPrev->pNext = node->pNext;
    else
        m_pHead = node->pNext;
    if (node->pNext)
        node->pNext->pPrev = node->pPrev;
    else
        m_pTail = node->pPrev;
    if (m_pCursor == node)
        m_pCursor = nullptr;
    --m_nCount;
}

bool CNetList::PushBack(void* item)
{
    Node* node = NewNode();
    if (!node)
        return false;
    node->pItem = item;
    node->pPrev = m_pTail;
    node->pNext = nullptr;
    if (m_pTail)
        m_pTail->pNext = node;
    else
        m_pHead = node;
    m_pTail = node;
    ++m_nCount;
    return true;
}

bool CNetList::PushFront(void* item)
{
    Node* node = NewNode();
    if (!node)
        return false;
    node->pItem = item;
    node->pPrev = nullptr;
    node->pNext = m_pHead;
    if (m_pHead)
        m_pHead->pPrev = node;
    else
        m_pTail = node;
    m_pHead = node;
    ++m_nCount;
    return true;
}

void* CNetList::PopFront()
{
    Node* node = m_pHead;
    if (!node)
        return nullptr;
    void* item = node->pItem;
    Unlink(node);
    FreeNode(node);
    return item;
}

void* CNetList::Remove(void* item)
{
    for (Node* node = m_pHead; node; node = node->pNext) {
        if (node->pItem != item)
            continue;
        Node* behind = Erase(node);
        return behind ? behind->pItem : nullptr;
    }
    return nullptr;
}

CNetList::Node* CNetList::Erase(Node* node)
{
    Node* behind = node->pNext;
    Unlink(node);
    FreeNode(node);
    return behind;
}

bool CNetList::Contains(const void* item) const
{
    for (Node* node = m_pHead; node; node = node->pNext)
        if (node->pItem == item)
            return true;
    return false;
}

void CNetList::Clear()
{
    while (m_pHead)
        PopFront();
}

void CNetList::Destroy()
{
    m_pHead = m_pTail = m_pPool = m_pCursor = nullptr;
    m_nCount = 0;
    for (Node* block : m_aBlocks)
        delete[] block;
    m_aBlocks.clear();
}
