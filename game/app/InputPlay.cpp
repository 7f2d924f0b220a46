// Input in play: the input state machine over the tactical map, the order menu, order targets, order cursors,
// view keys; and the map, sprites, menu and status line drawn under the HUD.
#include "game/app/Game.h"
#include "game/app/InputPlay.h"

#include "core/display/CDisplay.h"
#include "core/widgets/CPopupMenuView.h"
#include "core/world/Map2DLinked.h"
#include "core/world/PathData.h"
#include "core/world/Sprite.h"
#include "core/world/SpriteManager.h"
#include "game/app/ScenarioLoadRuntime.h"
#include "game/screens/boxes/Boxes.h"
#include "game/screens/eoc/EOC.h"
#include "game/screens/hud/HUD.h"
#include "game/screens/iap/IAP_PhaseIF.h"
#include "game/sim/IncidentWorld.h"
#include "game/sim/Squad.h"
#include "game/sim/SquadGame.h"
#include "game/sim/SquadManager.h"
#include "game/util/ByteStream.h"
#include "platform/gdi/DeviceContext.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kHudTop = 448;
constexpr int kMaxScatterTries = 32;

} // namespace

int OrderTargetKind(int order)
{
    switch (order) {
    case 17:
        return kTargetSquadToLoad;
    case 19:
        return kTargetVehicle;
    case 39:
        return kTargetSquadToDirect;
    case 18:
    case 37:
    case 30:
        return kTargetNone;
    default:
        break;
    }
    if ((order >= 2 && order <= 13) || order == 15 || order == 16 || (order >= 23 && order <= 28) ||
        (order >= 38 && order <= 44) || order == 14)
        return kTargetPoint;
    return -1;
}

bool ScatterPoint(int squadX, int squadY, int& x, int& y, const std::function<bool(int, int)>& passable,
                  const std::function<int()>& random)
{
    const int dx = std::abs(squadX - x), dy = std::abs(squadY - y);
    // The old loop had no bound; it is capped here and falls back to the clicked point.
    for (int i = 0; i < kMaxScatterTries; ++i) {
        int tx = x, ty = y;
        if (dx / 3 > 0)
            tx += random() % (dx / 3) - dx / 6;
        if (dy / 3 > 0)
            ty += random() % (dy / 3) - dy / 6;
        if (passable(tx, ty)) {
            x = tx;
            y = ty;
            return true;
        }
    }
    return false;
}

CSquad* CGame::SelectedSquad() const
{
    return m_pSquadGame ? m_pSquadGame->m_services.pSelected : nullptr;
}

CSquad* CGame::OrderSquad() const
{
    return m_pSquadGame ? m_pSquadGame->m_services.pOrderSquad : nullptr;
}

bool CGame::ScreenToWorld(int x, int y, int& wx, int& wy) const
{
    if (!m_pMap || !m_pSquadGame)
        return false;
    return m_pMap->ViewToWorld(m_pSquadGame->m_rcView, x, y, &wx, &wy);
}

bool CGame::IsPassableFor(const CSquad* squad, int wx, int wy) const
{
    if (!m_pPathData)
        return false;
    CPathTile* tile = m_pPathData->GetTileAt(wx, wy);
    if (!tile)
        return false;
    const int cls = squad && squad->AgencyKind() == 4 ? 4 : 3;
    return tile->m_abyCosts[cls] != CPathTile::kImpassable;
}

CSquad* CGame::SquadAtScreen(int x, int y) const
{
    if (!m_pSquadGame || !m_pSquadGame->Scenario())
        return nullptr;
    CSquadPickPoint point;
    point.x = x;
    point.y = y;
    point.nListMask = 3;
    return m_pSquadGame->Scenario()->PickSquadsAt(point);
}

void CGame::SelectSquad(CSquad* squad)
{
    if (!m_pSquadGame)
        return;
    m_pSquadGame->m_services.pSelected = squad;
    m_pSquadGame->m_services.pOrderSquad = squad;
    if (m_pSprites && squad)
        m_pSprites->SetSelectedSprite(squad->m_pSprite, m_pSquadGame->m_rcView, m_pSquadGame->m_drawFilter.m_nZoom);
}

