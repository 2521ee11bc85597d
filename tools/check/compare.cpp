// Transcripts and their comparison with the reference; see compare.h.
#include "tools/check/compare.h"

#include <signal.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "tools/check/files.h"

namespace fs = std::filesystem;

namespace check {
namespace {

std::vector<std::string> split_lines(const std::string* text) {
  std::vector<std::string> lines;
  if (!text)
    return lines;
  std::size_t start = 0;
  while (start < text->size()) {
    std::size_t end = text->find('\n', start);
    if (end == std::string::npos)
      end = text->size();
    std::string line = text->substr(start, end - start);
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

// "name value" lines.
std::vector<std::pair<std::string, long long>> values(const std::string* text) {
  std::vector<std::pair<std::string, long long>> found;
  if (!text)
    return found;
  std::istringstream in(*text);
  std::string name, value;
  while (in >> name >> value)
    found.emplace_back(name, std::atoll(value.c_str()));
  return found;
}

std::string percent(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4g", value);
  return text;
}

std::vector<std::string> picture_names(const std::vector<long long>& after) {
  std::vector<std::string> names = {"window.png", "surface.png"};
  for (long long n : after)
    names.push_back("after-" + std::to_string(n) + ".png");
  return names;
}

}  // namespace

int status_rank(const std::string& status) {
  const char* const order[] = {"cannot_run",    "not_started", "crashed",    "hung",
                               "memory_limit",  "file_limit",  "disk_limit", "output_limit",
                               "process_limit", "differs",     "match"};
  int rank = 0;
  for (const char* s : order) {
    if (status == s)
      return rank;
    ++rank;
  }
  return 0;
}

Transcript parse_transcript(const TranscriptFiles& files) {
  Transcript t;
  const std::string* events = files.find("events.txt");
  t.started = events != nullptr;
  t.events = split_lines(events);
  t.log = split_lines(files.find("log.txt"));
  const std::string* end = files.find("end.txt");
  t.has_end = end != nullptr;
  for (const auto& [name, value] : values(end)) {
    if (name == "events")
      t.events_given = value;
    else if (name == "closed_by_checker")
      t.closed_by_checker = value != 0;
  }
  if (!t.has_end)
    t.events_given = static_cast<long long>(t.events.size());
  for (const auto& [name, value] : values(files.find("run.txt"))) {
    if (name == "exit_code")
      t.exit_code = static_cast<int>(value);
    else if (name == "signal")
      t.signal = static_cast<int>(value);
  }
  return t;
}

TranscriptFiles read_kept_run(const std::string& folder, const std::vector<long long>& after) {
  TranscriptFiles kept;
  std::vector<std::string> names = picture_names(after);
  names.insert(names.end(), {"events.txt", "log.txt", "end.txt", "run.txt"});
  for (const std::string& name : names) {
    std::string bytes, why;
    if (read_file_at(folder + "/" + name, 64 << 20, &bytes, &why))
      kept.files[name] = std::move(bytes);
    else if (why.find("is missing") == std::string::npos)
      kept.problems.push_back(why);
  }
  return kept;
}

bool save_run(const std::string& folder, const RunOutcome& outcome) {
  std::error_code error;
  fs::remove_all(folder, error);
  fs::create_directories(folder, error);
  if (error)
    return false;
  std::ostringstream run;
  run << "exit_code " << outcome.exit_code << "\nsignal " << outcome.signal << "\nseconds "
      << outcome.seconds << "\noutput_bytes " << outcome.output_bytes << "\n";
  bool saved = write_new_file(folder + "/run.txt", run.str()) &&
               write_new_file(folder + "/output.txt", outcome.output);
  for (const auto& [name, bytes] : outcome.transcript.files)
    saved = write_new_file(folder + "/" + name, bytes) && saved;
  return saved;
}

double LineDiff::score() const {
  const long long all = 2 * common + only_reference + only_got;
  return all ? 100.0 * 2 * common / all : 100.0;
}

LineDiff diff_lines(const std::vector<std::string>& got, const std::vector<std::string>& reference,
                    std::size_t max_lines) {
  LineDiff diff;
  // Lines alike at both ends need no table.
  std::size_t head = 0;
  while (head < got.size() && head < reference.size() && got[head] == reference[head])
    ++head;
  std::size_t tail = 0;
  while (tail < got.size() - head && tail < reference.size() - head &&
         got[got.size() - 1 - tail] == reference[reference.size() - 1 - tail])
    ++tail;
  const std::size_t n = reference.size() - head - tail, m = got.size() - head - tail;
  // A line of a difference is cut at 500 bytes: a program's log may hold
  // lines of any length.
  auto add = [&](char mark, const std::string& line) {
    if (diff.lines.size() < max_lines)
      diff.lines.push_back(std::string(1, mark) + " " +
                           (line.size() > 500 ? line.substr(0, 500) + " [cut]" : line));
  };
  for (std::size_t i = 0; i < head; ++i)
    add(' ', got[i]);
  diff.common = static_cast<long long>(head + tail);
  if (n * m <= 4000000) {
    // lcs[i][j]: the longest common subsequence of reference[head+i..] and got[head+j..].
    std::vector<unsigned> lcs((n + 1) * (m + 1), 0);
    auto at = [&](std::size_t i, std::size_t j) -> unsigned& { return lcs[i * (m + 1) + j]; };
    for (std::size_t i = n; i-- > 0;)
      for (std::size_t j = m; j-- > 0;)
        at(i, j) = reference[head + i] == got[head + j] ? at(i + 1, j + 1) + 1
                                                        : std::max(at(i + 1, j), at(i, j + 1));
    std::size_t i = 0, j = 0;
    while (i < n || j < m) {
      if (i < n && j < m && reference[head + i] == got[head + j]) {
        add(' ', got[head + j]);
        ++diff.common, ++i, ++j;
      } else if (j < m && (i == n || at(i, j + 1) >= at(i + 1, j))) {
        add('+', got[head + j++]);
        ++diff.only_got;
      } else {
        add('-', reference[head + i++]);
        ++diff.only_reference;
      }
    }
  } else {
    // Too long for the table: line against line.
    for (std::size_t k = 0; k < std::max(n, m); ++k) {
      if (k < n && k < m && reference[head + k] == got[head + k]) {
        add(' ', got[head + k]);
        ++diff.common;
        continue;
      }
      if (k < n) {
        add('-', reference[head + k]);
        ++diff.only_reference;
      }
      if (k < m) {
        add('+', got[head + k]);
        ++diff.only_got;
      }
    }
  }
  for (std::size_t k = got.size() - tail; k < got.size(); ++k)
    add(' ', got[k]);
  return diff;
}

std::string describe_ending(const RunOutcome& outcome, const Transcript& t) {
  std::ostringstream out;
  switch (outcome.ending) {
    case Ending::CANNOT_RUN:
      return outcome.message;
    case Ending::TIMED_OUT:
      out << "stopped after " << outcome.seconds << " s, still running, after " << t.events_given
          << " events";
      return out.str();
    case Ending::OUTPUT_LIMIT:
      out << "stopped after printing more than " << outcome.output.size() << " bytes";
      return out.str();
    case Ending::PROCESS_LIMIT:
      return "stopped for starting too many processes";
    case Ending::SIGNALED:
      out << "killed by signal " << outcome.signal << " (" << strsignal(outcome.signal)
          << ") after " << t.events_given << " events";
      return out.str();
    case Ending::EXITED:
      break;
  }
  if (!t.started) {
    out << "ended with status " << outcome.exit_code << " without starting the runtime";
    return out.str();
  }
  if (t.closed_by_checker)
    out << "was closed by the checker when its script ran out, ";
  else
    out << "ended by itself, ";
  out << "status " << outcome.exit_code << ", after " << t.events_given << " events";
  return out.str();
}

std::string classify_ending(const RunOutcome& outcome, const Transcript& t, const Limits& limits,
                            std::string* message) {
  std::ostringstream out;
  // Only what the checker saw counts, never what the program printed: the
  // kernel's count of the run's memory where a control group kept it, else
  // the largest process's share of its limit when it died.
  const bool at_memory_limit =
      outcome.memory_killed ||
      (!outcome.isolation.memory_total && outcome.ending == Ending::SIGNALED &&
       limits.memory_mb > 0 &&
       outcome.max_rss_kb * 1024 >= limits.memory_mb * 1024 * 1024 * 8 / 10);
  switch (outcome.ending) {
    case Ending::CANNOT_RUN:
      *message = outcome.message;
      return "cannot_run";
    case Ending::TIMED_OUT:
      out << "did not end within " << limits.seconds << " s (it hung, after " << t.events_given
          << " events); it was stopped";
      *message = out.str();
      return "hung";
    case Ending::OUTPUT_LIMIT:
      out << "printed more than the limit of " << limits.output_bytes
          << " bytes on its standard output and error; it was stopped";
      *message = out.str();
      return "output_limit";
    case Ending::PROCESS_LIMIT:
      out << "ran more than " << limits.processes << " processes at once; it was stopped";
      *message = out.str();
      return "process_limit";
    case Ending::SIGNALED:
      if (outcome.signal == SIGXFSZ) {
        out << "wrote a file larger than the limit of " << limits.file_mb << " MB; it was stopped";
        *message = out.str();
        return "file_limit";
      }
      if (at_memory_limit) {
        out << "ran out of its memory limit of " << limits.memory_mb << " MB (signal "
            << outcome.signal << ")";
        *message = out.str();
        return "memory_limit";
      }
      out << "crashed: signal " << outcome.signal << " (" << strsignal(outcome.signal) << ") after "
          << t.events_given << " events";
      *message = out.str();
      return "crashed";
    case Ending::EXITED:
      break;
  }
  if (outcome.disk_full) {
    out << "filled its folder, the limit of " << limits.disk_mb << " MB for all it writes";
    *message = out.str();
    return "disk_limit";
  }
  if (!t.started) {
    out << "ended with status " << outcome.exit_code
        << " without starting the VELKO runtime (is it built on it?)";
    *message = out.str();
    return "not_started";
  }
  return "";
}

void compare_run(const RunResult& reference_run, const Settings& settings, RunResult* r) {
  const fs::path got_dir = r->folder, ref_dir = reference_run.folder;
  const Transcript& reference = reference_run.transcript;
  r->transcript = parse_transcript(r->outcome.transcript);
  r->transcript.exit_code = r->outcome.exit_code;
  r->transcript.signal = r->outcome.signal;
  r->ending = describe_ending(r->outcome, r->transcript);
  RunOutcome ref_outcome;
  ref_outcome.ending = reference.signal ? Ending::SIGNALED : Ending::EXITED;
  ref_outcome.exit_code = reference.exit_code;
  ref_outcome.signal = reference.signal;
  r->reference_ending = describe_ending(ref_outcome, reference);

  std::string message;
  const std::string status = classify_ending(r->outcome, r->transcript, settings.limits, &message);
  // Whatever it left is compared all the same: a crash after the fifth
  // event still shows how far it got.
  std::vector<std::pair<std::string, long long>> names = {{"window", 0}};
  for (long long n : settings.after)
    names.emplace_back("after-" + std::to_string(n), n);
  double score_sum = 0;
  int parts = 0;
  bool pictures_match = true;
  for (const auto& [name, after] : names) {
    PictureResult p;
    p.name = name;
    p.after = after;
    const std::string file = name + ".png";
    const std::string* got_bytes = r->outcome.transcript.find(file);
    const std::string* ref_bytes = reference_run.outcome.transcript.find(file);
    Picture got, ref;
    std::string why;
    // Files alike byte for byte hold alike pictures: most students' runs
    // need no decoding.
    int width = 0, height = 0;
    if (got_bytes && ref_bytes && *got_bytes == *ref_bytes &&
        png_size(*got_bytes, &width, &height)) {
      p.got = (got_dir / file).string();
      p.reference = (ref_dir / file).string();
      p.pixels.same_size = true;
      p.pixels.total = static_cast<long long>(width) * height;
      p.match = true;
      score_sum += 100;
      ++parts;
      r->pictures.push_back(p);
      continue;
    }
    p.missing = !got_bytes || !read_png_bytes(*got_bytes, &got, &why);
    p.reference_missing = !ref_bytes || !read_png_bytes(*ref_bytes, &ref, &why);
    if (!p.missing)
      p.got = (got_dir / file).string();
    if (!p.reference_missing)
      p.reference = (ref_dir / file).string();
    if (p.reference_missing && p.missing) {
      p.match = true;  // neither got that far: the events and ending tell
    } else if (!p.missing && !p.reference_missing) {
      Picture difference;
      p.pixels = compare_pictures(got, ref, settings.tolerance, &difference);
      p.match = p.pixels.same_size && p.pixels.share_percent() <= settings.max_diff_percent;
      const fs::path diff_path = got_dir / ("diff-" + name + ".png");
      if (p.pixels.differing > 0 && write_png(diff_path.string(), difference))
        p.difference = diff_path.string();
      score_sum += 100 - p.pixels.share_percent();
      ++parts;
    } else {
      ++parts;  // one of them has no such picture: nothing of it agrees
    }
    pictures_match = pictures_match && p.match;
    r->pictures.push_back(p);
  }
  r->log = diff_lines(r->transcript.log, reference.log, 400);
  r->events = diff_lines(r->transcript.events, reference.events, 0);
  r->ending_match = r->transcript.started && r->outcome.ending == Ending::EXITED &&
                    r->outcome.exit_code == reference.exit_code &&
                    r->transcript.closed_by_checker == reference.closed_by_checker;
  score_sum += r->log.score() + r->events.score() + (r->ending_match ? 100 : 0);
  parts += 3;
  r->score = status.empty() ? score_sum / parts : 0;

  if (!status.empty()) {
    r->status = status;
    r->message = message;
    return;
  }
  std::vector<std::string> differences;
  for (const PictureResult& p : r->pictures) {
    if (p.match)
      continue;
    std::ostringstream d;
    const std::string what = p.after ? "the window after event " + std::to_string(p.after)
                                     : std::string("the final window");
    if (p.missing)
      d << "no picture of " << what << " (the run ended before it)";
    else if (p.reference_missing)
      d << "the reference has no picture of " << what;
    else if (!p.pixels.same_size)
      d << what << " has another size";
    else
      d << what << ": " << p.pixels.beyond_tolerance << " pixels differ ("
        << percent(p.pixels.share_percent()) << " %)";
    differences.push_back(d.str());
  }
  if (!r->log.match())
    differences.push_back("the log differs: " + std::to_string(r->log.only_reference) +
                          " line(s) missing, " + std::to_string(r->log.only_got) + " extra");
  if (!r->events.match()) {
    const long long used = static_cast<long long>(r->transcript.events.size());
    const long long wanted = static_cast<long long>(reference.events.size());
    differences.push_back(used < wanted ? "ended early: used " + std::to_string(used) + " of " +
                                              std::to_string(wanted) + " events"
                                        : "the events it used differ from the reference's");
  }
  if (!r->ending_match)
    differences.push_back("it " + r->ending + "; the reference " + r->reference_ending);
  for (const std::string& problem : r->outcome.transcript.problems)
    differences.push_back("its transcript was refused: " + problem);
  if (differences.empty()) {
    r->status = "match";
    r->message = "matches the reference";
  } else {
    r->status = "differs";
    r->score = std::min(r->score, 99.999);  // a score of 100 is kept for a match
    for (std::size_t i = 0; i < differences.size(); ++i)
      r->message += (i ? "; " : "") + differences[i];
  }
}

}  // namespace check
