// Tests of Vellisk's windows: opening the demo's area map, editing it with the mouse on the map view, the station
// dialog, saving and reopening, the close prompt, and bad files that change nothing.
#include "tests/editors/areamap/VelliskWindowFixture.h"

#include "editors/areamap/ui/StationDialog.h"
#include "editors/common/MenuInput.h"
#include "editors/common/ui/EditorDialog.h"
#include "editors/common/ui/ListHelpers.h"
#include "editors/common/ui/LockPanes.h"
#include "editors/common/ui/Pictures.h"

#include "core/display/CDisplay.h"
#include "core/display/CSurface.h"
#include "platform/system/FileLayer.h"

#include <QComboBox>
#include <QLabel>
#include <QStatusBar>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>

#include <cerrno>

using namespace areamaptest;
using Mode = vellisk::CAreaMapViewModel::Mode;

namespace {

class VelliskWindow : public VelliskWindowFixture {};

std::vector<POINT> RouteOf(const CSprite* s)
{
    return s->m_pStationData->m_pptWaypoints;
}

// A disk with no room left: files are made and written, but forcing them onto the disk fails with "no space".
class FullDisk : public platform::CRecordingFileLayer {
public:
    bool SyncFile(FILE*) override
    {
        errno = ENOSPC;
        return false;
    }
};

const QKeySequence kCtrlS(Qt::CTRL | Qt::Key_S);

// Selects the entry with that text and tells the dialog, as a user's choice does.
void Choose(QComboBox* combo, const std::string& text)
{
    const int index = FindStringExact(combo, text);
    ASSERT_GE(index, 0) << text;
    combo->setCurrentIndex(index);
    Q_EMIT combo->activated(index);
}

} // namespace

static bool operator==(const POINT& a, const POINT& b)
{
    return a.x == b.x && a.y == b.y;
}
[[maybe_unused]] static std::ostream& operator<<(std::ostream& out, const POINT& p)
{
    return out << "(" << p.x << "," << p.y << ")";
}

TEST_F(VelliskWindow, OpeningTheDemoShowsItsMapAndEnablesEditing)
{
    Start();
    EXPECT_EQ(frame->windowTitle(), "Vellisk");
    // The views' set-up runs once: a second initial update places no second site and keeps the display.
    const CDisplay* display = View()->Display();
    ASSERT_EQ(Stations().size(), 1u);
    EXPECT_TRUE(frame->InitialUpdate());
    EXPECT_EQ(View()->Display(), display);
    EXPECT_EQ(Stations().size(), 1u);
    EXPECT_FALSE(Enabled("Save"));
    EXPECT_FALSE(Enabled("SaveAs"));
    EXPECT_FALSE(frame->SpriteList()->List()->isEnabled());
    EXPECT_FALSE(frame->Controls()->NewPathButton()->isEnabled());

    OpenFile(folder + "/Millbrook.zra");
    EXPECT_EQ(frame->windowTitle(), "Millbrook");
    EXPECT_EQ(Stations().size(), 5u); // four stations and the site
    EXPECT_NE(Model().FindIncidentSite(), nullptr);
    EXPECT_TRUE(frame->SpriteList()->List()->isEnabled());
    EXPECT_TRUE(frame->Controls()->NewPathButton()->isEnabled());
    EXPECT_GT(frame->SpriteList()->List()->count(), 3);
    EXPECT_TRUE(frame->SpriteList()->List()->findItems("Incident Site", Qt::MatchExactly).isEmpty());
    EXPECT_TRUE(Enabled("SaveAs"));
    EXPECT_FALSE(Enabled("Save"));

    // The view shows the back buffer 1:1 at its top-left corner.
    View()->repaint();
    const QImage shown = View()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage back = ToQImage(*View()->Display()->GetBackBuffer()->GetPixels()).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(back.size(), QSize(800, 448));
    EXPECT_EQ(shown.copy(0, 0, 800, 448), back);
    // Mostly map: the painted bitmap is not the display's clear colour.
    EXPECT_NE(back.pixel(20, 20) & 0xFFFFFF, QColor(0x64, 0x82, 0xFF).rgb() & 0xFFFFFF);

    // The status line follows the mouse.
    Move(QPoint(12, 34));
    EXPECT_EQ(frame->StatusPanes().GetPaneText(1), " Mode(Idle) View[012, 034]");

    // The caps-, num- and scroll-lock panes end the status bar; Caps Lock lights its pane (shown in the picture).
    CLockPanes* locks = CLockPanes::Find(frame->statusBar());
    ASSERT_NE(locks, nullptr);
    EXPECT_GT(locks->GetPane(CLockPanes::kCapsLock)->geometry().left(),
              frame->StatusPanes().GetPane(1)->geometry().left());
    QTest::keyClick(frame->windowHandle(), Qt::Key_CapsLock);
    QApplication::processEvents();
    EXPECT_EQ(locks->GetPane(CLockPanes::kCapsLock)->text(), "CAP");

    fs::create_directories(ZR_VELLISK_OUTPUT);
    EXPECT_TRUE(frame->grab().save(QString::fromStdString(std::string(ZR_VELLISK_OUTPUT) + "/main-window.png")));
    QTest::keyClick(frame->windowHandle(), Qt::Key_CapsLock);
    QApplication::processEvents();
}

