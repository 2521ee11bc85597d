// Slices of a class for a batch cluster (--shard K/N): each slice checks the
// K-th of N parts of the class, cut from the students in the order of their
// names, so that every slice cuts the class alike wherever it runs; merge.h
// puts the slices' results together again.
#pragma once

#include <string>
#include <vector>

namespace check {

struct Student;

struct Shard {
  int index = 0;  // K, from 1
  int count = 0;  // N; 0: the whole class
};

// "K/N" with 1 <= K <= N <= 10000.
bool parse_shard(const std::string& text, Shard* shard);

// Keeps the students of the slice in *students, in the order of their names,
// and answers in *fingerprint what tells this class from another (a hash of
// all its names), so that merge refuses slices of different classes. The
// whole class (count 0) stays as it is.
void keep_shard(const Shard& shard, std::vector<Student>* students, std::string* fingerprint);

}  // namespace check
