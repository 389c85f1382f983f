#include "ProcessProbe.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>

long residentKilobytes()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters))) {
        return 0;
    }
    return static_cast<long>(counters.WorkingSetSize / 1024);
}

SilencedStdout::SilencedStdout()
{
    fflush(stdout);
    const int nul = _open("NUL", _O_WRONLY);
    if (nul < 0) {
        return;
    }
    saved = _dup(_fileno(stdout));
    if (saved >= 0) {
        _dup2(nul, _fileno(stdout));
    }
    _close(nul);
}

SilencedStdout::~SilencedStdout()
{
    if (saved >= 0) {
        fflush(stdout);
        _dup2(saved, _fileno(stdout));
        _close(saved);
    }
}
