#include "ProcessClock.h"

#include <windows.h>
#include <psapi.h>

double millisecondsSinceProcessStart()
{
    FILETIME created{};
    FILETIME exited{};
    FILETIME kernel{};
    FILETIME user{};
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) {
        return -1.0;
    }
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    // Both count 100 ns steps.
    const auto steps = [](const FILETIME& time) {
        return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return (steps(now) - steps(created)) / 1.0e4;
}

double peakResidentMegabytes()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters))) {
        return 0.0;
    }
    return counters.PeakWorkingSetSize / (1024.0 * 1024.0);
}
