// Events made in Ostrel's windows played in the game: the demo's events opened, a zone, a trigger and an event
// with a spill, an AAR entry and Resource Points added, an event deleted, a small file imported and the result
// saved; Tarnwick's model imports it into a copy of the demo scenario and the game plays it to 10:00.
#include "OstrelFilesSupport.h"

#include "core/events/ConditionHooks.h"
#include "core/events/ConditionKinds.h"
#include "core/world/PathData.h"
#include "core/world/ScenarioData.h"
#include "editors/common/ModalAnswers.h"
#include "editors/common/ScriptedPrompts.h"
#include "editors/common/ui/ListHelpers.h"
#include "editors/common/ui/Text.h"
#include "editors/common/ui/TimeEdit.h"
#include "editors/events/model/EventsDocument.h"
#include "editors/events/model/EventsModel.h"
#include "editors/events/ui/OstrelDlg.h"
#include "editors/events/ui/TriggerEditor.h"
#include "editors/tacmap/model/PathGrid.h"
#include "editors/tacmap/model/TarnwickModel.h"
#include "game/rules/EventEngine.h"
#include "game/screens/eoc/EOCUnitData.h"
#include "tests/game/app/DemoGame.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWizard>
#include <QtTest/QTest>

#include <gtest/gtest.h>

using namespace ostrel_test;
namespace fs = std::filesystem;

namespace {

// The new zone (world pixels) and the spill inside it, on open ground north-east of the town.
constexpr int kZoneLeft = 2560, kZoneTop = 320, kZoneRight = 2752, kZoneBottom = 480;
constexpr int kSpillX = 2600, kSpillY = 400;
const char* const kTitle = "Tanker leaking at the silo";
const char* const kImportedTitle = "Sirens heard";

// A case folder the game can run in: the demo's files copied, its folders linked (art, sounds, maps) or copied.
std::string GameCaseFolder(const std::string& name)
{
    const std::string folder = CaseFolder(name);
    for (const auto& entry : fs::directory_iterator(DemoData())) {
        if (!entry.is_directory())
            continue;
        const std::string leaf = entry.path().filename().string();
        const fs::path to = fs::path(folder) / leaf;
        if (leaf == "Art" || leaf == "GUI" || leaf == "Sounds" || leaf == "Maps")
            fs::create_directory_symlink(fs::absolute(entry.path()), to);
        else
            fs::copy(entry.path(), to, fs::copy_options::recursive);
    }
    return folder;
}

// "Small.zre": one trigger (time >= 0940) and one visible event with an AAR entry.
void WriteSmallEvents(const std::string& path, const std::string& folder)
{
    COstrelDocument small(folder);
    CZREventsData& d = *small.GetEventsData();
    auto* trigger = new CZRArgument(true);
    trigger->m_strArgumentName = "At 09:40";
    auto* time = new CConditionTimeBased();
    time->m_nComparison = 1;
    time->m_nTargetTime = 940;
    trigger->m_vConditions.push_back(time);
    trigger->m_nBaseFlags = 0x01;
    d.m_mapArguments[static_cast<uint32_t>(trigger->m_nUniqueID)] = trigger;
    auto* event = new CZREvent(true);
    event->m_strEventName = "Sirens";
    event->m_strEventTitle = kImportedTitle;
    event->m_strEventText = "Sirens are heard from the highway.";
    event->m_vTrigger = {static_cast<uint32_t>(trigger->m_nUniqueID)};
    event->nTmp = 1024;
    event->m_pResult = new CZRResult();
    event->m_pResult->m_bAAREntry = true;
    d.m_lstEvents.push_back(event);
    COstrelError error;
    ASSERT_TRUE(small.Save(path, false, &error)) << error.text;
}

class OstrelEndToEnd : public ::testing::Test {
protected:
    void TearDown() override
    {
        ResetConditionHooks();
        m_counters.Restore();
    }

