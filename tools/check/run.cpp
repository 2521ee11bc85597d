// Runs one program with its limits; see run.h.
#include "tools/check/run.h"

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>

#include "tools/check/cgroup.h"
#include "tools/check/files.h"

extern char** environ;

namespace check {
namespace {

using Clock = std::chrono::steady_clock;

// How many processes each run has, from one scan of /proc shared by every
// run going on at the time and renewed at most every 50 ms. A process
// belongs to a run when it descends from the run's first process or is in
// its process group.
int processes_of(pid_t root) {
  struct Process {
    pid_t parent, group;
  };
  static std::mutex mutex;
  static Clock::time_point taken;
  static std::map<pid_t, Process> processes;
  std::lock_guard<std::mutex> lock(mutex);
  const auto now = Clock::now();
  if (now - taken > std::chrono::milliseconds(50)) {
    taken = now;
    processes.clear();
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
          processes[std::atoi(entry->d_name)] = {ppid, pgrp};
      }
      closedir(proc);
    }
  }
  int count = 0;
  for (const auto& [pid, p] : processes) {
    bool ours = p.group == root || pid == root;
    pid_t up = p.parent;
    for (int depth = 0; !ours && up > 1 && depth < 256; ++depth) {
      ours = up == root;
      const auto parent = processes.find(up);
      up = parent == processes.end() ? 0 : parent->second.parent;
    }
    count += ours;
  }
  return count;
}

// The runs going on, for the signal handler: the first process of each
// (bwrap, or the program), not yet reaped, and a descriptor of the
// sandbox's first process inside, which no other process can take over.
constexpr int kMaxRunning = 512;
struct Running {
  std::atomic<pid_t> first{0};
  std::atomic<int> inside{-1};
};
Running running[kMaxRunning];

Running* note_running(pid_t first) {
  for (auto& slot : running) {
    pid_t expected = 0;
    if (slot.first.compare_exchange_strong(expected, first))
      return &slot;
  }
  return nullptr;
}

void stop_run(pid_t first, int inside) {
  if (inside >= 0)  // the sandbox ends with its first process
    syscall(SYS_pidfd_send_signal, inside, SIGKILL, nullptr, 0);
  if (first > 0) {
    kill(-first, SIGKILL);
    kill(first, SIGKILL);
  }
}

void stop_all(int signal) {
  for (auto& slot : running)
    stop_run(slot.first.load(), slot.inside.load());
  ::signal(signal, SIG_DFL);
  raise(signal);
}

bool is_ours(const std::string& entry) {
  for (const char* ours : {"VELKO_BACKEND=", "VELKO_CHECK=", "VELKO_CHECK_AFTER="})
    if (entry.rfind(ours, 0) == 0)
      return true;
  return false;
}

// A run gets the runtime's own variables, the font configuration and the
// library path of the checker's environment, and nothing else of it.
std::vector<std::string> passed_on(const RunRequest& request) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    const bool runtime = entry.rfind("VELKO_", 0) == 0 && !is_ours(entry);
    // The runtime's library may be found through LD_LIBRARY_PATH (a build
    // against a prefix of one's own); the sandbox shows only that library.
    const bool paths =
        entry.rfind("FONTCONFIG_FILE=", 0) == 0 || entry.rfind("LD_LIBRARY_PATH=", 0) == 0;
    const std::string name = entry.substr(0, entry.find('='));
    const bool sanitizer =
        name.size() >= 11 && name.compare(name.size() - 11, 11, "SAN_OPTIONS") == 0;
    if (runtime || paths || sanitizer)
      env.push_back(entry);
  }
  std::string after;
  for (long long n : request.after) {
    // Appended piece by piece: g++ 12 at -O3 (the package build) takes a
    // literal prepended to a temporary string for an overlapping copy.
    if (!after.empty())
      after += ',';
    after += std::to_string(n);
  }
  if (!after.empty())
    env.push_back("VELKO_CHECK_AFTER=" + after);
  env.insert(env.end(), request.environment.begin(), request.environment.end());
  return env;
}

