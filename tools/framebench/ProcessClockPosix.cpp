#include "ProcessClock.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

// Milliseconds since the kernel started this process (10 ms resolution).
double millisecondsSinceProcessStart()
{
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const size_t close = text.rfind(')');
    if (close == std::string::npos) {
        return -1.0;
    }
    // Field 22 (starttime) counts clock ticks since boot; the fields after
    // the command name start at field 3.
    const char* p = text.c_str() + close + 2;
    unsigned long long startTicks = 0;
    for (int field = 3; field <= 22 && *p; ++field) {
        if (field == 22) {
            startTicks = strtoull(p, nullptr, 10);
        }
        p = strchr(p, ' ');
        if (p == nullptr) {
            return -1.0;
        }
        ++p;
    }
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double nowMs = now.tv_sec * 1000.0 + now.tv_nsec / 1.0e6;
    return nowMs - startTicks * 1000.0 / sysconf(_SC_CLK_TCK);
}

double peakResidentMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}
