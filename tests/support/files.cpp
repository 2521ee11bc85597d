#include "tests/support/files.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <system_error>

TempDir::TempDir(const std::string& prefix) {
  std::error_code error;
  const std::filesystem::path base = std::filesystem::temp_directory_path(error);
  if (error)
    return;
  // A name nobody else holds: create_directory answers false when it exists.
  std::random_device seed;
  std::mt19937_64 random(seed());
  for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
    const std::filesystem::path candidate = base / (prefix + std::to_string(random()));
    if (std::filesystem::create_directory(candidate, error))
      path_ = candidate.string();
  }
}

TempDir::~TempDir() {
  if (path_.empty())
    return;
  // A test may have taken the write permission away to make a fault.
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

bool file_exists(const std::string& path) {
  return std::filesystem::exists(path);
}

bool write_file(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary);
  out << content;
  out.close();
  return static_cast<bool>(out);
}
