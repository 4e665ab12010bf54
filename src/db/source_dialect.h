#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace koru::db {

class Connection;

// What the extraction writes into source SQL that is not portable, chosen from the DBMS name
// the driver reports. SQL Server and Access keep the statements as the system always wrote
// them.
class SourceDialect {
public:
    enum class Kind { SqlServer, Access, Sqlite, PostgreSql, MySql, Generic };

    virtual ~SourceDialect() = default;
    virtual Kind kind() const = 0;
    virtual std::string quoteIdentifier(std::string_view name) const = 0;
    // Text expressions joined into one; null anywhere gives null, as on SQL Server.
    virtual std::string concat(const std::vector<std::string>& expressions) const = 0;
    // "SELECT <columnsAndRest>" limited to the first `rows` rows.
    virtual std::string selectTop(long rows, std::string_view columnsAndRest) const = 0;
    virtual std::string isNull(std::string_view expression, std::string_view replacement) const = 0;
    // The expression as text without blanks at either end.
    virtual std::string trim(std::string_view expression) const = 0;
    // The last `count` characters of the expression, written as " right(x ,n)" where it can be.
    virtual std::string right(std::string_view expression, int count) const = 0;
};

// The dialect for a DBMS name (SQLGetInfo SQL_DBMS_NAME) and its identifier quote character;
// unknown databases get the generic ODBC dialect quoting with that character.
std::unique_ptr<SourceDialect> makeSourceDialect(std::string_view dbmsName,
                                                 std::string_view identifierQuote);

std::unique_ptr<SourceDialect> sourceDialectOf(const Connection& connection);

}  // namespace koru::db
