// Time behaviour of the incident: fire growth, spread and burn-out, chemical decay and flow, the object step.
#include "game/sim/IncidentWorld.h"

#include "game/sim/SimRandom.h"

#include <algorithm>

namespace {
int FireKindOfStage(int stage)
{
    return stage == 3 ? kIncFireBand3 : stage == 2 ? kIncFireBand2 : kIncFireBand1;
}
} // namespace

// Arithmetic note: stored values are floats; products and sums are formed in double and rounded when stored,
// as the 32-bit build's floating point did.

void CIncidentWorld::Step()
{
    if (!m_pGrid)
        return;
    // 1. A slice of the fire list.
    if (m_fires.Head()) {
        if (m_nFireCountdown <= 0 || m_pFireCursor) {
            if (!m_pFireCursor) {
                m_pFireCursor = m_fires.Head();
                m_nFireCountdown = 10;
            }
            CIncidentNode* first = m_pFireCursor;
            int processed = 0;
            do {
                CIncidentNode* node = m_pFireCursor;
                if (node->m_pTile) {
                    GrowHazard(node);
                    SpreadHazard(node);
                    Charge(kCostFire);
                }
                m_pFireCursor = node->m_pNext;
                ++processed;
            } while (m_pFireCursor && processed < m_params.nFireBatchSize);
            SendEventBatch();
            PushFireReport(first);
        }
        --m_nFireCountdown;
    }
    // 2. Chemicals.
    if (m_chemicals.Head()) {
        if (m_nChemicalCountdown > 0) {
            --m_nChemicalCountdown;
        } else {
            for (CIncidentNode* node = m_chemicals.Head(); node; node = node->m_pNext)
                if (node->m_pTile)
                    ChemicalStep(node);
            m_nChemicalCountdown = 10;
            SendEventBatch();
            PushSpillReport();
        }
    }
    // 3. Objects.
    if (m_objects.Head()) {
        if (m_nObjectCountdown > 0) {
            --m_nObjectCountdown;
            return;
        }
        ObjectStep();
        m_nObjectCountdown = 30;
    }
}

void CIncidentWorld::GrowHazard(CIncidentNode* node)
{
    float intensity = node->m_fValue;
    double c = static_cast<float>((100 - m_params.anResistance[TerrainCode(node->m_pTile)]) * 0.01);
    // (the parameters reader keeps resistance within 0..100)
    const float* g = m_params.afGrowth;
    switch (Band(intensity)) {
    case 3: {
        int d = SimRand() % 100;
        double e = d < c * 33 ? 3.0 * g[2] : d < c * 66 ? 2.0 * g[2] : d < c * 99 ? g[2] : 0.0;
        node->m_fValue = static_cast<float>(std::min(static_cast<double>(intensity) + e, 100.0));
        ReactToFire(node, m_params.anReaction[1]);
        // Mended: the 16-bit counter is compared with >= and never wraps.
        node->m_nCounter = static_cast<int16_t>(std::min(node->m_nCounter + 10, 32767));
        if (node->m_nCounter >= m_params.nBurnOutTime)
            node->m_fValue = 0.0f;
        break;
    }
    case 2: {
        int f = SimRand() % 100;
        double e = f < c * 33 ? 2.0 * g[1] : f < c * 66 ? g[1] : 0.0;
        node->m_nCounter = 0;
        node->m_fValue = static_cast<float>(static_cast<double>(intensity) + e);
        ReactToFire(node, m_params.anReaction[1]);
        break;
    }
    case 1: {
        double e = c * 50 > SimRand() % 100 ? g[0] : 0.0;
        node->m_nCounter = 0;
        node->m_fValue = static_cast<float>(static_cast<double>(intensity) + e);
        ReactToFire(node, m_params.anReaction[0]);
        break;
    }
    default:
        node->m_fValue = 0.0f;
        node->m_nCounter = 0;
        break;
    }
}

