// The editor's area-map document: start-up reading, names, zoom, and reading and writing ".zra" files.
#include "editors/areamap/model/AreaMapDocument.h"

#include "editors/areamap/model/AreaMapNames.h"

#include "core/display/CDisplay.h"
#include "core/persist/QFArchive.h"
#include "core/persist/QFFileStream.h"
#include "core/util/FileNames.h"
#include "core/world/GameInfo.h"
#include "core/world/Map2DLinked.h"
#include "core/world/SpriteManager.h"
#include "core/world/StationData.h"
#include "core/world/WorldContext.h"
#include "platform/system/Paths.h"
#include "platform/system/SafeWrite.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <vector>

namespace vellisk {
namespace {

const RECT kViewRect{0, 0, 800, 448};

RECT ViewRect(CDisplay* display)
{
    return display ? display->GetBackBufferRect() : kViewRect;
}

// The bytes an archive stores, kept in memory.
class CByteStream : public QFFileStream {
public:
    explicit CByteStream(const std::string& path) { SetPath(path); }
    bool Write(const void* data, int length) override
    {
        if (length < 0)
            return false;
        m_bytes.append(static_cast<const char*>(data), static_cast<size_t>(length));
        return true;
    }
    void Flush() override {}
    bool IsOpen() override { return true; }
    const std::string& Bytes() const { return m_bytes; }

private:
    std::string m_bytes;
};

// The ".zra" bytes of the document: station service ids first numbered 1, 2, ... in draw-list order, as a load
// numbers them, so a file written, read and written again keeps its bytes (and the demo's keep theirs). The
// modified flag is left as it was.
bool StoreAreaMap(CAreaMapData& document, const std::string& path, std::string* bytes, std::string* error)
{
    if (document.m_pSpriteManager) {
        int id = 1;
        for (CSprite* s = document.m_pSpriteManager->GetHead(); s; s = s->m_pNext)
            if (s->Kind() == kStationSprite)
                s->m_Placement.ServiceId = id++;
    }
    const bool modified = document.m_bModified;
    CByteStream stream(path);
    QFArchive archive;
    archive.BeginDocument(QFArchive::kStoring, &stream, QFArchive::kBinary);
    ::CAreaMapData* object = &document;
    QFSerializePointer(&archive, &object, "CAreaMapData");
    const bool failed = archive.Failed();
    const std::string reason = archive.FailReason();
    archive.EndDocument();
    document.m_bModified = modified;
    if (failed) {
        if (error)
            *error = path + ": " + reason;
        return false;
    }
    *bytes = stream.Bytes();
    return true;
}

} // namespace

CAreaMapData::CAreaMapData() = default;

CAreaMapData::~CAreaMapData()
{
    delete m_pMap;
}

QFSerializeBase* CAreaMapData::CreateObject()
{
    return new (std::nothrow) CAreaMapData();
}

void CAreaMapData::SetDataFolder(const std::string& folder)
{
    CopyName(m_szBaseFolder, kPathSize, folder.c_str());
}

bool CAreaMapData::LoadGameInfo(bool createSprites, CDisplay* display, CUserMessage* failure)
{
    const std::string folder = DataFolder();
    const std::string path = platform::JoinPath(folder, "GameInfo.txt");
    auto fail = [&](const std::string& text, const char* caption) {
        platform::DebugOutput(text);
        if (failure)
            *failure = {text, caption, platform::MessageIcon::Warning};
        return false;
    };
    CGameInfo info;
    std::string why;
    if (!ReadGameInfo(path, info, &why))
        return fail(why == path ? path : path + ": " + why, "Failed to open the game info file.");
    if (!CheckGameInfoLines(info,
                            {CGameInfo::kTileArtSmall, CGameInfo::kTileArtLarge, CGameInfo::kTileTypeList,
                             CGameInfo::kUnitTaskList, CGameInfo::kTerrainFeatureList, CGameInfo::kStationList},
                            &why))
        return fail(path + ": " + why, "Failed to open the game info file.");
    const auto& names = info.aNames;

    UseWorldContext(folder, display);
    auto map = std::make_unique<CMap2DLinked>();
    map->SetModeRecord(&m_Settings);
    map->Initialize(kViewRect.right, kViewRect.bottom, names[0], names[1], names[2], display, folder);
    if (m_szMapBitmap[0]) {
        if (!map->LoadAreaMapBitmap(folder, m_szMapBitmap, false))
            return fail("Couldn't load the map bitmap " +
                            platform::JoinPath(platform::JoinPath(folder, "Maps"), m_szMapBitmap),
                        "Failed to open file");
        map->CreateGrid(100, 75);
    }
    delete m_pMap;
    m_pMap = map.release();
    if (createSprites) {
        delete m_pSpriteManager;
        m_pSpriteManager = new CSpriteManager();
        m_pSpriteManager->LoadLists(names[3], names[4], names[6], "ZR_Vehicle-Task_List.csv", "Agency.csv");
    }
    if (m_pSpriteManager)
        m_pSpriteManager->SetDisplay(display);
    SetZoom(0, display);
    m_bModified = false;
    return true;
}

void CAreaMapData::SetZoom(int index, CDisplay* display)
{
    m_Settings.m_nZoom = index;
    RECT view = ViewRect(display);
    if (m_pMap)
        m_pMap->SetZoom(&view);
    if (m_pSpriteManager) {
        m_pSpriteManager->SetZoom(index);
        UpdateSpriteRects(display);
    }
}

void CAreaMapData::UpdateSpriteRects(CDisplay* display)
{
    if (m_pSpriteManager)
        m_pSpriteManager->UpdateScreenRects(ViewRect(display));
}

void CAreaMapData::StartNewMap()
{
    const ::CAreaMapData fresh;
    std::copy(std::begin(fresh.m_naNextStationID), std::end(fresh.m_naNextStationID), std::begin(m_naNextStationID));
    m_nMapScale = fresh.m_nMapScale;
}

int CAreaMapData::NextStationID(int kind)
{
    if (kind < 0 || kind >= kStationIdCounters)
        return -1;
    return static_cast<int>(++m_naNextStationID[kind]);
}

bool CAreaMapData::SetBitmapName(const std::string& name)
{
    std::string bitmap;
    if (!MakeBitmapName(name, &bitmap))
        return false;
    CopyName(m_szMapBitmap, kPathSize, bitmap.c_str());
    return true;
}

bool CAreaMapData::HasMap() const
{
    return m_pMap && m_pMap->GetMapBitmap();
}

bool OversizeNote(const CAreaMapData& document, const std::string& picture, CUserMessage* note)
{
    const CMap2DLinked* map = document.m_pMap;
    if (!map || !map->GetMapBitmap())
        return false;
    const int width = map->GetMapBitmapWidth(), height = map->GetMapBitmapHeight();
    if (width <= kViewRect.right && height <= kViewRect.bottom)
        return false;
    char size[64];
    std::snprintf(size, sizeof(size), "%d x %d", width, height);
    *note = {"The map picture " + picture + " is " + size +
                 " pixels. The area map shows only its top-left 800 x 448 pixels; the rest is not seen in the "
                 "editor or in the game.",
             "Map Bitmap Too Large", platform::MessageIcon::Warning};
    return true;
}

void RegisterVelliskClasses()
{
    RegisterCoreClasses();
    QFClassFactory::Instance().Register("CAreaMapData", &CAreaMapData::CreateObject);
}

void UseWorldContext(const std::string& dataFolder, CDisplay* display)
{
    CWorldContext& context = WorldContext();
    context.m_strDataFolder = dataFolder;
    context.m_strBaseFolder = dataFolder;
    context.m_strScenarioName.clear(); // the common agency list
    context.m_pDisplay = display;
}

bool SaveAreaMap(CAreaMapData& document, const std::string& path, std::string* error)
{
    std::string bytes;
    if (!StoreAreaMap(document, path, &bytes, error))
        return false;
    if (!platform::WriteFileSafely(path, bytes, error))
        return false;
    document.m_bModified = false;
    return true;
}

bool StageAreaMap(CAreaMapData& document, const std::string& path, std::string* temporary, std::string* error)
{
    temporary->clear();
    std::string bytes;
    if (!StoreAreaMap(document, path, &bytes, error))
        return false;
    platform::CSafeFile file(path);
    if (file.Open() && file.Write(bytes.data(), bytes.size()))
        *temporary = file.Release();
    if (temporary->empty() && error)
        *error = file.Error();
    return !temporary->empty();
}

std::unique_ptr<CAreaMapData> LoadAreaMap(const std::string& path, const std::string& dataFolder, CDisplay* display,
                                          std::string* error)
{
    // The file named, then what is wrong with it in a designer's words.
    auto fail = [&](const std::string& why) -> std::unique_ptr<CAreaMapData> {
        if (error)
            *error = path + "\n\n" + why;
        return nullptr;
    };
    QFFileStream stream;
    if (!stream.Open(path, QFFileStream::kBinary, QFFileStream::kRead))
        return fail("The file cannot be read.");
    UseWorldContext(dataFolder, display);
    QFArchive archive;
    archive.BeginDocument(QFArchive::kLoading, &stream, QFArchive::kBinary);
    ::CAreaMapData* read = nullptr;
    QFSerializePointer(&archive, &read, "CAreaMapData");
    std::unique_ptr<::CAreaMapData> owned(read);
    const bool failed = archive.Failed();
    const std::string reason = archive.FailReason();
    archive.EndDocument();
    stream.Close();
    auto* document = dynamic_cast<CAreaMapData*>(owned.get());
    if (failed || !document || !document->m_pSpriteManager) {
        // The archive's own words ("unknown pointer record -102") are for the developer.
        platform::DebugOutput(path + ": " + (failed ? reason : "no area map or stations"));
        return fail("It is not an area map, or it is damaged.");
    }
    owned.release();
    std::unique_ptr<CAreaMapData> result(document);
    // The name is joined to the Maps folder: a folder, drive or ".." in it is refused, as the game refuses it.
    const std::string bitmap = result->m_szMapBitmap;
    if (!bitmap.empty() && !IsBareFileName(bitmap))
        return fail("Its map bitmap name \"" + bitmap + "\" is not a plain file name.");
    result->SetDataFolder(dataFolder);
    CUserMessage failure;
    if (!result->LoadGameInfo(false, display, &failure))
        return fail(failure.text);
    return result;
}

} // namespace vellisk
