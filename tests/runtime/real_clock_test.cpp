// The headless backend on the real clock (VELKO_HEADLESS_CLOCK=real), as the
// idle measurement runs it: virtual time follows the clock, the wait sleeps
// until the tick, and the run does not close its window by itself.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "runtime/platform/headless/headless.h"
#include "runtime/velko.h"
#include "tests/support/test_support.h"

TEST(HeadlessRealClock, TicksComeOnTheRealClock) {
  set_environment("VELKO_HEADLESS_CLOCK", "real");
  const auto start = std::chrono::steady_clock::now();
  start_runtime();
  VELKO_set_run_mode(VELKO_RUN_ANIMATE);
  for (int i = 0; i < 2; ++i)
    EXPECT_EQ(next_event().kind, VELKO_PERIODIC) << i;
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now() - start)
                           .count();
  // Two 100 ms ticks; virtual time went no further than the clock did.
  EXPECT_GE(elapsed, 195);
  EXPECT_GE(headless_now_ms(), 195);
  EXPECT_LE(headless_now_ms(), elapsed + 5);
  EXPECT_GE(headless_wait_count(), 2);
}
