// The incident world's object model: nodes and their sprites, placement, queries, explosions and obstructions.
#include "game/sim/IncidentWorld.h"

#include "core/sound/CSoundManager.h"
#include "core/world/Sprite.h"
#include "core/world/SpriteManager.h"
#include "game/sim/SimRandom.h"
#include "platform/system/MessageBox.h"
#include "platform/system/Paths.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr const char* kDirectionNames[8] = {"North", "NorthWest", "West", "SouthWest",
                                            "South", "SouthEast", "East", "NorthEast"};

// Ignition rings of an explosion: ring, chance %, low and high intensity.
struct IgnitionRing {
    int ring;
    float chance, low, high;
};
const std::vector<IgnitionRing> kIgnitionRings[3] = {
    {{0, 100, 60, 70}, {1, 50, 10, 40}},
    {{0, 100, 70, 80}, {1, 75, 20, 60}, {2, 50, 10, 40}},
    {{1, 100, 50, 70}, {2, 75, 30, 50}, {3, 40, 5, 30}},
};
// Debris rings: ring, chance %.
const std::vector<std::pair<int, float>> kDebrisRings[3] = {
    {{1, 10}},
    {{1, 25}, {2, 10}},
    {{1, 40}, {2, 25}, {3, 10}},
};
constexpr int kBlastRadius[3] = {80, 112, 144};
constexpr int kBlastDamage[3] = {40, 60, 80};

enum EWalkKind { kWalkFire = 1, kWalkChemical = 2, kWalkIgnite = 6, kWalkDebris = 7 };

class CGameSound : public IIncidentSound {
public:
    int Play(int sound, float volume, bool loop) override { return GetSoundManager().Play(sound, volume, loop); }
    void StopLoop(int channel) override { GetSoundManager().StopLoop(channel); }
};

} // namespace

IIncidentSound* GameIncidentSound()
{
    static CGameSound sound;
    return &sound;
}

const char* SiteDirectionName(int direction)
{
    return direction >= 0 && direction < 8 ? kDirectionNames[direction] : "";
}

// ---- node lists -------------------------------------------------------------------------------------------

void CIncidentList::PushFront(CIncidentNode* node)
{
    node->m_pPrev = nullptr;
    node->m_pNext = m_pHead;
    if (m_pHead)
        m_pHead->m_pPrev = node;
    m_pHead = node;
    ++m_nSize;
}

void CIncidentList::Unlink(CIncidentNode* node)
{
    if (node->m_pPrev)
        node->m_pPrev->m_pNext = node->m_pNext;
    else
        m_pHead = node->m_pNext;
    if (node->m_pNext)
        node->m_pNext->m_pPrev = node->m_pPrev;
    node->m_pPrev = node->m_pNext = nullptr;
    --m_nSize;
}

int CIncidentList::IndexOf(const CIncidentNode* node) const
{
    int i = 0;
    for (CIncidentNode* n = m_pHead; n; n = n->m_pNext, ++i)
        if (n == node)
            return i;
    return -1;
}

CIncidentNode* CIncidentList::At(int index) const
{
    CIncidentNode* n = m_pHead;
    for (int i = 0; n && i < index; ++i)
        n = n->m_pNext;
    return index < 0 ? nullptr : n;
}

// ---- construction -----------------------------------------------------------------------------------------

CIncidentParams::CIncidentParams()
{
    for (int i = 0; i < 256; ++i) {
        anResistance[i] = 100;
        anFlowWeight[i] = 0;
    }
}

CIncidentWorld::CIncidentWorld()
{
    m_params.fObstructionFactor = 1.0f;
}

CIncidentWorld::~CIncidentWorld()
{
    FreeAll();
}

void CIncidentWorld::FreeAll()
{
    CIncidentList* lists[4] = {&m_fires, &m_objects, &m_chemicals, &m_zones};
    const int slots[4] = {kSlotFire, kSlotObject, kSlotChemical, kSlotZone};
    for (int i = 0; i < 4; ++i)
        while (CIncidentNode* n = lists[i]->Head())
            DeleteNode(*lists[i], n, slots[i]);
    for (CObstruction* o : m_aObstructions)
        delete o;
    m_aObstructions.clear();
    for (CMarkerPair* m : m_aMarkers) {
        DeleteSprite(m->m_apSprites[0]);
        DeleteSprite(m->m_apSprites[1]);
        delete m;
    }
    m_aMarkers.clear();
    m_mapReskin.clear();
    m_pFireCursor = nullptr;
}

