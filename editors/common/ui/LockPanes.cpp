// The lock-key panes: one watcher for the program tracks the lock keys and refreshes every pane.
#include "editors/common/ui/LockPanes.h"

#include "editors/common/ui/LockKeysX11.h"

#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QStatusBar>
#include <QTimer>
#include <qguiapplication_platform.h>

#include <algorithm>
#include <vector>

namespace {

const char* const kTexts[CLockPanes::kLockCount] = {"CAP", "NUM", "SCRL"};
const char* const kObjectName = "LockPanes";

int LockOfKey(int key)
{
    switch (key) {
    case Qt::Key_CapsLock:
        return CLockPanes::kCapsLock;
    case Qt::Key_NumLock:
        return CLockPanes::kNumLock;
    case Qt::Key_ScrollLock:
        return CLockPanes::kScrollLock;
    default:
        return -1;
    }
}

// Watches the whole program's keys: where the window system gives no lock lights, the lock keys pressed here
// toggle the states; after any lock key, and when the program becomes active, every pane reads them again.
class CLockWatcher : public QObject {
public:
    static CLockWatcher& Instance()
    {
        static QPointer<CLockWatcher> watcher;
        if (!watcher) {
            watcher = new CLockWatcher(QCoreApplication::instance());
            QCoreApplication::instance()->installEventFilter(watcher);
        }
        return *watcher;
    }

    void Add(CLockPanes* panes) { m_panes.push_back(panes); }
    void Remove(CLockPanes* panes) { m_panes.erase(std::remove(m_panes.begin(), m_panes.end(), panes), m_panes.end()); }

    CLockPanes::States Read() const
    {
        if (m_source)
            return m_source();
        CLockPanes::States states{};
        auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
        if (x11 && ReadX11LockStates(x11->display(), &states[0], &states[1], &states[2]))
            return states;
        return m_tracked;
    }
    void SetSource(std::function<CLockPanes::States()> source) { m_source = std::move(source); }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
            auto* key = static_cast<QKeyEvent*>(event);
            const int lock = LockOfKey(key->key());
            // A key passes the filter again at each widget it is offered to: only its first stop counts.
            if (lock >= 0 && (key != m_pLastKey || event->type() != m_lastType)) {
                m_pLastKey = key;
                m_lastType = event->type();
                if (event->type() == QEvent::KeyPress && !key->isAutoRepeat())
                    m_tracked[static_cast<size_t>(lock)] = !m_tracked[static_cast<size_t>(lock)];
                ScheduleRefresh();
            }
        } else if (event->type() == QEvent::ApplicationActivate) {
            ScheduleRefresh();
        }
        return false;
    }

private:
    explicit CLockWatcher(QObject* parent) : QObject(parent) {}

    // After the event: the window system has the new lights by then.
    void ScheduleRefresh()
    {
        if (m_bPending)
            return;
        m_bPending = true;
        QTimer::singleShot(0, this, [this] {
            m_bPending = false;
            for (CLockPanes* panes : std::vector<CLockPanes*>(m_panes))
                panes->Refresh();
        });
    }

    std::vector<CLockPanes*> m_panes;
    std::function<CLockPanes::States()> m_source;
    CLockPanes::States m_tracked{};
    const QKeyEvent* m_pLastKey = nullptr;
    QEvent::Type m_lastType = QEvent::None;
    bool m_bPending = false;
};

} // namespace

CLockPanes::CLockPanes(QStatusBar* bar) : QObject(bar)
{
    setObjectName(QString::fromLatin1(kObjectName));
    for (int i = 0; i < kLockCount; ++i) {
        auto* pane = new QLabel(bar);
        pane->setObjectName(QString::fromLatin1(kTexts[i]));
        pane->setAlignment(Qt::AlignCenter);
        pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(QString::fromLatin1(kTexts[i])) + 12);
        bar->addPermanentWidget(pane, 0);
        m_apPanes[static_cast<size_t>(i)] = pane;
    }
    CLockWatcher::Instance().Add(this);
    Refresh();
}

CLockPanes::~CLockPanes()
{
    CLockWatcher::Instance().Remove(this);
}

CLockPanes* CLockPanes::Find(QStatusBar* bar)
{
    return bar ? dynamic_cast<CLockPanes*>(
                     bar->findChild<QObject*>(QString::fromLatin1(kObjectName), Qt::FindDirectChildrenOnly))
               : nullptr;
}

void CLockPanes::Refresh()
{
    m_states = CurrentStates();
    for (int i = 0; i < kLockCount; ++i)
        m_apPanes[static_cast<size_t>(i)]->setText(m_states[static_cast<size_t>(i)] ? QString::fromLatin1(kTexts[i])
                                                                                    : QString());
}

void CLockPanes::SetStateSource(std::function<States()> source)
{
    CLockWatcher::Instance().SetSource(std::move(source));
}

CLockPanes::States CLockPanes::CurrentStates()
{
    return CLockWatcher::Instance().Read();
}
