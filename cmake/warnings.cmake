# The compiler's warnings, and the sanitizers. Warnings are errors only where
# this project is the top-level one (or VELKO_WARNINGS_AS_ERRORS asks): a
# parent that adds it with add_subdirectory builds it with its own flags, and
# a warning those flags bring must not stop its build. The sanitizers come
# only when VELKO_SANITIZE asks (the sanitize and fuzz presets).
option(VELKO_WARNINGS_AS_ERRORS "Treat compiler warnings as errors" ${PROJECT_IS_TOP_LEVEL})
option(VELKO_SANITIZE "Build with the address and undefined-behaviour sanitizers" OFF)

if(MSVC)
  # Not checked here (see the README): warnings stay warnings.
  add_compile_options(/W4)
else()
  add_compile_options(-Wall -Wextra)
  if(VELKO_WARNINGS_AS_ERRORS)
    add_compile_options(-Werror)
  endif()
endif()
if(VELKO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()
