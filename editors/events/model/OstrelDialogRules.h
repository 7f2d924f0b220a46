// What the zone, point, time-window and intro dialogs accept: their OK rules from a form's texts to a result or an
// error (text, caption and the control to take the focus).
#pragma once

#include "core/events/TacticalMapZone.h"

#include <cstdint>
#include <list>
#include <string>

struct CFormError {
    std::string text;
    std::string caption;
    int field = 0; // control id, 0 for none
};

// Control ids of the zone and point dialogs.
enum EZoneControl : int { IDC_ZONE_NAME = 1013, IDC_ZONE_UPPER_LEFT = 1006, IDC_ZONE_LOWER_RIGHT = 1009 };
enum EPointControl : int { IDC_POINT_X = 1013, IDC_POINT_Y = 1134 };

// Two integers separated by a comma and optional blanks after it ("5,5", "10, 20"); text after them is ignored.
bool ReadLocation(const std::string& text, int32_t* x, int32_t* y);
// "%d, %d" when both are 0 or more, else "".
std::string FormatLocation(int32_t x, int32_t y);

// What the zone dialog edits.
struct CZoneData {
    bool useBoundingBox = true;
    ZoneRect boundingBox;
    std::list<ZonePoint> points;
    std::string name;
    uint32_t zoneId = 0xFFFFFFFFu; // display only; none
};
// The zone dialog's OK: the name, then the two corners, then left < right and top < bottom. On success the name,
// flag and box are stored into `data`; a refused form leaves `data` as it was.
bool CheckZoneForm(const std::string& name, const std::string& upperLeft, const std::string& lowerRight,
                   CZoneData* data, CFormError* error);

// The point dialog's OK: both texts are needed (x and y become -1 otherwise), then read as decimal numbers.
bool CheckPointForm(const std::string& xText, const std::string& yText, int32_t* x, int32_t* y, CFormError* error);

// The time window's OK: the start must be earlier than the end (HHMM values).
bool CheckTimeWindow(int32_t start, int32_t end, CFormError* error);

// The intro text as the edit shows it: with no carriage return in it, every line feed becomes CR LF.
std::string IntroTextForEdit(const std::string& text);
