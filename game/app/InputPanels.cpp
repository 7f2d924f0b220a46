// Input in play beyond the tactical map: the HUD, EOC and IAP panels, the area map with its stations and
// squads, the facility placement and the incident-object (map marker) placement.
#include "game/app/Game.h"

#include "core/widgets/CPopupMenuView.h"
#include "core/world/Map2DLinked.h"
#include "core/world/PathData.h"
#include "core/world/Sprite.h"
#include "core/world/SpriteManager.h"
#include "core/world/StationData.h"
#include "game/app/InputPlay.h"
#include "game/app/OrderCursor.h"
#include "game/screens/boxes/Boxes.h"
#include "game/screens/eoc/EOC.h"
#include "game/screens/hud/HUD.h"
#include "game/screens/iap/IAP_PhaseIF.h"
#include "game/screens/lobby/MPlayIF.h"
#include "game/sim/IncidentWorld.h"
#include "game/sim/Squad.h"
#include "game/sim/SquadGame.h"
#include "game/sim/SquadManager.h"

#include <algorithm>

namespace {

constexpr int kHudBandTop = 448;
constexpr int kAreaMenuNone = 0;
constexpr int kAreaMenuStation = 1;
constexpr int kAreaMenuSquad = 2;

// Facility placement states 5 to 10 (Command items 2 to 7): the EOC facility bit and the sprite kind the flagged
// zone takes. Item 3, which the Base Manager opens, places a Base (192) and item 4, which the Staging Area
// Manager opens, a Staging Area (193); the two used to be swapped, so "Set Staging Area" set up a Base.
struct CFacilityPlacement {
    uint32_t uBit;
    int nSprite;
};
constexpr CFacilityPlacement kFacilities[6] = {{0x1, 191}, {0x2, 192},  {0x4, 193},
                                               {0x8, 194}, {0x10, 195}, {0x20, 196}};

} // namespace

bool CGame::HoldsCommandRole() const
{
    // The single player holds every role.
    return (m_uMode & kModeSingle) || (GetLocalRoleFlags() & kRoleCommand);
}

CSprite* CGame::SelectedStation() const
{
    // The station belongs to the area-map sprites; a scenario loaded since leaves a stale pointer behind.
    return m_pSelectedStation && m_pAreaSprites && m_pAreaSprites->ContainsSprite(m_pSelectedStation)
               ? m_pSelectedStation
               : nullptr;
}

// ---- panels ----

