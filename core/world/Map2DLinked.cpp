// The tile map: grid storage, tile-type table, view arithmetic and lookups.
#include "core/world/Map2DLinked.h"

#include "core/persist/DataRange.h"
#include "core/persist/QFArchive.h"
#include "core/world/WorldContext.h"
#include "platform/system/MessageBox.h"
#include "platform/system/Paths.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>

QF_IMPLEMENT_SERIAL(CMap2DLinked, 1)

CMap2DLinked::CMap2DLinked() = default;

CMap2DLinked::~CMap2DLinked()
{
    FreeGrid();
    FreeTileTypes();
    ReleaseArt();
    if (GetCurrentMap() == this)
        SetCurrentMap(nullptr);
}

void CMap2DLinked::FreeGrid()
{
    m_pCells.reset();
    m_nCells = 0;
    m_pGridHead = nullptr;
    m_MapInfo = CMapInfo();
}

void CMap2DLinked::FreeTileTypes()
{
    for (CTileType*& type : m_apTileTypes) {
        delete type;
        type = nullptr;
    }
}

const CTileType* CMap2DLinked::GetTileType(int index) const
{
    if (index < 0 || index >= kTileTypes)
        return nullptr;
    return m_apTileTypes[index];
}

// ---- tile types ----

bool CMap2DLinked::LoadTileTypes(const std::string& path)
{
    if (!path.empty())
        m_strTileTypeFile = path;
    FILE* file = platform::OpenFile(m_strTileTypeFile, "r");
    if (!file) {
        std::string text = " Couldn't load " + m_strTileTypeFile;
        platform::ShowMessageBox(text, "CMap2DLinked");
        platform::DebugOutput(text);
        return false;
    }
    ReadTileTypes(file);
    std::fclose(file);
    return true;
}

namespace {

// Path costs 0 to 255 (0 = a sub-tile's share of the whole), sight costs 0 to 65535 (-1 = a sub-tile's share).
void RangeTileCosts(CListRange& range, int line, CTileType& type)
{
    for (int i = 0; i < 17; ++i) {
        const std::string cost = "cost " + std::to_string(i + 1), sight = "sight cost " + std::to_string(i + 1);
        type.m_anCost[i] = range.Int(line, cost.c_str(), type.m_anCost[i], 0, 255);
        type.m_anLOS[i] = range.Int(line, sight.c_str(), type.m_anLOS[i], -1, 65535);
    }
}

} // namespace

void CMap2DLinked::ReadTileTypes(FILE* file)
{
    char text[4096];
    static const char* const kSeventeen = "%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,";
    text[0] = '\0';
    if (std::fscanf(file, "%4095[^\n]\n", text) < 0)
        return;
    CListRange range(m_strTileTypeFile);
    for (int row = 0; row < kTileTypes; ++row) {
        int index = -1;
        char name[4096];
        name[0] = '\0';
        if (std::fscanf(file, "%d,", &index) < 0)
            break;
        if (std::fscanf(file, "%4095[^,]", name) < 0 || name[0] == '\0')
            break;
        // A row whose index has no slot is read and dropped.
        CTileType scratch;
        CTileType* record = &scratch;
        if (index >= 0 && index < kTileTypes) {
            if (!m_apTileTypes[index])
                m_apTileTypes[index] = new CTileType();
            record = m_apTileTypes[index];
        }
        std::strncpy(record->m_szName, name, CTileType::kNameSize - 1);
        record->m_szName[CTileType::kNameSize - 1] = '\0';
        [[maybe_unused]] int r = std::fscanf(file, ",");
        int32_t* c = record->m_anCost;
        r = std::fscanf(file, kSeventeen, &c[0], &c[1], &c[2], &c[3], &c[4], &c[5], &c[6], &c[7], &c[8], &c[9], &c[10],
                        &c[11], &c[12], &c[13], &c[14], &c[15], &c[16]);
        int32_t* l = record->m_anLOS;
        r = std::fscanf(file, kSeventeen, &l[0], &l[1], &l[2], &l[3], &l[4], &l[5], &l[6], &l[7], &l[8], &l[9], &l[10],
                        &l[11], &l[12], &l[13], &l[14], &l[15], &l[16]);
        // Old behaviour: any int was taken, though the path cost is a byte and the sight cost 16 bits.
        if (record != &scratch)
            RangeTileCosts(range, row + 2, *record);
        r = std::fscanf(file, "%4095[^\n]\n", text);
    }
    // Sub-tiles left unset take a quarter of the whole tile's value.
    for (CTileType* type : m_apTileTypes) {
        if (!type)
            continue;
        for (int i = 1; i < 17; ++i) {
            if (type->m_anCost[i] == 0)
                type->m_anCost[i] = type->m_anCost[0] / 4;
            if (type->m_anLOS[i] == -1)
                type->m_anLOS[i] = type->m_anLOS[0] / 4;
        }
    }
}

