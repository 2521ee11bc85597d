// Helpers for the desktop tests.
#include "tests/desktop/desktop_support.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

#include "designer/panel_layout.h"

namespace {

// Pointers into args, which must outlive them.
std::vector<char*> argv_of(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const auto& arg : args)
    argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  return argv;
}

void redirect(int fd, const std::string& path) {
  const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (file >= 0) {
    dup2(file, fd);
    close(file);
  }
}

}  // namespace

// ---------------------------------------------------------------------------

PrivateDisplay::PrivateDisplay(const char* screen) {
  int fds[2];
  if (pipe(fds) != 0) {
    error_ = "pipe failed";
    return;
  }
  pid_ = fork();
  if (pid_ == 0) {
    // The server goes with the test, however the test ends.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    close(fds[0]);
    redirect(1, "/dev/null");
    redirect(2, "/dev/null");
    const std::string fd = std::to_string(fds[1]);
    const std::vector<std::string> args{"Xvfb", "-displayfd", fd,    "-screen", "0",
                                        screen, "-nolisten",  "tcp", "-noreset"};
    auto argv = argv_of(args);
    execvp("Xvfb", argv.data());
    _exit(127);
  }
  close(fds[1]);
  // Xvfb writes the display number once it accepts connections.
  std::string number;
  pollfd poller{fds[0], POLLIN, 0};
  const std::int64_t deadline = now_ms() + 15000;
  while (now_ms() < deadline && number.find('\n') == std::string::npos) {
    if (poll(&poller, 1, 100) <= 0)
      continue;
    char buffer[32];
    const ssize_t got = read(fds[0], buffer, sizeof buffer);
    if (got <= 0)
      break;
    number.append(buffer, static_cast<std::size_t>(got));
  }
  close(fds[0]);
  if (number.empty() || number.find('\n') == std::string::npos) {
    error_ = "Xvfb did not start (is the xvfb package installed?)";
    return;
  }
  display_ = ":" + number.substr(0, number.find('\n'));
  setenv("DISPLAY", display_.c_str(), 1);
  unsetenv("WAYLAND_DISPLAY");
  setenv("GDK_BACKEND", "x11", 1);
}

PrivateDisplay::~PrivateDisplay() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
  }
}

int desktop_test_main(int argc, char** argv, bool (*setup)(), const char* screen) {
  testing::InitGoogleTest(&argc, argv);
  if (testing::GTEST_FLAG(list_tests))
    return RUN_ALL_TESTS();
  PrivateDisplay display(screen);
  if (display.display().empty()) {
    std::fprintf(stderr, "desktop tests: %s\n", display.error().c_str());
    return 1;
  }
  if (setup && !setup())
    return 1;
  return RUN_ALL_TESTS();
}

// ---------------------------------------------------------------------------

CommandResult run_command(const std::vector<std::string>& args) {
  CommandResult result;
  int fds[2];
  if (pipe(fds) != 0)
    return result;
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    dup2(fds[1], 1);
    close(fds[1]);
    redirect(2, "/dev/null");
    auto argv = argv_of(args);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  close(fds[1]);
  char buffer[65536];
  for (;;) {
    const ssize_t got = read(fds[0], buffer, sizeof buffer);
    if (got <= 0)
      break;
    result.out.append(buffer, static_cast<std::size_t>(got));
  }
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

// ---------------------------------------------------------------------------

Child::Child(const std::string& program, const std::string& directory,
             const std::vector<std::string>& env_changes)
    : Child(std::vector<std::string>{program}, directory, env_changes) {}

Child::Child(const std::vector<std::string>& command, const std::string& directory,
             const std::vector<std::string>& env_changes)
    : directory_(directory) {
  pid_ = fork();
  if (pid_ == 0) {
    if (chdir(directory.c_str()) != 0)
      _exit(126);
    for (const auto& change : env_changes) {
      const auto equals = change.find('=');
      if (equals == std::string::npos) {
        unsetenv(change.c_str());
      } else {
        setenv(change.substr(0, equals).c_str(), change.substr(equals + 1).c_str(), 1);
      }
    }
    redirect(1, "stdout.txt");
    redirect(2, "stderr.txt");
    auto argv = argv_of(command);
    execvp(argv[0], argv.data());
    _exit(127);
  }
}

Child::~Child() {
  if (pid_ > 0 && !reaped_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, &status_, 0);
  }
}

int Child::wait_exit(int timeout_ms) {
  const std::int64_t deadline = now_ms() + timeout_ms;
  while (!reaped_) {
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
      reaped_ = true;
      status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      break;
    }
    if (now_ms() >= deadline)
      return -1;
    sleep_ms(10);
  }
  return status_;
}

bool Child::running() {
  if (reaped_)
    return false;
  return wait_exit(0) == -1 && !reaped_;
}

std::string Child::stderr_text() const {
  return read_file(directory_ + "/stderr.txt");
}

// ---------------------------------------------------------------------------

TimingMarks read_marks(const std::string& path) {
  TimingMarks marks;
  std::ifstream in(path);
  std::string name;
  double value = 0;
  while (in >> name >> value)
    marks.emplace(name, value);
  return marks;
}

