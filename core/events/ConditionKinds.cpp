// The eight condition kinds: stored forms, descriptions, copies, relevance, evaluation and reset.
#include "core/events/ConditionKinds.h"

#include "core/events/ConditionHooks.h"
#include "core/events/EventsPersist.h"
#include "core/events/TacticalMapZone.h"
#include "core/events/ZREvent.h"
#include "core/events/ZRArgument.h"
#include "core/world/ICSNames.h"

#include <cstdarg>
#include <cstdio>

QF_IMPLEMENT_SERIAL(CConditionTimeBased, 1)
QF_IMPLEMENT_SERIAL(CConditionEventBased, 2)
QF_IMPLEMENT_SERIAL(CConditionLocationBased, 3)
QF_IMPLEMENT_SERIAL(CConditionZRUnitActivationBased, 1)
QF_IMPLEMENT_SERIAL(CConditionSquadProximityBased, 1)
QF_IMPLEMENT_SERIAL(CConditionActionBased, 2)
QF_IMPLEMENT_SERIAL(CConditionIAPBased, 2)
QF_IMPLEMENT_SERIAL(CConditionEnvironmentBased, 2)

namespace {

// printf-style formatting into a string of whatever length it needs.
__attribute__((format(printf, 1, 2))) std::string Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text;
    if (length > 0) {
        text.resize(static_cast<size_t>(length) + 1);
        std::vsnprintf(text.data(), text.size(), format, args);
        text.resize(static_cast<size_t>(length));
    }
    va_end(args);
    return text;
}

// Names read from files are checked: an index outside a table shows "?".
const char* AgencyText(int32_t kind)
{
    const char* name = GetAgencyName(kind);
    return name ? name : "?";
}

// The location condition's agency, where 9 stands for any agency.
const char* LocationAgencyText(int32_t kind)
{
    return kind == 9 ? "Any" : AgencyText(kind);
}

const char* ActionText(int32_t action)
{
    const char* name = GetActionName(action);
    return name ? name : "?";
}

const char* HasText(bool has)
{
    return has ? "has" : "has not";
}

// The first zone of the current scenario with this id, or null.
const CTacticalMapZone* FindScenarioZone(int32_t zoneId)
{
    for (const CTacticalMapZone* zone : GetScenarioZones()) {
        if (zone && zone->m_nUniqueID == zoneId)
            return zone;
    }
    return nullptr;
}

bool AgencyAndSquadMatch(int32_t agency, int32_t squadId, const CZRArgument& trigger)
{
    return (agency == trigger.m_nCtxAgency || agency == 9) && (squadId == trigger.m_nCtxSquadID || squadId == 0);
}

// The kind's own part opens after the base's whole form: its base section (the root's, empty) and its
// version. Returns the file's version of the kind (the current one when storing).
short BeginKind(CZRCondition* condition, QFArchive* archive, const QFVersion& kindVersion)
{
    QFBeginSection(archive, "BaseClass");
    condition->QFSerializeBase::Serialize(archive);
    QFEndSection(archive, "BaseClass");
    const short version = QFSerializeVersion(archive, kindVersion);
    QFBeginSection(archive, "Members");
    return version;
}

void EndKind(CZRCondition* condition, QFArchive* archive, int32_t kind)
{
    QFEndSection(archive, "Members");
    // The class decides the kind: a file that names another kind in the base part cannot make later code
    // take this condition for a different class.
    if (archive->IsLoading())
        condition->m_nKind = kind;
}

void DropRetiredString(QFArchive* archive, short version, short lastVersion, const char* name)
{
    if (QFHasRetired(archive, version, SHRT_MIN, lastVersion)) {
        std::string dropped;
        QFSerializeValue(archive, &dropped, name);
    }
}

// A fresh condition of the copied one's class: its constructor sets the kind, and the state starts false.
template <class T> T* NewCopy(const T& /*source*/)
{
    return new (std::nothrow) T();
}

} // namespace

