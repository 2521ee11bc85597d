// The script file when things go wrong around it: directories that cannot be
// written, a directory or nothing in the file's place, huge, growing and
// removed files, a full disk, and recording and playback switched in every
// order. Nothing crashes, every failure is reported, and the file is never
// damaged.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "runtime/log/log_window.h"
#include "runtime/window/run_menu.h"
#include "tests/support/script_helpers.h"
#include "tests/support/test_support.h"

namespace {

const std::string eof_message = "EOF encountered in script file VELKO.SCR\n";
const std::string cannot_write = "Cannot open script file VELKO.SCR for writing\n";
const std::string cannot_read = "Cannot open script file VELKO.SCR for reading\n";
const std::string read_failed = "Cannot read script file VELKO.SCR\n";
const std::string write_failed = "Cannot write script file VELKO.SCR\n";

// Starts the runtime for runs that end each call with a tick at the latest:
// animation stays on and the backend never closes the window by itself.
void start_ticking_runtime() {
  start_runtime();
  headless_set_auto_close(false);
  run_menu_command(IDM_ANIMATE);
}

// One live event, described: a click at (x, y), given and delivered.
std::string give_click(int x, int y) {
  click_at(x, y);
  return next_event_text();
}

// Takes events while they come from the script (the first call that finds
// the script over gets a tick instead). At most limit events; answers them
// space-separated.
std::string take_while_playing(std::size_t limit = 1000) {
  std::string out;
  for (std::size_t i = 0; i < limit; ++i) {
    const std::string event = next_event_text();
    if (!playing)
      break;
    out += (out.empty() ? "" : " ") + event;
  }
  return out;
}

// Switches playback on and plays the script to its end.
std::string play_to_end(std::size_t limit = 1000) {
  run_menu_command(IDM_PLAYBACK);
  run_menu_command(IDM_ANIMATE);  // playback halts animation
  return take_while_playing(limit);
}

void append_file(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::app);
  out << content;
}

// The log lines written since the ring held `before` lines (the ring holds at
// most 25).
std::vector<std::string> new_log_lines(std::size_t before) {
  std::vector<std::string> lines = log_lines();
  lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(before));
  return lines;
}

// Recording refused by the current directory: one message per line that was
// to be written, recording stays on, nothing is created.
void expect_recording_refused() {
  const std::size_t before = log_lines().size();
  run_menu_command(IDM_RECORD);
  EXPECT_EQ(give_click(1, 2), "M(1,2)");
  headless_key_press('B', graphics_window);
  EXPECT_EQ(next_event_text(), "K(98)");
  EXPECT_EQ(next_event_text(), "P");  // counted, not written yet
  EXPECT_EQ(give_click(3, 4), "M(3,4)");
  EXPECT_EQ(recording, 1);
  EXPECT_TRUE(headless_menu_checked(run_menu, IDM_RECORD));
  // The click, the key, the tick's run before the second click, that click.
  EXPECT_EQ(new_log_lines(before), std::vector<std::string>(4, cannot_write));
  run_menu_command(IDM_RECORD);
  EXPECT_EQ(recording, 0);
  EXPECT_EQ(script_stream, nullptr);
  EXPECT_FALSE(file_exists("VELKO.SCR"));
}

// The effective user for a scope: lets root meet permission bits, which
// root itself ignores.
class ScopedEffectiveUser {
 public:
  explicit ScopedEffectiveUser(uid_t user) : previous_(geteuid()), ok_(seteuid(user) == 0) {}
  ~ScopedEffectiveUser() {
    if (ok_) {
      EXPECT_EQ(seteuid(previous_), 0);
    }
  }
  bool ok() const { return ok_; }

 private:
  uid_t previous_;
  bool ok_;
};

TEST(ScriptFileFaults, CurrentDirectoryRemovedWhileRecording) {
  start_ticking_runtime();
  ScopedTempDir dir;
  // No one, root included, can create a file in a directory that is gone.
  std::filesystem::create_directory("gone");
  std::filesystem::current_path("gone");
  std::filesystem::remove(dir.path() + "/gone");
  expect_recording_refused();
}

