// A scripted events model built in code, a recording stand-in for the game, and an engine over both.
#pragma once

#include "core/events/ConditionHooks.h"
#include "core/events/ConditionKinds.h"
#include "core/events/ZREventsData.h"
#include "game/rules/EventEngine.h"
#include "ScriptedRandom.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <functional>
#include <memory>
#include <map>
#include <string>
#include <vector>

// A squad as the engine sees it; its address is the handle the engine passes around.
struct FakeSquad {
    CEngineSquadInfo info;
    bool bLinked = false;
    float fHolder = 0.0f;
    bool bOnNode = false;
};

inline CSquad* Handle(FakeSquad& squad)
{
    return reinterpret_cast<CSquad*>(&squad);
}

struct ReportedEvent {
    int32_t nId;
    std::string strText;
    int32_t anScores[3];
    int32_t nCost;
};

struct ZoneNode {
    int32_t x, y, key, flag;
};

class FakeEngineHost : public IEventEngineHost {
public:
    bool HasAuthority() const override { return bAuthority; }
    uint32_t GetModeFlags() const override { return uMode; }

    bool GetSquadInfo(const CSquad* squad, CEngineSquadInfo& info) const override
    {
        const FakeSquad* fake = Find(squad);
        if (!fake)
            return false;
        info = fake->info;
        return true;
    }
    CSquad* FindSquad(int32_t agency, int32_t id) override
    {
        for (FakeSquad* squad : aSquads) {
            if (squad->info.nAgency == agency && squad->info.nUnitId == id)
                return Handle(*squad);
        }
        return nullptr;
    }
    CSquad* FindSquadInRange(CSquad* squad, int32_t /*action*/, int32_t targets) override
    {
        auto it = mapInRange.find(squad);
        if (it == mapInRange.end())
            return nullptr;
        const FakeSquad* other = Find(it->second);
        return other && (targets & (1 << other->info.nAgency)) ? it->second : nullptr;
    }
    CSquad* FindSquadAt(int32_t /*x*/, int32_t /*y*/) override { return pSquadAt; }
    bool GetHolderValue(const CSquad* squad, float& value) const override
    {
        const FakeSquad* fake = Find(squad);
        if (!fake || !fake->bLinked)
            return false;
        value = fake->fHolder;
        return true;
    }
    void GiveOrder(CSquad* squad, int32_t order, int32_t x, int32_t y, uint32_t flagBits, CSquad* target) override
    {
        Call("order %d %d %d,%d flags %u target %d", Find(squad)->info.nUnitId, order, x, y, flagBits,
             target ? Find(target)->info.nUnitId : -1);
        if (fnOnOrder)
            fnOnOrder();
    }
    void RevealSquad(CSquad* squad) override { Call("reveal %d", Find(squad)->info.nUnitId); }
    bool IsOnEquipmentNode(const CSquad* squad) const override { return Find(squad)->bOnNode; }
    void EquipSquad(CSquad* squad) override
    {
        Call("equip %d", Find(squad)->info.nUnitId);
        const_cast<FakeSquad*>(Find(squad))->info.uFlags |= 0x40;
    }

    bool LocateFromIncidentSite(int32_t x, int32_t y, int32_t& metres, int32_t& direction) const override
    {
        // The site is the box 0..63; anything else is 100 metres East of it.
        if (x < 64 && y < 64)
            return true;
        metres = 100;
        direction = 6;
        return false;
    }
    void Explode(int32_t x, int32_t y, int32_t size) override { Call("explode %d,%d size %d", x, y, size); }
    void SpillChemical(int32_t x, int32_t y, int32_t size) override { Call("spill %d,%d size %d", x, y, size); }
    void StartFire(int32_t x, int32_t y, float intensity) override { Call("fire %d,%d %g", x, y, intensity); }
    void PlaceObject(int32_t x, int32_t y, int32_t type, float value, int32_t counter, bool hidden) override
    {
        Call("object %d at %d,%d value %g counter %d hidden %d", type, x, y, value, counter, hidden ? 1 : 0);
    }
    int32_t GetZoneGroupKey() const override { return nZoneKey; }
    bool PushZoneNode(int32_t x, int32_t y, int32_t key, int32_t flag) override
    {
        if (aNodes.size() >= nBatchRoom)
            return false;
        aNodes.push_back({x, y, key, flag});
        return true;
    }
    void FinishZoneFlagging() override
    {
        ++nZoneKey;
        Call("zones sent");
    }
    void GrantResourcePoints(float amount) override { Call("rp %g", amount); }
    bool IsUnitActivated(int32_t section, int32_t unit) const override
    {
        return section == nActiveSection && unit == nActiveUnit;
    }
    void ReportEvent(const CZREvent& event, const int32_t scores[3], int32_t cost) override
    {
        aReports.push_back({event.m_nUniqueID, event.m_strEventText, {scores[0], scores[1], scores[2]}, cost});
    }

    std::vector<int32_t> ReportedIds() const
    {
        std::vector<int32_t> ids;
        for (const ReportedEvent& report : aReports)
            ids.push_back(report.nId);
        return ids;
    }

