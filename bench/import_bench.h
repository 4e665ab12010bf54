#pragma once

#include <filesystem>

namespace koru::bench {

// End to end on the embedded destination: builds a three-level source of `contacts` contacts,
// saves a mapping, imports it in a child process through the import screen's Start, checks the
// items and their parents, then inserts the same rows into an empty copy of CIID with one
// prepared statement in one transaction. The last line printed compares the two.
// Returns the process status.
int runImportBench(long contacts);

// The child process: imports what runImportBench prepared in `folder` and writes the seconds
// Start took, the session's ID and the peak RSS before Start (KiB) to `result`.
int importChild(const std::filesystem::path& folder, const std::filesystem::path& result);

}  // namespace koru::bench