void CGame::CancelOrderTargeting()
{
    if (m_pSquadGame) {
        m_pSquadGame->m_services.pSelected = nullptr;
        m_pSquadGame->m_services.pOrderSquad = nullptr;
        if (m_pSprites)
            m_pSprites->SetSelectedSprite(nullptr, m_pSquadGame->m_rcView, m_pSquadGame->m_drawFilter.m_nZoom);
    }
    m_nPendingOrder = 0;
    m_nHudSubState = 0;
    SetMouseCursor(kCursorArrowId);
}

void CGame::GiveOrderTo(CSquad* squad, int order, int wx, int wy, CSquad* target)
{
    const int32_t player = LocalOrderPlayer();
    squad->GiveOrder(player, order, wx, wy, 0x1, target);
    CancelOrderTargeting();
    PlaySound(0);
}

int32_t CGame::LocalOrderPlayer() const
{
    return m_pSquadGame ? m_pSquadGame->m_services.nLocalPlayer : 0;
}

void CGame::IssueOrderAt(int x, int y)
{
    CSquad* squad = OrderSquad();
    if (!squad)
        return;
    int wx = 0, wy = 0;
    if (!ScreenToWorld(x, y, wx, wy))
        return;
    const int order = m_nPendingOrder;
    if ((order >= 2 && order <= 4) || (order >= 8 && order <= 13) || order == 15 || order == 44) {
        GiveOrderTo(squad, order, wx, wy, nullptr);
    } else if (order == 17 || order == 19) {
        CSquad* selected = SelectedSquad();
        CSquad* at = order == 17 ? squad : selected;
        if (at)
            GiveOrderTo(squad, order, static_cast<int>(at->m_fX), static_cast<int>(at->m_fY), selected);
    }
}

void CGame::UpdateOrderCursor(int x, int y, CSquad* hovered)
{
    CSquad* squad = OrderSquad();
    int wx = 0, wy = 0;
    if (!squad || x >= 800 || y >= kHudTop || !ScreenToWorld(x, y, wx, wy) || !m_pPathData ||
        !m_pPathData->GetTileAt(wx, wy)) {
        m_nPendingOrder = 0;
        SetMouseCursor(kCursorArrowId);
        return;
    }
    CPathTile* tile = m_pPathData->GetTileAt(wx, wy);
    CPathTile* cell = tile->m_pCellHead ? tile->m_pCellHead : tile;
    const bool burning = (cell->m_nFlags & kTileFire) != 0;
    const bool danger = burning;
    const bool passable = IsPassableFor(squad, wx, wy);
    if (squad->AgencyKind() == 4) {
        if (hovered && hovered != squad && squad->CanLoad(hovered)) {
            m_nPendingOrder = 17;
            SetMouseCursor(6, danger);
        } else if (!passable) {
            m_nPendingOrder = 0;
            SetMouseCursor(5, false, true);
        } else {
            m_nPendingOrder = 3;
            SetMouseCursor(5, danger);
        }
        return;
    }
    if (!passable) {
        m_nPendingOrder = 0;
        SetMouseCursor(4, false, true);
    } else if (hovered && hovered->IsVehicle() && hovered->CanLoad(squad)) {
        m_nPendingOrder = 19;
        SetMouseCursor(6, danger);
    } else if (burning && squad->AgencyKind() == 1) {
        m_nPendingOrder = 11;
        SetMouseCursor(11, danger);
    } else {
        m_nPendingOrder = 3;
        SetMouseCursor(4, danger);
    }
}

void CGame::UpdateTargetCursor(int x, int y)
{
    CSquad* squad = OrderSquad();
    int wx = 0, wy = 0;
    const bool inMap = squad && x < 800 && y < kHudTop && ScreenToWorld(x, y, wx, wy);
    const bool prohibited = !inMap || !IsPassableFor(squad, wx, wy);
    SetMouseCursor(TargetCursorFor(m_nPendingOrder, squad && squad->AgencyKind() == 4, m_nHudSubState), false,
                   prohibited && TargetCursorFor(m_nPendingOrder, false, m_nHudSubState) != kCursorTargetId);
}

