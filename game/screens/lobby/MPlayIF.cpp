// The multiplayer lobby: page states, menu buttons, entries, the scenario or saved-game list and the confirm.
#include "game/screens/lobby/MPlayIF.h"

#include "core/display/CDisplay.h"
#include "game/app/Game.h"
#include "platform/system/Clock.h"
#include "platform/system/MessageBox.h"

#include <cstdio>

namespace gdi = platform::gdi;

namespace {

constexpr COLORREF kNormal = 0xC8C8C8;
constexpr COLORREF kHighlight = 0xE6E6E6;
constexpr COLORREF kEntryInk = 0x0A0A0A;

bool RightAligned(int button)
{
    return button == 4 || button == 7 || button == 8 || button == 9;
}

CScreenRect RectOf(int x, int y, const CArtRow& size)
{
    return CScreenRect{x, y, size.width, size.height};
}

} // namespace

MPlayIF::MPlayIF()
    : m_pFont16(MakeArial(16, true)), m_pFont18(MakeArial(18, true)), m_uBlinkAt(platform::GetTickCount())
{
    m_uNoticeSetAt = m_uBlinkAt;
}

MPlayIF::~MPlayIF() = default;

const CArtRow& MPlayIF::ArtRow(int row) const
{
    static const CArtRow empty;
    const auto& rows = m_art.Rows();
    return row >= 0 && row < static_cast<int>(rows.size()) ? rows[static_cast<size_t>(row)] : empty;
}

void MPlayIF::PlaySound(int id, float volume)
{
    if (m_pGame)
        m_pGame->PlaySound(id, volume);
}

bool MPlayIF::LoadArt(CDisplay* display, const std::string& base, uint32_t* modeFlags)
{
    m_pDisplay = display;
    m_pModeFlags = modeFlags;
    m_strBase = base;
    return m_art.Load(display, base, "MPlay_Art.csv", kArtRows);
}

void MPlayIF::Init(CMultiplayerMenuData* menu)
{
    m_pMenu = menu;
    const CArtRow& panel = ArtRow(0);
    auto rowY = [&](int row) {
        const CMultiplayerMenuRow* r = m_pMenu ? m_pMenu->Row(row) : nullptr;
        return r ? r->nY : 0;
    };
    bool offScreen = false;
    auto place = [&](CScreenRect rc) {
        // An element off the 800 x 600 screen ends the game (exit code 1); until then it is left out.
        if (!rc.Fits()) {
            // Parts whose art did not load are reported as missing files, not as misplaced.
            offScreen = offScreen || (panel.width > 0 && rc.width > 0 && rc.height > 0);
            return CScreenRect{};
        }
        return rc;
    };
    for (int b = 0; b < kButtons; ++b) {
        const CMultiplayerMenuRow* row = m_pMenu ? m_pMenu->Row(b) : nullptr;
        m_rcButtons[static_cast<size_t>(b)] =
            row ? place(RectOf(panel.x + row->nX, panel.y + row->nY, ArtRow(2))) : CScreenRect{};
    }
    m_rcAddress = place(RectOf(panel.x + 252, rowY(9), ArtRow(14)));
    m_rcName = place(RectOf(panel.x + 252, rowY(4), ArtRow(24)));
    m_rcList = place(RectOf(panel.x + 252, rowY(7), ArtRow(21)));
    m_rcStatus = place(RectOf(panel.x + 150, rowY(7) + 130, ArtRow(22)));
    m_rcArrowUp = place(RectOf(m_rcList.x + m_rcList.width + 2, m_rcList.y + 1, ArtRow(10)));
    m_rcArrowDown = place(RectOf(m_rcList.x + m_rcList.width + 2, m_rcList.y + m_rcList.height - 11, ArtRow(6)));
    const int right = panel.x + panel.width;
    const int bottom = panel.y + panel.height;
    m_rcNext =
        place(RectOf(right - ArtRow(17).width - ArtRow(18).width - 75, bottom - ArtRow(18).height - 120, ArtRow(18)));
    m_rcExit = place(RectOf(right - ArtRow(17).width - 70, bottom - ArtRow(17).height - 120, ArtRow(17)));
    m_rcReset = place(RectOf(right - ArtRow(17).width - 70, panel.y + 234, ArtRow(17)));
    if (offScreen)
        RaiseScreenFatal("Multiplayer_Menu_Data.csv: the lobby's layout places a part outside the screen");
    BuildFaces();
    Reset();
    m_bShown = true;
}

