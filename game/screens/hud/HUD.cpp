// The HUD bar: loading its art and menus, the hot-spot buttons, clicks, the pop-up menus and drawing the bar.
#include "game/screens/hud/HUD.h"

#include "core/display/CDisplay.h"
#include "core/widgets/CPopupMenu.h"
#include "core/widgets/CPopupMenuView.h"
#include "game/app/Game.h"
#include "game/app/GameMessages.h"
#include "game/screens/boxes/Boxes.h"
#include "game/screens/briefing/BriefingIF.h"
#include "game/screens/eoc/EOC.h"
#include "game/screens/iap/IAP_PhaseIF.h"
#include "game/screens/role/RoleIF.h"
#include "game/sim/IncidentWorld.h"
#include "game/sim/SquadGame.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Font.h"
#include "platform/system/Clock.h"
#include "platform/system/MessageBox.h"
#include "platform/system/Paths.h"

#include <strings.h>

namespace {

using platform::gdi::Font;
using platform::gdi::FontDesc;

// Per button 0-11: state face, lit face, hover face, pressed face (art rows; 0 none).
constexpr int kFaces[12][4] = {{0, 8, 7, 9},     {3, 0, 4, 5},     {34, 0, 35, 36}, {0, 23, 22, 24},
                               {12, 14, 13, 15}, {25, 27, 26, 28}, {0, 0, 37, 38},  {0, 0, 10, 11},
                               {0, 0, 16, 17},   {0, 0, 32, 33},   {29, 0, 30, 31}, {18, 0, 19, 20}};

// Where the hot-spot colours are sampled in art row 2, by table entry 0-11.
constexpr POINT kHotSpotSamples[12] = {{110, 20}, {45, 55},   {45, 55}, {180, 55}, {45, 110}, {180, 110},
                                       {110, 50}, {110, 110}, {80, 80}, {140, 80}, {110, 80}, {110, 80}};

constexpr int kCursorArrow = 1;
constexpr int kCursorTarget = 3;
constexpr int kBlinkMs = 500;

} // namespace

HUD::HUD()
    : m_aUnitTexts(kUnitTexts), m_aCueCardTexts(kCueCardTexts),
      m_pFont(Font::Create(FontDesc{14, platform::gdi::FW_NORMAL, false, "Arial", true})),
      m_pBoldFont(Font::Create(FontDesc{14, platform::gdi::FW_BOLD, false, "Arial", true})),
      m_pBannerFont(Font::Create(FontDesc{14, platform::gdi::FW_BOLD, false, "Arial", false}))
{
}

HUD::~HUD() = default;

void HUD::AttachGameData(CGame* game, CEOCUnitData* eoc)
{
    m_pGame = game;
    m_pEOC = eoc;
}

// ---- links ----

CModeRecord& HUD::Options()
{
    if (m_pGame && m_pGame->m_pSquadGame)
        return m_pGame->m_pSquadGame->m_drawFilter;
    return m_ownOptions;
}

int32_t HUD::MapView() const
{
    return m_pGame ? m_pGame->m_nView : m_ownOptions.m_nViewMode;
}

void HUD::SetMapView(int32_t view)
{
    if (m_pGame)
        m_pGame->m_nView = view;
    Options().m_nViewMode = view;
}

uint32_t HUD::Mode() const
{
    return m_pGame ? m_pGame->m_uMode : 0;
}

uint32_t HUD::RoleFlags() const
{
    if (!m_pGame)
        return 0;
    // The single player holds every role.
    if (m_pGame->m_uMode & kModeSingle)
        return kRoleMask;
    return m_pGame->GetLocalRoleFlags();
}

void HUD::Sound(int id, float volume)
{
    if (m_pGame)
        m_pGame->PlaySound(id, volume);
}

const CArtRow* HUD::Row(int index) const
{
    const auto& rows = m_art.Rows();
    if (index < 0 || index >= static_cast<int>(rows.size()) || !rows[index].pSurface)
        return nullptr;
    return &rows[index];
}

