// Event batch and incident messages: every entry kind alike on host and client, full batches, bad payloads,
// zone groups, obstruction removal (message 63) and map markers (message 66).
#include "IncidentFixture.h"

#include "game/app/Game.h"
#include "game/sim/IncidentWorldGame.h"
#include "core/util/ByteStream.h"
#include "net/session/NetGameSession.h"

using namespace incidenttest;

namespace {

class BatchTest : public IncidentTest {};

TEST_F(BatchTest, EveryEntryKindGivesTheSameWorldOnHostAndClient)
{
    ScriptedRandom draws(-1);
    HostAndClient m(Ground(6, 6));
    CIncidentWorld& host = *m.host.world;
    host.StartFireNow(40, 40, 20.0f, false);                           // kind 1
    host.PlaceHazardNow(70, 10, kIncWaterLeak, 0.0f, 0, false, false); // kind 4
    host.PlaceHazardNow(100, 10, kIncElectrical, 1.0f, 0, false, false);
    host.PlaceHazardNow(130, 10, kIncGasLeak, 2.0f, 0, false, false);
    host.PlaceHazardNow(10, 100, kIncBomb, 1.0f, 40, true, false);
    host.PlaceChemicalNow(100, 100, 50.0f, true, false);   // kind 3
    host.SetObjectFlags(10, 100, 0);                       // kind 6: the bomb shows
    host.PlaceHazardNow(70, 10, -1, 0.0f, 0, false, true); // kind 4 removal
    for (int x = 0; x < 3; ++x)
        ASSERT_TRUE(host.PushObjectEvent(x * 32, 160, 7, 1)); // kind 5, flag 1
    ASSERT_TRUE(host.PushObjectEvent(128, 160, 8, 2));        // kind 5, flag 2: incident site
    host.SendEventBatch();
    m.host.links.time = m.client.links.time = 1015;          // each machine's clock
    host.PushObjectEvent(32, 160, kIncFacilityFirst + 1, 3); // re-skin group 7 as a Base
    host.m_nZoneMark = 2;
    m.host.links.facilityFlags = 0x5;
    host.PushZoneMark(); // kind 7
    host.SendEventBatch();
    host.SendSound(12);          // kind 8
    for (int i = 0; i < 12; ++i) // kinds 0 and 2 through the reports
        host.Step();

    EXPECT_EQ(Describe(host), Describe(*m.client.world));
    EXPECT_EQ(host.CountObjectsOfType(kIncWaterLeak, true), 0);
    EXPECT_NE(host.BombAt(m.host.Tile(10, 100)), nullptr);
    EXPECT_GE(host.Chemicals().Size(), 1);
    EXPECT_EQ(m.client.world->FirstNodeOfType(kIncFacilityFirst + 1)->m_nCounter, 3);
    EXPECT_EQ(m.client.world->GetReskinValue(kIncFacilityFirst + 1), 1015);
    EXPECT_EQ(m.client.world->GetReskinValue(kIncFacilityFirst + 2), 0);
    EXPECT_EQ(m.client.world->m_nZoneMark, 2);
    EXPECT_EQ(m.client.links.facilityFlags, 0x5u);
    EXPECT_EQ(m.client.links.played.back(), 12);
    // The host notified the engine for the fire and the three visible hazards; the client never does.
    std::vector<std::vector<int>> expected = {{7, 1, 32, 32}, {7, 4, 64, 0}, {7, 2, 96, 0}, {7, 3, 128, 0}};
    EXPECT_EQ(std::vector<std::vector<int>>(m.host.links.notes.begin(), m.host.links.notes.begin() + 4), expected);
    EXPECT_TRUE(m.client.links.notes.empty());
}

TEST_F(BatchTest, AHiddenObjectCountsAsCreatedWhenItShows)
{
    HostAndClient m(Ground(6, 6));
    CIncidentWorld& host = *m.host.world;
    struct Case {
        int type;
        int stat; // -1: no creation counter
    };
    const Case cases[] = {{kIncDebris, kStatDebris},
                          {kIncWaterLeak, kStatWaterHazards},
                          {kIncElectrical, kStatElectricalHazards},
                          {kIncGasLeak, kStatGasHazards},
                          {kIncBomb, -1}};
    int x = 10;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        host.PlaceHazardNow(x, 10, c.type, 0.0f, 40, true, true);
        for (Machine* side : {&m.host, &m.client}) {
            if (c.stat >= 0) {
                EXPECT_EQ(side->links.stats[c.stat], 0);
            }
        }
        host.SetObjectFlags(x, 10, kHiddenSpriteFlag); // still hidden
        host.SetObjectFlags(x, 10, 0);                 // shows
        host.SetObjectFlags(x, 10, 0);                 // already showing
        for (Machine* side : {&m.host, &m.client}) {
            if (c.stat >= 0) {
                EXPECT_EQ(side->links.stats[c.stat], 1);
            }
        }
        x += 32;
    }
    int total = 0;
    for (int stat : m.host.links.stats)
        total += stat;
    EXPECT_EQ(total, 4); // the bomb counts for nothing
}

