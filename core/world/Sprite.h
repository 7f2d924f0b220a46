// One drawable map object (unit, terrain feature, station, vehicle): images, placement, screen rectangle.
#pragma once

#include "core/world/WorldTypes.h"

#include <cstdint>
#include <string>

class CDisplay;
class CSurface;
class CSpriteManager;
class CStationData;
struct CUnitTaskRecord;

// The 40-byte placement record: where and what a sprite is.
struct CPlacement {
    int32_t AgencyIndex = 0;
    int32_t Flags = 0;
    int32_t Id = 0;   // template index
    int32_t Type = 0; // 1 unit, 2 terrain feature, 3 station, 4 vehicle
    int32_t ServiceId = 0;
    int32_t WorldX = 0;
    int32_t WorldY = 0;
    int32_t Modifiers = 0;
    int32_t Extra1 = 0;
    int32_t Extra2 = 0;
};

enum SpriteKind { kUnitSprite = 1, kFeatureSprite = 2, kStationSprite = 3, kVehicleSprite = 4 };

// Placement flag bits.
enum SpriteFlag : int32_t {
    kSpriteOnScreen = 0x1,
    kSpriteHiddenUnder = 0x2,
    kSpriteBlended = 0x4,
    kSpriteNew = 0x8,
    kSpriteMoved = 0x10,
    kSpriteSeenBase = 0x20, // << agency index
    kSpriteLoaded = 0x20000,
    kSpriteWaiting = 0x40000,
    kSpriteIdleMarker = 0x80000,
    kSpriteDown = 0x100000,
    kSpriteDrawn = 0x200000,
    kSpriteHidden = 0x400000,
    kSpritePrivateFrames = 0x800000,
    kSpriteStructure = 0x1000000,
};

// Bits of a sprite's blocking and hideable bytes (the scenario editor's).
enum SpriteBlocking : uint8_t { kBlocksMovement = 0x1, kBlocksSight = 0x2, kMayHide = 0x4 };

constexpr int kModifierCount = 10;
using ModifierTable = CSurface* [2][kModifierCount];

class CSprite {
public:
    // A template (kind 2, visibility class -1, column 4 -1, column 5 1).
    CSprite();
    CSprite(int kind, const ModifierTable* modifiers);
    virtual ~CSprite();
    CSprite(const CSprite&) = delete;
    CSprite& operator=(const CSprite&) = delete;

    void CopyModifierSurfaces(const ModifierTable* modifiers);
    void SetStationData(CStationData* data);
    void SetWorldPosition(int x, int y);
    void GetWorldPosition(int* x, int* y) const;
    void GetScreenPosition(int* x, int* y) const;

    void UpdateScreenRect(const RECT& view);
    bool HitTest(int x, int y) const;
    bool IsVisibleToFilter(const CModeRecord* filter) const;
    bool PassesFilter(const CModeRecord* filter, const int32_t* mask, const CSpriteManager* manager) const;
    bool MatchesAgencyMask(const CModeRecord* filter, const int32_t* mask, const CSpriteManager* manager) const;
    void SetModifiers(int32_t bits, bool on);
    void Draw(const RECT& view, CSurface* target, CSurface* viewSurface, const CModeRecord* filter);
    int CompareDepth(const CSprite& other) const;

    // Template set-up from list rows. A missing bitmap leaves the template complete but without images (false).
    bool SetupUnitTemplate(int index, const char* name, const CUnitTaskRecord& record, int kind, const char* agencyName,
                           const std::string& dataFolder, CDisplay* display);
    bool SetupFeatureTemplate(int index, const char* name, const char* bitmap, int depthKey, int alphaPercent,
                              int visibilityClass, int option0, int option1, int optionType, int column4, int column5,
                              int column12, int column13, const std::string& dataFolder, CDisplay* display);
    bool SetupStationTemplate(int index, const char* name, const char* bitmap, int depthKey, int alphaPercent,
                              int visibilityClass, int option0, int option1, int optionType,
                              const CStationData& station, const std::string& dataFolder, CDisplay* display);
    // A new sprite made from this template; own frames gives it keyed private copies to draw modifiers on.
    CSprite* CreateFromTemplate(CDisplay* display, bool ownFrames);
    // Forgets the images shared with a template (before a placed sprite is deleted).
    void DetachSharedImages();

    int Kind() const { return m_Placement.Type; }
    // Agency kind of a unit or vehicle, -1 for other kinds.
    int AgencyKind() const;

    CSurface* m_apBaseImage[2] = {};
    CSurface* m_apFrame[2] = {};
    CSurface* m_apModifiers[2][kModifierCount] = {};
    int32_t m_anFrameWidth[2] = {};
    int32_t m_anFrameHeight[2] = {};
    CPlacement m_Placement;
    char m_szName[260] = {};
    int32_t m_nZoom = 0;
    int32_t m_nScreenX = 0;
    int32_t m_nScreenY = 0;
    RECT m_rcSource;
    int32_t m_nDepthKey = 0;
    int32_t m_nAlphaPercent = 0;
    int32_t m_nVisibilityClass = 0;
    CSprite* m_pNext = nullptr;
    CSprite* m_pPrev = nullptr;
    CUnitTaskRecord* m_pUnitTask = nullptr;
    CStationData* m_pStationData = nullptr;
    int32_t m_bFeatureColumn5 = 1;
    int32_t m_nFeatureColumn4 = -1;
    int32_t m_nOptions = 0;
    int32_t m_nFeatureColumn12 = 0;
    int32_t m_nFeatureColumn13 = 0;
    // What the scenario editor reads (the game reads none of it; nothing here is stored in archives):
    int32_t m_nLinkedTemplate = -1; // feature placed with this one (feature list column 12), -1 none
    int32_t m_nCycleGroup = -1;     // templates cycled through by one key (column 13), -1 none
    bool m_bPaletteFlag = false;    // listed in the editor's palette (column 5)
    uint8_t m_byBlocking = 0;       // 0x1 blocks movement (option 0), 0x2 sight (option 1), 0x4 hideable
    uint8_t m_byHideable = 0;       // 0x4 may be hidden (option type 1)
    CSprite* m_pLinkNext = nullptr; // the feature placed after this one in its chain
    CSprite* m_pLinkPrev = nullptr; // the one placed before it
    bool m_bOwnsBaseImages = false; // templates own their loaded bitmaps
    bool m_bOwnsFrames = false;     // keyed copies made for this sprite

private:
    bool LoadImages(const std::string& path0, const std::string& path1, CDisplay* display);
    void SetOptions(int option0, int option1, int optionType);
    void ReleaseImages();
    void ReportDrawFailure(int result) const;
};