void CIncidentWorld::SpreadHazard(CIncidentNode* node)
{
    int band = Band(node->m_fValue);
    if (band == 0)
        return;
    int c = m_params.anSpread[band - 1];
    if (c <= 0)
        return;
    for (int i = 0; i < 4; ++i) {
        CPathTile* n = m_pGrid->GetNeighbour(node->m_pTile, i);
        if (!n || (n->m_nFlags & (kTileFire | kTileBurnt)) || FireAt(n))
            continue;
        int d = m_params.anResistance[TerrainCode(n)];
        if (i == m_nDownwind)
            c += static_cast<int>(std::clamp(static_cast<double>(m_nWindSpeed) * m_params.fWindFactor, -1.0e6, 1.0e6));
        if (SimRand() % 100 < std::max(c - d, 0)) {
            int intensity = ((100 - d) / 20 + SimRand() % 2) * 5;
            // Mended: the tile was marked pending even when the full batch refused the ignition.
            if (PushIgnition(n->m_nX, n->m_nY, static_cast<float>(intensity)))
                n->m_nFlags |= kTileFire;
        }
    }
}

void CIncidentWorld::UpdateFire(CIncidentNode* node)
{
    CPathTile* tile = node->m_pTile;
    int band = Band(node->m_fValue);
    if (band > 0) {
        int stage = band;
        if (stage != node->m_byStage) {
            SetNodeSprite(node, FireKindOfStage(stage));
            node->m_byStage = static_cast<uint8_t>(stage);
            RefreshTile(tile);
        }
    } else {
        if (node->m_byStage == 3 && tile) {
            tile->m_nFlags |= kTileBurnt;
            AddObject(tile, tile->m_abyCosts[kCost] != 255 ? kIncBurntFeature : kIncBurntGround, 0.0f, 0, false);
        }
        if (tile)
            tile->m_nFlags &= ~kTileFire;
        DeleteNode(m_fires, node, kSlotFire);
        --m_nFireCount;
    }
    UpdateFireSound();
}

void CIncidentWorld::ChemicalStep(CIncidentNode* node)
{
    double a0 = node->m_fValue;
    node->m_fValue = static_cast<float>(a0 - (a0 * m_params.fSpillDecay1 + a0 * m_params.fSpillDecay2));
    Flow(node, static_cast<float>(a0 * m_params.fFlowThresholdFactor + m_params.fFlowThresholdBase));
    Charge(kCostSpill);
}

void CIncidentWorld::Flow(CIncidentNode* node, float threshold)
{
    float amount = static_cast<float>(static_cast<double>(m_params.fFlowAmountFactor) * node->m_fValue);
    if (!(amount > threshold))
        return;
    CPathTile* neighbours[4];
    int weights[4];
    int sum = 0;
    for (int i = 0; i < 4; ++i) {
        CPathTile* n = m_pGrid->GetNeighbour(node->m_pTile, i);
        neighbours[i] = n;
        weights[i] = 0;
        if (!n || n->m_abyCosts[kCost] == 255)
            continue;
        CIncidentNode* other = ChemicalAt(n);
        if (other && (other->m_byStage & (1 << ((i + 2) & 3))))
            continue;
        weights[i] = m_params.anFlowWeight[TerrainCode(n)];
        if (weights[i] > 0)
            sum += weights[i];
    }
    if (sum <= 0)
        return;
    for (int i = 0; i < 4; ++i) {
        if (weights[i] == 0)
            continue;
        CPathTile* n = neighbours[i];
        float share = static_cast<float>(static_cast<double>(weights[i]) / sum * amount);
        if (!(share > 1.5f))
            continue;
        bool moved = false;
        if (CIncidentNode* other = ChemicalAt(n)) {
            other->m_fValue = static_cast<float>(static_cast<double>(other->m_fValue) + share);
            moved = true;
        } else if (n->m_nFlags & kTileSpillPending) {
            moved = PushSpill(n->m_nX, n->m_nY, share, false, true);
        } else if (PushSpill(n->m_nX, n->m_nY, share, false, false)) {
            n->m_nFlags |= kTileSpillPending;
            moved = true;
        }
        // Mended: a refused entry no longer takes its share from the source (the amount was lost).
        if (moved) {
            node->m_fValue = static_cast<float>(static_cast<double>(node->m_fValue) - share);
            node->m_byStage = static_cast<uint8_t>(node->m_byStage | (1 << i));
        }
    }
}