TEST(ScriptFileFaults, CurrentDirectoryWithoutWritePermission) {
  start_ticking_runtime();
  ScopedTempDir dir;
  std::filesystem::create_directory("read-only");
  ASSERT_EQ(chmod("read-only", 0555), 0);
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  std::filesystem::current_path("read-only");
  constexpr uid_t nobody = 65534;
  const bool root = geteuid() == 0;
  ScopedEffectiveUser user(root ? nobody : geteuid());
  if (root && !user.ok())
    GTEST_SKIP() << "running as root and cannot take another user's rights, so permission bits "
                    "do not apply (the removed-directory case covers an unwritable directory)";
  ASSERT_NE(faccessat(AT_FDCWD, ".", W_OK, AT_EACCESS), 0);
  expect_recording_refused();
}

struct PlaybackFault {
  const char* name;
  std::function<void()> prepare;  // makes what lies at "VELKO.SCR"
  std::string events;
  std::vector<std::string> log;
  // The file afterwards: its content, or "<directory>" or "<none>".
  std::string after;
};

std::string what_lies_there() {
  if (std::filesystem::is_directory("VELKO.SCR"))
    return "<directory>";
  if (!file_exists("VELKO.SCR"))
    return "<none>";
  return read_file("VELKO.SCR");
}

TEST(ScriptFileFaults, PlaybackOfWhatIsNotAScript) {
  start_ticking_runtime();
  ScopedTempDir dir;
  const PlaybackFault faults[] = {
      {"a directory",
       [] { std::filesystem::create_directory("VELKO.SCR"); },
       "",
       {read_failed},
       "<directory>"},
      {"an empty file", [] { write_file("VELKO.SCR", ""); }, "", {eof_message}, ""},
      {"no file", [] {}, "", {cannot_read}, "<none>"},
      {"one line without its end",
       [] { write_file("VELKO.SCR", "VELKO_KBD(65);"); },
       "",
       {eof_message},
       "VELKO_KBD(65);"},
  };
  for (const PlaybackFault& fault : faults) {
    SCOPED_TRACE(fault.name);
    std::filesystem::remove_all("VELKO.SCR");
    fault.prepare();
    const std::size_t before = log_lines().size();
    EXPECT_EQ(play_to_end(), fault.events);
    EXPECT_EQ(new_log_lines(before), fault.log);
    EXPECT_EQ(playing + play_one, 0);
    EXPECT_FALSE(headless_menu_checked(run_menu, IDM_PLAYBACK));
    EXPECT_EQ(what_lies_there(), fault.after);
    close_script();
  }
  // A directory never leaves a stream behind: once the file is there, the
  // next playback reads it.
  std::filesystem::remove_all("VELKO.SCR");
  std::filesystem::create_directory("VELKO.SCR");
  EXPECT_EQ(play_to_end(), "");
  EXPECT_EQ(script_stream, nullptr);
  std::filesystem::remove("VELKO.SCR");
  write_file("VELKO.SCR", "VELKO_KBD(66);\n");
  EXPECT_EQ(play_to_end(), "K(66)");
}

TEST(ScriptFileFaults, FiftyMegabytesOfOneLinePlayInPieces) {
  start_ticking_runtime();
  ScopedTempDir dir;
  // Each read takes 511 characters; every piece here is a key line padded
  // with spaces, so the one line plays as 100,000 keys.
  std::string piece = "VELKO_KBD(65);";
  piece.resize(511, ' ');
  constexpr std::size_t pieces = 100000;
  std::string content;
  content.reserve(piece.size() * pieces + 1);
  for (std::size_t i = 0; i < pieces; ++i)
    content += piece;
  content += '\n';
  write_file("VELKO.SCR", content);

  run_menu_command(IDM_PLAYBACK);
  run_menu_command(IDM_ANIMATE);
  std::size_t keys = 0;
  std::size_t others = 0;
  for (;;) {
    const std::string event = next_event_text();
    if (!playing)
      break;
    ++(event == "K(65)" ? keys : others);
  }
  EXPECT_EQ(keys, pieces);
  EXPECT_EQ(others, 0u);
  EXPECT_EQ(log_lines(), std::vector<std::string>{eof_message});
  EXPECT_EQ(std::filesystem::file_size("VELKO.SCR"), content.size());
}

