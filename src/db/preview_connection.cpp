#include "db/preview_connection.h"

namespace koru::db {
namespace {

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
    : m_real(std::move(real)), m_kind(kind) {
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
    m_depth = 0;
    return std::move(m_real);
}

void PreviewConnection::checkOpen() const {
    if (!m_real || !m_real->isOpen() || !m_real->inTransaction()) {
        throw DbError(kErrGeneralFailure,
                          "The preview's transaction on the destination has ended; the preview stopped so that "
                          "nothing is written.");
    }
}

std::string PreviewConnection::savepoint(std::size_t depth) const { return "koru_preview_" + std::to_string(depth); }

void PreviewConnection::open(const std::string& connectionString) { m_real->open(connectionString); }
void PreviewConnection::close() { m_real->close(); }
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

const std::string& PreviewConnection::connectionString() const { return m_real->connectionString(); }
const std::vector<ProviderError>& PreviewConnection::providerErrors() const { return m_real->providerErrors(); }

std::unique_ptr<Statement> PreviewConnection::prepare(const std::string& sql) {
    checkOpen();
    return std::make_unique<PreviewStatement>(*this, m_real->prepare(sql));
}

std::int64_t PreviewConnection::affectedRows() const { return m_real->affectedRows(); }
std::int64_t PreviewConnection::lastInsertId() { return m_real->lastInsertId(); }

void PreviewConnection::beginTransaction() {
    if (m_depth > 0) throw DbError(kErrGeneralFailure, "A transaction is already active on this connection.");
    checkOpen();
    m_real->execute(m_kind == DestinationDialect::Kind::Mssql ? "SAVE TRANSACTION " + savepoint(1)
                                                                   : "SAVEPOINT " + savepoint(1));
    m_depth = 1;
}

void PreviewConnection::commit() {
    if (m_depth == 0) throw DbError(kErrGeneralFailure, "No transaction is active.");
    checkOpen();
    // SQL Server keeps a savepoint until the transaction ends: there is nothing to release.
    if (m_kind != DestinationDialect::Kind::Mssql) m_real->execute("RELEASE " + savepoint(1));
    m_depth = 0;
}

void PreviewConnection::rollback() {
    if (m_depth == 0) return;
    m_depth = 0;
    checkOpen();
    if (m_kind == DestinationDialect::Kind::Mssql) {
        m_real->execute("ROLLBACK TRANSACTION " + savepoint(1));
    } else {
        m_real->execute("ROLLBACK TO " + savepoint(1));
        m_real->execute("RELEASE " + savepoint(1));
    }
}

bool PreviewConnection::inTransaction() const { return m_depth > 0 && m_real->inTransaction(); }
void PreviewConnection::cancel() { m_real->cancel(); }
void PreviewConnection::setCommandTimeout(int seconds) { m_real->setCommandTimeout(seconds); }
int PreviewConnection::commandTimeout() const { return m_real->commandTimeout(); }
void PreviewConnection::setConnectionTimeout(int seconds) { m_real->setConnectionTimeout(seconds); }
std::string PreviewConnection::dbmsName() const { return m_real->dbmsName(); }
std::string PreviewConnection::identifierQuote() const { return m_real->identifierQuote(); }

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
