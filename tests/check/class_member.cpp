// One student of a class as velko-check sees them: a ball that moves one
// step an event and a line in the log window for each. Its argument says how
// it goes wrong, if it does:
//   match     as the reference        pixel     one pixel more
//   colour    the ball in another colour
//   logline   one log line worded otherwise
//   animate   right up to the 5th event, then the ball moves faster
//   early     ends by itself at the 4th event
//   crash     aborts at the 4th event   hang      stops asking for events
//   print     prints without end        bigfile   writes a file without end
//   logs      writes to the log window without end
//   memory    allocates without end     fork      starts processes that stay
//   nostart   ends without starting the runtime
//   garbage   as the reference, but logs and prints bytes no report may
//             take as they are: invalid UTF-8, U+FFFF, controls, markup
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/velko.h"

int main(int argc, char** argv) {
  const char* how = argc > 1 ? argv[1] : "match";
  auto is = [how](const char* what) { return std::strcmp(how, what) == 0; };
  if (is("nostart"))
    return 0;
  VELKO_start(nullptr, nullptr, nullptr, 1);
  VELKO_show_log(0);
  VELKO_wipe();
  VELKO_set_run_mode(VELKO_RUN_ANIMATE);
  int x = 0, y = 0;
  char key = 0;
  for (int events = 1;; ++events) {
    if (VELKO_next_event(&x, &y, &key) == VELKO_QUIT)
      break;
    const int step = is("animate") && events > 5 ? 30 : 20;
    VELKO_rectangle(WHITE, -300, -250, 300, 250, 0);
    VELKO_circle(is("colour") ? BLUE : RED, -200 + events * step, 0, 15);
    if (is("pixel")) {
      VELKO_set_logging(0);  // the log window tells nothing of it
      VELKO_pixel(BLACK, 100, 100);
      VELKO_set_logging(1);
    }
    VELKO_log(is("logline") && events == 3 ? "event three\n" : "event %d\n", events);
    if (events == 1 && is("garbage")) {
      const char* const bad =
          "\xff\xfe \xef\xbf\xbf \x01\x1b[31m </pre><script>alert(1)</script> ]]>";
      VELKO_log("%s\n", bad);
      std::printf("%s\n", bad);
    }
    if (events == 4 && is("crash"))
      std::abort();
    if (events == 4 && is("early"))
      break;
    if (events == 2 && is("hang"))
      for (;;)
        pause();
    if (events == 2 && is("print"))
      for (;;)
        std::puts("still here");
    if (events == 2 && is("logs")) {
      const std::string line(2000, 'x');
      for (;;)
        VELKO_log("%s\n", line.c_str());
    }
    if (events == 2 && is("bigfile")) {
      std::FILE* file = std::fopen("big.txt", "w");
      for (;;)
        std::fputs("more and more of the same line\n", file);
    }
    if (events == 2 && is("memory")) {
      std::vector<char*> blocks;
      for (;;) {
        char* block = new char[64 << 20];  // address space, not touched: it fails fast
        block[0] = 1;
        blocks.push_back(block);
      }
    }
    if (events == 2 && is("fork")) {
      for (int i = 0; i < 40; ++i)
        if (fork() == 0)
          for (;;)
            pause();
      for (;;)
        pause();
    }
  }
  VELKO_finish();
  return 0;
}