TEST_F(VelliskWindow, StationsArePlacedRoutedEditedMovedDeletedAndSaved)
{
    Start(true);
    OpenFile(folder + "/Millbrook.zra");
    CSprite* site = Model().FindIncidentSite();
    ASSERT_NE(site, nullptr);
    const QPoint siteAt = Centre(site);

    // A station from the list, two waypoints, then the site.
    PickStationTemplate("Millbrook Police Station");
    EXPECT_EQ(frame->SpriteList()->SelectedStation() >= 0, true);
    Move(QPoint(90, 370));
    EXPECT_EQ(Model().GetMode(), Mode::kDragNewStation);
    EXPECT_EQ(View()->GetViewCursor(), EViewCursor::Hidden);
    Click(QPoint(100, 380));
    CSprite* placed = Station("Millbrook Police Station 3");
    ASSERT_NE(placed, nullptr);
    EXPECT_EQ(Model().GetMode(), Mode::kDefiningPath);
    EXPECT_EQ(frame->StatusPanes().GetPaneText(1), " Mode(Defining path to incident site) View[100, 380]");
    Click(QPoint(140, 340));
    Click(QPoint(190, 290));
    Click(siteAt - QPoint(8, 8));
    EXPECT_EQ(Model().GetMode(), Mode::kIdle);
    EXPECT_EQ(frame->SpriteList()->SelectedStation(), -1);
    const std::vector<POINT> route = {{117, 397}, {146, 346}, {196, 296}, {siteAt.x(), siteAt.y()}};
    EXPECT_EQ(RouteOf(placed), route);
    EXPECT_TRUE(Enabled("Save"));

    // Station Details by a double-click: a name, 9 minutes, two resource lines.
    CModalAnswers answers;
    answers.Then([](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Station Details");
        EXPECT_EQ(GetDlgItem<QLineEdit>(&d, CDialogStationResources::kNameId)->text(), "Millbrook Police Station 3");
        EXPECT_FALSE(GetDlgItem<QComboBox>(&d, CDialogStationResources::kKindId)->isEnabled());
        GetDlgItem<QLineEdit>(&d, CDialogStationResources::kNameId)->setText("Northside Police");
        GetDlgItem<QLineEdit>(&d, CDialogStationResources::kMinutesId)->setText("9");
        Choose(GetDlgItem<QComboBox>(&d, CDialogStationResources::kAgencyIds[0]), "Millbrook Police");
        QComboBox* squads = GetDlgItem<QComboBox>(&d, CDialogStationResources::kSquadTypeIds[0]);
        ASSERT_GT(squads->count(), 1);
        squads->setCurrentIndex(1);
        GetDlgItem<QLineEdit>(&d, CDialogStationResources::kNumberIds[0])->setText("2");
        // Line 3 (line 2 left empty) packs into slot 1.
        Choose(GetDlgItem<QComboBox>(&d, CDialogStationResources::kAgencyIds[2]), "County EMS");
        GetDlgItem<QComboBox>(&d, CDialogStationResources::kSquadTypeIds[2])->setCurrentIndex(1);
        GetDlgItem<QLineEdit>(&d, CDialogStationResources::kNumberIds[2])->setText("1");
        Choose(GetDlgItem<QComboBox>(&d, CDialogStationResources::kDutyIds[2]), "On call");
        EXPECT_TRUE(d.grab().save(QString::fromStdString(std::string(ZR_VELLISK_OUTPUT) + "/station-dialog.png")));
        d.accept();
    });
    QTest::mouseDClick(View(), Qt::LeftButton, {}, Centre(placed));
    EXPECT_EQ(answers.Remaining(), 0u);
    placed = Station("Northside Police");
    ASSERT_NE(placed, nullptr);
    EXPECT_EQ(placed->m_pStationData->m_nMinutesToSite, 9);
    ASSERT_NE(placed->m_pStationData->GetResource(0), nullptr);
    ASSERT_NE(placed->m_pStationData->GetResource(1), nullptr);
    EXPECT_EQ(placed->m_pStationData->GetResource(2), nullptr);
    EXPECT_EQ(placed->m_pStationData->GetResource(0)->m_nResCount, 2);
    EXPECT_EQ(placed->m_pStationData->GetResource(1)->m_bOnCall, 1);
    EXPECT_EQ(RouteOf(placed), route);

    // CTRL-drag the demo's police station; Escape stores its new two-point route.
    CSprite* police = Station("Millbrook Police Station");
    ASSERT_NE(police, nullptr);
    CtrlDrag(Centre(police), QPoint(300, 100));
    EXPECT_EQ(Centre(police), QPoint(317, 117));
    EXPECT_EQ(Model().GetMode(), Mode::kDefiningPath);
    QTest::keyClick(View(), Qt::Key_Escape);
    EXPECT_EQ(Model().GetMode(), Mode::kIdle);
    EXPECT_EQ(RouteOf(police), (std::vector<POINT>{{317, 117}, {siteAt.x(), siteAt.y()}}));

    // The right button deletes the EMS station; never the site.
    CSprite* ems = Station("County EMS Station");
    ASSERT_NE(ems, nullptr);
    QTest::mouseClick(View(), Qt::RightButton, {}, Centre(ems));
    EXPECT_EQ(Station("County EMS Station"), nullptr);
    QTest::mouseClick(View(), Qt::RightButton, {}, siteAt);
    EXPECT_EQ(Model().FindIncidentSite(), site);
    const size_t stations = Stations().size();

    // Save As "Edited.zra", then reopen it: the same stations.
    {
        CScriptedPrompts prompts;
        prompts.ExpectSaveFile(folder + "/Edited");
        Run("SaveAs");
    }
    EXPECT_EQ(frame->windowTitle(), "Edited");
    EXPECT_FALSE(Enabled("Save"));
    EXPECT_EQ(ReadBytes(folder + "/Maps/Edited.bmp"), ReadBytes(folder + "/Maps/Millbrook_Area.bmp"));
    const std::string saved = ReadBytes(folder + "/Edited.zra");
    OpenFile(folder + "/Edited.zra");
    EXPECT_EQ(Stations().size(), stations);
    placed = Station("Northside Police");
    ASSERT_NE(placed, nullptr);
    EXPECT_EQ(RouteOf(placed), route);
    EXPECT_EQ(placed->m_pStationData->m_nMinutesToSite, 9);
    EXPECT_EQ(RouteOf(Station("Millbrook Police Station")), (std::vector<POINT>{{317, 117}, {siteAt.x(), siteAt.y()}}));
    // Saved again unedited onto its own name: byte for byte the same.
    {
        CScriptedPrompts prompts;
        prompts.ExpectSaveFile(folder + "/Edited.zra").ExpectMessage("already exists", IDYES);
        Run("SaveAs");
    }
    EXPECT_EQ(ReadBytes(folder + "/Edited.zra"), saved);
}

