#ifndef ZARVY_TESTS_SUPPORT_HANGGUARD_H
#define ZARVY_TESTS_SUPPORT_HANGGUARD_H

#include <string>

// Ends the test program with a message if the guarded scope is still running
// after `seconds`: a call that hangs then fails the run instead of stalling
// it until the test driver's timeout. It measures nothing about speed.
class HangGuard {
public:
    HangGuard(std::string what, int seconds);
    virtual ~HangGuard();

    HangGuard(const HangGuard&) = delete;
    HangGuard& operator=(const HangGuard&) = delete;

    // The watching thread and what it waits on, as the platform has them.
    struct Watch;

private:
    Watch* watch = nullptr;
};

#endif
