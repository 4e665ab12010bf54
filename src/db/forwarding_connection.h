#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "db/connection.h"

namespace koru::db {

// A real connection behind another: every call goes through unless the subclass overrides it.
class ForwardingConnection : public Connection {
public:
    explicit ForwardingConnection(std::unique_ptr<Connection> real) : m_real(std::move(real)) {}

    void open(const std::string& connectionString) override { m_real->open(connectionString); }
    void close() override { m_real->close(); }
    bool isOpen() const override { return m_real->isOpen(); }
    void execute(const std::string& sql) override { m_real->execute(sql); }
    std::unique_ptr<Recordset> query(const std::string& sql) override { return m_real->query(sql); }
    std::vector<std::string> tables(ObjectType type) override { return m_real->tables(type); }
    std::vector<FieldInfo> columns(const std::string& table) override { return m_real->columns(table); }
    const std::string& connectionString() const override { return m_real->connectionString(); }
    const std::vector<ProviderError>& providerErrors() const override { return m_real->providerErrors(); }
    std::unique_ptr<Statement> prepare(const std::string& sql) override { return m_real->prepare(sql); }
    std::int64_t affectedRows() const override { return m_real->affectedRows(); }
    std::int64_t lastInsertId() override { return m_real->lastInsertId(); }
    void beginTransaction() override { m_real->beginTransaction(); }
    void commit() override { m_real->commit(); }
    void rollback() override { m_real->rollback(); }
    bool inTransaction() const override { return m_real->inTransaction(); }
    void cancel() override { m_real->cancel(); }
    void setCommandTimeout(int seconds) override { m_real->setCommandTimeout(seconds); }
    int commandTimeout() const override { return m_real->commandTimeout(); }
    void setConnectionTimeout(int seconds) override { m_real->setConnectionTimeout(seconds); }
    std::string dbmsName() const override { return m_real->dbmsName(); }
    std::string identifierQuote() const override { return m_real->identifierQuote(); }

protected:
    std::unique_ptr<Connection> m_real;
};

}  // namespace koru::db
