// Ostrel's zone, point, time-window and intro dialogs.
#include "editors/events/ui/OstrelDialogs.h"

#include "core/events/ZREventsData.h"
#include "editors/common/ui/Prompts.h"
#include "editors/common/ui/Text.h"
#include "editors/common/ui/TimeEdit.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QVBoxLayout>

void ReportFormError(QWidget* dialog, const CFormError& error)
{
    Prompts().MessageBox(error.text, error.caption, EPromptButtons::Ok, EPromptIcon::Exclamation, dialog);
    if (error.field != 0)
        if (auto* field = GetDlgItem<QWidget>(dialog, error.field))
            field->setFocus();
}

namespace {

std::string Text(const QLineEdit* edit)
{
    return FromQString(edit->text());
}

} // namespace

CDialogDefineTMZone::CDialogDefineTMZone(QWidget* parent)
    : CEditorDialog(parent), m_pName(new QLineEdit(this)), m_pId(new QLabel(this)),
      m_pUpperLeft(new QLineEdit(this)), m_pLowerRight(new QLineEdit(this))
{
    setWindowTitle("Define Map Zone");
    SetDlgCtrlID(m_pName, IDC_ZONE_NAME);
    SetDlgCtrlID(m_pId, 1162);
    SetDlgCtrlID(m_pUpperLeft, IDC_ZONE_UPPER_LEFT);
    SetDlgCtrlID(m_pLowerRight, IDC_ZONE_LOWER_RIGHT);
    auto* layout = new QVBoxLayout(this);
    auto* top = new QFormLayout;
    top->addRow("Zone Name:", m_pName);
    top->addRow("Zone ID:", m_pId);
    layout->addLayout(top);
    auto* area = new QGroupBox("Define an area", this);
    auto* form = new QFormLayout(area);
    form->addRow("Upper left x,y", m_pUpperLeft);
    form->addRow("Lower right x,y", m_pLowerRight);
    auto* hint = new QLabel("Use world coordinates from the tactical map editor to define your bounding box. The "
                            "upper left and lower right corners can't be equal.",
                            area);
    hint->setWordWrap(true);
    form->addRow(hint);
    layout->addWidget(area);
    layout->addWidget(CreateOkCancel());
}

void CDialogDefineTMZone::OnInitDialog()
{
    m_pName->setText(ToQString(m_zone.name));
    if (m_zone.zoneId != 0xFFFFFFFFu)
        m_pId->setText(QString::number(m_zone.zoneId));
    const ZoneRect& box = m_zone.boundingBox;
    m_pUpperLeft->setText(ToQString(FormatLocation(box.left, box.top)));
    m_pLowerRight->setText(ToQString(FormatLocation(box.right, box.bottom)));
}

void CDialogDefineTMZone::OnOK()
{
    // A refused form leaves the zone's data (its points above all) as they were.
    CFormError error;
    if (!CheckZoneForm(Text(m_pName), Text(m_pUpperLeft), Text(m_pLowerRight), &m_zone, &error)) {
        ReportFormError(this, error);
        return;
    }
    EndDialog(IDOK);
}

CDialogGetPoint::CDialogGetPoint(QWidget* parent)
    : CEditorDialog(parent), m_pX(new QLineEdit(this)), m_pY(new QLineEdit(this))
{
    setWindowTitle("Define Point");
    SetDlgCtrlID(m_pX, IDC_POINT_X);
    SetDlgCtrlID(m_pY, IDC_POINT_Y);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Enter X, Y values (whole numbers only)", this));
    auto* form = new QFormLayout;
    form->addRow("X:", m_pX);
    form->addRow("Y:", m_pY);
    layout->addLayout(form);
    layout->addWidget(CreateOkCancel());
}

void CDialogGetPoint::OnOK()
{
    CFormError error;
    if (!CheckPointForm(Text(m_pX), Text(m_pY), &m_nX, &m_nY, &error)) {
        ReportFormError(this, error);
        return;
    }
    EndDialog(IDOK);
}

CDialogMiscDetails::CDialogMiscDetails(CZREventsData& data, QWidget* parent)
    : CEditorDialog(parent), m_data(data), m_pTitle(new QLineEdit(this)), m_pStart(new CTimeEdit(this)),
      m_pEnd(new CTimeEdit(this))
{
    setWindowTitle("Misc. Details");
    SetDlgCtrlID(m_pTitle, 1057);
    SetDlgCtrlID(m_pStart, 1061);
    SetDlgCtrlID(m_pEnd, 1062);
    m_pTitle->setReadOnly(true);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    form->addRow("Scenario Title:", m_pTitle);
    form->addRow("Start time:", m_pStart);
    form->addRow("End time:", m_pEnd);
    layout->addLayout(form);
    layout->addWidget(CreateOkCancel());
}

void CDialogMiscDetails::OnInitDialog()
{
    m_pTitle->setText(ToQString(m_data.m_strOriginalScenarioTitle));
    m_pStart->SetHHMM(m_data.m_nGameStartTime);
    m_pEnd->SetHHMM(m_data.m_nGameEndTime);
}

void CDialogMiscDetails::OnOK()
{
    const int start = m_pStart->GetHHMM();
    const int end = m_pEnd->GetHHMM();
    CFormError error;
    if (!CheckTimeWindow(start, end, &error)) {
        ReportFormError(this, error);
        return;
    }
    m_data.m_nGameStartTime = start;
    m_data.m_nGameEndTime = end;
    m_data.m_bModified = true;
    EndDialog(IDOK);
}

CDlgIntroEdit::CDlgIntroEdit(const std::string& text, QWidget* parent)
    : CEditorDialog(parent), m_strText(IntroTextForEdit(text)), m_pEdit(new QPlainTextEdit(this))
{
    setWindowTitle("Intro Text");
    SetDlgCtrlID(m_pEdit, 1013);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pEdit);
    layout->addWidget(CreateOkCancel());
    m_pEdit->installEventFilter(this);
    resize(480, 320);
}

void CDlgIntroEdit::DoDataExchange(CDataExchange& dx)
{
    DDX_Text(dx, m_pEdit, m_strText);
}

bool CDlgIntroEdit::eventFilter(QObject* watched, QEvent* event)
{
    // Taking the focus removes the selection and shows the caret.
    if (watched == m_pEdit && event->type() == QEvent::FocusIn) {
        QTextCursor cursor = m_pEdit->textCursor();
        cursor.clearSelection();
        m_pEdit->setTextCursor(cursor);
        m_pEdit->ensureCursorVisible();
    }
    return CEditorDialog::eventFilter(watched, event);
}