TEST_F(BatchTest, TwoHundredEntriesMakeOneMessageAndTheNextIsRefused)
{
    HostAndClient m(Ground(4, 4));
    CIncidentWorld& host = *m.host.world;
    for (int i = 0; i < 200; ++i)
        ASSERT_TRUE(host.PushSound(1));
    EXPECT_FALSE(host.PushSound(1));
    EXPECT_FALSE(host.PushIgnition(0, 0, 50.0f));
    host.SendEventBatch();
    ASSERT_EQ(m.sent.size(), 1u);
    EXPECT_EQ(m.sent[0].second.size(), 5604u);
    EXPECT_EQ(host.GetBatch().Count(), 0);
    host.SendEventBatch(); // an empty batch sends nothing
    EXPECT_EQ(m.sent.size(), 1u);
}

TEST_F(BatchTest, RefusedIgnitionLeavesTheTileFreeToBurnLater)
{
    HostAndClient m(Ground(4, 4));
    CIncidentWorld& host = *m.host.world;
    CPathTile* tile = m.host.Tile(40, 40);
    for (int i = 0; i < 200; ++i)
        host.PushSound(1);
    host.StartFireNow(40, 40, 50.0f, true); // refused by the full batch
    EXPECT_FALSE(tile->m_nFlags & kTileFire);
    EXPECT_EQ(host.FireAt(tile), nullptr);

    // Spread into a neighbour while the batch is full: no pending mark either.
    host.StartFireNow(8, 40, 70.0f, true);
    ASSERT_NE(host.FireAt(m.host.Tile(8, 40)), nullptr);
    for (int i = 0; i < 200; ++i)
        host.PushSound(1);
    {
        ScriptedRandom draws(0);
        host.SpreadHazard(host.FireAt(m.host.Tile(8, 40)));
    }
    EXPECT_FALSE(tile->m_nFlags & kTileFire);
    host.GetBatch().Clear();

    // An ignition below the first threshold is refused by AddFire and clears the mark.
    host.StartFireNow(40, 40, 2.0f, true);
    EXPECT_FALSE(tile->m_nFlags & kTileFire);
    host.StartFireNow(40, 40, 10.0f, true);
    EXPECT_NE(host.FireAt(tile), nullptr);
    EXPECT_EQ(Describe(host), Describe(*m.client.world));
}

