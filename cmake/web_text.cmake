# Text in the web build (WebAssembly): FreeType built for it by
# scripts/web-freetype.sh, and the two faces built into the program, since
# the browser has neither Fontconfig nor the font files.
#
# Defines VELKO_RENDER_TEXT, velko_render's text sources, and the target
# velko_web_text (FreeType and the faces), which velko_render links.
#
# The faces are Liberation Sans and Liberation Mono Regular as Debian's
# fonts-liberation2 installs them, cut down with fontTools (python3-fonttools)
# to the characters of the languages students write in: Latin-1 and Latin
# Extended-A (with Romanian's comma-below letters from Latin Extended-B),
# Greek and Cyrillic, and the characters of Windows-1252, which text that is
# not UTF-8 is read as (runtime/platform/text_bytes.h). A character outside
# these draws the missing-glyph box in the browser, even where the full font
# on Linux has it. Everything the glyphs' pixels depend on stays as it is
# (cmake/web_face.py): outlines, hinting, metrics and the missing-glyph box,
# which control characters and characters the face lacks draw.
#
# A cut-down font is a modified font: under the SIL Open Font License it may
# not carry the names the original reserves ("Liberation", and "Arimo",
# "Tinos", "Cousine" of the fonts it was made from). The faces are VELKO Sans
# and VELKO Mono, with the originals' copyright and licence records, and the
# licence's text goes beside every page (fonts-OFL.txt, cmake/web.cmake).

set(VELKO_WEB_FREETYPE "${PROJECT_SOURCE_DIR}/build/web-deps/freetype" CACHE PATH
  "FreeType built for WebAssembly (scripts/web-freetype.sh installs it there)")
if(NOT EXISTS "${VELKO_WEB_FREETYPE}/lib/libfreetype.a" OR
   NOT EXISTS "${VELKO_WEB_FREETYPE}/include/freetype2/ft2build.h")
  message(FATAL_ERROR "No FreeType for WebAssembly in ${VELKO_WEB_FREETYPE}. "
    "Run scripts/web-freetype.sh, which builds it from Debian's source package into "
    "build/web-deps/freetype (or give it a prefix and set VELKO_WEB_FREETYPE to that).")
endif()
add_library(velko_web_freetype STATIC IMPORTED)
set_target_properties(velko_web_freetype PROPERTIES
  IMPORTED_LOCATION "${VELKO_WEB_FREETYPE}/lib/libfreetype.a"
  INTERFACE_INCLUDE_DIRECTORIES "${VELKO_WEB_FREETYPE}/include/freetype2")

set(VELKO_WEB_FONT_DIR "/usr/share/fonts/truetype/liberation2" CACHE PATH
  "Where fonts-liberation2 installed Liberation Sans and Liberation Mono")
set(web_faces sans mono)
set(web_face_sans LiberationSans-Regular.ttf)
set(web_face_mono LiberationMono-Regular.ttf)
# Each face's name, and the name of its file in the build.
set(web_family_sans "VELKO Sans")
set(web_family_mono "VELKO Mono")
set(web_file_sans VelkoSans-Regular.ttf)
set(web_file_mono VelkoMono-Regular.ttf)
foreach(face IN LISTS web_faces)
  if(NOT EXISTS "${VELKO_WEB_FONT_DIR}/${web_face_${face}}")
    message(FATAL_ERROR "No ${VELKO_WEB_FONT_DIR}/${web_face_${face}}: the web build embeds the "
      "faces of Debian's fonts-liberation2 (install it, or set VELKO_WEB_FONT_DIR).")
  endif()
endforeach()

# A Python that has fontTools: the first python3 on the path may be another
# installation than the one python3-fonttools went into.
function(velko_python_has_fonttools result python)
  execute_process(COMMAND "${python}" -c "import fontTools.subset"
    RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
  if(NOT status EQUAL 0)
    set(${result} FALSE PARENT_SCOPE)
  endif()
endfunction()
find_program(VELKO_FONTTOOLS_PYTHON NAMES python3
  PATHS /usr/bin VALIDATOR velko_python_has_fonttools NO_CMAKE_FIND_ROOT_PATH
  DOC "Python 3 with fontTools, which cuts the embedded faces down")
if(NOT VELKO_FONTTOOLS_PYTHON)
  message(FATAL_ERROR "No Python 3 with fontTools: install python3-fonttools.")
endif()

# The characters: every Windows-1252 byte as text_bytes.h reads it, from its
# table of the code page's upper half, so that the two cannot part, and the
# blocks of the languages.
set(glyph_source "${PROJECT_SOURCE_DIR}/runtime/platform/text_bytes.h")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${glyph_source}")
file(READ "${glyph_source}" glyph_text)
if(NOT glyph_text MATCHES "kHigh = {([^}]*)}")
  message(FATAL_ERROR "No table kHigh of the characters of bytes 0x80..0x9F in ${glyph_source}")
endif()
string(REGEX MATCHALL "0x[0-9A-Fa-f]+" high_characters "${CMAKE_MATCH_1}")
list(LENGTH high_characters high_count)
if(NOT high_count EQUAL 32)
  message(FATAL_ERROR "kHigh in ${glyph_source} holds ${high_count} characters, not 32")
endif()
string(REPLACE "0x" "U+" high_characters "${high_characters}")
string(REPLACE ";" "," high_characters "${high_characters}")
set(web_characters
  "U+0000-00FF,${high_characters},U+0100-017F,U+0218-021B,U+0370-03FF,U+0400-04FF")

set(web_text_dir "${PROJECT_BINARY_DIR}/web-text")
set(web_face_files)
foreach(face IN LISTS web_faces)
  set(source "${VELKO_WEB_FONT_DIR}/${web_face_${face}}")
  set(subset "${web_text_dir}/${web_file_${face}}")
  add_custom_command(OUTPUT "${subset}"
    COMMAND "${VELKO_FONTTOOLS_PYTHON}" "${PROJECT_SOURCE_DIR}/cmake/web_face.py" "${source}"
      "${subset}" "${web_characters}" "${web_family_${face}}"
    DEPENDS "${source}" "${PROJECT_SOURCE_DIR}/cmake/web_face.py"
    COMMENT "Making ${web_family_${face}} from ${web_face_${face}}"
    VERBATIM)
  list(APPEND web_face_files "${subset}")
endforeach()

add_custom_command(OUTPUT "${web_text_dir}/web_faces.cpp"
  COMMAND "${CMAKE_COMMAND}" "-DOUTPUT=${web_text_dir}/web_faces.cpp"
    "-DSANS=${web_text_dir}/${web_file_sans}" "-DMONO=${web_text_dir}/${web_file_mono}"
    "-DSANS_FROM=${web_face_sans}" "-DMONO_FROM=${web_face_mono}"
    -P "${PROJECT_SOURCE_DIR}/cmake/embed_faces.cmake"
  DEPENDS ${web_face_files} "${PROJECT_SOURCE_DIR}/cmake/embed_faces.cmake"
  COMMENT "Building the faces into web_faces.cpp"
  VERBATIM)

add_library(velko_web_text STATIC "${web_text_dir}/web_faces.cpp")
target_include_directories(velko_web_text PUBLIC "${PROJECT_SOURCE_DIR}")
target_link_libraries(velko_web_text PUBLIC velko_web_freetype)

set(VELKO_RENDER_TEXT
  "${PROJECT_SOURCE_DIR}/runtime/platform/render/text.cpp"
  "${PROJECT_SOURCE_DIR}/runtime/platform/render/text_faces_embedded.cpp"
  "${PROJECT_SOURCE_DIR}/runtime/platform/render/text_glyphs.cpp")
