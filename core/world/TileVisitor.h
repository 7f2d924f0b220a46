// Base of the objects that a ring walk over the path grid visits tile by tile.
#pragma once

#include <cstdint>

class CPathTile;

class CTileVisitor {
public:
    virtual ~CTileVisitor() = default;
    // Called for each cell of a ring walk; true stops the walk.
    virtual bool Visit(CPathTile* tile)
    {
        (void)tile;
        return false;
    }

    int32_t m_nWalkKind = 0;  // the tag the walk was started with
    float m_fHitCount = 0.0f; // set to 0 when a walk starts; the visitor counts what it likes
    float m_afParams[3] = {}; // walk parameters (chance, low and high intensity); 0 after a walk
};