void CIncidentWorld::Attach(CSpriteManager* sprites, CPathData* grid, int windDirection, int windSpeed)
{
    m_pSprites = sprites;
    m_pGrid = grid;
    m_nWindSpeed = windSpeed;
    // The neighbour the wind blows towards: the compass step turned round, in the grid's 0 up .. 3 left order.
    int a = windDirection + 8;
    int m = ((a % 16) + 16) % 16;
    m_nDownwind = ((m + 2) % 16) / 4;
}

bool CIncidentWorld::LoadParameters(const std::string& baseFolder, const std::string& fileName)
{
    std::string path = baseFolder + "\\" + fileName;
    FILE* file = platform::OpenFile(platform::JoinPath(baseFolder, fileName), "rt");
    if (!file) {
        platform::ShowMessageBox(path, "Failed to open file", platform::MessageIcon::Error);
        return false;
    }
    std::string error;
    CIncidentParams params = m_params;
    bool ok = ReadIncidentParams(file, params, error, path);
    std::fclose(file);
    if (!ok) {
        platform::ShowMessageBox(path + ": " + error, "Failed to read file", platform::MessageIcon::Error);
        return false;
    }
    m_params = params;
    return true;
}

void CIncidentWorld::SetupObstructions()
{
    if (!m_pSprites)
        return;
    for (CSprite* s = m_pSprites->GetHead(); s; s = s->m_pNext) {
        if (s->Kind() != kFeatureSprite || !(s->m_Placement.Flags & kStructureSpriteFlag))
            continue;
        auto* o = new CObstruction;
        o->m_pSprite = s;
        o->m_fValue = static_cast<float>(static_cast<double>(s->m_anFrameWidth[0]) * s->m_anFrameHeight[0] *
                                         m_params.fObstructionFactor);
        m_aObstructions.push_back(o);
        if (m_pGrid)
            m_pGrid->ApplyFootprint(s, true);
    }
}

// ---- nodes and sprites ------------------------------------------------------------------------------------

CPathTile* CIncidentWorld::TileAt(int x, int y) const
{
    return m_pGrid ? m_pGrid->GetCellAt(x, y) : nullptr;
}

void CIncidentWorld::SetNodeSprite(CIncidentNode* node, int type)
{
    DeleteSprite(static_cast<CSprite*>(node->m_pSprite));
    node->m_pSprite = nullptr;
    node->m_nType = type;
    if (!m_pSprites || !node->m_pTile)
        return;
    CPlacement placement;
    placement.Id = type;
    placement.Type = kFeatureSprite;
    placement.WorldX = node->m_pTile->m_nX + 16;
    placement.WorldY = node->m_pTile->m_nY + 16;
    placement.Flags = node->m_nSpriteFlags;
    CSprite* sprite = m_pSprites->CreateFeatureSprite(placement, true);
    if (sprite) {
        sprite->SetWorldPosition(placement.WorldX, placement.WorldY);
        sprite->m_Placement.Flags |= node->m_nSpriteFlags;
    }
    node->m_pSprite = sprite;
}

void CIncidentWorld::SetNodeSpriteFlags(CIncidentNode* node, int32_t flags)
{
    node->m_nSpriteFlags = flags;
    if (node->m_pSprite)
        node->m_pSprite->m_Placement.Flags = flags;
}

void CIncidentWorld::DeleteSprite(CSprite* sprite)
{
    if (sprite && m_pSprites)
        m_pSprites->RemoveSprite(sprite, true);
}

void CIncidentWorld::RefreshTile(CPathTile* tile)
{
    if (tile)
        tile->UpdateCosts(true);
}

void CIncidentWorld::RefreshView()
{
    if (m_links.fnRefreshView)
        m_links.fnRefreshView();
}

