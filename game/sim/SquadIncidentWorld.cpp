// Adapters between the squads and the incident world: its queries and changes for the order work, and the
// scenario squads for its explosions.
#include "game/sim/SquadIncidentWorld.h"

#include "game/sim/IncidentWorld.h"
#include "game/sim/Squad.h"
#include "game/sim/SquadManager.h"

#include <algorithm>

namespace {
CPathTile* Head(CPathTile* tile)
{
    return tile && tile->m_pCellHead ? tile->m_pCellHead : tile;
}
} // namespace

int CSquadIncidentWorld::FireClassAt(CPathTile* tile)
{
    CIncidentNode* fire = m_world.FireAt(Head(tile));
    return fire ? std::clamp(m_world.Band(fire->m_fValue), 0, 3) : 0;
}

float CSquadIncidentWorld::FireIntensityAt(CPathTile* tile)
{
    CIncidentNode* fire = m_world.FireAt(Head(tile));
    return fire ? fire->m_fValue : 0.0f;
}

float CSquadIncidentWorld::ChemicalAt(CPathTile* tile)
{
    CIncidentNode* spill = m_world.ChemicalAt(Head(tile));
    return spill ? spill->m_fValue : 0.0f;
}

void CSquadIncidentWorld::ReduceFire(CPathTile* tile, float amount)
{
    if (CIncidentNode* fire = m_world.FireAt(Head(tile)))
        fire->m_fValue = std::max(0.0f, fire->m_fValue - amount);
}

void CSquadIncidentWorld::ReduceChemical(CPathTile* tile, float amount)
{
    if (CIncidentNode* spill = m_world.ChemicalAt(Head(tile)))
        spill->m_fValue = std::max(0.0f, spill->m_fValue - amount);
}

bool CSquadIncidentWorld::FireWithin(CPathTile* tile, int rings)
{
    for (int r = 0; r <= rings; ++r)
        if (m_world.FireInRing(Head(tile), r) > 0)
            return true;
    return false;
}

bool CSquadIncidentWorld::ChemicalWithin(CPathTile* tile, int rings)
{
    for (int r = 0; r <= rings; ++r)
        if (m_world.ChemicalInRing(Head(tile), r) > 0)
            return true;
    return false;
}

int CSquadIncidentWorld::ObjectAt(CPathTile* tile, bool* hidden)
{
    CIncidentNode* object = m_world.ObjectAt(Head(tile));
    if (hidden)
        *hidden = object && object->IsHidden();
    return object ? object->m_nType : -1;
}

float CSquadIncidentWorld::ObjectValueAt(CPathTile* tile)
{
    CIncidentNode* object = m_world.ObjectAt(Head(tile));
    return object ? object->m_fValue : 0.0f;
}

int CSquadIncidentWorld::FacilityAt(CPathTile* tile)
{
    CIncidentNode* zone = m_world.ZoneNodeAt(Head(tile));
    return zone ? zone->m_nType : 0;
}

void CSquadIncidentWorld::RevealBomb(CPathTile* tile)
{
    CPathTile* head = Head(tile);
    CIncidentNode* object = m_world.ObjectAt(head);
    if (!object || object->m_nType != kIncBomb)
        return;
    m_world.SetObjectFlags(head->m_nX + 16, head->m_nY + 16, object->m_nSpriteFlags & ~kHiddenSpriteFlag);
}

void CSquadIncidentWorld::AddHazardEntry(int x, int y, int code, float value)
{
    m_world.PushHazard(x, y, code, value, 0, false);
}

void CSquadIncidentWorld::AddChemicalEntry(int x, int y, float amount)
{
    m_world.PushSpill(x, y, amount, true, true);
}

void CSquadIncidentWorld::SendBatch()
{
    m_world.SendEventBatch();
}

void CSquadIncidentWorld::StartFire(int x, int y, int intensity)
{
    m_world.StartFireNow(x, y, static_cast<float>(intensity), false);
}

void CSquadIncidentWorld::ApplyIncidentType(int type, int x, int y)
{
    m_world.ApplyIncidentType(type, x, y);
}

CPathTile* CSquadIncidentWorld::SafestCell(CPathTile* tile)
{
    return m_world.SafestTile(Head(tile));
}

bool CSquadIncidentWorld::FindFacility(int code, int* x, int* y, bool* subdivided)
{
    CIncidentNode* node = m_world.FirstNodeOfType(code);
    if (!node || !node->m_pTile)
        return false;
    *x = node->m_pTile->m_nX;
    *y = node->m_pTile->m_nY;
    *subdivided = node->m_pTile->IsSubTile();
    return true;
}

int CSquadIncidentWorld::ObstructionAt(int x, int y)
{
    CObstruction* found = m_world.ObstructionAt(x, y);
    const auto& all = m_world.GetObstructions();
    auto it = std::find(all.begin(), all.end(), found);
    return found && it != all.end() ? static_cast<int>(it - all.begin()) : -1;
}

void CSquadIncidentWorld::WorkObstruction(int obstruction, float amount)
{
    const auto& all = m_world.GetObstructions();
    if (obstruction >= 0 && obstruction < static_cast<int>(all.size()))
        m_world.WorkObstruction(all[static_cast<size_t>(obstruction)], amount);
}

float CSquadIncidentWorld::FireFightingFactor()
{
    return m_world.m_fWaterSupply;
}

float CSquadIncidentWorld::ContaminationFactor()
{
    return m_world.m_afSquadEffect[0];
}

float CSquadIncidentWorld::GearHeatFactor()
{
    return m_world.m_afSquadEffect[1];
}

float CSquadIncidentWorld::GearChemicalFactor()
{
    return m_world.m_afSquadEffect[2];
}

float CSquadIncidentWorld::SpillFactor()
{
    // No factor of its own: the smallest spill of the parameters file.
    float factor = m_world.m_afSquadEffect[3];
    return factor > 0.0f ? factor : m_world.GetParameters().afSpillAmount[0];
}

// ---- the scenario squads for explosions ----

CSquad* CSquadBlastList::At(int index) const
{
    if (!m_pManager || index < 0)
        return nullptr;
    const auto& units = m_pManager->Units();
    const auto& vehicles = m_pManager->Vehicles();
    size_t i = static_cast<size_t>(index);
    if (i < units.size())
        return units[i];
    i -= units.size();
    return i < vehicles.size() ? vehicles[i] : nullptr;
}

int CSquadBlastList::SquadCount() const
{
    return m_pManager ? static_cast<int>(m_pManager->Units().size() + m_pManager->Vehicles().size()) : 0;
}

bool CSquadBlastList::GetSquad(int index, CBlastSquad& out) const
{
    CSquad* s = At(index);
    if (!s)
        return false;
    out.fX = s->m_fX;
    out.fY = s->m_fY;
    out.uFlags = s->m_nFlags;
    out.nAgencyKind = s->AgencyKind();
    return true;
}

void CSquadBlastList::AddHealth(int index, float delta)
{
    if (CSquad* s = At(index))
        s->AddHealth(delta);
}

void CSquadBlastList::AddContamination(int index, float delta)
{
    if (CSquad* s = At(index))
        s->AddContamination(delta);
}