    bool bAuthority = true;
    uint32_t uMode = 0;
    std::vector<FakeSquad*> aSquads;
    std::map<CSquad*, CSquad*> mapInRange;
    CSquad* pSquadAt = nullptr;
    std::vector<std::string> aCalls;
    std::vector<ZoneNode> aNodes;
    size_t nBatchRoom = 200;
    int32_t nZoneKey = 7;
    int32_t nActiveSection = -1;
    int32_t nActiveUnit = -1;
    std::vector<ReportedEvent> aReports;
    std::function<void()> fnOnOrder;

private:
    const FakeSquad* Find(const CSquad* squad) const
    {
        for (const FakeSquad* fake : aSquads) {
            if (reinterpret_cast<const CSquad*>(fake) == squad)
                return fake;
        }
        return nullptr;
    }
    __attribute__((format(printf, 2, 3))) void Call(const char* format, ...)
    {
        char text[200];
        va_list args;
        va_start(args, format);
        std::vsnprintf(text, sizeof text, format, args);
        va_end(args);
        aCalls.emplace_back(text);
    }
};

// Condition makers.
inline CZRCondition* TimeAtOrAfter(int32_t hhmm)
{
    auto* c = new CConditionTimeBased();
    c->m_nComparison = 1;
    c->m_nTargetTime = hhmm;
    return c;
}
inline CZRCondition* EventOccurred(int32_t eventId, bool occurred = true)
{
    auto* c = new CConditionEventBased();
    c->m_nEventID = eventId;
    c->m_bWasEventExecuted = occurred;
    c->m_bState = !occurred;
    return c;
}
inline CZRCondition* InZone(int32_t zoneId, int32_t agency = 9, int32_t squadId = 0)
{
    auto* c = new CConditionLocationBased();
    c->m_nZoneID = zoneId;
    c->m_nAgency = agency;
    c->m_nSquadID = squadId;
    return c;
}
inline CZRCondition* UnitActivated(int32_t section, int32_t unit)
{
    auto* c = new CConditionZRUnitActivationBased();
    c->m_nSection = section;
    c->m_nUnit = unit;
    c->m_bWasUnitActivated = true;
    return c;
}
inline CZRCondition* Action(int32_t action, bool started, int32_t agency = 9)
{
    auto* c = new CConditionActionBased();
    c->m_nAction = action;
    c->m_bActionStatus = started;
    c->m_nAgency = agency;
    return c;
}
inline CZRCondition* Proximity(int32_t agency, int32_t squadId, int32_t action, int32_t targets)
{
    auto* c = new CConditionSquadProximityBased();
    c->m_nAgency = agency;
    c->m_nSquadID = squadId;
    c->m_nAction = action;
    c->m_nTargetAgency = targets;
    return c;
}
inline CZRCondition* IAPOccurred(bool occurred = true)
{
    auto* c = new CConditionIAPBased();
    c->m_bWasEventExecuted = occurred;
    return c;
}
inline CZRCondition* Environment(int32_t effect)
{
    auto* c = new CConditionEnvironmentBased();
    c->m_nEffect = effect;
    return c;
}

// A scenario's events data, the recording host and an engine over them.
struct CEngineRig {
    // Location conditions find their zones in this rig's events data; trigger ids for delays start at 1000.
    void Install()
    {
        ConditionHooks hooks;
        hooks.scenarioZones = [this]() -> const ZoneVector& { return m_data.m_vZones; };
        SetConditionHooks(hooks);
        CZRArgument::m_nArgIDsource = 1000;
    }

    // A trigger holding the conditions; its kind bits follow from them.
    CZRArgument* AddTrigger(int32_t id, std::vector<CZRCondition*> conditions)
    {
        auto* trigger = new CZRArgument(false);
        trigger->m_nUniqueID = id;
        for (CZRCondition* condition : conditions) {
            trigger->m_nBaseFlags |= ConditionKindBit(condition->m_nKind);
            trigger->m_vConditions.push_back(condition);
        }
        m_data.m_mapArguments[static_cast<uint32_t>(id)] = trigger;
        return trigger;
    }
    CZREvent* AddEvent(int32_t id, std::vector<uint32_t> triggers, CZRResult* result = nullptr)
    {
        auto* event = new CZREvent(false);
        event->m_nUniqueID = id;
        event->m_strEventText = "Event " + std::to_string(id) + ".";
        event->m_vTrigger = std::move(triggers);
        event->m_pResult = result;
        m_data.m_lstEvents.push_back(event);
        return event;
    }
    CTacticalMapZone* AddZone(int32_t id, int32_t left, int32_t top, int32_t right, int32_t bottom)
    {
        auto* zone = new CTacticalMapZone();
        zone->m_nUniqueID = id;
        zone->m_rcBoundingBox = {left, top, right, bottom};
        m_data.m_vZones.push_back(zone);
        return zone;
    }
    FakeSquad& AddSquad(int32_t agency, int32_t id, float x = 0, float y = 0)
    {
        m_squads.push_back(std::make_unique<FakeSquad>());
        FakeSquad& squad = *m_squads.back();
        squad.info.nAgency = agency;
        squad.info.nUnitId = id;
        squad.info.fX = x;
        squad.info.fY = y;
        m_host.aSquads.push_back(&squad);
        return squad;
    }
    void Start() { m_engine.Start(&m_data); }
    void Minute(int32_t hhmm) { m_engine.Notify(kNotifyMinute, nullptr, hhmm, 0, 0); }
    // Every minute from `from` to `to` (HHMM, wrapping at midnight), both included.
    void Minutes(int32_t from, int32_t to)
    {
        for (int32_t t = from;; t = (t % 100 == 59) ? ((t / 100 + 1) % 24) * 100 : t + 1) {
            Minute(t);
            if (t == to)
                break;
        }
    }

    CZREventsData m_data;
    FakeEngineHost m_host;
    CEventEngine m_engine{&m_host};
    std::vector<std::unique_ptr<FakeSquad>> m_squads;
};

class EngineTest : public ::testing::Test, public CEngineRig {
protected:
    void SetUp() override { Install(); }
    void TearDown() override { ResetConditionHooks(); }
};
