// The HUD's save dialog: listing the saved games, picking or typing a name, and saving through the game.
#include "game/screens/hud/HUD.h"

#include "core/display/CDisplay.h"
#include "game/app/Game.h"
#include "game/app/GameMessages.h"
#include "game/app/SavedGame.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Font.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace {

namespace fs = std::filesystem;
namespace gdi = platform::gdi;

constexpr size_t kMaxTypedName = 48; // characters a typed name may hold

bool Refused(uint32_t c)
{
    return c == '"' || c == '*' || c == '.' || c == '/' || c == ':' || c == '<' || c == '>' || c == '?' || c == '\\';
}

} // namespace

void HUD::OpenSaveDialog()
{
    if (m_pGame) {
        m_pGame->SetPaused(true);
        m_pGame->m_uMode |= kModeSaving;
        m_pGame->PostGameSignal(kGmSaveBegin);
    }
    ListSavedGames();
    m_bSaveOpen = 1;
    m_nSaveHighlight = 0;
    m_nSaveSelected = m_nSaveRemembered < m_nSaveCount ? m_nSaveRemembered : 0;
    RedrawSaveParts();
}

void HUD::ListSavedGames()
{
    for (std::string& name : m_aSaveNames)
        name.clear();
    m_nSaveCount = 0;
    m_nSaveSelected = 0;
    const fs::path saves = fs::path(m_strBase.empty() ? "." : m_strBase) / "Saves";
    std::error_code ec;
    fs::create_directories(saves, ec); // a failure leaves the list empty
    RemoveStaleSaveFolders(saves.string());
    std::vector<std::string> names;
    for (auto it = fs::directory_iterator(saves, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
        // Entries without an extension, as "*." lists them. Mended: "." and ".." are skipped by name, not by
        // assuming they come first.
        const std::string name = it->path().filename().string();
        if (name.empty() || name == "." || name == ".." || name.find('.') != std::string::npos)
            continue;
        if (name.size() < static_cast<size_t>(kSaveNameSize))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end()); // a stable order, whatever the file system lists
    for (const std::string& name : names) {
        if (m_nSaveCount >= kTypingSlot)
            break;
        m_aSaveNames[m_nSaveCount++] = name;
    }
}

void HUD::CommitTypedName()
{
    std::string& typed = m_aSaveNames[kTypingSlot];
    if (typed.empty())
        return;
    // A name already listed is selected rather than listed twice.
    for (int i = 0; i < m_nSaveCount; ++i)
        if (m_aSaveNames[i] == typed) {
            m_nSaveSelected = m_nSaveRemembered = i;
            return;
        }
    if (m_nSaveCount >= kTypingSlot)
        return; // a full list saves the typed name without listing it
    m_aSaveNames[m_nSaveCount] = typed;
    m_nSaveSelected = m_nSaveCount;
    m_nSaveRemembered = m_nSaveCount;
    ++m_nSaveCount;
}

void HUD::SaveSelected()
{
    const std::string name = m_aSaveNames[m_nSaveSelected];
    m_nSaveRemembered = m_nSaveSelected;
    if (m_pGame && m_pGame->SaveGame(name))
        m_pGame->AddMessage("The game was saved as \"" + name + "\".", -1, kMsgEvent, 0, kSenderSystem);
    CloseSaveDialog();
}

void HUD::CloseSaveDialog()
{
    m_bSaveOpen = 0;
    Sound(0);
    if (m_pGame) {
        m_pGame->m_uMode &= ~kModeSaving;
        m_pGame->PostGameSignal(kGmSaveEnd);
        m_pGame->SetPaused(false);
    }
    RedrawSaveParts();
}

bool HUD::HitSavePart(int part, int x, int y) const
{
    const CHudPart& p = m_aSaveParts[part];
    return (p.width > 0 || p.height > 0) && x >= p.x && x <= p.x + p.width && y >= p.y && y <= p.y + p.height;
}

bool HUD::OnSaveDialogMouse(int x, int y, int kind)
{
    if (!m_bSaveOpen)
        return false;
    const bool click = kind == 1;
    auto hover = [&](int highlight) {
        if (highlight != m_nSaveHighlight)
            Sound(1, 0.4f);
        m_nSaveHighlight = highlight;
    };
    if (HitSavePart(kSaveButton, x, y)) {
        if (!click) {
            hover(4);
        } else if (m_aSaveNames[m_nSaveSelected].empty()) {
            Sound(2);
        } else {
            m_nSaveHighlight = 4;
            CommitTypedName();
            SaveSelected();
            return true;
        }
    } else if (HitSavePart(kSaveCancel, x, y)) {
        if (!click) {
            hover(5);
        } else {
            m_nSaveHighlight = 5;
            CloseSaveDialog();
            return true;
        }
    } else if (HitSavePart(kSavePrev, x, y)) {
        if (!click) {
            hover(2);
        } else {
            m_nSaveHighlight = 2;
            Sound(0);
            // From the typed name (or the first name) back to the last listed one.
            if (m_nSaveSelected == kTypingSlot || --m_nSaveSelected < 0)
                m_nSaveSelected = m_nSaveCount > 0 ? m_nSaveCount - 1 : 0;
        }
    } else if (HitSavePart(kSaveNext, x, y)) {
        if (!click) {
            hover(3);
        } else {
            m_nSaveHighlight = 3;
            Sound(0);
            if (m_nSaveSelected == kTypingSlot || ++m_nSaveSelected >= m_nSaveCount)
                m_nSaveSelected = 0;
        }
    } else if (HitSavePart(kSaveName, x, y)) {
        if (!click) {
            hover(1);
        } else {
            m_nSaveHighlight = 1;
            m_nSaveSelected = kTypingSlot;
            m_aSaveNames[kTypingSlot].clear();
            Sound(0);
        }
    } else if (HitSavePart(kSavePanel, x, y)) {
        m_nSaveHighlight = 0;
    }
    RedrawSaveParts();
    return true;
}

bool HUD::OnSaveDialogChar(uint32_t c)
{
    if (!m_bSaveOpen)
        return true;
    std::string& typed = m_aSaveNames[kTypingSlot];
    // Typing starts a new name in the field at once, whatever name was picked.
    const bool editing = c == 8 || (c >= 32 && c <= 126 && !Refused(c));
    if (editing && m_nSaveSelected != kTypingSlot) {
        m_nSaveSelected = kTypingSlot;
        m_nSaveHighlight = 1;
        typed.clear();
    }
    switch (c) {
    case 8:
        if (typed.empty())
            Sound(2);
        else
            typed.pop_back();
        break;
    case 9:
        return true;
    case 13:
        CommitTypedName();
        if (!m_aSaveNames[m_nSaveSelected].empty()) {
            SaveSelected();
            return true;
        }
        Sound(2);
        break;
    case 27:
        m_nSaveHighlight = 5;
        CloseSaveDialog();
        return true;
    default:
        // Mended: control characters and bytes past ASCII would not make a portable folder name.
        if (Refused(c) || c < 32 || c > 126 || typed.size() >= kMaxTypedName)
            Sound(2);
        else
            typed.push_back(static_cast<char>(c));
        break;
    }
    RedrawSaveParts();
    return true;
}

void HUD::RedrawSaveParts()
{
    auto restore = [](CHudPart& p) {
        if (p.Ready())
            p.pSurface->BltFast(0, 0, p.pClean.get(), nullptr, 0);
    };
    CHudPart& field = m_aSaveParts[kSaveName];
    restore(field);
    gdi::DeviceContext* dc = nullptr;
    if (field.Ready() && field.pSurface->GetDC(&dc) == DD_OK && dc) {
        dc->SelectFont(m_pBoldFont.get());
        dc->SetBkMode(gdi::TRANSPARENT);
        dc->SetTextColor(RGB(230, 230, 230));
        RECT rect{10, 0, field.width, field.height};
        const std::string& name = m_aSaveNames[std::clamp(m_nSaveSelected, 0, kSaveSlots - 1)];
        dc->DrawText(name.c_str(), -1, &rect, gdi::DT_SINGLELINE | gdi::DT_VCENTER | gdi::DT_NOPREFIX);
        field.pSurface->ReleaseDC(dc);
    }
    for (int part : {kSaveButton, kSaveCancel}) {
        CHudPart& button = m_aSaveParts[part];
        restore(button);
        dc = nullptr;
        if (!button.Ready() || button.pSurface->GetDC(&dc) != DD_OK || !dc)
            continue;
        dc->SelectFont(m_pBannerFont.get());
        dc->SetBkMode(gdi::TRANSPARENT);
        const bool lit = m_nSaveHighlight == (part == kSaveButton ? 4 : 5);
        dc->SetTextColor(lit ? RGB(230, 230, 230) : RGB(200, 200, 200));
        RECT rect{0, 0, button.width, button.height};
        dc->DrawText(part == kSaveButton ? "Save" : "Cancel", -1, &rect,
                     gdi::DT_CENTER | gdi::DT_VCENTER | gdi::DT_SINGLELINE);
        button.pSurface->ReleaseDC(dc);
    }
}

void HUD::DrawSaveDialog(CSurface* target)
{
    if (!m_bSaveOpen || !target)
        return;
    for (int part : {kSavePanel, kSaveName, kSaveButton, kSaveCancel}) {
        CHudPart& p = m_aSaveParts[part];
        if (!p.Ready())
            continue;
        RECT src{0, 0, p.width, p.height};
        target->BltFast(p.x, p.y, p.pSurface.get(), &src, DDBLTFAST_SRCCOLORKEY);
    }
    const struct {
        int part, row, hoverRow, highlight;
    } kArrows[] = {{kSavePrev, 51, 52, 2}, {kSaveNext, 54, 55, 3}};
    for (const auto& a : kArrows) {
        const CArtRow* art = Row(m_nSaveHighlight == a.highlight ? a.hoverRow : a.row);
        if (!art)
            continue;
        RECT src{0, 0, art->width, art->height};
        const CHudPart& p = m_aSaveParts[a.part];
        target->BltFast(p.x, p.y, art->pSurface.get(), &src, DDBLTFAST_SRCCOLORKEY);
    }
}