bool CGame::OnPanelInput(int kind, int x, int y, uint32_t buttons)
{
    const bool areaView = m_nView == 1;
    const int idle = areaView ? 4 : 0;
    const bool menuShown = m_pPopupView && m_pPopupView->IsShown();
    bool taken = false;
    if (kind == 0) {
        if (menuShown && m_pPopupView->OnMouseMove(x, y, buttons)) {
            taken = true;
        } else {
            const bool eoc = m_pEOC && m_pEOC->OnMouseMove(x, y, buttons);
            const bool iap = !eoc && m_pIAP && m_pIAP->OnMouseMove(x, y, buttons);
            const int section = eoc ? m_pEOC->m_nHoverSection : iap ? m_pIAP->m_nHoverSection : -1;
            const int row = eoc ? m_pEOC->m_nHoverUnit : iap ? m_pIAP->m_nHoverRow : -1;
            if (m_pHUD) {
                if (section >= 0 && row >= 0)
                    m_pHUD->ShowUnitInfo(section, row);
                else if (areaView)
                    m_pHUD->ShowInfo(HUD::kInfoStation, SelectedStation());
                else
                    m_pHUD->ShowInfo(HUD::kInfoSquad, SelectedSquad());
            }
            taken = eoc || iap;
            if (!taken && m_pHUD) {
                const int control = m_pHUD->OnMouseMove(x, y, buttons);
                taken = control == 1;
                m_nInputState = taken ? 2 : idle;
                if (control != m_pHUD->m_nHoverControl) {
                    m_pHUD->m_nHoverControl = control;
                    m_nHudSubState = 0;
                }
            }
        }
    } else if (kind == 1) {
        // The EOC's player list takes its own choice.
        const bool eocMenu = menuShown && m_pEOC && m_pPopupView->GetOpenMenu() == m_pEOC->PlayerMenu();
        const int choice = menuShown ? m_pPopupView->OnClick(x, y, 1) : -1;
        if (choice == -1) {
            if ((m_pEOC && m_pEOC->OnClick(x, y, buttons, m_pPopupView.get())) || (m_pIAP && m_pIAP->OnClick(x, y, buttons))) {
                taken = true;
            } else if (m_pHUD) {
                const int code = (buttons & 1)   ? m_pHUD->OnLeftClick(x, y, buttons, m_pPopupView.get())
                                 : (buttons & 2) ? m_pHUD->OnRightClick(x, y, buttons, m_pPopupView.get())
                                                 : 0;
                m_nHudSubState = code;
                m_nInputState = code != 0 ? 2 : idle;
                // The band is the HUD's even where it has no control; above it the map takes the click.
                taken = code != 0 || y >= kHudBandTop;
            }
        } else if (choice == -2) {
            // Off the menu's lines: as a move over the HUD.
            m_nInputState = m_pHUD && m_pHUD->OnMouseMove(x, y, buttons) == 1 ? 2 : idle;
            m_nHudSubState = 0;
            taken = true;
        } else if (choice == -3) {
            taken = true;
            // A disabled line of the Command menu says why it is disabled.
            CPopupMenu* open = m_pPopupView->GetOpenMenu();
            const CPopupMenuItem* item = open ? open->GetItem(m_pPopupView->GetHoverIndex()) : nullptr;
            if (item && m_pHUD && open == m_pHUD->GetMenu(kHudMenuCommand))
                SayWhyRefused(m_pHUD->CommandItemRefusal(item->nValue));
        } else {
            taken = true;
            const int answer = eocMenu ? 1 : m_pHUD ? m_pHUD->OnPopupChoice(choice, m_pEOC.get()) : 0;
            if (answer == 1 && m_pEOC) {
                m_pEOC->OnPopupChoice(choice);
            } else if (answer >= 2 && answer <= 11) {
                // Answers outside the states would leave no handler for the pointer; they are ignored.
                m_nInputState = answer;
                m_nHudSubState = 0;
                SetMouseCursor(kCursorTarget);
                if (answer != 11 && m_pMap && m_pSquadGame) {
                    m_pMap->CenterViewAt(&m_pSquadGame->m_rcView, 0, 0);
                    SelectZoom(1);
                }
            }
        }
    } else if (kind == 2) {
        if (m_pHUD)
            m_pHUD->OnMouseUp(x, y, buttons);
        m_nHudSubState = -1;
        taken = y >= kHudBandTop;
    } else if (kind == 3) {
        if (m_pLobby)
            m_pLobby->OnKey(static_cast<uint32_t>(x));
        m_nHudSubState = -1;
    }
    AfterPanelInput(x, y);
    return taken;
}

void CGame::AfterPanelInput(int, int)
{
    if (m_nView == 1) {
        if (m_nHudSubState == 7) {
            CancelOrderTargeting();
            m_rcAreaView = RECT{0, 0, m_nClientWidth, kHudBandTop};
            if (m_pAreaSprites)
                m_pAreaSprites->UpdateScreenRects(m_rcAreaView);
            m_nInputState = 4;
        }
        return;
    }
    switch (m_nHudSubState) {
    case 5:
        m_nInputState = 3;
        SetMouseCursor(kCursorTarget);
        break;
    case 6:
        if (m_pMap && m_pSquadGame) {
            // The kept centre, in the 8-pixel map's coordinates (the old code quartered only y).
            int cx = m_pMap->GetViewCenterX(), cy = m_pMap->GetViewCenterY();
            if (m_pSquadGame->m_drawFilter.m_nZoom == 0) {
                cx /= 4;
                cy /= 4;
            }
            SelectZoom(1);
            m_pMap->CenterViewAt(&m_pSquadGame->m_rcView, cx, cy);
            SelectZoom(1);
        }
        break;
    case 8:
        if (m_pMap && m_pSquadGame) {
            m_pMap->ClampView(&m_pSquadGame->m_rcView);
            RefreshView();
        }
        m_nInputState = 0;
        break;
    case 11:
        if (CSquad* selected = SelectedSquad()) {
            const int32_t roles = static_cast<int32_t>(GetLocalRoleFlags());
            if (!selected->m_pSprite ||
                !selected->m_pSprite->PassesFilter(&m_pSquadGame->m_drawFilter, &roles, m_pSprites.get()))
                CancelOrderTargeting();
        }
        break;
    default:
        break;
    }
}

// ---- area map ----

