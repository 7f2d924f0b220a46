// Trigger: evaluation of its conditions, reset rules and its stored form.
#include "core/events/ZRArgument.h"

#include "core/events/EventsPersist.h"

QF_IMPLEMENT_SERIAL(CZRArgument, 1)

int32_t CZRArgument::m_nArgIDsource = 0;

CZRArgument::CZRArgument(bool takeNewId) : m_nUniqueID(takeNewId ? events_detail::TakeNextId(m_nArgIDsource) : -1) {}

CZRArgument::~CZRArgument()
{
    Clear();
}

void CZRArgument::Clear()
{
    m_strArgumentName.clear();
    for (auto it = m_vConditions.rbegin(); it != m_vConditions.rend(); ++it)
        delete *it;
    m_vConditions.clear();
    m_vConditions.shrink_to_fit();
    m_bState = false;
}

void CZRArgument::ResetContext()
{
    m_nCtxGameTime = -1;
    m_pCtxEvent = nullptr;
    m_nCtxSection = 8;
    m_nCtxUnit = 0;
    m_nCtxAction = 0;
    m_nCtxAgency = 9;
    m_nCtxSquadID = 0;
    m_bCtxStatus = true;
    m_nCtxX = -1;
    m_nCtxY = -1;
}

void CZRArgument::Reset()
{
    for (CZRCondition* condition : m_vConditions) {
        if (condition && condition->Reset())
            m_bState = false;
    }
    ResetContext();
}

// A condition the news does not concern counts with the state it kept; the walk stops at the first relevant
// condition that evaluates false; with no relevant condition the trigger keeps its state.
void CZRArgument::Evaluate()
{
    bool last = true;
    bool others = true;
    bool seen = false;
    for (CZRCondition* condition : m_vConditions) {
        if (!last)
            break;
        if (!condition)
            continue;
        if (condition->IsRelevant(*this)) {
            last = condition->Evaluate(*this);
            seen = true;
        } else if (others) {
            others = condition->m_bState;
        }
    }
    if (seen)
        m_bState = last && others;
}

bool CZRArgument::Serialize(QFArchive* archive)
{
    QFBeginSection(archive, "BaseClass");
    QFSerializeBase::Serialize(archive);
    QFEndSection(archive, "BaseClass");
    QFSerializeVersion(archive, s_version);
    QFBeginSection(archive, "Members");

    QFSerializeValue(archive, &m_strArgumentName, "m_strArgumentName");
    events_detail::SerializeIdULong(archive, &m_nUniqueID, "m_nUniqueID");
    QFSerializeValue(archive, &m_nBaseFlags, "m_nBaseFlags");
    if (archive->IsStoring()) {
        uint32_t count = static_cast<uint32_t>(m_vConditions.size());
        QFSerializeValue(archive, &count, "nCount");
        for (CZRCondition* condition : m_vConditions)
            events_detail::WriteOwnedElement(archive, condition, "pCond");
    } else {
        m_nSkippedOnLoad = 0;
        uint32_t count = 0;
        QFSerializeValue(archive, &count, "nCount");
        // A null condition used to end the loop and leave the rest of the list to be read as other members;
        // every record is read now so the stream stays in step, and nulls are skipped and reported.
        for (uint32_t i = 0; i < count && !archive->Failed(); ++i) {
            CZRCondition* condition = events_detail::ReadOwnedElement<CZRCondition>(archive, "pCond");
            if (condition)
                m_vConditions.push_back(condition);
            else if (!archive->Failed())
                ++m_nSkippedOnLoad;
        }
    }

    QFEndSection(archive, "Members");
    return m_nSkippedOnLoad == 0;
}
