// A pop-up frame written by the test: six bitmaps (150 wide, 10-pixel edges, 20-pixel lines) and their list.
#pragma once

#include "support/DisplayFixtures.h"

#include <filesystem>
#include <string>

namespace fixtures {

constexpr int kFrameWidth = 150;
constexpr int kEdgeHeight = 10;
constexpr int kItemHeight = 20;
constexpr COLORREF kLineColour = RGB(220, 215, 200);
constexpr COLORREF kBorderColour = RGB(90, 70, 40);

// Rounded frame art: magenta in the corners, a border, and for check lines a box at the left.
inline void WritePopupFrame(const std::string& folder, const std::string& listName = "PopupMenu.txt")
{
    std::filesystem::create_directories(folder + "/GUI");
    auto edge = [](int x, int y) {
        if ((x < 3 || x >= kFrameWidth - 3) && (y < 3 || y >= kEdgeHeight - 3))
            return RGB(255, 0, 255);
        return (y == 0 || y == kEdgeHeight - 1 || x == 0 || x == kFrameWidth - 1) ? kBorderColour : RGB(180, 160, 120);
    };
    auto line = [](int box, COLORREF fill) {
        return [box, fill](int x, int y) -> COLORREF {
            if (x == 0 || x == kFrameWidth - 1)
                return kBorderColour;
            if (box && x >= 7 && x < 17 && y >= 5 && y < 15) {
                bool rim = x == 7 || x == 16 || y == 5 || y == 14;
                if (rim)
                    return RGB(40, 40, 40);
                return box == 2 ? RGB(30, 120, 30) : RGB(255, 255, 255);
            }
            return fill;
        };
    };
    const std::string gui = folder + "/GUI/";
    WriteFile(gui + "PopTop.bmp", MakeBmp24(kFrameWidth, kEdgeHeight, edge));
    WriteFile(gui + "PopBottom.bmp", MakeBmp24(kFrameWidth, kEdgeHeight, edge));
    WriteFile(gui + "PopLine.bmp", MakeBmp24(kFrameWidth, kItemHeight, line(0, kLineColour)));
    WriteFile(gui + "PopChecked.bmp", MakeBmp24(kFrameWidth, kItemHeight, line(2, kLineColour)));
    WriteFile(gui + "PopDisabled.bmp", MakeBmp24(kFrameWidth, kItemHeight, line(1, RGB(170, 170, 170))));
    WriteFile(gui + "PopUnchecked.bmp", MakeBmp24(kFrameWidth, kItemHeight, line(1, kLineColour)));
    std::string list = "PopTop.bmp top edge\r\nPopBottom.bmp bottom edge\r\n\r\nPopLine.bmp\r\n"
                       "PopChecked.bmp checked line\r\nPopDisabled.bmp   disabled\r\nPopUnchecked.bmp unchecked\r\n";
    WriteFile(gui + listName, std::vector<uint8_t>(list.begin(), list.end()));
}

} // namespace fixtures
