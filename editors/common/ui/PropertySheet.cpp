// The wizard sheet and its pages.
#include "editors/common/ui/PropertySheet.h"

#include "editors/common/ui/Prompts.h"
#include "editors/common/ui/Text.h"

#include <QAbstractButton>

CEditorPropertyPage::CEditorPropertyPage(QWidget* parent) : QWizardPage(parent) {}

CEditorPropertySheet* CEditorPropertyPage::GetSheet() const
{
    return dynamic_cast<CEditorPropertySheet*>(wizard());
}

int CEditorPropertyPage::nextId() const
{
    const CEditorPropertySheet* sheet = GetSheet();
    if (sheet && sheet->currentPage() == this && sheet->HasWizardButtons() &&
        !(sheet->GetWizardButtons() & PSWIZB_NEXT))
        return -1;
    return QWizardPage::nextId();
}

void CEditorPropertyPage::initializePage()
{
    if (!m_bInitDone) {
        m_bInitDone = true;
        OnInitDialog();
    }
}

bool CEditorPropertyPage::validatePage()
{
    const CEditorPropertySheet* sheet = GetSheet();
    return sheet && sheet->IsFinishing() ? OnWizardFinish() : OnWizardNext();
}

CEditorPropertySheet::CEditorPropertySheet(const std::string& caption, QWidget* parent) : QWizard(parent)
{
    setWindowTitle(ToQString(caption));
    setWizardStyle(QWizard::ClassicStyle);
    // Each page keeps what was typed when the user goes back (no page is cleaned up or set up again).
    setOption(QWizard::IndependentPages, true);
    setOption(QWizard::NoBackButtonOnStartPage, false);
    // Back runs the page's own handler first: take the button from QWizard's unchecked back().
    QAbstractButton* back = button(QWizard::BackButton);
    QObject::disconnect(back, &QAbstractButton::clicked, nullptr, nullptr);
    connect(back, &QAbstractButton::clicked, this, [this] { GoBack(); });
    connect(this, &QWizard::currentIdChanged, this, [this](int) {
        m_bFlagsSet = false;
        if (auto* page = dynamic_cast<CEditorPropertyPage*>(currentPage()))
            page->OnSetActive();
        ApplyBackState();
    });
}

void CEditorPropertySheet::AddPage(CEditorPropertyPage* page)
{
    addPage(page);
}

int CEditorPropertySheet::DoModal()
{
    return exec() == QDialog::Accepted ? ID_WIZFINISH : IDCANCEL;
}

void CEditorPropertySheet::SetWizardButtons(unsigned flags)
{
    m_bFlagsSet = true;
    m_uFlags = flags;
    if (QWizardPage* page = currentPage()) {
        page->setFinalPage((flags & PSWIZB_FINISH) != 0);
        // Makes the wizard look at nextId and the final flag again.
        emit page->completeChanged();
    }
    ApplyBackState();
}

void CEditorPropertySheet::ApplyBackState()
{
    if (m_bFlagsSet && !(m_uFlags & PSWIZB_BACK))
        button(QWizard::BackButton)->setEnabled(false);
}

void CEditorPropertySheet::GoBack()
{
    auto* page = dynamic_cast<CEditorPropertyPage*>(currentPage());
    if (page && !page->OnWizardBack())
        return;
    back();
}

void CEditorPropertySheet::done(int result)
{
    if (result != QDialog::Accepted) {
        QWizard::done(result);
        return;
    }
    // QWizard checks the current page before it finishes.
    m_bFinishing = true;
    QWizard::done(result);
    m_bFinishing = false;
}