TEST_F(VelliskWindow, TheStationDialogRefusesAnEmptyNameAndATravelTimeBelowOne)
{
    Start();
    OpenFile(folder + "/Millbrook.zra");
    CSprite* fire = Station("Millbrook Fire Station 1");
    ASSERT_NE(fire, nullptr);
    const std::vector<POINT> route = RouteOf(fire);
    const CStationData* before = fire->m_pStationData;
    CScriptedPrompts prompts;
    prompts.ExpectMessage("Every station must have a name.", IDOK, "Station Name Error")
        .ExpectMessage("The travel time must be at least 1 minute.", IDOK, "Station Travel Time Error");
    CModalAnswers answers;
    answers.Then([](QDialog& d) {
        GetDlgItem<QLineEdit>(&d, CDialogStationResources::kNameId)->setText("");
        d.accept(); // refused: stays open
        EXPECT_TRUE(d.isVisible());
        GetDlgItem<QLineEdit>(&d, CDialogStationResources::kNameId)->setText("Fire");
        GetDlgItem<QLineEdit>(&d, CDialogStationResources::kMinutesId)->setText("0");
        d.accept();
        EXPECT_TRUE(d.isVisible());
        d.reject();
    });
    QTest::mouseDClick(View(), Qt::LeftButton, {}, Centre(fire));
    EXPECT_EQ(answers.Remaining(), 0u);
    EXPECT_EQ(fire->m_pStationData, before);
    EXPECT_STREQ(fire->m_pStationData->m_szName, "Millbrook Fire Station 1");
    EXPECT_EQ(RouteOf(fire), route);
    EXPECT_FALSE(app->IsModified());
}

