#pragma once

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sqlite3.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "db/connection.h"
#include "db/odbc_connection.h"
#include "db/odbc_support.h"

namespace koru::test {

// A folder of its own for one test, removed afterwards.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "koru-db-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// An empty SQLite database file, made with the C API so that no code under test creates it.
inline void createSqliteFile(const std::filesystem::path& file, const std::string& sql = {}) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr),
              SQLITE_OK);
    char* error = nullptr;
    int rc = sqlite3_exec(db, sql.empty() ? "PRAGMA user_version = 1" : sql.c_str(), nullptr,
                          nullptr, &error);
    std::string message = error ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    ASSERT_EQ(rc, SQLITE_OK) << message;
}

// A local port that accepts connections and never says a word. Once closed, its port is one
// nobody listens on.
class SilentListener {
public:
    SilentListener() {
        m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(m_socket, 8);
        socklen_t length = sizeof address;
        ::getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
    }
    ~SilentListener() { ::close(m_socket); }
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;
    int port() const { return m_port; }

private:
    int m_socket = -1;
    int m_port = 0;
};

// An ODBC driver library installed by the system packages, found without odbcinst.ini.
inline std::optional<std::string> odbcDriverPath(const std::string& fileName) {
    for (const char* folder : {"/usr/lib/x86_64-linux-gnu/odbc", "/usr/lib/aarch64-linux-gnu/odbc",
                               "/usr/lib/odbc", "/usr/local/lib/odbc", "/usr/lib64"}) {
        std::filesystem::path candidate = std::filesystem::path(folder) / fileName;
        if (std::filesystem::exists(candidate)) return candidate.string();
    }
    return std::nullopt;
}

inline std::string envOr(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value && *value ? value : fallback;
}

// The test script sets KORU_REQUIRE_ODBC=1: a missing driver or server is then a failure,
// elsewhere a skip.
inline bool odbcRequired() { return envOr("KORU_REQUIRE_ODBC", "") == "1"; }

#define KORU_NEED(condition, reason)                                          \
    do {                                                                      \
        if (!(condition)) {                                                   \
            if (::koru::test::odbcRequired()) FAIL() << (reason);             \
            GTEST_SKIP() << (reason) << " (set by ./run test)";               \
        }                                                                     \
    } while (0)

// The throw-away PostgreSQL cluster that ./run test starts, described by KORU_PG_* variables.
struct PgServer {
    std::string host = envOr("KORU_PG_HOST", "");
    std::string port = envOr("KORU_PG_PORT", "");
    std::string user = envOr("KORU_PG_USER", "");
    std::string password = envOr("KORU_PG_PASSWORD", "");
    std::optional<std::string> driver = odbcDriverPath("psqlodbcw.so");

    bool available() const { return !host.empty() && !port.empty() && driver.has_value(); }
    std::string whyNot() const {
        return driver ? "no PostgreSQL server: KORU_PG_HOST and KORU_PG_PORT are not set"
                      : "psqlODBC (psqlodbcw.so) is not installed";
    }

    std::string connectionString(const std::string& database, const std::string& login,
                                 const std::string& secret) const {
        return "Driver=" + *driver + ";Server=" + host + ";Port=" + port + ";Database=" + database +
               ";UID=" + login + ";PWD={" + secret + "}";
    }
    std::string connectionString(const std::string& database) const {
        return connectionString(database, user, password);
    }
};

// A database of its own on the PostgreSQL server for one test, dropped afterwards; tests run
// in parallel processes.
class PgDatabase {
public:
    explicit PgDatabase(const PgServer& server) : m_server(server) {
        static std::atomic<int> counter{0};
        m_name = "koru_t" + std::to_string(::getpid()) + "_" + std::to_string(counter++);
        m_admin.setConnectionTimeout(10);
        m_admin.open(server.connectionString("postgres"));
        m_admin.execute("DROP DATABASE IF EXISTS " + m_name);
        m_admin.execute("CREATE DATABASE " + m_name);
    }
    ~PgDatabase() {
        try {
            m_admin.execute("DROP DATABASE IF EXISTS " + m_name + " WITH (FORCE)");
            for (const std::string& role : m_roles) m_admin.execute("DROP ROLE IF EXISTS " + role);
        } catch (const db::DbError& error) {
            ADD_FAILURE() << "cleaning up " << m_name << ": " << error.what();
        }
    }
    const std::string& name() const { return m_name; }
    std::string connectionString() const { return m_server.connectionString(m_name); }
    db::Connection& admin() { return m_admin; }
    // A login role of this test's own, dropped with the database.
    std::string createRole(const std::string& password) {
        std::string role = m_name + "_r" + std::to_string(m_roles.size());
        m_admin.execute("CREATE ROLE " + role + " LOGIN PASSWORD '" + password + "'");
        m_roles.push_back(role);
        return role;
    }

private:
    const PgServer& m_server;
    std::string m_name;
    db::OdbcConnection m_admin;
    std::vector<std::string> m_roles;
};

// The throw-away MariaDB server that ./run test starts, described by KORU_MY_* variables, reached
// through the installed "MariaDB Unicode" driver by its name, as users name it.
struct MyServer {
    static constexpr const char* kDriver = "MariaDB Unicode";
    std::string host = envOr("KORU_MY_HOST", "");
    std::string port = envOr("KORU_MY_PORT", "");
    std::string user = envOr("KORU_MY_USER", "");
    std::string password = envOr("KORU_MY_PASSWORD", "");
    bool driverInstalled = [] {
        auto drivers = db::odbc::systemDriverCatalog().installedDrivers();
        return std::find(drivers.begin(), drivers.end(), kDriver) != drivers.end();
    }();

    bool available() const { return !host.empty() && !port.empty() && driverInstalled; }
    std::string whyNot() const {
        return driverInstalled ? "no MariaDB server: KORU_MY_HOST and KORU_MY_PORT are not set"
                               : "the ODBC driver \"MariaDB Unicode\" (odbc-mariadb) is not installed";
    }

    std::string connectionString(const std::string& database, const std::string& login,
                                 const std::string& secret) const {
        return std::string("Driver={") + kDriver + "};Server=" + host + ";Port=" + port +
               ";Database=" + database + ";UID=" + login + ";PWD={" + secret + "}";
    }
    std::string connectionString(const std::string& database) const {
        return connectionString(database, user, password);
    }
};

// A database of its own on the MariaDB server for one test, dropped afterwards.
class MyDatabase {
public:
    explicit MyDatabase(const MyServer& server) : m_server(server) {
        static std::atomic<int> counter{0};
        m_name = "koru_t" + std::to_string(::getpid()) + "_" + std::to_string(counter++);
        m_admin.setConnectionTimeout(10);
        m_admin.open(server.connectionString(""));
        m_admin.execute("DROP DATABASE IF EXISTS " + m_name);
        m_admin.execute("CREATE DATABASE " + m_name + " CHARACTER SET utf8mb4");
    }
    ~MyDatabase() {
        try {
            m_admin.execute("DROP DATABASE IF EXISTS " + m_name);
        } catch (const db::DbError& error) {
            ADD_FAILURE() << "cleaning up " << m_name << ": " << error.what();
        }
    }
    const std::string& name() const { return m_name; }
    std::string connectionString() const { return m_server.connectionString(m_name); }
    db::Connection& admin() { return m_admin; }

private:
    const MyServer& m_server;
    std::string m_name;
    db::OdbcConnection m_admin;
};

}  // namespace koru::test
