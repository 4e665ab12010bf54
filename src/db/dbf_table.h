#pragma once

#include <filesystem>
#include <memory>

#include "db/connection_string.h"
#include "db/flat_table.h"

namespace koru::db {

// A dBase or FoxPro table (.dbf) read record by record. Text is trimmed at its end, numbers
// keep the text they are written as, dates read YYYY-MM-DD, logicals 1 or 0; blank is null.
// Deleted records are left out. The encoding comes from the options, the file's code page
// (its .cpg file or language driver byte), or else from the text itself.
std::unique_ptr<FlatTable> openDbfTable(const std::filesystem::path& file, const FlatFileOptions& options);

}  // namespace koru::db
