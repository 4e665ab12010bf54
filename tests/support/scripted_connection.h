#pragma once

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "db/connection.h"
#include "db/field_lookup.h"

namespace koru::test {

using Row = std::vector<std::optional<std::string>>;

// Rows given by the test, read forward-only. Fields are text (ADO 200) unless typed.
class TableRecordset : public db::FieldListRecordset {
public:
    TableRecordset(std::vector<std::string> columns, std::vector<Row> rows, const std::vector<int>& types = {})
        : m_rows(std::move(rows)) {
        for (std::size_t i = 0; i < columns.size(); ++i) {
            m_fields.push_back(db::FieldInfo{columns[i], i < types.size() ? types[i] : 200, 255});
        }
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
        std::vector<int> types = {};  // ADO type codes by column; text when missing
    };
    void answer(const std::string& sql, Answer rows) { m_answers[sql] = std::move(rows); }
    // Answers every query that begins with `prefix` (ignoring case) when no longer scripted
    // prefix matches; answers given for the same prefix are used in turn, the last one repeats.
    void answerStartingWith(const std::string& prefix, Answer rows) { m_prefixed.emplace_back(prefix, std::move(rows)); }

    void open(const std::string& connectionString) override { m_connectionString = connectionString; }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    void execute(const std::string& sql) override {
        executed.push_back(sql);
        executedTimeouts.push_back(m_timeout);
        transcript->push_back(sql);
    }
    void setCommandTimeout(int seconds) override { m_timeout = seconds; }
    int commandTimeout() const override { return m_timeout; }
    std::unique_ptr<db::Recordset> query(const std::string& sql) override {
        queried.push_back(sql);
        transcript->push_back(sql);
        return answerFor(sql, sql);
    }
    // A prepared statement: each run is recorded as its text, " | bound: " and the values.
    std::unique_ptr<db::Statement> prepare(const std::string& sql) override {
        return std::make_unique<ScriptedStatement>(*this, sql);
    }
    std::vector<std::string> tables(db::ObjectType) override { return {}; }
    std::vector<db::FieldInfo> columns(const std::string& table) override {
        auto found = tableColumns.find(table);
        return found == tableColumns.end() ? std::vector<db::FieldInfo>{} : found->second;
    }
    const std::string& connectionString() const override { return m_connectionString; }
    const std::vector<db::ProviderError>& providerErrors() const override { return m_errors; }
    std::string dbmsName() const override { return dbms; }

    std::vector<std::string> executed;
    std::vector<int> executedTimeouts;  // the command timeout each executed statement ran under
    std::vector<std::string> queried;
    // Every statement run, in order; shared, so that it outlives the connection.
    std::shared_ptr<std::vector<std::string>> transcript = std::make_shared<std::vector<std::string>>();
    std::string dbms;
    std::map<std::string, std::vector<db::FieldInfo>> tableColumns;

private:
    class ScriptedStatement : public db::Statement {
    public:
        ScriptedStatement(ScriptedConnection& connection, std::string sql)
            : m_connection(connection), m_sql(std::move(sql)) {}
        std::int64_t execute(const std::vector<db::Value>& parameters) override {
            m_connection.transcript->push_back(recorded(parameters));
            return 1;
        }
        std::unique_ptr<db::Recordset> query(const std::vector<db::Value>& parameters) override {
            std::string entry = recorded(parameters);
            m_connection.transcript->push_back(entry);
            return m_connection.answerFor(m_sql, entry);
        }

    private:
        std::string recorded(const std::vector<db::Value>& parameters) const {
            std::string text = m_sql + " | bound: ";
            for (std::size_t i = 0; i < parameters.size(); ++i) {
                if (i > 0) text += ", ";
                const db::Value& value = parameters[i];
                if (auto* number = std::get_if<std::int64_t>(&value)) {
                    text += std::to_string(*number);
                } else if (auto* real = std::get_if<double>(&value)) {
                    text += std::to_string(*real);
                } else if (auto* string = std::get_if<std::string>(&value)) {
                    text += "'" + *string + "'";
                } else {
                    text += "NULL";
                }
            }
            return text;
        }

        ScriptedConnection& m_connection;
        std::string m_sql;
    };

    static bool startsWith(const std::string& text, const std::string& prefix) {
        return text.size() >= prefix.size() &&
               std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
                   return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
               });
    }

    std::unique_ptr<db::Recordset> answerFor(const std::string& sql, const std::string& recorded) {
        auto found = m_answers.find(sql);
        if (found != m_answers.end()) {
            return std::make_unique<TableRecordset>(found->second.columns, found->second.rows, found->second.types);
        }
        std::vector<std::size_t> matching;
        std::size_t longest = 0;
        for (std::size_t i = 0; i < m_prefixed.size(); ++i) {
            const std::string& prefix = m_prefixed[i].first;
            if (!startsWith(sql, prefix) || prefix.size() < longest) continue;
            if (prefix.size() > longest) matching.clear();
            longest = prefix.size();
            matching.push_back(i);
        }
        if (matching.empty()) throw db::DbError(db::kErrNoSuchTable, "not scripted: " + recorded, {}, sql);
        Answer answer = m_prefixed[matching.front()].second;
        if (matching.size() > 1) m_prefixed.erase(m_prefixed.begin() + static_cast<long>(matching.front()));
        return std::make_unique<TableRecordset>(answer.columns, answer.rows, answer.types);
    }

    int m_timeout = 30;
    std::map<std::string, Answer> m_answers;
    std::vector<std::pair<std::string, Answer>> m_prefixed;
    std::string m_connectionString;
    std::vector<db::ProviderError> m_errors;
    bool m_open = true;
};

}  // namespace koru::test
