// SPDX-License-Identifier: MIT
// Particle textures: soft glows of different colours and shapes, fully transparent at the borders so the
// small additive quads of the fountain never show their edges.
#include <algorithm>
#include <cmath>

#include "tools/make_content/det_math.h"
#include "tools/make_content/pictures.h"

namespace {

const int kSize = 64;
const double kCentre = kSize / 2.0;

// Light of intensity f(dx, dy) (distances from the centre in units of the half size) in the given colour.
Canvas glowPicture(const Rgba& colour, double (*f)(double, double))
{
    Canvas c(kSize, kSize);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            double dx = (x + 0.5 - kCentre) / kCentre, dy = (y + 0.5 - kCentre) / kCentre;
            double r = std::sqrt(dx * dx + dy * dy);
            // Every shape dies out before the border.
            double border = 1.0 - smoothStep(0.8, 1.0, r);
            // Thousands of these overlap additively in the fountain: keep each one dim and compact.
            double v = clamp01(f(dx, dy)) * border * 0.6;
            // The hottest part turns white.
            Rgba col = lerpColor(colour, rgba(1, 1, 1), smoothStep(0.35, 0.6, v));
            c.over(x, y, withAlpha(col, v));
        }
    return c;
}

double roundGlow(double dx, double dy)
{
    double r = std::sqrt(dx * dx + dy * dy);
    return detExp(-r * r * 9.0) * 1.1;
}

double crossFlare(double dx, double dy)
{
    double r = std::sqrt(dx * dx + dy * dy);
    double core = detExp(-r * r * 14.0);
    double spikes = detExp(-std::fabs(dx) * 22.0) * detExp(-std::fabs(dy) * 2.5) +
                    detExp(-std::fabs(dy) * 22.0) * detExp(-std::fabs(dx) * 2.5);
    return core * 1.2 + spikes * 0.9 + detExp(-r * 3.0) * 0.2;
}

double halo(double dx, double dy)
{
    double r = std::sqrt(dx * dx + dy * dy);
    double ring = detExp(-(r - 0.55) * (r - 0.55) * 90.0);
    return ring * 0.95 + detExp(-r * r * 30.0) * 0.8 + 0.15 * detExp(-r * 4.0);
}

double sparkle(double dx, double dy)
{
    double r = std::sqrt(dx * dx + dy * dy);
    double a = detAtan2(dy, dx);
    double arms = detPow(std::fabs(detCos(a * 3.0)), 24.0);
    return detExp(-r * r * 16.0) * 1.2 + arms * detExp(-r * 3.2) * 0.9;
}

double diamond(double dx, double dy)
{
    double d = std::fabs(dx) + std::fabs(dy);
    return detExp(-d * d * 6.0) * 1.1 + 0.25 * (1.0 - smoothStep(0.52, 0.56, d)) * smoothStep(0.44, 0.5, d);
}

double flare(double dx, double dy)
{
    double r = std::sqrt(dx * dx + dy * dy);
    double a = detAtan2(dy, dx);
    double rays = 0.5 + 0.5 * detCos(a * 8.0);
    return detExp(-r * r * 20.0) * 1.3 + rays * rays * detExp(-r * 4.0) * 0.55;
}

} // namespace

Canvas drawParticle()
{
    return glowPicture(rgb255(160, 200, 255), roundGlow);
}

Canvas drawParticle0()
{
    return glowPicture(rgb255(255, 220, 110), crossFlare);
}

Canvas drawParticle1()
{
    return glowPicture(rgb255(255, 90, 220), halo);
}

Canvas drawParticle2()
{
    return glowPicture(rgb255(90, 255, 190), sparkle);
}

Canvas drawParticle3()
{
    return glowPicture(rgb255(255, 140, 40), diamond);
}

Canvas drawParticle4()
{
    return glowPicture(rgb255(255, 70, 90), flare);
}
