# What a user installs, and the packages that carry it (CPack).
#
# Linux: four Debian packages, split by component:
#   libvelko1      runtime      the shared library
#   libvelko-dev   development  header, CMake package, pkg-config file, guide, examples
#   velko-tools    tools        velko-check, velko-cone-picture
#   velko-cone     designer     the desktop program, its menu entry, icon and metainfo
# and the source tarball (CPackSourceConfig.cmake).
# Windows: one zip with velko-cone.exe, the static library, the header, the
# CMake package, the docs and the examples.
# The browser: one tar.gz with the static library, the header, the CMake
# package, the page files, the docs and the examples.
#
# The presets package, package-windows and package-web run it; package.sh
# runs all three and the validators.
include(GNUInstallDirs)

# The course template's reference solution is the teacher's: its README says
# to keep it from students, so no package carries it (the source tarball,
# the project itself, does).
set(VELKO_TEACHERS_ONLY REGEX "/course/reference$" EXCLUDE)

# The browser build: one archive, velko-web-<version>.tar.gz, of what
# cmake/web.cmake installs (the static library, the header, the CMake
# package and the page files, with the embedded fonts' licence among them)
# with the licence, the guides and the examples.
if(EMSCRIPTEN)
  install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE
    ${PROJECT_SOURCE_DIR}/docs/web.md ${PROJECT_SOURCE_DIR}/docs/runtime.md
    ${PROJECT_SOURCE_DIR}/docs/checking.md
    DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT development)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples
    COMPONENT development PATTERN ".gitignore" EXCLUDE ${VELKO_TEACHERS_ONLY})
  set(CPACK_PACKAGE_NAME velko-web)
  set(CPACK_PACKAGE_VENDOR "VELKO project")
  set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
  set(CPACK_GENERATOR TGZ)
  set(CPACK_PACKAGE_FILE_NAME velko-web-${PROJECT_VERSION})
  set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
  include(CPack)
  return()
endif()

set(VELKO_APP_ID org.velko.ConeDesigner)
set(VELKO_MAINTAINER "VELKO project <velko@example.org>")
# The day of this version's release, for the changelog and the metainfo:
# fixed, so that the packages are the same from build to build.
set(VELKO_RELEASE_DATE 2026-12-09)
set(VELKO_RELEASE_DATE_RFC2822 "Wed, 09 Dec 2026 12:00:00 +0000")
set(VELKO_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)

# The programs.
if(TARGET velko-cone)
  install(TARGETS velko-cone RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT designer)
endif()
if(TARGET velko-cone-picture)
  install(TARGETS velko-cone-picture RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tools)
endif()

# The guide and the examples, beside the header; in the zip, the README and
# the licence too (a Debian package has its licence in its copyright file).
if(WIN32)
  set(VELKO_DEV_DOCDIR ${CMAKE_INSTALL_DOCDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE
    DESTINATION ${VELKO_DEV_DOCDIR} COMPONENT development)
else()
  set(VELKO_DEV_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/libvelko-dev)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/docs/runtime.md ${PROJECT_SOURCE_DIR}/docs/checking.md
  DESTINATION ${VELKO_DEV_DOCDIR} COMPONENT development)
# A repository's own files stay out of the installed examples.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${VELKO_DEV_DOCDIR}/examples
  COMPONENT development PATTERN ".gitignore" EXCLUDE ${VELKO_TEACHERS_ONLY})

