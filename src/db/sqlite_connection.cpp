#include "db/sqlite_connection.h"

#include "db/sql_quoting.h"

#include <sqlite3.h>

#include <cctype>
#include <chrono>
#include <climits>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>

#include "db/ado_types.h"
#include "db/connection_string.h"
#include "db/error_map.h"
#include "db/field_lookup.h"
#include "db/key_collation.h"

namespace koru::db {
namespace {

using Clock = std::chrono::steady_clock;

// Connection strings for SQLite never name an ODBC driver, so nothing is installed here.
class NoOdbcDrivers : public OdbcDriverCatalog {
public:
    std::vector<std::string> installedDrivers() const override { return {}; }
    std::string driverOfDsn(const std::string&) const override { return {}; }
    std::optional<std::string> mssqlDriverOverride() const override { return std::nullopt; }
};

// A compiled statement, shared by the record sets it feeds so that closing the connection can
// finalize it under them. `generation` changes whenever the statement runs anew.
struct StatementHolder {
    sqlite3_stmt* stmt = nullptr;
    std::uint64_t generation = 0;
    explicit StatementHolder(sqlite3_stmt* compiled) : stmt(compiled) {}
    ~StatementHolder() {
        if (stmt) sqlite3_finalize(stmt);
    }
    StatementHolder(const StatementHolder&) = delete;
    StatementHolder& operator=(const StatementHolder&) = delete;
};

int compareKeyTexts(void*, int lengthA, const void* a, int lengthB, const void* b) {
    return compareKeys(std::string_view(static_cast<const char*>(a), static_cast<std::size_t>(lengthA)),
                       std::string_view(static_cast<const char*>(b), static_cast<std::size_t>(lengthB)));
}

void foldKeyText(sqlite3_context* context, int, sqlite3_value** arguments) {
    const unsigned char* text = sqlite3_value_text(arguments[0]);
    if (!text) return sqlite3_result_null(context);
    std::string key = foldKey(std::string_view(reinterpret_cast<const char*>(text),
                                               static_cast<std::size_t>(sqlite3_value_bytes(arguments[0]))));
    sqlite3_result_text64(context, key.data(), key.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

[[noreturn]] void throwClosed() {
    throw DbError(kErrObjectClosed, "Operation is not allowed when the object is closed.");
}

}  // namespace

struct SqliteSession {
    std::mutex mutex;  // guards `db` against cancel() from another thread
    sqlite3* db = nullptr;
    std::vector<ProviderError> errors;
    std::vector<std::weak_ptr<StatementHolder>> statements;
    int commandTimeout = 30;
    std::int64_t affected = -1;
    Clock::time_point deadline;
    bool deadlineArmed = false;
    bool deadlineSet = false;
    bool timedOut = false;
    // table NUL column, both in ASCII lower case: the type reported in place of the declared one
    std::map<std::string, std::string> reportedTypes;

    ~SqliteSession() { close(); }

    static std::string typeKey(std::string_view table, std::string_view column) {
        std::string key;
        key.reserve(table.size() + column.size() + 1);
        for (char c : table) key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        key += '\0';
        for (char c : column) key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return key;
    }

    const std::string* reportedType(std::string_view table, std::string_view column) const {
        if (reportedTypes.empty()) return nullptr;
        auto found = reportedTypes.find(typeKey(table, column));
        return found == reportedTypes.end() ? nullptr : &found->second;
    }

    void close() {
        std::lock_guard lock(mutex);
        if (!db) return;
        for (auto& weak : statements) {
            if (auto holder = weak.lock(); holder && holder->stmt) {
                sqlite3_finalize(holder->stmt);
                holder->stmt = nullptr;
            }
        }
        statements.clear();
        reportedTypes.clear();
        sqlite3_close(db);
        db = nullptr;
    }

    void requireOpen(const std::string& sql) {
        if (!db) {
            throw DbError(kErrConnectionNotUsable,
                          "The connection cannot be used to perform this operation. It is either "
                          "closed or invalid in this context.",
                          {}, sql);
        }
    }

    [[noreturn]] void fail(int rc, const std::string& sql) {
        errors = {{"", static_cast<long>(db ? sqlite3_extended_errcode(db) : rc),
                   db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)}};
        // "database disk image is malformed" alone does not say which of the two databases it is.
        if (int primary = rc & 0xff; db && (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB)) {
            if (const char* file = sqlite3_db_filename(db, "main"); file && *file) {
                errors.front().message += std::string(" (database file: ") + file + ")";
            }
        }
        if ((rc & 0xff) == SQLITE_INTERRUPT && timedOut) {
            throw DbError(kErrTimeout,
                          "Query timeout expired after " + std::to_string(commandTimeout) +
                              " seconds.",
                          errors, sql);
        }
        throw makeDbError(Backend::Sqlite, errors, sql);
    }

    void check(int rc, const std::string& sql) {
        if (rc != SQLITE_OK) fail(rc, sql);
    }

    // The clock is read only by a step long enough to reach the handler: the deadline counts
    // from its first call, a thousand instructions into the step.
    static int onProgress(void* context) {
        auto* session = static_cast<SqliteSession*>(context);
        if (!session->deadlineArmed) return 0;
        Clock::time_point now = Clock::now();
        if (!session->deadlineSet) {
            session->deadline = now + std::chrono::seconds(session->commandTimeout);
            session->deadlineSet = true;
        } else if (now > session->deadline) {
            session->timedOut = true;
            return 1;
        }
        return 0;
    }

    void applyTimeout() {
        // A command timeout of 0 waits without limit, as ADO's does.
        long long ms = commandTimeout > 0 ? commandTimeout * 1000LL : INT_MAX;
        sqlite3_busy_timeout(db, static_cast<int>(std::min<long long>(ms, INT_MAX)));
    }

    // One step under the command timeout; SQLITE_ROW or SQLITE_DONE, else throws.
    int step(sqlite3_stmt* stmt, const std::string& sql) {
        timedOut = false;
        deadlineArmed = commandTimeout > 0;
        deadlineSet = false;
        int rc = sqlite3_step(stmt);
        deadlineArmed = false;
        if (rc == SQLITE_ROW || rc == SQLITE_DONE) return rc;
        fail(rc, sql);
    }

    // Compiles the first statement of `sql` from `cursor`; null when only blanks remain.
    std::shared_ptr<StatementHolder> compile(const std::string& sql, const char*& cursor) {
        sqlite3_stmt* stmt = nullptr;
        const char* end = sql.data() + sql.size();
        const char* tail = nullptr;
        int rc = sqlite3_prepare_v2(db, cursor, static_cast<int>(end - cursor), &stmt, &tail);
        if (rc != SQLITE_OK) {
            sqlite3_finalize(stmt);
            fail(rc, sql);
        }
        cursor = tail ? tail : end;
        if (!stmt) return nullptr;
        auto holder = std::make_shared<StatementHolder>(stmt);
        std::erase_if(statements, [](const auto& weak) { return weak.expired(); });
        statements.push_back(holder);
        return holder;
    }

    // Runs a compiled statement to its end; the rows it changed itself (not its triggers).
    std::int64_t runToEnd(sqlite3_stmt* stmt, const std::string& sql) {
        std::int64_t totalBefore = sqlite3_total_changes64(db);
        while (step(stmt, sql) == SQLITE_ROW) {
        }
        return sqlite3_total_changes64(db) != totalBefore ? sqlite3_changes64(db) : 0;
    }

    // Borrowed values are used where they are: the caller keeps them until the statement has
    // run, and every run binds all parameters again.
    void bind(sqlite3_stmt* stmt, const std::vector<Value>& parameters, const std::string& sql, bool borrowed) {
        auto keep = borrowed ? SQLITE_STATIC : SQLITE_TRANSIENT;
        sqlite3_reset(stmt);
        int expected = sqlite3_bind_parameter_count(stmt);
        if (static_cast<std::size_t>(expected) != parameters.size()) {
            throw DbError(kErrCommandText,
                          "The statement takes " + std::to_string(expected) + " parameters, " +
                              std::to_string(parameters.size()) + " were given.",
                          {}, sql);
        }
        for (std::size_t i = 0; i < parameters.size(); ++i) {
            int index = static_cast<int>(i + 1);
            const Value& value = parameters[i];
            int rc = SQLITE_OK;
            if (auto* integer = std::get_if<std::int64_t>(&value)) {
                rc = sqlite3_bind_int64(stmt, index, *integer);
            } else if (auto* real = std::get_if<double>(&value)) {
                rc = sqlite3_bind_double(stmt, index, *real);
            } else if (auto* text = std::get_if<std::string>(&value)) {
                // Without an inner NUL the text is bound as terminated, so that SQLite's copy
                // is terminated too and needs no second copy when a constraint reads it.
                if (text->size() < INT_MAX && std::memchr(text->data(), 0, text->size()) == nullptr) {
                    rc = sqlite3_bind_text(stmt, index, text->c_str(), -1, keep);
                } else {
                    rc = sqlite3_bind_text64(stmt, index, text->data(), text->size(), keep, SQLITE_UTF8);
                }
            } else if (auto* bytes = std::get_if<Bytes>(&value); bytes && bytes->empty()) {
                rc = sqlite3_bind_zeroblob(stmt, index, 0);  // a null pointer would bind null
            } else if (bytes) {
                rc = sqlite3_bind_blob64(stmt, index, bytes->data(), bytes->size(), SQLITE_TRANSIENT);
            } else {
                rc = sqlite3_bind_null(stmt, index);
            }
            check(rc, sql);
        }
    }
};

namespace {

class SqliteRecordset : public FieldListRecordset {
public:
    SqliteRecordset(std::shared_ptr<SqliteSession> session, std::shared_ptr<StatementHolder> holder,
                    std::string sql)
        : m_session(std::move(session)),
          m_holder(std::move(holder)),
          m_generation(m_holder->generation),
          m_sql(std::move(sql)) {
        sqlite3_stmt* stmt = m_holder->stmt;
        // The first step runs the query, so that its failures surface here as they do from
        // SQLExecute; it also gives expressions without a declared type their storage class.
        m_firstIsRow = sqlite3_column_count(stmt) > 0 && m_session->step(stmt, m_sql) == SQLITE_ROW;
        if (sqlite3_column_count(stmt) == 0) {
            m_session->runToEnd(stmt, m_sql);
            m_firstIsRow = false;
        }
        for (int i = 0; i < sqlite3_column_count(stmt); ++i) m_fields.push_back(describe(i));
    }

