// The scenario's files: reading and checking a ".zri", writing it safely with its two lists, and the exports.
#include "core/events/ZREventsData.h"
#include "core/persist/QFArchive.h"
#include "core/persist/QFFileStream.h"
#include "core/world/Map2DLinked.h"
#include "core/world/ScenarioData.h"
#include "core/world/SpriteManager.h"
#include "core/world/WorldContext.h"
#include "editors/tacmap/model/EditorWorld.h"
#include "platform/system/Paths.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tacmap {

ScenarioObjects::ScenarioObjects() = default;
ScenarioObjects::~ScenarioObjects()
{
    // The grid goes before the map it refers to.
    grid.reset();
    if (GetCurrentMap() == map.get())
        SetCurrentMap(nullptr);
}
ScenarioObjects::ScenarioObjects(ScenarioObjects&&) noexcept = default;
ScenarioObjects& ScenarioObjects::operator=(ScenarioObjects&&) noexcept = default;

bool ReadScenarioObjects(const std::string& path, ScenarioObjects* out, std::string* reason)
{
    QFFileStream stream;
    if (!stream.Open(path, QFFileStream::kBinary, QFFileStream::kRead)) {
        *reason = "cannot open the file";
        return false;
    }
    QFArchive archive;
    archive.BeginDocument(QFArchive::kLoading, &stream, QFArchive::kBinary);
    CMap2DLinked* map = nullptr;
    CSpriteManager* sprites = nullptr;
    CPathData* grid = nullptr;
    CScenarioData* scenario = nullptr;
    QFSerializePointer(&archive, &map, "Map");
    out->map.reset(map);
    SetCurrentMap(map);
    if (!archive.Failed())
        QFSerializePointer(&archive, &sprites, "Sprites");
    out->sprites.reset(sprites);
    if (!archive.Failed())
        QFSerializePointer(&archive, &grid, "PathData");
    out->grid.reset(grid);
    if (!archive.Failed())
        QFSerializePointer(&archive, &scenario, "CScenarioData");
    out->scenario.reset(scenario);
    const bool failed = archive.Failed();
    *reason = archive.FailReason();
    archive.EndDocument();
    stream.Close();
    if (failed)
        return false;
    const int columns = map ? map->GetColumns() : 0;
    const int rows = map ? map->GetRows() : 0;
    if (columns <= 0 || rows <= 0)
        *reason = "no tile map";
    else if (!sprites)
        *reason = "no sprites";
    else if (!grid || grid->GetTileCount() != columns * rows)
        *reason = "the path grid does not cover the tile map";
    else if (scenario && scenario->m_pEvents && !scenario->m_pEvents->GetLoadProblems().empty())
        *reason = "damaged events";
    else
        reason->clear();
    if (!reason->empty())
        return false;
    if (!out->scenario) {
        out->scenario = std::make_unique<CScenarioData>();
        out->scenario->CreateEventsData();
    }
    out->grid->SetTileMap(map);
    out->sprites->LinkFeaturePairs();
    return true;
}

