// velko-check merge: the reports of a whole class from its slices
// (--shard K/N), as one run over the class would have made them.
//
//   velko-check merge [-o FOLDER] [--format F] SLICE_FOLDER...
#pragma once

namespace check {

// Exit status: 0 every student matched, 1 some did not, 4 the slices could
// not be read, do not belong together, or the reports not written; 64 a
// wrong command line. argv[1] is "merge".
int run_merge(int argc, char** argv);

}  // namespace check
