// zr-netplay: the real game, headless, hosting or joining through the lobby's quick starts and driven by a
// script; it prints its mode changes and log lines, so a test can run several of them against each other.
#include "core/world/Map2DLinked.h"
#include "game/app/Entry.h"
#include "game/screens/lobby/MPlayIF.h"
#include "game/screens/role/RoleIF.h"
#include "game/sim/Squad.h"
#include "game/sim/SquadGame.h"
#include "game/sim/SquadManager.h"
#include "net/session/NetGameSession.h"
#include "platform/system/Clock.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

volatile std::sig_atomic_t g_bStop = 0;
volatile std::sig_atomic_t g_bGo = 0;

void OnSignal(int)
{
    g_bStop = 1;
}

// The runner's "go on" for a script waiting with wait-signal.
void OnGo(int)
{
    g_bGo = 1;
}

struct Options {
    std::string strData;
    bool bHost = false;
    std::string strJoin;
    std::string strBind = "127.0.0.1";
    int nPort = 19710;
    int nUdpPort = 19711;
    std::string strName;
    std::string strScript;
};

// A script of one command a line; each waits (at most a minute) until it is done.
class CScript {
public:
    CScript(const Options& options, std::vector<std::string> lines) : m_options(options), m_aLines(std::move(lines)) {}

    // One idle tick of the game: start-up, output, then the current command.
    void Step(CGame& game)
    {
        Watch(game);
        ReportMode(game);
        if (g_bStop) {
            game.m_uMode |= kModeQuit;
            return;
        }
        if (!m_bStarted) {
            Start(game);
            return;
        }
        if (m_nLine >= m_aLines.size())
            return;
        const uint32_t now = platform::GetTickCount();
        if (!m_bLineStarted) {
            m_bLineStarted = true;
            m_uLineStarted = now;
        }
        if (Run(game, m_aLines[m_nLine])) {
            std::printf("done %s\n", m_aLines[m_nLine].c_str());
            std::fflush(stdout);
            ++m_nLine;
            m_bLineStarted = false;
        } else if (now - m_uLineStarted > 60000) {
            CSquad* squad = FirstUnit(game);
            std::printf("timeout %s (mode 0x%x, roles 0x%x, squad at %.1f,%.1f state %d)\n", m_aLines[m_nLine].c_str(),
                        game.m_uMode, game.GetLocalRoleFlags(), squad ? squad->m_fX : -1.0f,
                        squad ? squad->m_fY : -1.0f, squad ? static_cast<int>(squad->m_nState) : -1);
            std::fflush(stdout);
            std::exit(3);
        }
    }

private:
    void Start(CGame& game)
    {
        if (game.m_uMode & (kModeTitle | kModeSponsorSplash | kModeMakerSplash)) {
            game.OnKeyDown(kVkReturn, 3);
            return;
        }
        if (!(game.m_uMode & kModeLobby) || !game.m_pLobby)
            return;
        m_bStarted = true;
        MPlayIF& lobby = *game.m_pLobby;
        if (!m_options.strName.empty())
            lobby.m_strPlayerName = m_options.strName.substr(0, MPlayIF::kNameMax);
        if (m_options.bHost) {
            game.OnKeyDown(kVkF4, 3);
            if (!game.m_pSession) {
                std::printf("host failed: %s\n", lobby.m_strNotice.c_str());
                std::fflush(stdout);
                std::exit(4);
            }
            std::printf("listening tcp %d udp %d\n", game.m_pSession->GetTcpPort(), game.m_pSession->GetUdpPort());
        } else {
            // The "Test Client" quick start, with the typed address of the host.
            lobby.OnKey(kVkF6);
            lobby.m_strHostAddress = m_options.strJoin.substr(0, MPlayIF::kAddressMax);
            game.OnMouse(0x201, 0, 0, 1);
            if (game.m_pSession)
                std::printf("joined as %d\n", game.m_pSession->GetLocalPlayerId());
            else
                std::printf("join failed: %s\n", lobby.m_strNotice.c_str());
        }
        std::fflush(stdout);
    }

    static std::string ModeName(const CGame& game)
    {
        const uint32_t m = game.m_uMode;
        if (m & kModeQuit)
            return "quit";
        if (m & kModeCredits)
            return "credits";
        if (m & kModeDebrief)
            return "debrief";
        if (m & kModeLobby)
            return "lobby";
        if (m & kModeBriefing)
            return "briefing";
        if (m & kModeRoleSelect)
            return "role";
        if (m & kModeFrontEnd)
            return "splash";
        return "play";
    }

