// Pop-up menu lines: adding, checking, enabling and reading them.
#include "core/widgets/CPopupMenu.h"

#include "core/display/CSurface.h"

#include <cstring>

CPopupMenu::CPopupMenu(int style, bool closeAfterChoice) : m_nStyle(style), m_bCloseAfterChoice(closeAfterChoice) {}

CPopupMenu::~CPopupMenu()
{
    for (CPopupMenuItem& item : m_aItems) {
        if (item.pSurface) {
            item.pSurface->Release();
            delete item.pSurface;
            item.pSurface = nullptr;
        }
    }
}

int CPopupMenu::AddItem(const char* text, int value)
{
    if (!text || m_nCount >= kMaxItems || std::strlen(text) >= sizeof(m_aItems[0].szText))
        return -1;
    CPopupMenuItem& item = m_aItems[m_nCount];
    std::strcpy(item.szText, text);
    item.nValue = value;
    item.dwFlags = 0;
    return m_nCount++;
}

CPopupMenuItem* CPopupMenu::GetItem(int index)
{
    // Old behaviour: any index but -1 was used unchecked.
    return index >= 0 && index < m_nCount ? &m_aItems[index] : nullptr;
}

const CPopupMenuItem* CPopupMenu::GetItem(int index) const
{
    return index >= 0 && index < m_nCount ? &m_aItems[index] : nullptr;
}

uint32_t CPopupMenu::SetChecked(int index, bool on)
{
    CPopupMenuItem* item = GetItem(index);
    if (!item)
        return 0;
    if (!(item->dwFlags & POPUP_ITEM_DISABLED)) {
        if (on)
            item->dwFlags |= POPUP_ITEM_CHECKED;
        else
            item->dwFlags &= ~POPUP_ITEM_CHECKED;
    }
    return item->dwFlags;
}

void CPopupMenu::SetEnabled(int index, bool on)
{
    CPopupMenuItem* item = GetItem(index);
    if (!item)
        return;
    if (on)
        item->dwFlags &= ~POPUP_ITEM_DISABLED;
    else
        item->dwFlags |= POPUP_ITEM_DISABLED;
}