    using FieldListRecordset::value;

    bool next() override {
        sqlite3_stmt* stmt = live();
        if (m_pendingFirst) {
            m_pendingFirst = false;
            m_hasRow = m_firstIsRow;
            return m_hasRow;
        }
        if (!m_hasRow) return false;
        m_session->errors.clear();
        m_hasRow = false;
        m_hasRow = m_session->step(stmt, m_sql) == SQLITE_ROW;
        return m_hasRow;
    }

    std::optional<std::string_view> text(std::size_t position) const override {
        checkFieldPosition(m_fields, position);
        sqlite3_stmt* stmt = live();
        if (!m_hasRow || m_pendingFirst) {
            throw DbError(kErrNoCurrentRecord,
                          "Either BOF or EOF is True, or the current record has been deleted. "
                          "Requested operation requires a current record.");
        }
        int column = static_cast<int>(position);
        int type = sqlite3_column_type(stmt, column);
        if (type == SQLITE_TEXT) {
            const unsigned char* data = sqlite3_column_text(stmt, column);
            if (!data) m_session->fail(sqlite3_errcode(m_session->db), m_sql);
            return std::string_view(reinterpret_cast<const char*>(data),
                                    static_cast<std::size_t>(sqlite3_column_bytes(stmt, column)));
        }
        switch (type) {
            case SQLITE_NULL:
                return std::nullopt;
            case SQLITE_BLOB: {
                const void* data = sqlite3_column_blob(stmt, column);
                int size = sqlite3_column_bytes(stmt, column);
                return std::string_view(static_cast<const char*>(data), static_cast<std::size_t>(size));
            }
            default: {
                const unsigned char* data = sqlite3_column_text(stmt, column);
                int size = sqlite3_column_bytes(stmt, column);
                if (!data) m_session->fail(sqlite3_errcode(m_session->db), m_sql);
                return std::string_view(reinterpret_cast<const char*>(data),
                                        static_cast<std::size_t>(size));
            }
        }
    }

private:
    sqlite3_stmt* live() const {
        if (!m_holder->stmt || m_holder->generation != m_generation) throwClosed();
        return m_holder->stmt;
    }

