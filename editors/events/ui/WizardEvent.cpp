// The event wizard's pages, the trigger picker and the wizard's entry point for the main dialog.
#include "editors/events/ui/WizardEvent.h"

#include "core/events/ZREventsData.h"
#include "editors/common/ui/ListHelpers.h"
#include "editors/common/ui/Prompts.h"
#include "editors/common/ui/Text.h"
#include "editors/events/model/EventsDocument.h"
#include "editors/events/ui/ConditionDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace ostrel;

namespace {

template <class T> T* Make(QWidget* parent, int id)
{
    auto* widget = new T(parent);
    SetDlgCtrlID(widget, id);
    return widget;
}

QLabel* Label(const char* text, QWidget* parent)
{
    return new QLabel(ToQString(text), parent);
}

void SetText(QLineEdit* edit, const std::string& text)
{
    edit->setText(ToQString(text));
}

// Focuses the control named by a refusal (a page's own controls).
void FocusField(QWidget* page, int field)
{
    if (QWidget* control = field ? GetDlgItem<QWidget>(page, field) : nullptr)
        control->setFocus(Qt::OtherFocusReason);
}

} // namespace

// ---- 132 ----

CListDlg::CListDlg(const std::string& prompt, const CZREventsData& data, QWidget* parent) : CEditorDialog(parent)
{
    setWindowTitle(QStringLiteral("Triggers"));
    auto* layout = new QVBoxLayout(this);
    auto* label = Make<QLabel>(this, 1056);
    label->setText(ToQString(prompt));
    layout->addWidget(label);
    m_pList = Make<QListWidget>(this, 1055);
    FillItems(m_pList, TriggerChoiceItems(data), true);
    layout->addWidget(m_pList);
    layout->addWidget(CreateOkCancel());
}

void CListDlg::OnOK()
{
    const int row = GetCurSel(m_pList);
    m_nSelection = row < 0 ? -1 : static_cast<int32_t>(GetItemData(m_pList, row));
    EndDialog(IDOK);
}

// ---- 129 ----

