// Pop-up widget: loading the frame list and bitmaps, layout inside the screen, rendering lines, input.
#include "core/widgets/CPopupMenuView.h"

#include "core/display/CDisplay.h"
#include "core/sound/CSoundManager.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/system/MessageBox.h"
#include "platform/system/Paths.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <vector>

namespace {

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;
constexpr COLORREF kDisabledText = 0x969696;
constexpr COLORREF kHoverText = 0x326418;
constexpr COLORREF kPlainText = 0x0A0A0A;
constexpr int kPlainTextLeft = 10; // a line's text starts here, after the check box in a check-mark menu
constexpr int kCheckTextLeft = 25;
constexpr int kTextRight = 10;   // room right of the text
constexpr int kStretchSide = 12; // the frame art's ends kept whole when a menu is drawn wider

} // namespace

bool ParsePopupFrameList(const char* data, size_t size, std::string names[6])
{
    int found = 0;
    size_t pos = 0;
    while (found < 6 && pos < size) {
        size_t end = pos;
        while (end < size && data[end] != '\n')
            ++end;
        size_t i = pos;
        while (i < end && std::isspace(static_cast<unsigned char>(data[i])))
            ++i;
        size_t wordEnd = i;
        while (wordEnd < end && !std::isspace(static_cast<unsigned char>(data[wordEnd])) && data[wordEnd] != '\0')
            ++wordEnd;
        if (wordEnd > i) {
            if (wordEnd - i > 259)
                return false;
            names[found++].assign(data + i, wordEnd - i);
        }
        pos = end + 1;
    }
    return found == 6;
}

CPopupMenuView::CPopupMenuView(const char* listFile, CDisplay* display, const char* artFolder, CSoundManager* sound)
    : m_pDisplay(display), m_pSound(sound)
{
    m_bUsable = LoadFrame(listFile ? listFile : "", artFolder ? artFolder : "");
}

CPopupMenuView::~CPopupMenuView()
{
    for (CSurface*& frame : m_apFrame) {
        if (frame) {
            frame->Release();
            delete frame;
            frame = nullptr;
        }
    }
}

