#ifndef ZARVY_TESTS_APP_USKEYBOARD_H
#define ZARVY_TESTS_APP_USKEYBOARD_H

#include <utility>

// The keys the ship and the free camera read, and what Shift makes of them
// on a US keyboard.
inline constexpr std::pair<unsigned char, unsigned char> usShiftedKeys[] = {
    {'w', 'W'}, {'s', 'S'}, {'a', 'A'}, {'d', 'D'}, {'r', 'R'}, {'f', 'F'}, {'-', '_'},
    {'.', '>'}, {'q', 'Q'}, {'e', 'E'}, {'t', 'T'}, {'g', 'G'}, {'2', '@'}, {'3', '#'},
};

#endif
