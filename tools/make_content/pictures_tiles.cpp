// SPDX-License-Identifier: MIT
// The six g tiles: bold light shapes on transparency, drawn on the front face of a quad that flies from
// behind the cube grid at the viewer, tinted warm by the show.
#include <cmath>

#include "tools/make_content/det_math.h"
#include "tools/make_content/pictures.h"

namespace {

const int kSize = 256;
const double kMid = kSize / 2.0;

double radiusAt(double x, double y)
{
    return std::sqrt((x - kMid) * (x - kMid) + (y - kMid) * (y - kMid));
}

// Every tile fades out near its border so that the face's square outline never shows.
double borderFade(double x, double y)
{
    return 1.0 - smoothStep(104.0, 126.0, radiusAt(x, y));
}

Canvas tileFrom(double (*f)(double, double), const Rgba& inner, const Rgba& outer)
{
    Canvas c(kSize, kSize);
    c.shade([=](double x, double y) {
        double v = clamp01(f(x, y)) * borderFade(x, y);
        return withAlpha(lerpColor(inner, outer, clamp01(radiusAt(x, y) / 120.0)), v);
    });
    return c;
}

double rings(double x, double y)
{
    double r = radiusAt(x, y);
    double band = std::fabs(std::fmod(r, 24.0) - 12.0);
    return smoothStep(6.0, 4.0, band) + detExp(-r / 10.0);
}

double sunburst(double x, double y)
{
    double a = detAtan2(y - kMid, x - kMid);
    double r = radiusAt(x, y);
    double spoke = detCos(a * 8.0);
    return smoothStep(0.55, 0.75, spoke) * smoothStep(20.0, 30.0, r) + (1.0 - smoothStep(16.0, 20.0, r));
}

double dots(double x, double y)
{
    double gx = std::fmod(x, 32.0) - 16.0, gy = std::fmod(y, 32.0) - 16.0;
    double d = std::sqrt(gx * gx + gy * gy);
    double size = 13.0 - radiusAt(x, y) / 22.0;
    return smoothStep(size + 1.0, size - 1.0, d);
}

double hexagons(double x, double y)
{
    double dx = x - kMid, dy = y - kMid;
    double best = 0.0;
    for (int i = 0; i < 3; ++i) {
        double a = i * kPi / 3.0;
        double d = std::fabs(dx * detCos(a) + dy * detSin(a));
        best = best > d ? best : d;
    }
    double v = 0.0;
    for (double edge = 30.0; edge <= 100.0; edge += 35.0)
        v += smoothStep(6.0, 3.0, std::fabs(best - edge));
    return v;
}

double spiral(double x, double y)
{
    double a = detAtan2(y - kMid, x - kMid);
    double r = radiusAt(x, y);
    double phase = std::fmod(r / 6.0 - a * 3.0 / kPi + 1000.0, 6.0);
    return smoothStep(1.8, 1.0, std::fabs(phase - 3.0) * 0.8) * smoothStep(4.0, 14.0, r) +
           (1.0 - smoothStep(8.0, 12.0, r));
}

double chevrons(double x, double y)
{
    // Nested squares turned 45 degrees: arrows pointing out on every side.
    double d = std::fabs(x - kMid) + std::fabs(y - kMid);
    double band = std::fabs(std::fmod(d, 30.0) - 15.0);
    return smoothStep(7.0, 4.0, band) * (0.4 + 0.6 * (1.0 - d / 180.0));
}

} // namespace

Canvas drawTile0()
{
    return tileFrom(rings, rgb255(255, 255, 255), rgb255(120, 200, 255));
}

Canvas drawTile1()
{
    return tileFrom(sunburst, rgb255(255, 255, 220), rgb255(255, 200, 90));
}

Canvas drawTile2()
{
    return tileFrom(dots, rgb255(255, 255, 255), rgb255(170, 255, 200));
}

Canvas drawTile3()
{
    return tileFrom(hexagons, rgb255(230, 240, 255), rgb255(200, 140, 255));
}

Canvas drawTile4()
{
    return tileFrom(spiral, rgb255(255, 255, 255), rgb255(140, 230, 255));
}

Canvas drawTile5()
{
    return tileFrom(chevrons, rgb255(255, 240, 230), rgb255(255, 150, 200));
}
