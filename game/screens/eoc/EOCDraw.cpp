// Drawing the EOC screen: tabs, unit buttons by state, the Resource Points panel, Done and Cancel.
#include "game/screens/eoc/EOC.h"

#include "core/display/CDisplay.h"
#include "core/display/CErrorLog.h"
#include "core/display/CSurface.h"
#include "game/app/Game.h"
#include "game/rules/RulesGame.h"
#include "game/screens/boxes/Boxes.h"
#include "game/screens/eoc/EOCPlayers.h"
#include "core/persist/DataRange.h"
#include "platform/gdi/DeviceContext.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace gdi = platform::gdi;

namespace {

// Face rows by state: available, active, locked, ordered.
constexpr int kFaceRows[4] = {16, 17, 18, 35};
enum EFace { kFaceAvailable, kFaceActive, kFaceLocked, kFaceOrdered };

const COLORREF kPanelInk = RGB(10, 10, 10);
const COLORREF kChiefName = RGB(230, 230, 230);
const COLORREF kHeading = RGB(200, 200, 200); // section names and headings on the panel's dark band
const COLORREF kNotice = RGB(250, 210, 120);  // a refusal's reason on the dark band
// Captions on a face where the light ones would not read (the ordered units' gold, the active green, the locked
// grey) are drawn dark, normal and hovered.
const COLORREF kDarkCaption = RGB(40, 32, 16);
const COLORREF kDarkCaptionHover = RGB(0, 0, 0);

// True when dark captions read better than the light ones on the face (sampled at its middle, above the caption).
bool TakesDarkCaptions(const CArtRow& row)
{
    const platform::PixelSurface* pixels = row.pSurface ? row.pSurface->GetPixels() : nullptr;
    if (!pixels || row.width <= 0 || row.height <= 0)
        return false;
    const COLORREF face = platform::Rgb565ToColorRef(pixels->GetPixel(row.width / 2, row.height / 4));
    return ContrastRatio(kDarkCaption, face) > ContrastRatio(kCaptionNormal, face);
}

std::string Number(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%d", CheckedInt(value));
    return text;
}

} // namespace

void EOC::BuildFaces()
{
    for (auto& section : m_aFaces)
        for (auto& unit : section)
            for (auto& face : unit)
                face.reset();
    if (!m_pDisplay || !m_pDisplay->IsUsable())
        return;
    for (int s = 0; s < kSections; ++s) {
        for (int u = 0; u < kUnitsPerSection; ++u) {
            if (!UnitExists(s, u))
                continue;
            const std::string label = m_pData->Unit(s, u).szLabel;
            for (int f = 0; f < 4; ++f) {
                const CArtRow* row = Row(kFaceRows[f]);
                if (!row)
                    continue;
                const bool dark = TakesDarkCaptions(*row);
                auto& faces = m_aFaces[static_cast<size_t>(s)][static_cast<size_t>(u)];
                faces[static_cast<size_t>(f * 2)] =
                    MakeFace(m_pDisplay, *row, label, m_pFont16.get(), dark ? kDarkCaption : kCaptionNormal);
                faces[static_cast<size_t>(f * 2 + 1)] =
                    MakeFace(m_pDisplay, *row, label, m_pFont16.get(), dark ? kDarkCaptionHover : kCaptionHover);
            }
        }
    }
    if (const CArtRow* button = Row(34)) {
        m_pDone = MakeFace(m_pDisplay, *button, "Done", m_pFont16.get(), kCaptionNormal);
        m_pDoneHover = MakeFace(m_pDisplay, *button, "Done", m_pFont16.get(), kCaptionHover);
        m_pCancel = MakeFace(m_pDisplay, *button, "Cancel", m_pFont16.get(), kCaptionNormal);
        m_pCancelHover = MakeFace(m_pDisplay, *button, "Cancel", m_pFont16.get(), kCaptionHover);
    }
    if (const CArtRow* panel = Row(28)) {
        m_pPanelClean = CopyArt(m_pDisplay, *panel);
        m_pPanel = CopyArt(m_pDisplay, *panel);
    }
}

