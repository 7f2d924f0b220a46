// The ESRI data locator and the map-bitmap dialog.
#include "editors/areamap/ui/EsriDialogs.h"

#include "editors/areamap/model/AreaMapDocument.h"
#include "editors/areamap/model/AreaMapNames.h"
#include "editors/areamap/model/EsriData.h"
#include "editors/areamap/ui/UserMessages.h"
#include "editors/common/ui/EditorApp.h"
#include "editors/common/ui/Pictures.h"
#include "editors/common/ui/Text.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

using namespace vellisk;

CDialogLocateESRIData::CDialogLocateESRIData(vellisk::CAreaMapData& document, std::string baseFolder, QWidget* parent)
    : CEditorDialog(parent), m_document(document), m_strBaseFolder(std::move(baseFolder)), m_pEdit(new QLineEdit(this))
{
    setWindowTitle("Where is the ESRI data?");
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(
        "Enter path to folder containing the ESRI data (use the Browse button for the folder dialog):", this);
    text->setWordWrap(true);
    layout->addWidget(text);
    auto* row = new QHBoxLayout;
    row->addWidget(m_pEdit, 1);
    auto* browse = new QPushButton("Browse", this);
    row->addWidget(browse);
    layout->addLayout(row);
    layout->addWidget(CreateOkCancel());
    SetDlgCtrlID(m_pEdit, kFolderId);
    SetDlgCtrlID(browse, kBrowseId);
    m_pEdit->setMinimumWidth(420);
    browse->setAutoDefault(false);
    connect(browse, &QPushButton::clicked, this, [this] { OnBrowse(); });
}

void CDialogLocateESRIData::OnBrowse()
{
    const std::string typed = FromQString(m_pEdit->text());
    const std::string start = typed.empty() ? m_strBaseFolder + "/Maps" : typed;
    std::string folder;
    if (!Prompts().ChooseFolder("Browse to ESRI data directory", start, this, &folder))
        return;
    m_strFolder = folder;
    m_pEdit->setText(ToQString(folder));
}

void CDialogLocateESRIData::OnOK()
{
    // What the edit holds counts, typed or filled by Browse.
    const CLocatorOutcome outcome = LocateEsriData(FromQString(m_pEdit->text()));
    for (const CUserMessage& message : outcome.messages)
        ShowUserMessage(message, this);
    if (outcome.slotsSet)
        m_document.m_astrShapefiles = outcome.slots;
    if (!outcome.accepted)
        return;
    m_strFolder = outcome.folder;
    EndDialog(IDOK);
}

CMapControlView::CMapControlView(const platform::gdi::DeviceBitmap& picture, QWidget* parent)
    : QWidget(parent), m_picture(picture)
{
    SetDlgCtrlID(this, kMapId);
    setFixedSize(kMapBitmapWidth, kMapBitmapHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize CMapControlView::sizeHint() const
{
    return QSize(kMapBitmapWidth, kMapBitmapHeight);
}

void CMapControlView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!m_picture.Empty())
        painter.drawImage(0, 0, ToQImage(m_picture));
}

CDialogAreaMapMO::CDialogAreaMapMO(vellisk::CAreaMapData& document, std::string baseFolder, QWidget* parent)
    : CEditorDialog(parent), m_document(document), m_strBaseFolder(std::move(baseFolder)),
      m_pMapView(new CMapControlView(m_picture, this))
{
    setWindowTitle("New Area Map Bitmap");
    auto* layout = new QVBoxLayout(this);
    // The map sits at (0, 0) of the client area, where "Save" takes the picture from.
    layout->setContentsMargins(0, 0, 0, 8);
    layout->addWidget(m_pMapView, 0, Qt::AlignLeft | Qt::AlignTop);
    auto* row = new QHBoxLayout;
    row->setContentsMargins(8, 0, 8, 0);
    auto* text = new QLabel("Click the Save button to save this bitmap to disk. Click Done when you are finished "
                            "with this dialog.",
                            this);
    text->setWordWrap(true);
    row->addWidget(text, 1);
    auto* save = new QPushButton("Save", this);
    auto* done = new QPushButton("Done", this);
    SetDlgCtrlID(save, kSaveId);
    SetDlgCtrlID(done, IDOK);
    save->setDefault(true);
    done->setAutoDefault(false);
    row->addWidget(save);
    row->addWidget(done);
    layout->addLayout(row);
    // The dialog is as large as the map and the row under it.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(save, &QPushButton::clicked, this, [this] { OnSave(); });
    connect(done, &QPushButton::clicked, this, [this] { EndDialog(IDOK); });
}

void CDialogAreaMapMO::OnInitDialog()
{
    CUserMessage failed;
    {
        // Reading and drawing the layers may take a while; the dialog itself gets the normal cursor.
        CWaitCursor wait;
        failed = AddShapefileLayers(m_map, m_document.m_astrShapefiles);
        m_map.Draw(m_picture, kMapBitmapWidth, kMapBitmapHeight);
    }
    m_pMapView->update();
    if (!failed.text.empty())
        ShowUserMessage(failed, this);
}

void CDialogAreaMapMO::OnSave()
{
    // The client area's own size when it is smaller than the picture.
    const SIZE size = CaptureSize(width(), height());
    std::string path;
    FileChoice choice{"bmp", m_strBaseFolder + "/Maps/*.bmp", "Bitmap Files (*.bmp)|*.bmp|All Files (*.*)|*.*||",
                      "Save Map Bitmap", this};
    if (!Prompts().SaveFile(choice, &path))
        return;
    std::string name;
    if (!MapsPictureName(path, m_strBaseFolder, &name)) {
        ShowUserMessage(OutsideMapsMessage(path, m_strBaseFolder, "File Save Error"), this);
        return;
    }
    CUserMessage failure;
    if (!SaveMapPicture(m_picture, size, path, &failure)) {
        ShowUserMessage(failure, this);
        return;
    }
    m_strSavedPath = path;
}
