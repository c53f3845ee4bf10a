// The in-memory clock.
#include "platform/memory/MemoryClock.h"

LocalTime MemoryClock::Now() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_now;
}

uint64_t MemoryClock::Milliseconds() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_milliseconds;
}

void MemoryClock::SetNow(const LocalTime& now) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_now = now;
}

void MemoryClock::Advance(uint64_t ms) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_milliseconds += ms;
}

IClock& DefaultClock() {
    static MemoryClock clock;
    return clock;
}