// --- 1: game time ---------------------------------------------------------------------------------------------

bool CConditionTimeBased::Serialize(QFArchive* archive)
{
    if (!CZRCondition::Serialize(archive))
        return false;
    BeginKind(this, archive, s_version);
    QFSerializeValue(archive, &m_nComparison, "tmp");
    QFSerializeValue(archive, &m_nTargetTime, "m_nTargetTime");
    EndKind(this, archive, kConditionTime);
    if (archive->IsLoading())
        m_bState = (m_nComparison == 0);
    return true;
}

std::string CConditionTimeBased::Describe() const
{
    return Format("Is game time %s %04d?", m_nComparison != 0 ? "greater than or equal to" : "less than",
                  m_nTargetTime);
}

CZRCondition* CConditionTimeBased::Clone() const
{
    auto* copy = NewCopy(*this);
    if (copy) {
        copy->m_nComparison = m_nComparison;
        copy->m_nTargetTime = m_nTargetTime;
    }
    return copy;
}

bool CConditionTimeBased::IsRelevant(const CZRArgument& trigger) const
{
    return trigger.m_nCtxGameTime >= 0;
}

bool CConditionTimeBased::Evaluate(const CZRArgument& trigger)
{
    const int32_t now = trigger.m_nCtxGameTime;
    m_bState = (m_nComparison == 1 && now >= m_nTargetTime) || (m_nComparison == 0 && now < m_nTargetTime);
    return m_bState;
}

// --- 2: event occurred ----------------------------------------------------------------------------------------

bool CConditionEventBased::Serialize(QFArchive* archive)
{
    if (archive->IsStoring())
        m_bState = !m_bWasEventExecuted;
    if (!CZRCondition::Serialize(archive))
        return false;
    const short version = BeginKind(this, archive, s_version);
    DropRetiredString(archive, version, 1, "was_m_strEventName");
    events_detail::SerializeIdULong(archive, &m_nEventID, "m_nEventID");
    QFSerializeValue(archive, &m_bWasEventExecuted, "m_bWasEventExecuted");
    EndKind(this, archive, kConditionEvent);
    if (archive->IsLoading())
        m_bState = !m_bWasEventExecuted;
    return true;
}

std::string CConditionEventBased::Describe() const
{
    return Format("%s %s occurred", GetEventName(m_nEventID).c_str(), HasText(m_bWasEventExecuted));
}

CZRCondition* CConditionEventBased::Clone() const
{
    auto* copy = NewCopy(*this);
    if (copy) {
        copy->m_nEventID = m_nEventID;
        copy->m_bWasEventExecuted = m_bWasEventExecuted;
    }
    return copy;
}

bool CConditionEventBased::IsRelevant(const CZRArgument& trigger) const
{
    return trigger.m_pCtxEvent && trigger.m_pCtxEvent->m_nUniqueID == m_nEventID;
}

bool CConditionEventBased::Evaluate(const CZRArgument& trigger)
{
    if (!trigger.m_pCtxEvent)
        return m_bState;
    const bool executed = trigger.m_pCtxEvent->m_bHasBeenExecuted;
    m_bState = m_bWasEventExecuted ? executed : !executed;
    return m_bState;
}

// --- 3: squad in zone -----------------------------------------------------------------------------------------

bool CConditionLocationBased::Serialize(QFArchive* archive)
{
    if (!CZRCondition::Serialize(archive))
        return false;
    const short version = BeginKind(this, archive, s_version);
    // The agency comes before the mode in the stream.
    QFSerializeValue(archive, &m_nAgency, "tmp");
    QFSerializeValue(archive, &m_nLocationMode, "tmp");
    QFSerializeValue(archive, &m_nTargetCount, "m_nTargetCount");
    QFSerializeValue(archive, &m_nRefCount, "m_nRefCount");
    DropRetiredString(archive, version, 2, "strObsolete");
    if (QFHasMember(archive, version, 2)) {
        events_detail::SerializeIdULong(archive, &m_nZoneID, "m_nZoneID");
        QFSerializeValue(archive, &m_nSquadID, "m_nSquadID");
    }
    EndKind(this, archive, kConditionLocation);
    return true;
}