bool CPopupMenuView::LoadFrame(const std::string& listFile, const std::string& folder)
{
    const std::string guiFolder = platform::JoinPath(folder, "GUI");
    const std::string listPath = platform::JoinPath(guiFolder, listFile);
    FILE* file = platform::OpenFile(listPath, "rb");
    if (!file) {
        platform::ShowMessageBox(listPath, "Failed to open file:", platform::MessageIcon::Error);
        return false;
    }
    std::vector<char> bytes(kMaxPopupFrameListBytes);
    size_t length = std::fread(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    std::string names[FrameCount];
    if (!ParsePopupFrameList(bytes.data(), length, names)) {
        platform::ShowMessageBox(listPath, "Failed to open file:", platform::MessageIcon::Error);
        return false;
    }
    if (!m_pDisplay)
        return false;
    bool complete = true;
    for (int i = 0; i < FrameCount; ++i) {
        int width = 0, height = 0;
        m_apFrame[i] = m_pDisplay->BitmapToSurface(platform::JoinPath(guiFolder, names[i]), &width, &height, true);
        if (!m_apFrame[i]) {
            complete = false;
            continue;
        }
        DDCOLORKEY key{m_pDisplay->ColorMatch(m_apFrame[i], RGB(255, 0, 255)), RGB(255, 0, 255)};
        m_apFrame[i]->SetColorKey(DDCKEY_SRCBLT, &key);
    }
    if (m_apFrame[TopEdge]) {
        m_nFrameWidth = m_apFrame[TopEdge]->GetWidth();
        m_nEdgeHeight = m_apFrame[TopEdge]->GetHeight();
    }
    if (m_apFrame[PlainLine])
        m_nItemHeight = m_apFrame[PlainLine]->GetHeight();
    // Old behaviour: a missing list or bitmap left an item height of 0 and later divided by it.
    return complete && m_nFrameWidth > 0 && m_nItemHeight > 0;
}

platform::gdi::Font* CPopupMenuView::LineFont()
{
    if (!m_pFont) {
        platform::gdi::FontDesc desc;
        desc.height = 14;
        desc.weight = platform::gdi::FW_BOLD;
        desc.face = "Arial";
        m_pFont = platform::gdi::Font::Create(desc);
    }
    return m_pFont.get();
}

int CPopupMenuView::MenuWidth(const CPopupMenu* menu)
{
    // The frame's width, or wider so that the longest line fits whole (never wider than the screen).
    int width = m_nFrameWidth;
    platform::gdi::Font* font = LineFont();
    if (!font)
        return width;
    const int left = menu->m_nStyle == 1 ? kCheckTextLeft : kPlainTextLeft;
    for (int i = 0; i < menu->m_nCount; ++i) {
        int text = 0;
        for (const char* c = menu->m_aItems[i].szText; *c; ++c)
            text += font->Advance(static_cast<unsigned char>(*c));
        width = std::max(width, left + text + kTextRight);
    }
    return std::min(width, kScreenWidth);
}

void CPopupMenuView::BlitWide(CSurface* target, int x, int y, CSurface* art, int width, int height)
{
    // The art's left part, its middle repeated, then its right part: a frame of any width from one bitmap.
    if (!target || !art)
        return;
    const int artWidth = m_nFrameWidth;
    const int side = std::min(kStretchSide, artWidth / 3);
    const int middle = artWidth - 2 * side;
    if (width <= artWidth || middle <= 0) {
        RECT whole{0, 0, std::min(width, artWidth), height};
        target->BltFast(x, y, art, &whole, DDBLTFAST_SRCCOLORKEY);
        return;
    }
    RECT left{0, 0, side, height};
    target->BltFast(x, y, art, &left, DDBLTFAST_SRCCOLORKEY);
    for (int at = side; at < width - side; at += middle) {
        RECT piece{side, 0, side + std::min(middle, width - side - at), height};
        target->BltFast(x + at, y, art, &piece, DDBLTFAST_SRCCOLORKEY);
    }
    RECT right{artWidth - side, 0, artWidth, height};
    target->BltFast(x + width - side, y, art, &right, DDBLTFAST_SRCCOLORKEY);
}

bool CPopupMenuView::Open(CPopupMenu* menu, int x, int y)
{
    if (!menu || !m_bUsable)
        return false;
    CSurface* background = m_apFrame[menu->m_nStyle == 1 ? UncheckedLine : PlainLine];
    const int width = MenuWidth(menu);
    int height = 2 * m_nEdgeHeight;
    for (int i = 0; i < menu->m_nCount; ++i) {
        CPopupMenuItem& item = menu->m_aItems[i];
        if (item.pSurface && item.pSurface->GetWidth() != width) {
            item.pSurface->Release();
            delete item.pSurface;
            item.pSurface = nullptr;
        }
        if (!item.pSurface)
            item.pSurface = m_pDisplay->CreateKeyedSurface(background, width, m_nItemHeight);
        height += m_nItemHeight;
    }
    menu->m_nRequestedX = x;
    menu->m_nRequestedY = y;
    menu->m_nY = y + height <= kScreenHeight ? y : kScreenHeight - height;
    menu->m_nX = x + width <= kScreenWidth ? x : kScreenWidth - width;
    menu->m_nHeight = height;
    menu->m_nWidth = width;
    m_pMenu = menu;
    // Old behaviour: the hover line of the previous menu stayed, and a click could choose a line not there.
    m_nHover = -1;
    return true;
}

bool CPopupMenuView::Render()
{
    if (!m_pMenu || !m_bUsable)
        return false;
    LineFont();
    const bool checks = m_pMenu->m_nStyle == 1;
    const int width = m_pMenu->m_nWidth;
    RECT text{checks ? kCheckTextLeft : kPlainTextLeft, 0, width - kTextRight, m_nItemHeight};
    for (int i = 0; i < m_pMenu->m_nCount; ++i) {
        CPopupMenuItem& item = m_pMenu->m_aItems[i];
        if (!item.pSurface)
            continue;
        const bool disabled = (item.dwFlags & POPUP_ITEM_DISABLED) != 0;
        CSurface* background = m_apFrame[PlainLine];
        if (checks && !(item.dwFlags & POPUP_ITEM_PLAIN))
            background = m_apFrame[disabled                                   ? DisabledLine
                                   : (item.dwFlags & POPUP_ITEM_CHECKED) != 0 ? CheckedLine
                                                                              : UncheckedLine];
        BlitWide(item.pSurface, 0, 0, background, width, m_nItemHeight);
        platform::gdi::DeviceContext* dc = nullptr;
        if (item.pSurface->GetDC(&dc) != DD_OK)
            continue;
        platform::gdi::Font* old = dc->SelectFont(m_pFont.get());
        dc->SetBkMode(platform::gdi::TRANSPARENT);
        dc->SetTextColor(disabled ? kDisabledText : (i == m_nHover ? kHoverText : kPlainText));
        RECT r = text;
        dc->DrawText(item.szText, -1, &r,
                     platform::gdi::DT_NOPREFIX | platform::gdi::DT_NOCLIP | platform::gdi::DT_SINGLELINE |
                         platform::gdi::DT_VCENTER);
        dc->SelectFont(old);
        item.pSurface->ReleaseDC(dc);
    }
    m_bShown = true;
    return true;
}

void CPopupMenuView::Draw(CSurface* target)
{
    if (!m_bShown || !m_pMenu || !target || !m_bUsable)
        return;
    const int x = m_pMenu->m_nX;
    int y = m_pMenu->m_nY;
    const int width = m_pMenu->m_nWidth;
    RECT line{0, 0, width, m_nItemHeight};
    BlitWide(target, x, y, m_apFrame[TopEdge], width, m_nEdgeHeight);
    y += m_nEdgeHeight;
    for (int i = 0; i < m_pMenu->m_nCount; ++i) {
        if (CSurface* s = m_pMenu->m_aItems[i].pSurface)
            target->BltFast(x, y, s, &line, DDBLTFAST_SRCCOLORKEY);
        y += m_nItemHeight;
    }
    BlitWide(target, x, y, m_apFrame[BottomEdge], width, m_nEdgeHeight);
}

bool CPopupMenuView::OnMouseMove(int x, int y, unsigned buttons)
{
    (void)buttons;
    if (!m_pMenu || !m_bShown)
        return false;
    const int mx = m_pMenu->m_nX, my = m_pMenu->m_nY;
    const int top = my + m_nEdgeHeight, bottom = top + m_pMenu->m_nCount * m_nItemHeight;
    if (x >= mx && x <= mx + m_pMenu->m_nWidth && y >= top && y < bottom) {
        int hover = (y - top) / m_nItemHeight;
        if (hover != m_nHover) {
            m_nHover = hover;
            Render();
            if (!(m_pMenu->m_aItems[hover].dwFlags & POPUP_ITEM_DISABLED))
                (m_pSound ? *m_pSound : GetSoundManager()).Play(1, 0.4f, false);
        }
    } else if (m_nHover != -1) {
        m_nHover = -1;
        Render();
    }
    return true;
}

int CPopupMenuView::OnClick(int x, int y, int kind)
{
    (void)x;
    (void)y;
    if (!m_bShown || !m_pMenu)
        return -1;
    if (kind != 1 && kind != 2)
        return -1;
    CSoundManager& sound = m_pSound ? *m_pSound : GetSoundManager();
    int result;
    // Old behaviour: a hover index beyond the lines picked whatever lay past them.
    const CPopupMenuItem* item = kind == 1 ? m_pMenu->GetItem(m_nHover) : nullptr;
    if (!item) {
        sound.Play(0, 1.0f, false);
        result = -2;
    } else if (item->dwFlags & POPUP_ITEM_DISABLED) {
        sound.Play(2, 1.0f, false);
        return -3;
    } else {
        sound.Play(0, 1.0f, false);
        result = item->nValue;
    }
    if (m_pMenu->m_bCloseAfterChoice)
        m_bShown = false;
    return result;
}
