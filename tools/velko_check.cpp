// velko-check: runs a program built on the VELKO runtime without a display,
// feeds it a script file as its input, and keeps what it drew, what it wrote
// to its log window and which events it was given.
//
//   velko-check [-s SCRIPT] [-o FOLDER] [-t SECONDS] PROGRAM [ARGUMENT...]
//   velko-check --class [OPTION...] (-r REFERENCE | -R FOLDER) SUBMISSION...
//   velko-check merge [-o FOLDER] [--format F] SLICE_FOLDER...
//
// The second form checks a whole class against a reference (tools/check/,
// docs/checking.md).
//
// The program runs as it was built for the desktop: the runtime's headless
// backend is chosen through VELKO_BACKEND, and VELKO_CHECK tells it where to
// leave the transcript (see runtime/platform/headless/check.h). It runs in
// FOLDER/work, where SCRIPT (or an empty script) is its VELKO.SCR.
//
// Exit status: 0 the program ended with status 0; 1 it ended with another
// status; 2 it crashed; 3 it did not end within the time limit and was
// stopped; 4 it could not be run, or did not run on the VELKO runtime;
// 64 the command line was wrong.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tools/check/class_run.h"
#include "tools/check/merge.h"
#include "tools/check/platform_formats.h"

namespace fs = std::filesystem;

