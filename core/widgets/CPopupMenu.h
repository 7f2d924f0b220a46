// A pop-up menu: up to 20 text lines, each with a value, check and disabled flags and its drawn surface.
#pragma once

#include <cstdint>

class CSurface;

constexpr uint32_t POPUP_ITEM_CHECKED = 0x1;
constexpr uint32_t POPUP_ITEM_DISABLED = 0x2;
constexpr uint32_t POPUP_ITEM_PLAIN = 0x4; // a command line of a check-mark menu: drawn without a check box

struct CPopupMenuItem {
    int32_t nValue = 0;
    uint32_t dwFlags = 0;
    char szText[100] = {};
    CSurface* pSurface = nullptr; // made when the menu first opens; owned by the menu
};

class CPopupMenu {
public:
    static constexpr int kMaxItems = 20;

    // Style 1 draws check marks; closeAfterChoice hides the view after a choice or a dismissal.
    CPopupMenu(int style, bool closeAfterChoice);
    ~CPopupMenu();
    CPopupMenu(const CPopupMenu&) = delete;
    CPopupMenu& operator=(const CPopupMenu&) = delete;

    // The new line's index, or -1 when 20 lines exist or the text has 100 characters or more.
    int AddItem(const char* text, int value);
    // Sets or clears the check mark unless the line is disabled; returns the line's flags (0 for no such line).
    uint32_t SetChecked(int index, bool on);
    void SetEnabled(int index, bool on);
    // The line, or null for an index outside 0 to count - 1.
    CPopupMenuItem* GetItem(int index);
    const CPopupMenuItem* GetItem(int index) const;

    int GetStyle() const { return m_nStyle; }
    int GetCount() const { return m_nCount; }
    bool ClosesAfterChoice() const { return m_bCloseAfterChoice; }
    int GetX() const { return m_nX; }
    int GetY() const { return m_nY; }
    int GetRequestedX() const { return m_nRequestedX; }
    int GetRequestedY() const { return m_nRequestedY; }
    int GetWidth() const { return m_nWidth; }
    int GetHeight() const { return m_nHeight; }

private:
    friend class CPopupMenuView;

    int32_t m_nStyle;
    int32_t m_nRequestedX = 0;
    int32_t m_nRequestedY = 0;
    int32_t m_nX = 0;
    int32_t m_nY = 0;
    int32_t m_nCount = 0;
    CPopupMenuItem m_aItems[kMaxItems];
    int32_t m_nHeight = 0;
    int32_t m_nWidth = 0;
    bool m_bCloseAfterChoice;
};
