#pragma once

#include <filesystem>
#include <memory>

#include "db/connection_string.h"
#include "db/flat_table.h"

namespace koru::db {

// A delimited text file (RFC 4180 quoting) as a table. Its columns come from a first pass over
// the file, which also finds the encoding and refuses malformed rows with their line number;
// the rows from a second. Neither holds more than a buffer of the file and one row.
std::unique_ptr<FlatTable> openCsvTable(const std::filesystem::path& file, const FlatFileOptions& options);

}  // namespace koru::db
