// The font files built into the program where no font can be looked up (the
// browser): made by the build from the installed fonts (cmake/web_text.cmake)
// and opened by text_faces_embedded.cpp.
#pragma once

#include <cstddef>

namespace text {

struct EmbeddedFace {
  const char* file;  // the name of the font file it was made from
  const unsigned char* data;
  std::size_t size;
};

// The application face and the fixed-pitch face.
extern const EmbeddedFace kEmbeddedSans;
extern const EmbeddedFace kEmbeddedMono;

}  // namespace text
