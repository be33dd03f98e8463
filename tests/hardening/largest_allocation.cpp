// SPDX-License-Identifier: MIT
#include "tests/hardening/largest_allocation.h"

#include <cstdlib>

extern "C" void* __real_malloc(size_t size);

static size_t largest = 0;

extern "C" void* __wrap_malloc(size_t size) {
    if (size > largest) largest = size;
    return __real_malloc(size);
}

void resetLargestAllocation() {
    largest = 0;
}

size_t largestAllocation() {
    return largest;
}