// ---- view ----

int CMap2DLinked::Zoom() const
{
    return m_pModeRecord ? m_pModeRecord->m_nZoom : 0;
}
int CMap2DLinked::ViewMode() const
{
    return m_pModeRecord ? m_pModeRecord->m_nViewMode : 0;
}

void CMap2DLinked::SetViewSize(int width, int height)
{
    m_nViewWidth = width;
    m_nViewHeight = height;
    m_nFlags |= 1;
}

void CMap2DLinked::ApplyZoomSize(int zoom)
{
    if (zoom != 0 && zoom != 1)
        return; // there are two art sets; keep the current size
    if (CTileArtSet* set = m_apArtSets[zoom]) {
        m_nTileSize = set->m_nTileSize;
        m_nTileShift = set->m_nTileShift;
        m_ppCurrentTiles = set->m_apTiles;
    } else {
        m_nTileSize = zoom == 0 ? 32 : 8;
        m_nTileShift = zoom == 0 ? 5 : 3;
        m_ppCurrentTiles = nullptr;
    }
    m_MapInfo.MapWidth = m_MapInfo.MapXTiles * m_nTileSize;
    m_MapInfo.MapHeight = m_MapInfo.MapYTiles * m_nTileSize;
}

int CMap2DLinked::SetZoom(RECT* rect)
{
    int zoom = Zoom();
    ApplyZoomSize(zoom);
    if (rect)
        ClampView(rect);
    return zoom;
}

void CMap2DLinked::ClampView(RECT* rect)
{
    if (ViewMode() == 1) {
        *rect = RECT{0, 0, m_nViewWidth, m_nViewHeight};
        return;
    }
    int hw = m_nViewWidth / 2;
    int hh = m_nViewHeight / 2;
    if (m_nViewCenterX < hw)
        m_nViewCenterX = hw;
    else if (m_nViewCenterX > m_MapInfo.MapWidth - hw)
        m_nViewCenterX = m_MapInfo.MapWidth - hw;
    if (m_nViewCenterY < hh)
        m_nViewCenterY = hh;
    else if (m_nViewCenterY > m_MapInfo.MapHeight - hh)
        m_nViewCenterY = m_MapInfo.MapHeight - hh;
    rect->left = m_nViewCenterX - hw;
    rect->top = m_nViewCenterY - hh;
    rect->right = m_nViewCenterX + m_nViewWidth - hw;
    rect->bottom = m_nViewCenterY + m_nViewHeight - hh;
    m_nFlags |= 1;
}

void CMap2DLinked::ScrollByTiles(RECT* rect, int dx, int dy)
{
    m_nViewCenterX += dx * m_nTileSize;
    m_nViewCenterY += dy * m_nTileSize;
    ClampView(rect);
}

void CMap2DLinked::CenterViewAt(RECT* rect, int x, int y)
{
    int hw = m_nViewWidth / 2;
    int hh = m_nViewHeight / 2;
    m_nViewCenterX = hw + m_nTileSize * ((x - hw) / m_nTileSize);
    m_nViewCenterY = hh + m_nTileSize * ((y - hh) / m_nTileSize);
    ClampView(rect);
}

