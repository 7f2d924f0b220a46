// Ostrel's document: events data, path, reference lists, unit tables, and reading and writing ".zre" files.
#include "editors/events/model/EventsDocument.h"

#include "core/events/ConditionHooks.h"
#include "core/persist/QFFileStream.h"
#include "core/world/SpriteManager.h"
#include "core/world/WorldContext.h"
#include "editors/common/model/SaveFailure.h"
#include "editors/events/model/EventsModel.h"
#include "platform/system/Paths.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

const std::array<const char*, kUnitSections> kUnitTableFiles = {
    "Unit_Data_Command.csv", "Unit_data_ops.csv", "unit_data_planning.csv", "Unit_Data_Logistics.csv",
    "Unit_Data_Finance.csv"};
const char* const kUnitTaskList = "ZR_Unit-Task_List.csv";
const char* const kFeatureList = "Terrain_Features_List.csv";
const char* const kStationList = "Area_Map_Stations_List.csv";
const char* const kVehicleTaskList = "ZR_Vehicle-Task_List.csv";
const char* const kDefaultAgencyList = "Agency.csv";

namespace {

const char* const kSaveFailed = "Save failed. Please try \"File | Save As...\" before continuing.";
const char* const kSaveFailedCaption = "File save failed";
const char* const kOpenFailed = "Failed to open file:";
const char* const kAppCaption = "ZR Events Editor";

std::string BaseName(const std::string& path)
{
    const size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

// Refuses a target that cannot take the file before anything is written: a folder of that name, a missing or
// unwritable folder, a read-only file.
bool CanWrite(const std::string& path)
{
    std::error_code ec;
    const fs::path target(path);
    if (path.empty() || fs::is_directory(target, ec))
        return false;
    const fs::path parent = target.has_parent_path() ? target.parent_path() : fs::path(".");
    if (!fs::is_directory(parent, ec) || ::access(parent.c_str(), W_OK | X_OK) != 0)
        return false;
    return !fs::exists(target, ec) || ::access(target.c_str(), W_OK) == 0;
}

} // namespace

std::string AgencyListNameFor(const std::string& path)
{
    std::string name = BaseName(path);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos)
        name.resize(dot);
    return name + ".csv";
}

COstrelDocument::COstrelDocument(std::string startFolder) : m_strStartFolder(std::move(startFolder))
{
    RegisterCoreClasses();
    for (int i = 0; i < kUnitSections; ++i)
        m_astrUnitNames[i].assign(kUnitTableSizes[i], std::string());
    New();
}

COstrelDocument::~COstrelDocument()
{
    if (m_bHooksInstalled)
        ResetConditionHooks();
}

std::string COstrelDocument::GetFileTitle() const
{
    return BaseName(m_strPath);
}

void COstrelDocument::LoadReferenceLists(const std::string& agencyList)
{
    WorldContext().m_strDataFolder = m_strStartFolder;
    std::error_code ec;
    auto exists = [&](const std::string& name) {
        return fs::is_regular_file(platform::JoinPath(m_strStartFolder, name), ec);
    };
    // A ".zre" file without an agency list of its own name uses the standard one, so the dialogs still offer the
    // agencies and templates.
    const std::string agencies = exists(agencyList) ? agencyList : std::string(kDefaultAgencyList);
    auto sprites = std::make_unique<CSpriteManager>();
    // With a list missing the dialogs see no templates; the start-up box has named what is missing.
    bool complete = exists(agencies);
    for (const char* list : {kUnitTaskList, kFeatureList, kStationList, kVehicleTaskList})
        complete = complete && exists(list);
    if (complete)
        sprites->LoadLists(kUnitTaskList, kFeatureList, kStationList, kVehicleTaskList, agencies);
    m_pSprites = std::move(sprites);
}

void COstrelDocument::New()
{
    m_pEventsData = std::make_unique<CZREventsData>();
    LoadReferenceLists(kDefaultAgencyList);
    m_strPath.clear();
}

std::vector<std::string> COstrelDocument::LoadUnitTables()
{
    std::vector<std::string> missing;
    for (int i = 0; i < kUnitSections; ++i) {
        const std::string path = platform::JoinPath(m_strStartFolder, kUnitTableFiles[i]);
        if (!ReadUnitTable(path, &m_astrUnitNames[i]))
            missing.push_back(path);
    }
    return missing;
}

