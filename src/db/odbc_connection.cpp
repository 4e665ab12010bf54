#include "db/odbc_connection.h"

#include <cctype>

#include "db/sql_quoting.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <thread>

#include "db/ado_types.h"
#include "db/connection_string.h"
#include "db/odbc_recordset.h"
#include "db/odbc_session.h"

namespace koru::db {
namespace odbc {

StatementHandle::~StatementHandle() {
    if (stmt) SQLFreeHandle(SQL_HANDLE_STMT, stmt);
}

Session::~Session() { disconnect(); }

void Session::disconnect() {
    if (!open) return;
    freeStatements();
    if (inTransaction && !broken) SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_ROLLBACK);
    inTransaction = false;
    // A dead link fails to disconnect cleanly; the handle is released all the same.
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    dbc = SQL_NULL_HDBC;
    open = false;
    broken = false;
}

void Session::requireOpen(const std::string& sql) const {
    if (!open || broken) {
        throw DbError(kErrConnectionNotUsable,
                      "The connection cannot be used to perform this operation. It is either "
                      "closed or invalid in this context.",
                      {}, sql);
    }
}

std::shared_ptr<StatementHandle> Session::allocate(const std::string& sql) {
    requireOpen(sql);
    auto handle = std::make_shared<StatementHandle>();
    check(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &handle->stmt), SQL_HANDLE_DBC, dbc, sql);
    if (commandTimeout > 0) {
        // Drivers that ignore it are stopped by the watchdog instead.
        SQLSetStmtAttr(handle->stmt, SQL_ATTR_QUERY_TIMEOUT,
                       reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(commandTimeout)), 0);
    }
    std::erase_if(m_statements, [](const auto& weak) { return weak.expired(); });
    m_statements.push_back(handle);
    return handle;
}

std::uint64_t Session::beginRun(SQLHSTMT stmt) {
    std::lock_guard lock(m_runMutex);
    m_running = stmt;
    std::uint64_t id = ++m_runId;
    m_timedOut = false;
    m_lastRunTimedOut = false;
    if (commandTimeout > 0) {
        // A second of grace lets a driver that honours the timeout report it in its own words.
        auto deadline = Watchdog::Clock::now() + std::chrono::seconds(commandTimeout + 1);
        m_watch = m_watchdog.arm(deadline, [this, id] {
            std::lock_guard guard(m_runMutex);
            if (m_runId == id && m_running) {
                m_timedOut = true;
                SQLCancel(m_running);
            }
        });
    }
    return id;
}

void Session::endRun(std::uint64_t id) {
    Watchdog::Token watch = 0;
    {
        std::lock_guard lock(m_runMutex);
        if (m_runId == id) m_running = SQL_NULL_HSTMT;
        m_lastRunTimedOut = m_timedOut;
        std::swap(watch, m_watch);
    }
    if (watch) m_watchdog.disarm(watch);
}

void Session::cancelRunning() {
    std::lock_guard lock(m_runMutex);
    if (m_running) SQLCancel(m_running);
}

void Session::check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const std::string& sql) {
    if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO || rc == SQL_NO_DATA) return;
    std::vector<ProviderError> records =
        rc == SQL_INVALID_HANDLE ? std::vector<ProviderError>{{"HY000", 0, "Invalid ODBC handle."}}
                                 : diagnostics(handleType, handle);
    if (m_lastRunTimedOut) {
        m_lastRunTimedOut = false;
        errors = records;
        throw DbError(kErrTimeout,
                      "Query timeout expired after " + std::to_string(commandTimeout) + " seconds.",
                      std::move(records), sql);
    }
    fail(std::move(records), sql);
}

void Session::fail(std::vector<ProviderError> records, const std::string& sql) {
    if (records.empty()) {
        records.push_back({"HY000", 0, "The driver reported a failure without saying why."});
    }
    if (open && connectionLost(records)) broken = true;
    errors = records;
    throw makeDbError(backend, std::move(records), sql);
}

