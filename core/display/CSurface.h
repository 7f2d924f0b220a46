// One drawing surface: 16-bit pixels with a source colour key, blits, fills, a device context and locking.
#pragma once

#include "core/display/CSurfaceDesc.h"
#include "core/display/DDrawTypes.h"
#include "platform/display/PixelSurface.h"

#include <memory>

namespace platform::gdi {
class DeviceContext;
struct Bitmap;
} // namespace platform::gdi

class CSurface {
public:
    explicit CSurface(bool directDraw7 = true);
    virtual ~CSurface();
    CSurface(const CSurface&) = delete;
    CSurface& operator=(const CSurface&) = delete;

    // Makes the pixels the description asks for (DDSD_WIDTH and DDSD_HEIGHT; DDSD_CKSRCBLT sets the key).
    HRESULT Create(const CSurfaceDesc& desc);
    // Frees the pixels; the wrapper can be deleted or created again.
    HRESULT Release();
    // Our surfaces are never lost.
    HRESULT Restore() { return IsCreated() ? DD_OK : DDERR_INVALIDOBJECT; }
    bool IsLost() const { return false; }

    // A device context for GDI drawing, until ReleaseDC. One at a time; not while locked.
    HRESULT GetDC(platform::gdi::DeviceContext** dc);
    HRESULT ReleaseDC(platform::gdi::DeviceContext* dc);

    // Gives the pixels of the rectangle (whole surface for null) in desc: lpSurface, lPitch, size, format.
    HRESULT Lock(const RECT* rect, CSurfaceDesc* desc, uint32_t flags = DDLOCK_WAIT, void* event = nullptr);
    HRESULT Unlock(const RECT* rect);
    HRESULT GetSurfaceDesc(CSurfaceDesc* desc) const;

    // DDCKEY_SRCBLT with a single value (or a range with DDCKEY_COLORSPACE); null key removes it.
    HRESULT SetColorKey(uint32_t flags, const DDCOLORKEY* key);
    bool HasColorKey() const { return m_bHasKey; }

    // Copies src's rectangle onto this one's (whole surfaces for null), scaling when the sizes differ;
    // DDBLT_KEYSRC applies src's key; DDBLT_COLORFILL with null src fills with fx->dwFillColor.
    HRESULT Blt(const RECT* destRect, CSurface* src, const RECT* srcRect, uint32_t flags, const DDBLTFX* fx);
    // Copies src's rectangle 1:1 with its top-left at (x, y); the key applies only with DDBLTFAST_SRCCOLORKEY.
    // Both rectangles are clipped to their surfaces.
    HRESULT BltFast(int x, int y, CSurface* src, const RECT* srcRect, uint32_t flags);
    HRESULT Flip() { return IsCreated() ? DD_OK : DDERR_INVALIDOBJECT; }

    // Copies the bitmap's rectangle (x, y, width, height; 0 takes the bitmap's size) onto the whole surface.
    HRESULT DrawBitmap(const platform::gdi::Bitmap* bitmap, int x, int y, int width, int height);

    bool IsCreated() const { return m_pSurface != nullptr; }
    bool IsDirectDraw7() const { return m_bDirectDraw7; }
    int GetWidth() const { return m_pSurface ? m_pSurface->Width() : 0; }
    int GetHeight() const { return m_pSurface ? m_pSurface->Height() : 0; }
    // The pixels themselves (null until created), for presenting, tests and tools.
    platform::PixelSurface* GetPixels() { return m_pSurface.get(); }
    const platform::PixelSurface* GetPixels() const { return m_pSurface.get(); }

private:
    std::unique_ptr<platform::PixelSurface> m_pSurface;
    bool m_bDirectDraw7;
    bool m_bHasKey = false;
    platform::PixelKey m_key;
    bool m_bLocked = false;
    std::unique_ptr<platform::gdi::DeviceContext> m_pDC;
};
