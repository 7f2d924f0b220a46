// Joins an incident world to the game object's message posting and sound.
#include "game/sim/IncidentWorldGame.h"

#include "game/app/Game.h"
#include "game/screens/eoc/EOC.h"
#include "game/sim/IncidentWorld.h"

void ConnectIncidentWorld(CGame& game, CIncidentWorld& world)
{
    CIncidentLinks links = world.GetLinks();
    links.fnPost = [&game](uint16_t id, const uint8_t* payload, size_t length) {
        game.PostGameMessage(id, payload, length);
    };
    if (!links.pSound)
        links.pSound = game.IncidentSound();
    if (!links.pFacilityFlags && game.m_pEOCUnitData)
        links.pFacilityFlags = &game.m_pEOCUnitData->m_uFacilityFlags;
    world.SetLinks(links);
}
