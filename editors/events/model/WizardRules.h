// The event wizard's rules: what its event and result pages show for an event, what their Next, Back and Finish
// store (or why they refuse), and one run of the wizard over a working copy of the event.
#pragma once

#include "editors/events/model/ConditionRules.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CSpriteManager;
class CZREvent;
class CZRResult;
class CZREventsData;

namespace ostrel {

// ---- recipients ----

constexpr int kRecipientCount = 17;
constexpr int kAgencyBoxCount = 10; // recipient indices 0-9 are the agency boxes
constexpr int kZoranthRecipient = 10;
// The check box of a recipient index and its template caption; control 0 for 11 and 12, which have none.
int RecipientControl(int index);
const char* RecipientCaption(int index);

// ---- event page ----

struct EventPageForm {
    std::string name, title, text;
    bool repeatable = false;
    std::vector<ListItem> triggers; // trigger names, value = trigger id
    std::string chance, delayFrom, delayTo;
    std::string idText;
    bool hidden = false; // "Hidden (send to nobody)" selected, else "Visible"
    bool sendToAllEnabled = true;
    std::array<bool, kRecipientCount> shown{};
    std::array<bool, kRecipientCount> enabled{};
    std::array<bool, kRecipientCount> checked{};
    std::array<std::string, kRecipientCount> captions{};
};

// The page as it opens over the working copy; the agency boxes follow the sprite manager's agency list (rows of
// kind 5 or 6 and rows 10 and beyond have no box).
EventPageForm EventPageOf(const CZREvent& event, uint32_t eventId, const CZREventsData& data,
                          const CSpriteManager* sprites);
// The trigger list of an event: the name of each listed trigger, value = id (ids without a trigger skipped).
std::vector<ListItem> EventTriggerItems(const CZREvent& event, const CZREventsData& data);
// "Visible": every recipient box unchecked and enabled, and "Send to All" enabled; "Hidden": unchecked and
// disabled.
void ChooseVisible(EventPageForm& form);
void ChooseHidden(EventPageForm& form);
// "Send to All": checks every recipient box the page shows.
void SendToAll(EventPageForm& form);
// The recipient flags the boxes give: 0 while "Hidden", else the bits of the checked boxes.
int32_t RecipientFlags(const EventPageForm& form);

// The triggers "Add Trigger" offers (value = trigger id).
std::vector<ListItem> TriggerChoiceItems(const CZREventsData& data);
// "Add Trigger": the id is appended (twice if picked twice); "Delete Trigger": the first occurrence goes.
void AddEventTrigger(CZREvent& event, uint32_t triggerId);
bool RemoveEventTrigger(CZREvent& event, uint32_t triggerId);
std::string DeleteTriggerQuestion(const std::string& triggerName); // "Delete [%s]?"
extern const char* const kDeleteTriggerCaption;

extern const char* const kEditorCaption;
// Next: refuses an empty name or one another event (other unique id) has; else stores the page.
std::optional<RuleError> StoreEventPageNext(const EventPageForm& form, CZREvent& event, uint32_t eventId,
                                            const CZREventsData& data);
// Finish of an end event: refuses an empty name; else stores the page (no duplicate check).
std::optional<RuleError> StoreEventPageFinish(const EventPageForm& form, CZREvent& event);

// ---- result page ----

// One entry of the squad or vehicle combo.
struct SquadItem {
    std::string text;
    int32_t kind = 0;  // 1 unit template, 4 vehicle template
    int32_t index = 0; // template index
    int32_t agency = 9;
    int32_t templateId = -1;
};
// The unit templates, then the vehicle templates.
std::vector<SquadItem> SquadItems(const CSpriteManager* sprites);

std::vector<ListItem> ResultActionItems();    // the 45 action names, value = index
std::vector<ListItem> TileMarkItems();        // "Mark facility area" 0x20, "Mark incident area" 0x40
std::vector<ListItem> ResultZoneItems(const CZREventsData& data); // every zone, value = zone id
std::vector<ListItem> HazardTypeItems();      // 1 "Explosion" .. 7 "Place a bomb"
std::vector<ListItem> MagnitudeItems();       // "Small", "Medium", "Large", values 0-2
std::vector<ListItem> EquipAgencyItems();     // the first five agency names, values 0-4
constexpr int32_t kBombHazard = 7;

struct ResultPageForm {
    std::string eventName;
    bool actionOn = false;
    int squad = -1; // index into the squad items, -1 none
    std::string squadId;
    std::optional<int32_t> action;
    std::string actionLocation;

    bool equipOn = false;
    std::array<bool, 5> equip{};

    bool zoneOn = false;
    std::optional<int32_t> mark;
    std::optional<int32_t> zoneId;

    bool hazardOn = false;
    std::optional<int32_t> hazardType;
    std::string hazardLocation;
    int magnitude = 0; // index, -1 none
    bool hideHazard = false;
    std::string bombFrom, bombTo;

    bool aarOn = false;
    std::array<std::string, 3> scores{};
    std::string cost;

    bool pointsOn = false;
    std::string points;
};

// Whether a result orders a squad: it names the squad by the two keys the game finds it by, an agency (9 none)
// and a squad id (-1 none). The squad kind and template index only pick the combo's entry; a result that lacks
// them (index -1) still orders its squad.
bool HasSquadOrder(const CZRResult& result);

// The page as it opens over the working copy (no result: every group empty and unchecked). With an order whose
// agency no template has, the squad combo has no selection and a store keeps the result's own squad kind, index
// and agency; the same holds for a flagged zone that is no longer in the list and a mark that is not one of the
// two.
ResultPageForm ResultPageOf(const CZREvent& event, const std::vector<SquadItem>& squads, const CZREventsData& data);
// Whether a control of a group is enabled: its box checked (the cost edit with the AAR box), and the bomb edits
// only while the hazard type is the bomb.
bool BombTimesEnabled(const ResultPageForm& form);

// Back, Next and Finish: the groups in order (action, zone, hazard, points, AAR, equipment, cost), stopping at
// the first refusal. The event's result is made first when it has none.
std::optional<RuleError> StoreResultPage(const ResultPageForm& form, const std::vector<SquadItem>& squads,
                                         CZREvent& event);

// ---- one run ----

extern const char* const kCreateEventCaption; // "Create New Event"
extern const char* const kEditBlankCaption;   // "Edit Blank Event"
extern const char* const kEditDefinedCaption; // "Edit Defined Event"

// One run of the wizard: the event (a new one takes the next event id), its working copy and what Finish and
// Cancel do.
class CEventWizardRun {
public:
    // Null name: a new event. A name no event has gives null (nothing to run).
    static std::unique_ptr<CEventWizardRun> Begin(CZREventsData& data, const std::string* name);
    ~CEventWizardRun();
    CEventWizardRun(const CEventWizardRun&) = delete;
    CEventWizardRun& operator=(const CEventWizardRun&) = delete;

    CZREvent& Working() { return *m_pWorking; }
    uint32_t EventId() const { return m_uEventId; }
    bool IsNew() const { return m_pNew != nullptr; }
    // Finish: the event takes the working copy (a new one is appended); the data is marked modified.
    void Finish();
    // Anything else: a new event is deleted, an existing one left as it was.
    void Cancel();

private:
    CEventWizardRun(CZREventsData& data, CZREvent* existing, std::unique_ptr<CZREvent> made);
    CZREventsData& m_data;
    CZREvent* m_pEvent;
    std::unique_ptr<CZREvent> m_pNew;
    std::unique_ptr<CZREvent> m_pWorking;
    uint32_t m_uEventId;
    bool m_bDone = false;
};

} // namespace ostrel