void Session::freeStatements() {
    for (auto& weak : m_statements) {
        if (auto handle = weak.lock(); handle && handle->stmt) {
            SQLFreeHandle(SQL_HANDLE_STMT, handle->stmt);
            handle->stmt = SQL_NULL_HSTMT;
        }
    }
    m_statements.clear();
}

}  // namespace odbc

namespace {

using odbc::Session;
using odbc::StatementHandle;

std::u16string utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        auto byte = static_cast<unsigned char>(text[i]);
        char32_t code = 0xFFFD;
        std::size_t length = byte < 0x80 ? 1 : byte >> 5 == 0x6 ? 2 : byte >> 4 == 0xE ? 3
                                                                       : byte >> 3 == 0x1E ? 4 : 0;
        if (length == 1) {
            code = byte;
        } else if (length > 1 && i + length <= text.size()) {
            code = byte & (0xFF >> (length + 1));
            for (std::size_t k = 1; k < length; ++k) {
                code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
            }
        }
        i += length ? length : 1;
        if (code >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
    }
    return out;
}

// Skips the row counts a batch gives before its first result set.
void moveToResultSet(Session& session, SQLHSTMT stmt, const std::string& sql) {
    for (;;) {
        SQLSMALLINT columns = 0;
        session.check(SQLNumResultCols(stmt, &columns), SQL_HANDLE_STMT, stmt, sql);
        if (columns > 0) return;
        SQLRETURN rc = session.run(stmt, [&] { return SQLMoreResults(stmt); });
        if (rc == SQL_NO_DATA) return;
        session.check(rc, SQL_HANDLE_STMT, stmt, sql);
    }
}

// Drains every result of an executed statement, so that failures later in a batch surface;
// the rows changed, or -1 when no part said.
std::int64_t drainResults(Session& session, SQLHSTMT stmt, SQLRETURN executed, const std::string& sql) {
    if (executed == SQL_NO_DATA) return 0;  // a searched update or delete that matched nothing
    std::int64_t total = 0;
    bool known = false;
    for (;;) {
        SQLLEN count = -1;
        if (odbc::succeeded(SQLRowCount(stmt, &count)) && count >= 0) {
            total += count;
            known = true;
        }
        SQLRETURN rc = session.run(stmt, [&] { return SQLMoreResults(stmt); });
        if (rc == SQL_NO_DATA) break;
        session.check(rc, SQL_HANDLE_STMT, stmt, sql);
    }
    SQLFreeStmt(stmt, SQL_CLOSE);
    return known ? total : -1;
}

class OdbcStatement : public Statement {
public:
    OdbcStatement(std::shared_ptr<Session> session, std::shared_ptr<StatementHandle> handle,
                  std::string sql)
        : m_session(std::move(session)), m_handle(std::move(handle)), m_sql(std::move(sql)) {}

    std::int64_t execute(const std::vector<Value>& parameters) override {
        SQLHSTMT stmt = start(parameters);
        SQLRETURN rc = m_session->run(stmt, [&] { return SQLExecute(stmt); });
        m_session->check(rc, SQL_HANDLE_STMT, stmt, m_sql);
        m_session->affected = drainResults(*m_session, stmt, rc, m_sql);
        return m_session->affected;
    }

    std::unique_ptr<Recordset> query(const std::vector<Value>& parameters) override {
        SQLHSTMT stmt = start(parameters);
        SQLRETURN rc = m_session->run(stmt, [&] { return SQLExecute(stmt); });
        m_session->check(rc, SQL_HANDLE_STMT, stmt, m_sql);
        moveToResultSet(*m_session, stmt, m_sql);
        return odbc::makeRecordset(m_session, m_handle, m_sql);
    }

private:
    struct Parameter {
        std::string text;
        std::u16string wide;
        std::int64_t integer = 0;
        double real = 0;
        SQLLEN indicator = 0;
    };

