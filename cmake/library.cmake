# The runtime as a library others build on: libvelko, with the runtime and
# the desktop platform (GTK or the Windows API, and the headless backend that
# VELKO_BACKEND=headless and velko-check pick), exporting only the operations
# of velko.h; installed with its header, a CMake package (find_package(velko)
# gives velko::runtime) and a pkg-config file. On Linux it is a shared
# library; on Windows a static one, so that a program is one exe as the
# designer is.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)
include(${CMAKE_CURRENT_LIST_DIR}/library_parts.cmake)

# Its parts are whatever the runtime and the platform link, found from the
# targets themselves: the objects of every part, and the outside libraries
# they need, each once.
if(WIN32)
  velko_library_parts(velko_parts velko_deps velko_runtime velko_platform_win32)
else()
  velko_library_parts(velko_parts velko_deps velko_runtime velko_platform_desktop)
endif()
set(velko_objects)
foreach(part IN LISTS velko_parts)
  list(APPEND velko_objects $<TARGET_OBJECTS:${part}>)
endforeach()
if(WIN32)
  add_library(velko STATIC ${velko_objects})
  target_link_libraries(velko PUBLIC ${velko_deps})
  set(VELKO_PC_LIBS "-lvelko")
  foreach(dep IN LISTS velko_deps)
    string(APPEND VELKO_PC_LIBS " -l${dep}")
  endforeach()
else()
  add_library(velko SHARED ${velko_objects})
  target_link_libraries(velko PRIVATE ${velko_deps})
  set(VELKO_PC_LIBS "-lvelko")
endif()
add_library(velko::runtime ALIAS velko)
set_target_properties(velko PROPERTIES
  VERSION ${PROJECT_VERSION}
  SOVERSION ${PROJECT_VERSION_MAJOR}
  EXPORT_NAME runtime)

# The header as users include it, <velko/velko.h>, in the build tree too: a
# file set, which gives the include folder in the build tree and where it is
# installed.
set(VELKO_BUILD_INCLUDE ${PROJECT_BINARY_DIR}/include)
configure_file(${PROJECT_SOURCE_DIR}/runtime/velko.h ${VELKO_BUILD_INCLUDE}/velko/velko.h COPYONLY)
target_sources(velko PUBLIC FILE_SET HEADERS BASE_DIRS ${VELKO_BUILD_INCLUDE}
  FILES ${VELKO_BUILD_INCLUDE}/velko/velko.h)

install(TARGETS velko EXPORT velkoTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development
  FILE_SET HEADERS DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development)
if(TARGET velko-check)
  install(TARGETS velko-check RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tools)
endif()

set(VELKO_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/velko)
install(EXPORT velkoTargets NAMESPACE velko:: FILE velkoTargets.cmake
  DESTINATION ${VELKO_CMAKE_DIR} COMPONENT development)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/velkoConfig.cmake.in
  ${PROJECT_BINARY_DIR}/velkoConfig.cmake INSTALL_DESTINATION ${VELKO_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/velkoConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/velkoConfig.cmake ${PROJECT_BINARY_DIR}/velkoConfigVersion.cmake
  DESTINATION ${VELKO_CMAKE_DIR} COMPONENT development)

# The prefix is found from where the file lies, so an install under any
# --prefix gives a working file.
file(RELATIVE_PATH VELKO_PC_TO_PREFIX "/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/")
configure_file(${PROJECT_SOURCE_DIR}/cmake/velko.pc.in ${PROJECT_BINARY_DIR}/velko.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/velko.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
  COMPONENT development)
