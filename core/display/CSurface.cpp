// Surface operations over 16-bit pixels: create, blits with the colour-key rule, device contexts, locking.
#include "core/display/CSurface.h"

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DeviceContext.h"

namespace {

bool IsInverted(const RECT& r)
{
    return r.right < r.left || r.bottom < r.top;
}

} // namespace

CSurface::CSurface(bool directDraw7) : m_bDirectDraw7(directDraw7) {}

CSurface::~CSurface() = default;

HRESULT CSurface::Create(const CSurfaceDesc& desc)
{
    const DDSURFACEDESC2* d = desc.GetDesc();
    if (!(d->dwFlags & DDSD_WIDTH) || !(d->dwFlags & DDSD_HEIGHT) || d->dwWidth == 0 || d->dwHeight == 0)
        return DDERR_INVALIDPARAMS;
    if (d->dwWidth > static_cast<uint32_t>(platform::kMaxSurfaceSide) ||
        d->dwHeight > static_cast<uint32_t>(platform::kMaxSurfaceSide))
        return DDERR_OUTOFMEMORY;
    auto surface = std::make_unique<platform::PixelSurface>();
    if (!surface->Create(static_cast<int>(d->dwWidth), static_cast<int>(d->dwHeight)))
        return DDERR_OUTOFMEMORY;
    Release();
    m_pSurface = std::move(surface);
    if (d->dwFlags & DDSD_CKSRCBLT)
        SetColorKey(DDCKEY_SRCBLT, &d->ddckCKSrcBlt);
    return DD_OK;
}

HRESULT CSurface::Release()
{
    m_pDC.reset();
    m_pSurface.reset();
    m_bHasKey = false;
    m_bLocked = false;
    return DD_OK;
}

HRESULT CSurface::GetDC(platform::gdi::DeviceContext** dc)
{
    if (!dc)
        return DDERR_INVALIDPARAMS;
    *dc = nullptr;
    if (!m_pSurface)
        return DDERR_INVALIDOBJECT;
    if (m_pDC)
        return DDERR_DCALREADYCREATED;
    if (m_bLocked)
        return DDERR_SURFACEBUSY;
    m_pDC = std::make_unique<platform::gdi::DeviceContext>(*m_pSurface);
    *dc = m_pDC.get();
    return DD_OK;
}

HRESULT CSurface::ReleaseDC(platform::gdi::DeviceContext* dc)
{
    if (!m_pDC || dc != m_pDC.get())
        return DDERR_NODC;
    m_pDC.reset();
    return DD_OK;
}

HRESULT CSurface::Lock(const RECT* rect, CSurfaceDesc* desc, uint32_t flags, void* event)
{
    (void)flags;
    (void)event;
    if (!desc)
        return DDERR_INVALIDPARAMS;
    if (!m_pSurface)
        return DDERR_INVALIDOBJECT;
    if (m_bLocked || m_pDC)
        return DDERR_SURFACEBUSY;
    RECT r = rect ? *rect : m_pSurface->Bounds();
    if (IsInverted(r) || r.left < 0 || r.top < 0 || r.right > m_pSurface->Width() || r.bottom > m_pSurface->Height())
        return DDERR_INVALIDRECT;
    HRESULT hr = GetSurfaceDesc(desc);
    if (hr != DD_OK)
        return hr;
    desc->GetDesc()->lpSurface = m_pSurface->Row(r.top) + r.left;
    m_bLocked = true;
    return DD_OK;
}

HRESULT CSurface::Unlock(const RECT* rect)
{
    (void)rect;
    if (!m_bLocked)
        return DDERR_NOTLOCKED;
    m_bLocked = false;
    return DD_OK;
}

