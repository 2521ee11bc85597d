// Cutting a class into slices; see shard.h.
#include "tools/check/shard.h"

#include <algorithm>
#include <cstdlib>

#include "tools/check/class_run.h"
#include "tools/check/report_data.h"

namespace check {

bool parse_shard(const std::string& text, Shard* shard) {
  const auto slash = text.find('/');
  if (slash == std::string::npos || text.find('/', slash + 1) != std::string::npos || slash == 0 ||
      slash + 1 == text.size() || text.find_first_not_of("0123456789/") != std::string::npos ||
      slash > 5 || text.size() - slash - 1 > 5)
    return false;
  const int k = std::atoi(text.substr(0, slash).c_str());
  const int n = std::atoi(text.substr(slash + 1).c_str());
  if (k < 1 || n < 1 || k > n || n > 10000)
    return false;
  *shard = {k, n};
  return true;
}

void keep_shard(const Shard& shard, std::vector<Student>* students, std::string* fingerprint) {
  if (shard.count == 0)
    return;
  std::stable_sort(students->begin(), students->end(),
                   [](const Student& a, const Student& b) { return a.name < b.name; });
  std::string names = std::to_string(students->size());
  for (const Student& s : *students)
    names += "\n" + s.name;
  *fingerprint = hex(fnv1a(names));
  // Slice K holds the students from (K-1)n/N up to Kn/N: sizes differ by one at most.
  const std::size_t n = students->size(), count = static_cast<std::size_t>(shard.count);
  const std::size_t first = n * static_cast<std::size_t>(shard.index - 1) / count;
  const std::size_t last = n * static_cast<std::size_t>(shard.index) / count;
  students->erase(students->begin() + static_cast<std::ptrdiff_t>(last), students->end());
  students->erase(students->begin(), students->begin() + static_cast<std::ptrdiff_t>(first));
}

}  // namespace check
