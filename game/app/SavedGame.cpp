// Saving the running game into "Saves/<name>" and restoring it: header, state blocks in order, folder handling.
#include "game/app/SavedGame.h"

#include "core/world/AreaMapData.h"
#include "core/world/SpriteManager.h"
#include "game/app/FileTransfer.h"
#include "game/app/Game.h"
#include "game/app/ScenarioLoad.h"
#include "game/app/ScenarioLoadRuntime.h"
#include "game/screens/eoc/EOC.h"
#include "game/screens/iap/IAP_PhaseIF.h"
#include "game/screens/lobby/MPlayIF.h"
#include "game/sim/IncidentWorld.h"
#include "game/sim/SquadGame.h"
#include "game/sim/SquadManager.h"
#include "core/util/ByteStream.h"
#include "platform/system/MessageBox.h"
#include "platform/system/FileLayer.h"
#include "platform/system/Paths.h"
#include "platform/system/SafeWrite.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace {

bool HasNul(const std::string& text)
{
    return text.find('\0') != std::string::npos;
}

// Reads a fixed field into a terminated text; false when the field has no terminator.
bool ReadTerminated(CByteReader& in, size_t width, std::string& out)
{
    std::vector<char> buffer(width + 1, '\0');
    if (!in.ReadBytes(buffer.data(), width))
        return false;
    if (std::memchr(buffer.data(), '\0', width) == nullptr)
        return false;
    out = buffer.data();
    return true;
}

enum class ECopied { Done, Missing, Failed };

// Copies a file safely over any old target. A target that is its own source is left alone. Missing only when
// the source is not there at all; any other failure (a full disk, an unreadable source) gives its reason.
ECopied CopyFile(const fs::path& from, const fs::path& to, std::string& why)
{
    std::error_code ec;
    const fs::path source = platform::ResolvePathCase(from.string());
    const fs::file_status status = fs::status(source, ec);
    if (status.type() == fs::file_type::not_found) {
        why = "the file was not found";
        return ECopied::Missing;
    }
    if (status.type() != fs::file_type::regular) {
        why = ec ? ec.message() : "it is not a file";
        return ECopied::Failed;
    }
    if (fs::equivalent(source, to, ec))
        return ECopied::Done;
    std::string error;
    if (platform::CopyFileSafely(source.string(), to.string(), &error))
        return ECopied::Done;
    platform::DebugOutput(error);
    why = platform::ReasonOf(error);
    return ECopied::Failed;
}

bool CopyOne(const fs::path& from, const fs::path& to)
{
    std::string why;
    return CopyFile(from, to, why) == ECopied::Done;
}

bool ReadWholeFileBounded(const fs::path& path, std::vector<uint8_t>& bytes)
{
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    if (ec || size > kSaveDataMaxBytes)
        return false;
    FILE* file = std::fopen(path.string().c_str(), "rb");
    if (!file)
        return false;
    bytes.resize(static_cast<size_t>(size));
    const bool ok = bytes.empty() || std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    std::fclose(file);
    return ok;
}

// The station resources go through a FILE: a scratch file stands between them and the byte buffer.
bool SaveStations(const CSpriteManager* stations, CByteWriter& out)
{
    if (!stations)
        return true;
    FILE* scratch = std::tmpfile();
    if (!scratch)
        return false;
    bool ok = stations->SaveStationResources(scratch);
    const long size = std::ftell(scratch);
    std::rewind(scratch);
    std::vector<uint8_t> bytes(size > 0 ? static_cast<size_t>(size) : 0);
    ok = ok && size >= 0 && (bytes.empty() || std::fread(bytes.data(), 1, bytes.size(), scratch) == bytes.size());
    std::fclose(scratch);
    if (ok)
        out.WriteBytes(bytes.data(), bytes.size());
    return ok;
}

bool LoadStations(CSpriteManager* stations, CByteReader& in)
{
    if (!stations)
        return true;
    FILE* scratch = std::tmpfile();
    if (!scratch)
        return false;
    const size_t rest = in.Remaining();
    bool ok = rest == 0 || std::fwrite(in.Current(), 1, rest, scratch) == rest;
    std::rewind(scratch);
    ok = ok && stations->LoadStationResources(scratch);
    const long used = std::ftell(scratch);
    std::fclose(scratch);
    return ok && used >= 0 && in.Skip(static_cast<size_t>(used));
}