void MPlayIF::BuildFaces()
{
    const int looks[3] = {2, 1, 3};
    for (int b = 0; b < kButtons; ++b) {
        const CMultiplayerMenuRow* row = m_pMenu ? m_pMenu->Row(b) : nullptr;
        const std::string text = row ? row->strText : std::string();
        for (int look = 0; look < 3; ++look)
            for (int hover = 0; hover < 2; ++hover)
                m_aFaces[static_cast<size_t>(b)][static_cast<size_t>(look)][static_cast<size_t>(hover)] =
                    MakeFace(m_pDisplay, ArtRow(looks[look]), text, m_pFont16.get(), hover ? kHighlight : kNormal,
                             RightAligned(b));
    }
    const char* captions[3] = {"Next", "Exit", "Reset"};
    for (int c = 0; c < 3; ++c)
        for (int hover = 0; hover < 2; ++hover)
            m_aCommandFaces[static_cast<size_t>(c)][static_cast<size_t>(hover)] =
                MakeFace(m_pDisplay, ArtRow(19), captions[c], m_pFont18.get(), hover ? kHighlight : kNormal);
}

void MPlayIF::Show(bool shown)
{
    m_nSavedState = m_nPageState;
    m_bSavedHosting = m_bHosting;
    m_bSavedNetworked = m_bNetworked;
    m_uSavedChosen = m_uChosen;
    m_bShown = shown;
}

// ---- drawing ----

void MPlayIF::DrawEntry(CSurface* target, const CScreenRect& rc, CSurface* face, const std::string& text, bool focused)
{
    if (rc.width <= 0)
        return;
    BlitKeyed(target, rc.x, rc.y, face);
    std::string shown = text;
    if (focused && m_bEntriesUnlocked && m_bBlink)
        shown += "_";
    DrawTextOn(target, m_pFont16.get(), shown, RECT{rc.x + 6, rc.y, rc.x + rc.width - 4, rc.y + rc.height}, kEntryInk,
               gdi::DT_LEFT | gdi::DT_VCENTER | gdi::DT_SINGLELINE);
}

