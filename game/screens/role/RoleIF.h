// Role selection: the 24 x 13 grid of players by roles, the ready and drop rules, and the pre-game chat.
#pragma once

#include "core/world/SpriteManager.h"
#include "game/screens/art/ArtList.h"
#include "game/screens/art/ScreenKit.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Font.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CDisplay;
class CSurface;
class CGame;

// The grid positions of "Role_Menu.csv": three header lines, then "x0,y0,dx,dy"; cell (r, c) is
// (x0 + c dx, y0 + r dy) from the role panel.
class CRoleMenuData {
public:
    static constexpr int kRows = 24;
    static constexpr int kColumns = 13;

    // Reads "<base>/<file>". A missing file shows "Failed to open file" with the path; false.
    bool Load(const std::string& base, const std::string& file);
    // Reads the grid from an open file; false (grid not loaded) when the line is missing or malformed, or a
    // cell falls beyond 800 x 600 (with a message box naming `where`).
    bool Read(FILE* file, const std::string& where);

    int CellX(int column) const { return m_nX0 + column * m_nDX; }
    int CellY(int row) const { return m_nY0 + row * m_nDY; }

    bool m_bLoaded = false;
    int32_t m_nX0 = 0;
    int32_t m_nY0 = 0;
    int32_t m_nDX = 0;
    int32_t m_nDY = 0;
};

// One player row of the grid.
struct CRolePlayer {
    int32_t nPlayerId = -1;
    uint32_t uRoleFlags = 0;
    std::string strName;
};

// The role columns the game hands to Open: agency rows (the column and bit) to their records; kinds 5 and 6
// are not role columns.
using CRoleMap = std::map<int32_t, CAgencyRecord>;

class RoleIF {
public:
    static constexpr int kArtRows = 26;
    static constexpr int kTopRoleColumn = 10;
    static constexpr int kReadyColumn = 11;
    static constexpr int kDropColumn = 12;
    static constexpr uint32_t kAllRoles = 0x7FF;
    static constexpr uint32_t kTopRole = 0x400;
    static constexpr uint32_t kReady = 0x800;
    static constexpr uint32_t kDrop = 0x1000;
    static constexpr size_t kChatMax = 140;

    RoleIF();
    ~RoleIF();
    RoleIF(const RoleIF&) = delete;
    RoleIF& operator=(const RoleIF&) = delete;

    // The game object whose role table, log and messages the screen uses (none: the screen is inert).
    void AttachGame(CGame* game) { m_pGame = game; }
    bool LoadArt(CDisplay* display, const std::string& base, uint32_t* modeFlags);
    void Init(CRoleMenuData* layout);
    // Shows or hides the screen with the role map (none: every column is a role column). Reopened in play
    // (mode bit 0x2000000) the main button reads "Return".
    void Open(bool shown, const CRoleMap* roles = nullptr);
    // Copies the session's players in use (or, without a session, the local player) into the grid.
    void RefreshPlayers();
    // Gives the player all eleven roles (0x7FF) through game message 32.
    void GrantAllRoles(int32_t playerId);
    void Draw(CSurface* target);
    // True while shown.
    bool OnMouseMove(int x, int y, uint32_t buttons);
    // True when the screen is finished (all players ready, or Return in play).
    bool OnClick(int x, int y, uint32_t buttons);
    void OnChar(uint32_t character);
    void OnKey(uint32_t code);

    bool IsRoleColumn(int column) const;
    CScreenRect CellRect(int row, int column) const;

    bool m_bShown = false;
    bool m_bDone = false;
    bool m_bReturnMode = false;
    std::string m_strChat;
    std::vector<CRolePlayer> m_aPlayers;
    int m_nLocalRow = -1;
    int m_nHoverRow = -1;
    int m_nHoverColumn = -1;
    int m_nHoverButton = -1; // 0 Ready or Return, 1 Exit
    bool m_bHoverSend = false;
    int m_nHoverScroll = -1; // 0 up, 1 down

    CScreenRect m_rcMain, m_rcExit, m_rcSend, m_rcLog, m_rcChat, m_rcScrollUp, m_rcScrollDown;

private:
    void PlaySound(int id);
    void Say(const std::string& text);
    void PostRoles(int32_t playerId, uint32_t flags);
    uint32_t ExcludedBits() const;
    bool AnyoneHolds(uint32_t bit, int exceptRow) const;
    void OnCell(int row, int column);
    void OnReady();
    void SendChat();
    bool CellAt(int x, int y, int& row, int& column) const;
    void BuildFaces();
    void BuildHeaders();
    void DrawHeading(int column, const std::string& name);
    void DrawLog(CSurface* target);
    void Report(HRESULT result, const char* text);
    const CArtRow& ArtRow(int row) const;
    uint32_t Mode() const { return m_pModeFlags ? *m_pModeFlags : 0; }

    CGame* m_pGame = nullptr;
    CDisplay* m_pDisplay = nullptr;
    uint32_t* m_pModeFlags = nullptr;
    CRoleMenuData* m_pLayout = nullptr;
    CArtList m_art;
    CRoleMap m_mapRoles;
    bool m_bHasRoleMap = false;
    std::unique_ptr<platform::gdi::Font> m_pFont16;
    std::unique_ptr<platform::gdi::Font> m_pFont14;
    std::unique_ptr<platform::gdi::Font> m_pFont18;
    // [0 Ready, 1 Return, 2 Exit, 3 Send][0 normal, 1 hover].
    std::array<std::array<SurfacePtr, 2>, 4> m_aButtonFaces{};
    SurfacePtr m_pHeader;
};
