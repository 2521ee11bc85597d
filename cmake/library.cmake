# The runtime as a library others build on: libvelko, with the runtime and
# the platform (GTK or the Windows API, and the headless backend that
# VELKO_BACKEND=headless and velko-check pick; in the browser build, the web
# backend), exporting the operations of velko.h (and on Linux, for its GTK
# backend, the window system and drawing: see below); installed with its
# header, a CMake package (find_package(velko) gives velko::runtime) and, on
# the desktop, a pkg-config file. On Linux it is a shared library, with the
# GTK backend in a module of its own, loaded only when a program opens it,
# so that a program run headless (as velko-check runs it) never loads the
# seventy libraries of the toolkit, a third of its start-up; on
# Windows a static one, so that a program is one exe as the designer is; in
# the browser build a static one too, whose users link with the web
# backend's options and page files (cmake/web.cmake).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)
include(${CMAKE_CURRENT_LIST_DIR}/library_parts.cmake)

# Its parts are whatever the runtime and the platform link, found from the
# targets themselves: the objects of every part, and the outside libraries
# they need, each once. (The parts stay static libraries, which tests, tools
# and benchmarks link piecemeal: as OBJECT libraries they would hand their
# objects only to the targets that link them directly, and each platform's
# list of parts and of outside libraries would have to be kept by hand here
# beside the links that already say it.)
if(EMSCRIPTEN)
  velko_library_parts(velko_parts velko_deps velko_runtime velko_platform_web)
elseif(WIN32)
  velko_library_parts(velko_parts velko_deps velko_runtime velko_platform_win32)
else()
  velko_library_parts(velko_parts velko_deps velko_runtime velko_platform_library)
endif()
set(velko_objects)
set(velko_link_INTERFACE_LINK_OPTIONS)
set(velko_link_INTERFACE_LINK_DEPENDS)
foreach(part IN LISTS velko_parts)
  get_target_property(type ${part} TYPE)
  if(NOT type STREQUAL "INTERFACE_LIBRARY")
    list(APPEND velko_objects $<TARGET_OBJECTS:${part}>)
  endif()
  foreach(property IN ITEMS INTERFACE_LINK_OPTIONS INTERFACE_LINK_DEPENDS)
    get_target_property(values ${part} ${property})
    if(values)
      list(APPEND velko_link_${property} ${values})
    endif()
  endforeach()
endforeach()
if(WIN32 OR EMSCRIPTEN)
  add_library(velko STATIC ${velko_objects})
  velko_library_static_deps(velko ${CMAKE_INSTALL_LIBDIR} ${velko_deps})
  # What its parts ask of the programs that link them goes to the programs
  # that link it; in the installed package it must name installed files.
  foreach(option IN LISTS velko_link_INTERFACE_LINK_OPTIONS velko_link_INTERFACE_LINK_DEPENDS)
    string(REGEX REPLACE "\\$<BUILD_INTERFACE:[^>]*>" "" installed "${option}")
    string(FIND "${installed}" "${PROJECT_SOURCE_DIR}/" in_source)
    string(FIND "${installed}" "${PROJECT_BINARY_DIR}/" in_build)
    if(in_source GREATER -1 OR in_build GREATER -1)
      message(FATAL_ERROR "The link option ${option} of velko's parts names a file of this "
        "tree for the installed package too: give it $<BUILD_INTERFACE:...> and "
        "$<INSTALL_INTERFACE:...> paths")
    endif()
  endforeach()
  target_link_options(velko INTERFACE ${velko_link_INTERFACE_LINK_OPTIONS})
  set_property(TARGET velko APPEND PROPERTY INTERFACE_LINK_DEPENDS
    ${velko_link_INTERFACE_LINK_DEPENDS})
else()
  add_library(velko SHARED ${velko_objects})
  target_link_libraries(velko PRIVATE ${velko_deps})
  set_target_properties(velko PROPERTIES
    VERSION ${PROJECT_VERSION}
    SOVERSION ${PROJECT_VERSION_MAJOR})
endif()
add_library(velko::runtime ALIAS velko)

# The GTK backend, which the shared library loads when a program opens it:
# its own objects, on the window system and drawing of the library.
if(NOT WIN32 AND NOT EMSCRIPTEN)
  add_library(velko_gtk_module MODULE $<TARGET_OBJECTS:velko_gtk>)
  target_link_libraries(velko_gtk_module PRIVATE velko PkgConfig::GTK3)
  # Every symbol found at link time, not at the first start; not with the
  # sanitizers, whose runtime clang links into executables only.
  if(NOT VELKO_SANITIZE)
    target_link_options(velko_gtk_module PRIVATE LINKER:--no-undefined)
  endif()
  set_target_properties(velko_gtk_module PROPERTIES PREFIX "" OUTPUT_NAME gtk
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_LIBRARY_OUTPUT_DIRECTORY}/velko)
  install(TARGETS velko_gtk_module LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/velko
    COMPONENT runtime)
endif()
set_target_properties(velko PROPERTIES EXPORT_NAME runtime)

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
# --prefix gives a working file. Not for the browser: its programs need the
# link options of the CMake package.
if(EMSCRIPTEN)
  return()
endif()
set(VELKO_PC_LIBS "-lvelko")
if(WIN32)
  foreach(dep IN LISTS velko_deps)
    string(APPEND VELKO_PC_LIBS " -l${dep}")
  endforeach()
endif()
file(RELATIVE_PATH VELKO_PC_TO_PREFIX "/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/")
configure_file(${PROJECT_SOURCE_DIR}/cmake/velko.pc.in ${PROJECT_BINARY_DIR}/velko.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/velko.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
  COMPONENT development)
