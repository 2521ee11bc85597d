// Runs one program with its limits; see run.h.
#include "tools/check/run.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>
#include <mutex>

extern char** environ;

namespace check {
namespace {

using Clock = std::chrono::steady_clock;

// How many processes each process group has, from one scan of /proc shared
// by every run going on at the time and renewed at most every 50 ms.
int processes_in_group(pid_t group) {
  static std::mutex mutex;
  static Clock::time_point taken;
  static std::map<pid_t, int> counts;
  std::lock_guard<std::mutex> lock(mutex);
  const auto now = Clock::now();
  if (now - taken > std::chrono::milliseconds(50)) {
    taken = now;
    counts.clear();
    if (DIR* proc = opendir("/proc")) {
      while (const dirent* entry = readdir(proc)) {
        if (entry->d_name[0] < '0' || entry->d_name[0] > '9')
          continue;
        const std::string path = std::string("/proc/") + entry->d_name + "/stat";
        const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
          continue;
        char buffer[512];
        const ssize_t got = read(fd, buffer, sizeof buffer - 1);
        close(fd);
        if (got <= 0)
          continue;
        buffer[got] = '\0';
        // "pid (name) state ppid pgrp ...": the name may hold anything but
        // ends at the last ')'.
        const char* close_paren = std::strrchr(buffer, ')');
        char state = 0;
        int ppid = 0, pgrp = 0;
        if (close_paren && std::sscanf(close_paren + 1, " %c %d %d", &state, &ppid, &pgrp) == 3 &&
            state != 'Z')
          ++counts[pgrp];
      }
      closedir(proc);
    }
  }
  const auto found = counts.find(group);
  return found == counts.end() ? 0 : found->second;
}

// The process groups of the runs going on, for the signal handler.
constexpr int kMaxRunning = 512;
std::atomic<pid_t> running[kMaxRunning];

void note_running(pid_t group, bool on) {
  for (auto& slot : running) {
    pid_t expected = on ? 0 : group;
    if (slot.compare_exchange_strong(expected, on ? group : 0))
      return;
  }
}

void stop_all(int signal) {
  for (auto& slot : running) {
    const pid_t group = slot.load();
    if (group > 0)
      kill(-group, SIGKILL);
  }
  ::signal(signal, SIG_DFL);
  raise(signal);
}

std::vector<std::string> environment(const RunRequest& request) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    for (const char* ours : {"VELKO_BACKEND=", "VELKO_CHECK=", "VELKO_CHECK_AFTER="})
      if (entry.rfind(ours, 0) == 0)
        goto skip;
    env.push_back(entry);
  skip:;
  }
  env.push_back("VELKO_BACKEND=headless");
  env.push_back("VELKO_CHECK=" + request.transcript);
  if (!request.after.empty())
    env.push_back("VELKO_CHECK_AFTER=" + request.after);
  return env;
}

void set_limit(int resource, rlim_t value) {
  const rlimit limit{value, value};
  setrlimit(resource, &limit);
}

}  // namespace

void stop_programs_on_signals() {
  struct sigaction action {};
  action.sa_handler = stop_all;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP})
    sigaction(signal, &action, nullptr);
}