std::string CConditionLocationBased::Describe() const
{
    const CTacticalMapZone* zone = FindScenarioZone(m_nZoneID);
    const std::string zoneText =
        zone ? zone->m_strZoneName : " [[ ZONE NOT FOUND - INVALID CONDITION - PLEASE DELETE ]]";
    if (m_nSquadID <= 0)
        return Format("%s in zone %s", LocationAgencyText(m_nAgency), zoneText.c_str());
    return Format("%s-%d in zone %s", LocationAgencyText(m_nAgency), m_nSquadID, zoneText.c_str());
}

CZRCondition* CConditionLocationBased::Clone() const
{
    auto* copy = NewCopy(*this);
    if (copy) {
        copy->m_nLocationMode = m_nLocationMode;
        copy->m_nTargetCount = m_nTargetCount;
        copy->m_nRefCount = m_nRefCount;
        copy->m_nAgency = m_nAgency;
        copy->m_nZoneID = m_nZoneID;
        copy->m_nSquadID = m_nSquadID;
    }
    return copy;
}

bool CConditionLocationBased::IsRelevant(const CZRArgument& trigger) const
{
    return AgencyAndSquadMatch(m_nAgency, m_nSquadID, trigger) && trigger.m_nCtxX >= 0 && trigger.m_nCtxY >= 0;
}

bool CConditionLocationBased::Evaluate(const CZRArgument& trigger)
{
    const CTacticalMapZone* zone = FindScenarioZone(m_nZoneID);
    m_bState = AgencyAndSquadMatch(m_nAgency, m_nSquadID, trigger) && zone &&
               zone->ContainsPoint(trigger.m_nCtxX, trigger.m_nCtxY);
    return m_bState;
}

bool CConditionLocationBased::Reset()
{
    if (m_nSquadID == 0)
        return false;
    m_bState = false;
    return true;
}

// --- 4: unit activation ---------------------------------------------------------------------------------------

bool CConditionZRUnitActivationBased::Serialize(QFArchive* archive)
{
    if (archive->IsStoring())
        m_bState = !m_bWasUnitActivated;
    if (!CZRCondition::Serialize(archive))
        return false;
    BeginKind(this, archive, s_version);
    QFSerializeValue(archive, &m_nSection, "m_nSection");
    QFSerializeValue(archive, &m_nUnit, "m_nUnit");
    QFSerializeValue(archive, &m_bWasUnitActivated, "m_bWasUnitActivated");
    EndKind(this, archive, kConditionUnitActivation);
    if (archive->IsLoading())
        m_bState = !m_bWasUnitActivated;
    return true;
}

std::string CConditionZRUnitActivationBased::Describe() const
{
    const std::string name = GetUnitName(m_nSection, m_nUnit);
    if (name.empty())
        return std::string();
    return Format("%s %s been activated", name.c_str(), HasText(m_bWasUnitActivated));
}

CZRCondition* CConditionZRUnitActivationBased::Clone() const
{
    auto* copy = NewCopy(*this);
    if (copy) {
        copy->m_nSection = m_nSection;
        copy->m_nUnit = m_nUnit;
        copy->m_bWasUnitActivated = m_bWasUnitActivated;
    }
    return copy;
}

bool CConditionZRUnitActivationBased::IsRelevant(const CZRArgument& trigger) const
{
    return trigger.m_nCtxSection == m_nSection && trigger.m_nCtxUnit == m_nUnit;
}

