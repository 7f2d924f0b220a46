// Tarnwick's main frame: layout, menus and the file, events and description commands.
#include "editors/tacmap/ui/MainFrame.h"

#include "core/world/ScenarioData.h"
#include "editors/common/ui/LockPanes.h"
#include "editors/common/ui/Prompts.h"
#include "editors/common/ui/Text.h"
#include "editors/tacmap/ui/Dialogs.h"
#include "editors/tacmap/ui/FormViewSim.h"
#include "editors/tacmap/ui/Panes.h"
#include "editors/tacmap/ui/TarnwickApp.h"

#include <QAction>
#include <QMenuBar>
#include <QScrollArea>
#include <QStatusBar>
#include <QToolBar>

CMainFrame::CMainFrame(CTarnwickApp& app) : m_app(app)
{
    m_pToolBar = AddStandardToolBar(this, false);
    // Pane 0 (nothing is written there) stays narrow; the sprites under the mouse take what the position leaves.
    m_pStatusPanes = std::make_unique<CStatusPanes>(statusBar(), std::vector<int>{1, 0, 690});
    // Then the caps-, num- and scroll-lock indicators.
    new CLockPanes(statusBar());
    CreateClient();
    CreateMenus();
    UpdateCaption();
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::CreateClient()
{
    auto* outer = new QSplitter(Qt::Horizontal, this);
    m_pLeft = new CBSplit(3, outer);
    // The map view takes the space it needs; a smaller window scrolls it.
    auto* scroller = new QScrollArea(outer);
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_pMapPane = new CFormViewSim(m_app);
    scroller->setWidget(m_pMapPane);
    scroller->setMinimumSize(80, 60);
    outer->addWidget(m_pLeft);
    outer->addWidget(scroller);
    outer->setStretchFactor(1, 1);

    auto* tiles = new CFormViewTileDisplay(m_app);
    auto* sprites = new CFormViewSprites(m_app);
    auto* controls = new CFormViewEditorControls(m_app);
    m_pLeft->CreateView(0, tiles, 53);
    m_pLeft->CreateView(1, sprites, 0);
    m_pLeft->CreateView(2, controls, controls->sizeHint().height());
    m_pLeft->RecalcLayout();
    for (QWidget* pane : {static_cast<QWidget*>(tiles), static_cast<QWidget*>(sprites), static_cast<QWidget*>(controls)})
        PassFocusTo(pane, m_pMapPane);
    m_pLeft->setMinimumWidth(210);
    SetIdealSizes(outer, {210, 0});
    setCentralWidget(outer);
}

void CMainFrame::CreateMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    m_pFileMenu = file;
    QAction* newFile = AddCommand(file, "&New", nullptr);
    QAction* open = AddCommand(file, "&Open", [this] { OnFileOpen(); });
    QAction* save = AddCommand(file, "&Save", [this] { OnFileSave(); }, [this] {
        return !m_app.Model().GetFileTitle().empty();
    });
    QAction* saveAs = AddCommand(file, "Save &As", [this] { OnFileSaveAs(); });
    file->addSeparator();
    AddCommand(file, "&Import Events", [this] { OnImportEvents(); });
    AddCommand(file, "&Export Events (as text)", [this] { OnExportEventsAsText(); });
    AddCommand(file, "Export Events (as ZRE)", [this] { OnExportEvents(); });
    AddCommand(file, "&Remove All Events", [this] { OnRemoveAllEvents(); });
    file->addSeparator();
    QAction* exit = AddCommand(file, "E&xit", [this] { close(); });
    SetFileShortcuts(newFile, open, save, saveAs, exit);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    m_pEditMenu = edit;
    AddCommand(edit, "Scenario Details", [this] { OnScenarioDetails(); });
    edit->addSeparator();
    AddCommand(edit, "Scoring Details", [this] { OnScoringDetails(); });
    AddCommand(edit, "Cost Details", [this] { OnCostDetails(); });

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    AddViewToggles(view, m_pToolBar, statusBar());
    CreateAccelerators();
}

void CMainFrame::CreateAccelerators()
{
    // Cut, copy, paste and undo have no handler: their keys do nothing, and so never reach the map view as its own
    // letters (Ctrl+C is not C, which cycles a feature group).
    const QKeySequence unhandled[] = {Qt::CTRL | Qt::Key_C,     Qt::CTRL | Qt::Key_Insert, Qt::CTRL | Qt::Key_V,
                                      Qt::SHIFT | Qt::Key_Insert, Qt::CTRL | Qt::Key_X,   Qt::SHIFT | Qt::Key_Delete,
                                      Qt::CTRL | Qt::Key_Z,     Qt::ALT | Qt::Key_Backspace};
    for (const QKeySequence& keys : unhandled) {
        auto* action = new QAction(this);
        action->setShortcut(keys);
        addAction(action);
    }
    // Next and previous pane: every pane hands the focus straight on to the map view, so the map view keeps it.
    for (const QKeySequence& keys : {QKeySequence(Qt::Key_F6), QKeySequence(Qt::SHIFT | Qt::Key_F6)}) {
        auto* action = new QAction(this);
        action->setShortcut(keys);
        connect(action, &QAction::triggered, this, [this] {
            if (m_pMapPane)
                m_pMapPane->setFocus();
        });
        addAction(action);
    }
}

void CMainFrame::UpdateCaption()
{
    setWindowTitle(ToQString(m_app.Model().Caption() + " - " + m_app.GetAppName()));
}

void CMainFrame::focusInEvent(QFocusEvent*)
{
    if (m_pMapPane)
        m_pMapPane->setFocus();
}