TEST_F(VelliskWindow, ClosingAModifiedMapAsksAndCancelKeepsItOpen)
{
    Start();
    OpenFile(folder + "/Millbrook.zra");
    QTest::mouseClick(View(), Qt::RightButton, {}, Centre(Station("County EMS Station")));
    ASSERT_TRUE(app->IsModified());
    {
        CScriptedPrompts prompts;
        prompts.ExpectMessage("Would you like to save before exiting?", IDCANCEL, "Save Before Closing?");
        EXPECT_FALSE(frame->close());
    }
    EXPECT_TRUE(frame->isVisible());
    {
        CScriptedPrompts prompts;
        prompts.ExpectMessage("Would you like to save before exiting?", IDNO, "Save Before Closing?");
        EXPECT_TRUE(frame->close());
    }
}

TEST_F(VelliskWindow, NewPathThenAStationBuildsItsRouteAgain)
{
    Start();
    OpenFile(folder + "/Millbrook.zra");
    CSprite* police = Station("Millbrook Police Station");
    ASSERT_NE(police, nullptr);
    const QPoint site = Centre(Model().FindIncidentSite());
    // Escape stores the route begun; that changes the map, so Save and the close prompt keep it.
    ASSERT_GT(RouteOf(police).size(), 2u);
    QTest::mouseClick(frame->Controls()->NewPathButton(), Qt::LeftButton);
    Click(Centre(police));
    QTest::keyClick(View(), Qt::Key_Escape);
    EXPECT_EQ(RouteOf(police).size(), 2u);
    EXPECT_TRUE(Enabled("Save"));

    QTest::mouseClick(frame->Controls()->NewPathButton(), Qt::LeftButton);
    EXPECT_EQ(Model().GetMode(), Mode::kPickStationForPath);
    EXPECT_EQ(View()->GetViewCursor(), EViewCursor::Cross);
    EXPECT_TRUE(View()->hasFocus() || QApplication::focusWidget() == View());
    Click(Centre(police));
    EXPECT_EQ(Model().GetMode(), Mode::kDefiningPath);
    EXPECT_EQ(Model().SelectedStation(), police);
    Click(site - QPoint(8, 8));
    EXPECT_EQ(RouteOf(police), (std::vector<POINT>{{Centre(police).x(), Centre(police).y()}, {site.x(), site.y()}}));
    EXPECT_EQ(View()->GetViewCursor(), EViewCursor::Arrow);
}