CPropertyPageEditEvent::CPropertyPageEditEvent(CZREvent& working, uint32_t eventId, const CZREventsData& data,
                                               const CSpriteManager* sprites)
    : m_working(working), m_uEventId(eventId), m_data(data), m_pSprites(sprites)
{
    setTitle(QStringLiteral("Event"));
    auto* grid = new QGridLayout(this);
    int row = 0;
    grid->addWidget(Label("Event Name (appears throughout editor):", this), row, 0);
    m_pName = Make<QLineEdit>(this, 1001);
    grid->addWidget(m_pName, row++, 1, 1, 3);
    grid->addWidget(Label("Event Title (appears in log and AAR):", this), row, 0);
    m_pTitle = Make<QLineEdit>(this, 1007);
    grid->addWidget(m_pTitle, row++, 1, 1, 3);
    grid->addWidget(Label("Event Text:", this), row, 0);
    m_pText = Make<QPlainTextEdit>(this, 1002);
    m_pText->setMaximumHeight(80);
    grid->addWidget(m_pText, row++, 1, 1, 3);
    m_pRepeatable = Make<QCheckBox>(this, 1003);
    m_pRepeatable->setText(QStringLiteral("Repeatable Event"));
    grid->addWidget(m_pRepeatable, row, 0);
    auto* id = Make<QLabel>(this, 1164);
    grid->addWidget(id, row++, 3);

    m_pTriggers = Make<QListWidget>(this, 1004);
    SetSorted(m_pTriggers, true);
    m_pTriggers->setMaximumHeight(80);
    grid->addWidget(m_pTriggers, row, 0, 2, 2);
    auto* add = Make<QPushButton>(this, 1053);
    add->setText(QStringLiteral("Add Trigger"));
    grid->addWidget(add, row++, 2);
    auto* remove = Make<QPushButton>(this, 1054);
    remove->setText(QStringLiteral("Delete Trigger"));
    grid->addWidget(remove, row++, 2);

    grid->addWidget(Label("If the trigger is pulled, what is the chance that this event will fire?", this), row, 0,
                    1, 2);
    m_pChance = Make<QLineEdit>(this, 1013);
    grid->addWidget(m_pChance, row++, 2);
    grid->addWidget(Label("Delay the result from", this), row, 0);
    m_pDelayFrom = Make<QLineEdit>(this, 1137);
    grid->addWidget(m_pDelayFrom, row, 1);
    m_pDelayTo = Make<QLineEdit>(this, 1006);
    grid->addWidget(m_pDelayTo, row, 2);
    grid->addWidget(Label("minutes (zero means no delay).", this), row++, 3);

    auto* recipients = new QGroupBox(this);
    auto* boxes = new QGridLayout(recipients);
    m_pVisible = Make<QRadioButton>(recipients, 1044);
    m_pVisible->setText(QStringLiteral("Visible (check recipients below)"));
    m_pHidden = Make<QRadioButton>(recipients, 1045);
    m_pHidden->setText(QStringLiteral("Hidden (send to nobody)"));
    m_pSendToAll = Make<QPushButton>(recipients, 1040);
    m_pSendToAll->setText(QStringLiteral("Send to All"));
    boxes->addWidget(m_pVisible, 0, 0, 1, 2);
    boxes->addWidget(m_pHidden, 0, 2, 1, 2);
    boxes->addWidget(m_pSendToAll, 0, 4);
    int slot = 0;
    for (int i = 0; i < kRecipientCount; ++i) {
        if (!RecipientControl(i))
            continue;
        auto* box = Make<QCheckBox>(recipients, RecipientControl(i));
        box->setText(ToQString(RecipientCaption(i)));
        m_apRecipients[static_cast<size_t>(i)] = box;
        boxes->addWidget(box, 1 + slot / 5, slot % 5);
        ++slot;
    }
    grid->addWidget(recipients, row++, 0, 1, 4);

    connect(m_pVisible, &QRadioButton::clicked, this, [this] {
        ReadForm();
        ChooseVisible(m_form);
        ShowRecipients();
    });
    connect(m_pHidden, &QRadioButton::clicked, this, [this] {
        ReadForm();
        ChooseHidden(m_form);
        ShowRecipients();
    });
    connect(m_pSendToAll, &QAbstractButton::clicked, this, [this] {
        ReadForm();
        SendToAll(m_form);
        ShowRecipients();
    });
    connect(m_pRepeatable, &QCheckBox::clicked, this,
            [this](bool checked) { m_working.m_bRepeatableEvent = checked; });
    connect(add, &QPushButton::clicked, this, [this] { OnAddTrigger(); });
    connect(remove, &QPushButton::clicked, this, [this] { OnDeleteTrigger(); });
}

void CPropertyPageEditEvent::OnInitDialog()
{
    m_form = EventPageOf(m_working, m_uEventId, m_data, m_pSprites);
    SetText(m_pName, m_form.name);
    SetText(m_pTitle, m_form.title);
    m_pText->setPlainText(ToQString(LinesForEdit(m_form.text, &m_bTextCrLf)));
    m_pRepeatable->setChecked(m_form.repeatable);
    SetText(m_pChance, m_form.chance);
    SetText(m_pDelayFrom, m_form.delayFrom);
    SetText(m_pDelayTo, m_form.delayTo);
    GetDlgItem<QLabel>(this, 1164)->setText(ToQString(m_form.idText));
    FillTriggers();
    ShowRecipients();
}

void CPropertyPageEditEvent::OnSetActive()
{
    GetSheet()->SetWizardButtons(m_working.m_bIsEndEvent ? PSWIZB_FINISH : PSWIZB_NEXT);
}