TEST(ScriptFileFaults, FileGrowingWhilePlayed) {
  start_ticking_runtime();
  ScopedTempDir dir;
  write_file("VELKO.SCR", "VELKO_KBD(49);\nVELKO_KBD(50);\n");
  run_menu_command(IDM_PLAYBACK);
  run_menu_command(IDM_ANIMATE);
  EXPECT_EQ(next_event_text(), "K(49)");
  // Lines added before the reader reaches the end are played.
  append_file("VELKO.SCR", "VELKO_MOUSE(5, 6);\nVELKO_KBD(5");
  EXPECT_EQ(next_event_text(), "K(50)");
  EXPECT_EQ(next_event_text(), "M(5,6)");
  // A line still being written is not played: it has no line end yet.
  EXPECT_EQ(next_event_text(), "P");
  EXPECT_EQ(playing, 0);
  EXPECT_EQ(log_lines(), std::vector<std::string>{eof_message});
  // Switching playback off and on again reads the grown file from its start.
  append_file("VELKO.SCR", "1);\n");
  run_menu_command(IDM_PLAYBACK);  // on: the stream is still open at its end
  run_menu_command(IDM_PLAYBACK);  // off: closed
  EXPECT_EQ(play_to_end(), "K(49) K(50) M(5,6) K(51)");
}

TEST(ScriptFileFaults, FileRemovedWhilePlayed) {
  start_ticking_runtime();
  ScopedTempDir dir;
  // Larger than the stream's buffer, so most of it is read after removal.
  std::string content;
  std::string expected;
  for (int i = 0; i < 2000; ++i) {
    content += "VELKO_MOUSE(" + std::to_string(i) + ", 7);\n";
    expected += (i == 0 ? "" : " ") + describe_event(VELKO_MOUSE, i, 7, 0);
  }
  content += "VELKO_PERIODIC(2);\n";
  expected += " P P";
  write_file("VELKO.SCR", content);
  run_menu_command(IDM_PLAYBACK);
  run_menu_command(IDM_ANIMATE);
  const std::string first = next_event_text();
  std::filesystem::remove("VELKO.SCR");
  // The open stream still reads what the file held.
  EXPECT_EQ(first + " " + take_while_playing(5000), expected);
  EXPECT_EQ(log_lines(), std::vector<std::string>{eof_message});
  close_script();
  EXPECT_EQ(play_to_end(), "");
  EXPECT_EQ(log_lines().back(), cannot_read);
  EXPECT_FALSE(file_exists("VELKO.SCR"));
}

// A file size limit stands in for a full disk: writes past it fail (with the
// signal that would end the process ignored).
class ScopedFileSizeLimit {
 public:
  explicit ScopedFileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &previous_);
    previous_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = previous_;
    limit.rlim_cur = bytes;
    ok_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
  }
  ~ScopedFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &previous_);
    std::signal(SIGXFSZ, previous_handler_);
  }
  bool ok() const { return ok_; }

 private:
  rlimit previous_{};
  void (*previous_handler_)(int) = SIG_DFL;
  bool ok_ = false;
};

TEST(ScriptFileFaults, FullDiskWhileRecordingIsReportedWhenTheFileCloses) {
  start_ticking_runtime();
  ScopedTempDir dir;
  constexpr std::size_t limit = 3000;
  std::string recorded;
  {
    ScopedFileSizeLimit full(limit);
    ASSERT_TRUE(full.ok());
    run_menu_command(IDM_RECORD);
    for (int i = 0; i < 500; ++i) {
      ASSERT_EQ(give_click(i, -i), describe_event(VELKO_MOUSE, i, -i, 0));
      recorded += "VELKO_MOUSE(" + std::to_string(i) + ", " + std::to_string(-i) + ");\n";
    }
    EXPECT_TRUE(log_lines().empty());  // buffered: nothing known yet
    run_menu_command(IDM_RECORD);
  }
  EXPECT_EQ(log_lines(), std::vector<std::string>{write_failed});
  EXPECT_EQ(recording, 0);
  // What reached the disk is the recording's beginning, cut at the limit;
  // the cut line has no line end, so playback stops before it.
  const std::string kept = read_file("VELKO.SCR");
  EXPECT_EQ(kept.size(), limit);
  EXPECT_EQ(kept, recorded.substr(0, limit));
  const std::size_t whole_lines = std::count(kept.begin(), kept.end(), '\n');
  const std::string played = play_to_end();
  EXPECT_EQ(static_cast<std::size_t>(std::count(played.begin(), played.end(), 'M')), whole_lines);
  EXPECT_EQ(log_lines().back(), eof_message);
}

