// The event wizard's rules: the event page's recipients, names and store, the result page's groups in store order,
// and one run of the wizard over a working copy.
#include "core/events/ZREventsData.h"
#include "core/world/SpriteManager.h"
#include "editors/events/model/WizardRules.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

using namespace ostrel;

// An agency list of twelve rows: police, fire, civilians and threat, then eight more police rows.
std::unique_ptr<CSpriteManager> TwelveAgencies()
{
    std::string csv = "Agency,Kind,Note\nCity Police,Police,\nCity Fire,Fire,\nCivilians,Civs,\nSuspect,Threat,\n";
    for (int i = 4; i < 12; ++i)
        csv += "Police " + std::to_string(i) + ",Police,\n";
    auto sprites = std::make_unique<CSpriteManager>();
    FILE* file = fmemopen(csv.data(), csv.size(), "r");
    sprites->ReadAgencyList(file);
    fclose(file);
    return sprites;
}

class OstrelModelWizard : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int i = 0; i < 2; ++i) {
            auto* trigger = new CZRArgument(false);
            trigger->m_nUniqueID = 4 + i;
            trigger->m_strArgumentName = i ? "Noon" : "At 09:35";
            data.m_mapArguments[trigger->m_nUniqueID] = trigger;
        }
        auto* zone = new CTacticalMapZone();
        zone->m_strZoneName = "Yard";
        zoneId = zone->m_nUniqueID;
        data.m_vZones.push_back(zone);
        alarm = new CZREvent(true);
        alarm->m_strEventName = "Alarm";
        alarm->m_strEventText = "Sirens";
        alarm->m_vTrigger = {4, 99, 5};
        alarm->nTmp = 1 | 1024;
        data.m_lstEvents.push_back(alarm);
    }
    CZREventsData data;
    CZREvent* alarm = nullptr;
    int32_t zoneId = -1;
    std::vector<SquadItem> squads{{"Patrol Officers", 1, 0, 0, 0}, {"Engine", 4, 2, 1, 0}};
};

TEST_F(OstrelModelWizard, ANewEventStartsVisibleWithOnlyZoranthAndTheAgencyBoxesFollowTheList)
{
    auto sprites = TwelveAgencies();
    CZREvent fresh(false);
    EventPageForm form = EventPageOf(fresh, 17, data, sprites.get());
    EXPECT_FALSE(form.hidden);
    EXPECT_TRUE(form.sendToAllEnabled);
    EXPECT_EQ(form.idText, "17");
    EXPECT_EQ(form.chance, "100");
    for (int i = 0; i < kRecipientCount; ++i)
        EXPECT_EQ(form.checked[i], i == kZoranthRecipient) << i;
    EXPECT_EQ(RecipientFlags(form), 1024);
    // Rows 0, 1 and 4-9 get a box with the agency's name; civilians and threat none; rows 10 and 11 none.
    for (int i = 0; i < kAgencyBoxCount; ++i)
        EXPECT_EQ(form.shown[i], i != 2 && i != 3) << i;
    EXPECT_EQ(form.captions[0], "City Police");
    EXPECT_EQ(form.captions[9], "Police 9");
    EXPECT_EQ(form.captions[5], "Police 5");
    EXPECT_TRUE(form.shown[13]);
    EXPECT_FALSE(form.shown[11]);
    SendToAll(form);
    EXPECT_EQ(RecipientFlags(form), 0x3F3 | 1024 | 0x1E000);
    ChooseHidden(form);
    EXPECT_EQ(RecipientFlags(form), 0);
}

TEST_F(OstrelModelWizard, AnExistingEventShowsItsRecipientsAndTriggers)
{
    EventPageForm form = EventPageOf(*alarm, alarm->m_nUniqueID, data, nullptr);
    EXPECT_EQ(form.name, "Alarm");
    EXPECT_EQ(form.text, "Sirens");
    EXPECT_EQ(form.triggers, (std::vector<ListItem>{{"At 09:35", 4}, {"Noon", 5}})); // 99 has no trigger
    EXPECT_TRUE(form.checked[0]);
    EXPECT_TRUE(form.checked[kZoranthRecipient]);
    EXPECT_FALSE(form.checked[1]);
    EXPECT_FALSE(form.hidden);

    alarm->nTmp = 0;
    form = EventPageOf(*alarm, alarm->m_nUniqueID, data, nullptr);
    EXPECT_TRUE(form.hidden);
    EXPECT_FALSE(form.sendToAllEnabled);
    EXPECT_FALSE(form.enabled[kZoranthRecipient]);
    ChooseVisible(form);
    EXPECT_TRUE(form.enabled[kZoranthRecipient]);
    EXPECT_FALSE(form.checked[kZoranthRecipient]);

    AddEventTrigger(*alarm, 4);
    EXPECT_EQ(alarm->m_vTrigger, (std::vector<uint32_t>{4, 99, 5, 4}));
    EXPECT_TRUE(RemoveEventTrigger(*alarm, 4));
    EXPECT_EQ(alarm->m_vTrigger, (std::vector<uint32_t>{99, 5, 4}));
    EXPECT_EQ(DeleteTriggerQuestion("Noon"), "Delete [Noon]?");
}

