// Tests of Ostrel's windows, driven through the real dialogs: File commands, the lists, title, times and intro,
// zones, events and triggers, import, save flows and bad input, and a picture of the main dialog.
#include "OstrelFilesSupport.h"

#include "core/events/ConditionKinds.h"
#include "editors/common/MenuInput.h"
#include "editors/common/ModalAnswers.h"
#include "editors/common/ScriptedPrompts.h"
#include "editors/common/ui/ListHelpers.h"
#include "editors/common/ui/Text.h"
#include "editors/common/ui/TimeEdit.h"
#include "editors/events/model/EventsDocument.h"
#include "editors/events/model/EventsModel.h"
#include "editors/events/ui/OstrelApp.h"
#include "editors/events/ui/OstrelDlg.h"

#include <QAction>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWizard>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace ostrel_test;
namespace fs = std::filesystem;

namespace {

class Ostrel : public ::testing::Test {
protected:
    void Start(const std::string& caseName)
    {
        m_folder = CaseFolder(caseName);
        m_pDocument = std::make_unique<COstrelDocument>(m_folder);
        m_pDocument->LoadUnitTables();
        m_pDocument->InstallConditionHooks();
        m_pDialog = std::make_unique<COstrelDlg>(*m_pDocument);
        m_pDialog->show();
    }
    void TearDown() override
    {
        m_pDialog.reset();
        m_pDocument.reset();
        m_counters.Restore();
    }

