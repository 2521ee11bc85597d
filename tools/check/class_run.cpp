// Runs a class; see class_run.h.
#include "tools/check/class_run.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

#include "tools/check/report.h"

namespace fs = std::filesystem;

namespace check {
namespace {

bool executable_file(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error) && access(path.c_str(), X_OK) == 0;
}

std::string after_list(const std::vector<long long>& after) {
  std::string text;
  for (long long n : after) {
    if (!text.empty())
      text += ',';
    text += std::to_string(n);
  }
  return text;
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
  return safe;
}

// The students: a program file is one, named by the file; a folder holds one
// sub-folder a student, named by it, with the program inside.
std::vector<Student> find_students(const ClassOptions& options, std::string* why) {
  std::vector<Student> students;
  for (const std::string& given : options.submissions) {
    const fs::path path = given;
    std::error_code error;
    if (fs::is_directory(path, error)) {
      std::vector<fs::path> folders;
      for (const auto& entry : fs::directory_iterator(path, error))
        if (entry.is_directory(error))
          folders.push_back(entry.path());
      std::sort(folders.begin(), folders.end());
      if (folders.empty()) {
        *why = "the folder " + given + " has no sub-folder (one a student)";
        return {};
      }
      for (const fs::path& folder : folders) {
        Student s;
        s.name = folder.filename().string();
        if (!options.program_name.empty()) {
          if (executable_file(folder / options.program_name))
            s.program = fs::absolute(folder / options.program_name).string();
          else
            s.problem = "no program " + options.program_name + " in " + folder.string();
        } else {
          std::vector<fs::path> programs;
          for (const auto& entry : fs::directory_iterator(folder, error))
            if (executable_file(entry.path()))
              programs.push_back(entry.path());
          if (programs.size() == 1)
            s.program = fs::absolute(programs[0]).string();
          else
            s.problem = (programs.empty() ? "no program in " : "more than one program in ") +
                        folder.string() + " (name it with --program)";
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
  // Two programs of one name (a/solve, b/solve) stay apart.
  std::map<std::string, int> seen;
  for (Student& s : students) {
    const int n = ++seen[safe_name(s.name)];
    if (n > 1)
      s.name += "-" + std::to_string(n);
  }
  return students;
}

bool prepare(const fs::path& folder, const std::string& script, std::string* why) {
  std::error_code error;
  fs::remove_all(folder, error);
  fs::create_directories(folder / "work", error);
  std::ofstream out(folder / "work" / "VELKO.SCR", std::ios::binary);
  out << script;
  out.close();
  if (!out) {
    *why = "cannot prepare the folder " + folder.string();
    return false;
  }
  return true;
}

RunOutcome run_in(const fs::path& folder, const std::vector<std::string>& command,
                  const ClassOptions& options) {
  RunRequest request;
  request.command = command;
  request.work = (folder / "work").string();
  request.transcript = folder.string();
  request.after = after_list(options.settings.after);
  request.limits = options.settings.limits;
  RunOutcome outcome = run_program(request);
  write_run_file(folder.string(), outcome);
  std::ofstream(folder / "output.txt", std::ios::binary) << outcome.output;
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
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "velko-check: cannot read the script file %s\n", path.c_str());
      return 64;
    }
    std::ostringstream text;
    text << in.rdbuf();
    s.text = text.str();
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
  result.class_students = static_cast<long long>(result.students.size());
  keep_shard(options.shard, &result.students, &result.class_fingerprint);
  const int jobs = options.jobs > 0
                       ? options.jobs
                       : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));

  // A report of its own: runs left from an earlier one in this folder go.
  fs::remove_all(out / "runs", error);

  // The reference: run into out/reference, or read from a kept folder.
  fs::path reference = out / "reference";
  if (!options.reference_folder.empty()) {
    reference = fs::absolute(options.reference_folder);
    result.reference = "results kept in " + options.reference_folder;
    for (const ScriptInfo& s : result.scripts) {
      if (!fs::exists(reference / s.name / "end.txt", error)) {
        std::fprintf(stderr,
                     "velko-check: the reference folder %s has no finished run for the script %s "
                     "(%s/%s/end.txt)\n",
                     options.reference_folder.c_str(), s.name.c_str(),
                     options.reference_folder.c_str(), s.name.c_str());
        return 4;
      }
      // A picture after event N is there when that run got so far and was
      // asked for it; one not asked for would make every student differ.
      const long long given = read_transcript((reference / s.name).string()).events_given;
      for (long long n : options.settings.after) {
        const std::string picture = "after-" + std::to_string(n) + ".png";
        if (n <= given && !fs::exists(reference / s.name / picture, error)) {
          std::fprintf(stderr,
                       "velko-check: the reference folder %s has no %s for the script %s: make "
                       "it again with --after %lld\n",
                       options.reference_folder.c_str(), picture.c_str(), s.name.c_str(), n);
          return 4;
        }
      }
    }
  } else {
    result.reference = "the program " + options.reference_program[0];
    result.reference_runs.resize(result.scripts.size());
  }

  // The reference's runs first, then every student on every script, all in
  // one pool: a student's run waits for the reference only to be compared.
  const bool run_reference = !result.reference_runs.empty();
  std::vector<bool> reference_done(result.scripts.size(), !run_reference);
  std::atomic<bool> reference_failed{false};
  std::mutex mutex;
  std::condition_variable reference_ready;
  struct Task {
    std::size_t student, script;
    bool reference;
  };
  std::vector<Task> tasks;
  if (run_reference)
    for (std::size_t j = 0; j < result.scripts.size(); ++j)
      tasks.push_back({0, j, true});
  for (std::size_t i = 0; i < result.students.size(); ++i) {
    result.students[i].runs.resize(result.scripts.size());
    for (std::size_t j = 0; j < result.scripts.size(); ++j)
      tasks.push_back({i, j, false});
  }
  in_parallel(tasks.size(), jobs, [&](std::size_t k) {
    const Task& task = tasks[k];
    const ScriptInfo& script = result.scripts[task.script];
    if (task.reference) {
      RunResult& r = result.reference_runs[task.script];
      r.script = script.name;
      r.folder = (reference / script.name).string();
      std::string problem;
      if (prepare(r.folder, script.text, &problem)) {
        r.outcome = run_in(r.folder, options.reference_program, options);
        r.transcript = read_transcript(r.folder);
        r.status = classify_ending(r.outcome, r.transcript, options.settings.limits, &r.message);
      } else {
        r.status = "cannot_run";
        r.message = problem;
      }
      if (!r.status.empty())
        reference_failed = true;
      std::lock_guard<std::mutex> lock(mutex);
      reference_done[task.script] = true;
      reference_ready.notify_all();
      return;
    }
    Student& student = result.students[task.student];
    RunResult& r = student.runs[task.script];
    r.student = student.name;
    r.script = script.name;
    r.folder = (out / "runs" / safe_name(student.name) / script.name).string();
    if (student.program.empty()) {
      r.status = "cannot_run";
      r.message = student.problem;
      return;
    }
    std::string problem;
    if (!prepare(r.folder, script.text, &problem)) {
      r.status = "cannot_run";
      r.message = problem;
      return;
    }
    r.outcome = run_in(r.folder, {student.program}, options);
    {
      std::unique_lock<std::mutex> lock(mutex);
      reference_ready.wait(lock, [&] { return reference_done[task.script]; });
    }
    if (!reference_failed)
      compare_run((reference / script.name).string(), options.settings, &r);
  });
  if (reference_failed) {
    for (const RunResult& r : result.reference_runs)
      if (!r.status.empty())
        std::fprintf(stderr, "velko-check: the reference on the script %s %s\n", r.script.c_str(),
                     r.message.c_str());
    return 4;
  }

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
    std::printf("%-24s %-14s %7.3f", s.name.c_str(), s.status.c_str(), s.score);
    for (const RunResult& r : s.runs)
      if (r.status != "match")
        std::printf("  [%s] %s", r.script.c_str(), r.message.c_str());
    std::printf("\n");
  }
  std::printf(
      "velko-check: %d of %zu students match the reference; report in %s/index.html\n"
      "velko-check: %.2f s wall, checker %.2f s of processor time, programs %.2f s\n",
      matched, result.students.size(), out.c_str(), result.wall_seconds, result.checker_cpu_seconds,
      result.programs_cpu_seconds);
  return result.all_match ? 0 : 1;
}

}  // namespace check
