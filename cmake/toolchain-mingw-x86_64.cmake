# SPDX-License-Identifier: MIT
# Cross-compiling for 64-bit Windows.
set(TAV_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw_toolchain_common.cmake)
