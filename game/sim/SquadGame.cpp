// The game's squads wired to the game object: message handlers, steps, scenario attach and class registration.
#include "game/sim/SquadGame.h"

#include "core/persist/QFSerializeBase.h"
#include "core/world/AreaMapData.h"
#include "game/app/Game.h"
#include "game/screens/eoc/EOC.h"
#include "game/sim/IncidentWorld.h"
#include "game/sim/SquadIncidentWorld.h"
#include "game/sim/SquadManager.h"
#include "net/session/NetGameSession.h"

void RegisterGameClasses()
{
    static const bool registered = [] {
        RegisterCoreClasses();
        QFClassFactory::Instance().Register("CSquadManager", &CSquadManager::CreateObject);
        return true;
    }();
    (void)registered;
}

CSquadGame::CSquadGame(CGame& game) : m_game(game)
{
    m_services.fnPost = [this](uint16_t id, const uint8_t* payload, size_t length) {
        m_game.PostGameMessage(id, payload, length);
    };
    // A looping sound keeps its channel so the squad can stop it; a one-shot one is not kept.
    m_services.fnPlaySound = [this](int sound, float volume, bool loop) {
        if (loop)
            return m_game.PlayLoopSound(sound, volume);
        m_game.PlaySound(sound, volume);
        return -1;
    };
    m_services.fnStopLoop = [this](int channel) { m_game.StopLoopSound(channel); };
    m_services.pScore = &m_score;
    m_services.pView = &m_rcView;
    m_services.pDrawFilter = &m_drawFilter;
    m_services.pMarkerFilter = &m_markerFilter;
    m_services.pModeFlags = &m_game.m_uMode;
    m_services.pCurrentView = &m_game.m_nView;
    m_services.pMapLayer = &m_nMapLayer;
    RefreshPlayer();
}

CSquadGame::~CSquadGame()
{
    // The game released the scenario (and unhooked the world) before its members go.
    m_pScenario.reset();
    m_pArea.reset();
}

void CSquadGame::RefreshPlayer()
{
    m_services.bAuthority = m_game.m_bAuthority;
    m_services.uLocalRoles = m_game.GetLocalRoleFlags();
    m_services.nLocalPlayer =
        m_game.m_pSession ? m_game.m_pSession->GetLocalPlayerId() : m_game.GetLocalPlayerInfo()->nPlayerId;
    m_services.pAStar = m_game.m_pAStar.get();
    m_services.pEOC = m_game.m_pEOCUnitData.get();
}

void CSquadGame::InstallHandlers()
{
    using Apply = void (CSquadManager::*)(const uint8_t*, size_t);
    auto route = [this](uint16_t id, bool area, Apply apply) {
        m_game.SetMessageHandler(id, [this, area, apply](const uint8_t* payload, size_t length) {
            RefreshPlayer();
            CSquadManager* manager = area ? m_pArea.get() : m_pScenario.get();
            if (manager && payload)
                (manager->*apply)(payload, length);
        });
    };
    route(kGmSquadOrder, false, &CSquadManager::ApplySquadOrder);
    route(kGmAreaSquadOrder, true, &CSquadManager::ApplySquadOrder);
    route(kGmSquadCancel, false, &CSquadManager::ApplySquadCancel);
    route(kGmSquadSync, false, &CSquadManager::ApplySyncRecords);
    route(kGmAreaSquadSync, true, &CSquadManager::ApplySyncRecords);
    route(kGmStationDispatch, true, &CSquadManager::ApplyStationDispatch);
    route(kGmSquadAtStation, false, &CSquadManager::ApplySquadAtStation);
    route(kGmSquadDeployed, true, &CSquadManager::ApplySquadDeployed);
    route(kGmSquadReleased, true, &CSquadManager::ApplySquadReleased);
    route(kGmSquadPosition, false, &CSquadManager::ApplySquadPosition);
    route(kGmAreaSquadPosition, true, &CSquadManager::ApplySquadPosition);
    route(kGmSquadStatus, false, &CSquadManager::ApplySquadStatus);
    route(kGmAreaSquadStatus, true, &CSquadManager::ApplySquadStatus);
    route(kGmSquadSound, false, &CSquadManager::ApplySquadSound);
}

