// Vellisk's main frame and its file commands.
#include "editors/areamap/ui/MainFrame.h"

#include "editors/areamap/model/VelliskApp.h"
#include "editors/areamap/ui/AreaMapBitmapView.h"
#include "editors/areamap/ui/EsriDialogs.h"
#include "editors/areamap/ui/Panes.h"
#include "editors/common/ui/LockPanes.h"
#include "editors/common/ui/Text.h"

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QListWidget>
#include <QMenuBar>
#include <QStatusBar>

#include <iterator>

using vellisk::CVelliskApp;

namespace {
// Status pane 1 is widened by 250 pixels.
constexpr int kStatusPaneWidth = 100 + 250;
} // namespace

CMainFrame::CMainFrame(CVelliskApp& app, QWidget* parent)
    : CEditorFrame(parent), m_app(app), m_prompts(this, app.DataFolder())
{
    setWindowTitle("Vellisk");
    CreateClient();
    CreateMenus();
    CreatePaneKeys();
    m_pStatus = std::make_unique<CStatusPanes>(statusBar(), std::vector<int>{0, kStatusPaneWidth});
    new CLockPanes(statusBar());
    m_pStatus->SetPaneText(0, "Ready");
    m_pMapView->SetStatusHandler([this](const std::string& text) { m_pStatus->SetPaneText(1, text); });
    m_pMapView->setFocus();
}

CMainFrame::~CMainFrame()
{
    // The panes outlive the frame's own members: they must not call back into it.
    m_pMapView->SetStatusHandler({});
    m_pSpriteList->SetSelectionHandler({});
    m_pControls->SetNewPathHandler({});
}

void CMainFrame::CreateClient()
{
    m_pSplitter = new QSplitter(Qt::Horizontal, this);
    m_pLeft = new CBSplit(2, m_pSplitter);
    m_pSpriteList = new CFormviewSpriteList;
    m_pControls = new CFormViewEditorControls;
    m_pLeft->CreateView(0, m_pSpriteList, 350);
    m_pLeft->CreateView(1, m_pControls, 0);
    m_pMapView = new CFormViewAreaMapBitmap(m_app, m_pSplitter);
    m_pSplitter->addWidget(m_pLeft);
    m_pSplitter->addWidget(m_pMapView);
    m_pLeft->RecalcLayout();
    SetIdealSizes(m_pSplitter, {210, 0});
    m_pSplitter->setStretchFactor(1, 1);
    setCentralWidget(m_pSplitter);

    m_pMapView->SetSpriteList(m_pSpriteList);
    m_pSpriteList->SetSelectionHandler([this] { m_pMapView->setFocus(Qt::OtherFocusReason); });
    m_pControls->SetNewPathHandler([this] {
        m_pMapView->Model().BeginNewPath();
        m_pMapView->setFocus(Qt::OtherFocusReason);
        m_pMapView->update();
    });
    PassFocusTo(m_pControls, m_pMapView);
}

void CMainFrame::CreateMenus()
{
    QMenu* file = menuBar()->addMenu("&File");
    QAction* newMap = AddCommand(file, "&New...", [this] { OnFileNew(); });
    QAction* open = AddCommand(file, "&Open...", [this] { OnFileOpen(); });
    QAction* save = AddCommand(file, "&Save", [this] { OnFileSave(); }, [this] { return m_app.CanSave(); });
    QAction* saveAs =
        AddCommand(file, "Save &As...", [this] { OnFileSaveAs(); }, [this] { return m_app.CanSaveAs(); });
    file->addSeparator();
    QAction* exit = AddCommand(file, "E&xit", [this] { close(); });
    newMap->setObjectName("New");
    open->setObjectName("Open");
    save->setObjectName("Save");
    saveAs->setObjectName("SaveAs");
    exit->setObjectName("Exit");
    SetFileShortcuts(newMap, open, save, saveAs, exit);

    QToolBar* tools = AddStandardToolBar(this, true);
    QMenu* view = menuBar()->addMenu("&View");
    AddViewToggles(view, tools, statusBar());
}

