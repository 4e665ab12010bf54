#pragma once

#include <memory>
#include <string>
#include <vector>

#include "db/connection.h"
#include "db/forwarding_connection.h"
#include "db/destination_dialect.h"

namespace koru::db {

// The destination seen by a preview: everything runs inside one transaction that is rolled back
// at the end. The stages' own transactions become savepoints within it, so that nothing they
// commit outlives the preview; once the outer transaction has ended (a connection opened again,
// a failure that ended it), every further statement is refused rather than written for good.
class PreviewConnection : public ForwardingConnection {
public:
    PreviewConnection(std::unique_ptr<Connection> real, DestinationDialect::Kind kind);
    ~PreviewConnection() override;

    // Rolls back everything the preview did and hands the connection back.
    std::unique_ptr<Connection> rollBack();

    bool isOpen() const override;
    void execute(const std::string& sql) override;
    std::unique_ptr<Recordset> query(const std::string& sql) override;
    std::vector<std::string> tables(ObjectType type) override;
    std::vector<FieldInfo> columns(const std::string& table) override;
    std::unique_ptr<Statement> prepare(const std::string& sql) override;
    void beginTransaction() override;
    void commit() override;
    void rollback() override;
    bool inTransaction() const override;

    // Throws unless the preview's transaction is still open.
    void checkOpen() const;

private:
    DestinationDialect::Kind m_kind;
    bool m_inStage = false;  // a savepoint stands for a stage's own transaction
};

// Rolls back a preview and puts its connection in its place; anything else stays as it is.
void endPreview(std::unique_ptr<Connection>& connection);
// True when the connection is a preview's.
bool isPreview(const Connection* connection);

}  // namespace koru::db
