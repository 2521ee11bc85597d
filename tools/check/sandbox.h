// The sandbox each checked program runs in: bubblewrap (bwrap) gives it
// namespaces of its own, so that it sees its own processes only, a
// read-only system with one writable folder of limited size, no network
// but loopback, and a small environment; nothing of the checker, the
// reference, other students or the reports.
//
// Inside, the run's folder is /velko, a size-limited tmpfs:
//   /velko/work        its current directory and HOME, with VELKO.SCR
//   /velko/transcript  where the runtime leaves its transcript (VELKO_CHECK)
//   /velko/tmp         TMPDIR
// The checker keeps that folder open from outside, reads what it needs
// after the run, and lets it go: nothing of a run is left on disk.
#pragma once

#include <sys/types.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace check {

enum class SandboxMode { AUTO, ON, OFF };

// Whether this machine can sandbox runs, tried once with the options the
// runs use.
struct SandboxStatus {
  bool available = false;
  std::string bwrap;      // the bubblewrap program, when found
  std::string why;        // why not, when not available
  std::string container;  // what container we seem to run in, if any
};
const SandboxStatus& sandbox_status();

// The user the runs are made as: an unprivileged one when the checker is
// root, so that a program never has root's rights to the files it sees.
constexpr uid_t kSandboxUser = 65534;
bool sandbox_drops_root();

// Files that are never shown to a run, whatever the program asks for: the
// reference's program and every other student's (device, inode).
using FileIds = std::set<std::pair<dev_t, ino_t>>;

struct SandboxRequest {
  std::vector<std::string> command;      // the program (an absolute path) and its arguments
  std::vector<std::string> environment;  // NAME=value, besides those every run gets
  long long disk_bytes = 64 << 20;
  FileIds hidden;
  int script_fd = -1;  // VELKO.SCR's bytes, copied into the work folder
};

// The arguments of bwrap for a run, and the descriptors they name: the
// child makes descriptor first_fd + i of fds[i] before it starts bwrap.
// bwrap's own descriptors are 3 (it writes the sandbox's process number
// there) and 4 (it waits on it before it starts the program).
struct SandboxLaunch {
  std::vector<std::string> arguments;  // bwrap's path first
  std::vector<int> fds;                // open, close-on-exec; the caller closes them
  static constexpr int first_fd = 6;
};
bool prepare_sandbox(const SandboxRequest& request, SandboxLaunch* launch, std::string* why);

// The files velko-check shows a run beside the system: the shared libraries
// of the runtime that the program names and finds through its own search
// path (a program linked against an installed or built libvelko).
std::vector<std::pair<std::string, std::string>> runtime_libraries(const std::string& program,
                                                                   const FileIds& hidden);

// velko-check --sandbox-check: prints what a run is kept from here; 0 when
// runs are isolated in every way, 1 otherwise.
int sandbox_self_test();

}  // namespace check
