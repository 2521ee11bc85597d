// velko-check: runs a program built on the VELKO runtime without a display,
// feeds it a script file as its input, and keeps what it drew, what it wrote
// to its log window and which events it was given.
//
//   velko-check [OPTION...] PROGRAM [ARGUMENT...]
//   velko-check --class [OPTION...] (-r REFERENCE | -R FOLDER) SUBMISSION...
//   velko-check --sandbox-check
//   velko-check merge [-o FOLDER] [--format F] SLICE_FOLDER...
//
// The second form checks a whole class (or a slice of it) against a
// reference (tools/check/, docs/checking.md); the third tells what the
// sandbox keeps a program from on this machine; the fourth makes a class's
// reports from its slices.
//
// The program runs as it was built for the desktop: the runtime's headless
// backend is chosen through VELKO_BACKEND, and VELKO_CHECK tells it where to
// leave the transcript (see runtime/platform/headless/check.h). Both forms
// start it through one launcher (tools/check/run.h), in a sandbox of its own
// where the machine allows it.
//
// Exit status: 0 the program ended with status 0; 1 it ended with another
// status; 2 it crashed or was stopped at a limit; 3 it did not end within
// the time limit and was stopped; 4 it could not be run, or did not run on
// the VELKO runtime; 64 the command line was wrong.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tools/check/class_run.h"
#include "tools/check/clean_text.h"
#include "tools/check/files.h"
#include "tools/check/merge.h"
#include "tools/check/platform_formats.h"

namespace fs = std::filesystem;

