// Starting a network game: hosting or joining with the version check, the host's files for its clients, and a
// client's requests for the scenario's names and files.
#include "game/app/Game.h"

#include "game/app/FileTransfer.h"
#include "game/app/SavedGame.h"
#include "game/screens/briefing/BriefingIF.h"
#include "game/screens/lobby/MPlayIF.h"
#include "game/screens/role/RoleIF.h"
#include "core/util/ByteStream.h"
#include "core/util/Compression.h"
#include "net/session/NetGameSession.h"
#include "platform/net/Tcp.h"
#include "platform/system/Clock.h"
#include "platform/system/MessageBox.h"
#include "platform/system/Paths.h"

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Host and clients present the same password while accounts are not required.
const char* const kDefaultPassword = "zrplayer";
// A client gives up on the host's names or a file after this long without a block.
constexpr uint32_t kFileWaitMs = 30000;
constexpr int kWaitSliceMs = 50;

int32_t I32(const uint8_t* p)
{
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}

bool EndsWithZri(const std::string& name)
{
    if (name.size() <= 4)
        return false;
    std::string tail = name.substr(name.size() - 4);
    for (char& c : tail)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail == ".zri";
}

} // namespace

std::string CGame::OwnAddressText() const
{
    uint32_t address = 0;
    if (!m_config.strBindAddress.empty() && platform::net::ParseAddress(m_config.strBindAddress, &address))
        return m_config.strBindAddress;
    return platform::net::FormatAddress(platform::net::OwnAddress());
}

void CGame::HookSession()
{
    if (!m_pSession)
        return;
    CSessionHooks hooks;
    hooks.fnAddMessage = [this](const std::string& text, int32_t roleMask, int32_t kind, uint32_t colour,
                                int32_t sender) { AddMessage(text, roleMask, kind, colour, sender); };
    hooks.fnTimerBase = [this] { return m_timer.GetBase(); };
    hooks.fnSetTimerBase = [this](int32_t base) { m_timer.SetBase(base); };
    hooks.fnWhileWaiting = m_fnWhileWaiting;
    m_pSession->SetHooks(std::move(hooks));
}

int CGame::StartSession(std::string& hostVersion)
{
    m_pSession.reset();
    CNetConfig config;
    config.nTcpPort = m_config.nTcpPort;
    config.nUdpPort = m_config.nUdpPort;
    platform::net::ParseAddress(OwnAddressText(), &config.uBindAddress);
    const std::string typed = m_pLobby ? m_pLobby->m_strPlayerName : m_strPlayerName;
    const bool host = (m_uMode & kModeHosting) != 0;
    if (host) {
        CHostSettings settings;
        settings.SetDefaults(config);
        settings.strPlayerName = typed;
        if (!settings.StartHost(m_pSession, config, 0) || !m_pSession)
            return 2;
    } else {
        const std::string name = typed.empty() ? "New Player" : typed;
        m_pSession = std::make_unique<CNetGameSession>(kSessionMaxPlayers, config);
        NetSessionInfo info;
        info.strName = "ZR Host";
        info.nValue = 1;
        info.nMaxPlayers = kSessionMaxPlayers;
        bool joined = m_pSession->SetHostAddress(m_strHostAddress);
        if (joined) {
            const auto a = m_pSession->GetHostAddress();
            info.uAddress = static_cast<uint32_t>(a[0]) << 24 | static_cast<uint32_t>(a[1]) << 16 |
                            static_cast<uint32_t>(a[2]) << 8 | a[3];
            joined = m_pSession->JoinSession(info, name) && m_pSession->SendJoinRequest(name, kDefaultPassword);
        }
        if (!joined) {
            m_pSession.reset();
            return 2;
        }
    }
    HookSession();
    m_bAuthority = host;
    const int check = m_pSession->CheckVersion(m_strProductVersion, hostVersion, m_strBasePath);
    if (check != CNetGameSession::kVersionSame) {
        m_pSession.reset();
        m_bAuthority = true;
        if (check == CNetGameSession::kVersionRefused) {
            m_uMode |= kModeJoinRefused;
            return 1;
        }
        return check == CNetGameSession::kVersionDiffers ? 0 : 2;
    }
    m_pSession->MarkStarted();
    return 3;
}

