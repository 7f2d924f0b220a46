// The A* path finder: node pool, OPEN/CLOSED lists, cost propagation and the optional pool log.
#include "core/world/AStar.h"

#include "core/world/PathData.h"
#include "platform/system/MessageBox.h"
#include "platform/system/Paths.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {
constexpr size_t kIndexSize = 1 << 16; // over three times the most nodes a search can take
}

CAStar::CAStar()
{
    AllocateBlock();
    AllocateBlock();
    m_vIndex.assign(kIndexSize, IndexEntry{nullptr, nullptr, 0, 0});
    Reset();
    m_nCostLayer = 0;
}

CAStar::~CAStar()
{
    for (int i = 0; i < m_nBlockCount; ++i)
        delete[] m_apBlocks[i];
    if (m_pLog)
        std::fclose(m_pLog);
}

bool CAStar::OpenLog(const std::string& directory)
{
    if (m_pLog) {
        std::fclose(m_pLog);
        m_pLog = nullptr;
    }
    m_pLog = platform::OpenFile(platform::JoinPath(directory, "AStarLog.txt"), "w");
    if (m_pLog)
        std::fseek(m_pLog, 0, SEEK_SET);
    return m_pLog != nullptr;
}

bool CAStar::AllocateBlock()
{
    if (m_nBlockCount >= kMaxBlocks)
        return false;
    auto* block = new (std::nothrow) CAStarNode[kNodesPerBlock]();
    if (!block)
        return false;
    m_apBlocks[m_nBlockCount++] = block;
    return true;
}

void CAStar::Reset()
{
    // Only the nodes handed out since the last reset can be dirty; the rest are still zero.
    for (int b = 0; b <= m_nCurrentBlock && b < m_nBlockCount; ++b) {
        int used = b < m_nCurrentBlock ? kNodesPerBlock : std::min(m_nNextNode, kNodesPerBlock);
        std::fill(m_apBlocks[b], m_apBlocks[b] + used, CAStarNode());
    }
    m_nCurrentBlock = 0;
    m_nNextNode = 0;
    m_nUpdateCount = 0;
    std::fill(std::begin(m_apUpdateStack), std::end(m_apUpdateStack), nullptr);
    m_pOpen = nullptr;
    m_pClosed = nullptr;
    m_bOutOfNodes = false;
    if (++m_nStamp == 0) {
        std::fill(m_vIndex.begin(), m_vIndex.end(), IndexEntry{nullptr, nullptr, 0, 0});
        m_nStamp = 1;
    }
}

CAStarNode* CAStar::NewNode()
{
    if (m_nNextNode >= kNodesPerBlock) {
        if (m_nCurrentBlock + 1 >= kMaxBlocks) {
            platform::DebugOutput("there aren't anymore A* nodes!!!\n");
            m_bOutOfNodes = true;
            return nullptr;
        }
        if (m_nCurrentBlock + 1 >= m_nBlockCount && !AllocateBlock()) {
            m_bOutOfNodes = true;
            return nullptr;
        }
        ++m_nCurrentBlock;
        m_nNextNode = 0;
    }
    return &m_apBlocks[m_nCurrentBlock][m_nNextNode++];
}

CAStar::IndexEntry* CAStar::Find(const CPathTile* tile)
{
    size_t mask = kIndexSize - 1;
    size_t at = (reinterpret_cast<uintptr_t>(tile) >> 4) * 0x9E3779B97F4A7C15ull >> 40 & mask;
    for (;; at = (at + 1) & mask) {
        IndexEntry& e = m_vIndex[at];
        if (e.stamp != m_nStamp || e.tile == tile)
            return &e;
    }
}

void CAStar::Index(const CPathTile* tile, CAStarNode* node, uint8_t list)
{
    IndexEntry* e = Find(tile);
    *e = IndexEntry{tile, node, m_nStamp, list};
}

int CAStar::Estimate(const CPathTile* a, const CPathTile* b) const
{
    int dx = std::abs(a->m_nX - b->m_nX);
    int dy = std::abs(a->m_nY - b->m_nY);
    return std::max(dx, dy) + std::min(dx, dy) / 2;
}

int CAStar::StepCost(const CPathTile* tile) const
{
    return tile->m_abyCosts[m_nCostLayer];
}