CPopupMenu* HUD::GetMenu(int slot) const
{
    return slot >= 0 && slot < kHudMenuSlots ? m_apMenus[slot].get() : nullptr;
}

// ---- loading ----

bool HUD::LoadArt(CDisplay* display, const std::string& base, uint32_t*)
{
    m_pDisplay = display;
    m_strBase = base;
    m_bArtLoaded = false;
    const std::string gui = platform::JoinPath(base, "GUI");
    const std::string listPath = platform::JoinPath(gui, "HUD_Art.csv");
    std::string text;
    if (!ReadHudTextFile(listPath, text)) {
        platform::ShowMessageBox(listPath, "Failed to open file:", platform::MessageIcon::Error);
        return false;
    }
    if (CountArtRows(text) < kArtRows) {
        platform::ShowMessageBox("Was expecting more art for the hud", "Hud Art loader error",
                                 platform::MessageIcon::Error);
        return false;
    }
    m_art.Load(display, base, "HUD_Art.csv", kArtRows);

    // The hot-spot colours, as pixel values of row 2.
    m_aHotSpotColours.fill(0);
    if (const CArtRow* map = Row(2)) {
        const platform::PixelSurface* pixels = map->pSurface->GetPixels();
        for (int i = 0; i < 12; ++i)
            m_aHotSpotColours[i] = pixels->GetPixel(kHotSpotSamples[i].x, kHotSpotSamples[i].y);
    }

    const std::string menuPath = platform::JoinPath(gui, "HUDPopupMenus.txt");
    if (!ReadHudTextFile(menuPath, text)) {
        platform::ShowMessageBox(menuPath, "Failed to open file:", platform::MessageIcon::Error);
        return false;
    }
    std::array<CHudMenuDef, kHudMenuSlots> defs;
    if (!ParseHudPopupMenus(text, defs)) {
        platform::ShowMessageBox("HUD popup menu error", "Attempting to create an invalid menu.",
                                 platform::MessageIcon::Error);
        return false;
    }
    for (int slot = 0; slot < kHudMenuSlots; ++slot) {
        m_apMenus[slot].reset();
        if (!defs[slot].bPresent)
            continue;
        const bool checks = slot == kHudMenuFilters || slot == kHudMenuOverlays || slot == kHudMenuMsgFilters;
        const bool closes = slot == kHudMenuCommand || slot == kHudMenuOptions || slot == kHudMenuFilters;
        m_apMenus[slot] = std::make_unique<CPopupMenu>(checks ? 1 : 0, closes);
        for (size_t i = 0; i < defs[slot].aItems.size(); ++i) {
            const int line = m_apMenus[slot]->AddItem(defs[slot].aItems[i].c_str(), static_cast<int>(i));
            // "OK" closes a check-mark menu: a command, not a choice to tick.
            CPopupMenuItem* item = m_apMenus[slot]->GetItem(line);
            if (checks && item && strcasecmp(item->szText, "OK") == 0)
                item->dwFlags |= POPUP_ITEM_PLAIN;
        }
    }
    if (CPopupMenu* overlays = GetMenu(kHudMenuOverlays)) {
        overlays->SetChecked(0, true);
        overlays->SetChecked(1, true);
    }
    Options().m_nClassOptions = 3;
    Options().m_bClassSwitch = 1;

    if (!BuildParts())
        return false;
    m_bArtLoaded = true;
    m_bInfoDirty = true;
    return true;
}

bool HUD::MakePart(CHudPart& part, int row, int x, int y)
{
    part = CHudPart{};
    const CArtRow* art = Row(row);
    if (!art || !m_pDisplay)
        return true; // a missing bitmap was reported by the art list; the part stays empty
    // Art beyond the 800 x 600 window ends the game (exit code 1) once the message is shown.
    if (!CheckOnScreen("HUD_Art.csv row " + std::to_string(row), x, y, art->width, art->height))
        return false;
    part.pSurface.reset(m_pDisplay->CreateKeyedSurface(art->pSurface.get(), art->width, art->height));
    part.pClean.reset(m_pDisplay->CreateKeyedSurface(art->pSurface.get(), art->width, art->height));
    part.x = x;
    part.y = y;
    part.width = art->width;
    part.height = art->height;
    return part.Ready();
}

