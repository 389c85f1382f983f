#include "HangGuard.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

// The Windows C++ library built with Win32 threads has no std::thread: the
// watcher is a thread of the system's own, woken by an event.
struct HangGuard::Watch {
    std::string what;
    int seconds = 0;
    HANDLE finished = nullptr;
    HANDLE watcher = nullptr;
};

namespace {
DWORD WINAPI watchScope(void* parameter)
{
    const auto* watch = static_cast<const HangGuard::Watch*>(parameter);
    if (WaitForSingleObject(watch->finished, static_cast<DWORD>(watch->seconds) * 1000) == WAIT_TIMEOUT) {
        fprintf(stderr, "Hang: %s did not return within %d s\n", watch->what.c_str(), watch->seconds);
        std::abort();
    }
    return 0;
}
}

HangGuard::HangGuard(std::string what, int seconds)
    : watch(new Watch())
{
    watch->what = what;
    watch->seconds = seconds;
    watch->finished = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    watch->watcher = CreateThread(nullptr, 0, watchScope, watch, 0, nullptr);
}

HangGuard::~HangGuard()
{
    SetEvent(watch->finished);
    WaitForSingleObject(watch->watcher, INFINITE);
    CloseHandle(watch->watcher);
    CloseHandle(watch->finished);
    delete watch;
}