CAStarNode* CAStar::FindPath(CPathTile* start, CPathTile* goal, int layer)
{
    if (!start || !goal || layer < 0 || layer > 4)
        return nullptr;
    m_nCostLayer = layer;
    if (goal->m_abyCosts[layer] == 255)
        return nullptr;
    Reset();
    CAStarNode* result = Search(start, goal);
    if (m_pLog) {
        std::fprintf(m_pLog, "last allocated... block: %d  node: %d  blocks allocated: %d\n", m_nCurrentBlock,
                     m_nNextNode - 1, m_nBlockCount);
        std::fflush(m_pLog);
    }
    return result;
}

void CAStar::InsertOpen(CAStarNode* node)
{
    // Ahead of the first node whose f is not smaller: later nodes win ties.
    CAStarNode* prev = m_pOpen;
    while (prev->next && prev->next->f < node->f)
        prev = prev->next;
    node->next = prev->next;
    prev->next = node;
}

bool CAStar::Relax(CAStarNode* parent)
{
    bool improved = false;
    for (CAStarNode* child : parent->children) {
        if (!child)
            break;
        int g = parent->g + StepCost(child->tile);
        if (g < child->g) {
            child->g = g;
            child->f = g + child->h;
            child->parent = parent;
            improved = true;
            // Pushes beyond the stack's size are dropped; host and clients drop the same ones.
            if (m_nUpdateCount < kUpdateStackSize)
                m_apUpdateStack[m_nUpdateCount++] = child;
        }
    }
    return improved;
}

void CAStar::Propagate(CAStarNode* node)
{
    Relax(node);
    while (m_nUpdateCount > 0) {
        CAStarNode* top = m_apUpdateStack[--m_nUpdateCount];
        Relax(top);
    }
}

namespace {
void AddChild(CAStarNode* parent, CAStarNode* child)
{
    for (CAStarNode*& slot : parent->children) {
        if (!slot) {
            slot = child;
            return;
        }
    }
}
} // namespace

CAStarNode* CAStar::Search(CPathTile* start, CPathTile* goal)
{
    m_pOpen = NewNode();
    m_pClosed = NewNode();
    CAStarNode* first = NewNode();
    if (!m_pOpen || !m_pClosed || !first)
        return nullptr;
    first->g = 0;
    first->h = Estimate(start, goal);
    first->f = first->h;
    first->tile = start;
    m_pOpen->next = first;
    Index(start, first, 1);

    for (;;) {
        CAStarNode* node = m_pOpen->next;
        if (!node) {
            platform::DebugOutput("no more nodes on OPEN list\n");
            return nullptr;
        }
        m_pOpen->next = node->next;
        node->next = m_pClosed->next;
        m_pClosed->next = node;
        Find(node->tile)->list = 2;
        if (node->tile == goal)
            return node;

        for (auto& direction : node->tile->m_apLinks) {
            for (CPathTile* tile : direction) {
                if (!tile || tile->m_abyCosts[m_nCostLayer] == 255)
                    continue;
                int g = node->g + StepCost(tile);
                IndexEntry* known = Find(tile);
                if (known->stamp == m_nStamp) {
                    CAStarNode* other = known->node;
                    AddChild(node, other);
                    if (g < other->g) {
                        other->parent = node;
                        other->g = g;
                        other->f = g + other->h;
                        if (known->list == 2)
                            Propagate(other);
                    }
                    continue;
                }
                CAStarNode* fresh = NewNode();
                if (!fresh)
                    return nullptr; // the pool ran out mid-search: no route
                fresh->parent = node;
                fresh->g = g;
                fresh->h = Estimate(tile, goal);
                fresh->f = g + fresh->h;
                fresh->tile = tile;
                InsertOpen(fresh);
                Index(tile, fresh, 1);
                AddChild(node, fresh);
            }
        }
    }
}

std::vector<CPathTile*> CAStar::RouteTiles(const CAStarNode* goal)
{
    std::vector<CPathTile*> route;
    for (const CAStarNode* n = goal; n && route.size() < static_cast<size_t>(kMaxBlocks) * kNodesPerBlock;
         n = n->parent)
        route.push_back(n->tile);
    std::reverse(route.begin(), route.end());
    return route;
}
