// The station details dialog: fills its lists from the station, refills squad types as the agency changes, and on
// OK hands what it shows to the view model.
#include "editors/areamap/ui/StationDialog.h"

#include "editors/areamap/model/AreaMapView.h"
#include "editors/areamap/ui/UserMessages.h"
#include "editors/common/ui/ListHelpers.h"
#include "editors/common/ui/Text.h"

#include "core/world/Sprite.h"
#include "core/world/SpriteManager.h"
#include "core/world/StationData.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

using namespace vellisk;

namespace {

void Fill(QComboBox* combo, const std::vector<CListEntry>& entries, int select)
{
    ResetContent(combo);
    for (const CListEntry& e : entries)
        AddString(combo, e.text, e.data);
    SetCurSel(combo, select);
}

QComboBox* NewCombo(QWidget* parent, int id)
{
    auto* combo = new QComboBox(parent);
    SetDlgCtrlID(combo, id);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    combo->setMinimumWidth(150);
    return combo;
}

} // namespace

CDialogStationResources::CDialogStationResources(CAreaMapViewModel& view, CSprite* station, QWidget* parent)
    : CEditorDialog(parent), m_view(view), m_pStation(station), m_pName(new QLineEdit(this)),
      m_pKind(new QComboBox(this)), m_pMinutes(new QLineEdit(this))
{
    setWindowTitle("Station Details");
    auto* layout = new QVBoxLayout(this);

    auto* head = new QGridLayout;
    head->addWidget(new QLabel("Station Name:", this), 0, 0);
    head->addWidget(m_pName, 0, 1);
    head->addWidget(new QLabel("Primary Service:", this), 1, 0);
    head->addWidget(m_pKind, 1, 1);
    SetDlgCtrlID(m_pName, kNameId);
    SetDlgCtrlID(m_pKind, kKindId);
    SetDlgCtrlID(m_pMinutes, kMinutesId);
    // A stored name keeps its terminator.
    m_pName->setMaxLength(CStationData::kNameSize - 1);
    m_pKind->setEnabled(false);
    layout->addLayout(head);

    auto* travel = new QHBoxLayout;
    travel->addWidget(new QLabel("The average travel time along this route is", this));
    travel->addWidget(m_pMinutes);
    travel->addWidget(new QLabel("minutes.", this));
    travel->addStretch(1);
    m_pMinutes->setMaximumWidth(60);
    MakeDigitsOnly(m_pMinutes);
    layout->addLayout(travel);

    auto* group = new QGroupBox("Resources", this);
    auto* grid = new QGridLayout(group);
    grid->addWidget(new QLabel("Agency", group), 0, 0);
    grid->addWidget(new QLabel("Squad Type", group), 0, 1);
    grid->addWidget(new QLabel("Num\nSquads", group), 0, 2);
    grid->addWidget(new QLabel("Duty\nStatus", group), 0, 3);
    for (int n = 0; n < kStationLines; ++n) {
        Line& line = m_lines[n];
        line.agency = NewCombo(group, kAgencyIds[n]);
        line.squadType = NewCombo(group, kSquadTypeIds[n]);
        line.squadType->setMinimumWidth(200);
        line.number = new QLineEdit(group);
        SetDlgCtrlID(line.number, kNumberIds[n]);
        line.number->setMaximumWidth(50);
        MakeDigitsOnly(line.number);
        line.duty = NewCombo(group, kDutyIds[n]);
        line.duty->setMinimumWidth(100);
        grid->addWidget(line.agency, n + 1, 0);
        grid->addWidget(line.squadType, n + 1, 1);
        grid->addWidget(line.number, n + 1, 2);
        grid->addWidget(line.duty, n + 1, 3);
        connect(line.agency, &QComboBox::activated, this, [this, n] { OnAgencyChanged(n); });
    }
    layout->addWidget(group);
    layout->addWidget(CreateOkCancel());
}

void CDialogStationResources::OnInitDialog()
{
    const CSpriteManager* sprites = m_view.Document() ? m_view.Document()->m_pSpriteManager : nullptr;
    if (!m_pStation || !m_pStation->m_pStationData)
        return;
    const CStationDialogView shown = StationDialogView(*m_pStation->m_pStationData, sprites);
    m_pName->setText(ToQString(shown.name));
    Fill(m_pKind, KindEntries(), shown.kind);
    m_pMinutes->setText(ToQString(shown.minutes));
    for (int n = 0; n < kStationLines; ++n) {
        Line& line = m_lines[n];
        const CStationLineView& from = shown.lines[n];
        line.agencies = from.agencies;
        line.squadTypes = from.squadTypes;
        Fill(line.agency, line.agencies, from.agency);
        Fill(line.squadType, line.squadTypes, from.squadType);
        Fill(line.duty, DutyEntries(), from.duty);
        line.number->setText(ToQString(from.number));
    }
}

void CDialogStationResources::FillSquadTypes(int n, int kind, int select)
{
    const CSpriteManager* sprites = m_view.Document() ? m_view.Document()->m_pSpriteManager : nullptr;
    m_lines[n].squadTypes = SquadTypeEntries(sprites, kind);
    Fill(m_lines[n].squadType, m_lines[n].squadTypes, select);
}

void CDialogStationResources::OnAgencyChanged(int n)
{
    const int selected = GetCurSel(m_lines[n].agency);
    if (selected < 0 || selected >= static_cast<int>(m_lines[n].agencies.size()))
        return;
    const CSpriteManager* sprites = m_view.Document() ? m_view.Document()->m_pSpriteManager : nullptr;
    FillSquadTypes(n, AgencyKindOfRow(sprites, m_lines[n].agencies[static_cast<size_t>(selected)].data), 0);
}

void CDialogStationResources::OnOK()
{
    CStationDialogInput input;
    input.name = FromQString(m_pName->text());
    input.minutes = FromQString(m_pMinutes->text());
    for (int n = 0; n < kStationLines; ++n) {
        const Line& line = m_lines[n];
        input.lines[n].agency = GetCurSel(line.agency);
        input.lines[n].squadType = GetCurSel(line.squadType);
        input.lines[n].duty = static_cast<int>(GetItemData(line.duty, GetCurSel(line.duty)));
        input.lines[n].number = FromQString(line.number->text());
        input.agencies[n] = line.agencies;
        input.squadTypes[n] = line.squadTypes;
    }
    CUserMessage refusal;
    if (!m_view.ApplyStationDetails(m_pStation, input, &refusal)) {
        if (refusal.text.empty()) {
            EndDialog(IDCANCEL); // the station is no longer on the map
            return;
        }
        ShowUserMessage(refusal, this);
        (refusal.caption == "Station Name Error" ? m_pName : m_pMinutes)->setFocus();
        return;
    }
    EndDialog(IDOK);
}
