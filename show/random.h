// SPDX-License-Identifier: MIT
// The program's one pseudo-random source: a linear congruential generator that starts at state 1 and is never
// reseeded, so every run draws the same sequence.
#pragma once

#include <cstdint>

// The generator's state; readable so that tests can replay the sequence from any point of a frame.
extern uint32_t randomState;

// Returns 0 to 32767.
int nextRandom();
