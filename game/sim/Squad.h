// One mobile unit on a map (responder squad, vehicle, civilian or threat): its record, states, movement,
// order work and condition, and its saved-game record.
#pragma once

#include "core/world/TileVisitor.h"
#include "game/sim/SquadTypes.h"

#include <cstdint>
#include <vector>

class CByteReader;
class CByteWriter;
class CPathTile;
class CSprite;
class CSquadManager;
class CSquadServices;
class ISquadWorld;
struct CUnitTaskRecord;

// One waypoint of a squad's path (owned by the squad's lists).
struct CWaypoint {
    CSprite* pMarker = nullptr; // terrain-feature marker on the map, may be null
    CWaypoint* pNext = nullptr;
    int32_t x = 0;
    int32_t y = 0;
    float speed = 0.0f; // pixels per movement step
};

// What a squad's saved record leaves out of its movement: the path in use with its speeds, where the squad is
// heading within it, the state change waiting for the next step and the visibility pass's marks. Kept beside the
// record in a saved game, so that a restored squad goes on exactly as the one that was saved.
struct CSquadMovement {
    struct Point {
        int32_t x = 0;
        int32_t y = 0;
        float speed = 0.0f;
    };
    int32_t nNumber = -1;
    int32_t nDestX = -1; // the pending destination
    int32_t nDestY = -1;
    int32_t nLastDestX = -1; // the destination of the path in use
    int32_t nLastDestY = -1;
    float fVelX = 0.0f;
    float fVelY = 0.0f;
    float fStepTargetX = 0.0f;
    float fStepTargetY = 0.0f;
    float fSeenX = 0.0f;
    float fSeenY = 0.0f;
    uint32_t nVisFlags = 0;
    int32_t nRequestedState = 0;
    uint8_t abRequest[3] = {}; // stop, notify end, notify start
    int32_t nOrderPlayer = -1;
    std::vector<Point> aWaypoints; // the list in use, next waypoint first
};

// A point of a path as the path finder or a station route gives it, goal first.
struct CPathPoint {
    int32_t x = 0; // tile origin (or route point)
    int32_t y = 0;
    int32_t size = 32; // 8 for a sub-tile
};

class CSquad : public CTileVisitor {
public:
    explicit CSquad(int32_t id);
    ~CSquad() override;
    CSquad(const CSquad&) = delete;
    CSquad& operator=(const CSquad&) = delete;

    // ---- record and states ----
    void AttachSprite(CSprite* sprite, CSquadManager* manager);
    void SetState(int action, bool stop, bool notifyEnd, bool notifyStart);
    void Stop();
    void SetOrder(int action, bool stop, bool notifyEnd, bool notifyStart);
    void GiveOrder(int32_t player, int action, int x, int y, uint32_t flagBits, CSquad* target);
    int GetStatusIndex() const;
    bool IsResponder() const;
    bool HasLoadedSquads() const;
    bool Visit(CPathTile* tile) override;
    void SaveState(CByteWriter& out) const;
    // Reads the record after the number and placement; links stay numbers until ResolveLoadedLinks.
    bool LoadState(CByteReader& in);
    void ResolveLoadedLinks();
    // The movement the record leaves out, and putting it back (the path replaces any the record gave).
    CSquadMovement TakeMovement() const;
    void ApplyMovement(const CSquadMovement& movement);

    // Small queries.
    int AgencyKind() const;
    int TemplateIndex() const;
    bool IsVehicle() const;
    bool IsDown() const { return m_nHealthState == kHealthIncapacitated || m_nHealthState == kHealthKilled; }
    bool IsKilled() const { return m_nHealthState == kHealthKilled; }
    bool IsHidden() const;
    bool IsLoaded() const;
    bool IsCompliant() const { return (m_nFlags & kSqCompliant) != 0; }
    bool OnAreaMap() const { return (m_nFlags & kSqAreaMap) != 0; }
    int32_t Number() const;
    static bool IsMovingAction(int action);
    CSquadServices& Services() const;
    bool InMap(int x, int y) const;
    // Idle marker on or off (not for civilians and threats).
    void SetIdleMarker(bool on);

    // ---- movement ----
    void MovementStep();
    void RequestPath();
    void BuildWaypoints(const std::vector<CPathPoint>& path, bool showMarkers);
    void FollowWaypoints();
    void PositionStep();
    void UpdateVisibility();
    bool StartStationRoute(int action);
    void PostOrder();
    void PostPosition(float vx, float vy, float targetX, float targetY);
    void PlayActionSound(int sound, bool force, float volume = 1.0f, bool loop = false);
    void PlayDriveSound();
    void StopLoopSound();
    // Applies an order record (message 31 / 41) and a position record (55 / 56).
    void ApplyOrder(int32_t player, int order, CSquad* target);
    void ApplyPosition(float vx, float vy, float tx, float ty, float x, float y, int32_t orderPlayer);
    // Places the sprite at the rounded position and refreshes its screen rectangle.
    void PlaceSprite();
    void FreeWaypoints(CWaypoint*& list);
    // A one-node waypoint list at a point (no marker).
    void SetSingleWaypoint(int x, int y);
    // A terrain-feature marker centred on a path tile at (x, y) of the given size, from the manager's sprites.
    CSprite* MakeMarker(int x, int y, int size);

