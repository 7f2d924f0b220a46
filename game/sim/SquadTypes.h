// Action ids, squad flag bits and the other small constants the squads share.
#pragma once

#include "game/rules/EventEngine.h"

#include <climits>
#include <cstdint>

// One id serves as menu order, current state, requested state and the action told to the event engine.
enum ESquadAction : int32_t {
    kActNone = 0,
    kActIdle = 1,
    kActMoveSlowly = 2,
    kActMove = 3,
    kActAssault = 4,
    kActSearchForBomb = 5,
    kActEvacuate = 6,
    kActEscort = 7,
    kActSupervise = 8,
    kActFirstAid = 9,
    kActClearDebris = 10,
    kActFightFire = 11,
    kActFightHazard = 12,
    kActDefuseBomb = 13,
    kActNegotiate = 14,
    kActUtilityWork = 15,
    kActPerimeter = 16,
    kActLoadSquad = 17,
    kActUnloadAll = 18,
    kActGetInVehicle = 19,
    kActAssisting = 20,
    kActCancel = 21,
    kActInfo = 22,
    kActExplode = 23,
    kActStartFire = 24,
    kActSpillChemical = 25,
    kActSabotageGas = 26,
    kActSabotageWater = 27,
    kActSabotageElectricity = 28,
    kActGoToIncident = 29,
    kActGoToStation = 30,
    kActReturnToStation = 31,
    kActReturnToIncident = 32,
    kActIncapacitated = 33,
    kActKilled = 34,
    kActSubdued = 35,
    kActNotReady = 36,
    kActHidden = 37,
    kActTowVehicle = 38,
    kActDirect = 39,
    kActSetKilled = 40,
    kActSetIncapacitated = 41,
    kActSetWounded = 42,
    kActSetInjured = 43,
    kActClearObstruction = 44,
    kActionCount = 45,
};

// CSquad::m_nFlags.
enum ESquadFlag : uint32_t {
    kSqPathRequest = 0x1,
    kSqFast = 0x2,
    kSqMoving = 0x4,
    kSqAreaMap = 0x8,
    kSqWaitAtStation = 0x10,
    kSqReleased = 0x20,
    kSqGear = 0x40,
    kSqPositionChanged = 0x80,
    kSqCompliant = 0x100,
    kSqDeploying = 0x200,
    kSqKilledOnce = 0x400,
    kSqIncapacitatedOnce = 0x800,
    kSqVelocitySent = 0x1000,
    kSqSoundSent = 0x2000,
    kSqInfiltrated = 0x4000,
};

// CSquad::m_nVisFlags.
enum ESquadVisFlag : uint32_t {
    kVisFirstPass = 0x1,
    kVisMoved = 0x2,
    kVisSubdued = 0x4,
    kVisAgencyBits = 0x1FFE0,
};

// Health state (m_nHealthState). Down means incapacitated or killed; not to be confused with the moving actions.
enum EHealthState : int32_t {
    kHealthWell = 0,
    kHealthInjured = 1,
    kHealthIncapacitated = 2,
    kHealthKilled = 3, // vehicles: destroyed
};

// Sprite modifier bits the squads switch.
enum ESquadModifier : int32_t {
    kModGear = 1,
    kModInjured = 2,
    kModIncapacitated = 4,
    kModKilled = 8,
    kModUnitHighlight = 16,
    kModUnitIdle = 32,
    kModDestroyed = 64,
    kModCarries = 128,
    kModVehicleHighlight = 256,
    kModVehicleIdle = 512,
};

// The event engine's notification kinds (the squads send 2, 4 and 5) come with its header.

// Facility and object codes on a cell.
enum EIncidentCode : int32_t {
    kCodeDebris = 2,
    kCodeWaterLeak = 8,
    kCodeElectrical = 9,
    kCodeGasLeak = 10,
    kCodeBomb = 128,
    kCodeBombDefused = 186,
    kCodeCommandPost = 191,
    kCodeBase = 192,
    kCodeStagingArea = 193,
    kCodeCasualtyCenter = 194,
    kCodeEvacuationCenter = 195,
    kCodeMediaCenter = 196,
    kCodeIncidentSite = 198,
};

// Squad numbers of vehicles are their id plus this.
constexpr int32_t kVehicleNumberBase = 1000;
// Size of one squad's saved-game record.
constexpr int kSquadRecordSize = 149;
// Largest action timer a saved record may hold: timers count down from at most a few thousand steps (an
// assault's exchange of fire runs longest) to 0.
constexpr int32_t kSquadTimerMax = 1000000;
// A station dispatch waits SimRand() % 15 + 5 seconds, halved when Command unit 0x80 is active: the delays a
// dispatch message (46) can carry.
constexpr int32_t kDispatchDelayBase = 5;
constexpr int32_t kDispatchDelaySpread = 15;
constexpr int32_t kDispatchDelayMin = kDispatchDelayBase / 2;
constexpr int32_t kDispatchDelayMax = kDispatchDelayBase + kDispatchDelaySpread - 1;
// Synchronisation message: header and one record.
constexpr int kSyncHeaderSize = 8;
constexpr int kSyncRecordSize = 52;
constexpr int kSyncMaxRecords = 500;
// Speed constants (pixels per movement step from the record's speed value).
constexpr float kTacticalSpeed = 0.054186776f;
constexpr float kAreaSpeed = 0.0005050505f;

// A value as a percentage of its maximum, worked out in double precision (as the x87 did) and then stored.
inline float Percent(float value, float maximum)
{
    return static_cast<float>(static_cast<double>(value) / maximum * 100.0);
}

// A float truncated toward zero; values beyond the int range are held at its ends, NaN gives 0 (positions and
// values read from outside may be anything).
inline int TruncInt(float value)
{
    if (value != value)
        return 0;
    if (value >= 2147483520.0f)
        return INT_MAX;
    if (value <= -2147483648.0f)
        return INT_MIN;
    return static_cast<int>(value);
}
