// The area-map bitmap (800 x 448): fields and woods, the brook, the rail line, roads drawn with their
// casings, the town of Millbrook, the incident site ringed in red, and captions under the stations.
#include "tools/demo/AreaPlan.h"
#include "tools/demo/DemoData.h"

namespace demo {

namespace {

void Polyline(Canvas& c, const std::vector<AreaPoint>& pts, COLORREF colour, double width)
{
    for (size_t i = 1; i < pts.size(); ++i) {
        c.Line(pts[i - 1].x, pts[i - 1].y, pts[i].x, pts[i].y, colour, width);
        c.FillCircle(pts[i].x, pts[i].y, width / 2, colour);
    }
}

TextStyle Caption(int height, COLORREF colour, bool bold = true)
{
    TextStyle s;
    s.height = height;
    s.bold = bold;
    s.colour = colour;
    return s;
}

void Tag(Canvas& c, const std::string& text, int cx, int y, int height)
{
    TextStyle s = Caption(height, RGB(255, 255, 255));
    int w = Canvas::TextWidth(text, s) + 8;
    c.FillRect(cx - w / 2, y, w, height + 4, RGB(24, 24, 32));
    c.Text(text, cx - w / 2, y + 1, w, height + 2, s);
}

} // namespace

void MakeAreaMapArt(Output& out)
{
    const AreaPlan a = MakeMillbrookArea();
    Canvas c(kAreaWidth, kAreaHeight, RGB(150, 186, 110));
    // Fields and woods.
    for (int y = 0; y < kAreaHeight; y += 16)
        for (int x = 0; x < kAreaWidth; x += 16) {
            uint32_t h = Hash(7, x / 16, y / 16);
            if (h % 9 == 0)
                c.FillRect(x, y, 16, 16, RGB(170, 190, 110));
            if (h % 23 == 0)
                c.FillCircle(x + 8, y + 8, 9, RGB(80, 130, 70));
        }
    c.FillEllipse(700, 110, 80, 50, RGB(80, 130, 70));
    c.FillEllipse(120, 400, 90, 40, RGB(80, 130, 70));
    // Towns: Millbrook in the middle, Ashby to the west.
    for (int y = 140; y < 300; y += 14)
        for (int x = 320; x < 540; x += 14)
            if (Hash(8, x, y) % 3)
                c.FillRect(x, y, 10, 10, RGB(200, 196, 186));
    for (int y = 220; y < 290; y += 14)
        for (int x = 70; x < 170; x += 14)
            if (Hash(9, x, y) % 3)
                c.FillRect(x, y, 10, 10, RGB(200, 196, 186));
    // Brook, rail line, roads.
    Polyline(c, a.brook, RGB(40, 90, 180), 12);
    Polyline(c, a.brook, RGB(70, 130, 210), 8);
    Polyline(c, a.rail, RGB(60, 60, 64), 5);
    for (int x = 0; x < kAreaWidth; x += 10) {
        double y = 214 - 16.0 * x / 800;
        c.FillRect(x, static_cast<int>(y) - 4, 2, 9, RGB(60, 60, 64));
    }
    for (const AreaRoad& r : a.roads)
        Polyline(c, r.points, RGB(60, 60, 60), r.width + 2);
    for (const AreaRoad& r : a.roads)
        Polyline(c, r.points, r.major ? RGB(250, 220, 120) : RGB(245, 245, 240), r.width);
    // The incident site.
    c.Ring(a.site.x, a.site.y, 30, 4, RGB(220, 20, 20));
    Tag(c, "BRENNAN CHEMICAL - INCIDENT", a.site.x, a.site.y + 34, 11);
    for (const StationPlan& s : a.stations)
        Tag(c, s.caption, s.at.x, s.at.y + 20, 11);
    // Place names, the highway shield, the scale and the north arrow.
    c.Text("MILLBROOK", 330, 116, 200, 24, Caption(20, RGB(40, 40, 50)));
    c.Text("ASHBY", 60, 290, 120, 22, Caption(18, RGB(40, 40, 50)));
    c.Text("Mill Brook", 200, 326, 140, 20, Caption(14, RGB(30, 60, 140), false));
    c.Text("Rail line", 640, 178, 100, 18, Caption(13, RGB(40, 40, 44), false));
    Tag(c, "HWY 9", 622, 60, 12);
    c.FillRect(20, 420, 100, 4, RGB(20, 20, 20));
    c.FillRect(20, 420, 50, 4, RGB(250, 250, 250));
    c.Text("1 km", 120, 412, 50, 18, Caption(13, RGB(20, 20, 20), false));
    c.FillPolygon({{770, 14}, {780, 40}, {770, 34}, {760, 40}}, RGB(20, 20, 20));
    c.Text("N", 760, 40, 20, 18, Caption(14, RGB(20, 20, 20)));
    out.Bitmap(std::string("Maps/") + kAreaMapBitmap, c);
}

} // namespace demo