    CIdCounters m_counters = CIdCounters::Current();
};

void Menu(COstrelDlg& dialog, const char* menu, const char* item)
{
    for (QAction* top : dialog.GetMenuBar()->actions()) {
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

void Click(COstrelDlg& dialog, int id)
{
    auto* button = GetDlgItem<QPushButton>(&dialog, id);
    ASSERT_NE(button, nullptr) << id;
    ASSERT_TRUE(button->isEnabled()) << id;
    QTest::mouseClick(button, Qt::LeftButton);
}

template <class T> T* Item(const QWidget& parent, int id)
{
    T* item = GetDlgItem<T>(&parent, id);
    EXPECT_NE(item, nullptr) << id;
    return item;
}

void Type(const QWidget& parent, int id, const char* text)
{
    QLineEdit* edit = Item<QLineEdit>(parent, id);
    edit->clear();
    QTest::keyClicks(edit, text);
}

void Press(QDialog& d, QWizard::WizardButton which)
{
    static_cast<QWizard&>(d).button(which)->click();
}

// A picture of a dialog as it stands, in the output folder.
void Picture(QWidget& window, const char* name)
{
    EXPECT_TRUE(window.grab().save(QString(ZR_OSTREL_OUTPUT) + "/" + name)) << name;
}

// Makes the edits through the widgets and saves "Edited.zre".
void EditInOstrel(const std::string& folder)
{
    COstrelDocument document(folder);
    ASSERT_TRUE(document.LoadUnitTables().empty());
    document.InstallConditionHooks();
    COstrelDlg dialog(document);
    dialog.show();
    CScriptedPrompts prompts;
    prompts.ExpectOpenFile(folder + "/Millbrook.zre");
    Menu(dialog, "&File", "&Open");
    ASSERT_EQ(document.GetPath(), folder + "/Millbrook.zre");
    CZREventsData& data = *document.GetEventsData();
    ASSERT_NE(EventByName(data, "Water main break"), nullptr);

    CModalAnswers answers;
    answers.Then([](QDialog& d) {
        Type(d, 1013, "Grain silo");
        Type(d, 1006, "2560, 320");
        Type(d, 1009, "2752,480");
        d.accept();
    });
    Click(dialog, IDC_ZONE_CREATE);
    const CTacticalMapZone* zone = data.m_vZones.back();
    ASSERT_EQ(zone->m_strZoneName, "Grain silo");
    EXPECT_EQ(zone->m_rcBoundingBox.left, kZoneLeft);
    EXPECT_EQ(zone->m_rcBoundingBox.top, kZoneTop);
    EXPECT_EQ(zone->m_rcBoundingBox.right, kZoneRight);
    EXPECT_EQ(zone->m_rcBoundingBox.bottom, kZoneBottom);
    EXPECT_TRUE(kZoneLeft < kSpillX && kSpillX < kZoneRight && kZoneTop < kSpillY && kSpillY < kZoneBottom);

    answers
        .Then([](QDialog& d) {
            Type(d, IDC_TRIGGER_NAME, "At 09:35");
            Item<QAbstractButton>(d, IDC_ADD_TIME)->click();
        })
        .Then([](QDialog& d) {
            QComboBox* op = Item<QComboBox>(d, 1068);
            op->setCurrentIndex(op->findText(">="));
            Item<CTimeEdit>(d, 1060)->SetHHMM(935);
            d.accept();
        })
        .Then([](QDialog& d) {
            Picture(d, "Ostrel-TriggerEditor.png");
            Item<QAbstractButton>(d, IDOK)->click();
        });
    Click(dialog, IDC_TRIGGER_CREATE);
    intptr_t triggerId = 0;
    ASSERT_EQ(dialog.GetSelectedItem(IDC_TRIGGERS, &triggerId), "At 09:35");

    answers
        .Then([](QDialog& d) {
            QWidget& p = *static_cast<QWizard&>(d).currentPage();
            Type(p, 1001, "Silo spill");
            Type(p, 1007, kTitle);
            Item<QPlainTextEdit>(p, 1002)->setPlainText("A tanker is leaking at the grain silo.\nKeep clear.");
            Item<QAbstractButton>(p, 1053)->click(); // "Add Trigger"
        })
        .Then([](QDialog& d) {
            QListWidget* list = Item<QListWidget>(d, 1055);
            const auto found = list->findItems("At 09:35", Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1);
            list->setCurrentItem(found.front());
            d.accept();
        })
        .Then([](QDialog& d) {
            Picture(d, "Ostrel-WizardEvent.png");
            Press(d, QWizard::NextButton);
            QWidget& r = *static_cast<QWizard&>(d).currentPage();
            Item<QCheckBox>(r, 1127)->click(); // hazard
            QComboBox* type = Item<QComboBox>(r, 1145);
            type->setCurrentIndex(type->findText("Chemical spill"));
            Type(r, 1008, "2600, 400");
            Item<QComboBox>(r, 1144)->setCurrentIndex(1);
            Item<QCheckBox>(r, 1146)->click(); // AAR score and cost
            Type(r, 1006, "4");
            Type(r, 1007, "-3");
            Type(r, 1010, "2");
            Type(r, 1009, "1200");
            Item<QCheckBox>(r, 1143)->click(); // Resource Points
            Type(r, 1137, "25");
            Picture(d, "Ostrel-WizardResult.png");
            Press(d, QWizard::FinishButton);
        });
    Click(dialog, IDC_EVENT_CREATE);
    const CZREvent* spill = EventByName(data, "Silo spill");
    ASSERT_NE(spill, nullptr);
    ASSERT_EQ(spill->m_vTrigger, (std::vector<uint32_t>{static_cast<uint32_t>(triggerId)}));
    ASSERT_NE(spill->m_pResult, nullptr);
    EXPECT_EQ(spill->m_pResult->m_nZRPoints, 25);
    EXPECT_EQ(spill->m_pResult->m_nCost, 1200);

    const int list = FindStringExact(GetDlgItem<QListWidget>(&dialog, IDC_EVENTS_DEFINED), "Water main break") >= 0
                         ? IDC_EVENTS_DEFINED
                         : IDC_EVENTS_PARTIAL;
    auto* events = GetDlgItem<QListWidget>(&dialog, list);
    SetCurSel(events, FindStringExact(events, "Water main break"));
    prompts.ExpectMessage("Delete this event?", IDYES, "Confirm Delete");
    Click(dialog, list == IDC_EVENTS_DEFINED ? IDC_DEFINED_DELETE : IDC_PARTIAL_DELETE);
    EXPECT_EQ(EventByName(data, "Water main break"), nullptr);

    prompts.ExpectOpenFile(folder + "/Small.zre");
    Menu(dialog, "&File", "&Import Events");
    const CZREvent* sirens = data.m_lstEvents.back();
    ASSERT_EQ(sirens->m_strEventTitle, kImportedTitle);
    EXPECT_EQ(sirens->m_strEventName, "Sirens - [[" + std::to_string(sirens->m_nUniqueID) + "]]");

    prompts.ExpectSaveFile(folder + "/Edited");
    Menu(dialog, "&File", "Save &As...");
    EXPECT_EQ(document.GetPath(), folder + "/Edited.zre");
    EXPECT_FALSE(document.IsModified());
    EXPECT_EQ(prompts.Pending(), 0u);
}

// Tarnwick's model: "Millbrook.zri" opened, "Edited.zre" imported, saved as "Edited.zri" with the companion files
// the game reads by the scenario's name.
void ImportInTarnwick(const fs::path& folder)
{
    struct Host : tacmap::IMapViewHost {
        void SetStatusTexts(const std::string&, const std::string&) override {}
        void Redraw(const RECT&) override {}
        void UpdateCursor() override {}
        void Beep() override {}
        void SetZoomRadios(bool) override {}
        bool IsShowChecked() const override { return true; }
        bool ChooseSpritesToDelete(const std::vector<CSprite*>&, std::vector<CSprite*>*) override { return false; }
    } host;
    tacmap::RegisterTarnwickClasses();
    CScriptedPrompts prompts;
    prompts.ExpectMessage("Import OK", IDOK, "Tarnwick");
    {
        tacmap::CTarnwickModel model(folder.string(), host);
        model.World().SetWindowedDefaults();
        model.World().CreateDisplay(nullptr);
        model.View().FirstUpdate(1234);
        ASSERT_TRUE(model.Open((folder / "Millbrook.zri").string()));
        ASSERT_TRUE(model.ImportEvents((folder / "Edited.zre").string()));
        ASSERT_TRUE(model.SaveAs((folder / "Edited.zri").string()));
    }
    for (const char* suffix : {".zra", ".csv", " Scores.csv"})
        fs::copy_file(folder / (std::string("Millbrook") + suffix), folder / (std::string("Edited") + suffix),
                      fs::copy_options::overwrite_existing);
    // The game reads the path grid with its own class.
    QFClassFactory::Instance().Register("CPathData", &::CPathData::CreateObject);
}

float TotalResourcePoints(const CGame& game)
{
    float total = 0.0f;
    for (const auto& section : game.m_pEOCUnitData->m_aSections)
        total += section.fResourcePoints;
    return total;
}

// The time of the first review entry scored with `title`, 0 when none.
int32_t ReviewTime(const CGame& game, const std::string& title)
{
    for (const CReviewEntry& entry : game.m_log.m_aReview)
        if (entry.rec.strScoreText == title)
            return entry.rec.nTime;
    return 0;
}

// Whether a log line holds `text` (and, when `stamp` is given, begins with that time).
bool Logged(const std::vector<std::string>& lines, const std::string& text, const char* stamp = nullptr)
{
    for (const std::string& line : lines)
        if (line.find(text) != std::string::npos && (!stamp || line.rfind(stamp, 0) == 0))
            return true;
    return false;
}

} // namespace

TEST_F(OstrelEndToEnd, EventsMadeInTheWindowsFireInTheGame)
{
    const std::string folder = GameCaseFolder("end-to-end");
    WriteSmallEvents(folder + "/Small.zre", folder);
    EditInOstrel(folder);
    if (HasFatalFailure())
        return;
    ResetConditionHooks();
    ImportInTarnwick(folder);
    if (HasFatalFailure())
        return;

    demo_game::CDemoGame run(folder);
    ASSERT_TRUE(run.LoadScenario("Edited.zri"));
    CGame& game = run.Game();
    ASSERT_NE(game.m_pEOCUnitData, nullptr);
    ASSERT_NE(game.m_pIncidentWorld, nullptr);
    const CZREventsData& played = *game.m_pScenario->m_pEvents;
    for (const CZREvent* e : played.m_lstEvents)
        EXPECT_NE(e->m_strEventName, "Water main break");
    bool zoned = false; // the engine has widened the zone to whole tiles
    for (const CTacticalMapZone* zone : played.m_vZones)
        zoned |= zone && zone->m_strZoneName == "Grain silo" && zone->m_rcBoundingBox.left == kZoneLeft &&
                 zone->m_rcBoundingBox.right == kZoneRight / 32 * 32 + 31;
    EXPECT_TRUE(zoned);
    std::vector<std::string> lines;
    game.m_fnLogObserver = [&](const std::string& line) { lines.push_back(line); };

    CPathTile* spillTile = game.m_pIncidentWorld->TileAt(kSpillX, kSpillY);
    ASSERT_NE(spillTile, nullptr);
    int32_t firedAt = 0;
    float pointsGained = 0.0f;
    bool spilled = false;
    while (game.m_pRuntime->GetCurrentTime() < 1000) {
        const float before = TotalResourcePoints(game);
        const bool wasThere = game.m_pIncidentWorld->ChemicalAt(spillTile) != nullptr;
        const int32_t time = game.m_pRuntime->GetCurrentTime();
        run.Step();
        if (!firedAt && ReviewTime(game, kTitle)) {
            firedAt = game.m_pRuntime->GetCurrentTime();
            pointsGained = TotalResourcePoints(game) - before;
            spilled = !wasThere && game.m_pIncidentWorld->ChemicalAt(spillTile) != nullptr;
        }
        ASSERT_LT(time, 1010) << "the clock does not reach 10:00";
    }
    EXPECT_EQ(ReviewTime(game, kTitle), 935);
    EXPECT_EQ(firedAt, 935) << "the new event fired at the wrong minute";
    EXPECT_FLOAT_EQ(pointsGained, 25.0f);
    EXPECT_TRUE(spilled) << "no spill at " << kSpillX << ", " << kSpillY;
    EXPECT_TRUE(Logged(lines, "A tanker is leaking at the grain silo.", "0935 "));
    EXPECT_EQ(ReviewTime(game, kImportedTitle), 940);
    EXPECT_FALSE(Logged(lines, "The heavy draw on the hydrants"));
    EXPECT_EQ(ReviewTime(game, "Water main break on Main Street"), 0);
    tacmap::RegisterTarnwickClasses();
}
