// Display start-up, clearing and presenting, colour matching and the art-surface loaders.
#include "core/display/CDisplay.h"

#include "platform/display/PresentTarget.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/system/MessageBox.h"

namespace {

constexpr uint32_t kSystemSurfaceFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
constexpr uint32_t kSystemSurfaceCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;

} // namespace

CDisplay::CDisplay(platform::IPresentTarget* window, int width, int height, int bitsPerPixel, COLORREF clearColour,
                   bool windowed)
    : m_pWindow(window), m_bWindowed(windowed)
{
    if (window) {
        SIZE client = window->ClientSize();
        POINT origin = window->ClientOrigin();
        m_rcWindow = RECT{origin.x, origin.y, origin.x + client.cx, origin.y + client.cy};
    } else {
        m_rcWindow = RECT{0, 0, width, height};
    }
    m_rcBackBuffer = m_rcBackBufferCopy = RECT{0, 0, width, height};

    // Only 16-bit 5-6-5 pictures are drawn; any other depth is a failed mode change.
    if (bitsPerPixel != 16) {
        platform::ShowMessageBox("Direct Draw failed setting the display mode.\n", "MAIN_WINDOW",
                                 platform::MessageIcon::Error);
        return;
    }
    m_pPrimary = new CSurface(m_bDirectDraw7);
    CSurfaceDesc primaryDesc(m_bDirectDraw7, kSystemSurfaceFlags, DDSCAPS_PRIMARYSURFACE, width, height, 0);
    HRESULT hr = m_pPrimary->Create(primaryDesc);
    if (hr != DD_OK) {
        m_errorLog.LogError(hr, m_pWindow, "create surface(primary)failed");
        delete m_pPrimary;
        m_pPrimary = nullptr;
        platform::ShowMessageBox("create surface(primary)failed", "MAIN_WINDOW", platform::MessageIcon::Error);
        return;
    }
    m_pBackBuffer = new CSurface(m_bDirectDraw7);
    CSurfaceDesc backDesc(m_bDirectDraw7, kSystemSurfaceFlags | DDSD_CKSRCBLT, DDSCAPS_OFFSCREENPLAIN, width, height,
                          0);
    hr = m_pBackBuffer->Create(backDesc);
    if (hr != DD_OK) {
        m_errorLog.LogError(hr, m_pWindow, "create surface(secondary)failed");
        delete m_pBackBuffer;
        m_pBackBuffer = nullptr;
        m_pPrimary->Release();
        delete m_pPrimary;
        m_pPrimary = nullptr;
        platform::ShowMessageBox("create surface(secondary)failed", "MAIN_WINDOW", platform::MessageIcon::Error);
        return;
    }
    m_fillFx = DDBLTFX{};
    m_fillFx.dwSize = 100;
    m_fillFx.dwFillColor = ColorMatch(m_pBackBuffer, clearColour);
}

CDisplay::~CDisplay()
{
    if (m_pPrimary) {
        m_pPrimary->Release();
        delete m_pPrimary;
    }
    if (m_pBackBuffer) {
        m_pBackBuffer->Release();
        delete m_pBackBuffer;
    }
}

HRESULT CDisplay::Present()
{
    // Old behaviour: a display that failed to start still presented its missing surfaces.
    if (!m_pBackBuffer || !m_pPrimary)
        return DDERR_NOTINITIALIZED;
    HRESULT hr = m_pPrimary->BltFast(0, 0, m_pBackBuffer, &m_rcBackBuffer, DDBLTFAST_NOCOLORKEY);
    if (hr == DD_OK && m_pWindow) {
        std::string error;
        if (!m_pWindow->Present(*m_pPrimary->GetPixels(), &error))
            hr = E_FAIL;
    }
    if (hr != DD_OK)
        m_errorLog.LogError(hr, m_pWindow, "Flipping front to back");
    return hr;
}

HRESULT CDisplay::Clear(bool flag)
{
    if (!flag)
        return DD_OK;
    if (!m_pBackBuffer)
        return DDERR_NOTINITIALIZED;
    HRESULT hr = m_pBackBuffer->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &m_fillFx);
    if (hr != DD_OK)
        m_errorLog.LogError(hr, m_pWindow, "primary clear");
    return hr;
}

