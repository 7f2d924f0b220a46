// The display: a back buffer every screen draws into, presented once a frame to a window or a null target,
// and the loaders that make art surfaces (bitmaps from files, tiles cut from a sheet, keyed copies).
#pragma once

#include "core/display/CErrorLog.h"
#include "core/display/CSurface.h"
#include "core/display/DDrawTypes.h"

#include <memory>
#include <string>

namespace platform {
class IPresentTarget;
}

class CDisplay {
public:
    // Starts the display for `window` (null: headless, nothing is shown) with a back buffer of width x height
    // at `bitsPerPixel` (16 only) and the clear colour. Start-up failures are shown in message boxes; a display
    // that failed has no surfaces (IsUsable false) and Clear and Present return DDERR_NOTINITIALIZED.
    CDisplay(platform::IPresentTarget* window, int width, int height, int bitsPerPixel, COLORREF clearColour,
             bool windowed);
    virtual ~CDisplay();
    CDisplay(const CDisplay&) = delete;
    CDisplay& operator=(const CDisplay&) = delete;

    // Copies the back buffer to the primary and hands it to the window.
    virtual HRESULT Present();
    // Windowed only: the window rectangle moves to (x, y) keeping its size.
    virtual HRESULT UpdateBounds(platform::IPresentTarget* window, int x, int y);
    // The pixel value the surface uses for the colour; 0xFFFFFFFF when the surface cannot be read.
    virtual uint32_t ColorMatch(CSurface* surface, COLORREF colour);

    // Fills the back buffer with the clear colour when the flag is set; 0 for a false flag.
    HRESULT Clear(bool flag);

    // A new surface holding the BMP file 1:1; *width or *height 0 take the bitmap's own and are written back;
    // smaller ones crop. Null when it does not load (with the " Couldn't load %s\n" box when `report`).
    CSurface* BitmapToSurface(const std::string& path, int* width, int* height, bool report);
    // A new size x size surface with the tile at (column x size, row x size) of the sheet.
    CSurface* CreateTileSurface(CSurface* sheet, int row, int column, int size);
    // A new width x height surface: filled with the clear colour, keyed on magenta, overlaid with the
    // source's rectangle {0, 0, width, height} by a plain blit.
    CSurface* CreateKeyedSurface(CSurface* source, int width, int height);

    bool IsUsable() const { return m_pBackBuffer != nullptr; }
    bool IsWindowed() const { return m_bWindowed; }
    CSurface* GetBackBuffer() { return m_pBackBuffer; }
    CSurface* GetPrimary() { return m_pPrimary; }
    const RECT& GetWindowRect() const { return m_rcWindow; }
    const RECT& GetBackBufferRect() const { return m_rcBackBuffer; }
    const DDBLTFX& GetFillRecord() const { return m_fillFx; }
    platform::IPresentTarget* GetWindow() const { return m_pWindow; }
    CErrorLog& GetErrorLog() { return m_errorLog; }
    // The text of the last load failure.
    const std::string& GetMessageText() const { return m_strMessage; }

private:
    CSurface* NewSystemSurface(int width, int height);

    bool m_bDirectDraw7 = true;
    CSurface* m_pPrimary = nullptr;
    CSurface* m_pBackBuffer = nullptr;
    RECT m_rcWindow{};
    RECT m_rcBackBuffer{};
    DDBLTFX m_fillFx{};
    platform::IPresentTarget* m_pWindow = nullptr;
    std::string m_strMessage;
    CErrorLog m_errorLog;
    bool m_bWindowed = true;
    RECT m_rcBackBufferCopy{};
};
