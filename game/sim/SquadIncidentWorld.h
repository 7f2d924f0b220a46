// The incident world as the squads see it, and the scenario squads as the incident world's explosions see them.
#pragma once

#include "game/sim/IncidentLinks.h"
#include "game/sim/SquadServices.h"

class CIncidentWorld;
class CSquad;
class CSquadManager;

class CSquadIncidentWorld : public ISquadWorld {
public:
    explicit CSquadIncidentWorld(CIncidentWorld& world) : m_world(world) {}

    int FireClassAt(CPathTile* tile) override;
    float FireIntensityAt(CPathTile* tile) override;
    float ChemicalAt(CPathTile* tile) override;
    void ReduceFire(CPathTile* tile, float amount) override;
    void ReduceChemical(CPathTile* tile, float amount) override;
    bool FireWithin(CPathTile* tile, int rings) override;
    bool ChemicalWithin(CPathTile* tile, int rings) override;
    int ObjectAt(CPathTile* tile, bool* hidden) override;
    float ObjectValueAt(CPathTile* tile) override;
    int FacilityAt(CPathTile* tile) override;
    void RevealBomb(CPathTile* tile) override;
    void AddHazardEntry(int x, int y, int code, float value) override;
    void AddChemicalEntry(int x, int y, float amount) override;
    void SendBatch() override;
    void StartFire(int x, int y, int intensity) override;
    void ApplyIncidentType(int type, int x, int y) override;
    CPathTile* SafestCell(CPathTile* tile) override;
    bool FindFacility(int code, int* x, int* y, bool* subdivided) override;
    int ObstructionAt(int x, int y) override;
    void WorkObstruction(int obstruction, float amount) override;
    float FireFightingFactor() override;
    float ContaminationFactor() override;
    float GearHeatFactor() override;
    float GearChemicalFactor() override;
    float SpillFactor() override;

private:
    CIncidentWorld& m_world;
};

// The scenario manager's squads, units then vehicles, for the explosions.
class CSquadBlastList : public IIncidentSquads {
public:
    explicit CSquadBlastList(CSquadManager* manager) : m_pManager(manager) {}
    int SquadCount() const override;
    bool GetSquad(int index, CBlastSquad& out) const override;
    void AddHealth(int index, float delta) override;
    void AddContamination(int index, float delta) override;

private:
    CSquad* At(int index) const;
    CSquadManager* m_pManager;
};
