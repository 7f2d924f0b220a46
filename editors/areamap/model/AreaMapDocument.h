// Vellisk's area-map document: the core's stored area map plus what the editor keeps beside it (the data
// folder, the tile map holding the map bitmap, the settings record, the shapefile names), "GameInfo.txt" at
// start-up, and the ".zra" file operations.
#pragma once

#include "editors/areamap/model/EsriData.h"

#include "core/world/AreaMapData.h"
#include "core/world/WorldTypes.h"

#include <memory>
#include <string>

class CDisplay;
class CMap2DLinked;

namespace vellisk {

// Stored as the core's "CAreaMapData" (same class name, version and members); registered under that name by
// RegisterVelliskClasses, so ".zra" files read into this class.
class CAreaMapData : public ::CAreaMapData {
public:

    CAreaMapData();
    ~CAreaMapData() override;
    static QFSerializeBase* CreateObject();

    // Reads "GameInfo.txt" of the data folder and builds the tile map for the display, with the map bitmap
    // and its grid when a bitmap is named, and with `createSprites` a new sprite manager from the lists the file
    // names. False with the message to show when the file cannot be read or the named bitmap does not load.
    bool LoadGameInfo(bool createSprites, CDisplay* display, CUserMessage* failure);
    // Zoom index into the settings record, applied to the tile map and the sprites.
    void SetZoom(int index, CDisplay* display);
    // The sprites' screen rectangles for the display's view.
    void UpdateSpriteRects(CDisplay* display);
    // The next station id of a kind (0-8): 1 for the first; -1 (nothing changed) for another kind.
    int NextStationID(int kind);
    // A new map on this document: station ids start again from 1 and the scale is the default again, as in a
    // document just made.
    void StartNewMap();
    // The bitmap name from a file name (".zra" cut, ".bmp" appended); false (unchanged) when it does not fit.
    bool SetBitmapName(const std::string& name);
    // A tile map holding a loaded map bitmap.
    bool HasMap() const;

    std::string DataFolder() const { return m_szBaseFolder; }
    void SetDataFolder(const std::string& folder);

    CMap2DLinked* m_pMap = nullptr; // owned
    CModeRecord m_Settings;
    ShapefileSlots m_astrShapefiles;
};

// A note to show when the loaded map bitmap is larger than the 800 x 448 the map shows (`picture` names it);
// false when it fits or none is loaded.
bool OversizeNote(const CAreaMapData& document, const std::string& picture, CUserMessage* note);

// Registers the editor's classes under their stored names (after the core's).
void RegisterVelliskClasses();

// Points the world context (data folder, display) at the editor's, as the core's loaders read it.
void UseWorldContext(const std::string& dataFolder, CDisplay* display);

// Writes the document as a ".zra" through a temporary beside `path`, replacing it only when all went well.
// Station service ids are first numbered 1, 2, ... in draw-list order, as a load of the file numbers them. False with
// the reason when the file cannot be written (errno tells the system's error). Success clears the modified flag.
bool SaveAreaMap(CAreaMapData& document, const std::string& path, std::string* error);
// The same file written whole into a finished temporary beside `path` (synced, `path` not touched yet), for a caller
// that puts it in place later (platform::InstallTemporary) or removes it. The modified flag is left as it was.
bool StageAreaMap(CAreaMapData& document, const std::string& path, std::string* temporary, std::string* error);

// Reads a ".zra" into a new document of the data folder, then its "GameInfo.txt" and bitmap; null with the
// reason, in a designer's words and naming the file, when it cannot be opened, is no area map or is damaged, or its
// bitmap does not load.
std::unique_ptr<CAreaMapData> LoadAreaMap(const std::string& path, const std::string& dataFolder, CDisplay* display,
                                          std::string* error);

} // namespace vellisk