void MPlayIF::Draw(CSurface* target)
{
    if (!m_bShown || !target)
        return;
    const uint32_t now = platform::GetTickCount();
    if (now - m_uBlinkAt >= kBlinkMs) {
        m_bBlink = !m_bBlink;
        m_uBlinkAt = now;
    }
    if (m_bNoticeExpires && now - m_uNoticeSetAt >= kJoinFailedMs) {
        m_bNoticeShown = false;
        m_bNoticeExpires = false;
    }
    m_art.DrawPanel(target);
    for (int b = 0; b < kButtons; ++b) {
        const CScreenRect& rc = m_rcButtons[static_cast<size_t>(b)];
        int look = -1;
        if (m_uChosen & Bit(b))
            look = 0;
        else if (m_uEnabled & Bit(b)) {
            const CMultiplayerMenuRow* row = m_pMenu ? m_pMenu->Row(b) : nullptr;
            const int link = row ? row->nLink : 0;
            look = (link > 0 && link < kButtons && !(m_uChosen & Bit(link))) ? 2 : 1;
        }
        if (look < 0 || rc.width <= 0)
            continue;
        const int hover = m_nHoverButton == b ? 1 : 0;
        BlitKeyed(target, rc.x, rc.y,
                  m_aFaces[static_cast<size_t>(b)][static_cast<size_t>(look)][static_cast<size_t>(hover)].get());
    }
    if (m_bListShown) {
        BlitKeyed(target, m_rcList.x, m_rcList.y, ArtRow(21).pSurface.get());
        if (m_rcList.width > 0)
            DrawTextOn(target, m_pFont16.get(), GetSelectedName(),
                       RECT{m_rcList.x + 6, m_rcList.y, m_rcList.x + m_rcList.width - 4, m_rcList.y + m_rcList.height},
                       kEntryInk, gdi::DT_LEFT | gdi::DT_VCENTER | gdi::DT_SINGLELINE);
        BlitKeyed(target, m_rcArrowUp.x, m_rcArrowUp.y, ArtRow(m_nHoverArrow == 0 ? 11 : 10).pSurface.get());
        BlitKeyed(target, m_rcArrowDown.x, m_rcArrowDown.y, ArtRow(m_nHoverArrow == 1 ? 7 : 6).pSurface.get());
    }
    auto command = [&](int c, const CScreenRect& rc) {
        if (rc.width > 0)
            BlitKeyed(target, rc.x, rc.y, m_aCommandFaces[static_cast<size_t>(c)][m_nHoverCommand == c ? 1 : 0].get());
    };
    if (CanShowNext())
        command(0, m_rcNext);
    command(1, m_rcExit);
    if (ShowsReset())
        command(2, m_rcReset);
    const int nameFace = m_bEntriesUnlocked ? (m_nFocus == 0 ? 25 : 24) : 23;
    DrawEntry(target, m_rcName, ArtRow(nameFace).pSurface.get(), m_strPlayerName, m_nFocus == 0);
    if (AddressShown())
        DrawEntry(target, m_rcAddress, ArtRow(m_nFocus == 1 && !m_bHosting ? 15 : 14).pSurface.get(), m_strHostAddress,
                  m_nFocus == 1 && !m_bHosting);
    if (m_bNoticeShown && m_rcStatus.width > 0) {
        BlitKeyed(target, m_rcStatus.x, m_rcStatus.y, ArtRow(22).pSurface.get());
        DrawTextOn(
            target, m_pFont16.get(), m_strNotice,
            RECT{m_rcStatus.x + 4, m_rcStatus.y, m_rcStatus.x + m_rcStatus.width - 4, m_rcStatus.y + m_rcStatus.height},
            kEntryInk, gdi::DT_CENTER | gdi::DT_VCENTER | gdi::DT_SINGLELINE);
    }
}

// ---- mouse ----

int MPlayIF::ButtonAt(int x, int y) const
{
    for (int b = 0; b < kButtons; ++b)
        if (((m_uChosen | m_uEnabled) & Bit(b)) && m_rcButtons[static_cast<size_t>(b)].Contains(x, y))
            return b;
    return -1;
}

int MPlayIF::CommandAt(int x, int y) const
{
    if (CanShowNext() && m_rcNext.Contains(x, y))
        return 0;
    if (m_rcExit.Contains(x, y))
        return 1;
    if (ShowsReset() && m_rcReset.Contains(x, y))
        return 2;
    return -1;
}

bool MPlayIF::OnMouseMove(int x, int y, uint32_t)
{
    if (!m_bShown)
        return false;
    const int button = ButtonAt(x, y);
    const int command = CommandAt(x, y);
    int arrow = -1;
    if (m_bListShown)
        arrow = m_rcArrowUp.Contains(x, y) ? 0 : (m_rcArrowDown.Contains(x, y) ? 1 : -1);
    const bool changed = button != m_nHoverButton || command != m_nHoverCommand || arrow != m_nHoverArrow;
    m_nHoverButton = button;
    m_nHoverCommand = command;
    m_nHoverArrow = arrow;
    if (changed && (button >= 0 || command >= 0 || arrow >= 0))
        PlaySound(1, 0.4f);
    if (m_rcName.Contains(x, y))
        m_nFocus = 0;
    else if (AddressShown() && !m_bHosting && m_rcAddress.Contains(x, y))
        m_nFocus = 1;
    return true;
}