HRESULT CDisplay::UpdateBounds(platform::IPresentTarget* window, int x, int y)
{
    if (!m_bWindowed)
        return DD_OK;
    if (window)
        m_pWindow = window;
    int w = m_rcWindow.right - m_rcWindow.left, h = m_rcWindow.bottom - m_rcWindow.top;
    m_rcWindow = RECT{x, y, x + w, y + h};
    return DD_OK;
}

uint32_t CDisplay::ColorMatch(CSurface* surface, COLORREF colour)
{
    if (!surface || !surface->IsCreated())
        return CLR_INVALID;
    // Let the GDI put the colour into pixel (0, 0), read the stored value, then put the old pixel back.
    COLORREF saved = CLR_INVALID;
    platform::gdi::DeviceContext* dc = nullptr;
    if (colour != CLR_INVALID && surface->GetDC(&dc) == DD_OK) {
        saved = dc->GetPixel(0, 0);
        dc->SetPixel(0, 0, colour);
        surface->ReleaseDC(dc);
    }
    uint32_t result = CLR_INVALID;
    CSurfaceDesc desc;
    HRESULT hr;
    while ((hr = surface->Lock(nullptr, &desc, 0, nullptr)) == DDERR_WASSTILLDRAWING) {
    }
    if (hr == DD_OK) {
        const DDSURFACEDESC2* d = desc.GetDesc();
        uint32_t bits = d->ddpfPixelFormat.dwRGBBitCount;
        uint32_t value = *static_cast<const uint16_t*>(d->lpSurface);
        result = bits >= 32 ? value : (value & ((1u << bits) - 1));
        surface->Unlock(nullptr);
    }
    if (colour != CLR_INVALID && surface->GetDC(&dc) == DD_OK) {
        dc->SetPixel(0, 0, saved);
        surface->ReleaseDC(dc);
    }
    return result;
}

CSurface* CDisplay::NewSystemSurface(int width, int height)
{
    auto* surface = new CSurface(m_bDirectDraw7);
    CSurfaceDesc desc(m_bDirectDraw7, kSystemSurfaceFlags, kSystemSurfaceCaps, width, height, 0);
    if (width <= 0 || height <= 0 || surface->Create(desc) != DD_OK) {
        platform::DebugOutput("CreateSurface() failed!\n");
        delete surface;
        return nullptr;
    }
    return surface;
}

CSurface* CDisplay::BitmapToSurface(const std::string& path, int* width, int* height, bool report)
{
    platform::gdi::Bitmap bitmap;
    if (!platform::gdi::LoadBitmapFile(path, bitmap)) {
        if (report) {
            // Old behaviour: formatted into a 260-character buffer, overrun by long paths.
            m_strMessage = " Couldn't load " + path + "\n";
            platform::ReportUnloadableFile(path, "BitmapToSurface");
        }
        return nullptr;
    }
    int w = width ? *width : 0, h = height ? *height : 0;
    if (w == 0)
        w = bitmap.width;
    if (h == 0)
        h = bitmap.height;
    if (width)
        *width = w;
    if (height)
        *height = h;
    CSurface* surface = NewSystemSurface(w, h);
    if (!surface)
        return nullptr;
    surface->DrawBitmap(&bitmap, 0, 0, w, h);
    return surface;
}

CSurface* CDisplay::CreateTileSurface(CSurface* sheet, int row, int column, int size)
{
    if (!sheet || size <= 0)
        return nullptr;
    CSurface* tile = NewSystemSurface(size, size);
    if (!tile)
        return nullptr;
    RECT from{column * size, row * size, column * size + size, row * size + size};
    if (from.left < 0 || from.top < 0 || from.right > sheet->GetWidth() || from.bottom > sheet->GetHeight() ||
        tile->Blt(nullptr, sheet, &from, DDBLT_WAIT, nullptr) != DD_OK) {
        tile->Release();
        delete tile;
        return nullptr;
    }
    return tile;
}

CSurface* CDisplay::CreateKeyedSurface(CSurface* source, int width, int height)
{
    if (!source)
        return nullptr;
    CSurface* keyed = NewSystemSurface(width, height);
    if (!keyed)
        return nullptr;
    keyed->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &m_fillFx);
    DDCOLORKEY key{ColorMatch(keyed, RGB(255, 0, 255)), RGB(255, 0, 255)};
    keyed->SetColorKey(DDCKEY_SRCBLT, &key);
    // A source smaller than the asked size gives what it has; the rest keeps the fill colour.
    RECT from{0, 0, width, height};
    keyed->BltFast(0, 0, source, &from, DDBLTFAST_NOCOLORKEY);
    return keyed;
}