# The icon: drawn by hand as SVG; PNG sizes made from it where rsvg-convert
# is found (Debian's librsvg2-bin), and the Windows .ico from those with
# ImageMagick.
find_program(VELKO_RSVG_CONVERT rsvg-convert)
find_program(VELKO_IMAGEMAGICK NAMES convert)
set(VELKO_ICON_SVG ${VELKO_PACKAGING_DIR}/velko-cone.svg)
set(VELKO_ICON_DIR ${CMAKE_CURRENT_BINARY_DIR}/icons)
set(VELKO_ICON_SIZES 16 32 48 64 128 256)
set(VELKO_ICON_PNGS)
if(VELKO_RSVG_CONVERT)
  foreach(size IN LISTS VELKO_ICON_SIZES)
    set(png ${VELKO_ICON_DIR}/velko-cone-${size}.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${VELKO_ICON_DIR}
      COMMAND ${VELKO_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${VELKO_ICON_SVG}
      DEPENDS ${VELKO_ICON_SVG} VERBATIM)
    list(APPEND VELKO_ICON_PNGS ${png})
  endforeach()
  add_custom_target(velko_icons ALL DEPENDS ${VELKO_ICON_PNGS})
else()
  message(STATUS "rsvg-convert not found: the icon is installed as SVG only")
endif()

if(WIN32)
  # The exe's resources: icon, version information, manifest.
  if(VELKO_ICON_PNGS AND VELKO_IMAGEMAGICK)
    set(VELKO_ICON_ICO ${VELKO_ICON_DIR}/velko-cone.ico)
    add_custom_command(OUTPUT ${VELKO_ICON_ICO}
      COMMAND ${VELKO_IMAGEMAGICK} ${VELKO_ICON_PNGS} ${VELKO_ICON_ICO}
      DEPENDS ${VELKO_ICON_PNGS} VERBATIM)
    set(VELKO_RC_ICON "1 ICON \"${VELKO_ICON_ICO}\"")
  else()
    message(WARNING "rsvg-convert or ImageMagick not found: velko-cone.exe has no icon")
    set(VELKO_RC_ICON "")
  endif()
  set(VELKO_RC_VERSION_DOTS ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0)
  set(VELKO_RC_VERSION_COMMAS ${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0)
  set(VELKO_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/velko-cone.manifest)
  configure_file(${VELKO_PACKAGING_DIR}/velko-cone.manifest.in ${VELKO_MANIFEST} @ONLY)
  configure_file(${VELKO_PACKAGING_DIR}/velko-cone.rc.in ${CMAKE_CURRENT_BINARY_DIR}/velko-cone.rc
    @ONLY)
  if(TARGET velko-cone)
    target_sources(velko-cone PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/velko-cone.rc)
    set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/velko-cone.rc PROPERTIES
      OBJECT_DEPENDS "${VELKO_ICON_ICO};${VELKO_MANIFEST}")
  endif()
else()
  # The desktop entry, metainfo and icons of the designer.
  install(FILES ${VELKO_PACKAGING_DIR}/${VELKO_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications COMPONENT designer)
  # The screenshot is found where the project publishes it; validation is
  # offline, and the same picture is installed with the package's docs.
  set(VELKO_SCREENSHOT_URL "https://velko.example.org/screenshot.png")
  configure_file(${VELKO_PACKAGING_DIR}/${VELKO_APP_ID}.metainfo.xml.in
    ${CMAKE_CURRENT_BINARY_DIR}/${VELKO_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${VELKO_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo COMPONENT designer)
  install(FILES ${PROJECT_SOURCE_DIR}/docs/screenshot.png
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/velko-cone COMPONENT designer)
  install(FILES ${VELKO_ICON_SVG}
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps COMPONENT designer)
  foreach(size IN LISTS VELKO_ICON_SIZES)
    if(VELKO_ICON_PNGS)
      install(FILES ${VELKO_ICON_DIR}/velko-cone-${size}.png
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${size}x${size}/apps
        RENAME velko-cone.png COMPONENT designer)
    endif()
  endforeach()

  # Manual pages, and each package's copyright and changelog, compressed as
  # Debian keeps them (gzip -9n: no name or time inside, so every build gives
  # the same bytes).
  set(VELKO_PACKAGE_FILES ${CMAKE_CURRENT_BINARY_DIR}/package-files)
  file(MAKE_DIRECTORY ${VELKO_PACKAGE_FILES})
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
    ${VELKO_PACKAGING_DIR}/changelog.in ${VELKO_PACKAGING_DIR}/man/velko-cone.1
    ${VELKO_PACKAGING_DIR}/man/velko-check.1 ${VELKO_PACKAGING_DIR}/man/velko-cone-picture.1)
  function(velko_gzip source output)
    execute_process(COMMAND gzip -9nc ${source} OUTPUT_FILE ${output} COMMAND_ERROR_IS_FATAL ANY)
  endfunction()
  foreach(page_component velko-cone:designer velko-check:tools velko-cone-picture:tools)
    string(REPLACE ":" ";" pair ${page_component})
    list(GET pair 0 page)
    list(GET pair 1 component)
    velko_gzip(${VELKO_PACKAGING_DIR}/man/${page}.1 ${VELKO_PACKAGE_FILES}/${page}.1.gz)
    install(FILES ${VELKO_PACKAGE_FILES}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
      COMPONENT ${component})
  endforeach()
  foreach(package_component libvelko1:runtime libvelko-dev:development velko-tools:tools
                            velko-cone:designer)
    string(REPLACE ":" ";" pair ${package_component})
    list(GET pair 0 package)
    list(GET pair 1 component)
    set(VELKO_PACKAGE ${package})
    configure_file(${VELKO_PACKAGING_DIR}/changelog.in ${VELKO_PACKAGE_FILES}/${package}/changelog
      @ONLY)
    velko_gzip(${VELKO_PACKAGE_FILES}/${package}/changelog
      ${VELKO_PACKAGE_FILES}/${package}/changelog.gz)
    install(FILES ${VELKO_PACKAGING_DIR}/copyright ${VELKO_PACKAGE_FILES}/${package}/changelog.gz
      DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component})
  endforeach()
endif()

# ---------------------------------------------------------------------------
# CPack
set(CPACK_PACKAGE_NAME velko)
set(CPACK_PACKAGE_VENDOR "VELKO project")
set(CPACK_PACKAGE_CONTACT "${VELKO_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_PACKAGE_FILE_NAME velko-${PROJECT_VERSION})
set(CPACK_SOURCE_IGNORE_FILES "/build[^/]*/" "/\\\\.git/" "/\\\\.git$" "/node_modules/"
  "/fuzz-findings/" "VELKO\\\\.SCR$" "\\\\.swp$")

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME velko-${PROJECT_VERSION}-win64)
  set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL runtime development tools designer)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VELKO_MAINTAINER}")
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(fonts "fonts-liberation2 | fonts-dejavu-core")

  # The shared library's package: the dynamic linker's cache follows through
  # the ldconfig trigger, without maintainer scripts that call it (the
  # post-build script takes out those CPack writes).
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libvelko${PROJECT_VERSION_MAJOR})
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "${fonts}")
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${VELKO_PACKAGING_DIR}/debian/triggers)
  set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/deb_ldconfig_trigger.cmake)
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
  set(about_runtime "A small graphics runtime: a graphics window with an off-screen surface,
integer drawing operations in centre-origin coordinates, a scrolling log
window, a blocking stream of clicks, characters and ticks, a Run menu, and
recording and playback of the input.")
  set(CPACK_DEBIAN_RUNTIME_DESCRIPTION "VELKO graphics runtime
${about_runtime}

This package holds the shared library.")

  set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libvelko-dev)
  set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
  set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS runtime)
  set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION "VELKO graphics runtime (development files)
