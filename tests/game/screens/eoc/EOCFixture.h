// The demo scenario in single play with its EOC and IAP screens, and click helpers by screen rectangle.
#pragma once

#include "game/screens/boxes/Boxes.h"
#include "game/screens/eoc/EOC.h"
#include "game/screens/iap/IAP_PhaseIF.h"
#include "core/util/ByteStream.h"
#include "net/session/NetGameSession.h"
#include "tests/game/app/DemoGame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

struct CPost {
    uint16_t id;
    std::vector<uint8_t> payload;
};

class ScreenFixture : public ::testing::Test {
public:
    void SetUp() override
    {
        platform::SetMessageEcho(false);
        ASSERT_FALSE(demo_game::DemoData().empty());
        m_dir = demo_game::CDemoGame::CopyDemoData();
        m_run = std::make_unique<demo_game::CDemoGame>(m_dir);
        ASSERT_TRUE(m_run->LoadScenario("Millbrook.zri"));
        Game().m_fnPostObserver = [this](uint16_t id, const uint8_t* p, size_t n) {
            m_posts.push_back({id, std::vector<uint8_t>(p, p + n)});
        };
        ASSERT_TRUE(Game().m_pEOC && Game().m_pIAP);
        m_run->m_aSounds.clear();
    }
    void TearDown() override
    {
        m_run.reset();
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    CGame& Game() { return m_run->Game(); }
    EOC& Eoc() { return *Game().m_pEOC; }
    IAP_PhaseIF& Iap() { return *Game().m_pIAP; }
    CEOCUnitData& Data() { return *Game().m_pEOCUnitData; }
    std::vector<int>& Sounds() { return m_run->m_aSounds; }
    int LastSound() const { return m_run->m_aSounds.empty() ? -1 : m_run->m_aSounds.back(); }

    static POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
    void ClickEoc(const RECT& r, uint32_t buttons = 1)
    {
        ASSERT_LT(r.left, r.right) << "no such place on the screen";
        const POINT p = Centre(r);
        Eoc().OnMouseMove(p.x, p.y, 0);
        Eoc().OnClick(p.x, p.y, buttons, Game().m_pPopupView.get());
    }
    void ClickIap(const RECT& r, uint32_t buttons = 1)
    {
        ASSERT_LT(r.left, r.right) << "no such place on the screen";
        const POINT p = Centre(r);
        Iap().OnMouseMove(p.x, p.y, 0);
        Iap().OnClick(p.x, p.y, buttons);
    }
    int CountPosts(uint16_t id) const
    {
        return static_cast<int>(
            std::count_if(m_posts.begin(), m_posts.end(), [id](const CPost& p) { return p.id == id; }));
    }
    const CPost* LastPost(uint16_t id) const
    {
        for (auto it = m_posts.rbegin(); it != m_posts.rend(); ++it)
            if (it->id == id)
                return &*it;
        return nullptr;
    }
    // A section's chief in office, its role with the local player.
    void ActivateChief(int section)
    {
        Data().m_aSections[static_cast<size_t>(section)].bChiefActive = 1;
        Data().m_aSections[static_cast<size_t>(section)].nChief = 0;
        Data().m_aSections[0].uActivated |= 1u << section;
        Data().SetSectionChief(section, 0);
    }

    // A hosted network game: the local player is player 1 "Pat" with the given roles, player 2 "Robin" has none.
    void MakeNetworked(uint32_t roles)
    {
        Game().m_uMode = (Game().m_uMode & ~kModeSingle) | kModeNetworked | kModeHosting;
        Game().m_pSession = std::make_unique<CNetGameSession>();
        const char* names[] = {"Pat", "Robin"};
        for (int i = 0; i < 2; ++i) {
            CSessionPlayer& p = Game().m_pSession->Slot(i);
            p.m_uFlags = 1;
            p.m_nPlayerId = i + 1;
            p.m_strName = names[i];
            p.m_uRoleFlags = i == 0 ? roles : 0;
        }
        Game().m_pSession->SetLocalPlayerId(1);
    }

    std::filesystem::path m_dir;
    std::unique_ptr<demo_game::CDemoGame> m_run;
    std::vector<CPost> m_posts;
};
