// What a Windows-side check program prints: one line for each thing it
// checked, then a summary; its exit status says whether everything held.
#pragma once

#include <cstdio>
#include <string>

class CheckReport {
 public:
  explicit CheckReport(const char* title) { std::printf("%s\n", title); }

  bool expect(bool ok, const std::string& what) {
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
    std::fflush(stdout);
    (ok ? passed_ : failed_) += 1;
    return ok;
  }

  void note(const std::string& what) {
    std::printf("     %s\n", what.c_str());
    std::fflush(stdout);
  }

  // The exit status: 0 when every check held.
  int finish() const {
    std::printf("%d checks, %d failed\n", passed_ + failed_, failed_);
    return failed_ == 0 && passed_ > 0 ? 0 : 1;
  }

 private:
  int passed_ = 0;
  int failed_ = 0;
};
