#include "db/destination_dialect.h"

#include "db/sql_quoting.h"

namespace koru::db {
namespace {

class MssqlDestination : public DestinationDialect {
public:
    Kind kind() const override { return Kind::Mssql; }
    std::string quoteIdentifier(std::string_view name) const override { return bracketQuoted(name); }
    std::string concat(const std::vector<std::string>& expressions) const override {
        return joined(expressions, " + ");
    }
    std::string selectTop(long rows, std::string_view columnsAndRest) const override {
        return "SELECT TOP " + std::to_string(rows) + " " + std::string(columnsAndRest);
    }
    // Written as the product has always sent it.
    std::string truncateTable(std::string_view table) const override {
        return "Truncate Table " + std::string(table);
    }
    std::string useDatabase(std::string_view database) const override {
        return "Use [" + std::string(database) + "]";
    }
    std::string isNull(std::string_view expression, std::string_view replacement) const override {
        return "ISNULL(" + std::string(expression) + ", " + std::string(replacement) + ")";
    }
};

class SqliteDestination : public DestinationDialect {
public:
    Kind kind() const override { return Kind::Sqlite; }
    // Not brackets: SQLite reads [a]b] without a way to escape the ']'.
    std::string quoteIdentifier(std::string_view name) const override {
        return charQuoted(name, '"');
    }
    std::string concat(const std::vector<std::string>& expressions) const override {
        return joined(expressions, " || ");
    }
    std::string selectTop(long rows, std::string_view columnsAndRest) const override {
        return "SELECT " + std::string(columnsAndRest) + " LIMIT " + std::to_string(rows);
    }
    // SQLite has no TRUNCATE; a DELETE without WHERE empties the table as fast.
    std::string truncateTable(std::string_view table) const override {
        return "DELETE FROM " + quoteIdentifier(table);
    }
    // The database is the file already: reading its catalogue proves it is one.
    std::string useDatabase(std::string_view) const override { return "SELECT count(*) FROM sqlite_master"; }
    std::string isNull(std::string_view expression, std::string_view replacement) const override {
        return "IFNULL(" + std::string(expression) + ", " + std::string(replacement) + ")";
    }
};

}  // namespace

std::unique_ptr<DestinationDialect> makeDestinationDialect(DestinationDialect::Kind kind) {
    if (kind == DestinationDialect::Kind::Mssql) return std::make_unique<MssqlDestination>();
    return std::make_unique<SqliteDestination>();
}

}  // namespace koru::db
