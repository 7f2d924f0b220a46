// The two small panes left of the map: the station list (templates a click on the map places) and the editor
// controls ("New Path").
#pragma once

#include <QWidget>

#include <functional>

class QListWidget;
class QPushButton;

namespace vellisk {
class CAreaMapData;
}

// The station templates of the document's sprite manager, sorted by name; the selected one is what a click on the
// map places.
class CFormviewSpriteList : public QWidget {
public:
    static constexpr int kListId = 1006;
    explicit CFormviewSpriteList(QWidget* parent = nullptr);

    // Fills the list from the document when it is empty and the document has its tile map and sprites.
    void Fill(const vellisk::CAreaMapData* document);
    void EnableList();
    // No selection; `m_nSelectedStation` -1.
    void ClearSelection();
    int SelectedStation() const { return m_nSelectedStation; }
    QListWidget* List() const { return m_pList; }
    // Runs after the user chose a row (the frame gives the focus to the map view).
    void SetSelectionHandler(std::function<void()> handler) { m_onSelect = std::move(handler); }

private:
    void OnSelectionChanged();

    int m_nSelectedStation = -1;
    QListWidget* m_pList;
    std::function<void()> m_onSelect;
};

// The "New Path" button: the next click on a station starts its route.
class CFormViewEditorControls : public QWidget {
public:
    static constexpr int kNewPathId = 1015;
    explicit CFormViewEditorControls(QWidget* parent = nullptr);

    void EnableNewPath();
    QPushButton* NewPathButton() const { return m_pNewPath; }
    void SetNewPathHandler(std::function<void()> handler) { m_onNewPath = std::move(handler); }

private:
    QPushButton* m_pNewPath;
    std::function<void()> m_onNewPath;
};
