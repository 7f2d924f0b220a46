// HHMM arithmetic with minute carries and borrows.
#include "game/rules/TimeHHMM.h"

int32_t AddTimeHHMM(int32_t a, int32_t b)
{
    int32_t minutes = a % 100 + b % 100;
    int32_t hours = a / 100 + b / 100;
    if (minutes >= 60) {
        hours += minutes / 60;
        minutes %= 60;
    }
    return hours * 100 + minutes;
}

int32_t SubtractTimeHHMM(int32_t a, int32_t b)
{
    int32_t minutes = a % 100 - b % 100;
    int32_t hours = a / 100 - b / 100;
    if (minutes < 0) {
        const int32_t borrow = (-minutes - 1) / 60 + 1;
        hours -= borrow;
        minutes += 60 * borrow;
    }
    return hours * 100 + minutes;
}

int32_t HHMMToMinutes(int32_t hhmm)
{
    return (hhmm / 100) * 60 + hhmm % 100;
}

int32_t MinutesToHHMM(int32_t minutes)
{
    return (minutes / 60) * 100 + minutes % 60;
}

int32_t MinutesBetween(int32_t from, int32_t to)
{
    int32_t minutes = HHMMToMinutes(to) - HHMMToMinutes(from);
    // The old count went negative past midnight; the later time is on the next day.
    if (minutes < 0)
        minutes += 24 * 60;
    return minutes;
}
