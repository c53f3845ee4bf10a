// The clock service on Win32: GetLocalTime and the performance counter.
#include <windows.h>

#include "platform/Clock.h"

namespace {

class Win32Clock : public IClock {
public:
    LocalTime Now() override {
        SYSTEMTIME now;
        GetLocalTime(&now);
        LocalTime time;
        time.year = now.wYear;
        time.month = now.wMonth;
        time.day = now.wDay;
        time.hour = now.wHour;
        time.minute = now.wMinute;
        time.second = now.wSecond;
        time.millisecond = now.wMilliseconds;
        return time;
    }

    uint64_t Milliseconds() override {
        LARGE_INTEGER frequency;
        LARGE_INTEGER count;
        // Both always succeed on the systems the add-on runs on (Windows XP and later).
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&count);
        const uint64_t ticks = static_cast<uint64_t>(count.QuadPart);
        const uint64_t perSecond = static_cast<uint64_t>(frequency.QuadPart);
        return ticks / perSecond * 1000 + ticks % perSecond * 1000 / perSecond;
    }
};

}  // namespace

IClock& DefaultClock() {
    static Win32Clock clock;
    return clock;
}
