# The runtime as a library others build on: libvelko, with the runtime and
# the desktop platform (GTK or the Windows API, and the headless backend that
# VELKO_BACKEND=headless and velko-check pick), exporting only the operations
# of velko.h; installed with its header, a CMake package (find_package(velko)
# gives velko::runtime) and a pkg-config file. On Linux it is a shared
# library; on Windows a static one, so that a program is one exe as the
# designer is.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

if(WIN32)
  set(VELKO_LIBRARY_PARTS velko_runtime velko_platform_win32 velko_win32 velko_win32_geometry
      velko_headless velko_winsys velko_render velko_text_measure_only)
else()
  set(VELKO_LIBRARY_PARTS velko_runtime velko_platform_desktop velko_gtk velko_headless velko_winsys
      velko_render velko_png)
endif()
set(velko_objects)
foreach(part IN LISTS VELKO_LIBRARY_PARTS)
  list(APPEND velko_objects $<TARGET_OBJECTS:${part}>)
endforeach()
if(WIN32)
  add_library(velko STATIC ${velko_objects})
  target_link_libraries(velko PUBLIC user32 gdi32)
  set(VELKO_PC_LIBS "-lvelko -luser32 -lgdi32")
else()
  add_library(velko SHARED ${velko_objects})
  target_link_libraries(velko PRIVATE PkgConfig::GTK3 PkgConfig::FREETYPE PkgConfig::FONTCONFIG
                        PkgConfig::LIBPNG)
  set(VELKO_PC_LIBS "-lvelko")
endif()
add_library(velko::runtime ALIAS velko)
set_target_properties(velko PROPERTIES
  VERSION ${PROJECT_VERSION}
  SOVERSION ${PROJECT_VERSION_MAJOR}
  EXPORT_NAME runtime)

# The header as users include it, <velko/velko.h>, in the build tree too.
set(VELKO_BUILD_INCLUDE ${CMAKE_BINARY_DIR}/include)
configure_file(${CMAKE_SOURCE_DIR}/runtime/velko.h ${VELKO_BUILD_INCLUDE}/velko/velko.h COPYONLY)
target_include_directories(velko INTERFACE
  $<BUILD_INTERFACE:${VELKO_BUILD_INCLUDE}>
  $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)

install(TARGETS velko EXPORT velkoTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES runtime/velko.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/velko)
if(TARGET velko-check)
  install(TARGETS velko-check RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(FILES docs/runtime.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(VELKO_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/velko)
install(EXPORT velkoTargets NAMESPACE velko:: FILE velkoTargets.cmake
  DESTINATION ${VELKO_CMAKE_DIR})
configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/velkoConfig.cmake.in
  ${CMAKE_BINARY_DIR}/velkoConfig.cmake INSTALL_DESTINATION ${VELKO_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/velkoConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/velkoConfig.cmake ${CMAKE_BINARY_DIR}/velkoConfigVersion.cmake
  DESTINATION ${VELKO_CMAKE_DIR})

# The prefix is found from where the file lies, so an install under any
# --prefix gives a working file.
file(RELATIVE_PATH VELKO_PC_TO_PREFIX "/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/")
configure_file(${CMAKE_SOURCE_DIR}/cmake/velko.pc.in ${CMAKE_BINARY_DIR}/velko.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/velko.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
