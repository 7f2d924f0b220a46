// Menu clicks and key presses on the real widgets.
#include "editors/common/MenuInput.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

namespace {

QAction* Find(const QList<QAction*>& actions, const QString& text)
{
    for (QAction* action : actions)
        if (action->text() == text)
            return action;
    return nullptr;
}

} // namespace

bool PickFromMenu(QMenuBar* bar, const QString& menu, const QString& item)
{
    QAction* title = Find(bar->actions(), menu);
    if (!title || !title->menu())
        return false;
    QMenu* popup = title->menu();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(title).center());
    QApplication::processEvents();
    QAction* action = Find(popup->actions(), item);
    if (!popup->isVisible() || !action || !action->isEnabled()) {
        popup->close();
        return false;
    }
    QTest::mouseClick(popup, Qt::LeftButton, {}, popup->actionGeometry(action).center());
    QApplication::processEvents();
    return true;
}

void PressKeys(QWidget* window, const QKeySequence& keys)
{
    QApplication::setActiveWindow(window);
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window;
    const QKeyCombination key = keys[0];
    QTest::keyClick(target, key.key(), key.keyboardModifiers());
    QApplication::processEvents();
}
