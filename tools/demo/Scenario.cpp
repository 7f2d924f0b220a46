// The Millbrook script: a fire at the Brennan Chemical warehouse by the rail line, the spill, explosion, gas,
// power and water hazards it brings, a suspect, a hidden device, the school next door and the media.
#include "tools/demo/Scenario.h"

#include "core/events/ConditionKinds.h"
#include "core/events/ZREventsData.h"
#include "core/world/ScenarioData.h"

#include <cstring>
#include <initializer_list>

namespace demo {

namespace {

// Recipient bits in the layout of the players' role flags: agencies by index, the top role, the sections.
constexpr int32_t kPolice = 0x1, kFire = 0x2, kSchool = 0x4, kPW = 0x8, kEMS = 0x10;
constexpr int32_t kZoranth = 0x400, kOps = 0x2000, kPlanning = 0x4000, kLogistics = 0x8000, kFinance = 0x10000;
constexpr int32_t kEveryone =
    kPolice | kFire | kSchool | kPW | kEMS | kZoranth | kOps | kPlanning | kLogistics | kFinance;

// Hazard kinds of a result.
enum Hazard { kExplosion = 1, kSpill = 2, kFireHazard = 3, kWaterLeak = 4, kElectrical = 5, kGasLeak = 6, kBomb = 7 };

class Script {
public:
    explicit Script(CZREventsData& data) : m_data(data) {}

    int Zone(const NamedRect& r)
    {
        auto* zone = new CTacticalMapZone();
        zone->m_strZoneName = r.name;
        // Rectangles only: a zone with points is left out of the events editor's location list.
        zone->m_rcBoundingBox = {r.left, r.top, r.right, r.bottom};
        m_data.m_vZones.push_back(zone);
        return zone->m_nUniqueID;
    }

    // A trigger holding the conditions (owned from here on).
    uint32_t Trigger(const std::string& name, std::initializer_list<CZRCondition*> conditions)
    {
        auto* t = new CZRArgument(true);
        t->m_strArgumentName = name;
        bool state = true;
        for (CZRCondition* c : conditions) {
            t->m_vConditions.push_back(c);
            t->m_nBaseFlags |= ConditionKindBit(c->m_nKind);
            state = state && c->m_bState;
        }
        t->m_bState = state;
        m_data.m_mapArguments[static_cast<uint32_t>(t->m_nUniqueID)] = t;
        return static_cast<uint32_t>(t->m_nUniqueID);
    }