bool CGame::OnAreaMapInput(int kind, int x, int y, uint32_t buttons)
{
    CSquadManager* area = m_pSquadGame ? m_pSquadGame->Area() : nullptr;
    if (!area || !m_pAreaSprites || (m_pEOC && m_pEOC->m_bShown) || (m_pIAP && m_pIAP->m_bShown))
        return false;
    const bool menuShown = m_pPopupView && m_pPopupView->IsShown();
    CSquadPickPoint point;
    point.x = x;
    point.y = y;
    point.nListMask = 3;
    if (kind == 0) {
        if (menuShown && m_pPopupView->OnMouseMove(x, y, buttons))
            return true;
        if (y >= kHudBandTop || !m_pHUD)
            return false;
        const void* shown = m_pHUD->m_pInfoObject;
        if (CSprite* station = m_pAreaSprites->StationAtPoint(x, y)) {
            if (shown != station)
                PlaySound(1, 0.4f);
            m_pHUD->ShowInfo(HUD::kInfoStation, station);
        } else if (CSquad* squad = area->PickSquadsAt(point)) {
            if (shown != squad)
                PlaySound(1, 0.4f);
            m_pHUD->ShowInfo(HUD::kInfoSquad, squad);
        } else if (CSprite* selected = SelectedStation()) {
            m_pHUD->ShowInfo(HUD::kInfoStation, selected);
        } else {
            m_pHUD->ShowInfo(HUD::kInfoSquad, SelectedSquad());
        }
        return true;
    }
    if (kind != 1)
        return false;
    const int choice = menuShown ? m_pPopupView->OnClick(x, y, 1) : -1;
    if (choice == -3 && m_nAreaMenu == kAreaMenuStation)
        SayWhyNotDispatched();
    if (choice == -2 || choice == -3) {
        if (choice == -2)
            m_nAreaMenu = kAreaMenuNone;
        return true;
    }
    if (choice >= 0) {
        OnAreaMenuChoice(choice);
        return true;
    }
    if (y >= kHudBandTop)
        return false;
    const bool command = HoldsCommandRole();
    CSprite* station = command ? m_pAreaSprites->StationAtPoint(x, y) : nullptr;
    if (station) {
        m_pSquadGame->m_services.pSelected = nullptr;
        m_pSquadGame->m_services.pOrderSquad = nullptr;
        m_pSelectedStation = station;
        m_pAreaSprites->SetSelectedSprite(station, m_rcAreaView, 0);
        if (m_pHUD)
            m_pHUD->ShowInfo(HUD::kInfoStation, station);
        if ((buttons & 2) && station->m_pStationData && m_pPopupView && m_pEOCUnitData) {
            const auto& sections = m_pEOCUnitData->m_aSections;
            if (station->m_pStationData->BuildDispatchMenu(x, y, m_pPopupView.get(), m_pAreaSprites,
                                                           sections[0].fResourcePoints, sections[1].uActivated))
                m_nAreaMenu = kAreaMenuStation;
        }
        return true;
    }
    CSquad* squad = command ? area->PickSquadsAt(point) : nullptr;
    if (!squad) {
        PlaySound(2);
        return true;
    }
    m_pSelectedStation = nullptr;
    m_pSquadGame->m_services.pSelected = squad;
    m_pSquadGame->m_services.pOrderSquad = squad;
    m_pAreaSprites->SetSelectedSprite(squad->m_pSprite, m_rcAreaView, 0);
    if (m_pHUD)
        m_pHUD->ShowInfo(HUD::kInfoSquad, squad);
    if ((buttons & 2) && m_pPopupView && m_pPopupView->Open(area->BuildOrderMenu(squad), x, y)) {
        m_pPopupView->Render();
        m_nAreaMenu = kAreaMenuSquad;
    }
    return true;
}

bool CGame::OnAreaMenuChoice(int choice)
{
    const int menu = m_nAreaMenu;
    m_nAreaMenu = kAreaMenuNone;
    CSquadManager* area = m_pSquadGame ? m_pSquadGame->Area() : nullptr;
    if (!area)
        return false;
    if (menu == kAreaMenuStation) {
        CSprite* station = SelectedStation();
        if (!station || !station->m_pStationData)
            return false;
        if (choice >= 0 && choice <= 5) {
            const bool sent = area->RequestDispatch(station, choice);
            PlaySound(sent ? 0 : 2);
            return sent;
        }
        if (choice == 7 && m_pInfoBox) {
            m_pInfoBox->ShowInfo(station->m_pStationData->m_nInfoPage);
            return true;
        }
        return false;
    }
    CSquad* squad = menu == kAreaMenuSquad ? area->ContainsSquad(OrderSquad()) : nullptr;
    if (!squad)
        return false;
    if (choice == kActInfo) {
        ShowSquadInfo(squad);
        return true;
    }
    if (choice != kActReturnToStation && choice != kActReturnToIncident)
        return false;
    // The squad takes the order when it can start that station route; otherwise it keeps its own.
    const int32_t previousState = squad->m_nNextState, previousPlayer = squad->m_nOrderPlayer;
    squad->m_nNextState = choice;
    squad->m_nOrderPlayer = LocalOrderPlayer();
    if (squad->IsDown() || !squad->StartStationRoute(choice)) {
        squad->m_nNextState = previousState;
        squad->m_nOrderPlayer = previousPlayer;
        PlaySound(2);
        return false;
    }
    PlaySound(0);
    return true;
}

