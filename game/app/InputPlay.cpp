// Input in play: the input state machine over the tactical map, the order menu, order targets, order cursors,
// view keys; and the map, sprites and status line drawn under the HUD.
#include "game/app/Game.h"
#include "game/app/InputPlay.h"

#include "core/display/CDisplay.h"
#include "core/widgets/CPopupMenuView.h"
#include "core/world/Map2DLinked.h"
#include "core/world/PathData.h"
#include "core/world/Sprite.h"
#include "core/world/SpriteManager.h"
#include "core/world/UnitTaskRecord.h"
#include "game/app/ScenarioLoadRuntime.h"
#include "game/screens/boxes/Boxes.h"
#include "game/screens/eoc/EOC.h"
#include "game/screens/hud/HUD.h"
#include "game/screens/iap/IAP_PhaseIF.h"
#include "game/sim/IncidentWorld.h"
#include "game/sim/Squad.h"
#include "game/sim/SquadGame.h"
#include "game/sim/SquadManager.h"
#include "game/sim/SimRandom.h"
#include "core/util/ByteStream.h"
#include "platform/gdi/DeviceContext.h"
#include "core/persist/DataRange.h"

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
    // Mended: the class follows the path finder (vehicles 4, others 3), not the agency kind.
    const int cls = squad && squad->IsVehicle() ? kVehicleCost : kFootCost;
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
            GiveOrderTo(squad, order, CheckedInt(at->m_fX), CheckedInt(at->m_fY), selected);
    }
}

void CGame::ShowHoverInfo(int x, int y)
{
    if (!m_pHUD)
        return;
    CSquad* hovered = SquadAtScreen(x, y);
    if (hovered) {
        m_pSquadGame->m_services.pSelected = hovered;
        if (m_pHUD->m_pInfoObject != hovered || m_pHUD->m_nInfoKind != HUD::kInfoSquad)
            PlaySound(1, 0.4f);
        m_pHUD->ShowInfo(HUD::kInfoSquad, hovered);
        return;
    }
    CSprite* sprite = m_pSprites ? m_pSprites->SpriteAtPoint(x, y) : nullptr;
    if (!sprite)
        m_pHUD->ShowInfo(HUD::kInfoNone, nullptr);
    else if (sprite->Kind() == kStationSprite)
        m_pHUD->ShowInfo(HUD::kInfoStation, sprite);
    else
        m_pHUD->ShowInfo(HUD::kInfoSprite, sprite);
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
        if (m_nInputState == 1) {
            CSquad* selected = SelectedSquad();
            if (selected && !selected->IsDown() && !selected->IsLoaded())
                UpdateTargetCursor(x, y);
            else
                m_nHudSubState = 0;
            return true;
        }
        ShowHoverInfo(x, y);
        UpdateOrderCursor(x, y, SquadAtScreen(x, y));
        return true;
    }
    if (kind != 1)
        return true;
    return m_nInputState == 1 ? OnTargetClick(x, y, buttons) : OnMapClick(x, y, buttons);
}

bool CGame::OnMapClick(int x, int y, uint32_t buttons)
{
    const bool left = (buttons & 1) != 0, right = (buttons & 2) != 0;
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
        if (m_pHUD)
            m_pHUD->ShowInfo(HUD::kInfoSquad, under);
        if (left)
            IssueOrderAt(x, y);
        else if (right && under == orderSquad)
            OpenOrderMenu(under, x, y);
        else if (right)
            CancelOrderTargeting();
        return true;
    }
    // Mended: the deploying flag 0x200 is the squad's own, not its sprite's; the local player must command it.
    const int32_t roles = static_cast<int32_t>(GetLocalRoleFlags());
    const bool commanded =
        under->m_pSprite && under->m_pSprite->MatchesAgencyMask(&m_pSquadGame->m_drawFilter, &roles, m_pSprites.get());
    const bool commandable =
        (m_uMode & kModeWaiveUnits) || (!under->IsDown() && under->AgencyKind() != 5 && under->AgencyKind() != 6 &&
                                        commanded && !(under->m_nFlags & kSqDeploying));
    if (!commandable) {
        PlaySound(2);
        return true;
    }
    SelectSquad(under);
    if (right)
        OpenOrderMenu(under, x, y);
    return true;
}

