// Failures the live tests cannot provoke here (no SQL Server or Oracle MySQL runs on this machine),
// and the ambiguous codes, as the drivers word them.

#include "db/error_map.h"

#include <gtest/gtest.h>

namespace koru::db {
namespace {

struct Failure {
    Backend backend;
    std::string sqlState;
    long nativeCode;
    std::string message;
    std::int32_t expected;
};

TEST(DbErrorMap, DriverFailuresMapToTheCodesTheRulesTest) {
    const Failure table[] = {
        {Backend::SqlServer, "42S02", 208, "[FreeTDS][SQL Server]Invalid object name 'XFRMappings'.", kErrNoSuchTable},
        {Backend::SqlServer, "28000", 18456, "[FreeTDS][SQL Server]Login failed for user 'sa'.", kErrLoginRefused},
        {Backend::SqlServer, "42000", 229, "The SELECT permission was denied on the object 'CIID'", kErrPermissionDenied},
        {Backend::SqlServer, "42000", 4060, "Cannot open database \"Tickora\" requested by the login. The login failed.", kErrGeneralFailure},
        {Backend::SqlServer, "42000", 102, "Incorrect syntax near 'FORM'.", kErrCommandText},
        {Backend::SqlServer, "23000", 2627, "Violation of PRIMARY KEY constraint 'PK_CIID'.", kErrIntegrityViolation},
        {Backend::SqlServer, "22001", 8152, "String or binary data would be truncated.", kErrDataOverflow},
        {Backend::SqlServer, "HYT00", 0, "Query timeout expired", kErrTimeout},
        {Backend::SqlServer, "08S01", 20009, "Unable to connect: Adaptive Server is unavailable", kErrGeneralFailure},
        {Backend::MySql, "28000", 1045, "Access denied for user 'koru'@'localhost' (using password: YES)", kErrLoginRefused},
        {Backend::MySql, "42000", 1142, "SELECT command denied to user 'koru'@'localhost' for table 'staff'", kErrPermissionDenied},
        {Backend::MySql, "42000", 1064, "You have an error in your SQL syntax", kErrCommandText},
        {Backend::MySql, "42S02", 1146, "Table 'src.staff' doesn't exist", kErrNoSuchTable},
        {Backend::MySql, "HY000", 3024, "Query execution was interrupted, maximum statement execution time exceeded", kErrTimeout},
        {Backend::MySql, "HY000", 2013, "Lost connection to MySQL server during query", kErrGeneralFailure},
        {Backend::PostgreSql, "08001", 101, "connection to server failed: FATAL:  password authentication failed for user \"koru\"", kErrLoginRefused},
        {Backend::PostgreSql, "08001", 101, "connection to server failed: FATAL:  role \"nobody\" does not exist", kErrLoginRefused},
        {Backend::PostgreSql, "08001", 101, "connection to server failed: FATAL:  database \"x\" does not exist", kErrGeneralFailure},
        {Backend::PostgreSql, "08001", 101, "connection to server failed: Connection refused", kErrGeneralFailure},
        {Backend::PostgreSql, "57014", 1, "ERROR: canceling statement due to statement timeout", kErrTimeout},
        {Backend::PostgreSql, "57014", 1, "ERROR: canceling statement due to user request", kErrCanceled},
        {Backend::PostgreSql, "22001", 1, "ERROR: value too long for type character varying(5)", kErrDataOverflow},
        {Backend::Sqlite, "", 1, "no such table: CIID", kErrNoSuchTable},
        {Backend::Sqlite, "", 1, "no such column: CIID.Name", kErrCommandText},
        {Backend::Sqlite, "", 1, "near \"FORM\": syntax error", kErrCommandText},
        {Backend::Sqlite, "", 2067, "UNIQUE constraint failed: CIID.ID", kErrIntegrityViolation},
        {Backend::Sqlite, "", 5, "database is locked", kErrTimeout},
        {Backend::SqliteOdbc, "HY000", 1, "[SQLite]no such table: CIID (1)", kErrNoSuchTable},
        {Backend::SqliteOdbc, "HY000", 5, "[SQLite]database is locked (5)", kErrTimeout},
        {Backend::SqlServer, "42000", 262, "CREATE TABLE permission denied in database 'Tickora'.", kErrPermissionDenied},
        {Backend::MySql, "70100", 1317, "Query execution was interrupted", kErrCanceled},
        {Backend::PostgreSql, "57P01", 1, "FATAL: terminating connection due to administrator command", kErrGeneralFailure},
        {Backend::Sqlite, "", 1, "no such view: open_lines", kErrNoSuchTable},
        {Backend::Sqlite, "", 3, "access permission denied", kErrPermissionDenied},
        {Backend::Sqlite, "", 6, "database table is locked", kErrTimeout},
        {Backend::Sqlite, "", 8, "attempt to write a readonly database", kErrPermissionDenied},
        {Backend::Sqlite, "", 9, "interrupted", kErrCanceled},
        {Backend::Sqlite, "", 14, "unable to open database file", kErrGeneralFailure},
        {Backend::Sqlite, "", 18, "string or blob too big", kErrDataOverflow},
        {Backend::Sqlite, "", 20, "datatype mismatch", kErrIntegrityViolation},
        {Backend::Sqlite, "", 23, "authorization denied", kErrPermissionDenied},
        {Backend::Sqlite, "", 25, "column index out of range", kErrCommandText},
        {Backend::Sqlite, "", 26, "file is not a database", kErrGeneralFailure},
        {Backend::OtherOdbc, "HYT01", 0, "Connection timeout expired", kErrTimeout},
        {Backend::OtherOdbc, "HY008", 0, "Operation canceled", kErrCanceled},
        {Backend::OtherOdbc, "08003", 0, "Connection not open", kErrConnectionNotUsable},
        {Backend::OtherOdbc, "28000", 0, "Invalid authorization", kErrLoginRefused},
        {Backend::OtherOdbc, "23505", 0, "duplicate key value", kErrIntegrityViolation},
        {Backend::OtherOdbc, "22018", 0, "Invalid character value for cast", kErrCommandText},
        {Backend::OtherOdbc, "42S02", 0, "Base table or view not found", kErrNoSuchTable},
        {Backend::OtherOdbc, "42501", 0, "insufficient privilege", kErrPermissionDenied},
        {Backend::OtherOdbc, "42000", 0, "Syntax error or access violation", kErrCommandText},
        {Backend::OtherOdbc, "07002", 0, "COUNT field incorrect", kErrCommandText},
        // The message patterns belong to their backend: another driver's 08001 is only a failure.
        {Backend::OtherOdbc, "08001", 0, "password authentication failed", kErrGeneralFailure},
        {Backend::OtherOdbc, "IM002", 0, "Data source name not found", kErrGeneralFailure},
    };
    for (const Failure& failure : table) {
        SCOPED_TRACE(failure.message);
        EXPECT_EQ(classifyFailure(failure.backend, {{failure.sqlState, failure.nativeCode, failure.message}}),
                  failure.expected);
    }
}

TEST(DbErrorMap, WarningsBeforeTheErrorDoNotDecide) {
    std::vector<ProviderError> records = {{"01000", 0, "Changed database context to 'Tickora'."},
                                          {"42S02", 208, "Invalid object name 'XFRClause'."}};
    DbError error = makeDbError(Backend::SqlServer, records, "select * from XFRClause");
    EXPECT_EQ(error.code(), kErrNoSuchTable);
    EXPECT_EQ(std::string(error.what()),
              "Changed database context to 'Tickora'.\nInvalid object name 'XFRClause'.");
    EXPECT_EQ(error.statement(), "select * from XFRClause");
    EXPECT_EQ(error.sqlState(), "01000");
    EXPECT_EQ(classifyFailure(Backend::SqlServer, {}), kErrGeneralFailure);
}

}  // namespace
}  // namespace koru::db
