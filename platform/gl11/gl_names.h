// SPDX-License-Identifier: MIT
// The first of n free names for glGenLists and glGenTextures, chosen as Mesa chooses them: just past the highest
// name ever used while the name space has room there (a deleted name does not come back at once), else the
// first run of n names not in use. 0 when there is none. highestUsed never goes down: it takes the new names.
#pragma once

#include <GL/gl.h>

#include <cstdint>
#include <map>

template <typename T>
GLuint glFreeNames(const std::map<GLuint, T>& used, GLuint& highestUsed, GLsizei n)
{
    const std::uint64_t count = static_cast<std::uint64_t>(n);
    // The highest name, 2^32 - 1, is never given out.
    const std::uint64_t last = 0xfffffffeu;
    std::uint64_t first = 1;
    if (highestUsed + count < last) {
        first = static_cast<std::uint64_t>(highestUsed) + 1;
    } else {
        for (const auto& entry : used) {
            if (entry.first >= first + count)
                break;
            if (entry.first >= first)
                first = static_cast<std::uint64_t>(entry.first) + 1;
        }
        if (first + count - 1 > last)
            return 0;
    }
    if (first + count - 1 > highestUsed)
        highestUsed = static_cast<GLuint>(first + count - 1);
    return static_cast<GLuint>(first);
}
