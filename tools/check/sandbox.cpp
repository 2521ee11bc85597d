// The sandbox of a run, through bubblewrap; see sandbox.h.
#include "tools/check/sandbox.h"

#include <elf.h>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tools/check/files.h"
#include "tools/check/run.h"

namespace check {
namespace {

// The parts of the system a run sees, read-only.
const char* const kSystem[] = {"usr", "etc", "bin", "sbin", "lib", "lib32", "lib64", "libx32"};

bool under_system(const std::string& path) {
  for (const char* top : kSystem) {
    const std::string prefix = std::string("/") + top + "/";
    if (path.compare(0, prefix.size(), prefix) == 0)
      return true;
  }
  return false;
}

std::string find_bwrap() {
  if (access("/usr/bin/bwrap", X_OK) == 0)
    return "/usr/bin/bwrap";
  if (const char* path = std::getenv("PATH")) {
    std::string dirs = path;
    std::size_t start = 0;
    while (start <= dirs.size()) {
      std::size_t end = dirs.find(':', start);
      if (end == std::string::npos)
        end = dirs.size();
      const std::string dir = dirs.substr(start, end - start);
      if (!dir.empty() && dir[0] == '/' && access((dir + "/bwrap").c_str(), X_OK) == 0)
        return dir + "/bwrap";
      start = end + 1;
    }
  }
  return "";
}

// The namespaces and the layout every run has; the probe uses them too.
std::vector<std::string> common_arguments(long long disk_bytes) {
  std::vector<std::string> a = {"--unshare-user",   "--unshare-pid",     "--unshare-net",
                                "--unshare-ipc",    "--unshare-uts",     "--unshare-cgroup-try",
                                "--disable-userns", "--die-with-parent", "--new-session"};
  for (const char* top : kSystem) {
    const std::string path = std::string("/") + top;
    char target[4096];
    const ssize_t length = readlink(path.c_str(), target, sizeof target - 1);
    struct stat info {};
    if (length > 0) {
      a.insert(a.end(), {"--symlink", std::string(target, static_cast<std::size_t>(length)), path});
    } else if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
      a.insert(a.end(), {"--ro-bind", path, path});
    }
  }
  a.insert(a.end(),
           {"--ro-bind-try", "/var/cache/fontconfig", "/var/cache/fontconfig", "--proc", "/proc",
            "--dev", "/dev", "--size", std::to_string(disk_bytes), "--tmpfs", "/velko", "--dir",
            "/velko/work", "--dir", "/velko/transcript", "--dir", "/velko/tmp"});
  return a;
}

// The folders a Fontconfig file names for its caches, which a run reads.
std::vector<std::string> cache_folders(const std::string& config) {
  std::vector<std::string> folders;
  std::string text, why;
  read_file_at(config, 1 << 20, &text, &why);
  for (std::size_t at = text.find("<cachedir>"); at != std::string::npos;
       at = text.find("<cachedir>", at + 1)) {
    const std::size_t start = at + 10, end = text.find("</cachedir>", start);
    if (end == std::string::npos)
      break;
    const std::string folder = text.substr(start, end - start);
    if (!folder.empty() && folder[0] == '/' && folder.find('<') == std::string::npos)
      folders.push_back(folder);
  }
  return folders;
}

// The needed library names and the search path of an ELF program (64-bit,
// little-endian); empty for anything else. The file is a student's: every
// offset is checked against its size before it is used.
struct Dynamic {
  std::vector<std::string> needed;
  std::vector<std::string> search;
};

void split_path(const std::string& list, std::vector<std::string>* dirs) {
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(':', start);
    if (end == std::string::npos)
      end = list.size();
    if (end > start)
      dirs->push_back(list.substr(start, end - start));
    start = end + 1;
  }
}

