// SPDX-License-Identifier: MIT
// Scene pictures: the cube face, the cube grid's backdrop, the frame over the cube rows, the two planets,
// the tambourine and the little boat.
#include <algorithm>
#include <cmath>

#include "tools/make_content/det_math.h"
#include "tools/make_content/pictures.h"
#include "tools/make_content/prng.h"

namespace {

double distance(double x0, double y0, double x1, double y1)
{
    return std::sqrt((x1 - x0) * (x1 - x0) + (y1 - y0) * (y1 - y0));
}

// A lit sphere: the surface colour comes from f(u, v) on the disc (-1..1), shaded from the upper left,
// with an atmosphere rim of the given colour.
void drawPlanet(Canvas& c, double cx, double cy, double radius, const Rgba& atmosphere,
                const std::function<Rgba(double, double)>& surface)
{
    c.glow(cx, cy, radius * 1.25, atmosphere, 0.7, 1.2);
    c.fillShape(cx - radius, cy - radius, cx + radius, cy + radius,
                [=](double x, double y) { return distance(x, y, cx, cy) - radius; },
                [=](double x, double y) {
                    double u = (x - cx) / radius, v = (y - cy) / radius;
                    double z = std::sqrt(std::max(0.0, 1.0 - u * u - v * v));
                    double light = clamp01(-0.55 * u - 0.55 * v + 0.63 * z);
                    Rgba s = surface(u, v);
                    double rim = detPow(1.0 - z, 3.0);
                    Rgba lit = scaled(s, 0.08 + 1.05 * light);
                    return Rgba{clamp01(lit.r + atmosphere.r * rim), clamp01(lit.g + atmosphere.g * rim),
                                clamp01(lit.b + atmosphere.b * rim), 1.0};
                });
}

} // namespace

Canvas drawBox0()
{
    // A cube face seen through additive blending: a bright rim and corners, a faint grid, a darker middle.
    Canvas c(256, 256);
    c.shade([](double x, double y) {
        double edge = std::min(std::min(x, 256 - x), std::min(y, 256 - y));
        double rim = detExp(-edge / 6.0);
        double grid = (std::fmod(x, 32.0) < 2.0 || std::fmod(y, 32.0) < 2.0) ? 0.25 : 0.0;
        double centre = detExp(-distance(x, y, 128, 128) / 60.0) * 0.35;
        // Cubes overlap additively: a clear face with a bright rim keeps them from washing out.
        double a = clamp01(0.03 + rim + grid * 0.6 + centre * 0.5);
        Rgba col = lerpColor(rgb255(40, 120, 255), rgb255(200, 240, 255), clamp01(rim * 1.5 + centre));
        return withAlpha(col, a);
    });
    for (int i = 0; i < 4; ++i) {
        double x = (i & 1) ? 232 : 24, y = (i & 2) ? 232 : 24;
        c.fillRing(x, y, 10, 3, rgb255(255, 255, 255));
        c.glow(x, y, 30, rgb255(120, 200, 255), 0.5);
    }
    c.fillRing(128, 128, 56, 4, rgb255(160, 220, 255, 0.85));
    c.fillRing(128, 128, 36, 2, rgb255(255, 140, 220, 0.8));
    return c;
}

Canvas drawAlfa()
{
    // Deep space: coloured clouds of noise and stars, opaque, stretched behind the cube grid.
    Canvas c(512, 512);
    c.shade([](double x, double y) {
        double n = fractalNoise(x / 110.0, y / 110.0, 5, 7u);
        double m = fractalNoise(x / 70.0 + 13.0, y / 70.0 + 5.0, 4, 19u);
        Rgba base = lerpColor(rgb255(2, 2, 16), rgb255(30, 10, 70), y / 512.0);
        double cloud = smoothStep(0.45, 0.8, n);
        double cloud2 = smoothStep(0.5, 0.85, m);
        Rgba col = lerpColor(base, rgb255(110, 40, 160), cloud * 0.8);
        col = lerpColor(col, rgb255(30, 120, 200), cloud2 * 0.6);
        return withAlpha(col, 1.0);
    });
    Prng rng(23);
    for (int i = 0; i < 420; ++i) {
        double x = rng.range(0, 512), y = rng.range(0, 512);
        double b = rng.uniform();
        c.fillDisc(x, y, 0.5 + b * 1.0, rgba(0.8 + 0.2 * b, 0.85 + 0.15 * b, 1.0, 0.4 + 0.6 * b));
        if (b > 0.93) {
            c.glow(x, y, 14, rgb255(140, 180, 255), 0.5);
            c.line(x - 8, y, x + 8, y, 1, rgba(1, 1, 1, 0.6));
            c.line(x, y - 8, x, y + 8, 1, rgba(1, 1, 1, 0.6));
        }
    }
    return c;
}

