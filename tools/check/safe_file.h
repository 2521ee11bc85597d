// Reading a file that a run could have made or replaced, and writing a
// report's file: a regular file only (never through a link, never a pipe or
// a device, so that nothing blocks), at most a given size.
#pragma once

#include <string>

namespace check {

// False, with the reason in *why, when `path` is not a regular file (a link
// is not followed) or holds more than `cap` bytes.
bool read_regular_file(const std::string& path, std::size_t cap, std::string* bytes,
                       std::string* why);

// Writes `bytes` to `path` through a new file renamed into place, so that a
// link left at `path` is replaced, not followed. False when it fails.
bool write_file_atomically(const std::string& path, const std::string& bytes);

}  // namespace check
