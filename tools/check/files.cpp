// Defensive reading and careful writing of files; see files.h.
#include "tools/check/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace check {
namespace {

struct Fd {
  int fd = -1;
  explicit Fd(int f) : fd(f) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd >= 0)
      close(fd);
  }
};

bool fail(std::string* why, const std::string& text) {
  *why = text;
  return false;
}

}  // namespace

bool read_file_below(int folder, const std::string& name, long long cap, std::string* bytes,
                     std::string* why) {
  bytes->clear();
  // Each folder on the way is opened without following a link, so that a
  // program cannot point the checker elsewhere by a link in its own tree.
  Fd dir(fcntl(folder, F_DUPFD_CLOEXEC, 0));
  if (dir.fd < 0)
    return fail(why, std::string("cannot read: ") + std::strerror(errno));
  std::size_t start = 0;
  for (std::size_t slash; (slash = name.find('/', start)) != std::string::npos; start = slash + 1) {
    const std::string part = name.substr(start, slash - start);
    if (part.empty() || part == "." || part == "..")
      return fail(why, "not a plain path: " + name);
    const int next = openat(dir.fd, part.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (next < 0)
      return fail(why, part + " is missing or not a folder");
    close(dir.fd);
    dir.fd = next;
  }
  const std::string last = name.substr(start);
  if (last.empty() || last == "." || last == "..")
    return fail(why, "not a plain path: " + name);
  // O_PATH opens nothing: a pipe does not block and a device is not
  // touched. Only a regular file is opened again, through the same inode.
  Fd path(openat(dir.fd, last.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
  if (path.fd < 0)
    return fail(why, errno == ENOENT ? last + " is missing" : last + ": " + std::strerror(errno));
  struct stat info {};
  if (fstat(path.fd, &info) != 0 || !S_ISREG(info.st_mode))
    return fail(why, last + (S_ISLNK(info.st_mode) ? " is a link, not followed"
                                                   : " is not a regular file"));
  const std::string again = "/proc/self/fd/" + std::to_string(path.fd);
  Fd file(open(again.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.fd < 0)
    return fail(why, last + ": " + std::strerror(errno));
  const long long size = info.st_size;
  bytes->reserve(static_cast<std::size_t>(size < cap ? size : cap));
  char buffer[65536];
  while (static_cast<long long>(bytes->size()) < cap) {
    const long long room = cap - static_cast<long long>(bytes->size());
    const ssize_t got = read(file.fd, buffer,
                             static_cast<std::size_t>(room < static_cast<long long>(sizeof buffer)
                                                          ? room
                                                          : static_cast<long long>(sizeof buffer)));
    if (got < 0 && errno == EINTR)
      continue;
    if (got < 0)
      return fail(why, last + ": " + std::strerror(errno));
    if (got == 0)
      return true;
    bytes->append(buffer, static_cast<std::size_t>(got));
  }
  char one;
  if (read(file.fd, &one, 1) > 0)
    return fail(why, last + " is larger than " + std::to_string(cap) + " bytes");
  return true;
}

bool read_file_at(const std::string& path, long long cap, std::string* bytes, std::string* why) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  Fd dir(open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (dir.fd < 0) {
    bytes->clear();
    return fail(why, folder + " cannot be opened: " + std::strerror(errno));
  }
  return read_file_below(dir.fd, slash == std::string::npos ? path : path.substr(slash + 1), cap,
                         bytes, why);
}

bool write_new_file(const std::string& path, const std::string& bytes) {
  // A new file renamed into place: a link left at `path` is replaced, not
  // followed, and a reader never sees half a file.
  const std::string temporary = path + ".part";
  unlink(temporary.c_str());
  Fd file(open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
  if (file.fd < 0)
    return false;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = write(file.fd, bytes.data() + done, bytes.size() - done);
    if (put < 0 && errno == EINTR)
      continue;
    if (put <= 0)
      break;
    done += static_cast<std::size_t>(put);
  }
  const int fd = file.fd;
  file.fd = -1;
  if (close(fd) != 0 || done != bytes.size() || rename(temporary.c_str(), path.c_str()) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace check
