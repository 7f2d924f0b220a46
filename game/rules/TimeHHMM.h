// Game time of day as HHMM integers (hours x 100 + minutes): addition, subtraction and minute counts.
#pragma once

#include <cstdint>

// Minutes and hours added separately; 60 or more minutes carry one hour. No wrap at 24 hours.
int32_t AddTimeHHMM(int32_t a, int32_t b);
// a - b with borrowing; negative when b is later than a.
int32_t SubtractTimeHHMM(int32_t a, int32_t b);
// An HHMM value as a count of minutes (hours x 60 + minutes).
int32_t HHMMToMinutes(int32_t hhmm);
// A count of minutes as HHMM (no wrap at 24 hours).
int32_t MinutesToHHMM(int32_t minutes);
// Whole minutes from `from` to `to` within a day: a `to` earlier than `from` lies on the next day.
int32_t MinutesBetween(int32_t from, int32_t to);