Canvas drawKrovit()
{
    // Stretched over the whole window above the cube rows: a frame at the borders, clear in the middle.
    Canvas c(512, 512);
    c.shade([](double x, double y) {
        double edge = std::min(std::min(x, 512 - x), std::min(y, 512 - y));
        double vignette = 0.85 * detExp(-edge / 18.0);
        return rgba(0.02, 0.0, 0.08, vignette);
    });
    // Letterbox bars at top and bottom with neon edges.
    c.fillRect(0, 0, 512, 34, rgb255(6, 2, 20, 0.9));
    c.fillRect(0, 478, 512, 512, rgb255(6, 2, 20, 0.9));
    c.line(0, 35, 512, 35, 2, rgb255(255, 80, 200, 0.95));
    c.line(0, 477, 512, 477, 2, rgb255(255, 80, 200, 0.95));
    c.line(0, 40, 512, 40, 1, rgb255(80, 200, 255, 0.6));
    c.line(0, 472, 512, 472, 1, rgb255(80, 200, 255, 0.6));
    // Corner brackets.
    for (int i = 0; i < 4; ++i) {
        double x = (i & 1) ? 490 : 22, y = (i & 2) ? 452 : 60;
        double dx = (i & 1) ? -40 : 40, dy = (i & 2) ? -40 : 40;
        c.line(x, y, x + dx, y, 4, rgb255(80, 220, 255, 0.9));
        c.line(x, y, x, y + dy, 4, rgb255(80, 220, 255, 0.9));
        c.glow(x, y, 24, rgb255(80, 200, 255), 0.4);
    }
    // Small lights along the bars.
    for (int i = 0; i < 16; ++i) {
        double x = 16 + i * 32;
        c.fillDisc(x, 17, 3, rgb255(255, 200, 80, 0.9));
        c.fillDisc(x, 495, 3, rgb255(255, 200, 80, 0.9));
    }
    return c;
}

Canvas drawZemlja()
{
    // Our earth, native 256 x 256 in the lower right corner.
    Canvas c(256, 256);
    drawPlanet(c, 128, 128, 100, rgb255(90, 160, 255), [](double u, double v) {
        double land = fractalNoise(u * 2.4 + 3.0, v * 2.4 + 1.0, 5, 31u);
        double cloud = fractalNoise(u * 4.0 + 9.0, v * 6.0, 4, 37u);
        Rgba col = land > 0.52 ? lerpColor(rgb255(40, 130, 50), rgb255(150, 120, 60), smoothStep(0.55, 0.7, land))
                               : lerpColor(rgb255(10, 40, 120), rgb255(30, 90, 180), land / 0.52);
        if (std::fabs(v) > 0.82)
            col = rgb255(235, 240, 255); // ice caps
        return lerpColor(col, rgb255(255, 255, 255), smoothStep(0.58, 0.75, cloud) * 0.85);
    });
    return c;
}

