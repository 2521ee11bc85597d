# velko_web_page(<target>): makes a program's executable its web page,
# <name>.html, with <name>.js and <name>.wasm beside it; the three files are
# all a static web host needs. The program links velko::runtime of the
# browser build, which brings the page's shell and scripts.
function(velko_web_page target)
  set_target_properties(${target} PROPERTIES SUFFIX ".html")
endfunction()
