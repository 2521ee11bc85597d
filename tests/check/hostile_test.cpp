// A class of hostile students, checked with the default command line as a
// teacher would, as root and as an unprivileged user: each attack is
// contained and classified, the right programs match, nothing outlives the
// checker, nothing is written outside a run's own folder, the network is
// not reached, no secret reaches the reports, and the reports stay well
// formed. Where the machine has no user namespaces, --sandbox on refuses
// and auto says so.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <thread>

#include "tests/check/run_check.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;

namespace {

struct Attack {
  const char* folder;  // the student, and how the program behaves (see class_member.cpp)
  const char* status;
};

const Attack kAttacks[] = {
    {"match", "match"},         {"a b", "match"},       {"a_b", "match"},
    {"\x1b[31mred", "match"},   {"cheat", "differs"},   {"sabotage", "match"},
    {"verdict", "match"},       {"stopper", "match"},   {"outlive", "process_limit"},
    {"network", "match"},       {"snoop", "differs"},   {"diskfill", "disk_limit"},
    {"pipe", "differs"},        {"zero", "differs"},    {"garbage", "differs"},
    {"fakeoom", "not_started"}, {"link", "cannot_run"},
};

std::string token() {
  std::random_device random;
  return "SECRET-" + std::to_string(random()) + std::to_string(random());
}

// A listener on 127.0.0.1 that no run should reach.
struct Listener {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
  int port = 0;
  Listener() {
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof at;
    if (bind(fd, reinterpret_cast<sockaddr*>(&at), size) == 0 && listen(fd, 8) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&at), &size) == 0)
      port = ntohs(at.sin_port);
  }
  ~Listener() { close(fd); }
  bool reached() const {
    const int got = accept(fd, nullptr, nullptr);
    if (got >= 0)
      close(got);
    return got >= 0;
  }
};

// A copy of the class member in folder/solution, with the paths its
// attacks aim at.
void add_program(const fs::path& folder, const std::string& targets) {
  fs::create_directories(folder);
  const fs::path program = folder / "solution";
  write_file(program.string(),
             read_file(VELKO_CLASS_MEMBER_PATH) + "\nVELKO-TARGETS " + targets + "\n");
  chmod(program.c_str(), 0755);
}

std::map<std::string, std::string> files_below(const fs::path& folder) {
  std::map<std::string, std::string> files;
  std::error_code error;
  for (const auto& entry : fs::recursive_directory_iterator(folder, error))
    if (entry.is_regular_file(error) && !entry.is_symlink(error))
      files[entry.path().string()] = read_file(entry.path().string());
  return files;
}

int processes_named(const char* name) {
  int count = 0;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator("/proc", error))
    if (read_file((entry.path() / "comm").string()) == std::string(name) + "\n")
      ++count;
  return count;
}

bool well_formed(const std::string& folder) {
  const std::string command =
      "python3 -c \"import json, sys, xml.dom.minidom as x; d = sys.argv[1]; "
      "json.load(open(d + '/results.json', encoding='utf-8')); x.parse(d + '/junit.xml'); "
      "open(d + '/index.html', encoding='utf-8', errors='strict').read()\" " +
      folder;
  return std::system(command.c_str()) == 0;
}

std::string student_status(const std::string& json, const std::string& name) {
  const std::string line = student_line(json, name);
  const auto at = line.find("\"status\": \"");
  return at == std::string::npos ? "" : line.substr(at + 11, line.find('"', at + 11) - at - 11);
}

