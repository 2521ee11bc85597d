// Shared by the fuzz targets: the scratch directory, starting and resetting
// the runtime on the headless backend, the input reader.
#include "fuzz/fuzz_support.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "runtime/log/log_window.h"
#include "runtime/platform/headless/headless.h"
#include "runtime/platform/render/render.h"
#include "runtime/velko.h"
#include "runtime/window/events.h"
#include "runtime/window/run_menu.h"
#include "runtime/window/script.h"
#include "runtime/window/window.h"

namespace {

std::string scratch_dir;

void remove_scratch_dir() {
  std::error_code ignored;
  std::filesystem::current_path("/", ignored);
  std::filesystem::remove_all(scratch_dir, ignored);
}

// The screen the fuzzed programs see: the log window takes its bottom third.
constexpr int SCREEN_WIDTH = 200;
constexpr int SCREEN_HEIGHT = 150;

// Sizes near which drawing code breaks: the surface, the client area and its
// centre, the text size limit, 16-bit client coordinates, the glyph and
// coordinate limits of the rasteriser.
constexpr std::array<std::int64_t, 16> interesting_sizes = {
    0, 1, 57, 127, 128, 248, 250, 297, 300, 496, 540, 595, 601, 1 << 15, 1 << 16, 1 << 30,
};

// The fuzzer's options whose value is a path.
constexpr std::array<const char*, 4> path_options = {
    "-artifact_prefix=",
    "-exact_artifact_path=",
    "-dict=",
    "-features_dir=",
};

std::string absolute_path(const std::string& path) {
  return path.empty() ? path : std::filesystem::absolute(path).string();
}

std::string absolute_argument(const std::string& arg) {
  if (arg.empty() || arg[0] != '-')
    return absolute_path(arg);
  for (const char* option : path_options) {
    const std::size_t n = std::strlen(option);
    if (arg.compare(0, n, option) == 0)
      return option + absolute_path(arg.substr(n));
  }
  return arg;
}

}  // namespace

void fuzz_enter_scratch_dir(int* argc, char*** argv) {
  static std::vector<std::string> arguments;
  static std::vector<char*> pointers;
  for (int i = 0; i < *argc; ++i)
    arguments.push_back(i == 0 ? (*argv)[i] : absolute_argument((*argv)[i]));
  for (std::string& arg : arguments)
    pointers.push_back(arg.data());
  pointers.push_back(nullptr);
  *argv = pointers.data();

  // Memory-backed when there is such a place: on a disk file system every
  // emptied script file can cost a write to the disk.
  std::error_code error;
  const bool shm =
      std::filesystem::is_directory("/dev/shm", error) && access("/dev/shm", W_OK) == 0;
  const std::filesystem::path base = shm ? "/dev/shm" : std::filesystem::temp_directory_path();
  std::string pattern = (base / "velko-fuzz-XXXXXX").string();
  if (!mkdtemp(pattern.data()))
    fuzz_fail("cannot make a scratch directory");
  scratch_dir = pattern;
  std::filesystem::current_path(scratch_dir);
  std::atexit(remove_scratch_dir);
}

void fuzz_use_small_screen() {
  headless_set_screen_size(SCREEN_WIDTH, SCREEN_HEIGHT);
}

void fuzz_start_runtime() {
  fuzz_use_small_screen();
  headless_set_auto_close(false);
  VELKO_start(nullptr, nullptr, nullptr, PLAT_SW_SHOWNORMAL);
}

void fuzz_reset_runtime_state() {
  recording = 0;  // so that closing writes nothing
  close_script();
  playing = 0;
  play_one = 0;
  periodic_run = 0;
  pending_kind = 0;
  event_x = 0;
  event_y = 0;
  event_key = 0;
  animate = 0;
  single_step = 0;
  tick = 0;
  quit_requested = 0;
  ctrl_down = 0;
  plat->check_menu_item(run_menu, IDM_RECORD, false);
  plat->check_menu_item(run_menu, IDM_PLAYBACK, false);
  plat->check_menu_item(run_menu, IDM_LOGGING, true);
  for (auto& line : log_ring)
    line.clear();
  log_first = -1;
  log_next = 0;
  logging_enabled = 1;
}

void fuzz_forget_runtime() {
  fuzz_reset_runtime_state();
  // The surface is the only canvas the runtime owns; window canvases go
  // with their windows.
  render_canvas_destroy(surface_dc);
  surface_dc = nullptr;
  window_dc = nullptr;
  graphics_window = nullptr;
  log_window = nullptr;
  run_menu = nullptr;
  origin_x = 0;
  origin_y = 0;
  surface_dirty = 1;
  headless_reset();
}

int fuzz_log_line_count() {
  if (log_first < 0)
    return 0;
  return log_first == log_next ? LOG_RING_SIZE
                               : (log_next - log_first + LOG_RING_SIZE) % LOG_RING_SIZE;
}

const std::string& fuzz_log_line(int index) {
  return log_ring[static_cast<std::size_t>((log_first + index) % LOG_RING_SIZE)];
}

void fuzz_fail(const char* what) {
  std::fprintf(stderr, "fuzz: property broken: %s\n", what);
  std::abort();
}

std::uint8_t FuzzInput::byte() {
  return pos_ < size_ ? data_[pos_++] : 0;
}

std::uint32_t FuzzInput::raw32() {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i)
    value = value << 8 | byte();
  return value;
}

std::int32_t FuzzInput::argument() {
  const std::uint8_t selector = byte();
  switch (selector % 16) {
    case 0:
      return INT_MIN;
    case 1:
      return INT_MAX;
    case 2:
      return 0;
    case 3:
      return -1;
    case 4:
      return 1;
    case 5:
    case 6:
    case 7:
    case 8:
    case 9:
    case 10:
    case 11: {
      // A size, either sign, moved by a little.
      const std::int64_t size = interesting_sizes[byte() % interesting_sizes.size()];
      const std::int64_t delta = static_cast<std::int8_t>(byte()) / 16;
      const std::int64_t value = (selector & 0x80 ? -size : size) + delta;
      return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
    }
    default:
      return static_cast<std::int32_t>(raw32());
  }
}

std::string FuzzInput::text(std::size_t max_length) {
  const std::size_t low = byte();
  const std::size_t high = byte();
  const std::size_t length = std::min(low | high << 8, max_length);
  std::string out;
  while (out.size() < length && !empty()) {
    const char c = static_cast<char>(byte());
    out += c == '\0' ? ' ' : c;
  }
  return out;
}
