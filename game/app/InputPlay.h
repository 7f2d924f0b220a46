// Tables of the in-play input: what an order waits for, the target cursor of an order, the directed scatter.
#pragma once

#include <functional>

constexpr int kCursorArrowId = 1;
constexpr int kCursorTargetId = 3;

// What a chosen order waits for (the sub-state of input state 1): 1 a point, 2 a vehicle, 3 a squad to load,
// 4 a squad to direct; 0 given at once at the squad's position; -1 not an order the menu gives.
enum EOrderTarget {
    kTargetNone = 0,
    kTargetPoint = 1,
    kTargetVehicle = 2,
    kTargetSquadToLoad = 3,
    kTargetSquadToDirect = 4
};
int OrderTargetKind(int order);

// The cursor id shown while a chosen order waits for its target.
int TargetCursorFor(int order, bool vehicle, int subState);

// Scatters a directed squad's point by up to a sixth of its distance each way until `passable` holds; after a
// bounded number of tries the point stays as clicked (false).
bool ScatterPoint(int squadX, int squadY, int& x, int& y, const std::function<bool(int, int)>& passable,
                  const std::function<int()>& random);

