// The reports' data; see report_data.h.
#include "tools/check/report_data.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <set>

#include "tools/check/clean_text.h"
#include "tools/check/files.h"
#include "tools/check/picture.h"
#include "tools/check/report.h"

namespace fs = std::filesystem;

namespace check {
namespace {

std::string relative(const std::string& path, const std::string& folder) {
  if (path.empty())
    return "";
  std::error_code error;
  const fs::path rel = fs::relative(path, folder, error);
  return error || rel.empty() ? path : rel.generic_string();
}

}  // namespace

std::string report_time() {
  const std::time_t t = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&t, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

namespace {

// Scores as the reports print them, so that a slice read back gives the same.
double round3(double value) {
  return std::round(value * 1000) / 1000;
}

}  // namespace

std::vector<std::string> changes(const std::vector<std::string>& lines) {
  constexpr std::size_t AROUND = 3;
  std::vector<std::size_t> changed;
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (!lines[i].empty() && lines[i][0] != ' ')
      changed.push_back(i);
  std::vector<std::string> out;
  std::size_t next = 0;  // the first line not yet shown or counted
  for (std::size_t k = 0; k < changed.size(); ++k) {
    const std::size_t from = changed[k] > AROUND ? changed[k] - AROUND : 0;
    if (from > next)
      out.push_back("  ... " + std::to_string(from - next) + " lines alike");
    std::size_t to = std::min(lines.size(), changed[k] + AROUND + 1);
    while (k + 1 < changed.size() && changed[k + 1] < to + AROUND)
      to = std::min(lines.size(), changed[++k] + AROUND + 1);
    for (std::size_t i = std::max(from, next); i < to; ++i)
      out.push_back(lines[i]);
    next = std::max(next, to);
  }
  if (!changed.empty() && next < lines.size())
    out.push_back("  ... " + std::to_string(lines.size() - next) + " lines alike");
  return out;
}

namespace {

ReportRun report_run(const RunResult& r, double points, const std::string& folder,
                     PictureStore* pictures) {
  ReportRun run;
  run.script = clean_line(r.script, NAME_BYTES);
  run.status = r.status;
  run.message = clean_line(r.message, MESSAGE_BYTES);
  run.score = round3(r.score);
  run.points = points_for(r.score, points);
  run.folder = relative(r.folder, folder);
  run.how = ending_name(r.outcome.ending);
  run.exit_status = r.outcome.exit_code;
  run.signal = r.outcome.signal;
  run.started_runtime = r.transcript.started;
  run.closed_by_checker = r.transcript.closed_by_checker;
  run.ending_match = r.ending_match;
  run.events_given = r.transcript.events_given;
  run.max_rss_kb = r.outcome.max_rss_kb;
  run.output_bytes = r.outcome.output_bytes;
  run.seconds = r.outcome.seconds;
  run.cpu_seconds = r.outcome.cpu_seconds;
  run.sandboxed = r.outcome.isolation.sandboxed;
  run.memory_whole = r.outcome.isolation.memory_total;
  run.memory = clean_line(r.outcome.isolation.memory, LINE_BYTES);
  run.words = clean_line(r.ending, LINE_BYTES);
  run.reference_words = clean_line(r.reference_ending, LINE_BYTES);
  std::string why;
  for (const PictureResult& p : r.pictures) {
    ReportPicture q;
    q.name = p.name;
    q.after = p.after;
    q.match = p.match;
    q.missing = p.missing;
    q.reference_missing = p.reference_missing;
    q.same_size = p.pixels.same_size;
    q.pixels = p.pixels.total;
    q.differing = p.pixels.differing;
    q.beyond_tolerance = p.pixels.beyond_tolerance;
    q.share_percent = std::strtod(precise(p.pixels.share_percent()).c_str(), nullptr);
    q.file = relative(p.got, folder);
    q.reference_file = relative(p.reference, folder);
    q.difference_file = relative(p.difference, folder);
    if (!p.got.empty())
      q.picture = pictures->store(p.got, &why);
    if (!p.reference.empty())
      q.reference_picture = pictures->store(p.reference, &why);
    if (!p.difference.empty())
      q.difference_picture = pictures->store(p.difference, &why);
    run.pictures.push_back(q);
  }
  const auto lines = [](const LineDiff& d, std::size_t count) {
    ReportLines l;
    l.lines = static_cast<long long>(count);
    l.common = d.common;
    l.only_reference = d.only_reference;
    l.only_student = d.only_got;
    l.match = d.match();
    return l;
  };
  run.log = lines(r.log, r.transcript.log.size());
  run.events = lines(r.events, r.transcript.events.size());
  run.log_difference = clean_lines(changes(r.log.lines), DIFFERENCE_LINES, LINE_BYTES);
  run.events_shown = clean_lines(r.transcript.events, EVENTS_SHOWN, LINE_BYTES);
  run.output = clean_line(r.outcome.output.substr(0, OUTPUT_BYTES), OUTPUT_BYTES);
  return run;
}

}  // namespace

std::uint64_t fnv1a(const std::string& bytes) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (unsigned char c : bytes) {
    hash ^= c;
    hash *= 0x100000001b3ull;
  }
  return hash;
}

std::string hex(std::uint64_t value) {
  static const char* const digits = "0123456789abcdef";
  std::string text(16, '0');
  for (int i = 15; i >= 0; --i, value >>= 4)
    text[static_cast<std::size_t>(i)] = digits[value & 15];
  return text;
}

std::string PictureStore::store(const std::string& path, std::string* why) {
  const auto known = by_path_.find(path);
  if (known != by_path_.end())
    return known->second;
  std::string bytes;
  std::string name;
  if (read_file_at(path, PICTURE_BYTES, &bytes, why))
    name = store_bytes(bytes, why);
  by_path_[path] = name;
  return name;
}

std::string PictureStore::store_bytes(const std::string& bytes, std::string* why) {
  int width = 0, height = 0;
  if (!png_size(bytes, &width, &height)) {
    *why = "not a PNG picture";
    return "";
  }
  // Pictures of one hash and other bytes (a collision, made or not) each
  // keep a name of their own.
  std::vector<std::string>& names = by_hash_[fnv1a(bytes)];
  for (const std::string& name : names)
    if (bytes_[name] == bytes)
      return name;
  std::string name = "pictures/" + hex(fnv1a(bytes));
  if (!names.empty())
    name += "-" + std::to_string(names.size() + 1);
  name += ".png";
  std::error_code error;
  fs::create_directories(fs::path(folder_) / "pictures", error);
  if (!write_new_file((fs::path(folder_) / name).string(), bytes)) {
    *why = "cannot write " + (fs::path(folder_) / name).string();
    return "";
  }
  names.push_back(name);
  bytes_[name] = bytes;
  return name;
}

const std::string* PictureStore::bytes(const std::string& name) const {
  const auto at = bytes_.find(name);
  return at == bytes_.end() ? nullptr : &at->second;
}

double points_for(double score, double points) {
  const double share = std::floor(points * std::clamp(score, 0.0, 100.0) + 1e-6) / 100.0;
  return std::min(points, share);
}

const char* ending_name(Ending e) {
  switch (e) {
    case Ending::EXITED:
      return "exited";
    case Ending::SIGNALED:
      return "signaled";
    case Ending::TIMED_OUT:
      return "timed_out";
    case Ending::OUTPUT_LIMIT:
      return "output_limit";
    case Ending::PROCESS_LIMIT:
      return "process_limit";
    case Ending::CANNOT_RUN:
      return "cannot_run";
  }
  return "";
}

ReportData report_data(const std::string& folder, const ClassOptions& options,
                       const ClassResult& result, PictureStore* pictures) {
  ReportData data;
  data.created = report_time();
  data.settings = options.settings;
  for (std::size_t i = 0; i < result.scripts.size(); ++i) {
    const ScriptInfo& s = result.scripts[i];
    const double points = options.points.empty()       ? 1
                          : options.points.size() == 1 ? options.points[0]
                                                       : options.points[i];
    data.scripts.push_back(
        {clean_line(s.name, NAME_BYTES), clean_line(s.path, LINE_BYTES), points});
  }
  data.reference = clean_line(result.reference, LINE_BYTES);
  data.sandboxed = result.sandboxed;
  data.sandbox_warning = clean_line(result.sandbox_warning, MESSAGE_BYTES);
  data.wall_seconds = result.wall_seconds;
  data.checker_cpu_seconds = result.checker_cpu_seconds;
  data.programs_cpu_seconds = result.programs_cpu_seconds;
  data.shard_index = options.shard.index;
  data.shard_count = options.shard.count;
  data.class_students = result.class_students;
  data.class_fingerprint = result.class_fingerprint;
  for (const Student& s : result.students) {
    ReportStudent st;
    st.name = clean_line(s.name, NAME_BYTES);
    st.program = clean_line(s.program, LINE_BYTES);
    st.status = s.status;
    st.score = round3(s.score);
    for (std::size_t j = 0; j < s.runs.size() && j < data.scripts.size(); ++j)
      st.runs.push_back(report_run(s.runs[j], data.scripts[j].points, folder, pictures));
    data.students.push_back(st);
  }
  add_up(&data);
  assign_pages(&data);
  return data;
}

void add_up(ReportData* data) {
  data->all_match = true;
  for (ReportStudent& s : data->students) {
    s.points = s.max_points = 0;
    for (std::size_t j = 0; j < s.runs.size() && j < data->scripts.size(); ++j) {
      s.runs[j].points = points_for(s.runs[j].score, data->scripts[j].points);
      s.points += s.runs[j].points;
      s.max_points += data->scripts[j].points;
    }
    data->all_match = data->all_match && s.status == "match";
  }
}

void assign_pages(ReportData* data) {
  std::stable_sort(data->students.begin(), data->students.end(),
                   [](const ReportStudent& a, const ReportStudent& b) { return a.name < b.name; });
  std::set<std::string> taken;  // in lower case: some file systems ignore case
  for (ReportStudent& s : data->students) {
    std::string safe;
    for (char c : s.name) {
      if (safe.size() >= 64)
        break;
      safe += std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' ? c : '_';
    }
    if (safe.empty())
      safe = "_";
    std::string page = safe;
    for (int n = 2;; ++n) {
      std::string lower = page;
      for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      if (taken.insert(lower).second)
        break;
      page = safe + "-" + std::to_string(n);
    }
    s.page = "students/" + page + ".html";
  }
}

}  // namespace check
