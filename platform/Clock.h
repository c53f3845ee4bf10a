// The clock service: the local time of day for records that people read, and a steady count of
// milliseconds for durations. No method throws; each may be called from any thread.
#pragma once

#include <cstdint>

// A moment of the local calendar, as the system's clock and time zone give it (GetLocalTime).
struct LocalTime {
    int year = 0;
    int month = 0;   // 1 to 12
    int day = 0;     // 1 to 31
    int hour = 0;    // 0 to 23
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

class IClock {
public:
    virtual ~IClock() = default;

    // The local time now, to the millisecond.
    virtual LocalTime Now() = 0;

    // Milliseconds since a fixed moment of this process; never goes back, also when the time of
    // day is set. Only differences mean anything.
    virtual uint64_t Milliseconds() = 0;
};

IClock& GetClock();
// Replaces the service for the rest of the process, or restores the default with null; the same
// rules as SetRegistry (platform/Platform.h).
void SetClock(IClock* clock);
// The linked default (Win32 or in memory).
IClock& DefaultClock();
