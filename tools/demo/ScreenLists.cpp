// The art lists of the game's screens ("Briefing_Art.csv", "MPlay_Art.csv", "Role_Art.csv", "EOC_Art.csv",
// "IAP_Art.csv", "DeBrief_Art.csv", "HUD_Art.csv") with every row's bitmap: panels, button faces, arrows,
// entry boxes, tabs, and the HUD bar with its hot-spot colour map, faces, bars and message panels.
#include "tools/demo/DemoData.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace demo {

namespace {

const COLORREF kInk = RGB(10, 10, 10);
const COLORREF kFrame = RGB(8, 8, 12);
const COLORREF kPanelFill = RGB(214, 210, 196);
const COLORREF kRed = RGB(160, 32, 32);

TextStyle Caption(int height, COLORREF colour, bool bold = true)
{
    TextStyle s;
    s.height = height;
    s.bold = bold;
    s.colour = colour;
    return s;
}

Canvas PanelArt(int w, int h, const std::string& caption)
{
    Canvas c(w, h, kFrame);
    c.FillRect(2, 2, w - 4, h - 4, kPanelFill);
    if (!caption.empty()) {
        c.FillRect(2, 2, w - 4, 24, kRed);
        c.Text(caption, 2, 2, w - 4, 24, Caption(16, RGB(255, 255, 255)));
    }
    return c;
}

// A button face: `shade` 100 normal, above lighter (hover), below darker (pressed); `lit` adds a gold rim.
Canvas ButtonArt(int w, int h, int shade, bool lit = false, const std::string& caption = "")
{
    Canvas c(w, h, kFrame);
    const COLORREF body = Shade(RGB(150, 36, 32), shade);
    c.FillRect(1, 1, w - 2, h - 2, body);
    c.FillRect(2, 2, w - 4, (h - 4) / 2, Shade(body, 115));
    if (lit)
        c.FrameRect(1, 1, w - 2, h - 2, RGB(250, 210, 60), 2);
    if (!caption.empty())
        c.Text(caption, 0, 0, w, h, Caption(std::min(13, h - 6), RGB(230, 230, 230)));
    return c;
}

Canvas ArrowArt(int w, int h, bool up, bool hover)
{
    Canvas c(w, h, kFrame);
    c.FillRect(1, 1, w - 2, h - 2, hover ? RGB(200, 70, 60) : RGB(150, 36, 32));
    const double m = w / 2.0;
    if (up)
        c.FillPolygon({{m, 3}, {w - 4.0, h - 4.0}, {4, h - 4.0}}, RGB(240, 240, 240));
    else
        c.FillPolygon({{4, 4}, {w - 4.0, 4}, {m, h - 3.0}}, RGB(240, 240, 240));
    return c;
}

Canvas BoxArt(int w, int h, COLORREF fill, COLORREF border)
{
    Canvas c(w, h, border);
    c.FillRect(1, 1, w - 2, h - 2, fill);
    c.FillRect(1, 1, w - 2, 1, Shade(fill, 80));
    return c;
}

Canvas TabArt(int w, int h, int state, const std::string& caption) // 0 normal, 1 hover, 2 selected
{
    Canvas c(w, h);
    const COLORREF fill = state == 2 ? kPanelFill : state == 1 ? RGB(200, 80, 70) : RGB(140, 40, 36);
    c.FillRect(0, 0, w, h, kFrame);
    c.FillRect(1, 1, w - 2, h - 1, fill);
    c.Text(caption, 0, 0, w, h, Caption(14, state == 2 ? kInk : RGB(240, 240, 240)));
    return c;
}

Canvas Spare()
{
    return Canvas(4, 4);
}

// The bitmap of the rows a screen leaves unused (written once for all the lists).
const std::string kSpare = "Spare.bmp";

struct Row {
    std::string bitmap;
    int x = 0, y = 0;
    Canvas art;
};

// Writes the rows' bitmaps into GUI/ and the list itself.
void WriteList(Output& out, const std::string& list, const std::string& title, const std::vector<Row>& rows)
{
    std::string text = title + ",,\nBitmap,X,Y\n";
    for (const Row& r : rows) {
        if (r.bitmap != kSpare)
            out.Bitmap("GUI/" + r.bitmap, r.art);
        text += r.bitmap + "," + std::to_string(r.x) + "," + std::to_string(r.y) + "\n";
    }
    out.Text("GUI/" + list, text);
}

// Rows default to one shared invisible bitmap at the panel's origin; the screen fills in the rows it names.
std::vector<Row> Spares(int count, int x, int y)
{
    return std::vector<Row>(count, Row{kSpare, x, y, Spare()});
}

void Set(std::vector<Row>& rows, int i, const std::string& name, int x, int y, Canvas art)
{
    rows[i] = {name + ".bmp", x, y, std::move(art)};
}

// The text area covers the panel's top from y 11, so the title runs down the left margin; a rail joins the
// two scroll arrows (at y 30 and 201) at the area's right; the notice wraps to two lines left of the buttons.
void Briefing(Output& out)
{
    const int px = 40, py = 0;
    auto r = Spares(14, px, py);
    Canvas panel = PanelArt(720, 600, "");
    panel.FillRect(4, 11, 34, 480, kRed);
    const std::string title = "BRIEFING";
    for (size_t i = 0; i < title.size(); ++i)
        panel.Text(title.substr(i, 1), 4, 40 + static_cast<int>(i) * 28, 34, 26, Caption(18, RGB(255, 255, 255)));
    Set(r, 0, "Brief_Panel", px, py, panel);
    Set(r, 2, "Brief_Down", 677, 201, ArrowArt(22, 22, false, false));
    Set(r, 3, "Brief_DownHover", 677, 201, ArrowArt(22, 22, false, true));
    Set(r, 6, "Brief_Up", 677, 30, ArrowArt(22, 22, true, false));
    Set(r, 7, "Brief_UpHover", 677, 30, ArrowArt(22, 22, true, true));
    Set(r, 9, "Brief_ExitSize", px, py, ButtonArt(100, 30, 100));
    Set(r, 10, "Brief_NextSize", px, py, ButtonArt(100, 30, 100));
    Set(r, 11, "Brief_Button", px, py, ButtonArt(100, 30, 100));
    Canvas text = BoxArt(640, 480, RGB(250, 246, 232), kFrame);
    text.FillRect(640 - 41, 30 - 11, 18, 201 + 22 - 30, RGB(214, 208, 190)); // the rail, in area coordinates
    Set(r, 12, "Brief_Text", 80, 11, text);
    Set(r, 13, "Brief_Notice", px + 80, 600 - 44 - 10, BoxArt(410, 44, RGB(250, 246, 232), kFrame));
    WriteList(out, "Briefing_Art.csv", "Briefing screen art", r);
}

void Lobby(Output& out)
{
    const int px = 100, py = 0;
    auto r = Spares(26, px, py);
    Set(r, 0, "MPlay_Panel", px, py, PanelArt(600, 600, "ZORANTH - START A GAME"));
    Set(r, 1, "MPlay_Button", px, py, ButtonArt(170, 30, 100));
    Set(r, 2, "MPlay_ButtonChosen", px, py, ButtonArt(170, 30, 120, true));
    Set(r, 3, "MPlay_ButtonAlt", px, py, ButtonArt(170, 30, 70));
    Set(r, 6, "MPlay_ListDown", px, py, ArrowArt(16, 12, false, false));
    Set(r, 7, "MPlay_ListDownHover", px, py, ArrowArt(16, 12, false, true));
    Set(r, 10, "MPlay_ListUp", px, py, ArrowArt(16, 12, true, false));
    Set(r, 11, "MPlay_ListUpHover", px, py, ArrowArt(16, 12, true, true));
    Set(r, 14, "MPlay_Address", px, py, BoxArt(200, 24, RGB(250, 250, 250), kFrame));
    Set(r, 15, "MPlay_AddressFocus", px, py, BoxArt(200, 24, RGB(255, 255, 230), RGB(40, 90, 200)));
    Set(r, 17, "MPlay_ExitSize", px, py, ButtonArt(100, 30, 100));
    Set(r, 18, "MPlay_NextSize", px, py, ButtonArt(100, 30, 100));
    Set(r, 19, "MPlay_Command", px, py, ButtonArt(100, 30, 100));
    Set(r, 21, "MPlay_List", px, py, BoxArt(200, 24, RGB(250, 250, 250), kFrame));
    Set(r, 22, "MPlay_Status", px, py, BoxArt(340, 24, RGB(230, 226, 210), kFrame));
    Set(r, 23, "MPlay_NameStart", px, py, BoxArt(200, 24, RGB(236, 236, 236), kFrame));
    Set(r, 24, "MPlay_Name", px, py, BoxArt(200, 24, RGB(250, 250, 250), kFrame));
    Set(r, 25, "MPlay_NameFocus", px, py, BoxArt(200, 24, RGB(255, 255, 230), RGB(40, 90, 200)));
    WriteList(out, "MPlay_Art.csv", "Lobby art", r);
}

// The grid's rows are 13 pixels apart under a 24-pixel header; the log box (its place follows the grid's)
// is dark for the bright lines of the front end.
void Roles(Output& out)
{
    const int px = 10, py = 10;
    auto r = Spares(26, px, py);
    Set(r, 0, "Role_Panel", px, py, PanelArt(780, 580, "ROLE SELECTION"));
    const int logY = py + 56 + 24 + 286, logH = 100;
    for (int i = 0; i < 4; ++i) {
        Set(r, 2 + i, "Role_LogDown" + std::to_string(i), 617, logY + logH - 17, ArrowArt(16, 14, false, i % 2 == 1));
        Set(r, 6 + i, "Role_LogUp" + std::to_string(i), 617, logY + 3, ArrowArt(16, 14, true, i % 2 == 1));
    }
    Set(r, 10, "Role_ExitSize", px, py, ButtonArt(70, 28, 100));
    Set(r, 12, "Role_Button", px, py, ButtonArt(70, 28, 100));
    Set(r, 14, "Role_Header", px, py, BoxArt(572, 24, RGB(200, 196, 180), kFrame));
    Set(r, 15, "Role_Log", 13, logY, BoxArt(600, logH, RGB(40, 44, 52), kFrame));
    Set(r, 16, "Role_Chat", 93, logY + logH + 21, BoxArt(500, 22, RGB(250, 250, 250), kFrame));
    Set(r, 17, "Role_Cell", px, py, BoxArt(40, 10, RGB(240, 240, 240), kFrame));
    Set(r, 18, "Role_CellSet", px, py, BoxArt(40, 10, RGB(60, 170, 60), kFrame));
    Set(r, 19, "Role_CellHover", px, py, BoxArt(40, 10, RGB(250, 220, 120), kFrame));
    WriteList(out, "Role_Art.csv", "Role selection art", r);
}

// The EOC window ends at the HUD's top edge (y 448). Its Resource Points panel is dark where the screen draws
// the light chiefs' names and section rows, and light along the bottom where "Resource Points" is drawn in ink.
void EocScreen(Output& out)
{
    const int px = 60, py = 40;
    auto r = Spares(40, px, py);
    Set(r, 0, "EOC_Panel", px, py, PanelArt(680, 408, ""));
    const char* tabs[] = {"COMMAND", "OPERATIONS", "PLANNING", "LOGISTICS", "FINANCE"};
    for (int t = 0; t < 5; ++t)
        for (int state = 0; state < 3; ++state)
            Set(r, 1 + t * 3 + state, "EOC_Tab" + std::to_string(t) + "_" + std::to_string(state), px + t * 136,
                py - 26, TabArt(132, 26, state, tabs[t]));
    Set(r, 16, "EOC_UnitAvailable", px, py, ButtonArt(170, 30, 100));
    Set(r, 17, "EOC_UnitActive", px, py, BoxArt(170, 30, RGB(90, 175, 90), kFrame));
    Set(r, 18, "EOC_UnitLocked", px, py, BoxArt(170, 30, RGB(155, 155, 155), kFrame));
    Set(r, 19, "EOC_UnitSpareFace", px, py, ButtonArt(170, 30, 80));
    const int rpX = px + 10, rpY = py + 230, rpW = 370, rpH = 176;
    for (int i = 0; i < 4; ++i) { // RP arrows of sections 1 to 4 on the Command tab, right of their rows
        const int y = rpY + 28 + (i + 1) * 24;
        Set(r, 20 + i * 2, "EOC_Plus" + std::to_string(i), rpX + rpW + 4, y, ArrowArt(18, 14, true, false));
        Set(r, 21 + i * 2, "EOC_Minus" + std::to_string(i), rpX + rpW + 26, y, ArrowArt(18, 14, false, false));
    }
    Canvas rp = BoxArt(rpW, rpH, RGB(236, 232, 214), kFrame);
    rp.FillRect(1, 1, rpW - 2, rpH - 33, RGB(40, 44, 52));
    Set(r, 28, "EOC_RPPanel", rpX, rpY, rp);
    Set(r, 32, "EOC_CancelSize", px, py, ButtonArt(90, 30, 100));
    Set(r, 33, "EOC_DoneSize", px, py, ButtonArt(90, 30, 100));
    Set(r, 34, "EOC_Button", px, py, ButtonArt(90, 30, 100));
    Set(r, 35, "EOC_UnitOrdered", px, py, BoxArt(170, 30, RGB(220, 180, 60), kFrame));
    Set(r, 36, "EOC_UnitSpareFace2", px, py, ButtonArt(170, 30, 120));
    WriteList(out, "EOC_Art.csv", "EOC screen art", r);
}

// The section labels sit at the Command units' places (x 150 from the panel, rows 40 apart from y 81); left
// of each, the current percentage over a dark plate for the chief's light name. The explanation panel holds
// the longest of its texts.
void IapScreen(Output& out)
{
    const int px = 40, py = 60, pw = 720;
    auto r = Spares(43, px, py);
    Canvas panel = PanelArt(pw, 460, "");
    for (int i = 0; i < 5; ++i)
        panel.FillRect(4, 95 + i * 40, 142, 18, RGB(40, 44, 52));
    Set(r, 0, "IAP_Panel", px, py, panel);
    Set(r, 1, "IAP_Explain", px + 380, py + 36, BoxArt(326, 364, RGB(250, 246, 232), kFrame));
    Set(r, 2, "IAP_Title", px + 10, py + 4, BoxArt(pw - 20, 22, RGB(236, 232, 214), kFrame));
    Set(r, 5, "IAP_Tab", px, py - 26, TabArt(200, 26, 2, "INCIDENT ACTION PLAN"));
    for (int i = 0; i < 5; ++i) {
        Set(r, 6 + i * 2, "IAP_Plus" + std::to_string(i), px + 340, py + 80 + i * 40, ArrowArt(18, 14, true, false));
        Set(r, 7 + i * 2, "IAP_Minus" + std::to_string(i), px + 340, py + 96 + i * 40, ArrowArt(18, 14, false, false));
    }
    Set(r, 16, "IAP_Approve", px, py, ButtonArt(110, 30, 100));
    Set(r, 17, "IAP_Reject", px, py, ButtonArt(110, 30, 100));
    Set(r, 18, "IAP_About", px, py, ButtonArt(130, 30, 100));
    Set(r, 21, "IAP_SectionLabel", px, py, ButtonArt(150, 28, 100));
    WriteList(out, "IAP_Art.csv", "IAP screen art", r);
}

// A label of a results page: the top and height of the row its value is drawn in (the de-briefing's value
// rectangles), a second column from x 330 when `right` is set.
struct ResultLabel {
    int top;
    int height;
    std::string text;
    bool right = false;
};

// A results page with its labels down the left, each centred on the height of its value's row and a pixel
// lower, so that its baseline meets that of the larger value text.
Canvas ResultsPage(int w, int h, const std::vector<ResultLabel>& labels)
{
    Canvas c = BoxArt(w, h, RGB(236, 232, 214), kFrame);
    const TextStyle style = Caption(13, kInk);
    for (const ResultLabel& l : labels)
        c.Text(l.text, l.right ? 330 : 10, l.top + 1, Canvas::TextWidth(l.text, style) + 2, l.height, style);
    return c;
}

// Rows: 22 history, 23 chat entry, 31 text, 35 chat log, 36-41 arrows (text, history, chat), 46-49 pages
// (by section, by category, details, scores), 50-57 and 60-61 menu buttons, 58 "Exit", 59 "Send", 62 title.
void DebriefScreen(Output& out)
{
    const int px = 0, py = 0;
    auto r = Spares(63, px, py);
    const COLORREF paper = RGB(250, 246, 232);
    Set(r, 0, "DeBrief_Panel", px, py, PanelArt(800, 600, "AFTER ACTION REVIEW"));
    Set(r, 62, "DeBrief_Title", 20, 30, BoxArt(760, 34, RGB(40, 40, 48), kFrame));
    Set(r, 31, "DeBrief_Text", 20, 70, BoxArt(440, 166, RGB(60, 60, 70), kFrame));
    Set(r, 35, "DeBrief_ChatLog", 490, 70, BoxArt(272, 230, paper, kFrame));
    Set(r, 23, "DeBrief_ChatEntry", 490, 306, BoxArt(290, 22, RGB(60, 60, 70), kFrame));
    Set(r, 22, "DeBrief_History", 20, 346, BoxArt(584, 250, RGB(40, 40, 48), kFrame));
    const int arrows[6][2] = {{464, 72}, {464, 220}, {608, 348}, {608, 580}, {766, 72}, {766, 284}};
    for (int i = 0; i < 6; ++i)
        Set(r, 36 + i, "DeBrief_Arrow" + std::to_string(i), arrows[i][0], arrows[i][1],
            ArrowArt(14, 14, i % 2 == 0, false));
    // The value rows of the pages: by section (45 + 34k, 79 + 33k), by category (41 + 34k, 80 + 34k), details
    // (47 + 19k, 66 + 19k) and (44 + 20k, 64 + 20k), counts (48 + 33k, 74 + 33k), money (175 + 17k, 194 + 17k),
    // times (213 + 18k, 231 + 18k).
    std::vector<ResultLabel> bySection, byCategory, details, scores;
    const char* sections[] = {"Command", "Operations", "Planning", "Logistics", "Finance/Admin"};
    for (int k = 0; k < 5; ++k)
        bySection.push_back({45 + 34 * k, 34 - k, sections[k]});
    const char* categories[] = {"ICS Command", "Public Safety", "Media", "Final Score"};
    for (int k = 0; k < 4; ++k)
        byCategory.push_back({41 + 34 * k, 39, categories[k]});
    const char* left[] = {"ICS units",      "Command facilities",  "IAP",
                          "Demobilization", "Fire containment",    "Chemical containment",
                          "Environment",    "Civilian fatalities", "Responder fatalities"};
    for (int k = 0; k < 9; ++k)
        details.push_back({47 + 19 * k, 19, left[k]});
    const char* right[] = {"Safety facilities", "Casualty centre", "Threats subdued", "Media facilities",
                           "Media centre"};
    for (int k = 0; k < 5; ++k)
        details.push_back({44 + 20 * k, 20, right[k], true});
    const char* counts[] = {"Civilians killed", "Civilians hurt", "Responders killed", "Responders hurt"};
    for (int k = 0; k < 4; ++k)
        scores.push_back({48 + 33 * k, 26, counts[k]});
    scores.push_back({175, 19, "Final cost"});
    scores.push_back({192, 19, "Predicted cost"});
    scores.push_back({213, 18, "Start time"});
    scores.push_back({231, 18, "End time"});
    Set(r, 46, "DeBrief_BySection", 20, 346, ResultsPage(280, 250, bySection));
    Set(r, 47, "DeBrief_ByCategory", 20, 346, ResultsPage(280, 250, byCategory));
    Set(r, 48, "DeBrief_Details", 20, 346, ResultsPage(650, 232, details));
    Set(r, 49, "DeBrief_Scores", 304, 346, ResultsPage(300, 250, scores));
    const int menu[5][2] = {{20, 242}, {246, 242}, {20, 276}, {246, 276}, {20, 310}};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 2; ++j)
            Set(r, 50 + i * 2 + j, "DeBrief_Menu" + std::to_string(50 + i * 2 + j), menu[i][0], menu[i][1],
                ButtonArt(212, 28, 100));
    Set(r, 60, "DeBrief_Menu60", menu[4][0], menu[4][1], ButtonArt(212, 28, 100));
    Set(r, 61, "DeBrief_Menu61", menu[4][0], menu[4][1], ButtonArt(212, 28, 100));
    Set(r, 58, "DeBrief_Exit", 246, 310, ButtonArt(212, 28, 100));
    Set(r, 59, "DeBrief_Send", 700, 332, ButtonArt(80, 26, 100));
    WriteList(out, "DeBrief_Art.csv", "De-briefing art", r);
}