// Recording and playback switched on together, in every order, with events
// between. Steps: R, P, O choose Record, Playback, Play One; c is a live
// click (the n-th click is at (n, n)); e takes one event, whatever comes.
struct Interleaving {
  const char* steps;
  std::string events;  // what the c and e steps delivered
  std::string after;   // the file afterwards
};

constexpr const char* initial_script = "VELKO_KBD(65);\nVELKO_KBD(66);\nVELKO_KBD(67);\n";

std::string run_steps(const char* steps) {
  std::string out;
  int clicks = 0;
  for (const char* s = steps; *s; ++s) {
    std::string event;
    switch (*s) {
      case 'R':
      case 'P':
      case 'O':
        run_menu_command(*s == 'R' ? IDM_RECORD : *s == 'P' ? IDM_PLAYBACK : IDM_PLAY_ONE);
        // Playback halts animation; with it on again, a call that finds
        // nothing to play ends with a tick instead of waiting for ever.
        run_menu_command(IDM_ANIMATE);
        break;
      case 'c':
        ++clicks;
        event = give_click(clicks, clicks);
        break;
      default:
        event = next_event_text();
        break;
    }
    if (!event.empty())
      out += (out.empty() ? "" : " ") + event;
  }
  return out;
}

TEST(ScriptFileFaults, RecordingAndPlaybackInEveryOrderNeverDamageTheFile) {
  start_runtime();
  ScopedTempDir dir;
  headless_set_auto_close(false);
  const std::string keys = initial_script;
  const Interleaving cases[] = {
      // Playback first: switching recording on ends playback; the new
      // recording replaces the script whole.
      {"PeRcR", "K(65) M(1,1)", "VELKO_MOUSE(1, 1);\n"},
      {"PeeRPe", "K(65) K(66) K(65)", keys},
      {"OeRcOe", "K(65) M(1,1) M(1,1)", "VELKO_MOUSE(1, 1);\n"},
      // Recording first: switching playback on ends the recording, which is
      // then played from its start.
      {"RccPee", "M(1,1) M(2,2) M(1,1) M(2,2)", "VELKO_MOUSE(1, 1);\nVELKO_MOUSE(2, 2);\n"},
      {"RcOeOe", "M(1,1) M(1,1) P", "VELKO_MOUSE(1, 1);\n"},
      // Switched on and off in quick turns.
      {"RPRPRcP", "M(1,1)", "VELKO_MOUSE(1, 1);\n"},
      {"PRPRPe", "K(65)", keys},
      {"OROROe", "K(65)", keys},
      {"RcPRcPe", "M(1,1) M(2,2) M(2,2)", "VELKO_MOUSE(2, 2);\n"},
  };
  for (const Interleaving& c : cases) {
    SCOPED_TRACE(c.steps);
    if (recording)
      run_menu_command(IDM_RECORD);
    if (playing)
      run_menu_command(IDM_PLAYBACK);
    close_script();
    run_menu_command(IDM_ANIMATE);  // so that a call with nothing to play gets a tick
    write_file("VELKO.SCR", initial_script);
    EXPECT_EQ(run_steps(c.steps), c.events);
    if (recording)
      run_menu_command(IDM_RECORD);
    close_script();
    EXPECT_EQ(read_file("VELKO.SCR"), c.after);
  }
}

}  // namespace
