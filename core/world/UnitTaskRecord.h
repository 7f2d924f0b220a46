// The record of a unit or vehicle template, copied into each unit and vehicle sprite.
#pragma once

#include <cstdint>

struct CUnitTaskRecord {
    int32_t m_nAgencyKind = 0;
    char m_szCarrierName[260] = {};
    float m_fCostRate = 0.0f;
    float m_fListValue6 = 0.0f;
    float m_fMaxHealth = 0.0f;
    int32_t m_nDamageLow = 0;
    int32_t m_nDamageHigh = 0;
    int32_t m_nPersons = 0;
    char m_szListText11[260] = {};
    float m_fMaxFatigue = 0.0f;
    float m_fSpeed = 0.0f;
    float m_fAssault = 0.0f;
    float m_fPerimeter = 0.0f;
    float m_fEvacuate = 0.0f;
    float m_fSearchForBomb = 0.0f;
    float m_fFirstAid = 0.0f;
    float m_fClearDebris = 0.0f;
    float m_fFightFire = 0.0f;
    float m_fFightHazard = 0.0f;
    float m_fDefuseBomb = 0.0f;
    float m_fNegotiate = 0.0f;
    float m_fDirect = 0.0f;
    float m_fUtilityWork = 0.0f;
    float m_fEscort = 0.0f;
    float m_fSupervise = 0.0f;
    int32_t m_nCapacity = 0;
    int32_t m_nDetectionRange = 0;
    int32_t m_nInfoEntry = 0;
    int32_t m_nResourceCost = 0;
};
