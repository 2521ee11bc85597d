// The message a program gets when it cannot run at all (no display, say): on
// standard error, after the program's name, as command-line programs say it.
#include <cstdio>
#include <cstdlib>

#include "runtime/platform/winsys/winsys.h"

#if defined(__GLIBC__)
#include <cerrno>
#endif

namespace {

const char* program_name() {
#if defined(__GLIBC__)
  const char* name = program_invocation_short_name;
  if (name && *name)
    return name;
#endif
  return "velko";
}

}  // namespace

void winsys_fail(const char* message) {
  std::fprintf(stderr, "%s: %s\n", program_name(), message ? message : "");
  std::fflush(stderr);
  std::exit(1);
}
