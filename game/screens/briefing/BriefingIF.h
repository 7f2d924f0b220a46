// The briefing screen and its text pages: title, date, wind and the scenario's description, with Next or Return.
#pragma once

#include "game/screens/art/ArtList.h"
#include "game/screens/art/ScreenKit.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CDisplay;
class CSurface;
class CScenarioData;

namespace platform::gdi {
class Font;
}

class CBriefingText {
public:
    static constexpr int kMaxLines = 500;
    static constexpr int kLineChars = 69; // 70 with the terminating zero
    static constexpr int kVisibleLines = 27;
    static constexpr int kWrapWidth = 67;

    // Builds the lines from the scenario with today's date from the computer's clock.
    void Build(const CScenarioData& scenario);
    // The same with the date text given ("%d %b %Y").
    void Build(const CScenarioData& scenario, const std::string& today);
    // 0 up, 1 down: one line, sound 0; sound 2 at the end. False when nothing moved.
    bool Scroll(int direction);
    // The visible lines (the 27 ending at the bottom line) joined by line breaks.
    std::string GetPage() const;

    // The compass name of a wind direction index ("None" outside 0..15).
    static const char* CompassName(int index);
    // The description cut into lines of at most 67 characters.
    static std::vector<std::string> WrapDescription(const std::string& text);

    std::vector<std::string> m_aLines;
    int m_nLineCount = 0;
    int m_nBottomLine = 0;
    bool m_bMoreAbove = false;
    bool m_bMoreBelow = false;

private:
    void AddLine(const std::string& line);
    void UpdateFlags();
};

class BriefingIF {
public:
    BriefingIF();
    ~BriefingIF();
    BriefingIF(const BriefingIF&) = delete;
    BriefingIF& operator=(const BriefingIF&) = delete;

    // The art list "Briefing_Art.csv" (14 rows).
    bool LoadArt(CDisplay* display, const std::string& base, uint32_t* modeFlags);
    // Attaches the text, builds the text area, buttons, arrows and notice, and shows the screen.
    void Init(CBriefingText* text);
    // "Return" in play (no Exit button, no notice), "Next" at start-up.
    void SetReturnMode(bool inPlay);
    void Draw(CSurface* target);
    // Up and Down scroll; F4 marks the briefing done with sound 0.
    void OnKey(uint32_t code);
    // True while shown: the hovered arrow and button inside the panel.
    bool OnMouseMove(int x, int y, uint32_t buttons);
    // True when the briefing is finished (the main button, or any click once done).
    bool OnClick(int x, int y, uint32_t buttons);
    // The briefing takes no characters.
    void OnChar(uint32_t) {}
    // Redraws the page text onto the text area.
    void RedrawText();

    bool m_bShown = false;
    bool m_bDone = false;
    bool m_bReturnMode = false;
    int m_nHoverArrow = -1;  // 0 up, 1 down
    int m_nHoverButton = -1; // 0 main, 1 Exit

    // Places (screen coordinates) of the built parts.
    RECT m_rcText{};
    RECT m_rcUp{};
    RECT m_rcDown{};
    RECT m_rcNotice{};
    CScreenButton m_main;
    CScreenButton m_exit;

    const CArtList& Art() const { return m_art; }

private:
    void SyncWithMode();
    void BuildMainButton();
    // The notice on its box: one line when it fits, else wrapped from the top.
    void DrawNotice(const CArtRow& box);
    int ArrowAt(int x, int y) const;
    int ButtonAt(int x, int y) const;

    CArtList m_art;
    CDisplay* m_pDisplay = nullptr;
    uint32_t* m_pModeFlags = nullptr;
    CBriefingText* m_pText = nullptr;
    std::unique_ptr<platform::gdi::Font> m_pTextFont;
    std::unique_ptr<platform::gdi::Font> m_pButtonFont;
    std::unique_ptr<platform::gdi::Font> m_pNoticeFont;
    SurfacePtr m_pTextArea;  // row 12 with the page drawn on it
    SurfacePtr m_pTextClean; // row 12 as loaded
    SurfacePtr m_pNotice;
};
