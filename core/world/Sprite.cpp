// Sprites: construction from templates, screen rectangles, hit tests, filters, modifiers and drawing.
#include "core/world/Sprite.h"

#include "core/display/CDisplay.h"
#include "core/display/CErrorLog.h"
#include "core/world/SpriteManager.h"
#include "core/world/StationData.h"
#include "core/world/UnitTaskRecord.h"
#include "platform/system/Paths.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {
void DeleteSurface(CSurface*& surface)
{
    if (surface) {
        surface->Release();
        delete surface;
    }
    surface = nullptr;
}

bool FileReadable(const std::string& path)
{
    FILE* file = platform::OpenFile(path, "rb");
    if (!file)
        return false;
    std::fclose(file);
    return true;
}

// Magenta as the surface stores it, made the source colour key.
void KeyMagenta(CDisplay* display, CSurface* surface)
{
    uint32_t magenta = display->ColorMatch(surface, RGB(255, 0, 255));
    DDCOLORKEY key{magenta, magenta};
    surface->SetColorKey(DDCKEY_SRCBLT, &key);
}
} // namespace

CSprite::CSprite()
{
    m_Placement.WorldX = m_Placement.WorldY = -1;
    m_Placement.Id = -1;
    m_Placement.Type = kFeatureSprite;
    m_Placement.Flags = kSpriteNew;
    m_nVisibilityClass = -1;
}

CSprite::CSprite(int kind, const ModifierTable* modifiers)
{
    m_Placement.WorldX = m_Placement.WorldY = -1;
    m_Placement.Id = -1;
    m_Placement.Type = kind;
    m_Placement.Flags = kSpriteNew;
    if (kind == kUnitSprite || kind == kVehicleSprite)
        m_pUnitTask = new CUnitTaskRecord();
    else if (kind == kStationSprite)
        m_pStationData = new CStationData();
    CopyModifierSurfaces(modifiers);
}

CSprite::~CSprite()
{
    delete m_pUnitTask;
    delete m_pStationData;
    ReleaseImages();
}

void CSprite::ReleaseImages()
{
    for (int z = 0; z < 2; ++z) {
        if (m_bOwnsFrames && m_apFrame[z] != m_apBaseImage[z])
            DeleteSurface(m_apFrame[z]);
        m_apFrame[z] = nullptr;
        if (m_bOwnsBaseImages)
            DeleteSurface(m_apBaseImage[z]);
        m_apBaseImage[z] = nullptr;
    }
    m_bOwnsFrames = false;
    m_bOwnsBaseImages = false;
}

void CSprite::DetachSharedImages()
{
    if (m_bOwnsBaseImages)
        return;
    for (int z = 0; z < 2; ++z) {
        if (m_apFrame[z] == m_apBaseImage[z])
            m_apFrame[z] = nullptr;
        m_apBaseImage[z] = nullptr;
    }
}

void CSprite::CopyModifierSurfaces(const ModifierTable* modifiers)
{
    for (int z = 0; z < 2; ++z)
        for (int m = 0; m < kModifierCount; ++m)
            m_apModifiers[z][m] = modifiers ? (*modifiers)[z][m] : nullptr;
}

void CSprite::SetStationData(CStationData* data)
{
    if (data != m_pStationData)
        delete m_pStationData;
    m_pStationData = data;
}

void CSprite::SetWorldPosition(int x, int y)
{
    m_Placement.WorldX = x;
    m_Placement.WorldY = y;
    m_Placement.Flags |= kSpriteMoved;
}

void CSprite::GetWorldPosition(int* x, int* y) const
{
    *x = m_Placement.WorldX;
    *y = m_Placement.WorldY;
}

void CSprite::GetScreenPosition(int* x, int* y) const
{
    *x = m_nScreenX;
    *y = m_nScreenY;
}

int CSprite::AgencyKind() const
{
    if ((Kind() == kUnitSprite || Kind() == kVehicleSprite) && m_pUnitTask)
        return m_pUnitTask->m_nAgencyKind;
    return -1;
}

int CSprite::CompareDepth(const CSprite& other) const
{
    if (m_nDepthKey == other.m_nDepthKey)
        return 0;
    return m_nDepthKey < other.m_nDepthKey ? 1 : -1;
}

// ---- templates ----