    SQLHSTMT start(const std::vector<Value>& values) {
        m_session->requireOpen(m_sql);
        if (!m_handle->stmt) {
            throw DbError(kErrObjectClosed, "Operation is not allowed when the object is closed.");
        }
        m_session->errors.clear();
        SQLHSTMT stmt = m_handle->stmt;
        ++m_handle->generation;  // closes the record set of the previous run
        SQLSetStmtAttr(stmt, SQL_ATTR_QUERY_TIMEOUT,
                       reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(m_session->commandTimeout)), 0);
        SQLFreeStmt(stmt, SQL_CLOSE);
        SQLFreeStmt(stmt, SQL_UNBIND);
        SQLFreeStmt(stmt, SQL_RESET_PARAMS);
        SQLSetStmtAttr(stmt, SQL_ATTR_ROWS_FETCHED_PTR, nullptr, 0);
        SQLSetStmtAttr(stmt, SQL_ATTR_ROW_STATUS_PTR, nullptr, 0);
        SQLSetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(1), 0);

        SQLSMALLINT expected = 0;
        if (odbc::succeeded(SQLNumParams(stmt, &expected)) &&
            static_cast<std::size_t>(expected) != values.size()) {
            throw DbError(kErrCommandText,
                          "The statement takes " + std::to_string(expected) + " parameters, " +
                              std::to_string(values.size()) + " were given.",
                          {}, m_sql);
        }
        m_parameters.assign(values.size(), Parameter{});
        // SQL Server's drivers convert narrow text by the locale's code page; UTF-16 is exact.
        bool wideText = m_session->backend == Backend::SqlServer;
        for (std::size_t i = 0; i < values.size(); ++i) bindParameter(stmt, i, values[i], wideText);
        return stmt;
    }

    void bindParameter(SQLHSTMT stmt, std::size_t index, const Value& value, bool wideText) {
        Parameter& parameter = m_parameters[index];
        auto number = static_cast<SQLUSMALLINT>(index + 1);
        SQLRETURN rc;
        if (auto* integer = std::get_if<std::int64_t>(&value)) {
            parameter.integer = *integer;
            rc = SQLBindParameter(stmt, number, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0,
                                  &parameter.integer, 0, nullptr);
        } else if (auto* real = std::get_if<double>(&value)) {
            parameter.real = *real;
            rc = SQLBindParameter(stmt, number, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 15, 0,
                                  &parameter.real, 0, nullptr);
        } else if (auto* text = std::get_if<std::string>(&value); text && wideText) {
            parameter.wide = utf8ToUtf16(*text);
            SQLULEN size = std::max<SQLULEN>(parameter.wide.size(), 1);
            parameter.indicator = static_cast<SQLLEN>(parameter.wide.size() * sizeof(char16_t));
            rc = SQLBindParameter(stmt, number, SQL_PARAM_INPUT, SQL_C_WCHAR,
                                  size > 4000 ? SQL_WLONGVARCHAR : SQL_WVARCHAR, size, 0,
                                  parameter.wide.data(), parameter.indicator, &parameter.indicator);
        } else if (text) {
            parameter.text = *text;
            SQLULEN size = std::max<SQLULEN>(parameter.text.size(), 1);
            parameter.indicator = static_cast<SQLLEN>(parameter.text.size());
            rc = SQLBindParameter(stmt, number, SQL_PARAM_INPUT, SQL_C_CHAR,
                                  size > 8000 ? SQL_LONGVARCHAR : SQL_VARCHAR, size, 0,
                                  parameter.text.data(), parameter.indicator, &parameter.indicator);
        } else if (auto* bytes = std::get_if<Bytes>(&value)) {
            parameter.text.assign(bytes->begin(), bytes->end());
            SQLULEN size = std::max<SQLULEN>(parameter.text.size(), 1);
            parameter.indicator = static_cast<SQLLEN>(parameter.text.size());
            rc = SQLBindParameter(stmt, number, SQL_PARAM_INPUT, SQL_C_BINARY,
                                  size > 8000 ? SQL_LONGVARBINARY : SQL_VARBINARY, size, 0,
                                  parameter.text.data(), parameter.indicator, &parameter.indicator);
        } else {
            parameter.indicator = SQL_NULL_DATA;
            rc = SQLBindParameter(stmt, number, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 1, 0,
                                  nullptr, 0, &parameter.indicator);
        }
        m_session->check(rc, SQL_HANDLE_STMT, stmt, m_sql);
    }

    std::shared_ptr<Session> m_session;
    std::shared_ptr<StatementHandle> m_handle;
    std::string m_sql;
    std::vector<Parameter> m_parameters;
};

