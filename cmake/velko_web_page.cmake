# velko_web_page(target): makes a program's executable its web page,
# <name>.html, with <name>.js and <name>.wasm beside it; the three files are
# all a static web host needs. The program links velko::runtime of the
# browser build, which brings the page's shell and scripts.
#
# The fonts built into the page are under the SIL Open Font License, whose
# text goes beside the page as fonts-OFL.txt: from the page's files of the
# installed package (share/velko/web), or from where the build that includes
# this file says.
if(NOT VELKO_WEB_FONTS_LICENSE)
  get_filename_component(VELKO_WEB_FONTS_LICENSE
    "${CMAKE_CURRENT_LIST_DIR}/../../../share/velko/web/fonts-OFL.txt" ABSOLUTE)
endif()
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
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different "${VELKO_WEB_FONTS_LICENSE}"
      "$<TARGET_FILE_DIR:${target}>/fonts-OFL.txt"
    VERBATIM)
endfunction()
