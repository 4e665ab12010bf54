#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace koru::db {

// The destination database's SQL where it is not portable. Mssql writes the statements as the
// product's home server reads them; Sqlite writes statements with the same effect for the
// embedded destination.
class DestinationDialect {
public:
    enum class Kind { Mssql, Sqlite };

    virtual ~DestinationDialect() = default;
    virtual Kind kind() const = 0;
    // An identifier quoted so that any name survives ("a]b" → [a]]b] or "a]b").
    virtual std::string quoteIdentifier(std::string_view name) const = 0;
    // Text expressions joined into one.
    virtual std::string concat(const std::vector<std::string>& expressions) const = 0;
    // "SELECT <columnsAndRest>" limited to the first `rows` rows.
    virtual std::string selectTop(long rows, std::string_view columnsAndRest) const = 0;
    // Removes every row of one of the system's own tables (a plain name such as XFRMappings).
    virtual std::string truncateTable(std::string_view table) const = 0;
    // Selects the destination database after connecting.
    virtual std::string useDatabase(std::string_view database) const = 0;
    // `expression`, or `replacement` where it is null.
    virtual std::string isNull(std::string_view expression, std::string_view replacement) const = 0;
};

std::unique_ptr<DestinationDialect> makeDestinationDialect(DestinationDialect::Kind kind);

}  // namespace koru::db