    FieldInfo describe(int column) const {
        sqlite3_stmt* stmt = m_holder->stmt;
        const char* declared = sqlite3_column_decltype(stmt, column);
        int storageClass = m_firstIsRow ? sqlite3_column_type(stmt, column) : 0;
        std::string declaredType = declared ? declared : "";
        bool nullable = true;
        const char* table = sqlite3_column_table_name(stmt, column);
        const char* origin = sqlite3_column_origin_name(stmt, column);
        if (table && origin) {
            if (const std::string* reported = m_session->reportedType(table, origin)) declaredType = *reported;
            int notNull = 0, primaryKey = 0, autoIncrement = 0;
            if (sqlite3_table_column_metadata(m_session->db, sqlite3_column_database_name(stmt, column),
                                              table, origin, nullptr, nullptr, &notNull, &primaryKey,
                                              &autoIncrement) == SQLITE_OK) {
                nullable = notNull == 0;
            }
        }
        return fieldFromSql(sqlite3_column_name(stmt, column),
                            sqlColumnOfDeclared(declaredType, storageClass), nullable);
    }

    std::shared_ptr<SqliteSession> m_session;
    std::shared_ptr<StatementHolder> m_holder;
    std::uint64_t m_generation;
    std::string m_sql;
    bool m_pendingFirst = true;
    bool m_firstIsRow = false;
    bool m_hasRow = false;
};

class SqliteStatement : public Statement {
public:
    SqliteStatement(std::shared_ptr<SqliteSession> session, std::shared_ptr<StatementHolder> holder,
                    std::string sql)
        : m_session(std::move(session)), m_holder(std::move(holder)), m_sql(std::move(sql)) {}