// After the eight blocks: the incident world's pass timers, which the blocks leave out, so a restored game
// goes on exactly as the saved one would have. Readers of the blocks alone ignore it.
constexpr uint32_t kRunTrailerTag = 0x3152555A; // "ZUR1"
constexpr size_t kRunTrailerSize = 24;
// After the run trailer: the squads' movement that their records leave out.
constexpr uint32_t kSquadMovementTag = 0x314D535A; // "ZSM1"

} // namespace

void SaveRunTrailer(const CIncidentWorld* world, CByteWriter& out)
{
    if (!world)
        return;
    out.WriteU32(kRunTrailerTag);
    out.WriteI32(world->m_nFireCountdown);
    out.WriteI32(world->m_nChemicalCountdown);
    out.WriteI32(world->m_nObjectCountdown);
    out.WriteI32(world->m_nMarkerCountdown);
    out.WriteI32(world->m_pFireCursor ? world->Fires().IndexOf(world->m_pFireCursor) : -1);
}

void SaveSquadMovement(const CSquadGame* squads, CByteWriter& out)
{
    if (!squads)
        return;
    out.WriteU32(kSquadMovementTag);
    squads->SaveMovement(out);
}

bool ReadSquadMovement(CByteReader& in, CSquadGame* squads)
{
    // None at all: a save of a version that did not write it; its moving squads ask for their paths again.
    if (in.Remaining() == 0)
        return true;
    uint32_t tag = 0;
    in.ReadU32(tag);
    return in.Ok() && tag == kSquadMovementTag && squads && squads->LoadMovement(in);
}

bool ReadSaveTail(CByteReader& in, CIncidentWorld* world, CSquadGame* squads, CPlayInstant& instant)
{
    auto next = [&in] {
        uint32_t tag = 0;
        CByteReader(in.Current(), in.Remaining()).ReadU32(tag);
        return tag;
    };
    // Each part in its order, each missing in older saves from where it is missing on. The run trailer comes first
    // when there is one (a game always has an incident world to write it): anything but a later part is read as
    // one, so a damaged first part is refused.
    instant = CPlayInstant();
    const uint32_t first = next();
    if (in.Remaining() > 0 && first != kSquadMovementTag && first != kTileMarksTag && !IsPlayInstantTag(first)) {
        const size_t size = std::min(in.Remaining(), kRunTrailerSize);
        CByteReader trailer(in.Current(), size);
        if (!ReadRunTrailer(trailer, world))
            return false;
        in.Skip(size);
    }
    if (next() == kSquadMovementTag && !ReadSquadMovement(in, squads))
        return false;
    if (next() == kTileMarksTag && !(world && world->LoadTileMarks(in)))
        return false;
    if (IsPlayInstantTag(next()) && !ReadPlayInstant(in, instant))
        return false;
    return in.Remaining() == 0;
}

bool WriteSaveHeader(CByteWriter& out, const CSaveHeader& header)
{
    if (header.strVersion.size() >= kSaveVersionSize || header.strScenario.size() >= kSaveScenarioSize ||
        HasNul(header.strVersion) || HasNul(header.strScenario))
        return false;
    // The old writer padded the version with whatever followed it in memory: zeros here.
    out.WriteFixedString(header.strVersion, kSaveVersionSize);
    out.WriteFixedString(header.strScenario, kSaveScenarioSize);
    out.WriteI32(header.nIAPMark);
    return true;
}

bool ReadSaveHeader(CByteReader& in, CSaveHeader& header, std::string* error)
{
    auto fail = [&](const char* why) {
        if (error)
            *error = why;
        return false;
    };
    if (!ReadTerminated(in, kSaveVersionSize, header.strVersion))
        return fail("the version field is damaged");
    if (!ReadTerminated(in, kSaveScenarioSize, header.strScenario))
        return fail("the scenario name is damaged");
    if (!in.ReadI32(header.nIAPMark))
        return fail("the file is too short");
    const std::string& name = header.strScenario;
    CScenarioNames names;
    if (name.find('/') != std::string::npos || name.find('\\') != std::string::npos ||
        name.find("..") != std::string::npos || name.find(':') != std::string::npos ||
        !DeriveScenarioNames(name, names))
        return fail("the scenario name is not a scenario file");
    return true;
}

