#pragma once

#include <sql.h>
#include <sqlext.h>

#include <string>
#include <vector>

#include "db/connection_string.h"
#include "db/db_error.h"

namespace koru::db::odbc {

// The process's ODBC 3 environment; allocated once and kept for the life of the process, so
// that a connect abandoned on a worker thread never outlives it.
SQLHENV environment();

// Every diagnostic record of a handle, in order.
std::vector<ProviderError> diagnostics(SQLSMALLINT handleType, SQLHANDLE handle);

inline bool succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

// The drivers and data sources unixODBC knows, and KORU_MSSQL_DRIVER.
const OdbcDriverCatalog& systemDriverCatalog();

// UTF-16 as the drivers give SQL_C_WCHAR data, in UTF-8; unpaired surrogates become U+FFFD.
std::string utf16ToUtf8(const SQLWCHAR* text, std::size_t units);

}  // namespace koru::db::odbc
