// The event trigger engine: start, notifications, dependent lists, delays and the saved-game block.
#include "game/rules/EventEngine.h"

#include "core/events/ConditionKinds.h"
#include "core/events/ZREventsData.h"
#include "game/app/Modes.h"
#include "game/sim/SimRandom.h"
#include "game/rules/TimeHHMM.h"
#include "core/util/ByteStream.h"
#include "platform/system/MessageBox.h"
#include "core/persist/DataRange.h"

#include <algorithm>
#include <climits>

namespace {

constexpr uint16_t kListBits[CEventEngine::kListCount] = {0x1, 0x2, 0x4, 0x8, 0x10, 0x20, 0x40, 0x80};
// Reports handled after the one in hand, at most, before the rest are dropped (a loop of results).
constexpr size_t kMaxQueuedReports = 256;
// The longest delay taken from a file, in minutes (a week); longer ones are cut to it.
constexpr int64_t kMaxDelayMinutes = 7 * 24 * 60;

IEventEngineHost& DefaultHost()
{
    static IEventEngineHost host;
    return host;
}

bool IsDown(const CEngineSquadInfo& info)
{
    return info.nHealthState == 2 || info.nHealthState == 3;
}

} // namespace

CEventEngine::CEventEngine(IEventEngineHost* host) : m_pHost(host) {}

CEventEngine::~CEventEngine() = default;

// --- start -------------------------------------------------------------------------------------------------------

void CEventEngine::Start(CZREventsData* data)
{
    m_pData = data;
    m_pCurrentSquad = nullptr;
    m_pTargetSquad = nullptr;
    for (auto& list : m_aDependents)
        list.clear();
    for (auto& list : m_aTriggers)
        list.clear();
    m_aFired.clear();
    m_mapDelays.clear();
    m_mapTriggerIds.clear();
    m_aPending.clear();
    m_nCurrentTime = 0;
    m_nDays = 0;
    m_nLastMinute = -1;
    if (!data)
        return;

    for (auto& [key, trigger] : data->m_mapArguments) {
        (void)key;
        if (!trigger)
            continue;
        FileTrigger(trigger);
        bool state = true;
        for (const CZRCondition* condition : trigger->m_vConditions) {
            if (condition && !condition->m_bState)
                state = false;
        }
        trigger->m_bState = state;
    }

    for (CZREvent* event : data->m_lstEvents) {
        if (!event)
            continue;
        event->m_bListedByTimeTrigger = false;
        // An event survives its chance when a draw below 100 falls under it (chance 0 never fires; the old
        // test let it fire one time in a hundred).
        if (event->m_nChanceOfResult < 100 && !(SimRand() % 100 < event->m_nChanceOfResult)) {
            event->m_bHasBeenExecuted = true;
            continue;
        }
        // An event stored as executed that cannot repeat has nothing more to do.
        if (event->m_bHasBeenExecuted && !event->m_bRepeatableEvent)
            continue;
        for (uint32_t id : event->m_vTrigger) {
            const CZRArgument* trigger = FindTrigger(static_cast<int32_t>(id));
            if (!trigger)
                continue;
            for (int list = 0; list < kListCount; ++list) {
                if (trigger->HasBaseFlags(kListBits[list]))
                    JoinList(static_cast<EList>(list), event, true);
            }
        }
        // A file that marks the event delayed: the pending delay's trigger is its last trigger.
        if (event->m_bIsDelayed) {
            if (event->m_vTrigger.empty()) {
                event->m_bIsDelayed = false;
            } else {
                CDelay delay;
                delay.pTrigger = FindTrigger(static_cast<int32_t>(event->m_vTrigger.back()));
                delay.bOwned = false;
                delay.nDue = DelayTimeOf(delay.pTrigger);
                m_mapDelays[event] = delay;
                JoinList(kListTime, event, false);
            }
        }
    }

    for (CTacticalMapZone* zone : data->m_vZones) {
        if (zone)
            zone->SnapBoundingBox();
    }

    for (CZREvent* event : data->m_lstEvents) {
        CZRResult* result = event ? event->m_pResult : nullptr;
        if (!result || result->m_nHazardKind != 7 || result->m_nBlowBombTo <= result->m_nBlowBombFrom)
            continue;
        const int64_t span = static_cast<int64_t>(result->m_nBlowBombTo) - result->m_nBlowBombFrom + 1;
        result->m_nBlowBombFrom = static_cast<int32_t>(result->m_nBlowBombFrom + SimRand() % span);
    }
}

