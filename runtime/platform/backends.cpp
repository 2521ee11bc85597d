// The backends a build holds, and the choice among them. Which ones a build
// holds is told by VELKO_WITH_WIN32, VELKO_WITH_GTK, VELKO_WITH_WEB and
// VELKO_WITH_HEADLESS; the first of them is the default, so a desktop build
// opens its desktop backend unless VELKO_BACKEND asks for another.
#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/platform/backend.h"
#include "runtime/platform/observer.h"

namespace {

const PlatBackend* const backends[] = {
#if defined(VELKO_WITH_WIN32)
    &win32_backend,
#endif
#if defined(VELKO_WITH_GTK)
    &gtk_backend,
#endif
#if defined(VELKO_WITH_WEB)
    &web_backend,
#endif
#if defined(VELKO_WITH_HEADLESS)
    &headless_backend,
#endif
};
static_assert(sizeof backends > 0, "a build holds at least one backend");

// "gtk, headless": the names a build holds, for the message about a name it
// does not know.
std::string backend_names() {
  std::string names;
  for (const PlatBackend* backend : backends) {
    if (!names.empty())
      names += ", ";
    names += backend->name;
  }
  return names;
}

}  // namespace

const PlatBackend* plat = backends[0];
const PlatObserver* plat_observer = nullptr;

const char* plat_open() {
  static std::string why;
  const char* wanted = std::getenv("VELKO_BACKEND");
  if (wanted && *wanted) {
    const PlatBackend* found = nullptr;
    for (const PlatBackend* backend : backends) {
      if (std::strcmp(backend->name, wanted) == 0)
        found = backend;
    }
    if (!found) {
      why = std::string("VELKO_BACKEND names \"") + wanted +
            "\", which this program does not have (it has: " + backend_names() + ")";
      return why.c_str();
    }
    plat = found;
  }
  return plat->open();
}

void plat_fail(const char* message) {
  plat->fail(message ? message : "");
  std::exit(1);  // a backend's fail ends the process; this is only a backstop
}
