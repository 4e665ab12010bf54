#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "db/db_error.h"

namespace koru::db {

enum class ObjectType { Table, View };

using Bytes = std::vector<unsigned char>;

// A bound parameter: null, integer, real, UTF-8 text or bytes.
using Value = std::variant<std::monostate, std::int64_t, double, std::string, Bytes>;

// A column as the schema rowsets and record sets describe it.
struct FieldInfo {
    std::string name;
    int adoType = 0;
    long definedSize = 0;
    int precision = 0;
    int numericScale = 0;
    bool nullable = true;
    std::string typeName{};  // as the database names it ("varchar", "INTEGER", "int4")
};

// Forward-only rows of a query; fields by position or by name (case-insensitive).
class Recordset {
public:
    virtual ~Recordset() = default;
    // Moves to the next row; false at the end. Call once before reading the first row.
    virtual bool next() = 0;
    virtual std::size_t fieldCount() const = 0;
    virtual const FieldInfo& field(std::size_t position) const = 0;
    // Position of the named field, or nullopt.
    virtual std::optional<std::size_t> fieldIndex(std::string_view name) const = 0;
    // The value of the current row as text; nullopt for null. Bytes come as they are stored.
    virtual std::optional<std::string> value(std::size_t position) const = 0;
    // The same without a copy; the view lives until the next call to next().
    virtual std::optional<std::string_view> text(std::size_t position) const = 0;

    bool isNull(std::size_t position) const { return !text(position).has_value(); }
    // The named field's value; DbError kErrItemNotFound when there is no such field.
    std::optional<std::string> value(std::string_view name) const;
};

// A statement prepared once and run many times with '?' parameters bound by position.
class Statement {
public:
    virtual ~Statement() = default;
    // Runs the statement; returns the number of rows it changed (-1 when unknown).
    virtual std::int64_t execute(const std::vector<Value>& parameters) = 0;
    // Runs the statement as a query. Running the statement again closes the record set.
    virtual std::unique_ptr<Recordset> query(const std::vector<Value>& parameters) = 0;
};

// The one interface through which every statement runs.
//
// The members after providerErrors() have defaults (refusing with kErrConnectionNotUsable where
// there is work to do), so that stand-ins which only report on a connection need not
// implement them.
class Connection {
public:
    virtual ~Connection() = default;
    virtual void open(const std::string& connectionString) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual void execute(const std::string& sql) = 0;
    virtual std::unique_ptr<Recordset> query(const std::string& sql) = 0;
    // Names of the tables or views, in the order the database lists them.
    virtual std::vector<std::string> tables(ObjectType type) = 0;
    // Columns of a table or view in their defined order; empty when there is no such table.
    virtual std::vector<FieldInfo> columns(const std::string& table) = 0;
    // The connection string as the caller gave it.
    virtual const std::string& connectionString() const = 0;
    // The provider's error list since the last successful call.
    virtual const std::vector<ProviderError>& providerErrors() const = 0;

    virtual std::unique_ptr<Statement> prepare(const std::string& sql);
    // Rows changed by the last execute(); -1 when the database does not say.
    virtual std::int64_t affectedRows() const;
    // The identity (row id) the last insert on this connection generated.
    virtual std::int64_t lastInsertId();
    virtual void beginTransaction();
    virtual void commit();
    virtual void rollback();
    virtual bool inTransaction() const;
    // Stops the statement running on this connection; callable from any thread.
    virtual void cancel();
    // Seconds a statement may run (0: no limit). Defaults as ADO: 30.
    virtual void setCommandTimeout(int seconds);
    virtual int commandTimeout() const;
    // Seconds a connect may take (0: no limit), for the next open(). Defaults as ADO: 15.
    virtual void setConnectionTimeout(int seconds);
    // The database product as the driver names it ("PostgreSQL", "SQLite", ...).
    virtual std::string dbmsName() const;
    // The character that quotes identifiers; empty when the database has none.
    virtual std::string identifierQuote() const;
};

// Lets the statements of a scope run as long as they need: a call that returns nothing until it
// has done all its work. The timeout holds again afterwards.
class UntimedCommands {
public:
    explicit UntimedCommands(Connection& connection);
    ~UntimedCommands();
    UntimedCommands(const UntimedCommands&) = delete;
    UntimedCommands& operator=(const UntimedCommands&) = delete;

private:
    Connection& m_connection;
    int m_seconds;
};

// Holds a transaction open for a scope: rolls back on destruction unless commit() ran.
class Transaction {
public:
    explicit Transaction(Connection& connection);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Connection& m_connection;
    bool m_finished = false;
};

}  // namespace koru::db