// An Access database MDBTools can open; it refuses a missing or unreadable file without saying why.
void requireAccessFile(const std::filesystem::path& file) {
    std::error_code error;
    auto status = std::filesystem::status(file, error);
    std::string problem;
    if (status.type() == std::filesystem::file_type::not_found) {
        problem = "does not exist";
    } else if (error) {
        problem = "cannot be reached: " + error.message();
    } else if (status.type() != std::filesystem::file_type::regular) {
        problem = "is not a file";
    } else if (::access(file.c_str(), R_OK) != 0) {
        problem = "cannot be read: " + std::string(std::strerror(errno));
    }
    if (!problem.empty()) throw DbError(kErrGeneralFailure, "The Access database " + file.string() + " " + problem + ".");
}

// One connect attempt, shared with the thread that makes it: a driver that ignores the login
// timeout is left to finish on its own, and the attempt cleans up after itself.
struct ConnectAttempt {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool abandoned = false;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLRETURN rc = SQL_ERROR;
    std::vector<ProviderError> records;
    std::string odbcString;
};

void connectNow(const std::shared_ptr<ConnectAttempt>& attempt) {
    SQLRETURN rc = SQLDriverConnect(attempt->dbc, nullptr,
                                    reinterpret_cast<SQLCHAR*>(attempt->odbcString.data()), SQL_NTS,
                                    nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
    std::vector<ProviderError> records;
    if (!odbc::succeeded(rc)) records = odbc::diagnostics(SQL_HANDLE_DBC, attempt->dbc);
    std::lock_guard lock(attempt->mutex);
    attempt->rc = rc;
    attempt->records = std::move(records);
    attempt->done = true;
    if (attempt->abandoned) {
        if (odbc::succeeded(rc)) SQLDisconnect(attempt->dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, attempt->dbc);
    }
    attempt->finished.notify_all();
}

std::string infoText(SQLHDBC dbc, SQLUSMALLINT type) {
    char text[256] = {};
    SQLSMALLINT length = 0;
    if (!odbc::succeeded(SQLGetInfo(dbc, type, text, sizeof text, &length))) return {};
    return text;
}

// The catalog argument of the schema calls. MySQL's and MariaDB's drivers read a null catalog as
// every database on the server; the source is the database the connection uses.
std::string schemaCatalog(const Session& session) {
    if (session.backend != Backend::MySql) return {};
    char name[256] = {};
    SQLINTEGER length = 0;
    if (!odbc::succeeded(SQLGetConnectAttr(session.dbc, SQL_ATTR_CURRENT_CATALOG, name, sizeof name, &length))) {
        return {};
    }
    return name;
}

}  // namespace

OdbcConnection::OdbcConnection() : m_session(std::make_shared<Session>()) {}

OdbcConnection::~OdbcConnection() { close(); }