TEST_F(OstrelModelWizard, NextRefusesEmptyAndTakenNamesAndStoresThePage)
{
    auto* other = new CZREvent(true);
    other->m_strEventName = "Fire";
    data.m_lstEvents.push_back(other);
    CZREvent working(false);
    EventPageForm form = EventPageOf(*alarm, alarm->m_nUniqueID, data, nullptr);

    form.name = "";
    auto error = StoreEventPageNext(form, working, alarm->m_nUniqueID, data);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->text, "You must name this event or Cancel it.");
    EXPECT_EQ(error->field, 1001);
    form.name = "Fire";
    error = StoreEventPageNext(form, working, alarm->m_nUniqueID, data);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->text, "Event name [Fire] is already in use\nand duplicates are not allowed");
    EXPECT_EQ(working.m_strEventName, ""); // nothing stored

    form.name = "Alarm"; // its own name
    form.chance = "75";
    form.delayFrom = "2x";
    form.checked[1] = true;
    form.hidden = true; // "Hidden" whatever is checked
    form.repeatable = true;
    EXPECT_FALSE(StoreEventPageNext(form, working, alarm->m_nUniqueID, data));
    EXPECT_EQ(working.m_strEventName, "Alarm");
    EXPECT_EQ(working.m_nChanceOfResult, 75);
    EXPECT_EQ(working.m_nDelayResultFrom, 2);
    EXPECT_TRUE(working.m_bRepeatableEvent);
    EXPECT_EQ(working.nTmp, 0);

    form.name = "";
    error = StoreEventPageFinish(form, working);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->text, "You must supply a name for this event or Cancel it.");
    form.name = "Fire"; // an end event's Finish does not look for duplicates
    EXPECT_FALSE(StoreEventPageFinish(form, working));
}

TEST_F(OstrelModelWizard, TheResultGroupsStoreInOrderAndStopAtTheFirstRefusal)
{
    CZREvent working(false);
    ResultPageForm form = ResultPageOf(working, squads, data);
    EXPECT_FALSE(form.actionOn || form.zoneOn || form.hazardOn || form.aarOn || form.pointsOn || form.equipOn);

    // Everything unchecked: a default result with nothing to do.
    ASSERT_FALSE(StoreResultPage(form, squads, working));
    ASSERT_NE(working.m_pResult, nullptr);
    EXPECT_EQ(working.m_pResult->m_nSquadAgency, 9);
    EXPECT_EQ(working.m_pResult->m_nZoneToBeFlagged, -1);

    // The action group refuses an empty ID; the later groups are then not stored.
    form.actionOn = true;
    form.squad = 1;
    form.zoneOn = true;
    form.zoneId = zoneId;
    form.mark = 0x40;
    auto error = StoreResultPage(form, squads, working);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->text, "The squad ID is required.");
    EXPECT_EQ(error->caption, "Invalid Action Assignment");
    EXPECT_EQ(working.m_pResult->m_nZoneToBeFlagged, -1);

    struct LocationCase {
        const char* text;
        bool ok;
        int32_t x, y;
    };
    form.squadId = "3";
    for (const LocationCase& c : {LocationCase{"", true, -1, -1}, LocationCase{"12", false, 0, 0},
                                  LocationCase{"12, 40", true, 12, 40}, LocationCase{"5,6", true, 5, 6},
                                  LocationCase{"a, b", false, 0, 0}}) {
        form.actionLocation = c.text;
        error = StoreResultPage(form, squads, working);
        ASSERT_EQ(!error, c.ok) << c.text;
        if (error) {
            EXPECT_EQ(error->text, "Two comma separated integers expected.");
            EXPECT_EQ(error->caption, "Invalid x, y location");
            EXPECT_EQ(error->field, 1136);
            continue;
        }
        EXPECT_EQ(working.m_pResult->m_nOrderX, c.x);
        EXPECT_EQ(working.m_pResult->m_nOrderY, c.y);
    }
    const CZRResult& r = *working.m_pResult;
    EXPECT_EQ(r.m_nSquadKind, 4);
    EXPECT_EQ(r.m_nSquadType, 2);
    EXPECT_EQ(r.m_nSquadAgency, 1);
    EXPECT_EQ(r.m_nSquadID, 3);
    EXPECT_EQ(r.m_nZoneToBeFlagged, zoneId);
    EXPECT_EQ(r.m_nConnectionNodeFlag, 0x40);

    // The hazard needs its location.
    form.actionLocation = "";
    form.hazardOn = true;
    form.hazardType = 2;
    error = StoreResultPage(form, squads, working);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->field, 1008);
}

