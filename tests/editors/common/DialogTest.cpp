// Tests of the editors' dialogs: data exchange both ways, OK that refuses, Escape, the main-window dialog, the time
// edit, all driven through the real modal loop.
#include "editors/common/ModalAnswers.h"
#include "editors/common/ScriptedPrompts.h"
#include "editors/common/ui/EditorDialog.h"
#include "editors/common/ui/TimeEdit.h"

#include <QCheckBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest/QTest>

#include <gtest/gtest.h>

namespace {

// Types text as a keyboard would, characters outside ASCII included.
void Type(QWidget* widget, const QString& text)
{
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &release);
    }
}

// A dialog of each kind of exchange; OK refuses an empty title with a box, as the editors' dialogs do.
class CSampleDialog : public CEditorDialog {
public:
    CSampleDialog()
    {
        auto* layout = new QVBoxLayout(this);
        for (QWidget* w : std::initializer_list<QWidget*>{m_pTitle, m_pSpeed, m_pText, m_pDir, m_pCheck, m_pTime})
            layout->addWidget(w);
        layout->addWidget(CreateOkCancel());
        SetDlgCtrlID(m_pTitle, 1015);
        SetDlgCtrlID(m_pSpeed, 1018);
        MakeDigitsOnly(m_pSpeed);
        for (const char* dir : {"North", "North by Northeast", "Northeast"})
            m_pDir->addItem(dir);
        setWindowTitle("Sample");
    }

    std::string m_strTitle = "Old";
    int m_nSpeed = 12;
    std::string m_strText = "a\r\nb";
    int m_nDir = 2;
    bool m_bCheck = true;
    int m_nTime = 930;
    int m_nRefusals = 0;

    QLineEdit* m_pTitle = new QLineEdit(this);
    QLineEdit* m_pSpeed = new QLineEdit(this);
    QPlainTextEdit* m_pText = new QPlainTextEdit(this);
    QComboBox* m_pDir = new QComboBox(this);
    QCheckBox* m_pCheck = new QCheckBox("Check", this);
    CTimeEdit* m_pTime = new CTimeEdit(this);

protected:
    void DoDataExchange(CDataExchange& dx) override
    {
        DDX_Text(dx, m_pTitle, m_strTitle, 5);
        if (dx.m_bSaveAndValidate && m_pTitle->text().isEmpty()) {
            ++m_nRefusals;
            Prompts().MessageBox("Required value missing", "Incomplete Data", EPromptButtons::Ok,
                                 EPromptIcon::Exclamation, this);
            dx.Fail(m_pTitle);
        }
        DDX_Int(dx, m_pSpeed, m_nSpeed);
        DDX_Text(dx, m_pText, m_strText);
        DDX_CBIndex(dx, m_pDir, m_nDir);
        DDX_Check(dx, m_pCheck, m_bCheck);
        DDX_HHMM(dx, m_pTime, m_nTime);
    }
};

TEST(EditorUiDialog, LoadsMembersAndSavesThemOnOk)
{
    CSampleDialog dlg;
    CModalAnswers answers;
    answers.Then([&](QDialog& d) {
        EXPECT_EQ(dlg.m_pTitle->text(), "Old");
        EXPECT_EQ(dlg.m_pSpeed->text(), "12");
        EXPECT_EQ(dlg.m_pText->toPlainText(), "a\nb");
        EXPECT_EQ(dlg.m_pDir->currentText(), "Northeast");
        EXPECT_TRUE(dlg.m_pCheck->isChecked());
        EXPECT_EQ(dlg.m_pTime->text(), "0930");
        EXPECT_EQ(GetDlgItem<QLineEdit>(&d, 1015), dlg.m_pTitle);
        dlg.m_pTitle->clear();
        QTest::keyClicks(dlg.m_pTitle, "Abcdefgh"); // five characters at most
        dlg.m_pSpeed->clear();
        QTest::keyClicks(dlg.m_pSpeed, "4x5"); // digits only
        dlg.m_pText->appendPlainText("c");
        dlg.m_pDir->setCurrentIndex(-1);
        dlg.m_pCheck->setChecked(false);
        dlg.m_pTime->SetHHMM(1405);
        QTest::keyClick(GetDlgItem<QPushButton>(&d, IDOK), Qt::Key_Space);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_strTitle, "Abcde");
    EXPECT_EQ(dlg.m_nSpeed, 45);
    EXPECT_EQ(dlg.m_strText, "a\r\nb\r\nc");
    EXPECT_EQ(dlg.m_nDir, -1);
    EXPECT_FALSE(dlg.m_bCheck);
    EXPECT_EQ(dlg.m_nTime, 1405);
}

TEST(EditorUiDialog, OkThatRefusesKeepsTheDialogOpen)
{
    CSampleDialog dlg;
    CScriptedPrompts prompts;
    prompts.ExpectMessage("Required value missing", IDOK, "Incomplete Data");
    CModalAnswers answers;
    answers
        .Then([&](QDialog& d) {
            dlg.m_pTitle->clear();
            d.accept(); // refused: the box, the dialog stays
        })
        .Then([&](QDialog& d) {
            EXPECT_EQ(d.focusWidget(), dlg.m_pTitle); // the refused control has the focus
            dlg.m_pTitle->setText("New");
            d.accept();
        });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_nRefusals, 1);
    EXPECT_EQ(dlg.m_strTitle, "New");
}

