#ifndef ZARVY_TESTS_SUPPORT_PROCESSPROBE_H
#define ZARVY_TESTS_SUPPORT_PROCESSPROBE_H

// What a test may ask of its own process on every platform.

// The memory the process holds in RAM now, in kilobytes.
long residentKilobytes();

// Sends standard output to the null device while it lives, and back to
// where it went before when it ends: long runs print lines by the thousand.
class SilencedStdout {
public:
    SilencedStdout();
    virtual ~SilencedStdout();

    SilencedStdout(const SilencedStdout&) = delete;
    SilencedStdout& operator=(const SilencedStdout&) = delete;

    bool isSilenced() const { return saved >= 0; }

private:
    int saved = -1;
};

#endif