namespace {

enum Status { OK = 0, FAILED = 1, CRASHED = 2, HUNG = 3, NOT_RUN = 4, USAGE = 64 };

struct Options {
  std::string script;
  std::string folder = "velko-check-output";
  double seconds = 10;
  long long disk_mb = 64;
  check::SandboxMode sandbox = check::SandboxMode::AUTO;
  std::vector<std::string> command;
};

void usage(const char* why) {
  if (why)
    std::fprintf(stderr, "velko-check: %s\n", why);
  std::fprintf(stderr,
               "usage: velko-check [-s SCRIPT] [-o FOLDER] [-t SECONDS] [--sandbox MODE] "
               "PROGRAM [ARGUMENT...]\n"
               "  -s SCRIPT       the script file to play as the program's input (default: none)\n"
               "  -o FOLDER       where to leave the transcript (default: velko-check-output)\n"
               "  -t SECONDS      the time the program may take (default: 10)\n"
               "  --sandbox MODE  auto (default: a sandbox where the machine allows it), on, off\n"
               "  --disk MB       all the program may write, in the sandbox (default: 64)\n"
               "velko-check --class --help: checking a whole class against a reference\n"
               "velko-check --sandbox-check: what the sandbox keeps a program from here\n"
               "velko-check merge --help: the class's reports from its slices (--shard K/N)\n");
}

bool number_in(const std::string& text, double low, double high, double* value) {
  char* end = nullptr;
  *value = std::strtod(text.c_str(), &end);
  return !text.empty() && end && !*end && *value >= low && *value <= high;
}

bool sandbox_mode(const std::string& text, check::SandboxMode* mode) {
  if (text == "auto")
    *mode = check::SandboxMode::AUTO;
  else if (text == "on")
    *mode = check::SandboxMode::ON;
  else if (text == "off")
    *mode = check::SandboxMode::OFF;
  else
    return false;
  return true;
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
    if ((flag != "-s" && flag != "-o" && flag != "-t" && flag != "--sandbox" && flag != "--disk") ||
        i + 1 >= argc) {
      usage(("unknown option or missing value: " + flag).c_str());
      return false;
    }
    const std::string value = argv[++i];
    double n = 0;
    if (flag == "-s") {
      options->script = value;
    } else if (flag == "-o") {
      options->folder = value;
    } else if (flag == "--sandbox") {
      if (!sandbox_mode(value, &options->sandbox)) {
        usage(("not a sandbox mode (auto, on, off): " + value).c_str());
        return false;
      }
    } else if (flag == "--disk") {
      if (!number_in(value, 1, 1 << 20, &n)) {
        usage(("not a size in MB: " + value).c_str());
        return false;
      }
      options->disk_mb = static_cast<long long>(n);
    } else if (!number_in(value, 1e-9, 86400, &options->seconds)) {
      usage(("not a time in seconds: " + value).c_str());
      return false;
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

int count_lines(const std::string* text) {
  return text ? static_cast<int>(std::count(text->begin(), text->end(), '\n')) : 0;
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

// The program's command, absolute when it names a file, since the program
// runs in a folder of its own; a bare name is looked up on PATH here.
std::string resolve_program(const std::string& program) {
  if (program.find('/') != std::string::npos)
    return fs::absolute(program).string();
  const char* path = std::getenv("PATH");
  std::istringstream dirs(path ? path : "");
  for (std::string dir; std::getline(dirs, dir, ':');)
    if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0)
      return fs::absolute(dir + "/" + program).string();
  return program;
}

// The one-program form: the run's transcript is written into FOLDER, and
// a summary to standard output.
int check_one(const Options& options) {
  std::string script, why;
  if (!options.script.empty() && !check::read_file_at(options.script, 64 << 20, &script, &why)) {
    std::fprintf(stderr, "velko-check: cannot read the script file %s (%s)\n",
                 options.script.c_str(), why.c_str());
    return USAGE;
  }
  std::string warning;
  bool refused = false;
  check::RunRequest request;
  request.sandbox = check::decide_sandbox(options.sandbox, &warning, &refused);
  if (refused) {
    std::fprintf(stderr, "velko-check: %s\n", warning.c_str());
    return NOT_RUN;
  }
  request.command = options.command;
  request.command[0] = resolve_program(request.command[0]);
  request.script = script;
  request.limits.seconds = options.seconds;
  request.limits.disk_mb = options.disk_mb;
  request.limits.memory_mb = 0;  // one program: as much as the machine gives it

  std::error_code error;
  const fs::path folder = fs::absolute(options.folder);
  fs::create_directories(folder, error);
  for (const char* name :
       {"events.txt", "log.txt", "surface.png", "window.png", "end.txt", "output.txt", "run.txt"})
    fs::remove(folder / name, error);
  fs::remove_all(folder / "work", error);
  request.scratch = (folder / "work").string();
  if (!request.sandbox)
    fs::create_directories(request.scratch, error);
  check::stop_programs_on_signals();
  const check::RunOutcome outcome = check::run_program(request);
  fs::remove_all(folder / "work", error);
  const std::string& program = options.command[0];
  if (outcome.ending == check::Ending::CANNOT_RUN) {
    std::fprintf(stderr, "velko-check: %s\n", check::terminal_safe(outcome.message).c_str());
    return NOT_RUN;
  }
  for (const auto& [name, bytes] : outcome.transcript.files)
    check::write_new_file((folder / name).string(), bytes);
  if (!outcome.output.empty())
    check::write_new_file((folder / "output.txt").string(), outcome.output);

  const check::TranscriptFiles& t = outcome.transcript;
  const std::string* events = t.find("events.txt");
  const std::string* end = t.find("end.txt");
  const int given = count_lines(events);
  const long long in_script = script_events(script);
  std::printf("velko-check: %s on the headless backend, script %s%s\n",
              check::terminal_safe(program).c_str(),
              options.script.empty() ? "(none)" : check::terminal_safe(options.script).c_str(),
              request.sandbox ? ", in a sandbox" : "");
  if (!request.sandbox)
    std::printf("  WARNING: %s\n", warning.c_str());
  if (events) {
    std::printf("  events given: %d (the script holds %lld)\n", given, in_script);
    const int log_lines = count_lines(t.find("log.txt"));
    std::printf("  transcript: %s/events.txt, %s/log.txt (%d line%s)", folder.c_str(),
                folder.c_str(), log_lines, log_lines == 1 ? "" : "s");
    for (const char* picture : {"surface.png", "window.png"})
      if (t.find(picture))
        std::printf(", %s/%s", folder.c_str(), picture);
    std::printf("\n");
  }
  if (!outcome.output.empty())
    std::printf("  it printed %lld bytes: %s/output.txt\n", outcome.output_bytes, folder.c_str());
  for (const std::string& problem : t.problems)
    std::printf("  its transcript was refused: %s\n", check::terminal_safe(problem).c_str());
  if (end && end->find("closed_by_checker 1") != std::string::npos) {
    std::printf(
        "  the script ran out before the program ended: velko-check closed its window, as the "
        "user would\n");
  } else if (end && given < in_script) {
    std::printf("  the program ended before its script did: it used %d of %lld events\n", given,
                in_script);
  }

  switch (outcome.ending) {
    case check::Ending::TIMED_OUT:
      std::printf("  result: the program did not end within %g s after %d events; it was stopped\n",
                  options.seconds, given);
      return HUNG;
    case check::Ending::OUTPUT_LIMIT:
    case check::Ending::PROCESS_LIMIT: {
      std::string message;
      check::Transcript transcript = check::parse_transcript(t);
      check::classify_ending(outcome, transcript, request.limits, &message);
      std::printf("  result: the program %s\n", message.c_str());
      return CRASHED;
    }
    case check::Ending::SIGNALED:
      std::printf("  result: the program crashed (signal %d, %s) after %d events\n", outcome.signal,
                  strsignal(outcome.signal), given);
      return CRASHED;
    default:
      break;
  }
  if (!events) {
    std::printf(
        "  result: the program ended with status %d without starting the VELKO runtime (is it "
        "built on it?)\n",
        outcome.exit_code);
    return NOT_RUN;
  }
  std::printf("  result: the program ended with status %d\n", outcome.exit_code);
  return outcome.exit_code == 0 ? OK : FAILED;
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
      "  --memory MB       memory of each run, 0 for none (default: 2048)\n"
      "  --disk MB         all a run may write, in the sandbox (default: 64)\n"
      "  --file-size MB    size of each file a run writes, 0 for none (default: 64)\n"
      "  --output-limit KB what a run may print (default: 1024)\n"
      "  --processes N     processes a run may have at once (default: 16)\n"
      "  --sandbox MODE    auto: each run in a sandbox where the machine allows it, and a\n"
      "                    warning where not (default); on: refuse to run without; off: none\n"
      "  --points P[,P...] a script's points: one for all, or one a script (default: 1)\n"
      "  --format F[,F]    also the course platforms' results: gradescope, prairielearn\n"
      "  --shard K/N       check the K-th of N slices of the class, cut by the students' names;\n"
      "                    velko-check merge makes the class's reports from all N\n"
      "Exit status: 0 every program matched, 1 some did not, 4 the reference could not be\n"
      "made or read, or the reports not written, 64 the command line was wrong.\n");
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
    } else if (flag == "--disk" && (good = number_in(value, 1, 1 << 20, &n))) {
      o->settings.limits.disk_mb = static_cast<long long>(n);
    } else if (flag == "--sandbox") {
      good = sandbox_mode(value, &o->sandbox);
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
  if (argc == 2 && std::strcmp(argv[1], "--sandbox-check") == 0)
    return check::sandbox_self_test();
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
  return check_one(options);
}
