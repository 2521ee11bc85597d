// The results of a class check in the formats of course platforms that run
// one submission in a container of its own: Gradescope's autograder results
// and PrairieLearn's external grader results, each with the student's
// window, the reference's and their difference as pictures.
#pragma once

#include <string>
#include <vector>

#include "tools/check/report_data.h"

namespace check {

// "gradescope", "prairielearn" or both, separated by commas.
bool parse_formats(const std::string& text, std::vector<std::string>* formats);

// A script's points: one number for every script, or one a script in the
// order of -s, each from 0 to 1000000.
bool parse_points(const std::string& text, std::vector<double>* points);

// Each student's results in `format` in folder/FORMAT/NAME.json. When the
// class is one student (a platform's container), also in the platform's
// layout, ROOT/results/results.json, where ROOT is a folder:
// $VELKO_GRADESCOPE_ROOT or /autograder, $VELKO_PRAIRIELEARN_ROOT or /grade.
// False when a file cannot be written.
bool write_platform_results(const std::string& folder, const std::string& format,
                            const ReportData& data, const PictureStore& pictures);

std::string gradescope_results(const ReportData& data, const ReportStudent& student,
                               const PictureStore& pictures);
std::string prairielearn_results(const ReportData& data, const ReportStudent& student,
                                 const PictureStore& pictures);

}  // namespace check
