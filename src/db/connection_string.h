#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace koru::db {

// A value written between single quotes, as the product writes its connection strings; one that
// holds a single quote goes between double quotes instead, any double quote doubled.
std::string quotedConnectionValue(std::string_view value);

// The value as it stands when it reads back as itself (no ';', quote or brace, no blanks at its
// ends), quoted otherwise, so that it never adds keys of its own.
std::string connectionValue(std::string_view value);

// The connection string with the value of every password key (Password, PWD) replaced by
// "*****", whatever its quoting; everything else is kept as it stands.
std::string maskPasswords(std::string_view connectionString);

// A connection string as key/value pairs in their order. Keys compare without case; values are
// stored unquoted. Parsing accepts values quoted with ' or " (a doubled quote stands for one)
// and ODBC braces ({...}, "}}" for "}") and refuses anything unbalanced with DbError.
class ConnectionString {
public:
    struct Item {
        std::string key;
        std::string value;
    };

    static ConnectionString parse(std::string_view text);

    bool has(std::string_view key) const;
    // The value of the first item with this key.
    std::optional<std::string> get(std::string_view key) const;
    // The first value found under any of these keys, in the order given.
    std::optional<std::string> getAny(std::initializer_list<std::string_view> keys) const;
    // Replaces the first item with this key, or appends one.
    void set(std::string_view key, std::string value);
    void remove(std::string_view key);
    const std::vector<Item>& items() const { return m_items; }

    // key=value;... as ODBC reads it: a value holding ';', '{' or '}' (or edge spaces) is
    // enclosed in braces with '}' doubled; Driver values are always braced.
    std::string toOdbc() const;

private:
    std::vector<Item> m_items;
};

// ODBC drivers whose behaviour the connection layer adapts to.
enum class DriverFamily { PostgreSql, Sqlite, FreeTds, MsSql, MySql, Access, Other };

DriverFamily driverFamilyOf(std::string_view driverNameOrPath);

// What the installed ODBC configuration says; the connection layer asks unixODBC, tests give
// their own answers.
class OdbcDriverCatalog {
public:
    virtual ~OdbcDriverCatalog() = default;
    virtual std::vector<std::string> installedDrivers() const = 0;
    // The Driver entry of a data source name; empty when the DSN is unknown.
    virtual std::string driverOfDsn(const std::string& dsn) const = 0;
    // KORU_MSSQL_DRIVER when set.
    virtual std::optional<std::string> mssqlDriverOverride() const = 0;
    // The servers FreeTDS knows by name from its configuration.
    virtual std::vector<std::string> freeTdsServers() const { return {}; }
};

// How the text of a file is encoded.
enum class TextEncoding { Utf8, Windows1252 };

// What a Text or DBF string says about reading its files; unset: found from the files.
struct FlatFileOptions {
    std::optional<bool> header;         // HDR: the first line names the columns (default yes)
    std::optional<char> delimiter;      // Delimiter, or Jet's FMT=Delimited(x) / TabDelimited
    std::optional<TextEncoding> encoding;
    // Jet names a text file's table "name#csv": such strings also get the tables by those names.
    bool jetTableNames = false;
};

// What a connection string opens, in the client library's terms.
struct OpenTarget {
    enum class Kind { SqliteFile, EmbeddedDestination, Odbc, TextFiles, DbfFiles };
    Kind kind = Kind::Odbc;
    std::filesystem::path file;      // SQLite kinds; the file or folder of Text and DBF; an Access database
    FlatFileOptions flatFile;        // Text and DBF
    std::string database;            // embedded destination: the Initial Catalog
    std::string odbcString;          // ODBC: the string for SQLDriverConnect
    DriverFamily driver = DriverFamily::Other;
    std::optional<int> connectTimeout;  // seconds, from "Connect Timeout"
};

// SQL Server ODBC drivers in the order of preference when KORU_MSSQL_DRIVER is not set.
inline constexpr std::string_view kMssqlDrivers[] = {
    "ODBC Driver 18 for SQL Server", "ODBC Driver 17 for SQL Server", "FreeTDS"};

// Translates an OLE DB style string. Throws DbError before any driver is involved when the
// string is malformed, names an unknown provider or lacks what its provider needs.
OpenTarget translateConnectionString(std::string_view connectionString,
                                     const OdbcDriverCatalog& catalog);

}  // namespace koru::db