// ---- HUD ----

struct HudButton {
    int x, y, w, h;
    const char* caption;
};
// The hot-spot area's buttons, in bar coordinates; each covers the point the HUD samples for it.
const HudButton kCommand{58, 4, 104, 30, "COMMAND"}, kMapSwitch{4, 40, 56, 32, "MAP"},
    kOptions{160, 40, 56, 32, "OPTIONS"}, kUp{96, 38, 28, 24, "^"}, kLeft{64, 66, 30, 28, "<"},
    kCentre{96, 66, 28, 28, "Z"}, kRight{126, 66, 30, 28, ">"}, kDown{96, 98, 28, 24, "v"},
    kFilters{4, 96, 56, 32, "FILTER"}, kOverlays{160, 96, 56, 32, "OVERLAY"};

Canvas HudFace(const HudButton& b, int shade, bool lit, const std::string& caption)
{
    return ButtonArt(b.w, b.h, shade, lit, caption);
}

void Hud(Output& out)
{
    const int bar = 448;
    std::vector<Row> r = Spares(67, 0, bar);
    // Row 0: the bar with every button in its plain state.
    Canvas base(800, 152, RGB(36, 36, 44));
    base.FillRect(0, 0, 800, 2, RGB(120, 120, 130));
    base.FillRect(0, 0, 220, 152, RGB(52, 52, 62));
    for (const HudButton* b :
         {&kCommand, &kMapSwitch, &kOptions, &kUp, &kLeft, &kCentre, &kRight, &kDown, &kFilters, &kOverlays})
        base.Blit(ButtonArt(b->w, b->h, 100, false, b->caption), b->x, b->y);
    base.Text("v. demo", 4, 134, 80, 16, Caption(11, RGB(150, 150, 160), false));
    Set(r, 0, "HUD_Bar", 0, bar, base);
    // Row 1: the info panel (wide enough for the scenario name drawn from x 145); row 2: the hot-spot colour map (one
    // flat colour per button, sampled, never drawn).
    Set(r, 1, "HUD_Info", 220, bar, BoxArt(300, 152, RGB(236, 232, 214), kFrame));
    Canvas hot(220, 152, RGB(64, 64, 64));
    const std::pair<const HudButton*, COLORREF> spots[] = {
        {&kCommand, RGB(255, 0, 0)},   {&kMapSwitch, RGB(0, 255, 0)},  {&kOptions, RGB(0, 0, 255)},
        {&kFilters, RGB(255, 255, 0)}, {&kOverlays, RGB(0, 255, 255)}, {&kUp, RGB(128, 0, 0)},
        {&kDown, RGB(0, 128, 0)},      {&kLeft, RGB(0, 0, 128)},       {&kRight, RGB(128, 128, 0)},
        {&kCentre, RGB(0, 128, 128)}};
    for (const auto& [b, colour] : spots)
        hot.FillRect(b->x, b->y, b->w, b->h, colour);
    Set(r, 2, "HUD_HotSpots", 0, bar, hot);
    auto face = [&](int row, const std::string& name, const HudButton& b, int shade, bool lit, const char* caption) {
        Set(r, row, "HUD_" + name, b.x, bar + b.y, HudFace(b, shade, lit, caption));
    };
    face(3, "AreaMap", kMapSwitch, 100, false, "AREA");
    face(4, "AreaMapHover", kMapSwitch, 135, false, "AREA");
    face(5, "AreaMapPressed", kMapSwitch, 70, false, "AREA");
    face(7, "CommandHover", kCommand, 135, false, "COMMAND");
    face(8, "CommandLit", kCommand, 100, true, "COMMAND");
    face(9, "CommandPressed", kCommand, 70, false, "COMMAND");
    face(10, "DownHover", kDown, 135, false, "v");
    face(11, "DownPressed", kDown, 70, false, "v");
    face(12, "Filters", kFilters, 100, false, "FILTER");
    face(13, "FiltersHover", kFilters, 135, false, "FILTER");
    face(14, "FiltersLit", kFilters, 100, true, "FILTER");
    face(15, "FiltersPressed", kFilters, 70, false, "FILTER");
    face(16, "LeftHover", kLeft, 135, false, "<");
    face(17, "LeftPressed", kLeft, 70, false, "<");
    face(18, "ZoomOff", kCentre, 100, false, "Z");
    face(19, "ZoomOffHover", kCentre, 135, false, "Z");
    face(20, "ZoomOffPressed", kCentre, 70, false, "Z");
    face(22, "OptionsHover", kOptions, 135, false, "OPTIONS");
    face(23, "OptionsLit", kOptions, 100, true, "OPTIONS");
    face(24, "OptionsPressed", kOptions, 70, false, "OPTIONS");
    face(25, "Overlays", kOverlays, 100, false, "OVERLAY");
    face(26, "OverlaysHover", kOverlays, 135, false, "OVERLAY");
    face(27, "OverlaysLit", kOverlays, 100, true, "OVERLAY");
    face(28, "OverlaysPressed", kOverlays, 70, false, "OVERLAY");
    face(29, "ZoomOn", kCentre, 100, true, "Z");
    face(30, "ZoomOnHover", kCentre, 135, true, "Z");
    face(31, "ZoomOnPressed", kCentre, 70, true, "Z");
    face(32, "RightHover", kRight, 135, false, ">");
    face(33, "RightPressed", kRight, 70, false, ">");
    face(34, "Tactical", kMapSwitch, 100, false, "MAP");
    face(35, "TacticalHover", kMapSwitch, 135, false, "MAP");
    face(36, "TacticalPressed", kMapSwitch, 70, false, "MAP");
    face(37, "UpHover", kUp, 135, false, "^");
    face(38, "UpPressed", kUp, 70, false, "^");
    // Health and fatigue bars of the info panel: frames and one-pixel pieces by state.
    Canvas frame(104, 10, kFrame);
    frame.FillRect(1, 1, 102, 8, RGB(60, 60, 60));
    Set(r, 39, "HUD_HealthFrame", 0, bar, frame);
    Set(r, 40, "HUD_FatigueFrame", 0, bar, frame);
    const COLORREF pieces[] = {RGB(90, 160, 230), RGB(240, 200, 40), RGB(230, 110, 30), RGB(60, 200, 60),
                               RGB(240, 220, 40), RGB(240, 140, 30), RGB(220, 30, 30)};
    for (int i = 0; i < 7; ++i)
        Set(r, 41 + i, "HUD_BarPiece" + std::to_string(41 + i), 0, bar, Canvas(1, 8, pieces[i]));
    // The message area: panel in three sizes, chat entry, frame, scroll buttons, message button.
    Set(r, 48, "HUD_Messages", 524, bar + 4, BoxArt(250, 110, RGB(250, 246, 232), kFrame));
    Set(r, 64, "HUD_MessagesTall", 524, 304, BoxArt(250, 258, RGB(250, 246, 232), kFrame));
    Set(r, 65, "HUD_MessagesFull", 524, 104, BoxArt(250, 458, RGB(250, 246, 232), kFrame));
    Set(r, 49, "HUD_Chat", 524, bar + 118, BoxArt(250, 28, RGB(250, 250, 250), kFrame));
    Canvas msgFrame(276, 150);
    msgFrame.FrameRect(0, 0, 276, 150, RGB(120, 120, 130), 2);
    Set(r, 50, "HUD_MessageFrame", 522, bar + 1, msgFrame);
    Set(r, 51, "HUD_ScrollUp", 778, bar + 6, ArrowArt(18, 18, true, false));
    Set(r, 52, "HUD_ScrollUpHover", 778, bar + 6, ArrowArt(18, 18, true, true));
    Set(r, 53, "HUD_ScrollUpThird", 778, bar + 6, ArrowArt(18, 18, true, false));
    Set(r, 54, "HUD_ScrollDown", 778, bar + 92, ArrowArt(18, 18, false, false));
    Set(r, 55, "HUD_ScrollDownHover", 778, bar + 92, ArrowArt(18, 18, false, true));
    Set(r, 56, "HUD_ScrollDownThird", 778, bar + 92, ArrowArt(18, 18, false, false));
    Set(r, 57, "HUD_MessageButton", 778, bar + 49, ButtonArt(18, 18, 100, false, "+"));
    Set(r, 58, "HUD_MessageButtonHover", 778, bar + 49, ButtonArt(18, 18, 135, false, "+"));
    // The save dialog, the map overlays and the banner.
    Set(r, 59, "HUD_SavePanel", 250, 200, PanelArt(300, 140, "SAVE GAME"));
    // Dark, so the light name text the dialog draws shows on it.
    Set(r, 60, "HUD_SaveName", 270, 250, BoxArt(260, 24, RGB(40, 44, 52), kFrame));
    Set(r, 61, "HUD_SaveButton", 270, 290, ButtonArt(90, 28, 100));
    Canvas near(150, 18, RGB(24, 24, 32));
    near.Text("CLOSE VIEW", 0, 0, 150, 18, Caption(12, RGB(230, 230, 230)));
    Canvas wide(150, 18, RGB(24, 24, 32));
    wide.Text("WIDE VIEW", 0, 0, 150, 18, Caption(12, RGB(230, 230, 230)));
    Set(r, 62, "HUD_ViewClose", 4, 428, near);
    Set(r, 63, "HUD_ViewWide", 4, 428, wide);
    Set(r, 66, "HUD_Banner", 300, 428, BoxArt(200, 20, RGB(240, 236, 220), kFrame));
    WriteList(out, "HUD_Art.csv", "HUD art", r);
}

} // namespace

void MakeScreenLists(Output& out)
{
    out.Bitmap("GUI/" + kSpare, Spare());
    Briefing(out);
    Lobby(out);
    Roles(out);
    EocScreen(out);
    IapScreen(out);
    DebriefScreen(out);
    Hud(out);
}

} // namespace demo
