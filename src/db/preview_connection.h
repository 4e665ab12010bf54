#pragma once

#include <memory>
#include <string>
#include <vector>

#include "db/connection.h"
#include "db/destination_dialect.h"

namespace koru::db {

// The destination seen by a preview: everything runs inside one transaction that is rolled back
// at the end. The stages' own transactions become savepoints within it, so that nothing they
// commit outlives the preview; once the outer transaction has ended (a connection opened again,
// a failure that ended it), every further statement is refused rather than written for good.
class PreviewConnection : public Connection {
public:
    PreviewConnection(std::unique_ptr<Connection> real, DestinationDialect::Kind kind);
    ~PreviewConnection() override;

    // Rolls back everything the preview did and hands the connection back.
    std::unique_ptr<Connection> rollBack();

    void open(const std::string& connectionString) override;
    void close() override;
    bool isOpen() const override;
    void execute(const std::string& sql) override;
    std::unique_ptr<Recordset> query(const std::string& sql) override;
    std::vector<std::string> tables(ObjectType type) override;
    std::vector<FieldInfo> columns(const std::string& table) override;
    const std::string& connectionString() const override;
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

    // Throws unless the preview's transaction is still open.
    void checkOpen() const;

private:
    std::string savepoint(std::size_t depth) const;

    std::unique_ptr<Connection> m_real;
    DestinationDialect::Kind m_kind;
    std::size_t m_depth = 0;  // savepoints standing for the stages' own transactions
};

// Rolls back a preview and puts its connection in its place; anything else stays as it is.
void endPreview(std::unique_ptr<Connection>& connection);
// True when the connection is a preview's.
bool isPreview(const Connection* connection);

}  // namespace koru::db