CIncidentNode* CIncidentWorld::NewNode(CIncidentList& list, CPathTile* tile, int slot, int type, bool hidden)
{
    auto* node = new CIncidentNode;
    node->m_pTile = tile;
    node->m_nSpriteFlags = hidden ? kHiddenSpriteFlag : 0;
    list.PushFront(node);
    tile->m_apFeatures[slot] = node;
    SetNodeSprite(node, type);
    RefreshTile(tile);
    return node;
}

void CIncidentWorld::DeleteNode(CIncidentList& list, CIncidentNode* node, int slot)
{
    if (node == m_pFireCursor)
        m_pFireCursor = node->m_pNext;
    list.Unlink(node);
    CPathTile* tile = node->m_pTile;
    if (tile && tile->m_apFeatures[slot] == node)
        tile->m_apFeatures[slot] = nullptr;
    DeleteSprite(static_cast<CSprite*>(node->m_pSprite));
    delete node;
    RefreshTile(tile);
}

CIncidentNode* CIncidentWorld::FireAt(const CPathTile* tile) const
{
    return tile ? static_cast<CIncidentNode*>(tile->m_pCellHead->m_apFeatures[kSlotFire]) : nullptr;
}

CIncidentNode* CIncidentWorld::ChemicalAt(const CPathTile* tile) const
{
    return tile ? static_cast<CIncidentNode*>(tile->m_pCellHead->m_apFeatures[kSlotChemical]) : nullptr;
}

CIncidentNode* CIncidentWorld::ObjectAt(const CPathTile* tile) const
{
    return tile ? static_cast<CIncidentNode*>(tile->m_pCellHead->m_apFeatures[kSlotObject]) : nullptr;
}

CIncidentNode* CIncidentWorld::ZoneNodeAt(const CPathTile* tile) const
{
    return tile ? static_cast<CIncidentNode*>(tile->m_pCellHead->m_apFeatures[kSlotZone]) : nullptr;
}

// ---- placement --------------------------------------------------------------------------------------------

int CIncidentWorld::Band(float intensity) const
{
    if (intensity >= static_cast<float>(m_params.anThreshold[2]))
        return 3;
    if (intensity >= static_cast<float>(m_params.anThreshold[1]))
        return 2;
    if (intensity >= static_cast<float>(m_params.anThreshold[0]))
        return 1;
    return 0;
}

namespace {
int FireKindOfBand(int band)
{
    return band == 3 ? kIncFireBand3 : band == 2 ? kIncFireBand2 : kIncFireBand1;
}
} // namespace

CIncidentNode* CIncidentWorld::AddFire(CPathTile* tile, float intensity)
{
    if (!tile)
        return nullptr;
    tile = tile->m_pCellHead;
    int band = Band(intensity);
    if (band == 0 || tile->m_apFeatures[kSlotFire]) {
        // Mended: a refused ignition used to leave the tile marked pending for good, so it could never burn.
        if (!tile->m_apFeatures[kSlotFire])
            tile->m_nFlags &= ~kTileFire;
        return nullptr;
    }
    CIncidentNode* node = NewNode(m_fires, tile, kSlotFire, FireKindOfBand(band), false);
    node->m_fValue = intensity;
    tile->m_nFlags |= kTileFire;
    Stat(kStatFireTiles);
    ++m_nFireCount;
    m_nFirePeak = std::max(m_nFirePeak, m_nFireCount);
    UpdateFireSound();
    return node;
}

CIncidentNode* CIncidentWorld::AddChemical(CPathTile* tile, float amount, bool visible)
{
    if (!tile)
        return nullptr;
    tile = tile->m_pCellHead;
    if (CIncidentNode* existing = ChemicalAt(tile)) {
        // One spill a tile: a second one on the same tile joins it.
        existing->m_fValue = static_cast<float>(static_cast<double>(existing->m_fValue) + amount);
        return existing;
    }
    CIncidentNode* node =
        NewNode(m_chemicals, tile, kSlotChemical, visible ? kIncSpillVisible : kIncSpillHidden, false);
    node->m_fValue = amount;
    if (visible)
        tile->m_nFlags |= kTileVisibleSpill;
    Stat(kStatChemicalTiles);
    ++m_nSpillCount;
    m_nSpillPeak = std::max(m_nSpillPeak, m_nSpillCount);
    UpdateChemicalSound();
    return node;
}