bool IsSaveNewer(const std::string& running, const std::string& saved)
{
    return std::strcmp(running.c_str(), saved.c_str()) < 0;
}

bool IsValidSaveName(const std::string& name)
{
    if (name.empty() || name.size() > 63 || name == "." || name == "..")
        return false;
    for (char c : name)
        if (c == '/' || c == '\\' || c == ':' || c == '\0' || static_cast<unsigned char>(c) < 32)
            return false;
    return true;
}

bool ReadRunTrailer(CByteReader& in, CIncidentWorld* world)
{
    // None at all: a save of a version that did not write it.
    if (in.Remaining() == 0)
        return true;
    uint32_t tag = 0;
    int32_t v[5] = {};
    in.ReadU32(tag);
    for (int32_t& value : v)
        in.ReadI32(value);
    if (!in.Ok() || in.Remaining() != 0 || tag != kRunTrailerTag || !world)
        return false;
    // The pass timers count down from their reloads (fire 10, chemicals 10, objects 30, markers at most
    // 32767); the fire timer goes on below 0 while a long fire list is walked. The cursor is one of the fires.
    constexpr int32_t kFireCountdownFloor = -100000000;
    const bool inRange = v[0] >= kFireCountdownFloor && v[0] <= 10 && v[1] >= 0 && v[1] <= 10 && v[2] >= 0 &&
                         v[2] <= 30 && v[3] >= 0 && v[3] <= 32767 && v[4] >= -1;
    CIncidentNode* cursor = inRange && v[4] >= 0 ? world->Fires().At(v[4]) : nullptr;
    if (!inRange || (v[4] >= 0 && !cursor))
        return false;
    world->m_nFireCountdown = v[0];
    world->m_nChemicalCountdown = v[1];
    world->m_nObjectCountdown = v[2];
    world->m_nMarkerCountdown = v[3];
    world->m_pFireCursor = cursor;
    return true;
}

bool DeleteFolderTree(const std::string& folder)
{
    std::error_code ec;
    const fs::path root(folder);
    // The folder itself must be a real folder: a link named like one is not followed.
    if (fs::is_symlink(root, ec) || !fs::is_directory(fs::symlink_status(root, ec)))
        return false;
    for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path entry = it->path();
        const fs::file_status status = fs::symlink_status(entry, ec);
        if (ec)
            return false;
        if (fs::is_directory(status)) {
            if (!DeleteFolderTree(entry.string()))
                return false;
        } else {
            fs::permissions(entry, fs::perms::owner_write, fs::perm_options::add | fs::perm_options::nofollow, ec);
            ec.clear();
            if (!platform::FileLayer().Remove(entry.string()))
                return false;
        }
    }
    if (ec)
        return false;
    return platform::FileLayer().Remove(root.string());
}

