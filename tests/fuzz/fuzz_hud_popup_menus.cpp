// Fuzz target: "HUDPopupMenus.txt" from arbitrary bytes, its items added to pop-up menus as the HUD does.
#include "core/widgets/CPopupMenu.h"
#include "game/screens/hud/HUDText.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::array<CHudMenuDef, kHudMenuSlots> menus;
    if (!ParseHudPopupMenus(std::string(reinterpret_cast<const char*>(data), size), menus))
        return 0;
    for (const CHudMenuDef& def : menus) {
        CPopupMenu menu(1, false);
        for (size_t i = 0; i < def.aItems.size(); ++i) {
            if (def.aItems[i].empty() || def.aItems[i].size() > kMaxHudLine)
                __builtin_trap();
            menu.AddItem(def.aItems[i].c_str(), static_cast<int>(i));
        }
        if (menu.GetCount() > CPopupMenu::kMaxItems)
            __builtin_trap();
    }
    return 0;
}
