#include "db/error_map.h"

#include <algorithm>
#include <cctype>

namespace koru::db {
namespace {

enum class Applies { Sqlite, PostgreSql, MySql, SqlServer, AnyOdbc };

struct FailureRule {
    Applies backend;
    std::string_view code;     // exact, or a class ending in '*'; SQLite: the result code
    std::string_view pattern;  // lower case text the messages must contain; empty: any
    std::int32_t oleDbCode;
};

// The first matching row decides. Codes alone are ambiguous, hence the patterns: SQLite says 1
// for a missing table, a missing column and a syntax error alike; psqlODBC says 08001 for a
// wrong password, a refused port and a missing database.
constexpr FailureRule kFailures[] = {
    {Applies::Sqlite, "1", "no such table", kErrNoSuchTable},
    {Applies::Sqlite, "1", "no such view", kErrNoSuchTable},
    {Applies::Sqlite, "1", "", kErrCommandText},
    {Applies::Sqlite, "3", "", kErrPermissionDenied},
    {Applies::Sqlite, "5", "", kErrTimeout},  // busy: the lock outlasted the busy timeout
    {Applies::Sqlite, "6", "", kErrTimeout},
    {Applies::Sqlite, "8", "", kErrPermissionDenied},  // read-only database
    {Applies::Sqlite, "9", "", kErrCanceled},
    {Applies::Sqlite, "14", "", kErrGeneralFailure},
    {Applies::Sqlite, "18", "", kErrDataOverflow},
    {Applies::Sqlite, "19", "", kErrIntegrityViolation},
    {Applies::Sqlite, "20", "", kErrIntegrityViolation},  // datatype mismatch on a rowid key
    {Applies::Sqlite, "23", "", kErrPermissionDenied},
    {Applies::Sqlite, "25", "", kErrCommandText},  // parameter index out of range
    {Applies::Sqlite, "26", "", kErrGeneralFailure},

    {Applies::PostgreSql, "08001", "password authentication failed", kErrLoginRefused},
    {Applies::PostgreSql, "08001", "no pg_hba.conf entry", kErrLoginRefused},
    {Applies::PostgreSql, "08001", "role \"", kErrLoginRefused},
    {Applies::PostgreSql, "08001", "", kErrGeneralFailure},
    {Applies::PostgreSql, "57014", "statement timeout", kErrTimeout},
    {Applies::PostgreSql, "57014", "", kErrCanceled},
    {Applies::PostgreSql, "57P*", "", kErrGeneralFailure},  // server shut the session down
    {Applies::PostgreSql, "42P01", "", kErrNoSuchTable},
    {Applies::PostgreSql, "42501", "", kErrPermissionDenied},

    {Applies::MySql, "28000", "", kErrLoginRefused},
    {Applies::MySql, "42000", "command denied", kErrPermissionDenied},
    {Applies::MySql, "42000", "unknown database", kErrGeneralFailure},  // at connect, as on SQL Server
    {Applies::MySql, "HY000", "maximum statement execution time exceeded", kErrTimeout},
    {Applies::MySql, "70100", "", kErrCanceled},
    // MariaDB's driver gives a cancelled statement this state.
    {Applies::MySql, "HY018", "query execution was interrupted", kErrCanceled},
    {Applies::MySql, "HY000", "lost connection", kErrGeneralFailure},

    {Applies::SqlServer, "28000", "", kErrLoginRefused},
    {Applies::SqlServer, "42000", "cannot open database", kErrGeneralFailure},
    {Applies::SqlServer, "42000", "permission was denied", kErrPermissionDenied},
    {Applies::SqlServer, "42000", "permission denied", kErrPermissionDenied},

    {Applies::AnyOdbc, "HYT00", "", kErrTimeout},
    {Applies::AnyOdbc, "HYT01", "", kErrTimeout},
    {Applies::AnyOdbc, "HY008", "", kErrCanceled},
    {Applies::AnyOdbc, "08003", "", kErrConnectionNotUsable},
    {Applies::AnyOdbc, "08*", "", kErrGeneralFailure},
    {Applies::AnyOdbc, "28*", "", kErrLoginRefused},
    {Applies::AnyOdbc, "23*", "", kErrIntegrityViolation},
    {Applies::AnyOdbc, "22001", "", kErrDataOverflow},
    {Applies::AnyOdbc, "22*", "", kErrCommandText},
    {Applies::AnyOdbc, "42S02", "", kErrNoSuchTable},
    {Applies::AnyOdbc, "42501", "", kErrPermissionDenied},
    {Applies::AnyOdbc, "42*", "", kErrCommandText},
    {Applies::AnyOdbc, "07*", "", kErrCommandText},
    {Applies::AnyOdbc, "IM*", "", kErrGeneralFailure},
};

bool applies(Applies rule, Backend backend) {
    switch (rule) {
        case Applies::Sqlite: return backend == Backend::Sqlite || backend == Backend::SqliteOdbc;
        case Applies::PostgreSql: return backend == Backend::PostgreSql;
        case Applies::MySql: return backend == Backend::MySql;
        case Applies::SqlServer: return backend == Backend::SqlServer;
        case Applies::AnyOdbc: return backend != Backend::Sqlite;
    }
    return false;
}

bool codeMatches(std::string_view ruleCode, std::string_view code) {
    if (!ruleCode.empty() && ruleCode.back() == '*') {
        return code.substr(0, ruleCode.size() - 1) == ruleCode.substr(0, ruleCode.size() - 1);
    }
    return ruleCode == code;
}

std::string lower(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

bool contains(std::string_view haystack, std::string_view needle) {
    return haystack.find(needle) != std::string_view::npos;
}

}  // namespace

Backend backendOf(DriverFamily driver, std::string_view dbmsName) {
    std::string dbms = lower(dbmsName);
    if (contains(dbms, "postgres")) return Backend::PostgreSql;
    if (contains(dbms, "sqlite")) return Backend::SqliteOdbc;
    if (contains(dbms, "sql server")) return Backend::SqlServer;
    if (contains(dbms, "mysql") || contains(dbms, "maria")) return Backend::MySql;
    if (!dbms.empty()) return Backend::OtherOdbc;
    switch (driver) {
        case DriverFamily::PostgreSql: return Backend::PostgreSql;
        case DriverFamily::Sqlite: return Backend::SqliteOdbc;
        case DriverFamily::FreeTds:
        case DriverFamily::MsSql: return Backend::SqlServer;
        case DriverFamily::MySql: return Backend::MySql;
        case DriverFamily::Access:
        case DriverFamily::Other: return Backend::OtherOdbc;
    }
    return Backend::OtherOdbc;
}

std::int32_t classifyFailure(Backend backend, const std::vector<ProviderError>& records) {
    auto first = std::find_if(records.begin(), records.end(), [](const ProviderError& record) {
        return record.sqlState.rfind("01", 0) != 0;
    });
    if (first == records.end()) return kErrGeneralFailure;
    std::string messages;
    for (const ProviderError& record : records) messages += lower(record.message) + '\n';
    // SQLite's extended codes (2067: unique key) refine the primary code in their low byte.
    std::string nativeCode = std::to_string(first->nativeCode & 0xff);

    for (const FailureRule& rule : kFailures) {
        if (!applies(rule.backend, backend)) continue;
        std::string_view code = rule.backend == Applies::Sqlite ? std::string_view(nativeCode)
                                                                : std::string_view(first->sqlState);
        if (codeMatches(rule.code, code) && contains(messages, rule.pattern)) return rule.oleDbCode;
    }
    return kErrGeneralFailure;
}

bool connectionLost(const std::vector<ProviderError>& records) {
    // Connection exceptions (class 08), and PostgreSQL ending the session (57P01..57P03).
    return std::any_of(records.begin(), records.end(), [](const ProviderError& record) {
        return record.sqlState.rfind("08", 0) == 0 || record.sqlState.rfind("57P0", 0) == 0;
    });
}

bool readEndedByRollback(const DbError& error) {
    constexpr long kSqliteAbortRollback = 516;  // SQLITE_ABORT_ROLLBACK
    return std::any_of(error.records().begin(), error.records().end(),
                       [](const ProviderError& record) { return record.nativeCode == kSqliteAbortRollback; });
}

DbError makeDbError(Backend backend, std::vector<ProviderError> records, std::string statement) {
    std::int32_t code = classifyFailure(backend, records);
    std::string description;
    for (const ProviderError& record : records) {
        if (!description.empty()) description += '\n';
        description += record.message;
    }
    if (description.empty()) description = "The provider failed without saying why.";
    return DbError(code, std::move(description), std::move(records), std::move(statement));
}

}  // namespace koru::db
