# SPDX-License-Identifier: MIT
# Installing tav like any Linux program, with `cmake --install` or as the Debian package that cpack builds
# (build/tav_VERSION_amd64.deb): the two programs, the content set, a menu entry with its icon, the manual
# pages and the documentation. The programs find the content relative to their own folder, so a package and
# a staged install in any prefix both work.
set(TAV_VERSION ${PROJECT_VERSION})
set(TAV_MAINTAINER "tav developers <maintainers@users.noreply.c-seed-3bd8877b.example>")

# Manual pages and the changelog go in compressed, without names or dates in the gzip header.
set(packaging_out ${CMAKE_BINARY_DIR}/packaging)
configure_file(${CMAKE_SOURCE_DIR}/packaging/changelog.in ${packaging_out}/changelog @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/packaging/tav.6 ${packaging_out}/tav.6 @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/packaging/tav-capture.1 ${packaging_out}/tav-capture.1 @ONLY)
set(compressed)
foreach(source ${packaging_out}/tav.6 ${packaging_out}/tav-capture.1 ${packaging_out}/changelog)
  get_filename_component(name ${source} NAME)
  add_custom_command(OUTPUT ${packaging_out}/${name}.gz
    COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" sh ${source} ${packaging_out}/${name}.gz
    DEPENDS ${source}
    VERBATIM)
  list(APPEND compressed ${packaging_out}/${name}.gz)
endforeach()
# The copyright file, from the list of third-party components the notices of every artefact come from.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_custom_command(OUTPUT ${packaging_out}/copyright
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/scripts/notices.py deb ${PROJECT_VERSION} ${packaging_out}/copyright
  DEPENDS ${CMAKE_SOURCE_DIR}/scripts/notices.py ${CMAKE_SOURCE_DIR}/packaging/third_party.json
    ${CMAKE_SOURCE_DIR}/LICENSE
  VERBATIM)
add_custom_target(packaging_files ALL DEPENDS ${compressed} ${packaging_out}/copyright)

# cpack installs what the build made; it does not start a build of everything itself (the package test runs it
# beside other tests, and scripts/package.sh builds first).
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
install(TARGETS tav tav-capture RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_BINARY_DIR}/vel.kod DESTINATION ${CMAKE_INSTALL_DATADIR}/tav)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/tav.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 48 128 256)
  install(FILES ${CMAKE_BINARY_DIR}/icons/tav-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME tav.png)
endforeach()
install(FILES ${packaging_out}/tav.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${packaging_out}/tav-capture.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${packaging_out}/copyright ${packaging_out}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tav)
set(CPACK_PACKAGE_VERSION ${TAV_VERSION})
set(CPACK_PACKAGE_CONTACT ${TAV_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "real-time OpenGL audiovisual show")
set(CPACK_PACKAGE_DESCRIPTION "tav puts up a loading picture, then plays a fixed sequence of scenes in time
with its own tracker-module soundtrack: unrolling logos, spinning textured
cubes, a flown-through field of quads and a 4000-particle fountain, all
leaving trails. It quits by itself when the music has played.
.
tav-capture renders the same show offline to an MP4 file or to PNG frames,
with no display and no sound card.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Not "games": Debian keeps those in /usr/games, and this is a show to watch.
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The runtime libraries the two programs link, as dpkg-shlibdeps finds them, and two that are opened at run
# time: libGL for SDL's GLX context and Mesa's drivers, which tav-capture renders with where there is no GPU.
# Nothing for building or testing.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1, libgl1-mesa-dri")
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})
include(CPack)
