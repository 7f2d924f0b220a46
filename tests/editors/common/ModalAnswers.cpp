// Answers to modal dialogs from posted callbacks, with failures instead of hangs.
#include "editors/common/ModalAnswers.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

CModalGuard* g_pGuard = nullptr;
int g_nTimeoutMs = 10000;

std::string TitleOf(const QDialog* dialog)
{
    return dialog->windowTitle().toStdString();
}

} // namespace

CModalAnswers::CModalAnswers()
{
    CModalGuard* guard = CModalGuard::Instance();
    if (!guard) {
        ADD_FAILURE() << "CModalAnswers needs the editors' test main (zr_test with QT)";
        return;
    }
    if (guard->m_pActive)
        ADD_FAILURE() << "only one CModalAnswers may exist at a time";
    guard->m_pActive = this;
}

CModalAnswers::~CModalAnswers()
{
    if (!m_answers.empty())
        ADD_FAILURE() << m_answers.size() << " modal dialog answer(s) never used";
    if (CModalGuard* guard = CModalGuard::Instance(); guard && guard->m_pActive == this)
        guard->m_pActive = nullptr;
}

CModalAnswers& CModalAnswers::Then(Answer answer)
{
    m_answers.push_back(std::move(answer));
    return *this;
}

CModalAnswers& CModalAnswers::Accept()
{
    return Then([](QDialog& d) { d.accept(); });
}

CModalAnswers& CModalAnswers::Reject()
{
    return Then([](QDialog& d) { d.reject(); });
}

void CModalAnswers::SetTimeout(int milliseconds)
{
    g_nTimeoutMs = milliseconds;
}

CModalGuard::CModalGuard()
{
    g_pGuard = this;
    qApp->installEventFilter(this);
}

CModalGuard::~CModalGuard()
{
    qApp->removeEventFilter(this);
    if (g_pGuard == this)
        g_pGuard = nullptr;
}

CModalGuard* CModalGuard::Instance()
{
    return g_pGuard;
}

bool CModalGuard::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (dialog && dialog->isWindow() && dialog->isModal())
            Post(dialog);
    }
    return false;
}

void CModalGuard::Post(QDialog* dialog)
{
    QPointer<QDialog> target(dialog);
    const unsigned generation = ++m_uGeneration;
    QMetaObject::invokeMethod(
        this, [this, target] { Handle(target.data()); }, Qt::QueuedConnection);
    // Nothing may keep a dialog open for ever: one that is still open and unanswered later is closed.
    QTimer::singleShot(g_nTimeoutMs, this, [this, target, generation] {
        if (target && target->isVisible() && m_uGeneration == generation)
            Close(target.data(), "was not answered in time");
    });
}

void CModalGuard::Handle(QDialog* dialog)
{
    if (!dialog || !dialog->isVisible())
        return;
    if (!m_pActive || m_pActive->m_answers.empty()) {
        Close(dialog, "was not expected by the test");
        return;
    }
    CModalAnswers* answers = m_pActive;
    CModalAnswers::Answer answer = std::move(answers->m_answers.front());
    answers->m_answers.pop_front();
    answers->m_answered.push_back(TitleOf(dialog));
    QPointer<QDialog> target(dialog);
    answer(*dialog);
    if (!target || !target->isVisible())
        return;
    if (m_pActive == answers && !answers->m_answers.empty())
        Post(target.data()); // still open (say, an OK that refused): the next answer is for it
    else
        Close(target.data(), "stayed open after the last answer");
}

void CModalGuard::Close(QDialog* dialog, const std::string& why)
{
    ADD_FAILURE() << "modal dialog \"" << TitleOf(dialog) << "\" " << why;
    dialog->done(QDialog::Rejected);
}
