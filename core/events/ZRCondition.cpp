// Condition base: its stored part and the kind-to-trigger-bit table.
#include "core/events/ZRCondition.h"

QF_IMPLEMENT_SERIAL(CZRCondition, 1)

bool CZRCondition::Serialize(QFArchive* archive)
{
    QFBeginSection(archive, "BaseClass");
    QFSerializeBase::Serialize(archive);
    QFEndSection(archive, "BaseClass");
    QFSerializeVersion(archive, CZRCondition::s_version);
    QFBeginSection(archive, "Members");
    QFSerializeValue(archive, &m_bState, "m_bState");
    QFSerializeValue(archive, &m_nKind, "tmp");
    QFEndSection(archive, "Members");
    return true;
}

uint16_t ConditionKindBit(int32_t kind)
{
    switch (kind) {
    case kConditionTime:
        return 0x01;
    case kConditionEvent:
        return 0x02;
    case kConditionLocation:
        return 0x04;
    case kConditionUnitActivation:
        return 0x08;
    case kConditionAction:
        return 0x10;
    case kConditionSquadProximity:
        return 0x20;
    case kConditionIAP:
        return 0x40;
    case kConditionEnvironment:
        return 0x80;
    default:
        return 0;
    }
}
