// The de-briefing screen: graded texts, incident history, score pages, chat log and entry, and "Exit".
#pragma once

#include "game/screens/art/ArtList.h"
#include "game/screens/art/ScreenKit.h"
#include "game/screens/debrief/DeBriefText.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CDisplay;
class CSurface;
class CScenarioData;

namespace platform::gdi {
class DeviceContext;
class Font;
} // namespace platform::gdi

class DeBriefIF {
public:
    // Art rows by use.
    enum ERow {
        kRowPanel = 0,
        kRowHistory = 22,
        kRowChatEntry = 23,
        kRowText = 31,
        kRowChat = 35,
        kRowArrows = 36, // 36/37 text, 38/39 history, 40/41 chat (up, down)
        kRowBySection = 46,
        kRowByCategory = 47,
        kRowDetails = 48,
        kRowScores = 49,
        kRowMenu = 50, // 50 history, 52 scores, 54/55 category/section, 56/57 back/details, 60 scoring explained
        kRowExit = 58,
        kRowSend = 59,
        kRowScoringExplained = 60,
        kRowTitle = 62,
        kRowCount = 63
    };
    // The results table, in its fixed order.
    enum EResult {
        kResCategory = 0, // four, the fourth the final score
        kResFinalScore = 3,
        kResSection = 4,   // five
        kResDetails = 9,   // nine
        kResDetails2 = 18, // five
        kResCounts = 23,   // four
        kResFinalCost = 27,
        kResPredictedCost = 28,
        kResStartTime = 29,
        kResEndTime = 30,
        kResultCount = 31
    };
    // Hoverable items: arrows 0-5 (text, history, chat; up then down), then the buttons.
    enum EItem {
        kItemNone = -1,
        kItemBelow = -2,
        kItemExit = 6,
        kItemSend,
        kItemHistory,
        kItemScores,
        kItemCategory,
        kItemDetails,
        kItemExplained
    };
    static constexpr size_t kChatMax = 120;

    DeBriefIF();
    ~DeBriefIF();
    DeBriefIF(const DeBriefIF&) = delete;
    DeBriefIF& operator=(const DeBriefIF&) = delete;

    // "<base>/GUI/DeBrief_Art.csv" (2 header lines, 63 rows).
    bool LoadArt(CDisplay* display, const std::string& base, uint32_t* modeFlags);
    // Builds the buttons, panels and pages.
    void Init(CDeBriefText* text);
    // At scenario end: fills the results table from the game's scoring, then ShowResults.
    void CollectResults(const CScenarioData* scenario);
    // Draws the title and the score pages from the results table and builds the de-briefing text.
    void ShowResults(const CScenarioData* scenario);
    // Shows or hides; takes the history page's log index from the game.
    void Activate(bool shown);

    void Draw(CSurface* target);
    bool OnMouseMove(int x, int y, uint32_t buttons);
    // True when the player leaves.
    bool OnClick(int x, int y, uint32_t buttons);
    void OnMouseUp(int x, int y, uint32_t buttons);
    void OnKey(uint32_t code);
    void OnChar(uint32_t character);

    // Lends the chat panel's surface with the chat font and the text rectangle (10, 5, width - 24, 19).
    bool BeginChatText(platform::gdi::DeviceContext** dc, RECT* rect, platform::gdi::Font** oldFont);
    void EndChatText(platform::gdi::DeviceContext* dc, platform::gdi::Font* oldFont);
    // Width of the chat text rectangle and a line's width in the chat font (wrapping incoming lines).
    int ChatTextWidth() const;
    int MeasureChatText(const std::string& text) const;

    bool m_bShown = false;
    std::string m_strChat;
    bool m_bHeld = false;
    uint32_t m_uLastRepeat = 0;
    bool m_bHistoryShown = false;
    bool m_bScoresShown = true;
    bool m_bBySection = false;
    bool m_bDetailsShown = false;
    int m_nHover = kItemNone;
    std::array<int32_t, kResultCount> m_anResults{};
    // The history page ends at this log line; taken when the screen opens, moved by the history arrows only.
    int m_nLogIndex = 0;
    int m_nHistoryEnd = 0; // the index taken when the screen opened: the history's last line
    // Texts last drawn on the score pages, by result index, and the rows last drawn in the chat log and the
    // history (for tests and the screenshot).
    std::array<std::string, kResultCount + 1> m_astrResultText;
    std::vector<std::string> m_aChatRows;
    std::vector<std::string> m_aHistoryRows;

    const CArtList& Art() const { return m_art; }
    // The item under a point, as the hover sees it.
    int ItemAt(int x, int y) const;
    // Where a button or arrow is (for tests).
    RECT ItemRect(int item) const;

private:
    struct CPanel {
        int x = 0, y = 0;
        SurfacePtr pSurface;
        SurfacePtr pClean;
    };
    void BuildPanel(CPanel& panel, int row, const char* what);
    void BuildButtons();
    void DrawPages();
    void DrawValue(CPanel& page, int index, RECT rect, const std::string& text);
    void RedrawText();
    void RedrawEntry();
    void RedrawChat();
    void RedrawHistory();
    void SendChat();
    void ScrollTextArrow(int arrow);
    // Scrolls the history page (kinds of the log's scroll: 0 line up, 1 line down); sound 2 at an end.
    void ScrollHistory(int kind);
    int HistoryRows() const;
    int HistoryTextWidth() const;
    void ScrollHeld(uint32_t now);
    bool ArrowHovered(int pair) const { return m_nHover == pair * 2 || m_nHover == pair * 2 + 1; }

    CArtList m_art;
    CDisplay* m_pDisplay = nullptr;
    uint32_t* m_pModeFlags = nullptr;
    CDeBriefText* m_pText = nullptr;
    std::unique_ptr<platform::gdi::Font> m_pFont14;
    std::unique_ptr<platform::gdi::Font> m_pFont18;
    std::unique_ptr<platform::gdi::Font> m_pFont30;
    std::unique_ptr<platform::gdi::Font> m_pFont14Plain;
    std::unique_ptr<platform::gdi::Font> m_pFont14b;
    std::unique_ptr<platform::gdi::Font> m_pFont18Plain;
    CPanel m_text, m_history, m_chat, m_entry, m_title;
    std::array<CPanel, 4> m_aPages; // by section, by category, details, scores
    std::array<RECT, 6> m_arcArrows{};
    CScreenButton m_exit, m_send, m_viewHistory, m_viewScores, m_byCategory, m_bySection, m_back, m_details,
        m_explained;
};