void OdbcConnection::open(const std::string& connectionString) {
    if (m_session->open) {
        throw DbError(kErrObjectOpen, "Operation is not allowed when the object is open.");
    }
    m_session->errors.clear();
    m_spellings.reset();
    // Kept even when opening fails, as ADO keeps it: the error report shows what was tried.
    m_connectionString = connectionString;
    OpenTarget target = translateConnectionString(connectionString, odbc::systemDriverCatalog());
    if (target.kind != OpenTarget::Kind::Odbc) {
        throw DbError(kErrProviderNotFound, "The connection string names a SQLite database, not "
                                            "an ODBC data source.");
    }
    int timeout = target.connectTimeout.value_or(m_connectionTimeout);
    if (target.driver == DriverFamily::Access && !target.file.empty()) requireAccessFile(target.file);

    auto attempt = std::make_shared<ConnectAttempt>();
    attempt->odbcString = target.odbcString;
    SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_DBC, odbc::environment(), &attempt->dbc);
    if (!odbc::succeeded(rc)) {
        m_session->errors = odbc::diagnostics(SQL_HANDLE_ENV, odbc::environment());
        throw DbError(kErrGeneralFailure, "The ODBC driver manager refused a connection handle.",
                      m_session->errors);
    }
    if (timeout > 0) {
        SQLSetConnectAttr(attempt->dbc, SQL_ATTR_LOGIN_TIMEOUT,
                          reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(timeout)), 0);
        std::thread(connectNow, attempt).detach();
        std::unique_lock lock(attempt->mutex);
        // The grace lets a driver that honours the timeout report it in its own words.
        if (!attempt->finished.wait_for(lock, std::chrono::seconds(timeout + 2),
                                        [&] { return attempt->done; })) {
            attempt->abandoned = true;
            std::string message = "Login timeout expired: no answer within " +
                                  std::to_string(timeout) + " seconds.";
            m_session->errors = {{"HYT00", 0, message}};
            throw DbError(kErrGeneralFailure, message, m_session->errors);
        }
    } else {
        connectNow(attempt);
    }
    Backend backend = backendOf(target.driver);
    if (!odbc::succeeded(attempt->rc)) {
        SQLFreeHandle(SQL_HANDLE_DBC, attempt->dbc);
        auto records = std::move(attempt->records);
        if (records.empty()) {
            // MDBTools refuses a file it cannot read without a word, but on standard error.
            records.push_back({"HY000", 0,
                               target.driver == DriverFamily::Access
                                   ? "MDBTools could not read " + target.file.string() + " as an Access database."
                                   : "The driver refused the connection."});
        }
        m_session->errors = records;
        DbError error = makeDbError(backend, records, {});
        // A connect that times out is a server out of reach, as ADO reports it.
        if (error.code() == kErrTimeout) {
            throw DbError(kErrGeneralFailure, error.what(), error.records());
        }
        throw error;
    }

    Session& session = *m_session;
    session.dbc = attempt->dbc;
    session.open = true;
    session.broken = false;
    session.dbmsName = infoText(session.dbc, SQL_DBMS_NAME);
    session.identifierQuote = infoText(session.dbc, SQL_IDENTIFIER_QUOTE_CHAR);
    if (session.identifierQuote == " ") session.identifierQuote.clear();
    session.searchEscape = infoText(session.dbc, SQL_SEARCH_PATTERN_ESCAPE);
    session.getDataExtensions = 0;
    SQLGetInfo(session.dbc, SQL_GETDATA_EXTENSIONS, &session.getDataExtensions,
               sizeof session.getDataExtensions, nullptr);
    session.backend = backendOf(target.driver, session.dbmsName);
    if (session.backend == Backend::MySql) {
        // MySQL reads a backslash in a literal as an escape; the statements here are written as
        // SQL Server reads them, where it is a character like any other.
        try {
            execute("SET SESSION sql_mode = CONCAT_WS(',', NULLIF(@@sql_mode, ''), 'NO_BACKSLASH_ESCAPES')");
        } catch (...) {
            close();
            throw;
        }
    }
}

void OdbcConnection::close() {
    m_spellings.reset();
    m_session->disconnect();
}

