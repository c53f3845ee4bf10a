// What the benchmarks under Wine share: storing a set as the tweak list does, and timing work.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "config/StoredSet.h"
#include "config/TweakConfig.h"
#include "config/TweakInfo.h"

inline void StoreSet(const std::string& profile, size_t count, const std::string& exe, const std::string& filter) {
    CTweakConfig set(profile.c_str());
    for (size_t i = 0; i < count; ++i) {
        CTweakInfo* tweak = new CTweakInfo;
        tweak->m_strName = "Tweak " + std::to_string(i);
        tweak->m_strExe = exe;
        tweak->m_strParameters = "\"%LOCAL_FILE_PATH%\"";
        tweak->m_nApplyTo = 1;
        tweak->ParseFilters(filter);
        set.m_arrTweaks.push_back(tweak);
    }
    ReplaceStoredSet(set);
}

class Stopwatch {
public:
    Stopwatch() { QueryPerformanceFrequency(&m_frequency); }
    template <typename Work>
    double Milliseconds(Work work) const {
        LARGE_INTEGER from, to;
        QueryPerformanceCounter(&from);
        work();
        QueryPerformanceCounter(&to);
        return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(m_frequency.QuadPart);
    }

private:
    LARGE_INTEGER m_frequency;
};

struct Stats {
    double median;
    double max;
};

inline Stats Summarise(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.back()};
}

