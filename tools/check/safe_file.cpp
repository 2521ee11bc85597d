// Careful reading and writing of files; see safe_file.h.
#include "tools/check/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace check {

bool read_regular_file(const std::string& path, std::size_t cap, std::string* bytes,
                       std::string* why) {
  bytes->clear();
  const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    *why = path + ": " + (errno == ELOOP ? "a link, not followed" : std::strerror(errno));
    return false;
  }
  struct stat info {};
  bool good = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  if (!good) {
    *why = path + ": not a regular file";
  } else if (static_cast<unsigned long long>(info.st_size) > cap) {
    *why = path + ": larger than " + std::to_string(cap) + " bytes";
    good = false;
  }
  char buffer[65536];
  while (good) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR)
      continue;
    if (got < 0) {
      *why = path + ": " + std::strerror(errno);
      good = false;
    } else if (got == 0) {
      break;
    } else if (bytes->size() + static_cast<std::size_t>(got) > cap) {
      *why = path + ": larger than " + std::to_string(cap) + " bytes";  // it grew
      good = false;
    } else {
      bytes->append(buffer, static_cast<std::size_t>(got));
    }
  }
  close(fd);
  if (!good)
    bytes->clear();
  return good;
}

bool write_file_atomically(const std::string& path, const std::string& bytes) {
  const std::string temporary = path + ".part";
  unlink(temporary.c_str());
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0)
    return false;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t wrote = write(fd, bytes.data() + done, bytes.size() - done);
    if (wrote < 0 && errno == EINTR)
      continue;
    if (wrote <= 0)
      break;
    done += static_cast<std::size_t>(wrote);
  }
  const bool good = close(fd) == 0 && done == bytes.size();
  if (!good || std::rename(temporary.c_str(), path.c_str()) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace check
