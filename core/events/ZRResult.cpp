// Event result: defaults and its stored form in every version.
#include "core/events/ZRResult.h"

QF_IMPLEMENT_SERIAL(CZRResult, 6)

void CZRResult::Init()
{
    m_nChanceOfOccurance = 0;
    m_nDelayFrom = 0;
    m_nDelayTo = 0;
    m_nSquadKind = 0;
    m_nSquadType = -1;
    m_nSquadAgency = 9;
    m_nSquadID = -1;
    m_nOrderID = 0;
    m_nOrderX = -1;
    m_nOrderY = -1;
    m_nConnectionNodeFlag = 0;
    m_nZoneToBeFlagged = -1;
    m_nZRPoints = 0;
    m_bAAREntry = false;
    for (int32_t& score : m_anScore)
        score = 0;
    m_nCost = 0;
    m_nHazardKind = 0;
    m_nHazardX = -1;
    m_nHazardY = -1;
    m_nHazardValue = 0;
    m_bHideHazard = false;
    for (bool& equip : m_abEquipAgency)
        equip = false;
    m_nBlowBombFrom = 0;
    m_nBlowBombTo = 0;
}

bool CZRResult::Serialize(QFArchive* archive)
{
    QFBeginSection(archive, "BaseClass");
    QFSerializeBase::Serialize(archive);
    QFEndSection(archive, "BaseClass");
    const short version = QFSerializeVersion(archive, s_version);
    QFBeginSection(archive, "Members");

    QFSerializeValue(archive, &m_nChanceOfOccurance, "m_nChanceOfOccurance");
    QFSerializeValue(archive, &m_nDelayFrom, "m_nDelayFrom");
    QFSerializeValue(archive, &m_nDelayTo, "m_nDelayTo");
    QFSerializeValue(archive, &m_nSquadKind, "nTmp");
    QFSerializeValue(archive, &m_nSquadType, "m_nSquadType");
    QFSerializeValue(archive, &m_nSquadAgency, "nTmp");
    QFSerializeValue(archive, &m_nSquadID, "m_nSquadID");
    QFSerializeValue(archive, &m_nOrderID, "nTmp");
    QFSerializeValue(archive, &m_nOrderX, "nTmp");
    QFSerializeValue(archive, &m_nOrderY, "nTmp");
    QFSerializeValue(archive, &m_nConnectionNodeFlag, "m_nConnectionNodeFlag");
    QFSerializeValue(archive, &m_nZoneToBeFlagged, "m_nZoneToBeFlagged");
    QFSerializeValue(archive, &m_nZRPoints, "m_nZRPoints");
    // The hazard's kind follows its position and value.
    QFSerializeValue(archive, &m_nHazardX, "nTmp");
    QFSerializeValue(archive, &m_nHazardY, "nTmp");
    QFSerializeValue(archive, &m_nHazardValue, "nTmp");
    QFSerializeValue(archive, &m_nHazardKind, "nTmp");
    if (QFHasRetired(archive, version, 1, 4)) {
        int32_t dropped = 0;
        QFSerializeValue(archive, &dropped, "nTmp");
    }
    for (bool& equip : m_abEquipAgency)
        QFSerializeValue(archive, &equip, "m_abEquipAgency[i]");
    if (QFHasRetired(archive, version, 2, 4)) {
        int32_t dropped = 0;
        QFSerializeValue(archive, &dropped, "nTmp");
    }
    if (QFHasMember(archive, version, 3))
        QFSerializeValue(archive, &m_bHideHazard, "m_bHideHazard");
    if (QFHasMember(archive, version, 4))
        QFSerializeValue(archive, &m_bAAREntry, "m_bAAREntry");
    if (QFHasMember(archive, version, 5)) {
        for (int32_t& score : m_anScore)
            QFSerializeValue(archive, &score, "m_anScore[i]");
    }
    if (QFHasMember(archive, version, 6)) {
        QFSerializeValue(archive, &m_nCost, "m_nCost");
        QFSerializeValue(archive, &m_nBlowBombFrom, "m_nBlowBombFrom");
        QFSerializeValue(archive, &m_nBlowBombTo, "m_nBlowBombTo");
    }

    QFEndSection(archive, "Members");
    return true;
}