namespace {

enum class EPlaced { Done, NotMoved, NotSynced };

// Puts the finished folder `scratch` in place as `target` and forces the change onto the disk before the old
// save goes: at every moment a whole save of that name exists, on the disk as in the folder list. `why` tells
// what failed.
EPlaced PutSaveInPlace(const fs::path& saves, const fs::path& scratch, const fs::path& target, const fs::path& old,
                       std::string& why)
{
    platform::IFileLayer& layer = platform::FileLayer();
    auto failed = [&](EPlaced placed) {
        why = std::strerror(errno);
        return placed;
    };
    std::error_code probe;
    if (!fs::exists(fs::symlink_status(target, probe))) {
        if (!layer.Rename(scratch.string(), target.string()))
            return failed(EPlaced::NotMoved);
        return platform::SyncFolder(saves.string()) ? EPlaced::Done : failed(EPlaced::NotSynced);
    }
    fs::path previous = scratch; // where the old save is once the new one is in place
    if (!layer.Exchange(scratch.string(), target.string())) {
        // A file system without an exchange: two renames, the old save kept aside under a name the lobby skips.
        if (fs::exists(fs::symlink_status(old, probe)))
            DeleteFolderTree(old.string());
        if (!layer.Rename(target.string(), old.string()))
            return failed(EPlaced::NotMoved);
        if (!layer.Rename(scratch.string(), target.string())) {
            const int error = errno;
            layer.Rename(old.string(), target.string());
            errno = error;
            return failed(EPlaced::NotMoved);
        }
        previous = old;
    }
    // Not on the disk yet: the old save stays beside it (the next listing of the saves removes it).
    if (!platform::SyncFolder(saves.string()))
        return failed(EPlaced::NotSynced);
    DeleteFolderTree(previous.string());
    return EPlaced::Done;
}

// The folders a save of `name` by this process writes beside the save: the new one being filled, and the old
// one kept aside while the new one takes its name.
std::string WorkFolderName(const std::string& name, const char* kind)
{
    return name + ".~" + std::to_string(platform::ProcessId()) + "." + kind;
}

// A work folder's save name and writer: "<name>.~<pid>.saving" or ".old"; the writer is 0 in "<name>.saving"
// and "<name>.old" of earlier versions. False for any other name.
bool ParseWorkFolderName(const std::string& folder, std::string& name, bool& old, long& writer)
{
    std::string rest;
    for (const char* kind : {".saving", ".old"}) {
        const size_t size = std::strlen(kind);
        if (folder.size() > size && folder.compare(folder.size() - size, size, kind) == 0) {
            rest = folder.substr(0, folder.size() - size);
            old = kind[1] == 'o';
        }
    }
    writer = 0;
    const size_t mark = rest.rfind(".~");
    if (mark != std::string::npos) {
        const std::string digits = rest.substr(mark + 2);
        if (digits.empty() || digits.size() > 10 || digits.find_first_not_of("0123456789") != std::string::npos)
            return false;
        writer = std::stol(digits);
        rest.erase(mark);
    }
    name = rest;
    return IsValidSaveName(name);
}

} // namespace

int RemoveStaleSaveFolders(const std::string& saves)
{
    int removed = 0;
    std::error_code ec;
    for (const std::string& folder : platform::FileLayer().ListFolder(saves)) {
        std::string name;
        bool old = false;
        long writer = 0;
        const fs::path path = fs::path(saves) / folder;
        // A save of this process is never under way while the game lists its saves.
        if (!ParseWorkFolderName(folder, name, old, writer) || fs::is_symlink(path, ec) ||
            !fs::is_directory(path, ec) ||
            (writer != 0 && writer != platform::ProcessId() && platform::IsProcessRunning(writer)))
            continue;
        // An old save whose writer died between its two renames is the only whole save of its name: it comes back.
        const fs::path target = fs::path(saves) / name;
        if (old && !fs::exists(fs::symlink_status(target, ec)) &&
            platform::FileLayer().Rename(path.string(), target.string())) {
            platform::SyncFolder(saves);
            continue;
        }
        if (DeleteFolderTree(path.string()))
            ++removed;
    }
    return removed;
}

