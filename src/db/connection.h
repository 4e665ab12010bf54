#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/db_error.h"

namespace koru::db {

enum class ObjectType { Table, View };

// A column as the schema rowsets and record sets describe it.
struct FieldInfo {
    std::string name;
    int adoType = 0;
    long definedSize = 0;
    int precision = 0;
    int numericScale = 0;
    bool nullable = true;
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
    // The value of the current row as text; nullopt for null.
    virtual std::optional<std::string> value(std::size_t position) const = 0;
};

// The one interface through which every statement runs.
class Connection {
public:
    virtual ~Connection() = default;
    virtual void open(const std::string& connectionString) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual void execute(const std::string& sql) = 0;
    virtual std::unique_ptr<Recordset> query(const std::string& sql) = 0;
    virtual std::vector<std::string> tables(ObjectType type) = 0;
    virtual std::vector<FieldInfo> columns(const std::string& table) = 0;
    // The connection string as the caller gave it.
    virtual const std::string& connectionString() const = 0;
    // The provider's error list since the last successful call.
    virtual const std::vector<ProviderError>& providerErrors() const = 0;
};

}  // namespace koru::db
