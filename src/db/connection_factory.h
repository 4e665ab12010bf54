#pragma once

#include <memory>
#include <string>

#include "db/connection.h"

namespace koru::db {

// A closed connection of the kind the string opens: SQLite for Provider=SQLite and the embedded
// destination, text or dBase files for Provider=Text / Provider=DBF, ODBC for everything else. Refuses a malformed string before any driver is
// involved.
std::unique_ptr<Connection> makeConnection(const std::string& connectionString);

// makeConnection() and open().
std::unique_ptr<Connection> openConnection(const std::string& connectionString);

}  // namespace koru::db