int TargetCursorFor(int order, bool vehicle, int subState)
{
    switch (order) {
    case 2:
    case 3:
        return vehicle ? 5 : 4;
    case 4:
        return 7;
    case 5:
        return 21;
    case 6:
        return 18;
    case 7:
        return 19;
    case 8:
        return 14;
    case 9:
        return 13;
    case 10:
    case 44:
        return 10;
    case 11:
        return 11;
    case 12:
        return 12;
    case 13:
        return 8;
    case 14:
        return 22;
    case 15:
        return 9;
    case 16:
        return 17;
    case 17:
    case 19:
        return 6;
    case 38:
        return 20;
    case 39:
        return subState == 5 ? 16 : 15;
    default:
        return kCursorTargetId;
    }
}

bool CGame::OnTacticalMapInput(int kind, int x, int y, uint32_t buttons)
{
    CSquadManager* squads = m_pSquadGame ? m_pSquadGame->Scenario() : nullptr;
    if (!squads)
        return false;
    const bool menuShown = m_pPopupView && m_pPopupView->IsShown();
    if (kind == 0) {
        if (menuShown && m_pPopupView->OnMouseMove(x, y, buttons))
            return true;
        if (m_nInputState == 1 && m_nHudSubState >= 1 && m_nHudSubState <= 5) {
            UpdateTargetCursor(x, y);
            return true;
        }
        CSquad* hovered = SquadAtScreen(x, y);
        if (hovered && hovered != m_pHoverSquad)
            PlaySound(1, 0.4f);
        m_pHoverSquad = hovered;
        if (OrderSquad())
            UpdateOrderCursor(x, y, hovered);
        return true;
    }
    if (kind != 1)
        return true;
    const bool left = (buttons & 1) != 0, right = (buttons & 2) != 0;

    if (m_nInputState == 1) {
        const int choice = menuShown ? m_pPopupView->OnClick(x, y, 1) : -1;
        if (choice == -2) {
            m_pPopupView->SetShown(false);
            return false;
        }
        if (choice == -3)
            return true;
        CSquad* squad = OrderSquad();
        if (choice >= 0) {
            m_pPopupView->SetShown(false);
            return OnOrderMenuChoice(choice);
        }
        // A point on the map for the pending order.
        if (!left || !squad || squad->IsDown()) {
            m_nHudSubState = 0;
            return false;
        }
        int wx = 0, wy = 0;
        if (y >= kHudTop || !ScreenToWorld(x, y, wx, wy) || !IsPassableFor(squad, wx, wy)) {
            PlaySound(2);
            return true;
        }
        CSquad* under = SquadAtScreen(x, y);
        switch (m_nHudSubState) {
        case 1:
            GiveOrderTo(squad, m_nPendingOrder, wx, wy, nullptr);
            return false;
        case 2:
        case 3:
            if (under && under != squad && (m_nHudSubState == 2 ? under->CanLoad(squad) : squad->CanLoad(under))) {
                GiveOrderTo(squad, m_nPendingOrder, wx, wy, under);
                return false;
            }
            break;
        case 4:
            if (under && under != squad) {
                m_pDirected = under;
                PlaySound(26, 0.5f);
                m_nHudSubState = 5;
                UpdateTargetCursor(x, y);
                return true;
            }
            break;
        case 5: {
            auto passable = [&](int px, int py) { return IsPassableFor(squad, px, py); };
            ScatterPoint(static_cast<int>(squad->m_fX), static_cast<int>(squad->m_fY), wx, wy, passable,
                         [] { return std::rand(); });
            GiveOrderTo(squad, m_nPendingOrder, wx, wy, m_pDirected);
            m_pDirected = nullptr;
            return false;
        }
        default:
            break;
        }
        PlaySound(2);
        return true;
    }

    // Input state 0.
    CSquad* under = SquadAtScreen(x, y);
    CSquad* orderSquad = OrderSquad();
    if (!under) {
        if (orderSquad && left) {
            IssueOrderAt(x, y);
        } else if (orderSquad && right) {
            CancelOrderTargeting();
            PlaySound(0);
        }
        return true;
    }
    if (orderSquad) {
        if (left)
            IssueOrderAt(x, y);
        else if (right && under == orderSquad)
            OpenOrderMenu(under, x, y);
        else if (right)
            CancelOrderTargeting();
        return true;
    }
    const bool commandable =
        (m_uMode & kModeWaiveUnits) ||
        (!under->IsDown() && !(under->m_pSprite && (under->m_pSprite->m_Placement.Flags & 0x200)) &&
         under->AgencyKind() != 5 && under->AgencyKind() != 6);
    if (!commandable) {
        PlaySound(2);
        return true;
    }
    SelectSquad(under);
    PlaySound(0);
    if (right)
        OpenOrderMenu(under, x, y);
    return true;
}