bool CGame::StartNetworkGame()
{
    const bool host = (m_uMode & kModeHosting) != 0;
    m_strHostAddress = host ? std::string() : (m_pLobby ? m_pLobby->m_strHostAddress : m_strHostAddress);
    SaveSettings();
    std::string hostVersion;
    const int result = StartSession(hostVersion);
    auto backToLobby = [this] {
        m_pSession.reset();
        m_bAuthority = true;
        m_uMode &= ~(kModeNetworked | kModeHosting | kModeFromSave | kModeBriefing);
        m_uMode |= kModeLobby;
        SetPaused(false);
        return false;
    };
    if (result != 3) {
        if (m_pLobby) {
            if (result == 1)
                m_pLobby->ShowScenarioStarted();
            else if (result == 0)
                m_pLobby->ShowVersionMismatch(m_strProductVersion, hostVersion);
            else
                m_pLobby->ShowJoinFailed();
        }
        return backToLobby();
    }
    // The lobby's pause before the start reached no one else: every machine starts the network game running.
    m_uMode &= ~kModePaused;
    // The session's own record first; then a host holds every role until others take theirs.
    PollNetwork();
    if (m_bAuthority && m_pRole)
        m_pRole->GrantAllRoles(m_pSession->GetLocalPlayerId());
    m_uMode = (m_uMode & ~kModeLobby) | kModeBriefing;
    const std::string chosen = m_pLobby ? m_pLobby->m_strChosenName : std::string();
    bool loaded = false;
    if (host) {
        if (m_uMode & kModeFromSave) {
            m_strSavedGameName = chosen;
            loaded = LoadSavedGame(chosen) &&
                     KeepFileForClients(kFileLog, platform::JoinPath(m_strBasePath, "ZR-Log.txt")) &&
                     KeepFileForClients(kFileSaveData,
                                        (fs::path(m_strBasePath) / "Saves" / chosen / "SaveData.zrd").string());
        } else {
            if (!chosen.empty())
                m_strScenarioName = chosen;
            loaded = LoadScenario();
        }
    } else if (RequestFilesFromHost()) {
        if (m_uMode & kModeFromSave) {
            const fs::path folder = fs::path(m_strBasePath) / "GameFromHost";
            std::error_code ec;
            fs::create_directories(folder, ec);
            loaded = !ec && ReceiveFileFromHost(18, 17, (folder / "SaveData.zrd").string()) &&
                     ReceiveFileFromHost(16, 15, (folder / "ZR-Log.txt").string()) && LoadSavedGame(m_strSavedGameName);
        } else {
            loaded = LoadScenario();
        }
    }
    if (!loaded) {
        if (m_pLobby) {
            if (host)
                m_pLobby->SetStatus("The game could not be loaded.");
            else
                m_pLobby->ShowJoinFailed();
        }
        ReleaseScenario();
        return backToLobby();
    }
    if (m_pRole)
        m_pRole->RefreshPlayers();
    return true;
}

bool CGame::KeepFileForClients(int slot, const std::string& path)
{
    const CFileKind* kind = FileKindOfSlot(slot);
    if (!kind)
        return false;
    m_aSendFiles[static_cast<size_t>(slot)].clear();
    int length = 0;
    unsigned char* whole = nullptr;
    if (!ReadWholeFile(platform::ResolvePathCase(path), &length, &whole)) {
        const std::string text = "Failed to open file: " + path + " (it cannot be sent to the other players)";
        platform::DebugOutput(text);
        platform::ShowMessageBox(text, "Failed to host the game", platform::MessageIcon::Error);
        return false;
    }
    int packed = 0;
    unsigned char* block = nullptr;
    const bool deflated = DeflateBuffer(length, whole, &packed, &block);
    std::free(whole);
    // The old host copied past its send buffer; the clients take no more than the limit either way.
    if (!deflated || static_cast<size_t>(length) > kind->nLimit || static_cast<size_t>(packed) > kind->nLimit) {
        std::free(block);
        const std::string text = std::string("The ") + kind->szWhat + " " + path +
                                 " is too large to send to the other players (" + std::to_string(length) +
                                 " bytes; at most " + std::to_string(kind->nLimit) + ").";
        platform::DebugOutput(text);
        platform::ShowMessageBox(text, "Failed to host the game", platform::MessageIcon::Error);
        return false;
    }
    m_aSendFiles[static_cast<size_t>(slot)].assign(block, block + packed);
    std::free(block);
    return true;
}

