// The sprite palette's contents and selection: tile types, agencies, the chosen agency's squads and vehicles,
// and terrain features; at most one of tile, squad, vehicle and feature selected. The pane's lists mirror it.
#pragma once

#include <functional>
#include <string>
#include <vector>

class CMap2DLinked;
class CSpriteManager;

namespace tacmap {

struct PaletteItem {
    std::string text;
    int data = -1; // tile type, agency key, template index
    int kind = 0;  // squads/vehicles list: 1 unit, 4 vehicle (kept apart from the index, so units past 99 work)
};

class CSpritePalette {
public:
    enum List { kTiles = 0, kAgencies, kUnits, kFeatures, kListCount };

    // Fills the lists that are empty from the map's tile types and the manager's agencies and templates. A
    // different manager than last time (another scenario) empties them first.
    void Fill(const CMap2DLinked* map, const CSpriteManager* sprites);
    void Empty();

    // Selection changes as the pane's lists report them (-1: no row).
    void OnTileSelected(int row);
    void OnAgencySelected(int row);
    void OnUnitSelected(int row);
    void OnFeatureSelected(int row);
    // The wheel: a direction below 1 one row down (the first row without a selection; past the last row none),
    // 1 or more one row up (nothing from the first row or without a selection).
    void SelectTileByKey(int direction);
    void SelectSquadByKey(int direction);
    void SelectFeatureByKey(int direction);
    void ClearSelection();
    // Selects the agency and, in its list, the unit or vehicle template (the map view's pick of a placed squad).
    void SelectUnitTemplate(int agencyKey, int kind, int templateIndex);
    // Selects a feature template, and its row when the list shows it.
    void SelectFeatureTemplate(int templateIndex);

    // The application's four selection queries and the chosen agency's key (-1 none).
    int GetSelectedTile() const { return m_nTile; }
    int GetSelectedSquadTemplate() const { return m_nSquad; }
    int GetSelectedVehicleTemplate() const { return m_nVehicle; }
    int GetSelectedFeatureTemplate() const { return m_nFeature; }
    int GetSelectedAgencyKey() const;
    int GetAgencySel() const { return m_nAgencySel; }

    const std::vector<PaletteItem>& Items(List list) const { return m_aLists[list]; }
    int SelectedRow(List list) const { return m_aRows[list]; }
    // The tile the tile display shows (1 at first).
    int GetShownTile() const { return m_nShownTile; }

    // Called after every change of lists or selection (the pane syncs its widgets), after a tile selection (the
    // map view ends its preview first), and after a squad or feature selection (the map view's preview follows).
    std::function<void()> onChanged;
    std::function<void()> onTileChosen;
    std::function<void()> onPlacementChosen;

private:
    void FillAgencies(const CSpriteManager& sprites);
    void FillUnits();
    void FillFeatures(const CSpriteManager& sprites);
    void SetUnitFromRow(int row);
    int StepRow(List list, int direction) const;
    void Changed();

    std::vector<PaletteItem> m_aLists[kListCount];
    int m_aRows[kListCount] = {-1, -1, -1, -1};
    int m_nTile = -1;
    int m_nSquad = -1;
    int m_nVehicle = -1;
    int m_nFeature = -1;
    int m_nAgencySel = -1;
    int m_nShownTile = 1;
    const CSpriteManager* m_pSprites = nullptr;
};

} // namespace tacmap
