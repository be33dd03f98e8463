# SPDX-License-Identifier: MIT
# The Windows build's libraries, under the names the Linux build gives them, so the program's CMake files are the
# same for both: OpenGL32/GLU32 and zlib from MinGW-w64, the rest cross-built static by scripts/build-windows.sh
# into TAV_WINDOWS_DEPS. Everything links statically: the exe imports only Windows system DLLs.
set(TAV_WINDOWS_DEPS ${CMAKE_BINARY_DIR}/deps CACHE PATH "The cross-built static dependencies")
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)
list(APPEND CMAKE_FIND_ROOT_PATH ${TAV_WINDOWS_DEPS})

find_package(OpenGL REQUIRED)
find_package(PkgConfig REQUIRED)
find_library(TAV_ZLIB z REQUIRED)
find_library(TAV_MINIZIP minizip REQUIRED)

add_library(PkgConfig::GLU INTERFACE IMPORTED)
target_link_libraries(PkgConfig::GLU INTERFACE OpenGL::GLU)
add_library(PkgConfig::ZLIB INTERFACE IMPORTED)
target_link_libraries(PkgConfig::ZLIB INTERFACE ${TAV_ZLIB})
add_library(PkgConfig::MINIZIP INTERFACE IMPORTED)
target_include_directories(PkgConfig::MINIZIP INTERFACE ${TAV_WINDOWS_DEPS}/include/minizip)
target_link_libraries(PkgConfig::MINIZIP INTERFACE ${TAV_MINIZIP} ${TAV_ZLIB})

# libopenmpt and libsndfile with the private libraries their static builds need, from their own .pc files.
set(ENV{PKG_CONFIG_LIBDIR} ${TAV_WINDOWS_DEPS}/lib/pkgconfig)
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
foreach(entry OPENMPT:libopenmpt SNDFILE:sndfile)
  string(REPLACE ":" ";" entry ${entry})
  list(GET entry 0 name)
  list(GET entry 1 module)
  pkg_check_modules(${name} REQUIRED ${module})
  add_library(PkgConfig::${name} INTERFACE IMPORTED)
  target_include_directories(PkgConfig::${name} INTERFACE ${${name}_STATIC_INCLUDE_DIRS})
  target_compile_options(PkgConfig::${name} INTERFACE ${${name}_STATIC_CFLAGS_OTHER})
  target_link_libraries(PkgConfig::${name} INTERFACE ${${name}_STATIC_LDFLAGS})
endforeach()
