// Someone who watches a run from inside the process: a tool that keeps a
// transcript of what the program was given and what it said (velko-check,
// through the headless backend's control interface, installs one). Nobody
// watches otherwise, and no backend has to know about it.
#pragma once

struct PlatObserver {
  // An event delivered to the program, of VELKO_next_event's kinds.
  void (*event)(int kind, int x, int y, int key) = nullptr;
  // A line written to the log window, as stored.
  void (*log_line)(const char* text) = nullptr;
};

// Null while nobody watches.
extern const PlatObserver* plat_observer;
