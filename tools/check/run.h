// Running one program under velko-check: the one launcher of the
// one-program and the class form. The program runs on the headless backend
// with a script as its input, in a sandbox of its own where the machine
// allows it (sandbox.h), within limits of time, memory, file size, disk,
// output and processes, and what it left (its transcript) is read back by
// the checker, defensively, before anything of the run is let go.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "tools/check/sandbox.h"

namespace check {

struct Limits {
  double seconds = 10;               // wall time
  long long memory_mb = 2048;        // the run's memory; 0: no limit
  long long file_mb = 64;            // each file it writes; 0: no limit
  long long disk_mb = 64;            // all it writes, in the sandbox
  long long output_bytes = 1 << 20;  // what it prints on stdout and stderr together
  int processes = 16;                // processes at once, itself included
};

struct RunRequest {
  std::vector<std::string> command;      // the program (an absolute path, or a name on PATH
                                         // without the sandbox) and its arguments
  std::string script;                    // VELKO.SCR's bytes
  std::vector<long long> after;          // events to keep pictures after
  std::vector<std::string> environment;  // NAME=value beside what every run gets
  Limits limits;
  bool sandbox = false;
  FileIds hidden;  // files never shown to this run
  // Without the sandbox: an empty folder of the run's own, where its work
  // folder and transcript are made, read and removed again.
  std::string scratch;
};

enum class Ending {
  EXITED,         // it ended by itself; exit_code
  SIGNALED,       // it was killed by a signal it caused; signal
  TIMED_OUT,      // it ran past the time limit and was stopped
  OUTPUT_LIMIT,   // it printed more than the limit and was stopped
  PROCESS_LIMIT,  // it started more processes than the limit and was stopped
  CANNOT_RUN,     // it could not be started; message
};

// How a run was kept apart, for the reports.
struct Isolation {
  bool sandboxed = false;
  bool memory_total = false;  // the memory limit bound the whole run (a cgroup)
  std::string memory;         // in words
};

// What the runtime left for the checker: events.txt, log.txt, end.txt,
// window.png, surface.png and after-N.png, each as read (within its cap).
struct TranscriptFiles {
  std::map<std::string, std::string> files;
  std::vector<std::string> problems;  // files that were there but were refused
  const std::string* find(const std::string& name) const {
    const auto at = files.find(name);
    return at == files.end() ? nullptr : &at->second;
  }
};

struct RunOutcome {
  Ending ending = Ending::CANNOT_RUN;
  int exit_code = 0;
  int signal = 0;
  std::string output;          // the start of what it printed, at most the limit
  long long output_bytes = 0;  // all it printed, as far as it was read
  double seconds = 0;          // wall time
  double cpu_seconds = 0;      // its processor time (user and system)
  long long max_rss_kb = 0;
  long long memory_peak_kb = 0;  // the whole run's, where a cgroup counted it
  bool memory_killed = false;    // the kernel stopped it at its memory limit
  bool disk_full = false;        // it filled its folder
  std::string message;           // why it could not run
  Isolation isolation;
  TranscriptFiles transcript;
};

RunOutcome run_program(const RunRequest& request);

// Makes SIGINT, SIGTERM and SIGHUP stop every program still running (and
// everything it started) before the checker ends.
void stop_programs_on_signals();

}  // namespace check
