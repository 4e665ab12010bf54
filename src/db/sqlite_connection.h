#pragma once

#include <memory>
#include <string>

#include "db/connection.h"

namespace koru::db {

struct SqliteSession;

// A SQLite file through the SQLite C API: a source file (Provider=SQLite) or the embedded
// destination (Data Source='sqlite:<folder>'). Neither is ever created by connecting. The
// embedded destination runs in WAL mode with foreign keys on; both wait for locks up to the
// command timeout and then fail with kErrTimeout.
class SqliteConnection : public Connection {
public:
    SqliteConnection();
    ~SqliteConnection() override;

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
    std::string dbmsName() const override { return "SQLite"; }
    std::string identifierQuote() const override { return "\""; }

protected:
    // Opens a new private database on disk, deleted when the connection closes, for a connection
    // that fills it itself; connectionString() reports `connectionString`.
    void openPrivateDatabase(const std::string& connectionString);
    // The declared type that columns() and record sets report for a column of this database in
    // place of SQLite's own; names compare without ASCII case.
    void reportColumnType(const std::string& table, const std::string& column, std::string declaredType);

private:
    void openDatabase(const std::string& file, int flags);

    std::shared_ptr<SqliteSession> m_session;
    std::string m_connectionString;
    bool m_embedded = false;
};

}  // namespace koru::db
