// The lobby screen and its menu table (minimal: draws its panel; no list, buttons or typing yet).
#pragma once

#include "game/screens/art/ArtList.h"

#include <cstdint>
#include <string>

class CDisplay;
class CSurface;

class CMultiplayerMenuData {
public:
    bool Load(const std::string& base, const std::string& file);
};

class MPlayIF {
public:
    MPlayIF() = default;
    bool LoadArt(CDisplay* display, const std::string& base, uint32_t* modeFlags);
    void Init(CMultiplayerMenuData* menu);
    void OnMouseMove(int x, int y, uint32_t buttons);
    // True when the player chose to start or join a game.
    bool OnClick(int x, int y, uint32_t buttons);
    void OnKey(uint32_t code);
    void OnChar(uint32_t character);
    void Draw(CSurface* target);
    void Show(bool shown) { m_bShown = shown; }
    void ShowJoinFailed();
    void ShowScenarioStarted();
    void ShowVersionMismatch(const std::string& own, const std::string& host);

    bool m_bShown = true;
    std::string m_strHostAddress; // at most 32 characters
    std::string m_strPlayerName;  // at most 32 characters
    std::string m_strChosenName;  // the chosen scenario file or saved game
    std::string m_strNotice;

private:
    CArtList m_art;
    uint32_t* m_pModeFlags = nullptr;
};
