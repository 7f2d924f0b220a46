// The squad manager: saved records with forward links, ghosts, picking, the order menu, synchronisation from host
// to client, the sweep of released squads, and a squad's trip from its station to the incident and back.
#include "SquadFixture.h"

#include "core/widgets/CPopupMenu.h"
#include "core/world/ICSNames.h"

using namespace squadtest;

namespace {

class SquadManagerTest : public SquadFixture {
protected:
    // Two units and a vehicle placed in the scenario (they become squads 1, 2 and vehicle 1).
    static void ScenarioSquads(Side& side)
    {
        PlaceSprite(*side.game->m_pSprites, kUnitSprite, 0, 40, 40);
        PlaceSprite(*side.game->m_pSprites, kUnitSprite, 1, 80, 40);
        PlaceSprite(*side.game->m_pSprites, kVehicleSprite, 0, 120, 40);
    }
    static std::vector<uint8_t> SaveBlocks(Side& side)
    {
        CByteWriter w;
        side.Scenario().Save(w);
        side.Area().Save(w);
        return w.Data();
    }
    // A station on the area map whose first resource line sends `count` squads of template "Unit0".
    static CSprite* Station(Side& side, int count, int serviceId = 0)
    {
        CPlacement p;
        p.Type = kStationSprite;
        p.WorldX = 100;
        p.WorldY = 100;
        p.ServiceId = serviceId;
        CSprite* station = side.game->m_pAreaSprites->CreateStationSprite(p, true);
        if (!station || !station->m_pStationData)
            return nullptr;
        station->m_pStationData->m_nStationKind = 0;
        auto* line = new CStationResource();
        CopyName(line->m_szName, CStationResource::kNameSize, "Unit0");
        line->m_nAvailable = line->m_nResCount = count;
        station->m_pStationData->m_paResources[0] = line;
        return station;
    }
    static bool LoadBlocks(Side& side, const std::vector<uint8_t>& bytes)
    {
        CByteReader r(bytes.data(), bytes.size());
        bool ok = side.Scenario().Load(r) && side.Area().Load(r);
        side.Scenario().ResolveLoadedLinks();
        side.Area().ResolveLoadedLinks();
        return ok;
    }
};

TEST_F(SquadManagerTest, NumbersAndLookups)
{
    Side& side = MakeSide(OpenMap(6, 4), true, 0, false, ScenarioSquads);
    CSquadManager& m = side.Scenario();
    ASSERT_EQ(m.Units().size(), 2u);
    ASSERT_EQ(m.Vehicles().size(), 1u);
    CSquad* car = m.Vehicles()[0];
    EXPECT_EQ(CSquadManager::GetSquadNumber(car), 1001);
    EXPECT_EQ(m.FindSquad(1001), car);
    EXPECT_EQ(m.FindSquad(1000), nullptr); // vehicle id 0: none
    EXPECT_EQ(m.FindSquad(1, 0x1), m.Units()[0]);
    EXPECT_EQ(m.FindSquad(1, 0x2), car);
    EXPECT_EQ(m.FindSquad(-1), nullptr);
    // Ids are never reused.
    m.RemoveSquad(m.Units()[1], true);
    CSquad* later = AddSquad(m, kUnitSprite, 2, 60, 60);
    EXPECT_EQ(later->m_nID, 3);
}

TEST_F(SquadManagerTest, SavedRecordsKeepForwardLinksVehiclesAndDropGhosts)
{
    Side& first = MakeSide(OpenMap(8, 4), true, 0, false, ScenarioSquads);
    CSquadManager& m = first.Scenario();
    CSquad* u1 = m.Units()[0];
    CSquad* car = m.Vehicles()[0];
    CSquad* u3 = AddSquad(m, kUnitSprite, 3, 150, 70); // made later: the ghost check must not drop it
    m.RemoveSquad(m.Units()[1], true);                 // squad 2 went away: the next load must not bring it back
    u1->m_pLink = u3;                                  // a unit linked to a squad whose record comes later
    u1->m_pTarget = car;                               // and aiming at a vehicle
    u3->m_pLink = car;
    ASSERT_TRUE(car->LoadSquad(u3, true, false));
    u1->m_fHealth = 55.5f;
    u1->m_fContamination = 3.25f;
    u1->m_fX = 44.5f;
    u1->m_nTimer = 17;
    u1->m_nOutcome = 9;
    u1->m_nNextState = kActFightFire;
    u1->m_nLastDestX = 200;
    u1->m_nLastDestY = 100;
    u1->m_nSoundChannel = 5;
    m.m_fNegotiationFactor = 0.85f;
    std::vector<uint8_t> bytes = SaveBlocks(first);
    EXPECT_EQ(bytes.size(), 4u + 8 + 2 * 149 + 8 + 149 + 4 + 8 + 8);

    Side& second = MakeSide(OpenMap(8, 4), true, 0, false, ScenarioSquads);
    ASSERT_TRUE(LoadBlocks(second, bytes));
    CSquadManager& n = second.Scenario();
    ASSERT_EQ(n.Units().size(), 2u);
    CSquad* l1 = n.FindSquad(1, 1);
    CSquad* l3 = n.FindSquad(3, 1);
    CSquad* lcar = n.FindSquad(1001);
    ASSERT_TRUE(l1 && l3 && lcar);
    EXPECT_EQ(n.FindSquad(2, 1), nullptr);
    EXPECT_EQ(l1->m_pLink, l3);
    EXPECT_EQ(l1->m_pTarget, lcar);
    EXPECT_EQ(l3->m_pLink, lcar);
    EXPECT_EQ(lcar->m_apLoaded[0], l3);
    EXPECT_TRUE(l3->IsLoaded());
    EXPECT_EQ(l1->m_fHealth, 55.5f);
    EXPECT_EQ(l1->m_fContamination, 3.25f);
    EXPECT_EQ(l1->m_fX, 44.5f);
    EXPECT_EQ(l1->m_nTimer, 17);
    EXPECT_EQ(l1->m_nOutcome, 9);
    EXPECT_EQ(l1->m_nNextState, kActFightFire);
    EXPECT_EQ(l1->m_nDestX, 200); // the path is asked for again
    EXPECT_EQ(l1->m_nLastDestX, -1);
    EXPECT_EQ(l1->m_nSoundChannel, -1); // a channel of the previous run means nothing now
    EXPECT_EQ(l3->m_pSprite->m_Placement.Id, 3);
    EXPECT_EQ(n.m_fNegotiationFactor, 0.85f);
    EXPECT_EQ(n.m_nUnitCount, 3);
    EXPECT_EQ(SaveBlocks(second).size(), bytes.size());
}

TEST_F(SquadManagerTest, ShortOrBadBlocksFailAndChangeNothing)
{
    Side& side = MakeSide(OpenMap(6, 4), true, 0, false, ScenarioSquads);
    std::vector<uint8_t> bytes = SaveBlocks(side);
    const float health = side.Scenario().Units()[0]->m_fHealth;
    for (size_t cut : {size_t{0}, size_t{3}, size_t{11}, size_t{12 + 148}, bytes.size() - 20 - 1}) {
        std::vector<uint8_t> shortBlock(bytes.begin(), bytes.begin() + static_cast<long>(cut));
        CByteReader r(shortBlock.data(), shortBlock.size());
        EXPECT_FALSE(side.Scenario().Load(r)) << cut;
    }
    // A count far beyond the bytes left, and a negative one.
    for (int32_t n : {1000000, -1}) {
        std::vector<uint8_t> bad = bytes;
        std::memcpy(bad.data() + 8, &n, 4);
        CByteReader r(bad.data(), bad.size());
        EXPECT_FALSE(side.Scenario().Load(r));
    }
    EXPECT_EQ(side.Scenario().Units().size(), 2u);
    EXPECT_EQ(side.Scenario().Units()[0]->m_fHealth, health);
}

TEST_F(SquadManagerTest, ARecordNumberOutsideItsListIsRefused)
{
    Side& side = MakeSide(OpenMap(6, 4), true, 0, false, ScenarioSquads);
    const std::vector<uint8_t> bytes = SaveBlocks(side);
    // Two unit records, then the vehicle list's counter and count, then the car's record.
    const size_t unit = 12, vehicle = 12 + 2 * kSquadRecordSize + 8;
    const struct {
        size_t at;
        int32_t number;
        bool loads;
    } cases[] = {
        {vehicle, INT32_MIN + 237, false}, {vehicle, INT32_MIN, false}, {vehicle, 999, false},
        {vehicle, 1000, false},            {vehicle, INT32_MAX, true},  {unit, 0, false},
        {unit, INT32_MIN, false},          {unit, 1000, false},         {unit, 999, true},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bad = bytes;
        std::memcpy(bad.data() + c.at, &c.number, 4);
        CByteReader r(bad.data(), bad.size());
        EXPECT_EQ(side.Scenario().Load(r), c.loads) << c.number;
    }
}

TEST_F(SquadManagerTest, ARecordOfAnotherAgencyOrTemplateForASquadTheGameHasIsRefused)
{
    Side& side = MakeSide(OpenMap(6, 4), true, 0, false, ScenarioSquads);
    const std::vector<uint8_t> bytes = SaveBlocks(side);
    const CSquad* squad = side.Scenario().FindSquad(1);
    ASSERT_TRUE(squad && squad->m_pSprite);
    const CPlacement before = squad->m_pSprite->m_Placement;
    // The first unit record: its number, then the placement's agency, flags and template.
    const size_t agency = 12 + 4, unitTemplate = 12 + 12;
    for (size_t at : {agency, unitTemplate}) {
        std::vector<uint8_t> bad = bytes;
        bad[at] ^= 1;
        CByteReader r(bad.data(), bad.size());
        EXPECT_FALSE(side.Scenario().Load(r)) << at;
        EXPECT_EQ(squad->m_pSprite->m_Placement.AgencyIndex, before.AgencyIndex);
        EXPECT_EQ(squad->m_pSprite->m_Placement.Id, before.Id);
    }
    CByteReader same(bytes.data(), bytes.size());
    EXPECT_TRUE(side.Scenario().Load(same));
}

TEST_F(SquadManagerTest, ATimerNoGameCountsDownIsRefused)
{
    Side& side = MakeSide(OpenMap(6, 4), true, 0, false, ScenarioSquads);
    CSquad* squad = side.Scenario().Units()[0];
    const struct {
        int32_t timer;
        bool loads;
    } cases[] = {{INT32_MIN, false}, {-1, false}, {kSquadTimerMax + 1, false}, {0, true}, {kSquadTimerMax, true}};
    for (const auto& c : cases) {
        squad->m_nTimer = c.timer;
        const std::vector<uint8_t> bytes = SaveBlocks(side);
        squad->m_nTimer = 7;
        EXPECT_EQ(LoadBlocks(side, bytes), c.loads) << c.timer;
        EXPECT_EQ(squad->m_nTimer, c.loads ? c.timer : 7) << c.timer;
    }
}

TEST_F(SquadManagerTest, AMovingSquadResumesItsPathAfterALoadFromAFile)
{
    Side& first = MakeSide(OpenMap(8, 4), true, 0, false, ScenarioSquads);
    CSquad* walker = first.Scenario().Units()[0];
    walker->GiveOrder(0, kActMove, 200, 100, kSqPathRequest, nullptr);
    Steps(5);
    ASSERT_TRUE(walker->m_nFlags & kSqMoving);
    FILE* file = std::tmpfile();
    ASSERT_TRUE(file);
    std::fputs("head", file); // the block sits after other blocks of the saved game
    ASSERT_TRUE(first.Squads().SaveSquads(file));
    const long end = std::ftell(file);

    Side& second = MakeSide(OpenMap(8, 4), true, 0, false, ScenarioSquads);
    std::fseek(file, 4, SEEK_SET);
    ASSERT_TRUE(second.Squads().LoadSquads(file));
    EXPECT_EQ(std::ftell(file), end);
    CSquad* resumed = second.Scenario().Units()[0];
    second.Squads().ResumeAfterLoad();
    EXPECT_TRUE(resumed->m_nFlags & kSqPathRequest);
    EXPECT_EQ(resumed->m_nNextState, kActMove);
    for (int i = 0; i < 500; ++i)
        second.Squads().MovementStep();
    EXPECT_EQ(resumed->m_nState, kActIdle);
    EXPECT_EQ(resumed->m_fX, 200.0f);
    EXPECT_EQ(resumed->m_fY, 100.0f);

    // A file cut short fails and is left where it was.
    std::fflush(file);
    FILE* cut = std::tmpfile();
    std::vector<char> bytes(static_cast<size_t>(end - 4 - 30));
    std::fseek(file, 4, SEEK_SET);
    ASSERT_EQ(std::fread(bytes.data(), 1, bytes.size(), file), bytes.size());
    std::fwrite(bytes.data(), 1, bytes.size(), cut);
    std::fseek(cut, 0, SEEK_SET);
    EXPECT_FALSE(second.Scenario().Load(cut) && second.Area().Load(cut));
    std::fclose(cut);
    std::fclose(file);
}

TEST_F(SquadManagerTest, AnOrderSavedBeforeItsPathIsServedStillLeadsThere)
{
    Side& first = MakeSide(OpenMap(8, 4), true, 0, false, ScenarioSquads);
    CSquad* walker = first.Scenario().Units()[0];
    walker->GiveOrder(-1, kActMove, 200, 100, kSqPathRequest, nullptr); // saved before any step serves it
    const std::vector<uint8_t> bytes = SaveBlocks(first);

    Side& second = MakeSide(OpenMap(8, 4), true, 0, false, ScenarioSquads);
    ASSERT_TRUE(LoadBlocks(second, bytes));
    second.Squads().ResumeAfterLoad();
    CSquad* resumed = second.Scenario().Units()[0];
    EXPECT_EQ(resumed->m_nDestX, 200);
    EXPECT_EQ(resumed->m_nDestY, 100);
    for (int i = 0; i < 500; ++i)
        second.Squads().MovementStep();
    EXPECT_EQ(resumed->m_fX, 200.0f);
    EXPECT_EQ(resumed->m_fY, 100.0f);
}

TEST_F(SquadManagerTest, ReleasedSquadsLeaveNothingPointingAtThem)
{
    Side& side = MakeSide(OpenMap(8, 4), true, 0, false, ScenarioSquads);
    CSquadManager& m = side.Scenario();
    CSquad* u1 = m.Units()[0];
    CSquad* u2 = m.Units()[1];
    CSquad* car = m.Vehicles()[0];
    ASSERT_TRUE(car->LoadSquad(u2, true, false));
    u1->m_pLink = u2;
    u1->m_pTarget = u2;
    car->m_pTarget = u2;
    CSquad* far = AddSquad(side.Area(), kUnitSprite, 0, 10, 10);
    far->m_pTarget = u2; // across managers too
    side.Services().pSelected = u2;
    side.Services().pOrderSquad = u2;
    bool left = false;
    side.Services().fnLeaveTargeting = [&] { left = true; };
    u2->m_nFlags |= kSqReleased;
    const int sprites = side.game->m_pSprites->GetSpritesCount();
    side.Scenario().MovementStep();
    EXPECT_EQ(m.Units().size(), 1u);
    EXPECT_EQ(u1->m_pLink, nullptr);
    EXPECT_EQ(u1->m_pTarget, nullptr);
    EXPECT_EQ(car->m_pTarget, nullptr);
    EXPECT_EQ(car->m_apLoaded[0], nullptr);
    EXPECT_EQ(far->m_pTarget, nullptr);
    EXPECT_EQ(side.Services().pSelected, nullptr);
    EXPECT_EQ(side.Services().pOrderSquad, nullptr);
    EXPECT_TRUE(left);
    EXPECT_EQ(side.game->m_pSprites->GetSpritesCount(), sprites - 1);
    // The game step removes them too, and stepping on is safe (the sanitizer build checks the memory).
    u1->m_nFlags |= kSqReleased;
    side.Squads().GameStep();
    side.Squads().MovementStep();
    EXPECT_TRUE(m.Units().empty());
}

TEST_F(SquadManagerTest, PickingCyclesThroughAStack)
{
    Side& side = MakeSide(OpenMap(6, 4));
    CSquadManager& m = side.Scenario();
    std::vector<CSquad*> stack;
    for (int i = 0; i < 3; ++i) {
        CSquad* s = AddSquad(m, kUnitSprite, i, 50, 50);
        s->m_pSprite->m_Placement.Flags |= kSpriteDrawn;
        s->m_pSprite->m_nScreenX = 40;
        s->m_pSprite->m_nScreenY = 40;
        s->m_pSprite->m_anFrameWidth[0] = 16;
        s->m_pSprite->m_anFrameHeight[0] = 16;
        stack.push_back(s);
    }
    stack[2]->m_pSprite->m_Placement.Flags |= kSpriteLoaded; // loaded units are not picked
    CSquadPickPoint point;
    point.x = 56; // the rectangle's edge counts
    point.y = 45;
    point.bCycle = true;
    std::set<CSquad*> picked;
    for (int i = 0; i < 4; ++i) {
        CSquad* s = m.PickSquadsAt(point);
        ASSERT_TRUE(s == stack[0] || s == stack[1]);
        picked.insert(s);
        point.pSelected = s;
    }
    EXPECT_EQ(picked.size(), 2u);
    point.x = 57;
    EXPECT_EQ(m.PickSquadsAt(point), nullptr);
}

std::vector<std::string> MenuTexts(const CPopupMenu* menu, std::vector<bool>* enabled = nullptr)
{
    std::vector<std::string> texts;
    for (int i = 0; i < menu->GetCount(); ++i) {
        texts.push_back(menu->GetItem(i)->szText);
        if (enabled)
            enabled->push_back(!(menu->GetItem(i)->dwFlags & POPUP_ITEM_DISABLED));
    }
    return texts;
}

TEST_F(SquadManagerTest, OrderMenuFitsTheSquadAndTheActiveUnits)
{
    Side& side = MakeSide(OpenMap(6, 4));
    CSquadManager& m = side.Scenario();
    CSquad* unit = AddSquad(m, kUnitSprite, 0, 40, 40);
    unit->m_pUnitRecord->m_fAssault = 10.0f;
    unit->m_pUnitRecord->m_fFightHazard = 0.5f;
    unit->m_pUnitRecord->m_fClearDebris = 1.0f;
    std::vector<bool> enabled;
    EXPECT_EQ(MenuTexts(m.BuildOrderMenu(unit), &enabled),
              (std::vector<std::string>{"Move", "Get In Vehicle", "Assault", "Fight Hazard", "Clear Debris",
                                        "Clear Obstruction", "Cancel", "Info"}));
    EXPECT_EQ(enabled, (std::vector<bool>{true, false, false, false, false, true, true, true}));
    // Operations units switch orders on.
    side.game->m_pEOCUnitData->m_aSections[1].uActivated = 0x4 | 0x200;
    enabled.clear();
    MenuTexts(m.BuildOrderMenu(unit), &enabled);
    EXPECT_EQ(enabled, (std::vector<bool>{true, false, true, true, false, true, true, true}));
    // Waived: everything on, the scripting orders and "(Hidden)" offered; 20 items at most.
    side.game->m_uMode |= kModeWaiveUnits;
    std::vector<std::string> all = MenuTexts(m.BuildOrderMenu(unit), &enabled);
    EXPECT_EQ(all.size(), 19u);
    EXPECT_EQ(all[6], "Explode");
    EXPECT_EQ(all[16], "(Hidden)");
    for (float* a : {&unit->m_pUnitRecord->m_fSearchForBomb, &unit->m_pUnitRecord->m_fFirstAid,
                     &unit->m_pUnitRecord->m_fNegotiate, &unit->m_pUnitRecord->m_fSupervise})
        *a = 1.0f;
    EXPECT_EQ(m.BuildOrderMenu(unit)->GetCount(), 20); // the rest does not fit
    side.game->m_uMode &= ~kModeWaiveUnits;

    CSquad* car = AddSquad(m, kVehicleSprite, 0, 80, 40);
    car->m_pUnitRecord->m_fEvacuate = 1.0f; // exactly 1.0: no towing
    enabled.clear();
    EXPECT_EQ(MenuTexts(m.BuildOrderMenu(car), &enabled),
              (std::vector<std::string>{"Move", "Unload All Squads", "Load A Squad", "Perimeter", "Go to Station",
                                        "Cancel", "Info"}));
    EXPECT_EQ(enabled, (std::vector<bool>{true, false, false, false, false, true, true}));

    CSquad* travelling = AddSquad(side.Area(), kVehicleSprite, 0, 10, 10);
    travelling->m_nFlags |= kSqAreaMap;
    EXPECT_EQ(MenuTexts(side.Area().BuildOrderMenu(travelling)),
              (std::vector<std::string>{"Return to Station", "Info"}));
    travelling->m_nNextState = kActReturnToStation;
    EXPECT_EQ(MenuTexts(side.Area().BuildOrderMenu(travelling)),
              (std::vector<std::string>{"Return to Incident", "Info"}));
}

TEST_F(SquadManagerTest, SyncRecordsBringTheClientInStep)
{
    Side& host = MakeSide(OpenMap(8, 4), true, 0, true, ScenarioSquads);
    Side& client = MakeSide(OpenMap(8, 4), false, 1, true, ScenarioSquads);
    CSquad* hurt = host.Scenario().Units()[0];
    CSquad* car = host.Scenario().Vehicles()[0];
    CSquad* other = host.Scenario().Units()[1];
    hurt->m_fHealth = 50.0f; // incapacitated after the next condition update
    ASSERT_TRUE(car->LoadSquad(other, true, false));
    other->m_fX = 99.0f;
    other->m_nFlags |= kSqPositionChanged;
    host.Squads().GameStep();
    Exchange();
    Steps(1); // requested states are carried out by the movement step
    CSquad* c1 = client.Scenario().Units()[0];
    CSquad* c2 = client.Scenario().Units()[1];
    CSquad* ccar = client.Scenario().Vehicles()[0];
    EXPECT_EQ(c1->m_fHealthPct, 50.0f);
    EXPECT_EQ(c1->m_nState, kActIncapacitated);
    EXPECT_EQ(c1->m_nHealthState, kHealthIncapacitated);
    EXPECT_TRUE(c1->m_pSprite->m_Placement.Modifiers & kModIncapacitated);
    EXPECT_EQ(ccar->m_apLoaded[0], c2);
    EXPECT_TRUE(c2->m_pSprite->m_Placement.Flags & kSpriteLoaded);
    EXPECT_EQ(c2->m_fX, 99.0f);
    EXPECT_FALSE(other->m_nFlags & kSqPositionChanged);
    // Without the position bit nobody moves.
    other->m_fX = 10.0f;
    host.Squads().GameStep();
    Exchange();
    EXPECT_EQ(c2->m_fX, 99.0f);
}

TEST_F(SquadManagerTest, SyncMessagesAreCheckedAgainstTheirLength)
{
    Side& side = MakeSide(OpenMap(8, 4), true, 0, false, ScenarioSquads);
    CSquad* first = side.Scenario().Units()[0];
    std::vector<uint8_t> message = side.Scenario().BuildSyncMessage();
    // One unit record only: the second unit keeps its values.
    CByteWriter w;
    w.WriteI32(1);
    w.WriteI32(0);
    w.WriteBytes(message.data() + 8, 52);
    std::memcpy(const_cast<uint8_t*>(w.Bytes()) + 8, "\0\0\x48\x42", 4); // 50.0f
    side.Scenario().Units()[1]->m_fHealthPct = 77.0f;
    side.Scenario().ApplySyncRecords(w.Bytes(), w.Size());
    EXPECT_EQ(first->m_fHealthPct, 50.0f);
    EXPECT_EQ(side.Scenario().Units()[1]->m_fHealthPct, 77.0f);
    // Counts that the bytes do not hold, or negative: nothing happens.
    for (auto counts : std::vector<std::pair<int32_t, int32_t>>{{2, 0}, {-1, 1}, {0x7FFFFFFF, 0x7FFFFFFF}}) {
        CByteWriter bad;
        bad.WriteI32(counts.first);
        bad.WriteI32(counts.second);
        bad.WriteBytes(message.data() + 8, 52);
        first->m_fHealthPct = 12.0f;
        side.Scenario().ApplySyncRecords(bad.Bytes(), bad.Size());
        EXPECT_EQ(first->m_fHealthPct, 12.0f);
    }
}

TEST_F(SquadManagerTest, ALoopingSquadSoundKeepsItsChannelUntilTheSquadStops)
{
    Side& side = MakeSide(OpenMap(8, 4), true, 0, false, ScenarioSquads);
    CSquad* unit = side.Scenario().Units()[0];
    CSquad* other = side.Scenario().Units()[1];
    unit->m_nOrderPlayer = 0; // the local player's
    other->m_nOrderPlayer = 5;
    unit->PlayActionSound(9, true, 0.5f, true);
    const int first = unit->m_nSoundChannel;
    ASSERT_GE(first, 0);
    EXPECT_EQ(m_sound.GetChannel(first).nSound, 9);
    EXPECT_TRUE(m_sound.GetChannel(first).bLooping);
    // A new loop takes the place of the old one, which stops.
    unit->PlayActionSound(27, true, 1.0f, true);
    const int second = unit->m_nSoundChannel;
    ASSERT_GE(second, 0);
    EXPECT_EQ(m_sound.GetChannel(second).nSound, 27);
    for (int i = 0; i < CSoundManager::kChannelCount; ++i)
        EXPECT_NE(m_sound.GetChannel(i).nSound, 9) << i;
    // A one-shot sound leaves the loop's channel kept.
    unit->PlayActionSound(0, true);
    EXPECT_EQ(unit->m_nSoundChannel, second);
    // Another player's squad plays nothing here.
    other->PlayActionSound(15, true, 1.0f, true);
    EXPECT_EQ(other->m_nSoundChannel, -1);
    // Going idle stops the loop and frees its channel.
    unit->SetState(kActIdle, true, true, true);
    EXPECT_EQ(unit->m_nSoundChannel, -1);
    EXPECT_EQ(m_sound.GetChannel(second).nSound, -1);
    for (int i = 0; i < CSoundManager::kChannelCount; ++i)
        EXPECT_FALSE(m_sound.GetChannel(i).bLooping) << i;
}

TEST_F(SquadManagerTest, StationToIncidentAndBack)
{
    Side& side = MakeSide(OpenMap(10, 8));
    CSprite* station = Station(side, 2);
    ASSERT_NE(station, nullptr);
    CStationData& data = *station->m_pStationData;
    CStationResource* line = data.m_paResources[0];
    auto* broken = new CStationResource();
    CopyName(broken->m_szName, CStationResource::kNameSize, "Nobody");
    broken->m_nAvailable = 3;
    data.m_paResources[1] = broken;
    data.m_pptWaypoints = {{100, 100}, {300, 100}, {300, 300}};
    data.m_nMinutesToSite = 1;
    data.BuildRoutes();
    side.world.baseX = 200;
    side.world.baseY = 150;
    CSquadManager& a = side.Area();
    CSquadManager& s = side.Scenario();

    // A line whose unit nobody knows adds nothing.
    EXPECT_FALSE(a.DispatchFromStation(station, 1, 5));
    EXPECT_EQ(broken->m_nAvailable, 3);
    EXPECT_TRUE(a.Units().empty());

    ASSERT_TRUE(a.RequestDispatch(station, 0));
    ASSERT_EQ(a.Vehicles().size(), 1u);
    ASSERT_EQ(a.Units().size(), 1u);
    EXPECT_EQ(line->m_nAvailable, 1);
    CSquad* car = a.Vehicles()[0];
    CSquad* crew = a.Units()[0];
    EXPECT_EQ(car->m_apLoaded[0], crew);
    EXPECT_EQ(car->m_nNextState, kActGoToIncident);
    // Along the route to the incident.
    for (int i = 0; i < 2000 && car->m_pManager == &a; ++i) {
        side.Squads().MovementStep();
        if (i % 15 == 0)
            side.Squads().GameStep();
    }
    ASSERT_EQ(car->m_pManager, &s);
    EXPECT_EQ(crew->m_pManager, &s);
    EXPECT_EQ(side.Squads().m_score.nAreaSquadsCalled, 1);
    EXPECT_TRUE(a.Vehicles().empty() && a.Units().empty());
    EXPECT_EQ(car->m_fDeployY, 64.0f); // the top edge: the route ends heading down
    EXPECT_EQ(car->m_pUnitRecord->m_fSpeed, 20.0f);
    // To the base, then ready.
    for (int i = 0; i < 3000 && car->m_nState != kActIdle; ++i) {
        side.Squads().MovementStep();
        if (i % 15 == 0)
            side.Squads().GameStep();
    }
    EXPECT_EQ(car->m_nState, kActIdle);
    EXPECT_EQ(car->m_fX, 200.0f);
    EXPECT_EQ(car->m_fY, 150.0f);
    EXPECT_FALSE(car->m_nFlags & kSqDeploying);
    // Go back to the station: the line's count comes back and both squads go.
    car->GiveOrder(0, kActGoToStation, 200, 150, kSqPathRequest, nullptr);
    for (int i = 0; i < 3000 && !(a.Vehicles().empty() && s.Vehicles().empty()); ++i) {
        side.Squads().MovementStep();
        if (i % 15 == 0)
            side.Squads().GameStep();
    }
    EXPECT_TRUE(a.Vehicles().empty());
    EXPECT_TRUE(a.Units().empty());
    EXPECT_TRUE(s.Vehicles().empty());
    EXPECT_EQ(line->m_nAvailable, 2);
}

// A dispatch packet from another machine: a delay no game sends (it overflows the timer, or leaves one below 0
// that no saved game may hold) is refused; one a game sends makes the squad wait that long at its station.
TEST_F(SquadManagerTest, DispatchDelaysFromThePacketAreRanged)
{
    Side& side = MakeSide(OpenMap(10, 8));
    CSprite* station = Station(side, 100, 7);
    ASSERT_NE(station, nullptr);
    CStationResource* line = station->m_pStationData->m_paResources[0];
    line->m_bOnCall = 1; // the squad waits out the delay at the station
    const struct {
        int32_t delay;
        bool taken;
    } cases[] = {{INT32_MIN, false}, {-1, false}, {0, false},  {1, false},
                 {2, true},          {19, true},  {20, false}, {INT32_MAX / 30 + 1, false},
                 {INT32_MAX, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.delay);
        CByteWriter w;
        w.WriteI32(0);
        w.WriteI32(station->m_Placement.ServiceId);
        w.WriteI32(0);
        w.WriteI32(c.delay);
        const size_t before = side.Area().Vehicles().size();
        const int available = line->m_nAvailable;
        side.game->ApplyGameMessage(kGmStationDispatch, w.Bytes(), w.Size(), true);
        ASSERT_EQ(side.Area().Vehicles().size(), before + (c.taken ? 1 : 0));
        EXPECT_EQ(line->m_nAvailable, available - (c.taken ? 1 : 0));
        if (c.taken) {
            EXPECT_EQ(side.Area().Vehicles().back()->m_nTimer, c.delay * 30);
        }
    }
    // What the squads' own requests send is always taken.
    for (int i = 0; i < 20; ++i) {
        m_draws.draws.push_back(i);
        const size_t before = side.Area().Vehicles().size();
        ASSERT_TRUE(side.Area().RequestDispatch(station, 0));
        EXPECT_EQ(side.Area().Vehicles().size(), before + 1) << i;
    }
}

} // namespace

