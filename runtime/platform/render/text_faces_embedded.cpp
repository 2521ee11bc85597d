// The two faces text is drawn in where there is no Fontconfig (the browser):
// the first choices of the Linux build's preference lists, Liberation Sans
// and Liberation Mono, cut down and built into the program under names of
// their own, VELKO Sans and VELKO Mono (text_embedded_faces.h,
// cmake/web_text.cmake). A face reports the family it has and the file it
// was made from.
#include <limits>

#include "runtime/platform/render/text_embedded_faces.h"
#include "runtime/platform/render/text_internal.h"

using namespace text;

namespace {

// Opens an embedded face; null when its bytes are not a face FreeType takes.
FT_Face open_embedded(const EmbeddedFace& embedded, std::string* file) {
  if (!embedded.data || embedded.size == 0 ||
      embedded.size > static_cast<std::size_t>(std::numeric_limits<FT_Long>::max())) {
    return nullptr;
  }
  FT_Face face = nullptr;
  if (FT_New_Memory_Face(state().library, embedded.data, static_cast<FT_Long>(embedded.size), 0,
                         &face) != 0) {
    return nullptr;
  }
  *file = embedded.file;
  return face;
}

}  // namespace

void text::open_faces(TextState& s) {
  s.sans = open_embedded(kEmbeddedSans, &s.sans_file);
  s.mono = open_embedded(kEmbeddedMono, &s.mono_file);
}
