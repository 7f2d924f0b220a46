// The incident on the tactical map: fires, spills, hazard objects, zone nodes, obstructions and markers.
#pragma once

#include "core/world/PathData.h"
#include "core/world/TileVisitor.h"
#include "game/sim/EventBatch.h"
#include "game/sim/IncidentLinks.h"

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

class CSprite;
class CSpriteManager;
class CByteReader;
class CByteWriter;

// Type codes of incident nodes (the sprite's template index).
enum EIncidentType : int32_t {
    kIncDebris = 2,
    kIncFireBand3 = 5,
    kIncFireBand1 = 6,
    kIncFireBand2 = 7,
    kIncWaterLeak = 8,
    kIncElectrical = 9,
    kIncGasLeak = 10,
    kIncSpillVisible = 11,
    kIncBurntGround = 12,
    kIncBurntFeature = 13,
    kIncBomb = 128,
    kIncSpillHidden = 129,
    kIncResidue = 131,
    kIncFlaggedZone = 132,
    kIncBombLike = 186,
    kIncFacilityFirst = 191, // 191 to 196: Command Post, Base, Staging Area, Casualty Collection Center,
                             // Evacuation Center, Media Center
    kIncIncidentSite = 198,
    kIncMarkerFlash = 277,
    kIncMarker = 278,
};

// Bits of a path tile's flags that the incident world uses (bit 0 is the grid's sub-tile bit).
enum ETileIncidentFlag : int32_t {
    kTileFire = 0x2, // fire present or pending in the batch
    kTileBurnt = 0x4,
    kTileSpillPending = 0x8, // a spill entry for the tile waits in the batch
    kTileResidue = 0x10,
    kTileVisibleSpill = 0x80,
    kTileIncidentMarks = kTileFire | kTileBurnt | kTileSpillPending | kTileResidue | kTileVisibleSpill,
};

// The tag that opens the tile marks a saved game keeps after its blocks ("ZTM1").
constexpr uint32_t kTileMarksTag = 0x314D545A;

// Feature slots of a path tile.
enum EFeatureSlot { kSlotFire = 0, kSlotObject = 1, kSlotChemical = 2, kSlotZone = 3 };

constexpr int32_t kHiddenSpriteFlag = 0x400000;
constexpr int32_t kStructureSpriteFlag = 0x1000000;

// One node of the four lists. The tile's feature slot points at it; its sprite comes first (CFeatureNode).
struct CIncidentNode : CFeatureNode {
    CIncidentNode* m_pPrev = nullptr;
    CIncidentNode* m_pNext = nullptr;
    CPathTile* m_pTile = nullptr; // always a 32-pixel cell head
    float m_fValue = 0.0f;        // fire intensity, spill amount, object value
    uint8_t m_byStage = 0;        // fire stage 0 to 3; a spill's flow bits; an object's stage
    int16_t m_nCounter = 0;       // fire burn time, zone group size, bomb countdown
    int32_t m_nGroupKey = 0;      // zone nodes only
    int32_t m_nType = 0;          // type code (also the sprite's template index when it has a sprite)
    int32_t m_nSpriteFlags = 0;   // the sprite's flags word as the world set it (0x400000 hidden)

    bool IsHidden() const { return (m_nSpriteFlags & kHiddenSpriteFlag) != 0; }
};

// A list of nodes, newest first.
class CIncidentList {
public:
    CIncidentNode* Head() const { return m_pHead; }
    int Size() const { return m_nSize; }
    void PushFront(CIncidentNode* node);
    void Unlink(CIncidentNode* node);
    // Position of a node counted from the head, -1 when not listed.
    int IndexOf(const CIncidentNode* node) const;
    CIncidentNode* At(int index) const;

private:
    CIncidentNode* m_pHead = nullptr;
    int m_nSize = 0;
};

