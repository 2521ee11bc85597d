// Script recording and playback: the writer and reader of "VELKO.SCR" lines,
// and the ways recording and playback end.
#include "runtime/window/script.h"

#include <climits>
#include <cstdint>
#include <cstring>

#include "runtime/velko.h"
#include "runtime/window/events.h"
#include "runtime/window/run_menu.h"

int recording = 0;
int playing = 0;
int play_one = 0;
int periodic_run = 0;
std::FILE* script_stream = nullptr;

namespace {

// What script_stream was opened for. The writer never writes to a stream
// opened for reading, nor the reader reads from one opened for writing.
enum class StreamMode { none, reading, writing };
StreamMode stream_mode = StreamMode::none;

// One read takes at most 511 characters, line end included.
constexpr int LINE_BUFFER_SIZE = 512;
// The longest number the writer prints: "-2147483648".
constexpr std::size_t MAX_NUMBER_LENGTH = 11;
// Lines are told apart by the character after the prefix "VELKO_".
constexpr std::size_t KIND_INDEX = 6;

void close_stream() {
  if (!script_stream)
    return;
  const bool writing = stream_mode == StreamMode::writing;
  const bool failed = std::ferror(script_stream) != 0;
  const bool close_failed = std::fclose(script_stream) != 0;
  script_stream = nullptr;
  stream_mode = StreamMode::none;
  // Lines are buffered, so a full disk shows up here at the latest; the user
  // must not believe a script was saved when it was not.
  if (writing && (failed || close_failed)) {
    VELKO_log("Cannot write script file %s\n", SCRIPT_FILE_NAME);
  }
}

bool open_for_writing() {
  if (script_stream && stream_mode == StreamMode::writing)
    return true;
  close_stream();  // a stream left open for reading
  script_stream = std::fopen(SCRIPT_FILE_NAME, "wt");
  if (!script_stream) {
    VELKO_log("Cannot open script file %s for writing\n", SCRIPT_FILE_NAME);
    return false;
  }
  stream_mode = StreamMode::writing;
  return true;
}

bool open_for_reading() {
  if (script_stream && stream_mode == StreamMode::reading)
    return true;
  close_stream();  // a stream left open for writing
  // A fresh playback starts with no periodic events still to come.
  periodic_run = 0;
  script_stream = std::fopen(SCRIPT_FILE_NAME, "rt");
  if (!script_stream) {
    VELKO_log("Cannot open script file %s for reading\n", SCRIPT_FILE_NAME);
    return false;
  }
  stream_mode = StreamMode::reading;
  return true;
}

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

bool continues_number(char c, bool with_sign) {
  return is_digit(c) || (with_sign && c == '-');
}

// Converts a run of at most MAX_NUMBER_LENGTH characters: an optional minus
// sign, then digits, up to the first character that does not continue the
// number. A run without digits is 0. False when the value does not fit.
bool convert_number(const char* run, std::size_t length, int* value) {
  std::size_t i = 0;
  const bool negative = length > 0 && run[0] == '-';
  if (negative)
    ++i;
  std::int64_t magnitude = 0;  // 11 digits fit with room to spare
  for (; i < length && is_digit(run[i]); ++i)
    magnitude = magnitude * 10 + (run[i] - '0');
  const std::int64_t result = negative ? -magnitude : magnitude;
  if (result < INT_MIN || result > INT_MAX)
    return false;
  *value = static_cast<int>(result);
  return true;
}

// Finds the next number in line[*pos, length): skips to the first digit (or,
// with signs, minus sign), then takes the run of characters that continue it,
// and moves *pos past the run. False when there is none, or when it is longer
// than any number the writer prints, or too large for an int.
bool scan_number(const char* line, std::size_t length, std::size_t* pos, bool with_sign,
                 int* value) {
  std::size_t i = *pos;
  while (i < length && !continues_number(line[i], with_sign))
    ++i;
  if (i == length)
    return false;
  const std::size_t start = i;
  while (i < length && continues_number(line[i], with_sign))
    ++i;
  *pos = i;
  if (i - start > MAX_NUMBER_LENGTH)
    return false;
  return convert_number(line + start, i - start, value);
}

// Length of the line without its line end; "\r\n" counts as a line end so
// that scripts written on Windows play here too.
std::size_t content_length(const char* line, bool* had_line_end) {
  std::size_t length = std::strlen(line);
  *had_line_end = length > 0 && line[length - 1] == '\n';
  if (*had_line_end) {
    --length;
    if (length > 0 && line[length - 1] == '\r')
      --length;
  }
  return length;
}

// Puts the event of one line into the pending event; false, with nothing
// changed, when the line is not one the writer could have written.
bool play_line(const char* line, std::size_t length) {
  if (length <= KIND_INDEX)
    return false;
  std::size_t pos = KIND_INDEX;
  switch (line[KIND_INDEX]) {
    case 'M': {
      int x = 0;
      int y = 0;
      if (!scan_number(line, length, &pos, true, &x))
        return false;
      if (!scan_number(line, length, &pos, true, &y))
        return false;
      pending_kind = VELKO_MOUSE;
      event_x = x;
      event_y = y;
      return true;
    }
    case 'K': {
      int code = 0;
      if (!scan_number(line, length, &pos, false, &code))
        return false;
      pending_kind = VELKO_KBD;
      event_key = static_cast<char>(code & 0xFF);
      return true;
    }
    case 'P': {
      int count = 0;
      if (!scan_number(line, length, &pos, false, &count))
        return false;
      pending_kind = VELKO_PERIODIC;
      // This event now, the rest one per read; 0 plays as 1.
      periodic_run = count - 1;
      return true;
    }
    default:
      return false;
  }
}

}  // namespace