void CPropertyPageEditEvent::ReadForm()
{
    m_form.name = FromQString(m_pName->text());
    m_form.title = FromQString(m_pTitle->text());
    m_form.text = LinesFromEdit(FromQString(m_pText->toPlainText()), m_bTextCrLf);
    m_form.repeatable = m_pRepeatable->isChecked();
    m_form.chance = FromQString(m_pChance->text());
    m_form.delayFrom = FromQString(m_pDelayFrom->text());
    m_form.delayTo = FromQString(m_pDelayTo->text());
    m_form.hidden = m_pHidden->isChecked();
    for (int i = 0; i < kRecipientCount; ++i)
        m_form.checked[static_cast<size_t>(i)] = Box(i) && Box(i)->isChecked();
}

void CPropertyPageEditEvent::ShowRecipients()
{
    m_pVisible->setChecked(!m_form.hidden);
    m_pHidden->setChecked(m_form.hidden);
    m_pSendToAll->setEnabled(m_form.sendToAllEnabled);
    for (int i = 0; i < kRecipientCount; ++i) {
        QCheckBox* box = Box(i);
        if (!box)
            continue;
        const auto at = static_cast<size_t>(i);
        box->setText(ToQString(m_form.captions[at]));
        box->setVisible(m_form.shown[at]);
        box->setEnabled(m_form.enabled[at]);
        box->setChecked(m_form.checked[at]);
    }
}

void CPropertyPageEditEvent::FillTriggers()
{
    FillItems(m_pTriggers, EventTriggerItems(m_working, m_data), true);
}

void CPropertyPageEditEvent::OnAddTrigger()
{
    CListDlg dialog("Select trigger:", m_data, this);
    if (dialog.DoModal() != IDOK || dialog.GetSelection() < 0)
        return;
    AddEventTrigger(m_working, static_cast<uint32_t>(dialog.GetSelection()));
    FillTriggers();
}

void CPropertyPageEditEvent::OnDeleteTrigger()
{
    const int row = GetCurSel(m_pTriggers);
    if (row < 0)
        return;
    const std::string question = DeleteTriggerQuestion(GetText(m_pTriggers, row));
    if (Prompts().MessageBox(question, kDeleteTriggerCaption, EPromptButtons::YesNo, EPromptIcon::Exclamation,
                             this) != IDYES)
        return;
    const auto id = static_cast<uint32_t>(GetItemData(m_pTriggers, row));
    DeleteString(m_pTriggers, row);
    RemoveEventTrigger(m_working, id);
}

bool CPropertyPageEditEvent::Refuse(const RuleError& error)
{
    Prompts().MessageBox(error.text, error.caption, EPromptButtons::Ok, EPromptIcon::Exclamation, this);
    FocusField(this, error.field);
    return false;
}

bool CPropertyPageEditEvent::OnWizardNext()
{
    ReadForm();
    if (auto error = StoreEventPageNext(m_form, m_working, m_uEventId, m_data))
        return Refuse(*error);
    return true;
}

bool CPropertyPageEditEvent::OnWizardFinish()
{
    ReadForm();
    if (auto error = StoreEventPageFinish(m_form, m_working))
        return Refuse(*error);
    return true;
}

// ---- 130 ----

