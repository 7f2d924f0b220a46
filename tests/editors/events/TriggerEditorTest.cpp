// The trigger editor and its condition dialogs driven through their widgets: a time trigger, the sorted lists'
// preselections, delete by item value, the proximity refusals and the unit-status lists.
#include "TriggerWizardFixture.h"

#include "core/events/ConditionKinds.h"
#include "editors/common/ui/TimeEdit.h"
#include "editors/events/ui/TriggerEditor.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace {

using namespace ostreltest;

class OstrelTriggerEditor : public OstrelWindowTest {};

TEST_F(OstrelTriggerEditor, MakesAtNineThirtyFiveThroughTheTimeDialog)
{
    CZRArgument trigger(true);
    const uint32_t id = static_cast<uint32_t>(trigger.m_nUniqueID);
    CModalAnswers answers;
    answers.Then([&](QDialog& d) {
        EXPECT_EQ(Label(d, IDC_TRIGGER_ID), std::to_string(id));
        EXPECT_FALSE(Button(d, IDOK)->isEnabled()); // no name yet
        Edit(d, IDC_TRIGGER_NAME)->setText("At 09:35");
        EXPECT_TRUE(Button(d, IDOK)->isEnabled());
        Button(d, IDC_ADD_TIME)->click();
    });
    answers.Then([&](QDialog& d) {
        QComboBox* op = Combo(d, 1068);
        EXPECT_EQ(ComboTexts(op), (std::vector<std::string>{"<", ">="}));
        EXPECT_EQ(op->currentText(), ">=");
        auto* time = GetDlgItem<CTimeEdit>(&d, 1060);
        EXPECT_EQ(time->GetHHMM(), 800); // the scenario start
        time->SetHHMM(935);
        d.accept();
    });
    answers.Then([&](QDialog& d) {
        EXPECT_EQ(ListTexts(List(d, IDC_CONDITION_LIST)),
                  (std::vector<std::string>{"Is game time greater than or equal to 0935?"}));
        Button(d, IDOK)->click();
    });
    ASSERT_TRUE(RunTriggerEditor(Doc(), nullptr, &trigger, id));
    EXPECT_EQ(trigger.m_strArgumentName, "At 09:35");
    EXPECT_EQ(trigger.m_nBaseFlags, 0x01);
    ASSERT_EQ(trigger.m_vConditions.size(), 1u);
    auto* time = dynamic_cast<CConditionTimeBased*>(trigger.m_vConditions[0]);
    ASSERT_NE(time, nullptr);
    EXPECT_EQ(time->m_nComparison, 1);
    EXPECT_EQ(time->m_nTargetTime, 935);
    EXPECT_FALSE(time->m_bState);
}

// A time typed over the whole field (selected by a double-click or Ctrl+A) is the time typed: "0010" used to give
// "0001", its digits split between the hours and the minutes.
TEST_F(OstrelTriggerEditor, ATimeTypedIntoTheGameTimeFieldIsThatTime)
{
    struct Case {
        const char* how;
        const char* typed;
        const char* shown;
    };
    const Case cases[] = {{"double-click", "0010", "0010"}, {"Ctrl+A", "1205", "1205"}, {"Ctrl+A", "0930", "0930"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.how) + " " + c.typed);
        CZRArgument trigger(true);
        CModalAnswers answers;
        answers.Then([&](QDialog& d) {
            Edit(d, IDC_TRIGGER_NAME)->setText("Typed");
            Button(d, IDC_ADD_TIME)->click();
        });
        answers.Then([&](QDialog& d) {
            auto* time = GetDlgItem<CTimeEdit>(&d, 1060);
            auto* field = time->findChild<QLineEdit*>();
            ASSERT_NE(field, nullptr);
            if (std::string(c.how) == "double-click") {
                QTest::mouseDClick(field, Qt::LeftButton, {}, field->rect().center());
            } else {
                time->setFocus();
                QTest::keyClick(time, Qt::Key_A, Qt::ControlModifier);
            }
            ASSERT_EQ(field->selectedText(), "0800");
            QTest::keyClicks(time, c.typed);
            EXPECT_EQ(time->text().toStdString(), c.shown);
            d.accept();
        });
        answers.Then([&](QDialog& d) {
            EXPECT_EQ(
                ListTexts(List(d, IDC_CONDITION_LIST)),
                (std::vector<std::string>{std::string("Is game time greater than or equal to ") + c.shown + "?"}));
            Button(d, IDOK)->click();
        });
        ASSERT_TRUE(RunTriggerEditor(Doc(), nullptr, &trigger, static_cast<uint32_t>(trigger.m_nUniqueID)));
        ASSERT_EQ(trigger.m_vConditions.size(), 1u);
        EXPECT_EQ(dynamic_cast<CConditionTimeBased*>(trigger.m_vConditions[0])->m_nTargetTime, std::stoi(c.shown));
    }
}