void CGame::AnswerRequest(int kind, int32_t sender)
{
    if (!m_pSession || !m_pSession->IsHost())
        return;
    if (kind == 8) {
        const std::string normal = platform::NormalizeSeparators(m_strScenarioName);
        const size_t slash = normal.rfind('/');
        const std::string file = slash == std::string::npos ? normal : normal.substr(slash + 1);
        const bool saved = (m_uMode & kModeFromSave) != 0;
        m_pSession->SendScenarioNames(sender, file, !saved, saved ? m_strSavedGameName : std::string());
    } else if (kind == 24) {
        m_pSession->SendJoinReply(sender, (m_uMode & kModeRunning) != 0, m_strProductVersion);
    } else if (const int slot = FileSlotOfRequest(kind); slot >= 0) {
        const std::vector<uint8_t>& file = m_aSendFiles[static_cast<size_t>(slot)];
        m_pSession->SendFileBlocks(sender, static_cast<int16_t>(kind - 1), file.data(), file.size());
    }
}

void CGame::OnPlayerLeft(int32_t id)
{
    // The session has freed the record; a half message of the leaver goes too.
    m_reassembler.ResetSender(id);
    if (CSessionPlayer* p = m_pSession ? m_pSession->FindPlayer(id) : nullptr)
        p->Reset();
}

bool CGame::WaitPacket(std::vector<uint8_t>& packet, int waitMs)
{
    if (m_fnWhileWaiting)
        m_fnWhileWaiting();
    while (m_pSession && m_pSession->WaitMessage(packet, waitMs)) {
        if (packet[2] == kPacketPlayerLeft) {
            OnPlayerLeft(I32(packet.data() + 8));
            continue;
        }
        return true;
    }
    return false;
}

bool CGame::RequestFilesFromHost()
{
    if (!m_pSession)
        return false;
    m_pSession->SendRequest(kPacketNamesRequest);
    const uint32_t start = platform::GetTickCount();
    std::vector<uint8_t> packet;
    while (platform::GetTickCount() - start <= kFileWaitMs) {
        if (!WaitPacket(packet, kWaitSliceMs)) {
            if (!m_pSession->IsClientConnectionUp())
                break;
            continue;
        }
        if (packet[2] != kPacketNames)
            continue;
        const bool noSavedGame = I32(packet.data() + 8) != 0;
        const std::string saved = FieldString(packet.data() + 16, 64);
        const std::string scenario = FieldString(packet.data() + 84, 64);
        // Names are used as paths here: bare names only.
        if (!IsBareFileName(scenario) || !EndsWithZri(scenario) || (!noSavedGame && !IsValidSaveName(saved))) {
            platform::DebugOutput("The host named its files \"" + scenario + "\" and \"" + saved + "\": refused");
            return false;
        }
        m_strScenarioName = scenario;
        if (noSavedGame) {
            m_uMode &= ~kModeFromSave;
        } else {
            m_uMode |= kModeFromSave;
            m_strSavedGameName = saved;
        }
        return true;
    }
    platform::DebugOutput("No scenario names came from the host");
    return false;
}

bool CGame::ReceiveFileFromHost(int16_t request, int16_t reply, const std::string& target)
{
    const int slot = FileSlotOfReply(reply);
    if (!m_pSession || slot < 0 || FileSlotOfRequest(request) != slot)
        return false;
    CFileReceipt receipt(slot, target);
    m_pSession->SendRequest(request);
    uint32_t last = platform::GetTickCount();
    std::vector<uint8_t> packet;
    while (platform::GetTickCount() - last <= kFileWaitMs) {
        if (!WaitPacket(packet, kWaitSliceMs)) {
            if (!m_pSession->IsClientConnectionUp()) {
                platform::DebugOutput("Receiving " + target + " failed: the host is gone");
                return false;
            }
            continue;
        }
        if (packet[2] != reply)
            continue;
        last = platform::GetTickCount();
        const int32_t counter = I32(packet.data() + 8);
        const int32_t used = I32(packet.data() + 12);
        switch (receipt.Add(counter, packet.data() + 16, static_cast<size_t>(used))) {
        case CFileReceipt::EResult::Written:
            return true;
        case CFileReceipt::EResult::Failed:
            platform::DebugOutput("Receiving " + target + " failed: " + receipt.Why());
            return false;
        default:
            break;
        }
    }
    platform::DebugOutput("Receiving " + target + " failed: no block from the host for 30 seconds");
    return false;
}