// The parameters file's 23 values and tables.
struct CIncidentParams {
    float afGrowth[3] = {};      // g1, g2, g3
    int32_t anThreshold[3] = {}; // t1, t2, t3
    int32_t anSpread[3] = {};    // s1, s2, s3
    float fWindFactor = 0.0f;
    int32_t nBurnOutTime = 0; // already x 30, within 0..32767
    int32_t nFireBatchSize = 0;
    int32_t anReaction[3] = {};        // r1, r2, r3 (r3 not used)
    float fSpillDecay1 = 0.0f;         // k1 (x 0.01)
    float fSpillDecay2 = 0.0f;         // k2 (x 0.01)
    float fFlowThresholdFactor = 0.0f; // f1 (x 0.01)
    float fFlowAmountFactor = 0.0f;    // f2 (x 0.01)
    float fFlowThresholdBase = 0.0f;   // f0
    float afSpillAmount[3] = {};       // spill sizes 0, 1, 2
    float fObstructionFactor = 1.0f;
    int32_t nMarkerFlash = 0;
    int32_t nMarkerLifetime = 0;
    int32_t anResistance[256];
    int32_t anFlowWeight[256];

    CIncidentParams();
};

// Reads the parameters from an open text file; false (with `error` set) when the file is short or garbled, and
// then `out` is left as it was. A value outside its range is clamped and reported under `name`.
bool ReadIncidentParams(FILE* file, CIncidentParams& out, std::string& error,
                        const std::string& name = "incident parameters");

// An obstruction: a structure sprite with a remaining value (-1 while a saved game is being loaded).
struct CObstruction {
    CSprite* m_pSprite = nullptr;
    float m_fValue = 0.0f;
};

// A flashing map marker: sprites of kinds 277 (starts hidden) and 278.
struct CMarkerPair {
    CSprite* m_apSprites[2] = {};
    int16_t m_nLifetime = 0;
    int16_t m_nFlash = 0;
    bool m_bFlashHidden = true; // the hidden state of sprite 0 (sprite 1 has the other), without sprites
};

// Where a point lies against the incident site (the box of the kind 198 zone nodes).
struct CSiteLocation {
    bool bInside = false;
    int nMetres = 0;    // a multiple of 10
    int nDirection = 0; // 0 North, 1 NorthWest, 2 West, 3 SouthWest, 4 South, 5 SouthEast, 6 East, 7 NorthEast
};
const char* SiteDirectionName(int direction);

class CIncidentWorld : public CTileVisitor {
public:
    CIncidentWorld();
    ~CIncidentWorld() override;
    CIncidentWorld(const CIncidentWorld&) = delete;
    CIncidentWorld& operator=(const CIncidentWorld&) = delete;

    // Set-up: the sprites and grid of the scenario, the wind, and the links out of the world.
    void Attach(CSpriteManager* sprites, CPathData* grid, int windDirection, int windSpeed);
    void SetLinks(const CIncidentLinks& links) { m_links = links; }
    const CIncidentLinks& GetLinks() const { return m_links; }
    bool LoadParameters(const std::string& baseFolder, const std::string& fileName);
    void SetParameters(const CIncidentParams& params) { m_params = params; }
    const CIncidentParams& GetParameters() const { return m_params; }
    // Every structure sprite (flag 0x1000000) becomes an obstruction and blocks its tiles.
    void SetupObstructions();

    // Placement, applied from a batch on every machine.
    CIncidentNode* AddFire(CPathTile* tile, float intensity);
    CIncidentNode* AddChemical(CPathTile* tile, float amount, bool visible);
    CIncidentNode* AddObject(CPathTile* tile, int type, float value, int counter, bool hidden);
    CIncidentNode* AddZoneNode(CPathTile* tile, int groupKey, int groupSize, int type, bool hidden);
    bool RemoveObjectAt(int x, int y);

    // Actions of the authority: fill the batch and send it.
    void StartFireNow(int x, int y, float intensity, bool quiet);
    void PlaceHazardNow(int x, int y, int type, float value, int counter, bool hidden, bool quiet);
    void ExplodeAt(int x, int y, int size, bool debris, bool quiet);
    void PlaceChemicalNow(int x, int y, float amount, bool visible, bool merge);
    void SetObjectFlags(int x, int y, int32_t spriteFlags);
    // The explosion of size 0, 1 or 2 at a point (other sizes do nothing).
    void ApplyIncidentType(int size, int x, int y, bool debris = true, bool quiet = false);