TEST_F(BatchTest, ReceivedBatchMustFitItsPayload)
{
    Machine c(Ground(4, 4));
    std::vector<uint8_t> one(4 + 28, 0);
    one[0] = 1;
    one[4] = kBatchIgnition;
    float intensity = 50.0f;
    std::memcpy(&one[8], &intensity, 4);
    std::vector<uint8_t> shortPayload(one.begin(), one.end() - 1);
    EXPECT_FALSE(c.world->ApplyTileUpdates(shortPayload.data(), shortPayload.size()));
    std::vector<uint8_t> tooMany(4 + 28 * 201, 0);
    tooMany[0] = 201 & 0xFF;
    EXPECT_FALSE(c.world->ApplyTileUpdates(tooMany.data(), tooMany.size()));
    EXPECT_FALSE(c.world->ApplyTileUpdates(one.data(), 3));
    EXPECT_EQ(c.world->Fires().Size(), 0);
    EXPECT_TRUE(c.world->ApplyTileUpdates(one.data(), one.size()));
    EXPECT_EQ(c.world->Fires().Size(), 1);
}

TEST_F(BatchTest, ReportsWalkOnlyTheirOwnListAndIgnoreMissingNodes)
{
    Machine c(Ground(4, 4));
    c.world->AddFire(c.Tile(0, 0), 20.0f);
    c.world->AddChemical(c.Tile(32, 0), 40.0f, true);
    CEventBatch batch;
    // A fire report whose start index is past the list, then a spill report entry: both apply to nothing.
    int i = batch.Append(kBatchFireReport);
    batch.SetFloat(i, 4, 0.0f);
    batch.SetStartIndex(5);
    i = batch.Append(kBatchSpillReport);
    batch.SetFloat(i, 4, 0.0f);
    auto payload = batch.Payload();
    EXPECT_TRUE(c.world->ApplyTileUpdates(payload.data(), payload.size()));
    EXPECT_EQ(c.world->Fires().Size(), 1);
    EXPECT_EQ(c.world->Chemicals().Size(), 1);
    // A batch that starts with an ignition ignores the start index.
    CEventBatch second;
    i = second.Append(kBatchIgnition);
    second.SetFloat(i, 4, 20.0f);
    second.SetI32(i, 8, 64);
    second.SetStartIndex(9);
    i = second.Append(kBatchFireReport);
    payload = second.Payload();
    EXPECT_TRUE(c.world->ApplyTileUpdates(payload.data(), payload.size()));
    EXPECT_EQ(c.world->Fires().Size(), 2);
    // A removal on a tile without an object does nothing.
    EXPECT_FALSE(c.world->RemoveObjectAt(96, 96));
}

TEST_F(BatchTest, ZoneGroupSizeCountsOnlyItsOwnPlacedNodes)
{
    HostAndClient m(Ground(4, 4));
    CIncidentWorld& host = *m.host.world;
    host.PushObjectEvent(0, 0, 1, 1);
    host.PushObjectEvent(32, 0, 1, 1);
    host.PushObjectEvent(5000, 0, 1, 1); // off the map: refused
    host.PushObjectEvent(0, 64, 2, 1);
    host.PushObjectEvent(32, 64, 2, 1);
    host.PushSound(3);
    host.SendEventBatch();
    for (CIncidentNode* n = host.ZoneNodes().Head(); n; n = n->m_pNext)
        EXPECT_EQ(n->m_nCounter, 2) << n->m_nGroupKey;
    EXPECT_EQ(Describe(host), Describe(*m.client.world));

    // The random pick stays in the first group of the type whatever the draw.
    for (int draw : {0, 1, 7, 1000}) {
        ScriptedRandom r(draw);
        CPathTile* t = host.RandomZoneTile(kIncFlaggedZone, false);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(host.ZoneNodeAt(t)->m_nGroupKey, host.ZoneNodes().Head()->m_nGroupKey);
    }
    EXPECT_EQ(host.RandomZoneTile(kIncIncidentSite, false), nullptr);
}

TEST_F(BatchTest, RandomZonePickGuardsAGroupOfSizeZero)
{
    Machine c(Ground(4, 4));
    c.world->AddZoneNode(c.Tile(0, 0), 3, 0, kIncFlaggedZone, false);
    ScriptedRandom r(5);
    EXPECT_EQ(c.world->RandomZoneTile(kIncFlaggedZone, false), nullptr);
    EXPECT_EQ(r.Draws(), 0);
}