    std::int64_t execute(const std::vector<Value>& parameters) override {
        sqlite3_stmt* stmt = start(parameters, true);
        m_session->affected = m_session->runToEnd(stmt, m_sql);
        return m_session->affected;
    }

    std::unique_ptr<Recordset> query(const std::vector<Value>& parameters) override {
        start(parameters, false);  // the rows are read after the caller's values are gone
        return std::make_unique<SqliteRecordset>(m_session, m_holder, m_sql);
    }

private:
    sqlite3_stmt* start(const std::vector<Value>& parameters, bool borrowed) {
        m_session->requireOpen(m_sql);
        if (!m_holder->stmt) throwClosed();
        m_session->errors.clear();
        ++m_holder->generation;  // closes the record set of the previous run
        m_session->bind(m_holder->stmt, parameters, m_sql, borrowed);
        return m_holder->stmt;
    }

    std::shared_ptr<SqliteSession> m_session;
    std::shared_ptr<StatementHolder> m_holder;
    std::string m_sql;
};

bool onlyBlanks(const char* text) {
    for (; *text; ++text) {
        if (*text != ' ' && *text != '\t' && *text != '\r' && *text != '\n' && *text != ';') {
            return false;
        }
    }
    return true;
}

}  // namespace

namespace {

// Names holding "]" written as SQL Server writes them, made readable to SQLite.
const std::string& sqliteText(const std::string& sql, std::string& translated) {
    if (sql.find("]]") == std::string::npos) return sql;
    translated = withSqliteBracketNames(sql);
    return translated;
}

}  // namespace

SqliteConnection::SqliteConnection() : m_session(std::make_shared<SqliteSession>()) {}

SqliteConnection::~SqliteConnection() { close(); }

void SqliteConnection::open(const std::string& connectionString) {
    if (m_session->db) {
        throw DbError(kErrObjectOpen, "Operation is not allowed when the object is open.");
    }
    m_session->errors.clear();
    // Kept even when opening fails, as ADO keeps it: the error report shows what was tried.
    m_connectionString = connectionString;
    OpenTarget target = translateConnectionString(connectionString, NoOdbcDrivers{});
    if (target.kind != OpenTarget::Kind::SqliteFile && target.kind != OpenTarget::Kind::EmbeddedDestination) {
        throw DbError(kErrProviderNotFound,
                      "The connection string does not name a SQLite database.");
    }
    m_embedded = target.kind == OpenTarget::Kind::EmbeddedDestination;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(target.file, ec)) {
        // Connecting never creates a database: a missing file is a failure, not a new file.
        std::string what = m_embedded ? "Cannot open database \"" + target.database +
                                            "\": the database does not exist (" +
                                            target.file.string() + ")."
                                      : "The SQLite database " + target.file.string() +
                                            " does not exist.";
        throw DbError(kErrGeneralFailure, what);
    }

