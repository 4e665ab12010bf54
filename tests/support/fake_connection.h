#pragma once

#include <memory>
#include <string>
#include <vector>

#include "db/connection.h"

namespace koru::test {

// A connection with state and a connection string only, for the code that merely reports on
// connections; statements are refused.
class FakeConnection : public db::Connection {
public:
    explicit FakeConnection(std::string connectionString, std::size_t providerErrorCount = 0)
        : m_connectionString(std::move(connectionString)),
          m_errors(providerErrorCount, db::ProviderError{"HY000", 1, "provider error"}) {}

    void open(const std::string& connectionString) override {
        m_connectionString = connectionString;
        m_open = true;
    }
    void close() override {
        m_open = false;
        ++*closeCalls;
    }
    bool isOpen() const override { return m_open; }
    void execute(const std::string& sql) override { refuse(sql); }
    std::unique_ptr<db::Recordset> query(const std::string& sql) override { refuse(sql); }
    std::vector<std::string> tables(db::ObjectType) override { refuse("tables"); }
    std::vector<db::FieldInfo> columns(const std::string& table) override { refuse(table); }
    const std::string& connectionString() const override { return m_connectionString; }
    const std::vector<db::ProviderError>& providerErrors() const override { return m_errors; }

    // Shared, so that a test can count closes after the connection is released.
    std::shared_ptr<int> closeCalls = std::make_shared<int>(0);

private:
    [[noreturn]] static void refuse(const std::string& what) {
        throw db::DbError(db::kErrConnectionNotUsable, "fake connection runs nothing", {}, what);
    }

    std::string m_connectionString;
    std::vector<db::ProviderError> m_errors;
    bool m_open = true;
};

}  // namespace koru::test