TEST(EditorUiDialog, EscapeCancelsAndKeepsTheMembers)
{
    CSampleDialog dlg;
    CModalAnswers answers;
    answers.Then([&](QDialog& d) {
        dlg.m_pTitle->setText("Typed");
        dlg.m_pSpeed->setText("x7"); // not a number: would read 0
        QTest::keyClick(&d, Qt::Key_Escape);
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.m_strTitle, "Old");
    EXPECT_EQ(dlg.m_nSpeed, 12);
    ASSERT_TRUE(dlg.UpdateData(true));
    EXPECT_EQ(dlg.m_nSpeed, 0);
}

TEST(EditorUiDialog, TextKeepsEveryStoredByteAndTypedForeignCharactersBecomeQuestionMarks)
{
    CSampleDialog dlg;
    std::string all;
    for (int b = 0x20; b < 0x100; ++b)
        all.push_back(static_cast<char>(b));
    const std::string multi = "caf\xE9\r\n\x80\x81\x8D\x8F\x90\x9D\r\nend";
    QLineEdit edit;
    CDataExchange load(&dlg, false), save(&dlg, true);
    std::string value = all, back;
    DDX_Text(load, &edit, value);
    DDX_Text(save, &edit, back);
    EXPECT_EQ(back, all);
    std::string text = multi, textBack;
    DDX_Text(load, dlg.m_pText, text);
    DDX_Text(save, dlg.m_pText, textBack);
    EXPECT_EQ(textBack, multi);

    edit.clear();
    Type(&edit, QString::fromUtf8("\xCE\xA9-\xE2\x82\xAC"));
    DDX_Text(save, &edit, back);
    EXPECT_EQ(back, "?-\x80");
}

TEST(EditorUiDialog, TimeEditValueIsItsTextReadAsDecimal)
{
    CTimeEdit edit;
    EXPECT_TRUE(edit.SetHHMM(930));
    EXPECT_EQ(edit.text(), "0930");
    EXPECT_EQ(edit.GetHHMM(), 930);
    EXPECT_TRUE(edit.SetHHMM(29));
    EXPECT_EQ(edit.text(), "0029");
    EXPECT_FALSE(edit.SetHHMM(2500));
    EXPECT_FALSE(edit.SetHHMM(1260));
    EXPECT_EQ(edit.GetHHMM(), 29);
}

TEST(EditorUiDialog, MainDialogIgnoresEscapeAndEnterAndItsCloseBoxRunsTheExitHandler)
{
    CMainDialog dlg;
    dlg.setWindowTitle("ZR Events Editor");
    QMenu* file = dlg.GetMenuBar()->addMenu("&File");
    QAction* exitAction = file->addAction("E&xit");
    auto* title = new QLineEdit(&dlg);
    auto* create = new QPushButton("Create", &dlg);
    auto* edit = new QPushButton("Edit", &dlg);
    dlg.GetMainLayout()->addWidget(title);
    dlg.GetMainLayout()->addWidget(create);
    dlg.GetMainLayout()->addWidget(edit);
    int clicks = 0, exits = 0;
    bool proceed = false;
    QObject::connect(create, &QPushButton::clicked, [&] { ++clicks; });
    QObject::connect(edit, &QPushButton::clicked, [&] { ++clicks; });
    auto exitCommand = [&] {
        ++exits;
        if (proceed)
            dlg.EndDialog(IDOK);
    };
    dlg.SetExitHandler(exitCommand);
    QObject::connect(exitAction, &QAction::triggered, exitCommand);

    CModalAnswers answers;
    answers.Then([&](QDialog& d) {
        title->setFocus();
        QTest::keyClick(title, Qt::Key_Escape);
        QTest::keyClick(title, Qt::Key_Return);
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Return);
        QTest::keyClick(&d, Qt::Key_Enter);
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(clicks, 0);
        EXPECT_EQ(exits, 0);
        d.close(); // the close box: exit handler, which refuses
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(exits, 1);
        proceed = true;
        exitAction->trigger(); // File > Exit
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(exits, 2);
}

} // namespace