Dynamic read_dynamic(int fd) {
  Dynamic d;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
    return d;
  const unsigned long long size = static_cast<unsigned long long>(info.st_size);
  auto read_at = [&](unsigned long long offset, void* into, std::size_t bytes) {
    return offset <= size && bytes <= size - offset &&
           pread(fd, into, bytes, static_cast<off_t>(offset)) == static_cast<ssize_t>(bytes);
  };
  Elf64_Ehdr header{};
  if (!read_at(0, &header, sizeof header) || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
      header.e_ident[EI_CLASS] != ELFCLASS64 || header.e_ident[EI_DATA] != ELFDATA2LSB ||
      header.e_phentsize != sizeof(Elf64_Phdr) || header.e_phnum > 256)
    return d;
  std::vector<Elf64_Phdr> segments(header.e_phnum);
  if (!read_at(header.e_phoff, segments.data(), segments.size() * sizeof(Elf64_Phdr)))
    return d;
  auto file_offset = [&](Elf64_Addr address, unsigned long long* offset) {
    for (const Elf64_Phdr& s : segments)
      if (s.p_type == PT_LOAD && address >= s.p_vaddr && address - s.p_vaddr < s.p_filesz) {
        *offset = s.p_offset + (address - s.p_vaddr);
        return true;
      }
    return false;
  };
  for (const Elf64_Phdr& s : segments) {
    if (s.p_type != PT_DYNAMIC || s.p_filesz > (1u << 20))
      continue;
    std::vector<Elf64_Dyn> entries(s.p_filesz / sizeof(Elf64_Dyn));
    if (!read_at(s.p_offset, entries.data(), entries.size() * sizeof(Elf64_Dyn)))
      return d;
    unsigned long long strings = 0, strings_size = 0;
    bool have_strings = false;
    std::vector<unsigned long long> needed, runpath, rpath;
    for (const Elf64_Dyn& e : entries) {
      if (e.d_tag == DT_NULL)
        break;
      if (e.d_tag == DT_STRTAB)
        have_strings = file_offset(e.d_un.d_ptr, &strings);
      else if (e.d_tag == DT_STRSZ)
        strings_size = e.d_un.d_val;
      else if (e.d_tag == DT_NEEDED)
        needed.push_back(e.d_un.d_val);
      else if (e.d_tag == DT_RUNPATH)
        runpath.push_back(e.d_un.d_val);
      else if (e.d_tag == DT_RPATH)
        rpath.push_back(e.d_un.d_val);
    }
    if (!have_strings || strings_size > (1u << 20))
      return d;
    std::string table(strings_size, '\0');
    if (!read_at(strings, table.data(), table.size()))
      return d;
    auto string_at = [&](unsigned long long at) {
      return at < table.size() ? std::string(table.c_str() + at) : std::string();
    };
    for (auto at : needed)
      d.needed.push_back(string_at(at));
    // The loader's order: RPATH (only where there is no RUNPATH), then
    // LD_LIBRARY_PATH, then RUNPATH.
    for (auto at : runpath.empty() ? rpath : std::vector<unsigned long long>())
      split_path(string_at(at), &d.search);
    if (const char* library_path = std::getenv("LD_LIBRARY_PATH"))
      split_path(library_path, &d.search);
    for (auto at : runpath)
      split_path(string_at(at), &d.search);
    break;
  }
  return d;
}

std::string replace_origin(std::string dir, const std::string& origin) {
  for (const char* name : {"${ORIGIN}", "$ORIGIN"}) {
    const std::string token = name;
    for (std::size_t at; (at = dir.find(token)) != std::string::npos;)
      dir.replace(at, token.size(), origin);
  }
  return dir;
}

bool is_elf(const std::string& path) {
  char magic[SELFMAG] = {};
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0)
    return false;
  const bool elf = read(fd, magic, SELFMAG) == SELFMAG && std::memcmp(magic, ELFMAG, SELFMAG) == 0;
  close(fd);
  return elf;
}