bool COstrelDocument::ReadUnitTable(const std::string& path, std::vector<std::string>* table)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::string line;
    for (int header = 0; header < 3 && std::getline(in, line); ++header) {
    }
    size_t k = 0;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::string name = line.substr(0, line.find(','));
        if (k < table->size() && !name.empty())
            (*table)[k] = name;
        ++k;
    }
    return true;
}

std::string COstrelDocument::GetUnitName(int32_t section, int32_t index) const
{
    if (section < 0 || section >= kUnitSections)
        return std::string();
    const std::vector<std::string>& table = m_astrUnitNames[section];
    return index >= 0 && static_cast<size_t>(index) < table.size() ? table[index] : std::string();
}

const std::vector<std::string>& COstrelDocument::GetUnitTable(int32_t section) const
{
    static const std::vector<std::string> none;
    return section >= 0 && section < kUnitSections ? m_astrUnitNames[section] : none;
}

std::string COstrelDocument::GetEventName(int32_t eventId) const
{
    return EventNameById(*m_pEventsData, eventId);
}

void COstrelDocument::InstallConditionHooks() const
{
    ConditionHooks hooks;
    hooks.unitName = [this](int32_t section, int32_t unit) { return GetUnitName(section, unit); };
    hooks.eventName = [this](int32_t id) { return GetEventName(id); };
    hooks.scenarioZones = [this]() -> const ZoneVector& { return m_pEventsData->m_vZones; };
    SetConditionHooks(std::move(hooks));
    m_bHooksInstalled = true;
}

bool COstrelDocument::Load(const std::string& path, bool import, COstrelError* error, std::string* warning)
{
    if (warning)
        warning->clear();
    const CIdCounters before = CIdCounters::Current();
    auto fail = [&](const std::string& why) {
        // The id counters are read early in the file; a failed load puts them back.
        before.Restore();
        error->text = std::string(kOpenFailed) + "\n" + path + (why.empty() ? "" : "\n\n" + why);
        error->caption = kAppCaption;
        return false;
    };
    std::error_code ec;
    if (fs::is_directory(path, ec))
        return fail("It is a folder.");
    QFFileStream stream;
    if (!stream.Open(path, QFFileStream::kBinary, QFFileStream::kRead))
        return fail("The file cannot be opened.");
    QFArchive archive;
    archive.BeginDocument(QFArchive::kLoading, &stream, QFArchive::kBinary);
    CZREventsData* raw = nullptr;
    QFSerializePointer(&archive, &raw, "CZREventsData");
    const bool failed = archive.Failed();
    const std::string reason = archive.FailReason();
    archive.EndDocument();
    stream.Close();
    std::unique_ptr<CZREventsData> loaded(failed ? nullptr : raw);
    if (failed)
        return fail(reason.empty() ? "The file is damaged." : "The file is damaged: " + reason + ".");
    if (!loaded)
        return fail("The file holds no events.");

    const std::vector<std::string> problems = loaded->GetLoadProblems();
    if (warning && !problems.empty()) {
        *warning = "Parts of " + path + " were damaged and have been left out:";
        for (const std::string& problem : problems)
            *warning += "\n" + problem;
    }
    SetInitialConditionStates(*loaded);
    if (import) {
        // The open document keeps its own reference lists.
        MergeEventsData(*m_pEventsData, *loaded);
    } else {
        LoadReferenceLists(AgencyListNameFor(path));
        loaded->m_bModified = !problems.empty();
        m_pEventsData = std::move(loaded);
        m_strPath = path;
    }
    return true;
}

bool COstrelDocument::Save(const std::string& path, bool takePath, COstrelError* error)
{
    errno = 0;
    auto fail = [&] {
        error->text = WithSaveFailureReason(std::string(kSaveFailed) + "\n\n" + path, path, errno);
        error->caption = kSaveFailedCaption;
        return false;
    };
    if (!CanWrite(path))
        return fail();
    QFFileStream stream;
    if (!stream.OpenSafeWrite(path, QFFileStream::kBinary))
        return fail();
    QFArchive archive;
    archive.BeginDocument(QFArchive::kStoring, &stream, QFArchive::kBinary);
    CZREventsData* data = m_pEventsData.get();
    QFSerializePointer(&archive, &data, "CZREventsData");
    const bool failed = archive.Failed();
    archive.EndDocument();
    if (failed) {
        stream.Abandon();
        return fail();
    }
    if (!stream.Close())
        return fail();
    m_pEventsData->m_bModified = false;
    if (takePath)
        m_strPath = path;
    return true;
}
