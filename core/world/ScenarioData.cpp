// Scenario description: defaults, the description text and the stored form in versions 1 to 4.
#include "core/world/ScenarioData.h"

#include "core/events/EventsPersist.h"
#include "core/events/ZREventsData.h"
#include "core/persist/QFFileStream.h"

#include <algorithm>

#include <cstring>

QF_IMPLEMENT_SERIAL(CScenarioData, 4)

CScenarioData::CScenarioData()
{
    std::memset(m_szTitle, 0, sizeof(m_szTitle));
    std::strcpy(m_szTitle, "unnamed");
    SetDescription("Describe incident here");
}

CScenarioData::~CScenarioData()
{
    delete m_pEvents;
}

bool CScenarioData::CreateEventsData()
{
    if (!m_pEvents)
        m_pEvents = new CZREventsData();
    return true;
}

void CScenarioData::SetDescription(const char* text)
{
    m_pszDescription.reset();
    if (text && *text) {
        const size_t length = std::strlen(text);
        m_pszDescription = std::make_unique<char[]>(length + 1);
        std::memcpy(m_pszDescription.get(), text, length + 1);
    }
}

// The graded messages: a count, then per grade its break and its message. Only three grades have a break:
// storing writes at most three, and loading reads every pair a file holds but keeps the first three.
void CScenarioData::SerializeGrades(QFArchive* archive, int32_t* breaks, std::vector<std::string>* messages,
                                    const char* breakName)
{
    if (archive->IsStoring()) {
        int32_t count = static_cast<int32_t>(std::min<size_t>(messages->size(), kGradeCount));
        QFSerializeValue(archive, &count, "nCount");
        for (int32_t i = 0; i < count; ++i) {
            QFSerializeValue(archive, &breaks[i], breakName);
            QFSerializeValue(archive, &(*messages)[static_cast<size_t>(i)], "str");
        }
        return;
    }
    int32_t count = 0;
    QFSerializeValue(archive, &count, "nCount");
    for (int32_t i = 0; i < count && !archive->Failed(); ++i) {
        int32_t value = 0;
        std::string message;
        QFSerializeValue(archive, &value, breakName);
        QFSerializeValue(archive, &message, "str");
        if (archive->Failed() || i >= kGradeCount)
            continue;
        breaks[i] = value;
        messages->push_back(std::move(message));
    }
}

bool CScenarioData::Serialize(QFArchive* archive)
{
    QFBeginSection(archive, "BaseClass");
    QFSerializeBase::Serialize(archive);
    QFEndSection(archive, "BaseClass");
    const short version = QFSerializeVersion(archive, s_version);
    QFBeginSection(archive, "Members");

    // Title and description, each behind its length (the length is dropped on reading).
    std::string title(m_szTitle, strnlen(m_szTitle, kTitleSize));
    std::string description = m_pszDescription ? m_pszDescription.get() : "";
    int32_t length = static_cast<int32_t>(title.size());
    QFSerializeValue(archive, &length, "len");
    QFSerializeValue(archive, &title, "str");
    length = static_cast<int32_t>(description.size());
    QFSerializeValue(archive, &length, "len");
    QFSerializeValue(archive, &description, "str");
    if (archive->IsLoading()) {
        std::memset(m_szTitle, 0, sizeof(m_szTitle));
        std::strncpy(m_szTitle, title.c_str(), kTitleSize - 1);
        SetDescription(description.c_str());
    }
    QFSerializeValue(archive, &m_nWindDirection, "dir");
    QFSerializeValue(archive, &m_nWindSpeed, "m_nWindSpeed");
    if (QFHasRetired(archive, version, SHRT_MIN, 2)) {
        int32_t dropped = 0;
        QFSerializeLong(archive, &dropped, "ltime");
        QFSerializeLong(archive, &dropped, "ltime");
    }
    if (QFHasMember(archive, version, 2)) {
        if (archive->IsStoring()) {
            QFSerializePointer(archive, &m_pEvents, "m_pEvents");
        } else {
            delete m_pEvents;
            // Read whole here (a forward reference is refused): an empty one may be made just below.
            m_pEvents = events_detail::ReadOwnedElement<CZREventsData>(archive, "m_pEvents");
        }
    }
    if (QFHasMember(archive, version, 4)) {
        if (archive->IsLoading()) {
            m_vScoreMessages.clear();
            m_vCostMessages.clear();
        }
        QFSerializeValue(archive, &m_nPredictedScore, "m_nPredictedScore");
        SerializeGrades(archive, m_anScoreBreaks, &m_vScoreMessages, "nBreak");
        QFSerializeValue(archive, &m_nPredictedCost, "m_nPredictedCost");
        SerializeGrades(archive, m_anCostBreaks, &m_vCostMessages, "m_anCostBreaks[i]");
    }

    QFEndSection(archive, "Members");
    if (archive->IsStoring())
        return true;
    // Version 1 held no events; from version 2 a null record would leave the game without any: both get an
    // empty events data.
    const bool partial = m_pEvents && !m_pEvents->GetLoadProblems().empty();
    CreateEventsData();
    return !partial;
}

void CScenarioData::ResetEventsData()
{
    delete m_pEvents;
    m_pEvents = new CZREventsData();
}

void CScenarioData::SetTitle(const char* text)
{
    if (!text || std::strlen(text) > kTitleSize - 1)
        return;
    std::memset(m_szTitle, 0, sizeof(m_szTitle));
    std::strcpy(m_szTitle, text);
}

bool CScenarioData::ImportEvents(const std::string& path)
{
    QFFileStream stream;
    if (!stream.Open(path, QFFileStream::kBinary, QFFileStream::kRead))
        return false;
    QFArchive archive;
    archive.BeginDocument(QFArchive::kLoading, &stream, QFArchive::kBinary);
    CZREventsData* events = nullptr;
    QFSerializePointer(&archive, &events, "CZREventsData");
    // A damaged file keeps the events there were (the old reader took whatever came out of a broken read).
    const bool ok = events && !archive.Failed() && events->GetLoadProblems().empty();
    archive.EndDocument();
    stream.Close();
    if (!ok) {
        delete events;
        return false;
    }
    delete m_pEvents;
    m_pEvents = events;
    return true;
}
