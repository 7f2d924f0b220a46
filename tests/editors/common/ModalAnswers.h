// Answers to the real modal dialogs a test opens. Each answer runs from a posted callback once a modal dialog is
// shown, so the code under test waits in the dialog's own event loop as it would for a user. A modal dialog that
// no answer expects, one left open after the last answer, or one not closed in time fails the test and is closed,
// so a test never hangs.
#pragma once

#include <QDialog>

#include <deque>
#include <functional>
#include <string>

class CModalAnswers {
public:
    using Answer = std::function<void(QDialog& dialog)>;

    // Answers queued on this object are used in order, by whichever modal dialog shows next (a dialog that stays
    // open after an answer takes the next one). Only one object may exist at a time.
    CModalAnswers();
    // Fails the test for answers never used.
    ~CModalAnswers();
    CModalAnswers(const CModalAnswers&) = delete;
    CModalAnswers& operator=(const CModalAnswers&) = delete;

    CModalAnswers& Then(Answer answer);
    // Presses OK (accept) or Cancel (reject) of the dialog.
    CModalAnswers& Accept();
    CModalAnswers& Reject();

    size_t Remaining() const { return m_answers.size(); }
    // Window titles of the dialogs answered, in order.
    const std::deque<std::string>& Answered() const { return m_answered; }

    // Milliseconds a modal dialog may stay open without being answered and closed.
    static void SetTimeout(int milliseconds);

private:
    friend class CModalGuard;
    std::deque<Answer> m_answers;
    std::deque<std::string> m_answered;
};

// The event filter behind CModalAnswers; the editors' test main installs one for the whole run.
class CModalGuard : public QObject {
public:
    CModalGuard();
    ~CModalGuard() override;
    static CModalGuard* Instance();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class CModalAnswers;
    void Post(QDialog* dialog);
    void Handle(QDialog* dialog);
    void Close(QDialog* dialog, const std::string& why);

    CModalAnswers* m_pActive = nullptr;
    unsigned m_uGeneration = 0;
};
