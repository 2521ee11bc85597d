// results.json, junit.xml and index.html; see report.h and docs/checking.md.
#include "tools/check/report.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace check {
namespace {

std::string json_string(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          char code[8];
          std::snprintf(code, sizeof code, "\\u%04x", c);
          out += code;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

// Text for HTML and XML; bytes that are not valid there (control
// characters) become '?', so a program's stray output cannot break the file.
std::string escape(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += (c < 0x20 && c != '\n' && c != '\t') || c == 0x7f ? '?' : static_cast<char>(c);
    }
  }
  return out;
}

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", value);
  return text;
}

std::string relative(const std::string& path, const std::string& folder) {
  if (path.empty())
    return "";
  std::error_code error;
  const fs::path rel = fs::relative(path, folder, error);
  return error ? path : rel.generic_string();
}

std::string now_utc() {
  const std::time_t t = std::time(nullptr);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", std::gmtime(&t));
  return text;
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

void json_run(std::ostream& o, const RunResult& r, const std::string& folder, const char* indent) {
  const std::string in = indent;
  o << in << "{\"script\": " << json_string(r.script) << ", \"status\": " << json_string(r.status)
    << ", \"message\": " << json_string(r.message) << ", \"score\": " << number(r.score) << ",\n"
    << in << " \"folder\": " << json_string(relative(r.folder, folder)) << ",\n"
    << in << " \"ended\": {\"how\": " << json_string(ending_name(r.outcome.ending))
    << ", \"exit_status\": " << r.outcome.exit_code << ", \"signal\": " << r.outcome.signal
    << ", \"started_runtime\": " << (r.transcript.started ? "true" : "false")
    << ", \"closed_by_checker\": " << (r.transcript.closed_by_checker ? "true" : "false")
    << ", \"events_given\": " << r.transcript.events_given
    << ", \"seconds\": " << number(r.outcome.seconds)
    << ", \"cpu_seconds\": " << number(r.outcome.cpu_seconds)
    << ", \"max_rss_kb\": " << r.outcome.max_rss_kb
    << ", \"output_bytes\": " << r.outcome.output_bytes << ", \"words\": " << json_string(r.ending)
    << ", \"reference_words\": " << json_string(r.reference_ending)
    << ", \"match\": " << (r.ending_match ? "true" : "false") << "},\n";
  o << in << " \"isolation\": {\"sandbox\": " << (r.outcome.isolation.sandboxed ? "true" : "false")
    << ", \"memory_limit_bound\": "
    << (r.outcome.isolation.memory_total ? "\"the whole run\"" : "\"each process\"")
    << ", \"memory\": " << json_string(r.outcome.isolation.memory) << "},\n";
  o << in << " \"pictures\": [";
  for (std::size_t i = 0; i < r.pictures.size(); ++i) {
    const PictureResult& p = r.pictures[i];
    o << (i ? ",\n" : "\n") << in << "   {\"name\": " << json_string(p.name)
      << ", \"after_event\": " << p.after << ", \"match\": " << (p.match ? "true" : "false")
      << ", \"missing\": " << (p.missing ? "true" : "false")
      << ", \"reference_missing\": " << (p.reference_missing ? "true" : "false")
      << ", \"same_size\": " << (p.pixels.same_size ? "true" : "false")
      << ", \"pixels\": " << p.pixels.total << ", \"differing\": " << p.pixels.differing
      << ", \"beyond_tolerance\": " << p.pixels.beyond_tolerance
      << ", \"share_percent\": " << number(p.pixels.share_percent())
      << ", \"file\": " << json_string(relative(p.got, folder))
      << ", \"reference_file\": " << json_string(relative(p.reference, folder))
      << ", \"difference_file\": " << json_string(relative(p.difference, folder)) << "}";
  }
  o << "],\n";
  auto diff = [&](const char* name, const LineDiff& d, long long lines) {
    o << in << " \"" << name << "\": {\"lines\": " << lines << ", \"common\": " << d.common
      << ", \"only_reference\": " << d.only_reference << ", \"only_student\": " << d.only_got
      << ", \"match\": " << (d.match() ? "true" : "false") << "}";
  };
  diff("log", r.log, static_cast<long long>(r.transcript.log.size()));
  o << ",\n";
  diff("events", r.events, static_cast<long long>(r.transcript.events.size()));
  o << "}";
}

std::string data_uri(const std::string& b) {
  static const char* const digits =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out = "data:image/png;base64,";
  out.reserve(out.size() + (b.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 2 < b.size(); i += 3) {
    const unsigned v = (static_cast<unsigned char>(b[i]) << 16) |
                       (static_cast<unsigned char>(b[i + 1]) << 8) |
                       static_cast<unsigned char>(b[i + 2]);
    out += digits[v >> 18];
    out += digits[(v >> 12) & 63];
    out += digits[(v >> 6) & 63];
    out += digits[v & 63];
  }
  if (i < b.size()) {
    unsigned v = static_cast<unsigned char>(b[i]) << 16;
    if (i + 1 < b.size())
      v |= static_cast<unsigned char>(b[i + 1]) << 8;
    out += digits[v >> 18];
    out += digits[(v >> 12) & 63];
    out += i + 1 < b.size() ? digits[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

// The pictures of the page, each held once however often it shows: most
// students' windows are the reference's, byte for byte.
class Pictures {
 public:
  // An <img> whose picture a script at the end of the page fills in.
  std::string image(const std::string& path, const char* what) {
    if (path.empty())
      return "<span class=\"none\">no " + std::string(what) + "</span>";
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    const auto [at, added] = index_.emplace(bytes.str(), index_.size());
    if (added)
      order_.push_back(&at->first);
    return "<img class=\"thumb\" alt=\"" + std::string(what) + "\" title=\"" + what +
           " (click for full size)\" data-picture=\"" + std::to_string(at->second) + "\">";
  }
  void write_script(std::ostream& o) const {
    o << "<script>\nconst PICTURES = [\n";
    for (const std::string* bytes : order_)
      o << "\"" << data_uri(*bytes) << "\",\n";
    o << "];\nfor (const img of document.querySelectorAll('img[data-picture]'))\n"
      << "  img.src = PICTURES[Number(img.dataset.picture)];\n</script>\n";
  }

 private:
  std::map<std::string, std::size_t> index_;
  std::vector<const std::string*> order_;
};

const char* const STYLE = R"(
.warning { background: #fde2e1; border: 2px solid #c0392b; padding: 0.6em; }
body{font:14px/1.4 sans-serif;margin:1em 2em;color:#222}
h1{font-size:1.4em} table{border-collapse:collapse}
th,td{border:1px solid #ccc;padding:4px 6px;vertical-align:top;text-align:left}
th.sortable{cursor:pointer;background:#eef} th.sortable:after{content:" \2195";color:#888}
.thumb{width:120px;cursor:zoom-in;border:1px solid #999;image-rendering:pixelated}
.status{font-weight:bold;padding:1px 5px;border-radius:3px}
.match{background:#cfc} .differs{background:#fec} .bad{background:#fcc}
.none{color:#888;font-style:italic} pre{background:#f6f6f6;padding:6px;max-height:25em;overflow:auto}
pre .add{background:#dfd} pre .del{background:#fdd}
#zoom{display:none;position:fixed;inset:0;background:rgba(0,0,0,.8);cursor:zoom-out;overflow:auto;text-align:center}
#zoom img{margin:2em auto;background:#fff;image-rendering:pixelated}
.pics td{border:none}
)";

const char* const SCRIPT = R"(
function sortBy(key, numeric) {
  const body = document.getElementById('rows');
  const rows = Array.from(body.rows);
  const th = document.querySelector('th[data-key="' + key + '"]');
  const down = th.dataset.dir !== 'asc';
  th.dataset.dir = down ? 'asc' : 'desc';
  rows.sort((a, b) => {
    const x = a.dataset[key], y = b.dataset[key];
    const c = numeric ? Number(x) - Number(y) : x.localeCompare(y);
    return down ? c : -c;
  });
  rows.forEach(r => body.appendChild(r));
}
document.addEventListener('click', e => {
  const zoom = document.getElementById('zoom');
  if (e.target.classList.contains('thumb')) {
    zoom.querySelector('img').src = e.target.src;
    zoom.style.display = 'block';
  } else if (zoom.contains(e.target)) {
    zoom.style.display = 'none';
  }
});
)";

std::string status_class(const std::string& status) {
  return status == "match" ? "match" : status == "differs" ? "differs" : "bad";
}

void html_diff(std::ostream& o, const std::vector<std::string>& lines) {
  o << "<pre>";
  for (const std::string& line : lines) {
    const char* cls = line[0] == '+' ? "add" : line[0] == '-' ? "del" : nullptr;
    if (cls)
      o << "<span class=\"" << cls << "\">" << escape(line) << "</span>\n";
    else
      o << escape(line) << "\n";
  }
  o << "</pre>";
}

}  // namespace

bool write_json(const std::string& folder, const ClassOptions& options, const ClassResult& result) {
  std::ofstream o(fs::path(folder) / "results.json");
  const Settings& s = options.settings;
  o << "{\n \"format\": \"velko-check class results 1\",\n \"created\": " << json_string(now_utc())
    << ",\n \"settings\": {\"tolerance\": " << s.tolerance
    << ", \"max_diff_percent\": " << number(s.max_diff_percent) << ", \"after_events\": [";
  for (std::size_t i = 0; i < s.after.size(); ++i)
    o << (i ? ", " : "") << s.after[i];
  o << "], \"seconds\": " << number(s.limits.seconds) << ", \"memory_mb\": " << s.limits.memory_mb
    << ", \"file_mb\": " << s.limits.file_mb << ", \"output_bytes\": " << s.limits.output_bytes
    << ", \"processes\": " << s.limits.processes << ", \"disk_mb\": " << s.limits.disk_mb
    << "},\n \"sandbox\": {\"on\": " << (result.sandboxed ? "true" : "false")
    << ", \"warning\": " << json_string(result.sandbox_warning) << "},\n \"scripts\": [";
  for (std::size_t i = 0; i < result.scripts.size(); ++i)
    o << (i ? ", " : "") << "{\"name\": " << json_string(result.scripts[i].name)
      << ", \"file\": " << json_string(result.scripts[i].path) << "}";
  o << "],\n \"reference\": " << json_string(result.reference)
    << ",\n \"all_match\": " << (result.all_match ? "true" : "false")
    << ",\n \"timing\": {\"wall_seconds\": " << number(result.wall_seconds)
    << ", \"checker_cpu_seconds\": " << number(result.checker_cpu_seconds)
    << ", \"programs_cpu_seconds\": " << number(result.programs_cpu_seconds)
    << "},\n \"students\": [";
  for (std::size_t i = 0; i < result.students.size(); ++i) {
    const Student& st = result.students[i];
    o << (i ? ",\n" : "\n") << "  {\"name\": " << json_string(st.name)
      << ", \"program\": " << json_string(st.program) << ", \"status\": " << json_string(st.status)
      << ", \"score\": " << number(st.score) << ",\n   \"runs\": [\n";
    for (std::size_t j = 0; j < st.runs.size(); ++j) {
      if (j)
        o << ",\n";
      json_run(o, st.runs[j], folder, "    ");
    }
    o << "]}";
  }
  o << "]\n}\n";
  return static_cast<bool>(o);
}

bool write_junit(const std::string& folder, const ClassResult& result) {
  std::ofstream o(fs::path(folder) / "junit.xml");
  int tests = 0, failures = 0;
  for (const Student& s : result.students)
    for (const RunResult& r : s.runs) {
      ++tests;
      failures += r.status != "match";
    }
  o << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites tests=\"" << tests
    << "\" failures=\"" << failures << "\">\n<testsuite name=\"velko-check\" tests=\"" << tests
    << "\" failures=\"" << failures << "\" errors=\"0\" time=\"" << number(result.wall_seconds)
    << "\">\n";
  for (const Student& s : result.students) {
    for (const RunResult& r : s.runs) {
      o << "  <testcase classname=\"" << escape(s.name) << "\" name=\"" << escape(r.script)
        << "\" time=\"" << number(r.outcome.seconds) << "\">\n";
      if (r.status != "match") {
        o << "    <failure type=\"" << escape(r.status) << "\" message=\"" << escape(r.message)
          << "\">" << escape(r.status + ": " + r.message + "\nscore " + number(r.score)) << "\n";
        if (!r.log.match()) {
          o << "log difference:\n";
          for (const std::string& line : r.log.lines)
            o << escape(line) << "\n";
        }
        o << "</failure>\n";
      }
      o << "  </testcase>\n";
    }
  }
  o << "</testsuite>\n</testsuites>\n";
  return static_cast<bool>(o);
}

bool write_html(const std::string& folder, const ClassOptions& options, const ClassResult& result) {
  std::ofstream o(fs::path(folder) / "index.html");
  Pictures pictures;
  int matched = 0;
  for (const Student& s : result.students)
    matched += s.status == "match";
  o << "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
    << "<title>velko-check: class report</title><style>" << STYLE << "</style></head><body>\n"
    << "<h1>velko-check: " << matched << " of " << result.students.size()
    << " students match the reference</h1>\n";
  if (!result.sandboxed)
    o << "<p class=\"warning\"><strong>Warning:</strong> " << escape(result.sandbox_warning)
      << "</p>\n";
  o << "<p>Reference: " << escape(result.reference) << ". Scripts:";
  for (const ScriptInfo& s : result.scripts)
    o << " " << escape(s.name);
  o << ". Tolerance: " << options.settings.tolerance << " levels a channel, "
    << number(options.settings.max_diff_percent) << " % of the pixels. Made " << now_utc()
    << ".</p>\n<p>Click a column with arrows to sort; click a picture for its full size.</p>\n"
    << "<table id=\"class\"><thead><tr>"
    << "<th class=\"sortable\" data-key=\"name\" onclick=\"sortBy('name',false)\">Student</th>"
    << "<th class=\"sortable\" data-key=\"rank\" onclick=\"sortBy('rank',true)\">Status</th>"
    << "<th class=\"sortable\" data-key=\"score\" onclick=\"sortBy('score',true)\">Score</th>";
  for (const ScriptInfo& s : result.scripts)
    o << "<th>" << escape(s.name) << ": student, reference, difference</th>";
  o << "</tr></thead><tbody id=\"rows\">\n";
  for (std::size_t i = 0; i < result.students.size(); ++i) {
    const Student& st = result.students[i];
    o << "<tr data-name=\"" << escape(st.name) << "\" data-rank=\"" << status_rank(st.status)
      << "\" data-score=\"" << number(st.score) << "\" data-status=\"" << escape(st.status)
      << "\"><td><a href=\"#student-" << i << "\">" << escape(st.name)
      << "</a></td><td><span class=\"status " << status_class(st.status) << "\">"
      << escape(st.status) << "</span></td><td>" << number(st.score) << "</td>";
    for (const RunResult& r : st.runs) {
      o << "<td><table class=\"pics\"><tr>";
      const PictureResult* w = r.pictures.empty() ? nullptr : &r.pictures[0];
      o << "<td>" << pictures.image(w ? w->got : "", "student's window") << "</td><td>"
        << pictures.image(w ? w->reference : "", "reference's window") << "</td><td>"
        << pictures.image(w ? w->difference : "", "difference") << "</td></tr></table>"
        << "<span class=\"status " << status_class(r.status) << "\">" << escape(r.status)
        << "</span> " << escape(r.message) << "</td>";
    }
    o << "</tr>\n";
  }
  o << "</tbody></table>\n<h2>Each student</h2>\n";
  for (std::size_t i = 0; i < result.students.size(); ++i) {
    const Student& st = result.students[i];
    o << "<section id=\"student-" << i << "\"><h3>" << escape(st.name) << ": " << escape(st.status)
      << ", score " << number(st.score) << "</h3>\n<p>Program: " << escape(st.program) << "</p>\n";
    for (const RunResult& r : st.runs) {
      o << "<h4>Script " << escape(r.script) << ": " << escape(r.status) << "</h4>\n<p>"
        << escape(r.message) << "</p>\n<p>It " << escape(r.ending) << "; the reference "
        << escape(r.reference_ending) << ".</p>\n";
      if (r.pictures.size() > 1) {
        o << "<table class=\"pics\"><tr><th>after event</th><th>student</th><th>reference</th>"
          << "<th>difference</th><th>pixels beyond tolerance</th></tr>\n";
        for (std::size_t k = 1; k < r.pictures.size(); ++k) {
          const PictureResult& p = r.pictures[k];
          o << "<tr><td>" << p.after << "</td><td>" << pictures.image(p.got, "student's window")
            << "</td><td>" << pictures.image(p.reference, "reference's window") << "</td><td>"
            << pictures.image(p.difference, "difference") << "</td><td>"
            << p.pixels.beyond_tolerance << " (" << number(p.pixels.share_percent())
            << " %)</td></tr>\n";
        }
        o << "</table>\n";
      }
      o << "<details" << (r.log.match() ? "" : " open")
        << "><summary>Log window: " << r.transcript.log.size() << " lines, " << r.log.only_reference
        << " missing, " << r.log.only_got << " extra</summary>";
      html_diff(o, r.log.lines);
      o << "</details>\n<details><summary>Events used: " << r.transcript.events.size() << " ("
        << r.events.only_reference << " of the reference's not used, " << r.events.only_got
        << " others)</summary><pre>";
      const std::size_t shown = std::min<std::size_t>(r.transcript.events.size(), 2000);
      for (std::size_t k = 0; k < shown; ++k)
        o << escape(r.transcript.events[k]) << "\n";
      if (shown < r.transcript.events.size())
        o << "... " << r.transcript.events.size() - shown << " more in "
          << escape(relative(r.folder, folder)) << "/events.txt\n";
      o << "</pre></details>\n";
      if (!r.outcome.output.empty())
        o << "<details><summary>What it printed (" << r.outcome.output_bytes
          << " bytes)</summary><pre>" << escape(r.outcome.output.substr(0, 8192))
          << "</pre></details>\n";
    }
    o << "</section>\n";
  }
  o << "<div id=\"zoom\"><img alt=\"full size\"></div>\n";
  pictures.write_script(o);
  o << "<script>" << SCRIPT << "</script>\n</body></html>\n";
  return static_cast<bool>(o);
}

}  // namespace check