bool HUD::BuildParts()
{
    auto at = [this](int row, int& x, int& y) {
        const CArtRow* art = Row(row);
        x = art ? art->x : 0;
        y = art ? art->y : 0;
    };
    int x = 0, y = 0;
    bool ok = true;
    at(1, x, y);
    ok = MakePart(m_info, 1, x, y) && ok;
    at(66, x, y);
    ok = MakePart(m_banner, 66, x, y) && ok;
    const int layoutRows[3] = {48, 64, 65};
    for (int i = 0; i < 3; ++i) {
        at(layoutRows[i], x, y);
        ok = MakePart(m_aLayouts[i], layoutRows[i], x, y) && ok;
    }
    at(49, x, y);
    ok = MakePart(m_chat, 49, x, y) && ok;
    for (int row : {51, 52, 53, 54, 55, 56, 57, 58, 62, 63}) {
        const CArtRow* art = Row(row);
        if (art && !CheckOnScreen("HUD_Art.csv row " + std::to_string(row), art->x, art->y, art->width, art->height))
            ok = false;
    }
    // The save dialog: panel, name field, Save and Cancel buttons (the arrows are drawn from rows 51-55).
    int px = 0, py = 0;
    at(59, px, py);
    ok = MakePart(m_aSaveParts[kSavePanel], 59, px, py) && ok;
    ok = MakePart(m_aSaveParts[kSaveName], 60, px, py + 45) && ok;
    ok = MakePart(m_aSaveParts[kSaveButton], 61, px + 65, py + 102) && ok;
    ok = MakePart(m_aSaveParts[kSaveCancel], 61, px + 180, py + 102) && ok;
    for (int part : {kSavePrev, kSaveNext}) {
        const CArtRow* art = Row(part == kSavePrev ? 51 : 54);
        CHudPart& p = m_aSaveParts[part];
        p = CHudPart{};
        p.x = px + 278;
        p.y = py + (part == kSavePrev ? 45 : 61);
        p.width = art ? art->width : 0;
        p.height = art ? art->height : 0;
        if (art && !CheckOnScreen("HUD_Art.csv save arrows", p.x, p.y, p.width, p.height))
            ok = false;
    }
    RedrawSaveParts();
    DrawChatEntry();
    return ok;
}

// ---- hit tests ----

bool HUD::HitRow(int row, int x, int y) const
{
    const CArtRow* art = Row(row);
    return art && x >= art->x && x <= art->x + art->width && y >= art->y && y <= art->y + art->height;
}

int HUD::HotSpotAt(int x, int y) const
{
    const CArtRow* map = Row(2);
    if (!map)
        return -1;
    const platform::PixelSurface* pixels = map->pSurface->GetPixels();
    const int px = x - map->x, py = y - map->y;
    if (!pixels->Contains(px, py))
        return -1;
    const uint32_t colour = pixels->GetPixel(px, py);
    // Mended: only the sampled entries 0-11 are searched; the zero entries 12-15 would make every black
    // pixel of the map a message button.
    for (int i = 0; i < 12; ++i) {
        if (m_aHotSpotColours[i] != colour)
            continue;
        if (i == 1 || i == 2)
            return MapView() == 1 ? 2 : 1;
        if (i == 10 || i == 11)
            return Options().m_nZoom != 0 ? 10 : 11;
        return i;
    }
    return -1;
}

void HUD::SetHover(int hover)
{
    if (hover != m_nHover)
        Sound(1, 0.4f);
    m_nHover = hover;
}

// ---- mouse ----

