// velko-check as a teacher uses it: on well-behaved programs (the example and
// the designer) and on programs that crash, hang, fail or never start the
// runtime; its exit status, its summary and the transcript it leaves.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/platform/text_bytes.h"
#include "tests/check/run_check.h"
#include "tests/support/test_support.h"
#include "tests/support/text_table.h"

namespace fs = std::filesystem;

namespace {

const char* const SCRIPT =
    "VELKO_PERIODIC(4);\nVELKO_MOUSE(-240, 232);\nVELKO_KBD(97);\nVELKO_MOUSE(0, 60);\n";

struct Case {
  const char* name;
  std::string program;  // with its arguments
  int status;
  const char* says;  // a part of the summary
  int events;        // lines in events.txt (quits have none); -1 when there is no file
};

}  // namespace

TEST(VelkoCheck, ReportsHowEachKindOfProgramEnded) {
  ScopedTempDir dir;
  write_file("script.scr", SCRIPT);
  const std::string misbehaving = VELKO_MISBEHAVING_PATH;
  const Case cases[] = {
      {"example", VELKO_BOUNCE_PATH, 0, "velko-check closed its window", 7},
      {"designer", VELKO_CONE_PATH, 0, "result: the program ended with status 0", 7},
      {"crash", misbehaving + " crash", 2, "the program crashed (signal 6", 3},
      {"hang", misbehaving + " hang", 3, "did not end within 2 s", 7},
      {"status", misbehaving + " status", 1, "the program ended with status 3", 7},
      {"early", misbehaving + " early", 0, "ended before its script did: it used 2 of 7", 2},
      {"nostart", misbehaving + " nostart", 4, "without starting the VELKO runtime", -1},
      {"missing", "./no-such-program", 4, "cannot run", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string out = std::string("out-") + c.name;
    const CheckRun run = check("-t 2 -s script.scr -o " + out + " " + c.program);
    EXPECT_EQ(run.status, c.status) << run.out;
    EXPECT_NE(run.out.find(c.says), std::string::npos) << run.out;
    const bool has_events = file_exists(out + "/events.txt");
    if (c.events == -1) {
      EXPECT_FALSE(has_events);
      continue;
    }
    ASSERT_TRUE(has_events);
    std::istringstream events(read_file(out + "/events.txt"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(events, line);)
      lines.push_back(line);
    EXPECT_EQ(static_cast<int>(lines.size()), c.events) << read_file(out + "/events.txt");
    if (!lines.empty()) {
      EXPECT_EQ(lines[0], "VELKO_PERIODIC(1);");
    }
  }
}

TEST(VelkoCheck, TranscriptOfTheDesignerPlaysBackAndShowsTheScene) {
  ScopedTempDir dir;
  write_file("script.scr", SCRIPT);
  const CheckRun run = check("-s script.scr -o out " + std::string(VELKO_CONE_PATH));
  ASSERT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(read_file("out/events.txt"),
            "VELKO_PERIODIC(1);\nVELKO_PERIODIC(1);\nVELKO_PERIODIC(1);\nVELKO_PERIODIC(1);\n"
            "VELKO_MOUSE(-240, 232);\nVELKO_KBD(97);\nVELKO_MOUSE(0, 60);\n");
  EXPECT_EQ(read_file("out/log.txt"), "EOF encountered in script file VELKO.SCR\n");
  EXPECT_EQ(read_file("out/end.txt"),
            "events 8\nclosed_by_checker 1\nquit_delivered 1\nended finish\n");
  for (const char* picture : {"out/surface.png", "out/window.png"})
    EXPECT_EQ(read_file(picture).substr(1, 3), "PNG") << picture;

  // The transcript is a script: played again it gives the same events.
  fs::copy_file("out/events.txt", "again.scr");
  const CheckRun again = check("-s again.scr -o out2 " + std::string(VELKO_CONE_PATH));
  ASSERT_EQ(again.status, 0) << again.out;
  EXPECT_EQ(read_file("out2/events.txt"), read_file("out/events.txt"));
  EXPECT_EQ(read_file("out2/window.png"), read_file("out/window.png"));
}

TEST(VelkoCheck, LogTxtIsUtf8WhateverTheProgramWrote) {
  ScopedTempDir dir;
  const CheckRun run = check("-o out " + std::string(VELKO_MISBEHAVING_PATH) + " text");
  ASSERT_EQ(run.status, 0) << run.out;
  std::string expected = "\nstarting: text\n";
  for (const TextCase& t : text_cases()) {
    for (char32_t c : t.shown)
      text_bytes::append_utf8(expected, c);
    expected += "\n";
  }
  const std::string log = read_file("out/log.txt");
  EXPECT_NE(log.find(expected), std::string::npos) << log;
}

TEST(VelkoCheck, WrongCommandLinesAreRefused) {
  ScopedTempDir dir;
  const struct {
    const char* arguments;
    const char* says;
  } wrong[] = {
      {"", "no program to check"},
      {"-t", "missing value: -t"},
      {"-t 0 prog", "not a time in seconds: 0"},
      {"-x prog", "unknown option"},
      {"-s missing.scr prog", "cannot read the script file missing.scr"},
  };
  for (const auto& w : wrong) {
    const CheckRun run = check(w.arguments);
    EXPECT_EQ(run.status, 64) << w.arguments;
    EXPECT_NE(run.out.find(w.says), std::string::npos) << run.out;
  }
}