void set_limit(int resource, rlim_t value) {
  const rlimit limit{value, value};
  setrlimit(resource, &limit);
}

struct Fd {
  int fd = -1;
  Fd() = default;
  explicit Fd(int f) : fd(f) {}
  Fd(Fd&& other) noexcept : fd(other.fd) { other.fd = -1; }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() { reset(); }
  void reset(int f = -1) {
    if (fd >= 0)
      close(fd);
    fd = f;
  }
};

// After fork, in the child: only async-signal-safe calls. Makes `wanted[i]`
// descriptor 3 + i, closes every other one but 0-2, and answers false on
// failure.
bool arrange_fds(const int* wanted, int count) {
  int moved[64];
  if (count > 64)
    return false;
  for (int i = 0; i < count; ++i) {
    moved[i] = fcntl(wanted[i], F_DUPFD, 3 + count);
    if (moved[i] < 0)
      return false;
  }
  for (int i = 0; i < count; ++i)
    if (dup2(moved[i], 3 + i) < 0)
      return false;
  return syscall(SYS_close_range, 3 + count, ~0U, 0) == 0;
}

// The sandbox's files seen from outside: its first process's root once
// bwrap has set it up, which is when /velko/transcript is there. The
// program has not started yet (bwrap waits on descriptor 4).
int open_sandbox_folder(pid_t inside, Clock::time_point until, long long disk_bytes) {
  const std::string root = "/proc/" + std::to_string(inside) + "/root/velko";
  for (int wait_us = 100; Clock::now() < until; wait_us = std::min(wait_us * 2, 5000)) {
    const int fd = open(root.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
      struct stat transcript {};
      struct statfs fs {};
      // Only the tmpfs bwrap made, of the size asked for, will do.
      if (fstatat(fd, "transcript", &transcript, AT_SYMLINK_NOFOLLOW) == 0 &&
          fstatfs(fd, &fs) == 0 && fs.f_type == 0x01021994 &&
          static_cast<long long>(fs.f_blocks) * fs.f_bsize == disk_bytes)
        return fd;
      close(fd);
    }
    if (kill(inside, 0) != 0)
      return -1;
    usleep(static_cast<useconds_t>(wait_us));
  }
  return -1;
}

// What the runtime left, read within caps: a log of a long run is the
// largest, the pictures are a few hundred kilobytes.
TranscriptFiles read_transcript_files(int folder, const std::vector<long long>& after) {
  TranscriptFiles t;
  std::vector<std::pair<std::string, long long>> names = {{"events.txt", 32 << 20},
                                                          {"log.txt", 64 << 20},
                                                          {"end.txt", 4096},
                                                          {"window.png", 16 << 20},
                                                          {"surface.png", 16 << 20}};
  for (long long n : after)
    names.emplace_back("after-" + std::to_string(n) + ".png", 16 << 20);
  for (const auto& [name, cap] : names) {
    std::string bytes, why;
    const bool good = read_file_below(folder, "transcript/" + name, cap, &bytes, &why);
    if (good)
      t.files[name] = std::move(bytes);
    else if (why.find("is missing") == std::string::npos)
      t.problems.push_back(why);
  }
  return t;
}