CIncidentNode* CIncidentWorld::AddObject(CPathTile* tile, int type, float value, int counter, bool hidden)
{
    if (!tile)
        return nullptr;
    tile = tile->m_pCellHead;
    if (tile->m_apFeatures[kSlotObject])
        return nullptr;
    CIncidentNode* node = NewNode(m_objects, tile, kSlotObject, type, hidden);
    node->m_fValue = value;
    node->m_nCounter = static_cast<int16_t>(counter);
    if (!hidden)
        CountCreated(type);
    return node;
}

void CIncidentWorld::CountCreated(int type)
{
    switch (type) {
    case kIncDebris:
        Stat(kStatDebris);
        break;
    case kIncWaterLeak:
        Stat(kStatWaterHazards);
        break;
    case kIncElectrical:
        Stat(kStatElectricalHazards);
        break;
    case kIncGasLeak:
        Stat(kStatGasHazards);
        break;
    default:
        break;
    }
}

CIncidentNode* CIncidentWorld::AddZoneNode(CPathTile* tile, int groupKey, int groupSize, int type, bool hidden)
{
    if (!tile)
        return nullptr;
    tile = tile->m_pCellHead;
    if (tile->m_apFeatures[kSlotZone])
        return nullptr;
    CIncidentNode* node = NewNode(m_zones, tile, kSlotZone, type, hidden);
    node->m_nGroupKey = groupKey;
    node->m_nCounter = static_cast<int16_t>(std::clamp(groupSize, 0, 32767));
    return node;
}

bool CIncidentWorld::RemoveObjectAt(int x, int y)
{
    CPathTile* tile = TileAt(x, y);
    CIncidentNode* node = ObjectAt(tile);
    if (!node)
        return false;
    DeleteNode(m_objects, node, kSlotObject);
    return true;
}

// ---- actions of the authority ----------------------------------------------------------------------------

void CIncidentWorld::StartFireNow(int x, int y, float intensity, bool quiet)
{
    CPathTile* tile = TileAt(x, y);
    if (!tile)
        return;
    bool in = PushIgnition(tile->m_nX, tile->m_nY, intensity);
    if (in)
        tile->m_nFlags |= kTileFire;
    SendEventBatch();
    if (in && !quiet)
        Notify(kEffectFire, tile);
}

void CIncidentWorld::PlaceHazardNow(int x, int y, int type, float value, int counter, bool hidden, bool quiet)
{
    CPathTile* tile = TileAt(x, y);
    if (!tile)
        return;
    bool in = PushHazard(tile->m_nX, tile->m_nY, type, value, counter, hidden);
    SendEventBatch();
    if (!in || quiet)
        return;
    if (type == kIncWaterLeak)
        Notify(kEffectWater, tile);
    else if (type == kIncElectrical)
        Notify(kEffectElectrical, tile);
    else if (type == kIncGasLeak)
        Notify(kEffectGas, tile);
}

void CIncidentWorld::ExplodeAt(int x, int y, int size, bool debris, bool quiet)
{
    ApplyIncidentType(size, x, y, debris, quiet);
}

void CIncidentWorld::PlaceChemicalNow(int x, int y, float amount, bool visible, bool merge)
{
    CPathTile* tile = TileAt(x, y);
    if (!tile)
        return;
    PushSpill(tile->m_nX, tile->m_nY, amount, visible, merge);
    SendEventBatch();
}

void CIncidentWorld::SetObjectFlags(int x, int y, int32_t spriteFlags)
{
    CPathTile* tile = TileAt(x, y);
    if (!tile)
        return;
    PushObjectFlags(tile->m_nX, tile->m_nY, spriteFlags);
    SendEventBatch();
}

