// Routing of keys, characters and mouse events to the live screen by the mode flags.
#include "game/app/Game.h"

#include "game/app/InputPlay.h"
#include "game/app/OrderCursor.h"
#include "game/screens/boxes/Boxes.h"
#include "game/screens/briefing/BriefingIF.h"
#include "game/screens/debrief/DeBriefIF.h"
#include "game/screens/eoc/EOC.h"
#include "game/screens/hud/HUD.h"
#include "game/screens/iap/IAP_PhaseIF.h"
#include "game/screens/lobby/MPlayIF.h"
#include "game/screens/role/RoleIF.h"
#include "platform/system/Clock.h"

namespace {

constexpr uint32_t kFrontEndBits = kModeFrontEnd | kModeLobby | kModeRoleSelect | kModeBriefing | kModeDebrief |
                                   kModeTitle | kModeCredits | kModeBriefingReopened | kModeRolesReopened;
constexpr uint32_t kSplashBits = kModeTitle | kModeSponsorSplash | kModeMakerSplash;
constexpr size_t kChatMax = 80;

int LowX(int32_t lParam)
{
    return static_cast<int16_t>(lParam & 0xFFFF);
}

int HighY(int32_t lParam)
{
    return static_cast<int16_t>((static_cast<uint32_t>(lParam) >> 16) & 0xFFFF);
}

} // namespace

uint8_t CGame::OnMouse(uint32_t, uint32_t wParam, int32_t lParam, int kind)
{
    const int x = LowX(lParam), y = HighY(lParam);
    const uint32_t buttons = wParam;
    if (m_uMode & (kFrontEndBits | kModeSponsorSplash | kModeMakerSplash)) {
        if (kind == 0) {
            if ((m_uMode & kModeLobby) && m_pLobby)
                m_pLobby->OnMouseMove(x, y, buttons);
            else if ((m_uMode & (kModeBriefing | kModeBriefingReopened)) && m_pBriefing)
                m_pBriefing->OnMouseMove(x, y, buttons);
            else if ((m_uMode & (kModeRoleSelect | kModeRolesReopened)) && m_pRole)
                m_pRole->OnMouseMove(x, y, buttons);
            else if ((m_uMode & kModeDebrief) && m_pDebrief && !(m_pInfoBox && m_pInfoBox->OnMouse(0, x, y, buttons)))
                m_pDebrief->OnMouseMove(x, y, buttons);
            return 1;
        }
        if (kind == 2) {
            if ((m_uMode & kModeDebrief) && m_pDebrief)
                m_pDebrief->OnMouseUp(x, y, buttons);
            return 1;
        }
        if (kind != 1)
            return 1;
        const bool quickStart = m_bQuickStart;
        m_bQuickStart = false;
        if ((m_uMode & kModeLobby) && m_pLobby && (m_pLobby->OnClick(x, y, buttons) || quickStart)) {
            SetMouseCursor(2);
            SetPaused(true);
            if (!StartOrJoinGame()) {
                SetMouseCursor(1);
                return 1;
            }
            m_pLobby->Show(false);
            SetMouseCursor(1);
        }
        if ((m_uMode & kModeBriefing) && m_pBriefing && m_pBriefing->OnClick(x, y, buttons)) {
            if (m_uMode & kModeSingle) {
                SetMouseCursor(2);
                StartScenario();
                SetMouseCursor(1);
            } else {
                m_uMode = (m_uMode & ~kModeBriefing) | kModeRoleSelect;
                if (m_pRole)
                    m_pRole->Open(true, m_pSprites ? &m_pSprites->GetAgencies() : nullptr);
            }
        }
        if ((m_uMode & kModeBriefingReopened) && m_pBriefing && m_pBriefing->OnClick(x, y, buttons))
            m_uMode &= ~kModeBriefingReopened;
        if ((m_uMode & kModeRoleSelect) && m_pRole && m_pRole->OnClick(x, y, buttons)) {
            SetMouseCursor(2);
            StartScenario();
            SetMouseCursor(1);
        }
        if ((m_uMode & kModeRolesReopened) && m_pRole && m_pRole->OnClick(x, y, buttons))
            m_uMode &= ~kModeRolesReopened;
        const bool splashOrCredits = (m_uMode & (kSplashBits | kModeCredits)) != 0;
        if (splashOrCredits) {
            AdvanceSplash();
            m_uLobbyEntered = platform::GetTickCount();
        }
        if (!(m_pInfoBox && m_pInfoBox->OnMouse(1, x, y, buttons)) && (m_uMode & kModeDebrief) && m_pDebrief &&
            m_pDebrief->OnClick(x, y, buttons)) {
            m_pDebrief->Activate(false);
            m_uMode = (m_uMode & ~kModeDebrief) | kModeCredits;
            m_uLobbyEntered = platform::GetTickCount();
        }
        if (splashOrCredits)
            PlaySound(0);
        return 1;
    }

    // In play: the message box (modal), the save dialog, then the input state machine.
    if (m_pMessageBox && m_pMessageBox->m_bShown) {
        int result = 0;
        m_pMessageBox->OnMouse(x, y, kind == 1 ? buttons : 0, result);
        if (result == 1)
            m_uMode |= kModeQuit;
        return 1;
    }
    if (m_pHUD && (kind == 0 || kind == 1) && m_pHUD->OnSaveDialogMouse(x, y, kind))
        return 1;
    RouteInputState(kind, x, y, buttons);
    return 1;
}