TEST_F(OstrelTriggerEditor, SortedListsPreselectTheirFirstAndDeleteGoesByItemValue)
{
    CZRArgument trigger(true);
    trigger.m_strArgumentName = "Mixed";
    trigger.m_vConditions.push_back(new CConditionIAPBased()); // index 0: "IAP Phase has occurred"
    CModalAnswers answers;
    answers.Then([&](QDialog& d) { Button(d, IDC_ADD_ACTION)->click(); });
    answers.Then([&](QDialog& d) {
        EXPECT_EQ(Combo(d, 1119)->currentText(), "(Hidden)");
        EXPECT_EQ(Combo(d, 1155)->currentText(), "initiated");
        EXPECT_EQ(Combo(d, 1156)->currentText(), "Anyone");
        d.accept();
    });
    answers.Then([&](QDialog& d) { Button(d, IDC_ADD_ENVIRONMENT)->click(); });
    answers.Then([&](QDialog& d) {
        EXPECT_EQ(Combo(d, 1167)->currentText(), "Electrical Hazard");
        d.accept();
    });
    answers.Then([&](QDialog& d) { Button(d, IDC_ADD_LOCATION)->click(); });
    answers.Then([&](QDialog& d) {
        EXPECT_EQ(Combo(d, 1066)->currentText(), "Any");
        EXPECT_EQ(ComboTexts(Combo(d, 1067)), (std::vector<std::string>{"Loading dock", "yard"}));
        Edit(d, 1013)->setText("12"); // ignored for "Any"
        d.accept();
    });
    answers.Then([&](QDialog& d) {
        QListWidget* list = List(d, IDC_CONDITION_LIST);
        EXPECT_EQ(ListTexts(list), (std::vector<std::string>{"Action (Hidden) is initiated by Anyone",
                                                             "Any in zone Loading dock",
                                                             "Environmental effect Electrical Hazard occurred",
                                                             "IAP Phase has occurred"}));
        // Row 0 is the action condition, index 1 in the trigger.
        list->setCurrentRow(0);
        Button(d, IDC_DELETE_CONDITION)->click();
        EXPECT_EQ(list->count(), 3);
        Button(d, IDOK)->click();
    });
    ASSERT_TRUE(RunTriggerEditor(Doc(), nullptr, &trigger, 5));
    ASSERT_EQ(trigger.m_vConditions.size(), 3u);
    EXPECT_EQ(trigger.m_vConditions[0]->m_nKind, kConditionIAP);
    EXPECT_EQ(trigger.m_vConditions[1]->m_nKind, kConditionEnvironment);
    EXPECT_EQ(trigger.m_vConditions[2]->m_nKind, kConditionLocation);
    EXPECT_EQ(dynamic_cast<CConditionLocationBased*>(trigger.m_vConditions[2])->m_nSquadID, 0);
    EXPECT_EQ(trigger.m_nBaseFlags, 0x40 | 0x80 | 0x04); // the action's bit was never stored
}

