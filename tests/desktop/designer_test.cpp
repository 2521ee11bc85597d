// End-to-end scenarios: the real velko-cone on a private X server, driven
// with xdotool and checked on captures of its window and on VELKO.SCR.
//
// Where the client area lies inside the captured window is measured, not
// assumed: the panel's black outline has its top-left corner at the runtime
// point (-295, 245), which is client pixel (2, 3).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <regex>
#include <sstream>

#include "runtime/draw/palette.h"
#include "tests/desktop/desktop_support.h"
#include "tests/support/ink.h"

namespace {

constexpr int CLIENT_WIDTH = 595;
constexpr int CLIENT_HEIGHT = 496;
constexpr int ORIGIN_X = CLIENT_WIDTH / 2;
constexpr int ORIGIN_Y = CLIENT_HEIGHT / 2;

std::string hex(std::uint32_t color) {
  char text[16];
  std::snprintf(text, sizeof text, "%06X", color);
  return text;
}

class Designer : public testing::Test {
 protected:
  void TearDown() override {
    if (!HasFailure())
      return;
    if (shot.empty() && window != 0)
      shot = capture(window);
    if (shot.empty())
      return;
    std::filesystem::create_directories(VELKO_ARTIFACT_DIR);
    const std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
    const std::string path = save_png(shot, std::string(VELKO_ARTIFACT_DIR) + "/" + name + ".png");
    std::printf("screenshot of the failing scenario kept in %s\n", path.c_str());
  }

  // Starts the designer and waits for its first scene.
  void start() {
    app = std::make_unique<Child>(VELKO_CONE_PATH, dir.path());
    window = find_window("VELKO Graphics", 10000);
    ASSERT_NE(window, 0u) << "no window; stderr: " << app->stderr_text();
    ASSERT_TRUE(wait_until([this] { return measure_client(); }, 5000))
        << "the designer's scene did not appear";
  }

  // Finds the panel outline's top-left corner in the last capture: a black
  // row of exactly 111 pixels (x -295..-185) whose left end starts a black
  // column of 176 pixels (y 245..70).
  bool measure_client() {
    const auto black = [this](int x, int y) { return shot.at(x, y) == palette_rgb[BLACK]; };
    for (int y = 0; y < shot.height; ++y) {
      for (int x = 0; x + 111 <= shot.width; ++x) {
        if (!black(x, y) || black(x - 1, y) || black(x + 111, y))
          continue;
        bool outline = true;
        for (int i = 0; outline && i < 111; ++i)
          outline = black(x + i, y);
        for (int i = 0; outline && i < 176; ++i)
          outline = black(x, y + i);
        if (!outline)
          continue;
        client_x = x - 2;
        client_y = y - 3;
        return true;
      }
    }
    return false;
  }

  // Captures until the check holds or the time is up.
  bool wait_until(const std::function<bool()>& check, int timeout_ms = 3000) {
    const std::int64_t deadline = now_ms() + timeout_ms;
    do {
      shot = capture(window);
      if (!shot.empty() && check())
        return true;
      sleep_ms(50);
    } while (now_ms() < deadline);
    return false;
  }

  int image_x(int x) const { return client_x + ORIGIN_X + x; }
  int image_y(int y) const { return client_y + ORIGIN_Y - y; }
  std::uint32_t at(int x, int y) const { return shot.at(image_x(x), image_y(y)); }
  bool is(int x, int y, int color) const { return at(x, y) == palette_rgb[color]; }

  // Glyph ink of one colour on the status line (glyphs are antialiased).
  int status_pixels(int color) const {
    int n = 0;
    for (int y = -245; y <= -205; ++y) {
      for (int x = -130; x <= 290; ++x)
        n += is_ink_of(at(x, y), palette_rgb[color]);
    }
    return n;
  }

  void expect_color(int x, int y, int color, int timeout_ms = 3000) {
    EXPECT_TRUE(wait_until([&] { return is(x, y, color); }, timeout_ms))
        << "at (" << x << ", " << y << ") wanted " << hex(palette_rgb[color]) << ", got "
        << hex(at(x, y));
  }

  void click(int x, int y, int repeat = 1) {
    run_command({"xdotool", "mousemove", "--window", std::to_string(window),
                 std::to_string(image_x(x)), std::to_string(image_y(y)), "click", "--repeat",
                 std::to_string(repeat), "--delay", "60", "1"});
  }

  // Keys by xdotool's names ("ctrl+r", "Tab"), typed into the graphics window.
  void keys(const std::vector<std::string>& names) {
    run_command({"xdotool", "windowfocus", "--sync", std::to_string(window)});
    std::vector<std::string> args{"xdotool", "key", "--delay", "30"};
    args.insert(args.end(), names.begin(), names.end());
    run_command(args);
  }

  // Halts animation and lets the periodic wait in progress end.
  void halt() {
    keys({"ctrl+h"});
    sleep_ms(400);
  }

