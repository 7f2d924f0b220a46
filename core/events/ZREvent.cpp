// Event: construction, the recipient helpers and its stored form in versions 1 to 3.
#include "core/events/ZREvent.h"

#include "core/events/EventsPersist.h"

QF_IMPLEMENT_SERIAL(CZREvent, 3)

int32_t CZREvent::m_nEventIDsource = 0;

CZREvent::CZREvent(bool takeNewId) : m_nUniqueID(takeNewId ? events_detail::TakeNextId(m_nEventIDsource) : -1)
{
    Clear();
}

CZREvent::~CZREvent()
{
    delete m_pResult;
}

CZREvent& CZREvent::operator=(const CZREvent& source)
{
    if (this == &source)
        return *this;
    m_bIsDelayed = source.m_bIsDelayed;
    m_bIsEndEvent = source.m_bIsEndEvent;
    m_strEventName = source.m_strEventName;
    m_strEventTitle = source.m_strEventTitle;
    m_strEventText = source.m_strEventText;
    m_bHasBeenExecuted = source.m_bHasBeenExecuted;
    m_bRepeatableEvent = source.m_bRepeatableEvent;
    m_nChanceOfResult = source.m_nChanceOfResult;
    m_nDelayResultFrom = source.m_nDelayResultFrom;
    m_nDelayResultTo = source.m_nDelayResultTo;
    m_vTrigger = source.m_vTrigger;
    nTmp = source.nTmp;
    CZRResult* result = source.m_pResult ? new CZRResult(*source.m_pResult) : nullptr;
    delete m_pResult;
    m_pResult = result;
    return *this;
}

void CZREvent::Clear()
{
    m_nChanceOfResult = 100;
    m_nDelayResultFrom = 0;
    m_nDelayResultTo = 0;
    m_bIsDelayed = false;
    m_bIsEndEvent = false;
    m_strEventName.clear();
    m_strEventTitle.clear();
    m_strEventText.clear();
    m_bHasBeenExecuted = false;
    m_bListedByTimeTrigger = false;
    m_bRepeatableEvent = false;
    m_vTrigger.clear();
    m_vTrigger.shrink_to_fit();
    nTmp = 0;
    delete m_pResult;
    m_pResult = nullptr;
}

bool CZREvent::HasAAREntry() const
{
    return m_pResult != nullptr && m_pResult->m_bAAREntry;
}

int32_t AgencyBitFromIndex(int32_t index)
{
    return static_cast<uint32_t>(index) <= 16u ? (1 << index) : 0;
}

int32_t UpgradeRecipientFlags(int32_t value)
{
    switch (value) {
    case 1:
    case 2:
    case 4:
    case 8:
    case 16:
        return value;
    case 32:
        return 1024;
    case 64:
        return 2048;
    case 128:
        return 4096;
    case 1024:
        return 8192;
    case 2048:
        return 16384;
    case 4096:
        return 32768;
    case 8192:
        return 65536;
    default:
        return 0;
    }
}

bool CZREvent::Serialize(QFArchive* archive)
{
    QFBeginSection(archive, "BaseClass");
    QFSerializeBase::Serialize(archive);
    QFEndSection(archive, "BaseClass");
    const short version = QFSerializeVersion(archive, s_version);
    QFBeginSection(archive, "Members");

    QFSerializeValue(archive, &m_strEventName, "m_strEventName");
    if (QFHasMember(archive, version, 2))
        QFSerializeValue(archive, &m_strEventTitle, "m_strEventTitle");
    events_detail::SerializeIdULong(archive, &m_nUniqueID, "m_nUniqueID");
    QFSerializeValue(archive, &m_strEventText, "m_strEventText");
    QFSerializeValue(archive, &m_bIsDelayed, "m_bIsDelayed");
    QFSerializeValue(archive, &m_bIsEndEvent, "m_bIsEndEvent");
    QFSerializeValue(archive, &m_bHasBeenExecuted, "m_bHasBeenExecuted");
    QFSerializeValue(archive, &m_bRepeatableEvent, "m_bRepeatableEvent");
    QFSerializeValue(archive, &m_nChanceOfResult, "m_nChanceOfResult");
    QFSerializeValue(archive, &m_nDelayResultFrom, "m_nDelayResultFrom");
    QFSerializeValue(archive, &m_nDelayResultTo, "m_nDelayResultTo");
    if (archive->IsStoring()) {
        int32_t count = static_cast<int32_t>(m_vTrigger.size());
        QFSerializeValue(archive, &count, "nCount");
        for (uint32_t& id : m_vTrigger)
            QFSerializeULong(archive, &id, "m_vTrigger[i]");
    } else {
        int32_t count = 0;
        QFSerializeValue(archive, &count, "nCount");
        // Grows with what is read: a count from the file is never trusted for an allocation.
        for (int32_t i = 0; i < count && !archive->Failed(); ++i) {
            uint32_t id = 0;
            QFSerializeULong(archive, &id, "m_vTrigger[i]");
            if (archive->Failed())
                break;
            m_vTrigger.push_back(id);
        }
    }
    QFSerializeValue(archive, &nTmp, "nTmp");
    if (archive->IsLoading() && version <= 2)
        nTmp = UpgradeRecipientFlags(nTmp);
    if (archive->IsLoading() && m_pResult) {
        // Reading over a result this event already holds: the file's one replaces it.
        delete m_pResult;
        m_pResult = nullptr;
    }
    QFSerializePointer(archive, &m_pResult, "m_pResult");

    QFEndSection(archive, "Members");
    return true;
}
