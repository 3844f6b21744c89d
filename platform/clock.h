// platform/clock.h: the local date and time, for what a written file records of when.
#ifndef KORVALIN_PLATFORM_CLOCK_H
#define KORVALIN_PLATFORM_CLOCK_H

#include <stdint.h>

// GetLocalTime's fields that a person reads.
struct LocalTime {
    uint16_t year, month, day, hour, minute;
};

// The local date and time now: GetLocalTime on Windows, the host's local time natively.
void ReadLocalTime(LocalTime* now);

#endif