void CIncidentWorld::ApplyIncidentType(int size, int x, int y, bool debris, bool quiet)
{
    CPathTile* tile = TileAt(x, y);
    if (!tile || size < 0 || size > 2)
        return;
    bool wasQuiet = m_bQuiet;
    m_bQuiet = quiet;

    int sound = size == 0 ? 6 : size == 2 ? 7 : (SimRand() % 2 == 0 ? 6 : 7);
    PushSound(sound);

    if (size == 2) {
        // The centre and its four neighbours burn out first.
        CPathTile* around[5] = {tile};
        for (int d = 0; d < 4; ++d)
            around[d + 1] = m_pGrid->GetNeighbour(tile, d);
        for (CPathTile* t : around) {
            if (!t || (t->m_nFlags & kTileBurnt))
                continue;
            int burnt = t->m_abyCosts[kCost] != 255 ? kIncBurntFeature : kIncBurntGround;
            if (CIncidentNode* fire = FireAt(t)) {
                fire->m_fValue = 0.0f;
                fire->m_byStage = 3;
                // Mended: only the authority's node took stage 3, so only it left burnt ground; the ground now
                // travels in the batch and every machine places it.
                t->m_nFlags |= kTileBurnt;
                PushHazard(t->m_nX, t->m_nY, burnt, 0.0f, 0, false);
            } else {
                t->m_nFlags |= kTileBurnt;
                PushHazard(t->m_nX, t->m_nY, burnt, 0.0f, 0, false);
            }
        }
    }
    for (const IgnitionRing& r : kIgnitionRings[size]) {
        m_afParams[0] = r.chance;
        m_afParams[1] = r.low;
        m_afParams[2] = r.high;
        m_pGrid->VisitTilesAround(kWalkIgnite, tile, r.ring, this);
    }
    if (debris) {
        for (const auto& [ring, chance] : kDebrisRings[size]) {
            m_afParams[0] = chance;
            m_pGrid->VisitTilesAround(kWalkDebris, tile, ring, this);
        }
    }
    Stat(kStatExplosionSize1 + size);
    if (!quiet)
        Notify(kEffectExplosion, tile);
    HurtSquads(tile, size);
    SendEventBatch();
    m_bQuiet = wasQuiet;
}

void CIncidentWorld::HurtSquads(const CPathTile* tile, int size)
{
    IIncidentSquads* squads = m_links.pSquads;
    if (!squads)
        return;
    int cx = tile->m_nX + 16;
    int cy = tile->m_nY + 16;
    int count = squads->SquadCount();
    for (int i = 0; i < count; ++i) {
        CBlastSquad s;
        if (!squads->GetSquad(i, s))
            continue;
        auto whole = [](float v) { return static_cast<int>(std::clamp(v, -1.0e6f, 1.0e6f)); };
        int dx = std::abs(whole(s.fX) - cx);
        int dy = std::abs(whole(s.fY) - cy);
        int e = std::max(dx, dy) + std::min(dx, dy) / 2;
        if (e >= kBlastRadius[size])
            continue;
        int base = kBlastDamage[size];
        int k = e / 32 + 1;
        float damage = static_cast<float>(base + SimRand() % (base / 5)) / static_cast<float>(k * k);
        if ((s.uFlags & 0x40) && s.nAgencyKind == 0 && SimRand() % 100 < 50)
            damage = static_cast<float>(damage * 0.25);
        squads->AddHealth(i, -damage);
        squads->AddContamination(i, static_cast<float>(static_cast<double>(damage) * m_afSquadEffect[0] / 30.0));
    }
}

bool CIncidentWorld::Visit(CPathTile* tile)
{
    if (!tile)
        return false;
    switch (m_nWalkKind) {
    case kWalkFire: {
        CIncidentNode* fire = FireAt(tile);
        if (fire && fire->m_byStage != 0)
            m_fHitCount += 1.0f;
        return false;
    }
    case kWalkChemical:
        if (ChemicalAt(tile))
            m_fHitCount += 1.0f;
        return false;
    case kWalkIgnite:
        return VisitIgnite(tile);
    case kWalkDebris:
        return VisitDebris(tile);
    default:
        return true;
    }
}

