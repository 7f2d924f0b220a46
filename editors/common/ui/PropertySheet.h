// A wizard-mode property sheet: pages whose Back, Next and Finish run the page's own checks and stores, staying on
// the page when they refuse.
#pragma once

#include "editors/common/ui/Prompts.h"

#include <QWizard>
#include <QWizardPage>

#include <string>

class CEditorPropertySheet;

// Buttons a page asks for as it becomes active, and the result of a finished wizard.
constexpr unsigned PSWIZB_BACK = 0x1;
constexpr unsigned PSWIZB_NEXT = 0x2;
constexpr unsigned PSWIZB_FINISH = 0x4;
constexpr int ID_WIZFINISH = 12325;

class CEditorPropertyPage : public QWizardPage {
public:
    explicit CEditorPropertyPage(QWidget* parent = nullptr);

    CEditorPropertySheet* GetSheet() const;

    // Runs once, the first time the page is shown.
    virtual void OnInitDialog() {}
    // Runs each time the page becomes the current one (a page may set the sheet's buttons here).
    virtual void OnSetActive() {}
    // The buttons: false keeps the wizard on this page.
    virtual bool OnWizardBack() { return true; }
    virtual bool OnWizardNext() { return true; }
    virtual bool OnWizardFinish() { return true; }

    int nextId() const override;
    void initializePage() override;
    bool validatePage() override;

private:
    bool m_bInitDone = false;
};

class CEditorPropertySheet : public QWizard {
public:
    explicit CEditorPropertySheet(const std::string& caption, QWidget* parent = nullptr);

    void AddPage(CEditorPropertyPage* page);
    // Runs the wizard modally: ID_WIZFINISH when it ended with Finish, else IDCANCEL.
    int DoModal();
    // The buttons of the current page: Back enabled with PSWIZB_BACK, Next shown with PSWIZB_NEXT, Finish in
    // place of Next with PSWIZB_FINISH alone. Until a page calls it, the wizard shows Next on every page but the
    // last and Finish on the last.
    void SetWizardButtons(unsigned flags);
    bool HasWizardButtons() const { return m_bFlagsSet; }
    unsigned GetWizardButtons() const { return m_uFlags; }

    // True while Finish is being checked (pages use it to tell Next from Finish).
    bool IsFinishing() const { return m_bFinishing; }

    void done(int result) override;

private:
    void GoBack();
    void ApplyBackState();

    bool m_bFlagsSet = false;
    unsigned m_uFlags = 0;
    bool m_bFinishing = false;
};
