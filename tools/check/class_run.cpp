// Runs a class; see class_run.h.
#include "tools/check/class_run.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <set>
#include <thread>

#include "tools/check/clean_text.h"
#include "tools/check/files.h"
#include "tools/check/report.h"

namespace fs = std::filesystem;

namespace check {
namespace {

bool executable_file(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error) && access(path.c_str(), X_OK) == 0;
}

double cpu_seconds(int who) {
  rusage usage{};
  getrusage(who, &usage);
  return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
         usage.ru_stime.tv_usec / 1e6;
}

// A file name from a student's name, with nothing that leaves the folder.
std::string safe_name(const std::string& name) {
  std::string safe;
  for (char c : name)
    safe +=
        (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == '.') ? c : '_';
  if (safe.empty() || safe[0] == '.')
    safe = "_" + safe;
  return safe.substr(0, 100);
}

bool inside(const fs::path& path, const fs::path& folder) {
  const std::string p = path.string(), f = folder.string();
  return p.size() > f.size() && p.compare(0, f.size(), f) == 0 && p[f.size()] == '/';
}

// Where a student's entry leads, when it stays inside `root` (links
// included); empty otherwise.
fs::path within(const fs::path& entry, const fs::path& root) {
  std::error_code error;
  const fs::path real = fs::canonical(entry, error);
  return !error && inside(real, root) ? real : fs::path();
}

// The students: a program file is one, named by the file; a folder holds one
// sub-folder a student, named by it, with the program inside. Hidden entries
// are not students; a link that leads out of the class folder is refused.
std::vector<Student> find_students(const ClassOptions& options, std::string* why) {
  std::vector<Student> students;
  for (const std::string& given : options.submissions) {
    const fs::path path = given;
    std::error_code error;
    if (fs::is_directory(path, error)) {
      const fs::path root = fs::canonical(path, error);
      std::vector<fs::path> folders;
      for (const auto& entry : fs::directory_iterator(path, error))
        if (entry.path().filename().string()[0] != '.' && entry.is_directory(error))
          folders.push_back(entry.path());
      std::sort(folders.begin(), folders.end());
      if (folders.empty()) {
        *why = "the folder " + given + " has no sub-folder (one a student)";
        return {};
      }
      for (const fs::path& entry : folders) {
        Student s;
        s.name = entry.filename().string();
        const fs::path folder = within(entry, root);
        if (folder.empty()) {
          s.problem =
              "refused: " + entry.string() + " is a link that leads out of the class folder";
        } else if (!options.program_name.empty()) {
          const fs::path program = within(folder / options.program_name, folder);
          if (!program.empty() && executable_file(program))
            s.program = program.string();
          else
            s.problem = "no program " + options.program_name + " in " + entry.string() +
                        " (or a link out of it)";
        } else {
          std::vector<fs::path> programs;
          for (const auto& file : fs::directory_iterator(folder, error))
            if (file.path().filename().string()[0] != '.' && executable_file(file.path()))
              programs.push_back(file.path());
          const fs::path program = programs.size() == 1 ? within(programs[0], folder) : fs::path();
          if (!program.empty())
            s.program = program.string();
          else if (programs.size() == 1)
            s.problem = "refused: its program in " + entry.string() +
                        " is a link that leads out of its folder";
          else
            s.problem = (programs.empty() ? "no program in " : "more than one program in ") +
                        entry.string() + " (name it with --program)";
        }
        students.push_back(s);
      }
    } else if (fs::exists(path, error)) {
      Student s;
      s.name = path.filename().string();
      s.program = fs::absolute(path).string();
      students.push_back(s);
    } else {
      *why = "no such program or folder: " + given;
      return {};
    }
  }
  // Every student has a name and a folder of their own, though two names
  // may make one safe name ("a b", "a_b") or be the same (a/solution,
  // b/solution).
  std::set<std::string> names, folders;
  for (Student& s : students) {
    const std::string base = s.name;
    for (int n = 2; !names.insert(s.name).second; ++n)
      s.name = base + "-" + std::to_string(n);
    const std::string safe = safe_name(s.name);
    s.folder = safe;
    for (int n = 2; !folders.insert(s.folder).second; ++n)
      s.folder = safe + "-" + std::to_string(n);
  }
  return students;
}

// The files no run may see: every program of the class and the reference's.
FileIds program_files(const std::vector<Student>& students, const ClassOptions& options) {
  FileIds ids;
  auto add = [&](const std::string& path) {
    struct stat info {};
    if (!path.empty() && stat(path.c_str(), &info) == 0)
      ids.insert({info.st_dev, info.st_ino});
  };
  for (const Student& s : students)
    add(s.program);
  if (!options.reference_program.empty())
    add(options.reference_program[0]);
  return ids;
}

// Runs a program on a script; what it left is held in the outcome and
// saved in `folder`, where no run can reach it.
RunOutcome run_one(const std::vector<std::string>& command, const ScriptInfo& script,
                   const ClassOptions& options, bool sandboxed, const FileIds& hidden,
                   const fs::path& folder, const fs::path& scratch) {
  RunRequest request;
  request.command = command;
  request.script = script.text;
  request.after = options.settings.after;
  request.limits = options.settings.limits;
  request.sandbox = sandboxed;
  request.hidden = hidden;
  std::error_code error;
  if (!sandboxed) {
    fs::remove_all(scratch, error);
    fs::create_directories(scratch, error);
    request.scratch = scratch.string();
  }
  RunOutcome outcome = run_program(request);
  if (!sandboxed)
    fs::remove_all(scratch, error);
  if (!save_run(folder.string(), outcome) && outcome.ending != Ending::CANNOT_RUN) {
    outcome.ending = Ending::CANNOT_RUN;
    outcome.message = "cannot save its results in " + folder.string();
  }
  return outcome;
}

// Runs task(0..count-1) on `jobs` threads.
template <typename Task>
void in_parallel(std::size_t count, int jobs, Task task) {
  std::atomic<std::size_t> next{0};
  auto worker = [&] {
    for (std::size_t i; (i = next++) < count;)
      task(i);
  };
  std::vector<std::thread> threads;
  for (int j = 1; j < jobs && static_cast<std::size_t>(j) < count; ++j)
    threads.emplace_back(worker);
  worker();
  for (auto& t : threads)
    t.join();
}

}  // namespace

