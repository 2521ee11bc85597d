// One student of a class as velko-check sees them: a ball that moves one
// step an event and a line in the log window for each. How it goes wrong,
// if it does, is its argument, or else its file's name, or else the name of
// the folder it is in (a class of copies of this program, one a folder);
// a name that is none of these behaves as `match`:
//   match     as the reference        pixel     one pixel more
//   colour    the ball in another colour
//   logline   one log line worded otherwise
//   animate   right up to the 5th event, then the ball moves faster
//   early     ends by itself at the 4th event
//   crash     aborts at the 4th event   hang      stops asking for events
//   print     prints without end        bigfile   writes a file without end
//   logs      writes to the log window without end
//   memory    uses memory without end   fork      starts processes that stay
//   nostart   ends without starting the runtime
//   garbage   as the reference, but logs and prints bytes no report may
//             take as they are: invalid UTF-8, U+FFFF, controls, markup
// and as a hostile student would, against the checker and the class (the
// paths it aims at are in a line "VELKO-TARGETS class|report|secret|port"
// that the test appends to each copy of the program):
//   cheat     draws nothing, then copies the reference's results as its own
//   sabotage  overwrites the reference's results and a classmate's program
//   verdict   leaves a daemon that rewrites the reports once the checker ends
//   stopper   stops and kills its parent and every process it can
//   outlive   starts 50 children in sessions and groups of their own
//   network   connects to a listener on 127.0.0.1
//   snoop     reads secrets, other programs and the checker's environment
//             into its log
//   diskfill  writes 2,000 files of 1 MB
//   pipe, zero  turns its log.txt into a named pipe, a link to /dev/zero
//   fakeoom   says it ran out of memory, and fails
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/velko.h"

