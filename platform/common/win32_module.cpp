// SPDX-License-Identifier: MIT
// The executable as a module, for both backends: the program calls GetModuleHandleA and GetModuleFileNameA;
// this file answers them for the one module a process of ours has, the executable itself.
#include "platform/win32_api.h"

#include <cstring>
#include <unistd.h>

// The module handle of the executable: any stable non-null value serves.
static char moduleMarker;

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName)
{
    return moduleName ? nullptr : reinterpret_cast<HMODULE>(&moduleMarker);
}

// The executable's full path, from /proc/self/exe. As on Windows: the length copied without the terminator;
// a buffer too small gets the path cut to size - 1 characters and a terminator, and the result is size; 0 on
// failure or when size is 0.
DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size)
{
    if (!fileName || size == 0 || (module && module != GetModuleHandleA(nullptr))) {
        return 0;
    }
    // readlink neither terminates nor says whether it cut the path short, so read into a buffer one byte
    // longer than any path and copy from there.
    char path[4097];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path);
    if (length <= 0 || length >= static_cast<ssize_t>(sizeof path)) {
        return 0;
    }
    DWORD full = static_cast<DWORD>(length);
    if (full >= size) {
        std::memcpy(fileName, path, size - 1);
        fileName[size - 1] = '\0';
        return size;
    }
    std::memcpy(fileName, path, full);
    fileName[full] = '\0';
    return full;
}