// "Has been activated" latches true once the unit is; "has not" latches false once it is.
bool CConditionZRUnitActivationBased::Evaluate(const CZRArgument& trigger)
{
    const bool match = trigger.m_nCtxSection == m_nSection && trigger.m_nCtxUnit == m_nUnit;
    if (m_bWasUnitActivated) {
        if (!m_bState)
            m_bState = match;
    } else if (m_bState && match) {
        m_bState = false;
    }
    return m_bState;
}

// --- 5: squad proximity ---------------------------------------------------------------------------------------

bool CConditionSquadProximityBased::Serialize(QFArchive* archive)
{
    if (!CZRCondition::Serialize(archive))
        return false;
    BeginKind(this, archive, s_version);
    QFSerializeValue(archive, &m_nAgency, "nTmp");
    QFSerializeValue(archive, &m_nSquadID, "m_nSquadID");
    QFSerializeValue(archive, &m_nAction, "nTmp");
    QFSerializeValue(archive, &m_nTargetAgency, "m_nTargetAgency");
    EndKind(this, archive, kConditionSquadProximity);
    return true;
}

std::string CConditionSquadProximityBased::Describe() const
{
    std::string targets;
    for (int32_t kind = 0; kind <= 6; ++kind) {
        if (m_nTargetAgency & (1 << kind)) {
            if (!targets.empty())
                targets += ", ";
            targets += g_aszAgencyNames[kind];
        }
    }
    if (m_nSquadID <= 0)
        return Format("%s in range to perform %s upon %s", AgencyText(m_nAgency), ActionText(m_nAction),
                      targets.c_str());
    return Format("%s-%d in range to perform %s upon %s", AgencyText(m_nAgency), m_nSquadID, ActionText(m_nAction),
                  targets.c_str());
}

CZRCondition* CConditionSquadProximityBased::Clone() const
{
    auto* copy = NewCopy(*this);
    if (copy) {
        copy->m_nAgency = m_nAgency;
        copy->m_nSquadID = m_nSquadID;
        copy->m_nAction = m_nAction;
        copy->m_nTargetAgency = m_nTargetAgency;
    }
    return copy;
}

bool CConditionSquadProximityBased::IsRelevant(const CZRArgument& /*trigger*/) const
{
    return true;
}

bool CConditionSquadProximityBased::Evaluate(const CZRArgument& /*trigger*/)
{
    return m_bState;
}

bool CConditionSquadProximityBased::Reset()
{
    if (m_nSquadID == 0)
        return false;
    m_bState = false;
    return true;
}

// --- 6: action ------------------------------------------------------------------------------------------------

bool CConditionActionBased::Serialize(QFArchive* archive)
{
    if (!CZRCondition::Serialize(archive))
        return false;
    const short version = BeginKind(this, archive, s_version);
    QFSerializeValue(archive, &m_nAction, "nTmp");
    QFSerializeValue(archive, &m_nAgency, "nTmp");
    QFSerializeValue(archive, &m_bActionStatus, "m_bActionStatus");
    if (QFHasMember(archive, version, 2))
        QFSerializeValue(archive, &m_nSquadID, "m_nSquadID");
    EndKind(this, archive, kConditionAction);
    return true;
}

std::string CConditionActionBased::Describe() const
{
    const char* agency = m_nAgency >= 9 ? "Anyone" : AgencyText(m_nAgency);
    const char* status = m_bActionStatus ? "initiated" : "completed";
    if (m_nSquadID <= 0)
        return Format("Action %s is %s by %s", ActionText(m_nAction), status, agency);
    return Format("Action %s is %s by %s-%d", ActionText(m_nAction), status, agency, m_nSquadID);
}

CZRCondition* CConditionActionBased::Clone() const
{
    auto* copy = NewCopy(*this);
    if (copy) {
        copy->m_nAction = m_nAction;
        copy->m_nAgency = m_nAgency;
        copy->m_bActionStatus = m_bActionStatus;
        copy->m_nSquadID = m_nSquadID;
    }
    return copy;
}

