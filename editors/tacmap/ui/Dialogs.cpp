// Tarnwick's dialogs: controls, data exchange and what OK does, over the model's dialog rules.
#include "editors/tacmap/ui/Dialogs.h"

#include "core/world/Sprite.h"
#include "core/world/SpriteManager.h"
#include "editors/common/ui/ListHelpers.h"
#include "editors/common/ui/Text.h"
#include "editors/tacmap/ui/TarnwickApp.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace {

QLabel* Label(const char* text, QWidget* parent)
{
    return new QLabel(QString::fromLatin1(text), parent);
}

QLineEdit* NumberEdit(int id, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    SetDlgCtrlID(edit, id);
    MakeDigitsOnly(edit);
    edit->setMaximumWidth(90);
    return edit;
}

QPlainTextEdit* MessageEdit(int id, QWidget* parent)
{
    auto* edit = new QPlainTextEdit(parent);
    SetDlgCtrlID(edit, id);
    edit->setTabChangesFocus(true);
    edit->setMinimumHeight(60);
    return edit;
}

std::string TextOf(const QLineEdit* edit)
{
    return FromQString(edit->text());
}

std::string TextOf(const QPlainTextEdit* edit)
{
    std::string text = FromQString(edit->toPlainText());
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

void SetText(QPlainTextEdit* edit, const std::string& text)
{
    std::string plain;
    for (char c : text)
        if (c != '\r')
            plain += c;
    edit->setPlainText(ToQString(plain));
}

} // namespace

// ---- scenario details ----

