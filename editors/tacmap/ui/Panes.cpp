// The left column's panes: tile display, sprite palette and editor controls.
#include "editors/tacmap/ui/Panes.h"

#include "core/display/CDisplay.h"
#include "editors/common/ui/EditorApp.h"
#include "editors/common/ui/EditorDialog.h"
#include "editors/common/ui/Frame.h"
#include "editors/common/ui/ListHelpers.h"
#include "editors/tacmap/model/TileDisplay.h"
#include "editors/tacmap/ui/Dialogs.h"
#include "editors/tacmap/ui/FormViewSim.h"
#include "editors/tacmap/ui/TarnwickApp.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using tacmap::CSpritePalette;

// ---- tile display ----

CFormViewTileDisplay::CFormViewTileDisplay(CTarnwickApp& app, QWidget* parent)
    : CPresenterView(tacmap::kTileDisplayWidth, tacmap::kTileDisplayHeight, parent), m_app(app)
{
    setFocusPolicy(Qt::NoFocus);
    m_pDisplay = std::make_unique<CDisplay>(this, tacmap::kTileDisplayWidth, tacmap::kTileDisplayHeight, 16, 0, true);
    m_app.m_pTileDisplay = this;
}

CFormViewTileDisplay::~CFormViewTileDisplay()
{
    if (m_app.m_pTileDisplay == this)
        m_app.m_pTileDisplay = nullptr;
}

void CFormViewTileDisplay::ShowTile()
{
    update();
}

void CFormViewTileDisplay::OnDraw()
{
    tacmap::DrawTileDisplay(m_app.World(), *m_pDisplay, m_app.Palette().GetShownTile());
}

// ---- sprite palette ----

namespace {

QLabel* Caption(const char* text, QWidget* parent)
{
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setStyleSheet(QStringLiteral("font-weight: bold"));
    return label;
}

// The list's items as the palette has them, refilled only when they differ.
template <class L> void Mirror(L* list, const std::vector<tacmap::PaletteItem>& items)
{
    bool same = GetCount(list) == static_cast<int>(items.size());
    for (size_t i = 0; same && i < items.size(); ++i)
        same = GetText(list, static_cast<int>(i)) == items[i].text;
    if (same)
        return;
    ResetContent(list);
    for (size_t i = 0; i < items.size(); ++i)
        AddString(list, items[i].text, static_cast<intptr_t>(i));
}

} // namespace

CFormViewSprites::CFormViewSprites(CTarnwickApp& app, QWidget* parent) : QWidget(parent), m_app(app)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(2);
    m_pTiles = new QListWidget(this);
    m_pAgencies = new QComboBox(this);
    m_pUnits = new QListWidget(this);
    m_pFeatures = new QListWidget(this);
    SetDlgCtrlID(m_pTiles, 1001);
    SetDlgCtrlID(m_pAgencies, 1038);
    SetDlgCtrlID(m_pUnits, 1002);
    SetDlgCtrlID(m_pFeatures, 1010);
    layout->addWidget(Caption("Tiles", this));
    layout->addWidget(m_pTiles, 3);
    layout->addWidget(Caption("Squads/Vehicles", this));
    layout->addWidget(m_pAgencies);
    layout->addWidget(m_pUnits, 3);
    layout->addWidget(Caption("Terrain Features", this));
    layout->addWidget(m_pFeatures, 4);
    for (QListWidget* list : {m_pTiles, m_pUnits, m_pFeatures})
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    connect(m_pTiles, &QListWidget::itemSelectionChanged, this, [this] { OnTilesChanged(); });
    connect(m_pAgencies, &QComboBox::activated, this, [this](int row) { OnAgencyChanged(row); });
    connect(m_pUnits, &QListWidget::itemSelectionChanged, this, [this] { OnUnitsChanged(); });
    connect(m_pFeatures, &QListWidget::itemSelectionChanged, this, [this] { OnFeaturesChanged(); });
    m_app.m_pSpritesPane = this;
    Sync();
}