// A squad order is marked by the agency and squad id the game finds the squad by; the template index only picks
// the combo's entry. Opened and stored untouched, every order and flagged zone stays as it was.
TEST_F(OstrelModelWizard, OrdersAndFlaggedZonesSurviveAnUntouchedStore)
{
    const std::vector<SquadItem> items{{"Patrol", 1, 0, 0, 0}, {"Patrol car", 4, 0, 0, 0}, {"Suspect", 1, 1, 6, 0}};
    const struct {
        int32_t kind, index, agency, id;
        int item; // the combo's entry, -1 none
    } cases[] = {
        {1, 1, 6, 1, 2},   // the template named
        {1, -1, 6, 1, 2},  // no template index: the first of the agency
        {4, -1, 0, 3, 1},  // ... of the same kind
        {1, -1, 7, 2, -1}, // an agency no template has: no entry, kept as it is
    };
    for (const auto& c : cases) {
        CZREvent working(false);
        working.m_pResult = new CZRResult();
        CZRResult& r = *working.m_pResult;
        r.m_nSquadKind = c.kind;
        r.m_nSquadType = c.index;
        r.m_nSquadAgency = c.agency;
        r.m_nSquadID = c.id;
        r.m_nOrderID = 3;
        r.m_nOrderX = 40;
        r.m_nOrderY = 50;
        r.m_nConnectionNodeFlag = 0x60; // both marks, and a zone the list lacks
        r.m_nZoneToBeFlagged = 77;
        const ResultPageForm form = ResultPageOf(working, items, data);
        EXPECT_TRUE(form.actionOn) << c.agency;
        EXPECT_EQ(form.squad, c.item) << c.agency;
        EXPECT_TRUE(form.zoneOn);
        ASSERT_FALSE(StoreResultPage(form, items, working));
        EXPECT_EQ(r.m_nSquadKind, c.item < 0 ? c.kind : items[static_cast<size_t>(c.item)].kind);
        EXPECT_EQ(r.m_nSquadType, c.item < 0 ? c.index : items[static_cast<size_t>(c.item)].index);
        EXPECT_EQ(r.m_nSquadAgency, c.agency);
        EXPECT_EQ(r.m_nSquadID, c.id);
        EXPECT_EQ(r.m_nOrderID, 3);
        EXPECT_EQ(r.m_nOrderX, 40);
        EXPECT_EQ(r.m_nOrderY, 50);
        EXPECT_EQ(r.m_nConnectionNodeFlag, 0x60);
        EXPECT_EQ(r.m_nZoneToBeFlagged, 77);
    }
}

