// Modal dialogs of the editors: data exchange between members and controls, OK that may refuse, controls found by
// their numeric ids, and the dialog that serves as a program's main window with its menu bar.
#pragma once

#include "editors/common/ui/Prompts.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <string>

class CEditorDialog;
class CTimeEdit;
class QAbstractButton;
class QComboBox;
class QDialogButtonBox;
class QLineEdit;
class QMenuBar;
class QPlainTextEdit;
class QVBoxLayout;

// One exchange between a dialog's members and its controls: load (save false) puts members into controls, save
// reads the controls back. A check that refuses a value calls Fail; the exchange then stops changing members.
class CDataExchange {
public:
    CDataExchange(CEditorDialog* dialog, bool saveAndValidate) : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate)
    {
    }
    // Refuses the exchange; the focus goes to the control when one is given.
    void Fail(QWidget* control = nullptr);
    bool Failed() const { return m_bFailed; }

    CEditorDialog* m_pDlgWnd;
    bool m_bSaveAndValidate;

private:
    bool m_bFailed = false;
};

// Text (Windows-1252 bytes). A single-line edit gets at most maxChars characters (-1: no limit) and the text read
// back is cut to it; a multi-line edit keeps the stored text's line ends (CR LF unless it used bare LF).
void DDX_Text(CDataExchange& dx, QLineEdit* edit, std::string& value, int maxChars = -1);
void DDX_Text(CDataExchange& dx, QPlainTextEdit* edit, std::string& value);
// A number: shown as "%d", read as ReadDecimal reads it (no digits give 0; nothing is refused).
void DDX_Int(CDataExchange& dx, QLineEdit* edit, int& value);
// The selected entry's index, -1 for none.
void DDX_CBIndex(CDataExchange& dx, QComboBox* combo, int& index);
void DDX_Check(CDataExchange& dx, QAbstractButton* box, bool& value);
// An "HHmm" time edit and its HHMM value.
void DDX_HHMM(CDataExchange& dx, CTimeEdit* edit, int& value);

// Lets only digits be typed into the edit (what is set by code is shown as it is).
void MakeDigitsOnly(QLineEdit* edit);

// Controls carry their dialog-template ids as object names, so code and tests find them by number.
void SetDlgCtrlID(QWidget* control, int id);
int GetDlgCtrlID(const QWidget* control);
QString DlgCtrlName(int id);
template <class T> T* GetDlgItem(const QWidget* parent, int id)
{
    return parent->findChild<T*>(DlgCtrlName(id));
}

class CEditorDialog : public QDialog {
public:
    explicit CEditorDialog(QWidget* parent = nullptr);

    // Runs the dialog modally; IDOK or IDCANCEL (or what EndDialog was given).
    int DoModal();
    void EndDialog(int result);
    // Runs DoDataExchange; false when a check refused a value (members may be partly read, as in the platform's).
    bool UpdateData(bool saveAndValidate = true);

    // OK (also Enter on the default button) and Cancel (Escape, the close box).
    void accept() override { OnOK(); }
    void reject() override { OnCancel(); }
    // The first show runs OnInitDialog before the dialog appears.
    void setVisible(bool visible) override;

protected:
    virtual void DoDataExchange(CDataExchange& dx);
    // Runs once, just before the dialog is first shown: by default loads the members into the controls.
    virtual void OnInitDialog();
    // By default saves the controls into the members and closes with IDOK when nothing was refused; an override may
    // refuse by not calling EndDialog.
    virtual void OnOK();
    virtual void OnCancel();

    // An OK and a Cancel button (ids 1 and 2, OK the default) wired to accept and reject.
    QDialogButtonBox* CreateOkCancel();

private:
    bool m_bInitDone = false;
};

// A dialog that is a program's main window: a menu bar above its controls; Escape and Enter do nothing, and the
// close box runs the exit handler (which closes the dialog with EndDialog when it lets the program end).
class CMainDialog : public CEditorDialog {
public:
    explicit CMainDialog(QWidget* parent = nullptr);

    QMenuBar* GetMenuBar() const { return m_pMenuBar; }
    // The layout below the menu bar, for the dialog's controls.
    QVBoxLayout* GetMainLayout() const { return m_pLayout; }
    void SetExitHandler(std::function<void()> handler) { m_exitHandler = std::move(handler); }
    void setVisible(bool visible) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QMenuBar* m_pMenuBar;
    QVBoxLayout* m_pLayout;
    std::function<void()> m_exitHandler;
};