CFormViewSprites::~CFormViewSprites()
{
    if (m_app.m_pSpritesPane == this)
        m_app.m_pSpritesPane = nullptr;
}

void CFormViewSprites::Sync()
{
    m_bSyncing = true;
    const CSpritePalette& palette = m_app.Palette();
    Mirror(m_pTiles, palette.Items(CSpritePalette::kTiles));
    Mirror(m_pAgencies, palette.Items(CSpritePalette::kAgencies));
    Mirror(m_pUnits, palette.Items(CSpritePalette::kUnits));
    Mirror(m_pFeatures, palette.Items(CSpritePalette::kFeatures));
    SetCurSel(m_pTiles, palette.SelectedRow(CSpritePalette::kTiles));
    SetCurSel(m_pAgencies, palette.GetAgencySel());
    SetCurSel(m_pUnits, palette.SelectedRow(CSpritePalette::kUnits));
    SetCurSel(m_pFeatures, palette.SelectedRow(CSpritePalette::kFeatures));
    for (QListWidget* list : {m_pTiles, m_pUnits, m_pFeatures})
        if (GetCurSel(list) >= 0)
            list->scrollToItem(list->item(GetCurSel(list)));
    m_bSyncing = false;
    if (m_app.m_pTileDisplay)
        m_app.m_pTileDisplay->ShowTile();
}

void CFormViewSprites::OnTilesChanged()
{
    if (!m_bSyncing && m_app.m_pSimView)
        m_app.Palette().OnTileSelected(GetCurSel(m_pTiles));
    Sync();
    m_app.TakeFocus();
}

void CFormViewSprites::OnAgencyChanged(int row)
{
    if (m_app.m_pSimView)
        m_app.Palette().OnAgencySelected(row);
    Sync();
    m_app.TakeFocus();
}

void CFormViewSprites::OnUnitsChanged()
{
    if (!m_bSyncing && m_app.m_pSimView)
        m_app.Palette().OnUnitSelected(GetCurSel(m_pUnits));
    Sync();
    m_app.TakeFocus();
}

void CFormViewSprites::OnFeaturesChanged()
{
    if (!m_bSyncing && m_app.m_pSimView)
        m_app.Palette().OnFeatureSelected(GetCurSel(m_pFeatures));
    Sync();
    m_app.TakeFocus();
}

// ---- editor controls ----

namespace {
template <class B> B* Control(const char* text, int id, QWidget* parent)
{
    auto* button = new B(QString::fromLatin1(text), parent);
    SetDlgCtrlID(button, id);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}
} // namespace

