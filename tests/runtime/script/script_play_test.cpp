// Playback: how script lines are read back as events, and how playback ends.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>

#include "runtime/log/log_window.h"
#include "runtime/window/run_menu.h"
#include "tests/support/script_helpers.h"
#include "tests/support/test_support.h"

namespace {

const char* const eof_message = "EOF encountered in script file VELKO.SCR\n";

// Plays a fresh file with the reader alone, as continuous playback does.
std::string play_file(const std::string& content) {
  close_script();
  write_file("VELKO.SCR", content);
  playing = 1;
  plat->check_menu_item(run_menu, IDM_PLAYBACK, true);
  return read_script_events();
}

std::size_t eof_messages() {
  std::size_t count = 0;
  for (const auto& line : log_lines())
    count += line == eof_message;
  return count;
}

struct FileCase {
  const char* name;
  std::string content;
  const char* events;
  bool ends_at_eof;  // false: ends on a line that is not recognised
};

TEST(ScriptPlayback, HandWrittenFilesReadAsTheirEvents) {
  start_runtime();
  ScopedTempDir dir;
  const std::string long_piece = "xxxxxxK(5)" + std::string(501, ' ');
  const std::string bad_piece = "xxxxxxZ(5)" + std::string(501, ' ');
  const std::vector<FileCase> cases = {
      {"writer's own lines",
       "VELKO_PERIODIC(3);\nVELKO_MOUSE(-12, 34);\nVELKO_PERIODIC(2);\nVELKO_KBD(97);\n",
       "P P P M(-12,34) P P K(97)", true},
      {"empty lines skipped", "\n\nVELKO_KBD(65);\n\n\n", "K(65)", true},
      {"only empty lines", "\n\n\n", "", true},
      {"empty file", "", "", true},
      {"spaces judged by the seventh", "      K 7\n", "K(7)", true},
      {"a line of spaces", "          \nVELKO_KBD(1);\n", "", false},
      {"final line without line end", "VELKO_KBD(1);\nVELKO_KBD(66);", "K(1)", true},
      {"negative key", "VELKO_KBD(-5);\n", "K(5)", true},
      {"key above a byte", "VELKO_KBD(300);\n", "K(44)", true},
      {"negative run", "VELKO_PERIODIC(-3);\n", "P P P", true},
      {"run of zero", "VELKO_PERIODIC(0);\nVELKO_KBD(1);\n", "P K(1)", true},
      {"any prefix", "abcdefM 1 2 xx\nXXXXXXK9\nzzzzzzP(2)\n", "M(1,2) K(9) P P", true},
      {"click", "VELKO_MOUSE(-12, 34);\n", "M(-12,34)", true},
      {"minus signs inside a run", "VELKO_MOUSE(--3, 4-5);\n", "M(0,4)", true},
      {"Windows line ends", "VELKO_KBD(97);\r\n\r\nVELKO_MOUSE(1, -2);\r\n", "K(97) M(1,-2)", true},
      {"511-character pieces", long_piece + "yyyyyyM(1, 2)\n", "K(5) M(1,2)", true},
      {"a bad 511-character piece", bad_piece + "VELKO_KBD(1);\n", "", false},
      {"extreme values", "VELKO_MOUSE(-2147483648, 00000000007);\nVELKO_KBD(2147483647);\n",
       "M(-2147483648,7) K(255)", true},
      {"value too large", "VELKO_KBD(1);\nVELKO_KBD(99999999999);\n", "K(1)", false},
      {"second value too large", "VELKO_MOUSE(1, 2147483648);\n", "", false},
      {"value too small", "VELKO_MOUSE(-2147483649, 1);\n", "", false},
      {"number longer than any written", "VELKO_KBD(000000000065);\n", "", false},
      {"very long number", "VELKO_PERIODIC(" + std::string(400, '9') + ");\n", "", false},
      {"short line", "VELKO\n", "", false},
      {"prefix only", "VELKO_\nVELKO_KBD(1);\n", "", false},
      {"kind without number", "VELKO_K\n", "", false},
      {"empty brackets", "VELKO_KBD();\n", "", false},
      {"click with one number", "VELKO_MOUSE(5);\n", "", false},
      {"unknown kind", "VELKO_QUIT();\n", "", false},
      {"line starting with a zero byte", std::string("\0VELKO_KBD(1);\n", 15), "", false},
  };
  for (const FileCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::size_t eof_before = eof_messages();
    const std::size_t lines_before = log_lines().size();
    EXPECT_EQ(play_file(c.content), c.events);
    EXPECT_EQ(playing, 0);
    EXPECT_FALSE(headless_menu_checked(run_menu, IDM_PLAYBACK));
    if (c.ends_at_eof) {
      EXPECT_EQ(eof_messages(), eof_before + 1);
    } else {
      EXPECT_EQ(log_lines().size(), lines_before);  // no message at all
    }
  }
}

TEST(ScriptPlayback, UnrecognisedLineChangesNothingAndPlaybackGoesOnAfterIt) {
  start_runtime();
  ScopedTempDir dir;
  write_file("VELKO.SCR", "VELKO_KBD(1);\nVELKO_MOUSE(9);\nVELKO_KBD(2);\n");
  run_menu_command(IDM_PLAYBACK);
  ASSERT_EQ(script_read_event(), 1);
  pending_kind = -1;
  event_x = 77;
  EXPECT_EQ(script_read_event(), 0);
  EXPECT_EQ(pending_kind, -1);
  EXPECT_EQ(event_x, 77);
  EXPECT_EQ(playing, 0);
  EXPECT_FALSE(headless_menu_checked(run_menu, IDM_PLAYBACK));
  EXPECT_TRUE(log_lines().empty());
  // The stream stays after that line.
  run_menu_command(IDM_PLAYBACK);
  EXPECT_EQ(read_script_events(), "K(2)");
}

TEST(ScriptPlayback, EndOfFileKeepsTheStreamUntilPlaybackIsSwitchedOff) {
  start_runtime();
  ScopedTempDir dir;
  write_file("VELKO.SCR", "VELKO_KBD(1);\n");
  run_menu_command(IDM_PLAYBACK);
  EXPECT_EQ(read_script_events(), "K(1)");
  EXPECT_EQ(log_lines(), std::vector<std::string>{eof_message});
  // The stream is still at its end: the end comes again at once.
  run_menu_command(IDM_PLAYBACK);
  play_one = 1;
  EXPECT_EQ(read_script_events(), "");
  EXPECT_EQ(eof_messages(), 2u);
  EXPECT_EQ(play_one, 0);
  EXPECT_NE(script_stream, nullptr);
  // Switching playback off closes the stream and leaves play_one alone.
  run_menu_command(IDM_PLAYBACK);
  play_one = 1;
  run_menu_command(IDM_PLAYBACK);
  EXPECT_EQ(script_stream, nullptr);
  EXPECT_EQ(play_one, 1);
  EXPECT_EQ(read_script_events(), "K(1)");
}

TEST(ScriptPlayback, StopPlaybackClearsBothSwitchesAndKeepsTheStream) {
  start_runtime();
  ScopedTempDir dir;
  write_file("VELKO.SCR", "VELKO_KBD(1);\nVELKO_KBD(2);\n");
  run_menu_command(IDM_PLAYBACK);
  ASSERT_EQ(script_read_event(), 1);
  play_one = 1;
  stop_playback();
  EXPECT_EQ(playing, 0);
  EXPECT_EQ(play_one, 0);
  EXPECT_FALSE(headless_menu_checked(run_menu, IDM_PLAYBACK));
  EXPECT_NE(script_stream, nullptr);
  EXPECT_EQ(read_script_events(), "K(2)");
}

TEST(ScriptPlayback, ReopeningStartsAfreshWithoutALeftoverRun) {
  start_runtime();
  ScopedTempDir dir;
  write_file("VELKO.SCR", "VELKO_PERIODIC(3);\nVELKO_KBD(1);\n");
  run_menu_command(IDM_PLAYBACK);
  ASSERT_EQ(script_read_event(), 1);
  EXPECT_EQ(periodic_run, 2);
  run_menu_command(IDM_PLAYBACK);  // off: the stream is closed
  run_menu_command(IDM_PLAYBACK);
  EXPECT_EQ(read_script_events(), "P P P K(1)");
}

TEST(ScriptPlayback, MissingFileIsReportedAndEndsPlayback) {
  start_runtime();
  ScopedTempDir dir;
  logging_enabled = 0;
  run_menu_command(IDM_PLAYBACK);
  EXPECT_EQ(read_script_events(), "");
  EXPECT_EQ(log_lines(),
            std::vector<std::string>{"Cannot open script file VELKO.SCR for reading\n"});
  EXPECT_EQ(playing, 0);
  EXPECT_FALSE(headless_menu_checked(run_menu, IDM_PLAYBACK));
  EXPECT_EQ(script_stream, nullptr);
}

TEST(ScriptPlayback, PlayOneStepsThroughARunOneEventAtATime) {
  start_runtime();
  ScopedTempDir dir;
  write_file("VELKO.SCR", "VELKO_PERIODIC(3);\nVELKO_KBD(120);\n");
  for (int t = 10; t <= 40; t += 10) {
    headless_at(t, [] { headless_ctrl_press('O', graphics_window); });
  }
  headless_at(50, [] { headless_choose_menu(graphics_window, IDM_PLAY_ONE); });
  headless_at(60, [] { click_at(0, 0); });
  EXPECT_EQ(event_texts_until_quit(), "P P P K(120) M(0,0) Q");
  EXPECT_EQ(eof_messages(), 1u);
  EXPECT_FALSE(headless_menu_checked(run_menu, IDM_PLAYBACK));
  EXPECT_EQ(animate + single_step + playing + play_one, 0);
}

TEST(ScriptPlayback, RecordedEventsPlayBackFromTheStartAtOnce) {
  start_runtime();
  ScopedTempDir dir;
  headless_choose_menu(graphics_window, IDM_RECORD);
  headless_at(10, [] { click_at(-100, 200); });
  headless_at(20, [] { click_at(297, -248); });
  headless_at(30, [] { headless_key_press(PLAT_VK_RETURN, graphics_window); });
  headless_at(40, [] {
    headless_ctrl_press('R', graphics_window);
    headless_ctrl_press('P', graphics_window);
  });
  int x = 0;
  int y = 0;
  char key = 0;
  std::string recorded;
  for (int i = 0; i < 3; ++i) {
    const int kind = VELKO_next_event(&x, &y, &key);
    recorded += describe_event(kind, x, y, key) + " ";
  }
  EXPECT_EQ(recorded, "M(-100,200) M(297,-248) K(13) ");
  // Played without waiting for any timer: all in the same virtual moment.
  EXPECT_EQ(next_event_text(), "M(-100,200)");
  const auto played_at = headless_now_ms();
  EXPECT_EQ(event_texts_until_quit(), "M(297,-248) K(13) Q");
  EXPECT_EQ(headless_now_ms(), played_at);
  EXPECT_EQ(eof_messages(), 1u);
  EXPECT_EQ(read_file("VELKO.SCR"),
            text_file_bytes("VELKO_MOUSE(-100, 200);\nVELKO_MOUSE(297, -248);\nVELKO_KBD(13);\n"));
}

TEST(ScriptPlayback, ArbitraryBytesNeverHangOrYieldAStrangeEvent) {
  start_runtime();
  ScopedTempDir dir;
  std::mt19937 random(12345);
  const std::string alphabet = "VELKO_MKP0123456789-, ();\r\n\n\n\t\xff";
  for (int file = 0; file < 300; ++file) {
    std::string content;
    const int length = static_cast<int>(random() % 1500);
    for (int i = 0; i < length; ++i)
      content += alphabet[random() % alphabet.size()];
    close_script();
    write_file("VELKO.SCR", content);
    for (int session = 0; session < 3; ++session) {
      playing = 1;
      int events = 0;
      for (; events < 5000; ++events) {
        pending_kind = -1;
        if (!script_read_event())
          break;
        ASSERT_TRUE(pending_kind == VELKO_MOUSE || pending_kind == VELKO_KBD ||
                    pending_kind == VELKO_PERIODIC);
      }
      // Huge runs aside, every file ends within its lines.
      if (periodic_run < 5000) {
        ASSERT_LT(events, 5000);
      }
      periodic_run = 0;
    }
  }
}

}  // namespace

namespace {

TEST(ScriptPlayback, StreamOpenForWritingIsReopenedForReading) {
  start_runtime();
  ScopedTempDir dir;
  // The commands never let this happen; the reader must cope all the same.
  recording = 1;
  script_write_event(VELKO_KBD, 0, 0, 'q');
  recording = 0;
  playing = 1;
  EXPECT_EQ(read_script_events(), "K(113)");
  EXPECT_EQ(read_file("VELKO.SCR"), text_file_bytes("VELKO_KBD(113);\n"));
}

}  // namespace