    openDatabase(target.file.string(), SQLITE_OPEN_READWRITE);
}

void SqliteConnection::openPrivateDatabase(const std::string& connectionString) {
    if (m_session->db) {
        throw DbError(kErrObjectOpen, "Operation is not allowed when the object is open.");
    }
    m_session->errors.clear();
    m_connectionString = connectionString;
    m_embedded = false;
    // An empty name makes SQLite create a temporary file that it deletes on closing.
    openDatabase("", SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
}

void SqliteConnection::reportColumnType(const std::string& table, const std::string& column,
                                        std::string declaredType) {
    m_session->reportedTypes[SqliteSession::typeKey(table, column)] = std::move(declaredType);
}

void SqliteConnection::openDatabase(const std::string& file, int flags) {
    sqlite3* db = nullptr;
    // Memory statistics would take a global lock on every allocation; nothing reads them.
    static const bool configured = [] { return sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0) == SQLITE_OK; }();
    (void)configured;
    // One thread uses a connection (cancel() only interrupts), so SQLite's own locking is not needed.
    int rc = sqlite3_open_v2(file.c_str(), &db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    {
        std::lock_guard lock(m_session->mutex);
        m_session->db = db;
    }
    auto abandon = [&](const std::string& sql) {
        try {
            m_session->fail(rc, sql);
        } catch (...) {
            m_session->close();
            throw;
        }
    };
    if (rc != SQLITE_OK) abandon({});
    sqlite3_extended_result_codes(db, 1);
    rc = sqlite3_create_collation_v2(db, kKeyCollation, SQLITE_UTF8, nullptr, &compareKeyTexts, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_create_function_v2(db, kKeyFold, 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
                                        nullptr, &foldKeyText, nullptr, nullptr, nullptr);
    }
    if (rc != SQLITE_OK) abandon({});
    m_session->applyTimeout();
    sqlite3_progress_handler(db, 1000, &SqliteSession::onProgress, m_session.get());
    // Reading the schema proves the file is a database before anyone relies on it.
    const char* setup = m_embedded ? "PRAGMA schema_version; PRAGMA foreign_keys=ON" : "PRAGMA schema_version";
    rc = sqlite3_exec(db, setup, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) abandon(setup);
    if (!m_embedded) return;
    // WAL is written into the file: a database that is not the product's stays as it was, so
    // that the connection screen can refuse it untouched.
    bool product = false;
    const char* probe = "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'CIID' COLLATE NOCASE";
    rc = sqlite3_exec(
        db, probe,
        [](void* found, int, char**, char**) {
            *static_cast<bool*>(found) = true;
            return 0;
        },
        &product, nullptr);
    if (rc != SQLITE_OK) abandon(probe);
    if (!product) return;
    const char* wal = "PRAGMA journal_mode=WAL";
    rc = sqlite3_exec(db, wal, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) abandon(wal);
}

void SqliteConnection::close() { m_session->close(); }

bool SqliteConnection::isOpen() const { return m_session->db != nullptr; }

void SqliteConnection::execute(const std::string& text) {
    std::string translated;
    const std::string& sql = sqliteText(text, translated);
    m_session->requireOpen(sql);
    m_session->errors.clear();
    m_session->affected = -1;
    std::int64_t affected = 0;
    const char* cursor = sql.c_str();
    while (*cursor) {
        auto holder = m_session->compile(sql, cursor);
        if (!holder) break;
        affected += m_session->runToEnd(holder->stmt, sql);
    }
    m_session->affected = affected;
}

std::unique_ptr<Recordset> SqliteConnection::query(const std::string& text) {
    std::string translated;
    const std::string& sql = sqliteText(text, translated);
    m_session->requireOpen(sql);
    m_session->errors.clear();
    const char* cursor = sql.c_str();
    auto holder = m_session->compile(sql, cursor);
    if (!holder) throw DbError(kErrCommandText, "The query holds no statement.", {}, sql);
    if (!onlyBlanks(cursor)) {
        throw DbError(kErrCommandText, "A query must be a single statement.", {}, sql);
    }
    return std::make_unique<SqliteRecordset>(m_session, holder, sql);
}

std::vector<std::string> SqliteConnection::tables(ObjectType type) {
    auto statement = prepare(
        "SELECT name FROM sqlite_schema WHERE type = ? AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' "
        "ORDER BY name");
    auto rows = statement->query({std::string(type == ObjectType::Table ? "table" : "view")});
    std::vector<std::string> names;
    while (rows->next()) names.push_back(rows->value(0).value_or(""));
    return names;
}

std::vector<FieldInfo> SqliteConnection::columns(const std::string& table) {
    auto statement = prepare("SELECT name, type, \"notnull\" FROM pragma_table_info(?)");
    auto rows = statement->query({table});
    std::vector<FieldInfo> fields;
    while (rows->next()) {
        std::string declared = rows->value(1).value_or("");
        if (const std::string* reported = m_session->reportedType(table, rows->value(0).value_or(""))) {
            declared = *reported;
        }
        fields.push_back(fieldFromSql(rows->value(0).value_or(""), sqlColumnOfDeclared(declared),
                                      rows->value(2).value_or("0") == "0"));
    }
    return fields;
}

const std::vector<ProviderError>& SqliteConnection::providerErrors() const {
    return m_session->errors;
}

std::unique_ptr<Statement> SqliteConnection::prepare(const std::string& text) {
    std::string translated;
    const std::string& sql = sqliteText(text, translated);
    m_session->requireOpen(sql);
    m_session->errors.clear();
    const char* cursor = sql.c_str();
    auto holder = m_session->compile(sql, cursor);
    if (!holder) throw DbError(kErrCommandText, "The statement is empty.", {}, sql);
    if (!onlyBlanks(cursor)) {
        throw DbError(kErrCommandText, "A prepared statement must be a single statement.", {}, sql);
    }
    return std::make_unique<SqliteStatement>(m_session, holder, sql);
}

std::int64_t SqliteConnection::affectedRows() const { return m_session->affected; }

std::int64_t SqliteConnection::lastInsertId() {
    m_session->requireOpen({});
    return sqlite3_last_insert_rowid(m_session->db);
}

void SqliteConnection::beginTransaction() {
    m_session->requireOpen({});
    if (inTransaction()) {
        throw DbError(kErrGeneralFailure, "A transaction is already active on this connection.");
    }
    // The destination takes the write lock at once, so that two writers cannot deadlock while
    // upgrading their read locks; a source only reads.
    execute(m_embedded ? "BEGIN IMMEDIATE" : "BEGIN");
}

void SqliteConnection::commit() {
    m_session->requireOpen({});
    if (!inTransaction()) throw DbError(kErrGeneralFailure, "No transaction is active.");
    execute("COMMIT");
}

void SqliteConnection::rollback() {
    m_session->requireOpen({});
    // SQLite ends the transaction itself on some failures; there is nothing left to undo then.
    if (!inTransaction()) return;
    execute("ROLLBACK");
}

bool SqliteConnection::inTransaction() const {
    return m_session->db && sqlite3_get_autocommit(m_session->db) == 0;
}

void SqliteConnection::cancel() {
    std::lock_guard lock(m_session->mutex);
    if (m_session->db) sqlite3_interrupt(m_session->db);
}

void SqliteConnection::setCommandTimeout(int seconds) {
    m_session->commandTimeout = std::max(0, seconds);
    if (m_session->db) m_session->applyTimeout();
}

int SqliteConnection::commandTimeout() const { return m_session->commandTimeout; }

}  // namespace koru::db