bool CMap2DLinked::ViewToWorld(const RECT& rect, int viewX, int viewY, int* worldX, int* worldY) const
{
    int zoom = Zoom();
    if (zoom == 0) {
        *worldX = viewX + rect.left;
        *worldY = viewY + rect.top;
    } else if (zoom == 1) {
        *worldX = (viewX + rect.left) * 4;
        *worldY = (viewY + rect.top) * 4;
    }
    return true;
}

bool CMap2DLinked::WorldToView(const RECT& rect, int* viewX, int* viewY, int worldX, int worldY) const
{
    int zoom = Zoom();
    if (zoom == 1) {
        worldX >>= 2;
        worldY >>= 2;
    }
    if (zoom == 0 || zoom == 1) {
        *viewX = worldX - rect.left;
        *viewY = worldY - rect.top;
    }
    return true;
}

// ---- lookups ----

CMapCell* CMap2DLinked::GetCell(int row, int column) const
{
    // Negative rows and columns are outside the grid too.
    if (row < 0 || column < 0 || row >= m_MapInfo.MapYTiles || column >= m_MapInfo.MapXTiles)
        return nullptr;
    size_t at = static_cast<size_t>(row) * static_cast<size_t>(m_MapInfo.MapXTiles) + static_cast<size_t>(column);
    return at < m_nCells ? &m_pCells[at] : nullptr;
}

int CMap2DLinked::GetTileIndex(int row, int column) const
{
    CMapCell* cell = GetCell(row, column);
    return cell ? cell->m_nTileIndex : -1;
}

int CMap2DLinked::GetTileIndexAtPixel(int x, int y) const
{
    if (x < 0 || y < 0)
        return -1;
    return GetTileIndex(y >> 5, x >> 5);
}

namespace {
// Bucket (0-4) of a tile type for an edge, or -1 when it goes in none.
int EdgeBucket(int edge, int type)
{
    static const int kOwn[4] = {14, 12, 15, 13};
    bool horizontal = edge == 0 || edge == 4;
    if (type == kOwn[edge / 2])
        return 0;
    if (type == (horizontal ? 11 : 10))
        return 1;
    if (type == (horizontal ? 29 : 28))
        return 2;
    if (type >= 8 && type <= 75)
        return 3;
    if (type >= 0 && type <= 7)
        return 4;
    return -1;
}
} // namespace

CMapCell* CMap2DLinked::PickEdgeTile(int edge, int (*random)()) const
{
    if (edge != 0 && edge != 2 && edge != 4 && edge != 6)
        return nullptr;
    int columns = m_MapInfo.MapXTiles;
    int rows = m_MapInfo.MapYTiles;
    if (columns <= 0 || rows <= 0)
        return nullptr;
    CMapCell* buckets[5][20] = {};
    int counts[5] = {};
    int length = (edge == 0 || edge == 4) ? columns : rows;
    for (int i = 0; i < length; ++i) {
        CMapCell* cell = edge == 0   ? GetCell(0, i)
                         : edge == 2 ? GetCell(i, columns - 1)
                         : edge == 4 ? GetCell(rows - 1, i)
                                     : GetCell(i, 0);
        if (!cell)
            continue;
        int b = EdgeBucket(edge, cell->m_nTileIndex);
        if (b < 0)
            continue;
        if (counts[b] < 20)
            buckets[b][counts[b]++] = cell;
        else
            buckets[b][random() % 20] = cell;
    }
    for (int b = 0; b < 5; ++b) {
        if (counts[b] > 0)
            return buckets[b][random() % counts[b]];
    }
    return nullptr;
}

// ---- grid ----