void CGame::RouteInputState(int kind, int x, int y, uint32_t buttons)
{
    auto infoBoxTakes = [&] { return m_pInfoBox && m_pInfoBox->OnMouse(kind, x, y, buttons); };
    const int state = m_nInputState;
    if (state == 0) {
        if (infoBoxTakes())
            return;
        if (OnPanelInput(kind, x, y, buttons)) {
            if (m_pHUD) {
                m_pHUD->m_nHoverControl = 0;
                m_pHUD->DrawInfoPanel(m_pDisplay.get(), -1);
            }
        } else {
            OnTacticalMapInput(kind, x, y, buttons);
        }
    } else if (state == 1) {
        if (!infoBoxTakes() && !OnTacticalMapInput(kind, x, y, buttons)) {
            m_nInputState = 0;
            SetMouseCursor(kCursorArrow);
        }
    } else if (state == 2) {
        if (!infoBoxTakes() && !OnPanelInput(kind, x, y, buttons))
            m_nInputState = 0;
    } else if (state == 3) {
        if (PickViewCentre(kind, x, y, buttons))
            m_nInputState = 0;
    } else if (state == 4) {
        if (!infoBoxTakes() && !OnAreaMapInput(kind, x, y, buttons))
            OnPanelInput(kind, x, y, buttons);
    } else if (state >= 5 && state <= 10) {
        if (OnPlaceFacility(state, kind, x, y, buttons)) {
            SetMouseCursor(kCursorArrow);
            if (m_pHUD)
                m_pHUD->RestoreOverlays();
            m_nInputState = 0;
        }
    } else if (state == 11) {
        OnPlaceIncidentObject(kind, x, y, buttons);
    }
}