TEST_F(OstrelTriggerEditor, ProximityRefusesUntilTargetAndIdAndCancelKeepsTheTrigger)
{
    CZRArgument trigger(true);
    trigger.m_strArgumentName = "Near";
    CScriptedPrompts prompts;
    prompts.ExpectMessage("Choose a target agency or cancel to quit", IDOK, "Incomplete")
        .ExpectMessage("Squad ID is a required field", IDOK, "Incomplete");
    CModalAnswers answers;
    answers.Then([&](QDialog& d) { Button(d, IDC_ADD_PROXIMITY)->click(); });
    answers.Then([&](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Squad Proximity");
        EXPECT_EQ(Combo(d, 1160)->currentText(), "Civilian");
        d.accept(); // no target: refused, still open
        QListWidget* targets = List(d, 1159);
        for (const char* name : {"Police", "EMS"})
            targets->findItems(name, Qt::MatchExactly).front()->setSelected(true);
        d.accept(); // no ID: refused
        Edit(d, 1013)->setText("3");
        Combo(d, 1160)->setCurrentIndex(1);
        d.accept();
    });
    answers.Then([&](QDialog& d) {
        EXPECT_EQ(ListTexts(List(d, IDC_CONDITION_LIST)),
                  (std::vector<std::string>{"Threat-3 in range to perform Assault upon Police, EMS"}));
        Button(d, IDOK)->click();
    });
    ASSERT_TRUE(RunTriggerEditor(Doc(), nullptr, &trigger, 1));
    ASSERT_EQ(trigger.m_vConditions.size(), 1u);
    auto* proximity = dynamic_cast<CConditionSquadProximityBased*>(trigger.m_vConditions[0]);
    ASSERT_NE(proximity, nullptr);
    EXPECT_EQ(proximity->m_nTargetAgency, 17);
    EXPECT_EQ(trigger.m_nBaseFlags, 0x20);
    EXPECT_EQ(prompts.Pending(), 0u);

    answers.Then([&](QDialog& d) {
        Edit(d, IDC_TRIGGER_NAME)->setText("Renamed");
        d.reject();
    });
    EXPECT_FALSE(RunTriggerEditor(Doc(), nullptr, &trigger, 1));
    EXPECT_EQ(trigger.m_strArgumentName, "Near");
}

TEST_F(OstrelTriggerEditor, UnitStatusNamesSectionsByTheCommandTableAndEventStatusListsEvents)
{
    CZRArgument trigger(true);
    trigger.m_strArgumentName = "Units";
    CModalAnswers answers;
    answers.Then([&](QDialog& d) { Button(d, IDC_ADD_UNIT)->click(); });
    answers.Then([&](QDialog& d) {
        QComboBox* sections = Combo(d, 1119);
        EXPECT_EQ(ComboTexts(sections),
                  (std::vector<std::string>{"Command Section", "Operations Section", "Planning Section",
                                            "Logistics Section", "Finance/Administration Section"}));
        QComboBox* units = Combo(d, 1152);
        EXPECT_EQ(units->count(), 7); // Command units 1-7, never the Command Section itself
        EXPECT_EQ(units->findText("Command Section"), -1);
        EXPECT_EQ(units->currentIndex(), 0);
        // Another section refills the units.
        sections->setCurrentIndex(2);
        emit sections->activated(2);
        EXPECT_EQ(units->count(), 5);
        Combo(d, 1153)->setCurrentIndex(Combo(d, 1153)->findText("has not"));
        d.accept();
    });
    answers.Then([&](QDialog& d) { Button(d, IDC_ADD_EVENT)->click(); });
    answers.Then([&](QDialog& d) {
        EXPECT_EQ(ComboTexts(Combo(d, 1064)), (std::vector<std::string>{"alarm", "Water main break"}));
        Combo(d, 1065)->setCurrentIndex(Combo(d, 1065)->findText("has not"));
        d.accept();
    });
    answers.Then([&](QDialog& d) { Button(d, IDOK)->click(); });
    ASSERT_TRUE(RunTriggerEditor(Doc(), nullptr, &trigger, 2));
    ASSERT_EQ(trigger.m_vConditions.size(), 2u);
    auto* unit = dynamic_cast<CConditionZRUnitActivationBased*>(trigger.m_vConditions[0]);
    ASSERT_NE(unit, nullptr);
    EXPECT_EQ(unit->m_nSection, 2);
    EXPECT_FALSE(unit->m_bWasUnitActivated);
    EXPECT_TRUE(unit->m_bState);
    auto* event = dynamic_cast<CConditionEventBased*>(trigger.m_vConditions[1]);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(event->m_nEventID, m_nAlarmId);
    EXPECT_FALSE(event->m_bWasEventExecuted);
    EXPECT_TRUE(event->m_bState);
}

} // namespace
