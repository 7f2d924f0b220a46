// Caption faces and text on surfaces for the EOC and IAP screens.
#include "game/screens/eoc/ScreenText.h"

#include "core/display/CDisplay.h"
#include "core/display/CSurface.h"
#include "game/screens/art/ArtList.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Font.h"

namespace gdi = platform::gdi;

namespace eoc_text {

std::unique_ptr<gdi::Font> MakeArialFont(int height, int weight, bool antialias)
{
    gdi::FontDesc desc;
    desc.height = height;
    desc.weight = weight;
    desc.antialias = antialias;
    desc.face = "Arial";
    return gdi::Font::Create(desc);
}

SurfacePtr CopyArtRow(CDisplay* display, const CArtRow& row)
{
    if (!display || !display->IsUsable() || !row.pSurface)
        return nullptr;
    CSurface* copy = display->CreateKeyedSurface(row.pSurface.get(), row.width, row.height);
    if (!copy)
        return nullptr;
    return SurfacePtr(copy, [](CSurface* s) {
        s->Release();
        delete s;
    });
}

bool DrawSurfaceText(CSurface* surface, gdi::Font* font, COLORREF colour, const std::string& text, RECT rect,
                     unsigned format)
{
    if (!surface || text.empty())
        return false;
    gdi::DeviceContext* dc = nullptr;
    if (surface->GetDC(&dc) != DD_OK || !dc)
        return false;
    gdi::Font* old = dc->SelectFont(font);
    dc->SetTextColor(colour);
    dc->SetBkMode(gdi::TRANSPARENT);
    const int drawn = dc->DrawText(text.c_str(), -1, &rect, format | gdi::DT_NOPREFIX);
    dc->SelectFont(old);
    surface->ReleaseDC(dc);
    return drawn > 0;
}

SurfacePtr MakeCaptionFace(CDisplay* display, const CArtRow& row, gdi::Font* font, COLORREF colour,
                           const std::string& caption)
{
    SurfacePtr face = CopyArtRow(display, row);
    if (face) {
        RECT rect{10, 0, row.width - 10, row.height};
        DrawSurfaceText(face.get(), font, colour, caption, rect, gdi::DT_CENTER | gdi::DT_VCENTER | gdi::DT_SINGLELINE);
    }
    return face;
}

void RestoreSurface(CSurface* target, CSurface* source)
{
    if (!target || !source)
        return;
    RECT rect{0, 0, source->GetWidth(), source->GetHeight()};
    target->BltFast(0, 0, source, &rect, DDBLTFAST_NOCOLORKEY);
}

bool BlitKeyed(CSurface* target, int x, int y, CSurface* source)
{
    if (!target || !source)
        return true;
    RECT rect{0, 0, source->GetWidth(), source->GetHeight()};
    return target->BltFast(x, y, source, &rect, DDBLTFAST_SRCCOLORKEY) == DD_OK;
}

} // namespace eoc_text
