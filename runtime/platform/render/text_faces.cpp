// The two faces text is drawn in on Linux, chosen by Fontconfig from a
// preference list built in here (see text_internal.h).
#include <fontconfig/fontconfig.h>

#include <array>

#include "runtime/platform/render/text_internal.h"

using namespace text;

namespace {

// One entry of a preference list: a family that is taken only when it is
// installed, or a generic name whose match is taken whatever it is.
struct FacePreference {
  const char* family;
  bool take_any;
};

constexpr std::array<FacePreference, 3> kApplicationFaces = {{
    {"Liberation Sans", false},
    {"DejaVu Sans", false},
    {"sans-serif", true},
}};
constexpr std::array<FacePreference, 3> kFixedFaces = {{
    {"Liberation Mono", false},
    {"DejaVu Sans Mono", false},
    {"monospace", true},
}};

// Whether one of a matched font's family names is the family. Fontconfig
// always answers a match, often of another family altogether.
bool has_family(FcPattern* match, const char* family) {
  FcChar8* name = nullptr;
  for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
    if (name && FcStrCmpIgnoreCase(name, reinterpret_cast<const FcChar8*>(family)) == 0)
      return true;
  }
  return false;
}

// Opens the font a configuration matches for the preference at normal
// weight and upright; null when its family is not installed or the file
// cannot be opened. The file's name goes to *file.
FT_Face open_preferred_face(FcConfig* config, const FacePreference& preference, std::string* file) {
  FcPattern* pattern = FcPatternCreate();
  if (!pattern)
    return nullptr;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(preference.family));
  FcPatternAddInteger(pattern, FC_WEIGHT, FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(config, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match)
    return nullptr;
  FT_Face face = nullptr;
  FcChar8* name = nullptr;
  int index = 0;
  if ((preference.take_any || has_family(match, preference.family)) &&
      FcPatternGetString(match, FC_FILE, 0, &name) == FcResultMatch && name) {
    if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch)
      index = 0;
    if (FT_New_Face(state().library, reinterpret_cast<const char*>(name), index, &face) == 0) {
      *file = reinterpret_cast<const char*>(name);
    } else {
      face = nullptr;
    }
  }
  FcPatternDestroy(match);
  return face;
}

// The first face of the list that is installed and opens, or null.
FT_Face open_first_face(FcConfig* config, const std::array<FacePreference, 3>& list,
                        std::string* file) {
  for (const FacePreference& preference : list) {
    if (FT_Face face = open_preferred_face(config, preference, file))
      return face;
  }
  return nullptr;
}

}  // namespace

// Fontconfig is needed only to pick the faces: a private configuration is
// loaded and dropped again, so nothing of it stays behind, and whatever else
// in the process uses Fontconfig is not disturbed.
void text::open_faces(TextState& s) {
  if (FcConfig* config = FcInitLoadConfigAndFonts()) {
    s.sans = open_first_face(config, kApplicationFaces, &s.sans_file);
    s.mono = open_first_face(config, kFixedFaces, &s.mono_file);
    FcConfigDestroy(config);
  }
}
