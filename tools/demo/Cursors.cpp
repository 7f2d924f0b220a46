// The 58 order cursors: "target" and, for each of the 19 orders, a plain, a "Danger" and a "Prohibited"
// variant. Each is an arrow with a coloured badge naming the order; the danger variant adds a warning
// triangle, the prohibited one a red no-entry ring.
#include "tools/demo/DemoData.h"
#include "tools/demo/FileWriters.h"

namespace demo {

namespace {

struct CursorLook {
    const char* name;
    const char* badge;
    COLORREF colour;
    COLORREF text;
};

const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kWhite = RGB(255, 255, 255);

// Ids 4 to 22 in order.
const CursorLook kCursors[] = {
    {"SquadMove", "MV", RGB(40, 170, 60), kWhite},
    {"VehicleMove", "VM", RGB(40, 170, 60), kWhite},
    {"GetInVehicle", "IN", RGB(40, 90, 210), kWhite},
    {"Assault", "AS", RGB(200, 30, 30), kWhite},
    {"DefuseBomb", "DB", RGB(30, 30, 30), RGB(255, 80, 80)},
    {"RepairUtility", "UT", RGB(240, 140, 20), kBlack},
    {"ClearDebris", "CD", RGB(140, 100, 60), kWhite},
    {"FightFire", "FF", RGB(230, 60, 20), kWhite},
    {"ContainHazard", "HZ", RGB(190, 220, 40), kBlack},
    {"GiveAid", "+", kWhite, RGB(220, 0, 0)},
    {"Supervise", "SV", RGB(140, 60, 190), kWhite},
    {"DirectSelect", "D?", RGB(20, 150, 150), kWhite},
    {"DirectTarget", "D!", RGB(20, 150, 150), kWhite},
    {"Perimeter", "PR", RGB(40, 90, 210), kWhite},
    {"Evacuation", "EV", RGB(40, 170, 60), kWhite},
    {"Escort", "ES", RGB(40, 90, 210), kWhite},
    {"Tow", "TW", RGB(120, 120, 120), kWhite},
    {"Search", "SR", RGB(250, 210, 0), kBlack},
    {"Negotiate", "NG", RGB(230, 230, 230), kBlack},
};

TextStyle BadgeText(COLORREF colour)
{
    TextStyle s;
    s.height = 11;
    s.bold = true;
    s.colour = colour;
    s.antialias = false;
    return s;
}

void Arrow(Canvas& c)
{
    c.FillPolygon({{0, 0}, {0, 17}, {4.5, 13}, {7.5, 19.5}, {10, 18.5}, {7, 12}, {12, 12}}, kBlack);
    c.FillPolygon({{1, 2.5}, {1, 14.5}, {4.5, 11}, {7.8, 18}, {8.7, 17.5}, {5.5, 11}, {9.5, 11}}, kWhite);
}

Canvas OrderCursor(const CursorLook& look, int variant)
{
    Canvas c(32, 32);
    Arrow(c);
    c.FillRect(11, 14, 21, 16, kBlack);
    c.FillRect(12, 15, 19, 14, look.colour);
    c.Text(look.badge, 12, 15, 19, 14, BadgeText(look.text));
    if (variant == 1) { // danger: a warning triangle at the top right
        c.FillPolygon({{24, 0}, {32, 13}, {16, 13}}, kBlack);
        c.FillPolygon({{24, 2}, {30, 12}, {18, 12}}, RGB(255, 220, 0));
        c.FillRect(23, 5, 2, 4, kBlack);
        c.FillRect(23, 10, 2, 1, kBlack);
    } else if (variant == 2) { // prohibited: a red ring with a bar over the badge
        c.Ring(21.5, 22, 10, 2.5, RGB(230, 0, 0));
        c.Line(14.5, 15, 28.5, 29, RGB(230, 0, 0), 2.5);
    }
    return c;
}

Canvas TargetCursor()
{
    Canvas c(32, 32);
    c.Ring(15.5, 15.5, 12, 3, kBlack);
    c.Ring(15.5, 15.5, 11, 1, kWhite);
    c.FillRect(15, 0, 2, 12, kBlack);
    c.FillRect(15, 20, 2, 12, kBlack);
    c.FillRect(0, 15, 12, 2, kBlack);
    c.FillRect(20, 15, 12, 2, kBlack);
    c.FillRect(15, 15, 2, 2, RGB(230, 0, 0));
    return c;
}

} // namespace

void MakeCursors(Output& out)
{
    out.Bytes("GUI/target.cur", EncodeCursor(TargetCursor(), 15, 15));
    const char* suffixes[] = {"", "Danger", "Prohibited"};
    for (int variant = 0; variant < 3; ++variant)
        for (const CursorLook& look : kCursors)
            out.Bytes(std::string("GUI/") + look.name + suffixes[variant] + ".cur",
                      EncodeCursor(OrderCursor(look, variant), 0, 0));
}

} // namespace demo