RunOutcome run_program(const RunRequest& request) {
  RunOutcome outcome;
  if (request.command.empty()) {
    outcome.message = "no program";
    return outcome;
  }
  // Everything the child needs is made before fork: after it, in a process
  // with threads, only async-signal-safe calls are allowed.
  std::vector<std::string> env_strings = environment(request);
  std::vector<char*> env, argv;
  for (auto& e : env_strings)
    env.push_back(e.data());
  env.push_back(nullptr);
  std::vector<std::string> args = request.command;
  for (auto& a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  const bool has_path = args[0].find('/') != std::string::npos;
  const Limits& limits = request.limits;

  int output_pipe[2], error_pipe[2];
  if (pipe2(output_pipe, O_CLOEXEC) != 0) {
    outcome.message = std::string("cannot make a pipe: ") + std::strerror(errno);
    return outcome;
  }
  if (pipe2(error_pipe, O_CLOEXEC) != 0) {
    close(output_pipe[0]);
    close(output_pipe[1]);
    outcome.message = std::string("cannot make a pipe: ") + std::strerror(errno);
    return outcome;
  }
  const auto started = Clock::now();
  const pid_t pid = fork();
  if (pid < 0) {
    outcome.message = std::string("cannot start a process: ") + std::strerror(errno);
    for (int fd : {output_pipe[0], output_pipe[1], error_pipe[0], error_pipe[1]})
      close(fd);
    return outcome;
  }
  if (pid == 0) {
    setpgid(0, 0);  // the program and whatever it starts are stopped together
    const int null = open("/dev/null", O_RDONLY);
    if (null >= 0)
      dup2(null, 0);
    dup2(output_pipe[1], 1);
    dup2(output_pipe[1], 2);
    int error = 0;
    if (chdir(request.work.c_str()) != 0) {
      error = errno;
    } else {
      if (limits.memory_mb > 0)
        set_limit(RLIMIT_AS, static_cast<rlim_t>(limits.memory_mb) << 20);
      if (limits.file_mb > 0)
        set_limit(RLIMIT_FSIZE, static_cast<rlim_t>(limits.file_mb) << 20);
      set_limit(RLIMIT_CORE, 0);
      if (has_path)
        execve(argv[0], argv.data(), env.data());
      else
        execvpe(argv[0], argv.data(), env.data());
      error = errno;
    }
    (void)!write(error_pipe[1], &error, sizeof error);
    _exit(127);
  }
  setpgid(pid, pid);
  note_running(pid, true);
  close(output_pipe[1]);
  close(error_pipe[1]);
  int exec_error = 0;
  if (read(error_pipe[0], &exec_error, sizeof exec_error) != sizeof exec_error)
    exec_error = 0;
  close(error_pipe[0]);

  const Clock::time_point deadline = started + std::chrono::duration_cast<Clock::duration>(
                                                   std::chrono::duration<double>(limits.seconds));
  // The processes are counted from 100 ms on, every 100 ms: most runs end
  // before that, and a scan of /proc is the checker's dearest work.
  Clock::time_point next_count = started + std::chrono::milliseconds(100);
  // A descriptor that becomes readable when the program ends, so that the
  // wait needs no polling; where the kernel has none, it wakes every 5 ms.
  const int ended_fd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  bool open_output = true;
  int status = 0;
  rusage usage{};
  Ending stopped = Ending::EXITED;  // why the checker stopped it, if it did
  char buffer[65536];
  for (;;) {
    const auto now = Clock::now();
    if (now >= deadline && stopped == Ending::EXITED) {
      stopped = Ending::TIMED_OUT;
      kill(-pid, SIGKILL);
    }
    if (limits.processes > 0 && now >= next_count && stopped == Ending::EXITED) {
      next_count = now + std::chrono::milliseconds(100);
      if (processes_in_group(pid) > limits.processes) {
        stopped = Ending::PROCESS_LIMIT;
        kill(-pid, SIGKILL);
      }
    }
    if (wait4(pid, &status, WNOHANG, &usage) == pid)
      break;
    Clock::time_point until = std::min(deadline, limits.processes > 0 ? next_count : deadline);
    if (stopped != Ending::EXITED || ended_fd < 0)
      until = std::min<Clock::time_point>(until, now + std::chrono::milliseconds(5));
    const int wait_ms = static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(until - now).count() + 1);
    pollfd fds[2] = {{ended_fd, POLLIN, 0}, {output_pipe[0], POLLIN, 0}};
    pollfd* first = ended_fd >= 0 ? fds : fds + 1;
    const int count = static_cast<int>((fds + 1 + (open_output ? 1 : 0)) - first);
    if (count > 0 && poll(first, static_cast<nfds_t>(count), std::max(wait_ms, 0)) > 0 &&
        open_output && (fds[1].revents & (POLLIN | POLLHUP))) {
      const ssize_t got = read(output_pipe[0], buffer, sizeof buffer);
      if (got > 0) {
        const long long room = limits.output_bytes - static_cast<long long>(outcome.output.size());
        if (room > 0)
          outcome.output.append(buffer, static_cast<std::size_t>(std::min<long long>(room, got)));
        outcome.output_bytes += got;
        if (outcome.output_bytes > limits.output_bytes && stopped == Ending::EXITED) {
          stopped = Ending::OUTPUT_LIMIT;
          kill(-pid, SIGKILL);
        }
      } else {
        open_output = false;  // closed: what is left of the program has no say
      }
    } else if (count == 0) {
      usleep(static_cast<useconds_t>(std::clamp(wait_ms, 0, 5) * 1000));
    }
  }
  if (ended_fd >= 0)
    close(ended_fd);
  // Whatever it left running in its group goes with it, and what is left in
  // the pipe is read without waiting for those to close it.
  kill(-pid, SIGKILL);
  note_running(pid, false);
  if (open_output) {
    fcntl(output_pipe[0], F_SETFL, O_NONBLOCK);
    ssize_t got;
    while ((got = read(output_pipe[0], buffer, sizeof buffer)) > 0) {
      const long long room = limits.output_bytes - static_cast<long long>(outcome.output.size());
      if (room > 0)
        outcome.output.append(buffer, static_cast<std::size_t>(std::min<long long>(room, got)));
      outcome.output_bytes += got;
    }
  }
  close(output_pipe[0]);
  outcome.seconds = std::chrono::duration<double>(Clock::now() - started).count();
  outcome.cpu_seconds = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 +
                        usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
  outcome.max_rss_kb = usage.ru_maxrss;
  if (exec_error != 0) {
    outcome.ending = Ending::CANNOT_RUN;
    outcome.message =
        std::string("cannot run ") + request.command[0] + ": " + std::strerror(exec_error);
    return outcome;
  }
  if (stopped != Ending::EXITED) {
    outcome.ending = stopped;
    return outcome;
  }
  if (WIFSIGNALED(status)) {
    outcome.ending = Ending::SIGNALED;
    outcome.signal = WTERMSIG(status);
  } else {
    outcome.ending = Ending::EXITED;
    outcome.exit_code = WEXITSTATUS(status);
  }
  return outcome;
}

}  // namespace check
