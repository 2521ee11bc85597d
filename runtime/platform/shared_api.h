// The window system and our drawing, as the GTK backend sees them from a
// module of its own: the shared library loads the backend (velko/gtk.so
// beside it) only when a program opens it, so that a program run without a
// display never loads the toolkit. Their declarations go between these
// marks, which make them visible from outside the shared library, though
// they are not part of its interface (velko.h).
#pragma once

#if defined(__ELF__)
#define VELKO_SHARED_BEGIN _Pragma("GCC visibility push(default)")
#define VELKO_SHARED_END _Pragma("GCC visibility pop")
#else
#define VELKO_SHARED_BEGIN
#define VELKO_SHARED_END
#endif