namespace {

std::string foldedName(std::string name) {
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
}

}  // namespace

std::string OdbcConnection::catalogSpelling(const std::string& name) {
    if (!m_spellings) {
        Spellings spellings;
        auto add = [&](const std::string& known) {
            spellings.exact.insert(known);
            spellings.folded.emplace(foldedName(known), known);
        };
        for (ObjectType type : {ObjectType::Table, ObjectType::View}) {
            for (const std::string& table : tables(type)) {
                add(table);
                spellings.foldedTables.insert(foldedName(table));
                for (const FieldInfo& field : columns(table)) add(field.name);
            }
        }
        m_spellings = std::move(spellings);
    }
    if (m_spellings->exact.count(name)) return name;
    auto found = m_spellings->folded.find(foldedName(name));
    return found == m_spellings->folded.end() ? name : found->second;
}

bool OdbcConnection::isCatalogTable(const std::string& name) {
    catalogSpelling(name);
    return m_spellings->foldedTables.count(foldedName(name)) > 0;
}

// Names come bracketed as SQL Server writes them. PostgreSQL reads them in double quotes and
// MariaDB / MySQL in backquotes, spelled as the database spells them; SQLite reads brackets
// unless a "]" is doubled inside. Other databases are sent what they were given.
const std::string& OdbcConnection::sourceText(const std::string& sql, std::string& translated) {
    switch (m_session->backend) {
        case Backend::Sqlite:
        case Backend::SqliteOdbc:
            if (sql.find("]]") == std::string::npos) return sql;
            translated = withSqliteBracketNames(sql);
            return translated;
        case Backend::PostgreSql:
        case Backend::MySql: {
            if (sql.find('[') == std::string::npos && sql.find('.') == std::string::npos) return sql;
            char quote = m_session->backend == Backend::PostgreSql ? '"' : '`';
            auto spelled = [&](const std::string& name) { return charQuoted(catalogSpelling(name), quote); };
            translated = withBareColumnReferencesRewritten(
                withBracketNamesRewritten(sql, spelled, false),
                [&](const std::string& table) { return isCatalogTable(table); },
                [&](const std::string& table, const std::string& column) {
                    return spelled(table) + "." + spelled(column);
                });
            return translated;
        }
        default:
            return sql;
    }
}

bool OdbcConnection::isOpen() const { return m_session->open && !m_session->broken; }

void OdbcConnection::execute(const std::string& text) {
    std::string translated;
    const std::string& sql = sourceText(text, translated);
    m_session->errors.clear();
    m_session->affected = -1;
    auto handle = m_session->allocate(sql);
    SQLHSTMT stmt = handle->stmt;
    SQLRETURN rc = m_session->run(stmt, [&] {
        return SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS);
    });
    m_session->check(rc, SQL_HANDLE_STMT, stmt, sql);
    m_session->affected = drainResults(*m_session, stmt, rc, sql);
}

std::unique_ptr<Recordset> OdbcConnection::query(const std::string& text) {
    std::string translated;
    const std::string& sql = sourceText(text, translated);
    m_session->errors.clear();
    auto handle = m_session->allocate(sql);
    SQLHSTMT stmt = handle->stmt;
    SQLRETURN rc = m_session->run(stmt, [&] {
        return SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS);
    });
    m_session->check(rc, SQL_HANDLE_STMT, stmt, sql);
    if (rc != SQL_NO_DATA) moveToResultSet(*m_session, stmt, sql);
    return odbc::makeRecordset(m_session, handle, sql);
}

