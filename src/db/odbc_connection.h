#pragma once

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "db/connection.h"

namespace koru::db {

namespace odbc {
class Session;
}

// Any database an ODBC driver reaches, through unixODBC: the sources, and a SQL Server
// destination. Connects under the connection timeout even when the driver ignores it, and
// stops statements that outlive the command timeout by cancelling them.
class OdbcConnection : public Connection {
public:
    OdbcConnection();
    ~OdbcConnection() override;

    void open(const std::string& connectionString) override;
    void close() override;
    bool isOpen() const override;
    void execute(const std::string& sql) override;
    std::unique_ptr<Recordset> query(const std::string& sql) override;
    std::vector<std::string> tables(ObjectType type) override;
    std::vector<FieldInfo> columns(const std::string& table) override;
    const std::string& connectionString() const override { return m_connectionString; }
    const std::vector<ProviderError>& providerErrors() const override;

    std::unique_ptr<Statement> prepare(const std::string& sql) override;
    std::int64_t affectedRows() const override;
    std::int64_t lastInsertId() override;
    void beginTransaction() override;
    void commit() override;
    void rollback() override;
    bool inTransaction() const override;
    void cancel() override;
    void setCommandTimeout(int seconds) override;
    int commandTimeout() const override;
    void setConnectionTimeout(int seconds) override;
    std::string dbmsName() const override;
    std::string identifierQuote() const override;

private:
    void endTransaction(bool commitWork);
    // The statement as this database reads it: names in brackets written by its own rule.
    const std::string& sourceText(const std::string& sql, std::string& translated);
    // The database's spelling of a table or column name, found without regard to case: a
    // mapping made on another source may spell "company" as "Company".
    std::string catalogSpelling(const std::string& name);
    bool isCatalogTable(const std::string& name);

    struct Spellings {
        std::unordered_set<std::string> exact;
        std::unordered_map<std::string, std::string> folded;
        std::unordered_set<std::string> foldedTables;
    };
    std::optional<Spellings> m_spellings;  // read on first use, per connection

    std::shared_ptr<odbc::Session> m_session;
    std::string m_connectionString;
    int m_connectionTimeout = 15;
};

}  // namespace koru::db
