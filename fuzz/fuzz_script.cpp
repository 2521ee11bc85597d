// The script reader and writer under arbitrary bytes as "VELKO.SCR".
//
// Each input is played through the real event stream and Run commands:
//   1. to the end continuously (Playback, with animation on so that the call
//      that finds the script over ends with a tick instead of waiting);
//   2. recording switched on and off with nothing delivered between: the
//      file must be untouched, and the stream is closed, so the next play
//      starts from the beginning;
//   3. to the end by repeated Play One: exactly the events of step 1;
//   4. the events of step 1 that a user could give (clicks on the client
//      area, any character, ticks) delivered live while recording, and the
//      recording played back: exactly those events again.
// Very long runs of ticks are cut off after MAX_EVENTS events.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "runtime/platform/headless/headless.h"
#include "runtime/velko.h"
#include "runtime/window/events.h"
#include "runtime/window/run_menu.h"
#include "runtime/window/script.h"
#include "runtime/window/window.h"

namespace {

constexpr std::size_t MAX_EVENTS = 1000;
// Live events recorded in step 4.
constexpr std::size_t MAX_RECORDED = 64;

struct Played {
  int kind = 0;
  int x = 0;
  int y = 0;
  unsigned char key = 0;
  bool operator==(const Played&) const = default;
};

std::string file_content() {
  std::ifstream in(SCRIPT_FILE_NAME, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void write_script(const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(SCRIPT_FILE_NAME, "wb");
  fuzz_require(file != nullptr, "the script file can be written");
  if (size > 0)
    std::fwrite(data, 1, size, file);
  std::fclose(file);
}

// One call of the event stream. The event came from the script exactly when
// the call did not wait: with animation on, anything else waits for a tick.
Played next_event(bool* scripted) {
  const int waits = headless_wait_count();
  Played e;
  char key = 0;
  e.kind = VELKO_next_event(&e.x, &e.y, &key);
  e.key = static_cast<unsigned char>(key);
  *scripted = headless_wait_count() == waits;
  if (*scripted) {
    fuzz_require(e.kind == VELKO_MOUSE || e.kind == VELKO_KBD || e.kind == VELKO_PERIODIC,
                 "a scripted event is a click, a key or a tick");
  } else {
    fuzz_require(e.kind == VELKO_PERIODIC, "without the script only ticks come");
  }
  return e;
}

std::vector<Played> play_continuously() {
  std::vector<Played> events;
  run_menu_command(IDM_PLAYBACK);
  run_menu_command(IDM_ANIMATE);
  while (events.size() < MAX_EVENTS) {
    bool scripted = false;
    const Played e = next_event(&scripted);
    fuzz_require(scripted == (playing == 1), "playback is on exactly while events come from it");
    if (!scripted)
      break;
    events.push_back(e);
  }
  fuzz_require(!headless_menu_checked(run_menu, IDM_PLAYBACK) || playing,
               "the Playback mark is off once playback ended");
  if (playing)
    run_menu_command(IDM_PLAYBACK);  // cut off
  run_menu_command(IDM_HALT);
  return events;
}

std::vector<Played> play_one_by_one() {
  std::vector<Played> events;
  while (events.size() < MAX_EVENTS) {
    run_menu_command(IDM_PLAY_ONE);
    run_menu_command(IDM_ANIMATE);
    bool scripted = false;
    const Played e = next_event(&scripted);
    fuzz_require(play_one == 0 && playing == 0, "Play One plays one event");
    if (!scripted)
      break;
    events.push_back(e);
  }
  run_menu_command(IDM_HALT);
  return events;
}

void record_on_and_off_untouched(const std::string& before) {
  run_menu_command(IDM_RECORD);
  fuzz_require(recording == 1 && playing == 0, "recording switched on, playback off");
  run_menu_command(IDM_RECORD);
  fuzz_require(recording == 0 && script_stream == nullptr, "recording off closes the stream");
  fuzz_require(file_content() == before, "recording nothing leaves the file untouched");
}

// Whether a user could give the event live: a click must land on the 16-bit
// client coordinates a button message carries.
bool can_be_given(const Played& e) {
  if (e.kind != VELKO_MOUSE)
    return true;
  const std::int64_t cx = std::int64_t{origin_x} + e.x;
  const std::int64_t cy = std::int64_t{origin_y} - e.y;
  return cx >= 0 && cx <= 0xFFFF && cy >= 0 && cy <= 0xFFFF;
}

void give(const Played& e) {
  if (e.kind == VELKO_MOUSE) {
    headless_click(origin_x + e.x, origin_y - e.y, graphics_window);
  } else if (e.kind == VELKO_KBD) {
    plat->post_message(graphics_window, PLAT_MSG_CHAR, e.key, 0);
  }
  // A tick is what the call waits for anyway.
}

// The lines the recorder writes for the events.
std::string script_text(const std::vector<Played>& events) {
  std::string text;
  char line[64];
  int run = 0;
  for (const Played& e : events) {
    if (e.kind == VELKO_PERIODIC) {
      ++run;
      continue;
    }
    if (run > 0) {
      std::snprintf(line, sizeof line, "VELKO_PERIODIC(%d);\n", run);
      text += line;
      run = 0;
    }
    if (e.kind == VELKO_MOUSE)
      std::snprintf(line, sizeof line, "VELKO_MOUSE(%d, %d);\n", e.x, e.y);
    else
      std::snprintf(line, sizeof line, "VELKO_KBD(%d);\n", e.key);
    text += line;
  }
  if (run > 0) {
    std::snprintf(line, sizeof line, "VELKO_PERIODIC(%d);\n", run);
    text += line;
  }
  return text;
}

void record_and_play_back(const std::vector<Played>& played) {
  std::vector<Played> given;
  for (const Played& e : played) {
    if (given.size() == MAX_RECORDED)
      break;
    if (!can_be_given(e))
      continue;
    // A live event carries only its own fields; the others are 0.
    Played live;
    live.kind = e.kind;
    if (e.kind == VELKO_MOUSE) {
      live.x = e.x;
      live.y = e.y;
    }
    if (e.kind == VELKO_KBD)
      live.key = e.key;
    given.push_back(live);
  }
  if (given.empty())
    return;
  run_menu_command(IDM_RECORD);
  run_menu_command(IDM_ANIMATE);
  for (const Played& e : given) {
    give(e);
    Played got;
    char key = 0;
    got.kind = VELKO_next_event(&got.x, &got.y, &key);
    got.key = static_cast<unsigned char>(key);
    fuzz_require(got == e, "a live event is delivered as given");
  }
  run_menu_command(IDM_HALT);
  run_menu_command(IDM_RECORD);
  fuzz_require(file_content() == script_text(given), "the recording holds one line per event");
  fuzz_require(play_continuously() == given, "a recording plays back as recorded");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzz_enter_scratch_dir(argc, argv);
  fuzz_start_runtime();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_reset_runtime_state();
  write_script(data, size);
  const std::string original(reinterpret_cast<const char*>(data), size);

  const std::vector<Played> continuous = play_continuously();
  fuzz_require(file_content() == original, "playing leaves the file untouched");
  record_on_and_off_untouched(original);
  fuzz_require(play_one_by_one() == continuous, "Play One plays what playback plays");
  record_and_play_back(continuous);
  return 0;
}
