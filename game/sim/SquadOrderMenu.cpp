// The order menu of a selected squad: the orders that fit it now, greyed where a rule or an ICS unit says no.
#include "core/widgets/CPopupMenu.h"
#include "core/world/ICSNames.h"
#include "core/world/Sprite.h"
#include "core/world/UnitTaskRecord.h"
#include "game/sim/Squad.h"
#include "game/sim/SquadManager.h"
#include "game/sim/SquadServices.h"

CPopupMenu* CSquadManager::BuildOrderMenu(CSquad* squad)
{
    m_pOrderMenu = std::make_unique<CPopupMenu>(0, true);
    CPopupMenu* menu = m_pOrderMenu.get();
    if (!squad || !squad->m_pUnitRecord)
        return menu;
    CSquadServices& services = Services();
    const CUnitTaskRecord& r = *squad->m_pUnitRecord;
    const bool waived = services.Waived();
    const uint32_t ops = services.UnitBits(1), planning = services.UnitBits(2), logistics = services.UnitBits(3);
    // Adds an item; a condition that fails greys it out. Past 20 items nothing is added (or greyed).
    auto add = [menu](int order, bool enabled = true) {
        int index = menu->AddItem(GetActionName(order), order);
        if (index >= 0 && !enabled)
            menu->SetEnabled(index, false);
    };
    if (squad->OnAreaMap()) {
        add(squad->GetStatusIndex() == kActReturnToStation ? kActReturnToIncident : kActReturnToStation);
        add(kActInfo);
        return menu;
    }
    add(kActMove);
    if (squad->IsVehicle()) {
        if (r.m_nCapacity > 0) {
            add(kActUnloadAll, squad->HasLoadedSquads());
            bool canLoad = false;
            for (CSquad* s : m_aUnits)
                canLoad = canLoad || squad->CanLoad(s);
            add(kActLoadSquad, canLoad);
        }
        if (r.m_fEvacuate != 1.0f)
            add(kActTowVehicle, ((ops & 0x10000) || waived) && squad->FindTowVehicle(false) != nullptr);
        if (r.m_fPerimeter != 1.0f)
            add(kActPerimeter, (ops & 0x8) || waived);
        add(kActGoToStation, ((planning & 0x4) || waived) && squad->m_pHomeStation != nullptr);
    } else {
        bool room = false;
        for (CSquad* v : m_aVehicles)
            room = room || v->HasRoomFor(squad);
        add(kActGetInVehicle, room);
        if (r.m_fAssault > 0.0f)
            add(kActAssault, (ops & 0x4) || waived);
        if (r.m_fSearchForBomb > 0.0f)
            add(kActSearchForBomb, (ops & 0x4) || waived);
        if (r.m_fDefuseBomb > 0.0f)
            add(kActDefuseBomb);
        if (r.m_fFightFire > 0.0f)
            add(kActFightFire);
        if (r.m_fFightHazard > 0.0f)
            add(kActFightHazard, (ops & 0x200) || waived);
        if (r.m_fFirstAid > 0.0f)
            add(kActFirstAid);
        if (r.m_fEvacuate > 0.0f)
            add(kActEvacuate, ((ops & 0x1000) || waived) && squad->FindCasualty(false) != nullptr);
        if (r.m_fEscort > 0.0f)
            add(kActEscort, squad->GatherFollowers(false));
        if (r.m_fDirect > 0.0f) {
            bool direct = false;
            for (CSquad* s : m_aUnits)
                direct = direct || squad->CanDirect(s);
            add(kActDirect, direct);
        }
        if (r.m_fPerimeter > 0.0f)
            add(kActPerimeter);
        if (r.m_fSupervise > 0.0f)
            add(kActSupervise);
        if (r.m_fNegotiate > 0.0f)
            add(kActNegotiate, (planning & 0x2) || (logistics & 0x2) || waived);
        if (r.m_fUtilityWork > 0.0f)
            add(kActUtilityWork, (ops & 0x4000) || waived);
        if (r.m_fClearDebris > 0.0f) {
            add(kActClearDebris, (ops & 0x4000) || waived);
            add(kActClearObstruction);
        }
        if ((m_nOptions & 0x2) || waived) {
            for (int order :
                 {kActExplode, kActStartFire, kActSpillChemical, kActSabotageGas, kActSabotageWater,
                  kActSabotageElectricity, kActSetKilled, kActSetIncapacitated, kActSetWounded, kActSetInjured})
                add(order);
        }
    }
    if (waived)
        add(kActHidden);
    add(kActCancel);
    add(kActInfo);
    return menu;
}