int HUD::OnMouseMove(int x, int y, uint32_t)
{
    if (y <= 447) {
        m_nHover = -1;
        if (m_pGame && (m_pGame->m_bMessagePanelOpen || (m_pGame->m_uMessageState & 0x4))) {
            m_pGame->m_bMessagePanelOpen = 0;
            DrawMessages();
        }
        return 0;
    }
    if (m_pGame)
        m_pGame->SetMouseCursor(kCursorArrow);
    const CArtRow* info = Row(1);
    if (info && x < info->x) {
        SetHover(HotSpotAt(x, y));
        return 1;
    }
    const int buttons[3][2] = {{51, 12}, {54, 13}, {57, 14}};
    for (const auto& b : buttons)
        if (HitRow(b[0], x, y)) {
            SetHover(b[1]);
            return 1;
        }
    if (HitRow(48, x, y)) {
        SetHover(15);
        if (m_pGame && !m_pGame->IsMessagePanelOpen()) {
            m_pGame->m_bMessagePanelOpen = 1;
            DrawMessages();
        }
        return 1;
    }
    m_nHover = -1;
    if (m_pGame && m_pGame->m_bMessagePanelOpen) {
        m_pGame->m_bMessagePanelOpen = 0;
        DrawMessages();
    }
    return 1;
}

int HUD::OnLeftClick(int x, int y, uint32_t, CPopupMenuView* view)
{
    m_bPressed = 1;
    const int hover = m_nHover;
    if ((hover >= 0 && hover <= 11))
        Sound(0);
    switch (hover) {
    case 0:
        return OpenMenu(kHudMenuCommand, x, y, view), 9;
    case 1:
        m_nHover = 2;
        SetMapView(1);
        return 7;
    case 2:
        m_nHover = 1;
        SetMapView(0);
        return 8;
    case 3:
        return OpenMenu(kHudMenuOptions, x, y, view), 10;
    case 4:
        Options().m_bFilterSwitch = Options().m_bFilterSwitch ? 0 : 1;
        return 11;
    case 5:
        Options().m_bClassSwitch = Options().m_bClassSwitch ? 0 : 1;
        return 12;
    case 6:
    case 7:
    case 8:
    case 9:
        return hover - 5;
    case 10:
        m_nHover = 11;
        return 5;
    case 11:
        m_nHover = 10;
        return 6;
    case 12:
    case 13:
    case 14:
        return hover + 1;
    default:
        m_bPressed = 0;
        return 0;
    }
}

int HUD::OnRightClick(int x, int y, uint32_t, CPopupMenuView* view)
{
    static const struct {
        int hover, slot, code;
    } kMenus[] = {{0, kHudMenuCommand, 9},
                  {3, kHudMenuOptions, 10},
                  {4, kHudMenuFilters, 11},
                  {5, kHudMenuOverlays, 12},
                  {15, kHudMenuMsgFilters, 0}};
    for (const auto& m : kMenus)
        if (m.hover == m_nHover) {
            m_bPressed = 1;
            Sound(0);
            OpenMenu(m.slot, x, y, view);
            return m.code;
        }
    m_bPressed = 0;
    return 0;
}

int HUD::OnMouseUp(int, int, uint32_t)
{
    m_bPressed = 0;
    return 0;
}

// ---- menus ----

int HUD::OpenMenu(int slot, int x, int y, CPopupMenuView* view)
{
    if (slot == kHudMenuCommand)
        RefreshCommandItems();
    else if (slot == kHudMenuOptions)
        RefreshOptionItems();
    CPopupMenu* menu = GetMenu(slot);
    m_nOpenMenu = slot;
    if (view)
        m_pView = view;
    if (menu && view && view->Open(menu, x, y))
        view->Render();
    return slot;
}

bool HUD::UnitActive(int section, int unit) const
{
    if (!m_pEOC || section < 0 || section >= kSections || unit < 0 || unit > 31)
        return false;
    return (m_pEOC->m_aSections[section].uActivated & (1u << unit)) != 0;
}

