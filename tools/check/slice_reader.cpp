// Reading a slice's data; see slice_reader.h.
#include "tools/check/slice_reader.h"

#include <sys/stat.h>

#include <cmath>
#include <filesystem>

#include "tools/check/clean_text.h"
#include "tools/check/files.h"
#include "tools/check/json_reader.h"

namespace fs = std::filesystem;

namespace check {
namespace {

constexpr std::size_t SLICE_BYTES = 256u << 20;

std::string text(const Json& v, std::size_t bytes = LINE_BYTES) {
  return clean_line(v.str(), bytes);
}

long long whole(const Json& v) {
  const double n = v.num();
  return std::isfinite(n) && std::fabs(n) < 9e15 ? static_cast<long long>(n) : 0;
}

// A count that sizes something: from 0 to `high`, or -1 when it is not one.
int count(const Json& v, int high) {
  const long long n = whole(v);
  return n >= 0 && n <= high ? static_cast<int>(n) : -1;
}

double figure(const Json& v, double low = 0, double high = 1e12) {
  const double n = v.num();
  return std::isfinite(n) ? std::min(high, std::max(low, n)) : low;
}

std::vector<std::string> lines(const Json& v, std::size_t count) {
  std::vector<std::string> out;
  for (const Json& line : v.items)
    out.push_back(line.str());
  return clean_lines(out, count, LINE_BYTES);
}

bool known_status(const std::string& status) {
  return status == "cannot_run" || status_rank(status) > 0;
}

ReportLines line_counts(const Json& v) {
  return {whole(v["lines"]), whole(v["common"]), whole(v["only_reference"]),
          whole(v["only_student"]), v["match"].flag()};
}

bool read_run(const Json& v, ReportRun* r, std::string* why) {
  r->script = text(v["script"], NAME_BYTES);
  r->status = v["status"].str();
  if (!known_status(r->status)) {
    *why = "a run of an unknown status";
    return false;
  }
  r->message = text(v["message"], MESSAGE_BYTES);
  r->score = figure(v["score"], 0, 100);
  r->folder = text(v["folder"]);
  const Json& e = v["ended"];
  r->how = text(e["how"], 32);
  r->exit_status = count(e["exit_status"], 255);
  r->signal = count(e["signal"], 255);
  r->started_runtime = e["started_runtime"].flag();
  r->closed_by_checker = e["closed_by_checker"].flag();
  r->events_given = whole(e["events_given"]);
  r->seconds = figure(e["seconds"]);
  r->cpu_seconds = figure(e["cpu_seconds"]);
  r->max_rss_kb = whole(e["max_rss_kb"]);
  r->output_bytes = whole(e["output_bytes"]);
  r->words = text(e["words"]);
  r->reference_words = text(e["reference_words"]);
  r->ending_match = e["match"].flag();
  const Json& isolation = v["isolation"];
  r->sandboxed = isolation["sandbox"].flag();
  r->memory_whole = isolation["memory_limit_bound"].str() == "the whole run";
  r->memory = text(isolation["memory"]);
  for (const Json& p : v["pictures"].items) {
    ReportPicture q;
    q.name = text(p["name"], 64);
    q.after = whole(p["after_event"]);
    q.match = p["match"].flag();
    q.missing = p["missing"].flag();
    q.reference_missing = p["reference_missing"].flag();
    q.same_size = p["same_size"].flag();
    q.pixels = whole(p["pixels"]);
    q.differing = whole(p["differing"]);
    q.beyond_tolerance = whole(p["beyond_tolerance"]);
    q.share_percent = figure(p["share_percent"], 0, 100);
    q.file = text(p["file"]);
    q.reference_file = text(p["reference_file"]);
    q.difference_file = text(p["difference_file"]);
    q.picture = p["picture"].str();
    q.reference_picture = p["reference_picture"].str();
    q.difference_picture = p["difference_picture"].str();
    r->pictures.push_back(q);
  }
  r->log = line_counts(v["log"]);
  r->events = line_counts(v["events"]);
  const Json& d = v["details"];
  r->log_difference = lines(d["log_difference"], DIFFERENCE_LINES);
  r->events_shown = lines(d["events_shown"], EVENTS_SHOWN);
  r->output = clean_line(d["output"].str(), OUTPUT_BYTES);
  return true;
}

}  // namespace

bool read_slice(const std::string& folder, ReportData* data, std::string* why) {
  struct stat info {};
  if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    *why = folder + ": not a folder (a link is not followed)";
    return false;
  }
  std::string bytes;
  if (!read_file_at((fs::path(folder) / "slice.json").string(), SLICE_BYTES, &bytes, why)) {
    *why += " (is it a slice made with --shard K/N?)";
    return false;
  }
  Json v;
  std::string error;
  if (!parse_json(bytes, &v, &error)) {
    *why = folder + "/slice.json: " + error;
    return false;
  }
  if (v["format"].str() != "velko-check class slice 1") {
    *why =
        folder + "/slice.json: not a slice of velko-check's (format \"velko-check class slice 1\")";
    return false;
  }
  *data = ReportData{};
  data->created = text(v["created"], 64);
  const Json& slice = v["slice"];
  data->shard_index = count(slice["index"], 10000);
  data->shard_count = count(slice["count"], 10000);
  data->class_students = whole(slice["class_students"]);
  data->class_fingerprint = text(slice["class_fingerprint"], 64);
  const Json& s = v["settings"];
  data->settings.tolerance = static_cast<int>(figure(s["tolerance"], 0, 255));
  data->settings.max_diff_percent = figure(s["max_diff_percent"], 0, 100);
  for (const Json& n : s["after_events"].items)
    data->settings.after.push_back(whole(n));
  data->settings.limits.seconds = figure(s["seconds"]);
  data->settings.limits.memory_mb = whole(s["memory_mb"]);
  data->settings.limits.file_mb = whole(s["file_mb"]);
  data->settings.limits.output_bytes = whole(s["output_bytes"]);
  data->settings.limits.processes = count(s["processes"], 100000);
  data->settings.limits.disk_mb = whole(s["disk_mb"]);
  data->sandboxed = v["sandbox"]["on"].flag();
  data->sandbox_warning = text(v["sandbox"]["warning"], MESSAGE_BYTES);
  for (const Json& script : v["scripts"].items)
    data->scripts.push_back(
        {text(script["name"], NAME_BYTES), text(script["file"]), figure(script["points"], 0, 1e6)});
  data->reference = text(v["reference"]);
  const Json& t = v["timing"];
  data->wall_seconds = figure(t["wall_seconds"]);
  data->checker_cpu_seconds = figure(t["checker_cpu_seconds"]);
  data->programs_cpu_seconds = figure(t["programs_cpu_seconds"]);
  for (const Json& st : v["students"].items) {
    ReportStudent student;
    student.name = text(st["name"], NAME_BYTES);
    student.program = text(st["program"]);
    student.status = st["status"].str();
    student.score = figure(st["score"], 0, 100);
    if (!known_status(student.status)) {
      *why = folder + "/slice.json: the student " + student.name + " has an unknown status";
      return false;
    }
    for (const Json& run : st["runs"].items) {
      student.runs.emplace_back();
      if (!read_run(run, &student.runs.back(), why)) {
        *why = folder + "/slice.json: the student " + student.name + ": " + *why;
        return false;
      }
    }
    if (student.runs.size() != data->scripts.size()) {
      *why = folder + "/slice.json: the student " + student.name + " has not one run a script";
      return false;
    }
    data->students.push_back(std::move(student));
  }
  if (data->shard_count < 1 || data->shard_index < 1 || data->shard_index > data->shard_count) {
    *why = folder + "/slice.json: no slice K of N in it";
    return false;
  }
  return true;
}

}  // namespace check
