// SPDX-License-Identifier: MIT
// Title pictures: the loading and closing screens, the two logos, "PRESENTS", the unrolling column and the
// three credit panels. All lettering is our pixel font; the backgrounds are transparent where the show's
// trails and particles should shine through.
#include <algorithm>
#include <cmath>

#include "tools/make_content/det_math.h"
#include "tools/make_content/pictures.h"
#include "tools/make_content/pixel_font.h"
#include "tools/make_content/prng.h"

namespace {

const LetteringStyle kChrome = {rgb255(255, 255, 255), rgb255(90, 150, 255), rgb255(10, 10, 40, 0.9),
                                rgb255(80, 140, 255), 2, 10, 0.9, 1.0};
const LetteringStyle kSunset = {rgb255(255, 240, 120), rgb255(255, 70, 110), rgb255(40, 0, 30, 0.9),
                                rgb255(255, 90, 60), 2, 12, 0.8, 1.0};

LetteringStyle roleStyle(const Rgba& light)
{
    return LetteringStyle{rgb255(255, 255, 255), light, rgb255(0, 0, 0, 0.85), light, 2, 6, 0.7, 0.8};
}

// A rounded rectangle's signed distance.
double roundedBox(double x, double y, double x0, double y0, double x1, double y1, double radius)
{
    double cx = (x0 + x1) / 2.0, cy = (y0 + y1) / 2.0;
    double hx = (x1 - x0) / 2.0 - radius, hy = (y1 - y0) / 2.0 - radius;
    double dx = std::fabs(x - cx) - hx, dy = std::fabs(y - cy) - hy;
    double ox = dx > 0 ? dx : 0, oy = dy > 0 ? dy : 0;
    double inside = dx > dy ? dx : dy;
    return std::sqrt(ox * ox + oy * oy) + (inside < 0 ? inside : 0) - radius;
}

// A dark glassy panel with a glowing border in the panel's colour.
void drawPanel(Canvas& c, const Rgba& light)
{
    double w = c.width(), h = c.height();
    c.fillShape(0, 0, w, h, [=](double x, double y) { return roundedBox(x, y, 3, 3, w - 3, h - 3, 14); },
                [=](double, double y) {
                    return lerpColor(rgb255(20, 24, 48, 0.82), rgb255(4, 4, 14, 0.9), y / h);
                });
    c.fillShape(0, 0, w, h,
                [=](double x, double y) { return std::fabs(roundedBox(x, y, 4, 4, w - 4, h - 4, 13)) - 1.2; },
                [=](double, double) { return withAlpha(light, 0.95); });
    // A soft highlight along the top edge, as on glass.
    c.fillShape(0, 0, w, h * 0.4, [=](double x, double y) { return roundedBox(x, y, 8, 7, w - 8, h * 0.38, 10); },
                [=](double, double y) { return rgba(1, 1, 1, 0.10 * (1.0 - y / (h * 0.38))); });
}

} // namespace

Canvas drawLoading()
{
    Canvas c(256, 256);
    c.glow(128, 128, 128, rgb255(40, 60, 140), 0.55, 1.5);
    // A ring of twelve dots, brighter toward the head, like a spinner caught in one moment.
    for (int i = 0; i < 12; ++i) {
        double angle = 2.0 * kPi * i / 12.0 - kPi / 2.0;
        double x = 128 + 48 * detCos(angle), y = 100 + 48 * detSin(angle);
        double t = (i + 1) / 12.0;
        c.glow(x, y, 14, rgb255(90, 160, 255), 0.6 * t);
        c.fillDisc(x, y, 3.0 + 4.0 * t, lerpColor(rgb255(40, 60, 140, 0.6), rgb255(230, 245, 255), t));
    }
    drawLetteringCentred(c, "LOADING", 128, 186, 4, kChrome);
    return c;
}