    // ---- condition and order work (authority) ----
    void GameStep();
    void UpdateCondition();
    void UpdateHealthState();
    bool AddHealth(float delta);
    bool AddContamination(float delta);
    void AccrueCost();
    void DoWork();
    void IdleBehaviour();
    void LinkCheck();
    // Ends the current action: SetState(1, stop, notify end, notify start).
    void EndAction();
    bool LoadSquad(CSquad* squad, bool apply, bool force);

    // Target tests (Part of the order rules); `apply` does what the test found.
    bool CanAssault(const CSquad* other) const;
    bool CanAid(const CSquad* other) const;
    bool CanDirect(const CSquad* other) const;
    bool CanSupervise(const CSquad* other) const;
    bool CanLoad(const CSquad* other) const;
    bool HasRoomFor(const CSquad* unit) const;
    CSquad* FindCasualty(bool apply);
    bool GatherFollowers(bool apply);
    CSquad* FindTowVehicle(bool apply);
    CSquad* BestAssaultTarget() const;

    // Geometry helpers of the rules.
    bool InRange(const CSquad* other, int range) const;
    bool InSight(const CSquad* other) const;
    bool IsSeenBy(const CSquad* viewer) const;
    float MediaFactor();
    float AssistFactor(int action);
    float Work(int action, float ability, bool withAssist = true);
    float AbilityFor(int action) const;
    void SendTo(CSquad* other, int x, int y); // other moves to (x, y), next state 2, path request

    // ---- fields, in record order ----
    float m_fVisitAmount = 0.0f;
    float m_fVisitResult = 0.0f;
    int32_t m_nID = 0;
    CSprite* m_pSprite = nullptr;
    CSprite* m_pHomeStation = nullptr;
    CUnitTaskRecord* m_pUnitRecord = nullptr;
    CSquad* m_pLink = nullptr;
    uint32_t m_nFlags = 0;
    uint32_t m_nVisFlags = 0;
    float m_fHealth = 0.0f;
    float m_fHealthPct = 0.0f;
    float m_fFatigue = 0.0f;
    float m_fFatiguePct = 0.0f;
    float m_fContamination = 0.0f;
    float m_fEfficiency = 0.0f;
    float m_fInjuredRate = 0.5f;
    float m_fRestRate = 2.0f;
    float m_fRecoveryRate = 1.1f;
    float m_fWorkRate = 0.8f;
    int32_t m_nHealthState = kHealthWell;
    int32_t m_nFatigueLevel = 0;
    float m_fDeployX = 0.0f;
    float m_fDeployY = 0.0f;
    int32_t m_nDestX = -1;
    int32_t m_nDestY = -1;
    int32_t m_nLastDestX = -1;
    int32_t m_nLastDestY = -1;
    float m_fX = 0.0f;
    float m_fY = 0.0f;
    float m_fReportedX = 0.0f;
    float m_fReportedY = 0.0f;
    float m_fSeenX = 0.0f;
    float m_fSeenY = 0.0f;
    float m_fVelX = 0.0f;
    float m_fVelY = 0.0f;
    float m_fStepTargetX = 0.0f;
    float m_fStepTargetY = 0.0f;
    CWaypoint* m_pWaypoints = nullptr;
    CWaypoint* m_pNewWaypoints = nullptr;
    CPathTile* m_pTile = nullptr;
    uint8_t m_nState = kActNone;
    int32_t m_nNextState = 0;
    int32_t m_nRequestedState = 0;
    bool m_bRequestStop = false;
    bool m_bRequestNotifyEnd = false;
    bool m_bRequestNotifyStart = false;
    int32_t m_nOrderPlayer = -1;
    CSquad* m_pTarget = nullptr;
    int32_t m_nTimer = 0;
    int32_t m_nOutcome = 0;
    CSquad* m_apLoaded[4] = {};
    CSquadManager* m_pManager = nullptr;
    int32_t m_nSoundChannel = -1;

    // Numbers read from a saved game, resolved once both managers are loaded (-1 none).
    int32_t m_nLoadLink = -1;
    int32_t m_nLoadTarget = -1;
    int32_t m_anLoadLoaded[4] = {-1, -1, -1, -1};
    // Set when a saved game gave back the squad's movement: the start of play leaves its path as it is.
    bool m_bMovementLoaded = false;

private:
    void WorkSearchForBomb();
    void WorkEvacuate();
    void WorkEscort();
    void WorkSupervise();
    void WorkFirstAid();
    void WorkClearDebris();
    void RollHazardWork(float chance, int base);
    void FinishHazardWork(ISquadWorld& world);
    void WorkFightFire();
    void WorkFightHazard();
    void WorkUtility();
    void WorkPerimeter();
    void WorkLoad();
    void WorkUnload();
    void WorkGetIn();
    void WorkAssisting();
    void WorkAssault();
    void WorkDefuse();
    void WorkNegotiate();
    void WorkNotReady();
    void WorkSetHealth(int action);
    void WorkClearObstruction();
    void UpdateVehicleCondition();
    void GoDown(int action, bool report);
    void TakeDamage(const CSquad* winner, float contaminationFactor);
    void Subdue();
};