std::int64_t now_ms() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void sleep_ms(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

unsigned long find_window(const std::string& title, int timeout_ms) {
  const std::int64_t deadline = now_ms() + timeout_ms;
  do {
    const CommandResult found =
        run_command({"xdotool", "search", "--onlyvisible", "--name", "^" + title + "$"});
    if (found.status == 0 && !found.out.empty())
      return std::stoul(found.out);
    sleep_ms(50);
  } while (now_ms() < deadline);
  return 0;
}

// ---------------------------------------------------------------------------

bool find_panel_corner(const Image& image, int* corner_x, int* corner_y, int scale) {
  constexpr std::uint32_t black = 0;
  const int width = (PANEL_RIGHT - PANEL_LEFT + 1) * scale;
  const int height = (PANEL_TOP - PANEL_BOTTOM + 1) * scale;
  const auto is_black = [&](int x, int y) { return image.at(x, y) == black; };
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x + width <= image.width; ++x) {
      if (!is_black(x, y) || is_black(x - 1, y) || is_black(x + width, y))
        continue;
      bool outline = true;
      for (int i = 0; outline && i < width; ++i)
        outline = is_black(x + i, y);
      for (int i = 0; outline && i < height; ++i)
        outline = is_black(x, y + i);
      if (outline) {
        *corner_x = x;
        *corner_y = y;
        return true;
      }
    }
  }
  return false;
}

std::uint32_t Image::at(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height)
    return 0xFFFFFFFFu;
  const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
  return rgb[i] | (rgb[i + 1] << 8) | (static_cast<std::uint32_t>(rgb[i + 2]) << 16);
}

namespace {

// Reads one header number of a binary PPM, skipping blanks and comments.
bool ppm_number(const std::string& data, std::size_t& pos, int& value) {
  while (pos < data.size()) {
    if (data[pos] == '#') {
      while (pos < data.size() && data[pos] != '\n')
        ++pos;
    } else if (std::isspace(static_cast<unsigned char>(data[pos]))) {
      ++pos;
    } else {
      break;
    }
  }
  if (pos >= data.size() || !std::isdigit(static_cast<unsigned char>(data[pos])))
    return false;
  value = 0;
  while (pos < data.size() && std::isdigit(static_cast<unsigned char>(data[pos]))) {
    value = value * 10 + (data[pos++] - '0');
  }
  return true;
}

Image parse_ppm(const std::string& data) {
  Image image;
  if (data.size() < 2 || data[0] != 'P' || data[1] != '6')
    return image;
  std::size_t pos = 2;
  int width = 0, height = 0, max = 0;
  if (!ppm_number(data, pos, width) || !ppm_number(data, pos, height) ||
      !ppm_number(data, pos, max) || max != 255) {
    return image;
  }
  ++pos;  // the one blank after the header
  const std::size_t size = static_cast<std::size_t>(width) * height * 3;
  if (data.size() < pos + size)
    return image;
  image.width = width;
  image.height = height;
  image.rgb.assign(data.begin() + static_cast<std::ptrdiff_t>(pos),
                   data.begin() + static_cast<std::ptrdiff_t>(pos + size));
  return image;
}

}  // namespace

Image capture(unsigned long window) {
  const std::string id = window ? std::to_string(window) : "root";
  return parse_ppm(run_command({"import", "-window", id, "-depth", "8", "ppm:-"}).out);
}

std::string save_png(const Image& image, const std::string& path) {
  std::string ppm =
      "P6\n" + std::to_string(image.width) + " " + std::to_string(image.height) + "\n255\n";
  ppm.append(image.rgb.begin(), image.rgb.end());
  const std::string ppm_path = path + ".ppm";
  write_file(ppm_path, ppm);
  run_command({"convert", ppm_path, path});
  std::remove(ppm_path.c_str());
  return path;
}

Image crop(const Image& image, int x, int y, int width, int height) {
  Image part;
  const int x0 = std::max(0, x), y0 = std::max(0, y);
  const int x1 = std::min(image.width, x + width), y1 = std::min(image.height, y + height);
  if (x1 <= x0 || y1 <= y0)
    return part;
  part.width = x1 - x0;
  part.height = y1 - y0;
  for (int row = y0; row < y1; ++row) {
    const auto from = image.rgb.begin() + (static_cast<std::ptrdiff_t>(row) * image.width + x0) * 3;
    part.rgb.insert(part.rgb.end(), from, from + part.width * 3);
  }
  return part;
}

bool is_scaled_copy(const Image& scaled, const Image& original, int factor, std::string* why) {
  if (scaled.width != original.width * factor || scaled.height != original.height * factor) {
    *why = "sizes " + std::to_string(scaled.width) + "x" + std::to_string(scaled.height) + " and " +
           std::to_string(original.width) + "x" + std::to_string(original.height);
    return false;
  }
  for (int y = 0; y < scaled.height; ++y) {
    for (int x = 0; x < scaled.width; ++x) {
      if (scaled.at(x, y) != original.at(x / factor, y / factor)) {
        char text[128];
        std::snprintf(text, sizeof text, "pixel (%d, %d) is %06X, not %06X as (%d, %d) at 1x", x, y,
                      scaled.at(x, y), original.at(x / factor, y / factor), x / factor, y / factor);
        *why = text;
        return false;
      }
    }
  }
  return true;
}

Image pick_blocks(const Image& image, int x0, int y0, int factor) {
  Image picked;
  picked.width = std::max(0, (image.width - x0) / factor);
  picked.height = std::max(0, (image.height - y0) / factor);
  for (int y = 0; y < picked.height; ++y) {
    for (int x = 0; x < picked.width; ++x) {
      const std::uint32_t c = image.at(x0 + factor * x, y0 + factor * y);
      picked.rgb.insert(picked.rgb.end(), {static_cast<std::uint8_t>(c & 0xFF),
                                           static_cast<std::uint8_t>((c >> 8) & 0xFF),
                                           static_cast<std::uint8_t>((c >> 16) & 0xFF)});
    }
  }
  return picked;
}

bool is_blocks(const Image& image, int x0, int y0, int factor, std::string* why) {
  const Image picked = pick_blocks(image, x0, y0, factor);
  return is_scaled_copy(crop(image, x0, y0, picked.width * factor, picked.height * factor), picked,
                        factor, why);
}