Canvas drawTheEnd()
{
    Canvas c(256, 256);
    // A setting sun over a striped horizon.
    c.glow(128, 150, 128, rgb255(255, 80, 60), 0.6, 1.6);
    c.fillShape(40, 62, 216, 150,
                [](double x, double y) {
                    double d = std::sqrt((x - 128) * (x - 128) + (y - 150) * (y - 150)) - 80;
                    return y > 150 ? 1.0 : d;
                },
                [](double, double y) {
                    double t = clamp01((y - 70) / 80.0);
                    // Horizontal cuts through the lower half of the sun.
                    double stripe = y > 112 && std::fmod(y, 10.0) < 2.0 + (y - 112) / 10.0 ? 0.0 : 1.0;
                    return withAlpha(lerpColor(rgb255(255, 230, 90), rgb255(255, 40, 120), t), stripe);
                });
    for (int i = 0; i < 6; ++i) {
        double y = 152 + i * i * 3.0;
        c.line(16, y, 240, y, 1.5, rgb255(255, 90, 160, 0.7 - i * 0.09));
    }
    drawLetteringCentred(c, "THE END", 128, 168, 5, kSunset);
    return c;
}

Canvas drawKoLogo()
{
    // Drawn 512 x 512 and shown stretched to the whole window, widening from the left.
    Canvas c(512, 512);
    c.glow(256, 256, 250, rgb255(60, 30, 140), 0.8, 1.4);
    // Rays from the centre.
    c.shade([](double x, double y) {
        double a = detAtan2(y - 256, x - 256);
        double r = std::sqrt((x - 256) * (x - 256) + (y - 256) * (y - 256));
        double ray = 0.5 + 0.5 * detCos(a * 16.0);
        double fade = clamp01(1.0 - r / 250.0) * clamp01(r / 60.0);
        return rgba(0.55, 0.35, 1.0, 0.35 * ray * ray * fade);
    });
    c.fillRing(256, 256, 200, 10, rgb255(120, 200, 255, 0.9));
    c.fillRing(256, 256, 180, 3, rgb255(255, 120, 220, 0.8));
    c.fillRing(256, 256, 222, 2, rgb255(120, 200, 255, 0.5));
    for (int i = 0; i < 24; ++i) {
        double a = 2.0 * kPi * i / 24.0;
        c.line(256 + 205 * detCos(a), 256 + 205 * detSin(a), 256 + 232 * detCos(a), 256 + 232 * detSin(a), 4,
               rgb255(120, 200, 255, 0.8));
    }
    drawLetteringCentred(c, "T.A.V.", 256, 256, 12, kChrome);
    return c;
}

Canvas drawVel()
{
    // Shown growing from the top-left corner to the whole window.
    Canvas c(512, 512);
    // Sky gradient, opaque in the middle and fading out at the borders.
    c.shade([](double x, double y) {
        double edge = smoothStep(0.0, 40.0, x) * smoothStep(0.0, 40.0, y) * smoothStep(0.0, 40.0, 512 - x) *
                      smoothStep(0.0, 40.0, 512 - y);
        Rgba sky = lerpColor(rgb255(10, 0, 40), rgb255(170, 30, 110), clamp01(y / 300.0));
        return withAlpha(sky, 0.92 * edge);
    });
    // Sun with cuts, then a perspective grid floor.
    c.fillShape(136, 110, 376, 300,
                [](double x, double y) {
                    double d = std::sqrt((x - 256) * (x - 256) + (y - 300) * (y - 300)) - 120;
                    return y > 300 ? 1.0 : d;
                },
                [](double, double y) {
                    double t = clamp01((y - 180) / 120.0);
                    double stripe = y > 230 && std::fmod(y, 14.0) < 2.0 + (y - 230) / 12.0 ? 0.15 : 1.0;
                    return withAlpha(lerpColor(rgb255(255, 240, 100), rgb255(255, 50, 130), t), stripe);
                });
    c.fillRect(0, 300, 512, 512, rgb255(12, 0, 30, 0.9));
    for (int i = 0; i < 12; ++i) {
        double y = 300 + (i * i) * 1.6;
        c.line(20, y, 492, y, 1.2 + i * 0.15, rgb255(255, 60, 200, 0.85));
    }
    for (int i = -10; i <= 10; ++i)
        c.line(256 + i * 14, 300, 256 + i * 60, 512, 1.5, rgb255(255, 60, 200, 0.75));
    c.glow(256, 300, 260, rgb255(255, 60, 160), 0.25, 2.0);
    drawLetteringCentred(c, "T.A.V.", 256, 150, 12, kChrome);
    return c;
}