    void ReportMode(const CGame& game)
    {
        const std::string mode = ModeName(game);
        if (mode != m_strMode) {
            m_strMode = mode;
            std::printf("mode %s\n", mode.c_str());
            std::fflush(stdout);
        }
    }

    // Every log line as it is added (a scenario start clears the log, not what was printed).
    void Watch(CGame& game)
    {
        if (m_bWatching)
            return;
        m_bWatching = true;
        game.m_fnLogObserver = [this](const std::string& line) {
            std::printf("log %s\n", line.c_str());
            m_aSeen.push_back(line);
        };
    }

    static std::string Rest(const std::string& line)
    {
        const size_t blank = line.find(' ');
        return blank == std::string::npos ? std::string() : line.substr(blank + 1);
    }

    static void ClickOn(CGame& game, const CScreenRect& rc)
    {
        const int x = rc.x + rc.width / 2, y = rc.y + rc.height / 2;
        game.OnMouse(0x201, 1, static_cast<int32_t>((static_cast<uint32_t>(y) << 16) | static_cast<uint32_t>(x)), 1);
    }

    // Every line seen so far counts, also those a scenario start has cleared from the log.
    bool HasLog(const std::string& text) const
    {
        for (const std::string& line : m_aSeen)
            if (line.find(text) != std::string::npos)
                return true;
        return false;
    }

    CSquad* FirstUnit(CGame& game) const
    {
        CSquadManager* scenario = game.m_pSquadGame ? game.m_pSquadGame->Scenario() : nullptr;
        return scenario && !scenario->Units().empty() ? scenario->Units().front() : nullptr;
    }

    bool Run(CGame& game, const std::string& line);
    bool Order(CGame& game);

    Options m_options;
    std::vector<std::string> m_aLines;
    size_t m_nLine = 0;
    bool m_bLineStarted = false;
    uint32_t m_uLastClick = 0;
    uint32_t m_uLineStarted = 0;
    bool m_bStarted = false;
    std::string m_strMode;
    bool m_bWatching = false;
    std::vector<std::string> m_aSeen;
    float m_fStartX = -1, m_fStartY = -1;
};

bool CScript::Run(CGame& game, const std::string& line)
{
    const std::string word = line.substr(0, line.find(' '));
    const std::string rest = Rest(line);
    RoleIF* role = game.m_pRole.get();
    if (word == "wait-mode")
        return ModeName(game) == rest;
    if (word == "briefing") {
        if (!(game.m_uMode & kModeBriefing))
            return false;
        game.OnKeyDown(kVkF4, 3);
        return true;
    }
    if (word == "wait-players") {
        if (!role || !(game.m_uMode & kModeRoleSelect))
            return false;
        role->RefreshPlayers();
        return static_cast<int>(role->m_aPlayers.size()) == std::atoi(rest.c_str());
    }
    if (word == "take" || word == "ready") {
        // Clicked again (now and then) until the own row carries the bit: a refusal may only mean the role
        // table has not come yet.
        const uint32_t bit = word == "ready" ? RoleIF::kReady : 1u << std::atoi(rest.c_str());
        if (!role || !(game.m_uMode & kModeRoleSelect) || !game.m_pSession)
            return false;
        if (game.GetLocalRoleFlags() & bit)
            return true;
        role->RefreshPlayers();
        const uint32_t now = platform::GetTickCount();
        if (role->m_nLocalRow >= 0 && now - m_uLastClick > 500) {
            m_uLastClick = now;
            ClickOn(game,
                    word == "ready" ? role->m_rcMain : role->CellRect(role->m_nLocalRow, std::atoi(rest.c_str())));
        }
        return false;
    }
    if (word == "chat") {
        if (game.m_uMode & kModeRoleSelect) {
            role->m_strChat = rest;
            ClickOn(game, role->m_rcSend);
        } else {
            for (char c : rest + "\r")
                game.OnChatKey(static_cast<uint8_t>(c));
        }
        return true;
    }
    if (word == "wait-log")
        return HasLog(rest);
    if (word == "post") {
        game.PostGameSignal(static_cast<uint16_t>(std::atoi(rest.c_str())));
        return true;
    }
    if (word == "wait-bit" || word == "wait-clear") {
        const uint32_t bit = static_cast<uint32_t>(std::strtoul(rest.c_str(), nullptr, 0));
        return ((game.m_uMode & bit) != 0) == (word == "wait-bit");
    }
    if (word == "order")
        return Order(game);
    if (word == "wait-moved") {
        CSquad* squad = FirstUnit(game);
        if (!squad)
            return false;
        if (m_fStartX < 0) {
            m_fStartX = squad->m_fX;
            m_fStartY = squad->m_fY;
        }
        return squad->m_fX != m_fStartX || squad->m_fY != m_fStartY;
    }
    if (word == "note-squad") {
        if (CSquad* squad = FirstUnit(game)) {
            m_fStartX = squad->m_fX;
            m_fStartY = squad->m_fY;
            return true;
        }
        return false;
    }
    if (word == "expect-refused") {
        if (!game.m_pLobby || game.m_pLobby->m_strNotice.find("already started") == std::string::npos)
            return false;
        std::printf("refused: %s\n", game.m_pLobby->m_strNotice.c_str());
        game.m_uMode |= kModeQuit;
        return true;
    }
    if (word == "quit" || word == "leave") {
        game.m_uMode |= kModeQuit;
        return true;
    }
    if (word == "wait-signal") {
        if (!g_bGo)
            return false;
        g_bGo = 0;
        return true;
    }
    if (word == "serve")
        return false; // until a signal ends the program
    std::printf("unknown command %s\n", line.c_str());
    std::exit(2);
}

