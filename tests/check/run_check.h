// Runs velko-check (VELKO_CHECK_PATH) in the current directory, for the
// checker's tests: its exit status and everything it printed.
#pragma once

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/support/files.h"

struct CheckRun {
  int status = -1;
  std::string out;
};

#if defined(__SANITIZE_ADDRESS__)
// The address sanitizer needs more address space than any memory limit.
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// `as`: a command that runs the checker (another user's, another
// namespace), or empty; `environment`: NAME=value words set for it.
inline CheckRun check_as(const std::string& as, const std::string& environment,
                         const std::string& arguments) {
  CheckRun run;
  const std::string command = as + (as.empty() ? "" : " ") + "env " + environment + " " +
                              VELKO_CHECK_PATH + " " + arguments + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe)
    return run;
  char buffer[4096];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
    run.out.append(buffer, got);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

inline CheckRun check(const std::string& arguments) {
  return check_as("", "", arguments);
}

// The line of a class's results.json that opens the student's entry.
inline std::string student_line(const std::string& json, const std::string& name) {
  const std::string opening = "{\"name\": \"" + name + "\", \"program\"";
  const auto at = json.find(opening);
  return at == std::string::npos ? "" : json.substr(at, json.find('\n', at) - at);
}

#ifdef VELKO_CLASS_MEMBER_PATH
// A student's folder, class/NAME, with a copy of the class member named
// HOW, which behaves so (tests/check/class_member.cpp).
inline void add_student(const std::string& name, const std::string& how) {
  std::filesystem::create_directories("class/" + name);
  std::filesystem::copy_file(VELKO_CLASS_MEMBER_PATH, "class/" + name + "/" + how,
                             std::filesystem::copy_options::overwrite_existing);
}
#endif
