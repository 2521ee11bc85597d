// The pieces of the reports on their own: text taken from a run made clean
// and kept in its place, the reader of slices, and the options that cut a
// class and set its points.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/check/clean_text.h"
#include "tools/check/json_reader.h"
#include "tools/check/platform_formats.h"
#include "tools/check/report_data.h"
#include "tools/check/shard.h"

namespace {

const std::string R = "\xEF\xBF\xBD";  // U+FFFD

}  // namespace

TEST(ReportText, WhatARunWroteBecomesValidUtf8ThatXmlTakes) {
  const struct {
    const char* name;
    std::string in, out;
  } cases[] = {
      {"plain text, tab and newline", "a\tb\nc", "a\tb\nc"},
      {"two, three and four bytes", "\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80",
       "\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
      {"a stray byte",
       "a\xFF"
       "b",
       "a" + R + "b"},
      {"a cut sequence at the end", "a\xE2\x82", "a" + R + R},
      {"an overlong slash", "\xC0\xAF", R + R},
      {"an overlong three-byte form", "\xE0\x80\xAF", R + R + R},
      {"a surrogate", "\xED\xA0\x80", R + R + R},
      {"past U+10FFFF", "\xF4\x90\x80\x80", R + R + R + R},
      {"U+FFFE and U+FFFF", "\xEF\xBF\xBE\xEF\xBF\xBF", R + R},
      {"C0 controls, DEL, a C1 control", std::string("\x01\x1B[31m\r\x7F\xC2\x9B", 9),
       R + R + "[31m" + R + R + R},
      {"a NUL", std::string("a\0b", 3), "a" + R + "b"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(check::clean_text(c.in), c.out);
  }
  // Cut at a character's edge, never inside one.
  EXPECT_EQ(check::clean_line("ab\xE2\x82\xAC", 4), "ab\xE2\x80\xA6");
  EXPECT_EQ(check::clean_lines({"a", "b", "c"}, 2, 10),
            (std::vector<std::string>{"a", "b", "... 1 more lines"}));
  // Nothing leaves its place in JSON or markup.
  EXPECT_EQ(check::json_string("\"</script>\\\n\xFF"), "\"\\\"\\u003c/script>\\\\\\n" + R + "\"");
  EXPECT_EQ(check::markup("<a href=\"x\">'&'</a>"),
            "&lt;a href=&quot;x&quot;&gt;&#39;&amp;&#39;&lt;/a&gt;");
}

TEST(ReportText, TheSliceReaderTakesJsonAndRefusesWhatIsNot) {
  check::Json v;
  std::string why;
  ASSERT_TRUE(check::parse_json(
      R"({"a": [1, -2.5e1, true, null], "b": "x\"\u00e9\ud83d\ude00\ud800", "c": {}})", &v, &why))
      << why;
  EXPECT_EQ(v["a"].items.size(), 4u);
  EXPECT_EQ(v["a"].items[1].num(), -25);
  EXPECT_TRUE(v["a"].items[2].flag());
  EXPECT_EQ(v["b"].str(), "x\"\xC3\xA9\xF0\x9F\x98\x80" + R);
  EXPECT_EQ(v["missing"]["deeper"].str("none"), "none");
  const struct {
    const char* name;
    std::string text;
    const char* says;
  } wrong[] = {
      {"empty", "", "an unexpected end"},
      {"cut short", "{\"a\": [1, 2", "a missing ',' or ']'"},
      {"an unended string", "\"abc", "an unended string"},
      {"a raw newline in a string", "\"a\nb\"", "a control character"},
      {"a bad escape", "\"\\q\"", "an unknown escape"},
      {"two values", "1 2", "more after the value"},
      {"a word", "nope", "an unknown word"},
      {"too deep", std::string(100, '[') + std::string(100, ']'), "nesting too deep"},
  };
  for (const auto& w : wrong) {
    SCOPED_TRACE(w.name);
    EXPECT_FALSE(check::parse_json(w.text, &v, &why));
    EXPECT_NE(why.find(w.says), std::string::npos) << why;
  }
}

TEST(ReportText, SlicesPointsAndFormatsAreReadOrRefused) {
  check::Shard shard;
  EXPECT_TRUE(check::parse_shard("3/4", &shard));
  EXPECT_EQ(shard.index, 3);
  EXPECT_EQ(shard.count, 4);
  for (const char* bad : {"0/4", "5/4", "4", "/4", "1/", "a/b", "1/-2", "1/100000", "1/4/5"})
    EXPECT_FALSE(check::parse_shard(bad, &shard)) << bad;
  std::vector<double> points;
  EXPECT_TRUE(check::parse_points("4,6.5", &points));
  EXPECT_EQ(points, (std::vector<double>{4, 6.5}));
  for (const char* bad : {"", "4,", ",4", "-1", "x", "1e7"})
    EXPECT_FALSE(check::parse_points(bad, &points)) << bad;
  std::vector<std::string> formats;
  EXPECT_TRUE(check::parse_formats("prairielearn,gradescope,prairielearn", &formats));
  EXPECT_EQ(formats, (std::vector<std::string>{"prairielearn", "gradescope"}));
  EXPECT_FALSE(check::parse_formats("moodle", &formats));
  // A difference keeps its changes and three lines around each.
  using Lines = std::vector<std::string>;
  const auto same = [](int n) {
    Lines lines;
    for (int i = 0; i < n; ++i)
      lines.push_back("  " + std::to_string(i));
    return lines;
  };
  EXPECT_EQ(check::changes(same(20)), Lines{});
  Lines one = same(20);
  one[10] = "+ x";
  EXPECT_EQ(check::changes(one), (Lines{"  ... 7 lines alike", "  7", "  8", "  9", "+ x", "  11",
                                        "  12", "  13", "  ... 6 lines alike"}));
  Lines two = one;
  two[0] = "- y";
  two[14] = "- z";
  EXPECT_EQ(check::changes(two),
            (Lines{"- y", "  1", "  2", "  3", "  ... 3 lines alike", "  7", "  8", "  9", "+ x",
                   "  11", "  12", "  13", "- z", "  15", "  16", "  17", "  ... 2 lines alike"}));
  // Only a match earns a script's points in full.
  EXPECT_EQ(check::points_for(100, 4), 4);
  EXPECT_EQ(check::points_for(99.999, 4), 3.99);
  EXPECT_EQ(check::points_for(50, 5), 2.5);
  EXPECT_EQ(check::points_for(0, 5), 0);
}
