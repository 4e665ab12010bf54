#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/connection.h"
#include "db/field_lookup.h"

namespace koru::test {

using Row = std::vector<std::optional<std::string>>;

// Rows given by the test, read forward-only.
class TableRecordset : public db::FieldListRecordset {
public:
    TableRecordset(std::vector<std::string> columns, std::vector<Row> rows) : m_rows(std::move(rows)) {
        for (auto& name : columns) m_fields.push_back(db::FieldInfo{name, 200, 255});
    }
    bool next() override { return ++m_position < static_cast<long>(m_rows.size()); }
    std::optional<std::string_view> text(std::size_t position) const override {
        const auto& cell = m_rows.at(m_position).at(position);
        if (!cell) return std::nullopt;
        return std::string_view(*cell);
    }

private:
    std::vector<Row> m_rows;
    long m_position = -1;
};

// A server that answers the queries a test scripted, for paths no local database takes
// (SQL Server's own procedures); anything else fails as a bad command.
class ScriptedConnection : public db::Connection {
public:
    struct Answer {
        std::vector<std::string> columns;
        std::vector<Row> rows;
    };
    void answer(const std::string& sql, Answer rows) { m_answers[sql] = std::move(rows); }

    void open(const std::string& connectionString) override { m_connectionString = connectionString; }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    void execute(const std::string& sql) override { executed.push_back(sql); }
    std::unique_ptr<db::Recordset> query(const std::string& sql) override {
        queried.push_back(sql);
        auto found = m_answers.find(sql);
        if (found == m_answers.end()) throw db::DbError(db::kErrNoSuchTable, "not scripted: " + sql, {}, sql);
        return std::make_unique<TableRecordset>(found->second.columns, found->second.rows);
    }
    std::vector<std::string> tables(db::ObjectType) override { return {}; }
    std::vector<db::FieldInfo> columns(const std::string&) override { return {}; }
    const std::string& connectionString() const override { return m_connectionString; }
    const std::vector<db::ProviderError>& providerErrors() const override { return m_errors; }

    std::vector<std::string> executed;
    std::vector<std::string> queried;

private:
    std::map<std::string, Answer> m_answers;
    std::string m_connectionString;
    std::vector<db::ProviderError> m_errors;
    bool m_open = true;
};

}  // namespace koru::test
