// The reports of a class check: results.json, junit.xml and index.html.
#pragma once

#include <string>

#include "tools/check/class_run.h"

namespace check {

// Each answers false when the file cannot be written. Paths inside the
// results are made relative to `folder`, where the reports go.
bool write_json(const std::string& folder, const ClassOptions& options, const ClassResult& result);
bool write_junit(const std::string& folder, const ClassResult& result);
bool write_html(const std::string& folder, const ClassOptions& options, const ClassResult& result);

}  // namespace check