namespace {

std::string read_all(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void write_all(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// The paths the test appended to this copy of the program.
struct Targets {
  std::string class_folder, report, secret;
  int port = 0;
};

Targets targets() {
  Targets t;
  const std::string self = read_all("/proc/self/exe");
  const auto at = self.rfind("VELKO-TARGETS ");
  if (at == std::string::npos)
    return t;
  std::istringstream line(self.substr(at + 14, self.find('\n', at) - at - 14));
  std::getline(line, t.class_folder, '|');
  std::getline(line, t.report, '|');
  std::getline(line, t.secret, '|');
  line >> t.port;
  return t;
}

// What a hostile student tries before it starts the runtime.
void attack_before(const std::string& how, const Targets& t) {
  auto is = [&](const char* what) { return how == what; };
  if (is("sabotage")) {
    for (const char* name : {"window.png", "log.txt", "events.txt", "end.txt"})
      write_all(t.report + "/reference/a/" + name, "sabotaged");
    write_all(t.class_folder + "/match/solution", "#!/bin/sh\nexit 1\n");
    write_all(t.report + "/pwned-sabotage", "x");
  } else if (is("stopper")) {
    kill(getppid(), SIGSTOP);
    kill(getppid(), SIGKILL);
    kill(-1, SIGKILL);
  } else if (is("outlive")) {
    for (int i = 0; i < 50; ++i) {
      if (fork() == 0) {
        prctl(PR_SET_NAME, "velko-hostile");
        if (i % 2)
          setsid();
        else
          setpgid(0, 0);
        sleep(30);
        write_all(t.class_folder + "/pwned-outlived", "x");
        _exit(0);
      }
    }
    // Long enough for the checker's count, every 100 ms: a run over before
    // it takes its children with it uncounted.
    usleep(300000);
  } else if (is("verdict")) {
    if (fork() == 0) {
      setsid();
      if (fork() == 0) {
        prctl(PR_SET_NAME, "velko-hostile");
        for (int i = 0; i < 100; ++i) {
          usleep(100000);
          write_all(t.report + "/index.html", "<p>everyone matches</p>");
          write_all(t.report + "/results.json", "{\"all_match\": true}");
          write_all(t.report + "/junit.xml", "<testsuites failures=\"0\"/>");
        }
        _exit(0);
      }
      _exit(0);
    }
  } else if (is("network")) {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(t.port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(s, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0)
      write_all(t.class_folder + "/pwned-network", "x");
    close(s);
  } else if (is("diskfill")) {
    const std::string megabyte(1 << 20, 'x');
    for (int i = 0; i < 2000; ++i) {
      std::ofstream file("fill-" + std::to_string(i), std::ios::binary);
      if (!(file << megabyte))
        break;
    }
  }
}

// What it does to its transcript once the runtime has written it.
void attack_after(const std::string& how, const Targets& t) {
  const char* transcript = std::getenv("VELKO_CHECK");
  if (!transcript)
    return;
  const std::string mine = transcript;
  if (how == "cheat") {
    for (const char* name : {"window.png", "log.txt", "events.txt", "end.txt"})
      write_all(mine + "/" + name, read_all(t.report + "/reference/a/" + name));
  } else if (how == "pipe") {
    unlink((mine + "/log.txt").c_str());
    mkfifo((mine + "/log.txt").c_str(), 0644);
  } else if (how == "zero") {
    unlink((mine + "/log.txt").c_str());
    symlink("/dev/zero", (mine + "/log.txt").c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  static const char* const kHows[] = {
      "match",   "pixel",    "colour",   "logline", "animate", "early",   "crash",
      "hang",    "print",    "bigfile",  "logs",    "memory",  "fork",    "nostart",
      "garbage", "cheat",    "sabotage", "verdict", "stopper", "outlive", "network",
      "snoop",   "diskfill", "pipe",     "zero",    "fakeoom"};
  auto known = [](const std::string& name) {
    for (const char* h : kHows)
      if (name == h)
        return true;
    return false;
  };
  std::string how_name = argc > 1 ? argv[1] : "match";
  if (argc <= 1) {
    const std::string self = argv[0];
    const auto slash = self.rfind('/');
    const auto before =
        slash == std::string::npos || slash == 0 ? std::string::npos : self.rfind('/', slash - 1);
    const std::string file = self.substr(slash == std::string::npos ? 0 : slash + 1);
    const std::string folder =
        slash == std::string::npos
            ? ""
            : self.substr(before == std::string::npos ? 0 : before + 1,
                          slash - (before == std::string::npos ? 0 : before + 1));
    how_name = known(file) ? file : known(folder) ? folder : "match";
  }
  const char* how = how_name.c_str();
  auto is = [how](const char* what) { return std::strcmp(how, what) == 0; };
  if (is("nostart"))
    return 0;
  const Targets t = targets();
  attack_before(how_name, t);
  if (is("cheat")) {
    VELKO_start(nullptr, nullptr, nullptr, 1);
    VELKO_show_log(0);
    int x = 0, y = 0;
    char key = 0;
    while (VELKO_next_event(&x, &y, &key) != VELKO_QUIT) {
    }
    VELKO_finish();
    attack_after(how_name, t);
    return 0;
  }
  if (is("fakeoom")) {
    std::puts("terminate called after throwing an instance of 'std::bad_alloc'\nout of memory");
    return 1;
  }
  VELKO_start(nullptr, nullptr, nullptr, 1);
  VELKO_show_log(0);
  VELKO_wipe();
  VELKO_set_run_mode(VELKO_RUN_ANIMATE);
  int x = 0, y = 0;
  char key = 0;
  for (int events = 1;; ++events) {
    if (VELKO_next_event(&x, &y, &key) == VELKO_QUIT)
      break;
    const int step = is("animate") && events > 5 ? 30 : 20;
    VELKO_rectangle(WHITE, -300, -250, 300, 250, 0);
    VELKO_circle(is("colour") ? BLUE : RED, -200 + events * step, 0, 15);
    if (is("pixel")) {
      VELKO_set_logging(0);  // the log window tells nothing of it
      VELKO_pixel(BLACK, 100, 100);
      VELKO_set_logging(1);
    }
    VELKO_log(is("logline") && events == 3 ? "event three\n" : "event %d\n", events);
    if (events == 1 && is("snoop")) {
      // Everything it should not see, into its log and its output.
      std::string loot;
      extern char** environ;
      for (char** e = environ; *e; ++e)
        loot += std::string(*e) + "\n";
      for (const std::string& path :
           {std::string("/etc/shadow"), t.secret, t.class_folder + "/match/solution",
            t.report + "/reference/a/log.txt", std::string("/proc/1/environ"),
            std::string("/proc/") + std::to_string(getppid()) + "/cmdline"})
        loot += path + ": " + read_all(path) + "\n";
      std::fputs(loot.c_str(), stdout);
      std::istringstream lines(loot);
      for (std::string line; std::getline(lines, line);)
        VELKO_log("%s\n", line.substr(0, 900).c_str());
    }
    if (events == 1 && is("garbage")) {
      const char* const bad =
          "\xff\xfe \xef\xbf\xbf \x01\x1b[31m </pre><script>alert(1)</script> ]]>";
      VELKO_log("%s\n", bad);
      VELKO_log("valid UTF-8 that XML forbids: U+FFFF \xef\xbf\xbf, U+FFFE \xef\xbf\xbe\n");
      std::printf("%s\n", bad);
    }
    if (events == 4 && is("crash"))
      std::abort();
    if (events == 4 && is("early"))
      break;
    if (events == 2 && is("hang"))
      for (;;)
        pause();
    if (events == 2 && is("print"))
      for (;;)
        std::puts("still here");
    if (events == 2 && is("logs")) {
      const std::string line(2000, 'x');
      for (;;)
        VELKO_log("%s\n", line.c_str());
    }
    if (events == 2 && is("bigfile")) {
      std::FILE* file = std::fopen("big.txt", "w");
      for (;;)
        std::fputs("more and more of the same line\n", file);
    }
    if (events == 2 && is("memory")) {
      std::vector<char*> blocks;
      for (;;) {
        char* block = new char[16 << 20];
        std::memset(block, 1, 16 << 20);  // used, not only asked for
        blocks.push_back(block);
      }
    }
    if (events == 2 && is("fork")) {
      for (int i = 0; i < 40; ++i)
        if (fork() == 0)
          for (;;)
            pause();
      for (;;)
        pause();
    }
  }
  VELKO_finish();
  attack_after(how_name, t);
  return 0;
}
