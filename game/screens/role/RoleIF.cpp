// Role selection: grid layout and drawing, the role rules, Ready, the pre-game chat and the log.
#include "game/screens/role/RoleIF.h"

#include "core/display/CDisplay.h"
#include "game/app/Game.h"
#include "core/util/ByteStream.h"
#include "net/session/NetGameSession.h"

#include <algorithm>

namespace gdi = platform::gdi;

namespace {

constexpr COLORREF kNormal = 0xC8C8C8;
constexpr COLORREF kHighlight = 0xE6E6E6;
constexpr COLORREF kInk = 0x0A0A0A;
constexpr COLORREF kLocalInk = 0x1E1E96; // the local player's name
constexpr int kLogLineHeight = 15;
constexpr int kHeadingMargin = 2; // blank pixels a heading keeps from each side of its column

// A column heading fitted to its box: one line, or two split at a blank, in the largest font (14 down to 9
// pixels) in which every line fits the width and all lines the height; cut to fit in the smallest otherwise.
struct CHeading {
    std::vector<std::string> lines;
    int nFontHeight = 14;
};

CHeading FitHeading(const std::string& name, int width, int height)
{
    for (int size = 14; size >= 9; --size) {
        auto font = MakeArial(size, true, false);
        auto fits = [&](const std::string& line) { return MeasureText(font.get(), line) <= width; };
        if (fits(name) && size <= height)
            return {{name}, size};
        if (2 * size > height)
            continue;
        // Two lines, split at the blank that leaves the longer one shortest.
        size_t best = std::string::npos;
        int bestWidth = 0;
        for (size_t at = name.find(' '); at != std::string::npos; at = name.find(' ', at + 1)) {
            const int w =
                std::max(MeasureText(font.get(), name.substr(0, at)), MeasureText(font.get(), name.substr(at + 1)));
            if (best == std::string::npos || w < bestWidth) {
                best = at;
                bestWidth = w;
            }
        }
        if (best != std::string::npos && bestWidth <= width)
            return {{name.substr(0, best), name.substr(best + 1)}, size};
    }
    auto font = MakeArial(9, true, false);
    std::string cut = name;
    while (!cut.empty() && MeasureText(font.get(), cut) > width)
        cut.pop_back();
    return {{cut}, 9};
}

} // namespace

RoleIF::RoleIF()
    : m_pFont16(MakeArial(16, true, false)), m_pFont14(MakeArial(14, true, false)),
      m_pFont18(MakeArial(18, true, false))
{
}

RoleIF::~RoleIF() = default;

const CArtRow& RoleIF::ArtRow(int row) const
{
    static const CArtRow empty;
    const auto& rows = m_art.Rows();
    return row >= 0 && row < static_cast<int>(rows.size()) ? rows[static_cast<size_t>(row)] : empty;
}

void RoleIF::PlaySound(int id)
{
    if (m_pGame)
        m_pGame->PlaySound(id, 1.0f);
}

void RoleIF::Say(const std::string& text)
{
    if (m_pGame)
        m_pGame->AddMessage(text, -1, 1, 0, -3);
}

void RoleIF::Report(HRESULT result, const char* text)
{
    if (result != DD_OK && m_pDisplay)
        m_pDisplay->GetErrorLog().LogError(result, m_pDisplay->GetWindow(), text);
}

bool RoleIF::LoadArt(CDisplay* display, const std::string& base, uint32_t* modeFlags)
{
    m_pDisplay = display;
    m_pModeFlags = modeFlags;
    return m_art.Load(display, base, "Role_Art.csv", kArtRows);
}

// ---- layout ----

CScreenRect RoleIF::CellRect(int row, int column) const
{
    if (!m_pLayout || !m_pLayout->m_bLoaded)
        return {};
    const CArtRow& panel = ArtRow(0);
    const CArtRow& cell = ArtRow(17);
    const int width = cell.width > 0 ? cell.width : std::max(1, m_pLayout->m_nDX - 4);
    const int height = cell.height > 0 ? cell.height : std::max(1, m_pLayout->m_nDY - 1);
    CScreenRect rc{panel.x + m_pLayout->CellX(column), panel.y + m_pLayout->CellY(row), width, height};
    return rc.Fits() ? rc : CScreenRect{};
}

