#include "HangGuard.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

struct HangGuard::Watch {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::thread watcher;
};

HangGuard::HangGuard(std::string what, int seconds)
    : watch(new Watch())
{
    Watch* w = watch;
    w->watcher = std::thread([w, what, seconds]() {
        std::unique_lock<std::mutex> lock(w->mutex);
        if (!w->finished.wait_for(lock, std::chrono::seconds(seconds), [w]() { return w->done; })) {
            fprintf(stderr, "Hang: %s did not return within %d s\n", what.c_str(), seconds);
            std::abort();
        }
    });
}

HangGuard::~HangGuard()
{
    {
        std::lock_guard<std::mutex> lock(watch->mutex);
        watch->done = true;
    }
    watch->finished.notify_one();
    watch->watcher.join();
    delete watch;
}
