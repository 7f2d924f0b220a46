// The condition dialogs: their lists, preselections and OK, over the condition rules of the model.
#include "editors/events/ui/ConditionDialogs.h"

#include "core/events/ConditionKinds.h"
#include "editors/common/ui/ListHelpers.h"
#include "editors/common/ui/Prompts.h"
#include "editors/common/ui/Text.h"
#include "editors/common/ui/TimeEdit.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

using namespace ostrel;

void FillItems(QComboBox* combo, const std::vector<ListItem>& items, bool sorted)
{
    ResetContent(combo);
    SetSorted(combo, sorted);
    for (const ListItem& item : items)
        AddString(combo, item.text, item.value);
}

void FillItems(QListWidget* list, const std::vector<ListItem>& items, bool sorted)
{
    ResetContent(list);
    SetSorted(list, sorted);
    for (const ListItem& item : items)
        AddString(list, item.text, item.value);
}

std::optional<int32_t> SelectedValue(const QComboBox* combo)
{
    const int index = GetCurSel(combo);
    if (index < 0)
        return std::nullopt;
    return static_cast<int32_t>(GetItemData(combo, index));
}

std::string EditText(const QLineEdit* edit)
{
    return FromQString(edit->text());
}

// ---- shared frame ----

CConditionDialog::CConditionDialog(const char* caption, QWidget* parent) : CEditorDialog(parent)
{
    setWindowTitle(ToQString(caption));
    m_pGrid = new QGridLayout(this);
}

void CConditionDialog::OnCancel()
{
    m_pResult.reset();
    EndDialog(IDCANCEL);
}

void CConditionDialog::AddRow(const char* label, QWidget* control)
{
    if (label && *label)
        m_pGrid->addWidget(new QLabel(ToQString(label), this), m_nRows, 0);
    m_pGrid->addWidget(control, m_nRows, 1);
    ++m_nRows;
}

QComboBox* CConditionDialog::AddCombo(const char* label, int id, const std::vector<ListItem>& items, bool sorted)
{
    auto* combo = new QComboBox(this);
    SetDlgCtrlID(combo, id);
    FillItems(combo, items, sorted);
    SetCurSel(combo, 0);
    AddRow(label, combo);
    return combo;
}

QLineEdit* CConditionDialog::AddEdit(const char* label, int id)
{
    auto* edit = new QLineEdit(this);
    SetDlgCtrlID(edit, id);
    AddRow(label, edit);
    return edit;
}

void CConditionDialog::FinishLayout()
{
    m_pGrid->addWidget(CreateOkCancel(), m_nRows, 0, 1, 2);
}

// ---- 139 ----

CDialogCondTimeBased::CDialogCondTimeBased(int32_t gameStartTime, QWidget* parent)
    : CConditionDialog("Game Time", parent)
{
    auto condition = std::make_unique<CConditionTimeBased>();
    m_pCondition = condition.get();
    m_pResult = std::move(condition);
    AddRow("Is game time", new QLabel(this));
    m_pOperator = AddCombo("Operator:", 1068, TimeOperatorItems(), true);
    SelectItemData(m_pOperator, 1);
    m_pTime = new CTimeEdit(this);
    SetDlgCtrlID(m_pTime, 1060);
    const TimeForm form = TimeFormFor(gameStartTime);
    m_pTime->SetHHMM(form.pickerHHMM);
    AddRow("Target time:", m_pTime);
    AddRow("", new QLabel(QStringLiteral("?"), this));
    FinishLayout();
}

void CDialogCondTimeBased::OnOK()
{
    if (m_pResult) {
        TimeForm form;
        form.op = SelectedValue(m_pOperator);
        form.pickerHHMM = m_pTime->GetHHMM();
        StoreTimeCondition(form, *m_pCondition);
    }
    EndDialog(IDOK);
}

// ---- 136 ----

CDialogCondEventBased::CDialogCondEventBased(const CZREventsData& data, QWidget* parent)
    : CConditionDialog("Event Status", parent)
{
    auto condition = std::make_unique<CConditionEventBased>();
    m_pCondition = condition.get();
    m_pResult = std::move(condition);
    m_pEvent = AddCombo("Event:", 1064, EventItems(data), true);
    m_pOperator = AddCombo("Operator:", 1065, HasItems(), true);
    SelectItemData(m_pOperator, 1);
    AddRow("", new QLabel(QStringLiteral("occurred."), this));
    FinishLayout();
}

void CDialogCondEventBased::OnOK()
{
    if (m_pResult)
        StoreEventCondition({SelectedValue(m_pEvent), SelectedValue(m_pOperator)}, *m_pCondition);
    EndDialog(IDOK);
}

// ---- 138 ----

CDialogCondLocationBased::CDialogCondLocationBased(const CZREventsData& data, QWidget* parent)
    : CConditionDialog("Location condition", parent)
{
    m_pSquadType = AddCombo("", 1066, SquadTypeItems(), true);
    m_pId = AddEdit("(Optional ID)", 1013);
    m_pZone = AddCombo("in zone", 1067, LocationZoneItems(data), true);
    FinishLayout();
}

void CDialogCondLocationBased::OnOK()
{
    LocationForm form;
    form.squadType = SelectedValue(m_pSquadType);
    form.id = EditText(m_pId);
    form.zoneId = SelectedValue(m_pZone);
    m_pResult = BuildLocationCondition(form);
    EndDialog(IDOK);
}

