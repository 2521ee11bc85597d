# The fonts every test sees: the folders into which the package list's font
# packages install their files, in a Fontconfig configuration of our own
# with its cache in the build tree.
file(STRINGS ${CMAKE_SOURCE_DIR}/scripts/packages.sh font_packages_line REGEX "^FONT_PACKAGES=")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/scripts/packages.sh)
string(REGEX REPLACE "^FONT_PACKAGES=\"?([^\"]*)\"?$" "\\1" font_packages "${font_packages_line}")
separate_arguments(font_packages UNIX_COMMAND "${font_packages}")
find_program(VELKO_DPKG_QUERY dpkg-query)
set(font_dirs "")
foreach(package IN LISTS font_packages)
  set(listing "")
  if(VELKO_DPKG_QUERY)
    execute_process(COMMAND ${VELKO_DPKG_QUERY} -L ${package}
      OUTPUT_VARIABLE listing ERROR_QUIET RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      set(listing "")
    endif()
  endif()
  string(REGEX MATCHALL "[^\n]+\\.(ttf|otf|ttc|otc|pfb)\n" font_files "${listing}\n")
  set(found FALSE)
  foreach(font_file IN LISTS font_files)
    string(STRIP "${font_file}" font_file)
    if(EXISTS "${font_file}")
      get_filename_component(font_dir "${font_file}" DIRECTORY)
      list(APPEND font_dirs "${font_dir}")
      set(found TRUE)
    endif()
  endforeach()
  if(NOT found)
    message(WARNING "No font files of package ${package} found: the tests will not see its fonts. "
                    "Install it (./test.sh does) and configure again.")
  endif()
endforeach()
list(REMOVE_DUPLICATES font_dirs)
set(VELKO_TEST_FONT_DIRS_XML "")
foreach(font_dir IN LISTS font_dirs)
  string(REPLACE "&" "&amp;" font_dir "${font_dir}")
  string(REPLACE "<" "&lt;" font_dir "${font_dir}")
  string(APPEND VELKO_TEST_FONT_DIRS_XML "  <dir>${font_dir}</dir>\n")
endforeach()
set(VELKO_TEST_FONT_CACHE_XML "${CMAKE_CURRENT_BINARY_DIR}/fontconfig-cache")
string(REPLACE "&" "&amp;" VELKO_TEST_FONT_CACHE_XML "${VELKO_TEST_FONT_CACHE_XML}")
string(REPLACE "<" "&lt;" VELKO_TEST_FONT_CACHE_XML "${VELKO_TEST_FONT_CACHE_XML}")
configure_file(fonts.conf.in fonts.conf @ONLY)

set(VELKO_TEST_FONTCONFIG_FILE "" CACHE FILEPATH
  "Fontconfig configuration the tests run with; empty: the one made in the build tree")
# Every test gets the same FONTCONFIG_FILE, a configuration that includes the
# chosen one: the tests' environment is fixed when they are discovered at
# build time, so changing the choice must not depend on relinking them.
if(VELKO_TEST_FONTCONFIG_FILE)
  get_filename_component(chosen_conf "${VELKO_TEST_FONTCONFIG_FILE}" ABSOLUTE)
  if(NOT EXISTS "${chosen_conf}")
    message(FATAL_ERROR "VELKO_TEST_FONTCONFIG_FILE: no file ${chosen_conf}")
  endif()
else()
  set(chosen_conf "${CMAKE_CURRENT_BINARY_DIR}/fonts.conf")
endif()
string(REPLACE "&" "&amp;" chosen_conf "${chosen_conf}")
string(REPLACE "<" "&lt;" chosen_conf "${chosen_conf}")
file(CONFIGURE OUTPUT test-fonts.conf CONTENT [[<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<!-- Made by the build: the configuration every test runs with. -->
<fontconfig>
  <include ignore_missing="no">@chosen_conf@</include>
</fontconfig>
]] @ONLY)
set(VELKO_TEST_FONTS_ENV "FONTCONFIG_FILE=${CMAKE_CURRENT_BINARY_DIR}/test-fonts.conf")