void CGame::OpenOrderMenu(CSquad* squad, int x, int y)
{
    CSquadManager* squads = m_pSquadGame ? m_pSquadGame->Scenario() : nullptr;
    if (!squads || !m_pPopupView)
        return;
    SelectSquad(squad);
    if (m_pPopupView->Open(squads->BuildOrderMenu(squad), x, y)) {
        m_pPopupView->Render();
        m_nInputState = 1;
        m_nHudSubState = 0;
        SetMouseCursor(kCursorArrowId);
    }
}

bool CGame::OnOrderMenuChoice(int order)
{
    CSquad* squad = OrderSquad();
    if (!squad || squad->IsDown())
        return false;
    const int target = OrderTargetKind(order);
    if (order == 14 && ((m_pEOCUnitData->m_aSections[3].uActivated & 0x2) || (m_uMode & kModeWaiveUnits))) {
        GiveOrderTo(squad, order, static_cast<int>(squad->m_fX), static_cast<int>(squad->m_fY), nullptr);
        return false;
    }
    if (order == 21) {
        CByteWriter w;
        w.WriteI32(CSquadManager::GetSquadNumber(squad));
        PostGameMessage(kGmSquadCancel, w.Bytes(), w.Size());
        CancelOrderTargeting();
        return false;
    }
    if (order == 22)
        return false;
    if (target == kTargetNone) {
        GiveOrderTo(squad, order, static_cast<int>(squad->m_fX), static_cast<int>(squad->m_fY), nullptr);
        return false;
    }
    if (target < 0)
        return false;
    m_nPendingOrder = order;
    m_nHudSubState = target;
    SetMouseCursor(TargetCursorFor(order, squad->AgencyKind() == 4, target));
    return true;
}

bool CGame::PickViewCentre(int kind, int x, int y, uint32_t buttons)
{
    if (kind == 0 || kind == 2)
        return false;
    int wx = 0, wy = 0;
    if (kind == 1 && (buttons & 1) && ScreenToWorld(x, y, wx, wy)) {
        SelectZoom(0);
        m_pMap->CenterViewAt(&m_pSquadGame->m_rcView, wx, wy);
        RefreshView();
        PlaySound(0);
    }
    SetMouseCursor(kCursorArrowId);
    return true;
}

void CGame::SelectZoom(int zoom)
{
    if (!m_pMap || !m_pSquadGame)
        return;
    m_pSquadGame->m_drawFilter.m_nZoom = zoom;
    m_nZoomLevel = zoom;
    m_pMap->SetZoom(&m_pSquadGame->m_rcView);
    if (m_pSprites)
        m_pSprites->SetZoom(zoom);
    RefreshView();
}

void CGame::RefreshView()
{
    if (m_pSprites && m_pSquadGame)
        m_pSprites->UpdateScreenRects(m_pSquadGame->m_rcView);
}

void CGame::ScrollMap(int dx, int dy)
{
    if (!m_pMap || !m_pSquadGame)
        return;
    m_pMap->ScrollByTiles(&m_pSquadGame->m_rcView, dx, dy);
    RefreshView();
}

void CGame::RouteInPlayMouse(int kind, int x, int y, uint32_t buttons)
{
    switch (m_nInputState) {
    case 0:
    case 2:
        if (y >= kHudTop && m_pHUD) {
            m_nInputState = kind == 0 ? (m_pHUD->OnMouseMove(x, y, buttons) == 1 ? 2 : 0) : m_nInputState;
            return;
        }
        m_nInputState = 0;
        OnTacticalMapInput(kind, x, y, buttons);
        return;
    case 1:
        if (!OnTacticalMapInput(kind, x, y, buttons)) {
            m_nInputState = 0;
            if (!OrderSquad())
                SetMouseCursor(kCursorArrowId);
        }
        return;
    case 3:
        if (PickViewCentre(kind, x, y, buttons))
            m_nInputState = 0;
        return;
    case 11:
        if (kind == 1 && (buttons & 1)) {
            if (y >= kHudTop)
                PlaySound(2);
            else {
                SetMouseCursor(kCursorArrowId);
                m_nInputState = 0;
            }
        } else if (kind == 1 && (buttons & 2)) {
            SetMouseCursor(kCursorArrowId);
            m_nInputState = 0;
        }
        return;
    default:
        if (m_nInputState >= 5 && m_nInputState <= 10 && kind == 1) {
            SetMouseCursor(kCursorArrowId);
            m_nInputState = 0;
        }
        return;
    }
}

