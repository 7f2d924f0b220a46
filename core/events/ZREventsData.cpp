// Events data: ownership of the script's objects, trigger lookup and the stored form in versions 1 to 4.
#include "core/events/ZREventsData.h"

#include "core/events/EventsPersist.h"

#include <algorithm>

QF_IMPLEMENT_SERIAL(CZREventsData, 4)

CZREventsData::~CZREventsData()
{
    DeleteContents();
}

void CZREventsData::DeleteContents()
{
    for (CTacticalMapZone* zone : m_vZones)
        delete zone;
    m_vZones.clear();
    for (CZREvent* event : m_lstEvents)
        delete event;
    m_lstEvents.clear();
    for (auto& [key, argument] : m_mapArguments)
        delete argument;
    m_mapArguments.clear();
    for (CZRArgument* argument : m_vDisplaced)
        delete argument;
    m_vDisplaced.clear();
}

CZRArgument* CZREventsData::FindArgument(uint32_t id) const
{
    for (const auto& [key, argument] : m_mapArguments) {
        if (argument && static_cast<uint32_t>(argument->m_nUniqueID) == id)
            return argument;
    }
    return nullptr;
}

namespace {

// The largest id in use, compared as unsigned 32-bit; ids of -1 are left out. False when there is none.
bool RaiseLargest(uint32_t& largest, int32_t id)
{
    if (id == -1)
        return false;
    largest = std::max(largest, static_cast<uint32_t>(id));
    return true;
}

void RaisePast(int32_t& counter, uint32_t largest, bool any)
{
    if (any && static_cast<uint32_t>(counter) <= largest)
        counter = static_cast<int32_t>(largest + 1u);
}

} // namespace

void CZREventsData::RaiseIdSources() const
{
    uint32_t largest = 0;
    bool any = false;
    for (const CTacticalMapZone* zone : m_vZones)
        any = (zone && RaiseLargest(largest, zone->m_nUniqueID)) || any;
    RaisePast(CTacticalMapZone::m_nZoneIDsource, largest, any);

    largest = 0;
    any = false;
    for (const CZREvent* event : m_lstEvents)
        any = (event && RaiseLargest(largest, event->m_nUniqueID)) || any;
    RaisePast(CZREvent::m_nEventIDsource, largest, any);

    largest = 0;
    any = false;
    for (const auto& [key, trigger] : m_mapArguments) {
        any = RaiseLargest(largest, static_cast<int32_t>(key)) || any;
        any = (trigger && RaiseLargest(largest, trigger->m_nUniqueID)) || any;
    }
    RaisePast(CZRArgument::m_nArgIDsource, largest, any);
}

void CZREventsData::LoadZones(QFArchive* archive)
{
    int32_t count = 0;
    QFSerializeValue(archive, &count, "nCount");
    int skipped = 0;
    for (int32_t i = 0; i < count && !archive->Failed(); ++i) {
        CTacticalMapZone* zone = events_detail::ReadOwnedElement<CTacticalMapZone>(archive, "pZone");
        if (zone)
            m_vZones.push_back(zone);
        else if (!archive->Failed())
            ++skipped;
    }
    if (skipped)
        m_vLoadProblems.push_back(std::to_string(skipped) + " empty zone record(s) skipped");
    // The next new zone follows the largest loaded id.
    uint32_t largest = 0;
    for (const CTacticalMapZone* zone : m_vZones)
        largest = std::max(largest, static_cast<uint32_t>(zone->m_nUniqueID));
    CTacticalMapZone::m_nZoneIDsource = static_cast<int32_t>(largest + 1u);
}

void CZREventsData::LoadEvents(QFArchive* archive)
{
    int32_t count = 0;
    QFSerializeValue(archive, &count, "nCount");
    int skipped = 0;
    for (int32_t i = 0; i < count && !archive->Failed(); ++i) {
        CZREvent* event = events_detail::ReadOwnedElement<CZREvent>(archive, "pEvent");
        if (event)
            m_lstEvents.push_back(event);
        else if (!archive->Failed())
            ++skipped;
    }
    if (skipped)
        m_vLoadProblems.push_back(std::to_string(skipped) + " empty event record(s) skipped");
}

