#include "db/connection_factory.h"

#include "db/connection_string.h"
#include "db/flat_file_connection.h"
#include "db/odbc_connection.h"
#include "db/odbc_support.h"
#include "db/sqlite_connection.h"

namespace koru::db {

std::unique_ptr<Connection> makeConnection(const std::string& connectionString) {
    OpenTarget target = translateConnectionString(connectionString, odbc::systemDriverCatalog());
    if (target.kind == OpenTarget::Kind::Odbc) return std::make_unique<OdbcConnection>();
    if (target.kind == OpenTarget::Kind::TextFiles || target.kind == OpenTarget::Kind::DbfFiles) {
        return std::make_unique<FlatFileConnection>();
    }
    return std::make_unique<SqliteConnection>();
}

std::unique_ptr<Connection> openConnection(const std::string& connectionString) {
    auto connection = makeConnection(connectionString);
    connection->open(connectionString);
    return connection;
}

}  // namespace koru::db
