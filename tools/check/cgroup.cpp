// Control groups for runs; see cgroup.h.
#include "tools/check/cgroup.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>

#include "tools/check/files.h"

namespace check {
namespace {

constexpr long kCgroup2Magic = 0x63677270;
constexpr long kCgroup1Magic = 0x27e0eb;

bool write_text(const std::string& path, const std::string& text) {
  const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0)
    return false;
  const bool done = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  close(fd);
  return done;
}

std::string read_text(const std::string& path) {
  std::string text, why;
  read_file_at(path, 1 << 16, &text, &why);
  return text;
}

long long value_after(const std::string& text, const std::string& name) {
  for (std::size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + 1))
    if ((at == 0 || text[at - 1] == '\n') && at + name.size() < text.size() &&
        text[at + name.size()] == ' ')
      return std::atoll(text.c_str() + at + name.size() + 1);
  return 0;
}

bool is_filesystem(const std::string& path, long magic) {
  struct statfs info {};
  return statfs(path.c_str(), &info) == 0 && static_cast<long>(info.f_type) == magic;
}

// Where groups of runs are made, and in which version; tried once.
struct Base {
  std::string path;
  int version = 0;
  std::string why;
};

const Base& base() {
  static const Base found = [] {
    Base b;
    std::string memory_v1, unified;
    const std::string self = read_text("/proc/self/cgroup");
    std::size_t start = 0;
    while (start < self.size()) {
      std::size_t end = self.find('\n', start);
      if (end == std::string::npos)
        end = self.size();
      const std::string line = self.substr(start, end - start);
      start = end + 1;
      const std::size_t first = line.find(':'), second = line.find(':', first + 1);
      if (first == std::string::npos || second == std::string::npos)
        continue;
      const std::string controllers = line.substr(first + 1, second - first - 1);
      const std::string path = line.substr(second + 1);
      if (controllers.empty())
        unified = path;
      else if (("," + controllers + ",").find(",memory,") != std::string::npos)
        memory_v1 = path;
    }
    if (!unified.empty() && is_filesystem("/sys/fs/cgroup", kCgroup2Magic)) {
      // A group's children get the memory controller only where the group
      // may hand it on: ours, or the root's when we may write there.
      for (const std::string& parent :
           {"/sys/fs/cgroup" + unified, std::string("/sys/fs/cgroup")}) {
        const std::string p = parent.back() == '/' ? parent.substr(0, parent.size() - 1) : parent;
        if (read_text(p + "/cgroup.subtree_control").find("memory") != std::string::npos ||
            write_text(p + "/cgroup.subtree_control", "+memory")) {
          b.path = p;
          b.version = 2;
          return b;
        }
      }
      b.why = "the memory controller of cgroup v2 is not delegated to this user";
    }
    if (!memory_v1.empty() && is_filesystem("/sys/fs/cgroup/memory", kCgroup1Magic)) {
      const std::string p = "/sys/fs/cgroup/memory" + (memory_v1 == "/" ? "" : memory_v1);
      if (access(p.c_str(), W_OK) == 0) {
        b.path = p;
        b.version = 1;
        b.why.clear();
        return b;
      }
      b.why = "the memory control group " + p + " is not writable by this user";
    }
    if (b.why.empty())
      b.why = "no memory control group is mounted";
    return b;
  }();
  return found;
}

std::atomic<int> next_group{0};

}  // namespace

const std::string& cgroup_unavailable_reason() {
  static std::once_flag once;
  static std::string why;
  std::call_once(once, [] {
    RunCgroup probe;
    std::string reason;
    if (!probe.create(64 << 20, &reason))
      why = reason;
  });
  return why;
}

bool RunCgroup::create(long long memory_bytes, std::string* why) {
  const Base& b = base();
  if (b.version == 0) {
    *why = b.why;
    return false;
  }
  path_ = b.path + "/velko-check-" + std::to_string(getpid()) + "-" + std::to_string(next_group++);
  if (mkdir(path_.c_str(), 0755) != 0) {
    *why = "cannot make the control group " + path_ + ": " + std::strerror(errno);
    path_.clear();
    return false;
  }
  version_ = b.version;
  const std::string limit = std::to_string(memory_bytes);
  bool limited = false;
  if (version_ == 2) {
    limited = write_text(path_ + "/memory.max", limit);
    write_text(path_ + "/memory.swap.max", "0");
  } else {
    limited = write_text(path_ + "/memory.limit_in_bytes", limit);
    write_text(path_ + "/memory.memsw.limit_in_bytes", limit);
  }
  join_fd_ = open((path_ + "/cgroup.procs").c_str(), O_WRONLY | O_CLOEXEC);
  if (!limited || join_fd_ < 0) {
    *why = "cannot set a memory limit in " + path_;
    return false;
  }
  return true;
}

bool RunCgroup::oom_killed() const {
  if (path_.empty())
    return false;
  return value_after(read_text(path_ + (version_ == 2 ? "/memory.events" : "/memory.oom_control")),
                     "oom_kill") > 0;
}

long long RunCgroup::peak_bytes() const {
  if (path_.empty())
    return 0;
  return std::atoll(
      read_text(path_ + (version_ == 2 ? "/memory.peak" : "/memory.max_usage_in_bytes")).c_str());
}

RunCgroup::~RunCgroup() {
  if (join_fd_ >= 0)
    close(join_fd_);
  if (path_.empty())
    return;
  // The last processes of a run may take a moment to leave it.
  for (int i = 0; i < 200 && rmdir(path_.c_str()) != 0 && errno == EBUSY; ++i)
    usleep(5000);
}

}  // namespace check