void RoleIF::Init(CRoleMenuData* layout)
{
    m_pLayout = layout;
    const CArtRow& panel = ArtRow(0);
    bool offScreen = false;
    auto place = [&](CScreenRect rc) {
        // Parts whose art did not load are reported as missing files, not as misplaced.
        offScreen = offScreen || (panel.width > 0 && rc.width > 0 && rc.height > 0 && !rc.Fits());
        return rc.Fits() ? rc : CScreenRect{};
    };
    const int cellTop = panel.y + (m_pLayout ? m_pLayout->CellY(0) : 0);
    const CArtRow& log = ArtRow(15);
    m_rcLog = place({13, cellTop + ArtRow(14).height + 286, log.width, log.height});
    m_rcChat = place({93, m_rcLog.y + log.height + 21, ArtRow(16).width, ArtRow(16).height});
    m_rcScrollUp = place({m_rcLog.x + log.width + 4, m_rcLog.y + 3, ArtRow(7).width, ArtRow(7).height});
    m_rcScrollDown = place({m_rcLog.x + log.width + 4, m_rcLog.y + log.height - 17, ArtRow(3).width, ArtRow(3).height});
    const int right = panel.x + panel.width;
    const int bottom = panel.y + panel.height;
    const CArtRow& button = ArtRow(12);
    const CArtRow& exit = ArtRow(10);
    // A part beyond the 800 x 600 screen ends the game (exit code 1); until then it is left out.
    m_rcMain = place({right - button.width - 9, bottom - 2 * button.height - 20, button.width, button.height});
    m_rcExit = place({right - exit.width - 9, bottom - exit.height - 10, exit.width, exit.height});
    m_rcSend = place({panel.x + 10, bottom - 2 * button.height - 15, button.width, button.height});
    if (offScreen)
        RaiseScreenFatal("Role_Art.csv: the role screen places a part outside the screen");
    BuildFaces();
}

void RoleIF::BuildFaces()
{
    const char* captions[4] = {"Ready", "Return", "Exit", "Send"};
    for (int b = 0; b < 4; ++b)
        for (int hover = 0; hover < 2; ++hover)
            m_aButtonFaces[static_cast<size_t>(b)][static_cast<size_t>(hover)] =
                MakeFace(m_pDisplay, ArtRow(12), captions[b], m_pFont16.get(), hover ? kHighlight : kNormal);
}

bool RoleIF::IsRoleColumn(int column) const
{
    if (column < 0 || column >= CRoleMenuData::kColumns)
        return false;
    if (column >= kTopRoleColumn || !m_bHasRoleMap)
        return true;
    auto it = m_mapRoles.find(column);
    return it != m_mapRoles.end() && it->second.m_nKind != 5 && it->second.m_nKind != 6;
}

uint32_t RoleIF::ExcludedBits() const
{
    uint32_t bits = 0;
    for (const auto& [key, record] : m_mapRoles)
        if ((record.m_nKind == 5 || record.m_nKind == 6) && key >= 0 && key < 32)
            bits |= 1u << key;
    return bits;
}

void RoleIF::BuildHeaders()
{
    m_pHeader.reset();
    if (!m_pLayout || !m_pLayout->m_bLoaded)
        return;
    m_pHeader = CopyArt(m_pDisplay, ArtRow(14));
    if (!m_pHeader)
        return;
    for (int c = 0; c < CRoleMenuData::kColumns; ++c) {
        if (!IsRoleColumn(c))
            continue;
        std::string name;
        if (c == kTopRoleColumn)
            name = "ZR";
        else if (c == kReadyColumn)
            name = "Ready";
        else if (c == kDropColumn)
            name = "Drop";
        else if (auto it = m_mapRoles.find(c); it != m_mapRoles.end() && it->second.m_nKind >= 0)
            name = AgencyKindName(it->second.m_nKind);
        else
            name = std::to_string(c);
        DrawHeading(c, name);
    }
}

