// Owner of one surface description: what a new surface is asked to be.
#pragma once

#include "core/display/DDrawTypes.h"

#include <memory>

class CSurfaceDesc {
public:
    CSurfaceDesc(bool directDraw7, uint32_t flags, uint32_t caps, int width, int height, int backBufferCount);
    CSurfaceDesc() : CSurfaceDesc(true, 0, 0, 0, 0, 0) {}
    virtual ~CSurfaceDesc() = default;

    DDSURFACEDESC2* GetDesc() { return m_pDesc.get(); }
    const DDSURFACEDESC2* GetDesc() const { return m_pDesc.get(); }
    bool IsDirectDraw7() const { return m_bDirectDraw7; }

private:
    std::unique_ptr<DDSURFACEDESC2> m_pDesc;
    bool m_bDirectDraw7;
};
