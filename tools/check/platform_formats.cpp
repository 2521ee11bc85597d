// Gradescope's and PrairieLearn's results; see platform_formats.h and
// docs/checking.md.
#include "tools/check/platform_formats.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "tools/check/clean_text.h"
#include "tools/check/files.h"
#include "tools/check/report.h"

namespace fs = std::filesystem;

namespace check {
namespace {

// PrairieLearn takes results of at most 1 MB; pictures beyond this share of
// it are left out (and the output says so), for Gradescope as well.
constexpr std::size_t PICTURE_BUDGET = 600 * 1024;
constexpr std::size_t PLATFORM_LINES = 100;

std::string data_url(const std::string& b) {
  static const char* const digits =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out = "data:image/png;base64,";
  out.reserve(out.size() + (b.size() + 2) / 3 * 4);
  std::size_t i = 0;
  const auto byte = [&](std::size_t k) {
    return static_cast<unsigned>(static_cast<unsigned char>(b[k]));
  };
  for (; i + 2 < b.size(); i += 3) {
    const unsigned v = byte(i) << 16 | byte(i + 1) << 8 | byte(i + 2);
    out += {digits[v >> 18], digits[(v >> 12) & 63], digits[(v >> 6) & 63], digits[v & 63]};
  }
  if (i < b.size()) {
    const unsigned v = byte(i) << 16 | (i + 1 < b.size() ? byte(i + 1) << 8 : 0);
    out += {digits[v >> 18], digits[(v >> 12) & 63], i + 1 < b.size() ? digits[(v >> 6) & 63] : '=',
            '='};
  }
  return out;
}

struct Image {
  std::string label, url;
};

// The run's final window, the reference's and the difference, as far as the
// budget goes; *left_out counts those it did not take.
std::vector<Image> run_images(const ReportRun& r, const PictureStore& pictures, std::size_t* budget,
                              int* left_out) {
  std::vector<Image> images;
  if (r.pictures.empty())
    return images;
  const ReportPicture& p = r.pictures[0];
  const std::pair<const std::string*, const char*> wanted[] = {
      {&p.picture, "your program's window"},
      {&p.reference_picture, "the reference's window"},
      {&p.difference_picture, "the difference (red: beyond the tolerance)"}};
  for (const auto& [name, label] : wanted) {
    if (name->empty() || (r.status == "match" && name != &p.picture))
      continue;
    const std::string* bytes = pictures.bytes(*name);
    if (!bytes)
      continue;
    std::string url = data_url(*bytes);
    if (url.size() > *budget) {
      ++*left_out;
      continue;
    }
    *budget -= url.size();
    images.push_back({label, std::move(url)});
  }
  return images;
}

std::string run_text(const ReportRun& r) {
  std::string text = r.status + ": " + r.message + "\n";
  if (!r.words.empty())
    text += "It " + r.words + "; the reference " + r.reference_words + ".\n";
  if (!r.log.match) {
    text += "Log window: " + std::to_string(r.log.only_reference) + " line(s) missing (-), " +
            std::to_string(r.log.only_student) + " extra (+):\n";
    const auto lines = clean_lines(r.log_difference, PLATFORM_LINES, LINE_BYTES);
    for (const std::string& line : lines)
      text += line + "\n";
  }
  return text;
}

std::string summary(const ReportStudent& s) {
  int matched = 0;
  for (const ReportRun& r : s.runs)
    matched += r.status == "match";
  return s.status + ": " + std::to_string(matched) + " of " + std::to_string(s.runs.size()) +
         " scripts match the reference; score " + number(s.score) + " of 100, " + number(s.points) +
         " of " + number(s.max_points) + " points.";
}

std::string pictures_note(int left_out) {
  if (!left_out)
    return "";
  // Appended piece by piece: g++ 12 at -O3 (the package build) takes a
  // literal prepended to a temporary string for an overlapping copy.
  std::string note = "\n";
  note += std::to_string(left_out);
  note += " picture(s) left out to keep the results small; the teacher's report has them all.";
  return note;
}

std::string file_name(const ReportStudent& s) {
  return fs::path(s.page).stem().string() + ".json";
}

}  // namespace

bool parse_formats(const std::string& text, std::vector<std::string>* formats) {
  std::istringstream in(text);
  for (std::string item; std::getline(in, item, ',');) {
    if (item != "gradescope" && item != "prairielearn")
      return false;
    if (std::find(formats->begin(), formats->end(), item) == formats->end())
      formats->push_back(item);
  }
  return !formats->empty();
}

bool parse_points(const std::string& text, std::vector<double>* points) {
  points->clear();
  std::istringstream in(text);
  for (std::string item; std::getline(in, item, ',');) {
    char* end = nullptr;
    const double value = std::strtod(item.c_str(), &end);
    if (item.empty() || !end || *end || !(value >= 0 && value <= 1e6))
      return false;
    points->push_back(value);
  }
  return !points->empty() && text.back() != ',';
}

std::string gradescope_results(const ReportData& data, const ReportStudent& s,
                               const PictureStore& pictures) {
  std::size_t budget = PICTURE_BUDGET;
  int left_out = 0;
  double seconds = 0;
  std::ostringstream tests;
  for (std::size_t j = 0; j < s.runs.size(); ++j) {
    const ReportRun& r = s.runs[j];
    seconds += r.seconds;
    std::string html =
        "<p><strong>" + markup(r.status) + "</strong>: " + markup(r.message) + "</p>";
    if (!r.words.empty())
      html += "<p>It " + markup(r.words) + "; the reference " + markup(r.reference_words) + ".</p>";
    // Side by side in a table, sized and bordered by attributes: a sanitizer
    // that drops style attributes keeps these.
    const std::vector<Image> images = run_images(r, pictures, &budget, &left_out);
    if (!images.empty()) {
      html += "<table><tr>";
      for (const Image& image : images)
        html += "<td><img src=\"" + image.url + "\" alt=\"" + markup(image.label) +
                "\" width=\"240\" border=\"1\"><br>" + markup(image.label) + "</td>";
      html += "</tr></table>";
    }
    if (!r.log.match) {
      html += "<p>Log window: " + std::to_string(r.log.only_reference) + " line(s) missing (-), " +
              std::to_string(r.log.only_student) + " extra (+):</p><pre>";
      for (const std::string& line : clean_lines(r.log_difference, PLATFORM_LINES, LINE_BYTES))
        html += markup(line) + "\n";
      html += "</pre>";
    }
    tests << (j ? ",\n" : "\n") << "  {\"name\": " << json_string("Script " + r.script)
          << ", \"number\": \"" << j + 1 << "\", \"score\": " << number(r.points)
          << ", \"max_score\": " << number(data.scripts[j].points) << ", \"status\": \""
          << (r.status == "match" ? "passed" : "failed") << "\", \"output\": " << json_string(html)
          << ", \"output_format\": \"html\", \"extra_data\": {\"velko_status\": "
          << json_string(r.status) << ", \"velko_score\": " << number(r.score) << "}}";
  }
  std::ostringstream o;
  o << "{\"score\": " << number(s.points)
    << ", \"execution_time\": " << static_cast<long long>(seconds + 0.5)
    << ",\n \"output\": " << json_string(summary(s) + pictures_note(left_out))
    << ", \"output_format\": \"text\", \"test_output_format\": \"html\""
    << ", \"stdout_visibility\": \"hidden\",\n \"tests\": [" << tests.str() << "]}\n";
  return o.str();
}

std::string prairielearn_results(const ReportData& data, const ReportStudent& s,
                                 const PictureStore& pictures) {
  std::size_t budget = PICTURE_BUDGET;
  int left_out = 0;
  std::ostringstream tests;
  for (std::size_t j = 0; j < s.runs.size(); ++j) {
    const ReportRun& r = s.runs[j];
    tests << (j ? ",\n" : "\n") << "  {\"name\": " << json_string(r.script)
          << ", \"description\": " << json_string("the program on the script " + r.script)
          << ", \"points\": " << number(r.points)
          << ", \"max_points\": " << number(data.scripts[j].points)
          << ", \"message\": " << json_string(r.status + ": " + r.message)
          << ", \"output\": " << json_string(run_text(r)) << ", \"images\": [";
    const std::vector<Image> images = run_images(r, pictures, &budget, &left_out);
    for (std::size_t k = 0; k < images.size(); ++k)
      tests << (k ? ", " : "") << "{\"label\": " << json_string(images[k].label) << ", \"url\": \""
            << images[k].url << "\"}";
    tests << "]}";
  }
  const double score = s.max_points > 0 ? s.points / s.max_points : s.status == "match" ? 1 : 0;
  std::ostringstream o;
  char share[32];
  std::snprintf(share, sizeof share, "%.6f", std::min(1.0, std::max(0.0, score)));
  o << "{\"gradable\": true, \"score\": " << share
    << ",\n \"message\": " << json_string(summary(s) + pictures_note(left_out))
    << ",\n \"tests\": [" << tests.str() << "]}\n";
  return o.str();
}

bool write_platform_results(const std::string& folder, const std::string& format,
                            const ReportData& data, const PictureStore& pictures) {
  const bool gradescope = format == "gradescope";
  const fs::path out = fs::path(folder) / format;
  std::error_code error;
  fs::create_directories(out, error);
  bool good = true;
  for (const ReportStudent& s : data.students) {
    const std::string text = gradescope ? gradescope_results(data, s, pictures)
                                        : prairielearn_results(data, s, pictures);
    good = good && write_new_file((out / file_name(s)).string(), text);
  }
  const char* variable = gradescope ? "VELKO_GRADESCOPE_ROOT" : "VELKO_PRAIRIELEARN_ROOT";
  const char* given = std::getenv(variable);
  const fs::path root = given && *given ? given : gradescope ? "/autograder" : "/grade";
  if (data.students.size() == 1 && fs::is_directory(root, error)) {
    fs::create_directories(root / "results", error);
    good =
        good && write_new_file((root / "results" / "results.json").string(),
                               gradescope ? gradescope_results(data, data.students[0], pictures)
                                          : prairielearn_results(data, data.students[0], pictures));
  }
  return good;
}

}  // namespace check
