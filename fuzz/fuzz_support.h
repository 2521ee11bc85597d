// What the fuzz targets share: a scratch directory, the runtime on the
// headless backend, setting the runtime's state back between inputs, a reader
// of fuzz bytes, and the failure report.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Makes a fresh empty directory the current one for the rest of the process
// (the script file lives there) and removes it at exit. The fuzzer's own
// arguments that name files (corpus folders, artifact prefix, dictionary)
// are made absolute first, so they still name the same files; hand over the
// arguments LLVMFuzzerInitialize got.
void fuzz_enter_scratch_dir(int* argc, char*** argv);

// A small screen for the headless backend, so that the log window, which
// takes its bottom third, is small and cheap to scroll.
void fuzz_use_small_screen();

// Starts the runtime on the headless backend with a small screen, so that
// the log window is small and cheap to scroll, and without the backend's
// closing of the first window when the program would block.
void fuzz_start_runtime();

// Sets what an input may have changed back to the state right after start:
// run control, recorder and player (the stream closed), Ctrl key, check marks,
// log ring and logging switch. The windows and the surface stay.
void fuzz_reset_runtime_state();

// Forgets the whole runtime and the headless backend, windows and surface
// included, as if the process had just been loaded; for targets that run a
// whole program per input.
void fuzz_forget_runtime();

// The stored log lines, oldest first.
int fuzz_log_line_count();
const std::string& fuzz_log_line(int index);

// Reports a broken property and aborts, so that libFuzzer keeps the input.
[[noreturn]] void fuzz_fail(const char* what);
inline void fuzz_require(bool holds, const char* what) {
  if (!holds)
    fuzz_fail(what);
}

// Takes values from the fuzz input front to back; past its end every value
// is 0.
class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool empty() const { return pos_ >= size_; }
  std::uint8_t byte();
  std::uint32_t raw32();
  // A 32-bit argument that is, with high probability, one of the values where
  // code breaks: INT_MIN, INT_MAX, 0, -1, 1, or near a size of the surface,
  // the window or a limit, either sign.
  std::int32_t argument();
  // Up to max_length bytes, any values except the terminator.
  std::string text(std::size_t max_length);

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};
