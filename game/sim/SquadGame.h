// The game's squads: the two squad managers with their shared services, wired to the game object's messages,
// steps and scenario objects; and the registration of the game's persistent classes.
#pragma once

#include "core/world/WorldTypes.h"
#include "game/sim/SquadServices.h"

#include <cstdio>
#include <memory>

class CByteReader;
class CByteWriter;
class CGame;
class CSquadManager;
class CSquadIncidentWorld;
class CSquadBlastList;

// Registers the game's persistent classes (after the core's).
void RegisterGameClasses();

class CSquadGame {
public:
    explicit CSquadGame(CGame& game);
    ~CSquadGame();
    CSquadGame(const CSquadGame&) = delete;
    CSquadGame& operator=(const CSquadGame&) = delete;

    // Routes the squad message ids to the managers' handlers.
    void InstallHandlers();
    // Creates both managers over the game's loaded scenario (tactical map first, then the area map) and joins
    // them to the incident world when the game has one.
    void AttachScenario();
    // Drops both managers (before the sprites they point at go).
    void Release();
    // Every machine, every 33 ms.
    void MovementStep();
    // The authority, every 500 ms: order work, condition, synchronisation (44 and 45).
    void GameStep();
    // Saved game: both managers' blocks (scenario first), links resolved once both are read.
    bool SaveSquads(FILE* file) const;
    bool LoadSquads(FILE* file);
    // Saved game: what the blocks leave out of the squads' movement (paths, headings, waiting state changes),
    // scenario first. Loading, after the blocks, checks both managers' records before it changes anything.
    void SaveMovement(CByteWriter& out) const;
    bool LoadMovement(CByteReader& in);
    // The start of play after a load: moving squads whose movement was not saved ask for their paths again, area
    // route speeds, and the authority's synchronisation records (44).
    void ResumeAfterLoad();
    // Takes the local player, roles and authority from the game (they change when a session starts).
    void RefreshPlayer();

    CSquadManager* Scenario() const { return m_pScenario.get(); }
    CSquadManager* Area() const { return m_pArea.get(); }

    CSquadServices m_services;
    CModeRecord m_drawFilter;   // the sprite draw filter the squads read
    CModeRecord m_markerFilter; // the waypoint-marker switch
    RECT m_rcView{};            // the view the sprites' screen rectangles follow
    int32_t m_nMapLayer = 0;
    CSquadScoreCounts m_score;

private:
    CGame& m_game;
    std::unique_ptr<CSquadManager> m_pScenario;
    std::unique_ptr<CSquadManager> m_pArea;
    std::unique_ptr<CSquadIncidentWorld> m_pWorldView;
    std::unique_ptr<CSquadBlastList> m_pBlastList;
};