${about_runtime}

This package holds the header <velko/velko.h>, the CMake package
(find_package(velko)), the pkg-config file, the programming guide and the
examples.")

  set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME velko-tools)
  set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION devel)
  # velko-check runs every checked program in a sandbox of its own, made by
  # bubblewrap.
  set(CPACK_DEBIAN_TOOLS_PACKAGE_DEPENDS "${fonts}, bubblewrap")
  set(CPACK_DEBIAN_TOOLS_DESCRIPTION "tools for programs on the VELKO graphics runtime
velko-check runs a program built on the VELKO runtime without a display,
feeds it a script of input events, and keeps what it drew, what it logged
and which events it got.

velko-cone-picture draws the cone designer to a PNG file.")

  set(CPACK_DEBIAN_DESIGNER_PACKAGE_NAME velko-cone)
  set(CPACK_DEBIAN_DESIGNER_PACKAGE_SECTION graphics)
  set(CPACK_DEBIAN_DESIGNER_PACKAGE_DEPENDS "${fonts}")
  set(CPACK_DEBIAN_DESIGNER_DESCRIPTION "ice-cream cone designer
A brown cone with one to three scoops and up to ten toppings: buttons add
and remove scoops, add, move and remove toppings, and change their shape
and colour. A Run menu animates the design, and records and plays back
sessions.")
endif()
include(CPack)
