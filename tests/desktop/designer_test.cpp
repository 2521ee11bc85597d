// End-to-end scenarios: the real velko-cone on a private X server, driven
// with xdotool and checked on captures of its window and on VELKO.SCR.
//
// The same scenarios run against both desktop programs: built as test_desktop
// against the Linux program (VELKO_CONE_PATH), and as test_wine against the
// Windows program under Wine (VELKO_WINE_PROGRAM, with the Linux program's
// path beside it when there is one). What differs is the Windows program's
// own: its script file is a text stream, so each line ends in CR LF on disk;
// a script as Linux writes it (LF alone) plays there, and one it writes plays
// in the Linux program.
//
// Where the client area lies inside the capture is measured, not assumed: the
// panel's black outline has its top-left corner at the runtime point
// (PANEL_LEFT, PANEL_TOP), which gives the origin; the client area reaches the capture's
// right and bottom edges (the menu bar lies above it; under Wine without a
// window manager the capture holds nothing else), and the origin is its
// centre, which gives its left and top edges.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <regex>
#include <sstream>

#include "designer/panel_layout.h"
#include "runtime/draw/palette.h"
#include "tests/desktop/desktop_support.h"
#include "tests/support/client_origin.h"
#include "tests/support/ink.h"

namespace {

#if defined(VELKO_WINE_PROGRAM)
constexpr bool kWindows = true;
const char* const kLineEnd = "\r\n";
std::vector<std::string> program() {
  return {"wine", VELKO_WINE_PROGRAM};
}
#else
constexpr bool kWindows = false;
const char* const kLineEnd = "\n";
std::vector<std::string> program() {
  return {VELKO_CONE_PATH};
}
#endif

// Script lines with the line end of the program under test.
std::string lines(std::initializer_list<const char*> texts) {
  std::string out;
  for (const char* text : texts)
    out += std::string(text) + kLineEnd;
  return out;
}

std::string hex(std::uint32_t color) {
  char text[16];
  std::snprintf(text, sizeof text, "%06X", color);
  return text;
}

// Ends every Wine process of the prefix, so that the next scenario starts
// with a fresh desktop on its own X server.
void end_wine() {
  if (kWindows) {
    run_command({"wineserver", "-k"});
    run_command({"wineserver", "-w"});
  }
}

class Designer : public testing::Test {
 protected:
  void TearDown() override {
    if (HasFailure()) {
      if (shot.empty() && window != 0)
        shot = capture(window);
      if (!shot.empty()) {
        std::filesystem::create_directories(VELKO_ARTIFACT_DIR);
        const std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
        const std::string path = save_png(shot, std::string(VELKO_ARTIFACT_DIR) + "/" +
                                                    (kWindows ? "wine-" : "") + name + ".png");
        std::printf("screenshot of the failing scenario kept in %s\n", path.c_str());
      }
      if (app)
        std::printf("the program's standard error: %s\n", app->stderr_text().c_str());
    }
    app.reset();
    end_wine();
  }

  // Starts a designer and waits for its first scene.
  void start(const std::vector<std::string>& command = program()) {
    app = std::make_unique<Child>(command, dir.path());
    window = find_window("VELKO Graphics", 20000);
    ASSERT_NE(window, 0u) << "no window; stderr: " << app->stderr_text();
    ASSERT_TRUE(wait_until([this] { return measure_client(); }, 10000))
        << "the designer's scene did not appear";
  }

  bool measure_client() {
    int corner_x = 0, corner_y = 0;
    if (!find_panel_corner(shot, &corner_x, &corner_y))
      return false;
    origin_x = corner_x - PANEL_LEFT;
    origin_y = corner_y + PANEL_TOP;
    client_x = -1;
    for (int x = 0; x <= origin_x && client_x < 0; ++x) {
      if (origin_x - x == (shot.width - x) / 2)
        client_x = x;
    }
    client_y = -1;
    for (int y = 0; y <= origin_y && client_y < 0; ++y) {
      if (origin_y - y == (shot.height - y) / 2)
        client_y = y;
    }
    return client_x >= 0 && client_y >= 0;
  }

