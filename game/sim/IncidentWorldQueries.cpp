// The incident world's queries for squads, orders and event texts; obstructions and map markers.
#include "game/sim/IncidentWorld.h"

#include "core/world/Sprite.h"
#include "core/world/SpriteManager.h"
#include "game/sim/SimRandom.h"
#include "core/util/ByteStream.h"
#include "core/persist/DataRange.h"

#include <algorithm>
#include <climits>
#include <cmath>

int CIncidentWorld::TerrainCode(const CPathTile* tile) const
{
    int code = tile->m_byTileType;
    // A tile that is a structure (stored cost 255) counts as impassable ground unless its own type says otherwise.
    if (tile->m_abyCosts[kCost] == 255 && (code < 128 || code > 152))
        code = 162;
    return code;
}

int CIncidentWorld::FireInRing(CPathTile* tile, int ring)
{
    if (!m_pGrid || !tile)
        return 0;
    m_pGrid->VisitTilesAround(1, tile, ring, this);
    return CheckedInt(m_fHitCount);
}

int CIncidentWorld::ChemicalInRing(CPathTile* tile, int ring)
{
    if (!m_pGrid || !tile)
        return 0;
    m_pGrid->VisitTilesAround(2, tile, ring, this);
    return CheckedInt(m_fHitCount);
}

CIncidentNode* CIncidentWorld::BombAt(const CPathTile* tile) const
{
    CIncidentNode* node = ObjectAt(tile);
    return node && node->m_nType == kIncBomb && !node->IsHidden() ? node : nullptr;
}

int CIncidentWorld::LeakKindAt(const CPathTile* tile) const
{
    CIncidentNode* node = ObjectAt(tile);
    if (!node)
        return 0;
    int t = node->m_nType;
    return t == kIncWaterLeak || t == kIncElectrical || t == kIncGasLeak ? t : 0;
}

CIncidentNode* CIncidentWorld::DebrisAt(const CPathTile* tile) const
{
    CIncidentNode* node = ObjectAt(tile);
    return node && node->m_nType == kIncDebris ? node : nullptr;
}

float CIncidentWorld::FireDangerAt(const CPathTile* tile) const
{
    static const float kHeatByBand[4] = {0.0f, 2.0f, 10.0f, 50.0f};
    CIncidentNode* fire = FireAt(tile);
    if (!fire)
        return 0.0f;
    return kHeatByBand[std::clamp(Band(fire->m_fValue), 0, 3)] * m_afSquadEffect[1];
}

float CIncidentWorld::HazardDangerAt(const CPathTile* tile) const
{
    CIncidentNode* spill = ChemicalAt(tile);
    if (!spill || !(spill->m_fValue > 0.0f))
        return 0.0f;
    return spill->m_fValue / 32.0f * m_afSquadEffect[2];
}

CPathTile* CIncidentWorld::SafestTile(CPathTile* tile) const
{
    if (!tile)
        return nullptr;
    tile = tile->m_pCellHead;
    int best = tile->GetFeatureScore();
    if (best < 1)
        return tile;
    CPathTile* safest = tile;
    for (int d = 0; d < 4 && m_pGrid; ++d) {
        CPathTile* n = m_pGrid->GetNeighbour(tile, d);
        if (!n)
            continue;
        int score = n->GetFeatureScore();
        if (score <= best) {
            best = score;
            safest = n;
        }
    }
    return safest;
}

CObstruction* CIncidentWorld::ObstructionAt(int x, int y)
{
    for (CObstruction* o : m_aObstructions) {
        const CSprite* s = o->m_pSprite;
        if (!s)
            continue;
        int w = s->m_anFrameWidth[0];
        int h = s->m_anFrameHeight[0];
        int left = s->m_Placement.WorldX - w / 2;
        int top = s->m_Placement.WorldY - h / 2;
        if (x >= left && x < left + w && y >= top && y < top + h)
            return o;
    }
    return nullptr;
}

int CIncidentWorld::CountObjectsOfType(int type, bool includeHidden) const
{
    int n = 0;
    for (CIncidentNode* node = m_objects.Head(); node; node = node->m_pNext)
        if (node->m_nType == type && (includeHidden || !node->IsHidden()))
            ++n;
    return n;
}

