#pragma once

#include <cstdint>
#include <filesystem>

namespace koru::bench {

// End to end on the embedded destination: builds a five-level source of about `rows` rows,
// saves a mapping, imports it in a child process through the import screen's Start, checks the
// items and their parents, then inserts the same rows into an empty copy of CIID with one
// prepared statement in one transaction, and compares the two. Then update runs of that import,
// each in a child process, against it: one line each.
// Returns the process status.
int runImportBench(long rows);

// What an import child runs: a plain import (mode 0) or an update of session `importId`; a
// `newParentId` other than 0 moves the items no longer in the source under that item.
struct UpdateRun {
    int mode = 0;
    std::int64_t importId = 0;
    std::int64_t newParentId = 0;
};

// The child process: imports what runImportBench prepared in `folder` and writes the seconds
// Start took, the session's ID, the peak RSS before Start (KiB) and the length of the longest
// statement the source received to `result`.
int importChild(const std::filesystem::path& folder, const std::filesystem::path& result, const UpdateRun& run);

}  // namespace koru::bench