    // Queries for squads and order menus.
    int FireInRing(CPathTile* tile, int ring);     // tiles of the ring whose fire has left stage 0
    int ChemicalInRing(CPathTile* tile, int ring); // tiles of the ring with a spill
    CIncidentNode* FireAt(const CPathTile* tile) const;
    CIncidentNode* ChemicalAt(const CPathTile* tile) const;
    CIncidentNode* ObjectAt(const CPathTile* tile) const;
    CIncidentNode* ZoneNodeAt(const CPathTile* tile) const;
    CIncidentNode* BombAt(const CPathTile* tile) const; // type 128, not hidden
    int LeakKindAt(const CPathTile* tile) const;        // 8, 9, 10 or 0
    CIncidentNode* DebrisAt(const CPathTile* tile) const;
    // Exposure on a tile for a squad in protective gear: its fire band's heat, its spill's chemical; 0 when none.
    float FireDangerAt(const CPathTile* tile) const;
    float HazardDangerAt(const CPathTile* tile) const;
    CPathTile* SafestTile(CPathTile* tile) const;
    CObstruction* ObstructionAt(int x, int y);
    int CountObjectsOfType(int type, bool includeHidden) const;
    int CountVisibleSpills() const;
    CPathTile* RandomZoneTile(int type, bool vehicleAccess) const;
    // The first zone node, then object, of a type.
    CIncidentNode* FirstNodeOfType(int type) const;
    bool GetSiteLocation(int x, int y, CSiteLocation& out) const;
    // The scoring value stored when a group was re-skinned to `kind`, 0 when never.
    int32_t GetReskinValue(int kind) const;
    CPathTile* TileAt(int x, int y) const;

    // Obstructions.
    const std::vector<CObstruction*>& GetObstructions() const { return m_aObstructions; }
    // Lowers an obstruction by a squad's work; at 0 or below it is removed (message 63). True when removed.
    bool WorkObstruction(CObstruction* obstruction, float amount);
    void RemoveObstruction(CObstruction* obstruction);

    // Markers.
    void SendMarker(int x, int y);
    bool CanSendMarker() const { return m_nMarkerCountdown <= 0; }
    void MarkerStep();
    const std::vector<CMarkerPair*>& GetMarkers() const { return m_aMarkers; }

    // The simulation step of the authority (every 500 ms).
    void Step();
    void GrowHazard(CIncidentNode* node);
    void SpreadHazard(CIncidentNode* node);
    void UpdateFire(CIncidentNode* node);
    void UpdateChemical(CIncidentNode* node);
    void ChemicalStep(CIncidentNode* node);
    void ObjectStep();
    // Scenario end: the once-only costs of lasting objects, and the looping sounds stopped.
    void EndScenario();

    // The batch. Each appender refuses (false) when it already holds 200 entries.
    bool PushIgnition(int x, int y, float intensity);
    bool PushHazard(int x, int y, int type, float value, int counter, bool hidden);
    bool PushObjectEvent(int x, int y, int groupKey, int flag);
    bool PushSpill(int x, int y, float amount, bool visible, bool merge);
    bool PushObjectFlags(int x, int y, int32_t spriteFlags);
    bool PushZoneMark();
    bool PushSound(int id);
    void PushFireReport(CIncidentNode* first);
    void PushSpillReport();
    void SendEventBatch();
    void SendSound(int id);
    CEventBatch& GetBatch() { return m_batch; }

    // Received messages (42, 63, 66); false when the payload was refused.
    bool ApplyTileUpdates(const uint8_t* payload, size_t length);
    bool ApplyMapObjectRecord(const uint8_t* payload, size_t length);
    bool SpawnSpritePair(const uint8_t* payload, size_t length);

