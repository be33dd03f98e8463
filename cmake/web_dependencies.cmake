# SPDX-License-Identifier: MIT
# The browser build's libraries, under the names the Linux build gives them, so the program's CMake files are the
# same everywhere: zlib, minizip's unzip, libglu's projection code and libopenmpt, compiled to wasm by
# scripts/build-web.sh into TAV_WEB_DEPS. OpenGL itself is the GL stand-in in platform/web: nothing to link.
set(TAV_WEB_DEPS ${CMAKE_SOURCE_DIR}/build-web/deps CACHE PATH "The wasm dependencies")
set(TAV_WEB_OPT -O2 CACHE STRING "Optimisation of the program and of the wasm link")
set(CMAKE_C_FLAGS_RELEASE "${TAV_WEB_OPT} -DNDEBUG")
set(CMAKE_CXX_FLAGS_RELEASE "${TAV_WEB_OPT} -DNDEBUG")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE "${TAV_WEB_OPT}")

foreach(library z minizip GLU openmpt)
  if(NOT EXISTS ${TAV_WEB_DEPS}/lib/lib${library}.a)
    message(FATAL_ERROR "${TAV_WEB_DEPS}/lib/lib${library}.a is missing: scripts/build-web.sh builds it")
  endif()
endforeach()

add_library(OpenGL::GL INTERFACE IMPORTED)
add_library(PkgConfig::GLU INTERFACE IMPORTED)
target_include_directories(PkgConfig::GLU INTERFACE ${TAV_WEB_DEPS}/include)
target_link_libraries(PkgConfig::GLU INTERFACE ${TAV_WEB_DEPS}/lib/libGLU.a)
add_library(PkgConfig::ZLIB INTERFACE IMPORTED)
target_include_directories(PkgConfig::ZLIB INTERFACE ${TAV_WEB_DEPS}/include)
target_link_libraries(PkgConfig::ZLIB INTERFACE ${TAV_WEB_DEPS}/lib/libz.a)
add_library(PkgConfig::MINIZIP INTERFACE IMPORTED)
target_include_directories(PkgConfig::MINIZIP INTERFACE ${TAV_WEB_DEPS}/include/minizip)
target_link_libraries(PkgConfig::MINIZIP INTERFACE ${TAV_WEB_DEPS}/lib/libminizip.a PkgConfig::ZLIB)
# libopenmpt reports its errors to itself with C++ exceptions: the link keeps them working (-fexceptions), while
# the program, which throws and catches none, is compiled without them.
add_library(PkgConfig::OPENMPT INTERFACE IMPORTED)
target_include_directories(PkgConfig::OPENMPT INTERFACE ${TAV_WEB_DEPS}/include)
target_link_libraries(PkgConfig::OPENMPT INTERFACE ${TAV_WEB_DEPS}/lib/libopenmpt.a)
target_link_options(PkgConfig::OPENMPT INTERFACE -fexceptions)

# How tav.js + tav.wasm are linked (the browser test programs link the same way). The program blocks where
# Windows would (its frame loop, the load pause, message boxes): Asyncify saves and resumes its stack around
# the JavaScript sleeps the platform defines. Every sleep is reached through direct calls only (WinMain, its
# loops, the load pause, MessageBoxA, SwapBuffers, GetTickCount; no window procedure or function pointer sleeps),
# so Asyncify leaves indirect calls alone: 1.7 MB of wasm instead of 2.6 MB. The program is compiled without
# -fexceptions, so no invoke_ wrapper lies on a sleeping path either. The page starts the program itself
# (callMain) after its click.
set(TAV_WEB_LINK_OPTIONS
  -sASYNCIFY=1
  "-sASYNCIFY_IMPORTS=[emscripten_sleep,tavSleepUntilFrame,tavSleepUntilInput]"
  -sASYNCIFY_IGNORE_INDIRECT=1
  -sASYNCIFY_STACK_SIZE=65536
  -sALLOW_MEMORY_GROWTH=1
  -sFORCE_FILESYSTEM=1
  -sINVOKE_RUN=0
  -sEXIT_RUNTIME=0
  "-sEXPORTED_RUNTIME_METHODS=[callMain]"
  -sMAX_WEBGL_VERSION=2
  -sENVIRONMENT=web
  ${TAV_WEB_EXTRA_LINK_OPTIONS})
