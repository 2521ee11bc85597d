# velko_web_page(target): makes a program's executable its web page,
# <name>.html, with <name>.js and <name>.wasm beside it; the three files are
# all a static web host needs. The program links velko::runtime of the
# browser build, which brings the page's shell and scripts.
#
# A project that names no build type gets an optimised page all the same
# (-O3, as Release): unoptimised, a page is about two and a half times the
# download, and Asyncify's rewriting makes its drawing much slower.
function(velko_web_page target)
  set_target_properties(${target} PROPERTIES SUFFIX ".html")
  get_property(multi_config GLOBAL PROPERTY GENERATOR_IS_MULTI_CONFIG)
  if(NOT multi_config AND NOT CMAKE_BUILD_TYPE)
    target_compile_options(${target} PRIVATE -O3)
    target_link_options(${target} PRIVATE -O3)
  endif()
endfunction()