int CIncidentWorld::CountVisibleSpills() const
{
    int n = 0;
    for (CIncidentNode* node = m_chemicals.Head(); node; node = node->m_pNext)
        if (node->m_nType == kIncSpillVisible)
            ++n;
    return n;
}

CPathTile* CIncidentWorld::RandomZoneTile(int type, bool vehicleAccess) const
{
    CIncidentNode* first = m_zones.Head();
    while (first && first->m_nType != type)
        first = first->m_pNext;
    // Mended: a group size of 0 divided by zero, and the skip could walk into other groups or off the list.
    if (!first || first->m_nCounter <= 0)
        return nullptr;
    int key = first->m_nGroupKey;
    auto inGroup = [key](const CIncidentNode* n) { return n && n->m_nGroupKey == key; };
    CIncidentNode* p = first;
    for (int skip = SimRand() % first->m_nCounter; skip > 0 && inGroup(p->m_pNext); --skip)
        p = p->m_pNext;
    for (; inGroup(p); p = p->m_pNext)
        if (!vehicleAccess || (p->m_pTile && p->m_pTile->m_abyCosts[kVehicleBase] != 255))
            return p->m_pTile;
    return nullptr;
}

CIncidentNode* CIncidentWorld::FirstNodeOfType(int type) const
{
    for (CIncidentNode* n = m_zones.Head(); n; n = n->m_pNext)
        if (n->m_nType == type)
            return n;
    for (CIncidentNode* n = m_objects.Head(); n; n = n->m_pNext)
        if (n->m_nType == type)
            return n;
    return nullptr;
}

bool CIncidentWorld::GetSiteLocation(int x, int y, CSiteLocation& out) const
{
    out = {};
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    for (CIncidentNode* n = m_zones.Head(); n; n = n->m_pNext) {
        if (n->m_nType != kIncIncidentSite || !n->m_pTile)
            continue;
        left = std::min(left, n->m_pTile->m_nX);
        top = std::min(top, n->m_pTile->m_nY);
        right = std::max(right, n->m_pTile->m_nX + 32);
        bottom = std::max(bottom, n->m_pTile->m_nY + 32);
    }
    if (left > right)
        return false; // no incident site
    if (x >= left && x < right && y >= top && y < bottom) {
        out.bInside = true;
        return true;
    }
    double dx = x - (left + right) / 2.0;
    double dy = (top + bottom) / 2.0 - y; // y counted upwards
    int degrees = static_cast<int>(std::atan2(dy, dx) * 180.0 / 3.14159265358979323846);
    out.nDirection = (((293 + degrees) % 360) + 360) % 360 / 45;
    int metres = static_cast<int>(std::sqrt(dx * dx + dy * dy) * 0.25);
    out.nMetres = metres / 10 * 10;
    return true;
}

int32_t CIncidentWorld::GetReskinValue(int kind) const
{
    auto it = m_mapReskin.find(kind);
    return it == m_mapReskin.end() ? 0 : it->second;
}

// ---- obstructions -----------------------------------------------------------------------------------------

bool CIncidentWorld::WorkObstruction(CObstruction* obstruction, float amount)
{
    auto it = std::find(m_aObstructions.begin(), m_aObstructions.end(), obstruction);
    if (it == m_aObstructions.end())
        return false;
    obstruction->m_fValue = static_cast<float>(static_cast<double>(obstruction->m_fValue) - amount);
    if (obstruction->m_fValue > 0.0f)
        return false;
    RemoveObstruction(obstruction);
    return true;
}

void CIncidentWorld::RemoveObstruction(CObstruction* obstruction)
{
    auto it = std::find(m_aObstructions.begin(), m_aObstructions.end(), obstruction);
    if (it == m_aObstructions.end())
        return;
    int32_t id = obstruction->m_pSprite ? obstruction->m_pSprite->m_Placement.ServiceId : -1;
    m_aObstructions.erase(it);
    delete obstruction;
    CByteWriter w;
    w.WriteI32(0);
    w.WriteI16(0);
    w.WriteI16(0);
    w.WriteI32(id);
    std::copy(w.Bytes(), w.Bytes() + 12, m_abMapObjectRecord);
    Post(63, w.Bytes(), w.Size());
}