std::string HUD::FacilityRefusal(int item) const
{
    static const char* const kNames[] = {
        "Command Post", "Base", "Staging Area", "Casualty Collection Center", "Evacuation Center", "Media Center"};
    if (item < 2 || item > 7)
        return {};
    const CIncidentWorld* world = m_pGame ? m_pGame->m_pIncidentWorld.get() : nullptr;
    if (!HoldsZoranth())
        return "Only the Zoranth sets up the ICS facilities.";
    if (MapView() == 1)
        return "The ICS facilities are set on the tactical map: switch back to it first.";
    if (!world || world->Objects().Size() == 0)
        return "The ICS facilities open once the incident has put its first object on the map (debris, a leak or "
               "a device).";
    const uint32_t placed = m_pEOC ? m_pEOC->m_uFacilityFlags : 0;
    const std::string name = kNames[item - 2];
    if (placed & (1u << (item - 2)))
        return "The " + name + " is set up already.";
    if (item == 2)
        return {};
    if (!(placed & 0x1))
        return "Set the Command Post first.";
    // The units (section, unit) each facility needs active.
    static const std::vector<std::pair<int, int>> kNeeds[] = {
        {{3, 3}}, {{1, 1}}, {{3, 7}, {1, 10}}, {{3, 7}}, {{3, 7}, {0, 5}}};
    std::string missing;
    for (const auto& [section, unit] : kNeeds[item - 3]) {
        if (UnitActive(section, unit))
            continue;
        const char* unitName = m_pEOC ? m_pEOC->Unit(section, unit).szName : "";
        missing += (missing.empty() ? "" : " and the ") + std::string(*unitName ? unitName : "unit it needs");
    }
    return missing.empty() ? std::string() : "The " + name + " needs the " + missing + " active in the EOC.";
}

std::string HUD::CommandItemRefusal(int item) const
{
    if (item == 8 && !HoldsZoranth())
        return "Only the Zoranth ends the scenario.";
    if (item == 10 && (Mode() & kModeSingle))
        return "Roles are handed out in network games only.";
    return FacilityRefusal(item);
}

void HUD::RefreshCommandItems()
{
    CPopupMenu* menu = GetMenu(kHudMenuCommand);
    if (!menu)
        return;
    for (int i = 2; i <= 7; ++i)
        menu->SetEnabled(i, FacilityRefusal(i).empty());
    menu->SetEnabled(8, HoldsZoranth());
    menu->SetEnabled(10, !(Mode() & kModeSingle));
    if (Mode() & kModeWaiveUnits)
        for (int i = 3; i <= 7; ++i)
            menu->SetEnabled(i, true);
}

void HUD::RefreshOptionItems()
{
    CPopupMenu* menu = GetMenu(kHudMenuOptions);
    if (!menu)
        return;
    const uint32_t mode = Mode();
    menu->SetEnabled(2, (mode & (kModeSingle | kModeHosting)) != 0);
    menu->SetEnabled(1, HoldsZoranth() && !(mode & kModeSaving));
    const CIncidentWorld* world = m_pGame ? m_pGame->m_pIncidentWorld.get() : nullptr;
    const bool markFree = !world || world->CanSendMarker();
    menu->SetEnabled(0, MapView() != 1 && markFree && (UnitActive(3, 1) || HoldsZoranth()));
}

