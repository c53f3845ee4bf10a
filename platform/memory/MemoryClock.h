// The clock in memory: the time and the millisecond count stand still until a test sets them.
#pragma once

#include <mutex>

#include "platform/Clock.h"

class MemoryClock : public IClock {
public:
    // 2024-01-02 03:04:05.678 and 1000 ms unless set.
    LocalTime Now() override;
    uint64_t Milliseconds() override;

    void SetNow(const LocalTime& now);
    // Moves the millisecond count on by ms.
    void Advance(uint64_t ms);

private:
    mutable std::mutex m_mutex;
    LocalTime m_now{2024, 1, 2, 3, 4, 5, 678};
    uint64_t m_milliseconds = 1000;
};
