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

inline CheckRun check(const std::string& arguments) {
  CheckRun run;
  const std::string command = std::string(VELKO_CHECK_PATH) + " " + arguments + " 2>&1";
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

#ifdef VELKO_CLASS_MEMBER_PATH
// A student's folder, class/NAME, whose program runs the class member the
// given way (tests/check/class_member.cpp).
inline void add_student(const std::string& name, const std::string& how) {
  std::filesystem::create_directories("class/" + name);
  const std::string program = "class/" + name + "/solution";
  write_file(program, "#!/bin/sh\nexec " + std::string(VELKO_CLASS_MEMBER_PATH) + " " + how + "\n");
  chmod(program.c_str(), 0755);
}
#endif
