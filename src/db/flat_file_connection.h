#pragma once

#include <string>

#include "db/sqlite_connection.h"

namespace koru::db {

// CSV/TSV files (Provider=Text) or dBase tables (Provider=DBF) as a read-only source: opening
// copies every file, a table each, into a private SQLite database on disk that closing deletes,
// in one pass per file and one transaction. Everything else is the SQLite connection's, so the
// program's statements run on the files as on any SQLite source; the files are only read.
//
// Whole numbers are stored as integers (keys join and sort as numbers), everything else as the
// text the file holds ("12.50" stays so). columns() and record sets report the types found in the
// files: integer, decimal(p,s), date, or text of the longest value's length.
class FlatFileConnection : public SqliteConnection {
public:
    void open(const std::string& connectionString) override;
    std::string dbmsName() const override { return m_dbms; }

private:
    std::string m_dbms = "Text";
};

}  // namespace koru::db
