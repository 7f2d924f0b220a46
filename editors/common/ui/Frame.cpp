// Splitters, tool bar, status panes, menu commands and focus passing of the frame-and-pane editors.
#include "editors/common/ui/Frame.h"

#include "editors/common/ui/Text.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QStatusBar>
#include <QToolBar>

#include <algorithm>
#include <map>

namespace {

// The enable rule of each command item, dropped with its action.
std::map<const QAction*, std::function<bool()>>& EnableRules()
{
    static std::map<const QAction*, std::function<bool()>> rules;
    return rules;
}

const char* const kRefreshHooked = "zrRefreshHooked";

// A disabled action ignores its shortcut: before the shortcuts see a key press, every command's state is brought
// up to date, so a state left from the last time a menu opened never swallows a shortcut.
class CommandStateWatcher : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::ShortcutOverride)
            RefreshCommandStates();
        return false;
    }
};

void WatchShortcuts()
{
    static QPointer<CommandStateWatcher> watcher;
    if (watcher || !qApp)
        return;
    watcher = new CommandStateWatcher(qApp);
    qApp->installEventFilter(watcher);
}

class FocusPasser : public QObject {
public:
    FocusPasser(QObject* parent, QWidget* target) : QObject(parent), m_target(target) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusIn && m_target && watched != m_target.data())
            QMetaObject::invokeMethod(
                m_target.data(),
                [t = m_target] {
                    if (t)
                        t->setFocus(Qt::OtherFocusReason);
                },
                Qt::QueuedConnection);
        else if (event->type() == QEvent::ChildAdded)
            Watch(static_cast<QChildEvent*>(event)->child());
        return false;
    }

public:
    void Watch(QObject* object)
    {
        if (!object || !object->isWidgetType())
            return;
        object->installEventFilter(this);
        for (QObject* child : object->children())
            Watch(child);
    }

private:
    QPointer<QWidget> m_target;
};

} // namespace

CBSplit::CBSplit(int rows, QWidget* parent)
    : QSplitter(Qt::Vertical, parent), m_panes(static_cast<size_t>(rows > 0 ? rows : 0), nullptr),
      m_idealHeights(static_cast<size_t>(rows > 0 ? rows : 0), 0)
{
    setChildrenCollapsible(false);
}

bool CBSplit::CreateView(int row, QWidget* pane, int idealHeight)
{
    if (!pane || row < 0 || row >= GetRowCount() || m_panes[static_cast<size_t>(row)])
        return false;
    m_panes[static_cast<size_t>(row)] = pane;
    m_idealHeights[static_cast<size_t>(row)] = idealHeight;
    int at = 0;
    for (int r = 0; r < row; ++r)
        at += m_panes[static_cast<size_t>(r)] ? 1 : 0;
    insertWidget(at, pane);
    return true;
}

QWidget* CBSplit::GetPane(int row) const
{
    return row >= 0 && row < GetRowCount() ? m_panes[static_cast<size_t>(row)] : nullptr;
}

void CBSplit::RecalcLayout()
{
    std::vector<int> sizes;
    for (size_t r = 0; r < m_panes.size(); ++r)
        if (m_panes[r])
            sizes.push_back(m_idealHeights[r]);
    SetIdealSizes(this, sizes);
}

void SetIdealSizes(QSplitter* splitter, const std::vector<int>& sizes)
{
    QList<int> list;
    const int n = std::min(static_cast<int>(sizes.size()), splitter->count());
    for (int i = 0; i < n; ++i) {
        splitter->setStretchFactor(i, sizes[static_cast<size_t>(i)] > 0 ? 0 : 1);
        // Qt shares out what is left by the sizes given; a small seed keeps the stretching panes visible.
        list << (sizes[static_cast<size_t>(i)] > 0 ? sizes[static_cast<size_t>(i)] : 1);
    }
    splitter->setSizes(list);
}

QToolBar* AddStandardToolBar(QMainWindow* frame, bool visible)
{
    QToolBar* bar = frame->addToolBar(QStringLiteral("Standard"));
    bar->setObjectName(QStringLiteral("StandardToolBar"));
    for (const char* text : {"Cut", "Copy", "Paste", "", "About"}) {
        if (!*text) {
            bar->addSeparator();
            continue;
        }
        QAction* action = bar->addAction(QString::fromLatin1(text));
        action->setEnabled(false);
    }
    bar->setVisible(visible);
    return bar;
}