TEST_F(VelliskWindow, F6AndShiftF6MoveTheFocusBetweenTheStationListAndTheMap)
{
    Start();
    QApplication::setActiveWindow(frame.get());
    View()->setFocus();
    QListWidget* list = frame->SpriteList()->List();
    QTest::keyClick(View(), Qt::Key_F6); // the list is disabled until a map is open
    EXPECT_EQ(QApplication::focusWidget(), View());
    OpenFile(folder + "/Millbrook.zra");
    View()->setFocus();
    QTest::keyClick(View(), Qt::Key_F6);
    EXPECT_EQ(QApplication::focusWidget(), list);
    QTest::keyClick(list, Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), View());
    QTest::keyClick(View(), Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), list);
    // A station picked with the keys: its template is selected and the map takes the focus again.
    QTest::keyClick(list, Qt::Key_Down);
    QApplication::processEvents();
    EXPECT_GE(frame->SpriteList()->SelectedStation(), 0);
    EXPECT_EQ(QApplication::focusWidget(), View());
}

// Save and Save As while a route is being built store the route so far first, as Escape does.
TEST_F(VelliskWindow, SavingWhileARouteIsBuiltStoresTheRouteSoFar)
{
    Start();
    OpenFile(folder + "/Millbrook.zra");
    for (const std::string command : {"Save", "SaveAs"}) {
        SCOPED_TRACE(command);
        PickStationTemplate("Millbrook Police Station");
        Click(QPoint(100, 380));
        Click(QPoint(140, 340)); // one waypoint
        ASSERT_EQ(Model().GetMode(), Mode::kDefiningPath);
        const std::string name = Model().SelectedStation()->m_pStationData->m_szName;
        const std::vector<POINT> building = Model().Route();
        ASSERT_EQ(building.size(), 3u);
        {
            CScriptedPrompts prompts;
            if (command == "SaveAs")
                prompts.ExpectSaveFile(folder + "/Routed.zra");
            Run(command);
        }
        EXPECT_FALSE(app->IsModified());
        OpenFile(app->PathName());
        CSprite* placed = Station(name);
        ASSERT_NE(placed, nullptr);
        EXPECT_EQ(RouteOf(placed), building);
    }
}

// Save As onto a name whose picture is already in Maps asks before replacing it; No saves nothing.
TEST_F(VelliskWindow, SaveAsAsksBeforeReplacingAnotherMapsPicture)
{
    Start();
    OpenFile(folder + "/Millbrook.zra");
    const std::string other = "BM another map's picture";
    std::ofstream(folder + "/Maps/Taken.bmp", std::ios::binary) << other;
    {
        CScriptedPrompts prompts;
        prompts.ExpectSaveFile(folder + "/Taken.zra").ExpectMessage("Taken.bmp already exists", IDNO, "Save As");
        Run("SaveAs");
        ShowBox(prompts.Messages().at(0), "replace-picture-box.png");
    }
    EXPECT_EQ(ReadBytes(folder + "/Maps/Taken.bmp"), other);
    EXPECT_FALSE(fs::exists(folder + "/Taken.zra"));
    EXPECT_EQ(frame->windowTitle(), "Millbrook");
    EXPECT_STREQ(app->Document()->m_szMapBitmap, "Millbrook_Area.bmp");
    {
        CScriptedPrompts prompts;
        prompts.ExpectSaveFile(folder + "/Taken.zra").ExpectMessage("Taken.bmp already exists", IDYES, "Save As");
        Run("SaveAs");
    }
    EXPECT_EQ(ReadBytes(folder + "/Maps/Taken.bmp"), ReadBytes(folder + "/Maps/Millbrook_Area.bmp"));
    EXPECT_EQ(frame->windowTitle(), "Taken");
    EXPECT_STREQ(app->Document()->m_szMapBitmap, "Taken.bmp");
}

