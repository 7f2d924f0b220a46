// Tests of the wizard sheet: Back, Next and Finish run the page's handlers and stay on a page that refuses; pages
// are set up once and told each time they become active; the buttons a page asks for.
#include "editors/common/ModalAnswers.h"
#include "editors/common/ui/PropertySheet.h"

#include <QAbstractButton>
#include <QLabel>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class CLogPage : public CEditorPropertyPage {
public:
    CLogPage(std::string name, std::vector<std::string>& log) : m_strName(std::move(name)), m_log(log)
    {
        (new QVBoxLayout(this))->addWidget(new QLabel(QString::fromStdString(m_strName)));
    }
    // How many of each button to refuse before agreeing.
    int m_nRefuseBack = 0, m_nRefuseNext = 0, m_nRefuseFinish = 0;
    unsigned m_uButtons = 0; // asked for on activation when not 0

    void OnInitDialog() override { m_log.push_back(m_strName + ".init"); }
    void OnSetActive() override
    {
        m_log.push_back(m_strName + ".active");
        if (m_uButtons)
            GetSheet()->SetWizardButtons(m_uButtons);
    }
    bool OnWizardBack() override { return Answer("back", m_nRefuseBack); }
    bool OnWizardNext() override { return Answer("next", m_nRefuseNext); }
    bool OnWizardFinish() override { return Answer("finish", m_nRefuseFinish); }

private:
    bool Answer(const char* what, int& refusals)
    {
        const bool ok = refusals == 0;
        if (!ok)
            --refusals;
        m_log.push_back(m_strName + "." + what + (ok ? "" : "(refused)"));
        return ok;
    }
    std::string m_strName;
    std::vector<std::string>& m_log;
};

void Press(QDialog& d, QWizard::WizardButton which)
{
    static_cast<QWizard&>(d).button(which)->click();
}

TEST(EditorUiWizard, ButtonsRunThePageHandlersAndRefusalsStay)
{
    std::vector<std::string> log;
    CEditorPropertySheet sheet("Create New Event");
    auto* event = new CLogPage("event", log);
    auto* result = new CLogPage("result", log);
    event->m_nRefuseNext = 1;
    result->m_nRefuseBack = 1;
    result->m_nRefuseFinish = 1;
    sheet.AddPage(event);
    sheet.AddPage(result);

    CModalAnswers answers;
    auto expectPage = [&](CEditorPropertyPage* page) {
        return [&sheet, page](QDialog& d) {
            EXPECT_EQ(sheet.currentPage(), page);
            (void)d;
        };
    };
    answers.Then([&](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Create New Event");
        auto& w = static_cast<QWizard&>(d);
        EXPECT_TRUE(w.button(QWizard::NextButton)->isVisible());
        EXPECT_FALSE(w.button(QWizard::FinishButton)->isVisible());
        Press(d, QWizard::NextButton); // refused: stays
    });
    answers.Then([&](QDialog& d) {
        expectPage(event)(d);
        Press(d, QWizard::NextButton);
    });
    answers.Then([&](QDialog& d) {
        expectPage(result)(d);
        auto& w = static_cast<QWizard&>(d);
        EXPECT_TRUE(w.button(QWizard::BackButton)->isEnabled());
        EXPECT_TRUE(w.button(QWizard::FinishButton)->isVisible());
        EXPECT_FALSE(w.button(QWizard::NextButton)->isVisible());
        Press(d, QWizard::BackButton); // refused: stays
    });
    answers.Then([&](QDialog& d) {
        expectPage(result)(d);
        Press(d, QWizard::BackButton);
    });
    answers.Then([&](QDialog& d) {
        expectPage(event)(d);
        Press(d, QWizard::NextButton);
    });
    answers.Then([&](QDialog& d) { Press(d, QWizard::FinishButton); }); // refused
    answers.Then([&](QDialog& d) {
        expectPage(result)(d);
        Press(d, QWizard::FinishButton);
    });
    EXPECT_EQ(sheet.DoModal(), ID_WIZFINISH);
    EXPECT_EQ(
        log, (std::vector<std::string>{"event.init", "event.active", "event.next(refused)", "event.next", "result.init",
                                       "result.active", "result.back(refused)", "result.back", "event.active",
                                       "event.next", "result.active", "result.finish(refused)", "result.finish"}));
}

TEST(EditorUiWizard, CancelEndsWithoutTheHandlers)
{
    std::vector<std::string> log;
    CEditorPropertySheet sheet("Edit Defined Event");
    sheet.AddPage(new CLogPage("event", log));
    sheet.AddPage(new CLogPage("result", log));
    CModalAnswers answers;
    answers.Then([](QDialog& d) { Press(d, QWizard::CancelButton); });
    EXPECT_EQ(sheet.DoModal(), IDCANCEL);
    EXPECT_EQ(log, (std::vector<std::string>{"event.init", "event.active"}));
}

TEST(EditorUiWizard, APageMayAskForFinishInPlaceOfNext)
{
    std::vector<std::string> log;
    CEditorPropertySheet sheet("Edit Defined Event");
    auto* event = new CLogPage("event", log);
    event->m_uButtons = PSWIZB_FINISH; // an end event
    sheet.AddPage(event);
    sheet.AddPage(new CLogPage("result", log));
    CModalAnswers answers;
    answers.Then([](QDialog& d) {
        auto& w = static_cast<QWizard&>(d);
        EXPECT_FALSE(w.button(QWizard::NextButton)->isVisible());
        EXPECT_TRUE(w.button(QWizard::FinishButton)->isVisible());
        EXPECT_TRUE(w.button(QWizard::FinishButton)->isEnabled());
        Press(d, QWizard::FinishButton);
    });
    EXPECT_EQ(sheet.DoModal(), ID_WIZFINISH);
    EXPECT_EQ(log, (std::vector<std::string>{"event.init", "event.active", "event.finish"}));
}

} // namespace
