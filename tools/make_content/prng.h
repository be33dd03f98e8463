// SPDX-License-Identifier: MIT
// The generator's own seeded random source: the same seed gives the same sequence everywhere.
#pragma once

#include <cstdint>

class Prng {
public:
    explicit Prng(uint32_t seed) : state(seed * 2654435761u + 0x9E3779B9u) {}
    uint32_t next();
    double uniform();                 // [0, 1)
    double range(double lo, double hi);
    int below(int n);                 // 0 .. n-1

private:
    uint32_t state;
};

// Smooth value noise on an integer lattice, the lattice hashed from the seed (no tables, no order effects).
double valueNoise(double x, double y, uint32_t seed);
// Sum of octaves of value noise, about 0..1.
double fractalNoise(double x, double y, int octaves, uint32_t seed);
