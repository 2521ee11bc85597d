// What the reports of a class check show, as plain data: made from a check's
// results, or read back from the slices of a class (merge.h), so that every
// writer (report.h, platform_formats.h) sees the same thing either way. Text
// in it is clean (clean_text.h) and capped; pictures are stored once, as
// files of the report folder.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tools/check/class_run.h"
#include "tools/check/compare.h"

namespace check {

struct ReportPicture {
  std::string name;     // "window" or "after-N"
  long long after = 0;  // N, or 0 for the final window
  bool match = false, missing = false, reference_missing = false, same_size = false;
  long long pixels = 0, differing = 0, beyond_tolerance = 0;
  double share_percent = 0;
  // Where the run left them, relative to the report folder.
  std::string file, reference_file, difference_file;
  // The same pictures stored once in the report ("pictures/NAME.png"), or empty.
  std::string picture, reference_picture, difference_picture;
};

struct ReportLines {
  long long lines = 0, common = 0, only_reference = 0, only_student = 0;
  bool match = false;
};

struct ReportRun {
  std::string script, status, message;
  double score = 0;  // 0-100
  double points = 0;
  std::string folder;  // the run's folder, relative to the report folder
  std::string how;     // exited, signaled, timed_out, output_limit, process_limit, cannot_run
  int exit_status = 0, signal = 0;
  bool started_runtime = false, closed_by_checker = false, ending_match = false;
  long long events_given = 0, max_rss_kb = 0, output_bytes = 0;
  double seconds = 0, cpu_seconds = 0;
  std::string words, reference_words;   // how it and the reference ended
  std::vector<ReportPicture> pictures;  // the final window first
  ReportLines log, events;
  std::vector<std::string> log_difference;  // changes(): "- reference only", "+ student only"
  std::vector<std::string> events_shown;    // the first events it used
  std::string output;                       // the start of what it printed
  bool sandboxed = false;                   // the run had a sandbox of its own
  bool memory_whole = false;  // its memory limit bound the whole run (a control group)
  std::string memory;         // its memory limit, in words
};

struct ReportStudent {
  std::string name, program, status;
  double score = 0;  // 0-100
  double points = 0, max_points = 0;
  std::string page;  // "students/NAME.html", set by assign_pages
  std::vector<ReportRun> runs;
};

struct ReportScript {
  std::string name, file;
  double points = 1;  // what a run that matches on it earns
};

struct ReportData {
  std::string created;  // UTC, ISO 8601
  Settings settings;
  std::vector<ReportScript> scripts;
  std::string reference;
  bool all_match = false;
  double wall_seconds = 0, checker_cpu_seconds = 0, programs_cpu_seconds = 0;
  bool sandboxed = false;
  std::string sandbox_warning;          // why the runs had no sandbox, when they had none
  std::vector<ReportStudent> students;  // in the order of their names
  // A slice of a class (--shard K/N): which, and of what.
  int shard_index = 0, shard_count = 0;
  long long class_students = 0;
  std::string class_fingerprint;
};

// Caps on what a report keeps of a run.
constexpr std::size_t NAME_BYTES = 200, MESSAGE_BYTES = 2000, LINE_BYTES = 500;
constexpr std::size_t DIFFERENCE_LINES = 400, EVENTS_SHOWN = 200, OUTPUT_BYTES = 8192;
constexpr std::size_t PICTURE_BYTES = 16 << 20;

// Every PNG of a report, held once in folder/pictures whatever number of
// runs show it: most students' windows are the reference's, byte for byte.
// A picture is named by a hash of its bytes, so that the same picture has
// the same name in every report of the class.
class PictureStore {
 public:
  explicit PictureStore(std::string folder) : folder_(std::move(folder)) {}
  // Stores the PNG file at `path` (read with read_file_at); answers its
  // name in the report, or empty (with the reason in *why) when it is not a
  // readable PNG file.
  std::string store(const std::string& path, std::string* why);
  // Stores PNG bytes; empty when they are not a PNG or cannot be written.
  std::string store_bytes(const std::string& bytes, std::string* why);
  // The bytes of a stored picture, by its name in the report.
  const std::string* bytes(const std::string& name) const;

 private:
  std::string folder_;
  std::map<std::string, std::string> by_path_;
  std::map<std::uint64_t, std::vector<std::string>> by_hash_;  // names of pictures of one hash
  std::map<std::string, std::string> bytes_;                   // name -> bytes
};

std::uint64_t fnv1a(const std::string& bytes);
std::string hex(std::uint64_t value);

// A score's share of a script's points, rounded down to hundredths, so that
// only a match earns them all.
double points_for(double score, double points);

// The report's data of a class check whose reports go to `folder`.
ReportData report_data(const std::string& folder, const ClassOptions& options,
                       const ClassResult& result, PictureStore* pictures);

// Sorts the students by name and gives each a page of their own whose file
// name is safe anywhere and differs from every other's, case aside.
void assign_pages(ReportData* data);

// Totals over the students: each one's status, score and points, and all_match.
void add_up(ReportData* data);

const char* ending_name(Ending ending);

// A line difference ("  same", "- reference only", "+ student only") cut to
// its changes and three lines around each: a run of lines alike between
// them says only how many there were. Nothing when all are alike.
std::vector<std::string> changes(const std::vector<std::string>& lines);

// Now, in UTC and ISO 8601.
std::string report_time();

}  // namespace check
