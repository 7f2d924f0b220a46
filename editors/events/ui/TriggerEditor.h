// The trigger editor: a trigger's name and its list of conditions, with one add button per condition kind.
#pragma once

#include "editors/common/ui/EditorDialog.h"
#include "editors/events/ui/OstrelEditors.h"

#include <cstdint>

class COstrelDocument;
class CZRArgument;
class QLineEdit;
class QListWidget;
class QPushButton;

// Control ids of the trigger editor.
enum ETriggerControl : int {
    IDC_TRIGGER_NAME = 1013,
    IDC_CONDITION_LIST = 1054,
    IDC_TRIGGER_ID = 1164,
    IDC_ADD_TIME = 1041,
    IDC_ADD_LOCATION = 1058,
    IDC_ADD_EVENT = 1009,
    IDC_ADD_UNIT = 1125,
    IDC_ADD_ACTION = 1154,
    IDC_ADD_PROXIMITY = 1161,
    IDC_ADD_IAP = 1042,
    IDC_ADD_ENVIRONMENT = 1043,
    IDC_DELETE_CONDITION = 1010,
};

class CDialogDefineConditional : public CEditorDialog {
public:
    // Edits `trigger` (owned by the caller) in place; `displayId` is the id shown.
    CDialogDefineConditional(COstrelDocument& document, CZRArgument* trigger, uint32_t displayId,
                             QWidget* parent = nullptr);

protected:
    void OnInitDialog() override;
    void OnOK() override;

private:
    void FillConditions();
    void OnDelete();
    // Runs a condition dialog; on OK appends what it built.
    template <class Dialog, class... Args> void AddCondition(Args&&... args);

    COstrelDocument& m_document;
    CZRArgument* m_pTrigger;
    uint32_t m_uDisplayId;
    QLineEdit* m_pName;
    QListWidget* m_pList;
    QPushButton* m_pOk;
};