CPropertyPageEditResult::CPropertyPageEditResult(CZREvent& working, const CZREventsData& data,
                                                 const CSpriteManager* sprites)
    : m_working(working), m_data(data), m_squads(SquadItems(sprites))
{
    setTitle(QStringLiteral("Result"));
    // Two columns of groups, each as tall as its own controls, so the sheet fits a 1024 x 720 screen area.
    auto* page = new QVBoxLayout(this);
    auto* intro = Label("The six groups on this page can be edited, and you can include one of each group in a "
                        "single Event. You cannot include more than one group in any single Event.",
                        this);
    intro->setWordWrap(true);
    page->addWidget(intro);
    auto* eventRow = new QHBoxLayout();
    eventRow->addWidget(Label("Event:", this));
    m_pEvent = Make<QLineEdit>(this, 1001);
    m_pEvent->setReadOnly(true);
    eventRow->addWidget(m_pEvent, 1);
    page->addLayout(eventRow);
    auto* columns = new QHBoxLayout();
    auto* left = new QVBoxLayout();
    auto* right = new QVBoxLayout();
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);
    page->addLayout(columns);

    auto group = [&](const char* title, QVBoxLayout* column) {
        auto* box = new QGroupBox(ToQString(title), this);
        column->addWidget(box);
        return new QGridLayout(box);
    };
    auto check = [&](QGridLayout* g, int id, const char* text) {
        auto* box = Make<QCheckBox>(g->parentWidget(), id);
        box->setText(ToQString(text));
        g->addWidget(box, 0, 0, 1, 2);
        connect(box, &QCheckBox::clicked, this, [this] { UpdateEnables(); });
        return box;
    };
    auto row = [&](QGridLayout* g, const char* label, QWidget* control) {
        const int r = g->rowCount();
        g->addWidget(Label(label, g->parentWidget()), r, 0);
        g->addWidget(control, r, 1);
    };

    QGridLayout* action = group("Action", left);
    QWidget* a = action->parentWidget();
    m_pActionOn = check(action, 1135, "Assign action to squad");
    m_pSquad = Make<QComboBox>(a, 1138);
    row(action, "1. Choose squad or vehicle:", m_pSquad);
    m_pSquadId = Make<QLineEdit>(a, 1013);
    row(action, "ID", m_pSquadId);
    m_pAction = Make<QComboBox>(a, 1119);
    row(action, "2. Choose action:", m_pAction);
    m_pActionLocation = Make<QLineEdit>(a, 1136);
    row(action, "3. Specify x, y location:", m_pActionLocation);
    row(action, "", Label("(Step 3 is optional)", a));

    QGridLayout* zone = group("Zone", left);
    m_pZoneOn = check(zone, 1140, "Flag tiles");
    m_pMark = Make<QComboBox>(zone->parentWidget(), 1141);
    row(zone, "Mark tiles as:", m_pMark);
    m_pZone = Make<QComboBox>(zone->parentWidget(), 1142);
    row(zone, "Pick a zone:", m_pZone);

    QGridLayout* aar = group("Score/AAR Event", left);
    QWidget* s = aar->parentWidget();
    m_pAarOn = check(aar, 1146, "AAR score and cost");
    const int scoreIds[3] = {1006, 1007, 1010};
    const char* scoreLabels[3] = {"Incident Management", "Public Safety", "Media"};
    for (int i = 0; i < 3; ++i) {
        m_apScores[static_cast<size_t>(i)] = Make<QLineEdit>(s, scoreIds[i]);
        row(aar, scoreLabels[i], m_apScores[static_cast<size_t>(i)]);
    }
    m_pCost = Make<QLineEdit>(s, 1009);
    row(aar, "Adjust Cost $", m_pCost);
    left->addStretch(1);

    QGridLayout* equip = group("Equipment", right);
    m_pEquipOn = check(equip, 1126, "Equip Squads");
    m_pEquip = Make<QListWidget>(equip->parentWidget(), 1054);
    m_pEquip->setSelectionMode(QAbstractItemView::MultiSelection);
    equip->addWidget(m_pEquip, 1, 0, 1, 2);

    QGridLayout* hazard = group("Hazard", right);
    QWidget* h = hazard->parentWidget();
    m_pHazardOn = check(hazard, 1127, "Hazard at location");
    m_pHazardType = Make<QComboBox>(h, 1145);
    row(hazard, "Type:", m_pHazardType);
    m_pHazardLocation = Make<QLineEdit>(h, 1008);
    row(hazard, "x, y location:", m_pHazardLocation);
    m_pMagnitude = Make<QComboBox>(h, 1144);
    row(hazard, "Magnitude:", m_pMagnitude);
    m_pHideHazard = Make<QCheckBox>(h, 1158);
    m_pHideHazard->setText(QStringLiteral("Hazard initially hidden"));
    hazard->addWidget(m_pHideHazard, hazard->rowCount(), 0, 1, 2);
    hazard->addWidget(Label("Game minutes until bomb explodes:", h), hazard->rowCount(), 0, 1, 2);
    auto* bomb = new QHBoxLayout();
    bomb->addWidget(Label("From:", h));
    m_pBombFrom = Make<QLineEdit>(h, 1011);
    bomb->addWidget(m_pBombFrom);
    bomb->addWidget(Label("To:", h));
    m_pBombTo = Make<QLineEdit>(h, 1012);
    bomb->addWidget(m_pBombTo);
    hazard->addLayout(bomb, hazard->rowCount(), 0, 1, 2);
    connect(m_pHazardType, &QComboBox::activated, this, [this](int) { UpdateEnables(); });

    QGridLayout* points = group("Resource Points", right);
    m_pPointsOn = check(points, 1143, "Assign resource points");
    m_pPoints = Make<QLineEdit>(points->parentWidget(), 1137);
    row(points, "Points:", m_pPoints);
    right->addStretch(1);
}

