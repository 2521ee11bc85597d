// Files velko-check reads from places a checked program could reach, and
// files it writes itself. What a program left is read as an adversary's:
// regular files only, never through a link, never waiting on a pipe or a
// device, and never more than a cap. Everything is opened close-on-exec,
// since other threads start programs at any moment.
#pragma once

#include <string>

namespace check {

// Reads `name` (one component or a path of components) below the folder
// open as `folder` into *bytes, at most `cap` bytes. False, with the
// reason in *why, when it is missing, is not a regular file, passes
// through a link, or is larger than the cap (then *bytes holds the first
// `cap` bytes).
bool read_file_below(int folder, const std::string& name, long long cap, std::string* bytes,
                     std::string* why);

// The same for a path, taken from the current directory.
bool read_file_at(const std::string& path, long long cap, std::string* bytes, std::string* why);

// Writes `bytes` to `path` through a new file renamed into place, so that
// a link left at `path` is replaced, not followed; mode 0644.
bool write_new_file(const std::string& path, const std::string& bytes);

}  // namespace check