TEST_F(BatchTest, ObstructionRemovalReachesTheClientAndLeavesNoEntry)
{
    HostAndClient m(Ground(4, 4));
    for (Machine* machine : {&m.host, &m.client}) {
        CPlacement p;
        p.Id = 300;
        p.ServiceId = 77;
        p.WorldX = 48;
        p.WorldY = 48;
        CSprite* s = machine->sprites->CreateFeatureSprite(p, false);
        ASSERT_NE(s, nullptr);
        s->m_anFrameWidth[0] = 32;
        s->m_anFrameHeight[0] = 32;
        machine->world->SetupObstructions();
        ASSERT_EQ(machine->world->GetObstructions().size(), 1u);
        EXPECT_EQ(machine->world->GetObstructions()[0]->m_fValue, 512.0f);
        EXPECT_EQ(machine->Tile(40, 40)->m_abyCosts[kVehicleBase], 255);
    }
    CIncidentWorld& host = *m.host.world;
    CObstruction* o = host.ObstructionAt(40, 40);
    ASSERT_NE(o, nullptr);
    EXPECT_FALSE(host.WorkObstruction(o, 500.0f));
    EXPECT_TRUE(host.WorkObstruction(o, 12.0f));
    ASSERT_EQ(m.sent.back().first, 63);
    EXPECT_EQ(m.sent.back().second, (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 0, 77, 0, 0, 0}));
    for (Machine* machine : {&m.host, &m.client}) {
        EXPECT_TRUE(machine->world->GetObstructions().empty());
        EXPECT_EQ(machine->sprites->FindSprite(kFeatureSprite, 77), nullptr);
        EXPECT_EQ(machine->Tile(40, 40)->m_abyCosts[kVehicleBase], 10);
        CByteWriter out;
        machine->world->SaveTo(out); // reads no freed sprite
        EXPECT_GT(out.Size(), 0u);
    }
    // A record naming a node's sprite never deletes it.
    host.PlaceHazardNow(8, 8, kIncDebris, 0.0f, 0, false, true);
    CIncidentNode* debris = host.DebrisAt(m.host.Tile(8, 8));
    ASSERT_NE(debris, nullptr);
    CByteWriter w;
    w.WriteI32(0);
    w.WriteI32(0);
    w.WriteI32(debris->m_pSprite->m_Placement.ServiceId);
    EXPECT_TRUE(host.ApplyMapObjectRecord(w.Bytes(), w.Size()));
    EXPECT_NE(host.DebrisAt(m.host.Tile(8, 8))->m_pSprite, nullptr);
}

TEST_F(BatchTest, MarkersFlashAndExpireOnEveryMachine)
{
    HostAndClient m(Ground(4, 4));
    CIncidentWorld& host = *m.host.world;
    EXPECT_TRUE(host.CanSendMarker());
    host.SendMarker(50, 60);
    EXPECT_FALSE(host.CanSendMarker());
    ASSERT_EQ(m.client.world->GetMarkers().size(), 1u);
    CMarkerPair* pair = m.client.world->GetMarkers()[0];
    ASSERT_NE(pair->m_apSprites[0], nullptr);
    EXPECT_TRUE(pair->m_apSprites[0]->m_Placement.Flags & kHiddenSpriteFlag);
    EXPECT_FALSE(pair->m_apSprites[1]->m_Placement.Flags & kHiddenSpriteFlag);
    EXPECT_EQ(m.client.links.played.back(), 33);
    for (int i = 0; i < 3; ++i)
        m.client.world->MarkerStep(); // flash interval 3
    EXPECT_FALSE(pair->m_apSprites[0]->m_Placement.Flags & kHiddenSpriteFlag);
    EXPECT_TRUE(pair->m_apSprites[1]->m_Placement.Flags & kHiddenSpriteFlag);
    for (int i = 0; i < 7; ++i)
        m.client.world->MarkerStep(); // lifetime 10
    EXPECT_TRUE(m.client.world->GetMarkers().empty());
    EXPECT_EQ(m.client.sprites->GetSpritesCount(), 0);
    for (int i = 0; i < 10; ++i)
        host.MarkerStep();
    EXPECT_TRUE(host.CanSendMarker());

    // Without a parameters file both times are 0: the marker goes at the first step.
    CIncidentParams none;
    m.client.world->SetParameters(none);
    uint8_t record[12] = {};
    m.client.world->SpawnSpritePair(record, sizeof record);
    m.client.world->MarkerStep();
    EXPECT_TRUE(m.client.world->GetMarkers().empty());
}

} // namespace

