// The frame-and-pane editors' main window helpers: the row splitter, the tool bar of disabled actions, status-bar
// text panes, menu commands whose enable states are refreshed as their menu opens and before a shortcut is matched,
// the File commands' shortcuts, the View toggles, and panes that hand the keyboard focus to the map view.
#pragma once

#include <QMainWindow>
#include <QSplitter>

#include <functional>
#include <string>
#include <vector>

class QLabel;
class QMenu;
class QStatusBar;
class QToolBar;

// A vertical splitter of a fixed number of rows, made as a pane of the outer splitter.
class CBSplit : public QSplitter {
public:
    explicit CBSplit(int rows, QWidget* parent = nullptr);

    int GetRowCount() const { return static_cast<int>(m_idealHeights.size()); }
    // Puts the pane into the row with its ideal height (0: it takes what the other rows leave). False for a row
    // outside the splitter or one that already has a pane.
    bool CreateView(int row, QWidget* pane, int idealHeight);
    QWidget* GetPane(int row) const;
    // Applies the ideal heights (once every row has its pane).
    void RecalcLayout();

private:
    std::vector<QWidget*> m_panes;
    std::vector<int> m_idealHeights;
};

// Sizes a splitter's panes: each its ideal size, those of size 0 sharing what is left (they alone stretch).
void SetIdealSizes(QSplitter* splitter, const std::vector<int>& sizes);

// The tool bar of the Cut, Copy, Paste and About buttons, all disabled (no command handles them).
QToolBar* AddStandardToolBar(QMainWindow* frame, bool visible);

// Text panes of a status bar: a width per pane, 0 for the one that stretches.
class CStatusPanes {
public:
    CStatusPanes(QStatusBar* bar, const std::vector<int>& widths);
    int GetCount() const { return static_cast<int>(m_panes.size()); }
    void SetPaneText(int pane, const std::string& text);
    std::string GetPaneText(int pane) const;
    QLabel* GetPane(int pane) const;

private:
    std::vector<QLabel*> m_panes;
};

// Adds a menu item that runs the handler. `enabled`, when given, decides the item's state each time the menu opens
// and each time a key press is about to be matched against the shortcuts (so a shortcut works whenever its command
// would, menu opened or not), and is asked again before the handler runs (a stale state runs nothing). A null
// handler gives an item that is always disabled.
QAction* AddCommand(QMenu* menu, const std::string& text, std::function<void()> handler,
                    std::function<bool()> enabled = {});
// Refreshes the states of the menu's commands now (as opening it does).
void RefreshMenuStates(QMenu* menu);
// Refreshes the states of every command that has a rule (as a key press does).
void RefreshCommandStates();

// The shortcuts of the File commands, the same in every editor: New Ctrl+N, Open Ctrl+O, Save Ctrl+S, Save As
// Ctrl+Shift+S, Exit Ctrl+Q. A null action is left out.
void SetFileShortcuts(QAction* newFile, QAction* open, QAction* save, QAction* saveAs, QAction* exit);
// The View menu's "&Toolbar" and "&Status Bar": show or hide them, checked while shown.
void AddViewToggles(QMenu* menu, QToolBar* toolBar, QStatusBar* statusBar);

// Whenever the pane or one of its controls gets the keyboard focus, it goes on to the target.
void PassFocusTo(QWidget* pane, QWidget* target);

// A main frame that asks before it closes: OnClose returns whether to close (also for File > Exit through close()).
class CEditorFrame : public QMainWindow {
public:
    explicit CEditorFrame(QWidget* parent = nullptr);

protected:
    virtual bool OnClose() { return true; }
    void closeEvent(QCloseEvent* event) override;
};