void CSquadGame::AttachScenario()
{
    Release();
    RefreshPlayer();
    // A new scenario's counts start at zero (a saved game's come back with its scoring block).
    m_score = CSquadScoreCounts();
    m_pScenario = std::make_unique<CSquadManager>();
    m_pArea = std::make_unique<CSquadManager>();
    m_pScenario->SetServices(&m_services);
    m_pArea->SetServices(&m_services);
    m_pArea->SetAreaMap(true);
    if (m_game.m_uMode & kModeIncidentOrders)
        m_pScenario->m_nOptions |= 0x2;
    CEOCUnitData* eoc = m_game.m_pEOCUnitData.get();
    m_pScenario->Attach(m_game.m_pSprites.get(), m_pArea.get(), m_game.m_pMap.get(), m_game.m_pDisplay.get(),
                        &m_drawFilter, eoc, m_game.m_pPathData.get());
    m_pArea->Attach(m_game.m_pAreaSprites, m_pScenario.get(), nullptr, m_game.m_pDisplay.get(), &m_drawFilter, eoc,
                    nullptr);
    if (CIncidentWorld* world = m_game.m_pIncidentWorld.get()) {
        m_pWorldView = std::make_unique<CSquadIncidentWorld>(*world);
        m_pBlastList = std::make_unique<CSquadBlastList>(m_pScenario.get());
        m_services.pWorld = m_pWorldView.get();
        CIncidentLinks links = world->GetLinks();
        links.pSquads = m_pBlastList.get();
        world->SetLinks(links);
    }
}

void CSquadGame::Release()
{
    m_services.pSelected = nullptr;
    m_services.pOrderSquad = nullptr;
    if (CIncidentWorld* world = m_game.m_pIncidentWorld.get()) {
        CIncidentLinks links = world->GetLinks();
        if (links.pSquads == m_pBlastList.get()) {
            links.pSquads = nullptr;
            world->SetLinks(links);
        }
    }
    m_services.pWorld = nullptr;
    m_pScenario.reset();
    m_pArea.reset();
    m_pWorldView.reset();
    m_pBlastList.reset();
}

void CSquadGame::MovementStep()
{
    RefreshPlayer();
    if (m_pScenario)
        m_pScenario->MovementStep();
    if (m_pArea)
        m_pArea->MovementStep();
}

void CSquadGame::GameStep()
{
    RefreshPlayer();
    if (!m_services.bAuthority)
        return;
    if (m_pScenario)
        m_pScenario->GameStep(kGmSquadSync);
    if (m_pArea)
        m_pArea->GameStep(kGmAreaSquadSync);
}

bool CSquadGame::SaveSquads(FILE* file) const
{
    return m_pScenario && m_pArea && m_pScenario->Save(file) && m_pArea->Save(file);
}

bool CSquadGame::LoadSquads(FILE* file)
{
    if (!m_pScenario || !m_pArea)
        return false;
    RefreshPlayer();
    bool ok = m_pScenario->Load(file) && m_pArea->Load(file);
    m_pScenario->ResolveLoadedLinks();
    m_pArea->ResolveLoadedLinks();
    return ok;
}

void CSquadGame::ResumeAfterLoad()
{
    RefreshPlayer();
    if (!m_pScenario || !m_pArea)
        return;
    m_pScenario->ResumeAfterLoad();
    m_pArea->ResumeAfterLoad();
    m_pArea->RestoreRouteSpeeds();
    // The first step's synchronisation (44) tells every machine where the squads stand. Its work is not run
    // again: the saved game was taken after that step's work, and a second pass would put the restored run a
    // step ahead of the one that was saved.
    if (m_services.bAuthority)
        m_pScenario->PostSync(kGmSquadSync);
}
