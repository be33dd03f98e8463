// SPDX-License-Identifier: MIT
#include "tools/make_content/prng.h"

#include <cmath>

uint32_t Prng::next()
{
    // xorshift32 followed by a multiply, good enough for textures and melodies.
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state * 0x2545F491u;
}

double Prng::uniform()
{
    return (next() >> 8) / 16777216.0;
}

double Prng::range(double lo, double hi)
{
    return lo + (hi - lo) * uniform();
}

int Prng::below(int n)
{
    return n <= 0 ? 0 : static_cast<int>((next() >> 8) % static_cast<uint32_t>(n));
}

static double latticeValue(int32_t x, int32_t y, uint32_t seed)
{
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xFFFFFF) / 16777215.0;
}

double valueNoise(double x, double y, uint32_t seed)
{
    double fx = std::floor(x);
    double fy = std::floor(y);
    int32_t ix = static_cast<int32_t>(fx);
    int32_t iy = static_cast<int32_t>(fy);
    double tx = x - fx;
    double ty = y - fy;
    tx = tx * tx * (3.0 - 2.0 * tx);
    ty = ty * ty * (3.0 - 2.0 * ty);
    double a = latticeValue(ix, iy, seed);
    double b = latticeValue(ix + 1, iy, seed);
    double c = latticeValue(ix, iy + 1, seed);
    double d = latticeValue(ix + 1, iy + 1, seed);
    double top = a + (b - a) * tx;
    double bottom = c + (d - c) * tx;
    return top + (bottom - top) * ty;
}

double fractalNoise(double x, double y, int octaves, uint32_t seed)
{
    double sum = 0.0;
    double amplitude = 0.5;
    double total = 0.0;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * valueNoise(x, y, seed + 101u * i);
        total += amplitude;
        x *= 2.0;
        y *= 2.0;
        amplitude *= 0.5;
    }
    return sum / total;
}
