// The event wizard's page rules and one run of the wizard.
#include "editors/events/model/WizardRules.h"

#include "core/events/ZREventsData.h"
#include "core/world/ICSNames.h"
#include "core/world/SpriteManager.h"
#include "editors/events/model/EventsModel.h"
#include "editors/events/model/OstrelDialogRules.h"

#include <algorithm>
#include <climits>

namespace ostrel {

namespace {

struct RecipientRow {
    int control;
    const char* caption;
};

const RecipientRow kRecipients[kRecipientCount] = {
    {1035, "Agency1"}, {1165, "Agency2"}, {1036, "Agency3"}, {1042, "Agency4"}, {1037, "Agency5"},
    {1038, "Agecny6"}, {1041, "Agency7"}, {1043, "Agency8"}, {1046, "Agency9"}, {1166, "Agency10"},
    {1039, "Zoranth"}, {0, ""},           {0, ""},           {1148, "Ops"},     {1149, "Planning"},
    {1150, "Logistics"}, {1151, "Finance"}};

bool HasBox(int index)
{
    return index >= 0 && index < kRecipientCount && kRecipients[index].control != 0;
}

std::string Decimal(int32_t value)
{
    return std::to_string(value);
}

std::string LocationText(int32_t x, int32_t y)
{
    return Decimal(x) + ", " + Decimal(y);
}

void StoreEventMembers(const EventPageForm& form, CZREvent& event)
{
    event.m_strEventName = form.name;
    event.m_strEventTitle = form.title;
    event.m_strEventText = form.text;
    event.m_bRepeatableEvent = form.repeatable;
    event.m_nChanceOfResult = ReadEditNumber(form.chance);
    event.m_nDelayResultFrom = ReadEditNumber(form.delayFrom);
    event.m_nDelayResultTo = ReadEditNumber(form.delayTo);
    event.nTmp = RecipientFlags(form);
}

// The order's squad among the combo's items: the template the result names when it is of the ordered agency,
// else the first template of that agency (of the same kind when there is one); -1 when no template has it.
int OrderedSquadItem(const CZRResult& result, const std::vector<SquadItem>& squads)
{
    int best = -1;
    for (size_t i = 0; i < squads.size(); ++i) {
        const SquadItem& s = squads[i];
        if (s.agency != result.m_nSquadAgency)
            continue;
        if (s.kind == result.m_nSquadKind && s.index == result.m_nSquadType)
            return static_cast<int>(i);
        if (best < 0 ||
            (squads[static_cast<size_t>(best)].kind != result.m_nSquadKind && s.kind == result.m_nSquadKind))
            best = static_cast<int>(i);
    }
    return best;
}

const char* const kLocationMessage = "Two comma separated integers expected.";
const char* const kLocationCaption = "Invalid x, y location";

} // namespace

const char* const kEditorCaption = "ZR Events Editor";
const char* const kDeleteTriggerCaption = "Delete Trigger";
const char* const kCreateEventCaption = "Create New Event";
const char* const kEditBlankCaption = "Edit Blank Event";
const char* const kEditDefinedCaption = "Edit Defined Event";

int RecipientControl(int index)
{
    return index >= 0 && index < kRecipientCount ? kRecipients[index].control : 0;
}

const char* RecipientCaption(int index)
{
    return index >= 0 && index < kRecipientCount ? kRecipients[index].caption : "";
}

// ---- event page ----

std::vector<ListItem> EventTriggerItems(const CZREvent& event, const CZREventsData& data)
{
    std::vector<ListItem> items;
    for (uint32_t id : event.m_vTrigger) {
        auto it = data.m_mapArguments.find(id);
        if (it != data.m_mapArguments.end() && it->second)
            items.push_back({it->second->m_strArgumentName, static_cast<int32_t>(id)});
    }
    return items;
}

EventPageForm EventPageOf(const CZREvent& event, uint32_t eventId, const CZREventsData& data,
                          const CSpriteManager* sprites)
{
    EventPageForm form;
    std::string trimmed = event.m_strEventName;
    trimmed.erase(0, trimmed.find_first_not_of(" \t\r\n"));
    trimmed.erase(trimmed.find_last_not_of(" \t\r\n") + 1);
    const bool isNew = trimmed.empty();
    if (!isNew) {
        form.name = event.m_strEventName;
        form.title = event.m_strEventTitle;
        form.text = event.m_strEventText;
    }
    form.triggers = EventTriggerItems(event, data);
    form.repeatable = event.m_bRepeatableEvent;
    form.chance = Decimal(event.m_nChanceOfResult);
    form.delayFrom = Decimal(event.m_nDelayResultFrom);
    form.delayTo = Decimal(event.m_nDelayResultTo);
    form.idText = std::to_string(eventId);

    for (int i = 0; i < kRecipientCount; ++i) {
        form.shown[i] = HasBox(i) && i >= kAgencyBoxCount;
        form.captions[i] = kRecipients[i].caption;
    }
    if (sprites) {
        for (const auto& [row, agency] : sprites->GetAgencies()) {
            // Only ten agency boxes exist: later rows have none.
            if (row < 0 || row >= kAgencyBoxCount || agency.m_nKind == 5 || agency.m_nKind == 6)
                continue;
            form.shown[row] = true;
            form.enabled[row] = true;
            form.captions[row] = agency.m_szName;
        }
    }

    const int32_t flags = event.nTmp;
    if (isNew) {
        ChooseVisible(form);
        form.checked[kZoranthRecipient] = true;
    } else if (flags != 0) {
        ChooseVisible(form);
    } else {
        ChooseHidden(form);
    }
    for (int i = 0; i < kRecipientCount; ++i)
        if (HasBox(i) && (flags & static_cast<int32_t>(RecipientBit(i))))
            form.checked[i] = true;
    return form;
}

void ChooseVisible(EventPageForm& form)
{
    form.hidden = false;
    form.sendToAllEnabled = true;
    for (int i = 0; i < kRecipientCount; ++i) {
        form.checked[i] = false;
        form.enabled[i] = HasBox(i);
    }
}

void ChooseHidden(EventPageForm& form)
{
    form.hidden = true;
    form.sendToAllEnabled = false;
    form.checked.fill(false);
    form.enabled.fill(false);
}

void SendToAll(EventPageForm& form)
{
    for (int i = 0; i < kRecipientCount; ++i)
        if (form.shown[i])
            form.checked[i] = true;
}

int32_t RecipientFlags(const EventPageForm& form)
{
    if (form.hidden)
        return 0;
    int32_t flags = 0;
    for (int i = 0; i < kRecipientCount; ++i)
        if (HasBox(i) && form.checked[i])
            flags |= static_cast<int32_t>(RecipientBit(i));
    return flags;
}

std::vector<ListItem> TriggerChoiceItems(const CZREventsData& data)
{
    std::vector<ListItem> items;
    for (const auto& [id, trigger] : data.m_mapArguments)
        if (trigger)
            items.push_back({trigger->m_strArgumentName, static_cast<int32_t>(id)});
    return items;
}

void AddEventTrigger(CZREvent& event, uint32_t triggerId)
{
    event.m_vTrigger.push_back(triggerId);
}

bool RemoveEventTrigger(CZREvent& event, uint32_t triggerId)
{
    auto it = std::find(event.m_vTrigger.begin(), event.m_vTrigger.end(), triggerId);
    if (it == event.m_vTrigger.end())
        return false;
    event.m_vTrigger.erase(it);
    return true;
}

std::string DeleteTriggerQuestion(const std::string& triggerName)
{
    return "Delete [" + triggerName + "]?";
}

std::optional<RuleError> StoreEventPageNext(const EventPageForm& form, CZREvent& event, uint32_t eventId,
                                            const CZREventsData& data)
{
    if (form.name.empty())
        return RuleError{"You must name this event or Cancel it.", kEditorCaption, 1001};
    for (const CZREvent* other : data.m_lstEvents) {
        if (other && static_cast<uint32_t>(other->m_nUniqueID) != eventId && other->m_strEventName == form.name)
            return RuleError{"Event name [" + form.name + "] is already in use\nand duplicates are not allowed",
                             kEditorCaption, 1001};
    }
    StoreEventMembers(form, event);
    return std::nullopt;
}

std::optional<RuleError> StoreEventPageFinish(const EventPageForm& form, CZREvent& event)
{
    if (form.name.empty())
        return RuleError{"You must supply a name for this event or Cancel it.", kEditorCaption, 1001};
    StoreEventMembers(form, event);
    return std::nullopt;
}

// ---- result page ----

std::vector<SquadItem> SquadItems(const CSpriteManager* sprites)
{
    std::vector<SquadItem> items;
    if (!sprites)
        return items;
    for (int kind : {kUnitSprite, kVehicleSprite}) {
        const CSprite* templates = sprites->GetTemplates(kind);
        const int count = templates ? sprites->GetTemplateCount(kind) : 0;
        for (int i = 0; i < count; ++i) {
            const CSprite& t = templates[i];
            const int agency = t.AgencyKind();
            items.push_back({t.m_szName, kind, i, agency < 0 ? 9 : agency, t.m_Placement.ServiceId});
        }
    }
    return items;
}

std::vector<ListItem> ResultActionItems()
{
    std::vector<ListItem> items;
    for (int i = 0; i < kActionNameCount; ++i)
        items.push_back({g_aszActionNames[i], i});
    return items;
}

std::vector<ListItem> TileMarkItems()
{
    return {{"Mark facility area", 0x20}, {"Mark incident area", 0x40}};
}

std::vector<ListItem> ResultZoneItems(const CZREventsData& data)
{
    std::vector<ListItem> items;
    for (const CTacticalMapZone* zone : data.m_vZones)
        if (zone)
            items.push_back({zone->m_strZoneName, zone->m_nUniqueID});
    return items;
}

std::vector<ListItem> HazardTypeItems()
{
    return {{"Explosion", 1},        {"Chemical spill", 2},  {"Fire", 3},        {"Water Main Break", 4},
            {"Electricity Out", 5}, {"Gas Line Break", 6}, {"Place a bomb", 7}};
}

std::vector<ListItem> MagnitudeItems()
{
    return {{"Small", 0}, {"Medium", 1}, {"Large", 2}};
}

std::vector<ListItem> EquipAgencyItems()
{
    std::vector<ListItem> items;
    for (int i = 0; i < 5; ++i)
        items.push_back({g_aszAgencyNames[i], i});
    return items;
}

bool HasSquadOrder(const CZRResult& result)
{
    return result.m_nSquadAgency != 9 && result.m_nSquadID >= 0;
}

ResultPageForm ResultPageOf(const CZREvent& event, const std::vector<SquadItem>& squads, const CZREventsData& data)
{
    ResultPageForm form;
    form.eventName = event.m_strEventName;
    form.squad = squads.empty() ? -1 : 0;
    form.action = 0;
    form.mark = 0x20;
    const std::vector<ListItem> zones = ResultZoneItems(data);
    // The zone combo is sorted: its first item is the first in that order, which the window picks itself.
    form.hazardType = 1;
    form.magnitude = 0;
    const CZRResult* result = event.m_pResult;
    if (!result)
        return form;

    if (result->m_nOrderID >= 0 && result->m_nOrderID < kActionNameCount)
        form.action = result->m_nOrderID;
    for (size_t i = 0; i < squads.size(); ++i)
        if (squads[i].kind == result->m_nSquadKind && squads[i].index == result->m_nSquadType)
            form.squad = static_cast<int>(i);
    if (HasSquadOrder(*result)) {
        form.actionOn = true;
        form.squad = OrderedSquadItem(*result, squads);
        form.squadId = Decimal(result->m_nSquadID);
        if (result->m_nOrderX >= 0 && result->m_nOrderY >= 0)
            form.actionLocation = LocationText(result->m_nOrderX, result->m_nOrderY);
    }

    if (result->m_nZoneToBeFlagged != -1 && result->m_nConnectionNodeFlag != INT_MAX) {
        form.zoneOn = true;
        form.mark.reset();
        for (const ListItem& m : TileMarkItems())
            if (m.value == result->m_nConnectionNodeFlag)
                form.mark = m.value;
        for (const ListItem& z : zones)
            if (z.value == result->m_nZoneToBeFlagged)
                form.zoneId = z.value;
    }

    if (result->m_nHazardKind >= 1 && result->m_nHazardKind <= kBombHazard)
        form.hazardType = result->m_nHazardKind;
    if (result->m_nHazardKind != 0 && result->m_nHazardX >= 0 && result->m_nHazardY >= 0) {
        form.hazardOn = true;
        form.hazardLocation = LocationText(result->m_nHazardX, result->m_nHazardY);
        if (result->m_nHazardValue >= 0 && result->m_nHazardValue <= 2)
            form.magnitude = result->m_nHazardValue;
        form.hideHazard = result->m_bHideHazard;
        if (result->m_nHazardKind == kBombHazard) {
            form.bombFrom = Decimal(result->m_nBlowBombFrom);
            form.bombTo = Decimal(result->m_nBlowBombTo);
        }
    }

    if (result->m_nZRPoints != 0) {
        form.pointsOn = true;
        form.points = Decimal(result->m_nZRPoints);
    }
    if (result->m_bAAREntry) {
        form.aarOn = true;
        for (int i = 0; i < 3; ++i)
            form.scores[i] = Decimal(result->m_anScore[i]);
    }
    for (int i = 0; i < 5; ++i) {
        form.equip[i] = result->m_abEquipAgency[i];
        form.equipOn = form.equipOn || form.equip[i];
    }
    if (result->m_nCost != 0)
        form.cost = Decimal(result->m_nCost);
    return form;
}

bool BombTimesEnabled(const ResultPageForm& form)
{
    return form.hazardOn && form.hazardType == kBombHazard;
}

std::optional<RuleError> StoreResultPage(const ResultPageForm& form, const std::vector<SquadItem>& squads,
                                         CZREvent& event)
{
    if (!event.m_pResult)
        event.m_pResult = new CZRResult();
    CZRResult& r = *event.m_pResult;

    // 1. Action.
    if (!form.actionOn) {
        r.m_nSquadKind = 0;
        r.m_nSquadType = -1;
        r.m_nSquadAgency = 9;
        r.m_nSquadID = -1;
        r.m_nOrderID = 0;
        r.m_nOrderX = -1;
        r.m_nOrderY = -1;
    } else {
        if (form.squad >= 0 && static_cast<size_t>(form.squad) < squads.size()) {
            const SquadItem& s = squads[static_cast<size_t>(form.squad)];
            r.m_nSquadKind = s.kind;
            r.m_nSquadType = s.index;
            r.m_nSquadAgency = s.agency;
            r.m_nSquadID = s.templateId;
        }
        if (form.squadId.empty())
            return RuleError{"The squad ID is required.", "Invalid Action Assignment", 1013};
        r.m_nSquadID = ReadEditNumber(form.squadId);
        r.m_nOrderID = form.action.value_or(0);
        int32_t x = -1, y = -1;
        if (!form.actionLocation.empty() && !ReadLocation(form.actionLocation, &x, &y))
            return RuleError{kLocationMessage, kLocationCaption, 1136};
        r.m_nOrderX = x;
        r.m_nOrderY = y;
    }

    // 2. Zone.
    if (!form.zoneOn) {
        r.m_nConnectionNodeFlag = 0;
        r.m_nZoneToBeFlagged = -1;
    } else {
        // Nothing selected: the page opened on a zone or mark its lists lack, which stays.
        r.m_nConnectionNodeFlag = form.mark.value_or(r.m_nConnectionNodeFlag);
        r.m_nZoneToBeFlagged = form.zoneId.value_or(r.m_nZoneToBeFlagged);
    }

    // 3. Hazard.
    if (!form.hazardOn) {
        r.m_nHazardKind = 0;
        r.m_nHazardX = -1;
        r.m_nHazardY = -1;
        r.m_nHazardValue = 0;
        r.m_bHideHazard = false;
        r.m_nBlowBombFrom = 0;
        r.m_nBlowBombTo = 0;
    } else {
        r.m_nHazardKind = form.hazardType.value_or(0);
        int32_t x = -1, y = -1;
        if (!ReadLocation(form.hazardLocation, &x, &y))
            return RuleError{kLocationMessage, kLocationCaption, 1008};
        r.m_nHazardX = x;
        r.m_nHazardY = y;
        r.m_nHazardValue = form.magnitude < 0 ? 0 : form.magnitude;
        r.m_bHideHazard = form.hideHazard;
        if (r.m_nHazardKind == kBombHazard) {
            r.m_nBlowBombFrom = ReadEditNumber(form.bombFrom);
            r.m_nBlowBombTo = ReadEditNumber(form.bombTo);
        }
    }

    // 4. Resource Points.
    r.m_nZRPoints = form.pointsOn ? ReadEditNumber(form.points) : 0;

    // 5. AAR entry and scores.
    for (int32_t& score : r.m_anScore)
        score = 0;
    r.m_bAAREntry = form.aarOn;
    if (form.aarOn)
        for (int i = 0; i < 3; ++i)
            if (!form.scores[i].empty())
                r.m_anScore[i] = ReadEditNumber(form.scores[i]);

    // 6. Equipment.
    for (int i = 0; i < 5; ++i)
        r.m_abEquipAgency[i] = form.equipOn && form.equip[i];

    // 7. Cost.
    r.m_nCost = r.m_bAAREntry ? ReadEditNumber(form.cost) : 0;
    return std::nullopt;
}

// ---- one run ----

std::unique_ptr<CEventWizardRun> CEventWizardRun::Begin(CZREventsData& data, const std::string* name)
{
    if (!name)
        return std::unique_ptr<CEventWizardRun>(new CEventWizardRun(data, nullptr, std::make_unique<CZREvent>(true)));
    CZREvent* event = EventByName(data, *name);
    return event ? std::unique_ptr<CEventWizardRun>(new CEventWizardRun(data, event, nullptr)) : nullptr;
}

CEventWizardRun::CEventWizardRun(CZREventsData& data, CZREvent* existing, std::unique_ptr<CZREvent> made)
    : m_data(data), m_pEvent(existing ? existing : made.get()), m_pNew(std::move(made)),
      m_pWorking(std::make_unique<CZREvent>(false))
{
    AssignEvent(*m_pWorking, *m_pEvent);
    m_uEventId = static_cast<uint32_t>(m_pEvent->m_nUniqueID);
}

CEventWizardRun::~CEventWizardRun()
{
    if (!m_bDone)
        Cancel();
}

void CEventWizardRun::Finish()
{
    if (m_bDone)
        return;
    m_bDone = true;
    AssignEvent(*m_pEvent, *m_pWorking);
    if (m_pNew)
        m_data.m_lstEvents.push_back(m_pNew.release());
    m_data.m_bModified = true;
}

void CEventWizardRun::Cancel()
{
    m_bDone = true;
    m_pNew.reset();
}

} // namespace ostrel
