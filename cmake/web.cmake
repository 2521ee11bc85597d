# The browser: the web backend on the window system, the designer's page
# (bin/velko-cone.html with its .js and .wasm beside it), the headless
# backend for programs run by node, and the runtime as a static library for
# programs of others (cmake/library.cmake), installed with the page's files:
# `cmake --install build/web --prefix <dir>` gives a package that projects
# configured with emcmake find with find_package(velko) (docs/web.md).
# Included from the top-level file when the compiler is emscripten's.
include(GNUInstallDirs)
set(velko_web_dir ${PROJECT_SOURCE_DIR}/runtime/platform/web)
set(VELKO_WEB_FILES web_library.js web_page.js web_shell.html)
set(VELKO_WEB_FILES_DESTINATION ${CMAKE_INSTALL_DATADIR}/velko/web)
# Each page file where it is: in this tree for the targets built here, under
# the install prefix for those of the installed package.
foreach(file IN LISTS VELKO_WEB_FILES)
  string(REGEX REPLACE "^web_|\\.[a-z]+$" "" what ${file})
  string(CONCAT velko_web_${what} "$<BUILD_INTERFACE:${velko_web_dir}/${file}>"
    "$<INSTALL_INTERFACE:$<INSTALL_PREFIX>/${VELKO_WEB_FILES_DESTINATION}/${file}>")
endforeach()

add_library(velko_web STATIC ${velko_web_dir}/web_backend.cpp)
target_link_libraries(velko_web PUBLIC velko_winsys)
# The blocking wait suspends the program's stack (Asyncify): the import that
# suspends must be named, or the program builds and then stops at run time
# with "RuntimeError: unreachable".
target_link_options(velko_web INTERFACE
  -sASYNCIFY=1
  -sASYNCIFY_IMPORTS=velko_web_wait
  -sEXIT_RUNTIME=1
  -sALLOW_MEMORY_GROWTH=1
  -sENVIRONMENT=web
  # Debian's emscripten cannot run its HTML minifier.
  -sMINIFY_HTML=0
  "SHELL:--js-library ${velko_web_library}"
  "SHELL:--pre-js ${velko_web_page}"
  "SHELL:--shell-file ${velko_web_shell}")
set_property(TARGET velko_web APPEND PROPERTY INTERFACE_LINK_DEPENDS
  ${velko_web_library} ${velko_web_page} ${velko_web_shell})

velko_platform(velko_platform_web web)

# Asyncify instruments every function that may be on the stack while the
# program waits, and it must take any call through a pointer to lead there:
# the runtime's tables make that nearly every function, drawing included,
# which costs the scene about a sixth of its speed and the page 160 KB. The
# designer, whose calls are known, is built with only the functions on its
# way to the wait instrumented (web_waits.json: its main and the runtime's
# event loop, down to the window system's wait, peek and poll, which call
# through the tables; the backend's own wait and poll are found without
# help). The list names the functions as the optimised link sees them: it
# has already inlined every function called from one place only into its
# caller (cone_main, VELKO_next_event and pump_one_message into main,
# message_ready into winsys_wait_message), and a name that matches nothing
# would only be warned about. A Debug build, whose link keeps every
# function, takes the safe way, as a program of others does: a call through
# a pointer of its own that waits would stop it with "RuntimeError:
# unreachable".
add_library(velko_web_known_waits INTERFACE)
set(velko_web_waits ${velko_web_dir}/web_waits.json)
target_link_options(velko_web_known_waits INTERFACE
  "$<$<NOT:$<CONFIG:Debug>>:-sASYNCIFY_IGNORE_INDIRECT=1;-sASYNCIFY_ADD=@${velko_web_waits}>")
set_property(TARGET velko_web_known_waits APPEND PROPERTY INTERFACE_LINK_DEPENDS ${velko_web_waits})

# velko_web_page(target): a program's page, name.html, with name.js and
# name.wasm beside it, and the licence of the fonts built into it. The
# installed package gives it too, and the licence among the page's files.
set(VELKO_WEB_FONTS_LICENSE ${velko_web_dir}/fonts-OFL.txt)
install(FILES ${VELKO_WEB_FONTS_LICENSE} DESTINATION ${VELKO_WEB_FILES_DESTINATION}
  COMPONENT development)
include(${CMAKE_CURRENT_LIST_DIR}/velko_web_page.cmake)

add_executable(velko-cone designer/main.cpp)
target_link_libraries(velko-cone PRIVATE designer_core velko_runtime velko_platform_web
                                         velko_web_known_waits)
velko_web_page(velko-cone)

# The runtime for programs of others, and the package they find it in.
include(${CMAKE_CURRENT_LIST_DIR}/library.cmake)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/velko_web_page.cmake
  DESTINATION ${VELKO_CMAKE_DIR} COMPONENT development)
list(TRANSFORM VELKO_WEB_FILES PREPEND ${velko_web_dir}/ OUTPUT_VARIABLE velko_web_paths)
install(FILES ${velko_web_paths} DESTINATION ${VELKO_WEB_FILES_DESTINATION} COMPONENT development)