Canvas drawZemlja2()
{
    // The quad that approaches and passes the viewer: a ringed planet, alpha-blended.
    Canvas c(256, 256);
    auto ring = [&](bool front) {
        c.fillShape(0, 60, 256, 196,
                    [=](double x, double y) {
                        double u = (x - 128) / 124.0, v = (y - 128) / 34.0;
                        double r = std::sqrt(u * u + v * v);
                        bool isFront = y > 128;
                        if (isFront != front)
                            return 1.0;
                        return (std::fabs(r - 0.8) - 0.17) * 30.0;
                    },
                    [](double x, double y) {
                        double u = (x - 128) / 124.0, v = (y - 128) / 34.0;
                        double r = std::sqrt(u * u + v * v);
                        double bands = 0.6 + 0.4 * detSin(r * 70.0);
                        return rgba(0.95 * bands, 0.8 * bands, 0.6 * bands, 0.85);
                    });
    };
    ring(false);
    drawPlanet(c, 128, 128, 78, rgb255(255, 150, 90), [](double u, double v) {
        double n = fractalNoise(u * 2.0, v * 9.0 + u * 1.5, 4, 43u);
        double band = 0.5 + 0.5 * detSin(v * 11.0 + n * 4.0);
        return lerpColor(rgb255(190, 100, 50), rgb255(250, 210, 150), band);
    });
    ring(true);
    return c;
}

Canvas drawTambrel()
{
    // A tambourine: a golden frame with jingles around a translucent skin with a star.
    Canvas c(256, 256);
    c.glow(128, 128, 128, rgb255(255, 180, 60), 0.35, 1.5);
    c.fillDisc(128, 128, 92, rgb255(250, 230, 190, 0.55));
    c.fillShape(20, 20, 236, 236,
                [](double x, double y) { return std::fabs(distance(x, y, 128, 128) - 100) - 10; },
                [](double x, double y) {
                    double a = detAtan2(y - 128, x - 128);
                    double grain = 0.8 + 0.2 * detSin(a * 40.0 + distance(x, y, 128, 128));
                    return scaled(rgb255(220, 150, 60), grain);
                });
    c.fillRing(128, 128, 100, 2, rgb255(255, 230, 150, 0.9));
    for (int i = 0; i < 8; ++i) {
        double a = 2.0 * kPi * i / 8.0 + kPi / 8.0;
        double x = 128 + 100 * detCos(a), y = 128 + 100 * detSin(a);
        c.fillDisc(x, y, 12, rgb255(200, 200, 215));
        c.fillDisc(x - 3, y - 3, 5, rgb255(255, 255, 255));
        c.fillRing(x, y, 12, 1.5, rgb255(90, 90, 110));
        c.glow(x, y, 24, rgb255(255, 255, 220), 0.4);
    }
    // A five-pointed star on the skin.
    std::vector<double> star;
    for (int i = 0; i < 10; ++i) {
        double a = -kPi / 2.0 + i * kPi / 5.0;
        double r = (i % 2 == 0) ? 60 : 24;
        star.push_back(128 + r * detCos(a));
        star.push_back(128 + r * detSin(a));
    }
    c.fillPolygon(star, rgb255(230, 60, 90, 0.85));
    return c;
}

Canvas drawBrodic()
{
    // A little boat on a wave, small enough to jitter in a corner and bold enough to fill the window.
    Canvas c(128, 128);
    c.glow(64, 64, 56, rgb255(80, 160, 255), 0.18, 2.0);
    // Sail and jib.
    c.fillPolygon({66, 18, 66, 84, 104, 84}, rgb255(250, 250, 255));
    c.fillPolygon({60, 26, 60, 84, 30, 84}, rgb255(255, 190, 90));
    c.line(63, 14, 63, 90, 3, rgb255(90, 60, 40));
    // Hull.
    c.fillPolygon({18, 88, 112, 88, 98, 104, 32, 104}, rgb255(200, 50, 60));
    c.line(20, 90, 110, 90, 2, rgb255(255, 220, 120));
    // Waves.
    for (int row = 0; row < 3; ++row)
        for (int i = 0; i < 128; ++i) {
            double x = i;
            double y = 106 + row * 7 + 3 * detSin(x / 8.0 + row * 1.7);
            c.fillDisc(x, y, 1.6, rgb255(90, 200, 255, 0.9 - row * 0.25));
        }
    return c;
}
