// Checking a class: every student's program on every script, in parallel,
// compared with a reference, and the reports written.
#pragma once

#include <string>
#include <vector>

#include "tools/check/compare.h"
#include "tools/check/shard.h"

namespace check {

struct ClassOptions {
  std::vector<std::string> scripts;            // script files
  std::vector<std::string> reference_program;  // a program and its arguments, or empty
  std::string reference_folder;                // results kept from an earlier run, or empty
  std::vector<std::string> submissions;        // programs, or folders of one sub-folder a student
  std::string program_name;                    // the program inside each student's folder
  std::string output = "velko-check-class";
  int jobs = 0;  // 0: one per core
  SandboxMode sandbox = SandboxMode::AUTO;
  Settings settings;
  std::vector<std::string> formats;  // course platforms' results to write too (--format)
  Shard shard;                       // the slice of the class to check (--shard K/N)
  std::vector<double> points;        // a script's points (--points): one for all, or one each
};

struct Student {
  std::string name;     // as given (a folder's or a file's name)
  std::string folder;   // its folder under runs/: safe, and unique in the class
  std::string program;  // empty when none was found
  std::string problem;  // why there is no program
  std::vector<RunResult> runs;
  std::string status;
  double score = 0;
};

struct ScriptInfo {
  std::string name;  // the file's name without its extension
  std::string path;
  std::string text;
};

struct ClassResult {
  std::vector<ScriptInfo> scripts;
  std::vector<Student> students;
  std::string reference;  // what the reference was, in words
  std::vector<RunResult> reference_runs;
  double wall_seconds = 0, checker_cpu_seconds = 0, programs_cpu_seconds = 0;
  bool all_match = false;
  bool sandboxed = false;
  std::string sandbox_warning;    // why the runs were not sandboxed, loudly, when they were not
  long long class_students = 0;   // before the class was cut into slices
  std::string class_fingerprint;  // of the whole class, for a slice
};

// Whether runs are sandboxed under `mode`: prints the warning of `auto`
// once, on standard error; false with *refused set when `on` cannot be had.
bool decide_sandbox(SandboxMode mode, std::string* warning, bool* refused);

// Exit status: 0 every program matched, 1 some did not, 4 the reference
// could not be made or read, or no sandbox with --sandbox on, 64 the
// options were wrong. Messages go to standard error, the summary to
// standard output.
int run_class(const ClassOptions& options);

}  // namespace check