Canvas drawPresents()
{
    // Native size near (500, 400) with jumps to the left and right: the lettering keeps to the left 200 pixels.
    Canvas c(256, 64);
    LetteringStyle style = {rgb255(255, 255, 255), rgb255(255, 170, 60), rgb255(30, 10, 0, 0.9),
                            rgb255(255, 140, 40), 1, 6, 0.7, 0.8};
    drawLettering(c, "PRESENTS", 0, 10, 4, style);
    return c;
}

Canvas drawBack0()
{
    // Drawn 256 wide and unrolled downward to 600 pixels: a column of gradient, stripes and diamonds.
    Canvas c(256, 512);
    c.shade([](double x, double y) {
        double t = y / 512.0;
        Rgba base = lerpColor(rgb255(20, 10, 70), rgb255(110, 20, 90), t);
        double scan = 0.85 + 0.15 * (std::fmod(y, 4.0) < 2.0 ? 1.0 : 0.0);
        double side = 1.0 - 0.5 * detPow(std::fabs(x - 128) / 128.0, 3.0);
        return withAlpha(scaled(base, scan * side), 0.85);
    });
    for (int i = 0; i < 9; ++i) {
        double cy = 32 + i * 56;
        double s = 18;
        c.fillPolygon({128, cy - s, 128 + s, cy, 128, cy + s, 128 - s, cy}, rgb255(120, 220, 255, 0.85));
        c.fillPolygon({128, cy - s * 0.5, 128 + s * 0.5, cy, 128, cy + s * 0.5, 128 - s * 0.5, cy},
                      rgb255(255, 255, 255, 0.9));
        c.glow(128, cy, 40, rgb255(80, 180, 255), 0.35);
    }
    c.line(24, 0, 24, 512, 3, rgb255(120, 220, 255, 0.8));
    c.line(232, 0, 232, 512, 3, rgb255(120, 220, 255, 0.8));
    c.line(34, 0, 34, 512, 1, rgb255(255, 120, 220, 0.6));
    c.line(222, 0, 222, 512, 1, rgb255(255, 120, 220, 0.6));
    return c;
}

Canvas drawCodePanel()
{
    Canvas c(256, 128);
    Rgba light = rgb255(80, 220, 255);
    drawPanel(c, light);
    // Lines of "source" as short bars, indented like a program.
    Prng rng(11);
    const int indent[7] = {0, 1, 2, 2, 1, 2, 0};
    for (int i = 0; i < 7; ++i) {
        double y = 24 + i * 12;
        double x = 160 + indent[i] * 10;
        double len = 20 + rng.below(40);
        c.fillRect(x, y, std::min(x + len, 240.0), y + 5, withAlpha(light, 0.55));
    }
    drawLetteringCentred(c, "CODE", 88, 64, 6, roleStyle(light));
    return c;
}

Canvas drawGfxPanel()
{
    Canvas c(256, 128);
    Rgba light = rgb255(255, 90, 220);
    drawPanel(c, light);
    // A tilted square, a circle and a triangle: shapes and colour.
    c.fillDisc(196, 46, 20, rgb255(255, 210, 60, 0.9));
    c.fillPolygon({168, 104, 200, 56, 232, 104}, rgb255(80, 220, 255, 0.85));
    c.fillPolygon({214, 40, 234, 60, 214, 80, 194, 60}, rgb255(255, 90, 220, 0.75));
    drawLetteringCentred(c, "GFX", 84, 64, 6, roleStyle(light));
    return c;
}

Canvas drawSfxPanel()
{
    Canvas c(256, 128);
    Rgba light = rgb255(255, 170, 50);
    drawPanel(c, light);
    // An equaliser: bars of different heights.
    for (int i = 0; i < 8; ++i) {
        double height = 16 + 60 * (0.5 + 0.5 * detSin(i * 1.7 + 0.4));
        double x = 160 + i * 10;
        for (double y = 108; y > 108 - height; y -= 6)
            c.fillRect(x, y - 4, x + 7, y, lerpColor(rgb255(80, 255, 120), rgb255(255, 80, 60), (108 - y) / 80.0));
    }
    drawLetteringCentred(c, "SFX", 84, 64, 6, roleStyle(light));
    return c;
}