bool MPlayIF::OnClick(int x, int y, uint32_t buttons)
{
    if (!m_bShown)
        return false;
    if (m_bQuickStart) {
        m_bQuickStart = false;
        Confirm();
        ShowPleaseWait();
        return true;
    }
    if (!(buttons & 1))
        return false;
    switch (CommandAt(x, y)) {
    case 0:
        return OnNext();
    case 1:
        OnExit();
        return false;
    case 2:
        Reset();
        PlaySound(0);
        return false;
    default:
        break;
    }
    if (m_bListShown && m_rcArrowUp.Contains(x, y)) {
        MoveSelection(-1);
        return false;
    }
    if (m_bListShown && m_rcArrowDown.Contains(x, y)) {
        MoveSelection(1);
        return false;
    }
    const int button = ButtonAt(x, y);
    if (button >= 0)
        return OnMenuButton(button);
    return false;
}

void MPlayIF::MoveSelection(int step)
{
    const int count = static_cast<int>(m_aList.size());
    const int current = m_nSelected < 0 ? 0 : m_nSelected;
    const int next = current + step;
    if (count == 0 || next < 0 || next >= count) {
        PlaySound(2);
        return;
    }
    m_nSelected = next;
    PlaySound(0);
}

bool MPlayIF::OnMenuButton(int b)
{
    if (!(m_uEnabled & Bit(b)))
        return false;
    if ((b == 0 || b == 1) && m_nPageState >= 1 && m_nPageState <= 5) {
        Reset();
        PlaySound(0);
        return false;
    }
    const bool chosen = (m_uChosen & Bit(b)) != 0;
    switch (m_nPageState) {
    case 0:
        if (IsLabel(b)) {
            // The name label stands on the first page; a click on it is no choice.
        } else if (b == 0 && !chosen) {
            m_uChosen = Bit(0);
            m_uEnabled = (m_uEnabled & ~Bit(1)) | Bit(2) | Bit(3);
            m_nPageState = 1;
            PlaySound(0);
        } else if (b == 1 && !chosen) {
            m_uChosen = Bit(1);
            m_uEnabled = (m_uEnabled & ~Bit(0)) | Bit(5) | Bit(6);
            m_nPageState = 2;
            PlaySound(0);
        } else {
            PlaySound(2);
        }
        break;
    case 1:
        if ((b == 2 || b == 3) && !chosen)
            ChooseScenarioOrSave(b, false);
        break;
    case 2:
        if (b == 6 && !chosen) {
            m_uChosen |= Bit(6);
            m_uEnabled = (m_uEnabled & ~Bit(5)) | Bit(2) | Bit(3);
            m_nPageState = 3;
            PlaySound(0);
        } else if (b == 5 && !chosen) {
            m_uChosen |= Bit(5);
            m_uEnabled = (m_uEnabled | Bit(4) | Bit(9)) & ~(Bit(6) | Bit(7));
            m_bEntriesUnlocked = true;
            m_nFocus = 0;
            *Mode() &= ~kModeFromSave;
            m_bHosting = false;
            // An address already there (remembered or left from before) is offered: the first key replaces it.
            m_bAddressOffered = !m_strHostAddress.empty();
            m_nPageState = m_strHostAddress.size() >= 8 ? 5 : 4;
            PlaySound(0);
        } else {
            PlaySound(2);
        }
        break;
    case 3:
        if ((b == 2 || b == 3) && !chosen)
            ChooseScenarioOrSave(b, true);
        break;
    case 4:
        if (m_strHostAddress.size() >= 8)
            m_nPageState = 5;
        break;
    default:
        // Rows 4, 7, 8 and 9 are labels ("Player Name:", "Scenario:" ...), not choices to refuse.
        if (!IsLabel(b))
            PlaySound(2);
        break;
    }
    return false;
}

