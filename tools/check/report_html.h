// The class report a teacher reads: index.html (a summary with a histogram
// of scores, and the table of students), a page a student in students/, and
// the histogram as histogram.svg. Pictures are files of pictures/; nothing
// is loaded from elsewhere, so the folder works offline and zipped.
#pragma once

#include <string>

#include "tools/check/report_data.h"

namespace check {

// False when a file cannot be written.
bool write_html(const std::string& folder, const ReportData& data);

// The histogram of the students' scores, as an SVG picture.
std::string histogram_svg(const ReportData& data);

}  // namespace check
