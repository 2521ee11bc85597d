// The transcript of a run under velko-check.
#include "runtime/platform/headless/check.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/platform/observer.h"
#include "runtime/platform/text_bytes.h"

#if defined(VELKO_CHECK_PICTURES)
#include "runtime/platform/render/png_writer.h"
#endif

namespace {

constexpr int EVENT_MOUSE = 1;
constexpr int EVENT_KBD = 2;
constexpr int EVENT_PERIODIC = 3;
constexpr int EVENT_QUIT = 4;

struct Check {
  bool active = false;
  bool finished = false;
  std::string folder;
  std::FILE* events = nullptr;
  std::FILE* log = nullptr;
  PlatCanvas* surface = nullptr;
  long long event_count = 0;
  bool closed_by_checker = false;
  bool quit_delivered = false;
  std::vector<long long> after;  // events after which to keep the window, ascending
  std::size_t next_after = 0;    // the first of them not yet kept
};

Check& check() {
  static Check state;
  return state;
}

std::string in_folder(const char* name) {
  return check().folder + "/" + name;
}

const PlatCanvas* (*exit_window)() = nullptr;

// VELKO_CHECK_AFTER: event numbers separated by commas; anything else in it
// (a number out of range, a stray character) is left out.
std::vector<long long> read_after() {
  std::vector<long long> after;
  const char* text = std::getenv("VELKO_CHECK_AFTER");
  if (!text)
    return after;
  long long n = 0;
  bool digits = false, bad = false;
  for (const char* p = text;; ++p) {
    if (*p >= '0' && *p <= '9') {
      if (!bad) {  // a number past the limit stops growing: no overflow
        n = n * 10 + (*p - '0');
        bad = n > 1000000000LL;
      }
      digits = true;
    } else if (*p == ',' || *p == '\0') {
      if (digits && !bad && n > 0)
        after.push_back(n);
      n = 0;
      digits = bad = false;
      if (*p == '\0')
        break;
    } else if (*p != ' ') {
      bad = true;
    }
  }
  std::sort(after.begin(), after.end());
  after.erase(std::unique(after.begin(), after.end()), after.end());
  return after;
}

// Keeps the window as after-N.png for each chosen N up to `events`.
void keep_window_up_to(long long events, const PlatCanvas* window) {
  Check& c = check();
  while (c.next_after < c.after.size() && c.after[c.next_after] <= events) {
    const long long n = c.after[c.next_after++];
#if defined(VELKO_CHECK_PICTURES)
    if (window && n == events) {
      const std::string name = "after-" + std::to_string(n) + ".png";
      render_write_png(window, in_folder(name.c_str()).c_str());
    }
#else
    (void)n;
    (void)window;
#endif
  }
}

void finish_at_exit() {
  check_finish("exit", exit_window ? exit_window() : nullptr);
}

}  // namespace

const char* check_open(const PlatCanvas* (*window_at_exit)()) {
  Check& c = check();
  if (c.active)
    return nullptr;
  const char* folder = std::getenv("VELKO_CHECK");
  if (!folder || !*folder)
    return nullptr;
  static std::string why;
  c.folder = folder;
  c.after = read_after();
  c.events = std::fopen(in_folder("events.txt").c_str(), "w");
  c.log = std::fopen(in_folder("log.txt").c_str(), "w");
  if (!c.events || !c.log) {
    why = "VELKO_CHECK names the folder \"" + c.folder + "\", which cannot take the transcript";
    return why.c_str();
  }
  c.active = true;
  static const PlatObserver observer{check_note_event, check_note_log_line};
  plat_observer = &observer;
  exit_window = window_at_exit;
  std::atexit(finish_at_exit);
  return nullptr;
}

bool check_active() {
  return check().active;
}

void check_note_event(int kind, int x, int y, int key) {
  Check& c = check();
  if (!c.active || c.finished)
    return;
  if (c.next_after < c.after.size() && exit_window)
    keep_window_up_to(c.event_count, exit_window());
  ++c.event_count;
  switch (kind) {
    case EVENT_MOUSE:
      std::fprintf(c.events, "VELKO_MOUSE(%d, %d);\n", x, y);
      break;
    case EVENT_KBD:
      std::fprintf(c.events, "VELKO_KBD(%d);\n", key & 0xFF);
      break;
    case EVENT_PERIODIC:
      std::fprintf(c.events, "VELKO_PERIODIC(1);\n");
      break;
    case EVENT_QUIT:
      c.quit_delivered = true;  // scripts have no line for it; end.txt tells
      break;
    default:
      break;
  }
  std::fflush(c.events);
}

// log.txt is UTF-8 whatever the program wrote: each line is read by the
// rule text is drawn by (text_bytes.h), so a Windows-1252 line is converted.
void check_note_log_line(const char* text) {
  Check& c = check();
  if (!c.active || c.finished)
    return;
  const std::string line = text_bytes::to_utf8(text, std::strlen(text));
  std::fputs(line.c_str(), c.log);
  if (line.empty() || line.back() != '\n')
    std::fputc('\n', c.log);
  std::fflush(c.log);
}

void check_note_surface(PlatCanvas* surface) {
  if (check().active && !check().surface)
    check().surface = surface;
}

void check_note_closed_by_checker() {
  check().closed_by_checker = true;
}

void check_finish(const char* how, const PlatCanvas* window) {
  Check& c = check();
  if (!c.active || c.finished)
    return;
  c.finished = true;
#if defined(VELKO_CHECK_PICTURES)
  if (c.surface)
    render_write_png(c.surface, in_folder("surface.png").c_str());
  if (window)
    render_write_png(window, in_folder("window.png").c_str());
#else
  (void)window;  // a build without PNG files leaves the pictures out
#endif
  keep_window_up_to(c.event_count, window);
  if (std::FILE* end = std::fopen(in_folder("end.txt").c_str(), "w")) {
    std::fprintf(end, "events %lld\nclosed_by_checker %d\nquit_delivered %d\nended %s\n",
                 c.event_count, c.closed_by_checker ? 1 : 0, c.quit_delivered ? 1 : 0, how);
    std::fclose(end);
  }
  std::fclose(c.events);
  std::fclose(c.log);
  c.events = nullptr;
  c.log = nullptr;
}