namespace {

enum Status { OK = 0, FAILED = 1, CRASHED = 2, HUNG = 3, NOT_RUN = 4, USAGE = 64 };

struct Options {
  std::string script;
  std::string folder = "velko-check-output";
  double seconds = 10;
  std::vector<std::string> command;
};

void usage(const char* why) {
  if (why)
    std::fprintf(stderr, "velko-check: %s\n", why);
  std::fprintf(stderr,
               "usage: velko-check [-s SCRIPT] [-o FOLDER] [-t SECONDS] PROGRAM [ARGUMENT...]\n"
               "  -s SCRIPT   the script file to play as the program's input (default: none)\n"
               "  -o FOLDER   where to leave the transcript (default: velko-check-output)\n"
               "  -t SECONDS  the time the program may take (default: 10)\n"
               "velko-check --class --help: checking a whole class against a reference\n"
               "velko-check merge --help: the class's reports from its slices (--shard K/N)\n");
}

bool parse(int argc, char** argv, Options* options) {
  int i = 1;
  for (; i < argc && argv[i][0] == '-'; ++i) {
    const std::string flag = argv[i];
    if (flag == "--") {
      ++i;
      break;
    }
    if (flag == "-h" || flag == "--help") {
      usage(nullptr);
      std::exit(OK);
    }
    if ((flag != "-s" && flag != "-o" && flag != "-t") || i + 1 >= argc) {
      usage(("unknown option or missing value: " + flag).c_str());
      return false;
    }
    const std::string value = argv[++i];
    if (flag == "-s") {
      options->script = value;
    } else if (flag == "-o") {
      options->folder = value;
    } else {
      char* end = nullptr;
      options->seconds = std::strtod(value.c_str(), &end);
      if (!end || *end || !(options->seconds > 0) || options->seconds > 86400) {
        usage(("not a time in seconds: " + value).c_str());
        return false;
      }
    }
  }
  for (; i < argc; ++i)
    options->command.push_back(argv[i]);
  if (options->command.empty()) {
    usage("no program to check");
    return false;
  }
  return true;
}

std::string read_all(const fs::path& path, bool* found = nullptr) {
  std::ifstream in(path, std::ios::binary);
  if (found)
    *found = static_cast<bool>(in);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

int count_lines(const std::string& text) {
  int lines = 0;
  for (char c : text)
    lines += c == '\n';
  return lines;
}

// The events a script holds, as the player reads them: a PERIODIC line is as
// many events as its count (at least one), the first line the player does not
// know ends it.
long long script_events(const std::string& text) {
  long long events = 0;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    if (line.empty())
      continue;
    if (line.size() < 7)
      break;
    const char kind = line[6];
    if (kind == 'M' || kind == 'K') {
      ++events;
    } else if (kind == 'P') {
      const auto digit = line.find_first_of("0123456789", 6);
      const long long n = digit == std::string::npos ? 0 : std::atoll(line.c_str() + digit);
      events += n > 0 ? n : 1;
    } else {
      break;
    }
  }
  return events;
}

// end.txt: "name value" lines.
std::map<std::string, std::string> read_end(const fs::path& path, bool* found) {
  std::map<std::string, std::string> values;
  std::istringstream in(read_all(path, found));
  std::string name, value;
  while (in >> name >> value)
    values[name] = value;
  return values;
}

// Runs the command in the folder with the environment of a check; answers
// the wait status, or -1 when the time ran out (the program is then stopped).
int run(const Options& options, const fs::path& work, const fs::path& folder, int* exec_error) {
  // Its write end closes on exec, so a read that gets bytes means exec failed.
  int error_pipe[2];
  if (pipe(error_pipe) != 0)
    return -2;
  fcntl(error_pipe[1], F_SETFD, FD_CLOEXEC);
  const pid_t pid = fork();
  if (pid < 0)
    return -2;
  if (pid == 0) {
    close(error_pipe[0]);
    setpgid(0, 0);  // the program and whatever it starts can be stopped together
    if (chdir(work.c_str()) != 0)
      _exit(127);
    setenv("VELKO_BACKEND", "headless", 1);
    setenv("VELKO_CHECK", folder.c_str(), 1);
    std::vector<char*> argv;
    for (const auto& arg : options.command)
      argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    const int error = errno;
    (void)!write(error_pipe[1], &error, sizeof error);
    _exit(127);
  }
  close(error_pipe[1]);
  if (read(error_pipe[0], exec_error, sizeof *exec_error) != sizeof *exec_error)
    *exec_error = 0;
  close(error_pipe[0]);

  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::duration<double>(options.seconds);
  for (;;) {
    int status = 0;
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid)
      return status;
    if (std::chrono::steady_clock::now() >= deadline) {
      kill(-pid, SIGKILL);
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

// Makes the program's command absolute when it names a file, since the
// program runs in a folder of its own.
void resolve_program(Options* options) {
  std::string& program = options->command[0];
  if (program.find('/') != std::string::npos)
    program = fs::absolute(program).string();
}

void class_usage(const char* why) {
  if (why) {
    std::fprintf(stderr, "velko-check: %s\n(velko-check --class --help lists the options)\n", why);
    return;
  }
  std::fprintf(
      stderr,
      "usage: velko-check --class [OPTION...] (-r REFERENCE | -R FOLDER) SUBMISSION...\n"
      "  SUBMISSION        a student's program, or a folder with one sub-folder a student\n"
      "  -r REFERENCE      the reference program, run on the same scripts\n"
      "  -R FOLDER         reference results kept from an earlier run (its reference/ folder)\n"
      "  -s SCRIPT         a script to run every program on (repeat for more)\n"
      "  -o FOLDER         where the runs and the reports go (default: velko-check-class)\n"
      "  -j JOBS           programs run at once (default: one per core)\n"
      "  -t SECONDS        the time each run may take (default: 10)\n"
      "  --after N,N,...   also compare the window after these events\n"
      "  --tolerance L     channel levels a pixel may be off and still agree (default: 0)\n"
      "  --max-diff P      percent of pixels that may differ in a match (default: 0)\n"
      "  --program NAME    the program's name inside each student's folder\n"
      "  --memory MB       memory (address space) of each run, 0 for none (default: 2048)\n"
      "  --file-size MB    size of each file a run writes, 0 for none (default: 64)\n"
      "  --output-limit KB what a run may print (default: 1024)\n"
      "  --processes N     processes a run may have at once (default: 16)\n"
      "  --points P[,P...] a script's points: one for all, or one a script (default: 1)\n"
      "  --format F[,F]    also the course platforms' results: gradescope, prairielearn\n"
      "  --shard K/N       check the K-th of N slices of the class, cut by the students' names;\n"
      "                    velko-check merge makes the class's reports from all N\n"
      "Exit status: 0 every program matched, 1 some did not, 4 the reference could not be\n"
      "made or read, or the reports not written, 64 the command line was wrong.\n");
}

bool number_in(const std::string& text, double low, double high, double* value) {
  char* end = nullptr;
  *value = std::strtod(text.c_str(), &end);
  return !text.empty() && end && !*end && *value >= low && *value <= high;
}

// "5,10,last": "last" is the final window, compared always.
bool parse_after(const std::string& text, std::vector<long long>* after) {
  std::istringstream in(text);
  for (std::string item; std::getline(in, item, ',');) {
    if (item == "last")
      continue;
    double n = 0;
    if (!number_in(item, 1, 1e9, &n) || n != static_cast<long long>(n))
      return false;
    after->push_back(static_cast<long long>(n));
  }
  std::sort(after->begin(), after->end());
  after->erase(std::unique(after->begin(), after->end()), after->end());
  return true;
}

bool parse_class(int argc, char** argv, check::ClassOptions* o) {
  int i = 2;
  for (; i < argc && argv[i][0] == '-'; ++i) {
    const std::string flag = argv[i];
    if (flag == "--") {
      ++i;
      break;
    }
    if (flag == "-h" || flag == "--help") {
      class_usage(nullptr);
      std::exit(OK);
    }
    if (i + 1 >= argc) {
      class_usage(("unknown option or missing value: " + flag).c_str());
      return false;
    }
    const std::string value = argv[++i];
    double n = 0;
    bool good = true;
    if (flag == "-s") {
      o->scripts.push_back(value);
    } else if (flag == "-r") {
      o->reference_program = {fs::absolute(value).string()};
      if (value.find('/') == std::string::npos && !fs::exists(value))
        o->reference_program = {value};
    } else if (flag == "-R") {
      o->reference_folder = value;
    } else if (flag == "-o") {
      o->output = value;
    } else if (flag == "--program") {
      o->program_name = value;
    } else if (flag == "--after") {
      good = parse_after(value, &o->settings.after);
    } else if (flag == "-j" && (good = number_in(value, 1, 256, &n))) {
      o->jobs = static_cast<int>(n);
    } else if (flag == "-t" && (good = number_in(value, 0.001, 86400, &n))) {
      o->settings.limits.seconds = n;
    } else if (flag == "--tolerance" && (good = number_in(value, 0, 255, &n))) {
      o->settings.tolerance = static_cast<int>(n);
    } else if (flag == "--max-diff" && (good = number_in(value, 0, 100, &n))) {
      o->settings.max_diff_percent = n;
    } else if (flag == "--memory" && (good = number_in(value, 0, 1 << 24, &n))) {
      o->settings.limits.memory_mb = static_cast<long long>(n);
    } else if (flag == "--file-size" && (good = number_in(value, 0, 1 << 24, &n))) {
      o->settings.limits.file_mb = static_cast<long long>(n);
    } else if (flag == "--output-limit" && (good = number_in(value, 1, 1 << 22, &n))) {
      o->settings.limits.output_bytes = static_cast<long long>(n * 1024);
    } else if (flag == "--processes" && (good = number_in(value, 1, 100000, &n))) {
      o->settings.limits.processes = static_cast<int>(n);
    } else if (flag == "--points") {
      good = check::parse_points(value, &o->points);
    } else if (flag == "--format") {
      good = check::parse_formats(value, &o->formats);
    } else if (flag == "--shard") {
      good = check::parse_shard(value, &o->shard);
    } else if (good) {
      class_usage(("unknown option: " + flag).c_str());
      return false;
    }
    if (!good) {
      class_usage(("not a good value for " + flag + ": " + value).c_str());
      return false;
    }
  }
  for (; i < argc; ++i)
    o->submissions.push_back(argv[i]);
  if (o->submissions.empty()) {
    class_usage("no submissions to check");
    return false;
  }
  if (o->reference_program.empty() == o->reference_folder.empty()) {
    class_usage("give the reference: either -r PROGRAM or -R FOLDER");
    return false;
  }
  if (o->points.size() > 1 && o->points.size() != std::max<std::size_t>(1, o->scripts.size())) {
    class_usage("--points: give one number for all scripts, or one a script");
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--class") == 0) {
    check::ClassOptions options;
    if (!parse_class(argc, argv, &options))
      return USAGE;
    return check::run_class(options);
  }
  if (argc > 1 && std::strcmp(argv[1], "merge") == 0)
    return check::run_merge(argc, argv);
  Options options;
  if (!parse(argc, argv, &options))
    return USAGE;

  std::string script;
  if (!options.script.empty()) {
    bool found = false;
    script = read_all(options.script, &found);
    if (!found) {
      std::fprintf(stderr, "velko-check: cannot read the script file %s\n", options.script.c_str());
      return USAGE;
    }
  }
  resolve_program(&options);

  std::error_code error;
  const fs::path folder = fs::absolute(options.folder);
  const fs::path work = folder / "work";
  fs::create_directories(folder, error);
  for (const char* name : {"events.txt", "log.txt", "surface.png", "window.png", "end.txt"})
    fs::remove(folder / name, error);
  fs::remove_all(work, error);
  fs::create_directories(work, error);
  {
    std::ofstream out(work / "VELKO.SCR", std::ios::binary);
    out << script;
    if (!out) {
      std::fprintf(stderr, "velko-check: cannot prepare the folder %s\n", folder.c_str());
      return NOT_RUN;
    }
  }

  int exec_error = 0;
  const int status = run(options, work, folder, &exec_error);
  const std::string& program = options.command[0];
  if (status == -2) {
    std::fprintf(stderr, "velko-check: cannot start a process: %s\n", std::strerror(errno));
    return NOT_RUN;
  }
  if (exec_error != 0) {
    std::fprintf(stderr, "velko-check: cannot run %s: %s\n", program.c_str(),
                 std::strerror(exec_error));
    return NOT_RUN;
  }

  bool has_events = false;
  const std::string events = read_all(folder / "events.txt", &has_events);
  bool has_end = false;
  const auto end = read_end(folder / "end.txt", &has_end);
  const int given = count_lines(events);
  const long long in_script = script_events(script);

  std::printf("velko-check: %s on the headless backend, script %s\n", program.c_str(),
              options.script.empty() ? "(none)" : options.script.c_str());
  if (has_events) {
    std::printf("  events given: %d (the script holds %lld)\n", given, in_script);
    const int log_lines = count_lines(read_all(folder / "log.txt"));
    std::printf("  transcript: %s/events.txt, %s/log.txt (%d line%s)", folder.c_str(),
                folder.c_str(), log_lines, log_lines == 1 ? "" : "s");
    for (const char* picture : {"surface.png", "window.png"}) {
      if (fs::exists(folder / picture))
        std::printf(", %s/%s", folder.c_str(), picture);
    }
    std::printf("\n");
  }
  if (has_end && end.count("closed_by_checker") && end.at("closed_by_checker") == "1") {
    std::printf(
        "  the script ran out before the program ended: velko-check closed its window, as the "
        "user would\n");
  } else if (has_end && given < in_script) {
    std::printf("  the program ended before its script did: it used %d of %lld events\n", given,
                in_script);
  }

  if (status == -1) {
    std::printf("  result: the program did not end within %g s after %d events; it was stopped\n",
                options.seconds, given);
    return HUNG;
  }
  if (WIFSIGNALED(status)) {
    const int signal = WTERMSIG(status);
    std::printf("  result: the program crashed (signal %d, %s) after %d events\n", signal,
                strsignal(signal), given);
    return CRASHED;
  }
  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (!has_events) {
    std::printf(
        "  result: the program ended with status %d without starting the VELKO runtime (is it "
        "built on it?)\n",
        code);
    return NOT_RUN;
  }
  if (code != 0) {
    std::printf("  result: the program ended with status %d\n", code);
    return FAILED;
  }
  std::printf("  result: the program ended with status 0\n");
  return OK;
}