void CGame::SayWhyRefused(const std::string& why)
{
    if (!why.empty())
        AddMessage(why, -1, kMsgChat, 0, kSenderSystem);
}

void CGame::SayWhyNotDispatched()
{
    CSprite* station = SelectedStation();
    const CPopupMenuItem* item = m_pPopupView && m_pPopupView->GetOpenMenu()
                                     ? m_pPopupView->GetOpenMenu()->GetItem(m_pPopupView->GetHoverIndex())
                                     : nullptr;
    CStationData* data = station ? station->m_pStationData : nullptr;
    const CStationResource* line = data && item ? data->GetResource(item->nValue) : nullptr;
    if (!line || !m_pEOCUnitData)
        return;
    const auto& sections = m_pEOCUnitData->m_aSections;
    const float points = sections[0].fResourcePoints;
    const CStationData::CDispatchCheck check =
        data->CheckDispatch(item->nValue, m_pAreaSprites, points, sections[1].uActivated);
    const std::string name = line->m_szName;
    switch (check.eBlock) {
    case CStationData::kDispatchNoneLeft:
        SayWhyRefused(name + ": none left at this station.");
        break;
    case CStationData::kDispatchTooCostly:
        SayWhyRefused("Dispatching " + name + " costs " + std::to_string(check.nCost) +
                      " Resource Points; Command has " + std::to_string(static_cast<int>(points)) +
                      ". More come as the response goes on.");
        break;
    case CStationData::kDispatchGated:
        SayWhyRefused("Dispatching " + name + " needs the " + m_pEOCUnitData->Unit(1, check.nOperationsUnit).szName +
                      " active in the EOC.");
        break;
    default:
        break;
    }
}

// ---- placements ----

bool CGame::OnPlaceFacility(int state, int kind, int x, int y, uint32_t buttons)
{
    if (kind != 1 || !(buttons & 1) || state < 5 || state > 10)
        return false;
    CIncidentWorld* world = m_pIncidentWorld.get();
    int wx = 0, wy = 0;
    CPathTile* tile = nullptr;
    if (y < kHudBandTop && world && m_pPathData && ScreenToWorld(x, y, wx, wy))
        tile = m_pPathData->GetTileAt(wx, wy);
    const CIncidentNode* zone = tile ? world->ZoneNodeAt(tile) : nullptr;
    if (!zone || zone->m_nType != kIncFlaggedZone) {
        PlaySound(2);
        return false;
    }
    const CFacilityPlacement& facility = kFacilities[state - 5];
    if (m_pEOCUnitData)
        m_pEOCUnitData->m_uFacilityFlags |= facility.uBit;
    // The flagged zone becomes the facility; one fewer zone waits for a designation.
    world->m_nZoneMark = std::max(0, world->m_nZoneMark - 1);
    if (!world->PushObjectEvent(wx, wy, facility.nSprite, 3)) {
        world->SendEventBatch(); // a full batch goes first
        world->PushObjectEvent(wx, wy, facility.nSprite, 3);
    }
    world->PushZoneMark();
    world->SendEventBatch();
    PlaySound(0);
    return true;
}

void CGame::OnPlaceIncidentObject(int kind, int x, int y, uint32_t buttons)
{
    if (kind != 1)
        return;
    if (buttons & 1) {
        int wx = 0, wy = 0;
        if (y >= kHudBandTop || !ScreenToWorld(x, y, wx, wy)) {
            PlaySound(2);
            return;
        }
        if (m_pIncidentWorld)
            m_pIncidentWorld->SendMarker(wx, wy);
        SetMouseCursor(kCursorArrow);
        m_nInputState = 0;
    } else if (buttons & 2) {
        SetMouseCursor(kCursorArrow);
        m_nInputState = 0;
    }
}
