// Joins an incident world to the game object: messages go out through the game, sounds through its player.
#pragma once

class CGame;
class CIncidentWorld;

// The world posts its messages with the game's PostGameMessage and plays sounds on the game's sound manager.
void ConnectIncidentWorld(CGame& game, CIncidentWorld& world);
