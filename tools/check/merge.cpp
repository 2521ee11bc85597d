// Merging slices of a class; see merge.h and docs/checking.md.
#include "tools/check/merge.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "tools/check/files.h"
#include "tools/check/platform_formats.h"
#include "tools/check/report.h"
#include "tools/check/slice_reader.h"

namespace fs = std::filesystem;

namespace check {
namespace {

void usage(const char* why) {
  if (why)
    std::fprintf(stderr, "velko-check: %s\n", why);
  std::fprintf(
      stderr,
      "usage: velko-check merge [-o FOLDER] [--format F] SLICE_FOLDER...\n"
      "  SLICE_FOLDER   the -o folder of a velko-check --class --shard K/N; give all N\n"
      "  -o FOLDER      where the class's reports go (default: velko-check-class)\n"
      "  --format F     also the course platforms' results: gradescope, prairielearn\n"
      "Exit status: 0 every student matched, 1 some did not, 4 the slices could not be\n"
      "read or do not make one class, or the reports not written, 64 a wrong command line.\n");
}

// A picture of a slice, checked against its name (a hash of its bytes), into
// the merged report's store; empty when the slice has none.
bool take_picture(const std::string& slice, std::string* name, PictureStore* pictures,
                  std::string* why) {
  if (name->empty())
    return true;
  const std::string& n = *name;
  const bool well_named = n.size() >= 29 && n.compare(0, 9, "pictures/") == 0 &&
                          n.compare(n.size() - 4, 4, ".png") == 0 &&
                          n.find_first_not_of("0123456789abcdef", 9) >= 25 &&
                          n.find('/', 9) == std::string::npos && n.find("..") == std::string::npos;
  std::string bytes;
  if (!well_named) {
    *why = slice + ": a picture of a strange name";
    return false;
  }
  if (!read_file_at((fs::path(slice) / n).string(), PICTURE_BYTES, &bytes, why))
    return false;
  if (hex(fnv1a(bytes)) != n.substr(9, 16)) {
    *why = slice + "/" + n + ": it does not hold the picture its name says";
    return false;
  }
  *name = pictures->store_bytes(bytes, why);
  return !name->empty();
}

// A path the slice gives relative to its folder, relative to the merged report.
std::string rebase(const std::string& path, const std::string& slice, const std::string& out) {
  if (path.empty() || fs::path(path).is_absolute())
    return path;
  std::error_code error;
  const fs::path rel =
      fs::relative(fs::absolute(fs::path(slice) / path).lexically_normal(), out, error);
  return error || rel.empty() ? path : rel.generic_string();
}

bool same_settings(const ReportData& a, const ReportData& b) {
  const Settings &s = a.settings, &t = b.settings;
  bool same = a.scripts.size() == b.scripts.size() && s.tolerance == t.tolerance &&
              s.max_diff_percent == t.max_diff_percent && s.after == t.after &&
              s.limits.seconds == t.limits.seconds && s.limits.memory_mb == t.limits.memory_mb &&
              s.limits.file_mb == t.limits.file_mb &&
              s.limits.output_bytes == t.limits.output_bytes &&
              s.limits.processes == t.limits.processes && s.limits.disk_mb == t.limits.disk_mb &&
              a.reference == b.reference;
  for (std::size_t i = 0; same && i < a.scripts.size(); ++i)
    same = a.scripts[i].name == b.scripts[i].name && a.scripts[i].points == b.scripts[i].points;
  return same;
}

// The whole class from its slices; false, with the reason, when they do not
// make one class.
bool merge_slices(const std::vector<std::string>& folders, const std::string& out,
                  PictureStore* pictures, ReportData* merged, std::string* why) {
  std::vector<std::pair<std::string, ReportData>> slices;
  for (const std::string& folder : folders) {
    slices.emplace_back(folder, ReportData{});
    if (!read_slice(folder, &slices.back().second, why))
      return false;
  }
  const ReportData& first = slices[0].second;
  std::vector<int> seen(static_cast<std::size_t>(first.shard_count) + 1, 0);
  for (const auto& [folder, s] : slices) {
    if (s.shard_count != first.shard_count || s.class_fingerprint != first.class_fingerprint ||
        s.class_students != first.class_students) {
      *why = folder + " is a slice of another class, or of another cut, than " + folders[0];
      return false;
    }
    if (!same_settings(s, first)) {
      *why = folder + " was checked with other scripts, points, settings or reference than " +
             folders[0];
      return false;
    }
    if (seen[static_cast<std::size_t>(s.shard_index)]++) {
      *why = "slice " + std::to_string(s.shard_index) + " of " + std::to_string(s.shard_count) +
             " is given twice (" + folder + ")";
      return false;
    }
  }
  for (int k = 1; k <= first.shard_count; ++k)
    if (!seen[static_cast<std::size_t>(k)]) {
      *why =
          "slice " + std::to_string(k) + " of " + std::to_string(first.shard_count) + " is missing";
      return false;
    }
  // The slices in their order hold the class in the order of names.
  std::sort(slices.begin(), slices.end(), [](const auto& a, const auto& b) {
    return a.second.shard_index < b.second.shard_index;
  });
  *merged = slices[0].second;
  merged->students.clear();
  merged->shard_index = merged->shard_count = 0;
  merged->wall_seconds = merged->checker_cpu_seconds = merged->programs_cpu_seconds = 0;
  std::set<std::string> names;
  for (auto& [folder, s] : slices) {
    merged->wall_seconds = std::max(merged->wall_seconds, s.wall_seconds);  // side by side
    merged->checker_cpu_seconds += s.checker_cpu_seconds;
    merged->programs_cpu_seconds += s.programs_cpu_seconds;
    // The class had a sandbox only where every slice had one.
    if (!s.sandboxed && merged->sandboxed) {
      merged->sandboxed = false;
      merged->sandbox_warning = s.sandbox_warning;
    }
    for (ReportStudent& st : s.students) {
      if (!names.insert(st.name).second) {
        *why = "the student " + st.name + " is in two slices";
        return false;
      }
      for (ReportRun& r : st.runs) {
        r.folder = rebase(r.folder, folder, out);
        for (ReportPicture& p : r.pictures) {
          p.file = rebase(p.file, folder, out);
          p.reference_file = rebase(p.reference_file, folder, out);
          p.difference_file = rebase(p.difference_file, folder, out);
          if (!take_picture(folder, &p.picture, pictures, why) ||
              !take_picture(folder, &p.reference_picture, pictures, why) ||
              !take_picture(folder, &p.difference_picture, pictures, why))
            return false;
        }
      }
      merged->students.push_back(std::move(st));
    }
  }
  if (static_cast<long long>(merged->students.size()) != merged->class_students) {
    *why = "the slices hold " + std::to_string(merged->students.size()) +
           " students of a class of " + std::to_string(merged->class_students);
    return false;
  }
  add_up(merged);
  assign_pages(merged);
  return true;
}

std::string canonical(const std::string& path) {
  std::error_code error;
  const fs::path p = fs::weakly_canonical(fs::absolute(path), error);
  return error ? path : p.string();
}

}  // namespace

int run_merge(int argc, char** argv) {
  std::string out = "velko-check-class";
  std::vector<std::string> formats, folders;
  int i = 2;
  for (; i < argc && argv[i][0] == '-'; ++i) {
    const std::string flag = argv[i];
    if (flag == "--") {
      ++i;
      break;
    }
    if (flag == "-h" || flag == "--help") {
      usage(nullptr);
      return 0;
    }
    if (i + 1 >= argc || (flag != "-o" && flag != "--format")) {
      usage(("unknown option or missing value: " + flag).c_str());
      return 64;
    }
    const std::string value = argv[++i];
    if (flag == "-o") {
      out = value;
    } else if (!parse_formats(value, &formats)) {
      usage(("not a good value for --format: " + value).c_str());
      return 64;
    }
  }
  for (; i < argc; ++i)
    folders.push_back(argv[i]);
  if (folders.empty()) {
    usage("no slices to merge");
    return 64;
  }
  const std::string target = canonical(out);
  for (const std::string& folder : folders)
    if (canonical(folder) == target) {
      usage(("the reports would go into the slice " + folder + "; give another -o").c_str());
      return 64;
    }
  std::error_code error;
  fs::create_directories(target, error);
  for (const char* old : {"pictures", "students", "gradescope", "prairielearn"})
    fs::remove_all(fs::path(target) / old, error);
  PictureStore pictures(target);
  ReportData data;
  std::string why;
  if (!merge_slices(folders, target, &pictures, &data, &why)) {
    std::fprintf(stderr, "velko-check: merge: %s\n", why.c_str());
    return 4;
  }
  data.created = report_time();
  if (!write_reports(target, data, formats, &pictures)) {
    std::fprintf(stderr, "velko-check: cannot write the reports in %s\n", target.c_str());
    return 4;
  }
  int matched = 0;
  for (const ReportStudent& s : data.students)
    matched += s.status == "match";
  std::printf(
      "velko-check: %zu slices merged: %d of %zu students match the reference; report in "
      "%s/index.html\n",
      folders.size(), matched, data.students.size(), target.c_str());
  return data.all_match ? 0 : 1;
}

}  // namespace check