void CZREventsData::LoadArguments(QFArchive* archive)
{
    int32_t count = 0;
    QFSerializeValue(archive, &count, "nCount");
    for (int32_t i = 0; i < count && !archive->Failed(); ++i) {
        uint32_t key = 0;
        QFSerializeULong(archive, &key, "nKey");
        if (archive->Failed())
            break;
        CZRArgument* argument = events_detail::ReadOwnedElement<CZRArgument>(archive, "pArg");
        if (!argument) {
            if (!archive->Failed())
                m_vLoadProblems.push_back("empty trigger record under key " + std::to_string(key) + " skipped");
            continue;
        }
        if (argument->LoadSkippedConditions())
            m_vLoadProblems.push_back("trigger " + std::to_string(key) + ": " +
                                      std::to_string(argument->LoadSkippedConditions()) +
                                      " empty condition record(s) skipped");
        auto [it, inserted] = m_mapArguments.emplace(key, argument);
        if (!inserted) {
            // The later trigger takes the key, as it always did; the one it displaces is no longer lost.
            m_vDisplaced.push_back(it->second);
            it->second = argument;
            m_vLoadProblems.push_back("trigger key " + std::to_string(key) + " repeated; the earlier one dropped");
        }
    }
}

bool CZREventsData::Serialize(QFArchive* archive)
{
    QFBeginSection(archive, "BaseClass");
    QFSerializeBase::Serialize(archive);
    QFEndSection(archive, "BaseClass");
    const short version = QFSerializeVersion(archive, s_version);
    QFBeginSection(archive, "Members");

    if (archive->IsLoading()) {
        DeleteContents();
        m_vLoadProblems.clear();
    }
    QFSerializeValue(archive, &m_strOriginalScenarioTitle, "m_strOriginalScenarioTitle");
    QFSerializeValue(archive, &m_nGameStartTime, "m_nGameStartTime");
    QFSerializeValue(archive, &m_strIntroText, "m_strIntroText");
    events_detail::SerializeIdULong(archive, &CZRArgument::m_nArgIDsource, "CZRArgument::m_nArgIDsource");
    events_detail::SerializeIdULong(archive, &CZREvent::m_nEventIDsource, "CZREvent::m_nEventIDsource");
    if (archive->IsStoring()) {
        int32_t count = static_cast<int32_t>(m_vZones.size());
        QFSerializeValue(archive, &count, "nCount");
        for (CTacticalMapZone* zone : m_vZones)
            events_detail::WriteOwnedElement(archive, zone, "pZone");
        count = static_cast<int32_t>(m_lstEvents.size());
        QFSerializeValue(archive, &count, "nCount");
        for (CZREvent* event : m_lstEvents)
            events_detail::WriteOwnedElement(archive, event, "pEvent");
        count = static_cast<int32_t>(m_mapArguments.size());
        QFSerializeValue(archive, &count, "nCount");
        for (auto& [key, argument] : m_mapArguments) {
            uint32_t storedKey = key;
            QFSerializeULong(archive, &storedKey, "nKey");
            events_detail::WriteOwnedElement(archive, argument, "pArg");
        }
    } else {
        LoadZones(archive);
        LoadEvents(archive);
        LoadArguments(archive);
        // Stored counters below the stored ids would hand out ids in use.
        RaiseIdSources();
    }
    if (QFHasMember(archive, version, 2))
        QFSerializeValue(archive, &m_nGameEndTime, "m_nGameEndTime");
    if (QFHasRetired(archive, version, 3, 3)) {
        int32_t dropped = 0;
        QFSerializeValue(archive, &dropped, "nCount");
        QFSerializeValue(archive, &dropped, "nCount");
    }

    QFEndSection(archive, "Members");
    if (archive->IsLoading() && version <= 1)
        m_nGameEndTime = static_cast<int32_t>(static_cast<uint32_t>(m_nGameStartTime) + 400u);
    // Nothing is unsaved after a load or a store that went through.
    if (archive->IsLoading() || !archive->Failed())
        m_bModified = false;
    return archive->IsStoring() || m_vLoadProblems.empty();
}
