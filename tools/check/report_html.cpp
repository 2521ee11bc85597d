// index.html, the students' pages and the histogram; see report_html.h.
#include "tools/check/report_html.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <sstream>

#include "tools/check/clean_text.h"
#include "tools/check/files.h"
#include "tools/check/report.h"

namespace fs = std::filesystem;

namespace check {
namespace {

const char* const STATUSES[] = {"match",       "differs",      "process_limit", "output_limit",
                                "file_limit",  "memory_limit", "hung",          "crashed",
                                "not_started", "cannot_run"};

const char* const STYLE = R"(
body{font:14px/1.4 sans-serif;margin:1em 2em;color:#222}
h1{font-size:1.4em} h2{font-size:1.15em;margin-top:1.5em} table{border-collapse:collapse}
.warning{background:#fde2e1;border:2px solid #c0392b;padding:0.6em}
th,td{border:1px solid #ccc;padding:4px 6px;vertical-align:top;text-align:left}
th.sortable{cursor:pointer;background:#eef;white-space:nowrap} th.sortable:after{content:" \2195";color:#888}
.thumb{width:120px;cursor:zoom-in;border:1px solid #999;image-rendering:pixelated;vertical-align:top}
.full{width:300px;border:1px solid #999;cursor:zoom-in;image-rendering:pixelated}
.status{font-weight:bold;padding:1px 5px;border-radius:3px;white-space:nowrap}
.match{background:#cfc} .differs{background:#fec} .bad{background:#fcc}
.none{color:#888;font-style:italic} pre{background:#f6f6f6;padding:6px;max-height:25em;overflow:auto}
pre .add{background:#dfd} pre .del{background:#fdd}
#summary{display:flex;gap:2em;align-items:flex-start;flex-wrap:wrap;margin-bottom:1em}
#zoom{display:none;position:fixed;inset:0;background:rgba(0,0,0,.8);cursor:zoom-out;overflow:auto;text-align:center}
#zoom img{margin:2em auto;background:#fff;image-rendering:pixelated}
.message{max-width:24em}
)";

const char* const SORT_SCRIPT = R"(
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
)";

const char* const ZOOM_SCRIPT = R"(
document.addEventListener('click', e => {
  const zoom = document.getElementById('zoom');
  if (e.target.classList.contains('thumb') || e.target.classList.contains('full')) {
    zoom.querySelector('img').src = e.target.src;
    zoom.style.display = 'block';
  } else if (zoom.contains(e.target)) {
    zoom.style.display = 'none';
  }
});
)";

std::string share(double percent) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4g", percent);
  return text;
}

std::string status_class(const std::string& status) {
  return status == "match" ? "match" : status == "differs" ? "differs" : "bad";
}

std::string badge(const std::string& status) {
  return "<span class=\"status " + status_class(status) + "\">" + markup(status) + "</span>";
}

std::string image(const std::string& picture, const char* what, const char* cls, const char* up,
                  bool lazy) {
  if (picture.empty())
    return "<span class=\"none\">no " + std::string(what) + "</span>";
  return "<img class=\"" + std::string(cls) + "\" src=\"" + up + markup(picture) + "\" alt=\"" +
         what + "\" title=\"" + what + " (click for full size)\"" +
         (lazy ? " loading=\"lazy\" decoding=\"async\"" : "") + ">";
}

std::string page_head(const std::string& title) {
  return "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
         "<meta name=\"viewport\" content=\"width=device-width\"><title>" +
         markup(title) + "</title><style>" + STYLE + "</style></head><body>\n";
}

std::string page_end() {
  return std::string("<div id=\"zoom\"><img alt=\"full size\"></div>\n<script>") + ZOOM_SCRIPT +
         "</script>\n</body></html>\n";
}

void pre_lines(std::ostream& o, const std::vector<std::string>& lines, bool marked) {
  o << "<pre>";
  for (const std::string& line : lines) {
    const char* cls = !marked || line.empty() ? nullptr
                      : line[0] == '+'        ? "add"
                      : line[0] == '-'        ? "del"
                                              : nullptr;
    if (cls)
      o << "<span class=\"" << cls << "\">" << markup(line) << "</span>\n";
    else
      o << markup(line) << "\n";
  }
  o << "</pre>";
}

// The reference's final window of each script, as any student's run shows it.
std::vector<std::string> reference_windows(const ReportData& data) {
  std::vector<std::string> windows(data.scripts.size());
  for (const ReportStudent& s : data.students)
    for (std::size_t j = 0; j < s.runs.size() && j < windows.size(); ++j)
      if (windows[j].empty() && !s.runs[j].pictures.empty())
        windows[j] = s.runs[j].pictures[0].reference_picture;
  return windows;
}

std::string index_html(const ReportData& data) {
  std::ostringstream o;
  std::map<std::string, int> counts;
  for (const ReportStudent& s : data.students)
    ++counts[s.status];
  o << page_head("velko-check: class report") << "<h1>velko-check: " << counts["match"] << " of "
    << data.students.size() << " students match the reference</h1>\n";
  if (!data.sandboxed)
    o << "<p class=\"warning\"><strong>Warning:</strong> " << markup(data.sandbox_warning)
      << "</p>\n";
  o << "<p>Reference: " << markup(data.reference) << ". Scripts:";
  for (const ReportScript& s : data.scripts)
    o << " " << markup(s.name) << " (" << precise(s.points)
      << (s.points == 1 ? " point)" : " points)");
  o << ". Tolerance: " << data.settings.tolerance << " levels a channel, "
    << number(data.settings.max_diff_percent) << " % of the pixels. Made " << markup(data.created)
    << ".</p>\n<div id=\"summary\"><table "
       "id=\"counts\"><tr><th>Status</th><th>Students</th></tr>\n";
  for (const char* status : STATUSES)
    if (counts[status] > 0)
      o << "<tr data-status=\"" << status << "\"><td>" << badge(status) << "</td><td>"
        << counts[status] << "</td></tr>\n";
  o << "</table><img id=\"histogram\" src=\"histogram.svg\" width=\"480\" height=\"220\" "
    << "alt=\"A histogram of the students' scores\"></div>\n<p>Downloads: <a href=\"grades.csv\">"
    << "grades.csv</a> (name, status, score, for a gradebook), <a href=\"results.json\">"
    << "results.json</a>, <a href=\"junit.xml\">junit.xml</a>.</p>\n"
    << "<p>Click a column with arrows to sort, a picture for its full size, a name for the "
    << "student's details.</p>\n<table id=\"class\"><thead><tr>"
    << "<th class=\"sortable\" data-key=\"name\" onclick=\"sortBy('name',false)\">Student</th>"
    << "<th class=\"sortable\" data-key=\"rank\" onclick=\"sortBy('rank',true)\">Status</th>"
    << "<th class=\"sortable\" data-key=\"score\" onclick=\"sortBy('score',true)\">Score</th>";
  const std::vector<std::string> references = reference_windows(data);
  for (std::size_t j = 0; j < data.scripts.size(); ++j)
    o << "<th>" << markup(data.scripts[j].name) << ": the student's window and the difference; "
      << "the reference's: " << image(references[j], "reference's window", "thumb", "", false)
      << "</th>";
  o << "</tr></thead><tbody id=\"rows\">\n";
  for (const ReportStudent& st : data.students) {
    o << "<tr data-name=\"" << markup(st.name) << "\" data-rank=\"" << status_rank(st.status)
      << "\" data-score=\"" << number(st.score) << "\" data-status=\"" << markup(st.status)
      << "\"><td><a href=\"" << markup(st.page) << "\">" << markup(st.name) << "</a></td><td>"
      << badge(st.status) << "</td><td>" << number(st.score) << "</td>";
    for (const ReportRun& r : st.runs) {
      const ReportPicture* w = r.pictures.empty() ? nullptr : &r.pictures[0];
      o << "<td>" << image(w ? w->picture : "", "student's window", "thumb", "", true);
      if (w && !w->difference_picture.empty())
        o << " " << image(w->difference_picture, "difference", "thumb", "", true);
      o << "<div class=\"message\">" << badge(r.status) << " " << markup(clean_line(r.message, 160))
        << "</div></td>";
    }
    o << "</tr>\n";
  }
  o << "</tbody></table>\n<script>" << SORT_SCRIPT << "</script>\n" << page_end();
  return o.str();
}

std::string student_html(const ReportStudent& st) {
  std::ostringstream o;
  o << page_head("velko-check: " + st.name) << "<p><a href=\"../index.html\">The class</a></p>\n"
    << "<h1>" << markup(st.name) << ": " << badge(st.status) << " score " << number(st.score)
    << ", " << precise(st.points) << " of " << precise(st.max_points) << " points</h1>\n"
    << "<p>Program: " << markup(st.program) << "</p>\n";
  for (const ReportRun& r : st.runs) {
    o << "<section><h2>Script " << markup(r.script) << ": " << badge(r.status) << " score "
      << number(r.score) << "</h2>\n<p>" << markup(r.message) << "</p>\n";
    if (!r.words.empty())
      o << "<p>It " << markup(r.words) << "; the reference " << markup(r.reference_words)
        << ".</p>\n";
    if (!r.pictures.empty()) {
      o << "<table class=\"pics\"><tr><th>window</th><th>student</th><th>reference</th>"
        << "<th>difference</th><th>pixels beyond the tolerance</th></tr>\n";
      for (const ReportPicture& p : r.pictures) {
        o << "<tr><td>"
          << (p.after ? "after event " + std::to_string(p.after) : std::string("final"))
          << "</td><td>" << image(p.picture, "student's window", "full", "../", false)
          << "</td><td>" << image(p.reference_picture, "reference's window", "full", "../", false)
          << "</td><td>" << image(p.difference_picture, "difference", "full", "../", false)
          << "</td><td>" << p.beyond_tolerance << " (" << share(p.share_percent)
          << " %)</td></tr>\n";
      }
      o << "</table>\n";
    }
    o << "<details" << (r.log.match ? "" : " open") << "><summary>Log window: " << r.log.lines
      << " lines, " << r.log.only_reference << " missing, " << r.log.only_student
      << " extra</summary>";
    pre_lines(o, r.log_difference, true);
    o << "</details>\n<details><summary>Events used: " << r.events.lines << " ("
      << r.events.only_reference << " of the reference's not used, " << r.events.only_student
      << " others)</summary>";
    pre_lines(o, r.events_shown, false);
    o << "</details>\n";
    if (r.output_bytes > 0) {
      o << "<details><summary>What it printed (" << r.output_bytes << " bytes)</summary>";
      pre_lines(o, {r.output}, false);
      o << "</details>\n";
    }
    o << "</section>\n";
  }
  o << page_end();
  return o.str();
}

}  // namespace

std::string histogram_svg(const ReportData& data) {
  // Eleven bars: 0-9, 10-19, ..., 90-99, and 100 (a match).
  std::array<int, 11> bins{};
  for (const ReportStudent& s : data.students)
    ++bins[s.score >= 100 ? 10 : static_cast<std::size_t>(std::clamp(s.score, 0.0, 99.999) / 10)];
  const int most = std::max(1, *std::max_element(bins.begin(), bins.end()));
  const int width = 480, height = 220, left = 30, bottom = 190, top = 36, bar = 36, gap = 4;
  const std::string title = "Scores of " + std::to_string(data.students.size()) +
                            (data.students.size() == 1 ? " student" : " students");
  std::ostringstream o;
  o << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << width << "\" height=\"" << height
    << "\" viewBox=\"0 0 " << width << " " << height << "\" font-family=\"sans-serif\" "
    << "font-size=\"11\">\n<title>" << title
    << "</title>\n<rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>\n"
    << "<text x=\"" << left << "\" y=\"16\" font-size=\"13\" font-weight=\"bold\">" << title
    << "</text>\n<line x1=\"" << left - 2 << "\" y1=\"" << bottom << "\" x2=\""
    << left + 11 * (bar + gap) << "\" y2=\"" << bottom << "\" stroke=\"#666\"/>\n";
  for (std::size_t i = 0; i < bins.size(); ++i) {
    const int x = left + static_cast<int>(i) * (bar + gap);
    const int h = bins[i] * (bottom - top) / most;
    const char* fill = i == 10 ? "#4a4" : i >= 5 ? "#e9a23b" : "#d55";
    o << "<rect x=\"" << x << "\" y=\"" << bottom - h << "\" width=\"" << bar << "\" height=\"" << h
      << "\" fill=\"" << fill << "\"><title>" << bins[i] << "</title></rect>\n";
    if (bins[i] > 0)
      o << "<text x=\"" << x + bar / 2 << "\" y=\"" << bottom - h - 3
        << "\" text-anchor=\"middle\">" << bins[i] << "</text>\n";
    o << "<text x=\"" << x + bar / 2 << "\" y=\"" << bottom + 14 << "\" text-anchor=\"middle\">"
      << (i == 10 ? std::string("100") : std::to_string(i * 10) + "-" + std::to_string(i * 10 + 9))
      << "</text>\n";
  }
  o << "</svg>\n";
  return o.str();
}

bool write_html(const std::string& folder, const ReportData& data) {
  const fs::path out = folder;
  std::error_code error;
  fs::create_directories(out / "students", error);
  bool good = write_new_file((out / "index.html").string(), index_html(data)) &&
              write_new_file((out / "histogram.svg").string(), histogram_svg(data));
  for (const ReportStudent& st : data.students)
    good = good && write_new_file((out / st.page).string(), student_html(st));
  return good;
}

}  // namespace check
