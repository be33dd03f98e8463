// SPDX-License-Identifier: MIT
// GetTickCount for the SDL backend: the monotonic clock in milliseconds, cut to 32 bits so it wraps as the
// Windows counter does.
#include "platform/win32_api.h"

#include <chrono>

DWORD WINAPI GetTickCount()
{
    using namespace std::chrono;
    return static_cast<DWORD>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
