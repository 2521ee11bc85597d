// Which faces text is drawn in: the first installed family of each
// preference list, whatever else is installed, at normal weight. Each case
// shows the text engine only the files of some families.
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "runtime/platform/render/render.h"
#include "tests/support/files.h"

namespace {

namespace fs = std::filesystem;

struct FaceCase {
  const char* name;
  std::vector<std::string> installed;  // families whose font files are on view
  const char* application;             // expected family, then its file's name
  const char* application_file;
  const char* fixed;
  const char* fixed_file;
};

const FaceCase kCases[] = {
    {"PackageListFonts",
     {"Liberation Sans", "Liberation Mono", "Liberation Serif", "DejaVu Sans", "DejaVu Sans Mono",
      "DejaVu Serif"},
     "Liberation Sans",
     "LiberationSans-Regular.ttf",
     "Liberation Mono",
     "LiberationMono-Regular.ttf"},
    {"WithoutLiberation",
     {"DejaVu Sans", "DejaVu Sans Mono", "DejaVu Serif"},
     "DejaVu Sans",
     "DejaVuSans.ttf",
     "DejaVu Sans Mono",
     "DejaVuSansMono.ttf"},
    {"FixedFromTheSecondChoice",
     {"Liberation Sans", "Liberation Serif", "DejaVu Sans Mono"},
     "Liberation Sans",
     "LiberationSans-Regular.ttf",
     "DejaVu Sans Mono",
     "DejaVuSansMono.ttf"},
    {"ApplicationFromTheSecondChoice",
     {"DejaVu Sans", "Liberation Mono", "Liberation Serif"},
     "DejaVu Sans",
     "DejaVuSans.ttf",
     "Liberation Mono",
     "LiberationMono-Regular.ttf"},
    {"NoPreferredFamilyTakesWhatThereIs",
     {"DejaVu Serif"},
     "DejaVu Serif",
     "DejaVuSerif.ttf",
     "DejaVu Serif",
     "DejaVuSerif.ttf"},
};

// Every file of the family in the configuration the test runs with.
std::vector<std::string> files_of(const std::string& family) {
  std::vector<std::string> files;
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (!config)
    return files;
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcObjectSet* objects = FcObjectSetBuild(FC_FILE, nullptr);
  if (FcFontSet* set = FcFontList(config, pattern, objects)) {
    for (int i = 0; i < set->nfont; ++i) {
      FcChar8* file = nullptr;
      if (FcPatternGetString(set->fonts[i], FC_FILE, 0, &file) == FcResultMatch)
        files.emplace_back(reinterpret_cast<const char*>(file));
    }
    FcFontSetDestroy(set);
  }
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  FcConfigDestroy(config);
  return files;
}

std::string compare(const char* what, const RenderFace& face, const char* family, const char* file) {
  const std::string name = fs::path(face.file).filename().string();
  if (face.family == family && name == file)
    return "";
  return std::string(what) + ": " + face.family + " (" + name + "), wanted " + family + " (" +
         file + "); ";
}

// Runs in a fresh process in which no text has been used yet: shows the text
// engine a configuration that sees only the case's families. Answers what
// went wrong, or an empty string.
std::string choose_faces(const FaceCase& c) {
  const TempDir temp("velko-faces-");
  const std::string& dir = temp.path();
  if (dir.empty())
    return "cannot make a temporary directory";
  std::string problems;
  for (const std::string& family : c.installed) {
    const std::vector<std::string> files = files_of(family);
    if (files.empty())
      problems += family + " is not installed; ";
    for (const std::string& file : files) {
      std::error_code error;
      fs::create_symlink(file, fs::path(dir) / fs::path(file).filename(), error);
    }
  }
  const std::string config = dir + "/fonts.conf";
  if (FILE* out = std::fopen(config.c_str(), "w")) {
    std::fprintf(out, "<?xml version=\"1.0\"?>\n<fontconfig><dir>%s</dir>", dir.c_str());
    std::fprintf(out, "<cachedir>%s/cache</cachedir></fontconfig>\n", dir.c_str());
    std::fclose(out);
  } else {
    problems += "cannot write " + config;
  }
  setenv("FONTCONFIG_FILE", config.c_str(), 1);

  problems += compare("application face", render_text_face(false), c.application, c.application_file);
  problems += compare("fixed face", render_text_face(true), c.fixed, c.fixed_file);
  std::error_code error;
  fs::remove_all(dir, error);
  return problems;
}

}  // namespace

TEST(TextFaces, FirstInstalledPreferenceAtNormalWeight) {
  // Each case runs in a re-executed copy of this program, so that no earlier
  // case or test has chosen the faces already.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  for (const FaceCase& c : kCases) {
    EXPECT_EXIT(
        {
          const std::string problems = choose_faces(c);
          std::fputs(problems.c_str(), stderr);
          std::exit(problems.empty() ? 0 : 1);
        },
        testing::ExitedWithCode(0), "")
        << c.name;
  }
}

TEST(TextFaces, TestsRunWithTheProjectsFontConfiguration) {
  // Every test sees the package list's fonts and no others, through a
  // configuration of the build's own; its faces are the first choices.
  const char* config = std::getenv("FONTCONFIG_FILE");
  ASSERT_NE(config, nullptr);
  EXPECT_TRUE(fs::exists(config)) << config;
  EXPECT_EQ(render_text_face(false).family, "Liberation Sans");
  EXPECT_EQ(render_text_face(true).family, "Liberation Mono");
}
