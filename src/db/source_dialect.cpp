#include "db/source_dialect.h"

#include <algorithm>
#include <cctype>

#include "db/connection.h"
#include "db/sql_quoting.h"

namespace koru::db {
namespace {

class StandardSource : public SourceDialect {
public:
    StandardSource(Kind kind, char quote) : m_kind(kind), m_quote(quote) {}

    Kind kind() const override { return m_kind; }

    std::string quoteIdentifier(std::string_view name) const override {
        switch (m_kind) {
            case Kind::SqlServer:
            case Kind::Access: return bracketQuoted(name);
            case Kind::MySql: return charQuoted(name, '`');
            case Kind::Generic: return m_quote ? charQuoted(name, m_quote) : std::string(name);
            default: return charQuoted(name, '"');
        }
    }

    std::string concat(const std::vector<std::string>& expressions) const override {
        switch (m_kind) {
            // Access reads + on text as SQL Server does, null included.
            case Kind::SqlServer:
            case Kind::Access: return joined(expressions, " + ");
            case Kind::MySql: return "CONCAT(" + joined(expressions, ", ") + ")";
            case Kind::Generic: {
                // The ODBC escape takes two arguments; longer lists nest.
                if (expressions.empty()) return "''";
                std::string text = expressions.front();
                for (std::size_t i = 1; i < expressions.size(); ++i) {
                    text = "{fn CONCAT(" + text + ", " + expressions[i] + ")}";
                }
                return text;
            }
            default: return joined(expressions, " || ");
        }
    }

    std::string selectTop(long rows, std::string_view columnsAndRest) const override {
        std::string count = std::to_string(rows);
        switch (m_kind) {
            case Kind::SqlServer:
            case Kind::Access: return "SELECT TOP " + count + " " + std::string(columnsAndRest);
            case Kind::Generic:
                return "SELECT " + std::string(columnsAndRest) + " FETCH FIRST " + count +
                       " ROWS ONLY";
            default: return "SELECT " + std::string(columnsAndRest) + " LIMIT " + count;
        }
    }

    std::string isNull(std::string_view expression, std::string_view replacement) const override {
        std::string a(expression), b(replacement);
        switch (m_kind) {
            case Kind::SqlServer: return "ISNULL(" + a + ", " + b + ")";
            // Access's IsNull() only tests.
            case Kind::Access: return "IIf(IsNull(" + a + "), " + b + ", " + a + ")";
            case Kind::Sqlite:
            case Kind::MySql: return "IFNULL(" + a + ", " + b + ")";
            default: return "COALESCE(" + a + ", " + b + ")";
        }
    }

    std::string trim(std::string_view expression) const override {
        std::string a(expression);
        switch (m_kind) {
            case Kind::SqlServer:
            case Kind::Access: return "ltrim(rtrim(" + a + "))";
            // PostgreSQL trims text only; a number is cast first.
            case Kind::PostgreSql: return "btrim(CAST(" + a + " AS text))";
            case Kind::Generic: return "{fn LTRIM({fn RTRIM(" + a + ")})}";
            default: return "trim(" + a + ")";
        }
    }

    std::string right(std::string_view expression, int count) const override {
        // SQLite has no right(); a negative start counts from the end.
        if (m_kind == Kind::Sqlite) return " substr(" + std::string(expression) + ", -" + std::to_string(count) + ")";
        return " right(" + std::string(expression) + " ," + std::to_string(count) + ")";
    }

private:
    Kind m_kind;
    char m_quote;
};

}  // namespace

std::unique_ptr<SourceDialect> makeSourceDialect(std::string_view dbmsName,
                                                 std::string_view identifierQuote) {
    std::string name(dbmsName);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    auto has = [&](std::string_view part) { return name.find(part) != std::string::npos; };
    using Kind = SourceDialect::Kind;
    Kind kind = Kind::Generic;
    if (has("sql server")) {
        kind = Kind::SqlServer;
    } else if (has("access") || has("mdbtools")) {  // MDBTools reads Access's brackets and TOP
        kind = Kind::Access;
    } else if (has("sqlite") || name == "text" || name == "dbf") {
        // Text and DBF files are read through a SQLite copy.
        kind = Kind::Sqlite;
    } else if (has("postgres")) {
        kind = Kind::PostgreSql;
    } else if (has("mysql") || has("mariadb")) {
        kind = Kind::MySql;
    }
    char quote = identifierQuote.size() == 1 && identifierQuote[0] != ' ' ? identifierQuote[0] : 0;
    return std::make_unique<StandardSource>(kind, quote);
}

std::unique_ptr<SourceDialect> sourceDialectOf(const Connection& connection) {
    return makeSourceDialect(connection.dbmsName(), connection.identifierQuote());
}

}  // namespace koru::db