void MPlayIF::ChooseScenarioOrSave(int b, bool hosting)
{
    const int other = b == 2 ? 3 : 2;
    m_uChosen = (m_uChosen | Bit(b)) & ~Bit(other);
    m_uEnabled = (m_uEnabled & ~Bit(other)) | Bit(4) | Bit(7);
    if (hosting) {
        m_uEnabled |= Bit(8);
        m_bHosting = true;
        m_strHostAddress = (m_pGame ? m_pGame->OwnAddressText() : OwnAddress()).substr(0, kAddressMax);
    }
    m_bEntriesUnlocked = true;
    m_nFocus = 0;
    if (b == 2)
        *Mode() &= ~kModeFromSave;
    else
        *Mode() |= kModeFromSave;
    FillList(b == 3);
    m_nPageState = 5;
    PlaySound(0);
}

void MPlayIF::FillList(bool saves)
{
    int unreadable = 0;
    m_aList = saves ? ListSavedGames(m_strBase, &unreadable) : ListScenarios(m_strBase);
    m_bListIsSaves = saves;
    m_nSelected = m_aList.empty() ? -1 : 0;
    m_bListShown = true;
    // Saved games that cannot be read are not listed, but said.
    if (unreadable > 0)
        SetStatus(std::to_string(unreadable) + (unreadable == 1 ? " saved game" : " saved games") +
                  " could not be read.");
}

bool MPlayIF::OnNext()
{
    const bool localGame = (m_uChosen & Bit(0)) || (m_uChosen & Bit(6));
    if (localGame && m_aList.empty()) {
        SetStatus(m_bListIsSaves ? "*** No Saved Games Available ****" : "*** No Scenarios Available ****");
        PlaySound(2);
        return false;
    }
    if ((m_nPageState == 4 || m_nPageState == 5) && !(*Mode() & kModeJoinRefused)) {
        Confirm();
        PlaySound(0);
        ShowPleaseWait();
        return true;
    }
    PlaySound(2);
    return false;
}

void MPlayIF::OnExit()
{
    m_nPageState = m_nSavedState;
    m_bHosting = m_bSavedHosting;
    m_bNetworked = m_bSavedNetworked;
    m_uChosen = m_uSavedChosen;
    m_strHostAddress.clear();
    *Mode() |= kModeQuit;
    m_bShown = false;
}

void MPlayIF::Reset()
{
    m_uChosen = 0;
    // The name box and its label stand on every page, and the name takes typing from the first one.
    m_uEnabled = Bit(0) | Bit(1) | Bit(4);
    m_bEntriesUnlocked = true;
    m_nFocus = 0;
    m_bListShown = false;
    m_bNoticeShown = false;
    m_bNoticeExpires = false;
    m_strNotice.clear();
    m_bHosting = false;
    m_nPageState = 0;
}

void MPlayIF::Confirm()
{
    const bool saved = (*Mode() & kModeFromSave) != 0;
    m_strChosenName = GetSelectedName();
    if (!saved && !m_strChosenName.empty())
        m_strChosenName += ".zri";
    m_bNetworked = (m_uChosen & Bit(1)) != 0;
    m_bHosting = (m_uChosen & Bit(6)) != 0;
    uint32_t& mode = *Mode();
    mode &= ~(kModeSingle | kModeNetworked | kModeHosting);
    mode |= m_bNetworked ? kModeNetworked : kModeSingle;
    if (m_bHosting)
        mode |= kModeHosting;
}

std::string MPlayIF::GetSelectedName() const
{
    if (!m_bListShown || m_aList.empty())
        return {};
    const size_t index =
        m_nSelected >= 0 && m_nSelected < static_cast<int>(m_aList.size()) ? static_cast<size_t>(m_nSelected) : 0;
    return m_aList[index];
}

// ---- keys ----