bool CGame::SaveGame(const std::string& name)
{
    // This machine's own line, with the reason.
    auto fail = [&](const std::string& why) {
        AddMessage(why.empty() ? "The game could not be saved." : "The game could not be saved: " + why + ".", -1,
                   kMsgChat, 0, kSenderNotice);
        platform::DebugOutput("SaveGame failed: " + name + (why.empty() ? "" : ": " + why));
        return false;
    };
    if (!IsValidSaveName(name) || !m_pRuntime || !m_pSquadGame || !m_pSquadGame->Scenario())
        return fail("");
    const CScenarioNames& names = m_pRuntime->m_names;
    const fs::path base(m_strBasePath);
    const fs::path saves = base / "Saves";
    const fs::path target = saves / name;
    const fs::path scratch = saves / WorkFolderName(name, "saving");
    const fs::path old = saves / WorkFolderName(name, "old");
    std::error_code ec;
    fs::create_directories(saves, ec);
    if (fs::exists(fs::symlink_status(scratch, ec)))
        DeleteFolderTree(scratch.string());
    if (!fs::create_directory(scratch, ec))
        return fail("the save folder cannot be made: " + ec.message());
    auto abandon = [&](const std::string& why) {
        DeleteFolderTree(scratch.string());
        return fail(why);
    };
    // Only a file that is not there may be left out; a copy that fails (a full disk) abandons the save.
    std::vector<std::string> lacking;
    std::string why;
    auto copy = [&](const fs::path& from, const std::string& file, bool needed) {
        const ECopied copied = CopyFile(from, scratch / file, why);
        if (copied == ECopied::Done)
            return true;
        if (copied == ECopied::Missing && !needed) {
            lacking.push_back(file);
            return true;
        }
        why = "\"" + file + "\" cannot be copied: " + why;
        return false;
    };

    // The scenario's files: without the scenario and its area map a save cannot be loaded; the agency list and
    // the map bitmap have stand-ins (the common agency list, a map without its picture) and are only told of.
    const fs::path scenarioFolder = (base / names.strScenario).parent_path();
    const std::string areaMap = fs::path(names.strAreaMap).filename().string();
    const std::string agencies = fs::path(names.strAgencyCsv).filename().string();
    if (!copy(base / names.strScenario, names.strFileName, true) || !copy(base / names.strAreaMap, areaMap, true) ||
        !copy(base / names.strAgencyCsv, agencies, false))
        return abandon(why);
    // Only a plain file name is copied: a folder or ".." in it would name a target outside the save folder.
    if (m_pAreaMap && m_pAreaMap->m_szMapBitmap[0] && IsBareFileName(m_pAreaMap->m_szMapBitmap)) {
        const std::string bitmap = m_pAreaMap->m_szMapBitmap;
        // From "Maps", else from beside the scenario.
        fs::path from = base / "Maps" / bitmap;
        if (!fs::exists(platform::ResolvePathCase(from.string()), ec))
            from = scenarioFolder / bitmap;
        if (!copy(from, bitmap, false))
            return abandon(why);
    }
    // The log, flushed first.
    const fs::path log = base / "ZR-Log.txt";
    m_log.CloseFile();
    const bool logCopied = copy(log, "ZR-Log.txt", true);
    m_log.OpenAppend(log.string());
    if (!logCopied)
        return abandon(why);

    // The state file.
    CByteWriter out;
    std::string error;
    if (!WriteSaveState(out))
        return abandon("its state cannot be written");
    if (!platform::WriteFileSafely((scratch / "SaveData.zrd").string(), out.Data().data(), out.Data().size(), &error))
        return abandon("\"SaveData.zrd\" cannot be written: " + platform::ReasonOf(error));

    // Only a whole save replaces the old one of that name.
    const EPlaced placed = PutSaveInPlace(saves, scratch, target, old, why);
    if (placed == EPlaced::NotMoved)
        return abandon("the save folder cannot be put in place: " + why);
    if (placed == EPlaced::NotSynced)
        return fail("the save folder cannot be synced to the disk: " + why);
    for (const std::string& file : lacking)
        AddMessage("The saved game \"" + name + "\" has no copy of \"" + file + "\": the file was not found.", -1,
                   kMsgChat, 0, kSenderNotice);
    return true;
}

bool CGame::WriteSaveState(CByteWriter& out)
{
    if (!m_pRuntime || !m_pSquadGame || !m_pSquadGame->Scenario())
        return false;
    CSaveHeader header;
    header.strVersion = m_strProductVersion;
    header.strScenario = m_pRuntime->m_names.strFileName;
    header.nIAPMark = m_nIAPMark;
    if (!WriteSaveHeader(out, header))
        return false;
    m_pSquadGame->Scenario()->Save(out);
    if (m_pSquadGame->Area())
        m_pSquadGame->Area()->Save(out);
    if (m_pIncidentWorld)
        m_pIncidentWorld->SaveTo(out);
    const bool ok = SaveStations(m_pAreaSprites, out);
    m_pRuntime->SaveScoring(out);
    m_pRuntime->SaveEngine(out);
    m_pEOCUnitData->Save(out);
    IAP_PhaseIF::WriteState(out, m_pIAP ? m_pIAP->m_nPenaltyTotal : 0);
    SaveRunTrailer(m_pIncidentWorld.get(), out);
    SaveSquadMovement(m_pSquadGame.get(), out);
    if (m_pIncidentWorld)
        m_pIncidentWorld->SaveTileMarks(out);
    WritePlayInstant(out, CapturePlayInstant());
    return ok;
}