bool CIncidentWorld::ApplyMapObjectRecord(const uint8_t* payload, size_t length)
{
    CByteReader r(payload, length);
    int32_t create = 0, id = 0;
    int16_t x = 0, y = 0;
    r.ReadI32(create);
    r.ReadI16(x);
    r.ReadI16(y);
    r.ReadI32(id);
    if (!r.Ok() || length != 12 || create != 0)
        return false;
    // Mended: the entry pointing at the deleted sprite stayed, and saving then read freed memory.
    for (auto it = m_aObstructions.begin(); it != m_aObstructions.end();) {
        if ((*it)->m_pSprite && (*it)->m_pSprite->m_Placement.ServiceId == id) {
            delete *it;
            it = m_aObstructions.erase(it);
        } else {
            ++it;
        }
    }
    if (!m_pSprites)
        return true;
    CSprite* sprite = m_pSprites->FindSprite(kFeatureSprite, id);
    // Only a structure: a node's sprite is never taken away under its node.
    if (!sprite || !(sprite->m_Placement.Flags & kStructureSpriteFlag))
        return true;
    if (m_pGrid)
        m_pGrid->ApplyFootprint(sprite, false);
    m_pSprites->RemoveSprite(sprite, true);
    RefreshView();
    return true;
}

// ---- markers ----------------------------------------------------------------------------------------------

void CIncidentWorld::SendMarker(int x, int y)
{
    m_anMarkerRecord[1] = x;
    m_anMarkerRecord[2] = y;
    m_nMarkerCountdown = m_params.nMarkerLifetime;
    CByteWriter w;
    for (int32_t v : m_anMarkerRecord)
        w.WriteI32(v);
    Post(66, w.Bytes(), w.Size());
}

bool CIncidentWorld::SpawnSpritePair(const uint8_t* payload, size_t length)
{
    CByteReader r(payload, length);
    int32_t unused = 0, x = 0, y = 0;
    r.ReadI32(unused);
    r.ReadI32(x);
    r.ReadI32(y);
    if (!r.Ok() || length != 12)
        return false;
    auto* pair = new CMarkerPair;
    pair->m_nLifetime = static_cast<int16_t>(std::clamp(m_params.nMarkerLifetime, -32768, 32767));
    pair->m_nFlash = static_cast<int16_t>(std::clamp(m_params.nMarkerFlash, -32768, 32767));
    if (m_pSprites) {
        const int kinds[2] = {kIncMarkerFlash, kIncMarker};
        for (int i = 0; i < 2; ++i) {
            CPlacement placement;
            placement.Id = kinds[i];
            placement.Type = kFeatureSprite;
            placement.WorldX = x;
            placement.WorldY = y;
            placement.Flags = i == 0 ? kHiddenSpriteFlag : 0;
            pair->m_apSprites[i] = m_pSprites->CreateFeatureSprite(placement, true);
            if (pair->m_apSprites[i])
                pair->m_apSprites[i]->SetWorldPosition(x, y);
        }
    }
    m_aMarkers.push_back(pair);
    RefreshView();
    if (m_links.pSound)
        m_links.pSound->Play(33, 1.0f, false);
    return true;
}

void CIncidentWorld::MarkerStep()
{
    if (m_nMarkerCountdown > 0)
        --m_nMarkerCountdown;
    for (auto it = m_aMarkers.begin(); it != m_aMarkers.end();) {
        CMarkerPair* pair = *it;
        // Mended: without a parameters file both counts start at 0 and used to count down past 0 for ever.
        if (--pair->m_nFlash <= 0) {
            pair->m_nFlash = static_cast<int16_t>(std::clamp(m_params.nMarkerFlash, 0, 32767));
            pair->m_bFlashHidden = !pair->m_bFlashHidden;
            for (CSprite* s : pair->m_apSprites)
                if (s)
                    s->m_Placement.Flags ^= kHiddenSpriteFlag;
        }
        if (--pair->m_nLifetime <= 0) {
            DeleteSprite(pair->m_apSprites[0]);
            DeleteSprite(pair->m_apSprites[1]);
            delete pair;
            it = m_aMarkers.erase(it);
            RefreshView();
        } else {
            ++it;
        }
    }
}