CStatusPanes::CStatusPanes(QStatusBar* bar, const std::vector<int>& widths)
{
    for (int width : widths) {
        auto* label = new QLabel(bar);
        if (width > 0) {
            label->setMinimumWidth(width);
            bar->addPermanentWidget(label, 0);
        } else {
            bar->addWidget(label, 1);
        }
        m_panes.push_back(label);
    }
}

void CStatusPanes::SetPaneText(int pane, const std::string& text)
{
    if (QLabel* label = GetPane(pane))
        label->setText(ToQString(text));
}

std::string CStatusPanes::GetPaneText(int pane) const
{
    QLabel* label = GetPane(pane);
    return label ? FromQString(label->text()) : std::string();
}

QLabel* CStatusPanes::GetPane(int pane) const
{
    return pane >= 0 && pane < GetCount() ? m_panes[static_cast<size_t>(pane)] : nullptr;
}

QAction* AddCommand(QMenu* menu, const std::string& text, std::function<void()> handler, std::function<bool()> enabled)
{
    QAction* action = menu->addAction(ToQString(text));
    if (!handler) {
        action->setEnabled(false);
        enabled = [] { return false; };
    }
    if (enabled) {
        EnableRules()[action] = enabled;
        QObject::connect(action, &QObject::destroyed, [action] { EnableRules().erase(action); });
        WatchShortcuts();
    }
    QObject::connect(action, &QAction::triggered, [action, handler = std::move(handler)] {
        auto rule = EnableRules().find(action);
        if (!handler || (rule != EnableRules().end() && !rule->second()))
            return;
        handler();
    });
    if (!menu->property(kRefreshHooked).toBool()) {
        menu->setProperty(kRefreshHooked, true);
        QObject::connect(menu, &QMenu::aboutToShow, [menu] { RefreshMenuStates(menu); });
    }
    return action;
}

void RefreshMenuStates(QMenu* menu)
{
    for (QAction* action : menu->actions()) {
        auto rule = EnableRules().find(action);
        if (rule != EnableRules().end())
            action->setEnabled(rule->second());
    }
}

void RefreshCommandStates()
{
    // A rule may not change the rules; the copy keeps the walk safe all the same.
    const auto rules = EnableRules();
    for (const auto& [action, rule] : rules)
        const_cast<QAction*>(action)->setEnabled(rule());
}

void SetFileShortcuts(QAction* newFile, QAction* open, QAction* save, QAction* saveAs, QAction* exit)
{
    // Spelt out: the platform's standard keys differ (Windows has none for Save As), the editors' must not.
    const std::pair<QAction*, QKeySequence> keys[] = {{newFile, QKeySequence(Qt::CTRL | Qt::Key_N)},
                                                      {open, QKeySequence(Qt::CTRL | Qt::Key_O)},
                                                      {save, QKeySequence(Qt::CTRL | Qt::Key_S)},
                                                      {saveAs, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
                                                      {exit, QKeySequence(Qt::CTRL | Qt::Key_Q)}};
    for (const auto& [action, key] : keys)
        if (action)
            action->setShortcut(key);
}

void AddViewToggles(QMenu* menu, QToolBar* toolBar, QStatusBar* statusBar)
{
    for (QWidget* bar : {static_cast<QWidget*>(toolBar), static_cast<QWidget*>(statusBar)}) {
        if (!bar)
            continue;
        QAction* action = menu->addAction(bar == toolBar ? QStringLiteral("&Toolbar") : QStringLiteral("&Status Bar"));
        action->setCheckable(true);
        QPointer<QWidget> target(bar);
        QObject::connect(action, &QAction::triggered, [target](bool on) {
            if (target)
                target->setVisible(on);
        });
        QObject::connect(menu, &QMenu::aboutToShow, [action, target] {
            if (target)
                action->setChecked(target->isVisibleTo(target->parentWidget()));
        });
        action->setChecked(!bar->isHidden());
    }
}

void PassFocusTo(QWidget* pane, QWidget* target)
{
    auto* passer = new FocusPasser(pane, target);
    passer->Watch(pane);
}

CEditorFrame::CEditorFrame(QWidget* parent) : QMainWindow(parent) {}

void CEditorFrame::closeEvent(QCloseEvent* event)
{
    if (OnClose())
        event->accept();
    else
        event->ignore();
}