// Whether the user runs are made as can read (and start) `path` where it
// is: every folder on the way open to them, and the file readable.
bool reachable(const std::string& path, bool start = false) {
  if (!sandbox_drops_root())
    return access(path.c_str(), start ? R_OK | X_OK : R_OK) == 0;
  char* real = realpath(path.c_str(), nullptr);
  if (!real)
    return false;
  std::string p = real;
  std::free(real);
  struct stat info {};
  if (stat(p.c_str(), &info) != 0 || !(info.st_mode & S_IROTH) ||
      (start && !(info.st_mode & S_IXOTH)))
    return false;
  for (std::size_t slash = p.rfind('/'); slash != std::string::npos && slash > 0;
       slash = p.rfind('/', slash - 1)) {
    if (stat(p.substr(0, slash).c_str(), &info) != 0 || !(info.st_mode & S_IXOTH))
      return false;
  }
  return true;
}

bool hidden_file(int fd, const FileIds& hidden) {
  struct stat info {};
  return fstat(fd, &info) != 0 || hidden.count({info.st_dev, info.st_ino}) > 0;
}

// Runs bwrap with the sandbox's namespaces on /usr/bin/true, as a run
// would be made; empty when that works, else what bwrap said.
std::string try_bwrap(const std::string& bwrap) {
  std::vector<std::string> args = {bwrap};
  const auto common = common_arguments(1 << 20);
  args.insert(args.end(), common.begin(), common.end());
  args.push_back("/usr/bin/true");
  std::vector<char*> argv;
  for (auto& a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  int pipe_fds[2];
  if (pipe2(pipe_fds, O_CLOEXEC) != 0)
    return std::string("cannot make a pipe: ") + std::strerror(errno);
  const bool drop = sandbox_drops_root();
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(pipe_fds[1], 2);
    if (drop &&
        (setgroups(0, nullptr) != 0 || setresgid(kSandboxUser, kSandboxUser, kSandboxUser) ||
         setresuid(kSandboxUser, kSandboxUser, kSandboxUser))) {
      static const char text[] = "cannot become the unprivileged user 65534\n";
      (void)!write(2, text, sizeof text - 1);
      _exit(125);
    }
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(pipe_fds[1]);
  std::string said;
  char buffer[1024];
  ssize_t got;
  while ((got = read(pipe_fds[0], buffer, sizeof buffer)) > 0)
    if (said.size() < 4096)
      said.append(buffer, static_cast<std::size_t>(got));
  close(pipe_fds[0]);
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid)
    return "cannot start bwrap";
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
    return "";
  while (!said.empty() && (said.back() == '\n' || said.back() == ' '))
    said.pop_back();
  if (said.rfind("bwrap: ", 0) == 0)
    said.erase(0, 7);
  return said.empty() ? "bwrap failed" : "bwrap says: " + said;
}

std::string which_container() {
  if (access("/.dockerenv", F_OK) == 0)
    return "Docker";
  if (access("/run/.containerenv", F_OK) == 0)
    return "Podman";
  std::string text, why;
  read_file_at("/proc/1/cgroup", 1 << 16, &text, &why);
  for (const char* name : {"kubepods", "docker", "containerd", "lxc"})
    if (text.find(name) != std::string::npos)
      return name;
  if (const char* container = std::getenv("container"))
    return container;
  return "";
}

}  // namespace

bool sandbox_drops_root() {
  return geteuid() == 0;
}

const SandboxStatus& sandbox_status() {
  static const SandboxStatus status = [] {
    SandboxStatus s;
    s.container = which_container();
    s.bwrap = find_bwrap();
    if (s.bwrap.empty()) {
      s.why = "bubblewrap (bwrap) is not installed";
      return s;
    }
    s.why = try_bwrap(s.bwrap);
    s.available = s.why.empty();
    return s;
  }();
  return status;
}

