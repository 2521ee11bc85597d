// A program that ends as the key typed says, for the page's words on every
// way a run ends: x returns status 3 from main, a calls abort, t throws a
// std::runtime_error nobody catches, s throws a text, and m, c, d and u trap
// (a read outside memory, a call through a null pointer, a division by
// zero, unreachable code). Each waits first, as a student's program does.
#include <cstdlib>
#include <stdexcept>

#include "runtime/velko.h"

namespace {

// Volatile, so that the compiler leaves each fault for the program to meet.
int* volatile beyond_memory = reinterpret_cast<int*>(0x7FFFFFF0);
int (*volatile no_function)(int) = nullptr;
volatile int one = 1;
volatile int zero = 0;

int end_as(char key) {
  switch (key) {
    case 'x':
      return 3;
    case 'a':
      std::abort();
    case 't':
      throw std::runtime_error("the cone melted");
    case 's':
      throw "a text thrown";
    case 'm':
      return *beyond_memory;
    case 'c':
      return no_function(1);
    case 'd':
      return one / zero;
    case 'u':
      __builtin_trap();
    default:
      return -1;
  }
}

}  // namespace

int main() {
  VELKO_start(nullptr, nullptr, nullptr, 1);
  int x = 0, y = 0;
  char key = 0;
  while (VELKO_next_event(&x, &y, &key) != VELKO_QUIT) {
    const int status = end_as(key);
    if (status >= 0) {
      VELKO_finish();
      return status;
    }
  }
  VELKO_finish();
  return 0;
}