int HUD::OnPopupChoice(int value, EOC* eoc)
{
    if (!m_pView && m_pGame)
        m_pView = m_pGame->m_pPopupView.get();
    CPopupMenu* menu = GetMenu(m_nOpenMenu);
    // Another menu in the view (the EOC's player list while it picks a section chief) is the EOC's to act on.
    if (eoc && m_pView && m_pView->GetOpenMenu() && m_pView->GetOpenMenu() != menu)
        return 1;
    if (!menu)
        return 0;
    const CPopupMenuItem* item = nullptr;
    for (int i = 0; i < menu->GetCount(); ++i)
        if (menu->GetItem(i)->nValue == value)
            item = menu->GetItem(i);
    if (!item || (item->dwFlags & POPUP_ITEM_DISABLED))
        return 0;
    CGame* game = m_pGame;
    switch (m_nOpenMenu) {
    case kHudMenuCommand:
        if (value == 0 || value == 1) {
            // A reminder due now is given first, so the plan it asks for opens for review at once (the half-hour
            // used to wait for the next two-second check, and the plan opened for viewing only until then).
            if (game && value == 0)
                game->CheckIAPReminders(game->GetTimeOfDay());
            if (game && value == 0 && game->m_pIAP)
                game->m_pIAP->Open(
                    (Mode() & (kModeIAPApproval | kModeIAPReview)) ? game->GetLocalRoleFlags() & kRoleMask : 0x40000);
            if (game && value == 1 && game->m_pEOC)
                game->m_pEOC->Open();
            if (game && (Mode() & kModeSingle) && !(Mode() & kModePaused)) {
                game->SetPaused(true);
                // The EOC resumes a game it paused when it closes.
                if (value == 1 && game->m_pEOC)
                    game->m_pEOC->m_bPausedGame = true;
            }
            return 0;
        }
        if (value >= 2 && value <= 7) {
            m_nSavedOverlayMask = Options().m_nClassOptions;
            m_bSavedOverlaysOn = Options().m_bClassSwitch;
            m_bOverlaySaved = true;
            Options().m_nClassOptions = 5;
            Options().m_bClassSwitch = 1;
            if (CPopupMenu* overlays = GetMenu(kHudMenuOverlays)) {
                overlays->SetChecked(1, false);
                overlays->SetChecked(0, true);
            }
            return value + 3;
        }
        if (!game)
            return 0;
        if (value == 8) {
            game->PostGameSignal(kGmEndScenario);
        } else if (value == 9) {
            game->m_uMode |= kModeBriefingReopened;
            if (game->m_pBriefing) {
                game->m_pBriefing->m_bDone = false;
                game->m_pBriefing->m_bShown = true;
            }
        } else if (value == 10) {
            game->m_uMode |= kModeRolesReopened;
            if (game->m_pRole)
                game->m_pRole->Open(true);
        }
        return 0;
    case kHudMenuOptions:
        if (value == 0) {
            Sound(0);
            if (game)
                game->SetMouseCursor(kCursorTarget);
            return 11;
        }
        if (!game)
            return 0;
        if (value == 1)
            game->TogglePause();
        else if (value == 2)
            OpenSaveDialog();
        else if (value == 3)
        {
            game->m_uMode ^= kModeSound; // the game's sounds play only while the bit is set
            // Old behaviour: only the bit flipped, so looping fire, spill and squad sounds played on.
            game->EnableSoundObject((game->m_uMode & kModeSound) != 0);
        }
        else if (value == 4)
            ConfirmExit(game->m_pMessageBox.get());
        return 0;
    default:
        break;
    }
    // The check-mark menus.
    if (strcasecmp(item->szText, "OK") == 0) {
        if (m_pView)
            m_pView->SetShown(false);
        return 0;
    }
    if (value < 0 || value > 31)
        return 0;
    const int32_t bit = static_cast<int32_t>(1u << value);
    int32_t* mask = m_nOpenMenu == kHudMenuFilters    ? &Options().m_nFilterOptions
                    : m_nOpenMenu == kHudMenuOverlays ? &Options().m_nClassOptions
                                                      : &m_nMsgFilterMask;
    *mask ^= bit;
    const bool on = (*mask & bit) != 0;
    for (int i = 0; i < menu->GetCount(); ++i)
        if (menu->GetItem(i)->nValue == value)
            menu->SetChecked(i, on);
    if (on && m_nOpenMenu == kHudMenuFilters)
        Options().m_bFilterSwitch = 1;
    if (on && m_nOpenMenu == kHudMenuOverlays)
        Options().m_bClassSwitch = 1;
    if (m_nOpenMenu == kHudMenuMsgFilters && m_pGame)
        m_pGame->SetMessageFilters(m_nMsgFilterMask);
    if (m_pView && m_pView->GetOpenMenu() == menu)
        m_pView->Render();
    return 0;
}

void HUD::RestoreOverlays()
{
    // Mended: with nothing saved (no placement was started) the overlays stay as the player set them.
    if (!m_bOverlaySaved)
        return;
    m_bOverlaySaved = false;
    Options().m_nClassOptions = m_nSavedOverlayMask;
    Options().m_bClassSwitch = m_bSavedOverlaysOn;
    if (CPopupMenu* overlays = GetMenu(kHudMenuOverlays)) {
        overlays->SetChecked(0, (m_nSavedOverlayMask & 5) != 0);
        overlays->SetChecked(1, (m_nSavedOverlayMask & 6) != 0);
    }
}

