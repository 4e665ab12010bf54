#include "db/preview_connection.h"

namespace koru::db {
namespace {

// The one savepoint a stage's transaction needs: stages do not nest them.
const std::string kSavepoint = "koru_preview_1";

class PreviewStatement : public Statement {
public:
    PreviewStatement(const PreviewConnection& connection, std::unique_ptr<Statement> real)
        : m_connection(connection), m_real(std::move(real)) {}

    std::int64_t execute(const std::vector<Value>& parameters) override {
        m_connection.checkOpen();
        return m_real->execute(parameters);
    }
    std::unique_ptr<Recordset> query(const std::vector<Value>& parameters) override {
        m_connection.checkOpen();
        return m_real->query(parameters);
    }

private:
    const PreviewConnection& m_connection;
    std::unique_ptr<Statement> m_real;
};

}  // namespace

PreviewConnection::PreviewConnection(std::unique_ptr<Connection> real, DestinationDialect::Kind kind)
    : ForwardingConnection(std::move(real)), m_kind(kind) {
    m_real->beginTransaction();
}

PreviewConnection::~PreviewConnection() {
    if (!m_real) return;
    try {
        m_real->rollback();
    } catch (const std::exception&) {
        // nothing was committed: closing the connection ends the transaction all the same
        m_real->close();
    }
}

std::unique_ptr<Connection> PreviewConnection::rollBack() {
    if (m_real->isOpen() && m_real->inTransaction()) m_real->rollback();
    m_inStage = false;
    return std::move(m_real);
}

void PreviewConnection::checkOpen() const {
    if (!m_real || !m_real->isOpen() || !m_real->inTransaction()) {
        throw DbError(kErrGeneralFailure,
                          "The preview's transaction on the destination has ended; the preview stopped so that "
                          "nothing is written.");
    }
}

bool PreviewConnection::isOpen() const { return m_real && m_real->isOpen(); }

void PreviewConnection::execute(const std::string& sql) {
    checkOpen();
    m_real->execute(sql);
}

std::unique_ptr<Recordset> PreviewConnection::query(const std::string& sql) {
    checkOpen();
    return m_real->query(sql);
}

std::vector<std::string> PreviewConnection::tables(ObjectType type) {
    checkOpen();
    return m_real->tables(type);
}

std::vector<FieldInfo> PreviewConnection::columns(const std::string& table) {
    checkOpen();
    return m_real->columns(table);
}

std::unique_ptr<Statement> PreviewConnection::prepare(const std::string& sql) {
    checkOpen();
    return std::make_unique<PreviewStatement>(*this, m_real->prepare(sql));
}

void PreviewConnection::beginTransaction() {
    if (m_inStage) throw DbError(kErrGeneralFailure, "A transaction is already active on this connection.");
    checkOpen();
    m_real->execute(m_kind == DestinationDialect::Kind::Mssql ? "SAVE TRANSACTION " + kSavepoint
                                                              : "SAVEPOINT " + kSavepoint);
    m_inStage = true;
}

void PreviewConnection::commit() {
    if (!m_inStage) throw DbError(kErrGeneralFailure, "No transaction is active.");
    checkOpen();
    // SQL Server keeps a savepoint until the transaction ends: there is nothing to release.
    if (m_kind != DestinationDialect::Kind::Mssql) m_real->execute("RELEASE " + kSavepoint);
    m_inStage = false;
}

void PreviewConnection::rollback() {
    if (!m_inStage) return;
    m_inStage = false;
    checkOpen();
    if (m_kind == DestinationDialect::Kind::Mssql) {
        m_real->execute("ROLLBACK TRANSACTION " + kSavepoint);
    } else {
        m_real->execute("ROLLBACK TO " + kSavepoint);
        m_real->execute("RELEASE " + kSavepoint);
    }
}

bool PreviewConnection::inTransaction() const { return m_inStage && m_real->inTransaction(); }

void endPreview(std::unique_ptr<Connection>& connection) {
    auto* preview = dynamic_cast<PreviewConnection*>(connection.get());
    if (!preview) return;
    try {
        connection = preview->rollBack();
    } catch (const std::exception&) {
        // Closing ends the transaction without keeping anything; connecting again is the user's.
        connection.reset();
    }
}

bool isPreview(const Connection* connection) { return dynamic_cast<const PreviewConnection*>(connection) != nullptr; }

}  // namespace koru::db
