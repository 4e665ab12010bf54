#include "db/odbc_support.h"

#include <strings.h>

#include <cstdlib>

#include "db/freetds_config.h"
#include "diag/text_encoding.h"

namespace koru::db::odbc {

SQLHENV environment() {
    static SQLHENV env = [] {
        SQLHENV handle = SQL_NULL_HENV;
        if (!succeeded(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &handle))) {
            throw DbError(kErrGeneralFailure, "The ODBC driver manager could not be initialised.");
        }
        SQLSetEnvAttr(handle, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        return handle;
    }();
    return env;
}

std::vector<ProviderError> diagnostics(SQLSMALLINT handleType, SQLHANDLE handle) {
    std::vector<ProviderError> records;
    if (!handle) return records;
    for (SQLSMALLINT i = 1;; ++i) {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        std::string message(1024, '\0');
        SQLRETURN rc = SQLGetDiagRec(handleType, handle, i, state, &native,
                                     reinterpret_cast<SQLCHAR*>(message.data()),
                                     static_cast<SQLSMALLINT>(message.size()), &length);
        if (rc == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(message.size())) {
            message.assign(static_cast<std::size_t>(length) + 1, '\0');
            rc = SQLGetDiagRec(handleType, handle, i, state, &native,
                               reinterpret_cast<SQLCHAR*>(message.data()),
                               static_cast<SQLSMALLINT>(message.size()), &length);
        }
        if (!succeeded(rc)) break;
        message.resize(std::min<std::size_t>(static_cast<std::size_t>(length), message.size()));
        while (!message.empty() && (message.back() == '\n' || message.back() == '\0')) {
            message.pop_back();
        }
        records.push_back({reinterpret_cast<const char*>(state), static_cast<long>(native), message});
    }
    return records;
}

namespace {

class SystemDriverCatalog : public OdbcDriverCatalog {
public:
    std::vector<std::string> installedDrivers() const override {
        std::vector<std::string> names;
        SQLCHAR name[256];
        SQLCHAR attributes[1024];
        SQLSMALLINT nameLength = 0, attributesLength = 0;
        SQLUSMALLINT direction = SQL_FETCH_FIRST;
        while (succeeded(SQLDrivers(environment(), direction, name, sizeof name, &nameLength,
                                    attributes, sizeof attributes, &attributesLength))) {
            names.emplace_back(reinterpret_cast<const char*>(name));
            direction = SQL_FETCH_NEXT;
        }
        return names;
    }

    std::string driverOfDsn(const std::string& dsn) const override {
        // SQLDataSources gives each data source with the name of its driver.
        SQLCHAR name[SQL_MAX_DSN_LENGTH + 1];
        SQLCHAR driver[1024];
        SQLSMALLINT nameLength = 0, driverLength = 0;
        SQLUSMALLINT direction = SQL_FETCH_FIRST;
        while (succeeded(SQLDataSources(environment(), direction, name, sizeof name, &nameLength,
                                        driver, sizeof driver, &driverLength))) {
            if (strcasecmp(reinterpret_cast<const char*>(name), dsn.c_str()) == 0) {
                return reinterpret_cast<const char*>(driver);
            }
            direction = SQL_FETCH_NEXT;
        }
        return {};
    }

    std::vector<std::string> freeTdsServers() const override { return db::freeTdsServers(); }
    std::optional<std::string> mssqlDriverOverride() const override {
        if (const char* chosen = std::getenv("KORU_MSSQL_DRIVER")) return std::string(chosen);
        return std::nullopt;
    }
};


}  // namespace

const OdbcDriverCatalog& systemDriverCatalog() {
    static const SystemDriverCatalog catalog;
    return catalog;
}

std::string utf16ToUtf8(const SQLWCHAR* text, std::size_t units) {
    std::string out;
    out.reserve(units);
    for (std::size_t i = 0; i < units; ++i) {
        char32_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            diag::appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            diag::appendUtf8(out, 0xFFFD);
        } else {
            diag::appendUtf8(out, unit);
        }
    }
    return out;
}

}  // namespace koru::db::odbc
