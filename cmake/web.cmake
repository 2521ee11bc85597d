# The browser: the web backend on the window system, the designer's page
# (bin/velko-cone.html with its .js and .wasm beside it), and the headless
# backend for programs run by node. Included from the top-level file when the
# compiler is emscripten's.
set(velko_web_dir ${PROJECT_SOURCE_DIR}/runtime/platform/web)
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
  "SHELL:--js-library ${velko_web_dir}/web_library.js"
  "SHELL:--pre-js ${velko_web_dir}/web_page.js"
  "SHELL:--shell-file ${velko_web_dir}/web_shell.html")
set_property(TARGET velko_web APPEND PROPERTY INTERFACE_LINK_DEPENDS
  ${velko_web_dir}/web_library.js ${velko_web_dir}/web_page.js ${velko_web_dir}/web_shell.html)

velko_platform(velko_platform_web web)

# A program's page: name.html, with name.js and name.wasm beside it.
function(velko_web_page target)
  set_target_properties(${target} PROPERTIES SUFFIX ".html")
endfunction()

add_executable(velko-cone designer/main.cpp)
target_link_libraries(velko-cone PRIVATE designer_core velko_runtime velko_platform_web)
velko_web_page(velko-cone)