// ---- 158 ----

CDialogCondZRUnitStatusBased::CDialogCondZRUnitStatusBased(UnitNameFn unitName, QWidget* parent)
    : CConditionDialog("ICS Unit Status", parent), m_unitName(std::move(unitName))
{
    m_pSection = AddCombo("ICS Section:", 1119, SectionItems(m_unitName), false);
    m_pUnit = AddCombo("ICS Unit:", 1152, {}, true);
    m_pOperator = AddCombo("Operator:", 1153, HasItems(), true);
    SelectItemData(m_pOperator, 1);
    AddRow("", new QLabel(QStringLiteral("been activated."), this));
    FinishLayout();
    FillUnits();
    connect(m_pSection, &QComboBox::activated, this, [this](int) { FillUnits(); });
}

void CDialogCondZRUnitStatusBased::FillUnits()
{
    const std::optional<int32_t> section = SelectedValue(m_pSection);
    FillItems(m_pUnit, section ? UnitItems(m_unitName, *section) : std::vector<ListItem>(), true);
    SetCurSel(m_pUnit, 0);
}

void CDialogCondZRUnitStatusBased::OnOK()
{
    UnitStatusForm form;
    form.section = SelectedValue(m_pSection);
    form.unit = SelectedValue(m_pUnit);
    form.has = SelectedValue(m_pOperator);
    m_pResult = BuildUnitStatusCondition(form);
    EndDialog(IDOK);
}

// ---- 160 ----

CDialogCondActionBased::CDialogCondActionBased(QWidget* parent) : CConditionDialog("Action", parent)
{
    m_pAction = AddCombo("Action", 1119, ActionItems(), true);
    m_pStatus = AddCombo("is", 1155, ActionStatusItems(), false);
    m_pService = AddCombo("by Service", 1156, ServiceItems(), false);
    m_pId = AddEdit("(Optional ID)", 1013);
    FinishLayout();
}

void CDialogCondActionBased::OnOK()
{
    ActionForm form;
    form.action = SelectedValue(m_pAction);
    form.initiated = SelectedValue(m_pStatus);
    form.service = SelectedValue(m_pService);
    form.id = EditText(m_pId);
    m_pResult = BuildActionCondition(form);
    EndDialog(IDOK);
}

// ---- 162 ----

CDialogCondSquadProximityBased::CDialogCondSquadProximityBased(QWidget* parent)
    : CConditionDialog("Squad Proximity", parent)
{
    m_pActing = AddCombo("Acting agency", 1160, ActingAgencyItems(), true);
    m_pId = AddEdit("ID", 1013);
    m_pAction = AddCombo("is in range to perform action", 1119, ProximityActionItems(), true);
    AddRow("", new QLabel(QStringLiteral("(Action determines range)"), this));
    m_pTargets = new QListWidget(this);
    SetDlgCtrlID(m_pTargets, 1159);
    m_pTargets->setSelectionMode(QAbstractItemView::MultiSelection);
    FillItems(m_pTargets, AgencyItems(), true);
    AddRow("upon", new QLabel(QStringLiteral("Pick one or more:"), this));
    AddRow("", m_pTargets);
    FinishLayout();
}

void CDialogCondSquadProximityBased::OnOK()
{
    ProximityForm form;
    form.acting = SelectedValue(m_pActing);
    form.id = EditText(m_pId);
    form.action = SelectedValue(m_pAction);
    for (int index : GetSelItems(m_pTargets))
        form.targets.push_back(static_cast<int32_t>(GetItemData(m_pTargets, index)));
    RuleError error;
    auto built = BuildProximityCondition(form, &error);
    if (!built) {
        Prompts().MessageBox(error.text, error.caption, EPromptButtons::Ok, EPromptIcon::Exclamation, this);
        if (QWidget* field = GetDlgItem<QWidget>(this, error.field))
            field->setFocus(Qt::OtherFocusReason);
        return;
    }
    m_pResult = std::move(built);
    EndDialog(IDOK);
}

// ---- 163 ----

CDialogCondIAPBased::CDialogCondIAPBased(QWidget* parent) : CConditionDialog("IAP Phase", parent)
{
    auto condition = std::make_unique<CConditionIAPBased>();
    m_pCondition = condition.get();
    m_pResult = std::move(condition);
    AddRow("IAP Phase:", new QLabel(this));
    m_pOperator = AddCombo("Operator:", 1166, HasItems(), true);
    SelectItemData(m_pOperator, 1);
    AddRow("", new QLabel(QStringLiteral("occurred."), this));
    FinishLayout();
}

void CDialogCondIAPBased::OnOK()
{
    if (m_pResult)
        StoreIAPCondition(SelectedValue(m_pOperator), *m_pCondition);
    EndDialog(IDOK);
}

// ---- 164 ----

CDialogCondEnvironmentBased::CDialogCondEnvironmentBased(QWidget* parent)
    : CConditionDialog("Environmental Effect", parent)
{
    auto condition = std::make_unique<CConditionEnvironmentBased>();
    m_pCondition = condition.get();
    m_pResult = std::move(condition);
    m_pEffect = AddCombo("", 1167, EffectItems(), true);
    FinishLayout();
}

void CDialogCondEnvironmentBased::OnOK()
{
    if (m_pResult)
        StoreEnvironmentCondition(SelectedValue(m_pEffect), *m_pCondition);
    EndDialog(IDOK);
}