// The File commands' keys work right after Open, Save and Save As, with no menu opened in between: a state the
// menu left when it last opened (Save disabled before the map was open) never swallows the shortcut.
TEST_F(VelliskWindow, TheFileShortcutsWorkRightAfterOpenSaveAndSaveAs)
{
    Start();
    {
        CScriptedPrompts prompts;
        prompts.ExpectOpenFile(folder + "/Millbrook.zra");
        ASSERT_TRUE(PickFromMenu(frame->menuBar(), "&File", "&Open..."));
    }
    ASSERT_EQ(frame->windowTitle(), "Millbrook");
    const std::string millbrook = ReadBytes(folder + "/Millbrook.zra");
    QTest::mouseClick(View(), Qt::RightButton, {}, Centre(Station("County EMS Station")));
    ASSERT_TRUE(app->IsModified());
    PressKeys(frame.get(), kCtrlS);
    EXPECT_FALSE(app->IsModified());
    EXPECT_NE(ReadBytes(folder + "/Millbrook.zra"), millbrook);

    // Save from the menu, an edit, Ctrl+S.
    QTest::mouseClick(View(), Qt::RightButton, {}, Centre(Station("Millbrook Police Station")));
    ASSERT_TRUE(PickFromMenu(frame->menuBar(), "&File", "&Save"));
    const std::string saved = ReadBytes(folder + "/Millbrook.zra");
    QTest::mouseClick(View(), Qt::RightButton, {}, Centre(Station("Millbrook Fire Station 1")));
    PressKeys(frame.get(), kCtrlS);
    EXPECT_FALSE(app->IsModified());
    EXPECT_NE(ReadBytes(folder + "/Millbrook.zra"), saved);

    // Ctrl+Shift+S saves under a new name; after an edit Ctrl+S writes that file.
    {
        CScriptedPrompts prompts;
        prompts.ExpectSaveFile(folder + "/Keyed");
        PressKeys(frame.get(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    }
    EXPECT_EQ(frame->windowTitle(), "Keyed");
    const std::string keyed = ReadBytes(folder + "/Keyed.zra");
    PickStationTemplate("Millbrook Police Station");
    Click(QPoint(100, 380));
    QTest::keyClick(View(), Qt::Key_Escape);
    ASSERT_TRUE(app->IsModified());
    PressKeys(frame.get(), kCtrlS);
    EXPECT_FALSE(app->IsModified());
    EXPECT_NE(ReadBytes(folder + "/Keyed.zra"), keyed);

    // Ctrl+O and Ctrl+N each ask about an unsaved edit first; Ctrl+O then opens the file chosen.
    PickStationTemplate("Millbrook Police Station");
    Click(QPoint(200, 380));
    QTest::keyClick(View(), Qt::Key_Escape);
    {
        CScriptedPrompts prompts;
        prompts.ExpectMessage("Do you want to save now?", IDCANCEL, "Starting New Area Map");
        PressKeys(frame.get(), QKeySequence(Qt::CTRL | Qt::Key_N));
        prompts.ExpectMessage("Do you want to save now?", IDNO, "Starting New Area Map")
            .ExpectOpenFile(folder + "/Millbrook.zra");
        PressKeys(frame.get(), QKeySequence(Qt::CTRL | Qt::Key_O));
    }
    EXPECT_EQ(frame->windowTitle(), "Millbrook");
    EXPECT_FALSE(app->IsModified());
}

// A save that fails on a full disk says so in its box, in place of the fixed guess "Is the file read only?".
TEST_F(VelliskWindow, TheFailedSaveBoxSaysTheDiskIsFull)
{
    Start();
    OpenFile(folder + "/Millbrook.zra");
    const std::string millbrook = ReadBytes(folder + "/Millbrook.zra");
    QTest::mouseClick(View(), Qt::RightButton, {}, Centre(Station("County EMS Station")));
    FullDisk disk;
    {
        platform::CFileLayerScope scope(disk);
        CScriptedPrompts prompts;
        prompts.ExpectMessage("", IDOK, "Save As Failed");
        PressKeys(frame.get(), kCtrlS);
        ASSERT_EQ(prompts.Messages().size(), 1u);
        EXPECT_EQ(prompts.Messages()[0].text, " Couldn't save " + folder + "/Millbrook.zra.\nThe disk is full.");
        EXPECT_EQ(prompts.Messages()[0].icon, EPromptIcon::Exclamation);
        ShowBox(prompts.Messages()[0], "save-failed-box.png");
    }
    EXPECT_TRUE(app->IsModified());
    EXPECT_EQ(ReadBytes(folder + "/Millbrook.zra"), millbrook);
}
