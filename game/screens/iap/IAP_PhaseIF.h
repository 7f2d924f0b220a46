// The IAP phase screen: the sections' shares of new Resource Points, proposed by Planning and approved by the Zoranth.
#pragma once

#include "game/screens/art/ArtList.h"
#include "game/screens/eoc/EOCUnitData.h"
#include "game/screens/art/ScreenKit.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

class CByteReader;
class CByteWriter;
class CDisplay;
class CSurface;
class CGame;

namespace platform::gdi {
class Font;
}

class IAP_PhaseIF {
public:
    enum EMode : uint32_t {
        kModeApprove = 0x400,  // the Zoranth approves or rejects
        kModePropose = 0x4000, // Planning proposes
        kModeSingle = 0x20000, // propose and approve at once
        kModeView = 0x40000,   // view only
    };
    static constexpr int kArtRows = 43;
    static constexpr const char* kApprovedNotice =
        "The Zoranth has approved the Incident Action Plan submitted by the Planning Section.";
    static constexpr const char* kSubmittedNotice =
        "The Planning Section has created a revised Incident Action Plan, which needs to be approved by you before "
        "it can take effect.";
    static constexpr const char* kRejectedNotice = "The Zoranth has rejected your Incident Action Plan. It is "
                                                   "suggested you revise the IAP and submit it again.";
    static constexpr const char* kReviewNotice =
        "You need to review and possibly update the Incident Action Plan within the next 30 minutes. Failure to do "
        "so will result in a reduction to your score.";

    IAP_PhaseIF();
    ~IAP_PhaseIF();
    IAP_PhaseIF(const IAP_PhaseIF&) = delete;
    IAP_PhaseIF& operator=(const IAP_PhaseIF&) = delete;

    // Reads "<base>/GUI/IAP_Art.csv" (43 rows); `game` gives the players, mode word, clock and messages.
    bool LoadArt(CDisplay* display, const std::string& base, CGame* game = nullptr);
    bool Init(CEOCUnitData* data);
    void Open(uint32_t mode);
    // Escape: resumes a paused game and hides.
    void Close();
    void Draw(CSurface* target);
    bool OnMouseMove(int x, int y, uint32_t buttons);
    // Button bit 0x1 left, 0x2 right; false when hidden.
    bool OnClick(int x, int y, uint32_t buttons);

    // The accumulated delay grows by 30 for each half-hour whose plan went unapproved: 100 days of play stay
    // far below this.
    static constexpr int32_t kMaxPenaltyTotal = 1000000;
    // Adds a penalty of 1 to 30 to the total, which never passes kMaxPenaltyTotal; false (nothing added) for
    // any other amount.
    static bool AddPenalty(int32_t& total, int32_t amount);

    // The saved-game block: the accumulated IAP delay, 4 bytes (0 to kMaxPenaltyTotal).
    void SaveState(CByteWriter& out) const { WriteState(out, m_nPenaltyTotal); }
    bool LoadState(CByteReader& in) { return ReadState(in, m_nPenaltyTotal); }
    static void WriteState(CByteWriter& out, int32_t delay);
    static bool ReadState(CByteReader& in, int32_t& delay);

    // The rules behind the clicks.
    // Plus (0) or minus (1) on a section's proposed percentage; false when nothing changed.
    bool StepPercentage(int section, int arrow);
    int32_t ProposedTotal() const;
    // The button (0 Approve/Submit, 1 Reject/Exit, 2 "About the IAP"); false when it is refused.
    bool PressButton(int button);
    // Captions of the buttons the mode shows (empty for none).
    std::string ButtonCaption(int button, bool hover) const;
    const std::string& ExplanationText() const;

    // Geometry (screen coordinates).
    RECT PanelRect() const;
    RECT RowRect(int section) const;
    RECT ArrowRect(int section, int arrow) const;
    RECT ButtonRect(int button) const;

    bool m_bShown = false;
    uint32_t m_uMode = kModeView;
    int32_t m_nPenaltyTotal = 0; // the accumulated IAP delay (message 64)
    int m_nHoverSection = -1;    // 0 (Command, whose units are the chiefs) while a row is hovered
    int m_nHoverRow = -1;        // the hovered section row
    int m_nHoverArrow = -1;
    int m_nHoverArrowSection = -1;
    int m_nHoverButton = -1;
    CEOCSectionTable m_aWork;
    CEOCSectionTable m_aBase;

    const CArtList& Art() const { return m_art; }

private:
    const CArtRow* Row(int index) const;
    static bool Hit(const RECT& rect, int x, int y);
    void Sound(int id, float volume = 1.0f) const;
    bool Editable() const { return m_uMode == kModePropose || m_uMode == kModeSingle; }
    bool Approving() const { return m_uMode == kModeApprove || m_uMode == kModeSingle; }
    void SendPlan(bool approving);
    void Hide();
    void BuildFaces();
    void DrawRows(CSurface* target, bool& ok);
    void RedrawPanels();
    std::string ChiefName(int section) const;

    CArtList m_art;
    CDisplay* m_pDisplay = nullptr;
    CGame* m_pGame = nullptr;
    CEOCUnitData* m_pData = nullptr;
    std::unique_ptr<platform::gdi::Font> m_pFont16;
    std::unique_ptr<platform::gdi::Font> m_pFont18Plain;
    std::unique_ptr<platform::gdi::Font> m_pFont18;
    std::unique_ptr<platform::gdi::Font> m_pFont20;
    std::array<SurfacePtr, kSections> m_aLabels;
    std::array<SurfacePtr, kSections> m_aLabelsHover;
    SurfacePtr m_pExplain, m_pExplainClean, m_pTitle, m_pTitleClean;
    std::array<std::array<SurfacePtr, 2>, 3> m_aButtons; // [button][hover]
    SurfacePtr m_pNot100;
    uint32_t m_uLastStep = 0;
    bool m_bStepped = false;
};
