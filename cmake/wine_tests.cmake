# Tests that run Wine share one prefix per test run, in the build tree: the
# fixture test wine_prefix makes it before any of them starts.
#
#   velko_wine_fixture()         registers wine_prefix (once per build tree)
#   velko_wine_test(test...)     makes tests use it: label wine, the fixture
#                                and the environment that points Wine at it
find_program(VELKO_WINE wine)
set(VELKO_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)

function(velko_wine_fixture)
  if(TEST wine_prefix)
    return()
  endif()
  add_test(NAME wine_prefix
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-prefix.sh ${VELKO_WINE_PREFIX})
  # A fresh prefix takes a while on the first start.
  set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine LABELS wine TIMEOUT 600)
endfunction()

function(velko_wine_test)
  velko_wine_fixture()
  foreach(test IN LISTS ARGN)
    get_test_property(${test} LABELS labels)
    if(NOT labels)
      set(labels)
    endif()
    list(APPEND labels wine)
    set_tests_properties(${test} PROPERTIES
      LABELS "${labels}"
      FIXTURES_REQUIRED wine
      ENVIRONMENT "WINEPREFIX=${VELKO_WINE_PREFIX};WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree=\\;mshtml=")
  endforeach()
endfunction()
