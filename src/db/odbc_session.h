#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "db/error_map.h"
#include "db/odbc_support.h"
#include "db/watchdog.h"

namespace koru::db::odbc {

// A statement handle shared by the statement and the record sets it feeds, so that closing the
// connection can free it under them. `generation` changes whenever the statement runs anew.
struct StatementHandle {
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    std::uint64_t generation = 0;
    StatementHandle() = default;
    ~StatementHandle();
    StatementHandle(const StatementHandle&) = delete;
    StatementHandle& operator=(const StatementHandle&) = delete;
};

// The state of one ODBC connection, shared with its statements and record sets.
class Session {
public:
    ~Session();

    SQLHDBC dbc = SQL_NULL_HDBC;
    bool open = false;
    bool broken = false;  // the link died; nothing more can run
    bool inTransaction = false;
    Backend backend = Backend::OtherOdbc;
    std::string dbmsName;
    std::string identifierQuote;
    std::string searchEscape;
    SQLUINTEGER getDataExtensions = 0;
    int commandTimeout = 30;
    std::int64_t affected = -1;
    std::vector<ProviderError> errors;

    // Frees the statements, rolls back an open transaction and disconnects.
    void disconnect();
    // kErrConnectionNotUsable unless the connection is open and alive.
    void requireOpen(const std::string& sql) const;
    // A new statement handle with the command timeout set.
    std::shared_ptr<StatementHandle> allocate(const std::string& sql);
    // Runs one call on `stmt` that may take long, where cancel() and the watchdog can stop it.
    template <typename Call>
    SQLRETURN run(SQLHSTMT stmt, Call call) {
        std::uint64_t id = beginRun(stmt);
        SQLRETURN rc = call();
        endRun(id);
        return rc;
    }
    // Throws the classified DbError for a failed call; success, warnings and SQL_NO_DATA pass.
    void check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const std::string& sql);
    [[noreturn]] void fail(std::vector<ProviderError> records, const std::string& sql);
    void cancelRunning();
    // Frees every statement handle, leaving their record sets closed.
    void freeStatements();

private:
    std::uint64_t beginRun(SQLHSTMT stmt);
    void endRun(std::uint64_t id);

    std::mutex m_runMutex;  // guards the running handle against cancel() from other threads
    SQLHSTMT m_running = SQL_NULL_HSTMT;
    std::uint64_t m_runId = 0;
    bool m_timedOut = false;
    bool m_lastRunTimedOut = false;
    Watchdog::Token m_watch = 0;
    std::vector<std::weak_ptr<StatementHandle>> m_statements;
    Watchdog m_watchdog;  // last: its thread stops before the rest goes
};

}  // namespace koru::db::odbc