bool CConditionActionBased::IsRelevant(const CZRArgument& trigger) const
{
    return trigger.m_nCtxAction == m_nAction;
}

bool CConditionActionBased::Evaluate(const CZRArgument& trigger)
{
    m_bState = trigger.m_nCtxAction == m_nAction && trigger.m_bCtxStatus == m_bActionStatus &&
               AgencyAndSquadMatch(m_nAgency, m_nSquadID, trigger);
    return m_bState;
}

bool CConditionActionBased::Reset()
{
    m_bState = false;
    return true;
}

// --- 7: IAP phase ---------------------------------------------------------------------------------------------

bool CConditionIAPBased::Serialize(QFArchive* archive)
{
    if (archive->IsStoring())
        m_bState = !m_bWasEventExecuted;
    if (!CZRCondition::Serialize(archive))
        return false;
    const short version = BeginKind(this, archive, s_version);
    DropRetiredString(archive, version, 1, "was_m_strEventName");
    QFSerializeValue(archive, &m_bWasEventExecuted, "m_bWasEventExecuted");
    EndKind(this, archive, kConditionIAP);
    if (archive->IsLoading())
        m_bState = !m_bWasEventExecuted;
    return true;
}

std::string CConditionIAPBased::Describe() const
{
    return Format("IAP Phase %s occurred", HasText(m_bWasEventExecuted));
}

CZRCondition* CConditionIAPBased::Clone() const
{
    auto* copy = NewCopy(*this);
    if (copy) {
        copy->m_bWasEventExecuted = m_bWasEventExecuted;
        copy->m_bState = m_bState;
    }
    return copy;
}

bool CConditionIAPBased::IsRelevant(const CZRArgument& /*trigger*/) const
{
    return true;
}

bool CConditionIAPBased::Evaluate(const CZRArgument& trigger)
{
    m_bState = m_bWasEventExecuted ? trigger.m_bCtxStatus : !trigger.m_bCtxStatus;
    return m_bState;
}

bool CConditionIAPBased::Reset()
{
    m_bState = false;
    return true;
}

// --- 8: environmental effect ----------------------------------------------------------------------------------

const char* CConditionEnvironmentBased::GetEffectName(int32_t effect)
{
    return effect >= 0 && effect < kEffectCount ? m_aszEffectNames[effect] : nullptr;
}

bool CConditionEnvironmentBased::Serialize(QFArchive* archive)
{
    if (archive->IsStoring())
        m_bState = !m_bWasEventExecuted;
    if (!CZRCondition::Serialize(archive))
        return false;
    const short version = BeginKind(this, archive, s_version);
    DropRetiredString(archive, version, 1, "was_m_strEventName");
    QFSerializeValue(archive, &m_bWasEventExecuted, "m_bWasEventExecuted");
    QFSerializeValue(archive, &m_nEffect, "Value");
    EndKind(this, archive, kConditionEnvironment);
    if (archive->IsLoading())
        m_bState = !m_bWasEventExecuted;
    return true;
}

std::string CConditionEnvironmentBased::Describe() const
{
    const char* name = GetEffectName(m_nEffect);
    return Format("Environmental effect %s occurred", name ? name : "?");
}

CZRCondition* CConditionEnvironmentBased::Clone() const
{
    auto* copy = NewCopy(*this);
    if (copy) {
        copy->m_bWasEventExecuted = m_bWasEventExecuted;
        copy->m_nEffect = m_nEffect;
    }
    return copy;
}

bool CConditionEnvironmentBased::IsRelevant(const CZRArgument& trigger) const
{
    return trigger.m_nCtxSquadID == m_nEffect;
}

bool CConditionEnvironmentBased::Evaluate(const CZRArgument& trigger)
{
    m_bState = trigger.m_nCtxSquadID == m_nEffect;
    return m_bState;
}

bool CConditionEnvironmentBased::Reset()
{
    m_bState = false;
    return true;
}
