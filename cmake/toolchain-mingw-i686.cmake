# SPDX-License-Identifier: MIT
# Cross-compiling for 32-bit Windows.
set(TAV_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw_toolchain_common.cmake)
