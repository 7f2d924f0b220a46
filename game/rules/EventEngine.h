// The event trigger engine: files a scenario's triggers by condition kind, re-evaluates them when the game
// reports something, and fires the events whose triggers all hold, after their chance and delay.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

class CSquad;
class CZREventsData;
class CZREvent;
class CZRArgument;
class CZRResult;
class CByteReader;
class CByteWriter;

// What the game reports through CEventEngine::Notify (kind, squad or null, a, b, c).
enum ENotifyKind : int32_t {
    kNotifyMinute = 1,        // a: the game time HHMM
    kNotifySquadMoved = 2,    // squad: moved or arrived
    kNotifyUnitActivated = 3, // a: section (0 Command .. 4 Finance/Admin), b: unit
    kNotifyActionStarted = 4, // squad; a: action id
    kNotifyActionEnded = 5,   // squad; a: action id
    kNotifyIAP = 6,           // a: 1 when the plan is approved
    kNotifyEnvironment = 7,   // a: effect 0 explosion, 1 fire, 2 electrical, 3 gas, 4 water; b, c: tile x, y
};

// What the engine reads of a squad.
struct CEngineSquadInfo {
    int32_t nAgency = 9;      // agency kind of the squad's unit-task record
    int32_t nUnitId = 0;      // the id conditions and results name the squad by
    int32_t nSpriteKind = 1;  // 1 unit, 4 vehicle
    int32_t nHealthState = 0; // 0 well, 1 injured, 2 incapacitated, 3 killed or destroyed
    uint32_t uFlags = 0;      // squad flags: 0x40 equipped, 0x100 compliant, 0x400 killed once
    uint32_t uTypeFlags = 0;  // the unit's type flags: 0x20000 takes no order but "Unload All Squads"
    float fX = 0.0f;          // world position in pixels
    float fY = 0.0f;
};

// The game as the engine sees it: squads, incident world, EOC and players. Every operation has a quiet
// default, so a test overrides only what it watches; the game installs the real one.
class IEventEngineHost {
public:
    virtual ~IEventEngineHost() = default;

    // The game: authority (host or single play) and the mode word.
    virtual bool HasAuthority() const { return true; }
    virtual uint32_t GetModeFlags() const { return 0; }

    // Squads. The info of a squad; false when it is unknown.
    virtual bool GetSquadInfo(const CSquad* /*squad*/, CEngineSquadInfo& /*info*/) const { return false; }
    // The squad named by agency kind and id, looked up in both lists of the scenario's squads.
    virtual CSquad* FindSquad(int32_t /*agency*/, int32_t /*id*/) { return nullptr; }
    // A squad of an agency in `targetAgencies` (bit k for agency kind k) in range of `squad` for `action`.
    virtual CSquad* FindSquadInRange(CSquad* /*squad*/, int32_t /*action*/, int32_t /*targetAgencies*/)
    {
        return nullptr;
    }
    // The squad at a point that order 19 ("Get In Vehicle") boards.
    virtual CSquad* FindSquadAt(int32_t /*x*/, int32_t /*y*/) { return nullptr; }
    // For a linked squad: true, with the value of the squad holding it (see the engine's order rule).
    virtual bool GetHolderValue(const CSquad* /*squad*/, float& /*value*/) const { return false; }
    // Gives an order as the simulation does; `flagBits` are added to the squad's flags.
    virtual void GiveOrder(CSquad* /*squad*/, int32_t /*order*/, int32_t /*x*/, int32_t /*y*/, uint32_t /*flagBits*/,
                           CSquad* /*target*/)
    {
    }
    // Clears the hidden flag 0x400000 of the squad's unit.
    virtual void RevealSquad(CSquad* /*squad*/) {}
    // The squad stands on a tile with a zone node of kind 192.
    virtual bool IsOnEquipmentNode(const CSquad* /*squad*/) const { return false; }
    // Switches the squad's equipment on and gives it flag 0x40.
    virtual void EquipSquad(CSquad* /*squad*/) {}

    // Incident world. Where a point lies from the incident site: true when inside it (or when there is no
    // site); else the distance in metres (a multiple of 10) and a direction index 0 North .. 7 NorthEast.
    virtual bool LocateFromIncidentSite(int32_t /*x*/, int32_t /*y*/, int32_t& /*metres*/, int32_t& /*direction*/) const
    {
        return true;
    }
    // Hazards placed by results, all without a further environment notification.
    virtual void Explode(int32_t /*x*/, int32_t /*y*/, int32_t /*size*/) {}
    virtual void SpillChemical(int32_t /*x*/, int32_t /*y*/, int32_t /*size*/) {}
    virtual void StartFire(int32_t /*x*/, int32_t /*y*/, float /*intensity*/) {}
    virtual void PlaceObject(int32_t /*x*/, int32_t /*y*/, int32_t /*type*/, float /*value*/, int32_t /*counter*/,
                             bool /*hidden*/)
    {
    }
    // Zone flagging: the key of the next zone group; one zone-node batch entry (false when the batch is
    // full); then, when at least one went in: send the batch, raise the group counter and the zone mark
    // value, and send the zone mark.
    virtual int32_t GetZoneGroupKey() const { return 0; }
    virtual bool PushZoneNode(int32_t /*x*/, int32_t /*y*/, int32_t /*groupKey*/, int32_t /*flag*/) { return false; }
    virtual void FinishZoneFlagging() {}

    // EOC: grants Resource Points to every section by the allocation and refreshes the money panel.
    virtual void GrantResourcePoints(float /*amount*/) {}
    // Whether a unit is active (restoring unit conditions after a saved game).
    virtual bool IsUnitActivated(int32_t /*section*/, int32_t /*unit*/) const { return false; }