void CMainFrame::CreatePaneKeys()
{
    for (const bool previous : {false, true}) {
        auto* key = new QAction(previous ? "Previous Pane" : "Next Pane", this);
        key->setObjectName(previous ? "PreviousPane" : "NextPane");
        key->setShortcut(previous ? QKeySequence(Qt::SHIFT | Qt::Key_F6) : QKeySequence(Qt::Key_F6));
        key->setShortcutContext(Qt::WindowShortcut);
        connect(key, &QAction::triggered, this, [this, previous] { ActivateNextPane(previous); });
        addAction(key);
    }
}

void CMainFrame::ActivateNextPane(bool previous)
{
    // The panes in splitter order; the controls pane hands the focus on to the map view, so it is not a stop.
    QWidget* const panes[] = {m_pSpriteList->List(), m_pMapView};
    constexpr int count = static_cast<int>(std::size(panes));
    const QWidget* focus = QApplication::focusWidget();
    int current = count - 1;
    for (int i = 0; i < count; ++i)
        if (focus && (panes[i] == focus || panes[i]->isAncestorOf(focus)))
            current = i;
    for (int step = 1; step <= count; ++step) {
        QWidget* pane = panes[(current + (previous ? count - step : step)) % count];
        if (pane->isEnabled() && pane->isVisible()) {
            pane->setFocus(previous ? Qt::BacktabFocusReason : Qt::TabFocusReason);
            return;
        }
    }
}

QAction* CMainFrame::Command(const std::string& name) const
{
    return findChild<QAction*>(QString::fromStdString(name));
}

bool CMainFrame::InitialUpdate()
{
    vellisk::CUserMessage failure;
    const bool ok = m_pMapView->InitialUpdate(&failure);
    if (!ok && !failure.text.empty())
        ShowUserMessage(failure, this);
    m_pSpriteList->Fill(m_app.Document());
    return ok;
}

void CMainFrame::UpdateCaption()
{
    setWindowTitle(m_app.FileTitle().empty() ? QString("Vellisk") : ToQString(m_app.FileTitle()));
}

void CMainFrame::ShowFileLoaded()
{
    UpdateCaption();
    m_pControls->EnableNewPath();
    m_pSpriteList->Fill(m_app.Document());
    m_pSpriteList->EnableList();
    m_pMapView->update();
}

std::string CMainFrame::NewBitmapFlow()
{
    if (!m_app.Document())
        return {};
    CDialogLocateESRIData locator(*m_app.Document(), m_app.DataFolder(), this);
    if (locator.DoModal() != IDOK)
        return {};
    CDialogAreaMapMO map(*m_app.Document(), m_app.DataFolder(), this);
    map.DoModal();
    m_pMapView->update();
    return map.SavedPath();
}

std::string CMainFrame::PickMapBitmap()
{
    std::string path;
    const FileChoice choice{"bmp", m_app.DataFolder() + "/Maps/*.bmp",
                            "Bitmap Files (*.bmp)|*.bmp|All Files (*.*)|*.*||", "Open Map Bitmap", this};
    return Prompts().OpenFile(choice, &path) ? path : std::string();
}

void CMainFrame::OnFileNew()
{
    if (!m_app.AskSaveBeforeNew(m_prompts))
        return;
    std::string bitmap = NewBitmapFlow();
    // No picture was saved: an existing one in Maps may become the new map.
    if (bitmap.empty())
        bitmap = PickMapBitmap();
    if (m_app.NewFromBitmap(bitmap, m_prompts))
        ShowFileLoaded();
    m_pMapView->update();
}

void CMainFrame::OnFileOpen()
{
    if (!m_app.AskSaveBeforeNew(m_prompts))
        return;
    std::string path;
    if (!Prompts().OpenFile(AreaMapFileChoice(m_app.DataFolder(), "Open", this), &path))
        return;
    if (m_app.Open(path, m_prompts))
        ShowFileLoaded();
    m_pMapView->update();
}

void CMainFrame::OnFileSaveAs()
{
    m_pMapView->Model().CommitEditState();
    const std::string path = m_prompts.SaveAreaMapName();
    if (!path.empty() && m_app.SaveAs(path, m_prompts))
        UpdateCaption();
    m_pMapView->update();
}

void CMainFrame::OnFileSave()
{
    if (m_app.Save(m_prompts))
        UpdateCaption();
    m_pMapView->update();
}

bool CMainFrame::OnClose()
{
    return m_app.CanClose(m_prompts);
}
