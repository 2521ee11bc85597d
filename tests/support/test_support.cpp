#include "tests/support/test_support.h"

#include <cstdlib>
#include <filesystem>

#include "runtime/log/log_window.h"
#include "runtime/platform/headless/headless.h"
#include "runtime/platform/render/render.h"
#include "runtime/velko.h"
#include "runtime/window/script.h"
#include "runtime/window/window.h"

void start_runtime() {
  VELKO_start(nullptr, nullptr, nullptr, PLAT_SW_SHOWNORMAL);
}

std::vector<std::string> log_lines() {
  std::vector<std::string> lines;
  if (log_first < 0)
    return lines;
  int i = log_first;
  do {
    lines.push_back(log_ring[i]);
    i = (i + 1) % LOG_RING_SIZE;
  } while (i != log_next);
  return lines;
}

PlatColor surface_at(int x, int y) {
  return render_canvas_pixel(surface_dc, origin_x + x, origin_y - y);
}

ScopedTempDir::ScopedTempDir() {
  if (dir_.path().empty())
    std::abort();
  previous_ = std::filesystem::current_path().string();
  std::filesystem::current_path(dir_.path());
}

ScopedTempDir::~ScopedTempDir() {
  // Windows removes no file that is still open: the runtime may hold the
  // script file.
  close_script();
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
}

std::string text_file_bytes(const std::string& text) {
#if defined(_WIN32)
  std::string bytes;
  for (char c : text) {
    if (c == '\n')
      bytes += '\r';
    bytes += c;
  }
  return bytes;
#else
  return text;
#endif
}

void set_environment(const char* name, const char* value) {
#if defined(_WIN32)
  // An empty value removes the variable there, so it cannot be set empty.
  _putenv_s(name, value ? value : "");
#else
  if (value)
    setenv(name, value, 1);
  else
    unsetenv(name);
#endif
}

Event next_event() {
  Event e;
  char key = 0;
  e.kind = VELKO_next_event(&e.x, &e.y, &key);
  e.key = static_cast<unsigned char>(key);
  e.time_ms = headless_now_ms();
  return e;
}

std::vector<Event> events_until_quit(int limit) {
  std::vector<Event> events;
  while (static_cast<int>(events.size()) < limit) {
    events.push_back(next_event());
    if (events.back().kind == VELKO_QUIT)
      break;
  }
  return events;
}

int client_x(int x) {
  return origin_x + x;
}
int client_y(int y) {
  return origin_y - y;
}
