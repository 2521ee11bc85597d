// The backend tables a build may hold, each defined in its backend's folder.
// The runtime's parts never see this header: they call through plat.
#pragma once

#include "runtime/platform/platform.h"

extern const PlatBackend headless_backend;
extern const PlatBackend gtk_backend;
extern const PlatBackend win32_backend;
extern const PlatBackend web_backend;
