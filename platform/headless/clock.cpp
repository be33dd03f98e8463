// SPDX-License-Identifier: MIT
// GetTickCount for the headless backend: a 32-bit millisecond counter that is either the monotonic clock or a
// virtual one moved only by the driver, so tests and captures can set it anywhere (near the wrap, say).
#include "platform/headless/headless_state.h"

#include <chrono>

unsigned long long headlessMonotonicMs()
{
    using namespace std::chrono;
    return static_cast<unsigned long long>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

DWORD headlessClock()
{
    if (headless.virtualClock) {
        return headless.clockBase;
    }
    return static_cast<DWORD>(headless.clockBase + (headlessMonotonicMs() - headless.clockOrigin));
}

void headlessSetClock(DWORD milliseconds)
{
    headless.clockBase = milliseconds;
    headless.clockOrigin = headlessMonotonicMs();
}

void headlessUseVirtualClock(bool virtualClock)
{
    DWORD now = headlessClock();
    headless.virtualClock = virtualClock;
    headlessSetClock(now);  // switching keeps the counter's value
}

void headlessAdvanceClock(DWORD milliseconds)
{
    headlessSetClock(static_cast<DWORD>(headlessClock() + milliseconds));
}

void headlessSetTickReadHook(std::function<void()> hook)
{
    headless.tickReadHook = std::move(hook);
}

DWORD WINAPI GetTickCount()
{
    if (headless.tickReadHook) {
        headless.tickReadHook();
    }
    return headlessClock();
}
