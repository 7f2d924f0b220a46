// The A* path finder over the path grid: pooled nodes, an ordered OPEN list and propagated improvements.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class CPathTile;

struct CAStarNode {
    int32_t f = 0;
    int32_t g = 0;
    int32_t h = 0;
    CPathTile* tile = nullptr;
    CAStarNode* parent = nullptr;
    CAStarNode* children[16] = {};
    CAStarNode* next = nullptr;
};

class CAStar {
public:
    static constexpr int kNodesPerBlock = 100;
    static constexpr int kMaxBlocks = 200;
    static constexpr int kUpdateStackSize = 1000;

    CAStar();
    virtual ~CAStar();
    CAStar(const CAStar&) = delete;
    CAStar& operator=(const CAStar&) = delete;

    // Opens (replacing) "AStarLog.txt" in the folder; without it the finder keeps no log.
    bool OpenLog(const std::string& directory);
    // The goal's node, whose parent links lead back to the start; null when there is no route.
    // Layer 3 is the foot cost, 4 the vehicle cost. The nodes stay valid until the next search.
    CAStarNode* FindPath(CPathTile* start, CPathTile* goal, int layer);
    void Reset();

    // The tiles of a found route from start to goal (empty for null); the walk is bounded by the pool size.
    static std::vector<CPathTile*> RouteTiles(const CAStarNode* goal);

    int GetBlockCount() const { return m_nBlockCount; }
    int GetCurrentBlock() const { return m_nCurrentBlock; }
    int GetNextNode() const { return m_nNextNode; }

private:
    CAStarNode* NewNode();
    bool AllocateBlock();
    CAStarNode* Search(CPathTile* start, CPathTile* goal);
    int Estimate(const CPathTile* a, const CPathTile* b) const;
    int StepCost(const CPathTile* tile) const;
    void InsertOpen(CAStarNode* node);
    void Propagate(CAStarNode* node);
    bool Relax(CAStarNode* parent); // true when a child improved

    // Tile -> node index for the current search (the lists keep their order; this only answers membership).
    struct IndexEntry {
        const CPathTile* tile;
        CAStarNode* node;
        uint32_t stamp;
        uint8_t list; // 1 OPEN, 2 CLOSED
    };
    IndexEntry* Find(const CPathTile* tile);
    void Index(const CPathTile* tile, CAStarNode* node, uint8_t list);

    FILE* m_pLog = nullptr;
    CAStarNode* m_pOpen = nullptr;
    CAStarNode* m_pClosed = nullptr;
    CAStarNode* m_apUpdateStack[kUpdateStackSize] = {};
    int32_t m_nUpdateCount = 0;
    CAStarNode* m_apBlocks[kMaxBlocks] = {};
    int32_t m_nBlockCount = 0;
    int32_t m_nCurrentBlock = 0;
    int32_t m_nNextNode = 0;
    int32_t m_nCostLayer = 0;
    bool m_bOutOfNodes = false;
    std::vector<IndexEntry> m_vIndex;
    uint32_t m_nStamp = 0;
};