void CEventEngine::FileTrigger(CZRArgument* trigger)
{
    if (m_mapTriggerIds.find(trigger->m_nUniqueID) == m_mapTriggerIds.end())
        m_mapTriggerIds[trigger->m_nUniqueID] = trigger;
    for (int list = 0; list < kListCount; ++list) {
        auto& triggers = m_aTriggers[list];
        if (trigger->HasBaseFlags(kListBits[list]) &&
            std::find(triggers.begin(), triggers.end(), trigger) == triggers.end())
            triggers.push_back(trigger);
    }
}

CZRArgument* CEventEngine::FindTrigger(int32_t id) const
{
    auto it = m_mapTriggerIds.find(id);
    return it == m_mapTriggerIds.end() ? nullptr : it->second;
}

// Joining is idempotent: an event with two triggers of one kind is listed once (it used to be listed twice and
// could run twice in one notification).
void CEventEngine::JoinList(EList list, CZREvent* event, bool ownTrigger)
{
    if (list == kListTime && ownTrigger)
        event->m_bListedByTimeTrigger = true;
    if (!IsListed(list, event))
        m_aDependents[list].push_back(event);
}

void CEventEngine::LeaveList(EList list, CZREvent* event)
{
    auto& events = m_aDependents[list];
    events.erase(std::remove(events.begin(), events.end(), event), events.end());
}

void CEventEngine::LeaveAllLists(CZREvent* event)
{
    for (int list = 0; list < kListCount; ++list)
        LeaveList(static_cast<EList>(list), event);
}

bool CEventEngine::IsListed(EList list, const CZREvent* event) const
{
    const auto& events = m_aDependents[list];
    return std::find(events.begin(), events.end(), event) != events.end();
}

IEventEngineHost& CEventEngine::Host() const
{
    return m_pHost ? *m_pHost : DefaultHost();
}

// --- notifications -----------------------------------------------------------------------------------------------

void CEventEngine::Notify(int32_t kind, CSquad* squad, int32_t a, int32_t b, int32_t c)
{
    if (!m_pData || !Host().HasAuthority() || (Host().GetModeFlags() & (kModeFrontEnd | kModeFromSave)))
        return;
    if (m_bBusy) {
        if (m_aPending.size() < kMaxQueuedReports)
            m_aPending.push_back({kind, squad, a, b, c});
        else
            platform::DebugOutput("Event engine: too many reports made by results; one dropped");
        return;
    }
    m_bBusy = true;
    HandleNotify(kind, squad, a, b, c);
    size_t handled = 0;
    while (!m_aPending.empty() && handled < kMaxQueuedReports) {
        const CPending next = m_aPending.front();
        m_aPending.erase(m_aPending.begin());
        HandleNotify(next.nKind, next.pSquad, next.a, next.b, next.c);
        ++handled;
    }
    m_aPending.clear();
    m_bBusy = false;
}

