// SPDX-License-Identifier: MIT
// GetModuleFileNameA as Windows documents it: the executable's full path, its length as the result, and a
// buffer too small for it filled with as much as fits and a terminator, the result then being the size.
#include "platform/win32_api.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

static std::string executable() {
    char path[PATH_MAX];
    char* resolved = realpath("/proc/self/exe", path);
    EXPECT_NE(resolved, nullptr);
    return resolved ? resolved : "";
}

TEST(ModuleFileName, IsTheExecutablesFullPath) {
    const std::string expected = executable();
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(expected[0], '/');
    char buffer[PATH_MAX];
    DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    EXPECT_EQ(length, expected.size());
    EXPECT_EQ(std::string(buffer), expected);
    // The module handle of the executable names the same module; no other handle names any.
    char again[PATH_MAX];
    EXPECT_EQ(GetModuleFileNameA(GetModuleHandleA(nullptr), again, sizeof again), length);
    EXPECT_STREQ(again, buffer);
    EXPECT_EQ(GetModuleFileNameA(reinterpret_cast<HMODULE>(buffer), again, sizeof again), 0u);
}

TEST(ModuleFileName, ASmallBufferGetsWhatFitsAndATerminatorAndNothingBeyond) {
    const std::string expected = executable();
    const size_t fullSize = expected.size() + 1;   // with the terminator
    for (DWORD size : {1u, 2u, 5u, static_cast<DWORD>(expected.size()), static_cast<DWORD>(fullSize)}) {
        std::string buffer(fullSize + 8, '#');
        DWORD result = GetModuleFileNameA(nullptr, &buffer[0], size);
        if (size < fullSize) {
            EXPECT_EQ(result, size);
            EXPECT_EQ(buffer.substr(0, size - 1), expected.substr(0, size - 1)) << size;
            EXPECT_EQ(buffer[size - 1], '\0') << size;
        } else {
            EXPECT_EQ(result, expected.size());
            EXPECT_EQ(buffer.substr(0, expected.size()), expected);
            EXPECT_EQ(buffer[expected.size()], '\0');
        }
        EXPECT_EQ(buffer.substr(size), std::string(buffer.size() - size, '#')) << "written past " << size;
    }
}

TEST(ModuleFileName, NoBufferOrNoRoomGivesZeroAndWritesNothing) {
    char buffer[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(GetModuleFileNameA(nullptr, buffer, 0), 0u);
    EXPECT_EQ(std::string(buffer, 4), "####");
    EXPECT_EQ(GetModuleFileNameA(nullptr, nullptr, 100), 0u);
}
