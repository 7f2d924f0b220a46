// What the squads need of the rest of the game: posting messages, the random seam, sounds, the event engine,
// the incident world's queries, the score counters and the input state that points at squads.
#pragma once

#include "core/world/WorldTypes.h"

#include <cstddef>
#include <cstdint>
#include <functional>

class CAStar;
class CEOCUnitData;
class CPathTile;
class CSquad;
class CSquadManager;

// The draws of the squads' rules: the simulation's one random source (SimRandom.h).
int SquadRand();
void SetSquadRandom(std::function<int()> source);

// The incident world as the squads see it. The default answers "nothing there" and ignores every change, so
// squads run on a map with no incident.
class ISquadWorld {
public:
    virtual ~ISquadWorld() = default;

    // Fire band of a cell (0 none, 1-3) and its intensity; chemical intensity (0-100 or so).
    virtual int FireClassAt(CPathTile*) { return 0; }
    virtual float FireIntensityAt(CPathTile*) { return 0.0f; }
    virtual float ChemicalAt(CPathTile*) { return 0.0f; }
    // Lower a cell's fire or chemical by an amount (ring walks of fight fire and fight hazard).
    virtual void ReduceFire(CPathTile*, float) {}
    virtual void ReduceChemical(CPathTile*, float) {}
    // Fire within ring 0..rings of a cell; chemical within ring 0..rings.
    virtual bool FireWithin(CPathTile*, int) { return false; }
    virtual bool ChemicalWithin(CPathTile*, int) { return false; }
    // The code of the hazard object on a cell (-1 none) and whether it is hidden; its value.
    virtual int ObjectAt(CPathTile*, bool* hidden)
    {
        if (hidden)
            *hidden = false;
        return -1;
    }
    virtual float ObjectValueAt(CPathTile*) { return 0.0f; }
    // The facility or zone code of a cell (191-198, 132), 0 when none.
    virtual int FacilityAt(CPathTile*) { return 0; }
    // A bomb found on a cell: made visible and announced in the event batch.
    virtual void RevealBomb(CPathTile*) {}
    // Event-batch entries at a world position: a hazard (code -1 removes the object there), a chemical spill;
    // then the batch is sent.
    virtual void AddHazardEntry(int /*x*/, int /*y*/, int /*code*/, float /*value*/) {}
    virtual void AddChemicalEntry(int /*x*/, int /*y*/, float /*amount*/) {}
    virtual void SendBatch() {}
    virtual void StartFire(int /*x*/, int /*y*/, int /*intensity*/) {}
    virtual void ApplyIncidentType(int /*type*/, int /*x*/, int /*y*/) {}
    // The safest of a cell and its four neighbours.
    virtual CPathTile* SafestCell(CPathTile* tile) { return tile; }
    // The first incident object of a kind (192 Base, 191 Command Post, 198 Incident Site): its position and
    // whether its cell is subdivided. False when there is none.
    virtual bool FindFacility(int /*code*/, int* /*x*/, int* /*y*/, bool* /*subdivided*/) { return false; }
    // The obstruction whose box holds a point: -1 none; its work lowers the value, at 0 it is removed (63).
    virtual int ObstructionAt(int /*x*/, int /*y*/) { return -1; }
    virtual void WorkObstruction(int /*obstruction*/, float /*amount*/) {}
    // Constants of the simulation.
    virtual float FireFightingFactor() { return 1.0f; }
    virtual float ContaminationFactor() { return 0.05f; }
    virtual float GearHeatFactor() { return 0.1f; }
    virtual float GearChemicalFactor() { return 0.2f; }
    virtual float SpillFactor() { return 0.0f; }
};

// Counters of the scoring object that squads raise.
struct CSquadScoreCounts {
    int32_t nAnnoyableTicks = 0;
    int32_t nTicksAnnoying = 0;
    int32_t nAssaults = 0;
    int32_t nAreaSquadsCalled = 0;
    // End-of-scenario counts.
    int32_t nCiviliansKilled = 0;
    int32_t nCiviliansIncapacitated = 0;
    int32_t nCiviliansDownAtCasualty = 0;
    int32_t nCiviliansEvacuated = 0;
    int32_t nMediaUnits = 0;
    int32_t nMediaInfiltrated = 0;
    int32_t nMediaAtCenter = 0;
    int32_t nThreats = 0;
    int32_t nThreatsKilled = 0;
    int32_t nThreatsIncapacitated = 0;
    int32_t nThreatsSubdued = 0;
    int32_t nThreatsAtCasualty = 0;
    int32_t nRespondersKilled = 0;
    int32_t nRespondersIncapacitated = 0;
    int32_t nRespondersDownAtCasualty = 0;
    int32_t nVehiclesDestroyed = 0;
    int32_t nVehiclesNotReturned = 0;
    int32_t nCivilianVehiclesDestroyed = 0;
    float fRunningCost = 0.0f;
};

// One per game, shared by both squad managers.
class CSquadServices {
public:
    // Posts a game message (under authority the game applies it at once through the same handler).
    std::function<void(uint16_t id, const uint8_t* payload, size_t length)> fnPost;
    // Tells the event engine (kind 2 moved, 4 action started, 5 action ended); does nothing until it lands.
    std::function<void(int kind, CSquad* squad, int action)> fnNotify;
    // Plays a sound on this machine: the channel, or -1. Stops a looping channel.
    std::function<int(int sound, float volume, bool loop)> fnPlaySound;
    std::function<void(int channel)> fnStopLoop;
    // The game leaves order targeting (its cursor and input state); called after m_pOrderSquad was cleared.
    std::function<void()> fnLeaveTargeting;
    // Redraw the map layers.
    std::function<void()> fnRedraw;

    ISquadWorld* pWorld = nullptr; // null: the empty world
    CSquadScoreCounts* pScore = nullptr;
    CAStar* pAStar = nullptr;
    CEOCUnitData* pEOC = nullptr;
    const RECT* pView = nullptr;                // the view rectangle screen positions are refreshed against
    const CModeRecord* pDrawFilter = nullptr;   // the sprite draw filter (flags word, switch)
    const CModeRecord* pMarkerFilter = nullptr; // the second filter record (waypoint markers)
    uint32_t* pModeFlags = nullptr;             // the game's mode word
    int32_t* pCurrentView = nullptr;            // 0 tactical map, 1 area map
    int32_t* pMapLayer = nullptr;               // the game's current map layer

    int32_t nLocalPlayer = 0;
    uint32_t uLocalRoles = 0;
    bool bAuthority = true;

    // Input state that points at squads: the squad whose order target is being chosen and the selection.
    CSquad* pOrderSquad = nullptr;
    CSquad* pSelected = nullptr;

    // Helpers.
    void Post(uint16_t id, const uint8_t* payload, size_t length);
    void Notify(int kind, CSquad* squad, int action);
    int PlaySound(int sound, float volume, bool loop);
    void StopLoop(int channel);
    void LeaveTargetingFor(const CSquad* squad);
    void Redraw();
    ISquadWorld& World();
    CSquadScoreCounts& Score();
    uint32_t ModeFlags() const { return pModeFlags ? *pModeFlags : 0; }
    bool Waived() const { return (ModeFlags() & 0x4000000) != 0; }
    // Activated-unit mask of an ICS section (0 Command, 1 Operations, 2 Planning, 3 Logistics).
    uint32_t UnitBits(int section) const;
    float SquadFactor(int action, int agencyKind) const;

private:
    ISquadWorld m_emptyWorld;
    CSquadScoreCounts m_ownScore;
};
