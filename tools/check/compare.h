// What a run left (its transcript) and how a student's run compares with
// the reference's on the same script: the final window, the window after
// chosen events, the log window's lines, the events used and how it ended.
#pragma once

#include <string>
#include <vector>

#include "tools/check/picture.h"
#include "tools/check/run.h"

namespace check {

struct Transcript {
  bool started = false;  // the runtime started (events.txt is there)
  bool has_end = false;  // the runtime finished (end.txt is there)
  std::vector<std::string> events;
  std::vector<std::string> log;
  long long events_given = 0;  // counted by the runtime, quits included
  bool closed_by_checker = false;
  int exit_code = 0;  // from run.txt, in a kept reference
  int signal = 0;
};

// The transcript in the files a run left (and run.txt, where a kept
// reference has one).
Transcript parse_transcript(const TranscriptFiles& files);

// Reads a kept run's files from `folder` (a reference kept with -R):
// defensively, as every file a program could have written.
TranscriptFiles read_kept_run(const std::string& folder, const std::vector<long long>& after);

// Writes what the checker read of a run into `folder` (new, or emptied):
// its transcript files, run.txt (how it ended) and output.txt.
bool save_run(const std::string& folder, const RunOutcome& outcome);

// The lines both have, in order, through a longest common subsequence; and
// the difference as lines "  same", "- reference only", "+ student only".
struct LineDiff {
  long long common = 0;
  long long only_reference = 0;
  long long only_got = 0;
  std::vector<std::string> lines;  // the first max_lines of the difference
  bool match() const { return only_reference == 0 && only_got == 0; }
  double score() const;
};
LineDiff diff_lines(const std::vector<std::string>& got, const std::vector<std::string>& reference,
                    std::size_t max_lines);

struct PictureResult {
  std::string name;      // "window" or "after-N"
  long long after = 0;   // N, or 0 for the final window
  bool missing = false;  // the student's run left no such picture
  bool reference_missing = false;
  PixelComparison pixels;
  bool match = false;
  std::string got, reference, difference;  // file paths, empty where missing
};

struct Settings {
  int tolerance = 0;             // channel levels a pixel may be off and still count as equal
  double max_diff_percent = 0;   // share of pixels beyond tolerance still called a match
  std::vector<long long> after;  // events after which pictures are compared
  Limits limits;
};

// One student's run on one script.
struct RunResult {
  std::string student, script;
  std::string status;   // match, differs, crashed, hung, memory_limit, file_limit,
                        // disk_limit, output_limit, process_limit, not_started, cannot_run
  std::string message;  // one line for the teacher
  double score = 0;     // 0-100
  RunOutcome outcome;
  Transcript transcript;
  std::string folder;
  std::vector<PictureResult> pictures;  // the final window first
  LineDiff log, events;
  bool ending_match = false;
  std::string ending, reference_ending;  // how each ended, in words
};

// Statuses worst first (0) to "match": a student's status is the worst of
// their runs'.
int status_rank(const std::string& status);

// How a run ended in words, e.g. "closed by the checker after 12 events".
std::string describe_ending(const RunOutcome& outcome, const Transcript& transcript);

// Classifies a run by how it ended alone; empty when it ended by itself on
// the runtime, so that the comparison decides.
std::string classify_ending(const RunOutcome& outcome, const Transcript& transcript,
                            const Limits& limits, std::string* message);

// Compares a student's run (result->outcome, saved in result->folder) with
// the reference's (saved in reference.folder) and fills in the rest of
// *result; difference pictures go to result->folder.
void compare_run(const RunResult& reference, const Settings& settings, RunResult* result);

}  // namespace check
