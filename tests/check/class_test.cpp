// velko-check over a class: programs that match, differ in a pixel, a colour,
// a log line or their animation, and programs that crash, hang, print or
// write without end, allocate or fork without end, or never start the
// runtime; each classified and reported as it is.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/check/run_check.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;

namespace {

CheckRun check_class(const std::string& arguments) {
  return check("--class " + arguments);
}

// How many processes run a program of the class folder here.
int class_processes() {
  const std::string folder = fs::current_path().string() + "/class/";
  int count = 0;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator("/proc", error))
    count += read_file((entry.path() / "cmdline").string()).rfind(folder, 0) == 0;
  return count;
}

struct Student {
  const char* name;  // and how its program behaves
  const char* status;
  const char* says;  // part of the summary line
};

const Student kClass[] = {
    {"match", "match", ""},
    {"pixel", "differs", "the final window: 1 pixels differ"},
    {"colour", "differs", "the final window:"},
    {"logline", "differs", "the log differs: 1 line(s) missing, 1 extra"},
    {"animate", "differs", "the window after event 7:"},
    {"early", "differs", "ended early: used 4 of"},
    {"crash", "crashed", "signal 6"},
    {"print", "output_limit", "printed more than the limit of 65536 bytes"},
    {"bigfile", "file_limit", "a file larger than the limit of 1 MB"},
    {"logs", "file_limit", "a file larger than the limit of 1 MB"},
    {"memory", "memory_limit", "memory limit of 256 MB"},
    {"fork", "process_limit", "more than 8 processes"},
    {"nostart", "not_started", "without starting the VELKO runtime"},
};

const char* const kScriptA = "VELKO_PERIODIC(8);\nVELKO_MOUSE(10, 10);\n";
const char* const kScriptB = "VELKO_PERIODIC(3);\nVELKO_KBD(97);\nVELKO_PERIODIC(4);\n";

}  // namespace

TEST(VelkoCheckClass, EachProgramIsClassifiedAndReported) {
  ScopedTempDir dir;
  write_file("a.scr", kScriptA);
  write_file("b.scr", kScriptB);
  for (const Student& s : kClass)
    if (!(kSanitized && std::string(s.name) == "memory"))
      add_student(s.name, s.name);
  fs::create_directories("class/empty");  // a student who handed nothing in
  const std::string memory = kSanitized ? "0" : "256";
  const CheckRun run = check_class(
      "-j 2 -t 30 --after 3,7,last --output-limit 64 --file-size 1 --processes 8 --memory " +
      memory + " -s a.scr -s b.scr -r " + VELKO_CLASS_MEMBER_PATH + " -o out class");
  EXPECT_EQ(run.status, 1) << run.out;
  const std::string json = read_file("out/results.json");
  const std::string junit = read_file("out/junit.xml");
  const std::string html = read_file("out/index.html");
  for (const Student& s : kClass) {
    if (kSanitized && std::string(s.name) == "memory")
      continue;
    SCOPED_TRACE(s.name);
    // The summary: one line a student, with their status and why.
    std::istringstream lines(run.out);
    std::string line;
    while (std::getline(lines, line) && line.rfind(std::string(s.name) + " ", 0) != 0) {
    }
    EXPECT_NE(line.find(std::string(" ") + s.status + " "), std::string::npos) << run.out;
    EXPECT_NE(line.find(s.says), std::string::npos) << line;
    EXPECT_NE(student_line(json, s.name).find(std::string("\"status\": \"") + s.status + "\""),
              std::string::npos)
        << student_line(json, s.name);
    const std::string testcase = "<testcase classname=\"" + std::string(s.name) + "\" name=\"a\"";
    const auto at = junit.find(testcase);
    ASSERT_NE(at, std::string::npos);
    const bool failed = junit.compare(junit.find('\n', at) + 1, 14, "    <failure t") == 0;
    EXPECT_EQ(failed, std::string(s.status) != "match");
    EXPECT_NE(html.find("data-name=\"" + std::string(s.name) + "\""), std::string::npos);
  }
  // A program that hangs is stopped at the time limit; the others above
  // had a long one, so that a slow machine does not make them hang.
  add_student("hang", "hang");
  const CheckRun hang =
      check_class("-t 1 --memory " + memory + " -s a.scr -R out/reference -o hang class/hang/hang");
  EXPECT_EQ(hang.status, 1) << hang.out;
  EXPECT_NE(hang.out.find(" hung "), std::string::npos) << hang.out;
  EXPECT_NE(hang.out.find("did not end within 1 s (it hung, after"), std::string::npos) << hang.out;
  EXPECT_NE(read_file("hang/junit.xml").find("<failure type=\"hung\""), std::string::npos);

  // The animation goes wrong after the 5th event: the window after the 3rd
  // still agrees, the one after the 7th does not, and the difference shows.
  std::istringstream lines(run.out);
  std::string animates_line;
  while (std::getline(lines, animates_line) && animates_line.rfind("animate ", 0) != 0) {
  }
  EXPECT_EQ(animates_line.find("the window after event 3"), std::string::npos) << animates_line;
  EXPECT_TRUE(file_exists("out/runs/animate/a/diff-after-7.png"));
  EXPECT_FALSE(file_exists("out/runs/animate/a/diff-after-3.png"));
  EXPECT_NE(student_line(json, "empty").find("\"status\": \"cannot_run\""), std::string::npos);
  // The bounded output is kept, and the big file stopped at its limit.
  EXPECT_EQ(fs::file_size("out/runs/print/a/output.txt"), 65536u);
  EXPECT_LE(fs::file_size("out/runs/logs/a/log.txt"), 1u << 20);
  EXPECT_NE(
      junit.find("tests=\"" + std::to_string(2 * (std::size(kClass) - kSanitized + 1)) + "\""),
      std::string::npos);
}

