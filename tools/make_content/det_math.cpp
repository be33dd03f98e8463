// SPDX-License-Identifier: MIT
#include "tools/make_content/det_math.h"

#include <cmath>

double detSin(double x)
{
    // Reduce to [-pi, pi], then fold into [-pi/2, pi/2] where the odd series converges quickly.
    double turns = std::floor(x / (2.0 * kPi) + 0.5);
    x -= turns * 2.0 * kPi;
    if (x > kPi / 2.0)
        x = kPi - x;
    else if (x < -kPi / 2.0)
        x = -kPi - x;
    double x2 = x * x;
    double term = x;
    double sum = x;
    for (int n = 1; n <= 9; ++n) {
        term *= -x2 / ((2.0 * n) * (2.0 * n + 1.0));
        sum += term;
    }
    return sum;
}

double detCos(double x)
{
    return detSin(x + kPi / 2.0);
}

double detExp(double x)
{
    if (x < -700.0)
        return 0.0;
    if (x > 700.0)
        x = 700.0;
    // exp(x) = 2^k * exp(r) with |r| <= ln2/2.
    const double ln2 = 0.69314718055994530942;
    double k = std::floor(x / ln2 + 0.5);
    double r = x - k * ln2;
    double term = 1.0;
    double sum = 1.0;
    for (int n = 1; n <= 14; ++n) {
        term *= r / n;
        sum += term;
    }
    return std::ldexp(sum, static_cast<int>(k));
}

double detLog(double x)
{
    if (x <= 0.0)
        return -1e300;
    int exponent = 0;
    double m = std::frexp(x, &exponent); // m in [0.5, 1)
    if (m < 0.70710678118654752440) {
        m *= 2.0;
        exponent -= 1;
    }
    // log(m) = 2 atanh(s), s = (m - 1) / (m + 1), |s| < 0.172.
    double s = (m - 1.0) / (m + 1.0);
    double s2 = s * s;
    double term = s;
    double sum = 0.0;
    for (int n = 0; n < 12; ++n) {
        sum += term / (2 * n + 1);
        term *= s2;
    }
    return 2.0 * sum + exponent * 0.69314718055994530942;
}

double detPow(double base, double exponent)
{
    if (base <= 0.0)
        return 0.0;
    return detExp(exponent * detLog(base));
}

static double atanSeries(double t)
{
    // |t| <= 1: reduce twice with atan(t) = 2 atan(t / (1 + sqrt(1 + t^2))), then a short series.
    double u = t / (1.0 + std::sqrt(1.0 + t * t));
    u = u / (1.0 + std::sqrt(1.0 + u * u));
    double u2 = u * u;
    double term = u;
    double sum = 0.0;
    for (int n = 0; n < 10; ++n) {
        sum += term / (2 * n + 1);
        term *= -u2;
    }
    return 4.0 * sum;
}

double detAtan2(double y, double x)
{
    if (x == 0.0 && y == 0.0)
        return 0.0;
    double ax = std::fabs(x);
    double ay = std::fabs(y);
    double a = ay <= ax ? atanSeries(ay / ax) : kPi / 2.0 - atanSeries(ax / ay);
    if (x < 0.0)
        a = kPi - a;
    return y < 0.0 ? -a : a;
}

double detTanh(double x)
{
    if (x > 20.0)
        return 1.0;
    if (x < -20.0)
        return -1.0;
    double e = detExp(2.0 * x);
    return (e - 1.0) / (e + 1.0);
}

double clamp01(double x)
{
    return x < 0.0 ? 0.0 : (x > 1.0 ? 1.0 : x);
}

double smoothStep(double edge0, double edge1, double x)
{
    double t = clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3.0 - 2.0 * t);
}

double mix(double a, double b, double t)
{
    return a + (b - a) * t;
}
