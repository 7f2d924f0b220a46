// The squads of one map (tactical or area map): lists, lookups, picking, the order menu, the movement and game
// steps, synchronisation, station dispatch and transfer between the two maps, score counts and the saved block.
#pragma once

#include "core/persist/QFSerializeBase.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

class CByteReader;
class CByteWriter;
class CDisplay;
class CEOCUnitData;
class CMap2DLinked;
class CPathData;
class CPopupMenu;
class CSprite;
class CSpriteManager;
class CSquad;
class CSquadServices;
struct CModeRecord;
struct CSquadMovement;

// What a click hands to the picker.
struct CSquadPickPoint {
    int32_t x = 0; // screen
    int32_t y = 0;
    int32_t nListMask = 3; // 0x1 unit list, 0x2 vehicle list
    bool bCycle = false;
    CSquad* pSelected = nullptr;
};

class CSquadManager : public QFSerializeBase {
    QF_DECLARE_SERIAL(CSquadManager)

public:
    CSquadManager();
    ~CSquadManager() override;
    CSquadManager(const CSquadManager&) = delete;
    CSquadManager& operator=(const CSquadManager&) = delete;

    void SetServices(CSquadServices* services) { m_pServices = services; }
    CSquadServices& Services() const;
    void Attach(CSpriteManager* sprites, CSquadManager* other, CMap2DLinked* map, CDisplay* display,
                const CModeRecord* modeRecord, CEOCUnitData* eoc, CPathData* pathGrid);

    // ---- lists ----
    CSquad* AddSquad(int kind, CSquad* squad = nullptr);
    void RemoveSquad(CSquad* squad, bool deleteIt);
    CSquad* FindSquad(int32_t number, int mask = 3) const;
    static int32_t GetSquadNumber(const CSquad* squad);
    CSquad* FindSquadBySprite(int32_t serviceId, int32_t agencyKind, int mask) const;
    CSquad* FindVehicleAt(int x, int y, bool skipHidden, int32_t agencyMask) const;
    CSquad* PickSquadsAt(const CSquadPickPoint& point);
    CSquad* ContainsSquad(const CSquad* squad) const;
    void MarkSideForRecheck(uint32_t agencyBit);
    int CursorTargets(int x, int y, CSquad* squad, CPathData* pathGrid) const;
    const std::vector<CSquad*>& Units() const { return m_aUnits; }
    const std::vector<CSquad*>& Vehicles() const { return m_aVehicles; }

    // ---- steps ----
    void MovementStep();
    void GameStep(uint16_t messageId);
    // The synchronisation records of every squad, posted under the message id (the end of a game step).
    void PostSync(uint16_t messageId);
    std::vector<uint8_t> BuildSyncMessage();

    // ---- order menu ----
    CPopupMenu* BuildOrderMenu(CSquad* squad);
    CPopupMenu* GetOrderMenu() const { return m_pOrderMenu.get(); }

    // ---- after a load, score ----
    void ResumeAfterLoad();
    void RestoreRouteSpeeds();
    void CountForScore();
    void AccrueFinalCost();

    // ---- saved game ----
    void Save(CByteWriter& out) const;
    // Reads the block; false (and nothing half-made is left pointing anywhere) on a short or bad block.
    // Links stay numbers until ResolveLoadedLinks, called on both managers after both are read.
    bool Load(CByteReader& in);
    // Whether one saved squad record (the list's `vehicles` or units) holds values a game can have: its number,
    // template and kind, positions on this manager's map, finite amounts, known states and link numbers.
    bool IsPossibleRecord(const uint8_t* record, bool vehicles) const;
    void ResolveLoadedLinks();
    // The movement of every squad (units, then vehicles) that the block leaves out: a count, then one record per
    // squad. Reading checks every record against this manager's squads and map and changes nothing; applying
    // puts the movement back into the squads.
    void SaveMovement(CByteWriter& out) const;
    bool ReadMovement(CByteReader& in, std::vector<CSquadMovement>& records) const;
    void ApplyMovement(const std::vector<CSquadMovement>& records);
    // The same block in an open saved-game file; on failure the file is back where it was.
    bool Save(FILE* file) const;
    bool Load(FILE* file);

    // ---- messages ----
    void ApplySquadOrder(const uint8_t* payload, size_t length);
    void ApplySyncRecords(const uint8_t* payload, size_t length);
    void ApplySquadPosition(const uint8_t* payload, size_t length);
    void ApplySquadStatus(const uint8_t* payload, size_t length);
    void ApplySquadSound(const uint8_t* payload, size_t length);
    void ApplySquadCancel(const uint8_t* payload, size_t length);
    void ApplyStationDispatch(const uint8_t* payload, size_t length);
    void ApplySquadAtStation(const uint8_t* payload, size_t length);
    void ApplySquadDeployed(const uint8_t* payload, size_t length);
    void ApplySquadReleased(const uint8_t* payload, size_t length);
    bool RequestDispatch(CSprite* station, int line);
    bool DispatchFromStation(CSprite* station, int line, int delay);
    void DeployToIncident(CSquad* squad);
    void TransferSquad(CSquad* squad);

    // ---- references ----
    CSpriteManager* GetSpriteManager() const { return m_pSprites; }
    CSquadManager* GetOther() const { return m_pOther; }
    CMap2DLinked* GetMap() const { return m_pMap; }
    CPathData* GetPathGrid() const { return m_pPathGrid; }
    CEOCUnitData* GetEOC() const { return m_pEOC; }
    const CModeRecord* GetModeRecord() const { return m_pModeRecord; }
    bool IsAreaMap() const { return m_bAreaMap; }
    void SetAreaMap(bool area) { m_bAreaMap = area; }
    // Map size in pixels: the tile map's, else 3200 x 2400.
    int MapWidth() const;
    int MapHeight() const;

    int32_t m_nUnitCount = 0;
    int32_t m_nOptions = 0;
    int32_t m_nVehicleCount = 0;
    int32_t m_nOne = 1;
    float m_fNegotiationFactor = 1.0f;

private:
    // Deletes a squad after clearing every pointer to it (other squads of both managers, the input state).
    void DeleteSquad(CSquad* squad);
    void SweepPointersTo(const CSquad* squad);
    // Squads of a list, copied, so a step may remove or move squads while the walk goes on.
    std::vector<CSquad*> Snapshot(const std::vector<CSquad*>& list) const { return list; }
    bool Owns(const CSquad* squad) const;
    // Whether a saved point lies on this manager's map (edges included; the area map's size is not known here).
    bool OnSavedMap(double x, double y) const;
    void WriteSyncRecord(CByteWriter& out, CSquad* squad, bool vehicle);

    std::vector<CSquad*> m_aUnits;
    std::vector<CSquad*> m_aVehicles;
    std::unique_ptr<CPopupMenu> m_pOrderMenu;
    std::vector<uint8_t> m_aSyncBuffer; // the last synchronisation message built (unwritten fields kept)

    CSquadServices* m_pServices = nullptr;
    CSquadManager* m_pOther = nullptr;
    CSpriteManager* m_pSprites = nullptr;
    CMap2DLinked* m_pMap = nullptr;
    CDisplay* m_pDisplay = nullptr;
    const CModeRecord* m_pModeRecord = nullptr;
    CEOCUnitData* m_pEOC = nullptr;
    CPathData* m_pPathGrid = nullptr;
    bool m_bAreaMap = false;
};
