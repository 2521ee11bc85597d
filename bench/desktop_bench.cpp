// The desktop program on a private X server, and the same program on the
// headless backend: start-up, click latency, processor use while idle, and
// memory. Prints its figures as "name value" lines.
//
//   velko_desktop_bench path/to/velko-cone [path/to/polling/velko-cone]
//
// Start-up is measured twice: inside the program (VELKO_TIMING, the end of
// the first draw that paints the cone's brown) and from outside, polling one
// pixel of the cone on the screen through Xlib every millisecond. Latency is
// measured inside, from the toolkit's button-press event to the end of the
// draw that shows the redraw, over 200 clicks that add and remove a scoop.
// Idle is the processor time of the designer animating for 10 s, as a share
// of one core (the median of three runs), on GTK and on the headless backend running on the real
// clock; the polling build, when given, is measured beside it.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_clock.h"
#include "designer/panel_layout.h"
#include "runtime/draw/palette.h"
#include "tests/desktop/desktop_support.h"
#include "tests/support/client_origin.h"

namespace {

// Runtime point (0, -100) is in the cone.
constexpr int CONE_X = CLIENT_ORIGIN_X;
constexpr int CONE_Y = CLIENT_ORIGIN_Y + 100;

std::int64_t monotonic_us() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

std::string brown_hex() {
  const PlatColor c = palette_rgb[BROWN];  // 0x00BBGGRR
  char text[8];
  std::snprintf(text, sizeof text, "%02X%02X%02X", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
  return text;
}

// The first value of the name in a timing file, or -1.
double first_of(const TimingMarks& marks, const std::string& name) {
  const auto first = marks.lower_bound(name);
  return first != marks.end() && first->first == name ? first->second : -1;
}

double percentile(std::vector<double> v, double p) {
  if (v.empty())
    return 0;
  std::sort(v.begin(), v.end());
  const auto i = static_cast<std::size_t>(p / 100.0 * static_cast<double>(v.size() - 1) + 0.5);
  return v[std::min(i, v.size() - 1)];
}

void print(const char* name, double value) {
  std::printf("%s %.3f\n", name, value);
  std::fflush(stdout);
}

// The screen pixel as 0x00RRGGBB.
unsigned long screen_pixel(Display* display, int x, int y) {
  XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, 1, 1, AllPlanes, ZPixmap);
  if (!image)
    return 0;
  const unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
  XDestroyImage(image);
  return pixel;
}

// How far below the window's top the client area starts (the menu bar),
// from the window's height as the window system has it.
int client_top(unsigned long window) {
  const CommandResult geometry =
      run_command({"xdotool", "getwindowgeometry", std::to_string(window)});
  const auto at = geometry.out.find("Geometry: ");
  if (at == std::string::npos)
    return 0;
  int width = 0, height = 0;
  std::sscanf(geometry.out.c_str() + at, "Geometry: %dx%d", &width, &height);
  return std::max(0, height - CLIENT_HEIGHT);
}

std::vector<std::string> timing_env(const std::string& file, std::int64_t t0) {
  return {"VELKO_TIMING=" + file, "VELKO_TIMING_T0=" + std::to_string(t0),
          "VELKO_TIMING_WATCH=" + std::to_string(CONE_X) + "," + std::to_string(CONE_Y) + "," +
              brown_hex(),
          "VELKO_BACKEND"};
}

struct StartUp {
  double inside_ms = -1;
  double outside_ms = -1;
  TimingMarks marks;
};

StartUp start_once(const std::string& program, Display* display, int top) {
  StartUp result;
  TempDir dir;
  const std::string file = dir.path() + "/timing.txt";
  const unsigned long brown = std::strtoul(brown_hex().c_str(), nullptr, 16);
  const std::int64_t t0 = monotonic_us();
  Child app(program, dir.path(), timing_env(file, t0));
  while (monotonic_us() - t0 < 5000000) {
    if (screen_pixel(display, CONE_X, top + CONE_Y) == brown) {
      result.outside_ms = static_cast<double>(monotonic_us() - t0) / 1000.0;
      break;
    }
    usleep(1000);
  }
  for (int i = 0; i < 500 && result.inside_ms < 0; ++i) {
    result.marks = read_marks(file);
    result.inside_ms = first_of(result.marks, "scene");
    if (result.inside_ms < 0)
      sleep_ms(10);
  }
  return result;
}

// The processor time of a process in seconds, from /proc.
double cpu_seconds(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(in, line);
  const auto close = line.rfind(')');
  if (close == std::string::npos)
    return 0;
  std::istringstream fields(line.substr(close + 2));
  std::string field;
  double utime = 0, stime = 0;
  for (int i = 3; fields >> field; ++i) {
    if (i == 14)
      utime = std::stod(field);
    if (i == 15) {
      stime = std::stod(field);
      break;
    }
  }
  return (utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Resident and private (resident minus shared) memory in MB.
void memory_mb(pid_t pid, double* resident, double* unshared) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/statm");
  long size = 0, rss = 0, shared = 0;
  in >> size >> rss >> shared;
  const double page = static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
  *resident = static_cast<double>(rss) * page;
  *unshared = static_cast<double>(rss - shared) * page;
}

// Share of one core used over seconds of idling, after a settling second.
double idle_share(pid_t pid, int seconds) {
  sleep_ms(1000);
  const double before = cpu_seconds(pid);
  sleep_ms(seconds * 1000);
  return (cpu_seconds(pid) - before) / seconds * 100.0;
}

void measure_start_up(const std::string& program, Display* display, int top, int runs) {
  std::vector<double> inside, outside;
  std::vector<std::string> names = {"toolkit", "windows", "fonts", "first_draw"};
  std::vector<std::vector<double>> marks(names.size());
  for (int i = 0; i < runs; ++i) {
    const StartUp s = start_once(program, display, top);
    if (s.inside_ms >= 0)
      inside.push_back(s.inside_ms);
    if (s.outside_ms >= 0)
      outside.push_back(s.outside_ms);
    for (std::size_t k = 0; k < names.size(); ++k) {
      const double v = first_of(s.marks, names[k]);
      if (v >= 0)
        marks[k].push_back(v);
    }
  }
  print("startup_runs", runs);
  print("startup_inside_ms", median_of(inside));
  print("startup_inside_min_ms",
        inside.empty() ? 0 : *std::min_element(inside.begin(), inside.end()));
  print("startup_inside_max_ms",
        inside.empty() ? 0 : *std::max_element(inside.begin(), inside.end()));
  print("startup_outside_ms", median_of(outside));
  print("startup_outside_min_ms",
        outside.empty() ? 0 : *std::min_element(outside.begin(), outside.end()));
  print("startup_outside_max_ms",
        outside.empty() ? 0 : *std::max_element(outside.begin(), outside.end()));
  for (std::size_t k = 0; k < names.size(); ++k)
    print(("startup_" + names[k] + "_ms").c_str(), median_of(marks[k]));
}

void measure_latency(const std::string& program, int top, int clicks) {
  TempDir dir;
  const std::string file = dir.path() + "/timing.txt";
  Child app(program, dir.path(), timing_env(file, monotonic_us()));
  const unsigned long window = find_window("VELKO Graphics", 10000);
  if (window == 0)
    return;
  sleep_ms(500);
  // Add Scoop and Remove Scoop in turn: every click changes the picture.
  for (int i = 0; i < clicks; ++i) {
    const int y = top + CLIENT_ORIGIN_Y - button_y(i % 2 == 0 ? ADD_SCOOP : REMOVE_SCOOP);
    run_command({"xdotool", "mousemove", "--window", std::to_string(window),
                 std::to_string(CLIENT_ORIGIN_X + BUTTON_X), std::to_string(y), "click", "1"});
    sleep_ms(30);
  }
  sleep_ms(300);
  std::vector<double> latencies;
  for (const auto& [name, value] : read_marks(file)) {
    if (name == "click")
      latencies.push_back(value / 1000.0);
  }
  print("click_count", static_cast<double>(latencies.size()));
  print("click_median_ms", median_of(latencies));
  print("click_p99_ms", percentile(latencies, 99));
  print("click_max_ms", percentile(latencies, 100));
}

// Runs of 10 s each, in fresh processes: the figure is their median, with
// the least and the most beside it.
void measure_idle(const char* name, const std::string& program, const std::vector<std::string>& env,
                  int runs) {
  std::vector<double> shares;
  double resident = 0, unshared = 0;
  for (int i = 0; i < runs; ++i) {
    TempDir dir;
    Child app(program, dir.path(), env);
    sleep_ms(500);
    shares.push_back(idle_share(app.pid(), 10));
    memory_mb(app.pid(), &resident, &unshared);
  }
  const std::string idle = std::string("idle_") + name;
  print((idle + "_pct").c_str(), median_of(shares));
  print((idle + "_min_pct").c_str(), *std::min_element(shares.begin(), shares.end()));
  print((idle + "_max_pct").c_str(), *std::max_element(shares.begin(), shares.end()));
  print((std::string("memory_") + name + "_resident_mb").c_str(), resident);
  print((std::string("memory_") + name + "_private_mb").c_str(), unshared);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s path/to/velko-cone [path/to/polling/velko-cone]\n", argv[0]);
    return 2;
  }
  // The programs run in directories of their own.
  const std::string program = std::filesystem::absolute(argv[1]).string();
  const std::string polling = argc > 2 ? std::filesystem::absolute(argv[2]).string() : "";
  PrivateDisplay server;
  if (server.display().empty()) {
    std::fprintf(stderr, "velko_desktop_bench: %s\n", server.error().c_str());
    return 1;
  }
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "velko_desktop_bench: cannot open %s\n", server.display().c_str());
    return 1;
  }
  // A first run warms the file cache and tells where the client area lies.
  int top = 0;
  {
    TempDir dir;
    Child app(program, dir.path(), {"VELKO_BACKEND"});
    const unsigned long window = find_window("VELKO Graphics", 10000);
    if (window == 0) {
      std::fprintf(stderr, "velko_desktop_bench: no window; %s\n", app.stderr_text().c_str());
      return 1;
    }
    top = client_top(window);
  }
  measure_start_up(program, display, top, 9);
  measure_latency(program, top, 200);
  const std::vector<std::string> gtk = {"VELKO_BACKEND"};
  const std::vector<std::string> headless = {"VELKO_BACKEND=headless", "VELKO_HEADLESS_CLOCK=real"};
  measure_idle("gtk", program, gtk, 3);
  measure_idle("headless", program, headless, 3);
  if (!polling.empty()) {
    measure_idle("gtk_polling", polling, gtk, 1);
    measure_idle("headless_polling", polling, headless, 1);
  }
  XCloseDisplay(display);
  return 0;
}