// Orders the first unit of the scenario to a point beside it, through the order menu and a map click.
bool CScript::Order(CGame& game)
{
    CSquad* squad = FirstUnit(game);
    if (!squad || !game.m_pMap || !(game.m_uMode & kModeRunning))
        return false;
    m_fStartX = squad->m_fX;
    m_fStartY = squad->m_fY;
    const int wx = static_cast<int>(squad->m_fX), wy = static_cast<int>(squad->m_fY);
    game.m_pMap->CenterViewAt(&game.m_pSquadGame->m_rcView, wx, wy);
    game.RefreshView();
    game.SelectSquad(squad);
    game.m_nInputState = 1;
    if (!game.OnOrderMenuChoice(3))
        return false;
    for (int dx : {64, -64, 96, -96}) {
        int sx = 0, sy = 0;
        if (!game.m_pMap->WorldToView(game.m_pSquadGame->m_rcView, &sx, &sy, wx + dx, wy))
            continue;
        const int32_t at = static_cast<int32_t>((static_cast<uint32_t>(sy) << 16) | static_cast<uint32_t>(sx));
        game.OnMouse(0x201, 1, at, 1);
        game.OnMouse(0x202, 0, at, 2);
        if (game.m_nInputState == 0) {
            std::printf("order given to squad %d\n", CSquadManager::GetSquadNumber(squad));
            return true;
        }
    }
    return false;
}

bool ParseOptions(int argc, char** argv, Options& o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&](std::string& out) {
            if (i + 1 >= argc)
                return false;
            out = argv[++i];
            return true;
        };
        std::string value;
        if (a == "--host")
            o.bHost = true;
        else if (a == "--data" && next(value))
            o.strData = value;
        else if (a == "--join" && next(value))
            o.strJoin = value;
        else if (a == "--bind" && next(value))
            o.strBind = value;
        else if (a == "--port" && next(value))
            o.nPort = std::atoi(value.c_str());
        else if (a == "--udp-port" && next(value))
            o.nUdpPort = std::atoi(value.c_str());
        else if (a == "--name" && next(value))
            o.strName = value;
        else if (a == "--script" && next(value))
            o.strScript = value;
        else
            return false;
    }
    return !o.strData.empty() && (o.bHost != !o.strJoin.empty());
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: zr-netplay --data DIR (--host | --join ADDR) [--bind ADDR] [--port N] "
                             "[--udp-port N] [--name NAME] [--script FILE]\n");
        return 2;
    }
    std::vector<std::string> lines;
    if (!options.strScript.empty()) {
        std::ifstream in(options.strScript);
        if (!in) {
            std::fprintf(stderr, "zr-netplay: cannot read %s\n", options.strScript.c_str());
            return 2;
        }
        for (std::string line; std::getline(in, line);)
            if (!line.empty() && line[0] != '#')
                lines.push_back(line);
    }
    // Headless: no window system (the dummy driver loads no graphics libraries), no sound device.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGINT, OnSignal);
    std::signal(SIGUSR1, OnGo);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    CScript script(options, lines);
    CEntryOptions entry;
    entry.game.strBaseFolder = options.strData;
    entry.game.nTcpPort = options.nPort;
    entry.game.nUdpPort = options.nUdpPort;
    entry.game.strBindAddress = options.strBind;
    entry.game.fnPlaySound = [](int, float) {};
    entry.bInstallMessageBoxBackend = false;
    entry.fnIdle = [&script](CGame& game, platform::EventPump&, long) {
        script.Step(game);
        // A headless player leaves the processor to the others between idle ticks.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    const int code = RunGame(entry);
    std::printf("exit %d\n", code);
    return code;
}