void read_output(int fd, const Limits& limits, RunOutcome* outcome, char* buffer, std::size_t size,
                 bool* open_output) {
  const ssize_t got = read(fd, buffer, size);
  if (got > 0) {
    const long long room = limits.output_bytes - static_cast<long long>(outcome->output.size());
    if (room > 0)
      outcome->output.append(buffer, static_cast<std::size_t>(std::min<long long>(room, got)));
    outcome->output_bytes += got;
  } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
    *open_output = false;  // closed: what is left of the program has no say
  }
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
  // What a run leaves behind comes to the checker, not to the system's
  // first process: the sandbox's first process among them.
  static const bool subreaper = prctl(PR_SET_CHILD_SUBREAPER, 1) == 0;
  (void)subreaper;
  RunOutcome outcome;
  if (request.command.empty()) {
    outcome.message = "no program";
    return outcome;
  }
  const Limits& limits = request.limits;
  const bool drop_root = request.sandbox && sandbox_drops_root();

  // Everything the child needs is made before fork: after it, in a process
  // with threads, only async-signal-safe calls are allowed.
  std::vector<std::string> env_strings = {"PATH=/usr/local/bin:/usr/bin:/bin", "LANG=C.UTF-8"};
  std::vector<std::string> args = request.command;
  SandboxLaunch launch;
  std::string folder_path;  // without the sandbox
  Fd script;
  if (request.sandbox) {
    // The script goes in as bwrap makes the folder: a file made from
    // outside would belong to a user the sandbox does not know.
    script.reset(static_cast<int>(syscall(SYS_memfd_create, "VELKO.SCR", MFD_CLOEXEC)));
    if (script.fd < 0 ||
        write(script.fd, request.script.data(), request.script.size()) !=
            static_cast<ssize_t>(request.script.size()) ||
        lseek(script.fd, 0, SEEK_SET) != 0) {
      outcome.message = std::string("cannot hold the script: ") + std::strerror(errno);
      return outcome;
    }
    SandboxRequest sandbox;
    sandbox.script_fd = script.fd;
    sandbox.command = request.command;
    sandbox.environment = passed_on(request);
    sandbox.disk_bytes = limits.disk_mb << 20;
    sandbox.hidden = request.hidden;
    if (!prepare_sandbox(sandbox, &launch, &outcome.message))
      return outcome;
    args = launch.arguments;
    env_strings.clear();  // bwrap sets the program's own
  } else {
    folder_path = request.scratch;
    std::error_code error;
    for (const char* part : {"work", "transcript", "tmp"})
      std::filesystem::create_directories(folder_path + "/" + part, error);
    if (error || !write_new_file(folder_path + "/work/VELKO.SCR", request.script)) {
      outcome.message = "cannot prepare the folder " + folder_path;
      return outcome;
    }
    env_strings.insert(env_strings.end(),
                       {"HOME=" + folder_path + "/work", "TMPDIR=" + folder_path + "/tmp",
                        "VELKO_BACKEND=headless", "VELKO_CHECK=" + folder_path + "/transcript"});
    const auto extra = passed_on(request);
    env_strings.insert(env_strings.end(), extra.begin(), extra.end());
  }
  std::vector<Fd> bind_fds;
  for (int fd : launch.fds)
    if (fd != script.fd)
      bind_fds.emplace_back(fd);
  std::vector<char*> env, argv;
  for (auto& e : env_strings)
    env.push_back(e.data());
  env.push_back(nullptr);
  for (auto& a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  const bool has_path = args[0].find('/') != std::string::npos;
  const std::string work = folder_path + "/work";

  RunCgroup cgroup;
  if (limits.memory_mb > 0 && request.sandbox) {
    std::string why;
    outcome.isolation.memory_total = cgroup.create(limits.memory_mb << 20, &why);
    outcome.isolation.memory =
        outcome.isolation.memory_total
            ? "the run's total, " + std::to_string(limits.memory_mb) + " MB (a control group)"
            : "each process's address space, " + std::to_string(limits.memory_mb) +
                  " MB (no control group: " + why + ")";
  } else {
    outcome.isolation.memory = limits.memory_mb > 0 ? "each process's address space, " +
                                                          std::to_string(limits.memory_mb) + " MB"
                                                    : "no limit";
  }
  outcome.isolation.sandboxed = request.sandbox;

  int output_pipe[2], error_pipe[2], info_pipe[2] = {-1, -1}, block_pipe[2] = {-1, -1};
  if (pipe2(output_pipe, O_CLOEXEC) != 0) {
    outcome.message = std::string("cannot make a pipe: ") + std::strerror(errno);
    return outcome;
  }
  Fd output_read(output_pipe[0]), output_write(output_pipe[1]);
  if (pipe2(error_pipe, O_CLOEXEC) != 0 ||
      (request.sandbox &&
       (pipe2(info_pipe, O_CLOEXEC) != 0 || pipe2(block_pipe, O_CLOEXEC) != 0))) {
    outcome.message = std::string("cannot make a pipe: ") + std::strerror(errno);
    return outcome;
  }
  Fd error_read(error_pipe[0]), error_write(error_pipe[1]);
  Fd info_read(info_pipe[0]), info_write(info_pipe[1]);
  Fd block_read(block_pipe[0]), block_write(block_pipe[1]);
  Fd null(open("/dev/null", O_RDONLY | O_CLOEXEC));
  // The child's descriptors from 3 on: the exec error pipe, then bwrap's.
  std::vector<int> wanted = {error_write.fd};
  if (request.sandbox) {
    wanted = {info_write.fd, block_read.fd, error_write.fd};
    wanted.insert(wanted.end(), launch.fds.begin(), launch.fds.end());
  }
  const int error_at = request.sandbox ? 5 : 3;
  const int join_fd = cgroup.join_fd();
  const long long as_limit = outcome.isolation.memory_total
                                 ? (limits.memory_mb << 22)  // a guard only: the group limits
                                 : (limits.memory_mb << 20);
  const pid_t parent = getpid();

  // No signal may come between fork and the note of the child: the
  // handler would not know of it.
  sigset_t all, before;
  sigfillset(&all);
  pthread_sigmask(SIG_BLOCK, &all, &before);
  const pid_t pid = fork();
  if (pid == 0) {
    for (int signal = 1; signal < NSIG; ++signal)
      if (signal != SIGKILL && signal != SIGSTOP)
        ::signal(signal, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    setpgid(0, 0);  // the program and whatever it starts are stopped together
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    int error = 0;
    if (getppid() != parent)
      _exit(127);  // the checker is gone already
    if (join_fd >= 0 && write(join_fd, "0", 1) != 1)
      error = errno;
    if (null.fd >= 0)
      dup2(null.fd, 0);
    dup2(output_pipe[1], 1);
    dup2(output_pipe[1], 2);
    if (!arrange_fds(wanted.data(), static_cast<int>(wanted.size())))
      error = errno ? errno : EBADF;
    fcntl(error_at, F_SETFD, FD_CLOEXEC);
    if (error == 0 && !request.sandbox && chdir(work.c_str()) != 0)
      error = errno;
    if (error == 0) {
      if (limits.memory_mb > 0)
        set_limit(RLIMIT_AS, static_cast<rlim_t>(as_limit));
      if (limits.file_mb > 0)
        set_limit(RLIMIT_FSIZE, static_cast<rlim_t>(limits.file_mb) << 20);
      set_limit(RLIMIT_CORE, 0);
      if (drop_root &&
          (setgroups(0, nullptr) != 0 || setresgid(kSandboxUser, kSandboxUser, kSandboxUser) != 0 ||
           setresuid(kSandboxUser, kSandboxUser, kSandboxUser) != 0))
        error = errno;
    }
    if (error == 0) {
      if (has_path)
        execve(argv[0], argv.data(), env.data());
      else
        execvpe(argv[0], argv.data(), env.data());
      error = errno;
    }
    (void)!write(error_at, &error, sizeof error);
    _exit(127);
  }
  Running* slot = pid > 0 ? note_running(pid) : nullptr;
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
  if (pid < 0) {
    outcome.message = std::string("cannot start a process: ") + std::strerror(errno);
    return outcome;
  }
  setpgid(pid, pid);
  output_write.reset();
  error_write.reset();
  info_write.reset();
  block_read.reset();
  bind_fds.clear();
  int exec_error = 0;
  if (read(error_read.fd, &exec_error, sizeof exec_error) != sizeof exec_error)
    exec_error = 0;
  error_read.reset();

  // In the sandbox: the sandbox's first process, its folder, and the
  // script, before the program is let go.
  pid_t inside = 0;
  Fd inside_fd, folder;
  if (request.sandbox && exec_error == 0) {
    const auto setup_until = Clock::now() + std::chrono::seconds(20);
    std::string info;
    char buffer[512];
    pollfd wait_info{info_read.fd, POLLIN, 0};
    while (info.find('}') == std::string::npos && info.size() < 4096 &&
           poll(&wait_info, 1, 20000) > 0) {
      const ssize_t got = read(info_read.fd, buffer, sizeof buffer);
      if (got <= 0)
        break;
      info.append(buffer, static_cast<std::size_t>(got));
    }
    const std::size_t at = info.find("\"child-pid\":");
    if (at != std::string::npos)
      inside = static_cast<pid_t>(std::atoi(info.c_str() + at + 12));
    if (inside > 0)
      inside_fd.reset(static_cast<int>(syscall(SYS_pidfd_open, inside, 0)));
    if (slot)
      slot->inside = inside_fd.fd;
    if (inside_fd.fd >= 0)
      folder.reset(open_sandbox_folder(inside, setup_until, limits.disk_mb << 20));
    if (folder.fd < 0) {
      if (outcome.message.empty())
        outcome.message = "the sandbox could not be set up";
      stop_run(pid, inside_fd.fd);
    } else if (write(block_write.fd, "go", 1) != 1) {
      stop_run(pid, inside_fd.fd);
    }
    block_write.reset();
  } else if (!request.sandbox) {
    folder.reset(open(folder_path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  }

  const auto started = Clock::now();
  const Clock::time_point deadline = started + std::chrono::duration_cast<Clock::duration>(
                                                   std::chrono::duration<double>(limits.seconds));
  // The processes are counted from 100 ms on, every 100 ms: most runs end
  // before that, and a scan of /proc is the checker's dearest work. bwrap
  // and the sandbox's first process are not the program's.
  const int own = request.sandbox ? 2 : 0;
  Clock::time_point next_count = started + std::chrono::milliseconds(100);
  // A descriptor that becomes readable when the program ends, so that the
  // wait needs no polling; where the kernel has none, it wakes every 5 ms.
  Fd ended(static_cast<int>(syscall(SYS_pidfd_open, pid, 0)));
  bool open_output = true;
  int status = 0;
  rusage usage{};
  Ending stopped = Ending::EXITED;  // why the checker stopped it, if it did
  char buffer[65536];
  for (;;) {
    const auto now = Clock::now();
    if (now >= deadline && stopped == Ending::EXITED) {
      stopped = Ending::TIMED_OUT;
      stop_run(pid, inside_fd.fd);
    }
    if (limits.processes > 0 && now >= next_count && stopped == Ending::EXITED) {
      next_count = now + std::chrono::milliseconds(100);
      if (processes_of(pid) - own > limits.processes) {
        stopped = Ending::PROCESS_LIMIT;
        stop_run(pid, inside_fd.fd);
      }
    }
    // Its end is seen without reaping it, so that its number stays its own
    // until whatever it left is stopped.
    siginfo_t ended_info{};
    if (waitid(P_PID, static_cast<id_t>(pid), &ended_info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
        ended_info.si_pid == pid)
      break;
    Clock::time_point until = std::min(deadline, limits.processes > 0 ? next_count : deadline);
    if (stopped != Ending::EXITED || ended.fd < 0)
      until = std::min<Clock::time_point>(until, now + std::chrono::milliseconds(5));
    const int wait_ms = static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(until - now).count() + 1);
    pollfd fds[2] = {{ended.fd, POLLIN, 0}, {output_read.fd, POLLIN, 0}};
    pollfd* first = ended.fd >= 0 ? fds : fds + 1;
    const int count = static_cast<int>((fds + 1 + (open_output ? 1 : 0)) - first);
    if (count > 0 && poll(first, static_cast<nfds_t>(count), std::max(wait_ms, 0)) > 0 &&
        open_output && (fds[1].revents & (POLLIN | POLLHUP))) {
      read_output(output_read.fd, limits, &outcome, buffer, sizeof buffer, &open_output);
      if (outcome.output_bytes > limits.output_bytes && stopped == Ending::EXITED) {
        stopped = Ending::OUTPUT_LIMIT;
        stop_run(pid, inside_fd.fd);
      }
    } else if (count == 0) {
      usleep(static_cast<useconds_t>(std::clamp(wait_ms, 0, 5) * 1000));
    }
  }
  // Whatever it left running goes with it (in the sandbox, the kernel ends
  // every process inside with the first), then it is reaped, and what is
  // left in the pipe is read without waiting for those to close it.
  stop_run(pid, inside_fd.fd);
  if (slot) {
    slot->inside = -1;
    slot->first = 0;
  }
  while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  if (inside_fd.fd >= 0) {
    // bwrap leaves before the sandbox's first process, which then comes
    // to the checker (a subreaper): once it is reaped, the kernel has ended
    // everything in the sandbox, and its times hold the program's.
    pollfd gone{inside_fd.fd, POLLIN, 0};
    poll(&gone, 1, 5000);
    rusage inside_usage{};
    int inside_status = 0;
    if (wait4(inside, &inside_status, WNOHANG, &inside_usage) == inside) {
      usage.ru_utime.tv_sec += inside_usage.ru_utime.tv_sec;
      usage.ru_utime.tv_usec += inside_usage.ru_utime.tv_usec;
      usage.ru_stime.tv_sec += inside_usage.ru_stime.tv_sec;
      usage.ru_stime.tv_usec += inside_usage.ru_stime.tv_usec;
      usage.ru_maxrss = std::max(usage.ru_maxrss, inside_usage.ru_maxrss);
    }
  }
  if (open_output) {
    fcntl(output_read.fd, F_SETFL, O_NONBLOCK);
    while (open_output)
      read_output(output_read.fd, limits, &outcome, buffer, sizeof buffer, &open_output);
  }
  outcome.seconds = std::chrono::duration<double>(Clock::now() - started).count();
  outcome.cpu_seconds = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 +
                        usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
  outcome.max_rss_kb = usage.ru_maxrss;
  outcome.memory_killed = cgroup.oom_killed();
  outcome.memory_peak_kb = cgroup.peak_bytes() / 1024;
  if (folder.fd >= 0) {
    outcome.transcript = read_transcript_files(folder.fd, request.after);
    struct statfs fs {};
    outcome.disk_full = request.sandbox && fstatfs(folder.fd, &fs) == 0 &&
                        static_cast<long long>(fs.f_bavail) * fs.f_bsize < (64 << 10);
  }
  if (!request.sandbox) {
    std::error_code error;
    for (const char* part : {"work", "transcript", "tmp"})
      std::filesystem::remove_all(folder_path + "/" + part, error);
  }
  if (exec_error != 0) {
    outcome.ending = Ending::CANNOT_RUN;
    outcome.message =
        std::string("cannot run ") + request.command[0] + ": " + std::strerror(exec_error);
    return outcome;
  }
  if (request.sandbox && !outcome.message.empty()) {
    // bwrap said why, where it could not make the sandbox.
    outcome.ending = Ending::CANNOT_RUN;
    const std::string said = outcome.output.substr(0, outcome.output.find('\n'));
    if (!said.empty())
      outcome.message += ": " + said;
    return outcome;
  }
  if (stopped != Ending::EXITED) {
    outcome.ending = stopped;
    return outcome;
  }
  // bwrap's own failure to start the program, before anything of it ran.
  if (request.sandbox && WIFEXITED(status) && WEXITSTATUS(status) == 1 &&
      outcome.transcript.files.empty() && outcome.output.rfind("bwrap: execvp ", 0) == 0) {
    outcome.ending = Ending::CANNOT_RUN;
    outcome.message = "cannot run " + request.command[0] + ": " +
                      outcome.output.substr(14, outcome.output.find('\n') - 14);
    return outcome;
  }
  // bwrap ends with 128 + the signal that ended the program, as a shell
  // tells it.
  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 0;
  if (WIFSIGNALED(status) || (request.sandbox && code > 128 && code < 128 + 65)) {
    outcome.ending = Ending::SIGNALED;
    outcome.signal = WIFSIGNALED(status) ? WTERMSIG(status) : code - 128;
  } else {
    outcome.ending = Ending::EXITED;
    outcome.exit_code = WEXITSTATUS(status);
  }
  return outcome;
}

}  // namespace check
