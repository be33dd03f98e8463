// SPDX-License-Identifier: MIT
// The program's one pseudo-random source.
#include "show/random.h"

uint32_t randomState = 1;

int nextRandom()
{
    randomState = randomState * 214013u + 2531011u;
    return static_cast<int>((randomState >> 16) & 0x7FFF);
}