void CIncidentWorld::UpdateChemical(CIncidentNode* node)
{
    CPathTile* tile = node->m_pTile;
    if (node->m_fValue <= 1.0f) {
        if (tile) {
            if (!(tile->m_nFlags & kTileResidue)) {
                AddObject(tile, kIncResidue, 0.0f, 0, false);
                tile->m_nFlags |= kTileResidue;
            }
            tile->m_nFlags &= ~kTileSpillPending;
        }
        DeleteNode(m_chemicals, node, kSlotChemical);
        --m_nSpillCount;
    }
    UpdateChemicalSound();
}

void CIncidentWorld::ObjectStep()
{
    int waterLeaks = 0;
    for (CIncidentNode* node = m_objects.Head(); node;) {
        // An explosion below sends the batch, which may remove this node: keep the next one first.
        CIncidentNode* next = node->m_pNext;
        CPathTile* tile = node->m_pTile;
        int type = node->m_nType;
        if (!tile || (node->IsHidden() && type != kIncBomb)) {
            node = next;
            continue;
        }
        switch (type) {
        case kIncWaterLeak:
            ++waterLeaks;
            Charge(kCostWaterLeak);
            break;
        case kIncElectrical:
            if (!(tile->m_nFlags & (kTileFire | kTileBurnt)) && !FireAt(tile) && SimRand() % 100 < 2) {
                int intensity = SimRand() % 3 * 5 + 5;
                if (PushIgnition(tile->m_nX, tile->m_nY, static_cast<float>(intensity)))
                    tile->m_nFlags |= kTileFire;
            }
            Charge(kCostElectrical);
            break;
        case kIncGasLeak: {
            Charge(kCostGasLeak);
            int size = node->m_fValue == 0.0f ? 0 : node->m_fValue == 1.0f ? 1 : 2;
            const int chance[3] = {1, 3, 6};
            if (SimRand() % 100 < chance[size]) {
                PushHazard(tile->m_nX, tile->m_nY, -1, 0.0f, 0, false);
                Stat(kStatGasExplosions);
                ApplyIncidentType(size, tile->m_nX, tile->m_nY, true, false);
            }
            break;
        }
        case kIncBomb:
            if (node->m_nCounter > 0 && --node->m_nCounter == 0) {
                int size = node->m_fValue == 0.0f ? 0 : node->m_fValue == 1.0f ? 1 : 2;
                // Mended: the bomb stayed on the map after it went off; it is removed as a gas leak is.
                PushHazard(tile->m_nX, tile->m_nY, -1, 0.0f, 0, false);
                ApplyIncidentType(size, tile->m_nX, tile->m_nY, true, false);
            }
            break;
        default:
            break;
        }
        node = next;
    }
    SendEventBatch();
    double supply = 1.0;
    double part = 0.25;
    for (int i = 0; i < waterLeaks; ++i, part *= 0.5)
        supply -= part;
    m_fWaterSupply = static_cast<float>(std::max(supply, 0.0));
}

void CIncidentWorld::EndScenario()
{
    for (CIncidentNode* node = m_objects.Head(); node; node = node->m_pNext) {
        switch (node->m_nType) {
        case kIncDebris:
            Charge(kCostDebris);
            break;
        case kIncBurntGround:
            Charge(kCostBurntGround);
            break;
        case kIncBurntFeature:
            Charge(kCostBurntFeature);
            break;
        case kIncResidue:
            Charge(kCostResidue);
            break;
        default:
            break;
        }
    }
    SendSound(-1);
}
