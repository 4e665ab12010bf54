#pragma once

#include <memory>
#include <string>

#include "db/connection.h"

namespace koru::test {

// A real connection that refuses one statement a number of times with a chosen error, as a
// server would; everything else goes through. A statement ending in "*" refuses every statement
// that begins with the text before it.
class FailingConnection : public db::Connection {
public:
    FailingConnection(std::unique_ptr<db::Connection> real, std::string statement, std::int32_t code, int times)
        : m_real(std::move(real)), m_statement(std::move(statement)), m_code(code), m_times(times) {}

    void open(const std::string& connectionString) override { m_real->open(connectionString); }
    void close() override { m_real->close(); }
    bool isOpen() const override { return m_real->isOpen(); }
    void execute(const std::string& sql) override {
        if (matches(sql)) {
            ++attempts;
            if (m_times-- > 0) throw db::DbError(m_code, "refused by the test", {}, sql);
        }
        m_real->execute(sql);
    }
    std::unique_ptr<db::Recordset> query(const std::string& sql) override { return m_real->query(sql); }
    std::vector<std::string> tables(db::ObjectType type) override { return m_real->tables(type); }
    std::vector<db::FieldInfo> columns(const std::string& table) override { return m_real->columns(table); }
    const std::string& connectionString() const override { return m_real->connectionString(); }
    const std::vector<db::ProviderError>& providerErrors() const override { return m_real->providerErrors(); }
    std::unique_ptr<db::Statement> prepare(const std::string& sql) override { return m_real->prepare(sql); }
    std::string dbmsName() const override { return m_real->dbmsName(); }
    std::int64_t affectedRows() const override { return m_real->affectedRows(); }
    std::int64_t lastInsertId() override { return m_real->lastInsertId(); }
    void beginTransaction() override { m_real->beginTransaction(); }
    void commit() override { m_real->commit(); }
    void rollback() override { m_real->rollback(); }
    bool inTransaction() const override { return m_real->inTransaction(); }
    void cancel() override { m_real->cancel(); }

    int attempts = 0;

private:
    bool matches(const std::string& sql) const {
        if (!m_statement.empty() && m_statement.back() == '*') {
            return sql.compare(0, m_statement.size() - 1, m_statement, 0, m_statement.size() - 1) == 0;
        }
        return sql == m_statement;
    }

    std::unique_ptr<db::Connection> m_real;
    std::string m_statement;
    std::int32_t m_code;
    int m_times;
};

}  // namespace koru::test