std::vector<std::string> OdbcConnection::tables(ObjectType type) {
    m_session->errors.clear();
    std::string what = type == ObjectType::Table ? "TABLE" : "VIEW";
    auto handle = m_session->allocate("tables " + what);
    SQLHSTMT stmt = handle->stmt;
    std::string catalog = schemaCatalog(*m_session);
    SQLRETURN rc = m_session->run(stmt, [&] {
        return SQLTables(stmt, catalog.empty() ? nullptr : reinterpret_cast<SQLCHAR*>(catalog.data()),
                         catalog.empty() ? 0 : SQL_NTS, nullptr, 0, nullptr, 0,
                         reinterpret_cast<SQLCHAR*>(what.data()), SQL_NTS);
    });
    m_session->check(rc, SQL_HANDLE_STMT, stmt, "tables " + what);
    auto rows = odbc::makeRecordset(m_session, handle, "tables " + what);
    std::vector<std::string> names;
    while (rows->next()) names.push_back(rows->value(std::size_t{2}).value_or(""));
    return names;
}

std::vector<FieldInfo> OdbcConnection::columns(const std::string& table) {
    m_session->errors.clear();
    // Catalog arguments are patterns: '_' and '%' in a name must not match other tables.
    auto literal = [&](std::string_view name) {
        std::string escaped;
        for (char c : name) {
            if (!m_session->searchEscape.empty() &&
                (c == '_' || c == '%' || m_session->searchEscape.find(c) != std::string::npos)) {
                escaped += m_session->searchEscape;
            }
            escaped += c;
        }
        return escaped;
    };
    std::string schema;
    std::string name = table;
    if (auto dot = table.find('.'); dot != std::string::npos) {
        schema = literal(table.substr(0, dot));
        name = table.substr(dot + 1);
    }
    std::string pattern = literal(name);
    std::string label = "columns " + table;
    auto handle = m_session->allocate(label);
    SQLHSTMT stmt = handle->stmt;
    std::string catalog = schemaCatalog(*m_session);
    SQLRETURN rc = m_session->run(stmt, [&] {
        return SQLColumns(stmt, catalog.empty() ? nullptr : reinterpret_cast<SQLCHAR*>(catalog.data()),
                          catalog.empty() ? 0 : SQL_NTS,
                          schema.empty() ? nullptr : reinterpret_cast<SQLCHAR*>(schema.data()),
                          schema.empty() ? 0 : SQL_NTS, reinterpret_cast<SQLCHAR*>(pattern.data()),
                          SQL_NTS, nullptr, 0);
    });
    m_session->check(rc, SQL_HANDLE_STMT, stmt, label);
    auto rows = odbc::makeRecordset(m_session, handle, label);
    std::vector<FieldInfo> fields;
    std::optional<std::string> firstSchema;
    auto number = [&](std::size_t position) {
        auto text = rows->value(position);
        return text ? std::stol(*text) : 0L;
    };
    while (rows->next()) {
        // The same name in several schemas: keep the first schema's table only.
        std::string rowSchema = rows->value(std::size_t{1}).value_or("");
        if (!firstSchema) firstSchema = rowSchema;
        if (rowSchema != *firstSchema) continue;
        std::string typeName = rows->value(std::size_t{5}).value_or("");
        auto sqlType = static_cast<int>(number(4));
        if (m_session->backend == Backend::MySql) {
            // MariaDB's driver calls text columns wide here but narrow in results, which is how
            // they are read: a column has one type wherever it is described.
            if (sqlType == SQL_WCHAR) sqlType = SQL_CHAR;
            if (sqlType == SQL_WVARCHAR) sqlType = SQL_VARCHAR;
            if (sqlType == SQL_WLONGVARCHAR) sqlType = SQL_LONGVARCHAR;
        }
        bool isUnsigned = typeName.find("unsigned") != std::string::npos ||
                          typeName.find("UNSIGNED") != std::string::npos ||
                          (m_session->backend == Backend::SqlServer && sqlType == SQL_TINYINT);
        SqlColumn column{sqlType, number(6), static_cast<int>(number(8)), isUnsigned, typeName};
        fields.push_back(fieldFromSql(rows->value(std::size_t{3}).value_or(""), column,
                                      number(10) != SQL_NO_NULLS));
    }
    return fields;
}

