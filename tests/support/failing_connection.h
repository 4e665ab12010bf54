#pragma once

#include <csignal>
#include <memory>
#include <string>

#include "db/forwarding_connection.h"
#include "diag/stop_request.h"

namespace koru::test {

// A real connection that refuses one statement a number of times with a chosen error, as a
// server would; everything else goes through. A statement ending in "*" refuses every statement
// that begins with the text before it.
class FailingConnection : public db::ForwardingConnection {
public:
    FailingConnection(std::unique_ptr<db::Connection> real, std::string statement, std::int32_t code, int times)
        : db::ForwardingConnection(std::move(real)), m_statement(std::move(statement)), m_code(code), m_times(times) {}

    void execute(const std::string& sql) override {
        if (matches(sql)) refuse(sql);
        m_real->execute(sql);
    }
    std::unique_ptr<db::Recordset> query(const std::string& sql) override {
        if (matches(sql)) refuse(sql);
        return m_real->query(sql);
    }
    // A prepared statement is refused when it runs, as the plain statement would be.
    std::unique_ptr<db::Statement> prepare(const std::string& sql) override {
        auto real = m_real->prepare(sql);
        if (!matches(sql)) return real;
        return std::make_unique<FailingStatement>(*this, std::move(real), sql);
    }

    int attempts = 0;

private:
    class FailingStatement : public db::Statement {
    public:
        FailingStatement(FailingConnection& owner, std::unique_ptr<db::Statement> real, std::string sql)
            : m_owner(owner), m_real(std::move(real)), m_sql(std::move(sql)) {}
        std::int64_t execute(const std::vector<db::Value>& parameters) override {
            m_owner.refuse(m_sql);
            return m_real->execute(parameters);
        }
        std::unique_ptr<db::Recordset> query(const std::vector<db::Value>& parameters) override {
            m_owner.refuse(m_sql);
            return m_real->query(parameters);
        }

    private:
        FailingConnection& m_owner;
        std::unique_ptr<db::Statement> m_real;
        std::string m_sql;
    };

    // Code 0 refuses nothing: the statement runs, and a stop is asked for as SIGTERM asks.
    void refuse(const std::string& sql) {
        ++attempts;
        if (m_times-- <= 0) return;
        if (m_code == 0) {
            diag::requestStop(SIGTERM);
            return;
        }
        throw db::DbError(m_code, "refused by the test", {}, sql);
    }
    bool matches(const std::string& sql) const {
        if (!m_statement.empty() && m_statement.back() == '*') {
            return sql.compare(0, m_statement.size() - 1, m_statement, 0, m_statement.size() - 1) == 0;
        }
        return sql == m_statement;
    }

    std::string m_statement;
    std::int32_t m_code;
    int m_times;
};

}  // namespace koru::test