namespace {

std::string Stem(const std::string& name)
{
    return name.size() >= 4 ? name.substr(0, name.size() - 4) : name;
}

bool IsFile(const std::string& path)
{
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

// Refuses a target that cannot take the file before anything is written: a folder of that name, a missing or
// unwritable folder, a read-only file.
bool CanWrite(const std::string& path)
{
    std::error_code ec;
    const fs::path target(path);
    if (fs::is_directory(target, ec))
        return false;
    const fs::path parent = target.has_parent_path() ? target.parent_path() : fs::path(".");
    if (!fs::is_directory(parent, ec) || ::access(parent.c_str(), W_OK | X_OK) != 0)
        return false;
    return !fs::exists(target, ec) || ::access(target.c_str(), W_OK) == 0;
}

// Copies a file through a temporary beside the target; never over an existing target (that counts as done).
bool CopyList(const std::string& from, const std::string& to, std::vector<std::string>* made)
{
    if (IsFile(to))
        return true;
    std::ifstream in(from, std::ios::binary);
    if (!in)
        return false;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return false;
    QFFileStream out;
    if (!out.OpenSafeWrite(to, QFFileStream::kBinary))
        return false;
    if (!bytes.empty() && !out.Write(bytes.data(), static_cast<int>(bytes.size()))) {
        out.Abandon();
        return false;
    }
    if (!out.Close())
        return false;
    made->push_back(to);
    return true;
}

// Writes one document through a temporary: replaced only when every object was written and the file closed.
bool StoreDocument(const std::string& path, int format, const std::function<void(QFArchive&)>& body)
{
    if (!CanWrite(path))
        return false;
    QFFileStream stream;
    if (!stream.OpenSafeWrite(path, format == QFArchive::kBinary ? QFFileStream::kBinary : QFFileStream::kText))
        return false;
    QFArchive archive;
    archive.BeginDocument(QFArchive::kStoring, &stream, format);
    body(archive);
    const bool failed = archive.Failed();
    archive.EndDocument();
    if (failed) {
        stream.Abandon();
        return false;
    }
    return stream.Close();
}

} // namespace

std::string CEditorWorld::AgencyListFor(const std::string& name) const
{
    const std::string own = Stem(name) + ".csv";
    return !name.empty() && IsFile(FullPath(own)) ? own : "Agency.csv";
}

std::string CEditorWorld::ScoreListFor(const std::string& name) const
{
    const std::string own = Stem(name) + " Scores.csv";
    return !name.empty() && IsFile(FullPath(own)) ? own : "_Scores.csv";
}

bool CEditorWorld::SaveScenarioAs(const std::string& name, bool asXml, std::string* error)
{
    const std::string path = FullPath(name);
    *error = " Couldn't save " + path;
    if (!m_pMap || !m_pSprites || !m_pPathData || !m_pScenario || name.empty() || !CanWrite(path))
        return false;
    // The open scenario's own lists go with it: the common ones would key its agencies differently.
    std::vector<std::string> made;
    auto undo = [&]() {
        for (const std::string& file : made)
            std::remove(file.c_str());
    };
    if (!CopyList(FullPath(AgencyListFor(m_strScenarioFile)), FullPath(Stem(name) + ".csv"), &made)) {
        undo();
        return false;
    }
    const std::string scores = FullPath(ScoreListFor(m_strScenarioFile));
    if (IsFile(scores) && !CopyList(scores, FullPath(Stem(name) + " Scores.csv"), &made)) {
        undo();
        return false;
    }
    CMap2DLinked* map = m_pMap.get();
    CSpriteManager* sprites = m_pSprites.get();
    CPathData* grid = m_pPathData.get();
    CScenarioData* scenario = m_pScenario.get();
    const bool ok = StoreDocument(path, asXml ? QFArchive::kXML : QFArchive::kBinary, [&](QFArchive& a) {
        QFSerializePointer(&a, &map, "Map");
        QFSerializePointer(&a, &sprites, "Sprites");
        QFSerializePointer(&a, &grid, "PathData");
        QFSerializePointer(&a, &scenario, "ScenarioData");
    });
    if (!ok) {
        undo();
        return false;
    }
    error->clear();
    m_strScenarioFile = name;
    WorldContext().m_strScenarioName = name;
    return true;
}

bool CEditorWorld::ExportScenarioXml(const std::string& path, std::string* error) const
{
    *error = " Couldn't save " + path;
    CScenarioData* scenario = m_pScenario.get();
    if (!scenario || !StoreDocument(path, QFArchive::kXML,
                                    [&](QFArchive& a) { QFSerializePointer(&a, &scenario, "CScenarioData"); }))
        return false;
    error->clear();
    return true;
}

bool CEditorWorld::ExportEvents(const std::string& path, std::string* error) const
{
    *error = " Couldn't save " + path;
    CZREventsData* events = m_pScenario ? m_pScenario->m_pEvents : nullptr;
    if (!events || !StoreDocument(path, QFArchive::kBinary,
                                  [&](QFArchive& a) { QFSerializePointer(&a, &events, "CZREventsData"); }))
        return false;
    error->clear();
    return true;
}

} // namespace tacmap