void CEventEngine::HandleNotify(int32_t kind, CSquad* squad, int32_t a, int32_t b, int32_t c)
{
    switch (kind) {
    case kNotifyMinute:
        m_nCurrentTime = a;
        // The clock wraps at midnight; delays are kept on a clock that carries the day.
        if (m_nLastMinute >= 0 && a < m_nLastMinute)
            ++m_nDays;
        m_nLastMinute = a;
        EvaluateTimeTriggers(a);
        RunTimeList();
        break;
    case kNotifySquadMoved:
        m_pCurrentSquad = squad;
        EvaluateSquadMoved(squad);
        break;
    case kNotifyUnitActivated:
        EvaluateUnit(a, b);
        RunList(kListUnit);
        break;
    case kNotifyActionStarted:
    case kNotifyActionEnded:
        m_pCurrentSquad = squad;
        EvaluateAction(squad, kind == kNotifyActionStarted, a);
        RunList(kListAction);
        break;
    case kNotifyIAP:
        EvaluateIAP(a != 0);
        RunList(kListIAP);
        break;
    case kNotifyEnvironment:
        EvaluateEnvironment(a, b, c);
        RunList(kListEnvironment);
        break;
    default:
        return;
    }

    RunEventOccurred();
    EvaluateIAP(false);
    RunList(kListIAP);

    for (CZREvent* event : m_aFired) {
        if (!event->m_bRepeatableEvent)
            LeaveAllLists(event);
    }
    m_aFired.clear();
    for (EList list : {kListLocation, kListProximity, kListAction, kListIAP, kListEnvironment})
        ResetTriggers(list);
    m_pCurrentSquad = nullptr;
}

void CEventEngine::EvaluateTimeTriggers(int32_t time)
{
    const int32_t carried = CarriedTime();
    for (CZRArgument* trigger : m_aTriggers[kListTime]) {
        trigger->Reset();
        trigger->m_nCtxGameTime = m_setDelayTriggers.count(trigger) ? carried : time;
        trigger->Evaluate();
    }
}

void CEventEngine::EvaluateSquadMoved(CSquad* squad)
{
    CEngineSquadInfo info;
    if (!squad || !Host().GetSquadInfo(squad, info))
        return;
    if (IsDown(info) || (info.nAgency == 6 && (info.uFlags & 0x100)))
        return;
    for (CZRArgument* trigger : m_aTriggers[kListLocation]) {
        trigger->Reset();
        trigger->m_nCtxX = CheckedInt(info.fX);
        trigger->m_nCtxY = CheckedInt(info.fY);
        trigger->m_nCtxAgency = info.nAgency;
        trigger->m_nCtxSquadID = info.nUnitId;
        trigger->Evaluate();
    }
    RunList(kListLocation);
    EvaluateProximity(squad);
    RunList(kListProximity);
}

void CEventEngine::EvaluateProximity(CSquad* squad)
{
    for (CZRArgument* trigger : m_aTriggers[kListProximity]) {
        trigger->Reset();
        for (CZRCondition* condition : trigger->m_vConditions) {
            auto* proximity = dynamic_cast<CConditionSquadProximityBased*>(condition);
            if (!proximity)
                continue;
            CSquad* named = Host().FindSquad(proximity->m_nAgency, proximity->m_nSquadID);
            CSquad* inRange =
                named ? Host().FindSquadInRange(named, proximity->m_nAction, proximity->m_nTargetAgency) : nullptr;
            if (squad != named && (!inRange || squad != inRange))
                continue;
            proximity->m_bState = inRange != nullptr;
            if (inRange) {
                m_pCurrentSquad = named;
                m_pTargetSquad = inRange;
            }
        }
        trigger->Evaluate();
    }
}

void CEventEngine::EvaluateUnit(int32_t section, int32_t unit)
{
    for (CZRArgument* trigger : m_aTriggers[kListUnit]) {
        trigger->Reset();
        trigger->m_nCtxSection = section;
        trigger->m_nCtxUnit = unit;
        trigger->Evaluate();
    }
}

void CEventEngine::EvaluateAction(CSquad* squad, bool started, int32_t action)
{
    CEngineSquadInfo info;
    if (!squad || !Host().GetSquadInfo(squad, info))
        return;
    for (CZRArgument* trigger : m_aTriggers[kListAction]) {
        trigger->Reset();
        trigger->m_bCtxStatus = started;
        trigger->m_nCtxAction = action;
        trigger->m_nCtxAgency = info.nAgency;
        trigger->m_nCtxSquadID = info.nUnitId;
        trigger->Evaluate();
    }
}

void CEventEngine::EvaluateIAP(bool phase)
{
    for (CZRArgument* trigger : m_aTriggers[kListIAP]) {
        trigger->Reset();
        trigger->m_bCtxStatus = phase;
        trigger->Evaluate();
    }
}