// Checks the hostile class into `out`, run as `as` (a command prefix, or
// nothing), and everything the checker must have kept.
void check_hostile_class(const std::string& as, const std::string& out) {
  SCOPED_TRACE(as.empty() ? "as the current user" : as);
  const fs::path here = fs::current_path();
  const std::string secret = token(), environment_secret = token();
  write_file("secret.txt", secret);
  Listener listener;
  ASSERT_GT(listener.port, 0);
  const std::string targets = (here / "class").string() + "|" + (here / out).string() + "|" +
                              (here / "secret.txt").string() + "|" + std::to_string(listener.port);
  fs::remove_all("class");
  for (const Attack& a : kAttacks)
    if (std::string(a.folder) != "link")
      add_program(here / "class" / a.folder, targets);
  add_program(here / "class" / ".hidden", targets);
  add_program(here / "outside", targets);
  fs::create_directory_symlink(here / "outside", here / "class" / "link");
  add_program(here / "ref", targets);
  fs::rename(here / "ref" / "solution", here / "ref" / "reference");
  const std::string classmate = read_file("class/match/solution");
  write_file("a.scr", "VELKO_PERIODIC(8);\nVELKO_MOUSE(10, 10);\n");
  fs::create_directories(out);
  if (!as.empty()) {
    ASSERT_EQ(std::system(("chown -R 65534:65534 " + out).c_str()), 0);
  }

  const CheckRun run = check_as(as, "CI_SECRET_TOKEN=" + environment_secret,
                                std::string("--class") + (kSanitized ? " --memory 0" : "") +
                                    " -s a.scr -r ref/reference -o " + out + " class");
  EXPECT_EQ(run.status, 1) << run.out;  // ended by itself, some students differ
  const auto reports = files_below(out);

  const std::string json = read_file(out + "/results.json");
  for (const Attack& a : kAttacks)
    EXPECT_EQ(student_status(
                  json, a.folder == std::string("\x1b[31mred") ? "\xEF\xBF\xBD[31mred" : a.folder),
              a.status)
        << a.folder;
  EXPECT_EQ(student_line(json, ".hidden"), "");
  EXPECT_NE(run.out.find("\\x1b[31mred"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find('\x1b'), std::string::npos);
  EXPECT_NE(json.find("\"sandbox\": {\"on\": true"), std::string::npos);

  // Nothing it started lives on or acts after the checker: wait for what a
  // daemon would do, then look.
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  EXPECT_EQ(processes_named("velko-hostile"), 0);
  EXPECT_EQ(files_below(out), reports);
  EXPECT_EQ(read_file("class/match/solution"), classmate);
  for (const auto& [path, bytes] : files_below(here)) {
    EXPECT_EQ(path.find("pwned"), std::string::npos) << path;
    if (path.rfind((here / out).string(), 0) == 0) {
      EXPECT_EQ(bytes.find(secret), std::string::npos) << path;
      EXPECT_EQ(bytes.find(environment_secret), std::string::npos) << path;
      EXPECT_EQ(bytes.find("root:"), std::string::npos) << path;  // /etc/shadow's first line
    }
  }
  EXPECT_FALSE(listener.reached());
  EXPECT_TRUE(well_formed(out));
}

}  // namespace

TEST(VelkoCheckSandbox, HostileStudentsChangeNoGradeButTheirOwn) {
  ScopedTempDir dir;
  check_hostile_class("", "out");
  if (geteuid() == 0) {
    // The same class, with the checker run by an ordinary user.
    for (fs::path p = dir.path(); p != p.root_path(); p = p.parent_path())
      chmod(p.c_str(), fs::status(p).permissions() == fs::perms::all ? 01777 : 0755);
    check_hostile_class("setpriv --reuid=65534 --regid=65534 --clear-groups", "out-user");
  }
}

TEST(VelkoCheckSandbox, WithoutUserNamespacesOnRefusesAndAutoWarns) {
  ScopedTempDir dir;
  chmod(dir.path().c_str(), 0777);
  fs::create_directories("class/match");
  fs::copy_file(VELKO_CLASS_MEMBER_PATH, "class/match/solution");
  write_file("a.scr", "VELKO_PERIODIC(3);\n");
  // A user namespace with no user of its own mapped can make no other.
  const CheckRun on =
      check_as("unshare --user", "", "--class --sandbox on -s a.scr -R nowhere -o on class");
  EXPECT_EQ(on.status, 4) << on.out;
  EXPECT_NE(on.out.find("--sandbox on: no sandbox can be made on this machine: bwrap says:"),
            std::string::npos)
      << on.out;
  const CheckRun one = check_as("unshare --user", "", "--sandbox on class/match/solution");
  EXPECT_EQ(one.status, 4) << one.out;
  const CheckRun automatic =
      check_as("unshare --user", "",
               std::string("--class") + (kSanitized ? " --memory 0" : "") + " -s a.scr -r " +
                   VELKO_CLASS_MEMBER_PATH + " -o auto class");
  EXPECT_EQ(automatic.status, 0) << automatic.out;
  EXPECT_NE(automatic.out.find("WARNING: the programs run WITHOUT a sandbox"), std::string::npos)
      << automatic.out;
  EXPECT_NE(read_file("auto/index.html").find("class=\"warning\""), std::string::npos);
  EXPECT_NE(read_file("auto/results.json").find("\"sandbox\": {\"on\": false"), std::string::npos);
}