    // Runs a menu command by its menu and item texts.
    void Menu(const char* menu, const char* item)
    {
        for (QAction* top : m_pDialog->GetMenuBar()->actions()) {
            if (top->text() != menu || !top->menu())
                continue;
            for (QAction* action : top->menu()->actions())
                if (action->text() == item) {
                    action->trigger();
                    return;
                }
        }
        ADD_FAILURE() << "no menu item " << menu << " " << item;
    }
    void Click(int id)
    {
        auto* button = GetDlgItem<QPushButton>(m_pDialog.get(), id);
        ASSERT_NE(button, nullptr) << id;
        ASSERT_TRUE(button->isEnabled()) << id;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    QListWidget* List(int id) const { return GetDlgItem<QListWidget>(m_pDialog.get(), id); }
    std::vector<std::string> Items(int id) const
    {
        std::vector<std::string> items;
        for (int i = 0; i < GetCount(List(id)); ++i)
            items.push_back(GetText(List(id), i));
        return items;
    }
    bool Select(int id, const std::string& text)
    {
        const int index = FindStringExact(List(id), text);
        SetCurSel(List(id), index);
        return index >= 0;
    }
    void OpenMillbrook(CScriptedPrompts& prompts)
    {
        prompts.ExpectOpenFile(m_folder + "/Millbrook.zre");
        Menu("&File", "&Open");
    }
    std::string Caption() const { return m_pDialog->windowTitle().toStdString(); }
    CZREventsData& Data() const { return *m_pDocument->GetEventsData(); }

    std::string m_folder;
    std::unique_ptr<COstrelDocument> m_pDocument;
    std::unique_ptr<COstrelDlg> m_pDialog;
    CIdCounters m_counters = CIdCounters::Current();
};

void SetText(QDialog& d, int id, const char* text)
{
    auto* edit = GetDlgItem<QLineEdit>(&d, id);
    ASSERT_NE(edit, nullptr) << id;
    edit->clear();
    QTest::keyClicks(edit, text);
}

} // namespace

TEST_F(Ostrel, OpensMillbrookListsItAndLooksRight)
{
    Start("open");
    EXPECT_EQ(Caption(), "ZR Events Editor");
    CScriptedPrompts prompts;
    OpenMillbrook(prompts);
    EXPECT_EQ(Caption(), "ZR Events Editor - Millbrook.zre");
    EXPECT_EQ(prompts.Log().front().choice.filter, "ZR Events Files (*.ZRE)|*.ZRE|All Files (*.*)|*.*||");
    size_t defined = 0;
    for (const CZREvent* e : Data().m_lstEvents)
        defined += IsDefinedEvent(*e);
    EXPECT_EQ(Items(IDC_EVENTS_DEFINED).size(), defined);
    EXPECT_EQ(Items(IDC_EVENTS_PARTIAL).size(), Data().m_lstEvents.size() - defined);
    EXPECT_EQ(Items(IDC_ZONES).size(), Data().m_vZones.size());
    EXPECT_EQ(Items(IDC_TRIGGERS).size(), Data().m_mapArguments.size());
    EXPECT_GT(defined, 0u);
    auto events = Items(IDC_EVENTS_DEFINED);
    EXPECT_TRUE(std::is_sorted(events.begin(), events.end(), [](const std::string& a, const std::string& b) {
        return CompareNoCase(a, b) < 0;
    }));
    EXPECT_EQ(FromQString(GetDlgItem<QLineEdit>(m_pDialog.get(), IDC_TITLE)->text()),
              Data().m_strOriginalScenarioTitle);
    for (int id : {IDC_TITLE, IDC_INTRO, IDC_MISC_DETAILS, IDC_EVENT_CREATE, IDC_ZONE_CREATE, IDC_TRIGGER_CREATE})
        EXPECT_TRUE(GetDlgItem<QWidget>(m_pDialog.get(), id)->isEnabled()) << id;

    m_pDialog->resize(m_pDialog->sizeHint().expandedTo(QSize(720, 560)));
    fs::create_directories(ZR_OSTREL_OUTPUT);
    EXPECT_TRUE(m_pDialog->grab().save(QString(ZR_OSTREL_OUTPUT) + "/Ostrel-Millbrook.png"));
}

TEST_F(Ostrel, EditsTitleTimesAndIntroThenSavesAs)
{
    Start("edit-details");
    CScriptedPrompts prompts;
    OpenMillbrook(prompts);
    auto* title = GetDlgItem<QLineEdit>(m_pDialog.get(), IDC_TITLE);
    title->setFocus();
    title->clear();
    QTest::keyClick(title, Qt::Key_Return); // an emptied title keeps the old one
    EXPECT_FALSE(Data().m_strOriginalScenarioTitle.empty());
    EXPECT_FALSE(m_pDocument->IsModified());
    QTest::keyClicks(title, "  Millbrook Revisited ");
    QTest::keyClick(title, Qt::Key_Return);
    EXPECT_EQ(Data().m_strOriginalScenarioTitle, "Millbrook Revisited");
    EXPECT_TRUE(m_pDocument->IsModified());

    CModalAnswers answers;
    answers
        .Then([](QDialog& d) {
            GetDlgItem<CTimeEdit>(&d, 1061)->SetHHMM(1400);
            GetDlgItem<CTimeEdit>(&d, 1062)->SetHHMM(1400);
            d.accept(); // refused: the dialog stays
        })
        .Then([](QDialog& d) {
            GetDlgItem<CTimeEdit>(&d, 1062)->SetHHMM(1530);
            d.accept();
        })
        .Then([](QDialog& d) {
            auto* edit = GetDlgItem<QPlainTextEdit>(&d, 1013);
            edit->setPlainText("Line one\nLine two");
            d.accept();
        });
    prompts.ExpectMessage("Start time must be earlier than end time", IDOK, "Start/End Time Error");
    Click(IDC_MISC_DETAILS);
    EXPECT_EQ(Data().m_nGameStartTime, 1400);
    EXPECT_EQ(Data().m_nGameEndTime, 1530);
    Click(IDC_INTRO);
    EXPECT_EQ(Data().m_strIntroText, "Line one\r\nLine two");

    prompts.ExpectSaveFile(m_folder + "/Edited");
    Menu("&File", "Save &As...");
    EXPECT_EQ(m_pDocument->GetPath(), m_folder + "/Edited.zre");
    EXPECT_EQ(Caption(), "ZR Events Editor - Edited.zre");
    EXPECT_FALSE(m_pDocument->IsModified());
    COstrelDocument reread(m_folder);
    COstrelError error;
    ASSERT_TRUE(reread.Load(m_folder + "/Edited.zre", false, &error));
    EXPECT_EQ(reread.GetEventsData()->m_strOriginalScenarioTitle, "Millbrook Revisited");
    EXPECT_EQ(reread.GetEventsData()->m_nGameStartTime, 1400);
    EXPECT_EQ(reread.GetEventsData()->m_strIntroText, "Line one\r\nLine two");
    // Saved: New asks nothing (an unscripted prompt would fail).
    Menu("&File", "&New");
    EXPECT_EQ(m_pDocument->GetPath(), "");
    EXPECT_EQ(prompts.Messages().size(), 1u);
}

// Ostrel's File commands take the keys the other editors give them, and they work at once after Open, Save and
// Save As, with the focus still in the title just typed.
TEST_F(Ostrel, TheFileShortcutsAreTheOtherEditorsAndWorkAtOnce)
{
    Start("shortcuts");
    CScriptedPrompts prompts;
    prompts.ExpectOpenFile(m_folder + "/Millbrook.zre");
    ASSERT_TRUE(PickFromMenu(m_pDialog->GetMenuBar(), "&File", "&Open"));
    ASSERT_EQ(Caption(), "ZR Events Editor - Millbrook.zre");
    auto* title = GetDlgItem<QLineEdit>(m_pDialog.get(), IDC_TITLE);
    auto retitle = [&](const char* text) {
        title->setFocus();
        title->selectAll();
        QTest::keyClicks(title, text);
    };
    auto titleIn = [&](const std::string& path) {
        COstrelDocument reread(m_folder);
        COstrelError error;
        return reread.Load(path, false, &error) ? reread.GetEventsData()->m_strOriginalScenarioTitle : error.text;
    };
    retitle("Keyed Title");
    PressKeys(m_pDialog.get(), QKeySequence(Qt::CTRL | Qt::Key_S));
    EXPECT_EQ(titleIn(m_folder + "/Millbrook.zre"), "Keyed Title");

    retitle("Keyed Again");
    prompts.ExpectSaveFile(m_folder + "/Keyed");
    PressKeys(m_pDialog.get(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    EXPECT_EQ(Caption(), "ZR Events Editor - Keyed.zre");
    EXPECT_EQ(titleIn(m_folder + "/Keyed.zre"), "Keyed Again");
    retitle("Keyed Twice");
    PressKeys(m_pDialog.get(), QKeySequence(Qt::CTRL | Qt::Key_S));
    EXPECT_EQ(titleIn(m_folder + "/Keyed.zre"), "Keyed Twice");

    // Ctrl+N asks about an unsaved title first; Ctrl+O shows the open choice; Ctrl+Q is Exit.
    retitle("Unsaved");
    prompts.ExpectMessage("Do you want to save the changes you made?", IDNO, "ZR Events Editor");
    PressKeys(m_pDialog.get(), QKeySequence(Qt::CTRL | Qt::Key_N));
    EXPECT_EQ(m_pDocument->GetPath(), "");
    prompts.ExpectOpenFile("");
    PressKeys(m_pDialog.get(), QKeySequence(Qt::CTRL | Qt::Key_O));
    retitle("Unsaved");
    prompts.ExpectMessage("Do you want to save the changes you made?", IDCANCEL, "ZR Events Editor");
    PressKeys(m_pDialog.get(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    EXPECT_EQ(prompts.Pending(), 0u);
    EXPECT_TRUE(m_pDialog->isVisible());
}

// Save As of an unnamed document starts in the data folder, also after a file elsewhere was opened and left by New.
TEST_F(Ostrel, SaveAsOfAnUnnamedDocumentStartsInTheDataFolder)
{
    Start("save-as-folder");
    fs::create_directories(m_folder + "/Elsewhere");
    fs::copy_file(m_folder + "/Millbrook.zre", m_folder + "/Elsewhere/Other.zre");
    CQtPromptService qt;
    CPromptService* previous = SetPromptService(&qt);
    QString shown;
    CModalAnswers answers;
    auto look = [&](QDialog& d) {
        auto& dialog = static_cast<QFileDialog&>(d);
        EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
        shown = dialog.directory().absolutePath();
        d.reject();
    };
    answers.Then(look);
    Menu("&File", "Save &As...");
    EXPECT_EQ(shown.toStdString(), m_folder);

    answers.Then([&](QDialog& d) {
        auto& dialog = static_cast<QFileDialog&>(d);
        dialog.setDirectory(QString::fromStdString(m_folder + "/Elsewhere"));
        dialog.selectFile("Other.zre");
        d.accept();
    });
    Menu("&File", "&Open");
    EXPECT_EQ(m_pDocument->GetPath(), m_folder + "/Elsewhere/Other.zre");
    Menu("&File", "&New");
    shown.clear();
    answers.Then(look);
    Menu("&File", "Save &As...");
    EXPECT_EQ(shown.toStdString(), m_folder);
    SetPromptService(previous);
}

TEST_F(Ostrel, CreatesEditsAndDeletesZones)
{
    Start("zones");
    CScriptedPrompts prompts;
    OpenMillbrook(prompts);
    const size_t zones = Data().m_vZones.size();
    CModalAnswers answers;
    answers.Then([](QDialog& d) {
        SetText(d, 1013, "Dock");
        SetText(d, 1006, "100, 100");
        SetText(d, 1009, "200,260");
        d.accept();
    });
    Click(IDC_ZONE_CREATE);
    ASSERT_EQ(Data().m_vZones.size(), zones + 1);
    CTacticalMapZone* dock = Data().m_vZones.back();
    EXPECT_EQ(dock->m_strZoneName, "Dock");
    EXPECT_EQ(dock->m_rcBoundingBox.right, 200);
    EXPECT_EQ(dock->m_rcBoundingBox.bottom, 260);
    EXPECT_TRUE(dock->m_bUseMBR);
    EXPECT_EQ(GetCurSel(List(IDC_ZONES)), FindStringExact(List(IDC_ZONES), "Dock"));
    EXPECT_TRUE(m_pDocument->IsModified());

    // A refused OK keeps the zone's stored points; the corrected OK writes the box.
    dock->m_lstPoints = {{1, 2}, {3, 4}};
    answers
        .Then([&](QDialog& d) {
            EXPECT_EQ(FromQString(GetDlgItem<QLineEdit>(&d, 1006)->text()), "100, 100");
            EXPECT_EQ(GetDlgItem<QWidget>(&d, 1162)->property("text").toString().toStdString(),
                      std::to_string(dock->m_nUniqueID));
            SetText(d, 1009, "50, 50");
            d.accept();
        })
        .Then([](QDialog& d) {
            SetText(d, 1009, "300, 300");
            d.accept();
        });
    prompts.ExpectMessage("Bounding box left must be less than right", IDOK, "Invalid Bounding Box");
    Click(IDC_ZONE_EDIT);
    EXPECT_EQ(dock->m_rcBoundingBox.right, 300);
    EXPECT_EQ(dock->m_lstPoints.size(), 2u);

    // Cancel changes nothing; "No" keeps the zone; "Yes" deletes it.
    answers.Reject();
    Click(IDC_ZONE_EDIT);
    ASSERT_TRUE(Select(IDC_ZONES, "Dock"));
    prompts.ExpectMessage("Delete this map zone?", IDNO, "Confirm Delete");
    Click(IDC_ZONE_DELETE);
    EXPECT_EQ(Data().m_vZones.size(), zones + 1);
    ASSERT_TRUE(Select(IDC_ZONES, "Dock"));
    prompts.ExpectMessage("Delete this map zone?", IDYES, "Confirm Delete");
    Click(IDC_ZONE_DELETE);
    EXPECT_EQ(Data().m_vZones.size(), zones);
    EXPECT_EQ(FindStringExact(List(IDC_ZONES), "Dock"), -1);
}

TEST_F(Ostrel, CopiesAndDeletesEventsAndDeletesTriggers)
{
    Start("events");
    CScriptedPrompts prompts;
    OpenMillbrook(prompts);
    const int list = FindStringExact(List(IDC_EVENTS_DEFINED), "Water main break") >= 0 ? IDC_EVENTS_DEFINED
                                                                                         : IDC_EVENTS_PARTIAL;
    ASSERT_TRUE(Select(list, "Water main break"));
    CZREvent::m_nEventIDsource = 4000;
    Click(list == IDC_EVENTS_DEFINED ? IDC_DEFINED_COPY : IDC_PARTIAL_COPY);
    EXPECT_GE(FindStringExact(List(list), "Water main break - 4000"), 0);
    EXPECT_EQ(GetText(List(list), GetCurSel(List(list))), "Water main break - 4000");

    ASSERT_TRUE(Select(list, "Water main break"));
    prompts.ExpectMessage("Delete this event?", IDYES, "Confirm Delete");
    Click(list == IDC_EVENTS_DEFINED ? IDC_DEFINED_DELETE : IDC_PARTIAL_DELETE);
    EXPECT_EQ(EventByName(Data(), "Water main break"), nullptr);
    EXPECT_NE(EventByName(Data(), "Water main break - 4000"), nullptr);

    // Deleting a trigger takes its id out of every event.
    const CZREvent* copy = EventByName(Data(), "Water main break - 4000");
    ASSERT_FALSE(copy->m_vTrigger.empty());
    const uint32_t id = copy->m_vTrigger.front();
    ASSERT_TRUE(Select(IDC_TRIGGERS, Data().m_mapArguments.at(id)->m_strArgumentName));
    prompts.ExpectMessage("Delete this condition?", IDYES, "Confirm Delete");
    Click(IDC_TRIGGER_DELETE);
    EXPECT_EQ(Data().m_mapArguments.count(id), 0u);
    for (const CZREvent* e : Data().m_lstEvents)
        EXPECT_EQ(std::count(e->m_vTrigger.begin(), e->m_vTrigger.end(), id), 0);
}

// Every demo event opened in the wizard and finished unchanged (Next, Finish; Finish alone for the end event)
// leaves the saved file byte for byte as it was: no result group is dropped, the squad orders included.
TEST_F(Ostrel, ReEditingEveryDemoEventChangesNothing)
{
    Start("reedit");
    CScriptedPrompts prompts;
    OpenMillbrook(prompts);
    const std::string path = m_folder + "/Millbrook.zre";
    const std::string before = ReadAll(path);
    std::vector<std::string> names;
    for (const CZREvent* e : Data().m_lstEvents)
        names.push_back(e->m_strEventName);
    ASSERT_GE(names.size(), 10u);

    CModalAnswers answers;
    for (const std::string& name : names) {
        const CZREvent* event = EventByName(Data(), name);
        ASSERT_TRUE(event && event->m_pResult) << name;
        const CZRResult was = *event->m_pResult;
        const bool defined = Select(IDC_EVENTS_DEFINED, name);
        ASSERT_TRUE(defined || Select(IDC_EVENTS_PARTIAL, name)) << name;
        answers.Then([&](QDialog& d) {
            auto& wizard = static_cast<QWizard&>(d);
            if (!event->m_bIsEndEvent) {
                QWizardPage* first = wizard.currentPage();
                wizard.button(QWizard::NextButton)->click();
                ASSERT_NE(wizard.currentPage(), first) << name;
            }
            wizard.button(QWizard::FinishButton)->click();
        });
        Click(defined ? IDC_DEFINED_EDIT : IDC_PARTIAL_EDIT);
        const CZRResult& now = *EventByName(Data(), name)->m_pResult;
        EXPECT_EQ(now.m_nSquadKind, was.m_nSquadKind) << name;
        EXPECT_EQ(now.m_nSquadType, was.m_nSquadType) << name;
        EXPECT_EQ(now.m_nSquadAgency, was.m_nSquadAgency) << name;
        EXPECT_EQ(now.m_nSquadID, was.m_nSquadID) << name;
        EXPECT_EQ(now.m_nOrderID, was.m_nOrderID) << name;
        EXPECT_EQ(now.m_nZoneToBeFlagged, was.m_nZoneToBeFlagged) << name;
    }
    EXPECT_TRUE(m_pDocument->IsModified());
    Menu("&File", "&Save");
    EXPECT_EQ(ReadAll(path), before);
}

TEST_F(Ostrel, ImportMergesASecondFile)
{
    Start("import");
    {
        COstrelDocument small(m_folder);
        CZREventsData& d = *small.GetEventsData();
        auto* trigger = new CZRArgument(true);
        trigger->m_strArgumentName = "Late";
        trigger->m_vConditions.push_back(new CConditionTimeBased());
        d.m_mapArguments[static_cast<uint32_t>(trigger->m_nUniqueID)] = trigger;
        auto* event = new CZREvent(true);
        event->m_strEventName = "Extra";
        event->m_vTrigger = {static_cast<uint32_t>(trigger->m_nUniqueID)};
        d.m_lstEvents.push_back(event);
        COstrelError error;
        ASSERT_TRUE(small.Save(m_folder + "/Small.zre", false, &error));
    }
    CScriptedPrompts prompts;
    OpenMillbrook(prompts);
    const size_t events = Data().m_lstEvents.size();
    prompts.ExpectOpenFile(m_folder + "/Small.zre");
    Menu("&File", "&Import Events");
    EXPECT_EQ(Data().m_lstEvents.size(), events + 1);
    const CZREvent* extra = Data().m_lstEvents.back();
    EXPECT_EQ(extra->m_strEventName, "Extra - [[" + std::to_string(extra->m_nUniqueID) + "]]");
    EXPECT_GE(FindStringExact(List(IsDefinedEvent(*extra) ? IDC_EVENTS_DEFINED : IDC_EVENTS_PARTIAL),
                              extra->m_strEventName),
              0);
    EXPECT_EQ(Caption(), "ZR Events Editor - Millbrook.zre");
    EXPECT_EQ(m_pDocument->GetPath(), m_folder + "/Millbrook.zre");
    EXPECT_TRUE(m_pDocument->IsModified());
}

TEST_F(Ostrel, BadFilesShowOneBoxAndChangeNothing)
{
    Start("bad-files");
    CScriptedPrompts prompts;
    OpenMillbrook(prompts);
    WriteAll(m_folder + "/Broken.zre", ReadAll(m_folder + "/Millbrook.zre").substr(0, 200));
    const auto defined = Items(IDC_EVENTS_DEFINED);
    for (const char* item : {"&Open", "&Import Events"}) {
        prompts.ExpectOpenFile(m_folder + "/Broken.zre").ExpectMessage(m_folder + "/Broken.zre", IDOK, "ZR Events Editor");
        Menu("&File", item);
        EXPECT_EQ(Caption(), "ZR Events Editor - Millbrook.zre") << item;
        EXPECT_EQ(Items(IDC_EVENTS_DEFINED), defined) << item;
        EXPECT_EQ(m_pDocument->GetPath(), m_folder + "/Millbrook.zre") << item;
        EXPECT_FALSE(m_pDocument->IsModified()) << item;
    }
    EXPECT_EQ(prompts.Messages().size(), 2u);
}

TEST_F(Ostrel, ExitAsksToSaveAndStaysWhenTheSaveDoesNotHappen)
{
    Start("exit");
    CScriptedPrompts prompts;
    Data().m_strOriginalScenarioTitle = "Unsaved";
    m_pDocument->SetModified();
    // Yes, then the save dialog cancelled: still running.
    prompts.ExpectMessage("Do you want to save the changes you made?", IDYES, "ZR Events Editor").ExpectSaveFile("");
    Menu("&File", "E&xit");
    EXPECT_TRUE(m_pDialog->isVisible());
    EXPECT_FALSE(m_pDialog->GetProceed());
    // Yes, then a Save As that fails (the target is a folder): one box, still running.
    fs::create_directories(m_folder + "/Taken.zre");
    prompts.ExpectMessage("Do you want to save the changes you made?", IDYES)
        .ExpectSaveFile(m_folder + "/Taken.zre")
        .ExpectMessage("Save failed. Please try \"File | Save As...\" before continuing.", IDOK, "File save failed");
    m_pDialog->close(); // the close box runs Exit
    EXPECT_TRUE(m_pDialog->isVisible());
    EXPECT_TRUE(m_pDocument->IsModified());
    // Escape and Enter do nothing.
    QTest::keyClick(m_pDialog.get(), Qt::Key_Escape);
    QTest::keyClick(m_pDialog.get(), Qt::Key_Return);
    EXPECT_TRUE(m_pDialog->isVisible());
    // Cancel keeps it; Yes with a good name saves and ends; nothing is asked after a save.
    prompts.ExpectMessage("Do you want to save the changes you made?", IDCANCEL);
    Menu("&File", "E&xit");
    EXPECT_TRUE(m_pDialog->isVisible());
    prompts.ExpectMessage("Do you want to save the changes you made?", IDYES).ExpectSaveFile(m_folder + "/Kept");
    Menu("&File", "E&xit");
    EXPECT_FALSE(m_pDialog->isVisible());
    EXPECT_TRUE(fs::is_regular_file(m_folder + "/Kept.zre"));
}

TEST_F(Ostrel, NewAsksOnceAndEmptiesTheDocument)
{
    Start("new");
    CScriptedPrompts prompts;
    OpenMillbrook(prompts);
    Menu("&File", "&New"); // unmodified: nothing asked
    EXPECT_TRUE(Data().m_lstEvents.empty());
    EXPECT_EQ(m_pDocument->GetPath(), "");
    EXPECT_EQ(Caption(), "ZR Events Editor");
    EXPECT_EQ(Items(IDC_TRIGGERS).size(), 0u);
    m_pDocument->SetModified();
    prompts.ExpectMessage("Do you want to save the changes you made?", IDNO);
    Menu("&File", "&New");
    EXPECT_FALSE(m_pDialog->GetProceed());
}

TEST(OstrelStart, AMissingDataFolderGivesOneBoxAndTheEditorRuns)
{
    const std::string empty = std::string(ZR_OSTREL_OUTPUT) + "/no-data";
    fs::remove_all(empty);
    fs::create_directories(empty);
    const std::string before = fs::current_path().string();
    fs::current_path(empty);
    {
        CScriptedPrompts prompts;
        prompts.ExpectMessage("Unit_Data_Command.csv", IDOK, "ICS Unit Data Failed to open file");
        COstrelApp app;
        app.Start();
        ASSERT_NE(app.GetDialog(), nullptr);
        EXPECT_EQ(prompts.Messages().size(), 1u);
        const std::string text = prompts.Messages().front().text;
        for (const char* name : {"unit_data_planning.csv", "Agency.csv", "ZR_Unit-Task_List.csv"})
            EXPECT_NE(text.find(name), std::string::npos) << name;
        EXPECT_NE(text.find(empty), std::string::npos);
        app.GetDialog()->show();
        EXPECT_TRUE(app.GetDialog()->isVisible());
        app.ExitInstance();
    }
    fs::current_path(before);
}
