// The area-map document: its stored form and the sprite manager it owns.
#include "core/world/AreaMapData.h"

#include "core/persist/QFArchive.h"
#include "core/world/SpriteManager.h"
#include "core/world/StationData.h"
#include "core/world/WorldContext.h"
#include "platform/system/Paths.h"

#include <string>

QF_IMPLEMENT_SERIAL(CAreaMapData, 1)

CAreaMapData::CAreaMapData()
{
    std::string folder = platform::CurrentFolder();
    CopyName(m_szBaseFolder, kPathSize, folder.c_str());
    WorldContext().m_strBaseFolder = folder;
}

CAreaMapData::~CAreaMapData()
{
    delete m_pSpriteManager;
}

bool CAreaMapData::Serialize(QFArchive* archive)
{
    if (archive->IsLoading()) {
        delete m_pSpriteManager;
        m_pSpriteManager = nullptr;
    }
    QFBeginSection(archive, "BaseClass");
    QFSerializeBase::Serialize(archive);
    QFEndSection(archive, "BaseClass");
    QFSerializeVersion(archive, s_version);
    QFBeginSection(archive, "Members");
    std::string bitmap = m_szMapBitmap;
    QFSerializeValue(archive, &bitmap, "str");
    QFSerializeValue(archive, &m_nMapScale, "m_nMapScale");
    uint32_t count = archive->IsStoring() ? kStationIdCounters : 0;
    QFSerializeValue(archive, &count, "nCount");
    if (archive->IsLoading())
        CopyName(m_szMapBitmap, kPathSize, bitmap.c_str());
    // The file may hold more counters than the document keeps: the surplus is read and dropped.
    for (uint32_t i = 0; i < count && !archive->Failed(); ++i) {
        uint32_t value = i < kStationIdCounters ? m_naNextStationID[i] : 0;
        QFSerializeValue(archive, &value, "m_naNextStationID[i]");
        if (i < kStationIdCounters && !archive->Failed())
            m_naNextStationID[i] = value;
    }
    QFSerializePointer(archive, &m_pSpriteManager, "CSpriteManager");
    QFEndSection(archive, "Members");
    m_bModified = false;
    return true;
}