bool CGame::OnPlayKey(uint32_t code)
{
    switch (code) {
    case kVkEscape:
        if (m_pPopupView && m_pPopupView->IsShown()) {
            m_pPopupView->SetShown(false);
            m_nInputState = 0;
        } else if (m_pInfoBox && m_pInfoBox->m_bShown) {
            m_pInfoBox->m_bShown = false;
        } else if (m_pMessageBox && m_pMessageBox->m_bShown) {
            m_pMessageBox->m_bShown = false;
        } else if (m_pEOC && m_pEOC->m_bShown) {
            m_pEOC->Close();
        } else if (m_pIAP && m_pIAP->m_bShown) {
            // Closing the IAP screen resumes a game it paused.
            m_pIAP->Close();
            SetPaused(false);
        } else if ((m_nInputState == 1 && m_nHudSubState >= 1 && m_nHudSubState <= 5) || m_nInputState == 3 ||
                   m_nInputState == 11 || (m_nInputState >= 5 && m_nInputState <= 10)) {
            m_nInputState = 0;
            m_nHudSubState = 0;
            SetMouseCursor(kCursorArrowId);
        } else if (OrderSquad()) {
            CancelOrderTargeting();
        } else {
            ConfirmExit(m_pMessageBox.get());
        }
        PlaySound(0);
        return true;
    case 0x25:
        ScrollMap(-1, 0);
        return true;
    case 0x26:
        ScrollMap(0, -1);
        return true;
    case 0x27:
        ScrollMap(1, 0);
        return true;
    case 0x28:
        ScrollMap(0, 1);
        return true;
    case 0x6B:
        SelectZoom(0);
        return true;
    case kVkQuickSave:
        // Stand-in for the HUD's save dialog until it lands: saves under one fixed name.
        if (SaveGame(kQuickSaveName))
            AddMessage(std::string("The game was saved as \"") + kQuickSaveName + "\".", -1, kMsgChat, 0,
                       kSenderSystem);
        PlaySound(0);
        return true;
    case kVkEndScenario:
        // Stand-in for the HUD's end-scenario control: message 50.
        if (GetLocalRoleFlags() & kRoleCommand || (m_uMode & kModeSingle))
            PostGameSignal(kGmEndScenario);
        return true;
    case 0x6D:
        if (m_pMap && m_pSquadGame)
            m_pMap->CenterViewAt(&m_pSquadGame->m_rcView, 0, 0);
        SelectZoom(1);
        return true;
    default:
        return false;
    }
}

void CGame::DrawPlay(CSurface* back)
{
    if (!back)
        return;
    if (m_pMap && m_pSquadGame && m_nView == 0) {
        const RECT& view = m_pSquadGame->m_rcView;
        m_pMap->Draw(view, back);
        if (m_pSprites) {
            m_pSprites->UpdateScreenRects(view);
            m_pSprites->Draw(view, back);
        }
    }
    if (m_pPopupView && m_pPopupView->IsShown())
        m_pPopupView->Draw(back);
}

void CGame::DrawStatusLine(CSurface* back)
{
    platform::gdi::DeviceContext* dc = nullptr;
    if (!back || !m_pRuntime || back->GetDC(&dc) != DD_OK || !dc)
        return;
    dc->SetBkMode(platform::gdi::TRANSPARENT);
    dc->SetTextColor(RGB(255, 255, 255));
    char text[160];
    const int32_t t = m_pRuntime->GetCurrentTime();
    std::snprintf(text, sizeof text, "%02d:%02d   Cost $%.0f%s", t / 100, t % 100, m_pRuntime->GetCost(),
                  (m_uMode & kModePaused) ? "   PAUSED" : "");
    dc->TextOut(8, 452, text, -1);
    int row = 0;
    const auto& lines = m_log.m_messages.aLines;
    for (size_t i = lines.size() > 6 ? lines.size() - 6 : 0; i < lines.size(); ++i, ++row)
        dc->TextOut(8, 470 + row * 16, lines[i].strText.c_str(), -1);
    back->ReleaseDC(dc);
}
