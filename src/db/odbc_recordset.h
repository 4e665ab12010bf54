#pragma once

#include <memory>
#include <string>

#include "db/connection.h"
#include "db/odbc_session.h"

namespace koru::db::odbc {

// The record set over an executed statement. Rows come in blocks (row arrays, column-wise
// binding) when the driver can hand back a single cell of a block again; values longer than
// their bound buffer are read whole with SQLGetData, so nothing is ever cut short.
std::unique_ptr<Recordset> makeRecordset(std::shared_ptr<Session> session,
                                         std::shared_ptr<StatementHandle> handle, std::string sql);

}  // namespace koru::db::odbc
