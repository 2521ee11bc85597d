// Recording: the lines written to "VELKO.SCR" for the events the event
// stream delivers, and when the file is opened, written and closed.
#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>

#include "runtime/log/log_window.h"
#include "runtime/window/run_menu.h"
#include "tests/support/script_helpers.h"
#include "tests/support/test_support.h"

namespace {

void choose(unsigned id) {
  headless_choose_menu(graphics_window, id);
}

TEST(ScriptRecording, MixedEventsBecomeOneLineEachWithRunsOfTicks) {
  start_runtime();
  ScopedTempDir dir;
  choose(IDM_RECORD);
  VELKO_set_run_mode(VELKO_RUN_ANIMATE);
  // Ticks at 100, 200, 300; the click; ticks at 400, 500; the key.
  headless_at(350, [] { click_at(-12, 34); });
  headless_at(550, [] { headless_key_press('A', graphics_window); });
  headless_at(560, [] { choose(IDM_RECORD); });
  EXPECT_EQ(event_texts_until_quit(), "P P P M(-12,34) P P K(97) Q");
  EXPECT_EQ(recording, 0);
  EXPECT_EQ(script_stream, nullptr);
  EXPECT_EQ(read_file("VELKO.SCR"),
            text_file_bytes(
                "VELKO_PERIODIC(3);\nVELKO_MOUSE(-12, 34);\nVELKO_PERIODIC(2);\nVELKO_KBD(97);\n"));
}

TEST(ScriptRecording, QuitWritesThePendingRunAndNoLineOfItsOwn) {
  start_runtime();
  ScopedTempDir dir;
  choose(IDM_RECORD);
  VELKO_set_run_mode(VELKO_RUN_ANIMATE);
  headless_at(350, [] { click_at(5, -6); });
  headless_at(420, [] { headless_ctrl_press('Q', graphics_window); });
  // The tick of 400 is pending when Ctrl+Q ends the run.
  EXPECT_EQ(event_texts_until_quit(), "P P P M(5,-6) P Q");
  EXPECT_EQ(recording, 1);
  VELKO_finish();
  EXPECT_EQ(read_file("VELKO.SCR"),
            text_file_bytes("VELKO_PERIODIC(3);\nVELKO_MOUSE(5, -6);\nVELKO_PERIODIC(1);\n"));
}

TEST(ScriptRecording, FinishWhileRecordingKeepsThePendingRun) {
  start_runtime();
  ScopedTempDir dir;
  headless_set_auto_close(false);
  choose(IDM_RECORD);
  VELKO_set_run_mode(VELKO_RUN_ANIMATE);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(next_event_text(), "P");
  VELKO_finish();
  EXPECT_EQ(recording, 0);
  EXPECT_FALSE(headless_menu_checked(run_menu, IDM_RECORD));
  EXPECT_EQ(script_stream, nullptr);
  EXPECT_EQ(read_file("VELKO.SCR"), text_file_bytes("VELKO_PERIODIC(3);\n"));
}

TEST(ScriptRecording, SwitchedOffMidRunWritesTheRunAndTheNextCountStartsAtZero) {
  start_runtime();
  ScopedTempDir dir;
  choose(IDM_RECORD);
  VELKO_set_run_mode(VELKO_RUN_ANIMATE);
  headless_at(250, [] { headless_ctrl_press('R', graphics_window); });
  headless_at(450, [] { headless_ctrl_press('R', graphics_window); });
  headless_at(650, [] { headless_ctrl_press('H', graphics_window); });
  headless_at(660, [] { headless_key_press('Z', graphics_window); });
  headless_at(670, [] { headless_ctrl_press('R', graphics_window); });
  EXPECT_EQ(event_texts_until_quit(), "P P P P P P K(122) Q");
  // The second recording: ticks at 500 and 600, and the key.
  EXPECT_EQ(read_file("VELKO.SCR"), text_file_bytes("VELKO_PERIODIC(2);\nVELKO_KBD(122);\n"));
}

TEST(ScriptRecording, NothingHappeningLeavesTheFileUntouched) {
  start_runtime();
  ScopedTempDir dir;
  choose(IDM_RECORD);
  headless_at(500, [] { choose(IDM_RECORD); });
  headless_at(600, [] { choose(IDM_RECORD); });
  headless_at(700, [] { choose(IDM_RECORD); });
  EXPECT_EQ(event_texts_until_quit(), "Q");
  EXPECT_FALSE(file_exists("VELKO.SCR"));

  // An existing script survives a recording in which nothing happened.
  write_file("VELKO.SCR", "VELKO_KBD(1);\n");
  run_menu_command(IDM_RECORD);
  run_menu_command(IDM_RECORD);
  EXPECT_EQ(read_file("VELKO.SCR"), "VELKO_KBD(1);\n");
}

TEST(ScriptRecording, KeysAboveAsciiAreWrittenAsTheirCode) {
  start_runtime();
  ScopedTempDir dir;
  recording = 1;
  script_write_event(VELKO_KBD, 0, 0, static_cast<char>(200));
  script_write_event(VELKO_KBD, 0, 0, static_cast<char>(255));
  script_write_event(VELKO_KBD, 0, 0, 8);
  script_write_event(VELKO_MOUSE, -2147483647 - 1, 2147483647, 0);
  script_write_event(VELKO_QUIT, 1, 2, 3);
  stop_recording();
  EXPECT_EQ(read_file("VELKO.SCR"),
            text_file_bytes("VELKO_KBD(200);\nVELKO_KBD(255);\nVELKO_KBD(8);\n"
                            "VELKO_MOUSE(-2147483648, 2147483647);\n"));
  playing = 1;
  EXPECT_EQ(read_script_events(), "K(200) K(255) K(8) M(-2147483648,2147483647)");
}

TEST(ScriptRecording, RecordingAfterPlaybackEndedWritesAFreshScript) {
  start_runtime();
  ScopedTempDir dir;
  write_file("VELKO.SCR", "VELKO_PERIODIC(5);\nVELKO_KBD(49);\n");
  // Play One leaves four ticks of the run to come and the file open for
  // reading; a recording started now must start from nothing.
  choose(IDM_PLAY_ONE);
  headless_at(50, [] { choose(IDM_RECORD); });
  headless_at(60, [] { choose(IDM_ANIMATE); });
  headless_at(250, [] { choose(IDM_RECORD); });
  EXPECT_EQ(event_texts_until_quit(), "P P P Q");
  EXPECT_EQ(read_file("VELKO.SCR"), text_file_bytes("VELKO_PERIODIC(2);\n"));

  // Playback that ended at the end of the file leaves the stream open for
  // reading too; the next recording is not lost.
  write_file("VELKO.SCR", "VELKO_KBD(50);\n");
  playing = 1;
  EXPECT_EQ(read_script_events(), "K(50)");
  EXPECT_NE(script_stream, nullptr);
  run_menu_command(IDM_RECORD);
  script_write_event(VELKO_KBD, 0, 0, 'x');
  run_menu_command(IDM_RECORD);
  EXPECT_EQ(read_file("VELKO.SCR"), text_file_bytes("VELKO_KBD(120);\n"));
}

TEST(ScriptRecording, PlaybackSwitchedOnWhileRecordingEndsTheRecordingFirst) {
  start_runtime();
  ScopedTempDir dir;
  choose(IDM_RECORD);
  VELKO_set_run_mode(VELKO_RUN_ANIMATE);
  headless_at(150, [] { click_at(3, 4); });
  headless_at(250, [] { choose(IDM_PLAYBACK); });
  // What was recorded plays back at once, from the beginning.
  EXPECT_EQ(event_texts_until_quit(), "P M(3,4) P P M(3,4) P Q");
  EXPECT_EQ(recording, 0);
  EXPECT_FALSE(headless_menu_checked(run_menu, IDM_RECORD));
  EXPECT_FALSE(headless_menu_checked(run_menu, IDM_PLAYBACK));
  EXPECT_EQ(read_file("VELKO.SCR"),
            text_file_bytes("VELKO_PERIODIC(1);\nVELKO_MOUSE(3, 4);\nVELKO_PERIODIC(1);\n"));
}

TEST(ScriptRecording, RecordSwitchedOnWhilePlayingEndsThePlaybackFirst) {
  start_runtime();
  ScopedTempDir dir;
  write_file("VELKO.SCR", "VELKO_KBD(49);\nVELKO_KBD(50);\nVELKO_KBD(51);\n");
  choose(IDM_PLAYBACK);
  EXPECT_EQ(next_event_text(), "K(49)");
  run_menu_command(IDM_RECORD);
  EXPECT_EQ(playing, 0);
  EXPECT_FALSE(headless_menu_checked(run_menu, IDM_PLAYBACK));
  EXPECT_TRUE(headless_menu_checked(run_menu, IDM_RECORD));
  click_at(7, 8);
  EXPECT_EQ(next_event_text(), "M(7,8)");
  run_menu_command(IDM_PLAY_ONE);  // ends the recording, then plays it
  EXPECT_EQ(recording, 0);
  EXPECT_EQ(next_event_text(), "M(7,8)");
  EXPECT_EQ(read_file("VELKO.SCR"), text_file_bytes("VELKO_MOUSE(7, 8);\n"));
}

TEST(ScriptRecording, FileThatCannotBeCreatedIsReportedForEveryLine) {
  start_runtime();
  ScopedTempDir dir;
  // A directory in the file's place stops everyone, root included.
  std::filesystem::create_directory("VELKO.SCR");
  logging_enabled = 0;  // the messages do not depend on the switch
  choose(IDM_RECORD);
  headless_at(10, [] { click_at(1, 1); });
  headless_at(20, [] { headless_key_press('B', graphics_window); });
  EXPECT_EQ(event_texts_until_quit(), "M(1,1) K(98) Q");
  EXPECT_EQ(recording, 1);
  EXPECT_TRUE(headless_menu_checked(run_menu, IDM_RECORD));
  const std::string message = "Cannot open script file VELKO.SCR for writing\n";
  // One for the click, one for the key, one for the quit's attempt to open.
  const std::vector<std::string> expected(3, message);
  EXPECT_EQ(log_lines(), expected);

#if !defined(_WIN32)
  // A directory that may not be written to, where permissions count (not on
  // Windows, where a directory's read-only mark does not stop new files).
  if (geteuid() != 0) {
    std::filesystem::remove("VELKO.SCR");
    ASSERT_EQ(chmod(dir.path().c_str(), 0500), 0);
    script_write_event(VELKO_KBD, 0, 0, 'c');
    EXPECT_EQ(log_lines().back(), message);
    EXPECT_EQ(log_lines().size(), 4u);
    EXPECT_FALSE(file_exists("VELKO.SCR"));
  }
#endif
}

TEST(ScriptRecording, LinesThatCouldNotBeWrittenAreReported) {
  start_runtime();
  ScopedTempDir dir;
  if (!file_exists("/dev/full"))
    GTEST_SKIP() << "no device that is always full";
  std::filesystem::create_symlink("/dev/full", "VELKO.SCR");
  run_menu_command(IDM_RECORD);
  script_write_event(VELKO_KBD, 0, 0, 'a');
  EXPECT_TRUE(log_lines().empty());
  run_menu_command(IDM_RECORD);
  ASSERT_FALSE(log_lines().empty());
  EXPECT_EQ(log_lines().back(), "Cannot write script file VELKO.SCR\n");
}

}  // namespace
