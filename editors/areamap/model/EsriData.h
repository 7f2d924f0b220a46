// The ESRI data locator's rules and the map-bitmap dialog's: shapefile kinds, the sorted slots, layer colours,
// and the picture saved as a 24-bit BMP.
#pragma once

#include "editors/areamap/model/MapControl.h"
#include "platform/system/MessageBox.h"

#include <array>
#include <string>
#include <vector>

namespace vellisk {

constexpr int kShapefileSlots = 20;
constexpr int kBasicKinds = 4; // slots 0-3: county lines, cities and towns, water, roads
using ShapefileSlots = std::array<std::string, kShapefileSlots>;

enum ShapefileKind { kCountyLine = 0, kCityTown = 1, kWater = 2, kRoad = 3, kOtherShapefile = 4 };

// A message box to show: text, caption, icon (Warning stands for the exclamation icon).
struct CUserMessage {
    std::string text;
    std::string caption;
    platform::MessageIcon icon = platform::MessageIcon::None;
};

// The kind by the first of "cty", "plc", "wat", "lka" found in the file name (the text after the last
// separator), compared in lower case.
ShapefileKind ClassifyShapefile(const std::string& path);
// The layer colour of a kind (0x00BBGGRR): county green, towns pale yellow, water blue, the rest black.
COLORREF LayerColour(ShapefileKind kind);

// What the locator's OK does with the folder text of its edit.
struct CLocatorOutcome {
    bool accepted = false;              // the dialog closes with OK
    bool slotsSet = false;              // the document's slots become `slots`
    std::string folder;                 // the folder with a trailing separator (when it exists)
    ShapefileSlots slots;               // every slot cleared first, then filled
    std::vector<CUserMessage> messages; // shown in order
};

// Checks the folder, lists its ".shp" files (any case) in name order and sorts them by kind: slots 0-3 the basic
// kinds (a later file of a kind replaces an earlier one), 4-19 the others. At most 20 files and 16 others are
// taken, by name, with a note saying so.
CLocatorOutcome LocateEsriData(const std::string& folderText);

// The map-bitmap dialog's layers: one per non-empty slot, in slot order, coloured by its kind; the extent then
// becomes the full extent. Returns a message naming the files that did not read (empty text when all did).
CUserMessage AddShapefileLayers(CMap1& map, const ShapefileSlots& slots);

// Picture size and its saved form.
constexpr int kMapBitmapWidth = 800;
constexpr int kMapBitmapHeight = 448;

// The part of the picture "Save" takes: 800 x 448, cut to the client area when that is smaller.
SIZE CaptureSize(int clientWidth, int clientHeight);

// The refusal of a map picture that does not lie in "<data>/Maps" (the area map finds its picture only there).
CUserMessage OutsideMapsMessage(const std::string& picturePath, const std::string& dataFolder,
                                const std::string& caption);

// Writes the top-left width x height of the picture as a 24-bit BMP (through a temporary beside it).
// False with the "File Save Error" message when it cannot be written.
bool SaveMapPicture(const platform::gdi::DeviceBitmap& picture, const SIZE& size, const std::string& path,
                    CUserMessage* failure);

} // namespace vellisk