bool CGame::LoadSavedGame(const std::string& name)
{
    auto refuse = [&](const std::string& why) {
        const std::string text = "The saved game \"" + name + "\" cannot be loaded: " + why;
        platform::DebugOutput(text);
        platform::ShowMessageBox(text, "Saved game", platform::MessageIcon::Error);
        if (m_pLobby)
            m_pLobby->SetStatus(text);
        return false;
    };
    if (!IsValidSaveName(name))
        return refuse("not a save name");
    // A client reads the host's copies, received into "GameFromHost".
    const bool client = m_pSession && (m_uMode & kModeNetworked) && !m_bAuthority;
    const fs::path folder =
        client ? fs::path(m_strBasePath) / "GameFromHost" : fs::path(m_strBasePath) / "Saves" / name;
    std::vector<uint8_t> bytes;
    if (!ReadWholeFileBounded(folder / "SaveData.zrd", bytes))
        return refuse("SaveData.zrd is missing or unreadable");
    CByteReader in(bytes.data(), bytes.size());
    CSaveHeader header;
    std::string why;
    if (!ReadSaveHeader(in, header, &why))
        return refuse(why);
    if (IsSaveNewer(m_strProductVersion, header.strVersion))
        return refuse("it was written by a newer version (" + header.strVersion + ")");

    m_strScenarioName = (client ? "GameFromHost/" : "Saves/" + name + "/") + header.strScenario;
    m_uMode |= kModeFromSave;
    if (!LoadScenario()) {
        m_uMode &= ~kModeFromSave;
        return false;
    }
    if (!RestoreSaveState(in, header)) {
        // Nothing half-restored stays: the scenario goes, the lobby comes back.
        ReleaseScenario();
        m_uMode &= ~kModeFromSave;
        return refuse("its state is damaged");
    }

    // The log comes back with the game.
    const fs::path log = fs::path(m_strBasePath) / "ZR-Log.txt";
    m_log.CloseFile();
    if (CopyOne(folder / "ZR-Log.txt", log))
        LoadAAREvents(log.string());
    else
        m_log.OpenAppend(log.string());
    return true;
}

bool CGame::RestoreSaveState(CByteReader& in, const CSaveHeader& header)
{
    CSquadManager* scenario = m_pSquadGame->Scenario();
    CSquadManager* area = m_pSquadGame->Area();
    bool ok = scenario && area && scenario->Load(in) && area->Load(in);
    if (ok) {
        scenario->ResolveLoadedLinks();
        area->ResolveLoadedLinks();
    }
    ok = ok && m_pIncidentWorld && m_pIncidentWorld->LoadFrom(in);
    ok = ok && LoadStations(m_pAreaSprites, in);
    ok = ok && m_pRuntime->LoadScoring(in);
    ok = ok && m_pRuntime->LoadEngine(in);
    ok = ok && m_pEOCUnitData->Load(in);
    int32_t iap = 0;
    ok = ok && IAP_PhaseIF::ReadState(in, iap);
    CPlayInstant instant;
    ok = ok && ReadSaveTail(in, m_pIncidentWorld.get(), m_pSquadGame.get(), instant);
    if (!ok)
        return false;
    m_nIAPMark = header.nIAPMark;
    m_nIAPPenaltySaved = iap;
    m_uMode = (m_uMode & ~kSavedModeBits) | instant.uModeBits;
    m_resumeInstant = instant;
    // The one start-of-play pass after a load: paths asked again, area route speeds, the first sync step (44).
    m_pSquadGame->ResumeAfterLoad();
    m_pRuntime->RestoreAfterLoad();
    // Last, so that the draws of the load itself do not count: the restored game draws what the saved one would.
    if (instant.random)
        SetSimRandomState(*instant.random);
    return true;
}
