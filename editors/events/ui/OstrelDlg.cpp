// Ostrel's main dialog: title, the four lists and their buttons, and the File and Help commands.
#include "editors/events/ui/OstrelDlg.h"

#include "editors/common/ui/Frame.h"
#include "editors/common/ui/ListHelpers.h"
#include "editors/common/ui/Prompts.h"
#include "editors/common/ui/Text.h"
#include "editors/events/model/EventsDocument.h"
#include "editors/events/model/EventsModel.h"
#include "editors/events/ui/OstrelDialogs.h"
#include "editors/events/ui/OstrelEditors.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace {

const char* const kCaption = "ZR Events Editor";
const char* const kFilter = "ZR Events Files (*.ZRE)|*.ZRE|All Files (*.*)|*.*||";

std::string Trimmed(const std::string& text)
{
    const char* blanks = " \t\r\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

bool AskYesNo(QWidget* parent, const std::string& text)
{
    return Prompts().MessageBox(text, "Confirm Delete", EPromptButtons::YesNo, EPromptIcon::Question, parent) == IDYES;
}

} // namespace

COstrelDlg::COstrelDlg(COstrelDocument& document, QWidget* parent) : CMainDialog(parent), m_document(document)
{
    setWindowTitle(kCaption);
    BuildMenu();
    BuildControls();
    SetExitHandler([this] { OnFileExit(); });
}

void COstrelDlg::BuildMenu()
{
    QMenu* file = GetMenuBar()->addMenu("&File");
    QAction* newFile = file->addAction("&New", this, [this] { OnFileNew(); });
    QAction* open = file->addAction("&Open", this, [this] { OnFileOpen(); });
    QAction* save = file->addAction("&Save", this, [this] { OnFileSave(); });
    QAction* saveAs = file->addAction("Save &As...", this, [this] { OnFileSaveAs(); });
    file->addSeparator();
    file->addAction("&Import Events", this, [this] { OnFileImport(); });
    file->addSeparator();
    QAction* exit = file->addAction("E&xit", this, [this] { OnFileExit(); });
    SetFileShortcuts(newFile, open, save, saveAs, exit);
    QMenu* help = GetMenuBar()->addMenu("&Help");
    help->addAction("&About", this, [this] { OnHelpAbout(); });
}

COstrelDlg::~COstrelDlg()
{
    // The dialog hides as it goes, which takes the focus from the title field: its "editing finished" must not
    // reach a dialog already half gone.
    if (auto* title = GetDlgItem<QLineEdit>(this, IDC_TITLE))
        title->disconnect(this);
}

