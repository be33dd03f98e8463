// SPDX-License-Identifier: MIT
// GetTickCount for the browser: performance.now() in whole milliseconds, cut to 32 bits so it wraps as the
// Windows counter does. A program that spins on the counter (the load pause) would freeze the tab, so a read
// 8 ms or more after the last yield gives the browser a turn first.
#include "platform/web/web_backend.h"

#include <emscripten.h>

DWORD WINAPI GetTickCount()
{
    if (webMsSinceYield() >= 8.0) {
        webYield(0);
    }
    return static_cast<DWORD>(static_cast<unsigned long long>(emscripten_get_now()));
}
