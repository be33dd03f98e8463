// SPDX-License-Identifier: MIT
// The largest single malloc request made by the program's own code since the last reset. The hardening
// tests link with -Wl,--wrap=malloc, so every malloc call in our static libraries lands here first.
#pragma once

#include <cstddef>

void resetLargestAllocation();
size_t largestAllocation();
