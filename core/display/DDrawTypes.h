// Result codes, flags and small records of the display layer (DirectDraw meanings, our own definitions).
#pragma once

#include "platform/display/Geometry.h"

#include <cstdint>

using HRESULT = int32_t;

constexpr HRESULT DD_OK = 0;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT DDERR_GENERIC = E_FAIL;
constexpr HRESULT DDERR_INVALIDPARAMS = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT DDERR_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT DDERR_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0u);
constexpr HRESULT DDERR_INVALIDOBJECT = static_cast<HRESULT>(0x88760082u);
constexpr HRESULT DDERR_INVALIDRECT = static_cast<HRESULT>(0x88760096u);
constexpr HRESULT DDERR_SURFACEBUSY = static_cast<HRESULT>(0x887601AEu);
constexpr HRESULT DDERR_SURFACELOST = static_cast<HRESULT>(0x887601C2u);
constexpr HRESULT DDERR_WASSTILLDRAWING = static_cast<HRESULT>(0x8876021Cu);
constexpr HRESULT DDERR_NOTLOCKED = static_cast<HRESULT>(0x88760248u);
constexpr HRESULT DDERR_DCALREADYCREATED = static_cast<HRESULT>(0x8876026Cu);
constexpr HRESULT DDERR_NODC = static_cast<HRESULT>(0x8876024Fu);

// Surface description flags and capabilities.
constexpr uint32_t DDSD_CAPS = 0x1;
constexpr uint32_t DDSD_HEIGHT = 0x2;
constexpr uint32_t DDSD_WIDTH = 0x4;
constexpr uint32_t DDSD_PITCH = 0x8;
constexpr uint32_t DDSD_BACKBUFFERCOUNT = 0x20;
constexpr uint32_t DDSD_CKSRCBLT = 0x10000;
constexpr uint32_t DDSD_PIXELFORMAT = 0x1000;
constexpr uint32_t DDSCAPS_BACKBUFFER = 0x4;
constexpr uint32_t DDSCAPS_COMPLEX = 0x8;
constexpr uint32_t DDSCAPS_FLIP = 0x10;
constexpr uint32_t DDSCAPS_OFFSCREENPLAIN = 0x40;
constexpr uint32_t DDSCAPS_PRIMARYSURFACE = 0x200;
constexpr uint32_t DDSCAPS_SYSTEMMEMORY = 0x800;

// Blit flags.
constexpr uint32_t DDBLT_COLORFILL = 0x400;
constexpr uint32_t DDBLT_KEYSRC = 0x8000;
constexpr uint32_t DDBLT_WAIT = 0x1000000;
constexpr uint32_t DDBLTFAST_NOCOLORKEY = 0x0;
constexpr uint32_t DDBLTFAST_SRCCOLORKEY = 0x1;
constexpr uint32_t DDBLTFAST_WAIT = 0x10;
constexpr uint32_t DDFLIP_WAIT = 0x1;
constexpr uint32_t DDLOCK_WAIT = 0x1;

// Colour-key flags: a source key for blits; with COLORSPACE the key is the range low..high.
constexpr uint32_t DDCKEY_COLORSPACE = 0x1;
constexpr uint32_t DDCKEY_SRCBLT = 0x8;

struct DDCOLORKEY {
    uint32_t dwColorSpaceLowValue = 0;
    uint32_t dwColorSpaceHighValue = 0;
};

// Blit effects: only the fill colour is used.
struct DDBLTFX {
    uint32_t dwSize = 100;
    uint32_t dwFillColor = 0;
};

struct DDPIXELFORMAT {
    uint32_t dwRGBBitCount = 16;
    uint32_t dwRBitMask = 0xF800;
    uint32_t dwGBitMask = 0x07E0;
    uint32_t dwBBitMask = 0x001F;
};

// What a surface is asked to be, and, after Lock or GetSurfaceDesc, what it is.
struct DDSURFACEDESC2 {
    uint32_t dwSize = 124;
    uint32_t dwFlags = 0;
    uint32_t dwHeight = 0;
    uint32_t dwWidth = 0;
    int32_t lPitch = 0;
    uint32_t dwBackBufferCount = 0;
    void* lpSurface = nullptr;
    DDCOLORKEY ddckCKSrcBlt;
    DDPIXELFORMAT ddpfPixelFormat;
    uint32_t ddsCaps = 0;
};
