// SPDX-License-Identifier: MIT
// Deterministic maths for the content generator: only IEEE basic operations, so the same input gives the same
// bits on every machine and library version (the libm versions of these may differ in the last place).
#pragma once

const double kPi = 3.14159265358979323846;

double detSin(double x);
double detCos(double x);
double detExp(double x);
double detLog(double x);
double detPow(double base, double exponent);
double detAtan2(double y, double x);
double detTanh(double x);
double clamp01(double x);
double smoothStep(double edge0, double edge1, double x);
double mix(double a, double b, double t);