  std::string script() const { return read_text(dir.path() + "/VELKO.SCR"); }

  // Waits for the script file to hold what the check wants (it is written
  // when recording stops).
  bool wait_for_script(const std::function<bool(const std::string&)>& check) {
    const std::int64_t deadline = now_ms() + 3000;
    do {
      if (check(script()))
        return true;
      sleep_ms(50);
    } while (now_ms() < deadline);
    return false;
  }

  TempDir dir;
  std::unique_ptr<Child> app;
  unsigned long window = 0;
  Image shot;
  int client_x = 0;
  int client_y = 0;
};

// The lines of a script without its PERIODIC lines; every PERIODIC line must
// carry a positive count.
std::vector<std::string> non_periodic_lines(const std::string& text, int* periodic_lines) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  const std::regex periodic(R"(VELKO_PERIODIC\(([0-9]+)\);)");
  *periodic_lines = 0;
  while (std::getline(in, line)) {
    std::smatch m;
    if (std::regex_match(line, m, periodic) && std::stoi(m[1]) > 0) {
      ++*periodic_lines;
    } else {
      lines.push_back(line);
    }
  }
  return lines;
}

}  // namespace

TEST_F(Designer, SceneInTheWindowAndClicksThatChangeIt) {
  ASSERT_NO_FATAL_FAILURE(start());
  // The client area is 595 x 496 under the menu bar, filling the window's width.
  EXPECT_EQ(shot.width, CLIENT_WIDTH);
  EXPECT_EQ(client_x, 0);
  EXPECT_GT(client_y, 0);
  EXPECT_EQ(client_y + CLIENT_HEIGHT, shot.height);

  EXPECT_TRUE(is(0, -100, BROWN)) << hex(at(0, -100));  // the cone
  EXPECT_TRUE(is(0, 10, BROWN));                        // over the bottom scoop's lower half
  EXPECT_TRUE(is(0, 60, ICE_BLUE)) << hex(at(0, 60));   // the bottom scoop
  EXPECT_TRUE(is(0, 110, WHITE));                       // one scoop only
  EXPECT_TRUE(is(-295, 200, BLACK));                    // the panel's outline
  EXPECT_TRUE(is(-185, 100, BLACK));
  EXPECT_TRUE(is(-240, 220, BLACK));  // the edge between the first two buttons
  EXPECT_TRUE(is(250, 0, WHITE));
  EXPECT_GT(status_pixels(BLUE), 50);  // "Click on the cone to add a topping"
  EXPECT_EQ(status_pixels(RED), 0);

  click(-240, 232);  // Add Scoop
  expect_color(0, 110, TURQUOISE);
  click(30, 60);  // a topping: a red disc, selected
  expect_color(24, 60, RED);
  EXPECT_TRUE(is(30, 66, RED));
  EXPECT_GT(status_pixels(RED), 50);  // "Topping selected. ..."
  EXPECT_EQ(status_pixels(BLUE), 0);
  click(-240, 107);  // Change Color: red becomes green
  expect_color(24, 60, GREEN);
}

TEST_F(Designer, DoubleClickIsTwoClicks) {
  ASSERT_NO_FATAL_FAILURE(start());
  click(10, 40);
  expect_color(4, 40, RED);
  click(-240, 107, 2);  // Change Color twice: red (2) becomes blue (4), not yellow (5)
  expect_color(4, 40, BLUE);
  sleep_ms(300);
  shot = capture(window);
  EXPECT_TRUE(is(4, 40, BLUE)) << hex(at(4, 40));
}

TEST_F(Designer, RecordingClicksWritesExactLines) {
  ASSERT_NO_FATAL_FAILURE(start());
  halt();
  keys({"ctrl+r"});
  click(10, 40);
  expect_color(4, 40, RED);
  click(-240, 107);
  expect_color(4, 40, GREEN);
  keys({"ctrl+r"});
  EXPECT_TRUE(wait_for_script([](const std::string& text) { return !text.empty(); }));
  EXPECT_EQ(script(), "VELKO_MOUSE(10, 40);\nVELKO_MOUSE(-240, 107);\n");
}

TEST_F(Designer, RecordingWhileAnimatingWritesPeriodicRuns) {
  ASSERT_NO_FATAL_FAILURE(start());
  keys({"ctrl+r"});
  sleep_ms(400);
  click(10, 40);
  expect_color(4, 40, RED);
  sleep_ms(400);
  keys({"ctrl+r"});
  EXPECT_TRUE(wait_for_script([](const std::string& text) { return !text.empty(); }));
  int periodic = 0;
  EXPECT_EQ(non_periodic_lines(script(), &periodic),
            (std::vector<std::string>{"VELKO_MOUSE(10, 40);"}))
      << script();
  EXPECT_EQ(periodic, 2) << script();  // one run before the click, one after
}

