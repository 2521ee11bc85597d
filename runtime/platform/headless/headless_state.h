// What the headless backend keeps beside the window system: its clock, the
// actions scheduled on it, the screen size and its settings. Shared by the
// backend and its control interface.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

struct HeadlessScheduled {
  std::int64_t time;
  std::uint64_t order;  // keeps actions of the same time in the order they were given
  std::function<void()> action;
};

struct HeadlessState {
  std::vector<HeadlessScheduled> schedule;
  std::uint64_t schedule_order = 0;
  std::int64_t now = 0;
  int screen_width = 1024;
  int screen_height = 768;
  bool auto_close = true;
};

HeadlessState& headless_state();

// Runs the scheduled actions whose time has come, in order.
void headless_run_due_actions();
