# Writes the C++ source that builds two font files into the program as byte
# arrays (see runtime/platform/render/text_embedded_faces.h). Run by the
# build (cmake/web_text.cmake):
#
#   cmake -DOUTPUT=web_faces.cpp -DSANS=<file> -DMONO=<file>
#         -DSANS_FROM=<name> -DMONO_FROM=<name> -P embed_faces.cmake
#
# The arrays keep the names of the font files each face was made from, which
# the runtime reports as where its faces came from.
foreach(variable OUTPUT SANS MONO SANS_FROM MONO_FROM)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "embed_faces.cmake: ${variable} is not set")
  endif()
endforeach()

# The bytes of a file as lines of 16 hex constants, into the variable out.
function(velko_bytes_of file out)
  file(SIZE "${file}" size)
  if(size EQUAL 0)
    message(FATAL_ERROR "embed_faces.cmake: ${file} is empty")
  endif()
  file(READ "${file}" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," hex "${hex}")
  string(REPEAT "0x[0-9a-f][0-9a-f]," 16 line)
  string(REGEX REPLACE "(${line})" "\\1\n" hex "${hex}")
  set(${out} "${hex}" PARENT_SCOPE)
endfunction()

set(text "// Made by the build (cmake/embed_faces.cmake) from the font files; not to be edited.\n")
string(APPEND text "#include \"runtime/platform/render/text_embedded_faces.h\"\n\nnamespace {\n\n")
set(definitions "")
foreach(face Sans Mono)
  string(TOUPPER "${face}" variable)
  velko_bytes_of("${${variable}}" bytes)
  set(name "${${variable}_FROM}")
  string(APPEND text "const unsigned char k${face}Bytes[] = {\n${bytes}\n};\n\n")
  string(APPEND definitions "const text::EmbeddedFace text::kEmbedded${face} = "
                            "{\"${name}\", k${face}Bytes, sizeof k${face}Bytes};\n")
endforeach()
string(APPEND text "}  // namespace\n\n${definitions}")
file(WRITE "${OUTPUT}.new" "${text}")
file(RENAME "${OUTPUT}.new" "${OUTPUT}")
