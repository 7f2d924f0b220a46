// Ostrel's main dialog: the scenario title, the lists of defined and partially defined events, map zones and
// triggers with their buttons, and the File and Help menus.
#pragma once

#include "editors/common/ui/EditorDialog.h"

#include <cstdint>
#include <string>

class COstrelDocument;
class QListWidget;
class QPushButton;

// Control ids of the main dialog.
enum EOstrelControl : int {
    IDC_EVENTS_DEFINED = 1000,
    IDC_EVENTS_PARTIAL = 1001,
    IDC_TRIGGERS = 1002,
    IDC_ZONES = 1003,
    IDC_EVENT_CREATE = 1007,
    IDC_TRIGGER_CREATE = 1011,
    IDC_DEFINED_EDIT = 1012,
    IDC_DEFINED_DELETE = 1013,
    IDC_PARTIAL_DELETE = 1014,
    IDC_TRIGGER_DELETE = 1015,
    IDC_ZONE_CREATE = 1016,
    IDC_ZONE_DELETE = 1017,
    IDC_DEFINED_COPY = 1041,
    IDC_PARTIAL_COPY = 1042,
    IDC_PARTIAL_EDIT = 1046,
    IDC_TITLE = 1057,
    IDC_MISC_DETAILS = 1058,
    IDC_TRIGGER_EDIT = 1071,
    IDC_ZONE_EDIT = 1072,
    IDC_INTRO = 1125,
};

class COstrelDlg : public CMainDialog {
public:
    explicit COstrelDlg(COstrelDocument& document, QWidget* parent = nullptr);
    ~COstrelDlg() override;

    COstrelDocument& GetDocument() const { return m_document; }

    // Refills the title and the four lists from the document.
    void RefreshLists();
    // Selects the first item of list `listId` whose item value is `value`.
    void SelectItemData(int listId, intptr_t value);
    // The selected item's text and value of list `listId`; "" and 0 when none.
    std::string GetSelectedItem(int listId, intptr_t* value) const;

    // File commands (menu items; public so tests and the close box reach them).
    void OnFileNew();
    void OnFileOpen();
    void OnFileSave();
    void OnFileSaveAs();
    void OnFileImport();
    void OnFileExit();
    void OnHelpAbout();
    // The proceed flag the File commands carry across the save prompt.
    bool GetProceed() const { return m_bProceed; }

    // Button commands.
    void OnEventCreate();
    void OnEventEdit(int listId);
    void OnEventDelete(int listId);
    void OnEventCopy(int listId);
    void OnTriggerCreate();
    void OnTriggerEdit();
    void OnTriggerDelete();
    void OnZoneCreate();
    void OnZoneEdit();
    void OnZoneDelete();
    void OnMiscDetails();
    void OnIntro();
    void OnTitleChanged();

protected:
    void OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

private:
    void BuildControls();
    void BuildMenu();
    void SavePrompt();
    bool OpenDialog(bool import);
    void UpdateCaption();
    void EnableControls();
    QListWidget* List(int listId) const;

    COstrelDocument& m_document;
    bool m_bProceed = false;
};