bool CSprite::LoadImages(const std::string& path0, const std::string& path1, CDisplay* display)
{
    const std::string* paths[2] = {&path0, &path1};
    for (int z = 0; z < 2; ++z) {
        if (!FileReadable(*paths[z]))
            return false;
    }
    if (!display)
        return true;
    ReleaseImages();
    m_bOwnsBaseImages = true;
    m_bOwnsFrames = true;
    for (int z = 0; z < 2; ++z) {
        int width = 0;
        int height = 0;
        CSurface* image = display->BitmapToSurface(*paths[z], &width, &height, true);
        if (!image)
            continue; // never a keyed copy of a missing image
        KeyMagenta(display, image);
        m_apBaseImage[z] = image;
        m_anFrameWidth[z] = width;
        m_anFrameHeight[z] = height;
        m_apFrame[z] = display->CreateKeyedSurface(image, width, height);
    }
    return true;
}

void CSprite::SetOptions(int option0, int option1, int optionType)
{
    int options = option0 != 0 ? 1 : 0;
    if (option1 != 0)
        options = option0 != 0 ? 3 : 2;
    if (optionType == 1)
        options |= 4;
    else if (optionType == 2)
        options |= 8;
    m_nOptions = options;
}

bool CSprite::SetupUnitTemplate(int index, const char* name, const CUnitTaskRecord& record, int kind,
                                const char* agencyName, const std::string& dataFolder, CDisplay* display)
{
    if (!m_pUnitTask)
        m_pUnitTask = new CUnitTaskRecord();
    *m_pUnitTask = record;
    std::string file = std::string(agencyName ? agencyName : "") + (kind == kVehicleSprite ? "_V.bmp" : "_P.bmp");
    std::string path = platform::JoinPath(platform::JoinPath(dataFolder, "Sprites"), file);
    bool images = LoadImages(path, path, display);
    // The template is finished whether or not its bitmap was there: squads made from it need its record.
    m_Placement.WorldX = 0;
    m_Placement.WorldY = 0;
    CopyName(m_szName, sizeof(m_szName), name);
    m_Placement.Id = index;
    m_Placement.Type = kind;
    m_nDepthKey = 100;
    return images;
}

bool CSprite::SetupFeatureTemplate(int index, const char* name, const char* bitmap, int depthKey, int alphaPercent,
                                   int visibilityClass, int option0, int option1, int optionType, int column4,
                                   int column5, int column12, int column13, const std::string& dataFolder,
                                   CDisplay* display)
{
    std::string folder = platform::JoinPath(dataFolder, "Sprites");
    std::string base = bitmap ? bitmap : "";
    bool images =
        LoadImages(platform::JoinPath(folder, base + "_32.bmp"), platform::JoinPath(folder, base + "_8.bmp"), display);
    m_Placement.Id = index;
    m_Placement.Type = kFeatureSprite;
    m_Placement.WorldX = 0;
    m_Placement.WorldY = 0;
    CopyName(m_szName, sizeof(m_szName), name);
    m_nDepthKey = depthKey;
    m_nAlphaPercent = alphaPercent;
    m_nVisibilityClass = visibilityClass;
    m_nFeatureColumn4 = column4;
    m_bFeatureColumn5 = column5;
    m_nFeatureColumn12 = column12;
    m_nFeatureColumn13 = column13;
    SetOptions(option0, option1, optionType);
    m_nLinkedTemplate = column12 < 0 ? -1 : column12;
    m_nCycleGroup = column13 < 0 ? -1 : column13;
    m_bPaletteFlag = column5 != 0;
    m_byHideable = optionType == 1 ? kMayHide : 0;
    m_byBlocking =
        static_cast<uint8_t>((option0 != 0 ? kBlocksMovement : 0) | (option1 != 0 ? kBlocksSight : 0) | m_byHideable);
    return images;
}

bool CSprite::SetupStationTemplate(int index, const char* name, const char* bitmap, int depthKey, int alphaPercent,
                                   int visibilityClass, int option0, int option1, int optionType,
                                   const CStationData& station, const std::string& dataFolder, CDisplay* display)
{
    bool images = SetupFeatureTemplate(index, name, bitmap, depthKey, alphaPercent, visibilityClass, option0, option1,
                                       optionType, -1, 1, 0, 0, dataFolder, display);
    m_Placement.Type = kStationSprite;
    m_nLinkedTemplate = -1;
    m_nCycleGroup = -1;
    if (!m_pStationData)
        m_pStationData = new CStationData();
    *m_pStationData = station;
    m_pStationData->SetName(name);
    return images;
}

