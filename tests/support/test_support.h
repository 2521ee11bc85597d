// Helpers shared by the test programs.
#pragma once

#include <string>
#include <vector>

#include "runtime/platform/platform.h"
#include "tests/support/files.h"

// Starts the runtime on the headless backend as a program entry would.
void start_runtime();

// The stored log lines, oldest first, exactly as stored (newlines included).
std::vector<std::string> log_lines();

// The surface pixel (0x00BBGGRR) at a runtime point, through the current origin.
PlatColor surface_at(int x, int y);

// A fresh TempDir made the current directory for the object's lifetime; the
// runtime's script file is closed before it goes.
class ScopedTempDir {
 public:
  ScopedTempDir();
  ~ScopedTempDir();
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;
  const std::string& path() const { return dir_.path(); }

 private:
  TempDir dir_;
  std::string previous_;
};

// The bytes a text stream writes for text: each newline becomes CR LF on
// Windows.
std::string text_file_bytes(const std::string& text);

// Sets an environment variable, or removes it for a null value. On Windows
// an empty value removes it too.
void set_environment(const char* name, const char* value);

// One delivered event, with the virtual time at which it came.
struct Event {
  int kind = 0;
  int x = 0;
  int y = 0;
  int key = 0;
  long long time_ms = 0;
};
Event next_event();

// Events until (and including) the first VELKO_QUIT, at most limit of them.
std::vector<Event> events_until_quit(int limit = 1000);

// Client pixel of a runtime point, through the current origin.
int client_x(int x);
int client_y(int y);
