// What an event does when it fires: squad order, zone flags, Resource Points, hazard, equipment, AAR, score, cost.
#pragma once

#include "core/persist/QFArchive.h"

#include <cstdint>

class CZRResult : public QFSerializeBase {
    QF_DECLARE_SERIAL(CZRResult)
public:
    CZRResult() { Init(); }
    ~CZRResult() override = default;
    CZRResult(const CZRResult&) = default;
    CZRResult& operator=(const CZRResult&) = default;

    // Sets every member to its default.
    void Init();
    bool Serialize(QFArchive* archive) override;

    int32_t m_nChanceOfOccurance;
    int32_t m_nDelayFrom;
    int32_t m_nDelayTo;
    int32_t m_nSquadKind;   // stored as "nTmp"; the editor's squad kind (0 none, 1 unit, 4 vehicle); unused in play
    int32_t m_nSquadType;   // template index, -1 = none
    int32_t m_nSquadAgency; // stored as "nTmp"; first key of the squad to order, 9 = none
    int32_t m_nSquadID;     // second key of the squad to order, -1 = none
    int32_t m_nOrderID;     // stored as "nTmp"; action number, 0 = no order
    int32_t m_nOrderX;      // stored as "nTmp"; below 0 = the squad's own position
    int32_t m_nOrderY;      // stored as "nTmp"
    int32_t m_nConnectionNodeFlag;
    int32_t m_nZoneToBeFlagged;
    int32_t m_nZRPoints;
    bool m_bAAREntry;
    int32_t m_anScore[3];
    int32_t m_nCost;
    int32_t m_nHazardKind;  // stored as "nTmp"; 0 none, 1 explosion .. 7 bomb
    int32_t m_nHazardX;     // stored as "nTmp"
    int32_t m_nHazardY;     // stored as "nTmp"
    int32_t m_nHazardValue; // stored as "nTmp"; size 0..2 or the object's value
    bool m_bHideHazard;
    bool m_abEquipAgency[5];
    int32_t m_nBlowBombFrom;
    int32_t m_nBlowBombTo;
};
