// Menus and shortcuts used as a user does: a menu opened with a click on the menu bar and an item clicked in it,
// a key pressed in the active window.
#pragma once

#include <QKeySequence>
#include <QString>

class QMenuBar;
class QWidget;

// Clicks the menu bar's menu titled `menu` (its text with the "&"), then the item titled `item` in it; false when
// either is missing or the item is disabled once the menu is open (the menu is closed again then).
bool PickFromMenu(QMenuBar* bar, const QString& menu, const QString& item);

// Makes the window the active one and presses the keys at its focus widget (the window itself when none).
void PressKeys(QWidget* window, const QKeySequence& keys);