void EOC::DrawUnits(CSurface* target, bool& ok)
{
    const int s = m_nSection;
    const CEOCSection& work = m_aWork[static_cast<size_t>(s)];
    for (int u = 0; u < kUnitsPerSection; ++u) {
        if (!UnitExists(s, u))
            continue;
        const uint32_t bit = 1u << u;
        const int p = m_pData->Unit(s, u).nPredecessor;
        const bool predecessorActive = p < 0 || p >= kUnitsPerSection || (work.uActivated & (1u << p));
        EFace face = kFaceAvailable;
        if (work.uActivated & bit)
            face = kFaceActive;
        else if (work.uOrdered & bit)
            face = kFaceOrdered;
        else if (!predecessorActive || !work.bChiefActive)
            face = kFaceLocked;
        const RECT r = UnitRect(s, u);
        const auto& faces = m_aFaces[static_cast<size_t>(s)][static_cast<size_t>(u)];
        CSurface* surface = faces[static_cast<size_t>(face * 2 + (u == m_nHoverUnit ? 1 : 0))].get();
        ok = (BlitKeyed(target, r.left, r.top, surface) == DD_OK) && ok;
    }
}

void EOC::Draw(CSurface* target)
{
    if (!m_bShown || !target)
        return;
    bool ok = true;
    if (const CArtRow* bg = Row(0))
        ok = (BlitKeyed(target, bg->x, bg->y, bg->pSurface.get()) == DD_OK) && ok;
    for (int t = 0; t < 5; ++t) {
        const int state = t == m_nSection ? 2 : t == m_nHoverTab ? 1 : 0;
        if (const CArtRow* tab = Row(1 + t * 3 + state))
            ok = (BlitKeyed(target, tab->x, tab->y, tab->pSurface.get()) == DD_OK) && ok;
    }
    DrawUnits(target, ok);
    if (m_nSection == 0) {
        for (int i = 20; i <= 27; ++i) {
            if (const CArtRow* arrow = Row(i))
                ok = (BlitKeyed(target, arrow->x, arrow->y, arrow->pSurface.get()) == DD_OK) && ok;
        }
    }
    if (const CArtRow* panel = Row(28))
        ok = (BlitKeyed(target, panel->x, panel->y, m_pPanel.get()) == DD_OK) && ok;
    const RECT done = DoneRect(), cancel = CancelRect();
    ok = (BlitKeyed(target, done.left, done.top, (m_nHoverButton == 0 ? m_pDoneHover : m_pDone).get()) == DD_OK) && ok;
    ok = (BlitKeyed(target, cancel.left, cancel.top, (m_nHoverButton == 1 ? m_pCancelHover : m_pCancel).get()) ==
          DD_OK) &&
         ok;
    if (!ok && m_pDisplay)
        m_pDisplay->GetErrorLog().LogError(DDERR_GENERIC, m_pDisplay->GetWindow(), "EOC Draw Failed");
    if (m_pMessageBox)
        m_pMessageBox->Draw(target);
}

void EOC::DrawSectionPanel(int w, int h, const std::string& money)
{
    // A section tab's panel: its chief, its own points and those granted in this visit (theirs to spend at
    // once; Done keeps them), the running cost on the Finance/Admin tab, and why the last order was refused.
    const CEOCSection& sec = m_aWork[static_cast<size_t>(m_nSection)];
    std::string chief = "none";
    if (sec.nChief != -1 || sec.bChiefActive)
        chief = PlayerName(m_pGame, sec.nChief);
    if (!sec.bChiefActive)
        chief = sec.bChiefOrdered ? chief + " (not yet in office)" : "none in office";
    const std::pair<std::string, std::string> rows[] = {
        {"Chief", chief},
        {"Own points", Number(sec.fResourcePoints)},
        {"Granted now", Number(sec.fGranted)},
        {money.empty() ? "" : "Running cost", money},
    };
    for (const auto& [label, value] : rows)
        if (!label.empty())
            m_aPanelTexts.push_back(label + ": " + value);
    if (!m_strNotice.empty())
        m_aPanelTexts.push_back(m_strNotice);
    if (!m_pPanel || w <= 0)
        return;
    RestoreSurface(m_pPanel.get(), m_pPanelClean.get());
    const unsigned line = gdi::DT_SINGLELINE | gdi::DT_VCENTER;
    int top = 6;
    for (const auto& [label, value] : rows) {
        if (label.empty())
            continue;
        DrawTextOn(m_pPanel.get(), m_pFont16.get(), label, RECT{8, top, 118, top + 18}, kHeading, line);
        DrawTextOn(m_pPanel.get(), m_pFont16.get(), value, RECT{122, top, w - 8, top + 18}, kChiefName, line);
        top += 22;
    }
    if (!m_strNotice.empty())
        DrawTextOn(m_pPanel.get(), m_pFont16.get(), m_strNotice, RECT{8, top + 4, w - 8, h - 32}, kNotice,
                   gdi::DT_LEFT | gdi::DT_WORDBREAK);
}

