// Faces of front-end screens: keyed copies of art rows with captions, text drawn on surfaces, keyed blits.
#include "game/screens/lobby/ScreenFace.h"

#include "core/display/CDisplay.h"

namespace gdi = platform::gdi;

std::unique_ptr<gdi::Font> MakeScreenFont(int height, bool antialias)
{
    gdi::FontDesc desc;
    desc.height = height;
    desc.weight = gdi::FW_BOLD;
    desc.face = "Arial";
    desc.antialias = antialias;
    return gdi::Font::Create(desc);
}

SurfacePtr CopyArt(CDisplay* display, const CArtRow& row)
{
    if (!display || !display->IsUsable() || !row.pSurface || row.width <= 0 || row.height <= 0)
        return nullptr;
    CSurface* copy = display->CreateKeyedSurface(row.pSurface.get(), row.width, row.height);
    if (!copy)
        return nullptr;
    return SurfacePtr(copy, [](CSurface* s) {
        s->Release();
        delete s;
    });
}

bool DrawTextOn(CSurface* surface, const std::string& text, RECT rect, gdi::Font* font, COLORREF colour,
                unsigned format)
{
    if (!surface)
        return false;
    gdi::DeviceContext* dc = nullptr;
    if (surface->GetDC(&dc) != DD_OK || !dc)
        return false;
    gdi::Font* old = dc->SelectFont(font);
    dc->SetBkMode(gdi::TRANSPARENT);
    dc->SetTextColor(colour);
    dc->DrawText(text.c_str(), -1, &rect, format | gdi::DT_NOPREFIX);
    dc->SelectFont(old);
    surface->ReleaseDC(dc);
    return true;
}

SurfacePtr MakeFace(CDisplay* display, const CArtRow& row, const std::string& caption, gdi::Font* font, COLORREF colour,
                    bool rightAligned)
{
    SurfacePtr face = CopyArt(display, row);
    if (face && !caption.empty()) {
        RECT rect{10, 0, row.width - 10, row.height};
        DrawTextOn(face.get(), caption, rect, font, colour,
                   (rightAligned ? gdi::DT_RIGHT : gdi::DT_CENTER) | gdi::DT_VCENTER | gdi::DT_SINGLELINE);
    }
    return face;
}

int MeasureText(gdi::Font* font, const std::string& text)
{
    if (!font)
        return 0;
    int width = 0;
    for (unsigned char c : text)
        width += font->Advance(c);
    return width;
}

HRESULT BlitKeyed(CSurface* target, int x, int y, CSurface* source)
{
    if (!target || !source)
        return DD_OK;
    RECT src{0, 0, source->GetWidth(), source->GetHeight()};
    return target->BltFast(x, y, source, &src, DDBLTFAST_SRCCOLORKEY);
}
