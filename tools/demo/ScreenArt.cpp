// Art of the front end and the shared widgets: title, the two splash pictures, credits, the menu
// backgrounds, the pop-up menu frame, the info and message boxes and their red button.
#include "tools/demo/DemoData.h"

#include <vector>

namespace demo {

namespace {

const COLORREF kNavy = RGB(24, 36, 72);
const COLORREF kPanel = RGB(214, 210, 196);

TextStyle Big(int height, COLORREF colour, bool bold = true)
{
    TextStyle s;
    s.height = height;
    s.bold = bold;
    s.colour = colour;
    return s;
}

// A dark blue background with a faint street grid and a red incident marker: the game's look.
Canvas Backdrop(COLORREF base)
{
    Canvas c(800, 600, base);
    const COLORREF grid = Shade(base, 125);
    for (int x = 20; x < 800; x += 64)
        c.FillRect(x, 0, 3, 600, grid);
    for (int y = 36; y < 600; y += 64)
        c.FillRect(0, y, 800, 3, grid);
    c.Line(0, 410, 800, 370, Shade(base, 150), 6); // the rail line
    return c;
}

void Panel(Canvas& c, int x, int y, int w, int h, const std::string& caption)
{
    c.FillRect(x, y, w, h, RGB(8, 8, 12));
    c.FillRect(x + 2, y + 2, w - 4, h - 4, kPanel);
    c.FillRect(x + 2, y + 2, w - 4, 26, RGB(150, 30, 30));
    if (!caption.empty())
        c.Text(caption, x + 2, y + 2, w - 4, 26, Big(18, RGB(255, 255, 255)));
}

Canvas Title()
{
    Canvas c = Backdrop(kNavy);
    c.FillCircle(560, 250, 60, RGB(200, 40, 30));
    c.FillCircle(560, 250, 40, RGB(250, 160, 40));
    c.FillCircle(560, 250, 18, RGB(255, 236, 120));
    c.Text("ZORANTH", 0, 150, 800, 110, Big(96, RGB(255, 255, 255)));
    c.Text("Incident Command Training", 0, 270, 800, 40, Big(30, RGB(250, 210, 90)));
    c.Text("Click or press Enter", 0, 520, 800, 30, Big(18, RGB(200, 200, 220), false));
    return c;
}

Canvas Splash(const std::string& name, const std::string& line, COLORREF base, COLORREF accent)
{
    Canvas c(800, 600, base);
    c.FillRect(0, 260, 800, 6, accent);
    c.FillRect(0, 360, 800, 6, accent);
    c.Text(name, 0, 266, 800, 94, Big(80, RGB(255, 255, 255)));
    c.Text(line, 0, 380, 800, 30, Big(20, accent, false));
    return c;
}

Canvas Credits()
{
    Canvas c = Backdrop(RGB(30, 30, 36));
    c.Text("ZORANTH", 0, 60, 800, 70, Big(56, RGB(255, 255, 255)));
    const char* lines[] = {"Scenario: Millbrook Chemical Fire", "Map, art and sounds generated for the demo set",
                           "Text: Liberation Sans", "Thank you for training with us"};
    int y = 200;
    for (const char* l : lines) {
        c.Text(l, 0, y, 800, 30, Big(22, RGB(220, 220, 230), false));
        y += 50;
    }
    return c;
}

Canvas Background(const std::string& caption, COLORREF base)
{
    Canvas c = Backdrop(base);
    c.FillRect(0, 0, 800, 44, RGB(8, 8, 12));
    c.Text(caption, 0, 0, 800, 44, Big(26, RGB(250, 210, 90)));
    return c;
}

// ---- pop-up menu frame ----

constexpr int kMenuWidth = 240;
constexpr int kEdge = 6;
constexpr int kItem = 20;

Canvas MenuEdge(bool top)
{
    Canvas c(kMenuWidth, kEdge);
    c.FillRect(0, 0, kMenuWidth, kEdge, RGB(8, 8, 12));
    c.FillRect(2, top ? 2 : 0, kMenuWidth - 4, kEdge - 2, RGB(150, 30, 30));
    return c;
}

Canvas MenuLine(int kind) // 0 plain, 1 checked, 2 disabled, 3 unchecked
{
    Canvas c(kMenuWidth, kItem);
    c.FillRect(0, 0, kMenuWidth, kItem, RGB(8, 8, 12));
    c.FillRect(2, 0, kMenuWidth - 4, kItem, kind == 2 ? RGB(190, 186, 176) : kPanel);
    c.FillRect(6, kItem - 1, kMenuWidth - 12, 1, Shade(kPanel, 85));
    if (kind == 1 || kind == 3 || kind == 2) {
        c.FrameRect(8, 4, 12, 12, RGB(60, 60, 60), 1);
        c.FillRect(9, 5, 10, 10, RGB(250, 250, 250));
    }
    if (kind == 1) {
        c.Line(10, 10, 13, 13, RGB(30, 120, 30), 2);
        c.Line(13, 13, 18, 6, RGB(30, 120, 30), 2);
    }
    return c;
}

// ---- boxes ----

Canvas BoxPanel(int w, int h)
{
    Canvas c(w, h);
    Panel(c, 0, 0, w, h, "");
    c.FillRect(2, 2, w - 4, 8, RGB(150, 30, 30));
    return c;
}

// The boxes' button: narrower than the message box's 75-pixel step from OK to Cancel.
Canvas RedButton()
{
    constexpr int w = 72;
    Canvas c(w, 26);
    c.FillRect(0, 0, w, 26, RGB(8, 8, 12));
    c.FillRect(1, 1, w - 2, 24, RGB(170, 30, 30));
    c.FillRect(2, 2, w - 4, 10, RGB(200, 60, 50));
    return c;
}

} // namespace

void MakeScreenArt(Output& out)
{
    out.Bitmap("Art/ZR_Title.bmp", Title());
    out.Bitmap("Art/Halvet_Splash.bmp",
               Splash("HALVET", "Emergency management training programmes", RGB(20, 60, 50), RGB(120, 220, 170)));
    out.Bitmap("Art/QuillfenSplash.bmp",
               Splash("QUILLFEN", "Simulation software", RGB(50, 30, 60), RGB(220, 170, 250)));
    out.Bitmap("Art/Credits.bmp", Credits());
    out.Bitmap("GUI/EOC/MPScreen2.bmp", Background("Multiplayer Lobby", RGB(20, 44, 56)));
    out.Bitmap("GUI/EOC/Briefing.bmp", Background("Briefing", RGB(44, 44, 24)));
    out.Bitmap("GUI/EOC/Role_Selection.bmp", Background("Role Selection", RGB(44, 24, 44)));
    out.Bitmap("GUI/EOC/AAR.bmp", Background("After Action Review", RGB(36, 36, 40)));

    out.Bitmap("GUI/Popup_Top.bmp", MenuEdge(true));
    out.Bitmap("GUI/Popup_Bottom.bmp", MenuEdge(false));
    out.Bitmap("GUI/Popup_Item.bmp", MenuLine(0));
    out.Bitmap("GUI/Popup_Checked.bmp", MenuLine(1));
    out.Bitmap("GUI/Popup_Disabled.bmp", MenuLine(2));
    out.Bitmap("GUI/Popup_Unchecked.bmp", MenuLine(3));

    out.Bitmap("GUI/EOC/MainBox.bmp", BoxPanel(620, 400));
    out.Bitmap("GUI/EOC/MainBox_2X.bmp", BoxPanel(620, 470));
    out.Bitmap("GUI/Info_Box.bmp", BoxPanel(650, 560));
    out.Bitmap("GUI/MessageBox.bmp", BoxPanel(400, 200));
    out.Bitmap("GUI/EOC/Allotment/RedButton_On.bmp", RedButton());
}

} // namespace demo
