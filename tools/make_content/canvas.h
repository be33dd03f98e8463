// SPDX-License-Identifier: MIT
// A floating-point RGBA picture with the few drawing operations the content pictures are made of.
// Colours are stored premultiplied by alpha, so "over" and additive light compose without fringes.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

struct Rgba {
    double r, g, b, a;
};

Rgba rgba(double r, double g, double b, double a = 1.0);
Rgba rgb255(int r, int g, int b, double a = 1.0);
Rgba lerpColor(const Rgba& x, const Rgba& y, double t);
Rgba scaled(const Rgba& c, double intensity);   // the same colour, brighter or darker
Rgba withAlpha(const Rgba& c, double a);

class Canvas {
public:
    Canvas(int width, int height);
    int width() const { return w; }
    int height() const { return h; }

    // Straight (not premultiplied) colour of a pixel; transparent outside.
    Rgba get(int x, int y) const;
    void clear(const Rgba& c);

    // Composite a straight colour over the pixel with the given coverage 0..1.
    void over(int x, int y, const Rgba& c, double coverage = 1.0);
    // Add light: the colour's rgb times amount, with the alpha growing with the light.
    void addLight(int x, int y, const Rgba& c, double amount);
    // Multiply the pixel's alpha (and premultiplied colour) by a factor.
    void fadeAlpha(int x, int y, double factor);

    // Shade every pixel: f gets the pixel centre and returns a straight colour composited "over".
    void shade(const std::function<Rgba(double x, double y)>& f);
    // Shapes drawn from a signed distance (negative inside) with one pixel of anti-aliasing.
    void fillShape(double x0, double y0, double x1, double y1, const std::function<double(double, double)>& distance,
                   const std::function<Rgba(double, double)>& colour);
    void fillDisc(double cx, double cy, double radius, const Rgba& c);
    void fillRing(double cx, double cy, double radius, double thickness, const Rgba& c);
    void fillRect(double x0, double y0, double x1, double y1, const Rgba& c);
    void line(double x0, double y0, double x1, double y1, double thickness, const Rgba& c);
    void fillPolygon(const std::vector<double>& xy, const Rgba& c);
    // Soft radial light: intensity falls from 1 at the centre to 0 at the radius.
    void glow(double cx, double cy, double radius, const Rgba& c, double strength, double falloff = 2.0);

    // Draw another canvas over this one at (x, y) at its own size.
    void drawCanvas(const Canvas& src, int x, int y);
    // Draw another canvas scaled to the rectangle (bilinear), for the content sheet.
    void drawScaled(const Canvas& src, int x, int y, int dw, int dh);

    // 8-bit straight RGBA, rows top to bottom.
    std::vector<uint8_t> toRgba8() const;

private:
    int w, h;
    std::vector<double> px; // premultiplied r, g, b, a
};

double segmentDistance(double px, double py, double x0, double y0, double x1, double y1);
