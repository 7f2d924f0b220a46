// What the incident world calls outside itself: scoring, the event trigger engine, squads, sound, message posting.
#pragma once

#include "game/rules/EventEngine.h"
#include "game/rules/Scoring.h"

#include <cstddef>
#include <cstdint>
#include <functional>

// Incident costs the scoring object charges at its own rates.
enum EIncidentCost {
    kCostFire,         // one burning tile, each fire pass
    kCostSpill,        // one chemical tile, each chemical step
    kCostWaterLeak,    // each object step
    kCostElectrical,   // each object step
    kCostGasLeak,      // each object step
    kCostDebris,       // once, at scenario end
    kCostBurntGround,  // once, at scenario end
    kCostBurntFeature, // once, at scenario end
    kCostResidue,      // once, at scenario end
};

// Statistics counters of the scoring object that the incident world raises are the scoring's own (EScoreStat:
// kStatExplosionSize1 + size, kStatGasHazards .. kStatChemicalTiles).

class IIncidentScoring {
public:
    virtual ~IIncidentScoring() = default;
    virtual void AddStat(int index, int delta) = 0;
    virtual void ChargeIncidentCost(EIncidentCost cost) = 0;
    // The value a facility re-skin records (the clock's time of day).
    virtual int32_t GetCurrentTime() const = 0;
};

// Environmental effects reported with event kind 7 (kNotifyEnvironment of the event engine).
enum EEnvironmentEffect { kEffectExplosion = 0, kEffectFire = 1, kEffectElectrical = 2, kEffectGas = 3, kEffectWater = 4 };

class IIncidentEvents {
public:
    virtual ~IIncidentEvents() = default;
    virtual void Notify(int kind, void* object, int a, int b, int c) = 0;
};

// One scenario squad as an explosion sees it.
struct CBlastSquad {
    float fX = 0.0f;
    float fY = 0.0f;
    uint32_t uFlags = 0;  // the squad's flags (0x40 protective gear)
    int nAgencyKind = -1; // 0 to 8
};

// The scenario squad list, by index.
class IIncidentSquads {
public:
    virtual ~IIncidentSquads() = default;
    virtual int SquadCount() const = 0;
    virtual bool GetSquad(int index, CBlastSquad& out) const = 0;
    // Through the squad's own clamping setters.
    virtual void AddHealth(int index, float delta) = 0;
    virtual void AddContamination(int index, float delta) = 0;
};

class IIncidentSound {
public:
    virtual ~IIncidentSound() = default;
    // The channel used, or -1.
    virtual int Play(int sound, float volume, bool loop) = 0;
    virtual void StopLoop(int channel) = 0;
};

// The game's sound manager as the incident world's sound.
IIncidentSound* GameIncidentSound();

// Posts a game message; under authority the poster applies it locally too (through the world's handler).
using IncidentPoster = std::function<void(uint16_t id, const uint8_t* payload, size_t length)>;

struct CIncidentLinks {
    IIncidentScoring* pScoring = nullptr;
    IIncidentEvents* pEvents = nullptr;
    IIncidentSquads* pSquads = nullptr;
    IIncidentSound* pSound = nullptr;
    uint32_t* pFacilityFlags = nullptr; // the EOC unit data's facility flags word (low 6 bits)
    IncidentPoster fnPost;              // none: the world applies its own messages at once (single play)
    std::function<void()> fnRefreshView;
};
