// The desktop program's entry point on Windows: the graphical entry, whose
// four values the designer hands on to the runtime unchanged.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "designer/designer.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE prev_instance, LPSTR command_line, int show_mode) {
  return cone_main(instance, prev_instance, command_line, show_mode);
}
