// results.json, slice.json, junit.xml and grades.csv, and the writing of
// every report; see report.h and docs/checking.md.
#include "tools/check/report.h"

#include <cstdio>
#include <filesystem>
#include <sstream>

#include "tools/check/clean_text.h"
#include "tools/check/files.h"
#include "tools/check/platform_formats.h"
#include "tools/check/report_html.h"

namespace fs = std::filesystem;

namespace check {
namespace {

const char* boolean(bool value) {
  return value ? "true" : "false";
}

void json_lines(std::ostream& o, const std::vector<std::string>& lines) {
  o << "[";
  for (std::size_t i = 0; i < lines.size(); ++i)
    o << (i ? ", " : "") << json_string(lines[i]);
  o << "]";
}

void json_run(std::ostream& o, const ReportRun& r, bool details) {
  const char* in = "    ";
  o << in << "{\"script\": " << json_string(r.script) << ", \"status\": " << json_string(r.status)
    << ", \"message\": " << json_string(r.message) << ", \"score\": " << number(r.score)
    << ", \"points\": " << number(r.points) << ",\n"
    << in << " \"folder\": " << json_string(r.folder) << ",\n"
    << in << " \"ended\": {\"how\": " << json_string(r.how)
    << ", \"exit_status\": " << r.exit_status << ", \"signal\": " << r.signal
    << ", \"started_runtime\": " << boolean(r.started_runtime)
    << ", \"closed_by_checker\": " << boolean(r.closed_by_checker)
    << ", \"events_given\": " << r.events_given << ", \"seconds\": " << number(r.seconds)
    << ", \"cpu_seconds\": " << number(r.cpu_seconds) << ", \"max_rss_kb\": " << r.max_rss_kb
    << ", \"output_bytes\": " << r.output_bytes << ", \"words\": " << json_string(r.words)
    << ", \"reference_words\": " << json_string(r.reference_words)
    << ", \"match\": " << boolean(r.ending_match) << "},\n";
  o << in << " \"isolation\": {\"sandbox\": " << boolean(r.sandboxed)
    << ", \"memory_limit_bound\": "
    << json_string(r.memory_whole ? "the whole run" : "each process")
    << ", \"memory\": " << json_string(r.memory) << "},\n";
  o << in << " \"pictures\": [";
  for (std::size_t i = 0; i < r.pictures.size(); ++i) {
    const ReportPicture& p = r.pictures[i];
    o << (i ? ",\n" : "\n") << in << "   {\"name\": " << json_string(p.name)
      << ", \"after_event\": " << p.after << ", \"match\": " << boolean(p.match)
      << ", \"missing\": " << boolean(p.missing)
      << ", \"reference_missing\": " << boolean(p.reference_missing)
      << ", \"same_size\": " << boolean(p.same_size) << ", \"pixels\": " << p.pixels
      << ", \"differing\": " << p.differing << ", \"beyond_tolerance\": " << p.beyond_tolerance
      << ", \"share_percent\": " << precise(p.share_percent)
      << ", \"file\": " << json_string(p.file)
      << ", \"reference_file\": " << json_string(p.reference_file)
      << ", \"difference_file\": " << json_string(p.difference_file)
      << ", \"picture\": " << json_string(p.picture)
      << ", \"reference_picture\": " << json_string(p.reference_picture)
      << ", \"difference_picture\": " << json_string(p.difference_picture) << "}";
  }
  o << "],\n";
  const auto lines = [&](const char* name, const ReportLines& d) {
    o << in << " \"" << name << "\": {\"lines\": " << d.lines << ", \"common\": " << d.common
      << ", \"only_reference\": " << d.only_reference << ", \"only_student\": " << d.only_student
      << ", \"match\": " << boolean(d.match) << "}";
  };
  lines("log", r.log);
  o << ",\n";
  lines("events", r.events);
  if (details) {
    o << ",\n" << in << " \"details\": {\"log_difference\": ";
    json_lines(o, r.log_difference);
    o << ",\n" << in << "  \"events_shown\": ";
    json_lines(o, r.events_shown);
    o << ",\n" << in << "  \"output\": " << json_string(r.output) << "}";
  }
  o << "}";
}

std::string junit_xml(const ReportData& data) {
  std::ostringstream o;
  int tests = 0, failures = 0;
  for (const ReportStudent& s : data.students)
    for (const ReportRun& r : s.runs) {
      ++tests;
      failures += r.status != "match";
    }
  o << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites tests=\"" << tests
    << "\" failures=\"" << failures << "\">\n<testsuite name=\"velko-check\" tests=\"" << tests
    << "\" failures=\"" << failures << "\" errors=\"0\" time=\"" << number(data.wall_seconds)
    << "\">\n";
  for (const ReportStudent& s : data.students) {
    for (const ReportRun& r : s.runs) {
      o << "  <testcase classname=\"" << markup(s.name) << "\" name=\"" << markup(r.script)
        << "\" time=\"" << number(r.seconds) << "\">\n";
      if (r.status != "match") {
        o << "    <failure type=\"" << markup(r.status) << "\" message=\"" << markup(r.message)
          << "\">" << markup(r.status + ": " + r.message + "\nscore " + number(r.score)) << "\n";
        if (!r.log.match) {
          o << "log difference:\n";
          for (const std::string& line : r.log_difference)
            o << markup(line) << "\n";
        }
        o << "</failure>\n";
      }
      o << "  </testcase>\n";
    }
  }
  o << "</testsuite>\n</testsuites>\n";
  return o.str();
}

// A field a spreadsheet takes as text: quoted, and never as a formula.
std::string csv_field(const std::string& text) {
  std::string clean = clean_text(text);
  for (char& c : clean)
    if (c == '\n' || c == '\t')
      c = ' ';
  if (!clean.empty() && (clean[0] == '=' || clean[0] == '+' || clean[0] == '-' || clean[0] == '@'))
    clean = "'" + clean;
  std::string out = "\"";
  for (char c : clean)
    out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

std::string grades_csv(const ReportData& data) {
  std::string out = "name,status,score\r\n";
  for (const ReportStudent& s : data.students)
    out += csv_field(s.name) + "," + s.status + "," + number(s.score) + "\r\n";
  return out;
}

bool write(const fs::path& path, const std::string& bytes) {
  return write_new_file(path.string(), bytes);
}

}  // namespace

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", value);
  return text;
}

std::string precise(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", value);
  return text;
}

std::string results_json(const ReportData& data, bool details) {
  std::ostringstream o;
  const Settings& s = data.settings;
  o << "{\n \"format\": \""
    << (details ? "velko-check class slice 1" : "velko-check class results 1")
    << "\",\n \"created\": " << json_string(data.created);
  if (details)
    o << ",\n \"slice\": {\"index\": " << data.shard_index << ", \"count\": " << data.shard_count
      << ", \"class_students\": " << data.class_students
      << ", \"class_fingerprint\": " << json_string(data.class_fingerprint) << "}";
  o << ",\n \"settings\": {\"tolerance\": " << s.tolerance
    << ", \"max_diff_percent\": " << number(s.max_diff_percent) << ", \"after_events\": [";
  for (std::size_t i = 0; i < s.after.size(); ++i)
    o << (i ? ", " : "") << s.after[i];
  o << "], \"seconds\": " << number(s.limits.seconds) << ", \"memory_mb\": " << s.limits.memory_mb
    << ", \"file_mb\": " << s.limits.file_mb << ", \"output_bytes\": " << s.limits.output_bytes
    << ", \"processes\": " << s.limits.processes << ", \"disk_mb\": " << s.limits.disk_mb
    << "},\n \"sandbox\": {\"on\": " << boolean(data.sandboxed)
    << ", \"warning\": " << json_string(data.sandbox_warning) << "},\n \"scripts\": [";
  for (std::size_t i = 0; i < data.scripts.size(); ++i)
    o << (i ? ", " : "") << "{\"name\": " << json_string(data.scripts[i].name)
      << ", \"file\": " << json_string(data.scripts[i].file)
      << ", \"points\": " << number(data.scripts[i].points) << "}";
  o << "],\n \"reference\": " << json_string(data.reference)
    << ",\n \"all_match\": " << boolean(data.all_match)
    << ",\n \"timing\": {\"wall_seconds\": " << number(data.wall_seconds)
    << ", \"checker_cpu_seconds\": " << number(data.checker_cpu_seconds)
    << ", \"programs_cpu_seconds\": " << number(data.programs_cpu_seconds)
    << "},\n \"students\": [";
  for (std::size_t i = 0; i < data.students.size(); ++i) {
    const ReportStudent& st = data.students[i];
    o << (i ? ",\n" : "\n") << "  {\"name\": " << json_string(st.name)
      << ", \"program\": " << json_string(st.program) << ", \"status\": " << json_string(st.status)
      << ", \"score\": " << number(st.score) << ", \"points\": " << number(st.points)
      << ", \"max_points\": " << number(st.max_points) << ", \"page\": " << json_string(st.page)
      << ",\n   \"runs\": [\n";
    for (std::size_t j = 0; j < st.runs.size(); ++j) {
      if (j)
        o << ",\n";
      json_run(o, st.runs[j], details);
    }
    o << "]}";
  }
  o << "]\n}\n";
  return o.str();
}

bool write_reports(const std::string& folder, const ReportData& data,
                   const std::vector<std::string>& formats, PictureStore* pictures) {
  const fs::path out = folder;
  bool good = write(out / "results.json", results_json(data, false)) &&
              write(out / "junit.xml", junit_xml(data)) &&
              write(out / "grades.csv", grades_csv(data)) && write_html(folder, data);
  if (data.shard_count > 0)
    good = good && write(out / "slice.json", results_json(data, true));
  for (const std::string& format : formats)
    good = good && write_platform_results(folder, format, data, *pictures);
  return good;
}

bool write_reports(const std::string& folder, const ClassOptions& options,
                   const ClassResult& result) {
  // What an earlier report in this folder left goes, so that nothing of it
  // is taken for this one's.
  std::error_code error;
  for (const char* old : {"pictures", "students", "gradescope", "prairielearn"})
    fs::remove_all(fs::path(folder) / old, error);
  fs::remove(fs::path(folder) / "slice.json", error);
  PictureStore pictures(folder);
  const ReportData data = report_data(folder, options, result, &pictures);
  return write_reports(folder, data, options.formats, &pictures);
}

}  // namespace check
