// The de-briefing screen's hover, clicks, keys, chat entry, held arrows and drawing.
#include "game/screens/debrief/DeBriefIF.h"

#include "core/display/CDisplay.h"
#include "game/app/Game.h"
#include "game/screens/boxes/Boxes.h"
#include "platform/system/Clock.h"

namespace {

constexpr uint32_t kRepeatMs = 50;

bool Inside(const RECT& r, int x, int y)
{
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

} // namespace

RECT DeBriefIF::ItemRect(int item) const
{
    auto rectOf = [](const CScreenButton& b) { return RECT{b.x, b.y, b.x + b.width, b.y + b.height}; };
    if (item >= 0 && item < 6)
        return m_arcArrows[item];
    switch (item) {
    case kItemExit:
        return rectOf(m_exit);
    case kItemSend:
        return rectOf(m_send);
    case kItemHistory:
        return rectOf(m_viewHistory);
    case kItemScores:
        return rectOf(m_viewScores);
    case kItemCategory:
        return rectOf(m_bBySection ? m_byCategory : m_bySection);
    case kItemDetails:
        return rectOf(m_bDetailsShown ? m_back : m_details);
    case kItemExplained:
        return rectOf(m_explained);
    default:
        return RECT{};
    }
}

int DeBriefIF::ItemAt(int x, int y) const
{
    if (y >= 600)
        return kItemBelow;
    if (x < 0 || x >= 800 || y < 0)
        return kItemNone;
    for (int arrow = 0; arrow < 6; ++arrow) {
        // The history arrows live only while the history is shown.
        if ((arrow == 2 || arrow == 3) && !m_bHistoryShown)
            continue;
        if (Inside(m_arcArrows[arrow], x, y))
            return arrow;
    }
    const int buttons[] = {kItemExit,     kItemSend,    kItemHistory,  kItemScores,
                           kItemCategory, kItemDetails, kItemExplained};
    for (int item : buttons) {
        if ((item == kItemCategory || item == kItemDetails) && !m_bScoresShown)
            continue;
        if (Inside(ItemRect(item), x, y))
            return item;
    }
    return kItemNone;
}

bool DeBriefIF::OnMouseMove(int x, int y, uint32_t)
{
    if (!m_bShown)
        return false;
    const int item = ItemAt(x, y);
    if (item != m_nHover && item >= 0)
        ScreenSound(1);
    m_nHover = item;
    return true;
}

void DeBriefIF::OnMouseUp(int, int, uint32_t)
{
    m_bHeld = false;
}

void DeBriefIF::ScrollTextArrow(int arrow)
{
    if (!m_pText)
        return;
    if (arrow == 0)
        m_pText->ScrollUp();
    else
        m_pText->ScrollDown();
    RedrawText();
}

void DeBriefIF::SendChat()
{
    if (g_pGame)
        g_pGame->SendNotice(m_strChat, 0, 0, -1);
    m_strChat.clear();
    ScreenSound(0);
    RedrawEntry();
}

bool DeBriefIF::OnClick(int x, int y, uint32_t buttons)
{
    if (!m_bShown || !(buttons & 1))
        return false;
    m_bHeld = true;
    m_uLastRepeat = platform::GetTickCount();
    const int item = ItemAt(x, y);
    switch (item) {
    case 0:
    case 1:
        ScrollTextArrow(item);
        break;
    case 2:
    case 3:
        ScrollHistory(item - 2);
        break;
    case 4:
    case 5:
        if (g_pGame)
            g_pGame->ScrollChatView(item - 4);
        break;
    case kItemExplained:
        if (g_pGame && g_pGame->m_pInfoBox)
            g_pGame->m_pInfoBox->ShowInfo(27);
        ScreenSound(0);
        break;
    case kItemSend:
        SendChat();
        break;
    case kItemHistory:
        if (m_bHistoryShown) {
            ScreenSound(2);
        } else {
            m_bHistoryShown = true;
            m_bScoresShown = false;
            ScreenSound(0);
        }
        break;
    case kItemScores:
        if (m_bScoresShown) {
            ScreenSound(2);
        } else {
            m_bScoresShown = true;
            m_bHistoryShown = false;
            ScreenSound(0);
        }
        break;
    case kItemCategory:
        m_bBySection = !m_bBySection;
        ScreenSound(0);
        break;
    case kItemDetails:
        m_bDetailsShown = !m_bDetailsShown;
        ScreenSound(0);
        break;
    case kItemExit:
        ScreenSound(0);
        m_bShown = false;
        m_bHeld = false;
        return true;
    default:
        break;
    }
    return false;
}

void DeBriefIF::OnKey(uint32_t code)
{
    if (!m_bShown || !g_pGame)
        return;
    switch (code) {
    case kVkPrior:
        g_pGame->ScrollChatView(2);
        break;
    case kVkNext:
        g_pGame->ScrollChatView(3);
        break;
    case kVkHome:
        g_pGame->ScrollChatView(4);
        break;
    case kVkEnd:
        g_pGame->ScrollChatView(5);
        break;
    case kVkUp:
    case kVkDown: {
        const int kind = code == kVkUp ? 0 : 1;
        if (ArrowHovered(1) && m_bHistoryShown)
            ScrollHistory(kind);
        else if (ArrowHovered(2))
            g_pGame->ScrollChatView(kind);
        else
            ScrollTextArrow(kind);
        break;
    }
    default:
        break;
    }
}

void DeBriefIF::OnChar(uint32_t character)
{
    if (!m_bShown)
        return;
    switch (character) {
    case 8:
        if (!m_strChat.empty())
            m_strChat.pop_back();
        break;
    case 9:
    case 27:
        break;
    case 13:
        SendChat();
        return;
    default:
        // Other control characters and anything beyond one byte are not text.
        if (character < 32 || character > 255)
            break;
        if (m_strChat.size() < kChatMax)
            m_strChat.push_back(static_cast<char>(character));
        else
            ScreenSound(2);
        break;
    }
    RedrawEntry();
}

void DeBriefIF::ScrollHeld(uint32_t now)
{
    if (!m_bHeld || !g_pGame || now - m_uLastRepeat < kRepeatMs)
        return;
    if (m_bHistoryShown && ArrowHovered(1)) {
        ScrollHistory(m_nHover - 2);
        m_uLastRepeat = now;
    } else if (ArrowHovered(2)) {
        g_pGame->ScrollChatView(m_nHover - 4);
        m_uLastRepeat = now;
    }
}

void DeBriefIF::Draw(CSurface* target)
{
    if (!m_bShown || !target)
        return;
    ScrollHeld(platform::GetTickCount());
    CErrorLog* errors = m_pDisplay ? &m_pDisplay->GetErrorLog() : nullptr;
    auto report = [&](HRESULT result, const char* text) {
        if (result != DD_OK && errors)
            errors->LogError(result, m_pDisplay->GetWindow(), text);
    };
    m_art.DrawPanel(target);
    report(BlitKeyed(target, m_title.x, m_title.y, m_title.pSurface.get()), "DeBriefIF Draw DeBriefCopy Failed");
    report(BlitKeyed(target, m_text.x, m_text.y, m_text.pSurface.get()), "DeBriefIF Draw DeBriefCopy Failed");
    auto arrow = [&](int i) {
        const CArtRow& art = m_art.Row(kRowArrows + i);
        report(BlitKeyed(target, art.x, art.y, art.pSurface.get()), "DeBriefIF Draw DeBrief Arrow Failed");
    };
    arrow(0);
    arrow(1);
    if (m_bHistoryShown) {
        RedrawHistory();
        report(BlitKeyed(target, m_history.x, m_history.y, m_history.pSurface.get()),
               "DeBriefIF Draw DeBriefCopy Failed");
        arrow(2);
        arrow(3);
    }
    RedrawChat();
    report(BlitKeyed(target, m_chat.x, m_chat.y, m_chat.pSurface.get()), "DeBriefIF Draw DeBriefCopy Failed");
    arrow(4);
    arrow(5);
    m_viewHistory.Draw(target, m_nHover == kItemHistory);
    m_viewScores.Draw(target, m_nHover == kItemScores);
    if (m_bScoresShown) {
        (m_bBySection ? m_byCategory : m_bySection).Draw(target, m_nHover == kItemCategory);
        (m_bDetailsShown ? m_back : m_details).Draw(target, m_nHover == kItemDetails);
        auto page = [&](const CPanel& p) {
            report(BlitKeyed(target, p.x, p.y, p.pSurface.get()), "DeBriefIF Draw DeBriefCopy Failed");
        };
        if (m_bDetailsShown) {
            page(m_aPages[2]);
        } else {
            page(m_aPages[m_bBySection ? 0 : 1]);
            page(m_aPages[3]);
        }
    }
    m_exit.Draw(target, m_nHover == kItemExit);
    m_send.Draw(target, m_nHover == kItemSend);
    report(BlitKeyed(target, m_entry.x, m_entry.y, m_entry.pSurface.get()), "DeBriefIF Draw ChatEnter Failed");
    m_explained.Draw(target, m_nHover == kItemExplained);
}