// ---- drawing ----

void HUD::BlitRow(CSurface* target, int row, const char* failure)
{
    const CArtRow* art = Row(row);
    if (!art || !target)
        return;
    RECT src{0, 0, art->width, art->height};
    const HRESULT hr = target->BltFast(art->x, art->y, art->pSurface.get(), &src, DDBLTFAST_SRCCOLORKEY);
    if (hr != DD_OK && m_pDisplay)
        m_pDisplay->GetErrorLog().LogError(hr, m_pDisplay->GetWindow(), failure);
}

void HUD::Draw(CSurface* target)
{
    if (!target)
        return;
    static const char* kDrawFailed = "HUD Draw Failed";
    static const char* kFaceFailed = "HUD Draw Button State Failed";
    BlitRow(target, 0, kDrawFailed);
    if (m_bInfoDirty)
        DrawInfoPanel(m_pDisplay, -1);
    if (m_info.Ready()) {
        RECT src{0, 0, m_info.width, m_info.height};
        const HRESULT hr = target->BltFast(m_info.x, m_info.y, m_info.pSurface.get(), &src, DDBLTFAST_SRCCOLORKEY);
        if (hr != DD_OK && m_pDisplay)
            m_pDisplay->GetErrorLog().LogError(hr, m_pDisplay->GetWindow(), kDrawFailed);
    }

    // The banner.
    const uint32_t mode = Mode();
    if (m_banner.Ready() && (mode & (kModeSaving | kModePaused))) {
        m_banner.pSurface->BltFast(0, 0, m_banner.pClean.get(), nullptr, 0);
        platform::gdi::DeviceContext* dc = nullptr;
        if (m_banner.pSurface->GetDC(&dc) == DD_OK && dc) {
            dc->SelectFont(m_pBannerFont.get());
            dc->SetBkMode(platform::gdi::TRANSPARENT);
            dc->SetTextColor(RGB(150, 10, 10));
            dc->TextOut(15, 0, (mode & kModeSaving) ? "Scenario Saving" : "Scenario Paused", -1);
            m_banner.pSurface->ReleaseDC(dc);
        }
        RECT src{0, 0, m_banner.width, m_banner.height};
        target->BltFast(m_banner.x, m_banner.y, m_banner.pSurface.get(), &src, DDBLTFAST_SRCCOLORKEY);
    }

    DrawMessageArea(target);

    const bool area = MapView() == 1;
    BlitRow(target, area ? 34 : 3, kFaceFailed);
    BlitRow(target, Options().m_nZoom != 0 ? 29 : 18, kFaceFailed);
    if (Options().m_bFilterSwitch)
        BlitRow(target, 14, kFaceFailed);
    if (Options().m_bClassSwitch)
        BlitRow(target, 27, kFaceFailed);

    // The Command button blinks while an IAP waits for this player.
    const uint32_t roles = RoleFlags();
    if (((mode & kModeIAPApproval) && (roles & kRoleCommand)) ||
        ((mode & kModeIAPReview) && (roles & kRolePlanningChief))) {
        const uint32_t now = platform::GetTickCount();
        if (now - m_uLastBlink > kBlinkMs) {
            m_bBlink = !m_bBlink;
            m_uLastBlink = now;
        }
        BlitRow(target, m_bBlink ? 7 : 9, kFaceFailed);
    }

    if (m_nHover >= 0 && m_nHover <= 11) {
        int face = kFaces[m_nHover][2];
        if (m_nHover == 4)
            face = Options().m_bFilterSwitch ? 13 : 12;
        else if (m_nHover == 5)
            face = Options().m_bClassSwitch ? 26 : 25;
        if (face)
            BlitRow(target, face, kFaceFailed);
        if (m_bPressed && kFaces[m_nHover][3])
            BlitRow(target, kFaces[m_nHover][3], kFaceFailed);
    }
    if (!area)
        BlitRow(target, Options().m_nZoom == 0 ? 62 : 63, kFaceFailed);
}
