// Reads a generated data folder back the way the game does (scenario archive objects in order, then the area
// map) and renders the tactical map and the area map through the core's own drawing, for checks and review.
#pragma once

#include "tools/demo/Canvas.h"

#include <memory>
#include <string>

class CAreaMapData;
class CDisplay;
class CMap2DLinked;
class CPathData;
class CScenarioData;
class CSpriteManager;

namespace demo {

struct LoadedScenario {
    std::unique_ptr<CMap2DLinked> map;
    std::unique_ptr<CSpriteManager> sprites;
    std::unique_ptr<CPathData> grid;
    std::unique_ptr<CScenarioData> scenario;
    std::unique_ptr<CAreaMapData> areaMap;
    std::string failure; // empty when everything read
    ~LoadedScenario();
};

// Loads "<folder>/<scenario>" and its ".zra" with the core's archive and classes, the reference lists read
// from the folder (images too when a display is given). The tile map stays the current map while loaded.
std::unique_ptr<LoadedScenario> LoadScenarioFolder(const std::string& folder, const std::string& scenario,
                                                   CDisplay* display);

// The whole tactical map drawn at a zoom (0: 32-pixel tiles, 1: 8-pixel tiles) with its sprites, as the game
// draws its view, view by view; and the area map with its stations.
Canvas RenderTacticalMap(LoadedScenario& loaded, const std::string& folder, CDisplay& display, int zoom);
Canvas RenderAreaMap(LoadedScenario& loaded, const std::string& folder, CDisplay& display);

} // namespace demo
