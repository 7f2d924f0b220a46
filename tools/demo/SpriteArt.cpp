// Sprite bitmaps: a unit and a vehicle picture per agency (colour and letter), the terrain-feature pictures
// at both zooms (hazards, fires, spills, debris, facilities, labels, trees, obstructions), the station
// icons of the area map, and the ten modifier overlays per zoom. Magenta is transparent.
#include "tools/demo/DemoData.h"

#include <cmath>
#include <functional>
#include <map>

namespace demo {

namespace {

constexpr int kUnitSize = 20;
constexpr int kVehicleW = 30;
constexpr int kVehicleH = 18;
const COLORREF kOutline = RGB(16, 16, 16);
const COLORREF kWhite = RGB(255, 255, 255);

struct AgencyLook {
    const char* name;
    COLORREF body;
    COLORREF letterColour;
    const char* letter;
};

// The seven agencies that field squads; the names are the fixed agency names the loaders build paths from.
const AgencyLook kAgencies[] = {
    {"Police", RGB(32, 72, 200), kWhite, "P"},
    {"Fire", RGB(216, 32, 32), kWhite, "F"},
    {"School", RGB(248, 200, 24), kOutline, "S"},
    {"PW", RGB(240, 128, 16), kOutline, "W"},
    {"EMS", RGB(24, 160, 80), kWhite, "E"},
    {"Civs", RGB(210, 200, 180), kOutline, "C"},
    {"Threat", RGB(24, 24, 24), RGB(255, 64, 64), "T"},
};

TextStyle Letter(COLORREF colour, int height = 13)
{
    TextStyle s;
    s.height = height;
    s.bold = true;
    s.colour = colour;
    s.antialias = false; // drawn over keyed art: no blended fringe
    return s;
}

Canvas UnitPicture(const AgencyLook& a)
{
    Canvas c(kUnitSize, kUnitSize);
    c.FillCircle(10, 10, 9.5, kOutline);
    c.FillCircle(10, 10, 8, a.body);
    if (std::string(a.name) == "Threat")
        c.Ring(10, 10, 8, 2, RGB(230, 40, 40));
    c.Text(a.letter, 2, 2, 16, 16, Letter(a.letterColour));
    return c;
}

Canvas VehiclePicture(const AgencyLook& a)
{
    Canvas c(kVehicleW, kVehicleH);
    c.FillRect(1, 0, kVehicleW - 2, kVehicleH, kOutline);
    c.FillRect(0, 1, kVehicleW, kVehicleH - 2, kOutline);
    c.FillRect(1, 1, kVehicleW - 2, kVehicleH - 2, a.body);
    c.FillRect(kVehicleW - 8, 3, 5, kVehicleH - 6, RGB(150, 200, 230)); // windscreen at the front (east)
    c.FillRect(3, 1, 2, kVehicleH - 2, Shade(a.body, 70));
    c.Text(a.letter, 5, 1, 16, 16, Letter(a.letterColour));
    return c;
}

// ---- terrain features ----

Canvas Blank()
{
    return Canvas(4, 4);
}

Canvas Flame(int size, int intensity)
{
    Canvas c(size, size);
    const double cx = size / 2.0, base = size - 2;
    const COLORREF outer = intensity >= 3 ? RGB(200, 24, 16) : intensity == 2 ? RGB(232, 72, 16) : RGB(240, 128, 24);
    const int tongues = intensity + 1;
    for (int i = 0; i < tongues; ++i) {
        double x = cx + (i - (tongues - 1) / 2.0) * size / (tongues + 1.5);
        double h = size * (0.55 + 0.35 * ((i + intensity) % 2));
        c.FillPolygon({{x - size / 5.0, base}, {x, base - h}, {x + size / 5.0, base}}, outer);
    }
    c.FillEllipse(cx, base - size / 6.0, size / 2.4, size / 5.0, outer);
    c.FillEllipse(cx, base - size / 5.0, size / 3.6, size / 4.0, RGB(248, 168, 32));
    c.FillEllipse(cx, base - size / 6.0, size / 6.0, size / 6.0, RGB(255, 236, 96));
    return c;
}

Canvas Blob(int size, COLORREF fill, COLORREF edge, uint32_t seed)
{
    Canvas c(size, size);
    const double cx = size / 2.0, cy = size / 2.0;
    std::vector<std::pair<double, double>> pts;
    for (int i = 0; i < 14; ++i) {
        double a = i * 2 * M_PI / 14;
        double r = size * (0.34 + 0.12 * (Hash(seed, i) % 100) / 100.0);
        pts.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
    }
    c.FillPolygon(pts, edge);
    for (auto& p : pts)
        p = {cx + (p.first - cx) * 0.85, cy + (p.second - cy) * 0.85};
    c.FillPolygon(pts, fill);
    return c;
}

Canvas Debris()
{
    Canvas c(32, 32);
    for (int i = 0; i < 9; ++i) {
        uint32_t h = Hash(2, i);
        double x = 4 + h % 24, y = 4 + (h >> 8) % 24, r = 2 + (h >> 16) % 4;
        COLORREF col = i % 3 == 0 ? RGB(120, 100, 80) : i % 3 == 1 ? RGB(90, 90, 96) : RGB(150, 130, 100);
        c.FillPolygon(
            {{x - r, y}, {x, y - r * 0.8}, {x + r, y - r * 0.2}, {x + r * 0.6, y + r}, {x - r * 0.5, y + r * 0.7}},
            kOutline);
        c.FillPolygon({{x - r + 1, y}, {x, y - r * 0.8 + 1}, {x + r - 1, y - r * 0.2}, {x + r * 0.6 - 1, y + r - 1}},
                      col);
    }
    return c;
}

Canvas Burnt(bool feature)
{
    Canvas c = Blob(32, RGB(48, 40, 36), RGB(72, 60, 52), feature ? 13 : 12);
    for (int i = 0; i < 6; ++i) {
        uint32_t h = Hash(feature ? 113 : 112, i);
        c.FillCircle(6 + h % 20, 6 + (h >> 8) % 20, 2, RGB(24, 20, 20));
    }
    if (feature) {
        c.Line(8, 10, 24, 22, RGB(20, 16, 16), 3);
        c.Line(10, 24, 22, 8, RGB(20, 16, 16), 3);
    }
    return c;
}

Canvas WaterLeak()
{
    Canvas c = Blob(28, RGB(96, 168, 236), RGB(40, 96, 200), 8);
    c.FillPolygon({{14, 5}, {9, 15}, {19, 15}}, RGB(24, 72, 180));
    c.FillCircle(14, 16, 5, RGB(24, 72, 180));
    c.FillCircle(12.5, 15, 1.5, kWhite);
    return c;
}

Canvas Electrical()
{
    Canvas c(26, 24);
    c.FillPolygon({{13, 0}, {26, 23}, {0, 23}}, kOutline);
    c.FillPolygon({{13, 3}, {23, 21}, {3, 21}}, RGB(252, 216, 0));
    c.FillPolygon({{14, 7}, {9, 15}, {13, 15}, {11, 20}, {17, 12}, {13, 12}, {16, 7}}, kOutline);
    return c;
}

Canvas GasLeak()
{
    Canvas c(32, 28);
    for (auto [x, y, r] : {std::tuple{10, 14, 9}, {20, 12, 10}, {17, 18, 9}})
        c.FillCircle(x, y, r + 1, RGB(120, 140, 60));
    for (auto [x, y, r] : {std::tuple{10, 14, 9}, {20, 12, 10}, {17, 18, 9}})
        c.FillCircle(x, y, r, RGB(214, 232, 130));
    c.Text("GAS", 2, 6, 28, 14, Letter(RGB(60, 70, 20), 11));
    return c;
}

Canvas Spill(bool seen)
{
    return seen ? Blob(32, RGB(176, 232, 40), RGB(100, 150, 20), 11)
                : Blob(30, RGB(150, 200, 60), RGB(150, 200, 60), 129);
}

Canvas Residue()
{
    Canvas c(32, 32);
    for (int i = 0; i < 22; ++i) {
        uint32_t h = Hash(131, i);
        c.FillCircle(3 + h % 26, 3 + (h >> 8) % 26, 1.5, RGB(220, 226, 190));
    }
    c.DashedRect(2, 2, 28, 28, RGB(200, 210, 150), 3);
    return c;
}

Canvas Bomb()
{
    Canvas c(22, 22);
    c.FillCircle(10, 12, 8.5, RGB(200, 24, 24));
    c.FillCircle(10, 12, 7, RGB(20, 20, 24));
    c.FillCircle(8, 10, 2, RGB(110, 110, 120));
    c.Line(14, 6, 18, 2, RGB(150, 110, 60), 2);
    c.FillCircle(19, 2, 2, RGB(255, 220, 40));
    return c;
}

Canvas Cylinder()
{
    Canvas c(14, 26);
    c.FillRect(1, 2, 12, 23, kOutline);
    c.FillRect(2, 3, 10, 21, RGB(210, 40, 40));
    c.FillRect(2, 10, 10, 4, kWhite);
    c.FillRect(5, 0, 4, 3, RGB(120, 120, 120));
    return c;
}

Canvas TileOverlay(COLORREF colour, const std::string& code, bool dashed)
{
    Canvas c(32, 32);
    if (dashed) {
        c.DashedRect(1, 1, 30, 30, colour, 4);
        c.DashedRect(2, 2, 28, 28, colour, 4);
    } else {
        c.FrameRect(1, 1, 30, 30, colour, 2);
    }
    if (!code.empty()) {
        c.FillRect(6, 9, 20, 14, colour);
        c.Text(code, 6, 9, 20, 14, Letter(GetRValue(colour) + GetGValue(colour) > 300 ? kOutline : kWhite, 11));
    }
    return c;
}

Canvas Waypoint()
{
    Canvas c(12, 12);
    c.FillPolygon({{6, 0}, {12, 6}, {6, 12}, {0, 6}}, kOutline);
    c.FillPolygon({{6, 2}, {10, 6}, {6, 10}, {2, 6}}, kWhite);
    return c;
}

Canvas Selection()
{
    Canvas c(36, 36);
    const COLORREF y = RGB(255, 240, 0);
    for (auto [x0, y0, dx, dy] : {std::tuple{0, 0, 1, 1}, {35, 0, -1, 1}, {0, 35, 1, -1}, {35, 35, -1, -1}}) {
        for (int i = 0; i < 9; ++i) {
            c.Set(x0 + dx * i, y0, y);
            c.Set(x0 + dx * i, y0 + dy, y);
            c.Set(x0, y0 + dy * i, y);
            c.Set(x0 + dx, y0 + dy * i, y);
        }
    }
    return c;
}

Canvas Marker(bool bright)
{
    Canvas c(26, 26);
    const COLORREF red = bright ? RGB(255, 32, 32) : RGB(140, 40, 40);
    c.Ring(13, 13, 12.5, 3, bright ? kWhite : RGB(90, 90, 90));
    c.Ring(13, 13, 10, 3, red);
    c.FillPolygon({{13, 6}, {20, 13}, {13, 20}, {6, 13}}, red);
    return c;
}

Canvas Tree()
{
    Canvas c(36, 36);
    c.FillCircle(18, 18, 17, RGB(30, 80, 34));
    c.FillCircle(18, 18, 15, RGB(48, 120, 48));
    c.FillCircle(14, 14, 7, RGB(70, 150, 64));
    c.FillCircle(22, 21, 5, RGB(60, 136, 56));
    return c;
}

Canvas Tank()
{
    Canvas c(44, 44);
    c.FillCircle(22, 22, 21.5, kOutline);
    c.FillCircle(22, 22, 20, RGB(224, 228, 232));
    c.Ring(22, 22, 14, 1, RGB(150, 156, 164));
    c.FillPolygon({{22, 13}, {31, 22}, {22, 31}, {13, 22}}, kOutline);
    c.FillPolygon({{22, 15}, {29, 22}, {22, 29}, {15, 22}}, RGB(220, 40, 40));
    c.Text("8", 14, 14, 16, 16, Letter(kWhite, 11));
    return c;
}

Canvas Car(COLORREF body, bool wrecked)
{
    Canvas c(28, 14);
    c.FillRect(0, 0, 28, 14, kOutline);
    c.FillRect(1, 1, 26, 12, body);
    c.FillRect(6, 2, 6, 10, RGB(150, 190, 220));
    c.FillRect(18, 2, 4, 10, RGB(150, 190, 220));
    if (wrecked) {
        c.Line(3, 2, 25, 12, RGB(20, 20, 20), 2);
        c.Line(3, 12, 25, 2, RGB(20, 20, 20), 2);
        c.FrameRect(0, 0, 28, 14, RGB(255, 140, 0), 1);
    }
    return c;
}

Canvas Dumpster()
{
    Canvas c(24, 14);
    c.FillRect(0, 0, 24, 14, kOutline);
    c.FillRect(1, 1, 22, 12, RGB(40, 120, 60));
    c.FillRect(1, 6, 22, 1, RGB(20, 70, 30));
    return c;
}

Canvas TankCar()
{
    Canvas c(96, 26);
    c.FillRect(0, 3, 96, 20, kOutline);
    c.FillRect(2, 5, 92, 16, RGB(70, 72, 80));
    c.FillEllipse(10, 13, 8, 8, RGB(70, 72, 80));
    c.FillEllipse(86, 13, 8, 8, RGB(70, 72, 80));
    c.FillRect(40, 5, 16, 16, RGB(90, 92, 100));
    c.FillPolygon({{48, 6}, {55, 13}, {48, 20}, {41, 13}}, RGB(255, 255, 255));
    c.FillPolygon({{48, 8}, {53, 13}, {48, 18}, {43, 13}}, RGB(230, 170, 20));
    return c;
}

Canvas Pallets()
{
    Canvas c(28, 28);
    for (int i = 0; i < 4; ++i) {
        int x = (i % 2) * 14, y = (i / 2) * 14;
        c.FillRect(x, y, 14, 14, kOutline);
        c.FillRect(x + 1, y + 1, 12, 12, RGB(176, 132, 80));
        c.FillRect(x + 1, y + 6, 12, 2, RGB(120, 86, 50));
    }
    return c;
}

Canvas FallenTree()
{
    Canvas c(64, 24);
    c.Line(4, 16, 50, 8, kOutline, 7);
    c.Line(4, 16, 50, 8, RGB(120, 80, 44), 5);
    for (auto [x, y, r] : {std::tuple{50, 10, 9}, {58, 14, 6}, {44, 4, 5}})
        c.FillCircle(x, y, r, RGB(40, 110, 40));
    return c;
}

Canvas Barricade()
{
    Canvas c(40, 10);
    c.FillRect(0, 0, 40, 10, kOutline);
    for (int x = 1; x < 39; ++x)
        for (int y = 1; y < 9; ++y)
            c.Set(x, y, ((x + y) / 5) % 2 ? RGB(250, 120, 20) : kWhite);
    return c;
}

// A small shed and its roof, placed together (the roof hides in the editor's cutaway).
Canvas Shed()
{
    Canvas c(32, 32);
    c.FillRect(0, 0, 32, 32, kOutline);
    c.FillRect(2, 2, 28, 28, RGB(150, 110, 70));
    c.FillRect(12, 29, 8, 3, RGB(90, 60, 36));
    return c;
}

Canvas ShedRoof()
{
    Canvas c(36, 36);
    c.FillRect(0, 0, 36, 36, kOutline);
    c.FillRect(1, 1, 34, 34, RGB(120, 124, 132));
    c.Line(1, 18, 34, 18, RGB(80, 84, 92), 2);
    return c;
}

Canvas Smoke()
{
    Canvas c(48, 48);
    for (auto [x, y, r] : {std::tuple{18, 26, 14}, {30, 20, 14}, {26, 32, 12}})
        c.FillCircle(x, y, r, RGB(120, 120, 120));
    return c;
}

Canvas Label(const std::string& text, int height)
{
    TextStyle s = Letter(RGB(255, 255, 255), height);
    int w = Canvas::TextWidth(text, s) + 8;
    Canvas c(w, height + 4);
    c.FillRect(0, 0, w, height + 4, RGB(32, 32, 40));
    c.FrameRect(0, 0, w, height + 4, RGB(220, 220, 220), 1);
    c.Text(text, 0, 1, w, height + 2, s);
    return c;
}

// Upper-case for the labels.
std::string Upper(std::string s)
{
    for (char& ch : s)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return s;
}

// A feature's two pictures: zoom 0 and zoom 1 (a quarter scale).
struct FeatureArt {
    Canvas zoom0;
    Canvas zoom1;
};

FeatureArt Both(const Canvas& c)
{
    // Small art keeps at least a few pixels at the quarter scale.
    int factor = c.Width() >= 16 && c.Height() >= 16 ? 4 : 2;
    if (c.Width() < 8 || c.Height() < 8)
        return {c, c};
    return {c, c.Shrunk(factor)};
}

std::map<std::string, FeatureArt> FeatureArtTable()
{
    std::map<std::string, FeatureArt> t;
    t["Blank"] = {Blank(), Blank()};
    t["Debris"] = Both(Debris());
    t["Smoke"] = Both(Smoke());
    t["Selection"] = {Selection(), Selection().Shrunk(2)};
    t["FireLarge"] = Both(Flame(36, 3));
    t["FireMedium"] = Both(Flame(30, 2));
    t["FireSmall"] = Both(Flame(24, 1));
    t["WaterLeak"] = Both(WaterLeak());
    t["Electrical"] = Both(Electrical());
    t["GasLeak"] = Both(GasLeak());
    t["Spill"] = Both(Spill(true));
    t["Seepage"] = Both(Spill(false));
    t["Burnt"] = Both(Burnt(false));
    t["BurntFeature"] = Both(Burnt(true));
    t["Residue"] = Both(Residue());
    t["Waypoint"] = {Waypoint(), Waypoint()};
    t["Tree"] = Both(Tree());
    t["Tank"] = Both(Tank());
    t["ParkedCar"] = Both(Car(RGB(150, 40, 40), false));
    t["Dumpster"] = Both(Dumpster());
    t["TankCar"] = Both(TankCar());
    t["Pallets"] = Both(Pallets());
    t["AbandonedCar"] = Both(Car(RGB(120, 120, 110), true));
    t["FallenTree"] = Both(FallenTree());
    t["Barricade"] = Both(Barricade());
    t["Shed"] = Both(Shed());
    t["ShedRoof"] = Both(ShedRoof());
    t["Bomb"] = {Bomb(), Bomb().Shrunk(2)};
    t["Cylinder"] = {Cylinder(), Cylinder().Shrunk(2)};
    t["ZoneNode"] = Both(TileOverlay(RGB(250, 220, 0), "", true));
    t["IncidentNode"] = Both(TileOverlay(RGB(230, 30, 30), "", true));
    const std::pair<const char*, std::pair<COLORREF, const char*>> facilities[] = {
        {"FacilityCP", {RGB(250, 220, 0), "CP"}},         {"FacilityStaging", {RGB(40, 200, 220), "SA"}},
        {"FacilityBase", {RGB(90, 120, 250), "B"}},       {"FacilityCasualty", {RGB(240, 60, 60), "CC"}},
        {"FacilityEvacuation", {RGB(60, 200, 80), "EC"}}, {"FacilityMedia", {RGB(200, 90, 220), "MC"}},
        {"FacilityHeliport", {RGB(240, 240, 240), "H"}},
    };
    for (const auto& [name, look] : facilities) {
        Canvas c = TileOverlay(look.first, look.second, false);
        Canvas small(8, 8);
        small.FrameRect(0, 0, 8, 8, look.first, 1);
        small.FillRect(2, 2, 4, 4, look.first);
        t[name] = {c, small};
    }
    t["MarkerDim"] = {Marker(false), Marker(false).Shrunk(2)};
    t["Marker"] = {Marker(true), Marker(true).Shrunk(2)};
    const char* labels[] = {"Brennan Chemical", "Site Office", "Town Hall",    "Millbrook Elementary", "Mill Brook",
                            "Rail Line",        "Depot Road",  "Station Road", "Main Street"};
    for (const char* l : labels) {
        std::string key = std::string("Label") + l;
        key.erase(std::remove(key.begin(), key.end(), ' '), key.end());
        t[key] = {Label(Upper(l), 12), Label(Upper(l), 9)};
    }
    return t;
}

// ---- stations (area map) ----

Canvas StationIcon(COLORREF colour, const std::string& letter, COLORREF letterColour, bool incident)
{
    Canvas c(34, 34);
    if (incident) {
        c.FillPolygon({{17, 0}, {34, 17}, {17, 34}, {0, 17}}, kOutline);
        c.FillPolygon({{17, 3}, {31, 17}, {17, 31}, {3, 17}}, colour);
        c.Text(letter, 5, 9, 24, 16, Letter(letterColour, 13));
        return c;
    }
    c.FillPolygon({{17, 0}, {34, 12}, {0, 12}}, kOutline); // roof
    c.FillPolygon({{17, 3}, {29, 11}, {5, 11}}, Shade(colour, 70));
    c.FillRect(3, 11, 28, 23, kOutline);
    c.FillRect(5, 12, 24, 20, colour);
    c.Text(letter, 5, 14, 24, 16, Letter(letterColour, letter.size() > 2 ? 10 : 13));
    return c;
}

// ---- modifiers ----

Canvas UnitModifier(int index)
{
    Canvas c(kUnitSize, kUnitSize);
    switch (index) {
    case 0: // protective gear
        c.FillRect(0, 13, 7, 7, kOutline);
        c.FillRect(1, 14, 5, 5, RGB(60, 220, 60));
        break;
    case 1: // injured
        c.FillCircle(16, 4, 3.5, kOutline);
        c.FillCircle(16, 4, 2.5, RGB(255, 230, 0));
        break;
    case 2: // wounded
        c.FillCircle(16, 4, 4, kOutline);
        c.FillCircle(16, 4, 3, RGB(255, 130, 0));
        break;
    case 3: // critical
        c.FillCircle(16, 4, 4, kWhite);
        c.FillCircle(16, 4, 3, RGB(230, 0, 0));
        break;
    case 4: // commanded by this player
        c.Ring(10, 10, 10, 1.5, kWhite);
        break;
    case 5: // idle
        c.FillRect(13, 15, 7, 5, kOutline);
        c.FillRect(14, 16, 5, 3, RGB(120, 200, 255));
        break;
    default:
        break;
    }
    return c;
}

Canvas VehicleModifier(int index)
{
    Canvas c(kVehicleW, kVehicleH);
    switch (index) {
    case 6: // disabled
        c.Line(2, 2, kVehicleW - 2, kVehicleH - 2, RGB(255, 0, 0), 3);
        c.Line(2, kVehicleH - 2, kVehicleW - 2, 2, RGB(255, 0, 0), 3);
        break;
    case 7: // carries squads
        c.FillRect(1, kVehicleH - 5, 10, 4, kOutline);
        c.FillRect(2, kVehicleH - 4, 8, 2, RGB(60, 220, 60));
        break;
    case 8: // commanded by this player
        c.FrameRect(0, 0, kVehicleW, kVehicleH, kWhite, 1);
        break;
    case 9: // idle
        c.FillRect(kVehicleW - 8, kVehicleH - 6, 7, 5, kOutline);
        c.FillRect(kVehicleW - 7, kVehicleH - 5, 5, 3, RGB(120, 200, 255));
        break;
    default:
        break;
    }
    return c;
}

} // namespace

// The names in "SpriteModifiers.txt", modifier 0 zoom 0 first.
const char* const kModifierNames[10] = {"Gear", "Injured",  "Wounded",  "Critical",         "Commanded",
                                        "Idle", "Disabled", "Carrying", "CommandedVehicle", "VehicleIdle"};

void MakeSpriteArt(Output& out)
{
    for (const AgencyLook& a : kAgencies) {
        out.Bitmap(std::string("Sprites/") + a.name + "_P.bmp", UnitPicture(a));
        out.Bitmap(std::string("Sprites/") + a.name + "_V.bmp", VehiclePicture(a));
    }
    for (const auto& [name, art] : FeatureArtTable()) {
        out.Bitmap("Sprites/" + name + "_32.bmp", art.zoom0);
        out.Bitmap("Sprites/" + name + "_8.bmp", art.zoom1);
    }
    struct StationLook {
        const char* bitmap;
        COLORREF colour;
        const char* letter;
        COLORREF letterColour;
    };
    const StationLook stations[] = {
        {"StationPolice", RGB(32, 72, 200), "P", kWhite},    {"StationFire", RGB(216, 32, 32), "F", kWhite},
        {"StationEMS", RGB(24, 160, 80), "EMS", kWhite},     {"StationPW", RGB(240, 128, 16), "PW", kOutline},
        {"StationSchool", RGB(248, 200, 24), "S", kOutline},
    };
    for (const StationLook& s : stations) {
        Canvas icon = StationIcon(s.colour, s.letter, s.letterColour, false);
        out.Bitmap(std::string("Sprites/") + s.bitmap + "_32.bmp", icon);
        out.Bitmap(std::string("Sprites/") + s.bitmap + "_8.bmp", icon.Shrunk(2));
    }
    Canvas site = StationIcon(RGB(255, 230, 0), "!", kOutline, true);
    out.Bitmap("Sprites/StationIncident_32.bmp", site);
    out.Bitmap("Sprites/StationIncident_8.bmp", site.Shrunk(2));
    for (int m = 0; m < 10; ++m) {
        Canvas c = m < 6 ? UnitModifier(m) : VehicleModifier(m);
        out.Bitmap(std::string("Sprites/Mod_") + kModifierNames[m] + "_32.bmp", c);
        out.Bitmap(std::string("Sprites/Mod_") + kModifierNames[m] + "_8.bmp", c);
    }
}

} // namespace demo
