// The desktop program's entry point on Linux.
#include "designer/designer.h"

int main() {
  constexpr int show_normal = 1;  // the show mode of a window opened as usual
  return cone_main(nullptr, nullptr, nullptr, show_normal);
}
