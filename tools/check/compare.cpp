// Transcripts and their comparison with the reference; see compare.h.
#include "tools/check/compare.h"

#include <signal.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace check {
namespace {

std::vector<std::string> read_lines(const fs::path& path, bool* found) {
  std::vector<std::string> lines;
  std::ifstream in(path, std::ios::binary);
  *found = static_cast<bool>(in);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// "name value" lines.
std::vector<std::pair<std::string, long long>> read_values(const fs::path& path, bool* found) {
  std::vector<std::pair<std::string, long long>> values;
  std::ifstream in(path);
  *found = static_cast<bool>(in);
  std::string name, value;
  while (in >> name >> value)
    values.emplace_back(name, std::atoll(value.c_str()));
  return values;
}

std::string read_bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

bool contains(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

std::string percent(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4g", value);
  return text;
}

}  // namespace

int status_rank(const std::string& status) {
  const char* const order[] = {"cannot_run",   "not_started", "crashed",      "hung",
                               "memory_limit", "file_limit",  "output_limit", "process_limit",
                               "differs",      "match"};
  int rank = 0;
  for (const char* s : order) {
    if (status == s)
      return rank;
    ++rank;
  }
  return 0;
}

Transcript read_transcript(const std::string& folder) {
  Transcript t;
  const fs::path dir = folder;
  bool found = false;
  t.events = read_lines(dir / "events.txt", &t.started);
  t.log = read_lines(dir / "log.txt", &found);
  for (const auto& [name, value] : read_values(dir / "end.txt", &t.has_end)) {
    if (name == "events")
      t.events_given = value;
    else if (name == "closed_by_checker")
      t.closed_by_checker = value != 0;
  }
  if (!t.has_end)
    t.events_given = static_cast<long long>(t.events.size());
  for (const auto& [name, value] : read_values(dir / "run.txt", &found)) {
    if (name == "exit_code")
      t.exit_code = static_cast<int>(value);
    else if (name == "signal")
      t.signal = static_cast<int>(value);
  }
  return t;
}

void write_run_file(const std::string& folder, const RunOutcome& outcome) {
  std::ofstream out(fs::path(folder) / "run.txt");
  out << "exit_code " << outcome.exit_code << "\nsignal " << outcome.signal << "\nseconds "
      << outcome.seconds << "\noutput_bytes " << outcome.output_bytes << "\n";
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
  auto add = [&](char mark, const std::string& line) {
    if (diff.lines.size() < max_lines)
      diff.lines.push_back(std::string(1, mark) + " " + line);
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
  const bool says_memory = contains(outcome.output, "bad_alloc") ||
                           contains(outcome.output, "Cannot allocate memory") ||
                           contains(outcome.output, "out of memory");
  const bool near_memory_limit =
      limits.memory_mb > 0 && outcome.max_rss_kb * 1024 >= limits.memory_mb * 1024 * 1024 * 8 / 10;
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
      if (says_memory || near_memory_limit) {
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
  if (outcome.exit_code != 0 && says_memory) {
    out << "ran out of its memory limit of " << limits.memory_mb << " MB (status "
        << outcome.exit_code << ")";
    *message = out.str();
    return "memory_limit";
  }
  if (!t.started) {
    out << "ended with status " << outcome.exit_code
        << " without starting the VELKO runtime (is it built on it?)";
    *message = out.str();
    return "not_started";
  }
  return "";
}

void compare_run(const std::string& reference_folder, const Settings& settings, RunResult* r) {
  const fs::path got_dir = r->folder, ref_dir = reference_folder;
  const Transcript reference = read_transcript(reference_folder);
  r->transcript = read_transcript(r->folder);
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
    const fs::path got_path = got_dir / (name + ".png"), ref_path = ref_dir / (name + ".png");
    Picture got, ref;
    std::string why;
    // Files alike byte for byte hold alike pictures: most students' runs
    // need no decoding.
    const std::string got_bytes = read_bytes(got_path), ref_bytes = read_bytes(ref_path);
    int width = 0, height = 0;
    if (got_bytes == ref_bytes && png_size(got_bytes, &width, &height)) {
      p.got = got_path.string();
      p.reference = ref_path.string();
      p.pixels.same_size = true;
      p.pixels.total = static_cast<long long>(width) * height;
      p.match = true;
      score_sum += 100;
      ++parts;
      r->pictures.push_back(p);
      continue;
    }
    p.missing = !read_png(got_path.string(), &got, &why);
    p.reference_missing = !read_png(ref_path.string(), &ref, &why);
    if (!p.missing)
      p.got = got_path.string();
    if (!p.reference_missing)
      p.reference = ref_path.string();
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