TEST_F(Designer, TypedKeysAreRecordedAsWindowsCharacters) {
  ASSERT_NO_FATAL_FAILURE(start());
  halt();
  keys({"ctrl+r"});
  keys({"a", "shift+a", "1", "shift+1", "Tab", "Return", "BackSpace", "Escape", "space"});
  keys({"ctrl+r"});
  EXPECT_TRUE(wait_for_script([](const std::string& text) { return !text.empty(); }));
  EXPECT_EQ(script(),
            "VELKO_KBD(97);\nVELKO_KBD(65);\nVELKO_KBD(49);\nVELKO_KBD(33);\nVELKO_KBD(9);\n"
            "VELKO_KBD(13);\nVELKO_KBD(8);\nVELKO_KBD(27);\nVELKO_KBD(32);\n");
}

TEST_F(Designer, PlayingAHandMadeScriptBuildsTheScene) {
  // Three scoops, a topping on the top one, its colour twice on (blue), then
  // its shape on from disc to bar.
  const std::string lines =
      "VELKO_MOUSE(-240, 232);\nVELKO_MOUSE(-240, 232);\nVELKO_MOUSE(0, 150);\n"
      "VELKO_MOUSE(-240, 107);\nVELKO_MOUSE(-240, 107);\nVELKO_PERIODIC(3);\n"
      "VELKO_MOUSE(-240, 132);\n";
  write_text(dir.path() + "/VELKO.SCR", lines);
  ASSERT_NO_FATAL_FAILURE(start());
  keys({"ctrl+p"});
  expect_color(5, 151, BLUE);  // the bar, from (0, 150) to (10, 153)
  EXPECT_TRUE(is(0, 185, PEACH)) << hex(at(0, 185));
  EXPECT_TRUE(is(0, 110, TURQUOISE)) << hex(at(0, 110));
  EXPECT_TRUE(is(-6, 150, PEACH)) << "the disc is gone: " << hex(at(-6, 150));
  EXPECT_EQ(script(), lines);  // playing does not change the file
}

TEST_F(Designer, CtrlQQuitsWithStatusZero) {
  ASSERT_NO_FATAL_FAILURE(start());
  keys({"ctrl+q"});
  EXPECT_EQ(app->wait_exit(2000), 0) << app->stderr_text();
  EXPECT_EQ(app->stderr_text(), "");  // no toolkit warnings on the way
}

TEST_F(Designer, CloseRequestQuitsWithStatusZero) {
  ASSERT_NO_FATAL_FAILURE(start());
  ASSERT_TRUE(send_close_request(window));
  EXPECT_EQ(app->wait_exit(2000), 0) << app->stderr_text();
  EXPECT_EQ(app->stderr_text(), "");
}

TEST_F(Designer, QuitChosenFromTheRunMenu) {
  ASSERT_NO_FATAL_FAILURE(start());
  // The Run title lies in the menu bar, above the client area.
  run_command({"xdotool", "mousemove", "--window", std::to_string(window), "20",
               std::to_string(client_y / 2), "click", "1"});
  sleep_ms(300);
  // Down to Quit over Animate, Halt, Advance, Logging, Record, Playback, Play One.
  run_command({"xdotool", "key", "--delay", "30", "Down", "Down", "Down", "Down", "Down", "Down",
               "Down", "Down", "Return"});
  EXPECT_EQ(app->wait_exit(2000), 0) << app->stderr_text();
}

TEST_F(Designer, RunMenuByItsMnemonicAndRecordChosenThere) {
  ASSERT_NO_FATAL_FAILURE(start());
  halt();
  keys({"alt+r"});  // opens the Run menu
  sleep_ms(300);
  run_command({"xdotool", "key", "r"});  // "&Record Script"
  sleep_ms(200);
  click(10, 40);
  expect_color(4, 40, RED);
  keys({"ctrl+r"});
  EXPECT_TRUE(wait_for_script([](const std::string& text) { return !text.empty(); }));
  EXPECT_EQ(script(), "VELKO_MOUSE(10, 40);\n");
}

TEST_F(Designer, WithoutADisplayItSaysSoAndExitsWithOne) {
  Child unset(VELKO_CONE_PATH, dir.path(), {"DISPLAY", "WAYLAND_DISPLAY"});
  EXPECT_EQ(unset.wait_exit(5000), 1);
  EXPECT_EQ(unset.stderr_text(), "velko-cone: cannot open a display: DISPLAY is not set\n");

  Child wrong(VELKO_CONE_PATH, dir.path(), {"DISPLAY=:9999", "WAYLAND_DISPLAY"});
  EXPECT_EQ(wrong.wait_exit(5000), 1);
  EXPECT_EQ(wrong.stderr_text(),
            "velko-cone: cannot open a display: no display server answers at \":9999\"\n");
}

int main(int argc, char** argv) {
  return desktop_test_main(argc, argv);
}