  // Captures until the check holds or the time is up.
  bool wait_until(const std::function<bool()>& check, int timeout_ms = 5000) {
    const std::int64_t deadline = now_ms() + timeout_ms;
    do {
      shot = capture(window);
      if (!shot.empty() && check())
        return true;
      sleep_ms(50);
    } while (now_ms() < deadline);
    return false;
  }

  int image_x(int x) const { return origin_x + x; }
  int image_y(int y) const { return origin_y - y; }
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

  void expect_color(int x, int y, int color, int timeout_ms = 5000) {
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

  std::string script_path() const { return dir.path() + "/VELKO.SCR"; }
  std::string script() const { return read_file(script_path()); }

  // Waits for the script file to hold something (it is written when
  // recording stops).
  bool wait_for_script() {
    const std::int64_t deadline = now_ms() + 5000;
    do {
      if (!script().empty())
        return true;
      sleep_ms(50);
    } while (now_ms() < deadline);
    return false;
  }

  TempDir dir;
  std::unique_ptr<Child> app;
  unsigned long window = 0;
  Image shot;
  int origin_x = 0;  // the runtime origin in the capture
  int origin_y = 0;
  int client_x = 0;  // the client area's top-left corner in the capture
  int client_y = 0;
};

// The lines of a script without their line ends and without the PERIODIC
// lines, each of which must carry a positive count; lines whose end is not
// the program's are counted.
std::vector<std::string> non_periodic_lines(const std::string& text, int* periodic_lines,
                                            int* wrong_ends) {
  std::vector<std::string> out;
  std::istringstream in(text);
  std::string line;
  const std::regex periodic(R"(VELKO_PERIODIC\(([0-9]+)\);)");
  *periodic_lines = 0;
  *wrong_ends = 0;
  while (std::getline(in, line)) {
    const bool cr = !line.empty() && line.back() == '\r';
    if (cr)
      line.pop_back();
    *wrong_ends += cr != kWindows;
    std::smatch m;
    if (std::regex_match(line, m, periodic) && std::stoi(m[1]) > 0) {
      ++*periodic_lines;
    } else {
      out.push_back(line);
    }
  }
  return out;
}

}  // namespace

TEST_F(Designer, SceneInTheWindowAndClicksThatChangeIt) {
  ASSERT_NO_FATAL_FAILURE(start());
  const int client_width = shot.width - client_x;
  const int client_height = shot.height - client_y;
  std::printf(
      "capture %d x %d; client area at (%d, %d), %d x %d; origin at client pixel (%d, %d)\n",
      shot.width, shot.height, client_x, client_y, client_width, client_height, origin_x - client_x,
      origin_y - client_y);
  // The whole width is client area, under the menu bar with its "Run".
  EXPECT_EQ(client_x, 0);
  int menu_title_pixels = 0;  // dark ones: the toolkit may smooth the letters
  for (int y = 0; y < client_y; ++y) {
    for (int x = 0; x < 40; ++x) {
      const std::uint32_t p = shot.at(x, y);
      menu_title_pixels += (p & 0xFF) + ((p >> 8) & 0xFF) + ((p >> 16) & 0xFF) < 300;
    }
  }
  EXPECT_GT(menu_title_pixels, 15) << "no menu title above the client area";
  if (!kWindows) {
    // The frame metrics of the classic Windows look; on Windows they are the system's.
    EXPECT_EQ(client_width, CLIENT_WIDTH);
    EXPECT_EQ(client_height, CLIENT_HEIGHT);
  }

  EXPECT_TRUE(is(0, -100, BROWN)) << hex(at(0, -100));  // the cone
  EXPECT_TRUE(is(0, 10, BROWN));                        // over the bottom scoop's lower half
  EXPECT_TRUE(is(0, 60, ICE_BLUE)) << hex(at(0, 60));   // the bottom scoop
  EXPECT_TRUE(is(0, 110, WHITE));                       // one scoop only
  EXPECT_TRUE(is(PANEL_LEFT, 200, BLACK));              // the panel's outline
  EXPECT_TRUE(is(PANEL_RIGHT, 100, BLACK));
  EXPECT_TRUE(is(-240, 220, BLACK));  // the edge between the first two buttons
  EXPECT_TRUE(is(250, 0, WHITE));
  EXPECT_GT(status_pixels(BLUE), 50);  // "Click on the cone to add a topping"
  EXPECT_EQ(status_pixels(RED), 0);

  click(BUTTON_X, button_y(ADD_SCOOP));  // Add Scoop
  expect_color(0, 110, TURQUOISE);
  click(30, 60);  // a topping: a red disc, selected
  expect_color(24, 60, RED);
  EXPECT_TRUE(is(30, 66, RED));
  EXPECT_GT(status_pixels(RED), 50);  // "Topping selected. ..."
  EXPECT_EQ(status_pixels(BLUE), 0);
  click(BUTTON_X, button_y(CHANGE_COLOR));  // Change Color: red becomes green
  expect_color(24, 60, GREEN);
}

TEST_F(Designer, DoubleClickIsTwoClicks) {
  ASSERT_NO_FATAL_FAILURE(start());
  click(10, 40);
  expect_color(4, 40, RED);
  click(BUTTON_X, button_y(CHANGE_COLOR),
        2);  // Change Color twice: red (2) becomes blue (4), not yellow (5)
  expect_color(4, 40, BLUE);
  sleep_ms(300);
  shot = capture(window);
  EXPECT_TRUE(is(4, 40, BLUE)) << hex(at(4, 40));
}

// The exact bytes: on Windows the script stream is a text stream.
TEST_F(Designer, RecordingClicksWritesExactLines) {
  ASSERT_NO_FATAL_FAILURE(start());
  halt();
  keys({"ctrl+r"});
  click(10, 40);
  expect_color(4, 40, RED);
  click(BUTTON_X, button_y(CHANGE_COLOR));
  expect_color(4, 40, GREEN);
  keys({"ctrl+r"});
  EXPECT_TRUE(wait_for_script());
  EXPECT_EQ(script(), lines({"VELKO_MOUSE(10, 40);", "VELKO_MOUSE(-240, 107);"}));
}

TEST_F(Designer, RecordingWhileAnimatingWritesPeriodicRuns) {
  ASSERT_NO_FATAL_FAILURE(start());
  keys({"ctrl+r"});
  sleep_ms(400);
  click(10, 40);
  expect_color(4, 40, RED);
  sleep_ms(400);
  keys({"ctrl+r"});
  EXPECT_TRUE(wait_for_script());
  int periodic = 0, wrong_ends = 0;
  EXPECT_EQ(non_periodic_lines(script(), &periodic, &wrong_ends),
            (std::vector<std::string>{"VELKO_MOUSE(10, 40);"}))
      << script();
  EXPECT_EQ(periodic, 2) << script();  // one run before the click, one after
  EXPECT_EQ(wrong_ends, 0) << script();
}

// A character is given as its Windows-1252 code (é 233); one Windows-1252
// lacks (a Cyrillic letter) is given as nothing.
TEST_F(Designer, TypedKeysAreRecordedAsWindowsCharacters) {
  ASSERT_NO_FATAL_FAILURE(start());
  halt();
  keys({"ctrl+r"});
  keys({"a", "shift+a", "1", "shift+1", "Tab", "Return", "BackSpace", "Escape", "space", "eacute",
        "Cyrillic_shorti", "EuroSign"});
  keys({"ctrl+r"});
  EXPECT_TRUE(wait_for_script());
  EXPECT_EQ(script(), lines({"VELKO_KBD(97);", "VELKO_KBD(65);", "VELKO_KBD(49);", "VELKO_KBD(33);",
                             "VELKO_KBD(9);", "VELKO_KBD(13);", "VELKO_KBD(8);", "VELKO_KBD(27);",
                             "VELKO_KBD(32);", "VELKO_KBD(233);", "VELKO_KBD(128);"}));
}

// French and German keyboards: the characters typed, accents from dead keys
// included, and Ctrl with the key labelled A (where a US keyboard has Q)
// animating. The browser gives the same codes for the same keys
// (tests/browser/web_scene.test.mjs).
TEST_F(Designer, FrenchAndGermanKeyboardsTypeTheirCharacters) {
  ASSERT_TRUE(use_keyboard_layout("fr", 'a')) << "the French layout did not take";
  ASSERT_NO_FATAL_FAILURE(start());
  halt();
  keys({"ctrl+r"});
  keys({"a", "q", "eacute", "egrave", "ugrave", "dead_circumflex", "e", "minus", "comma"});
  ASSERT_TRUE(use_keyboard_layout("de", 'q')) << "the German layout did not take";
  sleep_ms(300);  // the program hears of the new layout
  keys({"z", "y", "ssharp", "odiaeresis", "udiaeresis", "minus", "period", "comma", "EuroSign",
        "at", "dead_acute", "e"});
  keys({"ctrl+r"});
  EXPECT_TRUE(wait_for_script());
  EXPECT_EQ(script(),
            lines({"VELKO_KBD(97);", "VELKO_KBD(113);", "VELKO_KBD(233);", "VELKO_KBD(232);",
                   "VELKO_KBD(249);", "VELKO_KBD(234);", "VELKO_KBD(45);", "VELKO_KBD(44);",
                   "VELKO_KBD(122);", "VELKO_KBD(121);", "VELKO_KBD(223);", "VELKO_KBD(246);",
                   "VELKO_KBD(252);", "VELKO_KBD(45);", "VELKO_KBD(46);", "VELKO_KBD(44);",
                   "VELKO_KBD(128);", "VELKO_KBD(64);", "VELKO_KBD(233);"}));

  ASSERT_TRUE(use_keyboard_layout("fr", 'a'));
  sleep_ms(300);
  std::filesystem::remove(script_path());
  keys({"ctrl+r", "ctrl+a"});  // Animate, on the key labelled A
  sleep_ms(500);
  keys({"ctrl+r"});
  EXPECT_TRUE(wait_for_script());
  int periodic = 0, wrong_ends = 0;
  EXPECT_TRUE(non_periodic_lines(script(), &periodic, &wrong_ends).empty()) << script();
  EXPECT_EQ(periodic, 1) << script();
  EXPECT_TRUE(app->running()) << "Ctrl+A quit";
}

// Three scoops, a topping on the top one, its colour twice on (blue), then
// its shape on from disc to bar: a script as the Linux program writes it, LF
// alone at each line's end, which the Windows program plays too.
TEST_F(Designer, PlayingAHandMadeScriptBuildsTheScene) {
  const std::string linux_lines =
      "VELKO_MOUSE(-240, 232);\nVELKO_MOUSE(-240, 232);\nVELKO_MOUSE(0, 150);\n"
      "VELKO_MOUSE(-240, 107);\nVELKO_MOUSE(-240, 107);\nVELKO_PERIODIC(3);\n"
      "VELKO_MOUSE(-240, 132);\n";
  write_file(script_path(), linux_lines);
  ASSERT_NO_FATAL_FAILURE(start());
  keys({"ctrl+p"});
  expect_color(5, 151, BLUE);  // the bar, from (0, 150) to (10, 153)
  EXPECT_TRUE(is(0, 185, PEACH)) << hex(at(0, 185));
  EXPECT_TRUE(is(0, 110, TURQUOISE)) << hex(at(0, 110));
  EXPECT_TRUE(is(-6, 150, PEACH)) << "the disc is gone: " << hex(at(-6, 150));
  EXPECT_EQ(script(), linux_lines);  // playing does not change the file
}

TEST_F(Designer, PlayOneTakesOneEventAtATime) {
  write_file(script_path(), "VELKO_MOUSE(-240, 232);\nVELKO_MOUSE(-240, 232);\n");
  ASSERT_NO_FATAL_FAILURE(start());
  keys({"ctrl+o"});
  expect_color(0, 110, TURQUOISE);  // the second scoop
  sleep_ms(500);
  shot = capture(window);
  EXPECT_TRUE(is(0, 185, WHITE)) << "the third scoop came too early: " << hex(at(0, 185));
  keys({"ctrl+o"});
  expect_color(0, 185, PEACH);  // the third
}

TEST_F(Designer, CtrlQQuitsWithStatusZero) {
  ASSERT_NO_FATAL_FAILURE(start());
  keys({"ctrl+q"});
  EXPECT_EQ(app->wait_exit(5000), 0) << app->stderr_text();
  EXPECT_EQ(app->stderr_text(), "");  // no toolkit warnings on the way
}

TEST_F(Designer, CloseRequestQuitsWithStatusZero) {
  ASSERT_NO_FATAL_FAILURE(start());
  ASSERT_TRUE(send_close_request(window));
  EXPECT_EQ(app->wait_exit(5000), 0) << app->stderr_text();
  EXPECT_EQ(app->stderr_text(), "");
}

TEST_F(Designer, QuitChosenFromTheRunMenu) {
  ASSERT_NO_FATAL_FAILURE(start());
  // The Run title lies in the menu bar, above the client area.
  run_command({"xdotool", "mousemove", "--window", std::to_string(window), "20",
               std::to_string(client_y / 2), "click", "1"});
  sleep_ms(500);
  // Down to Quit over Animate, Halt, Advance, Logging, Record, Playback, Play One.
  run_command({"xdotool", "key", "--delay", "30", "Down", "Down", "Down", "Down", "Down", "Down",
               "Down", "Down", "Return"});
  EXPECT_EQ(app->wait_exit(5000), 0) << app->stderr_text();
}

TEST_F(Designer, RunMenuByItsMnemonicAndRecordChosenThere) {
  ASSERT_NO_FATAL_FAILURE(start());
  halt();
  keys({"alt+r"});  // opens the Run menu
  sleep_ms(500);
  run_command({"xdotool", "key", "r"});  // "&Record Script"
  sleep_ms(300);
  click(10, 40);
  expect_color(4, 40, RED);
  keys({"ctrl+r"});
  EXPECT_TRUE(wait_for_script());
  EXPECT_EQ(script(), lines({"VELKO_MOUSE(10, 40);"}));
}

#if defined(VELKO_WINE_PROGRAM) && defined(VELKO_CONE_PATH)
// Recorded by the Windows program, played by the Linux program.
TEST_F(Designer, AScriptRecordedOnWindowsPlaysOnLinux) {
  ASSERT_NO_FATAL_FAILURE(start());
  halt();
  keys({"ctrl+r"});
  click(BUTTON_X, button_y(ADD_SCOOP));  // Add Scoop
  expect_color(0, 110, TURQUOISE);
  click(0, 60);  // a topping on the bottom scoop
  expect_color(-6, 60, RED);
  click(BUTTON_X, button_y(CHANGE_COLOR));  // Change Color
  expect_color(-6, 60, GREEN);
  keys({"ctrl+r"});
  EXPECT_TRUE(wait_for_script());
  ASSERT_NE(script().find("\r\n"), std::string::npos) << script();
  keys({"ctrl+q"});
  EXPECT_EQ(app->wait_exit(5000), 0);
  app.reset();
  end_wine();

  ASSERT_NO_FATAL_FAILURE(start({VELKO_CONE_PATH}));
  EXPECT_TRUE(is(0, 110, WHITE));  // one scoop before playing
  keys({"ctrl+p"});
  expect_color(-6, 60, GREEN);
  EXPECT_TRUE(is(0, 110, TURQUOISE)) << hex(at(0, 110));
  keys({"ctrl+q"});
  EXPECT_EQ(app->wait_exit(5000), 0);
}
#endif

TEST_F(Designer, WithoutADisplayItSaysSoAndExitsWithOne) {
  Child unset(program(), dir.path(), {"DISPLAY", "WAYLAND_DISPLAY"});
  EXPECT_EQ(unset.wait_exit(20000), 1);
  if (kWindows) {
    // Standard error is a text stream too.
    EXPECT_EQ(unset.stderr_text(),
              "velko-cone: cannot create a window: no desktop to show it on\r\n");
    return;
  }
  EXPECT_EQ(unset.stderr_text(), "velko-cone: cannot open a display: DISPLAY is not set\n");

  Child wrong(program(), dir.path(), {"DISPLAY=:9999", "WAYLAND_DISPLAY"});
  EXPECT_EQ(wrong.wait_exit(5000), 1);
  EXPECT_EQ(wrong.stderr_text(),
            "velko-cone: cannot open a display: no display server answers at \":9999\"\n");
}

int main(int argc, char** argv) {
#if defined(VELKO_WINE_PROGRAM)
  // As every Wine test runs: the run's prefix, no debugging chatter, and
  // neither Mono nor Gecko, whose installers a fresh prefix would ask for.
  setenv("WINEPREFIX", VELKO_WINE_PREFIX, 0);
  setenv("WINEDEBUG", "-all", 1);
  setenv("WINEDLLOVERRIDES", "mscoree=;mshtml=", 1);
#endif
  return desktop_test_main(argc, argv);
}