namespace {

std::unique_ptr<CGame> NetworkGame(bool host)
{
    CGameConfig config;
    config.strBaseFolder = "/nonexistent-zr-incident";
    config.bOpenLogFile = false;
    config.fnExit = [](int) {};
    config.fnPlaySound = [](int, float) {};
    auto game = std::make_unique<CGame>(config);
    game->m_pSession = std::make_unique<CNetGameSession>();
    game->m_pSession->SetHost(host);
    game->m_pSession->SetLocalPlayerId(host ? 0 : 1);
    game->m_bAuthority = host;
    game->m_uMode |= kModeNetworked;
    return game;
}

void Deliver(CGame& from, CGame& to)
{
    for (auto& out : from.m_pSession->TakeOutbound())
        to.m_pSession->PushInbound(out.aBytes);
    to.PollNetwork();
}

TEST_F(BatchTest, GamesCarryBatchesAndMarkersThroughTheSession)
{
    Machine hostSide(Ground(9, 9));
    Machine clientSide(Ground(9, 9));
    auto host = NetworkGame(true);
    auto client = NetworkGame(false);
    host->m_pIncidentWorld = std::move(hostSide.world);
    client->m_pIncidentWorld = std::move(clientSide.world);
    ConnectIncidentWorld(*host, *host->m_pIncidentWorld);
    ConnectIncidentWorld(*client, *client->m_pIncidentWorld);
    CIncidentLinks quiet = host->m_pIncidentWorld->GetLinks();
    quiet.pSound = &hostSide.links;
    host->m_pIncidentWorld->SetLinks(quiet);
    quiet = client->m_pIncidentWorld->GetLinks();
    quiet.pSound = &clientSide.links;
    client->m_pIncidentWorld->SetLinks(quiet);

    ScriptedRandom r(0);
    host->m_pIncidentWorld->ExplodeAt(140, 140, 2, true, true); // 98 entries: compressed and chunked
    EXPECT_EQ(host->m_pIncidentWorld->Fires().Size(), 44);      // applied on the host as it was posted
    EXPECT_EQ(client->m_pIncidentWorld->Fires().Size(), 0);     // nothing yet on the client
    Deliver(*host, *client);
    EXPECT_EQ(Describe(*host->m_pIncidentWorld), Describe(*client->m_pIncidentWorld));

    // A marker posted on the client appears there only when the host's copy comes back.
    client->m_pIncidentWorld->SendMarker(40, 40);
    EXPECT_TRUE(client->m_pIncidentWorld->GetMarkers().empty());
    Deliver(*client, *host);
    EXPECT_EQ(host->m_pIncidentWorld->GetMarkers().size(), 1u);
    Deliver(*host, *client);
    EXPECT_EQ(client->m_pIncidentWorld->GetMarkers().size(), 1u);
    for (int i = 0; i < 12; ++i) {
        host->m_pIncidentWorld->Step();
        Deliver(*host, *client);
    }
    EXPECT_EQ(Describe(*host->m_pIncidentWorld), Describe(*client->m_pIncidentWorld));
    host.reset(); // the games free their worlds while the sprites and grids still stand
    client.reset();
}

} // namespace
