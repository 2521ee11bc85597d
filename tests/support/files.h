// Temporary folders and whole files for the tests, the desktop tests and the
// benchmarks. Needs nothing but the standard library.
#pragma once

#include <string>

// A fresh empty directory under the system's temporary one, removed with
// everything in it when the object goes. An empty path() means it could not
// be made.
class TempDir {
 public:
  explicit TempDir(const std::string& prefix = "velko-test-");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// The whole content of a file, byte for byte; empty when it does not exist.
std::string read_file(const std::string& path);
bool file_exists(const std::string& path);
// Writes the bytes as they are; false when the file cannot be written.
bool write_file(const std::string& path, const std::string& content);
