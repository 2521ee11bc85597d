// The desktop program's entry point on Windows: the graphical entry, whose
// four values the designer hands on to the runtime unchanged. The system
// calls it by its C name; its handles are pointers and its command line a
// char pointer, so it is written here in those plain types.
#include "designer/designer.h"

extern "C" int __stdcall WinMain(void* instance, void* prev_instance, char* command_line,
                                 int show_mode) {
  return cone_main(instance, prev_instance, command_line, show_mode);
}