void EOC::DrawResourcePoints()
{
    static const char* const kSectionNames[kSections] = {"Command", "Operations", "Planning", "Logistics",
                                                         "Finance/Admin"};
    m_aPanelTexts.clear();
    const CEOCSection& current = m_aWork[static_cast<size_t>(m_nSection)];
    const std::string total = Number(current.fResourcePoints + current.fGranted);
    std::string money;
    if (m_nSection == 0) {
        for (int s = 0; s < kSections; ++s) {
            const CEOCSection& sec = m_aWork[static_cast<size_t>(s)];
            std::string line = std::string(kSectionNames[s]) + ": " + PlayerName(m_pGame, sec.nChief);
            if (s > 0)
                line += " " + Number(sec.fGranted) + " " + Number(sec.fResourcePoints);
            m_aPanelTexts.push_back(line);
        }
    } else if (m_nSection == 4 && m_bMoneyDisplay && m_pGame && m_pGame->m_pRules) {
        const float cost = m_pGame->m_pRules->m_scoring.GetCost();
        money = FormatMoney(CheckedInt(cost));
    }

    const CArtRow* row = Row(28);
    if (m_nSection != 0)
        DrawSectionPanel(row ? row->width : 0, row ? row->height : 0, money);
    m_aPanelTexts.push_back("Resource Points " + total);
    if (!m_pPanel || !row)
        return;
    const int w = row->width, h = row->height;
    const unsigned line = gdi::DT_SINGLELINE | gdi::DT_VCENTER;
    if (m_nSection == 0) {
        RestoreSurface(m_pPanel.get(), m_pPanelClean.get());
        // One row per section, lined up with the arrows of sections 1-4 (Command's above them), the numbers
        // left of the arrows; the chiefs' names in their light colour on the panel's dark band.
        auto rowTop = [&](int s) {
            const RECT arrow = ArrowRect(s, 0);
            return arrow.bottom > arrow.top ? (arrow.top + arrow.bottom) / 2 - row->y - 9 : 4 + s * 24;
        };
        const RECT firstArrow = ArrowRect(1, 0);
        const int numbersRight =
            firstArrow.right > firstArrow.left ? std::min(firstArrow.left - row->x - 4, w - 8) : w - 8;
        const int step = rowTop(2) - rowTop(1);
        const int nameLeft = 122, nameRight = numbersRight - 88;
        const int headTop = rowTop(1) - 2 * step;
        DrawTextOn(m_pPanel.get(), m_pFont16.get(), "Section", RECT{8, headTop, nameLeft - 4, headTop + 18}, kHeading,
                   line);
        DrawTextOn(m_pPanel.get(), m_pFont16.get(), "Chief", RECT{nameLeft, headTop, nameRight, headTop + 18}, kHeading,
                   line);
        DrawTextOn(m_pPanel.get(), m_pFont16.get(), "Granted  RP",
                   RECT{numbersRight - 100, headTop, numbersRight, headTop + 18}, kHeading, line | gdi::DT_RIGHT);
        for (int s = 0; s < kSections; ++s) {
            const CEOCSection& sec = m_aWork[static_cast<size_t>(s)];
            const int top = s == 0 ? rowTop(1) - step : rowTop(s);
            DrawTextOn(m_pPanel.get(), m_pFont16.get(), kSectionNames[s], RECT{8, top, nameLeft - 4, top + 18},
                       kHeading, line);
            DrawTextOn(m_pPanel.get(), m_pFont16.get(), PlayerName(m_pGame, sec.nChief),
                       RECT{nameLeft, top, nameRight, top + 18}, kChiefName, line);
            if (s == 0)
                continue;
            DrawTextOn(m_pPanel.get(), m_pFont16.get(), Number(sec.fGranted),
                       RECT{numbersRight - 84, top, numbersRight - 44, top + 18}, kChiefName, line | gdi::DT_RIGHT);
            DrawTextOn(m_pPanel.get(), m_pFont16.get(), Number(sec.fResourcePoints),
                       RECT{numbersRight - 40, top, numbersRight, top + 18}, kChiefName, line | gdi::DT_RIGHT);
        }
    }
    DrawTextOn(m_pPanel.get(), m_pFont20.get(), "Resource Points", RECT{8, h - 26, w - 60, h - 2}, kPanelInk, line);
    DrawTextOn(m_pPanel.get(), m_pFont20.get(), total, RECT{w - 60, h - 26, w - 8, h - 2}, kPanelInk,
               line | gdi::DT_RIGHT);
}