void CEventEngine::EvaluateEnvironment(int32_t effect, int32_t x, int32_t y)
{
    for (CZRArgument* trigger : m_aTriggers[kListEnvironment]) {
        trigger->Reset();
        trigger->m_nCtxSquadID = effect;
        trigger->Evaluate();
        for (CZRCondition* condition : trigger->m_vConditions) {
            auto* environment = dynamic_cast<CConditionEnvironmentBased*>(condition);
            if (environment && environment->m_bState && environment->m_nEffect == effect) {
                environment->m_nX = x;
                environment->m_nY = y;
            }
        }
    }
}

// Event-occurred triggers are evaluated against the events fired in this notification, and the list run. The
// events this run fires are then evaluated in turn, so a chain A, B, C completes in one notification (C used
// never to see B, which fired after the one evaluation). An event enters the fired list once, so this ends.
void CEventEngine::RunEventOccurred()
{
    for (CZRArgument* trigger : m_aTriggers[kListEvent])
        trigger->Reset();
    size_t evaluated = 0;
    do {
        const size_t fired = m_aFired.size();
        for (CZRArgument* trigger : m_aTriggers[kListEvent]) {
            for (size_t i = evaluated; i < fired; ++i) {
                trigger->m_pCtxEvent = m_aFired[i];
                trigger->Evaluate();
            }
            trigger->m_pCtxEvent = nullptr;
        }
        evaluated = fired;
        RunList(kListEvent);
    } while (m_aFired.size() > evaluated);
}

void CEventEngine::ResetTriggers(EList list)
{
    for (CZRArgument* trigger : m_aTriggers[list])
        trigger->Reset();
}

// --- running the dependent lists ---------------------------------------------------------------------------------

bool CEventEngine::SkipForCurrentSquad() const
{
    CEngineSquadInfo info;
    if (!m_pCurrentSquad || !Host().GetSquadInfo(m_pCurrentSquad, info))
        return false;
    return info.nAgency == 5 && info.nSpriteKind == 4 && (info.uFlags & 0x400);
}

bool CEventEngine::AllTriggersTrue(const CZREvent* event) const
{
    for (uint32_t id : event->m_vTrigger) {
        const CZRArgument* trigger = FindTrigger(static_cast<int32_t>(id));
        if (trigger && !trigger->m_bState)
            return false;
    }
    return true;
}

void CEventEngine::RunList(EList list)
{
    // Executing may change the lists; the walk goes over the list as it was.
    const std::vector<CZREvent*> events = m_aDependents[list];
    for (CZREvent* event : events) {
        if (SkipForCurrentSquad())
            continue;
        if (event->m_bHasBeenExecuted && !event->m_bRepeatableEvent)
            continue;
        if (!AllTriggersTrue(event))
            continue;
        if (!StartDelay(event))
            Execute(event);
    }
}

void CEventEngine::RunTimeList()
{
    const std::vector<CZREvent*> events = m_aDependents[kListTime];
    for (CZREvent* event : events) {
        if (SkipForCurrentSquad())
            continue;
        auto delay = m_mapDelays.find(event);
        const bool ready = delay != m_mapDelays.end() ? (!delay->second.pTrigger || delay->second.pTrigger->m_bState)
                                                      : AllTriggersTrue(event);
        if (!ready)
            continue;
        if (!StartDelay(event))
            Execute(event);
    }
}

// --- delays ------------------------------------------------------------------------------------------------------

int32_t CEventEngine::CarriedTime() const
{
    return m_nDays * 2400 + m_nCurrentTime;
}

int32_t CEventEngine::DelayTimeOf(const CZRArgument* trigger)
{
    if (!trigger)
        return 0;
    for (const CZRCondition* condition : trigger->m_vConditions) {
        if (const auto* time = dynamic_cast<const CConditionTimeBased*>(condition))
            return time->m_nTargetTime;
    }
    return 0;
}

