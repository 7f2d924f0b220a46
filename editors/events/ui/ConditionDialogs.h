// The eight condition dialogs of the trigger editor, each building one condition, and the list helpers they share
// with the event wizard.
#pragma once

#include "editors/common/ui/EditorDialog.h"
#include "editors/events/model/ConditionRules.h"

#include <memory>
#include <optional>
#include <vector>

class CConditionEnvironmentBased;
class CConditionEventBased;
class CConditionIAPBased;
class CConditionTimeBased;
class COstrelDocument;
class CTimeEdit;
class CZRCondition;
class QComboBox;
class QGridLayout;
class QLineEdit;
class QListWidget;

// Fills a combo or list with the items (sorted lists in case-blind order), values as item data.
void FillItems(QComboBox* combo, const std::vector<ostrel::ListItem>& items, bool sorted);
void FillItems(QListWidget* list, const std::vector<ostrel::ListItem>& items, bool sorted);
// The selected item's value, none when nothing is selected.
std::optional<int32_t> SelectedValue(const QComboBox* combo);
// Text of an edit as the stored bytes.
std::string EditText(const QLineEdit* edit);

// What every condition dialog shares: the condition it built (null until built), handed over after OK.
class CConditionDialog : public CEditorDialog {
public:
    explicit CConditionDialog(const char* caption, QWidget* parent);
    // The built condition; null when none was built (or after Cancel).
    std::unique_ptr<CZRCondition> TakeResult() { return std::move(m_pResult); }

protected:
    void OnCancel() override;
    // Labelled rows above OK and Cancel.
    void AddRow(const char* label, QWidget* control);
    QComboBox* AddCombo(const char* label, int id, const std::vector<ostrel::ListItem>& items, bool sorted);
    QLineEdit* AddEdit(const char* label, int id);
    void FinishLayout();

    std::unique_ptr<CZRCondition> m_pResult;

private:
    QGridLayout* m_pGrid;
    int m_nRows = 0;
};

// 139: game time.
class CDialogCondTimeBased : public CConditionDialog {
public:
    CDialogCondTimeBased(int32_t gameStartTime, QWidget* parent = nullptr);

protected:
    void OnOK() override;

private:
    CConditionTimeBased* m_pCondition;
    QComboBox* m_pOperator;
    CTimeEdit* m_pTime;
};

// 136: event status.
class CDialogCondEventBased : public CConditionDialog {
public:
    CDialogCondEventBased(const CZREventsData& data, QWidget* parent = nullptr);

protected:
    void OnOK() override;

private:
    CConditionEventBased* m_pCondition;
    QComboBox* m_pEvent;
    QComboBox* m_pOperator;
};

// 138: location.
class CDialogCondLocationBased : public CConditionDialog {
public:
    CDialogCondLocationBased(const CZREventsData& data, QWidget* parent = nullptr);

protected:
    void OnOK() override;

private:
    QComboBox* m_pSquadType;
    QLineEdit* m_pId;
    QComboBox* m_pZone;
};

// 158: ICS unit status.
class CDialogCondZRUnitStatusBased : public CConditionDialog {
public:
    CDialogCondZRUnitStatusBased(ostrel::UnitNameFn unitName, QWidget* parent = nullptr);

protected:
    void OnOK() override;

private:
    void FillUnits();
    ostrel::UnitNameFn m_unitName;
    QComboBox* m_pSection;
    QComboBox* m_pUnit;
    QComboBox* m_pOperator;
};

// 160: action.
class CDialogCondActionBased : public CConditionDialog {
public:
    explicit CDialogCondActionBased(QWidget* parent = nullptr);

protected:
    void OnOK() override;

private:
    QComboBox* m_pAction;
    QComboBox* m_pStatus;
    QComboBox* m_pService;
    QLineEdit* m_pId;
};

// 162: squad proximity.
class CDialogCondSquadProximityBased : public CConditionDialog {
public:
    explicit CDialogCondSquadProximityBased(QWidget* parent = nullptr);

protected:
    void OnOK() override;

private:
    QComboBox* m_pActing;
    QLineEdit* m_pId;
    QComboBox* m_pAction;
    QListWidget* m_pTargets;
};

// 163: IAP phase.
class CDialogCondIAPBased : public CConditionDialog {
public:
    explicit CDialogCondIAPBased(QWidget* parent = nullptr);

protected:
    void OnOK() override;

private:
    CConditionIAPBased* m_pCondition;
    QComboBox* m_pOperator;
};

// 164: environmental effect.
class CDialogCondEnvironmentBased : public CConditionDialog {
public:
    explicit CDialogCondEnvironmentBased(QWidget* parent = nullptr);

protected:
    void OnOK() override;

private:
    CConditionEnvironmentBased* m_pCondition;
    QComboBox* m_pEffect;
};