void RoleIF::DrawHeading(int column, const std::string& name)
{
    // A heading stays whole inside its column, however long the agency's name. One that does not fit there in
    // the full-size font may also use a column beside it that shows no role (all of it when the column beyond
    // is free too, else its half), standing against its own column.
    const int dx = m_pLayout->m_nDX, h = m_pHeader->GetHeight() - 2;
    auto freeAt = [&](int c) { return c < 0 || c >= CRoleMenuData::kColumns || !IsRoleColumn(c); };
    int left = column * dx + kHeadingMargin, right = (column + 1) * dx - kHeadingMargin;
    unsigned align = gdi::DT_CENTER;
    CHeading heading = FitHeading(name, right - left, h);
    if (heading.nFontHeight < 14 || heading.lines.size() > 1) {
        const int wideLeft = column > 0 && freeAt(column - 1) ? (freeAt(column - 2) ? dx : dx / 2) : 0;
        const int wideRight =
            column + 1 < CRoleMenuData::kColumns && freeAt(column + 1) ? (freeAt(column + 2) ? dx : dx / 2) : 0;
        const CHeading wide = FitHeading(name, right - left + wideLeft + wideRight, h);
        if (wideLeft + wideRight > 0 && (wide.nFontHeight > heading.nFontHeight ||
                                         (wide.nFontHeight == heading.nFontHeight && wide.lines.size() == 1))) {
            heading = wide;
            left -= wideLeft;
            right += wideRight;
            if (wideLeft && !wideRight)
                align = gdi::DT_RIGHT;
            else if (wideRight && !wideLeft)
                align = gdi::DT_LEFT;
        }
    }
    auto font = MakeArial(heading.nFontHeight, true, false);
    const int lines = static_cast<int>(heading.lines.size());
    const int top = 1 + (h - lines * heading.nFontHeight) / 2;
    for (int i = 0; i < lines; ++i) {
        const int y = top + i * heading.nFontHeight;
        DrawTextOn(m_pHeader.get(), font.get(), heading.lines[static_cast<size_t>(i)],
                   RECT{left, y, right, y + heading.nFontHeight}, kInk, align | gdi::DT_VCENTER | gdi::DT_SINGLELINE);
    }
}

void RoleIF::Open(bool shown, const CRoleMap* roles)
{
    if (roles) {
        m_mapRoles = *roles;
        m_bHasRoleMap = true;
    }
    m_bReturnMode = (Mode() & kModeRolesReopened) != 0;
    m_bDone = false;
    RefreshPlayers();
    BuildHeaders();
    m_bShown = shown;
}

// ---- players ----

void RoleIF::RefreshPlayers()
{
    if (!m_pGame)
        return;
    m_aPlayers.clear();
    m_nLocalRow = -1;
    if (CNetGameSession* session = m_pGame->m_pSession.get()) {
        for (int i = 0; i < session->SlotCount() && static_cast<int>(m_aPlayers.size()) < CRoleMenuData::kRows; ++i) {
            const CSessionPlayer& p = session->Slot(i);
            if (!p.InUse() || p.m_nPlayerId == -1)
                continue;
            if (p.m_nPlayerId == session->GetLocalPlayerId())
                m_nLocalRow = static_cast<int>(m_aPlayers.size());
            m_aPlayers.push_back({p.m_nPlayerId, p.m_uRoleFlags, p.m_strName});
        }
        return;
    }
    const CLocalPlayer* local = m_pGame->GetLocalPlayerInfo();
    m_aPlayers.push_back({local->nPlayerId, local->uRoleFlags, local->strName});
    m_nLocalRow = 0;
}

void RoleIF::PostRoles(int32_t playerId, uint32_t flags)
{
    if (!m_pGame)
        return;
    CByteWriter w;
    w.WriteI32(playerId);
    w.WriteU32(flags);
    m_pGame->PostGameMessage(kGmPlayerRoles, w.Bytes(), w.Size());
}

