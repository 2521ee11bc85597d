# Tests that run Wine share one prefix per test run, in the build tree: the
# fixture test wine_prefix makes it before any of them starts.
#
#   velko_wine_fixture()         registers wine_prefix and wine_prefix_end
#                                (once per build tree)
#   velko_wine_test(test...)     makes tests use it: label wine, the fixture
#                                and the environment that points Wine at it;
#                                in the Linux build also one at a time
#                                (resource lock wine)
#   VELKO_WINE_ALONE             a command to put before a test's own, for a
#                                test that must be the prefix's only user
#                                (tests/windows/wine_alone.sh says why)
find_program(VELKO_WINE wine)
set(VELKO_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
set(VELKO_WINE_ALONE ${CMAKE_SOURCE_DIR}/tests/windows/wine_alone.sh)

function(velko_wine_fixture)
  # TEST sees only the current directory's tests; the fixture is the whole
  # build tree's.
  get_property(registered GLOBAL PROPERTY VELKO_WINE_FIXTURE_REGISTERED)
  if(registered)
    return()
  endif()
  set_property(GLOBAL PROPERTY VELKO_WINE_FIXTURE_REGISTERED TRUE)
  # The Windows build's unit tests run two at a time, under one server that
  # lasts until wine_prefix_end; the Linux build's Wine tests run one at a
  # time, each with a server of its own (tests/windows/wine_alone.sh).
  if(WIN32)
    set(serve --serve)
  endif()
  add_test(NAME wine_prefix
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-prefix.sh ${serve} ${VELKO_WINE_PREFIX})
  # A fresh prefix takes a while on the first start.
  set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine LABELS wine TIMEOUT 600
                       RESOURCE_LOCK wine)
  add_test(NAME wine_prefix_end
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-prefix.sh --end ${VELKO_WINE_PREFIX})
  set_tests_properties(wine_prefix_end PROPERTIES FIXTURES_CLEANUP wine LABELS wine TIMEOUT 60
                       RESOURCE_LOCK wine)
endfunction()

function(velko_wine_test)
  velko_wine_fixture()
  foreach(test IN LISTS ARGN)
    get_test_property(${test} LABELS labels)
    if(NOT labels)
      set(labels)
    endif()
    list(APPEND labels wine)
    if(NOT WIN32)
      set_tests_properties(${test} PROPERTIES RESOURCE_LOCK wine)
    endif()
    set_tests_properties(${test} PROPERTIES
      LABELS "${labels}"
      FIXTURES_REQUIRED wine
      ENVIRONMENT "WINEPREFIX=${VELKO_WINE_PREFIX};WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree=\\;mshtml=")
  endforeach()
endfunction()
