// A memory limit over a whole run, where the machine lets velko-check make
// control groups: cgroup v2 with its memory controller available to us, or
// the memory hierarchy of cgroup v1 (as root). Elsewhere a run's memory is
// limited per process (its address space), and the report says which.
#pragma once

#include <string>

namespace check {

class RunCgroup {
 public:
  RunCgroup() = default;
  RunCgroup(const RunCgroup&) = delete;
  RunCgroup& operator=(const RunCgroup&) = delete;
  ~RunCgroup();  // removes the group; call once nothing of the run is alive

  // Makes a group holding at most `memory_bytes` of memory (swap included
  // where it is counted apart). False, with the reason, where none can be made.
  bool create(long long memory_bytes, std::string* why);
  // Open for writing, close-on-exec: a child that writes "0" joins the group.
  int join_fd() const { return join_fd_; }
  bool oom_killed() const;
  long long peak_bytes() const;

 private:
  std::string path_;
  int version_ = 0;
  int join_fd_ = -1;
};

// Whether runs get a group of their own on this machine, tried once: empty
// when they do, else why not.
const std::string& cgroup_unavailable_reason();

}  // namespace check