void COstrelDlg::BuildControls()
{
    auto button = [this](QLayout* row, const char* text, int id, void (COstrelDlg::*handler)()) {
        auto* b = new QPushButton(text, this);
        b->setAutoDefault(false);
        SetDlgCtrlID(b, id);
        if (handler)
            connect(b, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
        row->addWidget(b);
        return b;
    };
    auto group = [this](const char* title, int listId, QHBoxLayout** buttons) {
        auto* box = new QGroupBox(title, this);
        auto* layout = new QVBoxLayout(box);
        auto* list = new QListWidget(box);
        SetDlgCtrlID(list, listId);
        SetSorted(list, true);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setMinimumSize(260, 150);
        layout->addWidget(list);
        *buttons = new QHBoxLayout;
        layout->addLayout(*buttons);
        return box;
    };

    auto* titleRow = new QHBoxLayout;
    auto* titleBox = new QGroupBox("Scenario Title:", this);
    auto* titleLayout = new QHBoxLayout(titleBox);
    auto* title = new QLineEdit(titleBox);
    SetDlgCtrlID(title, IDC_TITLE);
    connect(title, &QLineEdit::editingFinished, this, [this] { OnTitleChanged(); });
    titleLayout->addWidget(title);
    titleRow->addWidget(titleBox, 1);
    auto* details = new QVBoxLayout;
    button(details, "Misc. Details", IDC_MISC_DETAILS, &COstrelDlg::OnMiscDetails);
    button(details, "Intro", IDC_INTRO, &COstrelDlg::OnIntro);
    titleRow->addLayout(details);
    GetMainLayout()->addLayout(titleRow);

    auto* grid = new QGridLayout;
    QHBoxLayout* row = nullptr;
    grid->addWidget(group("Defined Events", IDC_EVENTS_DEFINED, &row), 0, 0);
    button(row, "Edit", IDC_DEFINED_EDIT, nullptr);
    button(row, "Delete", IDC_DEFINED_DELETE, nullptr);
    button(row, "Copy", IDC_DEFINED_COPY, nullptr);
    grid->addWidget(group("Partially Defined Events", IDC_EVENTS_PARTIAL, &row), 0, 1);
    button(row, "Create", IDC_EVENT_CREATE, &COstrelDlg::OnEventCreate);
    button(row, "Edit", IDC_PARTIAL_EDIT, nullptr);
    button(row, "Delete", IDC_PARTIAL_DELETE, nullptr);
    button(row, "Copy", IDC_PARTIAL_COPY, nullptr);
    grid->addWidget(group("Map Zones", IDC_ZONES, &row), 1, 0);
    button(row, "Create", IDC_ZONE_CREATE, &COstrelDlg::OnZoneCreate);
    button(row, "Edit", IDC_ZONE_EDIT, &COstrelDlg::OnZoneEdit);
    button(row, "Delete", IDC_ZONE_DELETE, &COstrelDlg::OnZoneDelete);
    grid->addWidget(group("Trigger Conditions", IDC_TRIGGERS, &row), 1, 1);
    button(row, "Create", IDC_TRIGGER_CREATE, &COstrelDlg::OnTriggerCreate);
    button(row, "Edit", IDC_TRIGGER_EDIT, &COstrelDlg::OnTriggerEdit);
    button(row, "Delete", IDC_TRIGGER_DELETE, &COstrelDlg::OnTriggerDelete);
    GetMainLayout()->addLayout(grid);

    // The event buttons that name their list.
    const struct {
        int id;
        int list;
        void (COstrelDlg::*handler)(int);
    } listButtons[] = {
        {IDC_DEFINED_EDIT, IDC_EVENTS_DEFINED, &COstrelDlg::OnEventEdit},
        {IDC_DEFINED_DELETE, IDC_EVENTS_DEFINED, &COstrelDlg::OnEventDelete},
        {IDC_DEFINED_COPY, IDC_EVENTS_DEFINED, &COstrelDlg::OnEventCopy},
        {IDC_PARTIAL_EDIT, IDC_EVENTS_PARTIAL, &COstrelDlg::OnEventEdit},
        {IDC_PARTIAL_DELETE, IDC_EVENTS_PARTIAL, &COstrelDlg::OnEventDelete},
        {IDC_PARTIAL_COPY, IDC_EVENTS_PARTIAL, &COstrelDlg::OnEventCopy},
    };
    for (const auto& b : listButtons) {
        connect(GetDlgItem<QPushButton>(this, b.id), &QPushButton::clicked, this, [this, b] { (this->*b.handler)(b.list); });
    }
    connect(List(IDC_EVENTS_DEFINED), &QListWidget::itemDoubleClicked, this,
            [this] { OnEventEdit(IDC_EVENTS_DEFINED); });
    connect(List(IDC_EVENTS_PARTIAL), &QListWidget::itemDoubleClicked, this,
            [this] { OnEventEdit(IDC_EVENTS_PARTIAL); });
    connect(List(IDC_ZONES), &QListWidget::itemDoubleClicked, this, [this] { OnZoneEdit(); });
    connect(List(IDC_TRIGGERS), &QListWidget::itemDoubleClicked, this, [this] { OnTriggerEdit(); });
}

void COstrelDlg::OnInitDialog()
{
    EnableControls();
    RefreshLists();
}

void COstrelDlg::EnableControls()
{
    // Every control works from the start, "Intro" included.
    for (QWidget* child : findChildren<QWidget*>())
        child->setEnabled(true);
}

QListWidget* COstrelDlg::List(int listId) const
{
    return GetDlgItem<QListWidget>(this, listId);
}

std::string COstrelDlg::GetSelectedItem(int listId, intptr_t* value) const
{
    const QListWidget* list = List(listId);
    const int index = list ? GetCurSel(list) : -1;
    *value = index >= 0 ? GetItemData(list, index) : 0;
    return index >= 0 ? GetText(list, index) : std::string();
}

void COstrelDlg::SelectItemData(int listId, intptr_t value)
{
    if (QListWidget* list = List(listId))
        ::SelectItemData(list, value);
}

void COstrelDlg::RefreshLists()
{
    CZREventsData& data = *m_document.GetEventsData();
    GetDlgItem<QLineEdit>(this, IDC_TITLE)->setText(ToQString(Trimmed(data.m_strOriginalScenarioTitle)));
    for (int id : {IDC_EVENTS_DEFINED, IDC_EVENTS_PARTIAL, IDC_ZONES, IDC_TRIGGERS})
        ResetContent(List(id));
    for (const CZREvent* event : data.m_lstEvents)
        if (event)
            AddString(List(IsDefinedEvent(*event) ? IDC_EVENTS_DEFINED : IDC_EVENTS_PARTIAL), event->m_strEventName,
                      event->m_nUniqueID);
    for (const CTacticalMapZone* zone : data.m_vZones)
        if (zone)
            AddString(List(IDC_ZONES), zone->m_strZoneName, reinterpret_cast<intptr_t>(zone));
    for (const auto& [id, trigger] : data.m_mapArguments)
        if (trigger)
            AddString(List(IDC_TRIGGERS), trigger->m_strArgumentName, static_cast<intptr_t>(id));
    for (int id : {IDC_EVENTS_DEFINED, IDC_EVENTS_PARTIAL, IDC_ZONES, IDC_TRIGGERS})
        List(id)->scrollToTop();
    if (data.m_strOriginalScenarioTitle.empty())
        setWindowTitle(kCaption);
}

void COstrelDlg::UpdateCaption()
{
    setWindowTitle(ToQString(std::string(kCaption) + " - " + m_document.GetFileTitle()));
}

void COstrelDlg::OnTitleChanged()
{
    CZREventsData& data = *m_document.GetEventsData();
    const std::string text = Trimmed(FromQString(GetDlgItem<QLineEdit>(this, IDC_TITLE)->text()));
    if (!text.empty() && text != data.m_strOriginalScenarioTitle) {
        data.m_strOriginalScenarioTitle = text;
        data.m_bModified = true;
    }
}

// File commands.

void COstrelDlg::SavePrompt()
{
    m_bProceed = true;
    if (!m_document.IsModified())
        return;
    switch (Prompts().MessageBox("Do you want to save the changes you made?", kCaption, EPromptButtons::YesNoCancel,
                                 EPromptIcon::Exclamation, this)) {
    case IDYES:
        OnFileSave();
        break;
    case IDNO:
        break;
    default:
        m_bProceed = false;
        break;
    }
}

void COstrelDlg::OnFileNew()
{
    OnTitleChanged();
    SavePrompt();
    if (m_bProceed) {
        m_document.New();
        RefreshLists();
        setWindowTitle(kCaption);
    }
    m_bProceed = false;
}

void COstrelDlg::OnFileOpen()
{
    OnTitleChanged();
    SavePrompt();
    if (m_bProceed && OpenDialog(false))
        RefreshLists();
    m_bProceed = false;
}

void COstrelDlg::OnFileImport()
{
    OpenDialog(true);
}

bool COstrelDlg::OpenDialog(bool import)
{
    FileChoice choice;
    choice.defaultExt = "zre";
    choice.initialName = m_document.GetStartFolder() + "/*.zre";
    choice.filter = kFilter;
    choice.title = import ? "Import Events" : "Open";
    choice.parent = this;
    std::string path;
    if (!Prompts().OpenFile(choice, &path))
        return false;
    COstrelError error;
    std::string warning;
    if (!m_document.Load(path, import, &error, &warning)) {
        Prompts().MessageBox(error.text, error.caption, EPromptButtons::Ok, EPromptIcon::Error, this);
        return false;
    }
    if (!import) {
        UpdateCaption();
        EnableControls();
    }
    RefreshLists();
    if (!warning.empty())
        Prompts().MessageBox(warning, kCaption, EPromptButtons::Ok, EPromptIcon::Exclamation, this);
    return true;
}

void COstrelDlg::OnFileSave()
{
    OnTitleChanged();
    if (m_document.GetPath().empty()) {
        OnFileSaveAs();
        return;
    }
    COstrelError error;
    if (!m_document.Save(m_document.GetPath(), false, &error)) {
        Prompts().MessageBox(error.text, error.caption, EPromptButtons::Ok, EPromptIcon::Exclamation, this);
        m_bProceed = false;
    }
}

void COstrelDlg::OnFileSaveAs()
{
    OnTitleChanged();
    FileChoice choice;
    choice.defaultExt = "zre";
    choice.initialName = m_document.GetStartFolder() + "/*.zre";
    choice.filter = kFilter;
    choice.title = "Save As";
    choice.parent = this;
    std::string path;
    if (!Prompts().SaveFile(choice, &path)) {
        m_bProceed = false;
        return;
    }
    COstrelError error;
    if (!m_document.Save(path, true, &error)) {
        // A failed Save As used to pass in silence and let Exit go on and lose the changes.
        Prompts().MessageBox(error.text, error.caption, EPromptButtons::Ok, EPromptIcon::Exclamation, this);
        m_bProceed = false;
        return;
    }
    UpdateCaption();
}

void COstrelDlg::OnFileExit()
{
    OnTitleChanged();
    SavePrompt();
    if (m_bProceed)
        EndDialog(IDOK);
}

void COstrelDlg::OnOK()
{
    // Enter does nothing; only Exit (with the proceed flag set) ends the program.
    if (m_bProceed)
        EndDialog(IDOK);
}

void COstrelDlg::OnCancel()
{
}

void COstrelDlg::OnHelpAbout()
{
    Prompts().MessageBox("Ostrel\nZR Events Editor, Version 1.0", "About Ostrel", EPromptButtons::Ok,
                         EPromptIcon::Information, this);
}

// Events.

void COstrelDlg::OnEventCreate()
{
    const int32_t id = RunEventWizard(m_document, this, "Create New Event", nullptr);
    RefreshLists();
    SelectItemData(IDC_EVENTS_PARTIAL, id);
    SelectItemData(IDC_EVENTS_DEFINED, id);
}

void COstrelDlg::OnEventEdit(int listId)
{
    intptr_t value = 0;
    const std::string name = GetSelectedItem(listId, &value);
    if (name.empty())
        return;
    const char* caption = listId == IDC_EVENTS_DEFINED ? "Edit Defined Event" : "Edit Blank Event";
    const int32_t id = RunEventWizard(m_document, this, caption, &name);
    RefreshLists();
    SelectItemData(listId, id);
}

void COstrelDlg::OnEventDelete(int listId)
{
    intptr_t value = 0;
    if (GetSelectedItem(listId, &value).empty() || !AskYesNo(this, "Delete this event?"))
        return;
    DeleteEvent(*m_document.GetEventsData(), static_cast<int32_t>(value));
    RefreshLists();
    m_document.SetModified();
}

void COstrelDlg::OnEventCopy(int listId)
{
    intptr_t value = 0;
    if (GetSelectedItem(listId, &value).empty())
        return;
    const CZREvent* copy = CopyEvent(*m_document.GetEventsData(), static_cast<int32_t>(value));
    RefreshLists();
    if (copy)
        SelectItemData(listId, copy->m_nUniqueID);
    m_document.SetModified();
}

// Triggers.

void COstrelDlg::OnTriggerCreate()
{
    auto trigger = std::make_unique<CZRArgument>(true);
    const uint32_t id = static_cast<uint32_t>(trigger->m_nUniqueID);
    if (!RunTriggerEditor(m_document, this, trigger.get(), id) || trigger->m_strArgumentName.empty())
        return;
    CZREventsData& data = *m_document.GetEventsData();
    auto [slot, inserted] = data.m_mapArguments.emplace(id, trigger.get());
    if (!inserted)
        return;
    trigger.release();
    m_document.SetModified();
    RefreshLists();
    SelectItemData(IDC_TRIGGERS, static_cast<intptr_t>(id));
}

void COstrelDlg::OnTriggerEdit()
{
    intptr_t value = 0;
    if (GetSelectedItem(IDC_TRIGGERS, &value).empty())
        return;
    CZREventsData& data = *m_document.GetEventsData();
    const uint32_t id = static_cast<uint32_t>(value);
    auto it = data.m_mapArguments.find(id);
    if (it == data.m_mapArguments.end() || !it->second) {
        if (it != data.m_mapArguments.end())
            data.m_mapArguments.erase(it);
    } else {
        std::unique_ptr<CZRArgument> copy(CopyTrigger(*it->second));
        if (RunTriggerEditor(m_document, this, copy.get(), id)) {
            AssignTrigger(*it->second, *copy);
            m_document.SetModified();
        }
    }
    RefreshLists();
    SelectItemData(IDC_TRIGGERS, value);
}

void COstrelDlg::OnTriggerDelete()
{
    intptr_t value = 0;
    if (GetSelectedItem(IDC_TRIGGERS, &value).empty() || !AskYesNo(this, "Delete this condition?"))
        return;
    DeleteTrigger(*m_document.GetEventsData(), static_cast<uint32_t>(value));
    m_document.SetModified();
    RefreshLists();
}

// Zones.

void COstrelDlg::OnZoneCreate()
{
    CDialogDefineTMZone dialog(this);
    if (dialog.DoModal() != IDOK)
        return;
    auto* zone = new CTacticalMapZone();
    zone->m_bUseMBR = true;
    zone->m_rcBoundingBox = dialog.m_zone.boundingBox;
    zone->m_strZoneName = dialog.m_zone.name;
    SetZonePoints(*zone, dialog.m_zone.points);
    m_document.GetEventsData()->m_vZones.push_back(zone);
    m_document.SetModified();
    RefreshLists();
    SelectItemData(IDC_ZONES, reinterpret_cast<intptr_t>(zone));
}

namespace {

// The zone a list item names, when it is still in the document.
CTacticalMapZone* ZoneOfItem(const CZREventsData& data, intptr_t value)
{
    for (CTacticalMapZone* zone : data.m_vZones)
        if (zone && reinterpret_cast<intptr_t>(zone) == value)
            return zone;
    return nullptr;
}

} // namespace

void COstrelDlg::OnZoneEdit()
{
    intptr_t value = 0;
    GetSelectedItem(IDC_ZONES, &value);
    CTacticalMapZone* zone = ZoneOfItem(*m_document.GetEventsData(), value);
    if (!zone)
        return;
    CDialogDefineTMZone dialog(this);
    dialog.m_zone.name = zone->m_strZoneName;
    dialog.m_zone.zoneId = static_cast<uint32_t>(zone->m_nUniqueID);
    dialog.m_zone.boundingBox = zone->m_rcBoundingBox;
    dialog.m_zone.points = zone->m_lstPoints;
    if (dialog.DoModal() == IDOK) {
        zone->m_strZoneName = dialog.m_zone.name;
        zone->m_rcBoundingBox = dialog.m_zone.boundingBox;
        SetZonePoints(*zone, dialog.m_zone.points);
        zone->m_bUseMBR = true;
        m_document.SetModified();
        RefreshLists();
    }
    SelectItemData(IDC_ZONES, value);
}

void COstrelDlg::OnZoneDelete()
{
    intptr_t value = 0;
    GetSelectedItem(IDC_ZONES, &value);
    CZREventsData& data = *m_document.GetEventsData();
    CTacticalMapZone* zone = ZoneOfItem(data, value);
    if (!zone)
        return;
    if (AskYesNo(this, "Delete this map zone?")) {
        DeleteZone(data, zone);
        m_document.SetModified();
    }
    RefreshLists();
}

// Scenario details.

void COstrelDlg::OnMiscDetails()
{
    OnTitleChanged();
    CDialogMiscDetails dialog(*m_document.GetEventsData(), this);
    dialog.DoModal();
}

void COstrelDlg::OnIntro()
{
    CZREventsData& data = *m_document.GetEventsData();
    CDlgIntroEdit dialog(data.m_strIntroText, this);
    if (dialog.DoModal() == IDOK) {
        data.m_strIntroText = dialog.m_strText;
        m_document.SetModified();
    }
}
