// The event wizard driven through its pages: a new event with a chemical spill at a point of a zone, an AAR entry
// with scores and cost and 25 Resource Points; Next, Back and Finish refusals that stay on the page; editing an
// existing event.
#include "TriggerWizardFixture.h"

#include "editors/events/ui/WizardEvent.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QWizard>

namespace {

using namespace ostreltest;

class OstrelWizard : public OstrelWindowTest {};

QWizardPage* Page(QDialog& d)
{
    return static_cast<QWizard&>(d).currentPage();
}
void Press(QDialog& d, QWizard::WizardButton which)
{
    static_cast<QWizard&>(d).button(which)->click();
}
QCheckBox* Check(const QWidget& w, int id)
{
    auto* box = GetDlgItem<QCheckBox>(&w, id);
    EXPECT_NE(box, nullptr) << id;
    return box;
}

TEST_F(OstrelWizard, CreatesAnEventWithASpillAnAAREntryAndResourcePoints)
{
    CScriptedPrompts prompts;
    prompts.ExpectMessage("You must name this event or Cancel it.")
        .ExpectMessage("Event name [alarm] is already in use\nand duplicates are not allowed")
        .ExpectMessage("Two comma separated integers expected.", IDOK, "Invalid x, y location");
    const int32_t expectedId = CZREvent::m_nEventIDsource;
    QWizardPage* eventPage = nullptr;
    CModalAnswers answers;
    answers.Then([&](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Create New Event");
        eventPage = Page(d);
        QWidget& p = *eventPage;
        EXPECT_EQ(Label(p, 1164), std::to_string(expectedId));
        EXPECT_TRUE(GetDlgItem<QRadioButton>(&p, 1044)->isChecked());
        EXPECT_TRUE(Check(p, 1039)->isChecked()); // "Zoranth"
        EXPECT_FALSE(Check(p, 1148)->isChecked());
        EXPECT_EQ(Check(p, 1035)->text(), "Millbrook Police"); // relabelled from the agency list
        EXPECT_TRUE(Check(p, 1038)->isHidden());                // row 5: civilians
        Press(d, QWizard::NextButton);                          // no name: refused
        EXPECT_EQ(Page(d), eventPage);
        Edit(p, 1001)->setText("alarm");
        Press(d, QWizard::NextButton); // taken: refused
        EXPECT_EQ(Page(d), eventPage);
        Edit(p, 1001)->setText("Chemical spill");
        Edit(p, 1007)->setText("Tanker leak at the yard");
        GetDlgItem<QPlainTextEdit>(&p, 1002)->setPlainText("A tanker leaks.\nStay clear.");
        Edit(p, 1013)->setText("100");
        Button(p, 1053)->click(); // "Add Trigger"
    });
    answers.Then([&](QDialog& d) {
        EXPECT_EQ(Label(d, 1056), "Select trigger:");
        QListWidget* list = List(d, 1055);
        ASSERT_EQ(ListTexts(list), (std::vector<std::string>{"At 09:35"}));
        list->setCurrentRow(0);
        d.accept();
    });
    answers.Then([&](QDialog& d) {
        QWidget& p = *Page(d);
        EXPECT_EQ(ListTexts(List(p, 1004)), (std::vector<std::string>{"At 09:35"}));
        Press(d, QWizard::NextButton);
        ASSERT_NE(Page(d), eventPage);
        QWidget& r = *Page(d);
        EXPECT_EQ(FromQString(Edit(r, 1001)->text()), "Chemical spill");
        auto& wizard = static_cast<QWizard&>(d);
        EXPECT_TRUE(wizard.button(QWizard::FinishButton)->isVisible());
        EXPECT_FALSE(wizard.button(QWizard::NextButton)->isVisible());
        EXPECT_FALSE(Combo(r, 1145)->isEnabled()); // the hazard group starts unchecked
        Check(r, 1127)->click();
        EXPECT_TRUE(Combo(r, 1145)->isEnabled());
        QComboBox* type = Combo(r, 1145);
        type->setCurrentIndex(type->findText("Chemical spill"));
        Edit(r, 1008)->setText("330");
        Press(d, QWizard::BackButton); // refused: no y
        EXPECT_EQ(Page(d), &r);
        Edit(r, 1008)->setText("330, 200"); // inside "yard"
        Combo(r, 1144)->setCurrentIndex(1);
        Check(r, 1146)->click(); // AAR
        Edit(r, 1006)->setText("10");
        Edit(r, 1007)->setText("-5");
        Edit(r, 1009)->setText("2500");
        Check(r, 1143)->click(); // Resource Points
        Edit(r, 1137)->setText("25");
        Press(d, QWizard::BackButton); // stores and goes back
        EXPECT_EQ(Page(d), eventPage);
        Press(d, QWizard::NextButton);
        Press(d, QWizard::FinishButton);
    });
    const int32_t id = RunEventWizard(Doc(), nullptr, "Create New Event", nullptr);
    EXPECT_EQ(id, expectedId);
    EXPECT_TRUE(Data().m_bModified);
    ASSERT_EQ(Data().m_lstEvents.size(), 3u);
    const CZREvent& event = *Data().m_lstEvents.back();
    EXPECT_EQ(event.m_nUniqueID, id);
    EXPECT_EQ(event.m_strEventName, "Chemical spill");
    EXPECT_EQ(event.m_strEventTitle, "Tanker leak at the yard");
    EXPECT_EQ(event.m_strEventText, "A tanker leaks.\r\nStay clear.");
    EXPECT_EQ(event.m_vTrigger, (std::vector<uint32_t>{m_nTriggerId}));
    EXPECT_EQ(event.nTmp, 1024);
    ASSERT_NE(event.m_pResult, nullptr);
    const CZRResult& r = *event.m_pResult;
    EXPECT_EQ(r.m_nHazardKind, 2);
    EXPECT_EQ(r.m_nHazardX, 330);
    EXPECT_EQ(r.m_nHazardY, 200);
    EXPECT_EQ(r.m_nHazardValue, 1);
    EXPECT_TRUE(r.m_bAAREntry);
    EXPECT_EQ(r.m_anScore[0], 10);
    EXPECT_EQ(r.m_anScore[1], -5);
    EXPECT_EQ(r.m_anScore[2], 0);
    EXPECT_EQ(r.m_nCost, 2500);
    EXPECT_EQ(r.m_nZRPoints, 25);
    EXPECT_EQ(r.m_nSquadAgency, 9); // no squad order
    EXPECT_EQ(r.m_nZoneToBeFlagged, -1);
}

// On a 1366 x 768 screen the sheet must leave Finish and Cancel on the screen: the result page fits 1024 x 720.
TEST_F(OstrelWizard, TheResultPageFitsA1024By720Area)
{
    CModalAnswers answers;
    answers.Then([&](QDialog& d) {
        Edit(*Page(d), 1001)->setText("Fits");
        Press(d, QWizard::NextButton);
        auto& wizard = static_cast<QWizard&>(d);
        ASSERT_NE(GetDlgItem<QCheckBox>(Page(d), 1135), nullptr); // the result page
        for (const QSize size : {d.size(), d.sizeHint(), d.minimumSizeHint()}) {
            EXPECT_LE(size.width(), 1024);
            EXPECT_LE(size.height(), 720);
        }
        for (QWizard::WizardButton which : {QWizard::FinishButton, QWizard::CancelButton}) {
            QAbstractButton* button = wizard.button(which);
            EXPECT_TRUE(button->isVisible());
            EXPECT_TRUE(d.rect().contains(QRect(button->mapTo(&d, QPoint(0, 0)), button->size())));
        }
        Press(d, QWizard::CancelButton);
    });
    RunEventWizard(Doc(), nullptr, "Create New Event", nullptr);
}

TEST_F(OstrelWizard, EditingAnExistingEventChangesItOnlyOnFinish)
{
    CScriptedPrompts prompts;
    prompts.ExpectMessage("Delete [At 09:35]?", IDNO, "Delete Trigger")
        .ExpectMessage("Delete [At 09:35]?", IDYES, "Delete Trigger")
        .ExpectMessage("The squad ID is required.", IDOK, "Invalid Action Assignment");
    CZREvent* water = Data().m_lstEvents.back();
    water->m_vTrigger = {m_nTriggerId};
    const std::string name = "Water main break";
    CModalAnswers answers;
    answers.Then([&](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Edit Defined Event");
        QWidget& p = *Page(d);
        EXPECT_EQ(FromQString(Edit(p, 1001)->text()), name);
        QListWidget* triggers = List(p, 1004);
        triggers->setCurrentRow(0);
        Button(p, 1054)->click(); // No: kept
        EXPECT_EQ(triggers->count(), 1);
        Button(p, 1054)->click(); // Yes: gone
        EXPECT_EQ(triggers->count(), 0);
        GetDlgItem<QRadioButton>(&p, 1045)->click(); // "Hidden"
        EXPECT_FALSE(Check(p, 1039)->isEnabled());
        Press(d, QWizard::NextButton);
        QWidget& r = *Page(d);
        Check(r, 1135)->click(); // an order without an ID: refused on Finish
        Press(d, QWizard::FinishButton);
        EXPECT_EQ(Page(d), &r);
        Press(d, QWizard::CancelButton);
    });
    EXPECT_EQ(RunEventWizard(Doc(), nullptr, "Edit Defined Event", &name), water->m_nUniqueID);
    EXPECT_EQ(water->m_vTrigger, (std::vector<uint32_t>{m_nTriggerId})); // cancelled: untouched
    EXPECT_EQ(water->nTmp, 1024);
    EXPECT_EQ(water->m_pResult, nullptr);
    EXPECT_FALSE(Data().m_bModified);

    answers.Then([&](QDialog& d) {
        QWidget& p = *Page(d);
        GetDlgItem<QRadioButton>(&p, 1045)->click();
        Press(d, QWizard::NextButton);
        Press(d, QWizard::FinishButton);
    });
    EXPECT_EQ(RunEventWizard(Doc(), nullptr, "Edit Defined Event", &name), water->m_nUniqueID);
    EXPECT_EQ(water->nTmp, 0);
    EXPECT_NE(water->m_pResult, nullptr);
    EXPECT_TRUE(Data().m_bModified);

    // A name no event has: nothing runs.
    const std::string unknown = "water main break";
    EXPECT_EQ(RunEventWizard(Doc(), nullptr, "Edit Defined Event", &unknown), -1);
}

} // namespace
