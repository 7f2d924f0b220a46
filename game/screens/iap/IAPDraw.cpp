// Drawing the IAP phase screen: panel, explanation, section rows with percentages and chiefs, buttons, title.
#include "game/screens/iap/IAP_PhaseIF.h"

#include "core/display/CDisplay.h"
#include "core/display/CErrorLog.h"
#include "core/display/CSurface.h"
#include "core/world/ScenarioData.h"
#include "game/app/Game.h"
#include "game/rules/RulesGame.h"
#include "platform/gdi/DeviceContext.h"

#include <cstdio>

namespace gdi = platform::gdi;

namespace {

const COLORREF kPanelInk = RGB(10, 10, 10);
const COLORREF kChiefName = RGB(230, 230, 230);

std::string Number(int32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    return text;
}

} // namespace

void IAP_PhaseIF::BuildFaces()
{
    for (int s = 0; s < kSections; ++s) {
        m_aLabels[static_cast<size_t>(s)].reset();
        m_aLabelsHover[static_cast<size_t>(s)].reset();
    }
    if (!m_pDisplay || !m_pDisplay->IsUsable())
        return;
    if (const CArtRow* label = Row(21); label && m_pData) {
        for (int s = 0; s < kSections; ++s) {
            const std::string text = m_pData->Unit(0, s).szLabel;
            m_aLabels[static_cast<size_t>(s)] = MakeFace(m_pDisplay, *label, text, m_pFont16.get(), kCaptionNormal);
            m_aLabelsHover[static_cast<size_t>(s)] = MakeFace(m_pDisplay, *label, text, m_pFont16.get(), kCaptionHover);
        }
    }
    if (const CArtRow* explain = Row(1)) {
        m_pExplainClean = CopyArt(m_pDisplay, *explain);
        m_pExplain = CopyArt(m_pDisplay, *explain);
    }
    if (const CArtRow* title = Row(2)) {
        m_pTitleClean = CopyArt(m_pDisplay, *title);
        m_pTitle = CopyArt(m_pDisplay, *title);
    }
}

void IAP_PhaseIF::RedrawPanels()
{
    if (const CArtRow* explain = Row(1); explain && m_pExplain) {
        RestoreSurface(m_pExplain.get(), m_pExplainClean.get());
        DrawTextOn(m_pExplain.get(), m_pFont16.get(), "\n\n" + ExplanationText(),
                   RECT{8, 0, explain->width - 8, explain->height}, kPanelInk, gdi::DT_WORDBREAK);
    }
    if (const CArtRow* title = Row(2); title && m_pTitle) {
        RestoreSurface(m_pTitle.get(), m_pTitleClean.get());
        std::string text = m_pGame && m_pGame->m_pScenario ? m_pGame->m_pScenario->m_szTitle : "";
        const char* date = m_pGame && m_pGame->m_pRules ? m_pGame->m_pRules->m_scoring.GetDateText() : "";
        int32_t time = m_pGame ? m_pGame->GetTimeOfDay() : 0;
        if (time == 0 && m_pGame)
            time = m_pGame->m_nStartTime;
        char tail[64];
        std::snprintf(tail, sizeof tail, "    %.15s, %04d  ", date, time);
        text += tail;
        DrawTextOn(m_pTitle.get(), m_pFont18.get(), text, RECT{4, 0, title->width - 4, title->height}, kPanelInk,
                   gdi::DT_SINGLELINE | gdi::DT_VCENTER);
    }
    // Each button's hover face depends on the plan's total.
    for (int b = 0; b < 3; ++b) {
        const CArtRow* row = Row(16 + b);
        for (int h = 0; h < 2; ++h) {
            const std::string caption = ButtonCaption(b, h == 1);
            m_aButtons[static_cast<size_t>(b)][static_cast<size_t>(h)] =
                row && !caption.empty()
                    ? MakeFace(m_pDisplay, *row, caption, m_pFont16.get(), h ? kCaptionHover : kCaptionNormal)
                    : nullptr;
        }
    }
}

void IAP_PhaseIF::DrawRows(CSurface* target, bool& ok)
{
    const CArtRow* panel = Row(0);
    if (!panel)
        return;
    DrawTextOn(target, m_pFont18.get(), " Current       Section           Pending",
               RECT{panel->x + 12, panel->y + 35, panel->x + panel->width, panel->y + 55}, kPanelInk,
               gdi::DT_SINGLELINE);
    for (int s = 0; s < kSections; ++s) {
        const RECT r = RowRect(s);
        if (r.right <= r.left)
            continue;
        const auto& face =
            s == m_nHoverRow ? m_aLabelsHover[static_cast<size_t>(s)] : m_aLabels[static_cast<size_t>(s)];
        ok = (BlitKeyed(target, r.left, r.top, face.get()) == DD_OK) && ok;
        const CEOCSection& sec = m_aWork[static_cast<size_t>(s)];
        const unsigned line = gdi::DT_SINGLELINE | gdi::DT_VCENTER;
        DrawTextOn(target, m_pFont18.get(), Number(sec.nAllocation),
                   RECT{panel->x + 12, r.top - 2, r.left - 4, r.top + 14}, kPanelInk, line | gdi::DT_CENTER);
        DrawTextOn(target, m_pFont16.get(), ChiefName(s), RECT{panel->x + 8, r.top + 14, r.left - 6, r.bottom + 2},
                   kChiefName, line);
        const RECT plus = ArrowRect(s, 0);
        const int numberRight = plus.right > plus.left ? plus.left - 2 : r.right + 40;
        DrawTextOn(target, m_pFont18.get(), Number(sec.nProposed), RECT{r.right + 2, r.top, numberRight, r.bottom},
                   kPanelInk, line | gdi::DT_RIGHT);
        for (int a = 0; a < 2; ++a) {
            if (const CArtRow* arrow = Row(6 + s * 2 + a))
                ok = (BlitKeyed(target, arrow->x, arrow->y, arrow->pSurface.get()) == DD_OK) && ok;
        }
    }
}

void IAP_PhaseIF::Draw(CSurface* target)
{
    if (!m_bShown || !target)
        return;
    bool ok = true;
    if (const CArtRow* panel = Row(0))
        ok = (BlitKeyed(target, panel->x, panel->y, panel->pSurface.get()) == DD_OK) && ok;
    if (const CArtRow* tab = Row(5))
        ok = (BlitKeyed(target, tab->x, tab->y, tab->pSurface.get()) == DD_OK) && ok;
    if (const CArtRow* explain = Row(1))
        ok = (BlitKeyed(target, explain->x, explain->y, m_pExplain.get()) == DD_OK) && ok;
    DrawRows(target, ok);
    for (int b = 0; b < 3; ++b) {
        const RECT r = ButtonRect(b);
        if (r.right > r.left)
            ok = (BlitKeyed(target, r.left, r.top,
                            m_aButtons[static_cast<size_t>(b)][b == m_nHoverButton ? 1u : 0u].get()) == DD_OK) &&
                 ok;
    }
    if (const CArtRow* title = Row(2))
        ok = (BlitKeyed(target, title->x, title->y, m_pTitle.get()) == DD_OK) && ok;
    if (!ok && m_pDisplay)
        m_pDisplay->GetErrorLog().LogError(DDERR_GENERIC, m_pDisplay->GetWindow(), "IAP_PhaseIF Draw Failed");
}