    CZREvent& Event(const std::string& name, const std::string& title, const std::string& text, int32_t recipients,
                    std::initializer_list<uint32_t> triggers)
    {
        auto* e = new CZREvent(true);
        e->m_strEventName = name;
        e->m_strEventTitle = title;
        e->m_strEventText = text;
        e->nTmp = recipients;
        e->m_vTrigger.assign(triggers.begin(), triggers.end());
        e->m_pResult = new CZRResult();
        m_data.m_lstEvents.push_back(e);
        return *e;
    }

private:
    CZREventsData& m_data;
};

CZRCondition* TimeAtLeast(int hhmm)
{
    auto* c = new CConditionTimeBased();
    c->m_nComparison = 1;
    c->m_nTargetTime = hhmm;
    c->m_bState = false;
    return c;
}

CZRCondition* EventHappened(int eventId)
{
    auto* c = new CConditionEventBased();
    c->m_nEventID = eventId;
    c->m_bWasEventExecuted = true;
    c->m_bState = false; // as a load leaves it: not yet occurred
    return c;
}

CZRCondition* SquadInZone(int agencyKind, int squadId, int zoneId)
{
    auto* c = new CConditionLocationBased();
    c->m_nAgency = agencyKind;
    c->m_nSquadID = squadId;
    c->m_nZoneID = zoneId;
    return c;
}

CZRCondition* UnitActivated(int section, int unit)
{
    auto* c = new CConditionZRUnitActivationBased();
    c->m_nSection = section;
    c->m_nUnit = unit;
    c->m_bWasUnitActivated = true;
    c->m_bState = false;
    return c;
}

CZRCondition* InRange(int agencyKind, int squadId, int action, int targetBits)
{
    auto* c = new CConditionSquadProximityBased();
    c->m_nAgency = agencyKind;
    c->m_nSquadID = squadId;
    c->m_nAction = action;
    c->m_nTargetAgency = targetBits;
    return c;
}

CZRCondition* Action(int agencyKind, int action, bool started)
{
    auto* c = new CConditionActionBased();
    c->m_nAgency = agencyKind;
    c->m_nAction = action;
    c->m_bActionStatus = started;
    return c;
}

CZRCondition* PlanApproved()
{
    auto* c = new CConditionIAPBased();
    c->m_bWasEventExecuted = true;
    c->m_bState = false;
    return c;
}

CZRCondition* Effect(int effect)
{
    auto* c = new CConditionEnvironmentBased();
    c->m_nEffect = effect;
    c->m_bWasEventExecuted = true;
    c->m_bState = false;
    return c;
}

void Hazard(CZRResult& r, int kind, std::pair<int, int> at, int value, bool hidden = false)
{
    r.m_nHazardKind = kind;
    r.m_nHazardX = at.first;
    r.m_nHazardY = at.second;
    r.m_nHazardValue = value;
    r.m_bHideHazard = hidden;
}

void Review(CZRResult& r, int incident, int safety, int media, int cost)
{
    r.m_bAAREntry = true;
    r.m_anScore[0] = incident;
    r.m_anScore[1] = safety;
    r.m_anScore[2] = media;
    r.m_nCost = cost;
}

// An order to a placed unit, stored as the events editor stores it: squad kind 1 (a unit template) and the
// template's index beside the agency and service id the game finds the squad by.
void Order(CZRResult& r, int agencyKind, const SquadRef& squad, int order, std::pair<int, int> at)
{
    r.m_nSquadKind = 1;
    r.m_nSquadType = squad.templateIndex;
    r.m_nSquadAgency = agencyKind;
    r.m_nSquadID = squad.id;
    r.m_nOrderID = order;
    r.m_nOrderX = at.first;
    r.m_nOrderY = at.second;
}

SquadRef Squad(const SquadIds& squads, const std::string& key)
{
    auto it = squads.find(key);
    return it == squads.end() ? SquadRef{} : it->second;
}

// Paragraphs are set apart by an empty line. The briefing ends a wrapped line at a line break only when a blank
// of the next paragraph falls within the same 67 characters, so each paragraph's last line is kept short.
const char* kDescription =
    "At 09:25 Millbrook dispatch took a 911 call from the Brennan Chemical Supply warehouse on Depot Road: smoke "
    "is pouring from the storage racks, the sprinklers have not started and staff are still inside. The fenced "
    "yard lies by the rail line, with a loading dock and a tank farm of sodium hypochlorite. Millbrook "
    "Elementary, down the lane to the south-east, is in session and downwind. Gas and water mains run under the "
    "road; a power line feeds the yard.\n\n"
    "Your one police patrol has just pulled up at the yard fence. Call more responders from their stations on "
    "the area map: press AREA below the map, right-click a station and choose what to send. Set the Command Post "
    "on the grass west of the yard, where the patrol stands, stage resources at the Town Hall car park, protect "
    "the school, and bring the fire and any spill under control.\n\n"
    "You start without Resource Points: they come as the response goes on (a unit on scene, an approved plan, "
    "chiefs in office).\n"
    "COMMAND > Set Command Post opens as events unfold, by 09:45.\n\n"
    "The exercise runs to 10:05 but does not end by itself: when you are done, choose COMMAND > End Scenario for "
    "the scores and the de-briefing.";

} // namespace

std::unique_ptr<CScenarioData> MakeMillbrookScenario(const TownPlan& plan, const SquadIds& squads)
{
    // Fixed numbering: ids start at 1 in every run.
    CZREvent::m_nEventIDsource = 1;
    CZRArgument::m_nArgIDsource = 1;
    CTacticalMapZone::m_nZoneIDsource = 1;

    auto scenario = std::make_unique<CScenarioData>();
    std::strncpy(scenario->m_szTitle, "Millbrook Chemical Fire", CScenarioData::kTitleSize - 1);
    scenario->SetDescription(kDescription);
    scenario->m_nWindDirection = 14; // from the north-west, toward the school
    scenario->m_nWindSpeed = 12;
    scenario->m_nPredictedScore = 70;
    scenario->m_nPredictedCost = 45000;
    const int32_t scoreBreaks[3] = {80, 60, 40};
    // A cost at or above the first break takes the first text, one at or above the second the next, a lower one
    // the last: the costly response comes first and the lean one last. The third break repeats the second, as
    // the scenario editor writes it.
    const int32_t costBreaks[3] = {60000, 35000, 35000};
    for (int i = 0; i < 3; ++i) {
        scenario->m_anScoreBreaks[i] = scoreBreaks[i];
        scenario->m_anCostBreaks[i] = costBreaks[i];
    }
    // The remarks name no cause: a run may reach any grade by any road (a costly one by fire damage alone).
    scenario->m_vScoreMessages = {"Above average: the response met most of this scenario's targets.",
                                  "Average: the response met some of this scenario's targets and missed others.",
                                  "Below average: the response missed most of this scenario's targets; the score "
                                  "log shows which."};
    scenario->m_vCostMessages = {"Costs ran well over the prediction for an incident of this size.",
                                 "Costs were in line with a warehouse fire of this kind.",
                                 "A lean response: costs stayed well under the prediction for an incident of this "
                                 "size."};
    scenario->CreateEventsData();
    CZREventsData& data = *scenario->m_pEvents;
    data.m_strOriginalScenarioTitle = scenario->m_szTitle;
    data.m_strIntroText = "Fire at Brennan Chemical Supply, Depot Road, Millbrook. Chemicals on site; school nearby.";
    data.m_nGameStartTime = 930;
    data.m_nGameEndTime = 1005;

    Script s(data);
    const int site = s.Zone(plan.zones[0]);
    s.Zone(plan.zones[1]);
    s.Zone(plan.zones[2]);
    const int staging = s.Zone(plan.zones[3]);
    s.Zone(plan.zones[4]);
    const int commandPost = s.Zone(plan.zones[5]);
    const auto& p = plan.points;

    // 1 game time: the call comes in at the start.
    const uint32_t atStart = s.Trigger("Start of exercise", {TimeAtLeast(930)});
    CZREvent& fire = s.Event("Warehouse fire", "Fire reported at Brennan Chemical",
                             "911 call: heavy smoke and flames in the storage racks of the Brennan Chemical Supply "
                             "warehouse on Depot Road. Workers are still inside.",
                             kEveryone, {atStart});
    Hazard(*fire.m_pResult, kFireHazard, p.at("fire"), 2);
    fire.m_pResult->m_nZoneToBeFlagged = site;
    fire.m_pResult->m_nConnectionNodeFlag = 0x40; // the incident site
    Review(*fire.m_pResult, 0, 0, 0, 0);

    // 2 event occurred, with a delay: drums on the dock give way.
    const uint32_t afterFire = s.Trigger("After the fire report", {EventHappened(fire.m_nUniqueID)});
    CZREvent& spill = s.Event("Drums rupture", "Chemical spill on the loading dock",
                              "Heat has split drums of sodium hypochlorite on the loading dock. A spill is spreading "
                              "toward the rail siding.",
                              kZoranth | kFire | kOps, {afterFire});
    spill.m_nDelayResultFrom = 2;
    spill.m_nDelayResultTo = 4;
    Hazard(*spill.m_pResult, kSpill, p.at("spill"), 1);
    Review(*spill.m_pResult, 0, -2, 0, 1500);

    // 3 squad in zone: the first police squad reaches the site.
    const uint32_t policeOnSite = s.Trigger("Police at the site", {SquadInZone(0, 0, site)});
    CZREvent& arrival = s.Event("First unit on scene", "First unit on scene",
                                "A police unit has reached the site and "
                                "reports: fire showing from the warehouse, staff gathering in the yard.",
                                kZoranth, {policeOnSite});
    arrival.m_pResult->m_nZRPoints = 20;
    Review(*arrival.m_pResult, 5, 0, 0, 0);

    // 4 unit activation: the Operations Section chief; the Town Hall car park is cleared for staging.
    const uint32_t opsChief = s.Trigger("Operations chief activated", {UnitActivated(0, 1)});
    CZREvent& staging_ = s.Event("Operations in place", "Operations Section established",
                                 "The Operations Section Chief is in place. The Town Hall car park has been cleared "
                                 "and can be designated as a facility.",
                                 kZoranth | kOps, {opsChief});
    staging_.m_pResult->m_nZoneToBeFlagged = staging;
    staging_.m_pResult->m_nConnectionNodeFlag = 0x20;
    staging_.m_pResult->m_nZRPoints = 30;
    Review(*staging_.m_pResult, 10, 0, 0, 0);

    // 1 and 2 together, with a chance: a propane cylinder goes up.
    const uint32_t blast =
        s.Trigger("Twelve minutes into the fire", {TimeAtLeast(942), EventHappened(fire.m_nUniqueID)});
    CZREvent& cylinder = s.Event("Cylinder explodes", "Explosion in the warehouse",
                                 "A propane cylinder of the warehouse forklifts has exploded at the east end of the "
                                 "building. Debris is scattered over the yard.",
                                 kEveryone, {blast});
    cylinder.m_nChanceOfResult = 60;
    Hazard(*cylinder.m_pResult, kExplosion, p.at("explosion"), 1);
    Review(*cylinder.m_pResult, 0, -10, -5, 5000);

    // 8 environmental effect: any explosion cracks the gas main under Depot Road.
    const uint32_t afterBlast = s.Trigger("After an explosion", {Effect(0)});
    CZREvent& gas = s.Event("Gas main cracked", "Gas leak on Depot Road",
                            "The blast has cracked the gas main under Depot Road. Keep ignition sources away and "
                            "call the utility crew.",
                            kZoranth | kPW | kOps, {afterBlast});
    gas.m_nDelayResultFrom = 1;
    gas.m_nDelayResultTo = 3;
    Hazard(*gas.m_pResult, kGasLeak, p.at("gas"), 1);
    Review(*gas.m_pResult, 0, -3, 0, 2000);

    // 6 action: when firefighters start on the fire, the overhead line to the yard starts arcing.
    const uint32_t hoseOn = s.Trigger("Firefighting started", {Action(1, 11, true)});
    CZREvent& power = s.Event("Power line arcing", "Electrical hazard in the yard",
                              "Water on the overhead line to the warehouse has it arcing at the north-east corner of "
                              "the yard. De-energise it before working there.",
                              kZoranth | kFire | kPW, {hoseOn});
    Hazard(*power.m_pResult, kElectrical, p.at("power"), 1);
    Review(*power.m_pResult, 0, -2, 0, 800);

    // 1 with a chance below 100: the fire draw bursts a water main on Main Street.
    const uint32_t laterOn = s.Trigger("Twenty minutes in", {TimeAtLeast(950)});
    CZREvent& water = s.Event("Water main break", "Water main break on Main Street",
                              "The heavy draw on the hydrants has burst the water main under Main Street south of "
                              "the rail crossing. Pressure is dropping.",
                              kZoranth | kPW, {laterOn});
    water.m_nChanceOfResult = 50;
    Hazard(*water.m_pResult, kWaterLeak, p.at("water"), 1);
    Review(*water.m_pResult, 0, -2, 0, 1000);

    // 5 squad proximity: the suspect comes within reach of responders and runs; the script orders him off.
    const SquadRef suspect = Squad(squads, "suspect");
    const uint32_t confront = s.Trigger("Suspect near responders", {InRange(6, suspect.id, 4, 0x1 | 0x2 | 0x8 | 0x10)});
    CZREvent& flee = s.Event("Suspect flees", "Man running from the yard",
                             "A man seen leaving the warehouse yard before the fire is confronting responders and "
                             "running east along the rail line.",
                             kZoranth | kPolice, {confront});
    Order(*flee.m_pResult, 6, suspect, 3, p.at("escape"));
    Review(*flee.m_pResult, 0, -5, 0, 0);

    // 1: the manager reports a threat letter; a hidden device in the site office with a countdown.
    const uint32_t letter = s.Trigger("Fifteen minutes in", {TimeAtLeast(945)});
    CZREvent& bomb = s.Event("Threat letter", "Possible device in the site office",
                             "Brennan's manager reports a threatening letter from a former employee: a device may be "
                             "hidden in the site office. Search the office and keep people clear.",
                             kZoranth | kPolice, {letter});
    Hazard(*bomb.m_pResult, kBomb, p.at("bomb"), 1, true);
    bomb.m_pResult->m_nBlowBombFrom = 8;
    bomb.m_pResult->m_nBlowBombTo = 14;
    Review(*bomb.m_pResult, 0, 0, 0, 0);

    // 7 IAP: the approved plan releases county Resource Points.
    const uint32_t plan_ = s.Trigger("Plan approved", {PlanApproved()});
    CZREvent& approved = s.Event("Plan approved", "Incident Action Plan approved",
                                 "The Incident Action Plan is approved. The county releases additional Resource "
                                 "Points.",
                                 kZoranth | kPlanning, {plan_});
    approved.m_pResult->m_nZRPoints = 50;
    Review(*approved.m_pResult, 5, 0, 0, 0);

    // Hidden: the teachers take the children out to the playground on their own.
    const SquadRef children = Squad(squads, "children");
    const uint32_t early = s.Trigger("Six minutes in", {TimeAtLeast(936)});
    CZREvent& school = s.Event("Children to the playground", "School moves children outside",
                               "Teachers have taken a class out to the playground.", 0, {early});
    Order(*school.m_pResult, 5, children, 3, p.at("playground"));
    Review(*school.m_pResult, 0, 0, 0, 0);

    // Repeatable, equipment: every fire squad that reaches the staging area gets protective suits.
    const uint32_t atStaging = s.Trigger("Fire squad at staging", {SquadInZone(1, 0, staging)});
    CZREvent& suits =
        s.Event("Suits issued", "Protective suits issued",
                "Chemical protective suits have been issued at the staging area.", kFire | kPolice, {atStaging});
    suits.m_bRepeatableEvent = true;
    suits.m_pResult->m_abEquipAgency[0] = true;
    suits.m_pResult->m_abEquipAgency[1] = true;

    // 6 action completed: EMS treats a casualty.
    const uint32_t treated = s.Trigger("First aid given", {Action(4, 9, false)});
    CZREvent& aid =
        s.Event("Worker treated", "Casualty treated",
                "Paramedics have treated a warehouse worker for smoke inhalation.", kZoranth | kEMS, {treated});
    aid.m_pResult->m_nZRPoints = 10;
    Review(*aid.m_pResult, 0, 5, 0, 400);

    // The media turn up at the crossing.
    const uint32_t media = s.Trigger("Media arrive", {TimeAtLeast(952)});
    CZREvent& news = s.Event("News crew", "Media at the rail crossing",
                             "A television crew is filming from the Main Street rail crossing and asking for a "
                             "statement.",
                             kZoranth | kLogistics | kFinance, {media});
    Order(*news.m_pResult, 5, Squad(squads, "news"), 3, p.at("crossing"));
    Review(*news.m_pResult, 0, 0, -2, 0);

    const uint32_t end = s.Trigger("End of exercise", {TimeAtLeast(1005)});
    CZREvent& endex =
        s.Event("End of exercise", "End of exercise",
                "The exercise time is up. The clock runs on until you choose COMMAND > End Scenario for your "
                "scores and the de-briefing.",
                kEveryone, {end});
    endex.m_bIsEndEvent = true;
    Review(*endex.m_pResult, 0, 0, 0, 0);

    // The briefing's Command Post place is a flagged zone from the start, so the Town Hall car park stays for
    // staging. (Added last: the other events keep their ids.)
    CZREvent& post = s.Event("Command post site", "Command post site",
                             "The grass west of the yard, where the patrol stands, is clear for the Command Post.",
                             kZoranth, {atStart});
    post.m_pResult->m_nZoneToBeFlagged = commandPost;
    post.m_pResult->m_nConnectionNodeFlag = 0x20;
    Review(*post.m_pResult, 0, 0, 0, 0);
    return scenario;
}

} // namespace demo