void RoleIF::GrantAllRoles(int32_t playerId)
{
    PostRoles(playerId, kAllRoles);
    for (CRolePlayer& p : m_aPlayers)
        if (p.nPlayerId == playerId)
            p.uRoleFlags = kAllRoles;
}

bool RoleIF::AnyoneHolds(uint32_t bit, int exceptRow) const
{
    for (size_t i = 0; i < m_aPlayers.size(); ++i)
        if (static_cast<int>(i) != exceptRow && (m_aPlayers[i].uRoleFlags & bit))
            return true;
    return false;
}

// ---- clicks ----

bool RoleIF::CellAt(int x, int y, int& row, int& column) const
{
    for (int r = 0; r < static_cast<int>(m_aPlayers.size()); ++r)
        for (int c = 0; c < CRoleMenuData::kColumns; ++c)
            if (IsRoleColumn(c) && CellRect(r, c).Contains(x, y)) {
                row = r;
                column = c;
                return true;
            }
    return false;
}

void RoleIF::OnCell(int row, int column)
{
    CRolePlayer& player = m_aPlayers[static_cast<size_t>(row)];
    const int listed = static_cast<int>(m_aPlayers.size());
    if (column == kDropColumn) {
        // Only the authority drops, and never the host's own row.
        if (m_pGame && m_pGame->m_bAuthority && row != 0) {
            player.uRoleFlags |= kDrop;
            PostRoles(player.nPlayerId, player.uRoleFlags);
            PlaySound(0);
        }
        return;
    }
    if (row != m_nLocalRow) {
        Say("...Can't change anyone's role assignments but your own...");
        PlaySound(2);
        return;
    }
    if (Mode() & kModeRunning) {
        Say("The scenario has already started - your role is limited to \"Observer\"");
        PlaySound(2);
        return;
    }
    if (column == kReadyColumn) {
        PlaySound(2);
        return;
    }
    const uint32_t bit = 1u << column;
    if (!(player.uRoleFlags & bit)) {
        if (column == kTopRoleColumn && AnyoneHolds(kTopRole, -1)) {
            if (listed < 2)
                Say("...You already are the ZR ...");
            else if (player.uRoleFlags & kTopRole)
                Say("...You already are the ZR...");
            else
                Say("...Only one player can be ZR at a time - ask other player to drop first...");
            PlaySound(2);
            return;
        }
    } else {
        const bool allowed = column == kTopRoleColumn ? listed >= 2 : AnyoneHolds(bit, row);
        if (!allowed) {
            Say(listed < 2 ? "...Can't leave role unassigned - you are the only player..."
                           : "...Can't leave role unassigned - ask another player to take it first...");
            PlaySound(2);
            return;
        }
    }
    player.uRoleFlags ^= bit;
    PostRoles(player.nPlayerId, player.uRoleFlags);
    PlaySound(0);
}

void RoleIF::OnReady()
{
    if (m_nLocalRow < 0 || m_nLocalRow >= static_cast<int>(m_aPlayers.size()))
        return;
    CRolePlayer& player = m_aPlayers[static_cast<size_t>(m_nLocalRow)];
    if (player.uRoleFlags & kReady) {
        player.uRoleFlags &= ~(kReady | ExcludedBits());
    } else if (!AnyoneHolds(kTopRole, -1)) {
        Say("... One person must take the ZR role...");
        PlaySound(2);
        return;
    } else {
        Say("The scenario will load and start when all players say they are ready");
        player.uRoleFlags = (player.uRoleFlags | kReady) & ~ExcludedBits();
    }
    PostRoles(player.nPlayerId, player.uRoleFlags);
    PlaySound(0);
}

