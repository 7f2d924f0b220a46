// The caps-, num- and scroll-lock indicators at the right end of a frame's status bar: "CAP", "NUM" and "SCRL",
// each shown while its lock is on and left empty while it is off. They follow the keyboard's lock lights where the
// window system tells them (X11), else the lock keys pressed while the program runs.
#pragma once

#include <QObject>

#include <array>
#include <functional>

class QLabel;
class QStatusBar;

class CLockPanes : public QObject {
public:
    enum ELock { kCapsLock, kNumLock, kScrollLock };
    static constexpr int kLockCount = 3;
    using States = std::array<bool, kLockCount>;

    // Adds the three panes after the bar's other panes; the bar owns them and this object.
    explicit CLockPanes(QStatusBar* bar);
    ~CLockPanes() override;
    // The lock panes of a bar, null when it has none.
    static CLockPanes* Find(QStatusBar* bar);

    QLabel* GetPane(ELock lock) const { return m_apPanes[lock]; }
    bool IsOn(ELock lock) const { return m_states[lock]; }
    // Reads the lock states now and shows them (the panes also refresh after each lock key and whenever the
    // program becomes active again).
    void Refresh();

    // Where the states come from, for every lock pane of the program: tests give their own; null gives the
    // keyboard back.
    static void SetStateSource(std::function<States()> source);
    // The lock states as the panes would show them now.
    static States CurrentStates();

private:
    std::array<QLabel*, kLockCount> m_apPanes{};
    States m_states{};
};
