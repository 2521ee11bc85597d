// Running one program under velko-check: in a work folder of its own, on
// the headless backend, within limits of time, memory, file size, output and
// processes. This bounds a careless or runaway program; it is not a sandbox
// against a hostile one (see docs/checking.md).
#pragma once

#include <string>
#include <vector>

namespace check {

struct Limits {
  double seconds = 10;               // wall time
  long long memory_mb = 2048;        // address space; 0: no limit
  long long file_mb = 64;            // each file it writes; 0: no limit
  long long output_bytes = 1 << 20;  // what it prints on stdout and stderr together
  int processes = 16;                // processes in its group, itself included
};

struct RunRequest {
  std::vector<std::string>
      command;             // the program (a path with a slash, or a name on PATH) and its arguments
  std::string work;        // the folder it runs in (it must exist)
  std::string transcript;  // the folder the runtime writes its transcript to
  std::string after;       // event numbers to keep pictures after ("5,10"), or empty
  Limits limits;
};

enum class Ending {
  EXITED,         // it ended by itself; exit_code
  SIGNALED,       // it was killed by a signal it caused; signal
  TIMED_OUT,      // it ran past the time limit and was stopped
  OUTPUT_LIMIT,   // it printed more than the limit and was stopped
  PROCESS_LIMIT,  // it started more processes than the limit and was stopped
  CANNOT_RUN,     // it could not be started; message
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
  std::string message;  // why it could not run
};

RunOutcome run_program(const RunRequest& request);

// Makes SIGINT, SIGTERM and SIGHUP stop every program still running before
// the checker ends, since each runs in a process group of its own and
// would not get the signal.
void stop_programs_on_signals();

}  // namespace check
