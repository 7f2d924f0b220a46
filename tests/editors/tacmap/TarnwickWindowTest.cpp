// Tarnwick's windows driven as a user drives them: the frame over Millbrook (and its picture), painting, placing,
// moving and deleting through the palette and the map, the path grid's fragments and costs, the keys, and the
// four dialogs with their OK and refusals.
#include "TarnwickFixture.h"

#include "core/display/CDisplay.h"
#include "core/display/CSurface.h"
#include "core/world/Sprite.h"
#include "editors/common/ui/LockPanes.h"

#include <algorithm>
#include <functional>

#include <QComboBox>
#include <QWheelEvent>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStatusBar>
#include <QToolBar>

namespace {

using namespace tarnwicktest;
using tacmap::CTacticalMapView;

constexpr int kWoods = 6;

TEST_F(TarnwickTest, MillbrookFillsTheFrameAndTheViewShowsTheBackBuffer)
{
    Start("window_millbrook");
    EXPECT_EQ(Caption(), "Untitled - Tarnwick");
    EXPECT_FALSE(Action(frame->FileMenu(), "&New")->isEnabled());
    EXPECT_FALSE(Action(frame->FileMenu(), "&Save")->isEnabled());
    prompts.ExpectOpenFile((folder / "Millbrook.zri").string());
    ASSERT_TRUE(Trigger(frame->FileMenu(), "&Open"));
    EXPECT_EQ(Caption(), "Millbrook - Tarnwick");
    EXPECT_TRUE(Action(frame->FileMenu(), "&Save")->isEnabled());
    EXPECT_FALSE(Action(frame->FileMenu(), "&New")->isEnabled());
    EXPECT_FALSE(frame->ToolBar()->isVisible()); // shown through View > Toolbar
    EXPECT_EQ(app->m_pSimView, Map());

    // The palette's lists, the agency chosen, the controls' first states.
    EXPECT_GT(Sprites()->Tiles()->count(), 5);
    EXPECT_GT(Sprites()->Features()->count(), 5);
    EXPECT_GE(Sprites()->Agencies()->currentIndex(), 0);
    EXPECT_GT(Sprites()->Units()->count(), 0);
    EXPECT_TRUE(Control<QRadioButton>(1006)->isChecked());
    EXPECT_TRUE(Control<QRadioButton>(1025)->isChecked());

    // The mouse over the map writes the status panes.
    Move(At(3, 71));
    const std::string position = frame->StatusPanes().GetPaneText(2);
    EXPECT_NE(position.find(" Mode(Idle) View["), std::string::npos) << position;
    EXPECT_NE(position.find("Grid[03, 71]"), std::string::npos) << position;

    // The whole 800 x 600 view, pixel for pixel the display's back buffer.
    const QImage grab = Map()->grab().toImage().convertToFormat(QImage::Format_RGB16);
    ASSERT_EQ(grab.size(), QSize(800, 600));
    const platform::PixelSurface* pixels = app->World().GetDisplay()->GetBackBuffer()->GetPixels();
    int mismatches = 0, colours = 0;
    uint16_t first = pixels->GetPixel(0, 0);
    for (int y = 0; y < 600; ++y) {
        const auto* row = reinterpret_cast<const uint16_t*>(grab.constScanLine(y));
        for (int x = 0; x < 800; ++x) {
            mismatches += row[x] != pixels->GetPixel(x, y);
            colours += row[x] != first;
        }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(colours, 100000); // a map, not a cleared buffer

    // The picture with the mouse over one of Millbrook's squads: its name and id in the status bar.
    for (CSprite* s : AllSprites())
        if (s->Kind() == kUnitSprite && (s->m_Placement.Flags & kSpriteDrawn)) {
            Move(QPoint(s->m_nScreenX + 2, s->m_nScreenY + 2));
            EXPECT_NE(frame->StatusPanes().GetPaneText(1).find(s->m_szName), std::string::npos);
            break;
        }
    const fs::path shot = fs::path(ZR_TARNWICK_OUTPUT) / "Tarnwick-Millbrook.png";
    ASSERT_TRUE(frame->grab().save(QString::fromStdString(shot.string())));
}

TEST_F(TarnwickTest, PaintingPlacingMovingAndDeletingWithTheMouse)
{
    OpenDemo("window_edit");
    // A drag paints woods over two tiles.
    ClickRow(Sprites()->Tiles(), TileRow(kWoods));
    EXPECT_EQ(app->GetSelectedTile(), kWoods);
    EXPECT_EQ(app->Palette().GetShownTile(), kWoods);
    Drag(At(2, 70), At(3, 70));
    CMap2DLinked& map = *app->World().GetMap();
    EXPECT_EQ(map.GetTileIndex(70, 2), kWoods);
    EXPECT_EQ(map.GetTileIndex(70, 3), kWoods);
    EXPECT_EQ(app->World().GetPathData()->GetPathCost(2, 70), 170);
    EXPECT_TRUE(app->Model().IsModified());
    Key(Qt::Key_Escape);
    EXPECT_EQ(app->GetSelectedTile(), -1);
    EXPECT_EQ(GetCurSel(Sprites()->Tiles()), -1);

    // The shed brings its roof, linked; the preview follows the mouse and Escape ends it.
    const size_t before = AllSprites().size();
    ClickRow(Sprites()->Features(), RowOf(Sprites()->Features(), "Shed"));
    EXPECT_GE(app->GetSelectedFeatureTemplate(), 0);
    Move(At(12, 70));
    EXPECT_EQ(View().GetMode(), CTacticalMapView::kDragFeature);
    EXPECT_EQ(Map()->GetViewCursor(), EViewCursor::Hidden);
    EXPECT_NE(View().GetPreviewSprite(), nullptr);
    Click(At(12, 70));
    Key(Qt::Key_Escape);
    EXPECT_EQ(View().GetMode(), CTacticalMapView::kIdle);
    EXPECT_EQ(View().GetPreviewSprite(), nullptr);
    ASSERT_EQ(AllSprites().size(), before + 2);
    CSprite* shed = SpriteAt(kFeatureSprite, 12, 70);
    ASSERT_NE(shed, nullptr);
    CSprite* head = CSpriteManager::GetLinkChainHead(shed);
    ASSERT_NE(head->m_pLinkNext, nullptr);
    EXPECT_EQ(app->World().GetPathData()->GetPathCost(12, 70), 255); // the shed blocks the way

    // A squad from the palette on the road.
    ClickRow(Sprites()->Units(), 0);
    EXPECT_GE(app->GetSelectedSquadTemplate(), 0);
    Click(At(3, 71));
    Key(Qt::Key_Escape);
    CSprite* squad = SpriteAt(kUnitSprite, 3, 71);
    ASSERT_NE(squad, nullptr);

    // Ctrl + drag moves it; a plain click picks it and selects its template in the palette.
    Drag(At(3, 71), At(6, 71), Qt::ControlModifier);
    EXPECT_EQ(View().GetMode(), CTacticalMapView::kIdle);
    EXPECT_EQ(SpriteAt(kUnitSprite, 3, 71), nullptr);
    ASSERT_EQ(SpriteAt(kUnitSprite, 6, 71), squad);
    Key(Qt::Key_Escape);
    Click(At(6, 71));
    EXPECT_EQ(View().GetSelectedSprite(), squad);
    EXPECT_GE(GetCurSel(Sprites()->Units()), 0);
    Key(Qt::Key_Escape);

    // Right click on the lone squad deletes it at once.
    const size_t withSquad = AllSprites().size();
    RightClick(At(6, 71));
    EXPECT_EQ(SpriteAt(kUnitSprite, 6, 71), nullptr);
    EXPECT_EQ(View().GetSelectedSprite(), nullptr);
    EXPECT_EQ(AllSprites().size(), withSquad - 1);

    // On the shed and its roof the delete dialog asks; Cancel keeps them, OK deletes the one chosen, with its chain.
    {
        CModalAnswers answers;
        answers.Then([](QDialog& d) {
            EXPECT_EQ(d.windowTitle(), "Delete Sprites");
            EXPECT_GE(GetDlgItem<QListWidget>(&d, 1010)->count(), 2);
            d.reject();
        });
        RightClick(At(12, 70));
    }
    EXPECT_EQ(AllSprites().size(), before + 2);
    {
        CModalAnswers answers;
        answers.Then([](QDialog& d) {
            QListWidget* list = GetDlgItem<QListWidget>(&d, 1010);
            const int shedRow = FindStringExact(list, "Shed");
            ASSERT_GE(shedRow, 0);
            SetSel(list, shedRow, true);
            d.accept();
        });
        RightClick(At(12, 70));
    }
    EXPECT_EQ(AllSprites().size(), before);
    EXPECT_NE(app->World().GetPathData()->GetPathCost(12, 70), 255); // the costs under it came back
}

TEST_F(TarnwickTest, ASquadMovedOntoImpassableGroundBeepsAndStays)
{
    OpenDemo("window_move_blocked");
    // A whole tile nobody can cross (the brook), with nothing on it, on the drawn map.
    tacmap::CPathData& grid = *app->World().GetPathData();
    int column = -1, row = -1;
    for (int r = 0; r < 71 && column < 0; ++r)
        for (int c = 10; c < 98 && column < 0; ++c)
            if (!grid.IsFragmented(c, r) && grid.GetPathCost(c, r) == 255 && !grid.IsFragmented(c + 1, r + 1) &&
                Manager().SpritesAtPoint(At(c, r).x(), At(c, r).y()).empty()) {
                column = c;
                row = r;
            }
    ASSERT_GE(column, 0);
    ClickRow(Sprites()->Units(), 0);
    Click(At(3, 71));
    Key(Qt::Key_Escape);
    CSprite* squad = SpriteAt(kUnitSprite, 3, 71);
    ASSERT_NE(squad, nullptr);
    const int x = squad->m_Placement.WorldX, y = squad->m_Placement.WorldY;
    const int beepsBefore = beeps;
    const size_t count = AllSprites().size();

    // As a drop from the palette there would: a beep, and the squad stays where it stood.
    Drag(At(3, 71), At(column, row), Qt::ControlModifier);
    EXPECT_EQ(beeps, beepsBefore + 1);
    EXPECT_EQ(squad->m_Placement.WorldX, x);
    EXPECT_EQ(squad->m_Placement.WorldY, y);
    EXPECT_EQ(AllSprites().size(), count);
    EXPECT_EQ(View().GetMode(), CTacticalMapView::kIdle);
    EXPECT_EQ(View().GetPreviewSprite(), nullptr);
}

TEST_F(TarnwickTest, PointsBelowTheDrawnMapAreOutOfRange)
{
    OpenDemo("window_out_of_range");
    ASSERT_EQ(View().GetTileSize(), 8);
    // The map fills the top 576 rows of the 600-pixel view; the band below shows no tiles.
    const QPoint band(40, 590);
    const int column = View().GetOriginColumn() + band.x() / 8;
    const int row = View().GetOriginRow() + band.y() / 8;
    ASSERT_LT(row, 75);
    Move(QPoint(40, 575));
    EXPECT_NE(frame->StatusPanes().GetPaneText(2).find("Grid[05, 71]"), std::string::npos);
    Move(band);
    EXPECT_EQ(frame->StatusPanes().GetPaneText(1), "None");
    EXPECT_EQ(frame->StatusPanes().GetPaneText(2), "Out of range.");

    CMap2DLinked& map = *app->World().GetMap();
    tacmap::CPathData& grid = *app->World().GetPathData();
    const int tile = map.GetTileIndex(row, column);
    const size_t count = AllSprites().size();
    struct Case {
        const char* what;
        std::function<void()> choose;
    };
    const Case cases[] = {
        {"a tile", [&] { ClickRow(Sprites()->Tiles(), TileRow(tile == kWoods ? kWoods - 1 : kWoods)); }},
        {"a squad", [&] { ClickRow(Sprites()->Units(), 0); }},
        {"a feature", [&] { ClickRow(Sprites()->Features(), RowOf(Sprites()->Features(), "Shed")); }},
        {"fragment mode", [&] { ClickButton(Control<QAbstractButton>(1012)); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.choose();
        Click(band);
        RightClick(band);
        EXPECT_EQ(map.GetTileIndex(row, column), tile);
        EXPECT_FALSE(grid.IsFragmented(column, row));
        EXPECT_EQ(AllSprites().size() - (View().GetPreviewSprite() ? 1 : 0), count);
        EXPECT_FALSE(app->Model().IsModified());
        EXPECT_EQ(frame->StatusPanes().GetPaneText(2), "Out of range.");
        if (View().GetMode() == CTacticalMapView::kFragment)
            ClickButton(Control<QAbstractButton>(1012));
        Key(Qt::Key_Escape);
    }
}

TEST_F(TarnwickTest, TheStatusBarEndsWithTheLockKeyPanes)
{
    OpenDemo("window_lock_panes");
    CLockPanes* locks = CLockPanes::Find(frame->statusBar());
    ASSERT_NE(locks, nullptr);
    // After the position pane, in the order caps, num, scroll.
    int left = frame->StatusPanes().GetPane(2)->geometry().left();
    for (auto lock : {CLockPanes::kCapsLock, CLockPanes::kNumLock, CLockPanes::kScrollLock}) {
        EXPECT_TRUE(locks->GetPane(lock)->isVisible());
        EXPECT_GT(locks->GetPane(lock)->geometry().left(), left);
        left = locks->GetPane(lock)->geometry().left();
    }
    // Caps Lock pressed over the map lights its pane (and it goes on to the map as no edit).
    Map()->setFocus();
    QTest::keyClick(frame->windowHandle(), Qt::Key_CapsLock);
    QApplication::processEvents();
    EXPECT_EQ(locks->GetPane(CLockPanes::kCapsLock)->text(), "CAP");
    EXPECT_EQ(locks->GetPane(CLockPanes::kNumLock)->text(), "");
    EXPECT_FALSE(app->Model().IsModified());
    Move(At(3, 71));
    const fs::path shot = fs::path(ZR_TARNWICK_OUTPUT) / "Tarnwick-LockPanes.png";
    ASSERT_TRUE(frame->grab().save(QString::fromStdString(shot.string())));
    QTest::keyClick(frame->windowHandle(), Qt::Key_CapsLock);
    QApplication::processEvents();
    EXPECT_EQ(locks->GetPane(CLockPanes::kCapsLock)->text(), "");
}

TEST_F(TarnwickTest, FragmentModeSplitsTilesAndReloadCostRecomputes)
{
    OpenDemo("window_path_grid");
    tacmap::CPathData& grid = *app->World().GetPathData();
    ASSERT_FALSE(grid.IsFragmented(5, 70));
    ClickButton(Control<QAbstractButton>(1012));
    EXPECT_EQ(View().GetMode(), CTacticalMapView::kFragment);
    EXPECT_EQ(Map()->GetViewCursor(), EViewCursor::Cross);
    EXPECT_TRUE(Map()->hasFocus() || !QApplication::focusWidget() || QApplication::focusWidget() == Map());
    Click(At(5, 70));
    EXPECT_TRUE(grid.IsFragmented(5, 70));
    EXPECT_NE(frame->StatusPanes().GetPaneText(2).find("[F]"), std::string::npos);
    Click(At(5, 70)); // a second click merges it again
    EXPECT_FALSE(grid.IsFragmented(5, 70));
    Click(At(5, 70));
    ClickButton(Control<QAbstractButton>(1012));
    EXPECT_EQ(View().GetMode(), CTacticalMapView::kIdle);
    EXPECT_EQ(Map()->GetViewCursor(), EViewCursor::Arrow);

    // A cost changed behind the editor's back comes back with Reload Cost.
    grid.SetPathCost(9, 70, 1);
    app->View().SetModified(false);
    prompts.ExpectMessage("Path and LOS costs updated.", IDOK, "Reload Cost");
    ClickButton(Control<QAbstractButton>(1024));
    const int typeCost =
        static_cast<uint8_t>(app->World().GetMap()->GetTileType(app->World().GetMap()->GetTileIndex(70, 9))->m_anCost[0]);
    EXPECT_EQ(grid.GetPathCost(9, 70), typeCost);
    EXPECT_TRUE(grid.IsFragmented(5, 70)); // fragments stay
    EXPECT_TRUE(app->Model().IsModified());
}

TEST_F(TarnwickTest, KeysZoomScrollToggleTheGridAndCycleAGroup)
{
    OpenDemo("window_keys");
    Map()->setFocus();
    EXPECT_FALSE(View().GetGridLayer()->IsVisible());
    Key(Qt::Key_G);
    EXPECT_TRUE(View().GetGridLayer()->IsVisible());
    ClickButton(Control<QAbstractButton>(1003)); // Show Grid toggles it back
    EXPECT_FALSE(View().GetGridLayer()->IsVisible());

    // '+' enters zoom-in, a click zooms there; the arrows scroll; '-' zooms out.
    Key(Qt::Key_Plus);
    EXPECT_EQ(View().GetMode(), CTacticalMapView::kZoomIn);
    EXPECT_EQ(Map()->GetViewCursor(), EViewCursor::ZoomIn);
    Click(At(50, 40));
    EXPECT_EQ(View().GetTileSize(), 32);
    EXPECT_TRUE(Control<QRadioButton>(1005)->isChecked());
    const int column = View().GetOriginColumn();
    Key(Qt::Key_Right);
    EXPECT_EQ(View().GetOriginColumn(), column + 1);
    Key(Qt::Key_Left);
    EXPECT_EQ(View().GetOriginColumn(), column);
    Key(Qt::Key_Minus);
    EXPECT_EQ(View().GetTileSize(), 8);
    EXPECT_TRUE(Control<QRadioButton>(1006)->isChecked());
    // The "In" radio enters zoom-in mode as the key does.
    ClickButton(Control<QAbstractButton>(1005));
    EXPECT_EQ(View().GetMode(), CTacticalMapView::kZoomIn);
    ClickButton(Control<QAbstractButton>(1006));
    EXPECT_EQ(View().GetMode(), CTacticalMapView::kIdle);

    // C walks the fires' cycle group in the palette; the wheel moves down the list.
    ClickRow(Sprites()->Features(), RowOf(Sprites()->Features(), "Fire (large)"));
    const int fire = app->GetSelectedFeatureTemplate();
    Move(At(20, 20));
    Key(Qt::Key_C);
    EXPECT_NE(app->GetSelectedFeatureTemplate(), fire);
    EXPECT_EQ(Manager().NextTemplateInGroup(fire), app->GetSelectedFeatureTemplate());
    const int row = GetCurSel(Sprites()->Features());
    QWheelEvent wheel(QPointF(At(20, 20)), QPointF(Map()->mapToGlobal(At(20, 20))), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(Map(), &wheel);
    EXPECT_EQ(GetCurSel(Sprites()->Features()), row + 1);
    Key(Qt::Key_Escape);
    EXPECT_EQ(View().GetPreviewSprite(), nullptr);

    // R hides the hideable sprites while held; the cutaway radios do it for good.
    QTest::keyPress(Map(), Qt::Key_R);
    QTest::keyRelease(Map(), Qt::Key_R);
    ClickButton(Control<QAbstractButton>(1026));
    EXPECT_FALSE(app->IsShowChecked());
    ClickButton(Control<QAbstractButton>(1025));
    EXPECT_TRUE(app->IsShowChecked());
}

TEST_F(TarnwickTest, AcceleratorsWithoutAHandlerNeverReachTheMap)
{
    OpenDemo("window_accelerators");
    frame->activateWindow();
    QApplication::setActiveWindow(frame);
    Map()->setFocus();
    ClickRow(Sprites()->Features(), RowOf(Sprites()->Features(), "Fire (large)"));
    const int fire = app->GetSelectedFeatureTemplate();
    ASSERT_NE(Manager().NextTemplateInGroup(fire), fire);
    Move(At(20, 20));
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
    };
    const Case cases[] = {{Qt::Key_C, Qt::ControlModifier},      {Qt::Key_Insert, Qt::ControlModifier},
                          {Qt::Key_V, Qt::ControlModifier},      {Qt::Key_Insert, Qt::ShiftModifier},
                          {Qt::Key_X, Qt::ControlModifier},      {Qt::Key_Delete, Qt::ShiftModifier},
                          {Qt::Key_Z, Qt::ControlModifier},      {Qt::Key_Backspace, Qt::AltModifier},
                          {Qt::Key_F6, Qt::NoModifier},          {Qt::Key_F6, Qt::ShiftModifier}};
    for (const Case& c : cases) {
        SCOPED_TRACE(QKeySequence(c.key | c.mods).toString().toStdString());
        Key(c.key, c.mods);
        EXPECT_EQ(app->GetSelectedFeatureTemplate(), fire);
        EXPECT_EQ(View().GetMode(), CTacticalMapView::kDragFeature);
        EXPECT_EQ(QApplication::focusWidget(), Map());
    }
    Key(Qt::Key_C); // the plain letter still cycles
    EXPECT_NE(app->GetSelectedFeatureTemplate(), fire);
}

TEST_F(TarnwickTest, ScenarioDetailsOkWritesAndCancelKeeps)
{
    OpenDemo("window_details");
    CScenarioData& scenario = *app->World().GetScenario();
    const std::string title = scenario.m_szTitle;
    {
        CModalAnswers answers;
        answers.Then([](QDialog& d) {
            EXPECT_EQ(d.windowTitle(), "Scenario Details");
            QLineEdit* titleEdit = GetDlgItem<QLineEdit>(&d, 1015);
            EXPECT_EQ(titleEdit->maxLength(), 50);
            titleEdit->setText("Changed");
            d.reject();
        });
        ASSERT_TRUE(Trigger(frame->EditMenu(), "Scenario Details"));
    }
    EXPECT_EQ(std::string(scenario.m_szTitle), title);
    EXPECT_FALSE(app->Model().IsModified());
    {
        CModalAnswers answers;
        answers.Then([](QDialog& d) {
            GetDlgItem<QLineEdit>(&d, 1015)->setText("Flood at Millbrook");
            GetDlgItem<QPlainTextEdit>(&d, 1016)->setPlainText("Rain.\nMore rain.");
            QComboBox* direction = GetDlgItem<QComboBox>(&d, 1017);
            EXPECT_EQ(direction->count(), 16);
            direction->setCurrentIndex(15);
            EXPECT_EQ(direction->currentText(), "North by Northwest");
            QLineEdit* speed = GetDlgItem<QLineEdit>(&d, 1018);
            speed->clear();
            QTest::keyClicks(speed, "1x2"); // digits only
            EXPECT_EQ(speed->text(), "12");
            d.accept();
        });
        ASSERT_TRUE(Trigger(frame->EditMenu(), "Scenario Details"));
    }
    EXPECT_EQ(std::string(scenario.m_szTitle), "Flood at Millbrook");
    std::string description = scenario.GetDescription();
    description.erase(std::remove(description.begin(), description.end(), '\r'), description.end());
    EXPECT_EQ(description, "Rain.\nMore rain."); // in the line ends the scenario had
    EXPECT_EQ(scenario.m_nWindDirection, 15);
    EXPECT_EQ(scenario.m_nWindSpeed, 12);
    EXPECT_TRUE(app->Model().IsModified());
}

TEST_F(TarnwickTest, GradedValuesRefuseAnEmptyEditThenWriteAll)
{
    OpenDemo("window_graded");
    CScenarioData& scenario = *app->World().GetScenario();
    const int32_t cost = scenario.m_nPredictedCost;
    {
        CModalAnswers answers;
        answers.Then([](QDialog& d) {
            EXPECT_EQ(d.windowTitle(), "Scoring");
            GetDlgItem<QLineEdit>(&d, 1028)->clear();
            d.accept(); // refused: the dialog stays open for the next answer
        });
        answers.Then([](QDialog& d) {
            GetDlgItem<QLineEdit>(&d, 1028)->setText("900");
            GetDlgItem<QLineEdit>(&d, 1029)->setText("800");
            GetDlgItem<QPlainTextEdit>(&d, 1030)->setPlainText("Well done");
            GetDlgItem<QLineEdit>(&d, 1031)->setText("500");
            GetDlgItem<QPlainTextEdit>(&d, 1032)->setPlainText("Fair");
            GetDlgItem<QPlainTextEdit>(&d, 1034)->clear();
            d.accept(); // refused again: a message is missing
        });
        answers.Then([](QDialog& d) {
            GetDlgItem<QPlainTextEdit>(&d, 1034)->setPlainText("Poor");
            d.accept();
        });
        prompts.ExpectMessage("Required value missing", IDOK, "Incomplete Data");
        prompts.ExpectMessage("Required message missing", IDOK, "Incomplete Data");
        ASSERT_TRUE(Trigger(frame->EditMenu(), "Scoring Details"));
    }
    EXPECT_EQ(scenario.m_nPredictedScore, 900);
    EXPECT_EQ(scenario.m_anScoreBreaks[0], 800);
    EXPECT_EQ(scenario.m_anScoreBreaks[1], 500);
    EXPECT_EQ(scenario.m_anScoreBreaks[2], 500);
    EXPECT_EQ(scenario.m_vScoreMessages, (std::vector<std::string>{"Well done", "Fair", "Poor"}));
    EXPECT_TRUE(app->Model().IsModified());
    app->View().SetModified(false);
    {
        CModalAnswers answers;
        answers.Then([](QDialog& d) {
            EXPECT_EQ(d.windowTitle(), "Cost");
            GetDlgItem<QLineEdit>(&d, 1028)->setText("123");
            d.reject();
        });
        ASSERT_TRUE(Trigger(frame->EditMenu(), "Cost Details"));
    }
    EXPECT_EQ(scenario.m_nPredictedCost, cost);
    EXPECT_FALSE(app->Model().IsModified());
}

TEST_F(TarnwickTest, SpriteDataReplacesThePickedSquadAndClearMapAsksFirst)
{
    OpenDemo("window_sprite_data");
    ClickRow(Sprites()->Units(), 0);
    Click(At(3, 71));
    Key(Qt::Key_Escape);
    CSprite* squad = SpriteAt(kUnitSprite, 3, 71);
    ASSERT_NE(squad, nullptr);
    const std::string name = squad->m_szName;
    const int x = squad->m_Placement.WorldX, y = squad->m_Placement.WorldY;

    // Details without a picked squad does nothing; with one, only the id changed keeps the old id.
    ClickButton(Control<QAbstractButton>(1027));
    Click(At(3, 71));
    ASSERT_EQ(View().GetSelectedSprite(), squad);
    const int id = squad->m_Placement.ServiceId;
    {
        CModalAnswers answers;
        answers.Then([&](QDialog& d) {
            EXPECT_EQ(d.windowTitle(), "Sprite Instance Data");
            EXPECT_EQ(FromQString(GetDlgItem<QComboBox>(&d, 1041)->currentText()), name);
            QLineEdit* edit = GetDlgItem<QLineEdit>(&d, 1042);
            EXPECT_EQ(edit->text().toInt(), id);
            edit->setText("4321");
            d.accept();
        });
        ClickButton(Control<QAbstractButton>(1027));
    }
    EXPECT_EQ(View().GetSelectedSprite(), squad);
    EXPECT_EQ(squad->m_Placement.ServiceId, id);

    // Another template makes a new squad with the id typed, where the old one stood.
    {
        CModalAnswers answers;
        answers.Then([&](QDialog& d) {
            QComboBox* templates = GetDlgItem<QComboBox>(&d, 1041);
            ASSERT_GE(templates->count(), 2);
            const int other = templates->currentIndex() == 0 ? 1 : 0;
            templates->setCurrentIndex(other);
            emit templates->activated(other);
            GetDlgItem<QLineEdit>(&d, 1042)->setText("4321");
            d.accept();
        });
        ClickButton(Control<QAbstractButton>(1027));
    }
    CSprite* now = View().GetSelectedSprite();
    ASSERT_NE(now, nullptr);
    EXPECT_NE(std::string(now->m_szName), name);
    EXPECT_EQ(now->m_Placement.ServiceId, 4321);
    EXPECT_EQ(now->m_Placement.WorldX, x);
    EXPECT_EQ(now->m_Placement.WorldY, y);
    EXPECT_TRUE(Manager().ContainsSprite(now));
    for (CSprite* s : AllSprites())
        EXPECT_NE(std::string(s->m_szName) + std::to_string(s->m_Placement.ServiceId), name + std::to_string(id));

    // Clear Map: No keeps everything, Yes wipes the sprites.
    const size_t count = AllSprites().size();
    prompts.ExpectMessage("This will wipe out your existing map!\nAre you sure?", IDNO, "ABOUT TO CLEAR MAP");
    ClickButton(Control<QAbstractButton>(1007));
    EXPECT_EQ(AllSprites().size(), count);
    prompts.ExpectMessage("Are you sure?", IDYES, "ABOUT TO CLEAR MAP");
    ClickButton(Control<QAbstractButton>(1007));
    EXPECT_TRUE(AllSprites().empty());
    EXPECT_EQ(View().GetSelectedSprite(), nullptr);
}


// Every control of a dialog shows at least the size its text and frame need.
void ExpectNothingClipped(QDialog& d)
{
    for (QWidget* w : d.findChildren<QWidget*>()) {
        if (!w->isVisible() || !(w->inherits("QLabel") || w->inherits("QAbstractButton") || w->inherits("QComboBox") ||
                                 w->inherits("QLineEdit") || w->inherits("QGroupBox")))
            continue;
        const QSize need = w->minimumSizeHint();
        EXPECT_GE(w->width(), need.width()) << FromQString(d.windowTitle()) << ": " << w->metaObject()->className();
        EXPECT_GE(w->height(), need.height()) << FromQString(d.windowTitle()) << ": " << w->metaObject()->className();
        EXPECT_TRUE(d.rect().contains(QRect(w->mapTo(&d, QPoint(0, 0)), w->size())))
            << FromQString(d.windowTitle()) << ": " << w->metaObject()->className() << " leaves the dialog";
    }
}

TEST_F(TarnwickTest, EveryDialogShowsWholeInItsPicture)
{
    OpenDemo("window_dialogs");
    const fs::path out(ZR_TARNWICK_OUTPUT);
    auto shoot = [&](const char* file) {
        return [&out, file](QDialog& d) {
            ExpectNothingClipped(d);
            EXPECT_TRUE(d.grab().save(QString::fromStdString((out / file).string())));
            d.reject();
        };
    };
    {
        CModalAnswers answers;
        answers.Then(shoot("Dialog-ScenarioDetails.png"));
        answers.Then(shoot("Dialog-Scoring.png"));
        answers.Then(shoot("Dialog-Cost.png"));
        ASSERT_TRUE(Trigger(frame->EditMenu(), "Scenario Details"));
        ASSERT_TRUE(Trigger(frame->EditMenu(), "Scoring Details"));
        ASSERT_TRUE(Trigger(frame->EditMenu(), "Cost Details"));
    }
    // A shed with its roof for the delete list; a squad picked (by the last click) for its instance data.
    ClickRow(Sprites()->Features(), RowOf(Sprites()->Features(), "Shed"));
    Click(At(12, 70));
    Key(Qt::Key_Escape);
    ClickRow(Sprites()->Units(), 0);
    Click(At(3, 71));
    Key(Qt::Key_Escape);
    Click(At(3, 71));
    ASSERT_NE(View().GetSelectedSprite(), nullptr);
    {
        CModalAnswers answers;
        answers.Then(shoot("Dialog-SpriteInstanceData.png"));
        answers.Then(shoot("Dialog-DeleteSprites.png"));
        ClickButton(Control<QAbstractButton>(1027));
        RightClick(At(12, 70));
        EXPECT_EQ(answers.Answered(), (std::deque<std::string>{"Sprite Instance Data", "Delete Sprites"}));
    }
}

} // namespace