const std::vector<ProviderError>& OdbcConnection::providerErrors() const {
    return m_session->errors;
}

std::unique_ptr<Statement> OdbcConnection::prepare(const std::string& text) {
    std::string translated;
    const std::string& sql = sourceText(text, translated);
    m_session->errors.clear();
    auto handle = m_session->allocate(sql);
    SQLHSTMT stmt = handle->stmt;
    m_session->check(
        SQLPrepare(stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS),
        SQL_HANDLE_STMT, stmt, sql);
    return std::make_unique<OdbcStatement>(m_session, handle, sql);
}

std::int64_t OdbcConnection::affectedRows() const { return m_session->affected; }

std::int64_t OdbcConnection::lastInsertId() {
    m_session->requireOpen({});
    std::string sql;
    switch (m_session->backend) {
        case Backend::PostgreSql: sql = "SELECT lastval()"; break;
        // SCOPE_IDENTITY() would be out of scope in a batch of its own.
        case Backend::SqlServer: sql = "SELECT @@IDENTITY"; break;
        case Backend::MySql: sql = "SELECT LAST_INSERT_ID()"; break;
        case Backend::SqliteOdbc: sql = "SELECT last_insert_rowid()"; break;
        default:
            throw DbError(kErrGeneralFailure,
                          "Insert identities are not known for " + m_session->dbmsName + ".");
    }
    auto rows = query(sql);
    std::optional<std::string> id = rows->next() ? rows->value(std::size_t{0}) : std::nullopt;
    if (!id) throw DbError(kErrGeneralFailure, "No insert has generated an identity yet.", {}, sql);
    return std::stoll(*id);
}

void OdbcConnection::beginTransaction() {
    m_session->requireOpen({});
    m_session->errors.clear();
    if (m_session->inTransaction) {
        throw DbError(kErrGeneralFailure, "A transaction is already active on this connection.");
    }
    m_session->check(SQLSetConnectAttr(m_session->dbc, SQL_ATTR_AUTOCOMMIT,
                                       reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0),
                     SQL_HANDLE_DBC, m_session->dbc, "begin transaction");
    m_session->inTransaction = true;
}

void OdbcConnection::commit() {
    m_session->requireOpen({});
    if (!m_session->inTransaction) throw DbError(kErrGeneralFailure, "No transaction is active.");
    endTransaction(true);
}

void OdbcConnection::rollback() {
    if (!m_session->inTransaction) return;
    if (!m_session->open || m_session->broken) {
        // The server dropped the transaction with the session.
        m_session->inTransaction = false;
        return;
    }
    endTransaction(false);
}

void OdbcConnection::endTransaction(bool commitWork) {
    m_session->errors.clear();
    SQLHDBC dbc = m_session->dbc;
    const char* what = commitWork ? "commit" : "rollback";
    m_session->check(SQLEndTran(SQL_HANDLE_DBC, dbc, commitWork ? SQL_COMMIT : SQL_ROLLBACK),
                     SQL_HANDLE_DBC, dbc, what);
    m_session->inTransaction = false;
    m_session->check(SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT,
                                       reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0),
                     SQL_HANDLE_DBC, dbc, what);
}

bool OdbcConnection::inTransaction() const { return m_session->inTransaction; }

void OdbcConnection::cancel() { m_session->cancelRunning(); }

void OdbcConnection::setCommandTimeout(int seconds) { m_session->commandTimeout = std::max(0, seconds); }

int OdbcConnection::commandTimeout() const { return m_session->commandTimeout; }

void OdbcConnection::setConnectionTimeout(int seconds) { m_connectionTimeout = std::max(0, seconds); }

std::string OdbcConnection::dbmsName() const { return m_session->dbmsName; }

std::string OdbcConnection::identifierQuote() const { return m_session->identifierQuote; }

}  // namespace koru::db
