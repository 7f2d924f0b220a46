// Modal dialogs with data exchange, and the dialog used as a main window.
#include "editors/common/ui/EditorDialog.h"

#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

void CDataExchange::Fail(QWidget* control)
{
    m_bFailed = true;
    if (control)
        control->setFocus(Qt::OtherFocusReason);
}

void SetDlgCtrlID(QWidget* control, int id)
{
    if (control)
        control->setObjectName(DlgCtrlName(id));
}

int GetDlgCtrlID(const QWidget* control)
{
    const QString name = control ? control->objectName() : QString();
    bool ok = false;
    const int id = name.startsWith(QStringLiteral("id")) ? name.mid(2).toInt(&ok) : 0;
    return ok ? id : 0;
}

QString DlgCtrlName(int id)
{
    return QStringLiteral("id") + QString::number(id);
}

CEditorDialog::CEditorDialog(QWidget* parent) : QDialog(parent) {}

int CEditorDialog::DoModal()
{
    return exec();
}

void CEditorDialog::EndDialog(int result)
{
    QDialog::done(result);
}

bool CEditorDialog::UpdateData(bool saveAndValidate)
{
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(dx);
    return !dx.Failed();
}

void CEditorDialog::DoDataExchange(CDataExchange&) {}

void CEditorDialog::OnInitDialog()
{
    UpdateData(false);
}

void CEditorDialog::OnOK()
{
    if (UpdateData(true))
        EndDialog(IDOK);
}

void CEditorDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

QDialogButtonBox* CEditorDialog::CreateOkCancel()
{
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    SetDlgCtrlID(box->button(QDialogButtonBox::Ok), IDOK);
    SetDlgCtrlID(box->button(QDialogButtonBox::Cancel), IDCANCEL);
    box->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(box, &QDialogButtonBox::accepted, this, [this] { accept(); });
    connect(box, &QDialogButtonBox::rejected, this, [this] { reject(); });
    return box;
}

void CEditorDialog::setVisible(bool visible)
{
    if (visible && !m_bInitDone) {
        m_bInitDone = true;
        OnInitDialog();
    }
    QDialog::setVisible(visible);
}

CMainDialog::CMainDialog(QWidget* parent)
    : CEditorDialog(parent), m_pMenuBar(new QMenuBar(this)), m_pLayout(new QVBoxLayout(this))
{
    m_pLayout->setMenuBar(m_pMenuBar);
}

void CMainDialog::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        CEditorDialog::keyPressEvent(event);
    }
}

void CMainDialog::closeEvent(QCloseEvent* event)
{
    // The dialog closes only through EndDialog; the close box asks the exit handler.
    event->ignore();
    if (m_exitHandler)
        m_exitHandler();
}

void CMainDialog::setVisible(bool visible)
{
    // No button is the default one, so Enter presses none (set before the dialog picks its default).
    if (visible)
        for (QPushButton* button : findChildren<QPushButton*>())
            button->setAutoDefault(false);
    CEditorDialog::setVisible(visible);
}
