// The sprite palette: lazily filled lists, the agency's squads and vehicles, and the one selection.
#include "editors/tacmap/model/SpritePalette.h"

#include "core/world/Map2DLinked.h"
#include "core/world/SpriteManager.h"
#include "core/world/UnitTaskRecord.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace tacmap {

namespace {
// The sorted lists order their texts case-blind, keeping equal texts in the order they came.
void SortCaseBlind(std::vector<PaletteItem>& items)
{
    auto lower = [](const std::string& s) {
        std::string out = s;
        for (char& c : out)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return out;
    };
    std::stable_sort(items.begin(), items.end(),
                     [&](const PaletteItem& a, const PaletteItem& b) { return lower(a.text) < lower(b.text); });
}
} // namespace

void CSpritePalette::Changed()
{
    if (onChanged)
        onChanged();
}

void CSpritePalette::Empty()
{
    for (auto& list : m_aLists)
        list.clear();
    for (int& row : m_aRows)
        row = -1;
    m_nTile = m_nSquad = m_nVehicle = m_nFeature = -1;
    m_nAgencySel = -1;
    m_pSprites = nullptr;
}

void CSpritePalette::Fill(const CMap2DLinked* map, const CSpriteManager* sprites)
{
    if (sprites != m_pSprites) {
        Empty(); // another scenario's lists may differ: what was shown would pick other templates
        m_pSprites = sprites;
    }
    if (!map || !sprites)
        return;
    bool changed = false;
    if (m_aLists[kTiles].empty()) {
        for (int t = 0; t < CMap2DLinked::kTileTypes; ++t) {
            const CTileType* type = map->GetTileType(t);
            if (type && type->m_szName[0])
                m_aLists[kTiles].push_back({type->m_szName, t, 0});
        }
        SortCaseBlind(m_aLists[kTiles]);
        changed = true;
    }
    if (m_aLists[kAgencies].empty()) {
        FillAgencies(*sprites);
        changed = true;
    }
    if (m_aLists[kUnits].empty()) {
        FillUnits();
        changed = true;
    }
    if (m_aLists[kFeatures].empty()) {
        FillFeatures(*sprites);
        changed = true;
    }
    if (changed)
        Changed();
}

void CSpritePalette::FillAgencies(const CSpriteManager& sprites)
{
    auto& list = m_aLists[kAgencies];
    list.clear();
    std::string first;
    for (const auto& [key, record] : sprites.GetAgencies()) {
        if (list.empty())
            first = record.m_szName;
        list.push_back({record.m_szName, key, 0});
    }
    SortCaseBlind(list);
    m_nAgencySel = -1;
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].text == first) {
            m_nAgencySel = static_cast<int>(i);
            break;
        }
    m_aRows[kAgencies] = m_nAgencySel;
}

int CSpritePalette::GetSelectedAgencyKey() const
{
    const auto& list = m_aLists[kAgencies];
    return m_nAgencySel >= 0 && m_nAgencySel < static_cast<int>(list.size())
               ? list[static_cast<size_t>(m_nAgencySel)].data
               : -1;
}

void CSpritePalette::FillUnits()
{
    auto& list = m_aLists[kUnits];
    list.clear();
    m_aRows[kUnits] = -1;
    if (!m_pSprites)
        return;
    const auto& agencies = m_pSprites->GetAgencies();
    const auto found = agencies.find(GetSelectedAgencyKey());
    if (found == agencies.end())
        return;
    const int agencyKind = found->second.m_nKind;
    for (int kind : {1, 4}) {
        const CSprite* templates = m_pSprites->GetTemplates(kind);
        for (int i = 0; i < m_pSprites->GetTemplateCount(kind); ++i) {
            const CSprite& t = templates[i];
            if (t.m_szName[0] && t.m_pUnitTask && t.m_pUnitTask->m_nAgencyKind == agencyKind)
                list.push_back({t.m_szName, i, kind});
        }
    }
}

void CSpritePalette::FillFeatures(const CSpriteManager& sprites)
{
    auto& list = m_aLists[kFeatures];
    list.clear();
    m_aRows[kFeatures] = -1;
    const int count = sprites.GetTemplateCount(2);
    const CSprite* templates = sprites.GetTemplates(2);
    std::set<int> listed;
    for (int i = 0; i < count; ++i)
        listed.insert(i);
    // Of two linked templates only the first in index order is listed.
    for (int i = 0; i < count; ++i) {
        const int linked = templates[i].m_nLinkedTemplate;
        if (listed.count(i) && linked >= 0 && linked != i)
            listed.erase(linked);
    }
    for (int i : listed)
        if (templates[i].m_szName[0] && templates[i].m_bPaletteFlag)
            list.push_back({templates[i].m_szName, i, 2});
}

// ---- selection ----

void CSpritePalette::OnTileSelected(int row)
{
    if (onTileChosen)
        onTileChosen();
    const auto& list = m_aLists[kTiles];
    if (row >= 0 && row < static_cast<int>(list.size())) {
        m_aRows[kTiles] = row;
        m_aRows[kUnits] = m_aRows[kFeatures] = -1;
        m_nSquad = m_nVehicle = m_nFeature = -1;
        m_nTile = list[static_cast<size_t>(row)].data;
        m_nShownTile = m_nTile;
    }
    Changed();
}