// Demobilization counts the vehicles called from stations: each counts as called from its dispatch, and as not
// returned until it is back in its station; a destroyed one never went home.
TEST_F(SquadManagerTest, DemobilizationCountsTheCalledVehiclesThatDidNotGoHome)
{
    Side& side = MakeSide(OpenMap(10, 8));
    ScenarioSquads(side); // a vehicle placed in the scenario is nobody's call
    CSprite* station = Station(side, 3);
    ASSERT_NE(station, nullptr);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(side.Area().DispatchFromStation(station, 0, 5));
    CSquadScoreCounts& score = side.Squads().m_score;
    EXPECT_EQ(score.nAreaSquadsCalled, 3) << "called before any reached the incident";
    ASSERT_EQ(side.Area().Vehicles().size(), 3u);
    CSquad* destroyed = side.Area().Vehicles()[0];
    CSquad* home = side.Area().Vehicles()[1];
    // One reaches the incident and is destroyed there; one is back in its station; one is still on its way.
    side.Area().TransferSquad(destroyed);
    destroyed->m_nHealthState = kHealthKilled;
    home->m_nFlags |= kSqReleased;
    side.Scenario().CountForScore();
    side.Area().CountForScore();
    EXPECT_EQ(score.nAreaSquadsCalled, 3);
    EXPECT_EQ(score.nVehiclesNotReturned, 2);
    EXPECT_EQ(score.nVehiclesDestroyed, 1);
}