bool CMap2DLinked::BuildGrid(int columns, int rows, const std::vector<int>& tileTypes)
{
    FreeGrid();
    if (columns <= 0 || rows <= 0 || columns > kMaxTiles || rows > kMaxTiles)
        return columns == 0 || rows == 0;
    // One block for all cells: a map of a million cells is one allocation, not a million.
    m_nCells = static_cast<size_t>(columns) * static_cast<size_t>(rows);
    m_pCells.reset(new CMapCell[m_nCells]);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            size_t at = static_cast<size_t>(row) * static_cast<size_t>(columns) + static_cast<size_t>(column);
            CMapCell* cell = &m_pCells[at];
            cell->m_Position.m_nColumn = column;
            cell->m_Position.m_nRow = row;
            cell->m_nTileIndex = at < tileTypes.size() ? tileTypes[at] : 0;
            if (column > 0) {
                CMapCell* left = &m_pCells[at - 1];
                left->m_apLinks[2] = cell;
                cell->m_apLinks[6] = left;
            }
            if (row > 0) {
                CMapCell* above = &m_pCells[at - static_cast<size_t>(columns)];
                above->m_apLinks[4] = cell;
                cell->m_apLinks[0] = above;
            }
        }
    }
    m_pGridHead = &m_pCells[0];
    m_MapInfo.MapXTiles = columns;
    m_MapInfo.MapYTiles = rows;
    m_MapInfo.MapWidth = columns * m_nTileSize;
    m_MapInfo.MapHeight = rows * m_nTileSize;
    return true;
}

bool CMap2DLinked::CreateGrid(int columns, int rows, uint32_t seed)
{
    if (columns <= 0 || rows <= 0 || columns > kMaxTiles || rows > kMaxTiles)
        return BuildGrid(columns, rows, {});
    std::vector<int> types(static_cast<size_t>(columns) * static_cast<size_t>(rows));
    uint32_t state = seed;
    for (int& type : types) {
        state = state * 1664525u + 1013904223u;
        type = static_cast<int>((state >> 16) & 7u);
    }
    bool ok = BuildGrid(columns, rows, types);
    m_nFlags |= 1;
    return ok;
}

bool CMap2DLinked::CreateGrid(int columns, int rows)
{
    return CreateGrid(columns, rows, static_cast<uint32_t>(std::time(nullptr)));
}

void CMap2DLinked::SetTileIndex(int row, int column, int type)
{
    CMapCell* cell = GetCell(row, column);
    if (!cell || type < 0 || type >= kTileTypes)
        return;
    cell->m_nTileIndex = type;
    m_nFlags |= 1;
}

bool CMap2DLinked::LoadGrid(QFArchive* archive)
{
    int32_t columns = 0;
    int32_t rows = 0;
    QFSerializeValue(archive, &columns, "m_MapInfo.MapXTiles");
    QFSerializeValue(archive, &rows, "m_MapInfo.MapYTiles");
    FreeGrid();
    if (archive->Failed())
        return false;
    if (columns < 0 || rows < 0 || columns > kMaxTiles || rows > kMaxTiles) {
        archive->SetFailed("tile map size out of range");
        return false;
    }
    if (columns == 0 || rows == 0)
        return true;
    // Cells are made as their indexes are read, so a short file allocates no more than it holds.
    std::vector<int> types;
    for (int32_t i = 0, n = columns * rows; i < n; ++i) {
        int32_t type = 0;
        QFSerializeValue(archive, &type, "TileIndex");
        if (archive->Failed())
            return false;
        types.push_back(type);
    }
    return BuildGrid(columns, rows, types);
}

bool CMap2DLinked::Serialize(QFArchive* archive)
{
    QFBeginSection(archive, "BaseClass");
    QFSerializeBase::Serialize(archive);
    QFEndSection(archive, "BaseClass");
    QFSerializeVersion(archive, s_version);
    QFBeginSection(archive, "Members");
    bool ok = true;
    if (archive->IsStoring()) {
        int32_t columns = m_MapInfo.MapXTiles;
        int32_t rows = m_MapInfo.MapYTiles;
        QFSerializeValue(archive, &columns, "m_MapInfo.MapXTiles");
        QFSerializeValue(archive, &rows, "m_MapInfo.MapYTiles");
        for (int row = 0; row < rows; ++row) {
            for (int column = 0; column < columns; ++column) {
                int32_t type = GetTileIndex(row, column);
                QFSerializeValue(archive, &type, "TileIndex");
            }
        }
    } else {
        ok = LoadGrid(archive);
        ApplyZoomSize(Zoom());
    }
    QFEndSection(archive, "Members");
    return ok;
}