HRESULT CSurface::GetSurfaceDesc(CSurfaceDesc* desc) const
{
    if (!desc)
        return DDERR_INVALIDPARAMS;
    if (!m_pSurface)
        return DDERR_INVALIDOBJECT;
    DDSURFACEDESC2* d = desc->GetDesc();
    d->dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT | (m_bHasKey ? DDSD_CKSRCBLT : 0);
    d->dwWidth = static_cast<uint32_t>(m_pSurface->Width());
    d->dwHeight = static_cast<uint32_t>(m_pSurface->Height());
    d->lPitch = m_pSurface->PitchBytes();
    d->ddpfPixelFormat = DDPIXELFORMAT{};
    d->ddckCKSrcBlt = DDCOLORKEY{m_key.low, m_key.high};
    d->ddsCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    d->lpSurface = nullptr;
    return DD_OK;
}

HRESULT CSurface::SetColorKey(uint32_t flags, const DDCOLORKEY* key)
{
    if (!m_pSurface)
        return DDERR_INVALIDOBJECT;
    if (!key) {
        m_bHasKey = false;
        return DD_OK;
    }
    if (!(flags & DDCKEY_SRCBLT))
        return DDERR_INVALIDPARAMS;
    uint16_t low = static_cast<uint16_t>(key->dwColorSpaceLowValue);
    uint16_t high = (flags & DDCKEY_COLORSPACE) ? static_cast<uint16_t>(key->dwColorSpaceHighValue) : low;
    m_key = platform::PixelKey{low, high < low ? low : high};
    m_bHasKey = true;
    return DD_OK;
}

HRESULT CSurface::Blt(const RECT* destRect, CSurface* src, const RECT* srcRect, uint32_t flags, const DDBLTFX* fx)
{
    if (!m_pSurface)
        return DDERR_INVALIDOBJECT;
    if (m_bLocked)
        return DDERR_SURFACEBUSY;
    RECT dest = destRect ? *destRect : m_pSurface->Bounds();
    if (IsInverted(dest))
        return DDERR_INVALIDRECT;
    if (flags & DDBLT_COLORFILL) {
        if (!fx)
            return DDERR_INVALIDPARAMS;
        m_pSurface->Fill(&dest, static_cast<uint16_t>(fx->dwFillColor));
        return DD_OK;
    }
    if (!src || !src->m_pSurface)
        return DDERR_INVALIDPARAMS;
    RECT from = srcRect ? *srcRect : src->m_pSurface->Bounds();
    if (IsInverted(from))
        return DDERR_INVALIDRECT;
    const platform::PixelKey* key = ((flags & DDBLT_KEYSRC) && src->m_bHasKey) ? &src->m_key : nullptr;
    m_pSurface->StretchFrom(dest, *src->m_pSurface, from, key);
    return DD_OK;
}

HRESULT CSurface::BltFast(int x, int y, CSurface* src, const RECT* srcRect, uint32_t flags)
{
    if (!m_pSurface)
        return DDERR_INVALIDOBJECT;
    if (m_bLocked)
        return DDERR_SURFACEBUSY;
    if (!src || !src->m_pSurface)
        return DDERR_INVALIDPARAMS;
    RECT from = srcRect ? *srcRect : src->m_pSurface->Bounds();
    if (IsInverted(from))
        return DDERR_INVALIDRECT;
    // The key applies only when the blit asks for it, whatever the source has.
    const platform::PixelKey* key = ((flags & DDBLTFAST_SRCCOLORKEY) && src->m_bHasKey) ? &src->m_key : nullptr;
    m_pSurface->CopyFrom(x, y, *src->m_pSurface, from, key);
    return DD_OK;
}

HRESULT CSurface::DrawBitmap(const platform::gdi::Bitmap* bitmap, int x, int y, int width, int height)
{
    if (!bitmap)
        return E_FAIL;
    if (!m_pSurface)
        return DDERR_INVALIDOBJECT;
    if (width == 0)
        width = bitmap->width;
    if (height == 0)
        height = bitmap->height;
    platform::gdi::StretchBitmapToSurface(*bitmap, x, y, width, height, *m_pSurface);
    return DD_OK;
}
