// Reading back a slice of a class (a slice.json that velko-check --shard
// wrote) for merge.h, as input a run could have touched: a regular file of
// bounded size, every field checked, nothing trusted but what it says of its
// own students.
#pragma once

#include <string>

#include "tools/check/report_data.h"

namespace check {

// The slice in `folder`; false, with the reason in *why, when it is not one.
// Picture names stay as the slice has them (pictures/NAME.png in `folder`).
bool read_slice(const std::string& folder, ReportData* data, std::string* why);

}  // namespace check