bool decide_sandbox(SandboxMode mode, std::string* warning, bool* refused) {
  *refused = false;
  warning->clear();
  if (mode == SandboxMode::OFF) {
    *warning =
        "the programs run without a sandbox (--sandbox off): each could read, change or "
        "stop what the checker's user can, other students' results included";
    return false;
  }
  const SandboxStatus& status = sandbox_status();
  if (status.available)
    return true;
  if (mode == SandboxMode::ON) {
    *refused = true;
    *warning = "--sandbox on: no sandbox can be made on this machine: " + status.why;
    return false;
  }
  *warning = "the programs run WITHOUT a sandbox: " + status.why + ".";
  if (!status.container.empty())
    *warning += " This looks like a " + status.container +
                " container: there the container is the only boundary around the programs, so "
                "give each submission a container of its own (as course platforms do).";
  else
    *warning +=
        " Each program could read, change or stop what the checker's user can, other "
        "students' results included. velko-check --sandbox-check tells more.";
  std::fprintf(stderr, "velko-check: WARNING: %s\n", warning->c_str());
  return false;
}

int run_class(const ClassOptions& options) {
  stop_programs_on_signals();
  const auto started = std::chrono::steady_clock::now();
  const double checker_cpu_before = cpu_seconds(RUSAGE_SELF);
  ClassResult result;
  const fs::path out = fs::absolute(options.output);
  std::error_code error;

  std::set<std::string> names;
  for (const std::string& path : options.scripts) {
    ScriptInfo s;
    s.path = path;
    s.name = safe_name(fs::path(path).stem().string());
    std::string why;
    if (!read_file_at(path, 64 << 20, &s.text, &why)) {
      std::fprintf(stderr, "velko-check: cannot read the script file %s (%s)\n", path.c_str(),
                   why.c_str());
      return 64;
    }
    if (!names.insert(s.name).second) {
      std::fprintf(stderr, "velko-check: two scripts are named %s; give them other names\n",
                   s.name.c_str());
      return 64;
    }
    result.scripts.push_back(s);
  }
  if (result.scripts.empty()) {
    // No script: each program runs once with none, as the one-program form does.
    result.scripts.push_back({"none", "", ""});
  }
  std::string why;
  result.students = find_students(options, &why);
  if (!why.empty()) {
    std::fprintf(stderr, "velko-check: %s\n", why.c_str());
    return 64;
  }
  // Every program of the class is hidden from every other run, the slices'
  // not checked here included.
  const FileIds programs = program_files(result.students, options);
  result.class_students = static_cast<long long>(result.students.size());
  keep_shard(options.shard, &result.students, &result.class_fingerprint);
  bool refused = false;
  result.sandboxed = decide_sandbox(options.sandbox, &result.sandbox_warning, &refused);
  if (refused) {
    std::fprintf(stderr, "velko-check: %s\n", result.sandbox_warning.c_str());
    return 4;
  }
  const int jobs = options.jobs > 0
                       ? options.jobs
                       : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));

  // A report of its own: runs left from an earlier one in this folder go.
  fs::remove_all(out / "runs", error);
  fs::remove_all(out / "scratch", error);

  // The reference first, each script's run in parallel: its results are
  // held by the checker from then on, and saved where no run reaches.
  const fs::path reference = out / "reference";
  result.reference_runs.resize(result.scripts.size());
  if (!options.reference_folder.empty()) {
    const fs::path kept = fs::absolute(options.reference_folder);
    result.reference = "results kept in " + options.reference_folder;
    for (std::size_t j = 0; j < result.scripts.size(); ++j) {
      const ScriptInfo& s = result.scripts[j];
      RunResult& r = result.reference_runs[j];
      r.script = s.name;
      r.folder = (reference / s.name).string();
      r.outcome.ending = Ending::EXITED;
      r.outcome.transcript = read_kept_run((kept / s.name).string(), options.settings.after);
      r.transcript = parse_transcript(r.outcome.transcript);
      r.outcome.exit_code = r.transcript.exit_code;
      r.outcome.signal = r.transcript.signal;
      if (!r.transcript.has_end) {
        std::fprintf(stderr,
                     "velko-check: the reference folder %s has no finished run for the script %s "
                     "(%s/%s/end.txt)\n",
                     options.reference_folder.c_str(), s.name.c_str(),
                     options.reference_folder.c_str(), s.name.c_str());
        return 4;
      }
      // A picture after event N is there when that run got so far and was
      // asked for it; one not asked for would make every student differ.
      for (long long n : options.settings.after) {
        const std::string picture = "after-" + std::to_string(n) + ".png";
        if (n <= r.transcript.events_given && !r.outcome.transcript.find(picture)) {
          std::fprintf(stderr,
                       "velko-check: the reference folder %s has no %s for the script %s: make "
                       "it again with --after %lld\n",
                       options.reference_folder.c_str(), picture.c_str(), s.name.c_str(), n);
          return 4;
        }
      }
    }
    // A copy of what was read, beside the report, for its pictures (unless
    // the kept folder is this very one).
    if (fs::weakly_canonical(kept, error) != fs::weakly_canonical(reference, error))
      for (const RunResult& r : result.reference_runs)
        save_run(r.folder, r.outcome);
  } else {
    result.reference = "the program " + options.reference_program[0];
    FileIds hidden = programs;
    struct stat info {};
    if (stat(options.reference_program[0].c_str(), &info) == 0)
      hidden.erase({info.st_dev, info.st_ino});
    in_parallel(result.scripts.size(), jobs, [&](std::size_t j) {
      const ScriptInfo& script = result.scripts[j];
      RunResult& r = result.reference_runs[j];
      r.script = script.name;
      r.folder = (reference / script.name).string();
      r.outcome = run_one(options.reference_program, script, options, result.sandboxed, hidden,
                          r.folder, out / "scratch" / ("reference-" + std::to_string(j)));
      r.transcript = parse_transcript(r.outcome.transcript);
      r.transcript.exit_code = r.outcome.exit_code;
      r.transcript.signal = r.outcome.signal;
      r.status = classify_ending(r.outcome, r.transcript, options.settings.limits, &r.message);
    });
    bool failed = false;
    for (const RunResult& r : result.reference_runs) {
      if (r.status.empty())
        continue;
      failed = true;
      std::fprintf(stderr, "velko-check: the reference on the script %s %s\n", r.script.c_str(),
                   terminal_safe(r.message).c_str());
    }
    if (failed)
      return 4;
  }

  // Every student on every script, in parallel.
  struct Task {
    std::size_t student, script;
  };
  std::vector<Task> tasks;
  for (std::size_t i = 0; i < result.students.size(); ++i) {
    result.students[i].runs.resize(result.scripts.size());
    for (std::size_t j = 0; j < result.scripts.size(); ++j)
      tasks.push_back({i, j});
  }
  in_parallel(tasks.size(), jobs, [&](std::size_t k) {
    const Task& task = tasks[k];
    const ScriptInfo& script = result.scripts[task.script];
    Student& student = result.students[task.student];
    RunResult& r = student.runs[task.script];
    r.student = student.name;
    r.script = script.name;
    r.folder = (out / "runs" / student.folder / script.name).string();
    if (student.program.empty()) {
      r.status = "cannot_run";
      r.message = student.problem;
      return;
    }
    FileIds hidden = programs;
    struct stat info {};
    if (stat(student.program.c_str(), &info) == 0)
      hidden.erase({info.st_dev, info.st_ino});
    r.outcome = run_one({student.program}, script, options, result.sandboxed, hidden, r.folder,
                        out / "scratch" / std::to_string(k));
    compare_run(result.reference_runs[task.script], options.settings, &r);
    r.outcome.transcript.files.clear();  // saved; the report reads the pictures there
  });
  fs::remove_all(out / "scratch", error);

  result.all_match = true;
  for (Student& s : result.students) {
    s.status = "match";
    double sum = 0;
    for (const RunResult& r : s.runs) {
      if (status_rank(r.status) < status_rank(s.status))
        s.status = r.status;
      sum += r.score;
      result.programs_cpu_seconds += r.outcome.cpu_seconds;
    }
    s.score = s.runs.empty() ? 0 : sum / s.runs.size();
    if (s.status != "match")
      s.score = std::min(s.score, 99.999);
    result.all_match = result.all_match && s.status == "match";
  }
  for (const RunResult& r : result.reference_runs)
    result.programs_cpu_seconds += r.outcome.cpu_seconds;

  result.wall_seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  result.checker_cpu_seconds = cpu_seconds(RUSAGE_SELF) - checker_cpu_before;
  const bool written = write_reports(out.string(), options, result);
  if (!written) {
    std::fprintf(stderr, "velko-check: cannot write the reports in %s\n", out.c_str());
    return 4;
  }
  // The report's own cost belongs to the checker's time too.
  result.checker_cpu_seconds = cpu_seconds(RUSAGE_SELF) - checker_cpu_before;
  result.wall_seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

  int matched = 0;
  for (const Student& s : result.students) {
    matched += s.status == "match";
    std::printf("%-24s %-14s %7.3f", terminal_safe(s.name).c_str(), s.status.c_str(), s.score);
    for (const RunResult& r : s.runs)
      if (r.status != "match")
        std::printf("  [%s] %s", r.script.c_str(), terminal_safe(r.message).c_str());
    std::printf("\n");
  }
  if (!result.sandboxed)
    std::printf("velko-check: WARNING: %s\n", result.sandbox_warning.c_str());
  std::printf(
      "velko-check: %d of %zu students match the reference; report in %s/index.html\n"
      "velko-check: %.2f s wall, checker %.2f s of processor time, programs %.2f s\n",
      matched, result.students.size(), terminal_safe(out.string()).c_str(), result.wall_seconds,
      result.checker_cpu_seconds, result.programs_cpu_seconds);
  return result.all_match ? 0 : 1;
}

}  // namespace check