void CPropertyPageEditResult::OnInitDialog()
{
    for (size_t i = 0; i < m_squads.size(); ++i)
        AddString(m_pSquad, m_squads[i].text, static_cast<intptr_t>(i));
    FillItems(m_pAction, ResultActionItems(), false);
    FillItems(m_pMark, TileMarkItems(), false);
    FillItems(m_pZone, ResultZoneItems(m_data), true);
    FillItems(m_pHazardType, HazardTypeItems(), false);
    FillItems(m_pMagnitude, MagnitudeItems(), false);
    FillItems(m_pEquip, EquipAgencyItems(), false);
    // The five agencies without a scroll bar or blank rows below them.
    m_pEquip->setFixedHeight(m_pEquip->sizeHintForRow(0) * m_pEquip->count() + 2 * m_pEquip->frameWidth());

    m_form = ResultPageOf(m_working, m_squads, m_data);
    m_pActionOn->setChecked(m_form.actionOn);
    SetCurSel(m_pSquad, m_form.squad);
    SetText(m_pSquadId, m_form.squadId);
    SetCurSel(m_pAction, 0);
    if (m_form.action)
        SelectItemData(m_pAction, *m_form.action);
    SetText(m_pActionLocation, m_form.actionLocation);

    m_pZoneOn->setChecked(m_form.zoneOn);
    // A flagged zone or mark the lists lack shows no selection (and stays as it is).
    SetCurSel(m_pMark, m_form.zoneOn && !m_form.mark ? -1 : 0);
    if (m_form.mark)
        SelectItemData(m_pMark, *m_form.mark);
    SetCurSel(m_pZone, m_form.zoneOn && !m_form.zoneId ? -1 : 0);
    if (m_form.zoneId)
        SelectItemData(m_pZone, *m_form.zoneId);

    m_pHazardOn->setChecked(m_form.hazardOn);
    SetCurSel(m_pHazardType, 0);
    if (m_form.hazardType)
        SelectItemData(m_pHazardType, *m_form.hazardType);
    SetText(m_pHazardLocation, m_form.hazardLocation);
    SetCurSel(m_pMagnitude, m_form.magnitude);
    m_pHideHazard->setChecked(m_form.hideHazard);
    SetText(m_pBombFrom, m_form.bombFrom);
    SetText(m_pBombTo, m_form.bombTo);

    m_pPointsOn->setChecked(m_form.pointsOn);
    SetText(m_pPoints, m_form.points);
    m_pAarOn->setChecked(m_form.aarOn);
    for (size_t i = 0; i < 3; ++i)
        SetText(m_apScores[i], m_form.scores[i]);
    m_pEquipOn->setChecked(m_form.equipOn);
    for (int i = 0; i < 5; ++i)
        SetSel(m_pEquip, i, m_form.equip[static_cast<size_t>(i)]);
    SetText(m_pCost, m_form.cost);
    UpdateEnables();
    // A stored cost is shown and editable even without the AAR box.
    if (!m_form.cost.empty())
        m_pCost->setEnabled(true);
}

void CPropertyPageEditResult::OnSetActive()
{
    GetSheet()->SetWizardButtons(PSWIZB_BACK | PSWIZB_FINISH);
    SetText(m_pEvent, m_working.m_strEventName);
}

