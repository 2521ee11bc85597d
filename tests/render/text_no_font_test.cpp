// With no font installed at all, text says so once, draws nothing and still
// reports a cell so that lines advance.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/render/text_support.h"
#include "tests/support/files.h"

namespace {

constexpr char kMessage[] = "no font found: text will not be drawn\n";

int occurrences(const std::string& haystack, const std::string& needle) {
  int n = 0;
  for (auto at = haystack.find(needle); at != std::string::npos;
       at = haystack.find(needle, at + needle.size())) {
    ++n;
  }
  return n;
}

// Runs in a fresh process in which no text has been used yet. Answers a
// description of what went wrong, or an empty string.
std::string run_without_fonts() {
  const TempDir temp("velko-nofont-");
  const std::string& dir = temp.path();
  if (dir.empty())
    return "cannot make a temporary directory";
  const std::string config = dir + "/fonts.conf";
  if (FILE* file = std::fopen(config.c_str(), "w")) {
    std::fputs("<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n", file);
    std::fclose(file);
  } else {
    return "cannot write " + config;
  }
  setenv("FONTCONFIG_FILE", config.c_str(), 1);

  testing::internal::CaptureStderr();
  CanvasPtr canvas = filled_canvas(80, 40, 0x00C0C0C0);
  FontPtr font(plat->draw->create_font(20));
  FontPtr by_default(plat->draw->create_font(0));
  PlatFont* fixed = plat->draw->fixed_font();
  PlatTextMetrics m, d, f;
  plat->draw->text_metrics(canvas.get(), font.get(), &m);
  plat->draw->text_metrics(canvas.get(), by_default.get(), &d);
  plat->draw->text_metrics(canvas.get(), fixed, &f);
  int width = -1;
  int height = -1;
  plat->draw->text_extent(canvas.get(), font.get(), "Scoop", 5, &width, &height);
  draw(canvas.get(), font.get(), 2, 2, "Scoop", 0x000000FF);
  draw(canvas.get(), font.get(), 2, 2, "Scoop", 0x000000FF, true, 0x0000FF00);
  draw(canvas.get(), fixed, 2, 2, "Scoop", 0x000000FF, true, 0x0000FF00);
  FontPtr later(plat->draw->create_font(30));
  draw(canvas.get(), later.get(), 2, 2, "Scoop", 0x000000FF);
  const std::string err = testing::internal::GetCapturedStderr();

  unlink(config.c_str());
  rmdir(dir.c_str());
  std::string problems;
  if (occurrences(err, kMessage) != 1)
    problems += "message not exactly once: [" + err + "] ";
  if (m.height != 20 || m.ascent != 20 || m.external_leading != 0)
    problems += "font metrics ";
  if (d.height != 16)
    problems += "default height ";
  if (f.height != 12 || f.ascent != 12 || f.external_leading != 0)
    problems += "fixed metrics ";
  if (width != 0 || height != 20)
    problems += "extent ";
  if (!changed_box(canvas.get(), 0x00C0C0C0).empty())
    problems += "pixels drawn ";
  return problems;
}

}  // namespace

TEST(TextNoFont, SaysSoOnceDrawsNothingAndKeepsLineHeights) {
  // The check runs in a re-executed copy of this program, so that no earlier
  // test in this process has found fonts already.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        const std::string problems = run_without_fonts();
        std::fputs(problems.c_str(), stderr);
        std::exit(problems.empty() ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}
