// The station list and editor controls panes.
#include "editors/areamap/ui/Panes.h"

#include "editors/areamap/model/AreaMapDocument.h"
#include "editors/common/ui/EditorDialog.h"
#include "editors/common/ui/ListHelpers.h"

#include "core/world/SpriteManager.h"
#include "core/world/StationData.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

CFormviewSpriteList::CFormviewSpriteList(QWidget* parent) : QWidget(parent), m_pList(new QListWidget(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Stations", this));
    layout->addWidget(m_pList);
    SetDlgCtrlID(m_pList, kListId);
    SetSorted(m_pList, true);
    m_pList->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_pList->setEnabled(false);
    connect(m_pList, &QListWidget::itemSelectionChanged, this, [this] { OnSelectionChanged(); });
}

void CFormviewSpriteList::Fill(const vellisk::CAreaMapData* document)
{
    if (!document || !document->m_pMap || !document->m_pSpriteManager || GetCount(m_pList) > 0)
        return;
    const CSpriteManager& sprites = *document->m_pSpriteManager;
    const CSprite* templates = sprites.GetTemplates(kStationSprite);
    for (int i = 0; i < sprites.GetTemplateCount(kStationSprite); ++i) {
        const CStationData* station = templates[i].m_pStationData;
        // The incident site is placed by the view itself.
        if (!station || station->m_nStationKind == 7 || station->m_szName[0] == '\0')
            continue;
        AddString(m_pList, station->m_szName, i);
    }
}

void CFormviewSpriteList::EnableList()
{
    m_pList->setEnabled(true);
}

void CFormviewSpriteList::ClearSelection()
{
    const QSignalBlocker quiet(m_pList);
    m_pList->clearSelection();
    m_pList->setCurrentRow(-1);
    m_nSelectedStation = -1;
}

void CFormviewSpriteList::OnSelectionChanged()
{
    const int row = GetCurSel(m_pList);
    if (row < 0)
        return;
    m_nSelectedStation = static_cast<int>(GetItemData(m_pList, row));
    if (m_onSelect)
        m_onSelect();
}

CFormViewEditorControls::CFormViewEditorControls(QWidget* parent)
    : QWidget(parent), m_pNewPath(new QPushButton("New Path", this))
{
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pNewPath);
    layout->addStretch(1);
    SetDlgCtrlID(m_pNewPath, kNewPathId);
    m_pNewPath->setEnabled(false);
    m_pNewPath->setToolTip("Click a station on the map to build its route to the incident site");
    connect(m_pNewPath, &QPushButton::clicked, this, [this] {
        if (m_onNewPath)
            m_onNewPath();
    });
}

void CFormViewEditorControls::EnableNewPath()
{
    m_pNewPath->setEnabled(true);
}
