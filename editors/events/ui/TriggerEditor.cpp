// The trigger editor and its entry point for the main dialog.
#include "editors/events/ui/TriggerEditor.h"

#include "core/events/ZRArgument.h"
#include "editors/common/ui/ListHelpers.h"
#include "editors/common/ui/Text.h"
#include "editors/events/model/ConditionRules.h"
#include "editors/events/model/EventsDocument.h"
#include "editors/events/ui/ConditionDialogs.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

using namespace ostrel;

CDialogDefineConditional::CDialogDefineConditional(COstrelDocument& document, CZRArgument* trigger,
                                                   uint32_t displayId, QWidget* parent)
    : CEditorDialog(parent), m_document(document), m_pTrigger(trigger), m_uDisplayId(displayId)
{
    setWindowTitle(QStringLiteral("Trigger Conditions"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Name:"), this), 0, 0);
    m_pName = new QLineEdit(this);
    SetDlgCtrlID(m_pName, IDC_TRIGGER_NAME);
    grid->addWidget(m_pName, 0, 1);
    auto* id = new QLabel(this);
    SetDlgCtrlID(id, IDC_TRIGGER_ID);
    grid->addWidget(id, 0, 2);

    m_pList = new QListWidget(this);
    SetDlgCtrlID(m_pList, IDC_CONDITION_LIST);
    SetSorted(m_pList, true);
    // Wide enough for a condition's description (they run to some sixty characters).
    m_pList->setMinimumWidth(m_pList->fontMetrics().averageCharWidth() * 64);
    grid->addWidget(m_pList, 1, 0, 1, 2);

    auto* buttons = new QGroupBox(QStringLiteral("Add a condition"), this);
    auto* column = new QVBoxLayout(buttons);
    auto add = [&](int control, const char* caption, std::function<void()> handler) {
        auto* button = new QPushButton(QString::fromLatin1(caption), buttons);
        SetDlgCtrlID(button, control);
        button->setAutoDefault(false);
        column->addWidget(button);
        connect(button, &QPushButton::clicked, this, std::move(handler));
    };
    auto data = [this]() -> const CZREventsData& { return *m_document.GetEventsData(); };
    add(IDC_ADD_TIME, "Game time",
        [this, data] { AddCondition<CDialogCondTimeBased>(data().m_nGameStartTime, this); });
    add(IDC_ADD_LOCATION, "Location", [this, data] { AddCondition<CDialogCondLocationBased>(data(), this); });
    add(IDC_ADD_EVENT, "Event status", [this, data] { AddCondition<CDialogCondEventBased>(data(), this); });
    add(IDC_ADD_UNIT, "Unit Status", [this] {
        COstrelDocument* document = &m_document;
        AddCondition<CDialogCondZRUnitStatusBased>(
            [document](int32_t section, int32_t index) { return document->GetUnitName(section, index); }, this);
    });
    add(IDC_ADD_ACTION, "Actions", [this] { AddCondition<CDialogCondActionBased>(this); });
    add(IDC_ADD_PROXIMITY, "Proximity", [this] { AddCondition<CDialogCondSquadProximityBased>(this); });
    add(IDC_ADD_IAP, "IAP phase", [this] { AddCondition<CDialogCondIAPBased>(this); });
    add(IDC_ADD_ENVIRONMENT, "Environment", [this] { AddCondition<CDialogCondEnvironmentBased>(this); });
    add(IDC_DELETE_CONDITION, "Delete", [this] { OnDelete(); });
    grid->addWidget(buttons, 1, 2);

    QDialogButtonBox* box = CreateOkCancel();
    m_pOk = box->button(QDialogButtonBox::Ok);
    m_pOk->setEnabled(false);
    grid->addWidget(box, 2, 0, 1, 3);
    connect(m_pName, &QLineEdit::textChanged, this, [this](const QString& text) { m_pOk->setEnabled(!text.isEmpty()); });
}

void CDialogDefineConditional::OnInitDialog()
{
    m_pName->setText(ToQString(m_pTrigger->m_strArgumentName));
    m_pOk->setEnabled(!m_pName->text().isEmpty());
    GetDlgItem<QLabel>(this, IDC_TRIGGER_ID)->setText(ToQString(TriggerIdText(m_uDisplayId)));
    FillConditions();
}

void CDialogDefineConditional::FillConditions()
{
    if (m_pName->text().isEmpty())
        m_pName->setText(ToQString(m_pTrigger->m_strArgumentName));
    FillItems(m_pList, ConditionListItems(*m_pTrigger), true);
}

template <class Dialog, class... Args> void CDialogDefineConditional::AddCondition(Args&&... args)
{
    Dialog dialog(std::forward<Args>(args)...);
    if (dialog.DoModal() != IDOK)
        return;
    AppendCondition(*m_pTrigger, dialog.TakeResult());
    FillConditions();
}

void CDialogDefineConditional::OnDelete()
{
    const int row = GetCurSel(m_pList);
    if (row < 0)
        return;
    // The list is sorted: the item's value names the condition, not its row.
    const auto value = static_cast<int32_t>(GetItemData(m_pList, row));
    DeleteString(m_pList, row);
    DeleteConditionByValue(*m_pTrigger, value);
    FillConditions();
}

void CDialogDefineConditional::OnOK()
{
    StoreTrigger(*m_pTrigger, FromQString(m_pName->text()));
    EndDialog(IDOK);
}

bool RunTriggerEditor(COstrelDocument& document, QWidget* parent, CZRArgument* trigger, uint32_t displayId)
{
    if (!trigger)
        return false;
    // The condition texts name this document's units, events and zones.
    document.InstallConditionHooks();
    CDialogDefineConditional dialog(document, trigger, displayId, parent);
    return dialog.DoModal() == IDOK;
}
