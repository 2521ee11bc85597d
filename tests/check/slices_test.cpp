// A class cut into slices on a batch cluster: the course's cluster scripts
// run the reference once, four slices as separate processes with the array
// variables a Slurm task would have, and the merge, and the merged reports
// are those of one run over the class. The merge refuses slices that do not
// make one class. Every report, with hostile names and output in the class,
// is well-formed for its readers.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tests/check/run_check.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;

namespace {

int shell(const std::string& command) {
  const int status = std::system(("bash -c '" + command + "' >shell.txt 2>&1").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// What merge must give as one run does: each student's status, score,
// points, page and the pictures' names, a line each.
std::string grades(const std::string& results_json) {
  EXPECT_EQ(shell(std::string("python3 ") + VELKO_SOURCE_DIR +
                  "/tests/check/validate_reports.py grades " + results_json),
            0);
  return read_file("shell.txt");
}

std::map<std::string, std::string> files(const std::string& folder) {
  std::map<std::string, std::string> out;
  for (const auto& entry : fs::directory_iterator(folder))
    out[entry.path().filename().string()] = read_file(entry.path().string());
  return out;
}

}  // namespace

TEST(VelkoCheckSlices, FourSlicesMergedAreOneRunOverTheClass) {
  ScopedTempDir dir;
  const std::string course = std::string(VELKO_SOURCE_DIR) + "/examples/course";
  fs::create_directories("course");
  for (const char* part : {"check.conf", "scripts", "cluster"})
    fs::copy(course + "/" + part, std::string("course/") + part, fs::copy_options::recursive);
  if (kSanitized)
    write_file("course/check.conf",
               read_file("course/check.conf") + "check_options+=(--memory 0)\n");
  const struct {
    const char* name;
    const char* how;
  } students[] = {
      {"ada", "match"},           {"brian", "pixel"},
      {"chen", "colour"},         {"dora", "crash"},
      {"emil", "nostart"},        {"fay", "animate"},
      {"gus", "early"},           {"hana", "garbage"},
      {"Ivo <b>&\"'", "logline"}, {"j\xff\xfe-\x1b[31m", "match"},
  };
  for (const auto& s : students)
    add_student(s.name, s.how);
  fs::create_directories("class/kim");  // handed nothing in
  fs::copy_file(VELKO_CLASS_MEMBER_PATH, "reference");
  const std::string environment = "export VELKO_CHECK=" + std::string(VELKO_CHECK_PATH) +
                                  " VELKO_CLASS=" + fs::absolute("class").string() +
                                  " VELKO_WORK=" + fs::absolute("work").string() +
                                  " VELKO_REFERENCE=" + fs::absolute("reference").string() +
                                  " VELKO_FORMATS=gradescope,prairielearn; ";

  // The Kubernetes manifests, with their escaped keys, are JSON as kubectl reads it.
  EXPECT_EQ(shell("for f in course/cluster/kubernetes/*.json; do "
                  "python3 -m json.tool \"$f\" >/dev/null || exit 1; done"),
            0)
      << read_file("shell.txt");
  ASSERT_EQ(shell(environment + "course/cluster/reference.sh"), 0) << read_file("shell.txt");
  for (int task = 1; task <= 4; ++task)
    ASSERT_EQ(shell(environment + "SLURM_ARRAY_TASK_ID=" + std::to_string(task) +
                    " SLURM_ARRAY_TASK_MIN=1 SLURM_ARRAY_TASK_COUNT=4 course/cluster/slice.sh"),
              0)
        << task << ": " << read_file("shell.txt");
  ASSERT_EQ(shell(environment + "course/cluster/merge.sh"), 0) << read_file("shell.txt");
  // The same class in one run, with the course's settings.
  ASSERT_EQ(shell(environment + "cd course && . ./check.conf && $VELKO_CHECK --class "
                                "\"${check_options[@]}\" --points $points --format $VELKO_FORMATS "
                                "-R ../work/reference -o ../one $VELKO_CLASS"),
            1)
      << read_file("shell.txt");

  const auto one = grades("one/results.json"), merged = grades("work/report/results.json");
  EXPECT_EQ(merged, one);
  EXPECT_NE(one.find("[\"ada\", \"match\", 100.0, 10.0, \"students/ada.html\""), std::string::npos)
      << one;
  EXPECT_NE(one.find("[\"kim\", \"cannot_run\""), std::string::npos) << one;
  EXPECT_EQ(read_file("work/report/grades.csv"), read_file("one/grades.csv"));
  EXPECT_TRUE(files("work/report/students") == files("one/students")) << "students differ";
  EXPECT_TRUE(files("work/report/pictures") == files("one/pictures")) << "pictures differ";
  EXPECT_TRUE(files("work/report/prairielearn") == files("one/prairielearn"))
      << "prairielearn differ";
  EXPECT_EQ(files("work/report/gradescope").size(), files("one/gradescope").size());

  // Nothing a student printed or was named breaks a report, a slice's or the class's.
  for (const std::string folder : {"one", "work/report", "work/slices/1", "work/slices/4"})
    EXPECT_EQ(shell(std::string("python3 ") + VELKO_SOURCE_DIR +
                    "/tests/check/validate_reports.py " + folder),
              0)
        << folder << ": " << read_file("shell.txt");
}

TEST(VelkoCheckSlices, MergeRefusesSlicesThatDoNotMakeOneClass) {
  ScopedTempDir dir;
  write_file("a.scr", "VELKO_PERIODIC(3);\nVELKO_MOUSE(10, 10);\n");
  for (const char* name : {"ann", "bob", "cy"})
    add_student(name, name[0] == 'b' ? "pixel" : "match");
  const std::string common =
      "--class --memory 0 -s a.scr -r " + std::string(VELKO_CLASS_MEMBER_PATH);
  for (const char* k : {"1", "2"})
    ASSERT_LE(check(common + " --shard " + k + "/2 -o s" + k + " class").status, 1);
  fs::create_directories("other/zed");
  fs::copy("class/ann", "other/zed", fs::copy_options::recursive);
  ASSERT_LE(check(common + " --shard 2/2 -o other-s2 other").status, 1);
  ASSERT_EQ(check("merge -o merged s1 s2").status, 1);

  const auto a_picture = [] {
    for (const auto& entry : fs::directory_iterator("t/s2/pictures"))
      return entry.path().string();
    return std::string();
  };
  const struct {
    const char* name;
    std::function<void()> damage;
    const char* slices;
    int status;
    const char* says;
  } cases[] = {
      {"a slice missing", [] {}, "t/s1", 4, "slice 2 of 2 is missing"},
      {"a slice twice", [] {}, "t/s1 t/s1 t/s2", 4, "slice 1 of 2 is given twice"},
      {"a slice of another class", [] {}, "t/s1 other-s2", 4, "a slice of another class"},
      {"into a slice's folder", [] {}, "-o t/s1 t/s1 t/s2", 64, "would go into the slice"},
      {"no slice at all", [] { fs::remove("t/s2/slice.json"); }, "t/s1 t/s2", 4,
       "is it a slice made with --shard K/N?"},
      {"slice.json a link",
       [] {
         fs::remove("t/s2/slice.json");
         fs::create_symlink(fs::absolute("t/s1/slice.json"), "t/s2/slice.json");
       },
       "t/s1 t/s2", 4, "a link, not followed"},
      {"slice.json a pipe",
       [] {
         fs::remove("t/s2/slice.json");
         mkfifo("t/s2/slice.json", 0644);
       },
       "t/s1 t/s2", 4, "not a regular file"},
      {"slice.json cut short",
       [&] {
         const std::string json = read_file("t/s2/slice.json");
         write_file("t/s2/slice.json", json.substr(0, json.size() / 2));
       },
       "t/s1 t/s2", 4, "t/s2/slice.json: "},
      {"a slice of a billion",
       [&] {
         std::string json = read_file("t/s2/slice.json");
         json.replace(json.find("\"count\": 2"), 10, "\"count\": 2000000000");
         write_file("t/s2/slice.json", json);
       },
       "t/s1 t/s2", 4, "no slice K of N in it"},
      {"a picture changed", [&] { write_file(a_picture(), "\x89PNG\r\n\x1a\nnot this one"); },
       "t/s1 t/s2", 4, "does not hold the picture its name says"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all("t");
    fs::create_directories("t");
    fs::copy("s1", "t/s1", fs::copy_options::recursive);
    fs::copy("s2", "t/s2", fs::copy_options::recursive);
    c.damage();
    const CheckRun run = check(std::string("merge -o m ") + c.slices);
    EXPECT_EQ(run.status, c.status) << run.out;
    EXPECT_NE(run.out.find(c.says), std::string::npos) << run.out;
  }
}