bool CGame::OnKeyDown(uint32_t code, int kind)
{
    (void)kind;
    if (!m_pHUD && code == kVkEscape && !(m_uMode & (kModeLobby | kModeBriefing | kModeRoleSelect | kModeDebrief)))
        return true;
    // While a save is being named the keys are the save dialog's (it takes their characters).
    if ((m_uMode & kModeSaving) && m_pHUD && m_pHUD->m_bSaveOpen)
        return false;
    if (m_uMode & kModeDebrief) {
        if (m_pDebrief)
            m_pDebrief->OnKey(code);
    } else if (m_uMode & kModeBriefingReopened) {
        if (m_pBriefing)
            m_pBriefing->OnKey(code);
    } else if (m_uMode & kModeRoleSelect) {
        if (m_pRole)
            m_pRole->OnKey(code);
        if (code == kVkPseudoStart)
            OnMouse(0x201, 1, 0, 1);
    } else if (m_uMode & kModeRolesReopened) {
        if (m_pRole)
            m_pRole->OnKey(code);
    } else if (m_uMode & kModeBriefing) {
        if (m_pBriefing)
            m_pBriefing->OnKey(code);
        if (code == kVkF4)
            OnMouse(0x201, 0, 0, 1);
    } else if (m_uMode & kModeLobby) {
        if (m_pLobby)
            m_pLobby->OnKey(code);
        if (code == kVkF7)
            m_bQuickStart = PrepareQuickStart();
        if (code == kVkF4 || code == kVkF6 || code == kVkF7)
            OnMouse(0x201, 0, 0, 1);
        // Escape with no scenario built closes the program from the lobby too.
        if (code == kVkEscape && !m_pHUD)
            return true;
    } else if (code == kVkReturn && (m_uMode & (kSplashBits | kModeCredits))) {
        AdvanceSplash();
        m_uLobbyEntered = platform::GetTickCount();
    } else if (code == kVkPause) {
        // The single player holds every role.
        if ((GetLocalRoleFlags() & kRoleCommand) || (m_uMode & kModeSingle))
            TogglePause();
        PlaySound(0);
    } else if (m_pMap && m_pSquadGame && OnPlayKey(code)) {
        // Keys of play: escape chain, map scrolling and zoom.
    } else if (m_pHUD && !(m_uMode & (kSplashBits | kModeCredits)) && code != kVkEscape && code != kVkPrior &&
               code != kVkNext && code != kVkEnd && code != kVkHome) {
        RouteKey(code);
    } else if (code == kVkEscape) {
        if (m_pInfoBox && m_pInfoBox->m_bShown)
            m_pInfoBox->m_bShown = false;
        else if (m_pMessageBox && m_pMessageBox->m_bShown)
            m_pMessageBox->m_bShown = false;
        else if (m_pEOC && m_pEOC->m_bShown)
            m_pEOC->Close();
        else if (m_pIAP && m_pIAP->m_bShown)
            m_pIAP->Close();
        else if (m_nInputState == 3 || m_nInputState == 11 || (m_nInputState >= 5 && m_nInputState <= 10)) {
            m_nInputState = 0;
            m_nHudSubState = 0;
            SetMouseCursor(1);
        } else
            ConfirmExit(m_pMessageBox.get());
        PlaySound(0);
    } else if (code == kVkPrior || code == kVkNext || code == kVkEnd || code == kVkHome) {
        const int kinds[] = {2, 3, 5, 4};
        ScrollMessageLog(kinds[code - kVkPrior]);
    }
    return false;
}

void CGame::RouteKey(uint32_t code)
{
    const int x = static_cast<int>(code);
    if (m_nInputState == 0) {
        if (!OnPanelInput(3, x, 0, 0))
            OnTacticalMapInput(3, x, 0, 0);
    } else if (m_nInputState == 2) {
        if (!OnPanelInput(3, x, 0, 0))
            m_nInputState = 0;
    } else if (m_nInputState == 1) {
        if (!OnTacticalMapInput(3, x, 0, 0)) {
            m_nInputState = 0;
            SetMouseCursor(kCursorArrow);
        }
    }
}

void CGame::OnChar(uint32_t character)
{
    if (m_uMode & kModeDebrief) {
        if (m_pDebrief)
            m_pDebrief->OnChar(character);
    } else if (m_uMode & kModeLobby) {
        if (m_pLobby)
            m_pLobby->OnChar(character);
    } else if (m_uMode & kModeBriefing) {
        // The briefing takes no characters.
    } else if (m_uMode & kModeRoleSelect) {
        if (m_pRole)
            m_pRole->OnChar(character);
    } else if (m_uMode & kModeSaving) {
        if (m_pHUD)
            m_pHUD->OnSaveDialogChar(character);
    } else if (!(m_uMode & kModeFrontEnd)) {
        OnChatKey(character);
    }
}

void CGame::OnChatKey(uint32_t character)
{
    if (!m_pHUD)
        return;
    std::string& chat = m_pHUD->m_strChat;
    switch (character) {
    case 8:
        if (chat.empty())
            PlaySound(2);
        else
            chat.pop_back();
        break;
    case 9:
    case 27:
        break;
    case 13:
        SendNotice(chat, kMsgChat, 0, -1);
        chat.clear();
        PlaySound(0);
        break;
    default:
        if (character < 32 || character > 255)
            break;
        if (chat.size() < kChatMax)
            chat.push_back(static_cast<char>(character));
        else
            PlaySound(2);
        break;
    }
    m_pHUD->DrawChatEntry();
}
