// Choosing the backend at run time, and the start that cannot open one.
#include "runtime/platform/backend.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "runtime/velko.h"
#include "tests/support/test_support.h"

namespace {

struct Choice {
  const char* wanted;  // VELKO_BACKEND, or null for unset
  const char* why;     // what plat_open answers; null when it opens
};

}  // namespace

TEST(Backend, TheEnvironmentPicksOneTheBuildHolds) {
  const Choice choices[] = {
      {nullptr, nullptr},
      {"", nullptr},
      {"headless", nullptr},
      {"gtk", "VELKO_BACKEND names \"gtk\", which this program does not have (it has: headless)"},
      {"Headless",
       "VELKO_BACKEND names \"Headless\", which this program does not have (it has: headless)"},
  };
  for (const Choice& choice : choices) {
    set_environment("VELKO_BACKEND", choice.wanted);
    const char* why = plat_open();
    if (choice.why) {
      ASSERT_NE(why, nullptr) << choice.wanted;
      EXPECT_EQ(std::string(why), choice.why);
    } else {
      EXPECT_EQ(why, nullptr) << (choice.wanted ? choice.wanted : "(unset)");
    }
    EXPECT_STREQ(plat->name, "headless");
    EXPECT_EQ(plat, &headless_backend);
  }
  set_environment("VELKO_BACKEND", nullptr);
}

TEST(BackendDeathTest, StartWithoutABackendSaysWhyAndEndsWithOne) {
  set_environment("VELKO_BACKEND", "win32");
  EXPECT_EXIT(start_runtime(), testing::ExitedWithCode(1),
              "VELKO_BACKEND names \"win32\", which this program does not have");
  set_environment("VELKO_BACKEND", nullptr);
}