TEST_F(OstrelModelWizard, SpillAARAndResourcePointsRoundTripThroughThePage)
{
    CZREvent working(false);
    ResultPageForm form = ResultPageOf(working, squads, data);
    form.hazardOn = true;
    form.hazardType = 2;
    form.hazardLocation = "320, 256";
    form.magnitude = 1;
    form.hideHazard = true;
    form.aarOn = true;
    form.scores = {"5", "", "-2"};
    form.cost = "1500";
    form.pointsOn = true;
    form.points = "25";
    form.equipOn = true;
    form.equip = {false, true, false, false, true};
    ASSERT_FALSE(StoreResultPage(form, squads, working));
    const CZRResult& r = *working.m_pResult;
    EXPECT_EQ(r.m_nHazardKind, 2);
    EXPECT_EQ(r.m_nHazardX, 320);
    EXPECT_EQ(r.m_nHazardY, 256);
    EXPECT_EQ(r.m_nHazardValue, 1);
    EXPECT_TRUE(r.m_bHideHazard);
    EXPECT_TRUE(r.m_bAAREntry);
    EXPECT_EQ(r.m_anScore[0], 5);
    EXPECT_EQ(r.m_anScore[1], 0);
    EXPECT_EQ(r.m_anScore[2], -2);
    EXPECT_EQ(r.m_nCost, 1500);
    EXPECT_EQ(r.m_nZRPoints, 25);
    EXPECT_TRUE(r.m_abEquipAgency[1] && r.m_abEquipAgency[4] && !r.m_abEquipAgency[0]);

    const ResultPageForm again = ResultPageOf(working, squads, data);
    EXPECT_TRUE(again.hazardOn && again.aarOn && again.pointsOn && again.equipOn);
    EXPECT_FALSE(again.actionOn || again.zoneOn);
    EXPECT_EQ(again.hazardLocation, "320, 256");
    EXPECT_EQ(again.scores[1], "0");
    EXPECT_EQ(again.cost, "1500");
    EXPECT_EQ(again.points, "25");
    EXPECT_FALSE(BombTimesEnabled(again));

    // The bomb times: kept under another hazard type, zero once the hazard is unchecked.
    working.m_pResult->m_nBlowBombFrom = 10;
    working.m_pResult->m_nBlowBombTo = 20;
    ASSERT_FALSE(StoreResultPage(form, squads, working));
    EXPECT_EQ(working.m_pResult->m_nBlowBombFrom, 10);
    form.hazardType = kBombHazard;
    form.bombFrom = "3";
    form.bombTo = "9";
    EXPECT_TRUE(BombTimesEnabled(form));
    ASSERT_FALSE(StoreResultPage(form, squads, working));
    EXPECT_EQ(working.m_pResult->m_nBlowBombTo, 9);
    form.hazardOn = false;
    // Unchecking the AAR group clears cost and scores.
    form.aarOn = false;
    ASSERT_FALSE(StoreResultPage(form, squads, working));
    EXPECT_EQ(working.m_pResult->m_nBlowBombFrom, 0);
    EXPECT_EQ(working.m_pResult->m_nBlowBombTo, 0);
    EXPECT_EQ(working.m_pResult->m_nHazardKind, 0);
    EXPECT_EQ(working.m_pResult->m_nCost, 0);
    EXPECT_EQ(working.m_pResult->m_anScore[0], 0);
    EXPECT_FALSE(working.m_pResult->m_bAAREntry);
}

TEST_F(OstrelModelWizard, ARunWorksOnACopyUntilFinish)
{
    // A name no event has: nothing to run.
    const std::string unknown = "alarm";
    EXPECT_EQ(CEventWizardRun::Begin(data, &unknown), nullptr);

    // Cancelling a new event uses up its id and adds nothing.
    const int32_t next = CZREvent::m_nEventIDsource;
    {
        auto run = CEventWizardRun::Begin(data, nullptr);
        ASSERT_NE(run, nullptr);
        EXPECT_TRUE(run->IsNew());
        EXPECT_EQ(run->EventId(), static_cast<uint32_t>(next));
        run->Cancel();
    }
    EXPECT_EQ(CZREvent::m_nEventIDsource, next + 1);
    EXPECT_EQ(data.m_lstEvents.size(), 1u);

    // A new event that finishes is appended with its id.
    auto run = CEventWizardRun::Begin(data, nullptr);
    run->Working().m_strEventName = "Spill";
    run->Working().m_pResult = new CZRResult();
    run->Working().m_pResult->m_nZRPoints = 25;
    run->Finish();
    EXPECT_TRUE(data.m_bModified);
    ASSERT_EQ(data.m_lstEvents.size(), 2u);
    EXPECT_EQ(data.m_lstEvents.back()->m_strEventName, "Spill");
    EXPECT_EQ(data.m_lstEvents.back()->m_nUniqueID, next + 1);
    EXPECT_EQ(data.m_lstEvents.back()->m_pResult->m_nZRPoints, 25);

    // An existing event changes only on Finish, keeps its id and owns its own result.
    const std::string name = "Alarm";
    auto edit = CEventWizardRun::Begin(data, &name);
    ASSERT_NE(edit, nullptr);
    EXPECT_FALSE(edit->IsNew());
    edit->Working().m_strEventText = "Changed";
    edit->Working().m_pResult = new CZRResult();
    EXPECT_EQ(alarm->m_strEventText, "Sirens");
    const int32_t id = alarm->m_nUniqueID;
    edit->Finish();
    edit.reset();
    EXPECT_EQ(alarm->m_strEventText, "Changed");
    EXPECT_EQ(alarm->m_nUniqueID, id);
    ASSERT_NE(alarm->m_pResult, nullptr);
    alarm->m_pResult->m_nCost = 7; // still alive after the run's copy went
    data.m_bModified = false;
    auto untouched = CEventWizardRun::Begin(data, &name);
    untouched->Working().m_strEventText = "Lost";
    untouched.reset(); // neither finished nor cancelled: nothing changes
    EXPECT_EQ(alarm->m_strEventText, "Changed");
    EXPECT_FALSE(data.m_bModified);
}

} // namespace
