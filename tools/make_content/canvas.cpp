// SPDX-License-Identifier: MIT
#include "tools/make_content/canvas.h"

#include <algorithm>
#include <cmath>

#include "tools/make_content/det_math.h"

Rgba rgba(double r, double g, double b, double a)
{
    return Rgba{r, g, b, a};
}

Rgba rgb255(int r, int g, int b, double a)
{
    return Rgba{r / 255.0, g / 255.0, b / 255.0, a};
}

Rgba lerpColor(const Rgba& x, const Rgba& y, double t)
{
    return Rgba{mix(x.r, y.r, t), mix(x.g, y.g, t), mix(x.b, y.b, t), mix(x.a, y.a, t)};
}

Rgba scaled(const Rgba& c, double intensity)
{
    return Rgba{c.r * intensity, c.g * intensity, c.b * intensity, c.a};
}

Rgba withAlpha(const Rgba& c, double a)
{
    return Rgba{c.r, c.g, c.b, a};
}

Canvas::Canvas(int width, int height) : w(width), h(height), px(static_cast<size_t>(width) * height * 4, 0.0) {}

Rgba Canvas::get(int x, int y) const
{
    if (x < 0 || y < 0 || x >= w || y >= h)
        return Rgba{0, 0, 0, 0};
    const double* p = &px[(static_cast<size_t>(y) * w + x) * 4];
    if (p[3] <= 0.0)
        return Rgba{0, 0, 0, 0};
    return Rgba{p[0] / p[3], p[1] / p[3], p[2] / p[3], p[3]};
}

void Canvas::clear(const Rgba& c)
{
    for (size_t i = 0; i < px.size(); i += 4) {
        px[i] = c.r * c.a;
        px[i + 1] = c.g * c.a;
        px[i + 2] = c.b * c.a;
        px[i + 3] = c.a;
    }
}

void Canvas::over(int x, int y, const Rgba& c, double coverage)
{
    if (x < 0 || y < 0 || x >= w || y >= h)
        return;
    double a = clamp01(c.a * coverage);
    if (a <= 0.0)
        return;
    double* p = &px[(static_cast<size_t>(y) * w + x) * 4];
    p[0] = c.r * a + p[0] * (1.0 - a);
    p[1] = c.g * a + p[1] * (1.0 - a);
    p[2] = c.b * a + p[2] * (1.0 - a);
    p[3] = a + p[3] * (1.0 - a);
}

void Canvas::addLight(int x, int y, const Rgba& c, double amount)
{
    if (x < 0 || y < 0 || x >= w || y >= h || amount <= 0.0)
        return;
    double* p = &px[(static_cast<size_t>(y) * w + x) * 4];
    p[0] += c.r * amount;
    p[1] += c.g * amount;
    p[2] += c.b * amount;
    double peak = std::max(p[0], std::max(p[1], p[2]));
    p[3] = std::min(1.0, std::max(p[3] + c.a * amount * (1.0 - p[3]), peak));
    for (int i = 0; i < 3; ++i)
        p[i] = std::min(p[i], p[3]);
}

void Canvas::fadeAlpha(int x, int y, double factor)
{
    if (x < 0 || y < 0 || x >= w || y >= h)
        return;
    double* p = &px[(static_cast<size_t>(y) * w + x) * 4];
    for (int i = 0; i < 4; ++i)
        p[i] *= factor;
}

void Canvas::shade(const std::function<Rgba(double, double)>& f)
{
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            over(x, y, f(x + 0.5, y + 0.5));
}

void Canvas::fillShape(double x0, double y0, double x1, double y1, const std::function<double(double, double)>& distance,
                       const std::function<Rgba(double, double)>& colour)
{
    int ix0 = std::max(0, static_cast<int>(std::floor(x0)) - 1);
    int iy0 = std::max(0, static_cast<int>(std::floor(y0)) - 1);
    int ix1 = std::min(w - 1, static_cast<int>(std::ceil(x1)) + 1);
    int iy1 = std::min(h - 1, static_cast<int>(std::ceil(y1)) + 1);
    for (int y = iy0; y <= iy1; ++y)
        for (int x = ix0; x <= ix1; ++x) {
            double cx = x + 0.5;
            double cy = y + 0.5;
            double coverage = clamp01(0.5 - distance(cx, cy));
            if (coverage > 0.0)
                over(x, y, colour(cx, cy), coverage);
        }
}

void Canvas::fillDisc(double cx, double cy, double radius, const Rgba& c)
{
    fillShape(cx - radius, cy - radius, cx + radius, cy + radius,
              [=](double x, double y) { return std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy)) - radius; },
              [=](double, double) { return c; });
}

void Canvas::fillRing(double cx, double cy, double radius, double thickness, const Rgba& c)
{
    double outer = radius + thickness / 2.0;
    fillShape(cx - outer, cy - outer, cx + outer, cy + outer,
              [=](double x, double y) {
                  return std::fabs(std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy)) - radius) - thickness / 2.0;
              },
              [=](double, double) { return c; });
}

void Canvas::fillRect(double x0, double y0, double x1, double y1, const Rgba& c)
{
    fillShape(x0, y0, x1, y1,
              [=](double x, double y) {
                  return std::max(std::max(x0 - x, x - x1), std::max(y0 - y, y - y1));
              },
              [=](double, double) { return c; });
}