void CSpritePalette::SetUnitFromRow(int row)
{
    const auto& list = m_aLists[kUnits];
    m_nSquad = m_nVehicle = -1;
    if (row < 0 || row >= static_cast<int>(list.size()))
        return;
    const PaletteItem& item = list[static_cast<size_t>(row)];
    (item.kind == 4 ? m_nVehicle : m_nSquad) = item.data;
}

void CSpritePalette::OnUnitSelected(int row)
{
    if (row >= 0 && row < static_cast<int>(m_aLists[kUnits].size())) {
        m_aRows[kUnits] = row;
        m_aRows[kTiles] = m_aRows[kFeatures] = -1;
        m_nTile = m_nFeature = -1;
        SetUnitFromRow(row);
        Changed();
        if (onPlacementChosen)
            onPlacementChosen();
        return;
    }
    Changed();
}

void CSpritePalette::OnFeatureSelected(int row)
{
    const auto& list = m_aLists[kFeatures];
    if (row >= 0 && row < static_cast<int>(list.size())) {
        m_aRows[kFeatures] = row;
        m_aRows[kTiles] = m_aRows[kUnits] = -1;
        m_nTile = m_nSquad = m_nVehicle = -1;
        m_nFeature = list[static_cast<size_t>(row)].data;
        Changed();
        if (onPlacementChosen)
            onPlacementChosen();
        return;
    }
    Changed();
}

void CSpritePalette::OnAgencySelected(int row)
{
    if (row < 0 || row >= static_cast<int>(m_aLists[kAgencies].size()))
        return;
    m_nAgencySel = row;
    m_aRows[kAgencies] = row;
    FillUnits();
    Changed();
    if (onPlacementChosen)
        onPlacementChosen();
}

int CSpritePalette::StepRow(List list, int direction) const
{
    const int size = static_cast<int>(m_aLists[list].size());
    const int row = m_aRows[list];
    if (direction < 1)
        return row + 1 < size ? row + 1 : -1;
    return row - 1;
}

void CSpritePalette::SelectTileByKey(int direction)
{
    if (direction >= 1 && m_aRows[kTiles] <= 0)
        return;
    const int row = StepRow(kTiles, direction);
    m_aRows[kTiles] = row;
    m_nSquad = m_nVehicle = m_nFeature = -1;
    m_nTile = row < 0 ? -1 : m_aLists[kTiles][static_cast<size_t>(row)].data;
    if (m_nTile >= 0)
        m_nShownTile = m_nTile;
    Changed();
}

void CSpritePalette::SelectSquadByKey(int direction)
{
    if (direction >= 1 && m_aRows[kUnits] <= 0)
        return;
    const int row = StepRow(kUnits, direction);
    m_aRows[kUnits] = row;
    m_nTile = m_nFeature = -1;
    SetUnitFromRow(row);
    Changed();
    if (onPlacementChosen)
        onPlacementChosen();
}

void CSpritePalette::SelectFeatureByKey(int direction)
{
    if (direction >= 1 && m_aRows[kFeatures] <= 0)
        return;
    const int row = StepRow(kFeatures, direction);
    m_aRows[kFeatures] = row;
    m_nTile = m_nSquad = m_nVehicle = -1;
    m_nFeature = row < 0 ? -1 : m_aLists[kFeatures][static_cast<size_t>(row)].data;
    Changed();
    if (onPlacementChosen)
        onPlacementChosen();
}

void CSpritePalette::ClearSelection()
{
    m_aRows[kTiles] = m_aRows[kUnits] = m_aRows[kFeatures] = -1;
    m_nTile = m_nSquad = m_nVehicle = m_nFeature = -1;
    Changed();
}

void CSpritePalette::SelectUnitTemplate(int agencyKey, int kind, int templateIndex)
{
    const auto& agencies = m_aLists[kAgencies];
    for (size_t i = 0; i < agencies.size(); ++i)
        if (agencies[i].data == agencyKey && static_cast<int>(i) != m_nAgencySel) {
            m_nAgencySel = static_cast<int>(i);
            m_aRows[kAgencies] = m_nAgencySel;
            FillUnits();
            break;
        }
    m_aRows[kTiles] = m_aRows[kFeatures] = -1;
    m_nTile = m_nFeature = -1;
    m_nSquad = kind == 4 ? -1 : templateIndex;
    m_nVehicle = kind == 4 ? templateIndex : -1;
    m_aRows[kUnits] = -1;
    const auto& units = m_aLists[kUnits];
    for (size_t i = 0; i < units.size(); ++i)
        if (units[i].kind == kind && units[i].data == templateIndex)
            m_aRows[kUnits] = static_cast<int>(i);
    Changed();
}

void CSpritePalette::SelectFeatureTemplate(int templateIndex)
{
    m_aRows[kTiles] = m_aRows[kUnits] = -1;
    m_nTile = m_nSquad = m_nVehicle = -1;
    m_nFeature = templateIndex;
    m_aRows[kFeatures] = -1;
    const auto& features = m_aLists[kFeatures];
    for (size_t i = 0; i < features.size(); ++i)
        if (features[i].data == templateIndex)
            m_aRows[kFeatures] = static_cast<int>(i);
    Changed();
}

} // namespace tacmap