CDialogScenarioDetails::CDialogScenarioDetails(QWidget* parent) : CEditorDialog(parent)
{
    setWindowTitle(QStringLiteral("Scenario Details"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label("Scenario Title:", this));
    m_pTitle = new QLineEdit(this);
    SetDlgCtrlID(m_pTitle, 1015);
    layout->addWidget(m_pTitle);
    layout->addWidget(Label("Background Text:", this));
    m_pBackground = new QPlainTextEdit(this);
    SetDlgCtrlID(m_pBackground, 1016);
    m_pBackground->setTabChangesFocus(true);
    m_pBackground->setMinimumSize(560, 220);
    layout->addWidget(m_pBackground, 1);
    auto* wind = new QGroupBox(QStringLiteral("Wind"), this);
    auto* row = new QHBoxLayout(wind);
    row->addWidget(Label("Direction", wind));
    m_pDirection = new QComboBox(wind);
    SetDlgCtrlID(m_pDirection, 1017);
    for (const char* name : tacmap::kCompassNames)
        AddString(m_pDirection, name);
    row->addWidget(m_pDirection);
    row->addSpacing(20);
    row->addWidget(Label("Speed", wind));
    m_pSpeed = NumberEdit(1018, wind);
    row->addWidget(m_pSpeed);
    row->addWidget(Label("MPH", wind));
    row->addStretch(1);
    layout->addWidget(wind);
    layout->addWidget(CreateOkCancel());
}

void CDialogScenarioDetails::DoDataExchange(CDataExchange& dx)
{
    DDX_Text(dx, m_pTitle, m_strTitle, 50);
    DDX_Text(dx, m_pBackground, m_strBackground);
    DDX_CBIndex(dx, m_pDirection, m_nWindDir);
    DDX_Int(dx, m_pSpeed, m_nWindSpeed);
}

// ---- graded value ----

CDialogValueGradedMessages::CDialogValueGradedMessages(const std::string& title, QWidget* parent)
    : CEditorDialog(parent), m_strTitle(title)
{
    setWindowTitle(QStringLiteral("Scoring"));
    auto* layout = new QVBoxLayout(this);
    auto* predicted = new QHBoxLayout();
    predicted->addWidget(Label("Predicted:", this));
    m_pPredicted = NumberEdit(1028, this);
    predicted->addWidget(m_pPredicted);
    predicted->addStretch(1);
    layout->addLayout(predicted);

    auto group = [&](const char* caption, const char* text, QLineEdit** breakEdit, int breakId, QPlainTextEdit** message,
                     int messageId) {
        auto* box = new QGroupBox(QString::fromLatin1(caption), this);
        auto* inner = new QVBoxLayout(box);
        auto* line = new QHBoxLayout();
        line->addWidget(Label(text, box));
        if (breakEdit) {
            *breakEdit = NumberEdit(breakId, box);
            line->addWidget(*breakEdit);
        }
        line->addStretch(1);
        inner->addLayout(line);
        *message = MessageEdit(messageId, box);
        inner->addWidget(*message);
        layout->addWidget(box);
    };
    group("Above Average", "Show this message if greater than or equal to", &m_pAboveBreak, 1029, &m_pAboveMessage, 1030);
    group("Average", "Show this message if greater than or equal to", &m_pAverageBreak, 1031, &m_pAverageMessage, 1032);
    group("Below Average", "Show this message if less than Average breakpoint", nullptr, 0, &m_pBelowMessage, 1034);
    layout->addWidget(CreateOkCancel());
    setMinimumWidth(520);
}

void CDialogValueGradedMessages::OnInitDialog()
{
    if (!m_strTitle.empty())
        setWindowTitle(ToQString(m_strTitle));
    if (!m_pnValue || !m_pnBreaks || !m_pvMessages)
        return;
    const tacmap::GradedForm form = tacmap::GradedFormOf(*m_pnValue, m_pnBreaks, *m_pvMessages);
    m_pPredicted->setText(ToQString(form.predicted));
    m_pAboveBreak->setText(ToQString(form.aboveBreak));
    SetText(m_pAboveMessage, form.aboveMessage);
    m_pAverageBreak->setText(ToQString(form.averageBreak));
    SetText(m_pAverageMessage, form.averageMessage);
    SetText(m_pBelowMessage, form.belowMessage);
}

void CDialogValueGradedMessages::OnOK()
{
    if (!m_pnValue || !m_pnBreaks || !m_pvMessages) {
        EndDialog(IDCANCEL);
        return;
    }
    tacmap::GradedForm form;
    form.predicted = TextOf(m_pPredicted);
    form.aboveBreak = TextOf(m_pAboveBreak);
    form.aboveMessage = TextOf(m_pAboveMessage);
    form.averageBreak = TextOf(m_pAverageBreak);
    form.averageMessage = TextOf(m_pAverageMessage);
    form.belowMessage = TextOf(m_pBelowMessage);
    const std::string refusal = tacmap::ApplyGradedForm(form, m_pnValue, m_pnBreaks, m_pvMessages);
    if (!refusal.empty()) {
        Prompts().MessageBox(refusal, tacmap::kIncompleteDataTitle, EPromptButtons::Ok, EPromptIcon::Exclamation, this);
        return; // stays open; nothing written
    }
    EndDialog(IDOK);
}

// ---- sprite instance data ----

Dialog_Sprite_Data::Dialog_Sprite_Data(CTarnwickApp& app, QWidget* parent) : CEditorDialog(parent), m_app(app)
{
    setWindowTitle(QStringLiteral("Sprite Instance Data"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout();
    m_pAgency = new QComboBox(this);
    m_pTemplate = new QComboBox(this);
    m_pId = NumberEdit(1042, this);
    SetDlgCtrlID(m_pAgency, 1040);
    SetDlgCtrlID(m_pTemplate, 1041);
    m_pAgency->setMinimumWidth(220);
    m_pTemplate->setMinimumWidth(220);
    form->addRow(QStringLiteral("Agency:"), m_pAgency);
    form->addRow(QStringLiteral("Squad/Vehicle:"), m_pTemplate);
    form->addRow(QStringLiteral("Squad's Unique ID:"), m_pId);
    layout->addLayout(form);
    layout->addWidget(CreateOkCancel());
    connect(m_pAgency, &QComboBox::activated, this, [this](int row) {
        tacmap::ChangeAgency(m_form, static_cast<int>(GetItemData(m_pAgency, row)));
        FillTemplates();
    });
    connect(m_pTemplate, &QComboBox::activated, this, [this](int row) {
        const intptr_t i = GetItemData(m_pTemplate, row);
        if (row >= 0 && i >= 0 && i < static_cast<intptr_t>(m_vTemplates.size()))
            tacmap::PickTemplate(m_form, m_vTemplates[static_cast<size_t>(i)]);
    });
}

void Dialog_Sprite_Data::FillTemplates()
{
    ResetContent(m_pTemplate);
    m_vTemplates.clear();
    if (const CSpriteManager* sprites = m_app.World().GetSprites())
        m_vTemplates = tacmap::TemplateItems(*sprites, m_form.agencyKey);
    for (size_t i = 0; i < m_vTemplates.size(); ++i)
        AddString(m_pTemplate, m_vTemplates[i].text, static_cast<intptr_t>(i));
}

void Dialog_Sprite_Data::OnInitDialog()
{
    m_form.squadTemplate = m_form.vehicleTemplate = -1;
    const CSpriteManager* sprites = m_app.World().GetSprites();
    const CSprite* selected = m_app.View().GetSelectedSprite();
    if (!sprites || !selected)
        return;
    m_form = tacmap::SpriteDataOf(*sprites, *selected);
    for (const tacmap::NamedItem& item : tacmap::AgencyItems(*sprites))
        AddString(m_pAgency, item.text, item.data);
    SelectItemData(m_pAgency, m_form.agencyKey);
    FillTemplates();
    SetCurSel(m_pTemplate, FindStringExact(m_pTemplate, selected->m_szName));
    m_pId->setText(ToQString(m_form.id));
}

void Dialog_Sprite_Data::OnOK()
{
    CSpriteManager* sprites = m_app.World().GetSprites();
    CSprite* selected = m_app.View().GetSelectedSprite();
    if (sprites && selected) {
        m_form.id = TextOf(m_pId).substr(0, 100);
        m_form.templateShown = GetCurSel(m_pTemplate) >= 0;
        const int oldAgency = selected->m_Placement.AgencyIndex;
        CSprite* now = tacmap::ApplySpriteData(m_form, *sprites, selected);
        // A changed squad is an edit to save.
        if (now != selected || now->m_Placement.AgencyIndex != oldAgency)
            m_app.View().SetModified(true);
        m_app.View().ReplaceSelectedSprite(now);
    }
    m_form.squadTemplate = m_form.vehicleTemplate = -1;
    EndDialog(IDOK);
}

void Dialog_Sprite_Data::OnCancel()
{
    m_form.squadTemplate = m_form.vehicleTemplate = -1;
    EndDialog(IDCANCEL);
}

// ---- delete sprites ----

CDialogDeleteSprites::CDialogDeleteSprites(QWidget* parent) : CEditorDialog(parent)
{
    setWindowTitle(QStringLiteral("Delete Sprites"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label("Select sprites then click OK to delete them", this));
    m_pList = new QListWidget(this);
    SetDlgCtrlID(m_pList, 1010);
    m_pList->setSelectionMode(QAbstractItemView::MultiSelection);
    m_pList->setMinimumSize(320, 140);
    layout->addWidget(m_pList, 1);
    layout->addWidget(CreateOkCancel());
}

void CDialogDeleteSprites::OnInitDialog()
{
    m_vShown = m_vSprites;
    ResetContent(m_pList);
    for (const tacmap::NamedItem& item : tacmap::DeleteListItems(m_vShown))
        AddString(m_pList, item.text, item.data);
    m_vSprites.clear();
}

void CDialogDeleteSprites::OnOK()
{
    m_vChosen.clear();
    for (int row : GetSelItems(m_pList)) {
        const intptr_t i = GetItemData(m_pList, row);
        if (i >= 0 && i < static_cast<intptr_t>(m_vShown.size()))
            m_vChosen.push_back(m_vShown[static_cast<size_t>(i)]);
    }
    EndDialog(IDOK);
}