double segmentDistance(double px, double py, double x0, double y0, double x1, double y1)
{
    double dx = x1 - x0;
    double dy = y1 - y0;
    double len2 = dx * dx + dy * dy;
    double t = len2 > 0.0 ? clamp01(((px - x0) * dx + (py - y0) * dy) / len2) : 0.0;
    double ex = px - (x0 + t * dx);
    double ey = py - (y0 + t * dy);
    return std::sqrt(ex * ex + ey * ey);
}

void Canvas::line(double x0, double y0, double x1, double y1, double thickness, const Rgba& c)
{
    double r = thickness / 2.0;
    fillShape(std::min(x0, x1) - r, std::min(y0, y1) - r, std::max(x0, x1) + r, std::max(y0, y1) + r,
              [=](double x, double y) { return segmentDistance(x, y, x0, y0, x1, y1) - r; },
              [=](double, double) { return c; });
}

void Canvas::fillPolygon(const std::vector<double>& xy, const Rgba& c)
{
    size_t n = xy.size() / 2;
    if (n < 3)
        return;
    double minX = xy[0], maxX = xy[0], minY = xy[1], maxY = xy[1];
    for (size_t i = 0; i < n; ++i) {
        minX = std::min(minX, xy[2 * i]);
        maxX = std::max(maxX, xy[2 * i]);
        minY = std::min(minY, xy[2 * i + 1]);
        maxY = std::max(maxY, xy[2 * i + 1]);
    }
    auto inside = [&](double x, double y) {
        bool in = false;
        for (size_t i = 0, j = n - 1; i < n; j = i++) {
            double xi = xy[2 * i], yi = xy[2 * i + 1], xj = xy[2 * j], yj = xy[2 * j + 1];
            if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi)
                in = !in;
        }
        return in;
    };
    // 4 x 4 samples per pixel give the edges their anti-aliasing.
    for (int y = std::max(0, static_cast<int>(minY)); y <= std::min(h - 1, static_cast<int>(maxY) + 1); ++y)
        for (int x = std::max(0, static_cast<int>(minX)); x <= std::min(w - 1, static_cast<int>(maxX) + 1); ++x) {
            int hits = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx)
                    hits += inside(x + (sx + 0.5) / 4.0, y + (sy + 0.5) / 4.0) ? 1 : 0;
            if (hits)
                over(x, y, c, hits / 16.0);
        }
}

void Canvas::glow(double cx, double cy, double radius, const Rgba& c, double strength, double falloff)
{
    int x0 = std::max(0, static_cast<int>(cx - radius) - 1);
    int y0 = std::max(0, static_cast<int>(cy - radius) - 1);
    int x1 = std::min(w - 1, static_cast<int>(cx + radius) + 1);
    int y1 = std::min(h - 1, static_cast<int>(cy + radius) + 1);
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            double dx = x + 0.5 - cx;
            double dy = y + 0.5 - cy;
            double d = std::sqrt(dx * dx + dy * dy) / radius;
            if (d >= 1.0)
                continue;
            addLight(x, y, c, strength * detPow(1.0 - d, falloff));
        }
}

void Canvas::drawCanvas(const Canvas& src, int x, int y)
{
    for (int sy = 0; sy < src.h; ++sy)
        for (int sx = 0; sx < src.w; ++sx) {
            Rgba c = src.get(sx, sy);
            if (c.a > 0.0)
                over(x + sx, y + sy, c);
        }
}

void Canvas::drawScaled(const Canvas& src, int x, int y, int dw, int dh)
{
    for (int dy = 0; dy < dh; ++dy)
        for (int dx = 0; dx < dw; ++dx) {
            // Average the source pixels that fall into this destination pixel (box filter).
            int sx0 = dx * src.w / dw, sx1 = std::max(sx0 + 1, (dx + 1) * src.w / dw);
            int sy0 = dy * src.h / dh, sy1 = std::max(sy0 + 1, (dy + 1) * src.h / dh);
            double acc[4] = {0, 0, 0, 0};
            for (int sy = sy0; sy < sy1; ++sy)
                for (int sx = sx0; sx < sx1; ++sx) {
                    const double* p = &src.px[(static_cast<size_t>(sy) * src.w + sx) * 4];
                    for (int i = 0; i < 4; ++i)
                        acc[i] += p[i];
                }
            double n = static_cast<double>((sx1 - sx0) * (sy1 - sy0));
            double a = acc[3] / n;
            if (a > 0.0)
                over(x + dx, y + dy, Rgba{acc[0] / n / a, acc[1] / n / a, acc[2] / n / a, a});
        }
}

static uint8_t toByte(double v)
{
    return static_cast<uint8_t>(std::lround(clamp01(v) * 255.0));
}

std::vector<uint8_t> Canvas::toRgba8() const
{
    std::vector<uint8_t> out(static_cast<size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            Rgba c = get(x, y);
            uint8_t* o = &out[(static_cast<size_t>(y) * w + x) * 4];
            o[0] = toByte(c.r);
            o[1] = toByte(c.g);
            o[2] = toByte(c.b);
            o[3] = toByte(c.a);
        }
    return out;
}