void MPlayIF::OnChar(uint32_t character)
{
    if (!m_bShown || !m_bEntriesUnlocked)
        return;
    if (character == 9 || character == 13)
        return;
    const bool address = m_nFocus == 1 && !m_bHosting && AddressShown();
    std::string& text = address ? m_strHostAddress : m_strPlayerName;
    // An offered text stays until the player types: the first character replaces it, Backspace edits it.
    bool& offeredFlag = address ? m_bAddressOffered : m_bNameOffered;
    const bool offered = offeredFlag;
    offeredFlag = false;
    if (character == 8) {
        if (text.empty())
            PlaySound(2);
        else
            text.pop_back();
    } else {
        const bool printable = character >= 32 && character <= 255 && character != 127;
        const bool taken = address ? (character == '.' || (character >= '0' && character <= '9')) : printable;
        const size_t limit = address ? kAddressMax : kNameMax;
        if (taken && offered)
            text.clear();
        if (!taken || text.size() >= limit) {
            PlaySound(2);
            return;
        }
        text.push_back(static_cast<char>(character));
    }
    if (address)
        FollowAddress();
}

void MPlayIF::FollowAddress()
{
    // Joining: a typed address of 8 characters or more shows "Next" as a click would; a shorter one hides it.
    const bool joining = (m_uChosen & Bit(5)) && !m_bHosting;
    if (!joining)
        return;
    if (m_nPageState == 4 && m_strHostAddress.size() >= 8)
        m_nPageState = 5;
    else if (m_nPageState == 5 && m_strHostAddress.size() < 8)
        m_nPageState = 4;
}

void MPlayIF::OnKey(uint32_t code)
{
    if (!m_bShown)
        return;
    if (code == kVkF4)
        QuickStart(Bit(1) | Bit(6), true, "Test Host");
    else if (code == kVkF6)
        QuickStart(Bit(1), true, "Test Client");
    else if (code == kVkF7)
        QuickStart(Bit(0), false, "Single Player");
}

void MPlayIF::QuickStart(uint32_t chosen, bool ownAddress, const char* name)
{
    FillList(false);
    if (m_aList.empty()) {
        m_bListShown = false;
        SetStatus("*** No Scenarios Available ****");
        PlaySound(2);
        return;
    }
    m_uChosen = chosen;
    *Mode() &= ~kModeFromSave;
    if (ownAddress)
        m_strHostAddress = (m_pGame ? m_pGame->OwnAddressText() : OwnAddress()).substr(0, kAddressMax);
    m_nSelected = 0;
    m_strChosenName = m_aList.front() + ".zri";
    if (m_strPlayerName.empty())
        m_strPlayerName = name;
    m_nPageState = 5;
    m_bQuickStart = true;
    PlaySound(0);
}

// ---- status ----

void MPlayIF::SetStatus(const std::string& text)
{
    m_strNotice = text.substr(0, 255);
    m_bNoticeShown = true;
    m_bNoticeExpires = false;
    m_uNoticeSetAt = platform::GetTickCount();
}

void MPlayIF::ShowJoinFailed()
{
    SetStatus("Unable to join Host - please check Host address or that Host is Ready.");
    m_bNoticeExpires = true;
}

void MPlayIF::ShowScenarioStarted()
{
    m_uChosen &= ~(Bit(0) | Bit(1) | Bit(5));
    m_uEnabled &= ~(Bit(0) | Bit(1) | Bit(5));
    m_bEntriesUnlocked = false;
    SetStatus("Unable to join - The scenario has already started - Please exit.");
}

void MPlayIF::ShowVersionMismatch(const std::string& own, const std::string& host)
{
    m_uChosen &= ~(Bit(0) | Bit(1) | Bit(5));
    m_uEnabled &= ~(Bit(0) | Bit(1) | Bit(5));
    m_bEntriesUnlocked = false;
    char text[256];
    std::snprintf(text, sizeof text, "Unable to join - Host version is %s, yours is %s - Please exit.",
                  host.substr(0, 40).c_str(), own.substr(0, 40).c_str());
    SetStatus(text);
}

void MPlayIF::ShowPleaseWait()
{
    SetStatus("Please wait while briefing loads");
}
