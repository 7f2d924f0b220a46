// Surface descriptions.
#include "core/display/CSurfaceDesc.h"

CSurfaceDesc::CSurfaceDesc(bool directDraw7, uint32_t flags, uint32_t caps, int width, int height, int backBufferCount)
    : m_pDesc(std::make_unique<DDSURFACEDESC2>()), m_bDirectDraw7(directDraw7)
{
    m_pDesc->dwSize = directDraw7 ? 124 : 108;
    m_pDesc->dwFlags = flags;
    m_pDesc->ddsCaps = caps;
    m_pDesc->dwWidth = static_cast<uint32_t>(width < 0 ? 0 : width);
    m_pDesc->dwHeight = static_cast<uint32_t>(height < 0 ? 0 : height);
    m_pDesc->dwBackBufferCount = static_cast<uint32_t>(backBufferCount < 0 ? 0 : backBufferCount);
}
