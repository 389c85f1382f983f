#include "game/RandomSequence.h"

void RandomSequence::seed(unsigned int value)
{
    // The seed is taken as a signed 32-bit word, so seeds from 2^31 on start
    // the table from a negative one.
    int64_t word = static_cast<int32_t>(value == 0 ? 1 : value);
    table[0] = static_cast<uint32_t>(word);
    for (int i = 1; i < words; ++i) {
        // 16807 * word mod 2^31 - 1, split so that no step leaves 31 bits.
        const int64_t high = word / 127773;
        const int64_t low = word % 127773;
        word = 16807 * low - 2836 * high;
        if (word < 0) {
            word += 2147483647;
        }
        table[i] = static_cast<uint32_t>(word);
    }
    front = separation;
    rear = 0;
    // The first words still show the seed's structure.
    for (int i = 0; i < 10 * words; ++i) {
        next();
    }
}

uint32_t RandomSequence::next()
{
    table[front] += table[rear];
    const uint32_t draw = table[front] >> 1;
    front = (front + 1) % words;
    rear = (rear + 1) % words;
    return draw;
}
