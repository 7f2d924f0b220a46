// The tile map's art: tile sheets, the area-map bitmap, the view cache and drawing the view.
#include "core/display/CDisplay.h"
#include "core/world/Map2DLinked.h"
#include "platform/system/Paths.h"

#include <algorithm>

namespace {
void DeleteSurface(CSurface*& surface)
{
    if (surface) {
        surface->Release();
        delete surface;
        surface = nullptr;
    }
}
} // namespace

void CMap2DLinked::ReleaseArt()
{
    for (CTileArtSet*& set : m_apArtSets) {
        if (!set)
            continue;
        for (CSurface*& tile : set->m_apTiles)
            DeleteSurface(tile);
        delete set;
        set = nullptr;
    }
    m_ppCurrentTiles = nullptr;
    DeleteSurface(m_pMapBitmap);
    DeleteSurface(m_pViewCache);
}

CTileArtSet* CMap2DLinked::BuildArtSet(const std::string& path, int tileSize)
{
    auto* set = new CTileArtSet();
    set->m_nTileSize = tileSize;
    set->m_nSheetSize = 16 * tileSize;
    set->m_nTileShift = 0;
    while (((tileSize >> set->m_nTileShift) & 1) == 0)
        ++set->m_nTileShift;
    if (!m_pDisplay)
        return set;
    // The sheet is taken 1:1 and cropped to 16 x 16 tiles.
    int width = set->m_nSheetSize;
    int height = set->m_nSheetSize;
    CSurface* sheet = m_pDisplay->BitmapToSurface(path, &width, &height, true);
    if (!sheet)
        return set;
    for (int n = 0; n < 256; ++n)
        set->m_apTiles[n] = m_pDisplay->CreateTileSurface(sheet, n / 16, n % 16, tileSize);
    DeleteSurface(sheet);
    return set;
}

void CMap2DLinked::Initialize(int viewWidth, int viewHeight, const std::string& art8File, const std::string& art32File,
                              const std::string& tileTypeFile, CDisplay* display, const std::string& baseDirectory)
{
    ReleaseArt();
    FreeTileTypes();
    m_pDisplay = display;
    m_nViewWidth = viewWidth;
    m_nViewHeight = viewHeight;
    m_nFlags |= 1;
    m_nMapBitmapWidth = m_nMapBitmapHeight = 0;
    m_nTileSize = 32;
    m_nTileShift = 5;
    m_nArtSetCount = 2;
    std::string artFolder = platform::JoinPath(baseDirectory, "Art");
    m_apArtSets[0] = BuildArtSet(platform::JoinPath(artFolder, art32File), 32);
    m_apArtSets[1] = BuildArtSet(platform::JoinPath(artFolder, art8File), 8);
    LoadTileTypes(platform::JoinPath(baseDirectory, tileTypeFile));
    ApplyZoomSize(Zoom());
    if (display) {
        const RECT& size = display->GetBackBufferRect();
        m_nViewCacheWidth = size.right - size.left;
        m_nViewCacheHeight = size.bottom - size.top;
        CSurfaceDesc desc(true, DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY,
                          m_nViewCacheWidth, m_nViewCacheHeight, 0);
        m_pViewCache = new CSurface(true);
        if (m_pViewCache->Create(desc) != DD_OK)
            DeleteSurface(m_pViewCache);
    }
}

bool CMap2DLinked::LoadAreaMapBitmap(const std::string& baseDirectory, const std::string& name, bool pathAsGiven)
{
    CDisplay* display = m_pDisplay;
    if (!display)
        return false;
    std::string path = pathAsGiven ? baseDirectory
                                   : platform::JoinPath(platform::JoinPath(baseDirectory, "Maps"),
                                                        name.empty() ? std::string("AreaMap.bmp") : name);
    int width = 0;
    int height = 0;
    CSurface* bitmap = display->BitmapToSurface(path, &width, &height, false);
    if (!bitmap)
        return false;
    DeleteSurface(m_pMapBitmap);
    m_pMapBitmap = bitmap;
    m_nMapBitmapWidth = width;
    m_nMapBitmapHeight = height;
    return true;
}

void CMap2DLinked::RenderView(const RECT& view)
{
    int columns = m_nViewWidth >> m_nTileShift;
    int rows = m_nViewHeight >> m_nTileShift;
    int firstColumn = std::max(view.left >> m_nTileShift, 0);
    int firstRow = std::max(view.top >> m_nTileShift, 0);
    if (m_MapInfo.MapXTiles <= 0 || m_MapInfo.MapYTiles <= 0)
        return;
    for (int r = 0; r < rows; ++r) {
        // The walk stays on the last cell where the grid ends.
        int row = std::min(firstRow + r, m_MapInfo.MapYTiles - 1);
        for (int c = 0; c < columns; ++c) {
            int column = std::min(firstColumn + c, m_MapInfo.MapXTiles - 1);
            CMapCell* cell = GetCell(row, column);
            int type = cell ? cell->m_nTileIndex : -1;
            CSurface* tile = (m_ppCurrentTiles && type >= 0 && type < kTileTypes) ? m_ppCurrentTiles[type] : nullptr;
            if (m_pViewCache->BltFast(c << m_nTileShift, r << m_nTileShift, tile, nullptr, DDBLTFAST_NOCOLORKEY) !=
                DD_OK)
                return; // a failed copy stops the rendering
        }
    }
}

int CMap2DLinked::Draw(const RECT& view, CSurface* target)
{
    if (!m_pViewCache || !target)
        return DDERR_INVALIDOBJECT;
    if (m_nFlags & 1) {
        m_nFlags &= ~1;
        RenderView(view);
    }
    return target->BltFast(0, 0, m_pViewCache, nullptr, DDBLTFAST_NOCOLORKEY);
}

int CMap2DLinked::DrawAreaMapBitmap(CSurface* target)
{
    if (!m_pMapBitmap || !target)
        return DD_OK;
    return target->BltFast(0, 0, m_pMapBitmap, nullptr, DDBLTFAST_NOCOLORKEY);
}
