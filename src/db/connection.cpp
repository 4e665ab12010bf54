#include "db/connection.h"

namespace koru::db {
namespace {

[[noreturn]] void refuse(std::string_view what) {
    throw DbError(kErrConnectionNotUsable,
                  "This connection does not support " + std::string(what) + ".");
}

}  // namespace

std::optional<std::string> Recordset::value(std::string_view name) const {
    auto position = fieldIndex(name);
    if (!position) {
        throw DbError(kErrItemNotFound, "Item cannot be found in the collection corresponding to "
                                        "the requested name or ordinal: " + std::string(name));
    }
    return value(*position);
}

std::unique_ptr<Statement> Connection::prepare(const std::string&) { refuse("prepared statements"); }
std::int64_t Connection::affectedRows() const { return -1; }
std::int64_t Connection::lastInsertId() { refuse("insert identities"); }
void Connection::beginTransaction() { refuse("transactions"); }
void Connection::commit() { refuse("transactions"); }
void Connection::rollback() { refuse("transactions"); }
bool Connection::inTransaction() const { return false; }
void Connection::cancel() {}
void Connection::setCommandTimeout(int) {}
int Connection::commandTimeout() const { return 0; }
void Connection::setConnectionTimeout(int) {}
std::string Connection::dbmsName() const { return {}; }
std::string Connection::identifierQuote() const { return {}; }

Transaction::Transaction(Connection& connection) : m_connection(connection) {
    m_connection.beginTransaction();
}

Transaction::~Transaction() {
    if (m_finished) return;
    try {
        m_connection.rollback();
    } catch (const DbError&) {
        // A destructor cannot throw, and the scope is usually unwinding from the failure that
        // matters. A connection too broken to roll back has lost the transaction with it;
        // providerErrors() keeps the rollback's own failure.
    }
}

void Transaction::commit() {
    m_connection.commit();
    m_finished = true;
}

UntimedCommands::UntimedCommands(Connection& connection)
    : m_connection(connection), m_seconds(connection.commandTimeout()) {
    m_connection.setCommandTimeout(0);
}

UntimedCommands::~UntimedCommands() {
    try {
        if (m_connection.isOpen()) m_connection.setCommandTimeout(m_seconds);
    } catch (const std::exception&) {
        // the connection is gone; the next open starts with the default
    }
}

}  // namespace koru::db