std::string CMainFrame::ChooseFile(bool save, const char* ext, const char* filter)
{
    FileChoice choice;
    choice.defaultExt = ext;
    // Scenarios and their lists live in the data folder: the dialogs start there.
    choice.initialName = m_app.World().GetDataFolder() + "/*." + ext;
    choice.filter = filter;
    choice.parent = this;
    std::string path;
    const bool chosen = save ? Prompts().SaveFile(choice, &path) : Prompts().OpenFile(choice, &path);
    return chosen ? path : std::string();
}

namespace {
const char* const kScenarioFilter = "Scenerio Files (*.zri)|*.zri|All Files (*.*)|*.*||";
const char* const kXmlFilter = "Scenerio Files (*.xml)|*.xml|All Files (*.*)|*.*||";
const char* const kZreFilter = "Scenerio Files (*.zre)|*.zre|All Files (*.*)|*.*||";
const char* const kEventsFilter = "Events Files (*.zre)|*.zre|All Files (*.*)|*.*||";
} // namespace

void CMainFrame::OnFileOpen()
{
    // Opening replaces the scenario: its unsaved edits are asked about first, as on closing.
    if (!SaveModified())
        return;
    const std::string path = ChooseFile(false, "zri", kScenarioFilter);
    if (path.empty())
        return;
    if (m_app.Model().Open(path))
        UpdateCaption();
    if (m_pMapPane) {
        m_pMapPane->RefreshCursor();
        m_pMapPane->setFocus();
    }
}

void CMainFrame::SaveScenarioAs(bool asXml)
{
    const std::string path =
        asXml ? ChooseFile(true, "xml", kXmlFilter) : ChooseFile(true, "zri", kScenarioFilter);
    if (path.empty()) {
        m_app.Model().SetLastSaveOK(false);
        return;
    }
    if (m_app.Model().SaveAs(path, asXml))
        UpdateCaption();
}

void CMainFrame::OnFileSave()
{
    if (m_app.Model().Save() == tacmap::CTarnwickModel::SaveResult::NeedsName)
        SaveScenarioAs(false);
}

bool CMainFrame::OnClose()
{
    return SaveModified();
}

bool CMainFrame::SaveModified()
{
    if (!m_app.Model().IsModified())
        return true;
    switch (Prompts().MessageBox("Do you wish to save?", "ZR Editor", EPromptButtons::YesNoCancel,
                                 EPromptIcon::Question, this)) {
    case IDYES:
        OnFileSave();
        return m_app.Model().LastSaveOK();
    case IDNO:
        return true;
    default:
        return false;
    }
}

void CMainFrame::OnImportEvents()
{
    const std::string path = ChooseFile(false, "zre", kEventsFilter);
    if (!path.empty())
        m_app.Model().ImportEvents(path);
}

void CMainFrame::OnExportEventsAsText()
{
    const std::string path = ChooseFile(true, "xml", kXmlFilter);
    if (!path.empty())
        m_app.Model().ExportEventsAsText(path);
}

void CMainFrame::OnExportEvents()
{
    const std::string path = ChooseFile(true, "zre", kZreFilter);
    if (!path.empty())
        m_app.Model().ExportEvents(path);
}

void CMainFrame::OnRemoveAllEvents()
{
    if (Prompts().MessageBox("This procedure can't be reversed. Proceed?", "Remove All Events", EPromptButtons::YesNo,
                             EPromptIcon::Exclamation, this) == IDYES)
        m_app.Model().RemoveAllEvents();
}

void CMainFrame::OnScenarioDetails()
{
    if (!m_app.Model().HasScenario(true))
        return;
    CScenarioData& scenario = *m_app.World().GetScenario();
    const tacmap::ScenarioDetailsForm form = tacmap::ScenarioDetailsOf(scenario);
    CDialogScenarioDetails dialog(this);
    dialog.m_strTitle = form.title;
    dialog.m_strBackground = form.background;
    dialog.m_nWindDir = form.windDirection;
    dialog.m_nWindSpeed = scenario.m_nWindSpeed;
    if (dialog.DoModal() != IDOK)
        return;
    tacmap::ScenarioDetailsForm result;
    result.title = dialog.m_strTitle;
    result.background = dialog.m_strBackground;
    result.windDirection = dialog.m_nWindDir;
    result.speed = std::to_string(dialog.m_nWindSpeed);
    tacmap::ApplyScenarioDetails(result, scenario);
    m_app.Model().MarkModified();
}

void CMainFrame::OnScoringDetails()
{
    if (!m_app.Model().HasScenario(false))
        return;
    CScenarioData& scenario = *m_app.World().GetScenario();
    CDialogValueGradedMessages dialog("", this);
    dialog.m_pnValue = &scenario.m_nPredictedScore;
    dialog.m_pnBreaks = scenario.m_anScoreBreaks;
    dialog.m_pvMessages = &scenario.m_vScoreMessages;
    if (dialog.DoModal() == IDOK)
        m_app.Model().MarkModified();
}

void CMainFrame::OnCostDetails()
{
    if (!m_app.Model().HasScenario(false))
        return;
    CScenarioData& scenario = *m_app.World().GetScenario();
    CDialogValueGradedMessages dialog("Cost", this);
    dialog.m_pnValue = &scenario.m_nPredictedCost;
    dialog.m_pnBreaks = scenario.m_anCostBreaks;
    dialog.m_pvMessages = &scenario.m_vCostMessages;
    if (dialog.DoModal() == IDOK)
        m_app.Model().MarkModified();
}