CFormViewEditorControls::CFormViewEditorControls(CTarnwickApp& app, QWidget* parent) : QWidget(parent), m_app(app)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 4);
    layout->setSpacing(4);

    auto* zoom = new QGroupBox(QStringLiteral("Zoom"), this);
    auto* zoomRow = new QHBoxLayout(zoom);
    zoomRow->setContentsMargins(6, 2, 6, 2);
    m_pOut = Control<QRadioButton>("Out", 1006, zoom);
    m_pIn = Control<QRadioButton>("In", 1005, zoom);
    zoomRow->addWidget(m_pOut);
    zoomRow->addWidget(m_pIn);
    auto* zoomGroup = new QButtonGroup(this);
    zoomGroup->addButton(m_pOut);
    zoomGroup->addButton(m_pIn);
    layout->addWidget(zoom);

    auto* buttons = new QGridLayout();
    buttons->setSpacing(4);
    auto* grid = Control<QPushButton>("Show Grid", 1003, this);
    auto* clear = Control<QPushButton>("Clear Map", 1007, this);
    auto* fragment = Control<QPushButton>("Fragment", 1012, this);
    auto* reload = Control<QPushButton>("Reload Cost", 1024, this);
    buttons->addWidget(grid, 0, 0);
    buttons->addWidget(fragment, 0, 1);
    buttons->addWidget(reload, 1, 0);
    buttons->addWidget(clear, 1, 1);
    layout->addLayout(buttons);

    auto* cutaway = new QGroupBox(QStringLiteral("Cutaway"), this);
    auto* cutRow = new QHBoxLayout(cutaway);
    cutRow->setContentsMargins(6, 2, 6, 2);
    m_pShow = Control<QRadioButton>("Show", 1025, cutaway);
    m_pHide = Control<QRadioButton>("Hide", 1026, cutaway);
    cutRow->addWidget(m_pShow);
    cutRow->addWidget(m_pHide);
    auto* cutGroup = new QButtonGroup(this);
    cutGroup->addButton(m_pShow);
    cutGroup->addButton(m_pHide);
    layout->addWidget(cutaway);

    auto* details = Control<QPushButton>("Details", 1027, this);
    layout->addWidget(details);
    layout->addStretch(1);

    m_pOut->setChecked(true);
    m_pShow->setChecked(true);

    connect(m_pOut, &QRadioButton::clicked, this, [this] {
        if (m_app.m_pSimView)
            m_app.View().SetZoom(1);
    });
    connect(m_pIn, &QRadioButton::clicked, this, [this] {
        if (m_app.m_pSimView && m_pIn->isChecked())
            m_app.View().EnterZoomIn();
    });
    connect(grid, &QPushButton::clicked, this, [this] {
        if (m_app.m_pSimView)
            m_app.View().ToggleGrid();
        m_app.TakeFocus();
    });
    connect(clear, &QPushButton::clicked, this, [this] { OnClearMap(); });
    connect(fragment, &QPushButton::clicked, this, [this] {
        if (m_app.m_pSimView)
            m_app.View().ToggleFragmentMode();
        m_app.TakeFocus();
    });
    connect(reload, &QPushButton::clicked, this, [this] { OnReloadCost(); });
    connect(m_pShow, &QRadioButton::clicked, this, [this] { OnCutaway(true); });
    connect(m_pHide, &QRadioButton::clicked, this, [this] { OnCutaway(false); });
    connect(details, &QPushButton::clicked, this, [this] { OnDetails(); });
    m_app.m_pControlsPane = this;
}

CFormViewEditorControls::~CFormViewEditorControls()
{
    if (m_app.m_pControlsPane == this)
        m_app.m_pControlsPane = nullptr;
}

void CFormViewEditorControls::SetZoomRadios(bool zoomedOut)
{
    m_pIn->setChecked(!zoomedOut);
    m_pOut->setChecked(zoomedOut);
}

bool CFormViewEditorControls::IsShowChecked() const
{
    return m_pShow->isChecked();
}

void CFormViewEditorControls::OnClearMap()
{
    if (!m_app.m_pSimView)
        return;
    if (Prompts().MessageBox("This will wipe out your existing map!\nAre you sure?", "ABOUT TO CLEAR MAP",
                             EPromptButtons::YesNo, EPromptIcon::Exclamation, this) == IDYES)
        m_app.View().ClearMap();
    m_app.TakeFocus();
}

void CFormViewEditorControls::OnReloadCost()
{
    if (!m_app.m_pSimView || !m_app.World().GetMap() || !m_app.World().GetPathData())
        return;
    {
        CWaitCursor wait;
        m_app.View().ReloadCost();
    }
    Prompts().MessageBox("Path and LOS costs updated.", "Reload Cost", EPromptButtons::Ok, EPromptIcon::None, this);
    m_app.TakeFocus();
}

void CFormViewEditorControls::OnCutaway(bool show)
{
    if (m_app.m_pSimView)
        m_app.View().ShowHideable(show);
    m_app.TakeFocus();
}

void CFormViewEditorControls::OnDetails()
{
    if (!m_app.m_pSimView || !m_app.View().GetSelectedSprite())
        return;
    Dialog_Sprite_Data dialog(m_app, this);
    dialog.DoModal();
    m_app.TakeFocus();
}