bool RoleIF::OnClick(int x, int y, uint32_t buttons)
{
    if (!m_bShown)
        return false;
    if (m_bDone) {
        m_bDone = false;
        m_bShown = false;
        return true;
    }
    if (!(buttons & 1))
        return false;
    if (m_rcMain.Contains(x, y)) {
        if (m_bReturnMode) {
            m_bShown = false;
            PlaySound(0);
            return true;
        }
        RefreshPlayers();
        OnReady();
        return false;
    }
    if (m_rcExit.Contains(x, y)) {
        m_strChat.clear();
        if (m_pModeFlags)
            *m_pModeFlags |= kModeQuit;
        m_bShown = false;
        return false;
    }
    if (m_rcSend.Contains(x, y)) {
        SendChat();
        return false;
    }
    if (m_rcScrollUp.Contains(x, y) || m_rcScrollDown.Contains(x, y)) {
        if (m_pGame)
            m_pGame->ScrollMessageLog(m_rcScrollUp.Contains(x, y) ? 0 : 1);
        return false;
    }
    if (m_bReturnMode)
        return false;
    RefreshPlayers();
    int row = -1, column = -1;
    if (CellAt(x, y, row, column))
        OnCell(row, column);
    return false;
}

bool RoleIF::OnMouseMove(int x, int y, uint32_t)
{
    if (!m_bShown)
        return false;
    m_nHoverRow = m_nHoverColumn = -1;
    CellAt(x, y, m_nHoverRow, m_nHoverColumn);
    m_nHoverButton = m_rcMain.Contains(x, y) ? 0 : (m_rcExit.Contains(x, y) ? 1 : -1);
    m_bHoverSend = m_rcSend.Contains(x, y);
    m_nHoverScroll = m_rcScrollUp.Contains(x, y) ? 0 : (m_rcScrollDown.Contains(x, y) ? 1 : -1);
    return true;
}

// ---- keys and chat ----

void RoleIF::SendChat()
{
    if (m_strChat.empty()) {
        PlaySound(2);
        return;
    }
    if (m_pGame) {
        if (m_pGame->m_pSession)
            m_pGame->m_pSession->SendTextMessage(m_strChat, -1, 0, 0);
        if (m_pGame->m_bAuthority)
            m_pGame->AddMessage(m_strChat, -1, 0, 0, -3);
    }
    m_strChat.clear();
    PlaySound(0);
}

void RoleIF::OnChar(uint32_t character)
{
    if (!m_bShown)
        return;
    if (character == 8) {
        if (m_strChat.empty())
            PlaySound(2);
        else
            m_strChat.pop_back();
        return;
    }
    if (character == 9)
        return;
    if (character == 13) {
        SendChat();
        return;
    }
    if (character < 32 || character > 255 || character == 127 || m_strChat.size() >= kChatMax) {
        PlaySound(2);
        return;
    }
    m_strChat.push_back(static_cast<char>(character));
}

void RoleIF::OnKey(uint32_t code)
{
    if (code == 0xFFFF) {
        m_bDone = true;
        PlaySound(0);
        return;
    }
    int kind = -1;
    switch (code) {
    case 0x21:
        kind = 2;
        break; // Page Up
    case 0x22:
        kind = 3;
        break; // Page Down
    case 0x23:
        kind = 5;
        break; // End
    case 0x24:
        kind = 4;
        break; // Home
    case 0x26:
        kind = 0;
        break; // Up
    case 0x28:
        kind = 1;
        break; // Down
    default:
        break;
    }
    if (kind >= 0 && m_pGame)
        m_pGame->ScrollMessageLog(kind);
}

// ---- drawing ----

void RoleIF::DrawLog(CSurface* target)
{
    if (!m_pGame || m_rcLog.width <= 0)
        return;
    Report(BlitKeyed(target, m_rcLog.x, m_rcLog.y, ArtRow(15).pSurface.get()), "RoleIF Draw 4 Failed");
    m_pGame->FillMessageLogView();
    // Each message wrapped again to this box, whatever panel it was stored for; the newest rows stay in view.
    const std::vector<CViewRow> rows =
        CMessageLog::WrapViewToWidth(m_pGame->GetViewLines(), m_rcLog.width - 12,
                                     [this](const std::string& t) { return MeasureText(m_pFont14.get(), t); });
    const int fit = std::max(0, (m_rcLog.height - 4) / kLogLineHeight);
    const size_t first = rows.size() > static_cast<size_t>(fit) ? rows.size() - static_cast<size_t>(fit) : 0;
    int y = m_rcLog.y + 2;
    for (size_t i = first; i < rows.size(); ++i, y += kLogLineHeight) {
        const int n = rows[i].nSource;
        uint32_t back = 0;
        int style = 0;
        m_pGame->GetLogEntryStyle(n, back, style);
        DrawLogLineOn(target, m_pFont14.get(), rows[i].strText,
                      RECT{m_rcLog.x + 6, y, m_rcLog.x + m_rcLog.width - 6, y + kLogLineHeight},
                      m_pGame->GetLogEntryColour(n), back, style == kLogStyleOpaque, gdi::DT_LEFT | gdi::DT_SINGLELINE);
    }
}

