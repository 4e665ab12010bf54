#pragma once

#include <filesystem>

namespace koru::db {

// A SQLite source database of companies, departments, contacts, PCs and software, with the
// awkward values real sources have: quotes, nulls, long and non-ASCII text, dates and
// duplicate keys. Refuses a file that exists already.
void createDemoSourceDatabase(const std::filesystem::path& file);

}  // namespace koru::db