    // Players: the fired event (its text as built), the result's three scores and its cost.
    virtual void ReportEvent(const CZREvent& /*event*/, const int32_t /*scores*/[3], int32_t /*cost*/) {}
};

// The engine's sentence for an environmental effect at a place; empty for an effect outside 0..4.
std::string IncidentSentence(int32_t effect, bool atSite, int32_t metres, int32_t direction);

class CEventEngine {
public:
    // Condition kinds in the order of the trigger bits 0x1 .. 0x80.
    enum EList {
        kListTime,
        kListEvent,
        kListLocation,
        kListUnit,
        kListAction,
        kListProximity,
        kListIAP,
        kListEnvironment,
        kListCount
    };

    explicit CEventEngine(IEventEngineHost* host = nullptr);
    ~CEventEngine();
    CEventEngine(const CEventEngine&) = delete;
    CEventEngine& operator=(const CEventEngine&) = delete;

    void SetHost(IEventEngineHost* host) { m_pHost = host; }

    // Files the triggers and events of the scenario's events data (not owned; it must outlive the engine
    // or be replaced by another Start), rolls chances and bomb countdowns, snaps the zones to tiles.
    void Start(CZREventsData* data);

    // The one entry of every report. Does nothing without authority or while the mode word carries 0x8
    // (front end) or 0x400000 (a saved game is being sent). A report made while one is handled (a result
    // that reports) is handled after it.
    void Notify(int32_t kind, CSquad* squad, int32_t a, int32_t b, int32_t c);

    // The saved-game block: events (id, executed, delay pending, delay trigger id, delay time HHMM) and
    // trigger states. Load returns false on a short or malformed block; what was read before stays.
    void Save(CByteWriter& out) const;
    bool Load(CByteReader& in);
    // After a saved game: event-occurred conditions from the events' executed flags, unit conditions from
    // the units that are active.
    void RestoreAfterLoad();

    // State for the game and tests.
    CZREventsData* GetEventsData() const { return m_pData; }
    int32_t GetCurrentTime() const { return m_nCurrentTime; }
    CSquad* GetTargetSquad() const { return m_pTargetSquad; }
    const std::vector<CZREvent*>& GetDependents(EList list) const { return m_aDependents[list]; }
    const std::vector<CZRArgument*>& GetTriggers(EList list) const { return m_aTriggers[list]; }
    // The delay trigger's id and due time (HHMM, may pass 2400 when it falls on the next day); false
    // when the event waits for no delay.
    bool GetDelay(const CZREvent* event, int32_t& triggerId, int32_t& dueTime) const;

private:
    struct CDelay {
        CZRArgument* pTrigger = nullptr; // the delay trigger (in the events data's map)
        int32_t nDue = 0;                // due time HHMM on the engine's day-carried clock
        bool bOwned = true;              // created by the engine (a file's own last trigger is not deleted)
    };
    struct CPending {
        int32_t nKind;
        CSquad* pSquad;
        int32_t a, b, c;
    };

    void HandleNotify(int32_t kind, CSquad* squad, int32_t a, int32_t b, int32_t c);
    IEventEngineHost& Host() const;
    void FileTrigger(CZRArgument* trigger);
    CZRArgument* FindTrigger(int32_t id) const;
    // `ownTrigger`: the event joins the time list through a time trigger of its own.
    void JoinList(EList list, CZREvent* event, bool ownTrigger);
    void LeaveList(EList list, CZREvent* event);
    void LeaveAllLists(CZREvent* event);
    bool IsListed(EList list, const CZREvent* event) const;

    void EvaluateTimeTriggers(int32_t time);
    void EvaluateSquadMoved(CSquad* squad);
    void EvaluateProximity(CSquad* squad);
    void EvaluateUnit(int32_t section, int32_t unit);
    void EvaluateAction(CSquad* squad, bool started, int32_t action);
    void EvaluateIAP(bool phase);
    void EvaluateEnvironment(int32_t effect, int32_t x, int32_t y);
    void RunEventOccurred();
    void ResetTriggers(EList list);

    void RunList(EList list);
    void RunTimeList();
    bool AllTriggersTrue(const CZREvent* event) const;
    bool SkipForCurrentSquad() const;
    int32_t CarriedTime() const;
    static int32_t DelayTimeOf(const CZRArgument* trigger);
    bool StartDelay(CZREvent* event);
    void AddDelay(CZREvent* event, int32_t due);
    void EndDelay(CZREvent* event);
    void Execute(CZREvent* event);

    std::string BuildIncidentText(const CZREvent* event) const;
    bool OrderSquad(const CZRResult& result);
    void FlagZone(const CZRResult& result);
    void PlaceHazard(const CZRResult& result);
    bool Equip(const CZRResult& result, bool& asked);

    IEventEngineHost* m_pHost;
    CZREventsData* m_pData = nullptr;
    CSquad* m_pCurrentSquad = nullptr;
    CSquad* m_pTargetSquad = nullptr;
    std::vector<CZREvent*> m_aDependents[kListCount];
    std::vector<CZREvent*> m_aFired;
    std::vector<CZRArgument*> m_aTriggers[kListCount];
    int32_t m_nCurrentTime = 0;

    // Triggers by id (the first in key order, as the events data finds them).
    std::map<int32_t, CZRArgument*> m_mapTriggerIds;
    // The delay triggers the engine made; they are evaluated on the clock that carries the day.
    std::set<const CZRArgument*> m_setDelayTriggers;

    // The clock carried past midnight: days seen wrapping, and the last minute reported.
    int32_t m_nDays = 0;
    int32_t m_nLastMinute = -1;
    std::map<const CZREvent*, CDelay> m_mapDelays;
    bool m_bBusy = false;
    std::vector<CPending> m_aPending;
};
