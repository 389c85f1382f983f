#ifndef ZARVY_TESTS_FUZZ_FUZZREQUIRE_H
#define ZARVY_TESTS_FUZZ_FUZZREQUIRE_H

#include <cstdio>
#include <cstdlib>

// A broken invariant is a finding like a crash: the harness names the rule
// and aborts, and libFuzzer keeps the input that broke it.
inline void require(bool holds, const char* rule)
{
    if (!holds) {
        std::fprintf(stderr, "Invariant broken: %s\n", rule);
        std::abort();
    }
}

#endif