void RoleIF::Draw(CSurface* target)
{
    if (!m_bShown || !target)
        return;
    RefreshPlayers();
    m_art.DrawPanel(target);
    const CArtRow& panel = ArtRow(0);
    if (m_pHeader && m_pLayout)
        Report(BlitKeyed(target, panel.x + m_pLayout->CellX(0), panel.y + m_pLayout->CellY(0) - m_pHeader->GetHeight(),
                         m_pHeader.get()),
               "RoleIF Draw 2.5 Failed");
    for (int r = 0; r < static_cast<int>(m_aPlayers.size()); ++r) {
        const CRolePlayer& player = m_aPlayers[static_cast<size_t>(r)];
        const CScreenRect first = CellRect(r, 0);
        if (first.width > 0 && m_pLayout)
            DrawTextOn(target, m_pFont14.get(), player.strName,
                       RECT{panel.x + 20, first.y - 2, first.x - 4, first.y + std::max(first.height, 12) + 2},
                       r == m_nLocalRow ? kLocalInk : kInk, gdi::DT_LEFT | gdi::DT_VCENTER | gdi::DT_SINGLELINE);
        for (int c = 0; c < CRoleMenuData::kColumns; ++c) {
            if (!IsRoleColumn(c))
                continue;
            const CScreenRect rc = CellRect(r, c);
            if (rc.width <= 0)
                continue;
            int face = (player.uRoleFlags & (1u << c)) ? 18 : 17;
            if (r == m_nHoverRow && c == m_nHoverColumn)
                face = 19;
            Report(BlitKeyed(target, rc.x, rc.y, ArtRow(face).pSurface.get()), "RoleIF Draw 2 Failed");
        }
    }
    auto button = [&](const CScreenRect& rc, int face, bool hover) {
        if (rc.width > 0)
            Report(BlitKeyed(target, rc.x, rc.y, m_aButtonFaces[static_cast<size_t>(face)][hover ? 1 : 0].get()),
                   "RoleIF Draw 3 Failed");
    };
    button(m_rcMain, m_bReturnMode ? 1 : 0, m_nHoverButton == 0);
    button(m_rcExit, 2, m_nHoverButton == 1);
    button(m_rcSend, 3, m_bHoverSend);
    Report(BlitKeyed(target, m_rcScrollUp.x, m_rcScrollUp.y, ArtRow(m_nHoverScroll == 0 ? 6 : 7).pSurface.get()),
           "RoleIF Draw 7 Failed");
    Report(BlitKeyed(target, m_rcScrollDown.x, m_rcScrollDown.y, ArtRow(m_nHoverScroll == 1 ? 2 : 3).pSurface.get()),
           "RoleIF Draw 7 Failed");
    if (m_rcChat.width > 0) {
        BlitKeyed(target, m_rcChat.x, m_rcChat.y, ArtRow(16).pSurface.get());
        // A line longer than the entry shows its end, the caret with it.
        const std::string label = "Enter message: ";
        const int room = m_rcChat.width - 8 - MeasureText(m_pFont14.get(), label);
        DrawTextOn(target, m_pFont14.get(), label + TailThatFits(m_pFont14.get(), m_strChat + "_", room),
                   RECT{m_rcChat.x + 4, m_rcChat.y, m_rcChat.x + m_rcChat.width - 4, m_rcChat.y + m_rcChat.height},
                   kInk, gdi::DT_LEFT | gdi::DT_VCENTER | gdi::DT_SINGLELINE);
    }
    DrawLog(target);
}
