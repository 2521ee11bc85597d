// Opening the display. The seam has no call for it, so the first call that
// needs the toolkit opens it; a program that cannot have one stops there with
// a plain message instead of failing later in every window call.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "runtime/platform/gtk/gtk_internal.h"

namespace {

const char* environment(const char* name) {
  const char* value = std::getenv(name);
  return value && *value ? value : nullptr;
}

[[noreturn]] void cannot_open(const std::string& reason) {
  const char* name = program_invocation_short_name;
  std::fprintf(stderr, "%s: cannot open a display: %s\n", name && *name ? name : "velko",
               reason.c_str());
  std::exit(1);
}

}  // namespace

void gb_open_display() {
  static bool open = false;
  if (open)
    return;
  const char* x_display = environment("DISPLAY");
  const char* wayland_display = environment("WAYLAND_DISPLAY");
  if (!x_display && !wayland_display)
    cannot_open("DISPLAY is not set");
  if (!gtk_init_check(nullptr, nullptr)) {
    std::string tried;
    if (wayland_display)
      tried += std::string("\"") + wayland_display + "\"";
    if (x_display)
      tried += std::string(tried.empty() ? "" : " or ") + "\"" + x_display + "\"";
    cannot_open("no display server answers at " + tried);
  }
  open = true;
}