void script_write_event(int kind, int x, int y, char key) {
  if (!open_for_writing())
    return;
  switch (kind) {
    case VELKO_MOUSE:
      std::fprintf(script_stream, "VELKO_MOUSE(%d, %d);\n", x, y);
      break;
    case VELKO_KBD:
      // 0..255, so that codes above 127 read back as the same character.
      std::fprintf(script_stream, "VELKO_KBD(%d);\n", static_cast<unsigned char>(key));
      break;
    case VELKO_PERIODIC:
      std::fprintf(script_stream, "VELKO_PERIODIC(%d);\n", periodic_run);
      break;
    default:
      break;
  }
}

int script_read_event() {
  if (!open_for_reading()) {
    stop_playback();
    return 0;
  }
  if (periodic_run > 0) {
    --periodic_run;
    pending_kind = VELKO_PERIODIC;
    return 1;
  }

  char line[LINE_BUFFER_SIZE];
  std::size_t length = 0;
  for (;;) {
    const bool got_line = std::fgets(line, sizeof line, script_stream) != nullptr;
    // A read that fails for another reason than the end of the file (the
    // name is a directory, the disk gives an error) ends playback with its
    // own message; the stream is closed so that the next playback tries the
    // file afresh.
    if (!got_line && std::ferror(script_stream) && !std::feof(script_stream)) {
      VELKO_log("Cannot read script file %s\n", SCRIPT_FILE_NAME);
      stop_playback();
      close_stream();
      return 0;
    }
    // A final line without a line end is not played.
    if (!got_line || std::feof(script_stream)) {
      VELKO_log("EOF encountered in script file %s\n", SCRIPT_FILE_NAME);
      stop_playback();
      return 0;
    }
    bool had_line_end = false;
    length = content_length(line, &had_line_end);
    if (length > 0 || !had_line_end)
      break;  // empty lines are skipped
  }

  if (!play_line(line, length)) {
    stop_playback();
    return 0;
  }
  return 1;
}

void stop_recording() {
  recording = 0;
  plat->check_menu_item(run_menu, IDM_RECORD, false);
  if (periodic_run > 0) {
    script_write_event(VELKO_PERIODIC, 0, 0, 0);
    periodic_run = 0;
  }
  close_script();
}

void stop_playback() {
  playing = 0;
  play_one = 0;
  plat->check_menu_item(run_menu, IDM_PLAYBACK, false);
}

void close_script() {
  // Closing while recording ends the recording in its normal way, so the
  // pending run of periodic events is written and no later event reopens,
  // and so empties, the file.
  if (recording) {
    stop_recording();
    return;
  }
  close_stream();
}
