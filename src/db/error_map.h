#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "db/connection_string.h"
#include "db/db_error.h"

namespace koru::db {

// Where a failure came from: the classification of driver errors depends on it.
enum class Backend { Sqlite, SqliteOdbc, PostgreSql, MySql, SqlServer, OtherOdbc };

// The backend of an ODBC connection, from the driver before connecting and from the DBMS name
// (SQLGetInfo) once connected; the DBMS name wins when it is known.
Backend backendOf(DriverFamily driver, std::string_view dbmsName = {});

// The OLE DB code for a failure, from the one table of known failures. SQLite backends are
// keyed on the SQLite result code (the native code), the others on the SQLSTATE; the message
// pattern tells apart failures that share a code. Warnings (SQLSTATE 01...) are skipped.
std::int32_t classifyFailure(Backend backend, const std::vector<ProviderError>& records);

// True when the failure means the link to the server is gone: nothing more can run on it.
bool connectionLost(const std::vector<ProviderError>& records);

// True when a rollback to a savepoint ended a read of the same connection (SQLite ends every
// read then once the transaction has changed the schema): the read may be opened again.
bool readEndedByRollback(const DbError& error);

// The DbError for a failure: its classified code, every record's message joined, and the
// statement that failed.
DbError makeDbError(Backend backend, std::vector<ProviderError> records, std::string statement);

}  // namespace koru::db
