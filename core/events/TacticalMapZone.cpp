// Map zone: construction with a fresh id, tile snapping, the point test and its stored form.
#include "core/events/TacticalMapZone.h"

#include "core/events/EventsPersist.h"

QF_IMPLEMENT_SERIAL(CTacticalMapZone, 1)

int32_t CTacticalMapZone::m_nZoneIDsource = 0;

CTacticalMapZone::CTacticalMapZone() : m_nUniqueID(events_detail::TakeNextId(m_nZoneIDsource)) {}

void CTacticalMapZone::SnapBoundingBox()
{
    m_rcBoundingBox.left = (m_rcBoundingBox.left / 32) * 32;
    m_rcBoundingBox.top = (m_rcBoundingBox.top / 32) * 32;
    m_rcBoundingBox.right = (m_rcBoundingBox.right / 32) * 32 + 31;
    m_rcBoundingBox.bottom = (m_rcBoundingBox.bottom / 32) * 32 + 31;
}

bool CTacticalMapZone::ContainsPoint(int32_t x, int32_t y) const
{
    return m_rcBoundingBox.left <= x && x < m_rcBoundingBox.right && m_rcBoundingBox.top <= y &&
           y < m_rcBoundingBox.bottom;
}

bool CTacticalMapZone::Serialize(QFArchive* archive)
{
    QFBeginSection(archive, "BaseClass");
    QFSerializeBase::Serialize(archive);
    QFEndSection(archive, "BaseClass");
    QFSerializeVersion(archive, s_version);
    QFBeginSection(archive, "Members");

    QFSerializeValue(archive, &m_strZoneName, "m_strZoneName");
    events_detail::SerializeIdULong(archive, &m_nUniqueID, "m_nUniqueID");
    if (archive->IsStoring()) {
        int32_t count = static_cast<int32_t>(m_lstPoints.size());
        QFSerializeValue(archive, &count, "nCount");
        for (ZonePoint& pt : m_lstPoints) {
            QFSerializeLong(archive, &pt.x, "pt.x");
            QFSerializeLong(archive, &pt.y, "pt.y");
        }
    } else {
        int32_t count = 0;
        QFSerializeValue(archive, &count, "nCount");
        for (int32_t i = 0; i < count && !archive->Failed(); ++i) {
            ZonePoint pt;
            QFSerializeLong(archive, &pt.x, "pt.x");
            QFSerializeLong(archive, &pt.y, "pt.y");
            if (archive->Failed())
                break;
            m_lstPoints.push_back(pt);
        }
    }
    QFSerializeValue(archive, &m_bUseMBR, "m_bUseMBR");
    if (archive->IsLoading())
        m_bUseMBR = true;
    QFSerializeLong(archive, &m_rcBoundingBox.left, "m_rcBoundingBox.left");
    QFSerializeLong(archive, &m_rcBoundingBox.top, "m_rcBoundingBox.top");
    QFSerializeLong(archive, &m_rcBoundingBox.right, "m_rcBoundingBox.right");
    QFSerializeLong(archive, &m_rcBoundingBox.bottom, "m_rcBoundingBox.bottom");

    QFEndSection(archive, "Members");
    return true;
}
