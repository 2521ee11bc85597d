// A program on the runtime that misbehaves on purpose, as velko-check must
// be ready for: its argument says how.
//   crash      aborts at its third event
//   hang       never stops asking for events, quit or not
//   status     ends with status 3 at its first quit
//   early      draws, then ends at its second event, before its script
//   nostart    ends with status 0 without starting the runtime
//   text       logs the strings of the text table, UTF-8 or not
#include <cstdlib>
#include <cstring>

#include "runtime/velko.h"
#include "tests/support/text_table.h"

int main(int argc, char** argv) {
  const char* how = argc > 1 ? argv[1] : "";
  if (std::strcmp(how, "nostart") == 0)
    return 0;
  VELKO_start(nullptr, nullptr, nullptr, 1);
  VELKO_show_log(0);
  VELKO_wipe();
  VELKO_log("starting: %s\n", how);
  if (std::strcmp(how, "text") == 0) {
    for (const TextCase& t : text_cases())
      VELKO_log("%s\n", t.bytes.c_str());
  }
  int x = 0, y = 0;
  char key = 0;
  for (int events = 1;; ++events) {
    const int kind = VELKO_next_event(&x, &y, &key);
    VELKO_circle(BLUE, x, y, 5);
    if (std::strcmp(how, "crash") == 0 && events == 3)
      std::abort();
    if (std::strcmp(how, "early") == 0 && events == 2)
      break;
    if (kind == VELKO_QUIT && std::strcmp(how, "hang") != 0) {
      if (std::strcmp(how, "status") == 0)
        return 3;
      break;
    }
  }
  VELKO_finish();
  return 0;
}