bool CGame::OnTargetClick(int x, int y, uint32_t buttons)
{
    const bool menuShown = m_pPopupView && m_pPopupView->IsShown();
    const int choice = menuShown ? m_pPopupView->OnClick(x, y, 1) : -1;
    if (choice == -2) {
        m_pPopupView->SetShown(false);
        return false;
    }
    if (choice == -3)
        return true;
    if (choice >= 0) {
        m_pPopupView->SetShown(false);
        return OnOrderMenuChoice(choice);
    }
    CSquad* squad = OrderSquad();
    if (!(buttons & 1) || !squad || squad->IsDown() || squad->IsLoaded()) {
        // A right click outside the menu ends only the waiting; the squad stays the order squad.
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
        // A responder's vehicle with room for the squad.
        if (under && under != squad && under->IsVehicle() && !under->IsDown() && under->AgencyKind() >= 0 &&
            under->AgencyKind() <= 4 && under->HasRoomFor(squad)) {
            GiveOrderTo(squad, m_nPendingOrder, wx, wy, under);
            return false;
        }
        break;
    case 3:
        if (under && under != squad && under->IsCompliant() && squad->CanLoad(under)) {
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
        // Mended: the directed squad may have left this map since it was picked.
        CSquad* directed = m_pSquadGame->Scenario()->ContainsSquad(m_pDirected);
        auto passable = [&](int px, int py) { return IsPassableFor(squad, px, py); };
        ScatterPoint(CheckedInt(squad->m_fX), CheckedInt(squad->m_fY), wx, wy, passable, SimRand);
        GiveOrderTo(squad, m_nPendingOrder, wx, wy, directed);
        m_pDirected = nullptr;
        return false;
    }
    default:
        break;
    }
    PlaySound(2);
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

void CGame::ShowSquadInfo(const CSquad* squad)
{
    if (m_pInfoBox && squad && squad->m_pUnitRecord)
        m_pInfoBox->ShowInfo(squad->m_pUnitRecord->m_nInfoEntry);
}

bool CGame::OnOrderMenuChoice(int order)
{
    CSquad* squad = OrderSquad();
    if (!squad || squad->IsDown())
        return false;
    const int target = OrderTargetKind(order);
    const int sx = CheckedInt(squad->m_fX), sy = CheckedInt(squad->m_fY);
    const bool negotiateNow =
        (m_pEOCUnitData && (m_pEOCUnitData->m_aSections[3].uActivated & 0x2)) || (m_uMode & kModeWaiveUnits);
    if (order == kActNegotiate && negotiateNow) {
        GiveOrderTo(squad, order, sx, sy, nullptr);
        return false;
    }
    if (order == kActCancel) {
        // A vehicle that was loading a squad cancels that squad's order too.
        CSquad* loading = (squad->m_nState == kActLoadSquad || squad->m_nNextState == kActLoadSquad)
                              ? m_pSquadGame->Scenario()->ContainsSquad(squad->m_pTarget)
                              : nullptr;
        for (CSquad* s : {loading, squad}) {
            if (!s)
                continue;
            CByteWriter w;
            w.WriteI32(CSquadManager::GetSquadNumber(s));
            PostGameMessage(kGmSquadCancel, w.Bytes(), w.Size());
        }
        CancelOrderTargeting();
        return false;
    }
    if (order == kActInfo) {
        ShowSquadInfo(squad);
        return false;
    }
    if (order == kActGoToStation) {
        int px = sx, py = sy;
        if (squad->m_pHomeStation)
            squad->m_pHomeStation->GetWorldPosition(&px, &py);
        GiveOrderTo(squad, order, px, py, nullptr);
        return false;
    }
    if (target == kTargetNone) {
        GiveOrderTo(squad, order, sx, sy, nullptr);
        return false;
    }
    if (target < 0)
        return false;
    m_nPendingOrder = order;
    m_nHudSubState = target;
    SetMouseCursor(TargetCursorFor(order, squad->IsVehicle(), target));
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

bool CGame::OnPlayKey(uint32_t code)
{
    switch (code) {
    case kVkEscape:
        if (m_pPopupView && m_pPopupView->IsShown()) {
            // The menu's own state ends with it (an order menu would leave input state 1 with nothing to pick).
            m_pPopupView->SetShown(false);
            if (m_nInputState == 1)
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
        } else if (m_nInputState >= 5 && m_nInputState <= 10) {
            if (m_pHUD)
                m_pHUD->RestoreOverlays();
            m_nInputState = 0;
            SetMouseCursor(kCursorArrowId);
        } else if ((m_nInputState == 1 && m_nHudSubState >= 1 && m_nHudSubState <= 5) || m_nInputState == 3 ||
                   m_nInputState == 11) {
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
    } else if (m_nView == 1 && m_pAreaSprites) {
        if (m_pMap)
            m_pMap->DrawAreaMapBitmap(back);
        m_pAreaSprites->UpdateScreenRects(m_rcAreaView);
        m_pAreaSprites->Draw(m_rcAreaView, back);
    }
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
