// The backends a build holds, and the choice among them. Which ones a build
// holds is told by VELKO_WITH_WIN32, VELKO_WITH_GTK (or, in the shared
// library, VELKO_WITH_GTK_MODULE), VELKO_WITH_WEB and VELKO_WITH_HEADLESS;
// the first of them is the default, so a desktop build opens its desktop
// backend unless VELKO_BACKEND asks for another.
#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/platform/backend.h"
#include "runtime/platform/observer.h"
#if defined(VELKO_WITH_GTK_MODULE)
#include <dlfcn.h>

#include "runtime/platform/render/render.h"
#include "runtime/platform/winsys/winsys.h"
#endif

namespace {

#if defined(VELKO_WITH_GTK_MODULE)
// The shared library's GTK backend: the window system it holds, opened by
// the module velko/gtk.so beside the library, which is loaded (and GTK with
// it) only now, so that a program run headless never maps the toolkit.
const char* open_gtk_module() {
  static std::string why;
  Dl_info library{};
  if (!dladdr(reinterpret_cast<const void*>(&open_gtk_module), &library) || !library.dli_fname) {
    why = "the GTK backend cannot be found: the runtime does not know its own file";
    return why.c_str();
  }
  const std::string self = library.dli_fname;
  const std::string module = self.substr(0, self.rfind('/') + 1) + "velko/gtk.so";
  void* handle = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* error = dlerror();
    why = "the GTK backend cannot be loaded: " + std::string(error ? error : module);
    return why.c_str();
  }
  using Open = const char* (*)();
  const auto open = reinterpret_cast<Open>(dlsym(handle, "velko_gtk_open"));
  if (!open) {
    why = "the GTK backend cannot be loaded: " + module + " has no velko_gtk_open";
    return why.c_str();
  }
  return open();
}

constinit const PlatBackend gtk_module_backend =
    winsys_backend("gtk", open_gtk_module, nullptr, &render_draw);
#endif

const PlatBackend* const backends[] = {
#if defined(VELKO_WITH_WIN32)
    &win32_backend,
#endif
#if defined(VELKO_WITH_GTK)
    &gtk_backend,
#endif
#if defined(VELKO_WITH_GTK_MODULE)
    &gtk_module_backend,
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