bool CEventEngine::StartDelay(CZREvent* event)
{
    if (m_mapDelays.count(event) || event->m_nDelayResultTo <= 0)
        return false;
    int64_t minutes = event->m_nDelayResultFrom;
    if (event->m_nDelayResultTo > event->m_nDelayResultFrom) {
        const int64_t span = static_cast<int64_t>(event->m_nDelayResultTo) - event->m_nDelayResultFrom + 1;
        minutes += SimRand() % span;
    }
    if (minutes <= 0)
        return false;
    minutes = std::min(minutes, kMaxDelayMinutes);
    const int32_t asHHMM = static_cast<int32_t>(minutes < 60 ? minutes : minutes % 60 + (minutes / 60) * 100);
    AddDelay(event, AddTimeHHMM(CarriedTime(), asHHMM));
    return true;
}

void CEventEngine::AddDelay(CZREvent* event, int32_t due)
{
    auto* condition = new CConditionTimeBased();
    condition->m_nComparison = 1;
    condition->m_nTargetTime = due;
    auto* trigger = new CZRArgument(true);
    // A stored trigger may already hold the next id; the delay takes the first free one.
    while (m_pData->m_mapArguments.count(static_cast<uint32_t>(trigger->m_nUniqueID)) ||
           m_mapTriggerIds.count(trigger->m_nUniqueID))
        trigger->m_nUniqueID = CZRArgument::m_nArgIDsource++;
    trigger->m_strArgumentName = "Delay";
    trigger->m_nBaseFlags = 0x1;
    trigger->m_vConditions.push_back(condition);
    m_pData->m_mapArguments[static_cast<uint32_t>(trigger->m_nUniqueID)] = trigger;
    FileTrigger(trigger);
    m_setDelayTriggers.insert(trigger);

    event->m_vTrigger.push_back(static_cast<uint32_t>(trigger->m_nUniqueID));
    event->m_bIsDelayed = true;
    m_mapDelays[event] = CDelay{trigger, due, true};
    JoinList(kListTime, event, false);
}

void CEventEngine::EndDelay(CZREvent* event)
{
    auto it = m_mapDelays.find(event);
    if (it == m_mapDelays.end())
        return;
    const CDelay delay = it->second;
    m_mapDelays.erase(it);
    if (delay.bOwned && delay.pTrigger) {
        const int32_t id = delay.pTrigger->m_nUniqueID;
        auto& map = m_pData->m_mapArguments;
        for (auto entry = map.begin(); entry != map.end(); ++entry) {
            if (entry->second == delay.pTrigger) {
                map.erase(entry);
                break;
            }
        }
        for (auto& triggers : m_aTriggers)
            triggers.erase(std::remove(triggers.begin(), triggers.end(), delay.pTrigger), triggers.end());
        if (FindTrigger(id) == delay.pTrigger)
            m_mapTriggerIds.erase(id);
        m_setDelayTriggers.erase(delay.pTrigger);
        delete delay.pTrigger;
        auto& ids = event->m_vTrigger;
        auto last = std::find(ids.rbegin(), ids.rend(), static_cast<uint32_t>(id));
        if (last != ids.rend())
            ids.erase(std::next(last).base());
    }
    // A file's own last trigger stays: it is a scenario trigger other events may share.
    event->m_bIsDelayed = false;
    if (!event->m_bListedByTimeTrigger)
        LeaveList(kListTime, event);
}

bool CEventEngine::GetDelay(const CZREvent* event, int32_t& triggerId, int32_t& dueTime) const
{
    auto it = m_mapDelays.find(event);
    if (it == m_mapDelays.end())
        return false;
    triggerId = it->second.pTrigger ? it->second.pTrigger->m_nUniqueID : -1;
    // Relative to the current day, as the saved block keeps it (a time read from a block may be anything).
    const int64_t due = it->second.bOwned ? int64_t{it->second.nDue} - int64_t{m_nDays} * 2400 : it->second.nDue;
    dueTime = static_cast<int32_t>(std::clamp<int64_t>(due, INT32_MIN, INT32_MAX));
    return true;
}