void CPropertyPageEditResult::UpdateEnables()
{
    const bool action = m_pActionOn->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{m_pSquad, m_pSquadId, m_pAction, m_pActionLocation})
        w->setEnabled(action);
    m_pEquip->setEnabled(m_pEquipOn->isChecked());
    m_pMark->setEnabled(m_pZoneOn->isChecked());
    m_pZone->setEnabled(m_pZoneOn->isChecked());
    const bool hazard = m_pHazardOn->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{m_pHazardType, m_pHazardLocation, m_pMagnitude, m_pHideHazard})
        w->setEnabled(hazard);
    const bool bomb = hazard && SelectedValue(m_pHazardType) == kBombHazard;
    m_pBombFrom->setEnabled(bomb);
    m_pBombTo->setEnabled(bomb);
    const bool aar = m_pAarOn->isChecked();
    for (QLineEdit* w : m_apScores)
        w->setEnabled(aar);
    m_pCost->setEnabled(aar);
    m_pPoints->setEnabled(m_pPointsOn->isChecked());
}

void CPropertyPageEditResult::ReadForm()
{
    m_form.actionOn = m_pActionOn->isChecked();
    const int squad = GetCurSel(m_pSquad);
    m_form.squad = squad < 0 ? -1 : static_cast<int>(GetItemData(m_pSquad, squad));
    m_form.squadId = FromQString(m_pSquadId->text());
    m_form.action = SelectedValue(m_pAction);
    m_form.actionLocation = FromQString(m_pActionLocation->text());
    m_form.equipOn = m_pEquipOn->isChecked();
    m_form.equip.fill(false);
    for (int index : GetSelItems(m_pEquip)) {
        const auto value = GetItemData(m_pEquip, index);
        if (value >= 0 && value < 5)
            m_form.equip[static_cast<size_t>(value)] = true;
    }
    m_form.zoneOn = m_pZoneOn->isChecked();
    m_form.mark = SelectedValue(m_pMark);
    m_form.zoneId = SelectedValue(m_pZone);
    m_form.hazardOn = m_pHazardOn->isChecked();
    m_form.hazardType = SelectedValue(m_pHazardType);
    m_form.hazardLocation = FromQString(m_pHazardLocation->text());
    m_form.magnitude = GetCurSel(m_pMagnitude);
    m_form.hideHazard = m_pHideHazard->isChecked();
    m_form.bombFrom = FromQString(m_pBombFrom->text());
    m_form.bombTo = FromQString(m_pBombTo->text());
    m_form.aarOn = m_pAarOn->isChecked();
    for (size_t i = 0; i < 3; ++i)
        m_form.scores[i] = FromQString(m_apScores[i]->text());
    m_form.cost = FromQString(m_pCost->text());
    m_form.pointsOn = m_pPointsOn->isChecked();
    m_form.points = FromQString(m_pPoints->text());
}

bool CPropertyPageEditResult::Store()
{
    if (m_working.m_bIsEndEvent)
        return true;
    ReadForm();
    if (auto error = StoreResultPage(m_form, m_squads, m_working)) {
        Prompts().MessageBox(error->text, error->caption, EPromptButtons::Ok, EPromptIcon::Exclamation, this);
        FocusField(this, error->field);
        return false;
    }
    return true;
}

// ---- the wizard ----

int32_t RunEventWizard(COstrelDocument& document, QWidget* parent, const std::string& caption,
                       const std::string* eventName)
{
    CZREventsData& data = *document.GetEventsData();
    std::unique_ptr<CEventWizardRun> run = CEventWizardRun::Begin(data, eventName);
    if (!run)
        return -1;
    const auto id = static_cast<int32_t>(run->EventId());
    CEditorPropertySheet sheet(caption, parent);
    sheet.AddPage(new CPropertyPageEditEvent(run->Working(), run->EventId(), data, document.GetSpriteManager()));
    sheet.AddPage(new CPropertyPageEditResult(run->Working(), data, document.GetSpriteManager()));
    if (sheet.DoModal() == ID_WIZFINISH)
        run->Finish();
    else
        run->Cancel();
    return id;
}