    // The saved-game block.
    bool Save(FILE* file) const;
    bool Load(FILE* file);
    void SaveTo(CByteWriter& out) const;
    // Reads one block; false (the world unchanged) when it is short or inconsistent.
    bool LoadFrom(CByteReader& in);
    // What the block leaves out of the tiles: every tile's incident marks (burnt, residue, spill pending, a spill
    // once seen, fire), "ZTM1", a count, then x, y and marks of each marked tile. Loading, after the block, gives
    // every tile of the grid exactly its saved marks; false (nothing changed) when a tile is not on the grid or a
    // mark is not an incident mark.
    void SaveTileMarks(CByteWriter& out) const;
    bool LoadTileMarks(CByteReader& in);

    bool Visit(CPathTile* tile) override;

    // Lists and state read by squads, scoring and screens.
    const CIncidentList& Fires() const { return m_fires; }
    const CIncidentList& Chemicals() const { return m_chemicals; }
    const CIncidentList& Objects() const { return m_objects; }
    const CIncidentList& ZoneNodes() const { return m_zones; }
    int Band(float intensity) const;
    int TerrainCode(const CPathTile* tile) const;
    int GetDownwind() const { return m_nDownwind; }
    CSpriteManager* GetSprites() const { return m_pSprites; }
    CPathData* GetGrid() const { return m_pGrid; }

    CIncidentNode* m_pFireCursor = nullptr;
    int32_t m_nFireSound = -1;
    int32_t m_nChemicalSound = -1;
    int32_t m_nZoneGroupCounter = 0;
    int32_t m_nZoneMark = 0;
    int32_t m_nFireCountdown = 0;
    int32_t m_nChemicalCountdown = 0;
    int32_t m_nObjectCountdown = 0;
    // [0] contamination per damage (explosions); the others the squads' work reads.
    float m_afSquadEffect[4] = {0.05f, 0.1f, 0.2f, 0.0f};
    float m_fWaterSupply = 1.0f;
    int32_t m_nFireCount = 0;
    int32_t m_nFirePeak = 0;
    int32_t m_nSpillCount = 0;
    int32_t m_nSpillPeak = 0;
    uint8_t m_abMapObjectRecord[12] = {};
    int32_t m_anMarkerRecord[3] = {};
    int32_t m_nMarkerCountdown = 0;

private:
    CIncidentNode* NewNode(CIncidentList& list, CPathTile* tile, int slot, int type, bool hidden);
    void DeleteNode(CIncidentList& list, CIncidentNode* node, int slot);
    void SetNodeSprite(CIncidentNode* node, int type);
    void SetNodeSpriteFlags(CIncidentNode* node, int32_t flags);
    void DeleteSprite(CSprite* sprite);
    void RefreshTile(CPathTile* tile);
    void RefreshView();
    void UpdateFireSound();
    void UpdateChemicalSound();
    void Post(uint16_t id, const uint8_t* payload, size_t length);
    void Notify(int effect, const CPathTile* tile);
    void Charge(EIncidentCost cost);
    void Stat(int index, int delta = 1);
    // The creation counter of a visible debris, water, electrical or gas object.
    void CountCreated(int type);
    void ReactToFire(CIncidentNode* node, int chance);
    void HurtSquads(const CPathTile* tile, int size);
    bool VisitIgnite(CPathTile* tile);
    bool VisitDebris(CPathTile* tile);
    void Flow(CIncidentNode* node, float threshold);
    void ApplyZoneEntries(const CBatchView& view);
    void ReskinGroup(CPathTile* tile, int kind);
    void FreeAll();

    CEventBatch m_batch;
    CSpriteManager* m_pSprites = nullptr;
    CPathData* m_pGrid = nullptr;
    CIncidentList m_fires;
    CIncidentList m_chemicals;
    CIncidentList m_objects;
    CIncidentList m_zones;
    CIncidentParams m_params;
    int m_nWindSpeed = 0;
    int m_nDownwind = 0;
    std::map<int32_t, int32_t> m_mapReskin;
    std::vector<CObstruction*> m_aObstructions;
    std::vector<CMarkerPair*> m_aMarkers;
    CIncidentLinks m_links;
    bool m_bQuiet = false;   // the explosion under way notifies nothing
    bool m_bLoading = false; // placements of a saved game raise no counters
};
