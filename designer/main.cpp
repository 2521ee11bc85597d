// The desktop program's entry point on Linux.
#include "designer/designer.h"
#include "runtime/platform/platform.h"

int main() {
  return cone_main(nullptr, nullptr, nullptr, PLAT_SW_SHOWNORMAL);
}