std::vector<std::pair<std::string, std::string>> runtime_libraries(const std::string& program,
                                                                   const FileIds& hidden) {
  std::vector<std::pair<std::string, std::string>> found;
  const int fd = open(program.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0)
    return found;
  const Dynamic d = read_dynamic(fd);
  close(fd);
  char* real = realpath(program.c_str(), nullptr);
  std::string origin = real ? real : program;
  std::free(real);
  origin = origin.substr(0, origin.rfind('/'));
  for (const std::string& name : d.needed) {
    if (name.rfind("libvelko", 0) != 0 || name.find('/') != std::string::npos)
      continue;
    for (const std::string& dir : d.search) {
      const std::string folder = replace_origin(dir, origin);
      const std::string path = folder + "/" + name;
      if (folder.empty() || folder[0] != '/' || under_system(path) ||
          path.compare(0, 7, "/velko/") == 0)
        continue;
      char* target = realpath(path.c_str(), nullptr);
      if (!target)
        continue;
      const std::string file = target;
      std::free(target);
      struct stat info {};
      if (stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
          hidden.count({info.st_dev, info.st_ino}) || !is_elf(file))
        continue;
      found.emplace_back(file, path);
      break;
    }
  }
  return found;
}

bool prepare_sandbox(const SandboxRequest& request, SandboxLaunch* launch, std::string* why) {
  const SandboxStatus& status = sandbox_status();
  if (!status.available) {
    *why = status.why;
    return false;
  }
  const std::string& program = request.command.at(0);
  for (const char* inside : {"/velko", "/proc", "/dev"}) {
    const std::string prefix = std::string(inside) + "/";
    if (program.compare(0, prefix.size(), prefix) == 0) {
      *why = "a program under " + std::string(inside) + " cannot be sandboxed";
      return false;
    }
  }
  auto& a = launch->arguments;
  a = {status.bwrap};
  const auto common = common_arguments(request.disk_bytes);
  a.insert(a.end(), common.begin(), common.end());
  auto add_fd = [&](int fd) {
    launch->fds.push_back(fd);
    return std::to_string(SandboxLaunch::first_fd + static_cast<int>(launch->fds.size()) - 1);
  };
  // A file is shown at its own path where the user the run is made as can
  // reach it there; otherwise its bytes are copied in.
  auto show = [&](const std::string& source, const std::string& at, const char* mode) {
    if (reachable(source, mode[1] == '5')) {
      a.insert(a.end(), {"--ro-bind", source, at});
      return true;
    }
    const int fd = open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
      return false;
    a.insert(a.end(), {"--perms", mode, "--file", add_fd(fd), at});
    return true;
  };
  if (!under_system(program)) {
    // At its own path, so that a library path relative to it still holds.
    const int fd = open(program.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    struct stat info {};
    const bool readable = fd >= 0 && fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    const bool hidden = readable && hidden_file(fd, request.hidden);
    if (fd >= 0)
      close(fd);
    if (!readable || hidden) {
      *why = "cannot run " + program +
             (hidden ? ": it is the reference's or another student's program"
                     : ": not a readable file");
      return false;
    }
    show(program, program, "0555");
  }
  for (const auto& [file, path] : runtime_libraries(program, request.hidden))
    show(file, path, "0444");
  std::vector<std::string> environment = {"PATH=/usr/local/bin:/usr/bin:/bin",
                                          "HOME=/velko/work",
                                          "TMPDIR=/velko/tmp",
                                          "LANG=C.UTF-8",
                                          "VELKO_BACKEND=headless",
                                          "VELKO_CHECK=/velko/transcript"};
  environment.insert(environment.end(), request.environment.begin(), request.environment.end());
  for (const std::string& entry : request.environment) {
    if (entry.rfind("FONTCONFIG_FILE=/", 0) != 0)
      continue;
    const std::string config = entry.substr(16);
    if (!under_system(config))
      show(config, config, "0444");
    for (const std::string& folder : cache_folders(config))
      if (!under_system(folder + "/") && reachable(folder))
        a.insert(a.end(), {"--ro-bind-try", folder, folder});
  }
  if (request.script_fd >= 0)
    a.insert(a.end(),
             {"--perms", "0644", "--file", add_fd(request.script_fd), "/velko/work/VELKO.SCR"});
  a.insert(a.end(), {"--remount-ro", "/", "--clearenv"});
  for (const std::string& entry : environment) {
    const std::size_t equals = entry.find('=');
    if (equals != std::string::npos && equals > 0)
      a.insert(a.end(), {"--setenv", entry.substr(0, equals), entry.substr(equals + 1)});
  }
  a.insert(a.end(), {"--chdir", "/velko/work", "--info-fd", "3", "--block-fd", "4", "--"});
  a.insert(a.end(), request.command.begin(), request.command.end());
  return true;
}

int sandbox_self_test() {
  const SandboxStatus& status = sandbox_status();
  std::printf("velko-check: what a checked program is kept from on this machine\n");
  std::printf("  bubblewrap:       %s\n",
              status.bwrap.empty() ? "not found" : status.bwrap.c_str());
  if (!status.available) {
    std::printf("  sandbox:          NOT AVAILABLE: %s\n", status.why.c_str());
    if (!status.container.empty())
      std::printf(
          "  container:        this looks like a %s container; there the container is the "
          "only boundary between the programs and the machine\n",
          status.container.c_str());
    std::printf("  Runs here would share the checker's files, processes, network and user.\n");
    return 1;
  }
  // A run like any other, whose program looks around from inside.
  const char* const probe =
      "n=0; for p in /proc/[0-9]*; do n=$((n+1)); done; echo processes $n\n"
      "echo outside $(test -e \"$OUTSIDE\" && echo seen || echo hidden)\n"
      "echo system $(touch /usr/.velko-probe 2>/dev/null && echo writable || echo read-only)\n"
      "echo work $(touch /velko/work/probe 2>/dev/null && echo writable || echo read-only)\n"
      "echo shadow $(cat /etc/shadow >/dev/null 2>&1 && echo readable || echo unreadable)\n"
      "echo interfaces $(tail -n +3 /proc/net/dev | wc -l)\n"
      "echo variables $(env | wc -l)\n"
      "echo user $(id -u)\n";
  RunRequest request;
  request.command = {"/bin/sh", "-c", probe};
  char cwd[4096];
  request.environment = {std::string("OUTSIDE=") + (getcwd(cwd, sizeof cwd) ? cwd : "/")};
  request.sandbox = true;
  const RunOutcome outcome = run_program(request);
  auto value = [&](const std::string& name) {
    const std::size_t at = outcome.output.find(name + " ");
    if (at == std::string::npos)
      return std::string("?");
    const std::size_t end = outcome.output.find('\n', at);
    return outcome.output.substr(at + name.size() + 1, end - at - name.size() - 1);
  };
  if (outcome.ending != Ending::EXITED || outcome.exit_code != 0) {
    std::printf("  sandbox:          FAILED to run a probe: %s%s\n", outcome.message.c_str(),
                outcome.output.c_str());
    return 1;
  }
  int failures = 0;
  auto line = [&](const char* what, bool good, const std::string& detail) {
    failures += !good;
    std::printf("  %-17s %s (%s)\n", what, good ? "isolated" : "NOT ISOLATED", detail.c_str());
  };
  const int processes = std::atoi(value("processes").c_str());
  line("processes:", processes > 0 && processes <= 4,
       "the run sees " + std::to_string(processes) + " processes, its own");
  line("files:",
       value("outside") == "hidden" && value("system") == "read-only" &&
           value("work") == "writable" && value("shadow") == "unreadable",
       "the checker's folder " + value("outside") + ", the system " + value("system") +
           ", its own folder " + value("work") + ", /etc/shadow " + value("shadow"));
  line("network:", value("interfaces") == "1",
       value("interfaces") + " network interface(s): loopback only");
  line("environment:", std::atoi(value("variables").c_str()) <= 12,
       value("variables") + " variables, none of the checker's");
  line("user:", value("user") != "0" || !sandbox_drops_root(),
       "runs as user " + value("user") + " inside" +
           (sandbox_drops_root() ? ", the unprivileged 65534 outside" : ""));
  std::printf("  %-17s %s\n", "memory:", outcome.isolation.memory.c_str());
  std::printf("  %-17s its own folder, at most 64 MB unless --disk says otherwise\n", "disk:");
  return failures == 0 ? 0 : 1;
}

}  // namespace check