CSprite* CSprite::CreateFromTemplate(CDisplay* display, bool ownFrames)
{
    auto* sprite = new CSprite(Kind(), &m_apModifiers);
    std::memcpy(sprite->m_szName, m_szName, sizeof(m_szName));
    if (m_pUnitTask && sprite->m_pUnitTask)
        *sprite->m_pUnitTask = *m_pUnitTask;
    if (m_pStationData && sprite->m_pStationData)
        *sprite->m_pStationData = *m_pStationData; // a deep copy: the two never share owned parts
    bool keyed = false;
    for (int z = 0; z < 2; ++z) {
        sprite->m_apBaseImage[z] = m_apBaseImage[z];
        sprite->m_anFrameWidth[z] = m_anFrameWidth[z];
        sprite->m_anFrameHeight[z] = m_anFrameHeight[z];
        if (ownFrames && display && m_apBaseImage[z]) {
            sprite->m_apFrame[z] = display->CreateKeyedSurface(m_apBaseImage[z], m_anFrameWidth[z], m_anFrameHeight[z]);
            keyed = keyed || sprite->m_apFrame[z];
        } else {
            sprite->m_apFrame[z] = m_apFrame[z] ? m_apFrame[z] : m_apBaseImage[z];
        }
    }
    sprite->m_bOwnsFrames = keyed;
    if (ownFrames)
        m_Placement.Flags |= kSpritePrivateFrames;
    sprite->m_Placement = m_Placement;
    sprite->m_nZoom = m_nZoom;
    sprite->m_nDepthKey = m_nDepthKey;
    sprite->m_nAlphaPercent = m_nAlphaPercent;
    sprite->m_nVisibilityClass = m_nVisibilityClass;
    sprite->m_nOptions = m_nOptions;
    sprite->m_nFeatureColumn12 = m_nFeatureColumn12;
    sprite->m_nFeatureColumn13 = m_nFeatureColumn13;
    sprite->m_nLinkedTemplate = m_nLinkedTemplate;
    sprite->m_nCycleGroup = m_nCycleGroup;
    sprite->m_bPaletteFlag = m_bPaletteFlag;
    sprite->m_byBlocking = m_byBlocking;
    sprite->m_byHideable = m_byHideable;
    return sprite;
}

// ---- screen ----

void CSprite::UpdateScreenRect(const RECT& view)
{
    int z = m_nZoom == 1 ? 1 : 0;
    int64_t x = m_Placement.WorldX;
    int64_t y = m_Placement.WorldY;
    if (m_nZoom == 1) {
        x >>= 2;
        y >>= 2;
    }
    int w = m_anFrameWidth[z];
    int h = m_anFrameHeight[z];
    // Wide arithmetic: positions come from files and may be anything.
    int64_t left = x - (w >> 1);
    int64_t right = x + (w >> 1);
    int64_t top = y - (h >> 1);
    int64_t bottom = y + (h >> 1);
    if (!(left < view.right && view.left < right && top < view.bottom && view.top < bottom)) {
        m_Placement.Flags &= ~kSpriteOnScreen;
        return;
    }
    m_Placement.Flags |= kSpriteOnScreen;
    if (left >= view.left && top >= view.top && right <= view.right && bottom <= view.bottom) {
        m_nScreenX = static_cast<int32_t>(left - view.left);
        m_nScreenY = static_cast<int32_t>(top - view.top);
        m_rcSource = RECT{0, 0, w, h};
    } else {
        m_nScreenX = static_cast<int32_t>(std::max<int64_t>(left - view.left, 0));
        m_nScreenY = static_cast<int32_t>(std::max<int64_t>(top - view.top, 0));
        m_rcSource.left = static_cast<int32_t>(std::max<int64_t>(view.left - left, 0));
        m_rcSource.top = static_cast<int32_t>(std::max<int64_t>(view.top - top, 0));
        m_rcSource.right = static_cast<int32_t>(w + std::min<int64_t>(view.right - right, 0));
        m_rcSource.bottom = static_cast<int32_t>(h + std::min<int64_t>(view.bottom - bottom, 0));
    }
    if (m_nScreenX + m_rcSource.right > 800)
        m_rcSource.right = 800 - m_nScreenX;
    if (m_rcSource.left == m_rcSource.right || m_rcSource.top == m_rcSource.bottom)
        m_Placement.Flags &= ~kSpriteOnScreen;
}

bool CSprite::HitTest(int x, int y) const
{
    return m_nScreenX <= x && x <= m_nScreenX + m_rcSource.right - m_rcSource.left && m_nScreenY <= y &&
           y <= m_nScreenY + m_rcSource.bottom - m_rcSource.top;
}

// ---- filters ----

bool CSprite::IsVisibleToFilter(const CModeRecord* filter) const
{
    if (!filter || m_nVisibilityClass >= -1 || (filter->m_nModeFlags & 0x200000))
        return true;
    if (!filter->m_bClassSwitch)
        return false;
    int options = filter->m_nClassOptions;
    return (m_nVisibilityClass == -2 && (options & 0x2)) || (m_nVisibilityClass == -3 && (options & 0x1)) ||
           (m_nVisibilityClass == -4 && (options & 0x4));
}

