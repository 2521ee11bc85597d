// The reports of a class check, written by the checker alone once every run
// has ended: results.json, junit.xml, grades.csv, index.html with a page a
// student (report_html.h), the pictures stored once, and where asked the
// course platforms' results (platform_formats.h) and a slice's data
// (slice.json, for merge).
#pragma once

#include <string>
#include <vector>

#include "tools/check/class_run.h"
#include "tools/check/report_data.h"

namespace check {

// Every report of a class check in `folder`; false when one cannot be written.
bool write_reports(const std::string& folder, const ClassOptions& options,
                   const ClassResult& result);

// The same from the reports' data (a merge); the pictures are in `pictures`.
bool write_reports(const std::string& folder, const ReportData& data,
                   const std::vector<std::string>& formats, PictureStore* pictures);

// results.json, or with `details` slice.json: the same and what the pages
// show of each run, so that a merge can make them again.
std::string results_json(const ReportData& data, bool details);

// "12.500": the figures of the reports.
std::string number(double value);
// A figure to ten digits, as a teacher writes it (5, 2.5, 0.0003388): a
// share of pixels in a slice read back is the same.
std::string precise(double value);

}  // namespace check
