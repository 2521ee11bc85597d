// Helpers for the desktop tests: a private X server, child processes, the
// window system's command-line tools (xdotool, ImageMagick) and captures.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tests/support/files.h"

// Starts Xvfb on a free display number and points DISPLAY at it; stops it
// when the object goes. An empty display() means it could not be started,
// and error() says why.
class PrivateDisplay {
 public:
  explicit PrivateDisplay(const char* screen = "1280x1024x24");
  ~PrivateDisplay();
  PrivateDisplay(const PrivateDisplay&) = delete;
  PrivateDisplay& operator=(const PrivateDisplay&) = delete;
  const std::string& display() const { return display_; }
  const std::string& error() const { return error_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
  std::string error_;
};

// The main of the desktop test programs: one private display for the process
// (each ctest case runs in a process of its own), then setup (when given; its
// false ends the program with status 1), then the tests. screen is Xvfb's
// WIDTHxHEIGHTxDEPTH.
int desktop_test_main(int argc, char** argv, bool (*setup)() = nullptr,
                      const char* screen = "1280x1024x24");

struct CommandResult {
  int status = -1;  // exit status, or -1 when it did not exit normally
  std::string out;  // standard output
};

// Runs a program (searched in PATH) and waits for it.
CommandResult run_command(const std::vector<std::string>& args);

// A program running in the background in a directory of its own, with its
// standard output and error in files there.
class Child {
 public:
  // env_changes: "NAME=value" sets, "NAME" alone unsets.
  Child(const std::string& program, const std::string& directory,
        const std::vector<std::string>& env_changes = {});
  // A command with its arguments; the program is searched in PATH.
  Child(const std::vector<std::string>& command, const std::string& directory,
        const std::vector<std::string>& env_changes = {});
  ~Child();  // kills the program if it still runs
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  // Waits for the exit; the exit status, or -1 on timeout or a signal.
  int wait_exit(int timeout_ms);
  bool running();
  pid_t pid() const { return pid_; }
  std::string stderr_text() const;

 private:
  pid_t pid_ = -1;
  bool reaped_ = false;
  int status_ = -1;
  std::string directory_;
};

// The marks of a VELKO_TIMING file, one "name value" a line; the values of
// one name stay in the file's order.
using TimingMarks = std::multimap<std::string, double>;
TimingMarks read_marks(const std::string& path);

// Milliseconds on a monotonic clock.
std::int64_t now_ms();
void sleep_ms(int ms);

// The X window id of the visible top-level window with exactly this title,
// found with xdotool; 0 when none appears within the timeout.
unsigned long find_window(const std::string& title, int timeout_ms);

// A captured picture in 8-bit RGB.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
  bool empty() const { return width == 0 || height == 0; }
  // The pixel as 0x00BBGGRR (the runtime's colour words); 0xFFFFFFFF outside.
  std::uint32_t at(int x, int y) const;
};

// The designer's panel in a capture: the top-left corner of its black
// outline, a black row exactly as wide as the panel (PANEL_LEFT..PANEL_RIGHT
// in designer/panel_layout.h) whose left end starts a black column as high as
// it (PANEL_TOP..PANEL_BOTTOM). False when the capture shows no panel. At a
// scale, every length is that many times longer.
bool find_panel_corner(const Image& image, int* x, int* y, int scale = 1);

// Captures a window (0: the whole screen) with ImageMagick's import.
Image capture(unsigned long window);

// Writes the picture as a PNG (through ImageMagick); answers the path.
std::string save_png(const Image& image, const std::string& path);

// Sets the X server's keyboard layout ("fr", "de") with setxkbmap; true when
// it took: setxkbmap reports it, and the key where a US keyboard has Q gives
// the key symbol expected there (for a letter, its character: 'a' in "fr").
bool use_keyboard_layout(const char* layout, unsigned long symbol_at_us_q);

// Sends the window the WM_DELETE_WINDOW request a window manager's close box
// sends. Answers false when the display cannot be opened.
bool send_close_request(unsigned long window);

// The part of a picture from (x, y), width x height (clipped to it).
Image crop(const Image& image, int x, int y, int width, int height);

// Whether scaled is original with every pixel a factor x factor block of the
// same colour, and scaled no larger; why says where it is not.
bool is_scaled_copy(const Image& scaled, const Image& original, int factor, std::string* why);

// The top-left pixel of every whole factor x factor block from (x, y) on.
Image pick_blocks(const Image& image, int x, int y, int factor);

// Whether the picture from (x, y) on is made of factor x factor blocks of one
// colour each; why says where it is not.
bool is_blocks(const Image& image, int x, int y, int factor, std::string* why);