bool CSprite::PassesFilter(const CModeRecord* filter, const int32_t* mask, const CSpriteManager* manager) const
{
    if (!mask || Kind() == kFeatureSprite || Kind() == kStationSprite)
        return true;
    bool r = (manager && manager->PassesAgencyFilter(this, *mask)) || (filter && (filter->m_nModeFlags & 0x8000000));
    if (!filter || !filter->m_bFilterSwitch)
        return r;
    int options = filter->m_nFilterOptions;
    int32_t flags = m_Placement.Flags;
    if (options & 0x1)
        r = r && (flags & kSpriteIdleMarker);
    if (options & 0x2)
        r = r && manager && manager->IsAgencyInMask(this, *mask);
    if (options & 0x4)
        r = r && (flags & kSpriteDown);
    if (options & 0x10)
        return true;
    if (options & 0x8)
        return false;
    return r;
}

bool CSprite::MatchesAgencyMask(const CModeRecord* filter, const int32_t* mask, const CSpriteManager* manager) const
{
    if (!filter || !mask)
        return false;
    return (*mask & 0x1E7FF) == 0 || (*mask & 0x400) || (manager && manager->IsAgencyInMask(this, *mask)) ||
           (filter->m_nFilterOptions & 0x10);
}

// ---- modifiers and drawing ----

void CSprite::ReportDrawFailure(int result) const
{
    static CErrorLog log;
    char text[128];
    std::snprintf(text, sizeof(text), "Sprite at world position, %d %d is failing to draw", m_Placement.WorldX,
                  m_Placement.WorldY);
    log.LogError(result, nullptr, text);
}

void CSprite::SetModifiers(int32_t bits, bool on)
{
    if (on)
        m_Placement.Modifiers |= bits;
    else
        m_Placement.Modifiers &= ~bits;
    // Modifiers are composed only on private frames; a shared frame is the template's image.
    if (!m_bOwnsFrames)
        return;
    for (int z = 0; z < 2; ++z) {
        CSurface* frame = m_apFrame[z];
        if (!frame || !m_apBaseImage[z] || frame == m_apBaseImage[z])
            continue;
        RECT whole{0, 0, m_anFrameWidth[z], m_anFrameHeight[z]};
        int result = frame->BltFast(0, 0, m_apBaseImage[z], &whole, DDBLTFAST_NOCOLORKEY);
        if (result != DD_OK)
            ReportDrawFailure(result);
        for (int m = 0; m < kModifierCount; ++m) {
            if (!(m_Placement.Modifiers & (1 << m)) || !m_apModifiers[z][m])
                continue;
            result = frame->BltFast(0, 0, m_apModifiers[z][m], nullptr, DDBLTFAST_SRCCOLORKEY);
            if (result != DD_OK)
                ReportDrawFailure(result);
        }
    }
}

void CSprite::Draw(const RECT& view, CSurface* target, CSurface* viewSurface, const CModeRecord* filter)
{
    (void)view;
    int z = m_nZoom == 1 ? 1 : 0;
    CSurface* frame = m_apFrame[z];
    int32_t flags = m_Placement.Flags;
    if (!(flags & kSpriteOnScreen) || !frame || !target || (flags & (kSpriteHidden | kSpriteWaiting | kSpriteLoaded)) ||
        !IsVisibleToFilter(filter))
        return;
    if (flags & kSpriteBlended) {
        int w = m_rcSource.right - m_rcSource.left;
        int h = m_rcSource.bottom - m_rcSource.top;
        if (viewSurface && viewSurface->GetPixels() && target->GetPixels()) {
            RECT under{m_nScreenX, m_nScreenY, m_nScreenX + w, m_nScreenY + h};
            viewSurface->BltFast(0, 0, target, &under, DDBLTFAST_NOCOLORKEY);
            viewSurface->BltFast(0, 0, frame, &m_rcSource, DDBLTFAST_SRCCOLORKEY);
            auto alpha = static_cast<uint8_t>(std::clamp(m_nAlphaPercent, 0, 100) * 255 / 100);
            target->GetPixels()->BlendFrom(m_nScreenX, m_nScreenY, *viewSurface->GetPixels(), RECT{0, 0, w, h}, alpha);
        }
    } else if (flags & kSpriteHiddenUnder) {
        return;
    } else {
        int result = target->BltFast(m_nScreenX, m_nScreenY, frame, &m_rcSource, DDBLTFAST_SRCCOLORKEY);
        if (result != DD_OK)
            ReportDrawFailure(result);
    }
    m_Placement.Flags |= kSpriteDrawn;
}