TEST(VelkoCheckClass, KeptReferenceAndToleranceDecideAMatch) {
  ScopedTempDir dir;
  write_file("a.scr", kScriptA);
  add_student("match", "match");
  add_student("pixel", "pixel");
  const std::string memory = kSanitized ? " --memory 0" : "";
  const CheckRun first = check_class("-s a.scr -r " + std::string(VELKO_CLASS_MEMBER_PATH) +
                                     memory + " -o first class/match/match");
  ASSERT_EQ(first.status, 0) << first.out;
  // The reference kept from the first run serves the next: one pixel in
  // 0.01 % of the window is within the tolerance the teacher gave.
  const CheckRun strict = check_class("-s a.scr -R first/reference" + memory + " -o strict class");
  EXPECT_EQ(strict.status, 1) << strict.out;
  const CheckRun lenient =
      check_class("-s a.scr -R first/reference --max-diff 0.01" + memory + " -o lenient class");
  EXPECT_EQ(lenient.status, 0) << lenient.out;
  EXPECT_NE(read_file("lenient/results.json").find("\"all_match\": true"), std::string::npos);
  const CheckRun missing = check_class("-s b.scr -R first/reference" + memory + " -o x class");
  EXPECT_EQ(missing.status, 64) << missing.out;
  write_file("b.scr", kScriptB);
  const CheckRun unfit = check_class("-s b.scr -R first/reference" + memory + " -o x class");
  EXPECT_EQ(unfit.status, 4) << unfit.out;
  EXPECT_NE(unfit.out.find("no finished run for the script b"), std::string::npos) << unfit.out;
  const CheckRun no_pictures =
      check_class("-s a.scr -R first/reference --after 4" + memory + " -o z class");
  EXPECT_EQ(no_pictures.status, 4) << no_pictures.out;
  EXPECT_NE(no_pictures.out.find("has no after-4.png for the script a"), std::string::npos)
      << no_pictures.out;
  // A reference that crashes grades nobody.
  add_student("crash", "crash");
  const CheckRun broken =
      check_class("-s a.scr -r class/crash/crash" + memory + " -o y class/match/match");
  EXPECT_EQ(broken.status, 4) << broken.out;
  EXPECT_NE(broken.out.find("the reference on the script a crashed: signal 6"), std::string::npos)
      << broken.out;
  EXPECT_FALSE(file_exists("y/results.json"));
}

TEST(VelkoCheckClass, WrongCommandLinesAreRefused) {
  ScopedTempDir dir;
  write_file("a.scr", kScriptA);
  fs::create_directories("sub");
  write_file("sub/a.scr", kScriptA);
  fs::create_directories("class/one");
  const struct {
    const char* arguments;
    const char* says;
  } wrong[] = {
      {"-r p", "no submissions to check"},
      {"class", "give the reference: either -r PROGRAM or -R FOLDER"},
      {"-r p -R q class", "give the reference: either -r PROGRAM or -R FOLDER"},
      {"-j 0 -r p class", "not a good value for -j: 0"},
      {"--tolerance 256 -r p class", "not a good value for --tolerance: 256"},
      {"--after 5,x -r p class", "not a good value for --after: 5,x"},
      {"--bogus 1 -r p class", "unknown option: --bogus"},
      {"-r p no-such-folder", "no such program or folder: no-such-folder"},
      {"-s missing.scr -r p class", "cannot read the script file missing.scr"},
      {"-s a.scr -s sub/a.scr -r p class", "two scripts are named a"},
      {"-r p sub", "the folder sub has no sub-folder"},
  };
  for (const auto& w : wrong) {
    const CheckRun run = check_class(w.arguments);
    EXPECT_EQ(run.status, 64) << w.arguments;
    EXPECT_NE(run.out.find(w.says), std::string::npos) << w.arguments << "\n" << run.out;
  }
}

TEST(VelkoCheckClass, AnInterruptedCheckerLeavesNoProgramRunning) {
  ScopedTempDir dir;
  write_file("a.scr", kScriptA);
  add_student("hang", "hang");
  const pid_t checker = fork();
  ASSERT_GE(checker, 0);
  if (checker == 0) {
    execl(VELKO_CHECK_PATH, VELKO_CHECK_PATH, "--class", "--memory", "0", "-t", "60", "-s", "a.scr",
          "-r", VELKO_CLASS_MEMBER_PATH, "-o", "out", "class", nullptr);
    _exit(127);
  }
  // The student's program is running once a process runs it from the class.
  for (int i = 0; i < 3000 && class_processes() == 0; ++i)
    usleep(10000);
  ASSERT_GT(class_processes(), 0);
  kill(checker, SIGTERM);
  int status = 0;
  waitpid(checker, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
  // Nothing of the run is left.
  usleep(100000);
  EXPECT_EQ(class_processes(), 0);
  EXPECT_FALSE(file_exists("out/runs/hang/a/run.txt"));  // it had not ended when stopped
}