bool CIncidentWorld::VisitIgnite(CPathTile* tile)
{
    if ((tile->m_nFlags & (kTileFire | kTileBurnt)) || FireAt(tile))
        return false;
    if (SimRand() % 100 < m_afParams[0]) {
        int low = static_cast<int>(std::clamp(m_afParams[1], 0.0f, 100.0f));
        int high = static_cast<int>(std::clamp(m_afParams[2], 0.0f, 100.0f));
        int b = low / 5;
        int c = high / 5;
        int d = b < c ? std::min(21 - b, c - b) : 1;
        int intensity = (SimRand() % d) * 5 + b * 5;
        if (PushIgnition(tile->m_nX, tile->m_nY, static_cast<float>(intensity)))
            tile->m_nFlags |= kTileFire;
        return false;
    }
    if (SimRand() % 100 < 6 && tile->m_abyCosts[kFootBase] != 255) {
        int code = TerrainCode(tile);
        int type;
        float value;
        int effect;
        if ((code >= 8 && code <= 75) || code == 177 || code == 178) {
            bool gas = SimRand() % 100 < 30;
            type = gas ? kIncGasLeak : kIncWaterLeak;
            effect = gas ? kEffectGas : kEffectWater;
            value = code >= 12 && code <= 15 ? 1.0f : 0.0f;
        } else {
            type = kIncElectrical;
            effect = kEffectElectrical;
            value = 1.0f;
        }
        if (PushHazard(tile->m_nX, tile->m_nY, type, value, 0, false) && !m_bQuiet)
            Notify(effect, tile);
    }
    return false;
}

bool CIncidentWorld::VisitDebris(CPathTile* tile)
{
    if (tile->m_abyCosts[kFootBase] != 255 && SimRand() % 100 < m_afParams[0])
        PushHazard(tile->m_nX, tile->m_nY, kIncDebris, 0.0f, 0, false);
    return false;
}

void CIncidentWorld::ReactToFire(CIncidentNode* node, int chance)
{
    CIncidentNode* object = ObjectAt(node->m_pTile);
    if (!object || !(SimRand() % 100 < chance))
        return;
    int size;
    if (object->m_nType == kIncGasLeak) {
        size = object->m_fValue == 0.0f ? 0 : object->m_fValue == 1.0f ? 1 : 2;
        Stat(kStatGasExplosions);
    } else if (object->m_nType == kIncBomb || object->m_nType == kIncBombLike) {
        size = object->m_fValue >= 2.0f ? 2 : object->m_fValue >= 1.0f ? 1 : 0; // its value, truncated, in 0..2
    } else {
        return;
    }
    CPathTile* tile = object->m_pTile;
    PushHazard(tile->m_nX, tile->m_nY, -1, 0.0f, 0, false);
    ApplyIncidentType(size, tile->m_nX, tile->m_nY, true, false);
}

// ---- links ------------------------------------------------------------------------------------------------

void CIncidentWorld::Post(uint16_t id, const uint8_t* payload, size_t length)
{
    if (m_links.fnPost) {
        m_links.fnPost(id, payload, length);
        return;
    }
    switch (id) {
    case 42:
        ApplyTileUpdates(payload, length);
        break;
    case 63:
        ApplyMapObjectRecord(payload, length);
        break;
    case 66:
        SpawnSpritePair(payload, length);
        break;
    default:
        break;
    }
}

void CIncidentWorld::Notify(int effect, const CPathTile* tile)
{
    if (m_links.pEvents && tile)
        m_links.pEvents->Notify(kNotifyEnvironment, nullptr, effect, tile->m_nX, tile->m_nY);
}

void CIncidentWorld::Charge(EIncidentCost cost)
{
    if (m_links.pScoring)
        m_links.pScoring->ChargeIncidentCost(cost);
}

void CIncidentWorld::Stat(int index, int delta)
{
    if (m_links.pScoring && !m_bLoading)
        m_links.pScoring->AddStat(index, delta);
}

void CIncidentWorld::UpdateFireSound()
{
    IIncidentSound* sound = m_links.pSound;
    if (!m_fires.Head()) {
        if (m_nFireSound != -1 && sound)
            sound->StopLoop(m_nFireSound);
        m_nFireSound = -1;
    } else if (m_nFireSound == -1 && sound) {
        m_nFireSound = sound->Play(15, 0.5f, true);
    }
}

void CIncidentWorld::UpdateChemicalSound()
{
    IIncidentSound* sound = m_links.pSound;
    if (!m_chemicals.Head()) {
        if (m_nChemicalSound != -1 && sound)
            sound->StopLoop(m_nChemicalSound);
        m_nChemicalSound = -1;
    } else if (m_nChemicalSound == -1 && sound) {
        m_nChemicalSound = sound->Play(14, 0.25f, true);
    }
}
