// The game object's drawing: the display, the menu art, frames by mode, presenting, cursors and sounds.
#include "game/app/Game.h"
#include "game/sim/IncidentLinks.h"

#include "core/display/CDisplay.h"
#include "core/sound/CSoundManager.h"
#include "core/widgets/CPopupMenuView.h"
#include "core/world/WorldContext.h"
#include "game/app/OrderCursor.h"
#include "game/screens/boxes/Boxes.h"
#include "game/screens/briefing/BriefingIF.h"
#include "game/screens/debrief/DeBriefIF.h"
#include "game/screens/eoc/EOC.h"
#include "game/screens/hud/HUD.h"
#include "game/screens/iap/IAP_PhaseIF.h"
#include "game/screens/lobby/MPlayIF.h"
#include "game/screens/role/RoleIF.h"
#include "platform/gdi/Font.h"
#include "platform/system/MessageBox.h"
#include "platform/system/Paths.h"

void CGame::CreateDisplay()
{
    m_pDisplay = std::make_unique<CDisplay>(m_pWindow, m_nClientWidth, m_nClientHeight, 16, 0, m_bWindowed);
    WorldContext().m_pDisplay = m_pDisplay.get();
}

void CGame::OnMove(int x, int y)
{
    if (m_pDisplay)
        m_pDisplay->UpdateBounds(m_pWindow, x, y);
}

void CGame::LoadMenuArt(EMenuArt art, const std::string& relative)
{
    m_apMenuArt[art].reset();
    if (!m_pDisplay || !m_pDisplay->IsUsable())
        return;
    int w = 0, h = 0;
    // A missing picture is told once and leaves a plain background.
    CSurface* surface = m_pDisplay->BitmapToSurface(platform::JoinPath(m_strBasePath, relative), &w, &h, true);
    if (surface)
        m_apMenuArt[art].reset(surface);
}

void CGame::DrawFrontEnd(CSurface* target)
{
    if (!target)
        return;
    RECT screen{0, 0, 800, 600};
    auto blit = [&](EMenuArt art) {
        if (CSurface* s = m_apMenuArt[art].get()) {
            RECT src{0, 0, s->GetWidth(), s->GetHeight()};
            target->Blt(&screen, s, &src, 0, nullptr);
        }
    };
    if (m_uMode & kModeTitle) {
        blit(kArtTitle);
    } else if (m_uMode & kModeSponsorSplash) {
        blit(kArtSponsor);
    } else if (m_uMode & kModeMakerSplash) {
        blit(kArtSponsor);
        blit(kArtMaker);
    } else if (m_uMode & kModeCredits) {
        blit(kArtCredits);
    } else if (m_uMode & kModeDebrief) {
        blit(kArtDebrief);
        if (m_pDebrief)
            m_pDebrief->Draw(target);
        if (m_pInfoBox)
            m_pInfoBox->Draw(target);
    } else if (m_uMode & (kModeRoleSelect | kModeRolesReopened)) {
        blit(kArtRole);
        if (m_pRole)
            m_pRole->Draw(target);
    } else if (m_uMode & (kModeBriefing | kModeBriefingReopened)) {
        blit(kArtBriefing);
        if (m_pBriefing)
            m_pBriefing->Draw(target);
    } else if (m_uMode & kModeLobby) {
        blit(kArtLobby);
        if (m_pLobby)
            m_pLobby->Draw(target);
    }
}

void CGame::Draw()
{
    if (!m_pDisplay || !m_pDisplay->IsUsable())
        return;
    CSurface* back = m_pDisplay->GetBackBuffer();
    if (m_uMode & (kModeFrontEnd | kModeDebrief | kModeCredits | kModeBriefingReopened | kModeRolesReopened)) {
        m_pDisplay->Clear(true);
        DrawFrontEnd(back);
        return;
    }
    m_pDisplay->Clear(true);
    DrawPlay(back);
    if (m_pHUD)
        m_pHUD->Draw(back);
    else
        DrawStatusLine(back);
    if (m_pIAP)
        m_pIAP->Draw(back);
    if (m_pEOC)
        m_pEOC->Draw(back);
    if (m_pInfoBox)
        m_pInfoBox->Draw(back);
    if (m_pMessageBox)
        m_pMessageBox->Draw(back);
    // An open menu (the HUD's, a squad's orders, the EOC's chief list) lies over every panel.
    if (m_pPopupView && m_pPopupView->IsShown())
        m_pPopupView->Draw(back);
    if (m_pHUD)
        m_pHUD->DrawSaveDialog(back);
}

bool CGame::PresentFrame()
{
    if (!m_pDisplay)
        return true;
    return m_pDisplay->Present() != DDERR_SURFACELOST;
}

void CGame::RestoreSurfaces()
{
    if (!m_pDisplay)
        return;
    if (CSurface* primary = m_pDisplay->GetPrimary(); primary && primary->IsLost())
        primary->Restore();
    if (CSurface* back = m_pDisplay->GetBackBuffer(); back && back->IsLost() && m_pDisplay->IsWindowed())
        back->Restore();
}

void CGame::SetMouseCursor(int id, bool warning, bool prohibited)
{
    const int set = prohibited ? 2 : warning ? 1 : 0;
    if (id == m_nCursorId && set == m_nCursorSet)
        return;
    m_nCursorId = id;
    m_nCursorSet = set;
    if (m_pCursors)
        m_pCursors->Show(id, set);
}

CSoundManager& CGame::SoundManager()
{
    return m_config.pSoundManager ? *m_config.pSoundManager : GetSoundManager();
}

namespace {

class CConfiguredIncidentSound : public IIncidentSound {
public:
    explicit CConfiguredIncidentSound(CSoundManager& sound) : m_sound(sound) {}
    int Play(int sound, float volume, bool loop) override { return m_sound.Play(sound, volume, loop); }
    void StopLoop(int channel) override { m_sound.StopLoop(channel); }

private:
    CSoundManager& m_sound;
};

} // namespace

IIncidentSound* CGame::IncidentSound()
{
    if (!m_config.pSoundManager)
        return GameIncidentSound();
    if (!m_pIncidentSound)
        m_pIncidentSound = std::make_shared<CConfiguredIncidentSound>(*m_config.pSoundManager);
    return m_pIncidentSound.get();
}

void CGame::PlaySoundEffect(int id, float volume)
{
    SoundManager().Play(id, volume, false);
}

int CGame::PlayLoopSound(int id, float volume)
{
    if (!(m_uMode & kModeSound))
        return -1;
    return SoundManager().Play(id, volume, true);
}

void CGame::StopLoopSound(int channel)
{
    if (channel >= 0)
        SoundManager().StopLoop(channel);
}

void CGame::SwitchSoundObjectOff()
{
    EnableSoundObject(false);
}

void CGame::EnableSoundObject(bool on)
{
    if (m_config.pSoundManager || !m_config.fnPlaySound)
        SoundManager().EnableSound(on);
}

void CGame::AddGameFont(bool add)
{
    const std::string path = platform::JoinPath(m_strBasePath, "Art/accid___.ttf");
    if (add) {
        m_bFontAdded = platform::gdi::AddFontFile(path);
        // The texts fall back to the system's sans face.
        if (!m_bFontAdded)
            platform::ReportUnloadableFile(path, "AddFontResource");
    }
    else if (m_bFontAdded)
        platform::gdi::RemoveFontFile(path);
}
